// The methods with arguments, which the row walk does not call: the commands their bodies build
// from the arguments, the puts a configure stands for, the class-compliant methods and what they
// forward to, the slow queries' own timeouts, and what they refuse before anything is sent.
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
constexpr auto kFrequency = TevraArmMeasurementTypeFrequency;
constexpr auto kTimeInterval = TevraArmMeasurementTypeTimeInterval;
constexpr auto kTotalize = TevraArmMeasurementTypeTotalize;

// Names live as long as the test program.
BSTR Name(const char* text) {
  static std::vector<std::unique_ptr<platform::Bstr>> names;
  return names.emplace_back(std::make_unique<platform::Bstr>(text))->get();
}

// A call and the exchanges it must play: "command" or "query|reply"; a query without a reply
// gets "+1.25000000E-006", which the call must read into r.
struct Row {
  std::vector<std::string_view> wire;
  std::function<HRESULT()> call;
};

class Methods : public ScriptedCounter {
 protected:
  void Play(std::span<const Row> rows, const char* options = nullptr) {
    for (const Row& row : rows) {
      SCOPED_TRACE(row.wire.back());
      bool reads = false;
      if (options) d.script.Expect("*OPT?", options);
      for (std::string_view exchange : row.wire) {
        const std::size_t bar = exchange.find('|');
        const bool query = exchange.find('?') != std::string_view::npos;
        reads = reads || (query && bar == std::string_view::npos);
        d.script.Expect(std::string(exchange.substr(0, bar)),
                        bar != std::string_view::npos ? std::string(exchange.substr(bar + 1))
                        : query                       ? "+1.25000000E-006"
                                                      : "");
      }
      r = -1;
      EXPECT_EQ(row.call(), S_OK) << TakeErrorDescription();
      if (reads) {
        EXPECT_DOUBLE_EQ(r, 1.25e-06);
      }
      d.ExpectScriptPlayed();
    }
  }
  IIviCounterChannel* ClassChannel() {
    IIviCounterChannel* channel = nullptr;
    EXPECT_EQ(CLASS_ITF(Channels)->get_Item(Name("Channel1"), &channel), S_OK);
    return static_cast<IIviCounterChannel*>(d.Keep(channel));
  }
  double r = -1;
  TevraArmSourceEnum source{};
  TevraPolarityEnum polarity{};
};

