// tevra-config: edits and checks the configuration store that Initialize reads.
//
//   tevra-config [--store FILE] add-session NAME --resource ADDR [--simulate]
//                [--driver-setup TEXT] [--virtual NAME=PHYSICAL ...]
//   tevra-config [--store FILE] add-logical-name NAME SESSION
//   tevra-config [--store FILE] show
//   tevra-config check [FILE]
//
// Edits go to --store FILE, else the file TEVRA_CONFIG_STORE names, else the user's store. An
// edit reads the whole store first and refuses to touch a store that does not read; the new store
// is validated, then replaces the old one atomically. Exit status: 0 done, 1 refused or invalid,
// 2 usage.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/ConfigStore.h"
#include "core/TextUtil.h"

namespace {

using namespace tevra::core;

constexpr const char* kUsage =
    "usage: tevra-config [--store FILE] add-session NAME --resource ADDR [--simulate]\n"
    "                    [--driver-setup TEXT] [--virtual NAME=PHYSICAL ...]\n"
    "       tevra-config [--store FILE] add-logical-name NAME SESSION\n"
    "       tevra-config [--store FILE] show\n"
    "       tevra-config check [FILE]\n"
    "       tevra-config -h|--help\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "tevra-config: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "tevra-config: %s\n", message.c_str());
  return 1;
}

bool Exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

// The store an edit starts from: empty when the file does not exist yet; a file that exists but
// does not read is never edited.
bool LoadForEdit(const std::string& path, ConfigStore& store, std::string& error) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) {
    store = ConfigStore{};
    return true;
  }
  if (ReadConfigStore(path, store, error)) return true;
  error = "the store was not changed: " + error;
  return false;
}

// The module every store needs for Initialize with an address, with the physical names that let
// virtual names answer for the channels.
void EnsureSoftwareModule(ConfigStore& store) {
  if (store.FindSoftwareModule("Tevra")) return;
  SoftwareModule module{"Tevra", {}, {}};
  for (int n = 1; n <= 3; ++n)
    module.physicalNames.push_back({"Channel" + std::to_string(n), "TevraChannel"});
  module.dataComponents.push_back({std::string(kInitialSettingsName), "Structure", "", {}});
  store.softwareModules.insert(store.softwareModules.begin(), std::move(module));
}

template <class Item>
void Replace(std::vector<Item>& items, Item item) {
  for (Item& existing : items) {
    if (EqualsNoCase(existing.name, item.name)) {
      existing = std::move(item);
      return;
    }
  }
  items.push_back(std::move(item));
}

int Save(const std::string& path, const ConfigStore& store, const std::string& what) {
  std::string error;
  if (!WriteConfigStore(path, store, error)) return Fail(error);
  std::printf("%s: %s\n", path.c_str(), what.c_str());
  return 0;
}

int AddSession(const std::string& path, const std::vector<std::string>& args) {
  if (args.empty() || args[0].starts_with("--")) return Usage("add-session needs a NAME");
  DriverSession session;
  session.name = args[0];
  session.softwareModule = "Tevra";
  std::string resource;
  bool haveResource = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--simulate") {
      session.flags.simulate = true;
    } else if (arg == "--resource" && hasValue) {
      resource = args[++i];
      haveResource = true;
    } else if (arg == "--driver-setup" && hasValue) {
      session.driverSetup = args[++i];
    } else if (arg == "--virtual" && hasValue) {
      const std::string& pair = args[++i];
      const std::size_t equals = pair.find('=');
      if (equals == std::string::npos || equals == 0 || equals + 1 == pair.size())
        return Usage("--virtual takes NAME=PHYSICAL, not \"" + pair + "\"");
      session.virtualNames.push_back({pair.substr(0, equals), pair.substr(equals + 1), {}});
    } else {
      return Usage("unknown or incomplete argument \"" + arg + "\"");
    }
  }
  if (!haveResource) return Usage("add-session needs --resource ADDR");

  ConfigStore store;
  std::string error;
  if (!LoadForEdit(path, store, error)) return Fail(error);
  EnsureSoftwareModule(store);
  // The asset takes the session's name: one instrument per session, as the tool writes them.
  session.hardwareAsset = session.name;
  Replace(store.hardwareAssets, HardwareAsset{session.name, resource});
  Replace(store.driverSessions, std::move(session));
  return Save(path, store, "driver session \"" + args[0] + "\" saved");
}

int AddLogicalName(const std::string& path, const std::vector<std::string>& args) {
  if (args.size() != 2) return Usage("add-logical-name takes NAME SESSION");
  ConfigStore store;
  std::string error;
  if (!LoadForEdit(path, store, error)) return Fail(error);
  EnsureSoftwareModule(store);
  Replace(store.logicalNames, LogicalName{args[0], args[1]});
  return Save(path, store, "logical name \"" + args[0] + "\" saved");
}

const char* YesNo(bool value) { return value ? "true" : "false"; }

