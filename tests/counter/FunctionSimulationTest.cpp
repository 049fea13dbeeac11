// The measurement functions in simulation: fixed readings after the same checks as on an
// instrument, and nothing sent.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

#define ITF COUNTER_ITF

TEST(FunctionSimulation, MeasuresReturnTheirFixedReadings) {
  CounterDriver d;
  d.Simulate("QX1300");
  constexpr auto kPercent = TevraReferenceTypePercent;
  struct Row {
    const char* method;
    double reading;
    std::function<HRESULT()> call;
  };
  double r = -1;
  const Row rows[] = {
      {"Frequency", 1000000.0, [&] { return ITF(Frequency)->Measure(1, 1, 3, &r); }},
      {"Period", 1e-06, [&] { return ITF(Period)->Measure(1, 1, 1, &r); }},
      {"PulseWidth", 1e-06,
       [&] { return ITF(PulseWidth)->Measure(1, 50, kPercent, TevraPolarityPositive, &r); }},
      {"DutyCycle", 0.5,
       [&] { return ITF(DutyCycle)->Measure(2, 50, kPercent, TevraPolarityNegative, &r); }},
      {"EdgeTime", 1e-06,
       [&] { return ITF(EdgeTime)->Measure(1, kPercent, 90, 10, TevraEdgeTypeRising, &r); }},
      {"FrequencyRatio", 1.0, [&] { return ITF(FrequencyRatio)->Measure(1, 1, 1, 2, &r); }},
      {"TimeInterval", 1e-06, [&] { return ITF(TimeInterval)->Measure(1, 2, &r); }},
      {"Phase", 0.0, [&] { return ITF(Phase)->Measure(1, 2, &r); }},
      {"TotalizeTimed", 1e-06, [&] { return ITF(TotalizeTimed)->Measure(1, 1, &r); }},
      {"SinglePeriod", 1e-06, [&] { return ITF(SinglePeriod)->Measure(2, &r); }},
      {"Burst", 4300133983.0, [&] { return ITF(Burst)->Measure(&r); }},
      {"BurstPRF", 1215133.983, [&] { return ITF(Burst)->MeasurePRF(1, 1, 3, &r); }},
      {"BurstPRI", 8.33337934613473e-07, [&] { return ITF(Burst)->MeasurePRI(1, 1, 3, &r); }},
      {"BurstWidth", 5.1052e-06,
       [&] { return ITF(Burst)->MeasureWidth(TevraPulseWidthTypeNegative, &r); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.method);
    r = -1;
    EXPECT_EQ(row.call(), S_OK) << TakeErrorDescription();
    EXPECT_EQ(r, row.reading);
  }
}

TEST(FunctionSimulation, TimeStampsAreOneMicrosecondApart) {
  CounterDriver driver;
  driver.Simulate("QX1300");
  auto* stamps = driver.Get<ITevraTimeStamp>(IID_ITevraTimeStamp);
  SAFEARRAY* values = nullptr;
  ASSERT_EQ(stamps->Measure(5, 3, &values), S_OK) << TakeErrorDescription();
  const std::vector<double> got = Readings(values);
  ASSERT_EQ(got.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(got[i], i * 1e-06, 1e-15) << i;

  CounterDriver qx1200;
  qx1200.Simulate("QX1200");
  SAFEARRAY* none = nullptr;
  EXPECT_EQ(qx1200.Get<ITevraTimeStamp>(IID_ITevraTimeStamp)->Measure(5, 1, &none),
            kModelNotSupported);
  EXPECT_EQ(none, nullptr);
}

// The simulated microwave input is the last one on every model.
TEST(FunctionSimulation, ChecksRunAsOnAnInstrument) {
  struct Row {
    const char* model;
    LONG channel;
    HRESULT status;
  };
  const Row rows[] = {{"QX1200", 3, kInvalidValue},
                      {"QX1200", 1, S_OK},
                      {"QX1100", 1, kModelNotSupported},
                      {"QX1300", 2, S_OK}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.model) + " channel " + std::to_string(row.channel));
    CounterDriver driver;
    driver.Simulate(row.model);
    double reading = -1;
    EXPECT_EQ(
        driver.Get<ITevraPulseWidth>(IID_ITevraPulseWidth)
            ->Measure(row.channel, 50, TevraReferenceTypePercent, TevraPolarityPositive, &reading),
        row.status);
    EXPECT_EQ(reading, row.status == S_OK ? 1e-06 : 0.0);
  }

  CounterDriver driver;
  driver.Simulate("QX1300");
  double reading = -1;
  EXPECT_EQ(driver.Get<ITevraBurst>(IID_ITevraBurst)->MeasurePRF(1, 1, 1, &reading), kInvalidValue);
  EXPECT_EQ(TakeErrorDescription(), InvalidValue("1", "Burst_MeasurePRF", "Channel"));
  auto* gated = driver.Get<ITevraTotalizeGated>(IID_ITevraTotalizeGated);
  EXPECT_EQ(gated->Configure(2, TevraArmSourceChannel2, TevraSlopePositive, 1), kInvalidValue);
  EXPECT_EQ(gated->Configure(2, TevraArmSourceChannel1, TevraSlopePositive, 1), S_OK);
}

#undef ITF

}  // namespace
}  // namespace tevra::testing
