// What the measurement functions refuse before anything is sent: channels outside the inputs or
// on the microwave input, reference levels out of order, a gate on the counted channel, models
// without the function, and functions SetFunction cannot select on the connected model.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

#define ITF COUNTER_ITF

constexpr auto kVolt = TevraReferenceTypeVoltage;
constexpr auto kPercent = TevraReferenceTypePercent;
double g_reading = 0;

TEST(FunctionRefusals, ChannelsOutsideTheInputsOrOnTheMicrowaveInput) {
  CounterDriver d;
  d.Open("QX1200", "785");  // inputs 1..3, the third the microwave input
  ExpectRefusals(
      d.script,
      {
          {"Invalid value '3' for method 'PulseWidth_Configure', parameter 'Channel'.",
           [&] { return ITF(PulseWidth)->Configure(3, 50, kPercent, TevraPolarityPositive); }},
          {"Invalid value '0' for method 'Frequency_ConfigureAuto', parameter 'Channel'.",
           [&] { return ITF(Frequency)->ConfigureAuto(0); }},
          {"Invalid value '4' for method 'Frequency_Measure', parameter 'Channel'.",
           [&] { return ITF(Frequency)->Measure(1, 1, 4, &g_reading); }},
          {"Invalid value '4' for method 'Period_ConfigureWithAperture', parameter 'Channel'.",
           [&] { return ITF(Period)->ConfigureWithAperture(4, 0.1); }},
          {"Invalid value '3' for method 'DutyCycle_Measure', parameter 'Channel'.",
           [&] {
             return ITF(DutyCycle)->Measure(3, 50, kPercent, TevraPolarityPositive, &g_reading);
           }},
          {"Invalid value '3' for method 'EdgeTime_ConfigureAuto', parameter 'Channel'.",
           [&] { return ITF(EdgeTime)->ConfigureAuto(3, TevraEdgeTypeRising); }},
          // The channel is checked before the levels.
          {"Invalid value '3' for method 'EdgeTime_Configure', parameter 'Channel'.",
           [&] { return ITF(EdgeTime)->Configure(3, kVolt, 1.0, 1.0, TevraEdgeTypeRising); }},
          {"Invalid value 'LowReference must be < HighReference' for method 'EdgeTime_Configure', "
           "parameter 'Low/HighReference'.",
           [&] { return ITF(EdgeTime)->Configure(1, kVolt, 1.0, 1.0, TevraEdgeTypeRising); }},
          {"Invalid value 'LowReference must be < HighReference' for method 'EdgeTime_Measure', "
           "parameter 'Low/HighReference'.",
           [&] {
             return ITF(EdgeTime)->Measure(1, kPercent, 10, 90, TevraEdgeTypeFalling, &g_reading);
           }},
          // Two-channel functions check their first-named channel first.
          {"Invalid value '4' for method 'FrequencyRatio_ConfigureAuto', parameter "
           "'NumeratorChannel'.",
           [&] { return ITF(FrequencyRatio)->ConfigureAuto(4, 5); }},
          {"Invalid value '0' for method 'FrequencyRatio_Measure', parameter 'DenominatorChannel'.",
           [&] { return ITF(FrequencyRatio)->Measure(1, 1, 3, 0, &g_reading); }},
          {"Invalid value '3' for method 'TimeInterval_Configure', parameter 'StartChannel'.",
           [&] { return ITF(TimeInterval)->Configure(3, 3); }},
          {"Invalid value '3' for method 'TimeInterval_Measure', parameter 'StopChannel'.",
           [&] { return ITF(TimeInterval)->Measure(1, 3, &g_reading); }},
          {"Invalid value '3' for method 'Phase_Configure', parameter 'InputChannel'.",
           [&] { return ITF(Phase)->Configure(0, 3); }},
          {"Invalid value '0' for method 'Phase_Measure', parameter 'ReferenceChannel'.",
           [&] { return ITF(Phase)->Measure(0, 1, &g_reading); }},
          {"Invalid value '3' for method 'TotalizeContinuous_Configure', parameter 'Channel'.",
           [&] { return ITF(TotalizeContinuous)->Configure(3); }},
          {"Invalid value '3' for method 'TotalizeTimed_Measure', parameter 'Channel'.",
           [&] { return ITF(TotalizeTimed)->Measure(1, 3, &g_reading); }},
          {"Invalid value '3' for method 'SinglePeriod_Configure', parameter 'ChannelNumber'.",
           [&] { return ITF(SinglePeriod)->Configure(3); }},
          {"Invalid value '3' for method 'SinglePeriod_Measure', parameter 'ChannelNumber'.",
           [&] { return ITF(SinglePeriod)->Measure(3.0, &g_reading); }},
          {"Invalid value '3' for method 'Voltage_Configure', parameter 'Channel'.",
           [&] { return ITF(Voltage)->Configure(3, TevraVoltageFunctionDC); }},
          {"Invalid value '2' for method 'TotalizeGated_Configure', parameter 'Channel and "
           "GateSource cannot be same channel'.",
           [&] {
             return ITF(TotalizeGated)->Configure(2, TevraArmSourceChannel2, TevraSlopePositive, 1);
           }},
          {"Invalid value '1' for method 'TotalizeGated_Configure', parameter 'Channel and "
           "GateSource cannot be same channel'.",
           [&] {
             return ITF(TotalizeGated)->Configure(1, TevraArmSourceChannel1, TevraSlopeNegative, 1);
           }},
          {"Invalid value '5' for method 'TotalizeGated_Configure', parameter 'GateSource'.",
           [&] {
             return ITF(TotalizeGated)
                 ->Configure(1, TevraArmSourceImmediate, TevraSlopePositive, 1);
           }},
          ModelRefusal("Configure", [&] { return ITF(TimeStamp)->Configure(10, 1); }),
          ModelRefusal("MeasurePRF", [&] { return ITF(Burst)->MeasurePRF(1, 1, 3, &g_reading); }),
      });

  // The microwave input still measures frequency.
  d.script.Expect("CONF:FREQ (@3)");
  EXPECT_EQ(d.Get<ITevraFrequency>(IID_ITevraFrequency)->ConfigureAuto(3), S_OK);
  d.ExpectScriptPlayed();
}

