// The class-compliant function interfaces: channel names to numbers, what each configure
// forwards to, and the per-function properties that are not supported.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

// A class-compliant function interface of the CounterDriver d in scope.
#define CLASS_ITF(Name) d.Get<IIviCounter##Name>(IID_IIviCounter##Name)

// Names live as long as the test.
BSTR Name(const char* text) {
  static std::vector<std::unique_ptr<platform::Bstr>> names;
  names.push_back(std::make_unique<platform::Bstr>(text));
  return names.back()->get();
}

class ClassFunctionTest : public ScriptedCounter {
 protected:
  void SetUp() override { d.Open("QX1300", "785,431"); }
};

TEST_F(ClassFunctionTest, ConfiguresForwardWithTheNamedChannels) {
  struct Row {
    std::vector<std::pair<const char*, const char*>> exchanges;
    std::function<HRESULT()> call;
  };
  const Row rows[] = {
      {{{"CONF:FREQ (@3)", ""}},
       [&] { return CLASS_ITF(Frequency)->Configure(Name("CHANNEL3"), 1e7, 1); }},
      {{{"CONF:FREQ 10000000, 0.001, (@1)", ""}},
       [&] { return CLASS_ITF(Frequency)->ConfigureManual(Name("channel1"), 1e7, 0.001); }},
      {{{"CONF:FREQ (@1); :FREQ:GATE:SOUR TIME; TIME 0.1", ""}},
       [&] {
         return CLASS_ITF(Frequency)->ConfigureWithAperture(Name("channel1"), 1e7, 0.001, 0.1);
       }},
      {{{"CONF:PER 1e-06, 1e-09, (@2)", ""}},
       [&] { return CLASS_ITF(Period)->Configure(Name("channel2"), 1e-6, 1e-9); }},
      {{{"CONF:PER (@1); :FREQ:GATE:SOUR TIME; TIME 0.2", ""}},
       [&] { return CLASS_ITF(Period)->ConfigureWithAperture(Name("channel1"), 1e-6, 1e-9, 0.2); }},
      // The pulse polarity and edge follow the channel's slope.
      {{{"INP2:SLOP?", "NEG"}, {"CONF:NWID 25.000000, (@2)", ""}},
       [&] { return CLASS_ITF(PulseWidth)->Configure(Name("channel2"), 25, 1); }},
      {{{"INP1:SLOP?", "POS"}, {"CONF:PWID 50.000000, (@1)", ""}},
       [&] { return CLASS_ITF(PulseWidth)->Configure(Name("channel1"), 50, 1); }},
      {{{"CONF:PDUT 50.000000, (@1)", ""}},
       [&] { return CLASS_ITF(DutyCycle)->Configure(Name("channel1"), 1e3, 0.1); }},
      {{{"INP1:SLOP?", "NEG"}, {"CONF:FTIM (@1)", ""}},
       [&] { return CLASS_ITF(EdgeTime)->Configure(Name("channel1"), 1e-6, 1e-9); }},
      {{{"INP2:SLOP?", "POS"}, {"CONF:RTIM 0.200000V, 1.800000V, (@2)", ""}},
       [&] {
         return CLASS_ITF(EdgeTime)->ConfigureReferenceLevels(
             Name("channel2"), IviCounterEdgeTimeReferenceTypeVoltage, 1.8, 0.2);
       }},
      {{{"CONF:FREQ:RAT (@1),(@2)", ""}},
       [&] {
         return CLASS_ITF(FrequencyRatio)
             ->Configure(Name("channel1"), Name("channel2"), 1e6, 1, 1e-9);
       }},
      {{{"CONF:TINT (@2),(@1)", ""}},
       [&] {
         return CLASS_ITF(TimeInterval)->Configure(Name("channel2"), Name("channel1"), 1e-6, 1e-9);
       }},
      // The input channel goes first to the instrument's phase configure.
      {{{"CONF:PHAS (@1),(@2)", ""}},
       [&] { return CLASS_ITF(Phase)->Configure(Name("channel1"), Name("channel2"), 1e6, 0.1); }},
      {{{"CONF:TOT:CONT (@2)", ""}},
       [&] { return CLASS_ITF(TotalizeContinuous)->Configure(Name("channel2")); }},
      {{{"CONF:TOT:TIM  0.100000,(@1)", ""}, {"TOT:GATE:SOUR EXT", ""}, {"TOT:GATE:POL POS", ""}},
       [&] { return CLASS_ITF(TotalizeGated)->Configure(Name("channel1"), Name("External"), 1); }},
      {{{"INP:LEV 0.0", ""},
        {"CONF:TOT:TIM  0.100000,(@2)", ""},
        {"TOT:GATE:SOUR INP", ""},
        {"TOT:GATE:POL NEG", ""}},
       [&] { return CLASS_ITF(TotalizeGated)->Configure(Name("channel2"), Name("channel1"), 0); }},
      {{{"CONF:TOT:TIM 0.5,(@1)", ""}},
       [&] { return CLASS_ITF(TotalizeTimed)->Configure(Name("channel1"), 0.5); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.exchanges.back().first);
    for (const auto& [command, reply] : row.exchanges) d.script.Expect(command, reply);
    EXPECT_EQ(row.call(), S_OK) << TakeErrorDescription();
    d.ExpectScriptPlayed();
  }
}

TEST_F(ClassFunctionTest, UnknownNamesAndValuesAreRefusedBeforeForwarding) {
  ExpectRefusals(
      d.script,
      {
          {"Invalid value 'chan2' for method 'Frequency_Configure', parameter 'Channel'.",
           [&] { return CLASS_ITF(Frequency)->Configure(Name("chan2"), 1, 1); }},
          {"Invalid value 'channel4' for method 'Period_Configure', parameter 'Channel'.",
           [&] { return CLASS_ITF(Period)->Configure(Name("channel4"), 1, 1); }},
          {"Invalid value 'x' for method 'FrequencyRatio_Configure', parameter "
           "'DenominatorChannel'.",
           [&] {
             return CLASS_ITF(FrequencyRatio)->Configure(Name("channel1"), Name("x"), 1, 1, 1);
           }},
          {"Invalid value '' for method 'TimeInterval_Configure', parameter 'StartChannel'.",
           [&] { return CLASS_ITF(TimeInterval)->Configure(Name(""), Name("y"), 1, 1); }},
          {"Invalid value 'ref' for method 'Phase_Configure', parameter 'ReferenceChannel'.",
           [&] { return CLASS_ITF(Phase)->Configure(Name("channel1"), Name("ref"), 1, 1); }},
          {"Invalid value 'ext' for method 'TotalizeGated_Configure', parameter 'GateSource'.",
           [&] { return CLASS_ITF(TotalizeGated)->Configure(Name("channel1"), Name("ext"), 1); }},
          {"Invalid value '2' for method 'TotalizeGated_Configure', parameter 'GateSlope'.",
           [&] {
             return CLASS_ITF(TotalizeGated)->Configure(Name("channel1"), Name("external"), 2);
           }},
          {"Invalid value '17' for method 'Voltage_Configure', parameter 'Function'.",
           [&] {
             return CLASS_ITF(Voltage)->Configure(Name("channel1"),
                                                  IviCounterMeasurementFunctionRMSVoltage, 1, 1);
           }},
          {"Invalid value '3' for method 'Voltage_Configure', parameter 'Function'.",
           [&] {
             return CLASS_ITF(Voltage)->Configure(Name("channel1"),
                                                  IviCounterMeasurementFunctionPeriod, 1, 1);
           }},
          // The forwarded method's own checks still apply.
          {"Invalid value '3' for method 'TotalizeContinuous_Configure', parameter 'Channel'.",
           [&] { return CLASS_ITF(TotalizeContinuous)->Configure(Name("channel3")); }},
          {"Invalid value '1' for method 'TotalizeGated_Configure', parameter 'Channel and "
           "GateSource cannot be same channel'.",
           [&] {
             return CLASS_ITF(TotalizeGated)->Configure(Name("channel1"), Name("channel1"), 1);
           }},
      });

  // The class voltage configure selects the instrument's voltage function.
  IIviCounter* counter = d.Get<IIviCounter>(IID_IIviCounter);
  IviCounterMeasurementFunctionEnum function{};
  EXPECT_EQ(CLASS_ITF(Voltage)->Configure(Name("channel2"),
                                          IviCounterMeasurementFunctionMinimumVoltage, 1, 1),
            S_OK);
  EXPECT_EQ(counter->get_Function(&function), S_OK);
  EXPECT_EQ(function, IviCounterMeasurementFunctionMinimumVoltage);
}

TEST(ClassFunctionRoot, HandsOutTheFunctionInterfacesOfOneObject) {
  CounterDriver d;
  d.Simulate("QX1100");
  IIviCounter* counter = d.Get<IIviCounter>(IID_IIviCounter);
  IIviCounterPhase* phase = nullptr;
  ASSERT_EQ(counter->get_Phase(&phase), S_OK);
  ITevra* root = nullptr;
  ASSERT_EQ(phase->QueryInterface(IID_ITevra, (void**)&root), S_OK);
  EXPECT_EQ(root, d.handle.driver);
  root->Release();
  // The instrument method behind it is what the QX1100 lacks.
  platform::Bstr one("channel1"), two("channel2");
  EXPECT_EQ(phase->Configure(one.get(), two.get(), 1, 1), kModelNotSupported);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: " + ModelLacks("Configure"));
  phase->Release();
  IviCounterMeasurementFunctionEnum function{};
  EXPECT_EQ(counter->get_Function(&function), S_OK);
  EXPECT_EQ(function, IviCounterMeasurementFunctionFrequency);
}

}  // namespace
}  // namespace tevra::testing
