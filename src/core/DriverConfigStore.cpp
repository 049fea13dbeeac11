// Session setup from the configuration store: the driver session's address, flags, DriverSetup,
// configurable initial settings and virtual names, and the software module's physical
// repeated-capability names.
#include <charconv>
#include <string>

#include "core/ConfigStore.h"
#include "core/Driver.h"
#include "core/Identity.h"

namespace tevra::core {
namespace {

constexpr std::string_view kQualifier = "!!";

// A setting as the lookups hold it; false for the types the driver does not keep. The store's
// reader has already checked that the value of a kept type converts.
bool ToSettingValue(const DataComponent& component, SettingValue& value) {
  const std::string_view type = component.type;
  std::string_view text = Trim(component.value);
  if (text.starts_with('+')) text.remove_prefix(1);
  if (EqualsNoCase(type, "String")) {
    value = component.value;
  } else if (EqualsNoCase(type, "Integer")) {
    std::int32_t number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    value = number;
  } else if (EqualsNoCase(type, "Real")) {
    // from_chars, not strtod: the program's locale must not change what the store says.
    double number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    value = number;
  } else if (EqualsNoCase(type, "Boolean")) {
    value = EqualsNoCase(text, "true") || text == "1";
  } else {
    return false;  // Structure, APIReference and any other type
  }
  return true;
}

}  // namespace

HRESULT CDriver::LoadDriverConfiguration(const DriverSession* session, const ConfigStore& store,
                                         OptionTarget& target) {
  if (!session)
    return reporter_.Report(Code::NullPointer, "LoadDriverConfiguration", "pDriverSession");
  LoadVirtualNames(*session);
  ioResourceDescriptor_.clear();
  if (!session->hardwareAsset.empty())
    if (const HardwareAsset* asset = store.FindHardwareAsset(session->hardwareAsset))
      ioResourceDescriptor_ = asset->resourceDescriptor;
  flags_ = session->flags;
  const HRESULT hr = ProcessDriverSetup(session->driverSetup, target);
  if (FAILED(hr)) return hr;
  // A session without the structure has no initial settings.
  const DataComponent* settings = FindInitialSettings(session->dataComponents);
  return settings ? LoadConfigurableInitialSettings(settings, "spConfigSettings") : S_OK;
}

HRESULT CDriver::LoadConfigurableInitialSettings(const DataComponent* settings,
                                                 std::string_view parameter) {
  if (!settings)
    return reporter_.Report(Code::NullPointer, "LoadConfigurableInitialSettings", parameter);
  for (const DataComponent& component : settings->components) {
    SettingValue value;
    if (ToSettingValue(component, value)) configurableInitialSettings_.Set(component.name, value);
  }
  return S_OK;
}

void CDriver::LoadVirtualNames(const DriverSession& session) {
  virtualNameMap_.clear();
  virtualNameReverseMap_.clear();
  // The first entry for a name wins, in the order the store lists them.
  for (auto& [name, mapped] : ExpandVirtualNames(session.virtualNames)) {
    virtualNameReverseMap_.emplace(ToLower(mapped), name);
    virtualNameMap_.emplace(ToLower(name), std::move(mapped));
  }
}

void CDriver::LoadPhysicalNames(const SoftwareModule* module) {
  physicalToVirtualMap_.clear();
  if (!module || virtualNameReverseMap_.empty()) return;
  // Keyed as the name lookups build their keys: "RepCap!!Physical". A virtual name may map to
  // the physical name alone or to its qualified form.
  for (const PhysicalName& physical : module->physicalNames) {
    std::string key = physical.repCap;
    key.append(kQualifier).append(physical.name);
    auto found = virtualNameReverseMap_.find(ToLower(key));
    if (found == virtualNameReverseMap_.end())
      found = virtualNameReverseMap_.find(ToLower(physical.name));
    if (found != virtualNameReverseMap_.end())
      physicalToVirtualMap_.emplace(std::move(key), found->second);
  }
}

HRESULT CDriver::SetUpFromConfigStore(std::string_view resourceName, OptionTarget& target,
                                      bool& storeUsed) {
  storeUsed = false;
  ConfigStore store;
  // Any failure to find or read the store means there is none; `tevra-config check` says why.
  if (!OpenConfigStore(store)) return S_OK;
  storeUsed = true;

  if (const DriverSession* session = store.FindSession(resourceName)) {
    logicalName_ = resourceName;
    HRESULT hr = LoadDriverConfiguration(session, store, target);
    // The option string comes last, so it overrides the session's flags and DriverSetup.
    if (SUCCEEDED(hr)) hr = ProcessOptionString(optionString_, target);
    if (SUCCEEDED(hr)) LoadPhysicalNames(store.FindSoftwareModule(session->softwareModule));
    return hr;
  }

  ioResourceDescriptor_ = resourceName;
  const SoftwareModule* module = store.FindSoftwareModule(identity::kPrefix);
  if (!module)
    return reporter_.ReportElaborated(
        Code::UnrecoverableFailure,
        "Software module could not be loaded from the IVI Configuration Store.");
  HRESULT hr = S_OK;
  if (const DataComponent* settings = FindInitialSettings(module->dataComponents))
    hr = LoadConfigurableInitialSettings(settings, "spSoftwareModule");
  if (SUCCEEDED(hr)) hr = ProcessOptionString(optionString_, target);
  if (SUCCEEDED(hr)) LoadPhysicalNames(module);
  return hr;
}

}  // namespace tevra::core