TEST(FunctionRefusals, TimeStampsNeedACountAndBurstsTheMicrowaveInput) {
  CounterDriver d;
  d.Open("QX1300", "762,431");
  ExpectRefusals(
      d.script,
      {
          {"Invalid value '0' for method 'TimeStamp_Configure', parameter 'Count'.",
           [&] { return ITF(TimeStamp)->Configure(0, 1); }},
          {"Invalid value '4' for method 'TimeStamp_Configure', parameter 'Channel'.",
           [&] { return ITF(TimeStamp)->Configure(5, 4); }},
          {"Invalid value '0' for method 'TimeStamp_Measure', parameter 'Count'.",
           [&] {
             SAFEARRAY* stamps = nullptr;
             return ITF(TimeStamp)->Measure(0, 3, &stamps);
           }},
          {"Invalid value '1' for method 'Burst_ConfigurePRF', parameter 'Channel'.",
           [&] { return ITF(Burst)->ConfigurePRF(1, 1, 1); }},
          {"Invalid value '2' for method 'Burst_MeasurePRI', parameter 'Channel'.",
           [&] { return ITF(Burst)->MeasurePRI(1, 1, 2, &g_reading); }},
          {"Does not support this class-compliant feature: method 'Please use the method named "
           "ReadCount for this functionality.'.",
           [&] { return ITF(TotalizeContinuous)->FetchCount(&g_reading); }, kMethodNotSupported},
      });
}

// Every function interface but frequency, period, ratio and voltage is missing on the QX1100 (the
// root getters that hand them out are in the row walk).
TEST(FunctionRefusals, TheQX1100OffersOnlyTheFrequencyFunctions) {
  CounterDriver d;
  d.Open("QX1100", "762");
  ExpectRefusals(
      d.script,
      {
          ModelRefusal("ConfigureAuto", [&] { return ITF(PulseWidth)->ConfigureAuto(1); }),
          ModelRefusal("Measure",
                       [&] {
                         return ITF(DutyCycle)->Measure(1, 50, kPercent, TevraPolarityPositive,
                                                        &g_reading);
                       }),
          ModelRefusal(
              "Configure",
              [&] { return ITF(EdgeTime)->Configure(1, kVolt, 1.0, 1.0, TevraEdgeTypeRising); }),
          ModelRefusal("ConfigureSingleChannel",
                       [&] { return ITF(TimeInterval)->ConfigureSingleChannel(1); }),
          ModelRefusal("Measure", [&] { return ITF(Phase)->Measure(1, 2, &g_reading); }),
          ModelRefusal("FetchCount",
                       [&] { return ITF(TotalizeContinuous)->FetchCount(&g_reading); }),
          ModelRefusal("Configure",
                       [&] {
                         return ITF(TotalizeGated)
                             ->Configure(1, TevraArmSourceChannel1, TevraSlopePositive, 1);
                       }),
          ModelRefusal("Configure", [&] { return ITF(TotalizeTimed)->Configure(1, 1); }),
          ModelRefusal("Measure", [&] { return ITF(SinglePeriod)->Measure(1, &g_reading); }),
          ModelRefusal("Configure", [&] { return ITF(TimeStamp)->Configure(1, 1); }),
          ModelRefusal("Configure", [&] { return ITF(Burst)->Configure(); }),
      });

  // The frequency functions run, on both inputs.
  d.script.Expect("CONF:FREQ:RAT (@1),(@2)");
  EXPECT_EQ(d.Get<ITevraFrequencyRatio>(IID_ITevraFrequencyRatio)->ConfigureAuto(1, 2), S_OK);
  ITevraPeriod* period = nullptr;
  EXPECT_EQ(d.handle.driver->get_Period(&period), S_OK);
  ASSERT_NE(period, nullptr);
  d.script.Expect("CONF:PER (@2)");
  EXPECT_EQ(period->ConfigureAuto(2), S_OK);
  period->Release();
  d.ExpectScriptPlayed();
}

#undef ITF

}  // namespace
}  // namespace tevra::testing