TEST_F(Methods, FunctionsAndClassForwardsOnTheQX1300) {
  d.Open("QX1300", "785,431");  // three inputs, the third the microwave input
  const Row rows[] = {
      {{"CONF:FREQ 10000000, 0.001, (@1)"},
       [&] { return ITF(Frequency)->Configure(1e7, 0.001, 1); }},
      {{"CONF:FREQ (@3)"}, [&] { return ITF(Frequency)->ConfigureAuto(3); }},
      {{"MEAS:FREQ? 10000000, 0.001, (@1)"},
       [&] { return ITF(Frequency)->Measure(1e7, 0.001, 1, &r); }},
      {{"CONF:PER (@1); :FREQ:GATE:SOUR TIME; TIME 0.5"},
       [&] { return ITF(Period)->ConfigureWithAperture(1, 0.5); }},
      {{"MEAS:PER? 1e-06,1e-12,(@2)"}, [&] { return ITF(Period)->Measure(1e-6, 1e-12, 2, &r); }},
      {{"CONF:PER 1e-06, 1e-12, (@2)"}, [&] { return ITF(Period)->Configure(1e-6, 1e-12, 2); }},
      {{"CONF:PWID (@2)"}, [&] { return ITF(PulseWidth)->ConfigureAuto(2); }},
      {{"CONF:PDUT (@1)"}, [&] { return ITF(DutyCycle)->ConfigureAuto(1); }},
      {{"CONF:PDUT 50.000000, (@1)"},
       [&] { return ITF(DutyCycle)->Configure(1, 50, kPercent, kPositive); }},
      {{"MEAS:PWID? 0.100000V, (@2)"},
       [&] { return ITF(PulseWidth)->Measure(2, 0.1, kVolt, kPositive, &r); }},
      {{"MEAS:RTIM? 10.000000, 90.000000, (@1)"},
       [&] { return ITF(EdgeTime)->Measure(1, kPercent, 90, 10, TevraEdgeTypeRising, &r); }},
      {{"CONF:FREQ:RAT (@1),(@3)"}, [&] { return ITF(FrequencyRatio)->ConfigureAuto(1, 3); }},
      {{"CONF:FREQ:RAT (@2),(@1)"}, [&] { return ITF(FrequencyRatio)->Configure(1, 1, 2, 1); }},
      {{"MEAS:FREQ:RAT? 1,1e-09,(@1),(@2)"},
       [&] { return ITF(FrequencyRatio)->Measure(1.0, 1e-9, 1, 2, &r); }},
      {{"CONF:TINT (@1),(@2)"}, [&] { return ITF(TimeInterval)->Configure(1, 2); }},
      {{"CONF:TINT (@2)"}, [&] { return ITF(TimeInterval)->ConfigureSingleChannel(2); }},
      {{"MEAS:TINT? (@2),(@1)"}, [&] { return ITF(TimeInterval)->Measure(2, 1, &r); }},
      {{"CONF:PHAS (@2),(@1)"}, [&] { return ITF(Phase)->Configure(2, 1); }},
      {{"MEAS:PHAS? (@1),(@2)"}, [&] { return ITF(Phase)->Measure(1, 2, &r); }},
      {{"CONF:TOT:CONT (@1)"}, [&] { return ITF(TotalizeContinuous)->Configure(1); }},
      {{"CONF:TOT:TIM 0.25,(@2)"}, [&] { return ITF(TotalizeTimed)->Configure(0.25, 2); }},
      {{"MEAS:TOT:TIM? 1,(@1)"}, [&] { return ITF(TotalizeTimed)->Measure(1.0, 1, &r); }},
      {{"CONF:SPER (@1)"}, [&] { return ITF(SinglePeriod)->Configure(1); }},
      {{"CONF:ARR:TST (100),(@3)"}, [&] { return ITF(TimeStamp)->Configure(100, 3); }},
      // Built from the reference level and its kind; edge times send the low level first.
      {{"CONF:PWID 50.000000, (@1)"},
       [&] { return ITF(PulseWidth)->Configure(1, 50, kPercent, kPositive); }},
      {{"CONF:NWID -0.250000V, (@2)"},
       [&] { return ITF(PulseWidth)->Configure(2, -0.25, kVolt, kNegative); }},
      {{"MEAS:NWID? 50.000000, (@1)"},
       [&] { return ITF(PulseWidth)->Measure(1, 50, kPercent, kNegative, &r); }},
      {{"CONF:NDUT 0.100000V, (@2)"},
       [&] { return ITF(DutyCycle)->Configure(2, 0.1, kVolt, kNegative); }},
      {{"MEAS:PDUT? 1.000000V, (@1)"},
       [&] { return ITF(DutyCycle)->Measure(1, 1, kVolt, kPositive, &r); }},
      {{"CONF:RTIM (@1)"}, [&] { return ITF(EdgeTime)->ConfigureAuto(1, TevraEdgeTypeRising); }},
      {{"CONF:FTIM (@2)"}, [&] { return ITF(EdgeTime)->ConfigureAuto(2, TevraEdgeTypeFalling); }},
      {{"CONF:FTIM 10.000000, 90.000000, (@2)"},
       [&] { return ITF(EdgeTime)->Configure(2, kPercent, 90, 10, TevraEdgeTypeFalling); }},
      {{"MEAS:FTIM? -1.000000V, 1.000000V, (@2)"},
       [&] { return ITF(EdgeTime)->Measure(2, kVolt, 1, -1, TevraEdgeTypeFalling, &r); }},
      // The class-compliant methods name their channels; pulses follow the channel's slope.
      {{"CONF:FREQ (@3)"},
       [&] { return CLASS_ITF(Frequency)->Configure(Name(" CHANNEL3 "), 1e7, 1); }},
      {{"CONF:PER (@1); :FREQ:GATE:SOUR TIME; TIME 0.2"},
       [&] { return CLASS_ITF(Period)->ConfigureWithAperture(Name("channel1"), 1e-6, 1e-9, 0.2); }},
      {{"INP2:SLOP?|NEG", "CONF:NWID 25.000000, (@2)"},
       [&] { return CLASS_ITF(PulseWidth)->Configure(Name("channel2"), 25, 1); }},
      {{"INP2:SLOP?|POS", "CONF:RTIM 0.200000V, 1.800000V, (@2)"},
       [&] {
         return CLASS_ITF(EdgeTime)->ConfigureReferenceLevels(
             Name("channel2"), IviCounterEdgeTimeReferenceTypeVoltage, 1.8, 0.2);
       }},
      {{"CONF:FREQ 10000000, 0.001, (@1)"},
       [&] { return CLASS_ITF(Frequency)->ConfigureManual(Name("channel1"), 1e7, 0.001); }},
      {{"CONF:PER 1e-06, 1e-09, (@2)"},
       [&] { return CLASS_ITF(Period)->Configure(Name("channel2"), 1e-6, 1e-9); }},
      {{"INP1:SLOP?|POS", "CONF:PWID 50.000000, (@1)"},
       [&] { return CLASS_ITF(PulseWidth)->Configure(Name("channel1"), 50, 1); }},
      {{"CONF:PDUT 50.000000, (@1)"},
       [&] { return CLASS_ITF(DutyCycle)->Configure(Name("channel1"), 1e3, 0.1); }},
      {{"INP1:SLOP?|NEG", "CONF:FTIM (@1)"},
       [&] { return CLASS_ITF(EdgeTime)->Configure(Name("channel1"), 1e-6, 1e-9); }},
      {{"CONF:FREQ:RAT (@1),(@2)"},
       [&] {
         return CLASS_ITF(FrequencyRatio)
             ->Configure(Name("channel1"), Name("channel2"), 1e6, 1, 1e-9);
       }},
      {{"CONF:TINT (@2),(@1)"},
       [&] {
         return CLASS_ITF(TimeInterval)->Configure(Name("channel2"), Name("channel1"), 1e-6, 1e-9);
       }},
      {{"CONF:TOT:CONT (@2)"},
       [&] { return CLASS_ITF(TotalizeContinuous)->Configure(Name("channel2")); }},
      {{"CONF:TOT:TIM 0.5,(@1)"},
       [&] { return CLASS_ITF(TotalizeTimed)->Configure(Name("channel1"), 0.5); }},
      {{"CONF:PHAS (@1),(@2)"},  // the input channel goes first
       [&] { return CLASS_ITF(Phase)->Configure(Name("channel1"), Name("channel2"), 1e6, 0.1); }},
      {{"CONF:TOT:TIM  0.100000,(@1)", "TOT:GATE:SOUR EXT", "TOT:GATE:POL POS"},
       [&] { return CLASS_ITF(TotalizeGated)->Configure(Name("channel1"), Name("External"), 1); }},
      {{"INP:LEV 0.0", "CONF:TOT:TIM  0.100000,(@2)", "TOT:GATE:SOUR INP", "TOT:GATE:POL NEG"},
       [&] { return CLASS_ITF(TotalizeGated)->Configure(Name("channel2"), Name("channel1"), 0); }},
      // The class configure trims the source name its property refuses with blanks.
      {{"GATE:EXT:SOUR INP2", "GATE:EXT:SOUR?|INP2", "INP2:LEV 0.200000 ", "GATE:STOP:SLOP NEG",
        "GATE:STOP:HOLD:TIME 0.001"},
       [&] {
         return CLASS_ITF(ArmStopExternal)
             ->Configure(Name(" Channel2 "), 0.2, IviCounterSlopeNegative, 0.001);
       }},
      {{"INP1:LEV 0.2", "INP1:NREJ 1"}, [&] { return ClassChannel()->ConfigureLevel(0.2, 0.01); }},
      {{"INP1:IMP 50.0", "INP1:COUP AC", "INP1:RANG MAX"},
       [&] { return ClassChannel()->Configure(50.0, IviCounterCouplingAC, 10.0); }},
  };
  Play(rows);

  // The class voltage configure selects the instrument's voltage function, without I/O.
  IviCounterMeasurementFunctionEnum function{};
  EXPECT_EQ(CLASS_ITF(Voltage)->Configure(Name("channel2"),
                                          IviCounterMeasurementFunctionMinimumVoltage, 1, 1),
            S_OK);
  EXPECT_EQ(CLASS_ITF()->get_Function(&function), S_OK);
  EXPECT_EQ(function, IviCounterMeasurementFunctionMinimumVoltage);
}

