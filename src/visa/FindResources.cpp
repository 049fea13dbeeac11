#include "visa/FindResources.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>

#include "visa/ResourceString.h"
#include "visa/Sysfs.h"
#include "visa/SystemVisa.h"
#include "visa/Vxi11Transport.h"

namespace tevra::visa {
namespace {

bool IsAlphanumeric(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The ECMAScript pattern of a VISA regular expression; false when it is not one. Characters
// that are special to ECMAScript and not to VISA (. ^ $ { }) match themselves; an attribute
// expression ({VI_ATTR_...==...}) is not supported and makes the expression invalid.
bool Translate(std::string_view expression, std::string& pattern) {
  bool inSet = false;
  for (std::size_t i = 0; i < expression.size(); ++i) {
    const char c = expression[i];
    if (c == '\\') {
      if (++i == expression.size()) return false;
      pattern += '\\';
      pattern += expression[i];
      continue;
    }
    if (inSet) {
      inSet = c != ']';
      pattern += c;
      continue;
    }
    switch (c) {
      case '?':
        pattern += '.';
        break;
      case '*':
      case '+':
      case '|':
      case '(':
      case ')':
        pattern += c;
        break;
      case '[':
        inSet = true;
        pattern += c;
        break;
      case '{':
        return false;
      default:
        if (!IsAlphanumeric(c)) pattern += '\\';
        pattern += c;
    }
  }
  return !inSet;
}

std::optional<std::regex> Compile(std::string_view expression) {
  std::string pattern;
  if (expression.empty() || !Translate(expression, pattern)) return std::nullopt;
  try {
    return std::regex(pattern, std::regex::ECMAScript | std::regex::icase);
  } catch (const std::regex_error&) {
    return std::nullopt;
  }
}

std::string UsbResource(const UsbtmcDevice& device) {
  ResourceAddress address;
  address.kind = ResourceKind::UsbInstr;
  address.interfaceType = InterfaceType::Usb;
  address.resourceClass = "INSTR";
  address.vendorId = static_cast<std::uint16_t>(device.vendorId);
  address.productId = static_cast<std::uint16_t>(device.productId);
  address.serialNumber = device.serial;
  if (device.interfaceNumber != 0)
    address.usbInterface = static_cast<std::uint16_t>(device.interfaceNumber);
  return CanonicalResourceName(address);
}

// "manufacturer product" of a USB device, empty when it names neither.
std::string UsbDescription(const std::string& manufacturer, const std::string& product) {
  if (manufacturer.empty() || product.empty()) return manufacturer + product;
  return manufacturer + " " + product;
}

}  // namespace

FindOptions FindOptions::FromEnvironment() {
  FindOptions options;
  options.roots = UsbtmcRoots::FromEnvironment();
  options.portmapperPort = PortmapperPort();
  if (const char* library = std::getenv("TEVRA_VISA_LIBRARY"); library && *library)
    options.visaLibrary = library;
  return options;
}

bool MatchesResourceExpression(std::string_view expression, std::string_view name, bool& valid) {
  const std::optional<std::regex> compiled = Compile(expression);
  valid = compiled.has_value();
  return valid && std::regex_match(name.begin(), name.end(), *compiled);
}

void FindUsbtmcResources(const UsbtmcRoots& roots, FindResult& result) {
  for (const UsbtmcDevice& device : ListUsbtmcDevices(roots))
    result.found.push_back(
        {UsbResource(device), "usbtmc", UsbDescription(device.manufacturer, device.product)});
}

void FindSerialResources(const UsbtmcRoots& roots, FindResult& result) {
  namespace fs = std::filesystem;
  const fs::path classFolder = fs::path(roots.sysfs) / "class" / "tty";
  std::error_code ec;
  const fs::path top = fs::canonical(roots.sysfs, ec);
  for (const auto& entry : fs::directory_iterator(classFolder, ec)) {
    // Only a tty with hardware behind it has a device; virtual consoles and ptys have none.
    const fs::path device = fs::canonical(entry.path() / "device", ec);
    if (ec) continue;
    // A legacy UART slot with nothing at its address reports the port type 0 (unknown).
    if (fs::exists(entry.path() / "type") && SysfsLine(entry.path() / "type") == "0") continue;
    std::string description;
    for (fs::path up = device; up.has_relative_path() && up != top; up = up.parent_path()) {
      if (fs::exists(up / "idVendor")) {
        description = UsbDescription(SysfsLine(up / "manufacturer"), SysfsLine(up / "product"));
        break;
      }
    }
    // A UART of the serial core says where it sits; other ports name their driver.
    if (description.empty() && fs::exists(entry.path() / "port"))
      description = "UART at " + SysfsLine(entry.path() / "port");
    if (description.empty()) description = fs::canonical(device / "driver", ec).filename().string();
    const std::string name = entry.path().filename().string();
    result.found.push_back(
        {"ASRL" + (fs::path(roots.dev) / name).string() + "::INSTR", "serial", description});
  }
}

std::string LanResource(ResourceKind kind, std::string_view host, std::uint16_t port) {
  ResourceAddress resource;
  resource.kind = kind;
  resource.interfaceType = InterfaceType::Tcpip;
  resource.host = host;
  resource.resourceClass = kind == ResourceKind::TcpipSocket ? "SOCKET" : "INSTR";
  if (kind == ResourceKind::TcpipHislip) resource.deviceName = "hislip0";
  // A VXI-11 core channel's port comes from the host's portmapper, not from the finder.
  if (kind == ResourceKind::TcpipVxi11)
    resource.deviceName = "inst0";
  else
    resource.port = port;
  return CanonicalResourceName(resource);
}

std::string MdnsServiceResource(std::string_view type, std::string_view address,
                                std::uint16_t port) {
  if (type == "_scpi-raw._tcp") return LanResource(ResourceKind::TcpipSocket, address, port);
  if (type == "_hislip._tcp") return LanResource(ResourceKind::TcpipHislip, address, port);
  if (type == "_vxi-11._tcp") return LanResource(ResourceKind::TcpipVxi11, address, port);
  return {};
}

void FindLibraryResources(const FindOptions& options, FindResult& result) {
  std::shared_ptr<VisaLibrary> library;
  std::string detail;
  if (LoadVisaLibrary(options.visaLibrary, library, detail) != kViSuccess) {
    result.notes.push_back("VISA library: " + detail);
    return;
  }
  std::vector<std::string> names;
  const ViStatus status = FindInVisaLibrary(library, "?*", names, detail);
  if (status < 0 && status != kViErrorRsrcNfound) result.notes.push_back("VISA library: " + detail);
  for (std::string& name : names)
    result.found.push_back({std::move(name), "visa", "through " + VisaLibraryName(*library)});
}

ViStatus FindResources(std::string_view expression, const FindOptions& options,
                       FindResult& result) {
  const std::optional<std::regex> compiled = Compile(expression);
  if (!compiled) return kViErrorInvExpr;
  FindResult all;
  if (options.usb) FindUsbtmcResources(options.roots, all);
  if (options.serial) FindSerialResources(options.roots, all);
  if (options.vxi11) FindVxi11Resources(options, all);
  if (options.mdns) FindMdnsResources(options, all);
  if (!options.visaLibrary.empty()) FindLibraryResources(options, all);
  // One instrument may be found twice (announced over mDNS and answering the portmapper): the
  // first source to name it keeps it.
  std::stable_sort(all.found.begin(), all.found.end(),
                   [](const auto& a, const auto& b) { return a.resource < b.resource; });
  const auto repeated =
      std::unique(all.found.begin(), all.found.end(),
                  [](const auto& a, const auto& b) { return a.resource == b.resource; });
  all.found.erase(repeated, all.found.end());
  result.found.clear();
  for (FoundResource& found : all.found) {
    if (std::regex_match(found.resource, *compiled)) result.found.push_back(std::move(found));
  }
  result.notes = std::move(all.notes);
  return result.found.empty() ? kViErrorRsrcNfound : kViSuccess;
}

}  // namespace tevra::visa
