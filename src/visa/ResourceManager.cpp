#include "visa/ResourceManager.h"

#include <algorithm>
#include <cstdlib>

#include "core/TextUtil.h"
#include "visa/HislipTransport.h"
#include "visa/SerialTransport.h"
#include "visa/SocketTransport.h"
#include "visa/SystemVisa.h"
#include "visa/TransportSession.h"
#include "visa/UsbtmcTransport.h"
#include "visa/Vxi11Transport.h"

namespace tevra::visa {
namespace {

std::string_view KindName(ResourceKind kind) {
  switch (kind) {
    case ResourceKind::TcpipVxi11:
      return "VXI-11 (TCPIP INSTR)";
    case ResourceKind::TcpipHislip:
      return "HiSLIP (TCPIP hislip INSTR)";
    case ResourceKind::TcpipSocket:
      return "TCPIP SOCKET";
    case ResourceKind::UsbInstr:
      return "USB INSTR";
    case ResourceKind::UsbRaw:
      return "USB RAW";
    case ResourceKind::AsrlInstr:
      return "ASRL INSTR";
    case ResourceKind::GpibInstr:
      return "GPIB INSTR";
    case ResourceKind::GpibIntfc:
      return "GPIB INTFC";
    case ResourceKind::VxiInstr:
      return "VXI INSTR";
    case ResourceKind::GpibVxiInstr:
      return "GPIB-VXI INSTR";
    case ResourceKind::PxiInstr:
      return "PXI INSTR";
  }
  return "this kind of";
}

// The library for resources no built-in transport serves: the environment's, else the search.
std::string NeededLibrary() {
  const char* named = std::getenv("TEVRA_VISA_LIBRARY");
  return named && *named ? std::string(named) : std::string("default");
}

bool IsNone(std::string_view name) { return core::EqualsNoCase(name, "none"); }

}  // namespace

ResourceManager::ResourceManager() {
  transports_.emplace_back(ResourceKind::TcpipSocket, &SocketTransport::Open);
  transports_.emplace_back(ResourceKind::TcpipVxi11, &Vxi11Transport::Open);
  transports_.emplace_back(ResourceKind::TcpipHislip, &HislipTransport::Open);
  transports_.emplace_back(ResourceKind::AsrlInstr, &SerialTransport::Open);
  transports_.emplace_back(ResourceKind::UsbInstr, &UsbtmcTransport::Open);
}

void ResourceManager::RegisterTransport(ResourceKind kind, TransportFactory factory) {
  for (auto& [registered, existing] : transports_) {
    if (registered == kind) {
      existing = std::move(factory);
      return;
    }
  }
  transports_.emplace_back(kind, std::move(factory));
}

ViStatus ResourceManager::Fail(ViStatus status, std::string_view resource,
                               std::string_view detail) {
  lastStatus_ = status;
  lastErrorDescription_ = DescribeFailure(status, "viOpen " + std::string(resource), detail);
  return status;
}

ViStatus ResourceManager::OpenThroughLibrary(std::string_view library, std::string_view resource,
                                             AccessMode mode, std::uint32_t openTimeoutMs,
                                             std::unique_ptr<VisaSession>& session,
                                             std::string_view why) {
  std::shared_ptr<VisaLibrary> loaded;
  std::string detail;
  ViStatus status = LoadVisaLibrary(library, loaded, detail);
  if (status < 0) {
    // A resource only a library could serve is not found when there is no library.
    if (!why.empty()) status = kViErrorRsrcNfound;
    return Fail(status, resource, std::string(why) + detail);
  }
  status = OpenSystemVisaSession(loaded, resource, mode, openTimeoutMs, session, detail);
  if (status < 0) return Fail(status, resource, detail);
  return status;
}

ViStatus ResourceManager::ApplySerialSettings(const SerialSettings& serial, VisaSession& session,
                                              std::string_view resource) {
  const std::pair<ViAttr, AttributeValue> settings[] = {
      {kViAttrAsrlBaud, serial.baudRate},
      {kViAttrAsrlDataBits, serial.dataBits},
      {kViAttrAsrlParity, static_cast<std::uint16_t>(serial.parity)},
      {kViAttrAsrlStopBits, static_cast<std::uint16_t>(serial.stopBits)},
      {kViAttrAsrlFlowCntrl, static_cast<std::uint16_t>(serial.flowControl)},
  };
  for (const auto& [attribute, value] : settings) {
    const ViStatus status = session.SetAttribute(attribute, value);
    if (status < 0) return Fail(status, resource, session.LastErrorDescription());
  }
  return kViSuccess;
}

ViStatus ResourceManager::Open(std::string_view resource, AccessMode mode,
                               std::uint32_t openTimeoutMs, std::unique_ptr<VisaSession>& session,
                               const OpenOptions& options) {
  session.reset();
  if (mode != AccessMode::NoLock && mode != AccessMode::ExclusiveLock) {
    return Fail(kViErrorInvAccMode, resource, {});
  }
  const std::string& library = options.visaLibrary;
  const bool libraryNamed = !library.empty() && !IsNone(library);
  ResourceAddress address;
  const bool parsed = ParseResourceString(resource, address) == kViSuccess;
  if (!parsed && !libraryNamed) return Fail(kViErrorInvRsrcName, resource, {});

  std::unique_ptr<VisaSession> opening;
  ViStatus status = kViSuccess;
  if (libraryNamed) {
    // A named library serves every resource, as written (it may know aliases of its own).
    status = OpenThroughLibrary(library, resource, mode, openTimeoutMs, opening, {});
    if (status < 0) return status;
  } else {
    const TransportFactory* factory = nullptr;
    for (const auto& [kind, registered] : transports_) {
      if (kind == address.kind) factory = &registered;
    }
    const std::string name = CanonicalResourceName(address);
    if (!factory || !*factory) {
      const std::string why =
          "no transport serves " + std::string(KindName(address.kind)) + " resources";
      if (IsNone(library)) return Fail(kViErrorRsrcNfound, name, why);
      status =
          OpenThroughLibrary(NeededLibrary(), resource, mode, openTimeoutMs, opening, why + "; ");
      if (status < 0) return status;
    } else {
      std::unique_ptr<Transport> transport;
      std::string detail;
      const ViStatus opened = (*factory)(address, openTimeoutMs, transport, detail);
      if (opened < 0) return Fail(opened, name, detail);
      if (!transport) return Fail(kViErrorSystemError, name, "the transport did not open");
      auto own = std::make_unique<TransportSession>(address, std::move(transport));
      if (mode == AccessMode::ExclusiveLock) {
        std::string key;
        const ViStatus locked = own->Lock(AccessMode::ExclusiveLock, openTimeoutMs, {}, key);
        if (locked < 0) return Fail(locked, name, "the resource is locked by another session");
      }
      opening = std::move(own);
    }
  }
  if (parsed && address.interfaceType == InterfaceType::Asrl) {
    status = ApplySerialSettings(options.serial, *opening, resource);
    if (status < 0) return status;
  }
  session = std::move(opening);
  lastStatus_ = kViSuccess;
  lastErrorDescription_.clear();
  return kViSuccess;
}

}  // namespace tevra::visa
