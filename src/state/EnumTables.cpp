// The command words of every enumerated setting, as the QX1100, QX1200 and QX1300 send and accept
// them. All three models share every table, so each is registered under kAnyFamily.
//
// A context listed with kNoRows is known to its type, but every conversion in it fails: a
// "%{Type}s" there is reported as an invalid value rather than as an unknown enumeration.
#include "state/EnumMaps.h"

namespace tevra::state {
namespace {

using Rows = std::span<const EnumRow>;
constexpr Rows kNoRows{};

// clang-format off
constexpr EnumRow kCouplingRows[] = {{1, {"AC"}}, {2, {"DC"}}};
constexpr EnumContextTable kCoupling[] = {
    {"ITevraChannel.Configure", kNoRows},
    {"ITevraChannel.Coupling", kCouplingRows},
};

constexpr EnumRow kSlopeRows[] = {{0, {"NEG"}}, {1, {"POS"}}};
constexpr EnumContextTable kSlope[] = {
    {"ITevraChannel.Slope1", kSlopeRows},
    {"ITevraChannel.Slope2", kSlopeRows},
    {"ITevraArmStartExternal.Configure", kNoRows},
    {"ITevraArmStartExternal.Slope", kSlopeRows},
    {"ITevraArmStopExternal.Configure", kNoRows},
    {"ITevraArmStopExternal.Slope", kSlopeRows},
    {"ITevraTrigger.Slope", kSlopeRows},
};

constexpr EnumContextTable kReferenceType[] = {
    {"ITevraPulseWidth.Configure", kNoRows},
    {"ITevraPulseWidth.Measure", kNoRows},
    {"ITevraDutyCycle.Configure", kNoRows},
    {"ITevraDutyCycle.Measure", kNoRows},
    {"ITevraEdgeTime.Configure", kNoRows},
    {"ITevraEdgeTime.Measure", kNoRows},
};

constexpr EnumRow kArmTypeRows[] = {{1, {"IMM"}}, {2, {"EXT"}}};
constexpr EnumContextTable kArmType[] = {
    {"ITevraArmStart.Type", kArmTypeRows},
    {"ITevraArmStop.Type", kArmTypeRows},
};

constexpr EnumRow kMeasurementFunctionRows[] = {
    {0, {"FREQ1"}},        {1, {"FREQ"}},         {2, {"FREQ:RAT1,3"}},  {8, {"FREQ:RAT1,2"}},
    {9, {"TINT1,2"}},      {10, {"PHAS1,2"}},     {11, {"TOT1"}},        {12, {"TOT2"}},
    {13, {"TST1"}},        {14, {"FREQ3"}},       {17, {"FREQ:RAT2,1"}}, {19, {"FREQ:RAT2,3"}},
    {20, {"FREQ:RAT3,2"}}, {21, {"FREQ:RAT3,1"}}, {22, {"PER1"}},        {23, {"PER2"}},
    {24, {"PER3"}},        {25, {"FTIM1"}},       {26, {"FTIM2"}},       {28, {"NDUT1"}},
    {29, {"NDUT2"}},       {30, {"PDUT1"}},       {31, {"PDUT2"}},       {32, {"NWID1"}},
    {33, {"NWID2"}},       {34, {"PWID1"}},       {35, {"PWID2"}},       {36, {"PHAS2,1"}},
    {37, {"RTIM1"}},       {38, {"RTIM2"}},       {39, {"SPER1"}},       {40, {"SPER2"}},
    {41, {"TINT2,1"}},     {42, {"TINT1"}},       {43, {"TINT2"}},       {44, {"TST2"}},
    {45, {"TST3"}},        {46, {"FREQ:BURS"}},   {47, {"FREQ:PRF"}},    {48, {"FREQ:PRI"}},
    {49, {"NWID:BURS"}},   {50, {"PWID:BURS"}},
};
constexpr EnumContextTable kMeasurementFunction[] = {
    {"ITevra.SetFunction", kMeasurementFunctionRows},
};

constexpr EnumRow kPolarityRows[] = {{0, {"POS"}}, {1, {"NEG"}}};
constexpr EnumContextTable kPolarity[] = {
    {"ITevraPulseWidth.Configure", kNoRows},
    {"ITevraPulseWidth.Measure", kNoRows},
    {"ITevraDutyCycle.Configure", kNoRows},
    {"ITevraDutyCycle.Measure", kNoRows},
    {"ITevraArm.SetPolarity", kNoRows},
    {"ITevraArm.GetPolarity", kPolarityRows},
};

constexpr EnumContextTable kEdgeType[] = {
    {"ITevraEdgeTime.ConfigureAuto", kNoRows},
    {"ITevraEdgeTime.Configure", kNoRows},
    {"ITevraEdgeTime.Measure", kNoRows},
};

constexpr EnumRow kAttenuationFactorRows[] = {{0, {"MIN"}}, {1, {"MAX"}}};
constexpr EnumContextTable kAttenuationFactor[] = {
    {"ITevraChannel.Configure", kNoRows},
    {"ITevraChannel.Range", kAttenuationFactorRows},
};

// The instrument answers with a sign.
constexpr EnumRow kProbeFactorRows[] = {{0, {"1", "+1"}}, {1, {"10", "+10"}}};
constexpr EnumContextTable kProbeFactor[] = {
    {"ITevraChannel.ProbeFactor", kProbeFactorRows},
};

constexpr EnumRow kImpedanceRows[] = {{0, {"1.0E6"}}, {1, {"50.0"}}};
constexpr EnumContextTable kImpedance[] = {
    {"ITevraChannel.Configure", kNoRows},
    {"ITevraChannel.Impedance", kImpedanceRows},
};

constexpr EnumRow kExternalFrequencyRows[] = {
    {0, {"+1.00000000E+006"}}, {1, {"+5.00000000E+006"}}, {2, {"+1.00000000E+007"}}};
constexpr EnumContextTable kExternalFrequency[] = {
    {"ITevraReferenceOscillator.ExternalFrequency", kExternalFrequencyRows},
};

constexpr EnumRow kReferenceOscillatorSourceRows[] = {{0, {"INT"}}, {1, {"EXT"}}};
constexpr EnumContextTable kReferenceOscillatorSource[] = {
    {"ITevraReferenceOscillator.Source", kReferenceOscillatorSourceRows},
};

constexpr EnumRow kOutSignalPolarityRows[] = {{0, {"NORM"}}, {1, {"INV"}}};
constexpr EnumContextTable kOutSignalPolarity[] = {
    {"ITevraOutput.Polarity", kOutSignalPolarityRows},
};

constexpr EnumRow kTriggerSourceRows[] = {{0, {"IMM"}}, {1, {"EXT"}}, {2, {"BUS"}}};
constexpr EnumContextTable kTriggerSource[] = {
    {"ITevraTrigger.Source", kTriggerSourceRows},
};

constexpr EnumRow kPulseWidthTypeRows[] = {{0, {"PWID"}}, {1, {"NWID"}}};
constexpr EnumContextTable kPulseWidthType[] = {
    {"ITevraBurst.MeasureWidth", kNoRows},
    {"ITevraBurst.ConfigureWidth", kPulseWidthTypeRows},
};

constexpr EnumRow kSmoothingResponseRows[] = {{0, {"SLOW"}}, {1, {"MED"}}, {2, {"FAST"}}};
constexpr EnumContextTable kSmoothingResponse[] = {
    {"ITevraMathSmoothing.Response", kSmoothingResponseRows},
};

constexpr EnumRow kScalingFunctionRows[] = {
    {0, {"NULL"}}, {1, {"PCT"}}, {2, {"PPM"}}, {3, {"PPB"}}, {4, {"SCAL"}}};
constexpr EnumContextTable kScalingFunction[] = {
    {"ITevraMathScaling.Function", kScalingFunctionRows},
};

constexpr EnumRow kBurstLevelRows[] = {{0, {"-6.00000000E+000"}}, {1, {"-1.20000000E+001"}}};
constexpr EnumContextTable kBurstLevel[] = {
    {"ITevraBurst.Level", kBurstLevelRows},
};

constexpr EnumRow kTimeStampRateRows[] = {
    {0, {"+1.00000000E+004"}}, {1, {"+1.00000000E+005"}},
    {2, {"+8.00000000E+005"}}, {3, {"+1.00000000E+006"}}};
constexpr EnumContextTable kTimeStampRate[] = {
    {"ITevraTimeStamp.Rate", kTimeStampRateRows},
};

constexpr EnumRow kPhaseRangeRows[] = {{0, {"AUTO"}}, {1, {"POS"}}, {2, {"CENT"}}};
constexpr EnumContextTable kPhaseRange[] = {
    {"ITevraPhase.Range", kPhaseRangeRows},
};

// Memory locations have rows but no words: they print as the empty word.
constexpr EnumRow kMemoryLocationRows[] = {{0}, {1}, {2}, {3}, {4}};
constexpr EnumContextTable kMemoryLocation[] = {
    {"ITevraMemory.Delete", kMemoryLocationRows},
    {"ITevraMemory.RecallState", kMemoryLocationRows},
    {"ITevraMemory.SaveState", kMemoryLocationRows},
    {"ITevraMemory.IsValidState", kMemoryLocationRows},
    {"ITevraMemory.AutoRecallIndexedState", kMemoryLocationRows},
};

constexpr EnumContextTable kArmMeasurementType[] = {
    {"ITevraArm.SetSource", kNoRows},
    {"ITevraArm.GetSource", kNoRows},
    {"ITevraArm.SetPolarity", kNoRows},
    {"ITevraArm.GetPolarity", kNoRows},
    {"ITevraArm.SetTime", kNoRows},
    {"ITevraArm.GetTime", kNoRows},
};

constexpr EnumRow kArmSourceRows[] = {
    {0, {"INP"}}, {1, {"INP2"}}, {2, {"EXT"}}, {3, {"ADV"}}, {4, {"TIME"}}, {5, {"IMM"}}};
constexpr EnumContextTable kArmSource[] = {
    {"ITevraArm.SetSource", kArmSourceRows},
    {"ITevraArm.GetSource", kArmSourceRows},
};

constexpr EnumRow kExternalSourceRows[] = {{0, {"BNC"}}, {1, {"INP"}}, {2, {"INP2"}}};
constexpr EnumContextTable kExternalSource[] = {
    {"ITevraArmStartExternal.Configure", kNoRows},
    {"ITevraArmStartExternal.Source", kExternalSourceRows},
    {"ITevraArmStopExternal.Configure", kNoRows},
    {"ITevraArmStopExternal.Source", kExternalSourceRows},
};

constexpr EnumRow kDelayHoldOffSourceRows[] = {{0, {"IMM"}}, {1, {"TIME"}}, {2, {"EVEN"}}};
constexpr EnumContextTable kDelayHoldOffSource[] = {
    {"ITevraArmStartExternal.DelaySource", kDelayHoldOffSourceRows},
    {"ITevraArmStopExternal.HoldOffSource", kDelayHoldOffSourceRows},
};

constexpr EnumRow kFrequencyMeasurementModeRows[] = {{0, {"AUTO"}}, {1, {"REC"}}, {2, {"CONT"}}};
constexpr EnumContextTable kFrequencyMeasurementMode[] = {
    {"ITevraMeasurement.Mode", kFrequencyMeasurementModeRows},
};

// The instrument answers in its own number format.
constexpr EnumRow kAutoLevelFrequencyRows[] = {
    {0, {"50.0", "+5.00000000E+001"}}, {1, {"10E3", "+1.00000000E+004"}}};
constexpr EnumContextTable kAutoLevelFrequency[] = {
    {"ITevraChannels.AutoLevelFrequency", kAutoLevelFrequencyRows},
};

constexpr EnumRow kDisplayModeRows[] = {{0, {"NUM"}}, {1, {"HIST"}}, {2, {"TCH"}}};
constexpr EnumContextTable kDisplayMode[] = {
    {"ITevraDisplay.Mode", kDisplayModeRows},
};

// Booleans: true is -1, and 1 prints as true as well. The first of two rows with the same word
// wins, so "1" reads back as -1. Many settings also accept " OFF" and " ON", blank included.
constexpr EnumRow kBooleanRows[] = {{0, {"0"}}, {-1, {"1"}}, {1, {"1"}}};
constexpr EnumRow kBooleanOnOffRows[] = {{0, {"0", " OFF"}}, {-1, {"1", " ON"}}, {1, {"1", " ON"}}};
constexpr EnumRow kBooleanWordRows[] = {{0, {"OFF"}}, {-1, {"ON"}}, {1, {"ON"}}};
constexpr EnumRow kBooleanSecurityRows[] = {
    {0, {"0", "0, OFF"}}, {-1, {"1", "1, ON"}}, {1, {"1", "1, ON"}}};
constexpr EnumContextTable kBoolean[] = {
    {"ITevraChannel.ConfigureLevel", kNoRows},
    {"ITevraChannel.FilterEnabled", kBooleanOnOffRows},
    {"ITevraChannel.NoiseRejectEnabled", kBooleanOnOffRows},
    {"ITevraSystem.RequestLock", kBooleanOnOffRows},
    {"ITevraReferenceOscillator.AutoSourceEnabled", kBooleanOnOffRows},
    {"ITevraReferenceOscillator.PowerStandbyEnabled", kBooleanOnOffRows},
    {"ITevraOutput.Enabled", kBooleanOnOffRows},
    {"ITevraBurst.AutoGatingEnabled", kBooleanOnOffRows},
    {"ITevraBurst.NarrowPulseEnabled", kBooleanOnOffRows},
    {"ITevraMath.MathEnabled", kBooleanOnOffRows},
    {"ITevraMathHistogram.Enabled", kBooleanOnOffRows},
    {"ITevraMathHistogram.AutoRangeEnabled", kBooleanOnOffRows},
    {"ITevraMathScaling.InversionEnabled", kBooleanOnOffRows},
    {"ITevraMathScaling.AutoReferenceEnabled", kBooleanOnOffRows},
    {"ITevraMathScaling.Enabled", kBooleanOnOffRows},
    {"ITevraMathLimits.Enabled", kBooleanOnOffRows},
    {"ITevraMathStatistics.Enabled", kBooleanOnOffRows},
    {"ITevraMathSmoothing.Enabled", kBooleanOnOffRows},
    {"ITevraMemory.IsValidState", kBooleanOnOffRows},
    {"ITevraMemory.AutoRecallEnabled", kBooleanOnOffRows},
    {"ITevraCalibration.SecurityEnabled", kBooleanOnOffRows},
    {"ITevraChannel.AutoLevelEnabled", kBooleanRows},
    {"ITevraChannel.IsProtectionEnable", kBooleanRows},
    {"ITevraSystem.BeeperEnabled", kBooleanRows},
    {"ITevraDisplay.Enabled", kBooleanRows},
    {"ITevraDisplay.AutoDigitCountEnabled", kBooleanRows},
    {"ITevraMathScaling.UnitEnabled", kBooleanWordRows},
    {"ITevraCalibration.SecurityState", kBooleanSecurityRows},
};

constexpr EnumType kTypes[] = {
    {"Coupling", kCoupling},
    {"Slope", kSlope},
    {"ReferenceType", kReferenceType},
    {"ArmType", kArmType},
    {"MeasurementFunction", kMeasurementFunction},
    {"Polarity", kPolarity},
    {"EdgeType", kEdgeType},
    {"AttenuationFactor", kAttenuationFactor},
    {"ProbeFactor", kProbeFactor},
    {"Impedance", kImpedance},
    {"ExternalFrequency", kExternalFrequency},
    {"ReferenceOscillatorSource", kReferenceOscillatorSource},
    {"OutSignalPolarity", kOutSignalPolarity},
    {"TriggerSource", kTriggerSource},
    {"PulseWidthType", kPulseWidthType},
    {"SmoothingResponse", kSmoothingResponse},
    {"ScalingFunction", kScalingFunction},
    {"BurstLevel", kBurstLevel},
    {"TimeStampRate", kTimeStampRate},
    {"PhaseRange", kPhaseRange},
    {"MemoryLocation", kMemoryLocation},
    {"ArmMeasurementType", kArmMeasurementType},
    {"ArmSource", kArmSource},
    {"ExternalSource", kExternalSource},
    {"DelayHoldOffSource", kDelayHoldOffSource},
    {"FrequencyMeasurementMode", kFrequencyMeasurementMode},
    {"AutoLevelFrequency", kAutoLevelFrequency},
    {"DisplayMode", kDisplayMode},
    {kBooleanTypeName, kBoolean},
};
// clang-format on

}  // namespace

std::span<const EnumType> EnumTypes() { return kTypes; }

}  // namespace tevra::state
