// The count control of a continuous totalize: its commands, the count's parsing, and the model
// that lacks it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "counter/MeasurementTotalize.h"
#include "support/DriverHandle.h"
#include "support/TestDriver.h"

namespace tevra::testing {
namespace {

using counter::ReadContinuousTotalizeCount;

TEST(ContinuousTotalize, StartStopAndReadCount) {
  TestDriver driver;
  ScriptedIoSession::Script& script = driver.Script();
  script.Expect("*IDN?", "Orvane Technologies,QX1300,SN0042,2.0.1");
  ASSERT_EQ(driver.Init(""), S_OK) << TakeErrorDescription();
  script.sent.clear();
  script.Expect("INIT");
  script.Expect("TOT:DATA?", "+1.234500000000000E+04");
  script.Expect("ABOR");
  double count = 0;
  EXPECT_EQ(counter::StartContinuousTotalize(driver), S_OK);
  EXPECT_EQ(ReadContinuousTotalizeCount(driver, &count), S_OK);
  EXPECT_EQ(count, 12345.0);
  EXPECT_EQ(counter::StopContinuousTotalize(driver), S_OK);
  EXPECT_THAT(script.Commands(), ::testing::ElementsAre("INIT", "TOT:DATA?", "ABOR"));

  TestDriver qx1100;
  ASSERT_EQ(qx1100.Init("Simulate=true,DriverSetup=Model=QX1100"), S_OK);
  EXPECT_EQ(counter::StopContinuousTotalize(qx1100), static_cast<HRESULT>(0x80044216));
  EXPECT_EQ(TakeErrorDescription(), "Tevra: Instrument model does not support this feature: Stop.");
  EXPECT_EQ(ReadContinuousTotalizeCount(qx1100, &count), static_cast<HRESULT>(0x80044216));
  EXPECT_EQ(counter::StartContinuousTotalize(qx1100), static_cast<HRESULT>(0x80044216));
}

}  // namespace
}  // namespace tevra::testing
