// An input channel's settings on a live session: the exact command of every get and put, how
// the replies are read, the multi-exchange rules of range and probe, and the refusals that
// happen before anything is sent.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

// A live counter of the given model behind a scripted session; options decide the inputs.
class LiveChannel : public ScriptedCounter {
 protected:
  void Open(const char* model, const char* options, const char* name) {
    d.Open(model, options);
    channel = d.Channel(name);
  }
  ITevraChannel* channel = nullptr;
};

TEST_F(LiveChannel, EveryGetQueriesItsCommandAndReadsTheReply) {
  Open("QX1200", "785", "Channel2");
  const auto G = [this](auto getter) { return NumberGetter(channel, getter); };
  struct Row {
    const char* command;
    const char* reply;
    std::function<HRESULT(double&)> get;
    double expected;
  };
  const Row rows[] = {
      {"INP2:IMP?", "+5.00000000E+001", G(&ITevraChannel::get_Impedance), TevraImpedance50},
      {"INP2:IMP?", "+1.00000000E+006", G(&ITevraChannel::get_Impedance), TevraImpedance1E6},
      {"INP2:COUP?", "DC", G(&ITevraChannel::get_Coupling), TevraCouplingDC},
      {"INP2:RANG?", "+5.00000000E+000", G(&ITevraChannel::get_Range), TevraAttenuationFactor1},
      {"INP2:RANG?", "+5.00000000E+002", G(&ITevraChannel::get_Range), TevraAttenuationFactor10},
      {"INP2:LEV?", "-1.25E-01", G(&ITevraChannel::get_Voltage1), -0.125},
      {"INP2:LEV2?", "+2.5E+00", G(&ITevraChannel::get_Voltage2), 2.5},
      {"INP2:FILT?", "1", G(&ITevraChannel::get_FilterEnabled), VARIANT_TRUE},
      {"INP2:SLOP?", "NEG", G(&ITevraChannel::get_Slope1), TevraSlopeNegative},
      {"INP2:SLOP2?", "POS", G(&ITevraChannel::get_Slope2), TevraSlopePositive},
      {"INP2:NREJ?", " ON", G(&ITevraChannel::get_NoiseRejectEnabled), VARIANT_TRUE},
      {"INP2:PROB?", "+10", G(&ITevraChannel::get_ProbeFactor), TevraProbeFactor10x},
      {"INP2:LEV:AUTO?", "0", G(&ITevraChannel::get_AutoLevelEnabled), VARIANT_FALSE},
      {"INP2:PROT?", "1", G(&ITevraChannel::get_IsProtectionEnable), VARIANT_TRUE},
      {"INP2:LEV:REL?", "+30", G(&ITevraChannel::get_Percentage1), 30},
      {"INP2:LEV2:REL?", "+70", G(&ITevraChannel::get_Percentage2), 70},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command + std::string(" -> ") + row.reply);
    d.script.Expect(row.command, row.reply);
    double got = -99;
    EXPECT_EQ(row.get(got), S_OK) << TakeErrorDescription();
    EXPECT_EQ(got, row.expected);
  }
}

