// The enumeration types a conversion outside any call may name, and the words it uses there. Inside
// a call, a member's own row links its words (state/CommandWords.h).
#include "state/CommandWords.h"
#include "state/EnumMaps.h"

namespace tevra::state {
namespace {

using namespace words;
constexpr std::span<const EnumRow> kNone{};

// clang-format off
constexpr EnumWords kTypes[] = {
    {"Coupling", kNone},
    {"Slope", kSlopeRows},
    {"ReferenceType", kNone},
    {"ArmType", kArmTypeRows},
    {"MeasurementFunction", kMeasurementFunctionRows},
    {"Polarity", kNone},
    {"EdgeType", kNone},
    {"AttenuationFactor", kNone},
    {"ProbeFactor", kProbeFactorRows},
    {"Impedance", kNone},
    {"ExternalFrequency", kExternalFrequencyRows},
    {"ReferenceOscillatorSource", kReferenceOscillatorSourceRows},
    {"OutSignalPolarity", kOutSignalPolarityRows},
    {"TriggerSource", kTriggerSourceRows},
    {"PulseWidthType", kNone},
    {"SmoothingResponse", kSmoothingResponseRows},
    {"ScalingFunction", kScalingFunctionRows},
    {"BurstLevel", kBurstLevelRows},
    {"TimeStampRate", kTimeStampRateRows},
    {"PhaseRange", kPhaseRangeRows},
    {"MemoryLocation", kMemoryLocationRows},
    {"ArmMeasurementType", kNone},
    {"ArmSource", kArmSourceRows},
    {"ExternalSource", kNone},
    {"DelayHoldOffSource", kDelayHoldOffSourceRows},
    {"FrequencyMeasurementMode", kFrequencyMeasurementModeRows},
    {"AutoLevelFrequency", kAutoLevelFrequencyRows},
    {"DisplayMode", kDisplayModeRows},
    {core::kBooleanTypeName, kNone},
};
// clang-format on

}  // namespace

std::span<const EnumWords> EnumTypes() { return kTypes; }

}  // namespace tevra::state
