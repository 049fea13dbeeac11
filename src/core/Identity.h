// The driver's identity constants and the model table the ID query checks against.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/CallContext.h"

namespace tevra::core::identity {

inline constexpr std::string_view kPrefix = "Tevra";
inline constexpr std::string_view kIdentifier = "Tevra";
inline constexpr std::string_view kVendor = "Orvane Technologies";
inline constexpr std::string_view kDescription = "IVI Driver for Orvane QX1xxx family of Counters.";
inline constexpr std::string_view kDescriptionSuffix = " [Compiled for 64-bit.]";
inline constexpr std::string_view kRevision = "1.2.2.0";
inline constexpr std::string_view kGroupCapabilities =
    "IviCounterBase,IviCounterFilter,IviCounterStopHoldoff,IviCounterVoltageMeasurement,"
    "IviCounterEdgeTimeReferenceLevels";
inline constexpr std::string_view kSupportedModels = "QX1300,QX1200,QX1100";
inline constexpr std::string_view kDefaultModel = "QX1300";
inline constexpr std::int32_t kSpecificationMajorVersion = 2;
inline constexpr std::int32_t kSpecificationMinorVersion = 0;
// The error source: the driver class's program identifier.
inline constexpr std::string_view kProgId = "Tevra.Tevra.1";
inline constexpr std::string_view kDefaultFamily = "DefaultFamily";

// The models: the bit that the unsupported-model columns of the member rows use, the number of
// ordinary inputs (a microwave input, when installed, is the next channel) and whether the
// pulsed/burst option can be installed.
struct ModelEntry {
  std::string_view model;
  std::string_view family;
  ModelMask bit;
  std::int32_t inputs;
  bool burstOption;

  constexpr std::int32_t MicrowaveChannel() const { return inputs + 1; }
};
inline constexpr ModelEntry kModels[] = {
    {"QX1100", kDefaultFamily, kQX1100, 1, false},
    {"QX1200", kDefaultFamily, kQX1200, 2, false},
    {"QX1300", kDefaultFamily, kQX1300, 2, true},
};

// Exact, case-sensitive lookup; null for a model outside the table.
constexpr const ModelEntry* FindModel(std::string_view model) {
  for (const ModelEntry& e : kModels)
    if (e.model == model) return &e;
  return nullptr;
}

}  // namespace tevra::core::identity
