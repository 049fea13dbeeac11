// The count control of a continuous totalize, through the driver object's interfaces: its
// commands, the count's parsing, and the model that lacks it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/DriverHandle.h"
#include "support/ScriptedIoSession.h"

namespace tevra::testing {
namespace {

constexpr HRESULT kModelNotSupported = static_cast<HRESULT>(0x80044216);

ITevraTotalizeContinuous2* TotalizeOf(DriverHandle& handle) {
  ITevraTotalizeContinuous2* totalize = nullptr;
  EXPECT_EQ(handle.driver->QueryInterface(IID_ITevraTotalizeContinuous2,
                                          reinterpret_cast<void**>(&totalize)),
            S_OK);
  return totalize;
}

TEST(ContinuousTotalize, StartStopAndReadCount) {
  ScriptedIoSession::Script script;
  DriverHandle handle(std::make_unique<ScriptedIoSession>(script));
  script.Expect("*IDN?", "Orvane Technologies,QX1300,SN0042,2.0.1");
  script.Expect("*OPT?", "431");
  ASSERT_EQ(handle.Initialize("TCPIP::h::5025::SOCKET", ""), S_OK) << TakeErrorDescription();
  script.sent.clear();
  script.Expect("INIT");
  script.Expect("TOT:DATA?", "+1.234500000000000E+04");
  script.Expect("ABOR");
  ITevraTotalizeContinuous2* totalize = TotalizeOf(handle);
  ASSERT_NE(totalize, nullptr);
  double count = 0;
  EXPECT_EQ(totalize->Start(), S_OK);
  EXPECT_EQ(totalize->ReadCount(&count), S_OK);
  EXPECT_EQ(count, 12345.0);
  EXPECT_EQ(totalize->Stop(), S_OK);
  EXPECT_THAT(script.Commands(), ::testing::ElementsAre("INIT", "TOT:DATA?", "ABOR"));
  totalize->Release();
}

TEST(ContinuousTotalize, TheQX1100HasNone) {
  DriverHandle handle;
  ASSERT_EQ(handle.Initialize("", "Simulate=true,DriverSetup=Model=QX1100"), S_OK);
  ITevraTotalizeContinuous2* totalize = TotalizeOf(handle);
  ASSERT_NE(totalize, nullptr);
  double count = 0;
  EXPECT_EQ(totalize->Stop(), kModelNotSupported);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: Instrument model does not support this feature: Stop.");
  EXPECT_EQ(totalize->ReadCount(&count), kModelNotSupported);
  EXPECT_EQ(totalize->Start(), kModelNotSupported);
  totalize->Release();
}

}  // namespace
}  // namespace tevra::testing
