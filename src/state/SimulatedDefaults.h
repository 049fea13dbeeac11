// What a simulated getter answers before its setter has run: one row per cache key. Booleans
// are -1 (true) and 0 (false); enumerations their numeric values.
#pragma once

#include <cstdint>
#include <string_view>

namespace tevra::state {

enum class SettingType : std::uint8_t { Bool, Int32, Double, String, Enum };

struct SimulatedDefault {
  std::string_view key;
  SettingType type;
  double number;          // Bool, Int32, Double, Enum
  std::string_view text;  // String
};

// clang-format off
inline constexpr SimulatedDefault kSimulatedDefaults[] = {
    {"IIviCounter.Function", SettingType::Enum, 1, {}},
    {"ITevraSystem.TimeoutMilliseconds", SettingType::Int32, 2000, {}},
    {"ITevraSystem3.IOTimeout", SettingType::Int32, 2000, {}},
    {"ITevraSystem.TraceEnabled", SettingType::Bool, 0, {}},
    {"ITevraSystem.BeeperEnabled", SettingType::Bool, -1, {}},
    {"ITevraSystem.Date", SettingType::String, 0, "2009, 03, 14"},
    {"ITevraSystem.Time", SettingType::String, 0, "12, 00, 00.000"},
    {"ITevraStatus.Register", SettingType::Int32, 0, {}},
    {"ITevraMeasurement.Mode", SettingType::Enum, 0, {}},
    {"ITevraDisplay.Enabled", SettingType::Bool, -1, {}},
    {"ITevraDisplay.Text", SettingType::String, 0, "\"Hello\""},
    {"ITevraDisplay.Mode", SettingType::Enum, 0, {}},
    {"ITevraDisplay.DigitCount", SettingType::Int32, 15, {}},
    {"ITevraDisplay.AutoDigitCountEnabled", SettingType::Bool, -1, {}},
    {"ITevraReferenceOscillator.Source", SettingType::Enum, 0, {}},
    {"ITevraReferenceOscillator.AutoSourceEnabled", SettingType::Bool, -1, {}},
    {"ITevraReferenceOscillator.PowerStandbyEnabled", SettingType::Bool, -1, {}},
    {"ITevraReferenceOscillator.ExternalFrequency", SettingType::Enum, 0, {}},
    {"ITevraOutput.Polarity", SettingType::Enum, 0, {}},
    {"ITevraOutput.Enabled", SettingType::Bool, -1, {}},
    {"ITevraTrigger.Count", SettingType::Int32, 1, {}},
    {"ITevraTrigger.Delay", SettingType::Int32, 1, {}},
    {"ITevraTrigger.Slope", SettingType::Enum, 0, {}},
    {"ITevraTrigger.Source", SettingType::Enum, 0, {}},
    {"ITevraTrigger.SampleCount", SettingType::Int32, 1, {}},
    {"ITevraTimeStamp.Rate", SettingType::Enum, 0, {}},
    {"ITevraBurst.Level", SettingType::Enum, 0, {}},
    {"ITevraBurst.GateTime", SettingType::Double, 0.0, {}},
    {"ITevraBurst.Delay", SettingType::Double, 0.0, {}},
    {"ITevraBurst.AutoGatingEnabled", SettingType::Bool, -1, {}},
    {"ITevraBurst.NarrowPulseEnabled", SettingType::Bool, -1, {}},
    {"ITevraMath.MathEnabled", SettingType::Bool, -1, {}},
    {"ITevraMathHistogram.DataPoints", SettingType::Int32, 0, {}},
    {"ITevraMathHistogram.Enabled", SettingType::Bool, -1, {}},
    {"ITevraMathHistogram.LowerRange", SettingType::Double, 0.0, {}},
    {"ITevraMathHistogram.UpperRange", SettingType::Double, 0.0, {}},
    {"ITevraMathHistogram.AutoRangeEnabled", SettingType::Bool, -1, {}},
    {"ITevraMathHistogram.AutoRangeCount", SettingType::Int32, 1, {}},
    {"ITevraMathScaling.Function", SettingType::Enum, 1, {}},
    {"ITevraMathScaling.Gain", SettingType::Double, 1.0, {}},
    {"ITevraMathScaling.Offset", SettingType::Double, 0.0, {}},
    {"ITevraMathScaling.Reference", SettingType::Double, 0.0, {}},
    {"ITevraMathScaling.InversionEnabled", SettingType::Bool, -1, {}},
    {"ITevraMathScaling.AutoReferenceEnabled", SettingType::Bool, -1, {}},
    {"ITevraMathScaling.Enabled", SettingType::Bool, -1, {}},
    {"ITevraMathScaling.Unit", SettingType::String, 0, "PSI"},
    {"ITevraMathScaling.UnitEnabled", SettingType::Bool, -1, {}},
    {"ITevraMathLimits.Lower", SettingType::Double, 0.0, {}},
    {"ITevraMathLimits.Upper", SettingType::Double, 0.0, {}},
    {"ITevraMathLimits.Enabled", SettingType::Bool, -1, {}},
    {"ITevraMathStatistics.Enabled", SettingType::Bool, -1, {}},
    {"ITevraMathSmoothing.Enabled", SettingType::Bool, -1, {}},
    {"ITevraMathSmoothing.Response", SettingType::Enum, 0, {}},
    {"ITevraMemory.AutoRecallEnabled", SettingType::Bool, -1, {}},
    {"ITevraMemory.AutoRecallState", SettingType::String, 0, "\"\""},
    {"ITevraMemory.AutoRecallIndexedState", SettingType::Enum, 0, {}},
    {"ITevraMemory.CurrentDirectory", SettingType::String, 0, "C:"},
    {"ITevraCalibration.Message", SettingType::String, 0, "\"CAL2\""},
    {"ITevraCalibration.Value", SettingType::Double, 2.5, {}},
    {"ITevraChannel.Impedance", SettingType::Enum, 1, {}},
    {"ITevraChannel.Coupling", SettingType::Enum, 1, {}},
    {"ITevraChannel.Range", SettingType::Enum, 0, {}},
    {"ITevraChannel.Voltage1", SettingType::Double, 0.0, {}},
    {"ITevraChannel.Voltage2", SettingType::Double, 0.0, {}},
    {"ITevraChannel.Slope1", SettingType::Enum, 1, {}},
    {"ITevraChannel.Slope2", SettingType::Enum, 0, {}},
    {"ITevraChannel.Percentage1", SettingType::Int32, 50, {}},
    {"ITevraChannel.Percentage2", SettingType::Int32, 50, {}},
    {"ITevraChannel.FilterEnabled", SettingType::Bool, 0, {}},
    {"ITevraChannel.NoiseRejectEnabled", SettingType::Bool, 0, {}},
    {"ITevraChannel.ProbeFactor", SettingType::Enum, 0, {}},
    {"ITevraChannel.AutoLevelEnabled", SettingType::Bool, -1, {}},
    {"ITevraChannels.AutoLevelFrequency", SettingType::Enum, 0, {}},
    {"ITevraPhase.Range", SettingType::Enum, 0, {}},
    {"ITevraArmStart.Type", SettingType::Enum, 1, {}},
    {"ITevraArmStartExternal.Source", SettingType::Enum, 0, {}},
    {"ITevraArmStartExternal.Slope", SettingType::Enum, 1, {}},
    {"ITevraArmStartExternal.DelayTime", SettingType::Double, 0.0, {}},
    {"ITevraArmStartExternal.DelaySource", SettingType::Enum, 0, {}},
    {"ITevraArmStartExternal.DelayEvents", SettingType::Int32, 1, {}},
    {"ITevraArmStartExternal.Voltage", SettingType::Double, 0.1, {}},
    {"ITevraArmStop.Type", SettingType::Enum, 1, {}},
    {"ITevraArmStopExternal.Source", SettingType::Enum, 0, {}},
    {"ITevraArmStopExternal.Slope", SettingType::Enum, 0, {}},
    {"ITevraArmStopExternal.Voltage", SettingType::Double, 0.5, {}},
    {"ITevraArmStopExternal.HoldOffTime", SettingType::Double, 0.0, {}},
    {"ITevraArmStopExternal.HoldOffEvents", SettingType::Int32, 1, {}},
    {"ITevraArmStopExternal.HoldOffSource", SettingType::Enum, 0, {}},
};
// clang-format on

// Settings without a row answer zero (or the empty string) until their setter has run.
constexpr const SimulatedDefault* FindSimulatedDefault(std::string_view key) {
  for (const SimulatedDefault& d : kSimulatedDefaults)
    if (d.key == key) return &d;
  return nullptr;
}

}  // namespace tevra::state
