// The instrument-specific measurement functions on a live session: the exact text of every
// configure and measure command, the built commands with their reference levels, the gated
// totalize sequence, the burst option gate and the timeouts of the slow queries.
#include <span>

#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

#define ITF COUNTER_ITF

constexpr auto kVolt = TevraReferenceTypeVoltage;
constexpr auto kPercent = TevraReferenceTypePercent;
constexpr auto kPositive = TevraPolarityPositive;
constexpr auto kNegative = TevraPolarityNegative;
constexpr auto kRising = TevraEdgeTypeRising;
constexpr auto kFalling = TevraEdgeTypeFalling;

class FunctionCommands : public ScriptedCounter {
 protected:
  struct Row {
    const char* command;
    std::function<HRESULT()> call;
  };
  // Each row's command, after "*OPT?" when options are given; a query's reply
  // "+1.25000000E-006" is read into r as 1.25e-06.
  void ExpectCommands(std::span<const Row> rows, const char* options = nullptr) {
    for (const Row& row : rows) {
      SCOPED_TRACE(row.command);
      if (options) d.script.Expect("*OPT?", options);
      const bool query = std::string_view(row.command).find('?') != std::string_view::npos;
      d.script.Expect(row.command, query ? "+1.25000000E-006" : "");
      r = -1;
      EXPECT_EQ(row.call(), S_OK) << TakeErrorDescription();
      if (query) {
        EXPECT_DOUBLE_EQ(r, 1.25e-06);
      }
      d.ExpectScriptPlayed();
    }
  }

  double r = -1;
};

TEST_F(FunctionCommands, EveryMethodSendsItsCommand) {
  d.Open("QX1300", "785,431");  // three inputs, the third the microwave input
  const Row rows[] = {
      {"CONF:FREQ 10000000, 0.001, (@1)", [&] { return ITF(Frequency)->Configure(1e7, 0.001, 1); }},
      {"CONF:FREQ (@3)", [&] { return ITF(Frequency)->ConfigureAuto(3); }},
      {"MEAS:FREQ? 10000000, 0.001, (@1)",
       [&] { return ITF(Frequency)->Measure(1e7, 0.001, 1, &r); }},
      {"CONF:PER (@1); :FREQ:GATE:SOUR TIME; TIME 0.5",
       [&] { return ITF(Period)->ConfigureWithAperture(1, 0.5); }},
      {"CONF:PER 1e-06, 1e-12, (@2)", [&] { return ITF(Period)->Configure(1e-6, 1e-12, 2); }},
      {"CONF:PER (@1)", [&] { return ITF(Period)->ConfigureAuto(1); }},
      {"MEAS:PER? 1e-06,1e-12,(@2)", [&] { return ITF(Period)->Measure(1e-6, 1e-12, 2, &r); }},
      {"CONF:PWID (@2)", [&] { return ITF(PulseWidth)->ConfigureAuto(2); }},
      {"CONF:PDUT (@1)", [&] { return ITF(DutyCycle)->ConfigureAuto(1); }},
      {"CONF:FREQ:RAT (@1),(@3)", [&] { return ITF(FrequencyRatio)->ConfigureAuto(1, 3); }},
      {"MEAS:FREQ:RAT? 1,1e-09,(@1),(@2)",
       [&] { return ITF(FrequencyRatio)->Measure(1.0, 1e-9, 1, 2, &r); }},
      {"CONF:TINT (@1),(@2)", [&] { return ITF(TimeInterval)->Configure(1, 2); }},
      {"CONF:TINT (@2)", [&] { return ITF(TimeInterval)->ConfigureSingleChannel(2); }},
      {"MEAS:TINT? (@2),(@1)", [&] { return ITF(TimeInterval)->Measure(2, 1, &r); }},
      {"CONF:PHAS (@2),(@1)", [&] { return ITF(Phase)->Configure(2, 1); }},
      {"MEAS:PHAS? (@1),(@2)", [&] { return ITF(Phase)->Measure(1, 2, &r); }},
      {"CONF:TOT:CONT (@1)", [&] { return ITF(TotalizeContinuous)->Configure(1); }},
      {"CONF:TOT:TIM 0.25,(@2)", [&] { return ITF(TotalizeTimed)->Configure(0.25, 2); }},
      {"MEAS:TOT:TIM? 1,(@1)", [&] { return ITF(TotalizeTimed)->Measure(1.0, 1, &r); }},
      {"CONF:SPER (@1)", [&] { return ITF(SinglePeriod)->Configure(1); }},
      {"CONF:ARR:TST (100),(@3)", [&] { return ITF(TimeStamp)->Configure(100, 3); }},
      // Built from the reference level and its kind.
      {"CONF:PWID 50.000000, (@1)",
       [&] { return ITF(PulseWidth)->Configure(1, 50, kPercent, kPositive); }},
      {"CONF:NWID -0.250000V, (@2)",
       [&] { return ITF(PulseWidth)->Configure(2, -0.25, kVolt, kNegative); }},
      {"MEAS:NWID? 50.000000, (@1)",
       [&] { return ITF(PulseWidth)->Measure(1, 50, kPercent, kNegative, &r); }},
      {"MEAS:PWID? 0.100000V, (@2)",
       [&] { return ITF(PulseWidth)->Measure(2, 0.1, kVolt, kPositive, &r); }},
      {"CONF:PDUT 50.000000, (@1)",
       [&] { return ITF(DutyCycle)->Configure(1, 50, kPercent, kPositive); }},
      {"CONF:NDUT 0.100000V, (@2)",
       [&] { return ITF(DutyCycle)->Configure(2, 0.1, kVolt, kNegative); }},
      {"MEAS:PDUT? 1.000000V, (@1)",
       [&] { return ITF(DutyCycle)->Measure(1, 1, kVolt, kPositive, &r); }},
      {"CONF:RTIM (@1)", [&] { return ITF(EdgeTime)->ConfigureAuto(1, kRising); }},
      {"CONF:FTIM (@2)", [&] { return ITF(EdgeTime)->ConfigureAuto(2, kFalling); }},
      // The low level goes first.
      {"CONF:FTIM 10.000000, 90.000000, (@2)",
       [&] { return ITF(EdgeTime)->Configure(2, kPercent, 90, 10, kFalling); }},
      {"MEAS:RTIM? 10.000000, 90.000000, (@1)",
       [&] { return ITF(EdgeTime)->Measure(1, kPercent, 90, 10, kRising, &r); }},
      {"MEAS:FTIM? -1.000000V, 1.000000V, (@2)",
       [&] { return ITF(EdgeTime)->Measure(2, kVolt, 1, -1, kFalling, &r); }},
  };
  ExpectCommands(rows);
}

