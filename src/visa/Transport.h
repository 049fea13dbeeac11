// The byte pipe between a VISA session and one instrument: write bytes (with or without END),
// read bytes up to a count and tell how the read ended, and the few optional operations a bus may
// offer. A transport knows the wire; the session above it owns the attributes, locks and error
// descriptions.
//
// How a read ends, as its completion code:
//   kViSuccess          the message ended with END (a VXI-11/HiSLIP/USBTMC message flag; a raw
//                       socket or a serial line has no END)
//   kViSuccessTermChar  the termination character was read (termination character enabled)
//   kViSuccessMaxCnt    the buffer filled before either; the message goes on
// An error (kViErrorTmo, kViErrorConnLost, kViErrorIo) may come with bytes already read; count
// tells how many.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "visa/ResourceString.h"
#include "visa/VisaTypes.h"

namespace tevra::visa {

// The session's line settings, handed to every transfer so that a transport never holds a stale
// copy.
struct LineSettings {
  std::uint32_t timeoutMs = kDefaultTimeoutMs;  // kViTmoInfinite: no limit
  std::uint8_t termChar = '\n';
  bool termCharEnabled = false;
  bool sendEndEnabled = true;
  bool suppressEndEnabled = false;
  IoProtocol protocol = IoProtocol::Normal;
};

// How many of the size bytes at from a read takes: up to and including the first termination
// character when the line ends reads on one (termChar then true), else all of them.
inline std::size_t TakeUpToTermChar(const std::uint8_t* from, std::size_t size,
                                    const LineSettings& line, bool& termChar) {
  termChar = false;
  if (!line.termCharEnabled) return size;
  const void* found = std::memchr(from, line.termChar, size);
  if (!found) return size;
  termChar = true;
  return static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - from) + 1;
}

// A stream transport's read of what it has buffered (held[start..end), the bytes before staleEnd
// having arrived before the exchange began): moves them into buffer[count...] up to and including
// a termination character, stale bytes on a read of their own. True when that ends the read, with
// its status; stale tells whether the bytes delivered were stale. Nothing buffered changes nothing.
inline bool DeliverHeld(const std::uint8_t* held, std::size_t& start, std::size_t end,
                        std::size_t staleEnd, std::span<std::uint8_t> buffer, std::size_t& count,
                        const LineSettings& line, bool& stale, ViStatus& status) {
  if (end == start) return false;
  stale = count == 0 && start < staleEnd;
  std::size_t take = std::min(stale ? staleEnd - start : end - start, buffer.size() - count);
  bool endsOnTermChar = false;
  take = TakeUpToTermChar(held + start, take, line, endsOnTermChar);
  std::memcpy(buffer.data() + count, held + start, take);
  start += take;
  count += take;
  status = endsOnTermChar ? kViSuccessTermChar : kViSuccessMaxCnt;
  return endsOnTermChar || stale;  // a stale message goes on in what follows
}

// A stream transport's collection of what arrived before an exchange (for a line without
// arrival stamps): the held bytes move to the front of held, then what readSome(into, room)
// takes without waiting (a count, or <= 0 for nothing more or a failure the next read reports)
// is appended until held is full; all of it is stale (staleEnd).
template <class ReadSome>
void CollectHeld(std::uint8_t* held, std::size_t capacity, std::size_t& start, std::size_t& end,
                 std::size_t& staleEnd, ReadSome readSome) {
  if (start > 0) {
    std::memmove(held, held + start, end - start);
    end -= start;
    start = 0;
  }
  while (end < capacity) {
    const auto taken = readSome(held + end, capacity - end);
    if (taken <= 0) break;
    end += static_cast<std::size_t>(taken);
  }
  staleEnd = end;
}

class Transport {
 public:
  virtual ~Transport() = default;

  // Writes all of data unless an error stops it; written receives the bytes sent. With end the
  // last byte carries END (how depends on the bus).
  virtual ViStatus Write(std::span<const std::uint8_t> data, bool end, const LineSettings& line,
                         std::size_t& written) = 0;
  // Reads at most buffer.size() bytes; see the completion codes above.
  virtual ViStatus Read(std::span<std::uint8_t> buffer, const LineSettings& line,
                        std::size_t& count) = 0;

  // Optional operations: the defaults here are the one place that answers kViErrorNsupOper.
  virtual ViStatus Clear(const LineSettings& line);
  virtual ViStatus ReadStatusByte(const LineSettings& line, std::uint16_t& statusByte);
  virtual ViStatus AssertTrigger(const LineSettings& line, std::uint16_t protocol);
  // A lock held by the instrument itself, against other hosts (VXI-11 device_lock, HiSLIP
  // AsyncLock): exclusive when sharedKey is empty, else shared under that key; waits at most
  // timeoutMs for another holder to release it.
  virtual ViStatus LockDevice(std::string_view sharedKey, std::uint32_t timeoutMs);
  virtual ViStatus UnlockDevice();
  // Service requests: switching their delivery on or off, and waiting at most timeoutMs for the
  // next one (kViErrorTmo when none came).
  virtual ViStatus EnableServiceRequest(bool enable);
  virtual ViStatus WaitServiceRequest(std::uint32_t timeoutMs);

  // Keeping replies matched to the queries that asked for them. A session calls BeginExchange
  // just before it writes a new message: input received before that moment cannot be the reply
  // to it. A transport that can tell such input apart delivers it on reads of its own, never
  // together with later input, and says so through LastReadWasStale.
  virtual void BeginExchange() {}
  virtual bool LastReadWasStale() const { return false; }
  // Whether input is held that the last read did not deliver (bytes that came after the end of
  // the message it read).
  virtual bool HoldsInput() const { return false; }
  // Whether Clear is a device clear that empties the instrument's own input and output queues
  // (VXI-11, HiSLIP, USBTMC), rather than only what the host has received (a raw socket).
  virtual bool ClearResetsInstrument() const { return false; }

  // A transport-specific attribute (VI_ATTR_TCPIP_...): kViErrorNsupAttr when it has none.
  virtual ViStatus GetAttribute(ViAttr attribute, AttributeValue& value) const;
  virtual ViStatus SetAttribute(ViAttr attribute, const AttributeValue& value);

  // What the operating system said about the last failure ("connect: Connection refused"),
  // empty when there is nothing to add to its status; taking it clears it.
  std::string TakeErrorDetail() { return std::exchange(lastErrorDetail_, {}); }

 protected:
  ViStatus Fail(ViStatus status, std::string detail);
  // The status byte and a trigger of a line without such messages of its own: with the
  // 488.2-strings protocol (VI_ATTR_IO_PROT) they are the "*STB?" query and the "*TRG" command,
  // else they are not supported.
  ViStatus ReadStatusByteAsString(const LineSettings& line, std::uint16_t& statusByte);
  ViStatus AssertTriggerAsString(const LineSettings& line, std::uint16_t protocol);

  std::string lastErrorDetail_;
};

// Milliseconds left of timeoutMs since started, for poll(); -1 waits without limit.
int RemainingMs(std::uint32_t timeoutMs, std::chrono::steady_clock::time_point started);
// "operation: <the system's text for error>".
std::string ErrnoText(const char* operation, int error);

// Opens a transport for a parsed resource; detail receives the reason of a failure.
using TransportFactory =
    std::function<ViStatus(const ResourceAddress& address, std::uint32_t openTimeoutMs,
                           std::unique_ptr<Transport>& transport, std::string& detail)>;

}  // namespace tevra::visa
