#include "visa/ResourceManager.h"

#include "visa/SocketTransport.h"
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

}  // namespace

ResourceManager::ResourceManager() {
  transports_.emplace_back(ResourceKind::TcpipSocket, &SocketTransport::Open);
  transports_.emplace_back(ResourceKind::TcpipVxi11, &Vxi11Transport::Open);
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

ViStatus ResourceManager::Open(std::string_view resource, AccessMode mode,
                               std::uint32_t openTimeoutMs, std::unique_ptr<VisaSession>& session) {
  session.reset();
  if (mode != AccessMode::NoLock && mode != AccessMode::ExclusiveLock) {
    return Fail(kViErrorInvAccMode, resource, {});
  }
  ResourceAddress address;
  if (ParseResourceString(resource, address) != kViSuccess) {
    return Fail(kViErrorInvRsrcName, resource, {});
  }
  const TransportFactory* factory = nullptr;
  for (const auto& [kind, registered] : transports_) {
    if (kind == address.kind) factory = &registered;
  }
  const std::string name = CanonicalResourceName(address);
  if (!factory || !*factory) {
    return Fail(kViErrorRsrcNfound, name,
                "no transport serves " + std::string(KindName(address.kind)) + " resources");
  }
  std::unique_ptr<Transport> transport;
  std::string detail;
  const ViStatus opened = (*factory)(address, openTimeoutMs, transport, detail);
  if (opened < 0) return Fail(opened, name, detail);
  if (!transport) return Fail(kViErrorSystemError, name, "the transport did not open");

  auto opening = std::make_unique<VisaSession>(std::move(address), std::move(transport));
  if (mode == AccessMode::ExclusiveLock) {
    std::string key;
    const ViStatus locked = opening->Lock(AccessMode::ExclusiveLock, openTimeoutMs, {}, key);
    if (locked < 0) return Fail(locked, name, "the resource is locked by another session");
  }
  session = std::move(opening);
  lastStatus_ = kViSuccess;
  lastErrorDescription_.clear();
  return kViSuccess;
}

}  // namespace tevra::visa
