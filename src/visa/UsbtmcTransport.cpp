#include "visa/UsbtmcTransport.h"

#include "visa/Sysfs.h"

#include <fcntl.h>
#include <linux/usb/tmc.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <utility>

namespace tevra::visa {
namespace {

// The driver refuses timeouts below this (EINVAL).
constexpr std::uint32_t kDriverMinTimeoutMs = 100;
// What a new open file of the driver starts with.
constexpr std::uint32_t kDriverInitialTimeoutMs = 5000;

constexpr const char* kUdevRuleHint =
    "add a udev rule such as packaging/99-tevra-usbtmc.rules (SUBSYSTEM==\"usbmisc\", "
    "KERNEL==\"usbtmc[0-9]*\", GROUP=\"plugdev\", MODE=\"0660\") and replug the instrument";

std::string UsbName(unsigned vendor, unsigned product, const std::string& serial) {
  char ids[32];
  std::snprintf(ids, sizeof ids, "0x%04X::0x%04X::", vendor, product);
  return ids + serial;
}

int OpenSystemNode(const char* path, int flags) { return ::open(path, flags); }

}  // namespace

ReadStep DecideReadStep(std::span<const std::uint8_t> chunk, bool endAfterChunk,
                        bool termCharEnabled, std::uint8_t termChar, bool bufferFull) {
  if (termCharEnabled) {
    const auto found = std::find(chunk.begin(), chunk.end(), termChar);
    if (found != chunk.end()) {
      const std::size_t taken = static_cast<std::size_t>(found - chunk.begin()) + 1;
      // END on the termination character itself reports END, as VXI-11 and HiSLIP do.
      const bool end = endAfterChunk && taken == chunk.size();
      return {taken, true, end ? kViSuccess : kViSuccessTermChar};
    }
  }
  if (endAfterChunk) return {chunk.size(), true, kViSuccess};
  if (bufferFull) return {chunk.size(), true, kViSuccessMaxCnt};
  return {chunk.size(), false, kViSuccess};
}

void HeldInput::Hold(std::span<const std::uint8_t> bytes, bool endAfter) {
  bytes_.assign(bytes.begin(), bytes.end());
  start_ = 0;
  end_ = endAfter;
}

bool HeldInput::Deliver(std::span<std::uint8_t> buffer, const LineSettings& line,
                        std::size_t& count, ViStatus& status) {
  if (Empty()) return false;
  const std::size_t available = bytes_.size() - start_;
  const std::size_t copied = std::min(available, buffer.size() - count);
  std::memcpy(buffer.data() + count, bytes_.data() + start_, copied);
  const ReadStep step =
      DecideReadStep(buffer.subspan(count, copied), end_ && copied == available,
                     line.termCharEnabled, line.termChar, count + copied == buffer.size());
  start_ += step.taken;
  count += step.taken;
  if (Empty()) Drop();
  status = step.status;
  return step.done;
}

void HeldInput::Drop() {
  bytes_.clear();  // keeps its capacity for the next tail
  start_ = 0;
}

std::uint32_t DriverTimeoutMs(std::uint32_t timeoutMs) {
  // The driver hands the value on as a signed int of milliseconds.
  if (timeoutMs == kViTmoInfinite) return std::numeric_limits<std::int32_t>::max();
  return std::clamp<std::uint32_t>(timeoutMs, kDriverMinTimeoutMs,
                                   std::numeric_limits<std::int32_t>::max());
}

UsbtmcRoots UsbtmcRoots::FromEnvironment() {
  UsbtmcRoots roots;
  if (const char* sysfs = std::getenv("TEVRA_SYSFS_ROOT"); sysfs && *sysfs) roots.sysfs = sysfs;
  if (const char* dev = std::getenv("TEVRA_DEV_ROOT"); dev && *dev) roots.dev = dev;
  return roots;
}

std::vector<UsbtmcDevice> ListUsbtmcDevices(const UsbtmcRoots& roots) {
  namespace fs = std::filesystem;
  const fs::path classFolder = fs::path(roots.sysfs) / "class" / "usbmisc";
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(classFolder, ec)) {
    std::string name = entry.path().filename().string();
    if (name.starts_with("usbtmc")) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  std::vector<UsbtmcDevice> devices;
  for (const std::string& name : names) {
    // device is the USB interface the driver bound; its parent is the USB device.
    const fs::path interfaceFolder = fs::canonical(classFolder / name / "device", ec);
    if (ec) continue;
    const fs::path usbDevice = interfaceFolder.parent_path();
    devices.push_back(
        {.name = name,
         .node = (fs::path(roots.dev) / name).string(),
         .vendorId = SysfsHex(usbDevice / "idVendor").value_or(0),
         .productId = SysfsHex(usbDevice / "idProduct").value_or(0),
         .serial = SysfsLine(usbDevice / "serial"),
         .interfaceNumber = SysfsHex(interfaceFolder / "bInterfaceNumber").value_or(0),
         .manufacturer = SysfsLine(usbDevice / "manufacturer"),
         .product = SysfsLine(usbDevice / "product")});
  }
  return devices;
}

ViStatus FindUsbtmcNode(const ResourceAddress& address, const UsbtmcRoots& roots, std::string& node,
                        std::string& detail) {
  const std::vector<UsbtmcDevice> devices = ListUsbtmcDevices(roots);
  std::string seen;
  for (const UsbtmcDevice& device : devices) {
    seen += (seen.empty() ? ": " : ", ") + device.name + " " +
            UsbName(device.vendorId, device.productId, device.serial);
    if (address.usbInterface) seen += "::" + std::to_string(device.interfaceNumber);
    if (device.vendorId != address.vendorId || device.productId != address.productId ||
        device.serial != address.serialNumber)
      continue;
    if (address.usbInterface && device.interfaceNumber != *address.usbInterface) continue;
    node = device.node;
    return kViSuccess;
  }
  const std::string classFolder =
      (std::filesystem::path(roots.sysfs) / "class" / "usbmisc").string();
  detail = "no usbtmc device is " +
           UsbName(address.vendorId, address.productId, address.serialNumber) +
           (address.usbInterface ? "::" + std::to_string(*address.usbInterface) : std::string()) +
           "; " + std::to_string(devices.size()) + " usbtmc device" +
           (devices.size() == 1 ? "" : "s") + " seen in " + classFolder +
           (devices.empty() ? " (is the instrument plugged in, and is the usbtmc module loaded?)"
                            : seen);
  return kViErrorRsrcNfound;
}

ViStatus UsbtmcTransport::Open(const ResourceAddress& address, std::uint32_t /*openTimeoutMs*/,
                               std::unique_ptr<Transport>& transport, std::string& detail) {
  std::string node;
  ViStatus status = FindUsbtmcNode(address, UsbtmcRoots::FromEnvironment(), node, detail);
  if (status != kViSuccess) return status;
  std::unique_ptr<UsbtmcTransport> opened;
  status = OpenNode(node, &OpenSystemNode, opened, detail);
  if (status == kViSuccess) transport = std::move(opened);
  return status;
}

ViStatus UsbtmcTransport::OpenNode(const std::string& node, NodeOpener opener,
                                   std::unique_ptr<UsbtmcTransport>& transport,
                                   std::string& detail) {
  const int descriptor = opener(node.c_str(), O_RDWR | O_CLOEXEC);
  if (descriptor < 0) {
    const int error = errno;
    // Not VI_ERROR_RSRC_BUSY: nobody else holds the instrument, this user may not open it, and
    // only a udev rule changes that.
    if (error == EACCES || error == EPERM) {
      detail = "permission denied opening " + node + "; " + kUdevRuleHint;
      return kViErrorNpermission;
    }
    detail = "open " + node + ": " + std::strerror(error);
    if (error == ENOENT || error == ENODEV || error == ENXIO) return kViErrorRsrcNfound;
    return error == EBUSY ? kViErrorRsrcBusy : kViErrorIo;
  }
  transport.reset(new UsbtmcTransport(descriptor, node));
  // With auto-abort the driver itself aborts a bulk transfer that failed or timed out (Linux
  // 4.20 and later); older drivers are sent the abort by hand.
  const std::uint8_t on = 1;
  transport->autoAbort_ = ioctl(descriptor, USBTMC_IOCTL_AUTO_ABORT, &on) == 0;
  detail.clear();
  return kViSuccess;
}

UsbtmcTransport::UsbtmcTransport(int descriptor, std::string node)
    : descriptor_(descriptor), node_(std::move(node)), appliedTimeoutMs_(kDriverInitialTimeoutMs) {}

UsbtmcTransport::~UsbtmcTransport() { close(descriptor_); }

ViStatus UsbtmcTransport::DriverError(int error, const char* operation) {
  const std::string text = std::string(operation) + " " + node_ + ": " + std::strerror(error);
  switch (error) {
    case ENODEV:
    case ESHUTDOWN:
      lost_ = true;
      return Fail(kViErrorConnLost, text + " (the instrument was unplugged)");
    case ETIMEDOUT:
      return Fail(kViErrorTmo, text);
    case ENOTTY:
      return Fail(kViErrorNsupOper, text);
    default:
      return Fail(kViErrorIo, text);
  }
}

ViStatus UsbtmcTransport::ApplyTimeout(std::uint32_t timeoutMs) {
  std::uint32_t driverMs = DriverTimeoutMs(timeoutMs);
  if (driverMs == appliedTimeoutMs_) return kViSuccess;
  if (ioctl(descriptor_, USBTMC_IOCTL_SET_TIMEOUT, &driverMs) != 0)
    return DriverError(errno, "set timeout on");
  appliedTimeoutMs_ = driverMs;
  return kViSuccess;
}

ViStatus UsbtmcTransport::ApplyTermChar(const LineSettings& line) {
  if (deviceTermCharTried_ && !deviceTermChar_) return kViSuccess;  // reads scan for it
  if (line.termCharEnabled == configuredTermCharEnabled_ &&
      (!line.termCharEnabled || line.termChar == configuredTermChar_))
    return kViSuccess;
  usbtmc_termchar setting{line.termChar, static_cast<std::uint8_t>(line.termCharEnabled)};
  const bool taken = ioctl(descriptor_, USBTMC_IOCTL_CONFIG_TERMCHAR, &setting) == 0;
  const int error = errno;
  deviceTermCharTried_ = true;
  if (!taken) {
    // EINVAL: the device does not advertise TermChar; reads find the character themselves.
    if (error != EINVAL && error != ENOTTY)
      return DriverError(error, "set termination character on");
    deviceTermChar_ = false;
    return kViSuccess;
  }
  deviceTermChar_ = true;
  configuredTermChar_ = line.termChar;
  configuredTermCharEnabled_ = line.termCharEnabled;
  return kViSuccess;
}

bool UsbtmcTransport::LastTransferHadEnd(std::size_t received, std::size_t asked) {
  if (endQuery_) {
    std::uint8_t attributes = 0;
    if (ioctl(descriptor_, USBTMC_IOCTL_MSG_IN_ATTR, &attributes) == 0) return attributes & 1;
    endQuery_ = false;
  }
  return received < asked;
}

ViStatus UsbtmcTransport::Read(std::span<std::uint8_t> buffer, const LineSettings& line,
                               std::size_t& count) {
  using Clock = std::chrono::steady_clock;
  count = 0;
  if (lost_) return Fail(kViErrorConnLost, node_ + ": the instrument was unplugged");
  if (buffer.empty()) return kViSuccessMaxCnt;
  ViStatus status = kViSuccess;
  if (held_.Deliver(buffer, line, count, status)) return status;
  if ((status = ApplyTermChar(line)) != kViSuccess) return status;

  const auto started = Clock::now();
  for (bool first = true;; first = false) {
    // Each transfer waits only for what is left of the operation's time.
    std::uint32_t timeoutMs = line.timeoutMs;
    if (!first && timeoutMs != kViTmoInfinite) {
      const auto spent =
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
      if (spent >= timeoutMs)
        return Fail(kViErrorTmo, "read " + node_ + ": the message did not end within " +
                                     std::to_string(timeoutMs) + " ms");
      timeoutMs -= static_cast<std::uint32_t>(spent);
    }
    if ((status = ApplyTimeout(timeoutMs)) != kViSuccess) return status;
    const std::size_t asked = buffer.size() - count;
    const ssize_t received = ::read(descriptor_, buffer.data() + count, asked);
    if (received < 0) {
      const int error = errno;
      if (error == EINTR) continue;
      if (error == ETIMEDOUT) {
        if (!autoAbort_) ioctl(descriptor_, USBTMC_IOCTL_ABORT_BULK_IN);
        return Fail(kViErrorTmo, "read " + node_ + ": no reply within " +
                                     std::to_string(appliedTimeoutMs_) + " ms");
      }
      return DriverError(error, "read");
    }
    const auto got = static_cast<std::size_t>(received);
    const bool end = LastTransferHadEnd(got, asked);
    const ReadStep step = DecideReadStep(buffer.subspan(count, got), end, line.termCharEnabled,
                                         line.termChar, count + got == buffer.size());
    if (step.taken < got) held_.Hold(buffer.subspan(count + step.taken, got - step.taken), end);
    count += step.taken;
    if (step.done) return step.status;
  }
}

ViStatus UsbtmcTransport::Write(std::span<const std::uint8_t> data, bool end,
                                const LineSettings& line, std::size_t& written) {
  written = 0;
  if (lost_) return Fail(kViErrorConnLost, node_ + ": the instrument was unplugged");
  if (data.empty()) return kViSuccess;
  if (const ViStatus status = ApplyTimeout(line.timeoutMs); status != kViSuccess) return status;
  if (end != eomEnabled_) {
    const std::uint8_t eom = end ? 1 : 0;
    if (ioctl(descriptor_, USBTMC_IOCTL_EOM_ENABLE, &eom) != 0)
      return DriverError(errno, "set EOM on");
    eomEnabled_ = end;
  }
  // The driver splits one write() into transfers itself and marks only the last with EOM.
  while (written < data.size()) {
    const ssize_t sent = ::write(descriptor_, data.data() + written, data.size() - written);
    if (sent < 0) {
      const int error = errno;
      if (error == EINTR) continue;
      if (error == ETIMEDOUT) {
        if (!autoAbort_) ioctl(descriptor_, USBTMC_IOCTL_ABORT_BULK_OUT);
        return Fail(kViErrorTmo, "write " + node_ + ": the instrument took no data within " +
                                     std::to_string(appliedTimeoutMs_) + " ms");
      }
      return DriverError(error, "write");
    }
    if (sent == 0) return Fail(kViErrorIo, "write " + node_ + ": the driver took no bytes");
    written += static_cast<std::size_t>(sent);
  }
  return kViSuccess;
}

ViStatus UsbtmcTransport::Clear(const LineSettings& /*line*/) {
  if (lost_) return Fail(kViErrorConnLost, node_ + ": the instrument was unplugged");
  held_.Drop();
  if (ioctl(descriptor_, USBTMC_IOCTL_CLEAR) != 0) return DriverError(errno, "clear");
  return kViSuccess;
}

ViStatus UsbtmcTransport::ReadStatusByte(const LineSettings& line, std::uint16_t& statusByte) {
  if (lost_) return Fail(kViErrorConnLost, node_ + ": the instrument was unplugged");
  if (const ViStatus status = ApplyTimeout(line.timeoutMs); status != kViSuccess) return status;
  unsigned char value = 0;
  if (ioctl(descriptor_, USBTMC488_IOCTL_READ_STB, &value) != 0)
    return DriverError(errno, "read status byte of");
  statusByte = value;
  return kViSuccess;
}

ViStatus UsbtmcTransport::AssertTrigger(const LineSettings& line, std::uint16_t protocol) {
  if (protocol != kViTrigProtDefault) return kViErrorInvProt;
  if (lost_) return Fail(kViErrorConnLost, node_ + ": the instrument was unplugged");
  if (const ViStatus status = ApplyTimeout(line.timeoutMs); status != kViSuccess) return status;
  if (ioctl(descriptor_, USBTMC488_IOCTL_TRIGGER) != 0) return DriverError(errno, "trigger");
  return kViSuccess;
}

}  // namespace tevra::visa
