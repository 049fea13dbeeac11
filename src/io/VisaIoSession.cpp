#include "io/VisaIoSession.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <limits>
#include <type_traits>

#include "core/Options.h"
#include "core/TextUtil.h"

namespace tevra::io {
namespace {

using visa::AttributeValue;

// VISA's I/O protocols by session value.
constexpr std::uint16_t kIoProtocols[] = {1, 2, 3, 4, 5};
// VISA's trigger protocols by session value.
constexpr std::uint16_t kTriggerProtocols[] = {0, 1, 2, 5};

using core::EqualsNoCase;

// The platform's variant conversion, for the kinds attributes have: numbers change kind when
// they fit, texts are read as numbers or as True/False, and anything becomes a text.
template <class T>
bool ConvertAttribute(const AttributeValue& value, T& out) {
  if constexpr (std::is_same_v<T, std::string>) {
    std::visit(
        [&out](const auto& held) {
          using Held = std::decay_t<decltype(held)>;
          if constexpr (std::is_same_v<Held, std::string>)
            out = held;
          else if constexpr (std::is_same_v<Held, bool>)
            out = held ? "True" : "False";
          else
            out = std::to_string(held);
        },
        value);
    return true;
  } else if constexpr (std::is_same_v<T, bool>) {
    if (const auto* text = std::get_if<std::string>(&value)) {
      const std::string_view word = core::Trim(*text);
      if (EqualsNoCase(word, "true")) return out = true, true;
      if (EqualsNoCase(word, "false")) return out = false, true;
      double number = 0;
      const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), number);
      if (ec != std::errc() || end != word.data() + word.size()) return false;
      out = number != 0;
      return true;
    }
    std::uint64_t number = 0;
    visa::NumberOf(value, number);
    out = number != 0;
    return true;
  } else {
    if (const auto* text = std::get_if<std::string>(&value)) {
      const std::string_view word = core::Trim(*text);
      std::int64_t number = 0;
      const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), number);
      if (ec != std::errc() || end != word.data() + word.size() || number < 0 ||
          static_cast<std::uint64_t>(number) > std::numeric_limits<T>::max())
        return false;
      out = static_cast<T>(number);
      return true;
    }
    if (const auto* flag = std::get_if<bool>(&value)) return out = *flag ? 1 : 0, true;
    if (const auto* signedValue = std::get_if<std::int32_t>(&value)) {
      if (*signedValue < 0 ||
          static_cast<std::uint64_t>(*signedValue) > std::numeric_limits<T>::max())
        return false;
      out = static_cast<T>(*signedValue);
      return true;
    }
    std::uint64_t number = 0;
    visa::NumberOf(value, number);
    if (number > std::numeric_limits<T>::max()) return false;
    out = static_cast<T>(number);
    return true;
  }
}

}  // namespace

HRESULT ComStatusOfVisa(visa::ViStatus status) {
  const auto code = static_cast<std::uint32_t>(status) & 0xFFFFu;
  if (status == visa::kViSuccess) return S_OK;
  return static_cast<HRESULT>((status < 0 ? 0x80040000u : 0x00040000u) | code);
}

// --- protocols and attributes ---

HRESULT CVisaIoSession::SetProtocol(std::int32_t protocol) {
  if (protocol < 0 || protocol >= static_cast<std::int32_t>(std::size(kIoProtocols)))
    return Refuse("Unsupported VISA I/O protocol.");
  return SetLibraryAttribute(visa::kViAttrIoProt, kIoProtocols[protocol]);
}

HRESULT CVisaIoSession::GetProtocol(std::int32_t& protocol) {
  AttributeValue value;
  if (HRESULT hr = GetLibraryAttribute(visa::kViAttrIoProt, value); FAILED(hr)) return hr;
  std::uint16_t visaProtocol = 0;
  visa::NumberOf(value, visaProtocol);
  const auto* found = std::find(std::begin(kIoProtocols), std::end(kIoProtocols), visaProtocol);
  if (found == std::end(kIoProtocols)) return Refuse("Unsupported VISA I/O protocol.");
  protocol = static_cast<std::int32_t>(found - std::begin(kIoProtocols));
  return S_OK;
}

