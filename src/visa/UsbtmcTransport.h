// USB[board]::vid::pid::serial[::interface][::INSTR]: a USBTMC instrument through the Linux
// usbtmc driver, as its /dev/usbtmcN node.
//
// Open finds the node from sysfs: each <sysfs>/class/usbmisc/usbtmcN/device is the instrument's
// USB interface; its parent USB device holds idVendor, idProduct and serial, and the interface
// its bInterfaceNumber (compared only when the resource names an interface). The sysfs root is
// /sys and the node folder /dev unless the environment variables TEVRA_SYSFS_ROOT and
// TEVRA_DEV_ROOT name others (read at each open). On this transport:
// - one read() is one bulk-IN transfer; a read repeats it until the driver reports EOM for the
//   last transfer (kViSuccess), the termination character arrives when it is enabled
//   (kViSuccessTermChar) or the buffer is full (kViSuccessMaxCnt). With the termination
//   character enabled the device is asked to end its transfers on it when it can; bytes that
//   came after it in the same transfer are held for the next read;
// - a write is one write() with EOM on the last transfer when END is asked;
// - the session timeout is the driver's (at least 100 ms, the least it accepts). After a read
//   or write timeout the driver aborts the bulk transfer (its auto-abort, or an explicit abort
//   where the driver has none), so the next call starts clean;
// - Clear is the USBTMC device clear, ReadStatusByte the USB488 READ_STATUS_BYTE request and
//   AssertTrigger the USB488 TRIGGER message;
// - the instrument unplugged is kViErrorConnLost, for that operation and every later one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "visa/Transport.h"

namespace tevra::visa {

// How much of a chunk of received bytes belongs to the read under way, and whether it ends it.
struct ReadStep {
  std::size_t taken = 0;  // bytes of the chunk the read keeps; the rest is held for the next read
  bool done = false;
  ViStatus status = kViSuccess;  // the completion code when done
};

// Decides a read's step over chunk, the bytes just placed at the end of the caller's buffer;
// endAfterChunk tells whether END came with the chunk's last byte, bufferFull whether the chunk
// filled the buffer.
ReadStep DecideReadStep(std::span<const std::uint8_t> chunk, bool endAfterChunk,
                        bool termCharEnabled, std::uint8_t termChar, bool bufferFull);

// Bytes of a transfer that came after the termination character, for the reads that follow.
class HeldInput {
 public:
  // Holds bytes; endAfter tells whether END came with the last of them.
  void Hold(std::span<const std::uint8_t> bytes, bool endAfter);
  // Moves held bytes into buffer[count...] as a read would take them from the bus; true when
  // they end the read, with its completion code in status.
  bool Deliver(std::span<std::uint8_t> buffer, const LineSettings& line, std::size_t& count,
               ViStatus& status);
  bool Empty() const { return start_ >= bytes_.size(); }
  void Drop();

 private:
  std::vector<std::uint8_t> bytes_;  // bytes_[start_...] are not yet delivered
  std::size_t start_ = 0;
  bool end_ = false;
};

// The kernel's timeout for a session timeout: at least the driver's least, a day for none.
std::uint32_t DriverTimeoutMs(std::uint32_t timeoutMs);

// Where a usbtmc device node is looked for.
struct UsbtmcRoots {
  std::string sysfs = "/sys";
  std::string dev = "/dev";
  static UsbtmcRoots FromEnvironment();
};

// A usbtmc device node as sysfs describes it.
struct UsbtmcDevice {
  std::string name;  // "usbtmc0"
  std::string node;  // its path below the node folder
  unsigned vendorId = 0;
  unsigned productId = 0;
  std::string serial;
  unsigned interfaceNumber = 0;
  std::string manufacturer;  // the USB device's strings, empty when it has none
  std::string product;
};

// Every usbtmc node sysfs shows, in name order.
std::vector<UsbtmcDevice> ListUsbtmcDevices(const UsbtmcRoots& roots);

// The /dev/usbtmcN node of the instrument the address names; kViErrorRsrcNfound with detail
// naming what was looked for and what was seen when none matches.
ViStatus FindUsbtmcNode(const ResourceAddress& address, const UsbtmcRoots& roots, std::string& node,
                        std::string& detail);

class UsbtmcTransport final : public Transport {
 public:
  // Opens a node like open(2) does: a descriptor, or -1 with errno set.
  using NodeOpener = int (*)(const char* path, int flags);

  // The TransportFactory of the USB INSTR resource kind.
  static ViStatus Open(const ResourceAddress& address, std::uint32_t openTimeoutMs,
                       std::unique_ptr<Transport>& transport, std::string& detail);
  // Opens node with opener. kViErrorNpermission when access is denied (detail names the udev
  // rule that grants it), kViErrorRsrcNfound when the node is missing, kViErrorRsrcBusy on
  // EBUSY, kViErrorIo otherwise.
  static ViStatus OpenNode(const std::string& node, NodeOpener opener,
                           std::unique_ptr<UsbtmcTransport>& transport, std::string& detail);

  ~UsbtmcTransport() override;
  UsbtmcTransport(const UsbtmcTransport&) = delete;
  UsbtmcTransport& operator=(const UsbtmcTransport&) = delete;

  ViStatus Write(std::span<const std::uint8_t> data, bool end, const LineSettings& line,
                 std::size_t& written) override;
  ViStatus Read(std::span<std::uint8_t> buffer, const LineSettings& line,
                std::size_t& count) override;
  ViStatus Clear(const LineSettings& line) override;
  ViStatus ReadStatusByte(const LineSettings& line, std::uint16_t& statusByte) override;
  ViStatus AssertTrigger(const LineSettings& line, std::uint16_t protocol) override;
  bool ClearResetsInstrument() const override { return true; }
  bool HoldsInput() const override { return !held_.Empty(); }

 private:
  UsbtmcTransport(int descriptor, std::string node);

  ViStatus ApplyTimeout(std::uint32_t timeoutMs);
  ViStatus ApplyTermChar(const LineSettings& line);
  // Whether the driver said the last read() ended with EOM; without the query (older drivers
  // read up to EOM themselves) a transfer shorter than asked for ended the message.
  bool LastTransferHadEnd(std::size_t received, std::size_t asked);
  ViStatus DriverError(int error, const char* operation);

  int descriptor_;
  std::string node_;
  bool lost_ = false;
  bool autoAbort_ = false;
  bool endQuery_ = true;                   // the driver answers MSG_IN_ATTR
  bool eomEnabled_ = true;                 // a new open file sends EOM
  std::uint32_t appliedTimeoutMs_ = 5000;  // a new open file's
  bool deviceTermCharTried_ = false;  // CONFIG_TERMCHAR was tried; deviceTermChar_ says if taken
  bool deviceTermChar_ = false;
  std::uint8_t configuredTermChar_ = '\n';
  bool configuredTermCharEnabled_ = false;
  HeldInput held_;
};

}  // namespace tevra::visa
