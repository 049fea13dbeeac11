#include "visa/ResourceString.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "core/TextUtil.h"

namespace tevra::visa {
namespace {

constexpr std::size_t kMaxTokens = 8;

using core::EqualsNoCase;
using core::StartsWithNoCase;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number of at most five digits no greater than maximum.
bool ParseDecimal(std::string_view text, std::uint32_t maximum, std::uint16_t& value) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  std::uint32_t parsed = 0;
  std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (parsed > maximum) return false;
  value = static_cast<std::uint16_t>(parsed);
  return true;
}

// A USB id: "0x" and one to four hex digits, or decimal.
bool ParseUsbId(std::string_view text, std::uint16_t& value) {
  if (StartsWithNoCase(text, "0x")) {
    const std::string_view digits = text.substr(2);
    if (digits.empty() || digits.size() > 4) return false;
    std::uint32_t parsed = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), parsed, 16);
    if (error != std::errc() || end != digits.data() + digits.size()) return false;
    value = static_cast<std::uint16_t>(parsed);
    return true;
  }
  return ParseDecimal(text, 0xFFFF, value);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Splits at "::"; a token that starts with '[' runs to its ']' (an IPv6 host holds "::").
struct Tokens {
  std::array<std::string_view, kMaxTokens> items;
  std::size_t count = 0;
};

bool Tokenize(std::string_view text, Tokens& tokens) {
  std::size_t position = 0;
  for (;;) {
    std::size_t end;
    if (position < text.size() && text[position] == '[') {
      const std::size_t close = text.find(']', position);
      if (close == std::string_view::npos) return false;
      end = close + 1;
      if (end != text.size() && text.compare(end, 2, "::") != 0) return false;
    } else {
      end = text.find("::", position);
      if (end == std::string_view::npos) end = text.size();
    }
    const std::string_view token = text.substr(position, end - position);
    if (token.empty() || tokens.count == kMaxTokens) return false;
    // A colon at either end would merge with the separator ("x:::INSTR").
    if (token.front() == ':' || token.back() == ':') return false;
    tokens.items[tokens.count++] = token;
    if (end == text.size()) return true;
    position = end + 2;
  }
}

struct InterfacePrefix {
  std::string_view keyword;
  InterfaceType type;
};

// Longest first, so that "GPIB-VXI" is not read as "GPIB".
constexpr InterfacePrefix kPrefixes[] = {
    {"GPIB-VXI", InterfaceType::GpibVxi}, {"TCPIP", InterfaceType::Tcpip},
    {"GPIB", InterfaceType::Gpib},        {"ASRL", InterfaceType::Asrl},
    {"USB", InterfaceType::Usb},          {"VXI", InterfaceType::Vxi},
    {"PXI", InterfaceType::Pxi},
};

bool ParseHost(std::string_view token, std::string& host) {
  if (token.front() == '[') {
    if (token.size() < 3 || token.back() != ']') return false;
    token = token.substr(1, token.size() - 2);
    if (token.find_first_of("[]") != std::string_view::npos) return false;
  } else if (token.find_first_of("[]:") != std::string_view::npos) {
    return false;
  }
  for (char c : token) {
    if (IsBlank(c)) return false;
  }
  host = token;
  return true;
}

bool ParseTcpip(const std::string_view* rest, std::size_t count, std::string_view resourceClass,
                ResourceAddress& address) {
  if (count == 0 || !ParseHost(rest[0], address.host)) return false;
  if (EqualsNoCase(resourceClass, "SOCKET")) {
    address.kind = ResourceKind::TcpipSocket;
    return count == 2 && ParseDecimal(rest[1], 0xFFFF, address.port) && address.port != 0;
  }
  if (!resourceClass.empty() && !EqualsNoCase(resourceClass, "INSTR")) return false;
  if (count > 2) return false;
  address.resourceClass = "INSTR";
  const std::string_view name = count == 2 ? rest[1] : std::string_view("inst0");
  if (!StartsWithNoCase(name, "hislip")) {
    address.kind = ResourceKind::TcpipVxi11;
    address.deviceName = name;
    return true;
  }
  address.kind = ResourceKind::TcpipHislip;
  address.port = kHislipDefaultPort;
  const std::size_t comma = name.find(',');
  address.deviceName = name.substr(0, comma);
  for (char c : name.substr(6, comma == std::string_view::npos ? comma : comma - 6)) {
    if (!IsDigit(c)) return false;  // hislip0, hislip1, ...
  }
  if (comma == std::string_view::npos) return true;
  return ParseDecimal(name.substr(comma + 1), 0xFFFF, address.port) && address.port != 0;
}

bool ParseUsb(const std::string_view* rest, std::size_t count, std::string_view resourceClass,
              ResourceAddress& address) {
  if (EqualsNoCase(resourceClass, "RAW")) {
    address.kind = ResourceKind::UsbRaw;
  } else if (resourceClass.empty() || EqualsNoCase(resourceClass, "INSTR")) {
    address.kind = ResourceKind::UsbInstr;
  } else {
    return false;
  }
  if (count != 3 && count != 4) return false;
  if (!ParseUsbId(rest[0], address.vendorId) || !ParseUsbId(rest[1], address.productId)) {
    return false;
  }
  address.serialNumber = rest[2];
  if (count == 4) {
    std::uint16_t number = 0;
    if (!ParseDecimal(rest[3], 0xFF, number)) return false;
    address.usbInterface = number;
  }
  return true;
}

