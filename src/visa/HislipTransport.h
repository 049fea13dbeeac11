// TCPIP[board]::host::hislipN[,port][::INSTR]: HiSLIP (IVI-6.1) over two TCP connections, the
// synchronous one for messages, the asynchronous one for device clear, the status byte and locks.
//
// On this transport:
// - a write goes out as Data messages of at most the server's maximum message size, the last
//   one a DataEnd when the write carries END; each takes the next MessageID;
// - a read delivers the payloads of Data/DataEnd messages whose MessageID is the one sent last
//   (or 0xFFFFFFFF); any other is a reply to an earlier message and is dropped unseen, so no
//   read is ever stale. DataEnd ends a read with END; the rest of a payload beyond the buffer or
//   after the termination character is kept for the next read;
// - a read timeout forgets the MessageID it waited for: the late reply is dropped by its id;
// - Clear is the device clear of the protocol and resets the MessageID;
// - an AsyncServiceRequest may arrive on the asynchronous channel between any request there and
//   its response: every operation that reads that channel counts it (while service requests are
//   enabled) and goes on, and WaitServiceRequest takes one counted, or waits on the channel for
//   the next. HiSLIP has no message to switch them on: enabling only starts the count;
// - an Error message from the server is kViErrorIo with its text; a FatalError, a malformed
//   header, or the server closing either connection is kViErrorConnLost, for that operation and
//   every later one (the protocol leaves no way to continue: the session has to be opened again).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "visa/HislipMessage.h"
#include "visa/Transport.h"

namespace tevra::visa {

// One of the two connections: a byte stream with deadlines (time_point::max(): none).
class HislipChannel {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~HislipChannel() = default;
  // Sends all of first, then all of second.
  virtual ViStatus Send(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second,
                        Clock::time_point deadline, std::string& detail) = 0;
  // Receives 1..size bytes.
  virtual ViStatus Receive(std::uint8_t* into, std::size_t size, Clock::time_point deadline,
                           std::size_t& received, std::string& detail) = 0;
};

class HislipTransport final : public Transport {
 public:
  using Clock = std::chrono::steady_clock;
  // What we announce as our maximum message size; Data payloads are received in place, so a
  // longer one from a lenient server is still accepted up to kDataPayloadLimit.
  static constexpr std::uint64_t kReceiveMessageSize = 1 << 20;
  static constexpr std::uint64_t kDataPayloadLimit = std::uint64_t{1} << 32;
  // Payloads of other messages (error texts, lock keys) are buffered and kept this short.
  static constexpr std::uint64_t kControlPayloadLimit = 64 * 1024;

  // The TransportFactory of the HiSLIP resource kind.
  static ViStatus Open(const ResourceAddress& address, std::uint32_t openTimeoutMs,
                       std::unique_ptr<Transport>& transport, std::string& detail);

  HislipTransport(std::unique_ptr<HislipChannel> sync, std::unique_ptr<HislipChannel> async);
  // The opening exchange on both channels; detail names the step that failed.
  ViStatus Initialize(const std::string& subAddress, Clock::time_point deadline,
                      std::string& detail);

  ViStatus Write(std::span<const std::uint8_t> data, bool end, const LineSettings& line,
                 std::size_t& written) override;
  ViStatus Read(std::span<std::uint8_t> buffer, const LineSettings& line,
                std::size_t& count) override;
  ViStatus Clear(const LineSettings& line) override;
  ViStatus ReadStatusByte(const LineSettings& line, std::uint16_t& statusByte) override;
  ViStatus AssertTrigger(const LineSettings& line, std::uint16_t protocol) override;
  ViStatus LockDevice(std::string_view sharedKey, std::uint32_t timeoutMs) override;
  ViStatus UnlockDevice() override;
  ViStatus EnableServiceRequest(bool enable) override;
  ViStatus WaitServiceRequest(std::uint32_t timeoutMs) override;
  bool HoldsInput() const override;
  bool ClearResetsInstrument() const override { return true; }

  std::uint16_t SessionId() const { return sessionId_; }
  std::uint16_t ServerVersion() const { return serverVersion_; }
  std::uint64_t ServerMaximumMessageSize() const { return serverMaximumSize_; }

 private:
  // Received bytes of one channel not yet consumed.
  struct Inbox {
    explicit Inbox(std::size_t capacity) : bytes(new std::uint8_t[capacity]), capacity(capacity) {}
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t capacity;
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t Held() const { return end - start; }
  };

  ViStatus SendMessage(HislipChannel& channel, const hislip::Header& header,
                       std::span<const std::uint8_t> payload, Clock::time_point deadline);
  // Fills inbox until it holds at least size bytes (size <= capacity).
  ViStatus Fill(HislipChannel& channel, Inbox& inbox, std::size_t size, Clock::time_point deadline);
  ViStatus ReceiveHeader(HislipChannel& channel, Inbox& inbox, std::uint64_t limit,
                         Clock::time_point deadline, hislip::Header& header);
  // Reads (into payload_) or skips a payload of length bytes.
  ViStatus ReceivePayload(HislipChannel& channel, Inbox& inbox, std::uint64_t length, bool keep,
                          Clock::time_point deadline);
  // Waits on the asynchronous channel for a message of type wanted; its payload lands in
  // payload_. Other messages there (a late lock response) are passed over; service requests are
  // counted on the way.
  ViStatus AwaitAsync(std::uint8_t wanted, Clock::time_point deadline, hislip::Header& header);
  // An Error or FatalError message (its payload not yet read) as a status.
  ViStatus ServerError(HislipChannel& channel, Inbox& inbox, const hislip::Header& header,
                       Clock::time_point deadline);
  ViStatus Lost(std::string detail);
  ViStatus Failed(ViStatus status, std::string& detail);
  std::uint32_t TakeMessageId();
  static Clock::time_point DeadlineOf(std::uint32_t timeoutMs, Clock::time_point from);

  std::unique_ptr<HislipChannel> sync_;
  std::unique_ptr<HislipChannel> async_;
  Inbox syncInbox_;
  Inbox asyncInbox_;
  std::string payload_;  // the payload of the last control message, reused
  std::string channelDetail_;
  std::uint16_t sessionId_ = 0;
  std::uint16_t serverVersion_ = 0;
  std::uint64_t serverMaximumSize_ = 0;
  std::uint32_t nextMessageId_ = hislip::kFirstMessageId;
  std::uint32_t awaitedMessageId_ = 0;
  bool awaiting_ = false;      // a reply to awaitedMessageId_ is accepted
  bool rmtDelivered_ = false;  // a whole reply was delivered since the last message sent
  // The Data/DataEnd message being read.
  bool inMessage_ = false;
  bool messageEnds_ = false;
  bool delivering_ = false;
  std::uint64_t payloadLeft_ = 0;
  bool lost_ = false;
  std::string lostDetail_;
  bool serviceRequestsEnabled_ = false;
  int pendingServiceRequests_ = 0;  // arrived, not yet taken by WaitServiceRequest
};

}  // namespace tevra::visa
