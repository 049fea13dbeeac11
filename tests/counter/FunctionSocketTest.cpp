// The measurement functions against the fake instrument over a loopback socket: the bytes each
// command family puts on the wire, the built commands included.
#include <gtest/gtest.h>

#include "io/VisaComSession.h"
#include "support/DriverHandle.h"
#include "support/FakeInstrument.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::testing {
namespace {

class FunctionSocket : public ::testing::Test {
 protected:
  FunctionSocket() : handle(std::make_unique<io::CVisaComSession>()) {}
  void SetUp() override {
    fake.On("*IDN?").Reply("Orvane Technologies,QX1300,SN7,2.0.1\n");
    fake.On("*OPT?").Reply("785,431\n").Times(1);
    ASSERT_TRUE(fake.Start());
    ASSERT_EQ(handle.Initialize(fake.ResourceName(), "", true), S_OK) << TakeErrorDescription();
    start = fake.Transcript().size();
  }
  template <class Itf>
  Itf* Get(REFIID iid) {
    Itf* itf = nullptr;
    EXPECT_EQ(handle.driver->QueryInterface(iid, (void**)&itf), S_OK);
    held.push_back(itf);
    return itf;
  }
  void TearDown() override {
    for (IUnknown* itf : held)
      if (itf) itf->Release();
  }
  void ExpectWire(std::string_view expected) {
    EXPECT_TRUE(fake.WaitForTranscript(start + expected.size(), Milliseconds(2000)));
    EXPECT_EQ(fake.Transcript().substr(start), expected);
    start = fake.Transcript().size();
  }

  FakeInstrument fake;
  DriverHandle handle;
  std::size_t start = 0;
  std::vector<IUnknown*> held;
};

TEST_F(FunctionSocket, TemplateCommandsAndMeasureReplies) {
  fake.On("MEAS:FREQ? 10000000, 0.1, (@1)").Reply("+1.00000012E+007\n");
  auto* frequency = Get<ITevraFrequency>(IID_ITevraFrequency);
  EXPECT_EQ(frequency->ConfigureWithAperture(2, 0.01), S_OK) << TakeErrorDescription();
  double value = 0;
  EXPECT_EQ(frequency->Measure(1e7, 0.1, 1, &value), S_OK) << TakeErrorDescription();
  EXPECT_DOUBLE_EQ(value, 10000001.2);
  EXPECT_EQ(Get<ITevraFrequencyRatio>(IID_ITevraFrequencyRatio)->Configure(1, 1, 2, 1), S_OK);
  ExpectWire(
      "CONF:FREQ (@2); :FREQ:GATE:SOUR TIME; TIME 0.01\n"
      "MEAS:FREQ? 10000000, 0.1, (@1)\n"
      "CONF:FREQ:RAT (@2),(@1)\n");
}

TEST_F(FunctionSocket, BuiltReferenceLevelCommands) {
  fake.On("MEAS:NDUT? 25.000000, (@2)").Reply("+2.5E-001\n");
  EXPECT_EQ(Get<ITevraPulseWidth>(IID_ITevraPulseWidth)
                ->Configure(1, 1.5, TevraReferenceTypeVoltage, TevraPolarityPositive),
            S_OK);
  double value = 0;
  EXPECT_EQ(Get<ITevraDutyCycle>(IID_ITevraDutyCycle)
                ->Measure(2, 25, TevraReferenceTypePercent, TevraPolarityNegative, &value),
            S_OK);
  EXPECT_DOUBLE_EQ(value, 0.25);
  EXPECT_EQ(Get<ITevraEdgeTime>(IID_ITevraEdgeTime)
                ->Configure(1, TevraReferenceTypeVoltage, 2.0, 0.5, TevraEdgeTypeRising),
            S_OK);
  ExpectWire(
      "CONF:PWID 1.500000V, (@1)\n"
      "MEAS:NDUT? 25.000000, (@2)\n"
      "CONF:RTIM 0.500000V, 2.000000V, (@1)\n");
}

// The gate-time message carries its own line feed.
TEST_F(FunctionSocket, GatedTotalizeSequence) {
  EXPECT_EQ(Get<ITevraTotalizeGated>(IID_ITevraTotalizeGated)
                ->Configure(1, TevraArmSourceChannel2, TevraSlopeNegative, 0.5),
            S_OK)
      << TakeErrorDescription();
  ExpectWire(
      "INP2:LEV 0.0\n"
      "CONF:TOT:TIM  0.500000,(@1)\n"
      "TOT:GATE:SOUR INP2\n"
      "TOT:GATE:POL NEG\n");
}

TEST_F(FunctionSocket, FunctionSelectorAndBurstGate) {
  fake.On("FUNC?").Reply("\"TST 1\"\n");
  fake.On("*OPT?").Reply("785\n");
  EXPECT_EQ(handle.driver->SetFunction(TevraMeasurementFunctionTimeStamp1), S_OK);
  EXPECT_EQ(GetText([&](BSTR* v) { return handle.driver->GetFunction(v); }), "TST 1");
  EXPECT_EQ(Get<ITevraBurst>(IID_ITevraBurst)->Configure(), static_cast<HRESULT>(0x80044001));
  ExpectWire("FUNC \"TST 1\"\nFUNC?\n*OPT?\n");
}

TEST_F(FunctionSocket, ClassCompliantConfigureForwards) {
  platform::Bstr channel(" Channel2 ");
  EXPECT_EQ(Get<IIviCounterFrequency>(IID_IIviCounterFrequency)->Configure(channel.get(), 1, 1),
            S_OK);
  ExpectWire("CONF:FREQ (@2)\n");
}

}  // namespace
}  // namespace tevra::testing
