#include "visa/Transport.h"

#include <utility>

namespace tevra::visa {

ViStatus Transport::Clear(const LineSettings&) { return kViErrorNsupOper; }

ViStatus Transport::ReadStatusByte(const LineSettings&, std::uint16_t&) { return kViErrorNsupOper; }

ViStatus Transport::AssertTrigger(const LineSettings&, std::uint16_t) { return kViErrorNsupOper; }

ViStatus Transport::LockDevice(std::string_view, std::uint32_t) { return kViErrorNsupOper; }

ViStatus Transport::UnlockDevice() { return kViErrorNsupOper; }

ViStatus Transport::EnableServiceRequest(bool) { return kViErrorNsupOper; }

ViStatus Transport::WaitServiceRequest(std::uint32_t) { return kViErrorNsupOper; }

ViStatus Transport::GetAttribute(ViAttr, AttributeValue&) const { return kViErrorNsupAttr; }

ViStatus Transport::SetAttribute(ViAttr, const AttributeValue&) { return kViErrorNsupAttr; }

ViStatus Transport::Fail(ViStatus status, std::string detail) {
  lastErrorDetail_ = std::move(detail);
  return status;
}

}  // namespace tevra::visa
