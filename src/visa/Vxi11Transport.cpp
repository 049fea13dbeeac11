#include "visa/Vxi11Transport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace tevra::visa {
namespace {

constexpr std::uint32_t kCoreProgram = 0x0607AF, kAbortProgram = 0x0607B0, kVersion = 1;
constexpr std::uint32_t kInterruptFamilyTcp = 0;
enum Procedure : std::uint32_t {
  kDeviceAbort = 1,
  kCreateLink = 10,
  kDeviceWrite = 11,
  kDeviceRead = 12,
  kDeviceReadStb = 13,
  kDeviceTrigger = 14,
  kDeviceClear = 15,
  kDeviceLock = 18,
  kDeviceUnlock = 19,
  kDeviceEnableSrq = 20,
  kDestroyLink = 23,
  kCreateIntrChan = 25,
  kDestroyIntrChan = 26,
};
constexpr std::uint32_t kFlagWaitLock = 1, kFlagEnd = 8, kFlagTermCharSet = 128;
constexpr std::uint32_t kReasonChr = 2, kReasonEnd = 4;
constexpr std::uint32_t kErrorIoTimeout = 15;
constexpr std::uint16_t kPortmapperPort = 111;
// The most a single device_read asks for.
constexpr std::uint32_t kReadRequestLimit = 16 * 1024 * 1024;
// How long the calls of open and close may take, and device_abort.
constexpr std::uint32_t kHousekeepingMs = 2000;

// How much longer than io_timeout the socket waits, so that the device's own timeout reply
// comes first: a quarter of the timeout, 25 to 200 ms.
std::uint32_t MarginMs(std::uint32_t timeoutMs) {
  return std::clamp<std::uint32_t>(timeoutMs / 4, 25, 200);
}

rpc::RpcClient::Clock::time_point DeadlineOf(std::uint32_t timeoutMs) {
  if (timeoutMs == kViTmoInfinite) return rpc::RpcClient::Clock::time_point::max();
  return rpc::RpcClient::Clock::now() + std::chrono::milliseconds(timeoutMs + MarginMs(timeoutMs));
}

const char* DeviceErrorText(std::uint32_t error) {
  switch (error) {
    case 1:
      return "syntax error";
    case 3:
      return "device not accessible";
    case 4:
      return "invalid link identifier";
    case 5:
      return "parameter error";
    case 6:
      return "channel not established";
    case 8:
      return "operation not supported";
    case 9:
      return "out of resources";
    case 11:
      return "device locked by another link";
    case 12:
      return "no lock held by this link";
    case 15:
      return "I/O timeout";
    case 17:
      return "I/O error";
    case 21:
      return "invalid address";
    case 23:
      return "abort";
    case 29:
      return "channel already established";
    default:
      return "device error";
  }
}

}  // namespace

std::uint16_t PortmapperPort() {
  if (const char* text = std::getenv("TEVRA_PORTMAPPER_PORT"); text && *text) {
    char* end = nullptr;
    const unsigned long port = std::strtoul(text, &end, 10);
    if (*end == '\0' && port > 0 && port <= 0xFFFF) return static_cast<std::uint16_t>(port);
  }
  return kPortmapperPort;
}

