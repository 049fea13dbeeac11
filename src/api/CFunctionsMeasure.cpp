// The C interface's measurement functions: the function selection, the class-compliant
// functions (channels by name) and measurement, the instrument's own functions (channels by
// number), the pulsed microwave measurements and the readings, each forwarded to its object
// method.
#include "api/CForward.h"
#include "tevra/Tevra.h"

using tevra::api::Forward;
using tevra::api::Out;
using tevra::api::OutArray;
using tevra::api::OutText;

extern "C" {

// ---- Function selection

ViStatus Tevra_ConfigureMain(ViSession Vi, ViInt32 BufferSize, ViChar Val[]) {
  return Forward(Vi, &ITevra::Configure, OutText{BufferSize, Val});
}
ViStatus Tevra_GetFunction(ViSession Vi, ViInt32 BufferSize, ViChar Val[]) {
  return Forward(Vi, &ITevra::GetFunction, OutText{BufferSize, Val});
}
ViStatus Tevra_SetFunction(ViSession Vi, ViInt32 MeasurementFunction) {
  return Forward(Vi, &ITevra::SetFunction, MeasurementFunction);
}

// ---- Class-compliant functions

ViStatus Tevra_ConfigureFrequency(ViSession Vi, ViConstString Channel, ViReal64 Estimate,
                                  ViReal64 Resolution) {
  return Forward(Vi, &IIviCounterFrequency::Configure, Channel, Estimate, Resolution);
}
ViStatus Tevra_ConfigureFrequencyManual(ViSession Vi, ViConstString Channel, ViReal64 Estimate,
                                        ViReal64 Resolution) {
  return Forward(Vi, &IIviCounterFrequency::ConfigureManual, Channel, Estimate, Resolution);
}
ViStatus Tevra_ConfigureFrequencyWithApertureTime(ViSession Vi, ViConstString Channel,
                                                  ViReal64 Estimate, ViReal64 Resolution,
                                                  ViReal64 ApertureTime) {
  return Forward(Vi, &IIviCounterFrequency::ConfigureWithAperture, Channel, Estimate, Resolution,
                 ApertureTime);
}
ViStatus Tevra_ConfigurePeriod(ViSession Vi, ViConstString Channel, ViReal64 Estimate,
                               ViReal64 Resolution) {
  return Forward(Vi, &IIviCounterPeriod::Configure, Channel, Estimate, Resolution);
}
ViStatus Tevra_ConfigurePeriodWithApertureTime(ViSession Vi, ViConstString Channel,
                                               ViReal64 Estimate, ViReal64 Resolution,
                                               ViReal64 ApertureTime) {
  return Forward(Vi, &IIviCounterPeriod::ConfigureWithAperture, Channel, Estimate, Resolution,
                 ApertureTime);
}
ViStatus Tevra_ConfigurePulseWidth(ViSession Vi, ViConstString Channel, ViReal64 Estimate,
                                   ViReal64 Resolution) {
  return Forward(Vi, &IIviCounterPulseWidth::Configure, Channel, Estimate, Resolution);
}
ViStatus Tevra_ConfigureDutyCycle(ViSession Vi, ViConstString Channel, ViReal64 FrequencyEstimate,
                                  ViReal64 Resolution) {
  return Forward(Vi, &IIviCounterDutyCycle::Configure, Channel, FrequencyEstimate, Resolution);
}
ViStatus Tevra_ConfigureEdgeTime(ViSession Vi, ViConstString Channel, ViReal64 Estimate,
                                 ViReal64 Resolution) {
  return Forward(Vi, &IIviCounterEdgeTime::Configure, Channel, Estimate, Resolution);
}
ViStatus Tevra_ConfigureEdgeTimeReferenceLevels(ViSession Vi, ViConstString Channel,
                                                ViInt32 ReferenceType, ViReal64 HighReference,
                                                ViReal64 LowReference) {
  return Forward(Vi, &IIviCounterEdgeTime::ConfigureReferenceLevels, Channel, ReferenceType,
                 HighReference, LowReference);
}
ViStatus Tevra_ConfigureFrequencyRatio(ViSession Vi, ViConstString NumeratorChannel,
                                       ViConstString DenominatorChannel,
                                       ViReal64 NumeratorFrequencyEstimate, ViReal64 Estimate,
                                       ViReal64 Resolution) {
  return Forward(Vi, &IIviCounterFrequencyRatio::Configure, NumeratorChannel, DenominatorChannel,
                 NumeratorFrequencyEstimate, Estimate, Resolution);
}
ViStatus Tevra_ConfigureTimeInterval(ViSession Vi, ViConstString StartChannel,
                                     ViConstString StopChannel, ViReal64 Estimate,
                                     ViReal64 Resolution) {
  return Forward(Vi, &IIviCounterTimeInterval::Configure, StartChannel, StopChannel, Estimate,
                 Resolution);
}
ViStatus Tevra_ConfigureTimeIntervalStopHoldoff(ViSession Vi, ViReal64 StopHoldoff) {
  return Forward(Vi, &IIviCounterTimeInterval::put_StopHoldoff, StopHoldoff);
}
ViStatus Tevra_ConfigurePhase(ViSession Vi, ViConstString InputChannel,
                              ViConstString ReferenceChannel, ViReal64 FrequencyEstimate,
                              ViReal64 Resolution) {
  return Forward(Vi, &IIviCounterPhase::Configure, InputChannel, ReferenceChannel,
                 FrequencyEstimate, Resolution);
}
ViStatus Tevra_ConfigureContinuousTotalize(ViSession Vi, ViConstString Channel) {
  return Forward(Vi, &IIviCounterTotalizeContinuous::Configure, Channel);
}
ViStatus Tevra_ConfigureGatedTotalize(ViSession Vi, ViConstString Channel, ViConstString GateSource,
                                      ViInt32 GateSlope) {
  return Forward(Vi, &IIviCounterTotalizeGated::Configure, Channel, GateSource, GateSlope);
}
ViStatus Tevra_ConfigureTimedTotalize(ViSession Vi, ViConstString Channel, ViReal64 GateTime) {
  return Forward(Vi, &IIviCounterTotalizeTimed::Configure, Channel, GateTime);
}
ViStatus Tevra_StartContinuousTotalize(ViSession Vi) {
  return Forward(Vi, &IIviCounterTotalizeContinuous::Start);
}
ViStatus Tevra_StopContinuousTotalize(ViSession Vi) {
  return Forward(Vi, &IIviCounterTotalizeContinuous::Stop);
}
ViStatus Tevra_FetchContinuousTotalizeCount(ViSession Vi, ViReal64* Val) {
  return Forward(Vi, &IIviCounterTotalizeContinuous::FetchCount, Out{Val, "Val"});
}
ViStatus Tevra_ConfigureVoltage(ViSession Vi, ViConstString Channel, ViInt32 Function,
                                ViReal64 Estimate, ViReal64 Resolution) {
  return Forward(Vi, &IIviCounterVoltage::Configure, Channel, Function, Estimate, Resolution);
}

// ---- Class-compliant measurement

ViStatus Tevra_Initiate(ViSession Vi) { return Forward(Vi, &IIviCounterMeasurement::Initiate); }
ViStatus Tevra_Abort(ViSession Vi) { return Forward(Vi, &IIviCounterMeasurement::Abort); }
ViStatus Tevra_Fetch(ViSession Vi, ViReal64* Val) {
  return Forward(Vi, &IIviCounterMeasurement::Fetch, Out{Val, "Val"});
}
ViStatus Tevra_Read(ViSession Vi, ViInt32 MaxTimeMilliseconds, ViReal64* Val) {
  return Forward(Vi, &IIviCounterMeasurement::Read, MaxTimeMilliseconds, Out{Val, "Val"});
}

// ---- Instrument-specific functions

ViStatus Tevra_FrequencyConfigure(ViSession Vi, ViReal64 Estimate, ViReal64 Resolution,
                                  ViInt32 Channel) {
  return Forward(Vi, &ITevraFrequency::Configure, Estimate, Resolution, Channel);
}
ViStatus Tevra_FrequencyConfigureAuto(ViSession Vi, ViInt32 Channel) {
  return Forward(Vi, &ITevraFrequency::ConfigureAuto, Channel);
}
ViStatus Tevra_FrequencyConfigureWithAperture(ViSession Vi, ViInt32 Channel,
                                              ViReal64 ApertureTime) {
  return Forward(Vi, &ITevraFrequency::ConfigureWithAperture, Channel, ApertureTime);
}
ViStatus Tevra_FrequencyMeasure(ViSession Vi, ViReal64 Estimate, ViReal64 Resolution,
                                ViInt32 Channel, ViReal64* Frequency) {
  return Forward(Vi, &ITevraFrequency::Measure, Estimate, Resolution, Channel,
                 Out{Frequency, "Frequency"});
}

ViStatus Tevra_PeriodConfigure(ViSession Vi, ViReal64 Estimate, ViReal64 Resolution,
                               ViInt32 Channel) {
  return Forward(Vi, &ITevraPeriod::Configure, Estimate, Resolution, Channel);
}
ViStatus Tevra_PeriodConfigureAuto(ViSession Vi, ViInt32 Channel) {
  return Forward(Vi, &ITevraPeriod::ConfigureAuto, Channel);
}
ViStatus Tevra_PeriodConfigureWithAperture(ViSession Vi, ViInt32 Channel, ViReal64 ApertureTime) {
  return Forward(Vi, &ITevraPeriod::ConfigureWithAperture, Channel, ApertureTime);
}
ViStatus Tevra_PeriodMeasure(ViSession Vi, ViReal64 Estimate, ViReal64 Resolution, ViInt32 Channel,
                             ViReal64* Measurement) {
  return Forward(Vi, &ITevraPeriod::Measure, Estimate, Resolution, Channel,
                 Out{Measurement, "Measurement"});
}

ViStatus Tevra_PulseWidthConfigure(ViSession Vi, ViInt32 Channel, ViReal64 Reference,
                                   ViInt32 ReferenceType, ViInt32 Polarity) {
  return Forward(Vi, &ITevraPulseWidth::Configure, Channel, Reference, ReferenceType, Polarity);
}
ViStatus Tevra_PulseWidthConfigureAuto(ViSession Vi, ViInt32 Channel) {
  return Forward(Vi, &ITevraPulseWidth::ConfigureAuto, Channel);
}
ViStatus Tevra_PulseWidthMeasure(ViSession Vi, ViInt32 Channel, ViReal64 Reference,
                                 ViInt32 ReferenceType, ViInt32 Polarity, ViReal64* Measurement) {
  return Forward(Vi, &ITevraPulseWidth::Measure, Channel, Reference, ReferenceType, Polarity,
                 Out{Measurement, "Measurement"});
}

ViStatus Tevra_DutyCycleConfigure(ViSession Vi, ViInt32 Channel, ViReal64 Reference,
                                  ViInt32 ReferenceType, ViInt32 Polarity) {
  return Forward(Vi, &ITevraDutyCycle::Configure, Channel, Reference, ReferenceType, Polarity);
}
ViStatus Tevra_DutyCycleConfigureAuto(ViSession Vi, ViInt32 Channel) {
  return Forward(Vi, &ITevraDutyCycle::ConfigureAuto, Channel);
}
ViStatus Tevra_DutyCycleMeasure(ViSession Vi, ViInt32 Channel, ViReal64 Reference,
                                ViInt32 ReferenceType, ViInt32 Polarity, ViReal64* Measurement) {
  return Forward(Vi, &ITevraDutyCycle::Measure, Channel, Reference, ReferenceType, Polarity,
                 Out{Measurement, "Measurement"});
}

ViStatus Tevra_EdgeTimeConfigureAuto(ViSession Vi, ViInt32 Channel, ViInt32 EdgeType) {
  return Forward(Vi, &ITevraEdgeTime::ConfigureAuto, Channel, EdgeType);
}
ViStatus Tevra_EdgeTimeConfigure(ViSession Vi, ViInt32 Channel, ViInt32 ReferenceType,
                                 ViReal64 HighReference, ViReal64 LowReference, ViInt32 EdgeType) {
  return Forward(Vi, &ITevraEdgeTime::Configure, Channel, ReferenceType, HighReference,
                 LowReference, EdgeType);
}
ViStatus Tevra_EdgeTimeMeasure(ViSession Vi, ViInt32 Channel, ViInt32 ReferenceType,
                               ViReal64 HighReference, ViReal64 LowReference, ViInt32 EdgeType,
                               ViReal64* Value) {
  return Forward(Vi, &ITevraEdgeTime::Measure, Channel, ReferenceType, HighReference, LowReference,
                 EdgeType, Out{Value, "Value"});
}

ViStatus Tevra_FrequencyRatioConfigure(ViSession Vi, ViReal64 Estimate, ViReal64 Resolution,
                                       ViInt32 NumeratorChannel, ViInt32 DenominatorChannel) {
  return Forward(Vi, &ITevraFrequencyRatio::Configure, Estimate, Resolution, NumeratorChannel,
                 DenominatorChannel);
}
ViStatus Tevra_FrequencyRatioConfigureAuto(ViSession Vi, ViInt32 NumeratorChannel,
                                           ViInt32 DenominatorChannel) {
  return Forward(Vi, &ITevraFrequencyRatio::ConfigureAuto, NumeratorChannel, DenominatorChannel);
}
ViStatus Tevra_FrequencyRatioMeasure(ViSession Vi, ViReal64 Estimate, ViReal64 Resolution,
                                     ViInt32 NumeratorChannel, ViInt32 DenominatorChannel,
                                     ViReal64* Ratio) {
  return Forward(Vi, &ITevraFrequencyRatio::Measure, Estimate, Resolution, NumeratorChannel,
                 DenominatorChannel, Out{Ratio, "Ratio"});
}

ViStatus Tevra_TimeIntervalConfigure(ViSession Vi, ViInt32 StartChannel, ViInt32 StopChannel) {
  return Forward(Vi, &ITevraTimeInterval::Configure, StartChannel, StopChannel);
}
ViStatus Tevra_TimeIntervalConfigureSingleChannel(ViSession Vi, ViInt32 Channel) {
  return Forward(Vi, &ITevraTimeInterval::ConfigureSingleChannel, Channel);
}
ViStatus Tevra_TimeIntervalMeasure(ViSession Vi, ViInt32 StartChannel, ViInt32 StopChannel,
                                   ViReal64* Data) {
  return Forward(Vi, &ITevraTimeInterval::Measure, StartChannel, StopChannel, Out{Data, "Data"});
}

ViStatus Tevra_PhaseConfigure(ViSession Vi, ViInt32 ReferenceChannel, ViInt32 InputChannel) {
  return Forward(Vi, &ITevraPhase::Configure, ReferenceChannel, InputChannel);
}
ViStatus Tevra_PhaseMeasure(ViSession Vi, ViInt32 ReferenceChannel, ViInt32 InputChannel,
                            ViReal64* Measurement) {
  return Forward(Vi, &ITevraPhase::Measure, ReferenceChannel, InputChannel,
                 Out{Measurement, "Measurement"});
}

ViStatus Tevra_TotalizeContinuousConfigure(ViSession Vi, ViInt32 Channel) {
  return Forward(Vi, &ITevraTotalizeContinuous::Configure, Channel);
}
ViStatus Tevra_ReadCount(ViSession Vi, ViReal64* Val) {
  return Forward(Vi, &ITevraTotalizeContinuous2::ReadCount, Out{Val, "Val"});
}
ViStatus Tevra_TotalizeGatedConfigure(ViSession Vi, ViInt32 Channel, ViInt32 GateSource,
                                      ViInt32 GateSlope, ViReal64 GateTime) {
  return Forward(Vi, &ITevraTotalizeGated::Configure, Channel, GateSource, GateSlope, GateTime);
}
ViStatus Tevra_TotalizeTimedConfigure(ViSession Vi, ViReal64 GateTime, ViInt32 Channel) {
  return Forward(Vi, &ITevraTotalizeTimed::Configure, GateTime, Channel);
}
ViStatus Tevra_TotalizeTimedMeasure(ViSession Vi, ViReal64 GateTime, ViInt32 Channel,
                                    ViReal64* Data) {
  return Forward(Vi, &ITevraTotalizeTimed::Measure, GateTime, Channel, Out{Data, "Data"});
}

ViStatus Tevra_VoltageConfigure(ViSession Vi, ViInt32 Channel, ViInt32 VoltageFunction) {
  return Forward(Vi, &ITevraVoltage::Configure, Channel, VoltageFunction);
}

// The object's Measure takes the channel number as a double; every channel number converts
// exactly.
ViStatus Tevra_SinglePeriodConfigure(ViSession Vi, ViInt32 ChannelNumber) {
  return Forward(Vi, &ITevraSinglePeriod::Configure, ChannelNumber);
}
ViStatus Tevra_SinglePeriodMeasure(ViSession Vi, ViInt32 ChannelNumber, ViReal64* Measurement) {
  return Forward(Vi, &ITevraSinglePeriod::Measure, ChannelNumber, Out{Measurement, "Measurement"});
}

ViStatus Tevra_TimeStampConfigure(ViSession Vi, ViInt32 Count, ViInt32 Channel) {
  return Forward(Vi, &ITevraTimeStamp::Configure, Count, Channel);
}
ViStatus Tevra_TimeStampMeasure(ViSession Vi, ViInt32 Count, ViInt32 Channel, ViInt32 ValArraySize,
                                ViReal64 Val[], ViInt32* ValActualSize) {
  return Forward(Vi, &ITevraTimeStamp::Measure, Count, Channel,
                 OutArray{ValArraySize, Val, ValActualSize, "ValActualSize"});
}

// ---- Pulsed microwave measurements

ViStatus Tevra_BurstConfigure(ViSession Vi) { return Forward(Vi, &ITevraBurst::Configure); }
ViStatus Tevra_BurstMeasure(ViSession Vi, ViReal64* Val) {
  return Forward(Vi, &ITevraBurst::Measure, Out{Val, "Val"});
}
ViStatus Tevra_BurstConfigureWidth(ViSession Vi, ViInt32 PulseWidthType) {
  return Forward(Vi, &ITevraBurst::ConfigureWidth, PulseWidthType);
}
ViStatus Tevra_BurstMeasureWidth(ViSession Vi, ViInt32 PulseWidthType, ViReal64* Value) {
  return Forward(Vi, &ITevraBurst::MeasureWidth, PulseWidthType, Out{Value, "Value"});
}
ViStatus Tevra_BurstConfigurePRF(ViSession Vi, ViReal64 ExpectedFrequency, ViReal64 Resolution,
                                 ViInt32 Channel) {
  return Forward(Vi, &ITevraBurst::ConfigurePRF, ExpectedFrequency, Resolution, Channel);
}
ViStatus Tevra_BurstConfigurePRI(ViSession Vi, ViReal64 ExpectedFrequency, ViReal64 Resolution,
                                 ViInt32 Channel) {
  return Forward(Vi, &ITevraBurst::ConfigurePRI, ExpectedFrequency, Resolution, Channel);
}
ViStatus Tevra_BurstMeasurePRF(ViSession Vi, ViReal64 ExpectedFrequency, ViReal64 Resolution,
                               ViInt32 Channel, ViReal64* Data) {
  return Forward(Vi, &ITevraBurst::MeasurePRF, ExpectedFrequency, Resolution, Channel,
                 Out{Data, "Data"});
}
ViStatus Tevra_BurstMeasurePRI(ViSession Vi, ViReal64 ExpectedInterval, ViReal64 Resolution,
                               ViInt32 Channel, ViReal64* Data) {
  return Forward(Vi, &ITevraBurst::MeasurePRI, ExpectedInterval, Resolution, Channel,
                 Out{Data, "Data"});
}

// ---- Readings

ViStatus Tevra_MeasurementQueryLast(ViSession Vi, ViReal64* LastMeasurement, ViInt32 BufferSize,
                                    ViChar MeasurementUnit[]) {
  return Forward(Vi, &ITevraMeasurement::QueryLast, Out{LastMeasurement, "LastMeasurement"},
                 OutText{BufferSize, MeasurementUnit});
}
ViStatus Tevra_MeasurementReadingCount(ViSession Vi, ViInt32* Val) {
  return Forward(Vi, &ITevraMeasurement::ReadingCount, Out{Val, "Val"});
}
ViStatus Tevra_MeasurementDestructiveReadCounted(ViSession Vi, ViInt32 NumReadings,
                                                 ViInt32 ValArraySize, ViReal64 Val[],
                                                 ViInt32* ValActualSize) {
  return Forward(Vi, &ITevraMeasurement::DestructiveReadCounted, NumReadings,
                 OutArray{ValArraySize, Val, ValActualSize, "ValActualSize"});
}
ViStatus Tevra_MeasurementDestructiveReadUpToCount(ViSession Vi, ViInt32 MaxCount,
                                                   ViInt32 ValArraySize, ViReal64 Val[],
                                                   ViInt32* ValActualSize) {
  return Forward(Vi, &ITevraMeasurement::DestructiveReadUpToCount, MaxCount,
                 OutArray{ValArraySize, Val, ValActualSize, "ValActualSize"});
}
}
