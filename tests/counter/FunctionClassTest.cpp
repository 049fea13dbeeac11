// The class-compliant function interfaces: channel names to numbers, what each configure
// forwards to, and the per-function properties that are not supported.
#include <functional>
#include <vector>

#include "FunctionTestDriver.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::testing {
namespace {

struct ClassFunctions {
  explicit ClassFunctions(FunctionDriver& d)
      : frequency(d.Get<IIviCounterFrequency>(IID_IIviCounterFrequency)),
        period(d.Get<IIviCounterPeriod>(IID_IIviCounterPeriod)),
        pulseWidth(d.Get<IIviCounterPulseWidth>(IID_IIviCounterPulseWidth)),
        dutyCycle(d.Get<IIviCounterDutyCycle>(IID_IIviCounterDutyCycle)),
        edgeTime(d.Get<IIviCounterEdgeTime>(IID_IIviCounterEdgeTime)),
        ratio(d.Get<IIviCounterFrequencyRatio>(IID_IIviCounterFrequencyRatio)),
        interval(d.Get<IIviCounterTimeInterval>(IID_IIviCounterTimeInterval)),
        phase(d.Get<IIviCounterPhase>(IID_IIviCounterPhase)),
        continuous(d.Get<IIviCounterTotalizeContinuous>(IID_IIviCounterTotalizeContinuous)),
        gated(d.Get<IIviCounterTotalizeGated>(IID_IIviCounterTotalizeGated)),
        timed(d.Get<IIviCounterTotalizeTimed>(IID_IIviCounterTotalizeTimed)),
        voltage(d.Get<IIviCounterVoltage>(IID_IIviCounterVoltage)) {}
  IIviCounterFrequency* frequency;
  IIviCounterPeriod* period;
  IIviCounterPulseWidth* pulseWidth;
  IIviCounterDutyCycle* dutyCycle;
  IIviCounterEdgeTime* edgeTime;
  IIviCounterFrequencyRatio* ratio;
  IIviCounterTimeInterval* interval;
  IIviCounterPhase* phase;
  IIviCounterTotalizeContinuous* continuous;
  IIviCounterTotalizeGated* gated;
  IIviCounterTotalizeTimed* timed;
  IIviCounterVoltage* voltage;
};

// Names live as long as the test.
BSTR Name(const char* text) {
  static std::vector<std::unique_ptr<platform::Bstr>> names;
  names.push_back(std::make_unique<platform::Bstr>(text));
  return names.back()->get();
}

using Call = std::function<HRESULT(ClassFunctions&)>;

class ClassFunctionTest : public ::testing::Test {
 protected:
  void Open() {
    driver.Open("QX1300", "785,431");
    c = std::make_unique<ClassFunctions>(driver);
  }
  void TearDown() override { driver.ExpectScriptPlayed(); }