ViStatus Vxi11Transport::Open(const ResourceAddress& address, std::uint32_t openTimeoutMs,
                              std::unique_ptr<Transport>& transport, std::string& detail) {
  const std::string device = address.deviceName.empty() ? "inst0" : address.deviceName;
  const std::string& host = address.host;
  const std::uint32_t callMs = openTimeoutMs == kViTmoInfinite ? kHousekeepingMs : openTimeoutMs;

  // The portmapper: GETPORT(core program, version 1, TCP).
  std::uint16_t corePort = 0;
  {
    rpc::RpcClient portmapper;
    const std::uint16_t port = PortmapperPort();
    std::string why;
    ViStatus status = portmapper.Connect(host, port, openTimeoutMs, why);
    if (status != kViSuccess) {
      detail = "no portmapper on " + host + " (" + why + ")";
      return status == kViErrorTmo ? kViErrorTmo : kViErrorRsrcNfound;
    }
    rpc::XdrWriter w(portmapper.StartCall(rpc::kPortmapperProgram, rpc::kPortmapperVersion,
                                          rpc::kPortmapperGetPort));
    for (std::uint32_t word : {kCoreProgram, kVersion, rpc::kProtocolTcp, 0u}) w.U32(word);
    std::span<const std::uint8_t> results;
    status = portmapper.Call(DeadlineOf(callMs), results, why);
    rpc::XdrReader r(results);
    const std::uint32_t registered = r.U32();
    if (status != kViSuccess || r.Failed() || registered > 0xFFFF) {
      detail = "the portmapper of " + host + " did not answer GETPORT" +
               (why.empty() ? std::string() : " (" + why + ")");
      return kViErrorRsrcNfound;
    }
    if (registered == 0) {
      detail = "no VXI-11 core channel is registered with the portmapper of " + host;
      return kViErrorRsrcNfound;
    }
    corePort = static_cast<std::uint16_t>(registered);
  }

  std::unique_ptr<Vxi11Transport> link(new Vxi11Transport(host, device));
  std::string why;
  if (const ViStatus s = link->core_.Connect(host, corePort, openTimeoutMs, why); s != kViSuccess) {
    detail = "the VXI-11 core channel of " + host + " refused (" + why + ")";
    return kViErrorRsrcNfound;
  }
  rpc::XdrWriter w = link->StartCore(kCreateLink);
  w.U32(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(link.get())));  // clientId
  w.U32(0);                                                                         // lockDevice
  w.U32(0);                                                                         // lock_timeout
  w.String(device);
  rpc::XdrReader r({});
  if (link->FinishCore("create_link", callMs, r) != kViSuccess) {
    detail = "create_link to " + host + " device '" + device + "': " + link->TakeErrorDetail();
    return kViErrorRsrcNfound;
  }
  link->lid_ = r.U32();
  link->abortPort_ = static_cast<std::uint16_t>(r.U32());
  link->maxRecvSize_ = r.U32();
  if (r.Failed()) {
    detail = "create_link to " + host + ": a cut reply";
    return kViErrorRsrcNfound;
  }
  // The server's limit, at least a byte, at most what a read asks for at once.
  link->maxRecvSize_ = std::clamp<std::uint32_t>(link->maxRecvSize_, 1, kReadRequestLimit);
  // Without an abort channel a call that outlasts its time still ends; its reply is dropped.
  link->abort_.Connect(host, link->abortPort_, callMs, why);
  transport = std::move(link);
  return kViSuccess;
}

Vxi11Transport::~Vxi11Transport() {
  if (!core_.Open() || core_.Lost()) return;
  if (interrupt_.Listening()) CloseInterruptChannel();
  StartCore(kDestroyLink);
  rpc::XdrReader r({});
  FinishCore("destroy_link", kHousekeepingMs, r);
}

rpc::XdrWriter Vxi11Transport::StartCore(std::uint32_t procedure) {
  rpc::XdrWriter w(core_.StartCall(kCoreProgram, kVersion, procedure));
  // Every call but these names the link first.
  if (procedure != kCreateLink && procedure != kCreateIntrChan && procedure != kDestroyIntrChan)
    w.U32(lid_);
  return w;
}

ViStatus Vxi11Transport::DeviceError(const char* name, std::uint32_t error) {
  std::string detail = std::string(name) + ": " + DeviceErrorText(error) + " (VXI-11 error " +
                       std::to_string(error) + ")";
  switch (error) {
    case kErrorIoTimeout:
      return Fail(kViErrorTmo, std::move(detail));
    case 8:
      return Fail(kViErrorNsupOper, std::move(detail));
    case 11:
      return Fail(kViErrorRsrcLocked, std::move(detail));
    case 12:
      return Fail(kViErrorSesnNlocked, std::move(detail));
    case 23:
      return Fail(kViErrorAbort, std::move(detail));
    default:
      return Fail(kViErrorIo, std::move(detail));
  }
}

ViStatus Vxi11Transport::FinishCore(const char* name, std::uint32_t timeoutMs,
                                    rpc::XdrReader& results) {
  std::span<const std::uint8_t> bytes;
  std::string why;
  const ViStatus status = core_.Call(DeadlineOf(timeoutMs), bytes, why);
  if (status == kViErrorTmo) {
    Abort();
    return Fail(kViErrorTmo, std::string(name) + ": no reply within " +
                                 std::to_string(timeoutMs + MarginMs(timeoutMs)) +
                                 " ms; the call was aborted");
  }
  if (status != kViSuccess) return Fail(status, std::string(name) + ": " + why);
  results = rpc::XdrReader(bytes);
  const std::uint32_t error = results.U32();
  if (results.Failed()) return Fail(kViErrorIo, std::string(name) + ": a reply without results");
  if (error != 0) return DeviceError(name, error);
  return kViSuccess;
}

