// Start and stop arming: every setting's command and reply, the external level that follows the
// external source, the configure sequences, the QX1100's refusals and the simulated memory.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

class ArmStartStop : public ScriptedCounter {
 protected:
  void Open(const char* model, bool simulate = false) {
    if (simulate) {
      d.Simulate(model);
    } else {
      d.Open(model);
    }
    start = COUNTER_ITF(ArmStart);
    startExt = COUNTER_ITF(ArmStartExternal);
    stop = COUNTER_ITF(ArmStop);
    stopExt = COUNTER_ITF(ArmStopExternal);
  }

  ITevraArmStart* start = nullptr;
  ITevraArmStartExternal* startExt = nullptr;
  ITevraArmStop* stop = nullptr;
  ITevraArmStopExternal* stopExt = nullptr;
};

TEST_F(ArmStartStop, EveryGetQueriesItsCommand) {
  Open("QX1300");
  using A = ITevraArmStartExternal;
  using O = ITevraArmStopExternal;
  struct Row {
    const char* command;
    const char* reply;
    std::function<HRESULT(double&)> get;
    double expected;
  };
  const Row rows[] = {
      {"GATE:STAR:SOUR?", "EXT", NumberGetter(start, &ITevraArmStart::get_Type),
       TevraArmTypeExternal},
      {"GATE:STOP:SOUR?", "IMM", NumberGetter(stop, &ITevraArmStop::get_Type),
       TevraArmTypeImmediate},
      {"GATE:EXT:SOUR?", "INP2", NumberGetter(startExt, &A::get_Source),
       TevraExternalSourceChannel2},
      {"GATE:EXT:SOUR?", "BNC", NumberGetter(stopExt, &O::get_Source), TevraExternalSourceBNC},
      {"GATE:STAR:SLOP?", "NEG", NumberGetter(startExt, &A::get_Slope), TevraSlopeNegative},
      {"GATE:STOP:SLOP?", "POS", NumberGetter(stopExt, &O::get_Slope), TevraSlopePositive},
      {"GATE:STAR:DEL:TIME?", "+1.0E-03", NumberGetter(startExt, &A::get_DelayTime), 1e-3},
      {"GATE:STOP:HOLD:TIME?", "+2.0E-03", NumberGetter(stopExt, &O::get_HoldOffTime), 2e-3},
      {"GATE:STAR:DEL:SOUR?", "EVEN", NumberGetter(startExt, &A::get_DelaySource),
       TevraDelayHoldOffSourceEvents},
      {"GATE:STOP:HOLD:SOUR?", "TIME", NumberGetter(stopExt, &O::get_HoldOffSource),
       TevraDelayHoldOffSourceTime},
      {"GATE:STAR:DEL:EVEN?", "+12", NumberGetter(startExt, &A::get_DelayEvents), 12},
      {"GATE:STOP:HOLD:EVEN?", "+34", NumberGetter(stopExt, &O::get_HoldOffEvents), 34},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command + std::string(" -> ") + row.reply);
    d.script.Expect(row.command, row.reply);
    double got = -99;
    EXPECT_EQ(row.get(got), S_OK) << TakeErrorDescription();
    EXPECT_EQ(got, row.expected);
  }
}

