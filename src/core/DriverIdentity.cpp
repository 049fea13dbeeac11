// IIviComponentIdentity and IIviDriverIdentity: the driver's constants (readable before
// Initialize) and the instrument's identity (after it).
#include <string>

#include "core/Driver.h"
#include "core/Identity.h"
#include "core/Rows.h"
#include "platform/Bstr.h"

namespace tevra::core {
namespace {

// A string property: the entry protocol around handing out a new copy of the text.
template <class TextOf>
HRESULT StringProperty(CDriver& d, const MethodRecord& m, BSTR* val, TextOf textOf) {
  return d.Enter(
      m,
      [&] {
        const std::string text(textOf());
        *val = platform::AllocBstr(text);
        return *val ? S_OK : d.Reporter().Report(Code::OutOfMemory);
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
  return StringProperty(d_, rows::IIviComponentIdentity_Description.get, val,
                        [] { return std::string(kDescription) + std::string(kDescriptionSuffix); });
}
HRESULT DriverIdentityImpl::get_Revision(BSTR* val) {
  return StringProperty(d_, rows::IIviComponentIdentity_Revision.get, val,
                        [] { return kRevision; });
}
HRESULT DriverIdentityImpl::get_Vendor(BSTR* val) {
  return StringProperty(d_, rows::IIviComponentIdentity_Vendor.get, val, [] { return kVendor; });
}
HRESULT DriverIdentityImpl::get_Identifier(BSTR* val) {
  return StringProperty(d_, rows::IIviDriverIdentity_Identifier.get, val,
                        [] { return kIdentifier; });
}
HRESULT DriverIdentityImpl::get_SupportedInstrumentModels(BSTR* val) {
  return StringProperty(d_, rows::IIviDriverIdentity_SupportedInstrumentModels.get, val,
                        [] { return kSupportedModels; });
}
HRESULT DriverIdentityImpl::get_GroupCapabilities(BSTR* val) {
  return StringProperty(d_, rows::IIviDriverIdentity_GroupCapabilities.get, val,
                        [] { return kGroupCapabilities; });
}
HRESULT DriverIdentityImpl::get_SpecificationMajorVersion(LONG* val) {
  return NumberProperty(d_, rows::IIviDriverIdentity_SpecificationMajorVersion.get, val,
                        kSpecificationMajorVersion);
}
HRESULT DriverIdentityImpl::get_SpecificationMinorVersion(LONG* val) {
  return NumberProperty(d_, rows::IIviDriverIdentity_SpecificationMinorVersion.get, val,
                        kSpecificationMinorVersion);
}

HRESULT DriverIdentityImpl::get_InstrumentManufacturer(BSTR* val) {
  return StringProperty(
      d_, rows::IIviDriverIdentity_InstrumentManufacturer.get, val, [&]() -> std::string {
        return d_.Simulating() ? std::string(kVendor) : d_.instrumentManufacturer_;
      });
}
HRESULT DriverIdentityImpl::get_InstrumentModel(BSTR* val) {
  return StringProperty(d_, rows::IIviDriverIdentity_InstrumentModel.get, val,
                        [&] { return d_.instrumentModel_; });
}
HRESULT DriverIdentityImpl::get_InstrumentFirmwareRevision(BSTR* val) {
  return StringProperty(
      d_, rows::IIviDriverIdentity_InstrumentFirmwareRevision.get, val, [&]() -> std::string {
        return d_.Simulating() ? "Sim" + std::string(kRevision) : d_.firmwareRevision_;
      });
}

}  // namespace tevra::core
