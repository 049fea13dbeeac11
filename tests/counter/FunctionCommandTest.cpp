// The instrument-specific measurement functions on a live session: the exact text of every
// configure and measure command, the built commands with their reference levels, the gated
// totalize sequence, the burst option gate and the timeouts of the slow queries.
#include <functional>

#include "FunctionTestDriver.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::testing {
namespace {

// A call that may read one number into *reading.
using Call = std::function<HRESULT(FunctionDriver&, double*)>;
#define ITF FUNCTION_ITF

constexpr auto kVolt = TevraReferenceTypeVoltage;
constexpr auto kPercent = TevraReferenceTypePercent;
constexpr auto kPositive = TevraPolarityPositive;
constexpr auto kNegative = TevraPolarityNegative;
constexpr auto kRising = TevraEdgeTypeRising;
constexpr auto kFalling = TevraEdgeTypeFalling;

class FunctionCommands : public ::testing::Test {
 protected:
  void Open(const char* model, const char* options) { driver.Open(model, options); }
  void TearDown() override { driver.ExpectScriptPlayed(); }

  FunctionDriver driver;
};

// Configure rows send one command; measure rows read "+1.25000000E-006" back as 1.25e-06.
TEST_F(FunctionCommands, EveryMethodSendsItsCommand) {
  Open("QX1300", "785,431");  // three inputs, the third the microwave input
  struct Row {
    const char* command;
    bool measures;
    Call call;
  };
  const Row rows[] = {
      {"CONF:FREQ (@2); :FREQ:GATE:SOUR TIME; TIME 0.01", false,
       [](FunctionDriver& d, double*) { return ITF(Frequency)->ConfigureWithAperture(2, 0.01); }},
      {"CONF:FREQ 10000000, 0.001, (@1)", false,
       [](FunctionDriver& d, double*) { return ITF(Frequency)->Configure(1e7, 0.001, 1); }},
      {"CONF:FREQ (@3)", false,
       [](FunctionDriver& d, double*) { return ITF(Frequency)->ConfigureAuto(3); }},
      {"MEAS:FREQ? 10000000, 0.001, (@1)", true,
       [](FunctionDriver& d, double* r) { return ITF(Frequency)->Measure(1e7, 0.001, 1, r); }},
      {"CONF:PER (@1); :FREQ:GATE:SOUR TIME; TIME 0.5", false,
       [](FunctionDriver& d, double*) { return ITF(Period)->ConfigureWithAperture(1, 0.5); }},
      {"CONF:PER 1e-06, 1e-12, (@2)", false,
       [](FunctionDriver& d, double*) { return ITF(Period)->Configure(1e-6, 1e-12, 2); }},
      {"CONF:PER (@1)", false,
       [](FunctionDriver& d, double*) { return ITF(Period)->ConfigureAuto(1); }},
      {"MEAS:PER? 1e-06,1e-12,(@2)", true,
       [](FunctionDriver& d, double* r) { return ITF(Period)->Measure(1e-6, 1e-12, 2, r); }},
      {"CONF:PWID (@2)", false,
       [](FunctionDriver& d, double*) { return ITF(PulseWidth)->ConfigureAuto(2); }},
      {"CONF:PDUT (@1)", false,
       [](FunctionDriver& d, double*) { return ITF(DutyCycle)->ConfigureAuto(1); }},
      {"CONF:FREQ:RAT (@2),(@1)", false,
       [](FunctionDriver& d, double*) { return ITF(FrequencyRatio)->Configure(1e6, 1.0, 2, 1); }},
      {"CONF:FREQ:RAT (@1),(@3)", false,
       [](FunctionDriver& d, double*) { return ITF(FrequencyRatio)->ConfigureAuto(1, 3); }},
      {"MEAS:FREQ:RAT? 1,1e-09,(@1),(@2)", true,
       [](FunctionDriver& d, double* r) {
         return ITF(FrequencyRatio)->Measure(1.0, 1e-9, 1, 2, r);
       }},
      {"CONF:TINT (@1),(@2)", false,
       [](FunctionDriver& d, double*) { return ITF(TimeInterval)->Configure(1, 2); }},
      {"CONF:TINT (@2)", false,
       [](FunctionDriver& d, double*) { return ITF(TimeInterval)->ConfigureSingleChannel(2); }},
      {"MEAS:TINT? (@2),(@1)", true,
       [](FunctionDriver& d, double* r) { return ITF(TimeInterval)->Measure(2, 1, r); }},
      {"CONF:PHAS (@2),(@1)", false,
       [](FunctionDriver& d, double*) { return ITF(Phase)->Configure(2, 1); }},
      {"MEAS:PHAS? (@1),(@2)", true,
       [](FunctionDriver& d, double* r) { return ITF(Phase)->Measure(1, 2, r); }},
      {"CONF:TOT:CONT (@1)", false,
       [](FunctionDriver& d, double*) { return ITF(TotalizeContinuous)->Configure(1); }},
      {"CONF:TOT:TIM 0.25,(@2)", false,
       [](FunctionDriver& d, double*) { return ITF(TotalizeTimed)->Configure(0.25, 2); }},
      {"MEAS:TOT:TIM? 1,(@1)", true,
       [](FunctionDriver& d, double* r) { return ITF(TotalizeTimed)->Measure(1.0, 1, r); }},
      {"CONF:SPER (@1)", false,
       [](FunctionDriver& d, double*) { return ITF(SinglePeriod)->Configure(1); }},
      {"CONF:ARR:TST (100),(@3)", false,
       [](FunctionDriver& d, double*) { return ITF(TimeStamp)->Configure(100, 3); }},
      // Built from the reference level and its kind.
      {"CONF:PWID 1.500000V, (@1)", false,
       [](FunctionDriver& d, double*) {
         return ITF(PulseWidth)->Configure(1, 1.5, kVolt, kPositive);
       }},
      {"CONF:PWID 50.000000, (@1)", false,
       [](FunctionDriver& d, double*) {
         return ITF(PulseWidth)->Configure(1, 50, kPercent, kPositive);
       }},
      {"CONF:NWID -0.250000V, (@2)", false,
       [](FunctionDriver& d, double*) {
         return ITF(PulseWidth)->Configure(2, -0.25, kVolt, kNegative);
       }},
      {"MEAS:NWID? 50.000000, (@1)", true,
       [](FunctionDriver& d, double* r) {
         return ITF(PulseWidth)->Measure(1, 50, kPercent, kNegative, r);
       }},
      {"MEAS:PWID? 0.100000V, (@2)", true,
       [](FunctionDriver& d, double* r) {
         return ITF(PulseWidth)->Measure(2, 0.1, kVolt, kPositive, r);
       }},
      {"CONF:PDUT 50.000000, (@1)", false,
       [](FunctionDriver& d, double*) {
         return ITF(DutyCycle)->Configure(1, 50, kPercent, kPositive);
       }},
      {"CONF:NDUT 0.100000V, (@2)", false,
       [](FunctionDriver& d, double*) {
         return ITF(DutyCycle)->Configure(2, 0.1, kVolt, kNegative);
       }},
      {"MEAS:PDUT? 1.000000V, (@1)", true,
       [](FunctionDriver& d, double* r) {
         return ITF(DutyCycle)->Measure(1, 1, kVolt, kPositive, r);
       }},
      {"MEAS:NDUT? 25.000000, (@2)", true,
       [](FunctionDriver& d, double* r) {
         return ITF(DutyCycle)->Measure(2, 25, kPercent, kNegative, r);
       }},
      {"CONF:RTIM (@1)", false,
       [](FunctionDriver& d, double*) { return ITF(EdgeTime)->ConfigureAuto(1, kRising); }},
      {"CONF:FTIM (@2)", false,
       [](FunctionDriver& d, double*) { return ITF(EdgeTime)->ConfigureAuto(2, kFalling); }},
      // The low level goes first.
      {"CONF:RTIM 0.500000V, 2.000000V, (@1)", false,
       [](FunctionDriver& d, double*) {
         return ITF(EdgeTime)->Configure(1, kVolt, 2.0, 0.5, kRising);
       }},
      {"CONF:FTIM 10.000000, 90.000000, (@2)", false,
       [](FunctionDriver& d, double*) {
         return ITF(EdgeTime)->Configure(2, kPercent, 90, 10, kFalling);
       }},
      {"MEAS:RTIM? 10.000000, 90.000000, (@1)", true,
       [](FunctionDriver& d, double* r) {
         return ITF(EdgeTime)->Measure(1, kPercent, 90, 10, kRising, r);
       }},
      {"MEAS:FTIM? -1.000000V, 1.000000V, (@2)", true,
       [](FunctionDriver& d, double* r) {
         return ITF(EdgeTime)->Measure(2, kVolt, 1, -1, kFalling, r);
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    driver.script.Expect(row.command, row.measures ? "+1.25000000E-006" : "");
    double reading = -1;
    EXPECT_EQ(row.call(driver, &reading), S_OK) << TakeErrorDescription();
    if (row.measures) {
      EXPECT_DOUBLE_EQ(reading, 1.25e-06);
    }
    driver.ExpectScriptPlayed();
  }
}

// Burst methods ask "*OPT?" afresh before each command; all run on the microwave input.
TEST_F(FunctionCommands, BurstMethodsCheckTheOptionBeforeTheirCommand) {
  Open("QX1300", "785,431");
  struct Row {
    const char* command;
    bool measures;
    Call call;
  };
  const Row rows[] = {
      {"CONF:FREQ:BURS", false, [](FunctionDriver& d, double*) { return ITF(Burst)->Configure(); }},
      {"MEAS:FREQ:BURS?", true,
       [](FunctionDriver& d, double* r) { return ITF(Burst)->Measure(r); }},
      {"CONF:PWID:BURS", false,
       [](FunctionDriver& d, double*) {
         return ITF(Burst)->ConfigureWidth(TevraPulseWidthTypePositive);
       }},
      {"CONF:NWID:BURS", false,
       [](FunctionDriver& d, double*) {
         return ITF(Burst)->ConfigureWidth(TevraPulseWidthTypeNegative);
       }},
      {"MEAS:PWID:BURS?", true,
       [](FunctionDriver& d, double* r) {
         return ITF(Burst)->MeasureWidth(TevraPulseWidthTypePositive, r);
       }},
      {"MEAS:NWID:BURS?", true,
       [](FunctionDriver& d, double* r) {
         return ITF(Burst)->MeasureWidth(TevraPulseWidthTypeNegative, r);
       }},
      {"CONF:FREQ:PRF 1000000,1,(@3)", false,
       [](FunctionDriver& d, double*) { return ITF(Burst)->ConfigurePRF(1e6, 1, 3); }},
      {"CONF:FREQ:PRI 1000000,1,(@3)", false,
       [](FunctionDriver& d, double*) { return ITF(Burst)->ConfigurePRI(1e6, 1, 3); }},
      {"MEAS:FREQ:PRF? 1000000,0.1,(@3)", true,
       [](FunctionDriver& d, double* r) { return ITF(Burst)->MeasurePRF(1e6, 0.1, 3, r); }},
      {"MEAS:FREQ:PRI? 1e-06,1e-09,(@3)", true,
       [](FunctionDriver& d, double* r) { return ITF(Burst)->MeasurePRI(1e-6, 1e-9, 3, r); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    driver.script.Expect("*OPT?", "762,431");
    driver.script.Expect(row.command, row.measures ? "+1.25000000E-006" : "");
    double reading = -1;
    EXPECT_EQ(row.call(driver, &reading), S_OK) << TakeErrorDescription();
    if (row.measures) {
      EXPECT_DOUBLE_EQ(reading, 1.25e-06);
    }
    driver.ExpectScriptPlayed();
  }

  // Without the option in the fresh reply nothing more is sent.
  driver.script.Expect("*OPT?", "785");
  EXPECT_EQ(driver.Get<ITevraBurst>(IID_ITevraBurst)->ConfigurePRF(1e6, 1, 3), kOptionNotInstalled);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: Option not installed on instrument model.");
}

TEST_F(FunctionCommands, SlowQueriesRunWithTheirOwnTimeouts) {
  Open("QX1300", "785,431");
  driver.script.timeout = 2000;
  driver.script.Expect("MEAS:SPER? (@2)", "+1.0E-006");
  double reading = 0;
  EXPECT_EQ(driver.Get<ITevraSinglePeriod>(IID_ITevraSinglePeriod)->Measure(2.0, &reading), S_OK)
      << TakeErrorDescription();
  ASSERT_EQ(driver.script.sent.size(), 1u);
  EXPECT_EQ(driver.script.sent[0].timeout, 5000);

  driver.script.sent.clear();
  driver.script.Expect(":MEAS:ARR:TST? (3),(@1)", "+1.0E-006,+2.0E-006,+3.0E-006");
  SAFEARRAY* stamps = nullptr;
  EXPECT_EQ(driver.Get<ITevraTimeStamp>(IID_ITevraTimeStamp)->Measure(3, 1, &stamps), S_OK)
      << TakeErrorDescription();
  ASSERT_EQ(driver.script.sent.size(), 1u);
  EXPECT_EQ(driver.script.sent[0].timeout, 50000);
  ASSERT_NE(stamps, nullptr);
  LONG upper = -1;
  SafeArrayGetUBound(stamps, 1, &upper);
  EXPECT_EQ(upper, 2);
  SafeArrayDestroy(stamps);

  // A longer session timeout is kept, and restored afterwards in both cases.
  driver.script.timeout = 80000;
  driver.script.sent.clear();
  driver.script.Expect(":MEAS:ARR:TST? (1),(@3)", "+1.0E-006");
  EXPECT_EQ(driver.Get<ITevraTimeStamp>(IID_ITevraTimeStamp)->Measure(1, 3, &stamps), S_OK)
      << TakeErrorDescription();
  ASSERT_EQ(driver.script.sent.size(), 1u);
  EXPECT_EQ(driver.script.sent[0].timeout, 80000);
  EXPECT_EQ(driver.script.timeout, 80000);
  SafeArrayDestroy(stamps);
}

// The scripted session takes the gate-time message's own line feed as its end; the socket test
// checks the bytes.
TEST_F(FunctionCommands, GatedTotalizeSendsLevelTimeSourceAndPolarity) {
  Open("QX1200", "");
  driver.script.Expect("INP2:LEV 0.0");
  driver.script.Expect("CONF:TOT:TIM  0.500000,(@1)");
  driver.script.Expect("TOT:GATE:SOUR INP2");
  driver.script.Expect("TOT:GATE:POL NEG");
  EXPECT_EQ(driver.Get<ITevraTotalizeGated>(IID_ITevraTotalizeGated)
                ->Configure(1, TevraArmSourceChannel2, TevraSlopeNegative, 0.5),
            S_OK)
      << TakeErrorDescription();
  driver.ExpectScriptPlayed();

  struct Row {
    TevraArmSourceEnum source;
    const char* sourceCommand;
  };
  const Row rows[] = {{TevraArmSourceExternal, "TOT:GATE:SOUR EXT"},
                      {TevraArmSourceAdvanced, "TOT:GATE:SOUR ADV"},
                      {TevraArmSourceTime, "TOT:GATE:SOUR TIME"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.sourceCommand);
    driver.script.Expect("CONF:TOT:TIM  2.000000,(@2)");
    driver.script.Expect(row.sourceCommand);
    driver.script.Expect("TOT:GATE:POL POS");
    EXPECT_EQ(driver.Get<ITevraTotalizeGated>(IID_ITevraTotalizeGated)
                  ->Configure(2, row.source, TevraSlopePositive, 2.0),
              S_OK);
    driver.ExpectScriptPlayed();
  }

  // Only the polarity write decides the result.
  driver.script.Expect("INP:LEV 0.0", "", kIoFailure);
  driver.script.Expect("CONF:TOT:TIM  0.100000,(@2)", "", kIoFailure);
  driver.script.Expect("TOT:GATE:SOUR INP");
  driver.script.Expect("TOT:GATE:POL POS");
  EXPECT_EQ(driver.Get<ITevraTotalizeGated>(IID_ITevraTotalizeGated)
                ->Configure(2, TevraArmSourceChannel1, TevraSlopePositive, 0.1),
            S_OK);
  driver.ExpectScriptPlayed();
  driver.script.Expect("CONF:TOT:TIM  0.100000,(@2)");
  driver.script.Expect("TOT:GATE:SOUR EXT");
  driver.script.Expect("TOT:GATE:POL NEG", "", kIoFailure);
  EXPECT_EQ(driver.Get<ITevraTotalizeGated>(IID_ITevraTotalizeGated)
                ->Configure(2, TevraArmSourceExternal, TevraSlopeNegative, 0.1),
            kIoFailure);
}

#undef ITF

}  // namespace
}  // namespace tevra::testing