TEST_F(ArmStartStop, EveryPutWritesItsCommand) {
  Open("QX1200");
  struct Row {
    const char* command;
    std::function<HRESULT()> put;
  };
  const Row rows[] = {
      {"GATE:STAR:SOUR EXT", [&] { return start->put_Type(TevraArmTypeExternal); }},
      {"GATE:STOP:SOUR IMM", [&] { return stop->put_Type(TevraArmTypeImmediate); }},
      {"GATE:EXT:SOUR INP", [&] { return startExt->put_Source(TevraExternalSourceChannel1); }},
      {"GATE:EXT:SOUR BNC", [&] { return stopExt->put_Source(TevraExternalSourceBNC); }},
      {"GATE:STAR:SLOP POS", [&] { return startExt->put_Slope(TevraSlopePositive); }},
      {"GATE:STOP:SLOP NEG", [&] { return stopExt->put_Slope(TevraSlopeNegative); }},
      {"GATE:STAR:DEL:TIME 0.000125", [&] { return startExt->put_DelayTime(0.000125); }},
      {"GATE:STOP:HOLD:TIME 1.5", [&] { return stopExt->put_HoldOffTime(1.5); }},
      {"GATE:STAR:DEL:SOUR TIME",
       [&] { return startExt->put_DelaySource(TevraDelayHoldOffSourceTime); }},
      {"GATE:STOP:HOLD:SOUR IMM",
       [&] { return stopExt->put_HoldOffSource(TevraDelayHoldOffSourceImmediate); }},
      {"GATE:STAR:DEL:EVEN 5", [&] { return startExt->put_DelayEvents(5); }},
      {"GATE:STOP:HOLD:EVEN 6", [&] { return stopExt->put_HoldOffEvents(6); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    d.script.Expect(row.command);
    EXPECT_EQ(row.put(), S_OK) << TakeErrorDescription();
  }
}

// The level is the trigger level of the channel serving as external source; channel 1 also
// serves the rear BNC.
TEST_F(ArmStartStop, TheExternalLevelFollowsTheExternalSource) {
  Open("QX1200");
  struct Case {
    const char* source;
    const char* put;
    const char* get;
  };
  for (const Case& c : {Case{"INP2", "INP2:LEV 0.500000 ", "INP2:LEV?"},
                        Case{"BNC", "INP:LEV 0.500000 ", "INP:LEV?"},
                        Case{"INP", "INP:LEV 0.500000 ", "INP:LEV?"}}) {
    SCOPED_TRACE(c.source);
    d.script.Expect("GATE:EXT:SOUR?", c.source);
    d.script.Expect(c.put);
    EXPECT_EQ(startExt->put_Voltage(0.5), S_OK) << TakeErrorDescription();
    d.script.Expect("GATE:EXT:SOUR?", c.source);
    d.script.Expect(c.get, "-2.5E-01");
    double level = 0;
    EXPECT_EQ(stopExt->get_Voltage(&level), S_OK) << TakeErrorDescription();
    EXPECT_EQ(level, -0.25);
  }
}

TEST_F(ArmStartStop, ConfigureRunsItsPutsInOrderAndStopsAtTheFirstFailure) {
  Open("QX1200");
  for (const char* command : {"GATE:EXT:SOUR INP2", "GATE:EXT:SOUR?"})
    d.script.Expect(command, "INP2");
  d.script.Expect("INP2:LEV 0.100000 ");
  d.script.Expect("GATE:STAR:SLOP NEG");
  d.script.Expect("GATE:STAR:DEL:TIME 0.002");
  EXPECT_EQ(startExt->Configure(TevraExternalSourceChannel2, 0.1, TevraSlopeNegative, 0.002), S_OK)
      << TakeErrorDescription();

  d.script.Expect("GATE:EXT:SOUR BNC", "", kIoFailure);
  EXPECT_EQ(stopExt->Configure(TevraExternalSourceBNC, 0.1, TevraSlopePositive, 0.5), kIoFailure);
  EXPECT_EQ(d.script.sent.back().command, "GATE:EXT:SOUR BNC");
}

TEST_F(ArmStartStop, TheQX1100RefusesEveryStartAndStopOperation) {
  Open("QX1100", true);
  ITevraArm* arm = COUNTER_ITF(Arm);
  TevraArmTypeEnum type{};
  double level = 0;
  ITevraArmStart* startOut = nullptr;
  ITevraArmStopExternal* stopExtOut = nullptr;
  ExpectRefusals(d.script,
                 {ModelRefusal("get_Start", [&] { return arm->get_Start(&startOut); }),
                  ModelRefusal("get_Type", [&] { return start->get_Type(&type); }),
                  ModelRefusal("get_External", [&] { return stop->get_External(&stopExtOut); }),
                  ModelRefusal("get_Voltage", [&] { return stopExt->get_Voltage(&level); }),
                  ModelRefusal("Configure", [&] {
                    return stopExt->Configure(TevraExternalSourceBNC, 0, TevraSlopePositive, 0);
                  })});
}

TEST_F(ArmStartStop, SimulatedSettingsRememberTheLastPut) {
  Open("QX1300", true);
  using A = ITevraArmStartExternal;
  using O = ITevraArmStopExternal;
  const auto expect = [](std::function<HRESULT(double&)> get, double expected) {
    double got = -99;
    EXPECT_EQ(get(got), S_OK);
    EXPECT_EQ(got, expected);
  };
  // The defaults.
  expect(NumberGetter(startExt, &A::get_DelayEvents), 1);
  expect(NumberGetter(startExt, &A::get_Voltage), 0.1);
  expect(NumberGetter(stopExt, &O::get_Voltage), 0.5);
  expect(NumberGetter(start, &ITevraArmStart::get_Type), TevraArmTypeImmediate);
  EXPECT_EQ(startExt->put_DelayEvents(5), S_OK);
  EXPECT_EQ(stopExt->Configure(TevraExternalSourceChannel2, 0.3, TevraSlopePositive, 0.25), S_OK);
  expect(NumberGetter(startExt, &A::get_DelayEvents), 5);
  expect(NumberGetter(stopExt, &O::get_Source), TevraExternalSourceChannel2);
  expect(NumberGetter(stopExt, &O::get_Voltage), 0.3);
  expect(NumberGetter(stopExt, &O::get_HoldOffTime), 0.25);
}

}  // namespace
}  // namespace tevra::testing
