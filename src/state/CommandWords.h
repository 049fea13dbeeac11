// The command words of every enumerated setting, as the QX1100, QX1200 and QX1300 send and accept
// them. A member's row links to the words it converts (".enums = words::kCoupling"); all three
// models share every table, so each is for kAnyFamily.
#pragma once

#include "core/EnumWords.h"

namespace tevra::state::words {

using core::EnumRow;
using core::EnumWords;

// clang-format off
inline constexpr EnumRow kCouplingRows[] = {{1, {"AC"}}, {2, {"DC"}}};
inline constexpr EnumRow kSlopeRows[] = {{0, {"NEG"}}, {1, {"POS"}}};
inline constexpr EnumRow kArmTypeRows[] = {{1, {"IMM"}}, {2, {"EXT"}}};
inline constexpr EnumRow kMeasurementFunctionRows[] = {
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
inline constexpr EnumRow kPolarityRows[] = {{0, {"POS"}}, {1, {"NEG"}}};
inline constexpr EnumRow kAttenuationFactorRows[] = {{0, {"MIN"}}, {1, {"MAX"}}};
// The instrument answers with a sign.
inline constexpr EnumRow kProbeFactorRows[] = {{0, {"1", "+1"}}, {1, {"10", "+10"}}};
inline constexpr EnumRow kImpedanceRows[] = {{0, {"1.0E6"}}, {1, {"50.0"}}};
inline constexpr EnumRow kExternalFrequencyRows[] = {
    {0, {"+1.00000000E+006"}}, {1, {"+5.00000000E+006"}}, {2, {"+1.00000000E+007"}}};
inline constexpr EnumRow kReferenceOscillatorSourceRows[] = {{0, {"INT"}}, {1, {"EXT"}}};
inline constexpr EnumRow kOutSignalPolarityRows[] = {{0, {"NORM"}}, {1, {"INV"}}};
inline constexpr EnumRow kTriggerSourceRows[] = {{0, {"IMM"}}, {1, {"EXT"}}, {2, {"BUS"}}};
inline constexpr EnumRow kPulseWidthTypeRows[] = {{0, {"PWID"}}, {1, {"NWID"}}};
inline constexpr EnumRow kSmoothingResponseRows[] = {{0, {"SLOW"}}, {1, {"MED"}}, {2, {"FAST"}}};
inline constexpr EnumRow kScalingFunctionRows[] = {
    {0, {"NULL"}}, {1, {"PCT"}}, {2, {"PPM"}}, {3, {"PPB"}}, {4, {"SCAL"}}};
inline constexpr EnumRow kBurstLevelRows[] = {{0, {"-6.00000000E+000"}}, {1, {"-1.20000000E+001"}}};
inline constexpr EnumRow kTimeStampRateRows[] = {
    {0, {"+1.00000000E+004"}}, {1, {"+1.00000000E+005"}},
    {2, {"+8.00000000E+005"}}, {3, {"+1.00000000E+006"}}};
inline constexpr EnumRow kPhaseRangeRows[] = {{0, {"AUTO"}}, {1, {"POS"}}, {2, {"CENT"}}};
// Memory locations have rows but no words: they print as the empty word.
inline constexpr EnumRow kMemoryLocationRows[] = {{0}, {1}, {2}, {3}, {4}};
inline constexpr EnumRow kArmSourceRows[] = {
    {0, {"INP"}}, {1, {"INP2"}}, {2, {"EXT"}}, {3, {"ADV"}}, {4, {"TIME"}}, {5, {"IMM"}}};
inline constexpr EnumRow kExternalSourceRows[] = {{0, {"BNC"}}, {1, {"INP"}}, {2, {"INP2"}}};
inline constexpr EnumRow kDelayHoldOffSourceRows[] = {{0, {"IMM"}}, {1, {"TIME"}}, {2, {"EVEN"}}};
inline constexpr EnumRow kFrequencyMeasurementModeRows[] = {
    {0, {"AUTO"}}, {1, {"REC"}}, {2, {"CONT"}}};
// The instrument answers in its own number format.
inline constexpr EnumRow kAutoLevelFrequencyRows[] = {
    {0, {"50.0", "+5.00000000E+001"}}, {1, {"10E3", "+1.00000000E+004"}}};
inline constexpr EnumRow kDisplayModeRows[] = {{0, {"NUM"}}, {1, {"HIST"}}, {2, {"TCH"}}};

// Booleans: true is -1, and 1 prints as true as well. The first of two rows with the same word
// wins, so "1" reads back as -1. Many settings also accept " OFF" and " ON", blank included.
inline constexpr EnumRow kBooleanRows[] = {{0, {"0"}}, {-1, {"1"}}, {1, {"1"}}};
inline constexpr EnumRow kBooleanOnOffRows[] = {
    {0, {"0", " OFF"}}, {-1, {"1", " ON"}}, {1, {"1", " ON"}}};
inline constexpr EnumRow kBooleanWordRows[] = {{0, {"OFF"}}, {-1, {"ON"}}, {1, {"ON"}}};
inline constexpr EnumRow kBooleanSecurityRows[] = {
    {0, {"0", "0, OFF"}}, {-1, {"1", "1, ON"}}, {1, {"1", "1, ON"}}};

// The links rows name: one type's words each.
inline constexpr EnumWords kCoupling[] = {{"Coupling", kCouplingRows}};
inline constexpr EnumWords kSlope[] = {{"Slope", kSlopeRows}};
inline constexpr EnumWords kArmType[] = {{"ArmType", kArmTypeRows}};
inline constexpr EnumWords kMeasurementFunction[] = {
    {"MeasurementFunction", kMeasurementFunctionRows}};
inline constexpr EnumWords kPolarity[] = {{"Polarity", kPolarityRows}};
inline constexpr EnumWords kAttenuationFactor[] = {{"AttenuationFactor", kAttenuationFactorRows}};
inline constexpr EnumWords kProbeFactor[] = {{"ProbeFactor", kProbeFactorRows}};
inline constexpr EnumWords kImpedance[] = {{"Impedance", kImpedanceRows}};
inline constexpr EnumWords kExternalFrequency[] = {{"ExternalFrequency", kExternalFrequencyRows}};
inline constexpr EnumWords kReferenceOscillatorSource[] = {
    {"ReferenceOscillatorSource", kReferenceOscillatorSourceRows}};
inline constexpr EnumWords kOutSignalPolarity[] = {{"OutSignalPolarity", kOutSignalPolarityRows}};
inline constexpr EnumWords kTriggerSource[] = {{"TriggerSource", kTriggerSourceRows}};
inline constexpr EnumWords kPulseWidthType[] = {{"PulseWidthType", kPulseWidthTypeRows}};
inline constexpr EnumWords kSmoothingResponse[] = {{"SmoothingResponse", kSmoothingResponseRows}};
inline constexpr EnumWords kScalingFunction[] = {{"ScalingFunction", kScalingFunctionRows}};
inline constexpr EnumWords kBurstLevel[] = {{"BurstLevel", kBurstLevelRows}};
inline constexpr EnumWords kTimeStampRate[] = {{"TimeStampRate", kTimeStampRateRows}};
inline constexpr EnumWords kPhaseRange[] = {{"PhaseRange", kPhaseRangeRows}};
inline constexpr EnumWords kMemoryLocation[] = {{"MemoryLocation", kMemoryLocationRows}};
inline constexpr EnumWords kArmSource[] = {{"ArmSource", kArmSourceRows}};
inline constexpr EnumWords kExternalSource[] = {{"ExternalSource", kExternalSourceRows}};
inline constexpr EnumWords kDelayHoldOffSource[] = {{"DelayHoldOffSource", kDelayHoldOffSourceRows}};
inline constexpr EnumWords kFrequencyMeasurementMode[] = {
    {"FrequencyMeasurementMode", kFrequencyMeasurementModeRows}};
inline constexpr EnumWords kAutoLevelFrequency[] = {{"AutoLevelFrequency", kAutoLevelFrequencyRows}};
inline constexpr EnumWords kDisplayMode[] = {{"DisplayMode", kDisplayModeRows}};
inline constexpr EnumWords kBoolean[] = {{core::kBooleanTypeName, kBooleanRows}};
inline constexpr EnumWords kBooleanOnOff[] = {{core::kBooleanTypeName, kBooleanOnOffRows}};
inline constexpr EnumWords kBooleanWord[] = {{core::kBooleanTypeName, kBooleanWordRows}};
inline constexpr EnumWords kBooleanSecurity[] = {{core::kBooleanTypeName, kBooleanSecurityRows}};
// A memory member that answers whether a location holds a state converts both.
inline constexpr EnumWords kMemoryLocationOnOff[] = {{"MemoryLocation", kMemoryLocationRows},
                                                     {core::kBooleanTypeName, kBooleanOnOffRows}};
// clang-format on

}  // namespace tevra::state::words
