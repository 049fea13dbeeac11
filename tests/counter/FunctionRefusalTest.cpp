// What the measurement functions refuse before anything is sent: channels outside the inputs or
// on the microwave input, reference levels out of order, a gate on the counted channel, models
// without the function, and functions SetFunction cannot select on the connected model.
#include <functional>
#include <span>

#include "FunctionTestDriver.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::testing {
namespace {

using Call = std::function<HRESULT(FunctionDriver&)>;

#define ITF FUNCTION_ITF

struct Refusal {
  const char* message;  // after "Tevra: "
  HRESULT status;
  Call call;
};

void ExpectRefusals(FunctionDriver& driver, std::span<const Refusal> rows) {
  for (const Refusal& row : rows) {
    SCOPED_TRACE(row.message);
    EXPECT_EQ(row.call(driver), row.status);
    EXPECT_EQ(TakeErrorDescription(), std::string("Tevra: ") + row.message);
    EXPECT_TRUE(driver.script.sent.empty()) << driver.script.sent.front().command;
    driver.script.sent.clear();
  }
}

constexpr auto kVolt = TevraReferenceTypeVoltage;
constexpr auto kPercent = TevraReferenceTypePercent;
double g_reading = 0;

TEST(FunctionRefusals, ChannelsOutsideTheInputsOrOnTheMicrowaveInput) {
  FunctionDriver driver;
  driver.Open("QX1200", "785");  // inputs 1..3, the third the microwave input
  const Refusal rows[] = {
      {"Invalid value '3' for method 'PulseWidth_Configure', parameter 'Channel'.", kInvalidValue,
       [](FunctionDriver& d) {
         return ITF(PulseWidth)->Configure(3, 50, kPercent, TevraPolarityPositive);
       }},
      {"Invalid value '0' for method 'Frequency_ConfigureAuto', parameter 'Channel'.",
       kInvalidValue, [](FunctionDriver& d) { return ITF(Frequency)->ConfigureAuto(0); }},
      {"Invalid value '4' for method 'Frequency_Measure', parameter 'Channel'.", kInvalidValue,
       [](FunctionDriver& d) { return ITF(Frequency)->Measure(1, 1, 4, &g_reading); }},
      {"Invalid value '4' for method 'Period_ConfigureWithAperture', parameter 'Channel'.",
       kInvalidValue, [](FunctionDriver& d) { return ITF(Period)->ConfigureWithAperture(4, 0.1); }},
      {"Invalid value '3' for method 'DutyCycle_Measure', parameter 'Channel'.", kInvalidValue,
       [](FunctionDriver& d) {
         return ITF(DutyCycle)->Measure(3, 50, kPercent, TevraPolarityPositive, &g_reading);
       }},
      {"Invalid value '3' for method 'EdgeTime_ConfigureAuto', parameter 'Channel'.", kInvalidValue,
       [](FunctionDriver& d) { return ITF(EdgeTime)->ConfigureAuto(3, TevraEdgeTypeRising); }},
      // The channel is checked before the levels.
      {"Invalid value '3' for method 'EdgeTime_Configure', parameter 'Channel'.", kInvalidValue,
       [](FunctionDriver& d) {
         return ITF(EdgeTime)->Configure(3, kVolt, 1.0, 1.0, TevraEdgeTypeRising);
       }},
      {"Invalid value 'LowReference must be < HighReference' for method 'EdgeTime_Configure', "
       "parameter 'Low/HighReference'.",
       kInvalidValue,
       [](FunctionDriver& d) {
         return ITF(EdgeTime)->Configure(1, kVolt, 1.0, 1.0, TevraEdgeTypeRising);
       }},
      {"Invalid value 'LowReference must be < HighReference' for method 'EdgeTime_Measure', "
       "parameter 'Low/HighReference'.",
       kInvalidValue,
       [](FunctionDriver& d) {
         return ITF(EdgeTime)->Measure(1, kPercent, 10, 90, TevraEdgeTypeFalling, &g_reading);
       }},
      // Two-channel functions check their first-named channel first.
      {"Invalid value '4' for method 'FrequencyRatio_ConfigureAuto', parameter "
       "'NumeratorChannel'.",
       kInvalidValue, [](FunctionDriver& d) { return ITF(FrequencyRatio)->ConfigureAuto(4, 5); }},
      {"Invalid value '0' for method 'FrequencyRatio_Measure', parameter 'DenominatorChannel'.",
       kInvalidValue,
       [](FunctionDriver& d) { return ITF(FrequencyRatio)->Measure(1, 1, 3, 0, &g_reading); }},
      {"Invalid value '3' for method 'TimeInterval_Configure', parameter 'StartChannel'.",
       kInvalidValue, [](FunctionDriver& d) { return ITF(TimeInterval)->Configure(3, 3); }},
      {"Invalid value '3' for method 'TimeInterval_Measure', parameter 'StopChannel'.",
       kInvalidValue,
       [](FunctionDriver& d) { return ITF(TimeInterval)->Measure(1, 3, &g_reading); }},
      {"Invalid value '3' for method 'Phase_Configure', parameter 'InputChannel'.", kInvalidValue,
       [](FunctionDriver& d) { return ITF(Phase)->Configure(0, 3); }},
      {"Invalid value '0' for method 'Phase_Measure', parameter 'ReferenceChannel'.", kInvalidValue,
       [](FunctionDriver& d) { return ITF(Phase)->Measure(0, 1, &g_reading); }},
      {"Invalid value '3' for method 'TotalizeContinuous_Configure', parameter 'Channel'.",
       kInvalidValue, [](FunctionDriver& d) { return ITF(TotalizeContinuous)->Configure(3); }},
      {"Invalid value '3' for method 'TotalizeTimed_Measure', parameter 'Channel'.", kInvalidValue,
       [](FunctionDriver& d) { return ITF(TotalizeTimed)->Measure(1, 3, &g_reading); }},
      {"Invalid value '3' for method 'SinglePeriod_Configure', parameter 'ChannelNumber'.",
       kInvalidValue, [](FunctionDriver& d) { return ITF(SinglePeriod)->Configure(3); }},
      {"Invalid value '3' for method 'SinglePeriod_Measure', parameter 'ChannelNumber'.",
       kInvalidValue,
       [](FunctionDriver& d) { return ITF(SinglePeriod)->Measure(3.0, &g_reading); }},
      {"Invalid value '3' for method 'Voltage_Configure', parameter 'Channel'.", kInvalidValue,
       [](FunctionDriver& d) { return ITF(Voltage)->Configure(3, TevraVoltageFunctionDC); }},
      {"Invalid value '2' for method 'TotalizeGated_Configure', parameter 'Channel and "
       "GateSource cannot be same channel'.",
       kInvalidValue,
       [](FunctionDriver& d) {
         return ITF(TotalizeGated)->Configure(2, TevraArmSourceChannel2, TevraSlopePositive, 1);
       }},
      {"Invalid value '1' for method 'TotalizeGated_Configure', parameter 'Channel and "
       "GateSource cannot be same channel'.",
       kInvalidValue,
       [](FunctionDriver& d) {
         return ITF(TotalizeGated)->Configure(1, TevraArmSourceChannel1, TevraSlopeNegative, 1);
       }},
      {"Invalid value '5' for method 'TotalizeGated_Configure', parameter 'GateSource'.",
       kInvalidValue,
       [](FunctionDriver& d) {
         return ITF(TotalizeGated)->Configure(1, TevraArmSourceImmediate, TevraSlopePositive, 1);
       }},
      {"Instrument model does not support this feature: Configure.", kModelNotSupported,
       [](FunctionDriver& d) { return ITF(TimeStamp)->Configure(10, 1); }},
      {"Instrument model does not support this feature: MeasurePRF.", kModelNotSupported,
       [](FunctionDriver& d) { return ITF(Burst)->MeasurePRF(1, 1, 3, &g_reading); }},
  };
  ExpectRefusals(driver, rows);

  // The microwave input still measures frequency.
  driver.script.Expect("CONF:FREQ (@3)");
  EXPECT_EQ(driver.Get<ITevraFrequency>(IID_ITevraFrequency)->ConfigureAuto(3), S_OK);
  driver.ExpectScriptPlayed();
}

TEST(FunctionRefusals, TimeStampsNeedACountAndBurstsTheMicrowaveInput) {
  FunctionDriver driver;
  driver.Open("QX1300", "762,431");
  const Refusal rows[] = {
      {"Invalid value '0' for method 'TimeStamp_Configure', parameter 'Count'.", kInvalidValue,
       [](FunctionDriver& d) { return ITF(TimeStamp)->Configure(0, 1); }},
      {"Invalid value '4' for method 'TimeStamp_Configure', parameter 'Channel'.", kInvalidValue,
       [](FunctionDriver& d) { return ITF(TimeStamp)->Configure(5, 4); }},
      {"Invalid value '0' for method 'TimeStamp_Measure', parameter 'Count'.", kInvalidValue,
       [](FunctionDriver& d) {
         SAFEARRAY* stamps = nullptr;
         return ITF(TimeStamp)->Measure(0, 3, &stamps);
       }},
      {"Invalid value '1' for method 'Burst_ConfigurePRF', parameter 'Channel'.", kInvalidValue,
       [](FunctionDriver& d) { return ITF(Burst)->ConfigurePRF(1, 1, 1); }},
      {"Invalid value '2' for method 'Burst_MeasurePRI', parameter 'Channel'.", kInvalidValue,
       [](FunctionDriver& d) { return ITF(Burst)->MeasurePRI(1, 1, 2, &g_reading); }},
      {"Does not support this class-compliant feature: method 'Please use the method named "
       "ReadCount for this functionality.'.",
       kMethodNotSupported,
       [](FunctionDriver& d) { return ITF(TotalizeContinuous)->FetchCount(&g_reading); }},
  };
  ExpectRefusals(driver, rows);
}

// Every function interface but frequency, period, ratio and voltage is missing on the QX1100,
// and so are the root getters that hand them out.
TEST(FunctionRefusals, TheQX1100OffersOnlyTheFrequencyFunctions) {
  FunctionDriver driver;
  driver.Open("QX1100", "762");
  const Refusal rows[] = {
      {"Instrument model does not support this feature: ConfigureAuto.", kModelNotSupported,
       [](FunctionDriver& d) { return ITF(PulseWidth)->ConfigureAuto(1); }},
      {"Instrument model does not support this feature: Measure.", kModelNotSupported,
       [](FunctionDriver& d) {
         return ITF(DutyCycle)->Measure(1, 50, kPercent, TevraPolarityPositive, &g_reading);
       }},
      {"Instrument model does not support this feature: Configure.", kModelNotSupported,
       [](FunctionDriver& d) {
         return ITF(EdgeTime)->Configure(1, kVolt, 1.0, 1.0, TevraEdgeTypeRising);
       }},
      {"Instrument model does not support this feature: ConfigureSingleChannel.",
       kModelNotSupported,
       [](FunctionDriver& d) { return ITF(TimeInterval)->ConfigureSingleChannel(1); }},
      {"Instrument model does not support this feature: Measure.", kModelNotSupported,
       [](FunctionDriver& d) { return ITF(Phase)->Measure(1, 2, &g_reading); }},
      {"Instrument model does not support this feature: FetchCount.", kModelNotSupported,
       [](FunctionDriver& d) { return ITF(TotalizeContinuous)->FetchCount(&g_reading); }},
      {"Instrument model does not support this feature: Configure.", kModelNotSupported,
       [](FunctionDriver& d) {
         return ITF(TotalizeGated)->Configure(1, TevraArmSourceChannel1, TevraSlopePositive, 1);
       }},
      {"Instrument model does not support this feature: Configure.", kModelNotSupported,
       [](FunctionDriver& d) { return ITF(TotalizeTimed)->Configure(1, 1); }},
      {"Instrument model does not support this feature: Measure.", kModelNotSupported,
       [](FunctionDriver& d) { return ITF(SinglePeriod)->Measure(1, &g_reading); }},
      {"Instrument model does not support this feature: Configure.", kModelNotSupported,
       [](FunctionDriver& d) { return ITF(TimeStamp)->Configure(1, 1); }},
      {"Instrument model does not support this feature: Configure.", kModelNotSupported,
       [](FunctionDriver& d) { return ITF(Burst)->Configure(); }},
      {"Instrument model does not support this feature: get_TotalizeGated.", kModelNotSupported,
       [](FunctionDriver& d) {
         ITevraTotalizeGated* gated = nullptr;
         return d.handle.driver->get_TotalizeGated(&gated);
       }},
      {"Instrument model does not support this feature: get_Burst.", kModelNotSupported,
       [](FunctionDriver& d) {
         ITevraBurst* burst = nullptr;
         return d.handle.driver->get_Burst(&burst);
       }},
  };
  ExpectRefusals(driver, rows);

  // The frequency functions run, on both inputs.
  driver.script.Expect("CONF:FREQ:RAT (@1),(@2)");
  EXPECT_EQ(driver.Get<ITevraFrequencyRatio>(IID_ITevraFrequencyRatio)->ConfigureAuto(1, 2), S_OK);
  ITevraPeriod* period = nullptr;
  EXPECT_EQ(driver.handle.driver->get_Period(&period), S_OK);
  ASSERT_NE(period, nullptr);
  driver.script.Expect("CONF:PER (@2)");
  EXPECT_EQ(period->ConfigureAuto(2), S_OK);
  period->Release();
  driver.ExpectScriptPlayed();
}

#undef ITF

}  // namespace
}  // namespace tevra::testing
