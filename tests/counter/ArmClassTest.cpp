// The class-compliant arm interfaces: external sources by name, arm types and slopes passed
// through, and the names refused before anything is sent.
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

TEST_F(ArmClass, ExternalSourcesAreNamed) {
  struct Case {
    const char* word;
    const char* name;
    const char* put;  // a name in any case
  };
  for (const Case& c : {Case{"INP", "Channel1", "CHANNEL1"}, Case{"INP2", "Channel2", "channel2"},
                        Case{"BNC", "BNC", "Bnc"}}) {
    SCOPED_TRACE(c.word);
    d.script.Expect("GATE:EXT:SOUR?", c.word);
    EXPECT_EQ(GetText([&](BSTR* v) { return startExt->get_Source(v); }), c.name);
    d.script.Expect("GATE:EXT:SOUR?", c.word);
    EXPECT_EQ(GetText([&](BSTR* v) { return stopExt->get_Source(v); }), c.name);
    d.script.Expect(std::string("GATE:EXT:SOUR ") + c.word);
    platform::Bstr name(c.put);
    EXPECT_EQ(startExt->put_Source(name.get()), S_OK) << TakeErrorDescription();
  }
}

TEST_F(ArmClass, UnknownSourceNamesAreRefusedBeforeAnyIo) {
  platform::Bstr padded(" Channel2 "), rear("Rear");
  ExpectRefusals(
      d.script,
      {{"Invalid value ' Channel2 ' for method 'ArmStartExternal_Source', parameter 'val'.",
        [&] { return startExt->put_Source(padded.get()); }},
       {"Invalid value 'Rear' for method 'ArmStopExternal_put_Source', parameter 'val'.",
        [&] { return stopExt->put_Source(rear.get()); }},
       {"Invalid value 'Rear' for method 'ArmStartExternal_Source', parameter 'Source'.",
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

TEST_F(ArmClass, TypesSlopesAndLevelsPassThrough) {
  d.script.Expect("GATE:STAR:SOUR?", "EXT");
  IviCounterArmTypeEnum type{};
  EXPECT_EQ(start->get_Type(&type), S_OK);
  EXPECT_EQ(type, IviCounterArmTypeExternal);
  d.script.Expect("GATE:STOP:SOUR IMM");
  EXPECT_EQ(stop->put_Type(IviCounterArmTypeImmediate), S_OK);
  d.script.Expect("GATE:STAR:SLOP?", "NEG");
  IviCounterSlopeEnum slope{};
  EXPECT_EQ(startExt->get_Slope(&slope), S_OK);
  EXPECT_EQ(slope, IviCounterSlopeNegative);
  d.script.Expect("GATE:STOP:SLOP POS");
  EXPECT_EQ(stopExt->put_Slope(IviCounterSlopePositive), S_OK);
  d.script.Expect("GATE:EXT:SOUR?", "INP");
  d.script.Expect("INP:LEV?", "+1.0E-01");
  double level = 0;
  EXPECT_EQ(startExt->get_Level(&level), S_OK);
  EXPECT_EQ(level, 0.1);
}

}  // namespace
}  // namespace tevra::testing
