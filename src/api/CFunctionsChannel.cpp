// The C interface's channel and arming functions. A function that takes a channel selector
// calls its method once per channel the selector names, in order, and stops at the first
// failure.
#include "api/CForward.h"
#include "tevra/Tevra.h"

using tevra::api::Forward;
using tevra::api::ForwardChannels;
using tevra::api::Out;
using tevra::api::OutText;

extern "C" {

// ---- Channels

ViStatus Tevra_ConfigureChannel(ViSession Vi, ViConstString ChannelName, ViReal64 Impedance,
                                ViInt32 Coupling, ViReal64 Attenuation) {
  return ForwardChannels(Vi, ChannelName, &IIviCounterChannel::Configure, Impedance, Coupling,
                         Attenuation);
}
ViStatus Tevra_ConfigureChannelLevel(ViSession Vi, ViConstString ChannelName, ViReal64 TriggerLevel,
                                     ViReal64 Hysteresis) {
  return ForwardChannels(Vi, ChannelName, &IIviCounterChannel::ConfigureLevel, TriggerLevel,
                         Hysteresis);
}
ViStatus Tevra_ConfigureChannelFilterEnabled(ViSession Vi, ViConstString ChannelName,
                                             ViBoolean FilterEnabled) {
  return ForwardChannels(Vi, ChannelName, &IIviCounterChannel::put_FilterEnabled, FilterEnabled);
}
ViStatus Tevra_ConfigureChannelSlope(ViSession Vi, ViConstString ChannelName, ViInt32 Slope) {
  return ForwardChannels(Vi, ChannelName, &IIviCounterChannel::put_Slope, Slope);
}
ViStatus Tevra_ChannelResetProtection(ViSession Vi, ViConstString ChannelName) {
  return ForwardChannels(Vi, ChannelName, &ITevraChannel::ResetProtection);
}
ViStatus Tevra_ChannelAutoLevelOnce(ViSession Vi, ViConstString ChannelName) {
  return ForwardChannels(Vi, ChannelName, &ITevraChannel::AutoLevelOnce);
}
ViStatus Tevra_ChannelAutoscale(ViSession Vi) { return Forward(Vi, &ITevraChannels::Autoscale); }
ViStatus Tevra_GetChannelName(ViSession Vi, ViInt32 Index, ViInt32 BufferSize, ViChar Name[]) {
  return Forward(Vi, &IIviCounterChannels::get_Name, Index, OutText{BufferSize, Name});
}

// ---- Class-compliant arming

ViStatus Tevra_ConfigureStartArm(ViSession Vi, ViInt32 Type) {
  return Forward(Vi, &IIviCounterArmStart::put_Type, Type);
}
ViStatus Tevra_ConfigureStopArm(ViSession Vi, ViInt32 Type) {
  return Forward(Vi, &IIviCounterArmStop::put_Type, Type);
}
ViStatus Tevra_ConfigureExternalStartArm(ViSession Vi, ViConstString Source, ViReal64 Level,
                                         ViInt32 Slope, ViReal64 Delay) {
  return Forward(Vi, &IIviCounterArmStartExternal::Configure, Source, Level, Slope, Delay);
}
ViStatus Tevra_ConfigureExternalStopArm(ViSession Vi, ViConstString Source, ViReal64 Level,
                                        ViInt32 Slope, ViReal64 Holdoff) {
  return Forward(Vi, &IIviCounterArmStopExternal::Configure, Source, Level, Slope, Holdoff);
}

// ---- The instrument's arming

ViStatus Tevra_ArmSetSource(ViSession Vi, ViInt32 ArmMeasurementType, ViInt32 ArmSource) {
  return Forward(Vi, &ITevraArm::SetSource, ArmMeasurementType, ArmSource);
}
ViStatus Tevra_ArmGetSource(ViSession Vi, ViInt32 ArmMeasurementType, ViInt32* ArmSource) {
  return Forward(Vi, &ITevraArm::GetSource, ArmMeasurementType, Out{ArmSource, "ArmSource"});
}
ViStatus Tevra_ArmSetPolarity(ViSession Vi, ViInt32 ArmMeasurementType, ViInt32 Polarity) {
  return Forward(Vi, &ITevraArm::SetPolarity, ArmMeasurementType, Polarity);
}
ViStatus Tevra_ArmGetPolarity(ViSession Vi, ViInt32 ArmMeasurementType, ViInt32* Polarity) {
  return Forward(Vi, &ITevraArm::GetPolarity, ArmMeasurementType, Out{Polarity, "Polarity"});
}
ViStatus Tevra_ArmSetTime(ViSession Vi, ViInt32 ArmMeasurementType, ViReal64 Time) {
  return Forward(Vi, &ITevraArm::SetTime, ArmMeasurementType, Time);
}
ViStatus Tevra_ArmGetTime(ViSession Vi, ViInt32 ArmMeasurementType, ViReal64* Time) {
  return Forward(Vi, &ITevraArm::GetTime, ArmMeasurementType, Out{Time, "Time"});
}
ViStatus Tevra_StartExternalConfigure(ViSession Vi, ViInt32 Source, ViReal64 Voltage, ViInt32 Slope,
                                      ViReal64 DelayTime) {
  return Forward(Vi, &ITevraArmStartExternal::Configure, Source, Voltage, Slope, DelayTime);
}
ViStatus Tevra_StopExternalConfigure(ViSession Vi, ViInt32 Source, ViReal64 Voltage, ViInt32 Slope,
                                     ViReal64 HoldOffTime) {
  return Forward(Vi, &ITevraArmStopExternal::Configure, Source, Voltage, Slope, HoldOffTime);
}
}