template <class T>
HRESULT CVisaIoSession::GetConverted(visa::ViAttr id, T& value, const char* kindName) {
  AttributeValue held;
  if (HRESULT hr = GetLibraryAttribute(id, held); FAILED(hr)) return hr;
  T converted{};
  if (!ConvertAttribute(held, converted)) {
    char text[96];
    std::snprintf(text, sizeof text,
                  "GetAttribute could not convert attribute with ID %u to a %s value.",
                  static_cast<unsigned>(id), kindName);
    return Refuse(text);
  }
  value = std::move(converted);
  return S_OK;
}

HRESULT CVisaIoSession::GetAttribute(visa::ViAttr id, std::uint8_t& value) {
  return GetConverted(id, value, "UINT8");
}
HRESULT CVisaIoSession::GetAttribute(visa::ViAttr id, std::uint16_t& value) {
  return GetConverted(id, value, "UINT16");
}
HRESULT CVisaIoSession::GetAttribute(visa::ViAttr id, std::uint32_t& value) {
  return GetConverted(id, value, "UINT32");
}
HRESULT CVisaIoSession::GetAttribute(visa::ViAttr id, std::uint64_t& value) {
  return GetConverted(id, value, "UINT64");
}
HRESULT CVisaIoSession::GetAttribute(visa::ViAttr id, bool& value) {
  return GetConverted(id, value, "boolean");
}
HRESULT CVisaIoSession::GetAttribute(visa::ViAttr id, std::string& value) {
  return GetConverted(id, value, "string");
}

HRESULT CVisaIoSession::SetAttribute(visa::ViAttr id, const AttributeValue& value) {
  return SetLibraryAttribute(id, value);
}

HRESULT CVisaIoSession::AssertTrigger(std::int32_t protocol) {
  if (protocol < 0 || protocol >= static_cast<std::int32_t>(std::size(kTriggerProtocols)))
    return Refuse("Unsupported VISA trigger protocol.");
  return AssertLibraryTrigger(kTriggerProtocols[protocol]);
}

// --- session information ---

HRESULT CVisaIoSession::GetResourceName(std::string& name) {
  return GetAttribute(visa::kViAttrRsrcName, name);
}
HRESULT CVisaIoSession::GetInterfaceDescription(std::string& description) {
  return GetAttribute(visa::kViAttrIntfInstName, description);
}
HRESULT CVisaIoSession::GetResourceClass(std::string& resourceClass) {
  return GetAttribute(visa::kViAttrRsrcClass, resourceClass);
}
HRESULT CVisaIoSession::GetManufacturerName(std::string& name) {
  return GetAttribute(visa::kViAttrRsrcManfName, name);
}

HRESULT CVisaIoSession::GetInterfaceType(SessionInterfaceType& type) {
  std::uint16_t visaType = 0;
  if (HRESULT hr = GetAttribute(visa::kViAttrIntfType, visaType); FAILED(hr)) return hr;
  type = visaType >= 1 && visaType <= 7 ? static_cast<SessionInterfaceType>(visaType - 1)
                                        : SessionInterfaceType::Other;
  return S_OK;
}

HRESULT CVisaIoSession::GetInterfaceNumber(std::int16_t& number) {
  std::uint16_t value = 0;
  if (HRESULT hr = GetAttribute(visa::kViAttrIntfNum, value); FAILED(hr)) return hr;
  number = static_cast<std::int16_t>(value);
  return S_OK;
}

HRESULT CVisaIoSession::GetManufacturerId(std::int16_t& id) {
  std::uint16_t value = 0;
  if (HRESULT hr = GetAttribute(visa::kViAttrRsrcManfId, value); FAILED(hr)) return hr;
  id = static_cast<std::int16_t>(value);
  return S_OK;
}

// --- line configuration ---

