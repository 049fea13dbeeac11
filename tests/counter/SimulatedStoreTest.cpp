// The simulated store: every event that empties the stores of every node, and a key's one type.
#include <gtest/gtest.h>

#include <functional>

#include "counter/Property.h"
#include "platform/Bstr.h"
#include "support/TestDriver.h"

namespace tevra::testing {
namespace {

using counter::GetSimulated;
using counter::Property;
using counter::PutSimulated;
namespace rows = counter::rows;

class SimulatedStore : public ::testing::Test {
 protected:
  SimulatedStore() : channel1(&driver), channel2(&driver) {
    EXPECT_EQ(driver.Init("Simulate=true"), S_OK);
    driver.AddChild("TevraChannel", &channel1);
    driver.AddChild("TevraChannel", &channel2);
  }
  ~SimulatedStore() override { driver.ClearChildren(); }

  template <class T>
  T Get(core::CNode& node, const Property& row) {
    T value{};
    EXPECT_EQ(GetSimulated(node, row, value), S_OK);
    return value;
  }

  TestDriver driver;
  core::CNode channel1;
  core::CNode channel2;
};

TEST_F(SimulatedStore, EventsAndCloseReturnEveryNodeToItsDefaults) {
  struct Event {
    const char* name;
    std::function<HRESULT()> run;
  };
  const Event events[] = {
      {"Reset", [&] { return driver.UtilityInterface().Reset(); }},
      {"ResetWithDefaults", [&] { return driver.UtilityInterface().ResetWithDefaults(); }},
      {"InvalidateAllAttributes",
       [&] { return driver.OperationInterface().InvalidateAllAttributes(); }},
      {"put_Cache(false)", [&] { return driver.OperationInterface().put_Cache(VARIANT_FALSE); }},
  };
  for (const Event& e : events) {
    SCOPED_TRACE(e.name);
    ASSERT_EQ(driver.OperationInterface().put_Cache(VARIANT_TRUE), S_OK);
    ASSERT_EQ(PutSimulated(driver, rows::ITevraTrigger_Count, std::int32_t{9}), S_OK);
    ASSERT_EQ(PutSimulated(channel2, rows::ITevraChannel_Percentage1, std::int32_t{20}), S_OK);
    EXPECT_EQ(e.run(), S_OK);
    EXPECT_EQ(Get<std::int32_t>(driver, rows::ITevraTrigger_Count), 1);
    EXPECT_EQ(Get<std::int32_t>(channel2, rows::ITevraChannel_Percentage1), 50);
  }
  // Switching the cache on keeps what is stored.
  ASSERT_EQ(PutSimulated(driver, rows::ITevraTrigger_Count, std::int32_t{4}), S_OK);
  EXPECT_EQ(driver.OperationInterface().put_Cache(VARIANT_TRUE), S_OK);
  EXPECT_EQ(Get<std::int32_t>(driver, rows::ITevraTrigger_Count), 4);
  // A key keeps one type, and close empties the store.
  EXPECT_EQ(PutSimulated(driver, rows::ITevraTrigger_Count, 9.0), E_UNEXPECTED);
  driver.ClearChildren();
  ASSERT_EQ(driver.ApiClose(), S_OK);
  EXPECT_EQ(driver.Cache().Size(), 0u);
  ASSERT_EQ(driver.Init("Simulate=true"), S_OK);
  EXPECT_EQ(Get<std::int32_t>(driver, rows::ITevraTrigger_Count), 1);
}

}  // namespace
}  // namespace tevra::testing
