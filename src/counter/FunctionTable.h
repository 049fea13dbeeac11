// The configure and measure methods of the measurement functions, declared once: entry record
// with command template and unsupported models, the method name of invalid-value messages, the
// channel rule and the simulated reading. A method without a template builds its own text.
#pragma once

#include "counter/FunctionRunner.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter::functions {

using core::kNoModels;
using core::kQX1100;
inline constexpr std::uint8_t kQX1300Only = core::kQX1100 | core::kQX1200;
inline constexpr std::int32_t kSinglePeriodTimeout = 5000;
// The time-stamp array query runs with at least this timeout.
inline constexpr std::int32_t kTimeStampTimeout = 50000;

#define TEVRA_FN(itf, method, models, text) \
  core::MethodRecord { &IID_##itf, #itf, method, core::kMethodNone, models, text }

using enum ChannelRule;

// Frequency and period.
inline constexpr FunctionMethod kFrequencyConfigureWithAperture{
    TEVRA_FN(ITevraFrequency, "ConfigureWithAperture", kNoModels,
             "CONF:FREQ (@%d); :FREQ:GATE:SOUR TIME; TIME %0.15lg"),
    "Frequency_ConfigureWithAperture", Any};
inline constexpr FunctionMethod kFrequencyConfigure{
    TEVRA_FN(ITevraFrequency, "Configure", kNoModels, "CONF:FREQ %0.15lg, %0.15lg, (@%d)"),
    "Frequency_Configure", Any};
inline constexpr FunctionMethod kFrequencyConfigureAuto{
    TEVRA_FN(ITevraFrequency, "ConfigureAuto", kNoModels, "CONF:FREQ (@%d)"),
    "Frequency_ConfigureAuto", Any};
inline constexpr FunctionMethod kFrequencyMeasure{
    TEVRA_FN(ITevraFrequency, "Measure", kNoModels, "MEAS:FREQ? %0.15lg, %0.15lg, (@%d)"),
    "Frequency_Measure", Any, 1000000.0};
inline constexpr FunctionMethod kPeriodConfigureWithAperture{
    TEVRA_FN(ITevraPeriod, "ConfigureWithAperture", kNoModels,
             "CONF:PER (@%d); :FREQ:GATE:SOUR TIME; TIME %0.15lg"),
    "Period_ConfigureWithAperture", Any};
inline constexpr FunctionMethod kPeriodConfigure{
    TEVRA_FN(ITevraPeriod, "Configure", kNoModels, "CONF:PER %0.15lg, %0.15lg, (@%d)"),
    "Period_Configure", Any};
inline constexpr FunctionMethod kPeriodConfigureAuto{
    TEVRA_FN(ITevraPeriod, "ConfigureAuto", kNoModels, "CONF:PER (@%d)"), "Period_ConfigureAuto",
    Any};
inline constexpr FunctionMethod kPeriodMeasure{
    TEVRA_FN(ITevraPeriod, "Measure", kNoModels, "MEAS:PER? %0.15lg,%0.15lg,(@%d)"),
    "Period_Measure", Any, 1e-06};

// Pulse width, duty cycle and edge time: the reference levels are built into the text.
inline constexpr FunctionMethod kPulseWidthConfigure{
    TEVRA_FN(ITevraPulseWidth, "Configure", kQX1100, nullptr), "PulseWidth_Configure", NoMicrowave};
inline constexpr FunctionMethod kPulseWidthConfigureAuto{
    TEVRA_FN(ITevraPulseWidth, "ConfigureAuto", kQX1100, "CONF:PWID (@%d)"),
    "PulseWidth_ConfigureAuto", NoMicrowave};
inline constexpr FunctionMethod kPulseWidthMeasure{
    TEVRA_FN(ITevraPulseWidth, "Measure", kQX1100, nullptr), "PulseWidth_Measure", NoMicrowave,
    1e-06};
inline constexpr FunctionMethod kDutyCycleConfigure{
    TEVRA_FN(ITevraDutyCycle, "Configure", kQX1100, nullptr), "DutyCycle_Configure", NoMicrowave};
inline constexpr FunctionMethod kDutyCycleConfigureAuto{
    TEVRA_FN(ITevraDutyCycle, "ConfigureAuto", kQX1100, "CONF:PDUT (@%d)"),
    "DutyCycle_ConfigureAuto", NoMicrowave};
inline constexpr FunctionMethod kDutyCycleMeasure{
    TEVRA_FN(ITevraDutyCycle, "Measure", kQX1100, nullptr), "DutyCycle_Measure", NoMicrowave, 0.5};
inline constexpr FunctionMethod kEdgeTimeConfigureAuto{
    TEVRA_FN(ITevraEdgeTime, "ConfigureAuto", kQX1100, nullptr), "EdgeTime_ConfigureAuto",
    NoMicrowave};
inline constexpr FunctionMethod kEdgeTimeConfigure{
    TEVRA_FN(ITevraEdgeTime, "Configure", kQX1100, nullptr), "EdgeTime_Configure", NoMicrowave};
inline constexpr FunctionMethod kEdgeTimeMeasure{
    TEVRA_FN(ITevraEdgeTime, "Measure", kQX1100, nullptr), "EdgeTime_Measure", NoMicrowave, 1e-06};

// Two-channel functions.
inline constexpr FunctionMethod kFrequencyRatioConfigure{
    TEVRA_FN(ITevraFrequencyRatio, "Configure", kNoModels, nullptr), "FrequencyRatio_Configure",
    Any};
inline constexpr FunctionMethod kFrequencyRatioConfigureAuto{
    TEVRA_FN(ITevraFrequencyRatio, "ConfigureAuto", kNoModels, "CONF:FREQ:RAT (@%d),(@%d)"),
    "FrequencyRatio_ConfigureAuto", Any};
inline constexpr FunctionMethod kFrequencyRatioMeasure{
    TEVRA_FN(ITevraFrequencyRatio, "Measure", kNoModels,
             "MEAS:FREQ:RAT? %0.15lg,%0.15lg,(@%d),(@%d)"),
    "FrequencyRatio_Measure", Any, 1.0};
inline constexpr FunctionMethod kTimeIntervalConfigure{
    TEVRA_FN(ITevraTimeInterval, "Configure", kQX1100, "CONF:TINT (@%d),(@%d)"),
    "TimeInterval_Configure", NoMicrowave};
inline constexpr FunctionMethod kTimeIntervalConfigureSingleChannel{
    TEVRA_FN(ITevraTimeInterval, "ConfigureSingleChannel", kQX1100, "CONF:TINT (@%d)"),
    "TimeInterval_ConfigureSingleChannel", NoMicrowave};
inline constexpr FunctionMethod kTimeIntervalMeasure{
    TEVRA_FN(ITevraTimeInterval, "Measure", kQX1100, "MEAS:TINT? (@%d),(@%d)"),
    "TimeInterval_Measure", NoMicrowave, 1e-06};
inline constexpr FunctionMethod kPhaseConfigure{
    TEVRA_FN(ITevraPhase, "Configure", kQX1100, "CONF:PHAS (@%d),(@%d)"), "Phase_Configure",
    NoMicrowave};
inline constexpr FunctionMethod kPhaseMeasure{
    TEVRA_FN(ITevraPhase, "Measure", kQX1100, "MEAS:PHAS? (@%d),(@%d)"), "Phase_Measure",
    NoMicrowave, 0.0};

// Totalize and voltage.
inline constexpr FunctionMethod kTotalizeContinuousConfigure{
    TEVRA_FN(ITevraTotalizeContinuous, "Configure", kQX1100, "CONF:TOT:CONT (@%d)"),
    "TotalizeContinuous_Configure", NoMicrowave};
inline constexpr FunctionMethod kTotalizeGatedConfigure{
    TEVRA_FN(ITevraTotalizeGated, "Configure", kQX1100, nullptr), "TotalizeGated_Configure",
    NoMicrowave};
inline constexpr FunctionMethod kTotalizeTimedConfigure{
    TEVRA_FN(ITevraTotalizeTimed, "Configure", kQX1100, "CONF:TOT:TIM %0.15lg,(@%d)"),
    "TotalizeTimed_Configure", NoMicrowave};
inline constexpr FunctionMethod kTotalizeTimedMeasure{
    TEVRA_FN(ITevraTotalizeTimed, "Measure", kQX1100, "MEAS:TOT:TIM? %0.15lg,(@%d)"),
    "TotalizeTimed_Measure", NoMicrowave, 1e-06};
inline constexpr FunctionMethod kVoltageConfigure{
    TEVRA_FN(ITevraVoltage, "Configure", kNoModels, nullptr), "Voltage_Configure", NoMicrowave};

// Single period and time stamps.
inline constexpr FunctionMethod kSinglePeriodConfigure{
    TEVRA_FN(ITevraSinglePeriod, "Configure", kQX1100, "CONF:SPER (@%d)"), "SinglePeriod_Configure",
    NoMicrowave};
inline constexpr FunctionMethod kSinglePeriodMeasure{
    TEVRA_FN(ITevraSinglePeriod, "Measure", kQX1100, "MEAS:SPER? (@%0.15lg)"),
    "SinglePeriod_Measure", NoMicrowave, 1e-06, kSinglePeriodTimeout};
inline constexpr FunctionMethod kTimeStampConfigure{
    TEVRA_FN(ITevraTimeStamp, "Configure", kQX1300Only, "CONF:ARR:TST (%d),(@%d)"),
    "TimeStamp_Configure",
    Any,
    0.0,
    core::kDefaultTimeout,
    true};
inline constexpr FunctionMethod kTimeStampMeasure{
    TEVRA_FN(ITevraTimeStamp, "Measure", kQX1300Only, ":MEAS:ARR:TST? (%d),(@%d)"),
    "TimeStamp_Measure",
    Any,
    0.0,
    core::kDefaultTimeout,
    true};

// Burst: the microwave input of a QX1300 with the burst option.
inline constexpr FunctionMethod kBurstConfigure{
    TEVRA_FN(ITevraBurst, "Configure", kQX1300Only, "CONF:FREQ:BURS"),
    "Burst_Configure",
    None,
    0.0,
    core::kDefaultTimeout,
    false,
    true};
inline constexpr FunctionMethod kBurstMeasure{
    TEVRA_FN(ITevraBurst, "Measure", kQX1300Only, "MEAS:FREQ:BURS?"),
    "Burst_Measure",
    None,
    4300133983.0,
    core::kDefaultTimeout,
    false,
    true};
inline constexpr FunctionMethod kBurstConfigureWidth{
    TEVRA_FN(ITevraBurst, "ConfigureWidth", kQX1300Only, nullptr),
    "Burst_ConfigureWidth",
    None,
    0.0,
    core::kDefaultTimeout,
    false,
    true};
inline constexpr FunctionMethod kBurstMeasureWidth{
    TEVRA_FN(ITevraBurst, "MeasureWidth", kQX1300Only, nullptr),
    "Burst_MeasureWidth",
    None,
    5.1052e-06,
    core::kDefaultTimeout,
    false,
    true};
inline constexpr FunctionMethod kBurstConfigurePRF{
    TEVRA_FN(ITevraBurst, "ConfigurePRF", kQX1300Only, "CONF:FREQ:PRF %0.15lg,%0.15lg,(@%d)"),
    "Burst_ConfigurePRF",
    Microwave,
    0.0,
    core::kDefaultTimeout,
    false,
    true};
inline constexpr FunctionMethod kBurstConfigurePRI{
    TEVRA_FN(ITevraBurst, "ConfigurePRI", kQX1300Only, "CONF:FREQ:PRI %0.15lg,%0.15lg,(@%d)"),
    "Burst_ConfigurePRI",
    Microwave,
    0.0,
    core::kDefaultTimeout,
    false,
    true};
inline constexpr FunctionMethod kBurstMeasurePRF{
    TEVRA_FN(ITevraBurst, "MeasurePRF", kQX1300Only, "MEAS:FREQ:PRF? %0.15lg,%0.15lg,(@%d)"),
    "Burst_MeasurePRF",
    Microwave,
    1215133.983,
    core::kDefaultTimeout,
    false,
    true};
inline constexpr FunctionMethod kBurstMeasurePRI{
    TEVRA_FN(ITevraBurst, "MeasurePRI", kQX1300Only, "MEAS:FREQ:PRI? %0.15lg,%0.15lg,(@%d)"),
    "Burst_MeasurePRI",
    Microwave,
    8.33337934613473e-07,
    core::kDefaultTimeout,
    false,
    true};

#undef TEVRA_FN

}  // namespace tevra::counter::functions