void Vxi11Transport::Abort() {
  if (!abort_.Open() || abort_.Lost()) return;
  rpc::XdrWriter w(abort_.StartCall(kAbortProgram, kVersion, kDeviceAbort));
  w.U32(lid_);
  std::span<const std::uint8_t> results;
  std::string why;
  abort_.Call(DeadlineOf(kHousekeepingMs / 4), results, why);
}

ViStatus Vxi11Transport::Write(std::span<const std::uint8_t> data, bool end,
                               const LineSettings& line, std::size_t& written) {
  written = 0;
  const auto started = Clock::now();
  do {
    const std::size_t chunk = std::min<std::size_t>(data.size() - written, maxRecvSize_);
    const bool last = written + chunk == data.size();
    std::uint32_t timeoutMs = line.timeoutMs;
    if (timeoutMs != kViTmoInfinite) {
      const auto spent =
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
      timeoutMs = static_cast<std::uint32_t>(std::max<long long>(0, timeoutMs - spent));
    }
    rpc::XdrWriter w = StartCore(kDeviceWrite);
    w.U32(timeoutMs);  // io_timeout
    w.U32(timeoutMs);  // lock_timeout
    w.U32(last && end ? kFlagEnd : 0);
    w.Opaque(data.subspan(written, chunk));
    rpc::XdrReader r({});
    if (const ViStatus status = FinishCore("device_write", timeoutMs, r); status != kViSuccess)
      return status;
    const std::uint32_t size = r.U32();
    if (r.Failed() || size > chunk) return Fail(kViErrorIo, "device_write: a malformed reply");
    written += size;
  } while (written < data.size());
  return kViSuccess;
}

ViStatus Vxi11Transport::Read(std::span<std::uint8_t> buffer, const LineSettings& line,
                              std::size_t& count) {
  count = 0;
  const auto started = Clock::now();
  for (;;) {
    std::uint32_t timeoutMs = line.timeoutMs;
    if (timeoutMs != kViTmoInfinite) {
      const auto spent =
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
      timeoutMs = static_cast<std::uint32_t>(std::max<long long>(0, timeoutMs - spent));
    }
    const std::size_t wanted = std::min<std::size_t>(buffer.size() - count, kReadRequestLimit);
    rpc::XdrWriter w = StartCore(kDeviceRead);
    w.U32(static_cast<std::uint32_t>(wanted));  // requestSize
    w.U32(timeoutMs);                           // io_timeout
    w.U32(timeoutMs);                           // lock_timeout
    w.U32(line.termCharEnabled ? kFlagTermCharSet : 0);
    w.U32(line.termChar);
    rpc::XdrReader r({});
    if (const ViStatus status = FinishCore("device_read", timeoutMs, r); status != kViSuccess)
      return status;
    const std::uint32_t reason = r.U32();
    const std::span<const std::uint8_t> data = r.Opaque(wanted);
    if (r.Failed()) return Fail(kViErrorIo, "device_read: a malformed reply");
    std::memcpy(buffer.data() + count, data.data(), data.size());
    count += data.size();
    if (reason & kReasonEnd) return kViSuccess;
    if ((reason & kReasonChr) && line.termCharEnabled) return kViSuccessTermChar;
    if (count == buffer.size()) return kViSuccessMaxCnt;
  }
}

ViStatus Vxi11Transport::Clear(const LineSettings& line) {
  rpc::XdrWriter w = StartCore(kDeviceClear);
  for (std::uint32_t word : {0u, line.timeoutMs, line.timeoutMs}) w.U32(word);
  rpc::XdrReader r({});
  return FinishCore("device_clear", line.timeoutMs, r);
}

ViStatus Vxi11Transport::ReadStatusByte(const LineSettings& line, std::uint16_t& statusByte) {
  rpc::XdrWriter w = StartCore(kDeviceReadStb);
  for (std::uint32_t word : {0u, line.timeoutMs, line.timeoutMs}) w.U32(word);
  rpc::XdrReader r({});
  if (const ViStatus status = FinishCore("device_readstb", line.timeoutMs, r); status != kViSuccess)
    return status;
  const std::uint32_t stb = r.U32();
  if (r.Failed()) return Fail(kViErrorIo, "device_readstb: a malformed reply");
  statusByte = static_cast<std::uint16_t>(stb & 0xFF);
  return kViSuccess;
}