  FunctionDriver driver;
  std::unique_ptr<ClassFunctions> c;
};

TEST_F(ClassFunctionTest, ConfiguresForwardWithTheNamedChannels) {
  Open();
  struct Row {
    std::vector<std::pair<const char*, const char*>> exchanges;
    Call call;
  };
  const Row rows[] = {
      {{{"CONF:FREQ (@2)", ""}},
       [](ClassFunctions& c) { return c.frequency->Configure(Name(" Channel2 "), 1e7, 1); }},
      {{{"CONF:FREQ (@3)", ""}},
       [](ClassFunctions& c) { return c.frequency->Configure(Name("CHANNEL3"), 1e7, 1); }},
      {{{"CONF:FREQ 10000000, 0.001, (@1)", ""}},
       [](ClassFunctions& c) {
         return c.frequency->ConfigureManual(Name("channel1"), 1e7, 0.001);
       }},
      {{{"CONF:FREQ (@1); :FREQ:GATE:SOUR TIME; TIME 0.1", ""}},
       [](ClassFunctions& c) {
         return c.frequency->ConfigureWithAperture(Name("channel1"), 1e7, 0.001, 0.1);
       }},
      {{{"CONF:PER 1e-06, 1e-09, (@2)", ""}},
       [](ClassFunctions& c) { return c.period->Configure(Name("channel2"), 1e-6, 1e-9); }},
      {{{"CONF:PER (@1); :FREQ:GATE:SOUR TIME; TIME 0.2", ""}},
       [](ClassFunctions& c) {
         return c.period->ConfigureWithAperture(Name("channel1"), 1e-6, 1e-9, 0.2);
       }},
      // The pulse polarity and edge follow the channel's slope.
      {{{"INP2:SLOP?", "NEG"}, {"CONF:NWID 25.000000, (@2)", ""}},
       [](ClassFunctions& c) { return c.pulseWidth->Configure(Name("channel2"), 25, 1); }},
      {{{"INP1:SLOP?", "POS"}, {"CONF:PWID 50.000000, (@1)", ""}},
       [](ClassFunctions& c) { return c.pulseWidth->Configure(Name("channel1"), 50, 1); }},
      {{{"CONF:PDUT 50.000000, (@1)", ""}},
       [](ClassFunctions& c) { return c.dutyCycle->Configure(Name("channel1"), 1e3, 0.1); }},
      {{{"INP1:SLOP?", "NEG"}, {"CONF:FTIM (@1)", ""}},
       [](ClassFunctions& c) { return c.edgeTime->Configure(Name("channel1"), 1e-6, 1e-9); }},
      {{{"INP2:SLOP?", "POS"}, {"CONF:RTIM 0.200000V, 1.800000V, (@2)", ""}},
       [](ClassFunctions& c) {
         return c.edgeTime->ConfigureReferenceLevels(
             Name("channel2"), IviCounterEdgeTimeReferenceTypeVoltage, 1.8, 0.2);
       }},
      {{{"CONF:FREQ:RAT (@1),(@2)", ""}},
       [](ClassFunctions& c) {
         return c.ratio->Configure(Name("channel1"), Name("channel2"), 1e6, 1, 1e-9);
       }},
      {{{"CONF:TINT (@2),(@1)", ""}},
       [](ClassFunctions& c) {
         return c.interval->Configure(Name("channel2"), Name("channel1"), 1e-6, 1e-9);
       }},
      // The input channel goes first to the instrument's phase configure.
      {{{"CONF:PHAS (@1),(@2)", ""}},
       [](ClassFunctions& c) {
         return c.phase->Configure(Name("channel1"), Name("channel2"), 1e6, 0.1);
       }},
      {{{"CONF:TOT:CONT (@2)", ""}},
       [](ClassFunctions& c) { return c.continuous->Configure(Name("channel2")); }},
      {{{"CONF:TOT:TIM  0.100000,(@1)", ""}, {"TOT:GATE:SOUR EXT", ""}, {"TOT:GATE:POL POS", ""}},
       [](ClassFunctions& c) { return c.gated->Configure(Name("channel1"), Name("External"), 1); }},
      {{{"INP:LEV 0.0", ""},
        {"CONF:TOT:TIM  0.100000,(@2)", ""},
        {"TOT:GATE:SOUR INP", ""},
        {"TOT:GATE:POL NEG", ""}},
       [](ClassFunctions& c) { return c.gated->Configure(Name("channel2"), Name("channel1"), 0); }},
      {{{"CONF:TOT:TIM 0.5,(@1)", ""}},
       [](ClassFunctions& c) { return c.timed->Configure(Name("channel1"), 0.5); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.exchanges.back().first);
    for (const auto& [command, reply] : row.exchanges) driver.script.Expect(command, reply);
    EXPECT_EQ(row.call(*c), S_OK) << TakeErrorDescription();
    driver.ExpectScriptPlayed();
  }
}

TEST_F(ClassFunctionTest, UnknownNamesAndValuesAreRefusedBeforeForwarding) {
  Open();
  struct Row {
    const char* message;
    Call call;
  };
  const Row rows[] = {
      {"Invalid value 'chan2' for method 'Frequency_Configure', parameter 'Channel'.",
       [](ClassFunctions& c) { return c.frequency->Configure(Name("chan2"), 1, 1); }},
      {"Invalid value 'channel4' for method 'Period_Configure', parameter 'Channel'.",
       [](ClassFunctions& c) { return c.period->Configure(Name("channel4"), 1, 1); }},
      {"Invalid value 'x' for method 'FrequencyRatio_Configure', parameter 'DenominatorChannel'.",
       [](ClassFunctions& c) { return c.ratio->Configure(Name("channel1"), Name("x"), 1, 1, 1); }},
      {"Invalid value '' for method 'TimeInterval_Configure', parameter 'StartChannel'.",
       [](ClassFunctions& c) { return c.interval->Configure(Name(""), Name("y"), 1, 1); }},
      {"Invalid value 'ref' for method 'Phase_Configure', parameter 'ReferenceChannel'.",
       [](ClassFunctions& c) { return c.phase->Configure(Name("channel1"), Name("ref"), 1, 1); }},
      {"Invalid value 'ext' for method 'TotalizeGated_Configure', parameter 'GateSource'.",
       [](ClassFunctions& c) { return c.gated->Configure(Name("channel1"), Name("ext"), 1); }},
      {"Invalid value '2' for method 'TotalizeGated_Configure', parameter 'GateSlope'.",
       [](ClassFunctions& c) { return c.gated->Configure(Name("channel1"), Name("external"), 2); }},
      {"Invalid value '17' for method 'Voltage_Configure', parameter 'Function'.",
       [](ClassFunctions& c) {
         return c.voltage->Configure(Name("channel1"), IviCounterMeasurementFunctionRMSVoltage, 1,
                                     1);
       }},
      {"Invalid value '3' for method 'Voltage_Configure', parameter 'Function'.",
       [](ClassFunctions& c) {
         return c.voltage->Configure(Name("channel1"), IviCounterMeasurementFunctionPeriod, 1, 1);
       }},
      // The forwarded method's own checks still apply.
      {"Invalid value '3' for method 'TotalizeContinuous_Configure', parameter 'Channel'.",
       [](ClassFunctions& c) { return c.continuous->Configure(Name("channel3")); }},
      {"Invalid value '1' for method 'TotalizeGated_Configure', parameter 'Channel and "
       "GateSource cannot be same channel'.",
       [](ClassFunctions& c) { return c.gated->Configure(Name("channel1"), Name("channel1"), 1); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    EXPECT_EQ(row.call(*c), kInvalidValue);
    EXPECT_EQ(TakeErrorDescription(), std::string("Tevra: ") + row.message);
    EXPECT_TRUE(driver.script.sent.empty());
  }

  // The class voltage configure selects the instrument's voltage function.
  IIviCounter* counter = driver.Get<IIviCounter>(IID_IIviCounter);
  IviCounterMeasurementFunctionEnum function{};
  EXPECT_EQ(
      c->voltage->Configure(Name("channel2"), IviCounterMeasurementFunctionMinimumVoltage, 1, 1),
      S_OK);
  EXPECT_EQ(counter->get_Function(&function), S_OK);
  EXPECT_EQ(function, IviCounterMeasurementFunctionMinimumVoltage);
}

// Every property of the function interfaces answers "not supported" for get and put, named as
// family, accessor and property.
TEST_F(ClassFunctionTest, FunctionPropertiesAreNotSupported) {
  Open();
  double number = 0;
  BSTR text = nullptr;
  VARIANT_BOOL flag = 0;
  IviCounterEdgeTimeReferenceTypeEnum type{};
  BSTR name = Name("channel1");
  struct Row {
    const char* property;
    std::function<HRESULT()> call;
  };
  const Row rows[] = {
      {"Frequency_get_Channel", [&] { return c->frequency->get_Channel(&text); }},
      {"Frequency_get_ResolutionAuto", [&] { return c->frequency->get_ResolutionAuto(&flag); }},
      {"Period_put_ApertureTime", [&] { return c->period->put_ApertureTime(1); }},
      {"PulseWidth_get_Estimate", [&] { return c->pulseWidth->get_Estimate(&number); }},
      {"DutyCycle_get_FrequencyEstimate",
       [&] { return c->dutyCycle->get_FrequencyEstimate(&number); }},
      {"EdgeTime_get_ReferenceType", [&] { return c->edgeTime->get_ReferenceType(&type); }},
      {"FrequencyRatio_get_NumeratorFrequencyEstimate",
       [&] { return c->ratio->get_NumeratorFrequencyEstimate(&number); }},
      {"TimeInterval_put_StopHoldoff", [&] { return c->interval->put_StopHoldoff(1); }},
      {"Phase_put_ReferenceChannel", [&] { return c->phase->put_ReferenceChannel(name); }},
      {"TotalizeContinuous_get_Channel", [&] { return c->continuous->get_Channel(&text); }},
      {"TotalizeGated_get_GateSource", [&] { return c->gated->get_GateSource(&text); }},
      {"TotalizeTimed_get_GateTime", [&] { return c->timed->get_GateTime(&number); }},
      {"Voltage_get_Resolution", [&] { return c->voltage->get_Resolution(&number); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.property);
    EXPECT_EQ(row.call(), kPropertyNotSupported);
    EXPECT_EQ(TakeErrorDescription(),
              std::string("Tevra: Does not support this class-compliant feature: property '") +
                  row.property + "'.");
  }
  EXPECT_EQ(text, nullptr);
  EXPECT_TRUE(driver.script.sent.empty());
}

TEST(ClassFunctionRoot, HandsOutTheFunctionInterfacesOfOneObject) {
  FunctionDriver driver;
  driver.Simulate("QX1100");
  IIviCounter* counter = driver.Get<IIviCounter>(IID_IIviCounter);
  IIviCounterPhase* phase = nullptr;
  ASSERT_EQ(counter->get_Phase(&phase), S_OK);
  ITevra* root = nullptr;
  ASSERT_EQ(phase->QueryInterface(IID_ITevra, (void**)&root), S_OK);
  EXPECT_EQ(root, driver.handle.driver);
  root->Release();
  // The instrument method behind it is what the QX1100 lacks.
  platform::Bstr one("channel1"), two("channel2");
  EXPECT_EQ(phase->Configure(one.get(), two.get(), 1, 1), kModelNotSupported);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Instrument model does not support this feature: "
            "Configure.");
  phase->Release();
  IviCounterMeasurementFunctionEnum function{};
  EXPECT_EQ(counter->get_Function(&function), S_OK);
  EXPECT_EQ(function, IviCounterMeasurementFunctionFrequency);
}

}  // namespace
}  // namespace tevra::testing
