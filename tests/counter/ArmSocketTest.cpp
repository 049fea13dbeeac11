// The arm interfaces against the fake instrument: the bytes on the wire, including the blanks
// and line feeds the gate and level commands carry themselves.
#include <gtest/gtest.h>

#include "io/VisaComSession.h"
#include "support/DriverHandle.h"
#include "support/FakeInstrument.h"

namespace tevra::testing {
namespace {

template <class Itf>
Itf* Query(DriverHandle& handle, REFIID riid) {
  Itf* itf = nullptr;
  EXPECT_EQ(handle.driver->QueryInterface(riid, (void**)&itf), S_OK);
  return itf;
}

TEST(ArmSocket, GateStartStopAndClassBytes) {
  FakeInstrument fake;
  ASSERT_TRUE(fake.Start());
  fake.On("*IDN?").Reply("Orvane Technologies,QX1200,SN0042,2.0.1\n");
  fake.On("*OPT?").Reply("\n");
  fake.On("TINT:GATE:SOUR? ").Reply("IMM\n");
  fake.On("GATE:EXT:SOUR?").Reply("INP2\n");
  DriverHandle handle(std::make_unique<io::CVisaComSession>());
  ASSERT_EQ(handle.Initialize(fake.ResourceName(), "", true), S_OK) << TakeErrorDescription();
  const std::size_t start = fake.Transcript().size();
  auto* arm = Query<ITevraArm>(handle, IID_ITevraArm);
  auto* armStart = Query<ITevraArmStart>(handle, IID_ITevraArmStart);
  auto* stopExt = Query<ITevraArmStopExternal>(handle, IID_ITevraArmStopExternal);
  auto* classExt = Query<IIviCounterArmStartExternal>(handle, IID_IIviCounterArmStartExternal);

  EXPECT_EQ(arm->SetSource(TevraArmMeasurementTypeTimeInterval, TevraArmSourceImmediate), S_OK);
  TevraArmSourceEnum source{};
  EXPECT_EQ(arm->GetSource(TevraArmMeasurementTypeTimeInterval, &source), S_OK)
      << TakeErrorDescription();
  EXPECT_EQ(source, TevraArmSourceImmediate);
  EXPECT_EQ(arm->SetTime(TevraArmMeasurementTypeFrequency, 0.1), S_OK);
  EXPECT_EQ(armStart->put_Type(TevraArmTypeExternal), S_OK);
  EXPECT_EQ(stopExt->put_Voltage(0.5), S_OK) << TakeErrorDescription();
  platform::Bstr bnc("BNC");
  EXPECT_EQ(classExt->put_Source(bnc.get()), S_OK);

  const std::string expected =
      "TINT:GATE:SOUR IMM \n*cls\nTINT:GATE:SOUR? \nFREQ:GATE:TIME 1.000000e-01\n"
      "GATE:STAR:SOUR EXT\nGATE:EXT:SOUR?\nINP2:LEV 0.500000 \nGATE:EXT:SOUR BNC\n";
  EXPECT_TRUE(fake.WaitForTranscript(start + expected.size(), Milliseconds(2000)));
  EXPECT_EQ(fake.Transcript().substr(start), expected);
  classExt->Release();
  stopExt->Release();
  armStart->Release();
  arm->Release();
}

}  // namespace
}  // namespace tevra::testing
