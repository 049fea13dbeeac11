// IIviComponentIdentity and IIviDriverIdentity: the driver's constants (readable before
// Initialize) and the instrument's identity (after it).
#include <string>

#include "core/Driver.h"
#include "core/Identity.h"
#include "platform/Bstr.h"

namespace tevra::core {
namespace {

constexpr MethodRecord kGetDescription{&IID_IIviComponentIdentity, "IIviComponentIdentity",
                                       "get_Description", kNoInitCheck};
constexpr MethodRecord kGetRevision{&IID_IIviComponentIdentity, "IIviComponentIdentity",
                                    "get_Revision", kNoInitCheck};
constexpr MethodRecord kGetVendor{&IID_IIviComponentIdentity, "IIviComponentIdentity", "get_Vendor",
                                  kNoInitCheck};
constexpr MethodRecord kGetManufacturer{&IID_IIviDriverIdentity, "IIviDriverIdentity",
                                        "get_InstrumentManufacturer"};
constexpr MethodRecord kGetModel{&IID_IIviDriverIdentity, "IIviDriverIdentity",
                                 "get_InstrumentModel"};
constexpr MethodRecord kGetFirmware{&IID_IIviDriverIdentity, "IIviDriverIdentity",
                                    "get_InstrumentFirmwareRevision"};
constexpr MethodRecord kGetIdentifier{&IID_IIviDriverIdentity, "IIviDriverIdentity",
                                      "get_Identifier", kNoInitCheck};
constexpr MethodRecord kGetSupportedModels{&IID_IIviDriverIdentity, "IIviDriverIdentity",
                                           "get_SupportedInstrumentModels", kNoInitCheck};
constexpr MethodRecord kGetMajorVersion{&IID_IIviDriverIdentity, "IIviDriverIdentity",
                                        "get_SpecificationMajorVersion", kNoInitCheck};
constexpr MethodRecord kGetMinorVersion{&IID_IIviDriverIdentity, "IIviDriverIdentity",
                                        "get_SpecificationMinorVersion", kNoInitCheck};
constexpr MethodRecord kGetGroupCapabilities{&IID_IIviDriverIdentity, "IIviDriverIdentity",
                                             "get_GroupCapabilities"};

// A string property: the entry protocol around handing out a new copy of the text.
template <class TextOf>
HRESULT StringProperty(CDriver& d, const MethodRecord& m, BSTR* val, TextOf textOf) {
  return d.Enter(
      m,
      [&] {
        const std::string text(textOf());
        *val = platform::AllocBstr(text);
        return *val ? S_OK : d.Reporter().ReportOutOfMemory();
      },
      Out("val", val));
}

HRESULT NumberProperty(CDriver& d, const MethodRecord& m, LONG* val, std::int32_t value) {
  return d.Enter(
      m,
      [&] {
        *val = value;
        return S_OK;
      },
      Out("val", val));
}

}  // namespace

using namespace identity;

HRESULT DriverIdentityImpl::get_Description(BSTR* val) {
  return StringProperty(d_, kGetDescription, val,
                        [] { return std::string(kDescription) + std::string(kDescriptionSuffix); });
}
HRESULT DriverIdentityImpl::get_Revision(BSTR* val) {
  return StringProperty(d_, kGetRevision, val, [] { return kRevision; });
}
HRESULT DriverIdentityImpl::get_Vendor(BSTR* val) {
  return StringProperty(d_, kGetVendor, val, [] { return kVendor; });
}
HRESULT DriverIdentityImpl::get_Identifier(BSTR* val) {
  return StringProperty(d_, kGetIdentifier, val, [] { return kIdentifier; });
}
HRESULT DriverIdentityImpl::get_SupportedInstrumentModels(BSTR* val) {
  return StringProperty(d_, kGetSupportedModels, val, [] { return kSupportedModels; });
}
HRESULT DriverIdentityImpl::get_GroupCapabilities(BSTR* val) {
  return StringProperty(d_, kGetGroupCapabilities, val, [] { return kGroupCapabilities; });
}
HRESULT DriverIdentityImpl::get_SpecificationMajorVersion(LONG* val) {
  return NumberProperty(d_, kGetMajorVersion, val, kSpecificationMajorVersion);
}
HRESULT DriverIdentityImpl::get_SpecificationMinorVersion(LONG* val) {
  return NumberProperty(d_, kGetMinorVersion, val, kSpecificationMinorVersion);
}

HRESULT DriverIdentityImpl::get_InstrumentManufacturer(BSTR* val) {
  return StringProperty(d_, kGetManufacturer, val, [&]() -> std::string {
    return d_.Simulating() ? std::string(kVendor) : d_.instrumentManufacturer_;
  });
}
HRESULT DriverIdentityImpl::get_InstrumentModel(BSTR* val) {
  return StringProperty(d_, kGetModel, val, [&] { return d_.instrumentModel_; });
}
HRESULT DriverIdentityImpl::get_InstrumentFirmwareRevision(BSTR* val) {
  return StringProperty(d_, kGetFirmware, val, [&]() -> std::string {
    return d_.Simulating() ? "Sim" + std::string(kRevision) : d_.firmwareRevision_;
  });
}

}  // namespace tevra::core