TEST_F(LiveChannel, EveryPutWritesItsCommand) {
  Open("QX1200", "785", "Channel2");
  ITevraChannel& c = *channel;
  struct Row {
    const char* command;
    std::function<HRESULT()> put;
  };
  const Row rows[] = {
      {"INP2:IMP 50.0", [&] { return c.put_Impedance(TevraImpedance50); }},
      {"INP2:IMP 1.0E6", [&] { return c.put_Impedance(TevraImpedance1E6); }},
      {"INP2:COUP AC", [&] { return c.put_Coupling(TevraCouplingAC); }},
      {"INP2:RANG MIN", [&] { return c.put_Range(TevraAttenuationFactor1); }},
      {"INP2:RANG MAX", [&] { return c.put_Range(TevraAttenuationFactor10); }},
      {"INP2:LEV 0.123456789012345", [&] { return c.put_Voltage1(0.123456789012345); }},
      {"INP2:LEV2 -1.5", [&] { return c.put_Voltage2(-1.5); }},
      {"INP2:FILT 1", [&] { return c.put_FilterEnabled(VARIANT_TRUE); }},
      {"INP2:SLOP NEG", [&] { return c.put_Slope1(TevraSlopeNegative); }},
      {"INP2:SLOP2 POS", [&] { return c.put_Slope2(TevraSlopePositive); }},
      {"INP2:NREJ 0", [&] { return c.put_NoiseRejectEnabled(VARIANT_FALSE); }},
      {"INP2:PROB 1", [&] { return c.put_ProbeFactor(TevraProbeFactor1x); }},
      {"INP2:LEV:AUTO 1", [&] { return c.put_AutoLevelEnabled(VARIANT_TRUE); }},
      {"INP2:LEV:REL 25", [&] { return c.put_Percentage1(25); }},
      {"INP2:LEV2:REL 75", [&] { return c.put_Percentage2(75); }},
      {"INP2:PROT:CLE", [&] { return c.ResetProtection(); }},
      {"INP2:LEV:AUTO ONCE", [&] { return c.AutoLevelOnce(); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    d.script.Expect(row.command);
    EXPECT_EQ(row.put(), S_OK) << TakeErrorDescription();
  }
}

TEST_F(LiveChannel, ConfigureMethodsRunTheirPutsInOrder) {
  Open("QX1200", "785", "Channel1");
  for (const char* command :
       {"INP1:LEV 0.25", "INP1:NREJ 1", "INP1:IMP 50.0", "INP1:COUP DC", "INP1:RANG MAX"})
    d.script.Expect(command);
  EXPECT_EQ(channel->ConfigureLevel(0.25, VARIANT_TRUE), S_OK) << TakeErrorDescription();
  EXPECT_EQ(channel->Configure(TevraImpedance50, TevraCouplingDC, TevraAttenuationFactor10), S_OK)
      << TakeErrorDescription();
}

// 50 V full scale is factor 10 without a probe and factor 1 behind a 10x probe.
TEST_F(LiveChannel, AnAmbiguousRangeAsksTheProbe) {
  Open("QX1300", "", "Channel1");
  struct Case {
    const char* probe;
    TevraAttenuationFactorEnum expected;
  };
  for (const Case& c :
       {Case{"+10", TevraAttenuationFactor1}, Case{"+1", TevraAttenuationFactor10}}) {
    SCOPED_TRACE(c.probe);
    d.script.Expect("INP1:RANG?", "+5.00000000E+001");
    d.script.Expect("INP1:PROB?", c.probe);
    TevraAttenuationFactorEnum factor = TevraAttenuationFactor1;
    EXPECT_EQ(channel->get_Range(&factor), S_OK) << TakeErrorDescription();
    EXPECT_EQ(factor, c.expected);
  }
  d.script.Expect("INP1:RANG?", "+2.0E+001");
  TevraAttenuationFactorEnum factor = TevraAttenuationFactor1;
  EXPECT_EQ(channel->get_Range(&factor), kUnexpectedResponse);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Unexpected response from the instrument.\r\nChannel_get_Attenuation");
}

TEST_F(LiveChannel, ATenTimesProbeSelectsTheHighRangeFirst) {
  Open("QX1200", "", "Channel2");
  d.script.Expect("INP2:RANG MAX");
  d.script.Expect("INP2:PROB 10");
  d.script.Expect("INP2:PROB 1");
  EXPECT_EQ(channel->put_ProbeFactor(TevraProbeFactor10x), S_OK) << TakeErrorDescription();
  EXPECT_EQ(channel->put_ProbeFactor(TevraProbeFactor1x), S_OK) << TakeErrorDescription();
}

// The microwave input refuses every setting except the second slope; its signal strength is the
// one thing only it answers.
TEST_F(LiveChannel, TheMicrowaveChannelRefusesSettingsBeforeAnyIo) {
  Open("QX1300", "785,431", "Channel3");
  ITevraChannel& c = *channel;
  double level = 0;
  LONG n = 0;
  VARIANT_BOOL b = 0;
  TevraCouplingEnum coupling{};
  TevraImpedanceEnum impedance{};
  TevraAttenuationFactorEnum range{};
  const std::function<HRESULT()> refused[] = {
      [&] { return c.get_Impedance(&impedance); },
      [&] { return c.get_Coupling(&coupling); },
      [&] { return c.get_Range(&range); },
      [&] { return c.put_ProbeFactor(TevraProbeFactor10x); },
      [&] { return c.get_Voltage1(&level); },
      [&] { return c.put_Percentage1(10); },
      [&] { return c.get_IsProtectionEnable(&b); },
      [&] { return c.ConfigureLevel(0.1, VARIANT_FALSE); },
      [&] { return c.Configure(TevraImpedance50, TevraCouplingAC, TevraAttenuationFactor1); },
      [&] { return c.ResetProtection(); },
  };
  for (std::size_t i = 0; i < std::size(refused); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(refused[i](), kInvalidInputChannel);
    EXPECT_EQ(TakeErrorDescription(), "Tevra: Invalid input channel3");
  }
  EXPECT_TRUE(d.script.sent.empty());

  d.script.Expect("INP3:SLOP2 NEG");
  EXPECT_EQ(c.put_Slope2(TevraSlopeNegative), S_OK);
  d.script.Expect("INP3:STR?", "+3");
  EXPECT_EQ(c.get_Strength(&n), S_OK) << TakeErrorDescription();
  EXPECT_EQ(n, 3);
}

TEST(ChannelStrength, OnlyTheMicrowaveInputOfEachModelAnswers) {
  struct Case {
    const char* model;
    const char* options;
    int answering;  // the channel that is queried; the others are refused
  };
  for (const Case& m : {Case{"QX1100", "762", 2}, Case{"QX1200", "785", 3}}) {
    SCOPED_TRACE(m.model);
    CounterDriver d;
    d.Open(m.model, m.options);
    LONG count = 0;
    d.Channels()->get_Count(&count);
    for (LONG i = 1; i <= count; ++i) {
      SCOPED_TRACE(i);
      ITevraChannel* channel = d.Channel("Channel" + std::to_string(i));
      LONG strength = -1;
      if (i == m.answering) {
        d.script.Expect("INP" + std::to_string(i) + ":STR?", "+2");
        EXPECT_EQ(channel->get_Strength(&strength), S_OK) << TakeErrorDescription();
        EXPECT_EQ(strength, 2);
      } else {
        EXPECT_EQ(channel->get_Strength(&strength), kInvalidInputChannel);
        EXPECT_EQ(TakeErrorDescription(), "Tevra: Invalid input channel" + std::to_string(i));
      }
    }
    EXPECT_EQ(d.script.sent.size(), 1u);  // the refused ones sent nothing
    d.ExpectScriptPlayed();
  }
}

TEST_F(LiveChannel, TheQX1100HasNoSecondLevelOrSlope) {
  Open("QX1100", "762", "Channel1");
  double level = 0;
  LONG percentage = 0;
  TevraSlopeEnum slope{};
  ExpectRefusals(
      d.script,
      {ModelRefusal("get_Voltage2", [&] { return channel->get_Voltage2(&level); }),
       ModelRefusal("put_Voltage2", [&] { return channel->put_Voltage2(0.5); }),
       ModelRefusal("get_Percentage2", [&] { return channel->get_Percentage2(&percentage); }),
       ModelRefusal("put_Percentage2", [&] { return channel->put_Percentage2(50); }),
       ModelRefusal("get_Slope2", [&] { return channel->get_Slope2(&slope); }),
       ModelRefusal("put_Slope2", [&] { return channel->put_Slope2(TevraSlopePositive); })});
}

TEST_F(LiveChannel, TheCollectionAutoscalesAndSetsTheAutoLevelFrequency) {
  Open("QX1200", "", "Channel1");
  ITevraChannels* channels = d.Channels();
  d.script.Expect("AUT");
  EXPECT_EQ(channels->Autoscale(), S_OK);
  d.script.Expect("SYST:ALEV:FREQ 10E3");
  EXPECT_EQ(channels->put_AutoLevelFrequency(TevraAutoLevelFrequency10E3), S_OK);
  d.script.Expect("SYST:ALEV:FREQ 50.0");
  EXPECT_EQ(channels->put_AutoLevelFrequency(TevraAutoLevelFrequency50), S_OK);
  for (auto [reply, expected] : {std::pair{"+1.00000000E+004", TevraAutoLevelFrequency10E3},
                                 std::pair{"+5.00000000E+001", TevraAutoLevelFrequency50}}) {
    d.script.Expect("SYST:ALEV:FREQ?", reply);
    TevraAutoLevelFrequencyEnum got = TevraAutoLevelFrequency50;
    EXPECT_EQ(channels->get_AutoLevelFrequency(&got), S_OK) << TakeErrorDescription();
    EXPECT_EQ(got, expected) << reply;
  }
}

}  // namespace
}  // namespace tevra::testing