// Burst methods ask "*OPT?" afresh before each command.
TEST_F(Methods, BurstMethodsCheckTheOptionBeforeTheirCommand) {
  d.Open("QX1300", "785,431");
  const Row rows[] = {
      {{"CONF:FREQ:BURS"}, [&] { return ITF(Burst)->Configure(); }},
      {{"MEAS:NWID:BURS?"},
       [&] { return ITF(Burst)->MeasureWidth(TevraPulseWidthTypeNegative, &r); }},
      {{"MEAS:FREQ:BURS?"}, [&] { return ITF(Burst)->Measure(&r); }},
      {{"CONF:PWID:BURS"}, [&] { return ITF(Burst)->ConfigureWidth(TevraPulseWidthTypePositive); }},
      {{"CONF:NWID:BURS"}, [&] { return ITF(Burst)->ConfigureWidth(TevraPulseWidthTypeNegative); }},
      {{"MEAS:PWID:BURS?"},
       [&] { return ITF(Burst)->MeasureWidth(TevraPulseWidthTypePositive, &r); }},
      {{"CONF:FREQ:PRI 1000000,1,(@3)"}, [&] { return ITF(Burst)->ConfigurePRI(1e6, 1, 3); }},
      {{"MEAS:FREQ:PRF? 1000000,0.1,(@3)"},
       [&] { return ITF(Burst)->MeasurePRF(1e6, 0.1, 3, &r); }},
      {{"CONF:FREQ:PRF 1000000,1,(@3)"}, [&] { return ITF(Burst)->ConfigurePRF(1e6, 1, 3); }},
      {{"MEAS:FREQ:PRI? 1e-06,1e-09,(@3)"},
       [&] { return ITF(Burst)->MeasurePRI(1e-6, 1e-9, 3, &r); }},
  };
  Play(rows, "762,431");
  d.script.Expect("*OPT?", "785");
  EXPECT_EQ(ITF(Burst)->ConfigurePRF(1e6, 1, 3), kOptionNotInstalled);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: Option not installed on instrument model.");
}