ViStatus Vxi11Transport::AssertTrigger(const LineSettings& line, std::uint16_t protocol) {
  if (protocol != kViTrigProtDefault) return kViErrorInvProt;
  rpc::XdrWriter w = StartCore(kDeviceTrigger);
  for (std::uint32_t word : {0u, line.timeoutMs, line.timeoutMs}) w.U32(word);
  rpc::XdrReader r({});
  return FinishCore("device_trigger", line.timeoutMs, r);
}

ViStatus Vxi11Transport::LockDevice(std::string_view sharedKey, std::uint32_t timeoutMs) {
  if (!sharedKey.empty())
    return Fail(kViErrorNsupOper,
                "VXI-11 device locks are exclusive; a shared key is not supported");
  rpc::XdrWriter w = StartCore(kDeviceLock);
  w.U32(kFlagWaitLock);
  w.U32(timeoutMs);
  rpc::XdrReader r({});
  const ViStatus status = FinishCore("device_lock", timeoutMs, r);
  if (status == kViSuccess) lockHeld_ = true;
  return status;
}

ViStatus Vxi11Transport::UnlockDevice() {
  StartCore(kDeviceUnlock);
  rpc::XdrReader r({});
  const ViStatus status = FinishCore("device_unlock", kHousekeepingMs, r);
  if (status == kViSuccess) lockHeld_ = false;
  return status;
}

ViStatus Vxi11Transport::EnableServiceRequest(bool enable) {
  if (!enable) return interrupt_.Listening() ? CloseInterruptChannel() : kViSuccess;
  if (interrupt_.Listening()) return kViSuccess;
  std::uint32_t address = 0;
  std::uint16_t port = 0;
  std::string why;
  if (const ViStatus status = interrupt_.Listen(core_.Descriptor(), address, port, why);
      status != kViSuccess)
    return Fail(status, "create_intr_chan: " + why);
  rpc::XdrWriter channel = StartCore(kCreateIntrChan);
  for (std::uint32_t word :
       {address, std::uint32_t{port}, kVxi11InterruptProgram, kVersion, kInterruptFamilyTcp})
    channel.U32(word);
  rpc::XdrReader r({});
  if (const ViStatus status = FinishCore("create_intr_chan", kHousekeepingMs, r);
      status != kViSuccess) {
    interrupt_.Close();
    return status;
  }
  // The handle comes back with every device_intr_srq: the link id names the link.
  const std::uint8_t handle[4] = {std::uint8_t(lid_ >> 24), std::uint8_t(lid_ >> 16),
                                  std::uint8_t(lid_ >> 8), std::uint8_t(lid_)};
  rpc::XdrWriter enabling = StartCore(kDeviceEnableSrq);
  enabling.U32(1);
  enabling.Opaque(handle);
  if (const ViStatus status = FinishCore("device_enable_srq", kHousekeepingMs, r);
      status != kViSuccess) {
    const std::string detail = TakeErrorDetail();
    DestroyInterruptChannel();
    return Fail(status, detail);
  }
  return kViSuccess;
}

ViStatus Vxi11Transport::DestroyInterruptChannel() {
  StartCore(kDestroyIntrChan);
  rpc::XdrReader r({});
  const ViStatus destroyed = FinishCore("destroy_intr_chan", kHousekeepingMs, r);
  interrupt_.Close();
  return destroyed;
}

ViStatus Vxi11Transport::CloseInterruptChannel() {
  rpc::XdrWriter w = StartCore(kDeviceEnableSrq);
  w.U32(0);
  w.Opaque({});
  rpc::XdrReader r({});
  const ViStatus status = FinishCore("device_enable_srq", kHousekeepingMs, r);
  const std::string detail = TakeErrorDetail();
  const ViStatus destroyed = DestroyInterruptChannel();
  if (status != kViSuccess) return Fail(status, detail);
  return destroyed;
}

ViStatus Vxi11Transport::WaitServiceRequest(std::uint32_t timeoutMs) {
  if (!interrupt_.Listening()) return kViErrorNsupOper;
  std::string why;
  const ViStatus status = interrupt_.Wait(timeoutMs, why);
  return status == kViErrorIo ? Fail(status, why) : status;
}

ViStatus Vxi11Transport::GetAttribute(ViAttr attribute, AttributeValue& value) const {
  switch (attribute) {
    case kViAttrTcpipHostname:
      value = host_;
      return kViSuccess;
    case kViAttrTcpipDeviceName:
      value = device_;
      return kViSuccess;
    default:
      return kViErrorNsupAttr;
  }
}

}  // namespace tevra::visa
