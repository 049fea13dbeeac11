// The methods with arguments, which the row walk does not call. The commands their bodies build
// from the arguments, the puts a configure stands for, the class-compliant methods and what they
// forward to, what they refuse before anything is sent, the replies they read and the timeouts
// slow reads raise are lines of the row walk's transcript; here are failures on the way: timed
// out reads, configures that stop at a failure, and the status check around "*OPC?".
#include <iomanip>
#include <span>

#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

#define ITF COUNTER_ITF
#define CLASS_ITF(Name) d.Get<IIviCounter##Name>(IID_IIviCounter##Name)

constexpr auto kVolt = TevraReferenceTypeVoltage;
constexpr auto kPercent = TevraReferenceTypePercent;
constexpr auto kPositive = TevraPolarityPositive;
constexpr auto kNegative = TevraPolarityNegative;
constexpr auto kRising = TevraEdgeTypeRising;
constexpr auto kFrequency = TevraArmMeasurementTypeFrequency;
constexpr auto kTimeInterval = TevraArmMeasurementTypeTimeInterval;
constexpr auto kTotalize = TevraArmMeasurementTypeTotalize;

// Names live as long as the test program.
BSTR Name(const char* text) {
  static std::vector<std::unique_ptr<platform::Bstr>> names;
  return names.emplace_back(std::make_unique<platform::Bstr>(text))->get();
}

// A call, shown as written, and the reply its first query gets.
struct MethodCall {
  const char* what;
  const char* reply;
  std::function<HRESULT()> call;
};
#define CALL(...)                                      \
  {                                                    \
#__VA_ARGS__, nullptr, [&] { return __VA_ARGS__; } \
  }
#define ANSWERED(reply, ...)                         \
  {                                                  \
#__VA_ARGS__, reply, [&] { return __VA_ARGS__; } \
  }

// The outputs the calls read into, shown when a call changed them.
double r, time;
TevraArmSourceEnum source;
TevraPolarityEnum polarity;
TevraFrequencyMeasurementModeEnum mode;
IviCounterMeasurementFunctionEnum function;
IviCounterMeasurementStatusEnum complete;
SAFEARRAY *stamps, *readings;
BSTR text;
ITevraChannel* channel;
void ClearOutputs() {
  r = time = -1;
  source = static_cast<TevraArmSourceEnum>(-1);
  polarity = static_cast<TevraPolarityEnum>(-1);
  mode = static_cast<TevraFrequencyMeasurementModeEnum>(-1);
  function = static_cast<IviCounterMeasurementFunctionEnum>(-1);
  stamps = readings = nullptr;
  text = nullptr;
  channel = nullptr;
}

IIviCounterChannel* ClassChannelOf(CounterDriver& d) {
  IIviCounterChannel* channel = nullptr;
  EXPECT_EQ(CLASS_ITF(Channels)->get_Item(Name("Channel1"), &channel), S_OK);
  return d.Keep(channel);
}

#define ClassChannel() ClassChannelOf(d)
constexpr auto undefined = static_cast<TevraArmMeasurementTypeEnum>(7);