// Burst methods ask "*OPT?" afresh before each command; all run on the microwave input.
TEST_F(FunctionCommands, BurstMethodsCheckTheOptionBeforeTheirCommand) {
  d.Open("QX1300", "785,431");
  const Row rows[] = {
      {"CONF:FREQ:BURS", [&] { return ITF(Burst)->Configure(); }},
      {"MEAS:FREQ:BURS?", [&] { return ITF(Burst)->Measure(&r); }},
      {"CONF:PWID:BURS", [&] { return ITF(Burst)->ConfigureWidth(TevraPulseWidthTypePositive); }},
      {"CONF:NWID:BURS", [&] { return ITF(Burst)->ConfigureWidth(TevraPulseWidthTypeNegative); }},
      {"MEAS:PWID:BURS?",
       [&] { return ITF(Burst)->MeasureWidth(TevraPulseWidthTypePositive, &r); }},
      {"MEAS:NWID:BURS?",
       [&] { return ITF(Burst)->MeasureWidth(TevraPulseWidthTypeNegative, &r); }},
      {"CONF:FREQ:PRF 1000000,1,(@3)", [&] { return ITF(Burst)->ConfigurePRF(1e6, 1, 3); }},
      {"CONF:FREQ:PRI 1000000,1,(@3)", [&] { return ITF(Burst)->ConfigurePRI(1e6, 1, 3); }},
      {"MEAS:FREQ:PRF? 1000000,0.1,(@3)", [&] { return ITF(Burst)->MeasurePRF(1e6, 0.1, 3, &r); }},
      {"MEAS:FREQ:PRI? 1e-06,1e-09,(@3)",
       [&] { return ITF(Burst)->MeasurePRI(1e-6, 1e-9, 3, &r); }},
  };
  ExpectCommands(rows, "762,431");

  // Without the option in the fresh reply nothing more is sent.
  d.script.Expect("*OPT?", "785");
  EXPECT_EQ(ITF(Burst)->ConfigurePRF(1e6, 1, 3), kOptionNotInstalled);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: Option not installed on instrument model.");
}

// A single period reads with five seconds, time stamps with at least fifty; the session's own
// timeout is restored after each.
TEST_F(FunctionCommands, SlowQueriesRunWithTheirOwnTimeouts) {
  d.Open("QX1300", "785,431");
  struct Row {
    const char* command;
    const char* reply;
    std::int32_t sessionTimeout;
    std::int32_t inForce;
    std::function<HRESULT(SAFEARRAY**)> call;
    LONG upper;  // of the time stamps
  };
  double reading = 0;
  const Row rows[] = {
      {"MEAS:SPER? (@2)", "+1.0E-006", 2000, 5000,
       [&](SAFEARRAY**) { return COUNTER_ITF(SinglePeriod)->Measure(2.0, &reading); }, -1},
      {":MEAS:ARR:TST? (3),(@1)", "+1.0E-006,+2.0E-006,+3.0E-006", 2000, 50000,
       [&](SAFEARRAY** stamps) { return COUNTER_ITF(TimeStamp)->Measure(3, 1, stamps); }, 2},
      {":MEAS:ARR:TST? (1),(@3)", "+1.0E-006", 80000, 80000,
       [&](SAFEARRAY** stamps) { return COUNTER_ITF(TimeStamp)->Measure(1, 3, stamps); }, 0},
  };
  for (const Row& row : rows) {
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

// The bytes of a gate on another input are checked on the socket.
TEST_F(FunctionCommands, GatedTotalizeSendsTimeSourceAndPolarity) {
  d.Open("QX1200", "");
  struct Row {
    TevraArmSourceEnum source;
    const char* sourceCommand;
  };
  const Row rows[] = {{TevraArmSourceExternal, "TOT:GATE:SOUR EXT"},
                      {TevraArmSourceAdvanced, "TOT:GATE:SOUR ADV"},
                      {TevraArmSourceTime, "TOT:GATE:SOUR TIME"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sourceCommand);
    d.script.Expect("CONF:TOT:TIM  2.000000,(@2)");
    d.script.Expect(row.sourceCommand);
    d.script.Expect("TOT:GATE:POL POS");
    EXPECT_EQ(ITF(TotalizeGated)->Configure(2, row.source, TevraSlopePositive, 2.0), S_OK);
    d.ExpectScriptPlayed();
  }

  // Only the polarity write decides the result.
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

#undef ITF

}  // namespace
}  // namespace tevra::testing
