// The time stamps in simulation; the fixed readings of the other functions, and their checks,
// are in the row walk.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

TEST(FunctionSimulation, TimeStampsAreOneMicrosecondApart) {
  CounterDriver driver;
  driver.Simulate("QX1300");
  auto* stamps = driver.Get<ITevraTimeStamp>(IID_ITevraTimeStamp);
  SAFEARRAY* values = nullptr;
  ASSERT_EQ(stamps->Measure(5, 3, &values), S_OK) << TakeErrorDescription();
  const std::vector<double> got = Readings(values);
  ASSERT_EQ(got.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(got[i], i * 1e-06, 1e-15) << i;
}

}  // namespace
}  // namespace tevra::testing
