// The configuration store's model: lookups, where the file is, the virtual-name expansion, and
// the writer (libxml2's tree serialiser, so every value is escaped as XML requires).
#include "core/ConfigStore.h"

#include "platform/ReplaceFile.h"
#include "platform/UserFolders.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "core/TextUtil.h"

namespace tevra::core {
namespace {

template <class Item>
const Item* FindByName(const std::vector<Item>& items, std::string_view name) {
  for (const Item& item : items)
    if (EqualsNoCase(item.name, name)) return &item;
  return nullptr;
}

bool IsFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

std::string UserFile() {
  const std::string base = platform::UserBaseFolder("XDG_CONFIG_HOME", ".config");
  return base.empty() ? base : base + "/ivi/config-store.xml";
}

// --- Writer ---

using Node = xmlNodePtr;

Node AddElement(Node parent, const char* name) {
  return xmlNewChild(parent, nullptr, reinterpret_cast<const xmlChar*>(name), nullptr);
}

void SetAttribute(Node node, const char* name, std::string_view value) {
  const std::string text(value);
  xmlNewProp(node, reinterpret_cast<const xmlChar*>(name),
             reinterpret_cast<const xmlChar*>(text.c_str()));
}

void SetBoolean(Node node, const char* name, bool value) {
  SetAttribute(node, name, value ? "true" : "false");
}

void AddDataComponents(Node parent, const std::vector<DataComponent>& components) {
  for (const DataComponent& component : components) {
    Node node = AddElement(parent, "DataComponent");
    SetAttribute(node, "name", component.name);
    SetAttribute(node, "type", component.type);
    if (EqualsNoCase(component.type, "Structure"))
      AddDataComponents(node, component.components);
    else
      SetAttribute(node, "value", component.value);
  }
}

struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

}  // namespace

const DriverSession* ConfigStore::FindSession(std::string_view name) const {
  if (const DriverSession* session = FindByName(driverSessions, name)) return session;
  if (const LogicalName* logical = FindByName(logicalNames, name))
    return FindByName(driverSessions, logical->session);
  return nullptr;
}

const SoftwareModule* ConfigStore::FindSoftwareModule(std::string_view name) const {
  return FindByName(softwareModules, name);
}

const HardwareAsset* ConfigStore::FindHardwareAsset(std::string_view name) const {
  return FindByName(hardwareAssets, name);
}

std::string UserConfigStoreLocation() {
  const char* named = std::getenv("TEVRA_CONFIG_STORE");
  if (named && named[0] != '\0') return named;
  return UserFile();
}

std::string ConfigStoreLocation() {
  // A named store is the only one: a test or a bench setup that names its own file never falls
  // through to the user's or the machine's store.
  const char* named = std::getenv("TEVRA_CONFIG_STORE");
  if (named && named[0] != '\0') return IsFile(named) ? named : std::string();
  const std::string user = UserFile();
  if (!user.empty() && IsFile(user)) return user;
  const std::string machine = "/etc/ivi/config-store.xml";
  if (IsFile(machine)) return machine;
  return {};
}

bool OpenConfigStore(ConfigStore& store) {
  const std::string location = ConfigStoreLocation();
  std::string error;
  return !location.empty() && ReadConfigStore(location, store, error);
}

const DataComponent* FindInitialSettings(const std::vector<DataComponent>& components) {
  for (const DataComponent& component : components)
    if (EqualsNoCase(component.name, kInitialSettingsName) &&
        EqualsNoCase(component.type, "Structure"))
      return &component;
  return nullptr;
}

std::vector<std::pair<std::string, std::string>> ExpandVirtualNames(
    const std::vector<VirtualName>& names) {
  std::vector<std::pair<std::string, std::string>> expanded;
  for (const VirtualName& name : names) {
    if (name.ranges.empty()) {
      expanded.emplace_back(name.name, name.mapTo);
      continue;
    }
    for (const VirtualRange& range : name.ranges)
      for (std::int64_t n = range.min; n <= range.max; ++n)
        expanded.emplace_back(name.name + std::to_string(n), name.mapTo + std::to_string(n));
  }
  return expanded;
}

std::string FormatConfigStore(const ConfigStore& store) {
  const std::unique_ptr<xmlDoc, DocFree> doc(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
  if (!doc) throw std::bad_alloc();
  Node root = xmlNewNode(nullptr, reinterpret_cast<const xmlChar*>("IviConfigStore"));
  xmlDocSetRootElement(doc.get(), root);
  SetAttribute(root, "version", kStoreVersion);
  for (const SoftwareModule& module : store.softwareModules) {
    Node node = AddElement(root, "SoftwareModule");
    SetAttribute(node, "name", module.name);
    for (const PhysicalName& physical : module.physicalNames) {
      Node child = AddElement(node, "PhysicalName");
      SetAttribute(child, "name", physical.name);
      SetAttribute(child, "repCap", physical.repCap);
    }
    AddDataComponents(node, module.dataComponents);
  }
  for (const HardwareAsset& asset : store.hardwareAssets) {
    Node node = AddElement(root, "HardwareAsset");
    SetAttribute(node, "name", asset.name);
    SetAttribute(node, "resourceDescriptor", asset.resourceDescriptor);
  }
  for (const DriverSession& session : store.driverSessions) {
    Node node = AddElement(root, "DriverSession");
    SetAttribute(node, "name", session.name);
    if (!session.hardwareAsset.empty()) SetAttribute(node, "hardwareAsset", session.hardwareAsset);
    if (!session.softwareModule.empty())
      SetAttribute(node, "softwareModule", session.softwareModule);
    SetBoolean(node, "cache", session.flags.cache);
    SetBoolean(node, "interchangeCheck", session.flags.interchangeCheck);
    SetBoolean(node, "queryInstrumentStatus", session.flags.queryInstrumentStatus);
    SetBoolean(node, "rangeCheck", session.flags.rangeCheck);
    SetBoolean(node, "recordCoercions", session.flags.recordCoercions);
    SetBoolean(node, "simulate", session.flags.simulate);
    SetAttribute(node, "driverSetup", session.driverSetup);
    AddDataComponents(node, session.dataComponents);
    for (const VirtualName& name : session.virtualNames) {
      Node child = AddElement(node, "VirtualName");
      SetAttribute(child, "name", name.name);
      SetAttribute(child, "mapTo", name.mapTo);
      for (const VirtualRange& range : name.ranges) {
        Node r = AddElement(child, "Range");
        SetAttribute(r, "min", std::to_string(range.min));
        SetAttribute(r, "max", std::to_string(range.max));
      }
    }
  }
  for (const LogicalName& logical : store.logicalNames) {
    Node node = AddElement(root, "LogicalName");
    SetAttribute(node, "name", logical.name);
    SetAttribute(node, "session", logical.session);
  }
  xmlChar* text = nullptr;
  int size = 0;
  xmlDocDumpFormatMemoryEnc(doc.get(), &text, &size, "UTF-8", 1);
  if (!text) throw std::bad_alloc();
  std::string formatted(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
  xmlFree(text);
  return formatted;
}

bool WriteConfigStore(const std::string& path, const ConfigStore& store, std::string& error) {
  const std::string text = FormatConfigStore(store);
  // What is written must read back as this store: a value XML cannot carry (a control
  // character, text that is not UTF-8) is refused before the old file is touched.
  ConfigStore again;
  if (!ParseConfigStore(text, path, again, error) || !(again == store)) {
    if (error.empty()) error = path + ": the store would not read back as written";
    error = "not written: " + error;
    return false;
  }
  const std::filesystem::path target(path);
  const std::string folder =
      target.has_parent_path() ? target.parent_path().string() : std::string(".");
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    error = path + ": cannot create the folder " + folder + ": " + ec.message();
    return false;
  }
  platform::ReplaceFailure failure;
  if (!platform::ReplaceFile(path, text, failure)) {
    error = path + ": cannot " + failure.what + ": " + std::strerror(failure.cause);
    return false;
  }
  return true;
}

}  // namespace tevra::core
