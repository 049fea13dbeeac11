// The class-compliant arm interfaces' configure methods beyond the row walk: the source name
// trimmed, and unknown names refused before anything is sent.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

class ArmClass : public ScriptedCounter {
 protected:
  void SetUp() override {
    d.Open("QX1300");
    start = d.Get<IIviCounterArmStart>(IID_IIviCounterArmStart);
    stop = d.Get<IIviCounterArmStop>(IID_IIviCounterArmStop);
    startExt = d.Get<IIviCounterArmStartExternal>(IID_IIviCounterArmStartExternal);
    stopExt = d.Get<IIviCounterArmStopExternal>(IID_IIviCounterArmStopExternal);
  }

  IIviCounterArmStart* start = nullptr;
  IIviCounterArmStop* stop = nullptr;
  IIviCounterArmStartExternal* startExt = nullptr;
  IIviCounterArmStopExternal* stopExt = nullptr;
};

TEST_F(ArmClass, ConfigureRefusesUnknownSourceNamesBeforeAnyIo) {
  platform::Bstr rear("Rear");
  ExpectRefusals(
      d.script,
      {{"Invalid value 'Rear' for method 'ArmStartExternal_Source', parameter 'Source'.",
        [&] { return startExt->Configure(rear.get(), 0.1, IviCounterSlopePositive, 0); }},
       {"Invalid value 'Rear' for method 'ArmStopExternal_Source', parameter 'Source'.",
        [&] { return stopExt->Configure(rear.get(), 0.1, IviCounterSlopePositive, 0); }}});
}

TEST_F(ArmClass, ConfigureTrimsTheSourceName) {
  d.script.Expect("GATE:EXT:SOUR INP2");
  d.script.Expect("GATE:EXT:SOUR?", "INP2");
  d.script.Expect("INP2:LEV 0.200000 ");
  d.script.Expect("GATE:STOP:SLOP NEG");
  d.script.Expect("GATE:STOP:HOLD:TIME 0.001");
  platform::Bstr padded(" Channel2 ");
  EXPECT_EQ(stopExt->Configure(padded.get(), 0.2, IviCounterSlopeNegative, 0.001), S_OK)
      << TakeErrorDescription();
}

}  // namespace
}  // namespace tevra::testing