// The calls of one model and options; the lambdas hold d by reference.
std::vector<MethodCall> Calls(const std::string& at, CounterDriver& d) {
  if (at == "QX1300 785,431")
    return {
        CALL(ITF(Frequency)->Configure(1e7, 0.001, 1)),
        CALL(ITF(Frequency)->ConfigureAuto(3)),
        CALL(ITF(Frequency)->Measure(1e7, 0.001, 1, &r)),
        CALL(ITF(Period)->ConfigureWithAperture(1, 0.5)),
        CALL(ITF(Period)->Measure(1e-6, 1e-12, 2, &r)),
        CALL(ITF(Period)->Configure(1e-6, 1e-12, 2)),
        CALL(ITF(PulseWidth)->ConfigureAuto(2)),
        CALL(ITF(DutyCycle)->ConfigureAuto(1)),
        CALL(ITF(DutyCycle)->Configure(1, 50, kPercent, kPositive)),
        CALL(ITF(PulseWidth)->Measure(2, 0.1, kVolt, kPositive, &r)),
        CALL(ITF(EdgeTime)->Measure(1, kPercent, 90, 10, TevraEdgeTypeRising, &r)),
        CALL(ITF(FrequencyRatio)->ConfigureAuto(1, 3)),
        CALL(ITF(FrequencyRatio)->Configure(1, 1, 2, 1)),
        CALL(ITF(FrequencyRatio)->Measure(1.0, 1e-9, 1, 2, &r)),
        CALL(ITF(TimeInterval)->Configure(1, 2)),
        CALL(ITF(TimeInterval)->ConfigureSingleChannel(2)),
        CALL(ITF(TimeInterval)->Measure(2, 1, &r)),
        CALL(ITF(Phase)->Configure(2, 1)),
        CALL(ITF(Phase)->Measure(1, 2, &r)),
        CALL(ITF(TotalizeContinuous)->Configure(1)),
        CALL(ITF(TotalizeTimed)->Configure(0.25, 2)),
        CALL(ITF(TotalizeTimed)->Measure(1.0, 1, &r)),
        CALL(ITF(SinglePeriod)->Configure(1)),
        CALL(ITF(TimeStamp)->Configure(100, 3)),
        // Built from the reference level and its kind; edge times send the low level first.
        CALL(ITF(PulseWidth)->Configure(1, 50, kPercent, kPositive)),
        CALL(ITF(PulseWidth)->Configure(2, -0.25, kVolt, kNegative)),
        CALL(ITF(PulseWidth)->Measure(1, 50, kPercent, kNegative, &r)),
        CALL(ITF(DutyCycle)->Configure(2, 0.1, kVolt, kNegative)),
        CALL(ITF(DutyCycle)->Measure(1, 1, kVolt, kPositive, &r)),
        CALL(ITF(EdgeTime)->ConfigureAuto(1, TevraEdgeTypeRising)),
        CALL(ITF(EdgeTime)->ConfigureAuto(2, TevraEdgeTypeFalling)),
        CALL(ITF(EdgeTime)->Configure(2, kPercent, 90, 10, TevraEdgeTypeFalling)),
        CALL(ITF(EdgeTime)->Measure(2, kVolt, 1, -1, TevraEdgeTypeFalling, &r)),
        // The class-compliant methods name their channels; pulses follow the channel's slope.
        CALL(CLASS_ITF(Frequency)->Configure(Name(" CHANNEL3 "), 1e7, 1)),
        CALL(CLASS_ITF(Period)->ConfigureWithAperture(Name("channel1"), 1e-6, 1e-9, 0.2)),
        ANSWERED("NEG", CLASS_ITF(PulseWidth)->Configure(Name("channel2"), 25, 1)),
        ANSWERED("POS", CLASS_ITF(EdgeTime)->ConfigureReferenceLevels(
                            Name("channel2"), IviCounterEdgeTimeReferenceTypeVoltage, 1.8, 0.2)),
        CALL(CLASS_ITF(Frequency)->ConfigureManual(Name("channel1"), 1e7, 0.001)),
        CALL(CLASS_ITF(Period)->Configure(Name("channel2"), 1e-6, 1e-9)),
        ANSWERED("POS", CLASS_ITF(PulseWidth)->Configure(Name("channel1"), 50, 1)),
        CALL(CLASS_ITF(DutyCycle)->Configure(Name("channel1"), 1e3, 0.1)),
        ANSWERED("NEG", CLASS_ITF(EdgeTime)->Configure(Name("channel1"), 1e-6, 1e-9)),
        CALL(
            CLASS_ITF(FrequencyRatio)->Configure(Name("channel1"), Name("channel2"), 1e6, 1, 1e-9)),
        CALL(CLASS_ITF(TimeInterval)->Configure(Name("channel2"), Name("channel1"), 1e-6, 1e-9)),
        CALL(CLASS_ITF(TotalizeContinuous)->Configure(Name("channel2"))),
        CALL(CLASS_ITF(TotalizeTimed)->Configure(Name("channel1"), 0.5)),
        // The input channel goes first.
        CALL(CLASS_ITF(Phase)->Configure(Name("channel1"), Name("channel2"), 1e6, 0.1)),
        CALL(CLASS_ITF(TotalizeGated)->Configure(Name("channel1"), Name("External"), 1)),
        CALL(CLASS_ITF(TotalizeGated)->Configure(Name("channel2"), Name("channel1"), 0)),
        // The class configure trims the source name its property refuses with blanks.
        ANSWERED("INP2", CLASS_ITF(ArmStopExternal)
                             ->Configure(Name(" Channel2 "), 0.2, IviCounterSlopeNegative, 0.001)),
        CALL(ClassChannel()->ConfigureLevel(0.2, 0.01)),
        CALL(ClassChannel()->Configure(50.0, IviCounterCouplingAC, 10.0)),
        CALL(CLASS_ITF(TotalizeContinuous)->Start()),
        CALL(CLASS_ITF(TotalizeContinuous)->Stop()),
        CALL(ITF(SinglePeriod)->Measure(2.0, &r)),
        // Replies read back: a value and its unit, the mode word before a comma, the function
        // and the configuration without their quotes.
        ANSWERED("+1.00000000000000E+007 HZ", ITF(Measurement)->QueryLast(&r, &text)),
        ANSWERED("-2.5E-09 S,+0", ITF(Measurement)->QueryLast(&r, &text)),
        ANSWERED("+42", ITF(Measurement)->QueryLast(&r, &text)),
        ANSWERED("REC,+1", ITF(Measurement)->get_Mode(&mode)),
        ANSWERED("\"PER 1\"", d.handle.driver->GetFunction(&text)),
        ANSWERED("\"FREQ +1.0E+7,+1.0E-3,(@1)\"", d.handle.driver->Configure(&text)),
        CALL(CLASS_ITF(Measurement)->Initiate()),
        ANSWERED("+1.5E+06,+2.5E+06", CLASS_ITF(Measurement)->Read(1000, &r)),
        CALL(CLASS_ITF(Measurement)->Abort()),
        // After a voltage configure Read and Fetch query the voltage, Read with the caller's
        // limit, and the class function answers without asking until another configure; the
        // time stamps, SetFunction and a refused configure leave the selection in place.
        CALL(ITF(Voltage)->Configure(2, TevraVoltageFunctionDC)),
        CALL(ITF(Measurement)->Read(5000, &readings)),
        CALL(ITF(Measurement)->Fetch(&readings)),
        CALL(CLASS_ITF()->get_Function(&function)),
        CALL(ITF(Voltage)->Configure(2, TevraVoltageFunctionMaximum)),
        CALL(ITF(Measurement)->Read(5000, &readings)),
        CALL(CLASS_ITF()->get_Function(&function)),
        CALL(ITF(Voltage)->Configure(2, TevraVoltageFunctionMinimum)),
        CALL(ITF(Measurement)->Fetch(&readings)),
        CALL(CLASS_ITF()->get_Function(&function)),
        CALL(ITF(Voltage)->Configure(1, TevraVoltageFunctionPeakToPeak)),
        CALL(ITF(Measurement)->Read(5000, &readings)),
        CALL(ITF(TimeStamp)->Configure(5, 1)),
        CALL(d.handle.driver->SetFunction(TevraMeasurementFunctionPeriod2)),
        CALL(ITF(Period)->ConfigureAuto(4)),
        CALL(CLASS_ITF()->get_Function(&function)),
        CALL(ITF(Period)->ConfigureAuto(1)),
        ANSWERED("\"PER 1\"", CLASS_ITF()->get_Function(&function)),
        // The calibration lock takes its code along.
        CALL(ITF(Calibration)->SecurityEnabled(VARIANT_TRUE, Name("SECRET42"))),
    };
  if (at == "QX1300 762,431")
    return {
        // Burst methods ask "*OPT?" afresh before each command.
        CALL(ITF(Burst)->Configure()),
        CALL(ITF(Burst)->MeasureWidth(TevraPulseWidthTypeNegative, &r)),
        CALL(ITF(Burst)->Measure(&r)),
        CALL(ITF(Burst)->ConfigureWidth(TevraPulseWidthTypePositive)),
        CALL(ITF(Burst)->ConfigureWidth(TevraPulseWidthTypeNegative)),
        CALL(ITF(Burst)->MeasureWidth(TevraPulseWidthTypePositive, &r)),
        CALL(ITF(Burst)->ConfigurePRI(1e6, 1, 3)),
        CALL(ITF(Burst)->MeasurePRF(1e6, 0.1, 3, &r)),
        CALL(ITF(Burst)->ConfigurePRF(1e6, 1, 3)),
        CALL(ITF(Burst)->MeasurePRI(1e-6, 1e-9, 3, &r)),
        CALL(ITF(TimeStamp)->Measure(0, 3, &stamps)),
        CALL(ITF(Burst)->ConfigurePRF(1, 1, 1)),
        CALL(ITF(TotalizeContinuous)->FetchCount(&r)),
    };
  if (at == "QX1200 785")
    return {
        CALL(ITF(Arm)->SetSource(kFrequency, TevraArmSourceChannel2)),
        CALL(ITF(Arm)->SetSource(kTimeInterval, TevraArmSourceImmediate)),
        CALL(ITF(Arm)->SetSource(kTotalize, TevraArmSourceTime)),
        ANSWERED("ADV,extra", ITF(Arm)->GetSource(kTotalize, &source)),
        ANSWERED("NEG", ITF(Arm)->GetPolarity(kTimeInterval, &polarity)),
        CALL(ITF(Arm)->SetPolarity(kFrequency, kNegative)),
        CALL(ITF(Arm)->SetTime(kTotalize, 2.5)),
        ANSWERED("+1.00000000E-002", ITF(Arm)->GetTime(kFrequency, &time)),
        // The external level is the trigger level of the channel serving as external source.
        ANSWERED("INP2", ITF(ArmStartExternal)->put_Voltage(0.5)),
        ANSWERED("INP2",
                 ITF(ArmStartExternal)
                     ->Configure(TevraExternalSourceChannel2, 0.1, TevraSlopeNegative, 0.002)),
        CALL(d.Channel("Channel1")->ConfigureLevel(0.25, VARIANT_TRUE)),
        CALL(d.Channel("Channel1")
                 ->Configure(TevraImpedance50, TevraCouplingDC, TevraAttenuationFactor10)),
        CALL(ITF(TotalizeGated)->Configure(2, TevraArmSourceAdvanced, TevraSlopePositive, 2.0)),
        // Refusals: inputs 1..3, the third the microwave input.
        CALL(ITF(PulseWidth)->Configure(3, 50, kPercent, kPositive)),
        CALL(ITF(Frequency)->ConfigureAuto(0)),
        CALL(ITF(Frequency)->Measure(1, 1, 4, &r)),
        // The channel is checked before the levels, a two-channel function's first channel first.
        CALL(ITF(EdgeTime)->Configure(3, kVolt, 1.0, 1.0, kRising)),
        CALL(ITF(EdgeTime)->Configure(1, kVolt, 1.0, 1.0, kRising)),
        CALL(ITF(FrequencyRatio)->ConfigureAuto(4, 5)),
        CALL(ITF(FrequencyRatio)->Measure(1, 1, 3, 0, &r)),
        CALL(ITF(TimeInterval)->Measure(1, 3, &r)),
        CALL(ITF(SinglePeriod)->Measure(3.0, &r)),
        CALL(ITF(TotalizeGated)->Configure(2, TevraArmSourceChannel2, TevraSlopePositive, 1)),
        CALL(ITF(TotalizeGated)->Configure(1, TevraArmSourceImmediate, TevraSlopePositive, 1)),
        CALL(ITF(TimeStamp)->Configure(10, 1)),
        CALL(ITF(Burst)->MeasurePRF(1, 1, 3, &r)),
        // Gates: sources a family has not, the time of a time interval, an undefined family.
        CALL(ITF(Arm)->SetSource(kFrequency, TevraArmSourceImmediate)),
        CALL(ITF(Arm)->SetSource(kTimeInterval, TevraArmSourceChannel2)),
        CALL(ITF(Arm)->SetTime(kTimeInterval, 1.0)),
        CALL(ITF(Arm)->GetPolarity(undefined, &polarity)),
        // The microwave input takes no settings.
        CALL(d.Channel("Channel3")->ConfigureLevel(0.1, VARIANT_FALSE)),
        // The class-compliant methods refuse names and values outside their sets.
        CALL(ClassChannel()->Configure(600.0, IviCounterCouplingAC, 1.0)),
        CALL(ClassChannel()->Configure(50.0, IviCounterCouplingAC, 100.0)),
        CALL(ClassChannel()->ConfigureFilter(1.0, 2.0)),
        CALL(CLASS_ITF(Frequency)->Configure(Name("chan2"), 1, 1)),
        CALL(CLASS_ITF(FrequencyRatio)->Configure(Name("channel1"), Name("x"), 1, 1, 1)),
        CALL(CLASS_ITF(TotalizeGated)->Configure(Name("channel1"), Name("external"), 2)),
        CALL(CLASS_ITF(Voltage)->Configure(Name("channel1"), IviCounterMeasurementFunctionPeriod, 1,
                                           1)),
        // The forwarded method's own checks still apply.
        CALL(CLASS_ITF(TotalizeContinuous)->Configure(Name("channel3"))),
        CALL(CLASS_ITF(ArmStopExternal)->Configure(Name("Rear"), 0.1, IviCounterSlopePositive, 0)),
    };
  // Simulation reads fixed values after the same checks as on an instrument, and sends nothing.
  if (at == "SIM QX1300")
    return {
        CALL(ITF(Frequency)->Measure(1, 1, 3, &r)),
        CALL(ITF(Period)->Measure(1, 1, 1, &r)),
        CALL(ITF(PulseWidth)->Measure(1, 50, kPercent, kPositive, &r)),
        CALL(ITF(PulseWidth)->Measure(2, 50, kPercent, kPositive, &r)),
        CALL(ITF(DutyCycle)->Measure(2, 50, kPercent, kNegative, &r)),
        CALL(ITF(EdgeTime)->Measure(1, kPercent, 90, 10, kRising, &r)),
        CALL(ITF(FrequencyRatio)->Measure(1, 1, 1, 2, &r)),
        CALL(ITF(TimeInterval)->Measure(1, 2, &r)),
        CALL(ITF(Phase)->Measure(1, 2, &r)),
        CALL(ITF(TotalizeTimed)->Measure(1, 1, &r)),
        CALL(ITF(SinglePeriod)->Measure(2, &r)),
        CALL(ITF(Burst)->Measure(&r)),
        CALL(ITF(Burst)->MeasurePRF(1, 1, 3, &r)),
        CALL(ITF(Burst)->MeasurePRI(1, 1, 3, &r)),
        CALL(ITF(Burst)->MeasureWidth(TevraPulseWidthTypeNegative, &r)),
        CALL(ITF(Burst)->MeasurePRF(1, 1, 1, &r)),
        CALL(ITF(TotalizeGated)->Configure(2, TevraArmSourceChannel2, TevraSlopePositive, 1)),
        CALL(ITF(TotalizeGated)->Configure(2, TevraArmSourceChannel1, TevraSlopePositive, 1)),
        // Simulated readings are zeros, one for each sample of each trigger.
        CALL(ITF(Measurement)->Read(1000, &readings)),
        CALL(ITF(Trigger)->put_Count(3)),
        CALL(ITF(Trigger)->put_SampleCount(4)),
        CALL(ITF(Measurement)->Read(1000, &readings)),
        CALL(ITF(Measurement)->Fetch(&readings)),
        CALL(ITF(Measurement)->DestructiveReadCounted(0, &readings)),
        CALL(ITF(Measurement)->DestructiveReadCounted(25, &readings)),
        CALL(ITF(Measurement)->DestructiveReadUpToCount(0, &readings)),
        CALL(ITF(Measurement)->DestructiveReadUpToCount(25, &readings)),
        CALL(CLASS_ITF(Measurement)->Read(1000, &r)),
        CALL(ITF(Trigger)->put_Count(0)),
        CALL(CLASS_ITF(Measurement)->Fetch(&r)),
        CALL(CLASS_ITF(Measurement)->IsMeasurementComplete(&complete)),
        CALL(ITF(System)->WaitForOperationComplete(10)),
        CALL(d.handle.driver->Configure(&text)),
    };
  if (at == "SIM QX1200")
    return {
        CALL(ITF(PulseWidth)->Measure(3, 50, kPercent, kPositive, &r)),
        CALL(ITF(PulseWidth)->Measure(1, 50, kPercent, kPositive, &r)),
        CALL(ITF(TimeStamp)->Measure(5, 1, &stamps)),
        // A configure stores on its own channel until a reset; the microwave input takes none.
        CALL(d.Channel("Channel2")->ConfigureLevel(0.75, VARIANT_TRUE)),
        CALL(d.Channel("Channel2")->get_Voltage1(&r)),
        CALL(d.Channel("Channel1")->get_Voltage1(&r)),
        CALL(d.handle.utility->Reset()),
        CALL(d.Channel("Channel2")->get_Voltage1(&r)),
        CALL(d.Channel("Channel3")
                 ->Configure(TevraImpedance50, TevraCouplingAC, TevraAttenuationFactor1)),
        // Channels by name in any case and with blanks, and names by index 1..count.
        CALL(d.Channels()->get_Item(Name(" CHANNEL1 "), &channel)),
        CALL(d.Channels()->get_Item(Name("Channel4"), &channel)),
        CALL(d.Channels()->get_Name(3, &text)),
        CALL(d.Channels()->get_Name(0, &text)),
        CALL(d.Channels()->get_Name(4, &text)),
    };
  if (at == "SIM QX1100") return {CALL(ITF(PulseWidth)->Measure(1, 50, kPercent, kPositive, &r))};
  return {
      // Beyond frequency, period and ratio every function is missing on the QX1100, and so are
      // the start and stop configure methods and the gates of other families.
      CALL(ITF(PulseWidth)->ConfigureAuto(1)),
      CALL(ITF(TotalizeGated)->Configure(1, TevraArmSourceChannel1, TevraSlopePositive, 1)),
      CALL(ITF(SinglePeriod)->Measure(1, &r)),
      CALL(ITF(Burst)->Configure()),
      CALL(d.Get<ITevraTotalizeContinuous2>(IID_ITevraTotalizeContinuous2)->ReadCount(&r)),
      CALL(ITF(ArmStopExternal)->Configure(TevraExternalSourceBNC, 0, TevraSlopePositive, 0)),
      CALL(ITF(Arm)->SetTime(kTotalize, 1.0)),
      CALL(ITF(FrequencyRatio)->ConfigureAuto(1, 2)),
      CALL(ITF(Period)->ConfigureAuto(2)),
  };
}

}  // namespace

