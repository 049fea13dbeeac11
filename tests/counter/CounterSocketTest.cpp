// The counter interfaces against the fake instrument over a loopback socket: the bytes each
// command family puts on the wire, the built commands and the blanks and line feeds some
// commands carry themselves included.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

TEST(ArmSocket, GateStartStopAndClassBytes) {
  SocketDriver d;
  d.fake.On("TINT:GATE:SOUR? ").Reply("IMM\n");
  d.fake.On("GATE:EXT:SOUR?").Reply("INP2\n");
  d.Open("QX1200", "");
  auto* arm = COUNTER_ITF(Arm);
  EXPECT_EQ(arm->SetSource(TevraArmMeasurementTypeTimeInterval, TevraArmSourceImmediate), S_OK);
  TevraArmSourceEnum source{};
  EXPECT_EQ(arm->GetSource(TevraArmMeasurementTypeTimeInterval, &source), S_OK)
      << TakeErrorDescription();
  EXPECT_EQ(source, TevraArmSourceImmediate);
  EXPECT_EQ(arm->SetTime(TevraArmMeasurementTypeFrequency, 0.1), S_OK);
  EXPECT_EQ(COUNTER_ITF(ArmStart)->put_Type(TevraArmTypeExternal), S_OK);
  EXPECT_EQ(COUNTER_ITF(ArmStopExternal)->put_Voltage(0.5), S_OK) << TakeErrorDescription();
  platform::Bstr bnc("BNC");
  EXPECT_EQ(
      d.Get<IIviCounterArmStartExternal>(IID_IIviCounterArmStartExternal)->put_Source(bnc.get()),
      S_OK);
  d.ExpectWire(
      "TINT:GATE:SOUR IMM \n*cls\nTINT:GATE:SOUR? \nFREQ:GATE:TIME 1.000000e-01\n"
      "GATE:STAR:SOUR EXT\nGATE:EXT:SOUR?\nINP2:LEV 0.500000 \nGATE:EXT:SOUR BNC\n");
}

TEST(ChannelSocket, ChannelClassChannelAndCollectionBytes) {
  SocketDriver d;
  d.fake.On("INP2:IMP?").Reply("+5.00000000E+001\n");
  d.fake.On("INP2:RANG?").Reply("+5.00000000E+001\n");
  d.fake.On("INP2:PROB?").Reply("+10\n");
  d.Open("QX1200", "785");
  HeldInterfaces held;
  ITevraChannels* channels = nullptr;
  ASSERT_EQ(d.handle.driver->get_Channels(&channels), S_OK);
  held.Keep(channels);
  platform::Bstr name("Channel2");
  ITevraChannel* channel = nullptr;
  ASSERT_EQ(channels->get_Item(name.get(), &channel), S_OK);
  held.Keep(channel);
  auto* classChannel = held.Query<IIviCounterChannel>(channel, IID_IIviCounterChannel);

  TevraImpedanceEnum impedance{};
  EXPECT_EQ(channel->get_Impedance(&impedance), S_OK) << TakeErrorDescription();
  EXPECT_EQ(impedance, TevraImpedance50);
  double attenuation = 0;
  EXPECT_EQ(classChannel->get_Attenuation(&attenuation), S_OK) << TakeErrorDescription();
  EXPECT_EQ(attenuation, 1.0);
  EXPECT_EQ(channel->put_ProbeFactor(TevraProbeFactor10x), S_OK);
  EXPECT_EQ(classChannel->put_Hysteresis(0.5), S_OK);
  EXPECT_EQ(channels->Autoscale(), S_OK);
  d.ExpectWire(
      "INP2:IMP?\nINP2:RANG?\nINP2:PROB?\nINP2:RANG MAX\nINP2:PROB 10\nINP2:NREJ 1\nAUT\n");
}

// The gate-time message of a gated totalize carries its own line feed.
TEST(FunctionSocket, FunctionCommandBytesAndReplies) {
  SocketDriver d;
  d.fake.On("MEAS:FREQ? 10000000, 0.1, (@1)").Reply("+1.00000012E+007\n");
  d.fake.On("MEAS:NDUT? 25.000000, (@2)").Reply("+2.5E-001\n");
  d.fake.On("FUNC?").Reply("\"TST 1\"\n");
  d.Open("QX1300", "785,431");
  d.fake.On("*OPT?").Reply("785\n");  // the burst gate asks afresh
  constexpr auto kVolt = TevraReferenceTypeVoltage;
  double frequency = 0, duty = 0;
  EXPECT_EQ(COUNTER_ITF(Frequency)->ConfigureWithAperture(2, 0.01), S_OK);
  EXPECT_EQ(COUNTER_ITF(Frequency)->Measure(1e7, 0.1, 1, &frequency), S_OK);
  EXPECT_DOUBLE_EQ(frequency, 10000001.2);
  EXPECT_EQ(COUNTER_ITF(FrequencyRatio)->Configure(1, 1, 2, 1), S_OK);
  EXPECT_EQ(COUNTER_ITF(PulseWidth)->Configure(1, 1.5, kVolt, TevraPolarityPositive), S_OK);
  EXPECT_EQ(COUNTER_ITF(DutyCycle)->Measure(2, 25, TevraReferenceTypePercent, TevraPolarityNegative,
                                            &duty),
            S_OK);
  EXPECT_DOUBLE_EQ(duty, 0.25);
  EXPECT_EQ(COUNTER_ITF(EdgeTime)->Configure(1, kVolt, 2.0, 0.5, TevraEdgeTypeRising), S_OK);
  EXPECT_EQ(
      COUNTER_ITF(TotalizeGated)->Configure(1, TevraArmSourceChannel2, TevraSlopeNegative, 0.5),
      S_OK);
  platform::Bstr channel(" Channel2 ");
  EXPECT_EQ(d.Get<IIviCounterFrequency>(IID_IIviCounterFrequency)->Configure(channel.get(), 1, 1),
            S_OK);
  EXPECT_EQ(d.handle.driver->SetFunction(TevraMeasurementFunctionTimeStamp1), S_OK);
  EXPECT_EQ(GetText([&](BSTR* v) { return d.handle.driver->GetFunction(v); }), "TST 1");
  EXPECT_EQ(COUNTER_ITF(Burst)->Configure(), kOptionNotInstalled);
  d.ExpectWire(
      "CONF:FREQ (@2); :FREQ:GATE:SOUR TIME; TIME 0.01\n"
      "MEAS:FREQ? 10000000, 0.1, (@1)\n"
      "CONF:FREQ:RAT (@2),(@1)\n"
      "CONF:PWID 1.500000V, (@1)\n"
      "MEAS:NDUT? 25.000000, (@2)\n"
      "CONF:RTIM 0.500000V, 2.000000V, (@1)\n"
      "INP2:LEV 0.0\nCONF:TOT:TIM  0.500000,(@1)\nTOT:GATE:SOUR INP2\nTOT:GATE:POL NEG\n"
      "CONF:FREQ (@2)\n"
      "FUNC \"TST 1\"\nFUNC?\n*OPT?\n");
}

}  // namespace
}  // namespace tevra::testing
