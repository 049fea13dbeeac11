// The methods with arguments, which the row walk does not call. The commands their bodies build
// from the arguments, the puts a configure stands for, the class-compliant methods and what they
// forward to, and what they refuse before anything is sent are lines of the row walk's
// transcript; here are the slow queries' own timeouts and the configures that stop at a failure.
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
SAFEARRAY* stamps;
void ClearOutputs() {
  r = time = -1;
  source = static_cast<TevraArmSourceEnum>(-1);
  polarity = static_cast<TevraPolarityEnum>(-1);
  stamps = nullptr;
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
    };
  if (at == "SIM QX1200")
    return {
        CALL(ITF(PulseWidth)->Measure(3, 50, kPercent, kPositive, &r)),
        CALL(ITF(PulseWidth)->Measure(1, 50, kPercent, kPositive, &r)),
        CALL(ITF(TimeStamp)->Measure(5, 1, &stamps)),
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
    }
  }
}

namespace {

class Methods : public ScriptedCounter {};

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
  EXPECT_EQ(ITF(Burst)->ConfigurePRF(1e6, 1, 3), kOptionNotInstalled);
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
}

// A single period reads with five seconds, time stamps with at least fifty; the session's own
// timeout is restored after each.
TEST_F(Methods, SlowQueriesRunWithTheirOwnTimeouts) {
  d.Open("QX1300", "785,431");
  double r = -1;
  struct Slow {
    const char* command;
    const char* reply;
    std::int32_t sessionTimeout;
    std::int32_t inForce;
    std::function<HRESULT(SAFEARRAY**)> call;
    LONG upper;  // of the time stamps
  };
  const Slow rows[] = {
      {"MEAS:SPER? (@2)", "+1.0E-006", 2000, 5000,
       [&](SAFEARRAY**) { return ITF(SinglePeriod)->Measure(2.0, &r); }, -1},
      {":MEAS:ARR:TST? (3),(@1)", "+1.0E-006,+2.0E-006,+3.0E-006", 2000, 50000,
       [&](SAFEARRAY** stamps) { return ITF(TimeStamp)->Measure(3, 1, stamps); }, 2},
      {":MEAS:ARR:TST? (1),(@3)", "+1.0E-006", 80000, 80000,
       [&](SAFEARRAY** stamps) { return ITF(TimeStamp)->Measure(1, 3, stamps); }, 0},
  };
  for (const Slow& row : rows) {
    SCOPED_TRACE(row.command);
    d.script.timeout = row.sessionTimeout;
    d.script.sent.clear();
    d.script.Expect(row.command, row.reply);
    SAFEARRAY* stamps = nullptr;
    EXPECT_EQ(row.call(&stamps), S_OK) << TakeErrorDescription();
    EXPECT_THAT(d.script.sent,
                ::testing::ElementsAre(ScriptedIoSession::Sent{row.command, row.inForce}));
    EXPECT_EQ(d.script.timeout, row.sessionTimeout);
    LONG upper = -1;
    if (stamps) SafeArrayGetUBound(stamps, 1, &upper);
    EXPECT_EQ(upper, row.upper);
    if (stamps) SafeArrayDestroy(stamps);
  }
}

}  // namespace
}  // namespace tevra::testing