void WalkMethods(std::ostream& out) {
  for (const auto& [model, options] : {std::pair{"QX1300", "785,431"},
                                       {"QX1300", "762,431"},
                                       {"QX1200", "785"},
                                       {"QX1100", "762"},
                                       {"SIM QX1300", ""},
                                       {"SIM QX1200", ""},
                                       {"SIM QX1100", ""}}) {
    out << std::setprecision(15);  // the readings as written in the code
    CounterDriver d;
    const std::string at = *options ? std::string(model) + " " + options : model;
    if (at.starts_with("SIM "))
      d.Simulate(model + 4);
    else
      d.Open(model, options);
    const char* reply = nullptr;
    d.script.answer = [&](std::string_view command) {
      if (command == "*OPT?") return std::string(options);
      const char* r = reply ? reply : "+1.25000000E-006";
      reply = nullptr;
      return std::string(r);
    };
    for (const MethodCall& c : Calls(at, d)) {
      ClearOutputs();
      reply = c.reply;
      std::string what = c.what;  // as written, whatever the line breaks
      for (const char* gap : {" ->", "( "})
        for (std::size_t at = what.find(gap); at != std::string::npos; at = what.find(gap))
          what.erase(at + (gap[0] == ' ' ? 0 : 1), 1);
      TranscriptLine(out, d, at + " " + what, c.call);
      if (r != -1) out << "  r = " << r << "\n";
      if (source != -1) out << "  source = " << source << "\n";
      if (polarity != -1) out << "  polarity = " << polarity << "\n";
      if (time != -1) out << "  time = " << time << "\n";
      if (stamps) out << "  stamps\n";
      if (mode != -1) out << "  mode = " << mode << "\n";
      if (function != -1) out << "  function = " << function << "\n";
      if (text) out << "  text = " << Quoted(platform::BstrToUtf8(text)) << "\n";
      TevraSysFreeString(text);
      if (channel) out << "  channel\n";
      if (channel) channel->Release();
      if (readings) {
        out << "  readings =";
        for (double v : Readings(readings)) out << " " << v;
        out << "\n";
      }
      // The timeouts slow reads raise for their queries, and the session's when not restored.
      for (const auto& sent : d.script.sent)
        if (sent.timeout != 2000)
          out << "  " << Quoted(sent.command) << " with " << sent.timeout << " ms\n";
      if (d.script.timeout != 2000) out << "  session timeout " << d.script.timeout << "\n";
    }
  }
}