void PrintComponents(const std::vector<DataComponent>& components, const std::string& indent) {
  for (const DataComponent& c : components) {
    if (EqualsNoCase(c.type, "Structure")) {
      std::printf("%s%s (Structure, skipped)\n", indent.c_str(), c.name.c_str());
    } else {
      const bool kept = EqualsNoCase(c.type, "String") || EqualsNoCase(c.type, "Integer") ||
                        EqualsNoCase(c.type, "Real") || EqualsNoCase(c.type, "Boolean");
      std::printf("%s%s = %s (%s%s)\n", indent.c_str(), c.name.c_str(), c.value.c_str(),
                  c.type.c_str(), kept ? "" : ", skipped");
    }
  }
}

void PrintInitialSettings(const std::vector<DataComponent>& components) {
  const DataComponent* settings = FindInitialSettings(components);
  if (!settings || settings->components.empty()) {
    std::printf("    initial settings: none\n");
    return;
  }
  std::printf("    initial settings:\n");
  PrintComponents(settings->components, "      ");
}

// What Initialize takes for each name it would resolve.
void PrintWhatInitializeTakes(const ConfigStore& store) {
  std::vector<std::string> names;
  for (const DriverSession& s : store.driverSessions) names.push_back(s.name);
  for (const LogicalName& l : store.logicalNames) names.push_back(l.name);
  for (const std::string& name : names) {
    const DriverSession& s = *store.FindSession(name);
    const HardwareAsset* asset =
        s.hardwareAsset.empty() ? nullptr : store.FindHardwareAsset(s.hardwareAsset);
    std::printf("%s%s\n", name.c_str(),
                EqualsNoCase(name, s.name) ? "" : (" -> driver session " + s.name).c_str());
    std::printf("    IoResourceDescriptor: %s\n",
                asset ? asset->resourceDescriptor.c_str() : "(none: no hardware asset)");
    std::printf(
        "    Cache=%s InterchangeCheck=%s QueryInstrumentStatus=%s RangeCheck=%s "
        "RecordCoercions=%s Simulate=%s\n",
        YesNo(s.flags.cache), YesNo(s.flags.interchangeCheck), YesNo(s.flags.queryInstrumentStatus),
        YesNo(s.flags.rangeCheck), YesNo(s.flags.recordCoercions), YesNo(s.flags.simulate));
    std::printf("    DriverSetup: %s\n", s.driverSetup.c_str());
    PrintInitialSettings(s.dataComponents);
    const auto virtualNames = ExpandVirtualNames(s.virtualNames);
    if (virtualNames.empty()) std::printf("    virtual names: none\n");
    for (const auto& [virtualName, mapped] : virtualNames)
      std::printf("    virtual name %s -> %s\n", virtualName.c_str(), mapped.c_str());
  }
  if (const SoftwareModule* module = store.FindSoftwareModule("Tevra")) {
    std::printf("any other resource name: an address, with the software module Tevra\n");
    PrintInitialSettings(module->dataComponents);
  } else {
    std::printf(
        "any other resource name: Initialize fails, the store has no software module "
        "Tevra\n");
  }
}

int Check(const std::vector<std::string>& args) {
  if (args.size() > 1) return Usage("check takes at most one FILE");
  const std::string path = args.empty() ? ConfigStoreLocation() : args[0];
  if (path.empty()) {
    std::printf("no configuration store: Initialize takes every resource name as an address\n");
    return 0;
  }
  ConfigStore store;
  std::string error;
  if (!ReadConfigStore(path, store, error)) {
    std::printf("%s\n", error.c_str());
    std::printf("Initialize ignores this store and takes every resource name as an address\n");
    return 1;
  }
  std::printf("%s: valid\n", path.c_str());
  PrintWhatInitializeTakes(store);
  return 0;
}

int Show(const std::string& path) {
  if (!Exists(path)) {
    std::printf("%s: no store yet\n", path.c_str());
    return 0;
  }
  ConfigStore store;
  std::string error;
  if (!ReadConfigStore(path, store, error)) return Fail(error);
  std::fputs(FormatConfigStore(store).c_str(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string store;
  if (args.size() >= 2 && args[0] == "--store") {
    store = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args.empty()) return Usage("no command");
  const std::string command = args[0];
  args.erase(args.begin());
  try {
    if (command == "check") return store.empty() ? Check(args) : Usage("check takes FILE itself");
    if (store.empty()) store = UserConfigStoreLocation();
    if (store.empty()) return Fail("no store location: set TEVRA_CONFIG_STORE or HOME");
    if (command == "add-session") return AddSession(store, args);
    if (command == "add-logical-name") return AddLogicalName(store, args);
    if (command == "show") return args.empty() ? Show(store) : Usage("show takes no argument");
    return Usage("unknown command \"" + command + "\"");
  } catch (const std::bad_alloc&) {
    return Fail("out of memory");
  }
}