// primary[::secondary]; the limits are those of the bus.
bool ParseAddresses(const std::string_view* rest, std::size_t count, std::uint32_t primaryMax,
                    std::uint32_t secondaryMax, ResourceAddress& address) {
  if (count == 0 || count > (secondaryMax ? 2u : 1u)) return false;
  if (!ParseDecimal(rest[0], primaryMax, address.primaryAddress)) return false;
  if (count == 2) {
    std::uint16_t secondary = 0;
    if (!ParseDecimal(rest[1], secondaryMax, secondary)) return false;
    address.secondaryAddress = secondary;
  }
  return true;
}

bool ParseTokens(const Tokens& tokens, ResourceAddress& address) {
  std::string_view head = tokens.items[0];
  const InterfacePrefix* prefix = nullptr;
  for (const InterfacePrefix& candidate : kPrefixes) {
    if (StartsWithNoCase(head, candidate.keyword)) {
      prefix = &candidate;
      break;
    }
  }
  if (!prefix) return false;
  address.interfaceType = prefix->type;
  head.remove_prefix(prefix->keyword.size());
  if (prefix->type == InterfaceType::Asrl && !head.empty() && head.front() == '/') {
    address.deviceName = head;  // ASRL/dev/ttyUSB0
  } else if (!head.empty() && !ParseDecimal(head, 0xFFFF, address.board)) {
    return false;
  }

  const std::string_view* rest = tokens.items.data() + 1;
  std::size_t count = tokens.count - 1;
  std::string_view resourceClass;
  if (count > 0) {
    const std::string_view last = rest[count - 1];
    for (std::string_view known : {"INSTR", "SOCKET", "RAW", "INTFC"}) {
      if (EqualsNoCase(last, known)) {
        resourceClass = last;
        --count;
        break;
      }
    }
  }
  const bool instrumentClass = resourceClass.empty() || EqualsNoCase(resourceClass, "INSTR");

  bool parsed = false;
  switch (prefix->type) {
    case InterfaceType::Tcpip:
      parsed = ParseTcpip(rest, count, resourceClass, address);
      break;
    case InterfaceType::Usb:
      parsed = ParseUsb(rest, count, resourceClass, address);
      break;
    case InterfaceType::Asrl:
      address.kind = ResourceKind::AsrlInstr;
      parsed = instrumentClass && count == 0;
      break;
    case InterfaceType::Gpib:
      if (EqualsNoCase(resourceClass, "INTFC")) {
        address.kind = ResourceKind::GpibIntfc;
        parsed = count == 0;
      } else {
        address.kind = ResourceKind::GpibInstr;
        parsed = instrumentClass && ParseAddresses(rest, count, 30, 30, address);
      }
      break;
    case InterfaceType::Vxi:
    case InterfaceType::GpibVxi:
      address.kind =
          prefix->type == InterfaceType::Vxi ? ResourceKind::VxiInstr : ResourceKind::GpibVxiInstr;
      parsed = instrumentClass && ParseAddresses(rest, count, 255, 0, address);
      break;
    case InterfaceType::Pxi:
      address.kind = ResourceKind::PxiInstr;
      parsed = instrumentClass && ParseAddresses(rest, count, 31, 7, address);
      break;
  }
  if (!parsed) return false;
  if (address.resourceClass.empty()) {
    switch (address.kind) {
      case ResourceKind::TcpipSocket:
        address.resourceClass = "SOCKET";
        break;
      case ResourceKind::UsbRaw:
        address.resourceClass = "RAW";
        break;
      case ResourceKind::GpibIntfc:
        address.resourceClass = "INTFC";
        break;
      default:
        address.resourceClass = "INSTR";
        break;
    }
  }
  return true;
}

std::string_view KeywordOf(InterfaceType type) {
  for (const InterfacePrefix& prefix : kPrefixes) {
    if (prefix.type == type) return prefix.keyword;
  }
  return {};
}

std::string HostForName(const std::string& host) {
  return host.find(':') == std::string::npos ? host : "[" + host + "]";
}

std::string HexId(std::uint16_t id) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(id));
  return text;
}

}  // namespace

ViStatus ParseResourceString(std::string_view text, ResourceAddress& address) {
  address = ResourceAddress{};
  Tokens tokens;
  if (!Tokenize(TrimBlanks(text), tokens) || !ParseTokens(tokens, address)) {
    return kViErrorInvRsrcName;
  }
  return kViSuccess;
}

std::string CanonicalResourceName(const ResourceAddress& address) {
  std::string name(KeywordOf(address.interfaceType));
  if (address.interfaceType == InterfaceType::Asrl && !address.deviceName.empty()) {
    name += address.deviceName;
  } else {
    name += std::to_string(address.board);
  }
  auto append = [&name](std::string_view part) {
    name += "::";
    name += part;
  };
  switch (address.kind) {
    case ResourceKind::TcpipVxi11:
      append(HostForName(address.host));
      append(address.deviceName);
      break;
    case ResourceKind::TcpipHislip:
      append(HostForName(address.host));
      append(address.port == kHislipDefaultPort
                 ? address.deviceName
                 : address.deviceName + "," + std::to_string(address.port));
      break;
    case ResourceKind::TcpipSocket:
      append(HostForName(address.host));
      append(std::to_string(address.port));
      break;
    case ResourceKind::UsbInstr:
    case ResourceKind::UsbRaw:
      append(HexId(address.vendorId));
      append(HexId(address.productId));
      append(address.serialNumber);
      if (address.usbInterface) append(std::to_string(*address.usbInterface));
      break;
    case ResourceKind::AsrlInstr:
    case ResourceKind::GpibIntfc:
      break;
    case ResourceKind::GpibInstr:
    case ResourceKind::VxiInstr:
    case ResourceKind::GpibVxiInstr:
    case ResourceKind::PxiInstr:
      append(std::to_string(address.primaryAddress));
      if (address.secondaryAddress) append(std::to_string(*address.secondaryAddress));
      break;
  }
  append(address.resourceClass);
  return name;
}

}  // namespace tevra::visa