TEST_F(Methods, ArmingChannelsAndGatesOnTheQX1200) {
  d.Open("QX1200", "785");
  ITevraChannel* channel = d.Channel("Channel1");
  double time = 0;
  const Row rows[] = {
      {{"FREQ:GATE:SOUR INP2 ", "*cls"},
       [&] { return ITF(Arm)->SetSource(kFrequency, TevraArmSourceChannel2); }},
      {{"TINT:GATE:SOUR IMM ", "*cls"},
       [&] { return ITF(Arm)->SetSource(kTimeInterval, TevraArmSourceImmediate); }},
      {{"TOT:GATE:SOUR TIME ", "*cls"},
       [&] { return ITF(Arm)->SetSource(kTotalize, TevraArmSourceTime); }},
      {{"TOT:GATE:SOUR? |ADV,extra"}, [&] { return ITF(Arm)->GetSource(kTotalize, &source); }},
      {{"TINT:GATE:POL? |NEG"}, [&] { return ITF(Arm)->GetPolarity(kTimeInterval, &polarity); }},
      {{"FREQ:GATE:POL NEG"}, [&] { return ITF(Arm)->SetPolarity(kFrequency, kNegative); }},
      {{"TOT:GATE:TIME 2.500000e+00"}, [&] { return ITF(Arm)->SetTime(kTotalize, 2.5); }},
      {{"FREQ:GATE:TIME?|+1.00000000E-002"}, [&] { return ITF(Arm)->GetTime(kFrequency, &time); }},
      // The external level is the trigger level of the channel serving as external source.
      {{"GATE:EXT:SOUR?|INP2", "INP2:LEV 0.500000 "},
       [&] { return ITF(ArmStartExternal)->put_Voltage(0.5); }},
      {{"GATE:EXT:SOUR INP2", "GATE:EXT:SOUR?|INP2", "INP2:LEV 0.100000 ", "GATE:STAR:SLOP NEG",
        "GATE:STAR:DEL:TIME 0.002"},
       [&] {
         return ITF(ArmStartExternal)
             ->Configure(TevraExternalSourceChannel2, 0.1, TevraSlopeNegative, 0.002);
       }},
      {{"INP1:LEV 0.25", "INP1:NREJ 1"},
       [&] { return channel->ConfigureLevel(0.25, VARIANT_TRUE); }},
      {{"INP1:IMP 50.0", "INP1:COUP DC", "INP1:RANG MAX"},
       [&] {
         return channel->Configure(TevraImpedance50, TevraCouplingDC, TevraAttenuationFactor10);
       }},
      {{"CONF:TOT:TIM  2.000000,(@2)", "TOT:GATE:SOUR ADV", "TOT:GATE:POL POS"},
       [&] {
         return ITF(TotalizeGated)->Configure(2, TevraArmSourceAdvanced, TevraSlopePositive, 2.0);
       }},
  };
  Play(rows);
  EXPECT_EQ(source, TevraArmSourceAdvanced);  // the first field of the reply
  EXPECT_EQ(polarity, TevraPolarityNegative);
  EXPECT_EQ(time, 0.01);
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

// "Invalid value '<value>' for method '<method>', parameter '<parameter>'."
Refusal Bad(const std::string& value, const std::string& method, const std::string& parameter,
            std::function<HRESULT()> call) {
  return {InvalidValue(value, method, parameter).substr(7), std::move(call)};
}

TEST_F(Methods, RefusalsBeforeAnyIoOnTheQX1200) {
  d.Open("QX1200", "785");  // inputs 1..3, the third the microwave input
  constexpr auto kRising = TevraEdgeTypeRising;
  const auto undefined = static_cast<TevraArmMeasurementTypeEnum>(7);
  const std::vector<Refusal> rows = {
      Bad("3", "PulseWidth_Configure", "Channel",
          [&] { return ITF(PulseWidth)->Configure(3, 50, kPercent, kPositive); }),
      Bad("0", "Frequency_ConfigureAuto", "Channel",
          [&] { return ITF(Frequency)->ConfigureAuto(0); }),
      Bad("4", "Frequency_Measure", "Channel",
          [&] { return ITF(Frequency)->Measure(1, 1, 4, &r); }),
      // The channel is checked before the levels, a two-channel function's first channel first.
      Bad("3", "EdgeTime_Configure", "Channel",
          [&] { return ITF(EdgeTime)->Configure(3, kVolt, 1.0, 1.0, kRising); }),
      Bad("LowReference must be < HighReference", "EdgeTime_Configure", "Low/HighReference",
          [&] { return ITF(EdgeTime)->Configure(1, kVolt, 1.0, 1.0, kRising); }),
      Bad("4", "FrequencyRatio_ConfigureAuto", "NumeratorChannel",
          [&] { return ITF(FrequencyRatio)->ConfigureAuto(4, 5); }),
      Bad("0", "FrequencyRatio_Measure", "DenominatorChannel",
          [&] { return ITF(FrequencyRatio)->Measure(1, 1, 3, 0, &r); }),
      Bad("3", "TimeInterval_Measure", "StopChannel",
          [&] { return ITF(TimeInterval)->Measure(1, 3, &r); }),
      Bad("3", "SinglePeriod_Measure", "ChannelNumber",
          [&] { return ITF(SinglePeriod)->Measure(3.0, &r); }),
      Bad("2", "TotalizeGated_Configure", "Channel and GateSource cannot be same channel",
          [&] {
            return ITF(TotalizeGated)->Configure(2, TevraArmSourceChannel2, TevraSlopePositive, 1);
          }),
      Bad("5", "TotalizeGated_Configure", "GateSource",
          [&] {
            return ITF(TotalizeGated)->Configure(1, TevraArmSourceImmediate, TevraSlopePositive, 1);
          }),
      ModelRefusal("Configure", [&] { return ITF(TimeStamp)->Configure(10, 1); }),
      ModelRefusal("MeasurePRF", [&] { return ITF(Burst)->MeasurePRF(1, 1, 3, &r); }),
      // Gates: sources a family has not, the time of a time interval, an undefined family.
      Bad("TevraArmSourceImmediate", "SetSource", "ArmSource",
          [&] { return ITF(Arm)->SetSource(kFrequency, TevraArmSourceImmediate); }),
      Bad("ArmSourceChannel2", "SetSource", "ArmSource",
          [&] { return ITF(Arm)->SetSource(kTimeInterval, TevraArmSourceChannel2); }),
      Bad("TevraArmMeasurementTypeTimeInterval", "SetTime", "TevraArmMeasurementTypeTimeInterval",
          [&] { return ITF(Arm)->SetTime(kTimeInterval, 1.0); }),
      Bad("7", "Arm_GetPolarity", "ArmMeasurementType",
          [&] { return ITF(Arm)->GetPolarity(undefined, &polarity); }),
      // The microwave input takes no settings.
      {"Invalid input channel3",
       [&] { return d.Channel("Channel3")->ConfigureLevel(0.1, VARIANT_FALSE); },
       kInvalidInputChannel},
      // The class-compliant methods refuse names and values outside their sets.
      Bad("600", "IIviCounterChannel_Configure", "Impedance - Valid values: 50.0 or 1.0E6",
          [&] { return ClassChannel()->Configure(600.0, IviCounterCouplingAC, 1.0); }),
      Bad("100", "IIviCounterChannel_Configure", "Attenuation - Valid values: 1 or 10",
          [&] { return ClassChannel()->Configure(50.0, IviCounterCouplingAC, 100.0); }),
      {"Does not support this class-compliant feature: method "
       "'IIviCounterChannel_ConfigureFilter'.",
       [&] { return ClassChannel()->ConfigureFilter(1.0, 2.0); }, kMethodNotSupported},
      Bad("chan2", "Frequency_Configure", "Channel",
          [&] { return CLASS_ITF(Frequency)->Configure(Name("chan2"), 1, 1); }),
      Bad("x", "FrequencyRatio_Configure", "DenominatorChannel",
          [&] {
            return CLASS_ITF(FrequencyRatio)->Configure(Name("channel1"), Name("x"), 1, 1, 1);
          }),
      Bad("2", "TotalizeGated_Configure", "GateSlope",
          [&] {
            return CLASS_ITF(TotalizeGated)->Configure(Name("channel1"), Name("external"), 2);
          }),
      Bad("3", "Voltage_Configure", "Function",
          [&] {
            return CLASS_ITF(Voltage)->Configure(Name("channel1"),
                                                 IviCounterMeasurementFunctionPeriod, 1, 1);
          }),
      // The forwarded method's own checks still apply.
      Bad("3", "TotalizeContinuous_Configure", "Channel",
          [&] { return CLASS_ITF(TotalizeContinuous)->Configure(Name("channel3")); }),
      Bad("Rear", "ArmStopExternal_Source", "Source",
          [&] {
            return CLASS_ITF(ArmStopExternal)
                ->Configure(Name("Rear"), 0.1, IviCounterSlopePositive, 0);
          }),
  };
  ExpectRefusals(d.script, rows);
}

TEST_F(Methods, RefusalsOfTimeStampsBurstsAndTheQX1100) {
  d.Open("QX1300", "762,431");
  SAFEARRAY* stamps = nullptr;
  ExpectRefusals(
      d.script,
      {Bad("0", "TimeStamp_Measure", "Count",
           [&] { return ITF(TimeStamp)->Measure(0, 3, &stamps); }),
       Bad("1", "Burst_ConfigurePRF", "Channel", [&] { return ITF(Burst)->ConfigurePRF(1, 1, 1); }),
       {"Does not support this class-compliant feature: method 'Please use the method named "
        "ReadCount for this functionality.'.",
        [&] { return ITF(TotalizeContinuous)->FetchCount(&r); }, kMethodNotSupported}});
  d.handle.Close();

  // Beyond frequency, period and ratio every function is missing on the QX1100, and so are the
  // start and stop configure methods and the gates of other families.
  d.Open("QX1100", "762");
  ExpectRefusals(
      d.script,
      {ModelRefusal("ConfigureAuto", [&] { return ITF(PulseWidth)->ConfigureAuto(1); }),
       ModelRefusal(
           "Configure",
           [&] {
             return ITF(TotalizeGated)->Configure(1, TevraArmSourceChannel1, TevraSlopePositive, 1);
           }),
       ModelRefusal("Measure", [&] { return ITF(SinglePeriod)->Measure(1, &r); }),
       ModelRefusal("Configure", [&] { return ITF(Burst)->Configure(); }),
       ModelRefusal(
           "ReadCount",
           [&] {
             return d.Get<ITevraTotalizeContinuous2>(IID_ITevraTotalizeContinuous2)->ReadCount(&r);
           }),
       ModelRefusal("Configure",
                    [&] {
                      return ITF(ArmStopExternal)
                          ->Configure(TevraExternalSourceBNC, 0, TevraSlopePositive, 0);
                    }),
       ModelRefusal("", [&] { return ITF(Arm)->SetTime(kTotalize, 1.0); })});
  const Row rows[] = {
      {{"CONF:FREQ:RAT (@1),(@2)"}, [&] { return ITF(FrequencyRatio)->ConfigureAuto(1, 2); }},
      {{"CONF:PER (@2)"}, [&] { return ITF(Period)->ConfigureAuto(2); }},
  };
  Play(rows);
}

}  // namespace
}  // namespace tevra::testing