HRESULT CVisaIoSession::ConfigureLine() {
  SessionInterfaceType type = SessionInterfaceType::Other;
  if (HRESULT hr = GetInterfaceType(type); FAILED(hr)) return hr;
  std::string resourceClass;
  if (FAILED(GetAttribute(visa::kViAttrRsrcClass, resourceClass))) resourceClass = "OTHER";
  std::string name;
  if (FAILED(GetAttribute(visa::kViAttrRsrcName, name))) name = "UNKNOWN";
  name = core::ToUpper(name);
  if (type == SessionInterfaceType::Tcpip && name.find("::SOCKET") != std::string::npos)
    resourceClass = "SOCKET";
  const bool socket = type == SessionInterfaceType::Tcpip && resourceClass == "SOCKET";
  if (type != SessionInterfaceType::Asrl && !socket) return S_OK;
  if (HRESULT hr = SetTerminationCharacter('\n'); FAILED(hr)) return hr;
  if (HRESULT hr = SetTerminationCharacterEnabled(true); FAILED(hr)) return hr;
  return SetSendEndEnabled(true);
}

// --- register access ---

HRESULT CVisaIoSession::Refuse(const char* what) {
  core::IErrorReporter* reporter = Reporter();
  return reporter ? reporter->ReportIoMessage(what)
                  : core::ComStatusOf(static_cast<int>(core::Code::IoError));
}

HRESULT CVisaIoSession::CheckRegisterAccess(std::int16_t space, std::uint64_t offset, int width) {
  if (width == 64)
    return Refuse("The VISA-COM session does not support 64-bit register-based operations.");
  // VISA's address spaces: local, A16, A24, A32, A64, the PXI spaces and the VXI/VME
  // memory and configuration spaces.
  const bool knownSpace = (space >= 0 && space <= 4) || (space >= 9 && space <= 16);
  if (!knownSpace) return Refuse("Unsupported VISA address space.");
  if (width != 8 && width != 16 && width != 32) return Refuse("Unsupported VISA data width.");
  if (offset > 0xFFFFFFFFu)
    return Refuse(
        "Address space offset is greater than the 32-bit maximum value supported by VISA-COM.");
  // The binding reaches instruments by messages only.
  return Refuse("The VISA-COM session does not support register-based operations.");
}

HRESULT CVisaIoSession::In(std::int16_t space, std::uint64_t offset, int width,
                           std::uint64_t& value) {
  value = 0;
  return CheckRegisterAccess(space, offset, width);
}

HRESULT CVisaIoSession::Out(std::int16_t space, std::uint64_t offset, int width, std::uint64_t) {
  return CheckRegisterAccess(space, offset, width);
}

HRESULT CVisaIoSession::MoveIn(std::int16_t space, std::uint64_t offset, int width,
                               std::span<std::uint8_t>) {
  return CheckRegisterAccess(space, offset, width);
}

HRESULT CVisaIoSession::MoveOut(std::int16_t space, std::uint64_t offset, int width,
                                std::span<const std::uint8_t>) {
  return CheckRegisterAccess(space, offset, width);
}

HRESULT CVisaIoSession::MoveAsync() {
  return Refuse("The VISA-COM session does not support the MoveAsync operation.");
}

HRESULT CVisaIoSession::AllocateMemory(std::uint32_t, std::uint64_t& offset) {
  offset = 0;
  return Refuse("The VISA-COM session does not support shared memory register-based operations.");
}

HRESULT CVisaIoSession::FreeMemory(std::uint64_t) {
  return Refuse("The VISA-COM session does not support shared memory register-based operations.");
}

HRESULT CVisaIoSession::ReadAsync(std::uint32_t) {
  return Refuse("The VISA-COM session does not support asynchronous messaging operations.");
}

HRESULT CVisaIoSession::WriteAsync(std::span<const std::uint8_t>) {
  return Refuse("The VISA-COM session does not support asynchronous messaging operations.");
}

}  // namespace tevra::io