namespace {

// Each test plays its script exactly: nothing left over, nothing unexpected.
class Methods : public ::testing::Test {
 protected:
  void TearDown() override { d.ExpectScriptPlayed(); }
  CounterDriver d;
};

TEST_F(Methods, TheClassVoltageConfigureSelectsTheVoltageFunctionWithoutIo) {
  d.Open("QX1300", "785,431");
  IviCounterMeasurementFunctionEnum function{};
  EXPECT_EQ(CLASS_ITF(Voltage)->Configure(Name("channel2"),
                                          IviCounterMeasurementFunctionMinimumVoltage, 1, 1),
            S_OK);
  EXPECT_EQ(CLASS_ITF()->get_Function(&function), S_OK);
  EXPECT_EQ(function, IviCounterMeasurementFunctionMinimumVoltage);
}

TEST_F(Methods, ABurstMethodWithoutItsOptionSendsNothing) {
  d.Open("QX1300", "785,431");
  d.script.Expect("*OPT?", "785");
  EXPECT_EQ(ITF(Burst)->ConfigurePRF(1e6, 1, 3), static_cast<HRESULT>(0x80044001));
  EXPECT_EQ(TakeErrorDescription(), "Tevra: Option not installed on instrument model.");
}

TEST_F(Methods, AnUnknownSourceWordAndConfiguresThatStopAtAFailure) {
  d.Open("QX1200", "785");
  TevraArmSourceEnum source = TevraArmSourceAdvanced;
  d.script.Expect("FREQ:GATE:SOUR? ", "WHAT");
  EXPECT_EQ(ITF(Arm)->GetSource(kFrequency, &source), S_OK);
  EXPECT_EQ(source, TevraArmSourceChannel1);  // an unknown word leaves the cleared output
  // A configure stops at its first failed put; a gated totalize's polarity write alone decides.
  d.script.Expect("GATE:EXT:SOUR BNC", "", kIoFailure);
  EXPECT_EQ(ITF(ArmStopExternal)->Configure(TevraExternalSourceBNC, 0.1, TevraSlopePositive, 0.5),
            kIoFailure);
  d.ExpectScriptPlayed();
  d.script.Expect("INP:LEV 0.0", "", kIoFailure);
  d.script.Expect("CONF:TOT:TIM  0.100000,(@2)", "", kIoFailure);
  d.script.Expect("TOT:GATE:SOUR INP");
  d.script.Expect("TOT:GATE:POL POS");
  EXPECT_EQ(ITF(TotalizeGated)->Configure(2, TevraArmSourceChannel1, TevraSlopePositive, 0.1),
            S_OK);
  d.ExpectScriptPlayed();
  d.script.Expect("CONF:TOT:TIM  0.100000,(@2)");
  d.script.Expect("TOT:GATE:SOUR EXT");
  d.script.Expect("TOT:GATE:POL NEG", "", kIoFailure);
  EXPECT_EQ(ITF(TotalizeGated)->Configure(2, TevraArmSourceExternal, TevraSlopeNegative, 0.1),
            kIoFailure);
  d.ExpectScriptPlayed();
  // A failed format command stops the binary read.
  d.script.Expect("FORM REAL,64", "", kIoFailure);
  SAFEARRAY* array = nullptr;
  EXPECT_EQ(ITF(Measurement)->DestructiveReadUpToCount(5, &array), kIoFailure);
  EXPECT_EQ(array, nullptr);
}

// Slow reads raise the session timeout for their query alone, and the transcript has them at
// the usual session timeout; here a longer session timeout stands, and a timed-out read restores
// the session's own too.
TEST_F(Methods, SlowReadsRaiseTheTimeoutForTheirQueryAlone) {
  d.Open("QX1300", "785,431");
  SAFEARRAY* array = nullptr;
  struct Slow {
    const char* command;
    HRESULT status;
    std::int32_t sessionTimeout, inForce;
    std::function<HRESULT()> call;
    std::size_t count;  // of the readings
  };
  const Slow rows[] = {
      {":FETC?", kIoTimeout, 2000, 50000, [&] { return ITF(Measurement)->Fetch(&array); }, 0},
      {":READ?", kIoTimeout, 2000, 50000, [&] { return ITF(Measurement)->Read(5, &array); }, 0},
      {":READ?", S_OK, 60000, 60000, [&] { return ITF(Measurement)->Read(5, &array); }, 3},
      {":MEAS:ARR:TST? (3),(@1)", S_OK, 80000, 80000,
       [&] { return ITF(TimeStamp)->Measure(3, 1, &array); }, 3},
  };
  for (const Slow& row : rows) {
    SCOPED_TRACE(row.command);
    d.script.timeout = row.sessionTimeout;
    d.script.sent.clear();
    d.script.Expect(row.command, "+1.0E-006,+2.0E-006,+3.0E-006", row.status);
    EXPECT_EQ(row.call(), row.status);
    EXPECT_EQ(array ? Readings(array).size() : 0, row.count);
    array = nullptr;
    EXPECT_THAT(d.script.sent,
                ::testing::ElementsAre(ScriptedIoSession::Sent{row.command, row.inForce}));
    EXPECT_EQ(d.script.timeout, row.sessionTimeout);
  }
}

TEST_F(Methods, WaitForOperationCompleteSuspendsTheStatusCheck) {
  // With status checking, "*CLS" first and "*ESR?" after every exchange.
  d.script.Expect("*CLS");
  d.script.Expect("*ESR?", "0");
  d.script.Expect("*IDN?", "Orvane Technologies,QX1200,SN1,2.0.1");
  d.script.Expect("*ESR?", "0");
  d.script.Expect("*OPT?", "431");
  d.script.Expect("*ESR?", "0");
  ASSERT_EQ(d.handle.Initialize("TCPIP::h::5025::SOCKET", "QueryInstrStatus=true", true), S_OK);
  d.script.sent.clear();
  auto* system = ITF(System);
  d.script.Expect("*OPC?", "1");
  d.script.Expect("*OPC?", "+1");
  d.script.Expect("*OPC?", "", kIoTimeout);
  EXPECT_EQ(system->WaitForOperationComplete(10), S_OK);
  EXPECT_EQ(system->WaitForOperationComplete(3000), S_OK);
  EXPECT_EQ(system->WaitForOperationComplete(10), kIoTimeout);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: I/O timeout error: WaitForOperationComplete.");
  // No "*ESR?" in between, and the check is on again afterwards.
  using Sent = ScriptedIoSession::Sent;
  EXPECT_THAT(d.script.sent,
              ::testing::ElementsAre(Sent{"*OPC?", 100}, Sent{"*OPC?", 3000}, Sent{"*OPC?", 100}));
  EXPECT_EQ(d.script.timeout, 2000);
  VARIANT_BOOL checking = 0;
  EXPECT_EQ(d.handle.operation->get_QueryInstrumentStatus(&checking), S_OK);
  EXPECT_EQ(checking, VARIANT_TRUE);
}

}  // namespace
}  // namespace tevra::testing
