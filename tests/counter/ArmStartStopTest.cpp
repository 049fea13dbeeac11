// Start and stop arming beyond the row walk: the external level that follows the external source,
// the configure sequences and their refusal on the QX1100.
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

// The properties' refusals are in the row walk; a method written by hand checks the model too.
TEST_F(ArmStartStop, TheQX1100RefusesTheConfigureMethods) {
  Open("QX1100", true);
  ExpectRefusals(d.script, {ModelRefusal("Configure", [&] {
                   return stopExt->Configure(TevraExternalSourceBNC, 0, TevraSlopePositive, 0);
                 })});
}

}  // namespace
}  // namespace tevra::testing
