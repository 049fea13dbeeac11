// The configuration store: the platform's IVI configuration store, kept as one XML file. It maps a
// logical name or a driver-session name to a driver session (the instrument's address through a
// hardware asset, the six session flags, the DriverSetup text, the configurable initial settings
// and the virtual names) and describes the software modules (their physical repeated-capability
// names and their own initial settings).
//
// The file format, its elements and attributes, and where the file is looked for are described
// in docs/config-store.md. The reader refuses anything it does not know, by file, line and
// element; it never reaches the network, never loads or expands a DTD, and refuses files over
// kMaxConfigStoreSize.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Options.h"

namespace tevra::core {

inline constexpr std::size_t kMaxConfigStoreSize = 8 * 1024 * 1024;
// Bounds what one store can expand to: the numbers of one virtual name's ranges added up, and the
// nesting of structures.
inline constexpr std::int64_t kMaxVirtualRangeNames = 10000;
inline constexpr int kMaxStructureDepth = 16;
inline constexpr std::string_view kInitialSettingsName = "Configurable Initial Settings";
inline constexpr std::string_view kStoreVersion = "1";

// A data component: a typed value, or (type Structure) a list of sub-components. The type is kept
// as written; the loader compares it without regard to case and skips the types it does not use.
struct DataComponent {
  std::string name;
  std::string type;
  std::string value;
  std::vector<DataComponent> components;
  bool operator==(const DataComponent&) const = default;
};

struct PhysicalName {
  std::string name;    // "Channel1"
  std::string repCap;  // "TevraChannel"
  bool operator==(const PhysicalName&) const = default;
};

struct SoftwareModule {
  std::string name;
  std::vector<PhysicalName> physicalNames;
  std::vector<DataComponent> dataComponents;
  bool operator==(const SoftwareModule&) const = default;
};

struct HardwareAsset {
  std::string name;
  std::string resourceDescriptor;
  bool operator==(const HardwareAsset&) const = default;
};

// One number range of a virtual name: the names name+min .. name+max map to mapTo+min ..
// mapTo+max.
struct VirtualRange {
  std::int32_t min = 0;
  std::int32_t max = 0;
  bool operator==(const VirtualRange&) const = default;
};

struct VirtualName {
  std::string name;
  std::string mapTo;  // a physical name, possibly qualified: "TevraChannel!!Channel1"
  std::vector<VirtualRange> ranges;
  bool operator==(const VirtualName&) const = default;
};

struct DriverSession {
  std::string name;
  std::string hardwareAsset;   // empty: none
  std::string softwareModule;  // empty: none
  SessionFlags flags;
  std::string driverSetup;
  std::vector<DataComponent> dataComponents;
  std::vector<VirtualName> virtualNames;
  bool operator==(const DriverSession&) const = default;
};

struct LogicalName {
  std::string name;
  std::string session;
  bool operator==(const LogicalName&) const = default;
};

// Names of every kind compare without regard to ASCII case, and are unique within their kind;
// driver-session names and logical names share one set of names.
struct ConfigStore {
  std::vector<SoftwareModule> softwareModules;
  std::vector<HardwareAsset> hardwareAssets;
  std::vector<DriverSession> driverSessions;
  std::vector<LogicalName> logicalNames;
  bool operator==(const ConfigStore&) const = default;

  // A driver session by its own name or by a logical name that refers to it; null when neither.
  const DriverSession* FindSession(std::string_view name) const;
  const SoftwareModule* FindSoftwareModule(std::string_view name) const;
  const HardwareAsset* FindHardwareAsset(std::string_view name) const;
};

// The store file Initialize reads: the file TEVRA_CONFIG_STORE names when that is set and not
// empty (whether or not it exists), else the first that exists of
// $XDG_CONFIG_HOME/ivi/config-store.xml (~/.config/ivi/config-store.xml when XDG_CONFIG_HOME is
// unset or not absolute) and /etc/ivi/config-store.xml; empty when there is none.
std::string ConfigStoreLocation();
// Where an edit writes: the file TEVRA_CONFIG_STORE names, else the user's file.
std::string UserConfigStoreLocation();

// Reads the store at ConfigStoreLocation(); false when there is none or it does not read, which
// Initialize takes as "no store".
bool OpenConfigStore(ConfigStore& store);

// Parses and validates a store text; fileName only names the file in messages. On failure the
// store is left empty and error reads "FILE:LINE: <Element>: what is wrong".
bool ParseConfigStore(std::string_view text, std::string_view fileName, ConfigStore& store,
                      std::string& error);
// Reads a regular file of at most kMaxConfigStoreSize bytes and parses it.
bool ReadConfigStore(const std::string& path, ConfigStore& store, std::string& error);

// The store as the reader reads it back; every default is written out.
std::string FormatConfigStore(const ConfigStore& store);
// Replaces the file atomically: a temporary file in the same folder, synced, renamed over it, and
// the folder synced. On failure the old file is as it was and error says why.
bool WriteConfigStore(const std::string& path, const ConfigStore& store, std::string& error);

// The structure named "Configurable Initial Settings" (without regard to case) among data
// components; null when there is none.
const DataComponent* FindInitialSettings(const std::vector<DataComponent>& components);

// The virtual names, a range expanded to one name per number ("%s%d"), in the order written:
// each yields (virtual name, mapped name).
std::vector<std::pair<std::string, std::string>> ExpandVirtualNames(
    const std::vector<VirtualName>& names);

}  // namespace tevra::core
