// TCPIP[board]::host::port::SOCKET: a raw TCP connection, IPv4 or IPv6.
//
// The wire has no framing and no END. On this transport:
// - a read ends on the termination character when it is enabled (kViSuccessTermChar), or when
//   the buffer is full (kViSuccessMaxCnt); otherwise it waits, and the timeout ends it with
//   kViErrorTmo and the bytes read so far. Bytes that arrived after the termination character
//   stay buffered for the next read;
// - END on a write is a line feed: it is appended when the data does not already end with one.
//   An empty write sends nothing, not even the line feed;
// - Clear drops the buffered input and drains what the peer has already sent (there is no device
//   clear on the wire);
// - input that arrived before BeginExchange is told apart by the kernel's receive time stamp of
//   each chunk (SO_TIMESTAMPNS), at no cost of its own: the read that would have received it
//   anyway sees its time. Such input is delivered on reads of its own, flagged as stale. Where
//   the kernel gives no time stamps, BeginExchange drains what has arrived instead (one
//   non-blocking receive);
// - the status byte and a trigger exist only with the 488.2-strings protocol (VI_ATTR_IO_PROT),
//   as the "*STB?" query and the "*TRG" command;
// - the peer closing the connection, or the kernel declaring it dead (TCP keepalive), is
//   kViErrorConnLost, for that operation and every later one.
// TCP_NODELAY and TCP keepalive are on from the start (VI_ATTR_TCPIP_NODELAY,
// VI_ATTR_TCPIP_KEEPALIVE turn them off).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#include "visa/Transport.h"

namespace tevra::visa {

class SocketTransport final : public Transport {
 public:
  // Connects to host:port within connectTimeoutMs (kViTmoInfinite: the system's own limit).
  // kViErrorRsrcNfound when the host cannot be resolved or refuses or cannot be reached,
  // kViErrorTmo when the connection is not established in time; detail tells which.
  static ViStatus Connect(const std::string& host, std::uint16_t port,
                          std::uint32_t connectTimeoutMs, std::unique_ptr<SocketTransport>& socket,
                          std::string& detail);
  // The TransportFactory of the SOCKET resource kind.
  static ViStatus Open(const ResourceAddress& address, std::uint32_t openTimeoutMs,
                       std::unique_ptr<Transport>& transport, std::string& detail);

  ~SocketTransport() override;
  SocketTransport(const SocketTransport&) = delete;
  SocketTransport& operator=(const SocketTransport&) = delete;

  ViStatus Write(std::span<const std::uint8_t> data, bool end, const LineSettings& line,
                 std::size_t& written) override;
  ViStatus Read(std::span<std::uint8_t> buffer, const LineSettings& line,
                std::size_t& count) override;
  ViStatus Clear(const LineSettings& line) override;
  ViStatus ReadStatusByte(const LineSettings& line, std::uint16_t& statusByte) override;
  ViStatus AssertTrigger(const LineSettings& line, std::uint16_t protocol) override;
  ViStatus GetAttribute(ViAttr attribute, AttributeValue& value) const override;
  ViStatus SetAttribute(ViAttr attribute, const AttributeValue& value) override;
  void BeginExchange() override;
  bool LastReadWasStale() const override { return lastReadStale_; }
  bool HoldsInput() const override { return bufferEnd_ > bufferStart_; }

  // Bytes received and not yet delivered by a read.
  std::size_t BufferedByteCount() const { return bufferEnd_ - bufferStart_; }

 private:
  using Clock = std::chrono::steady_clock;
  // Received bytes are kept here; a read larger than this receives straight into the caller's
  // buffer.
  static constexpr std::size_t kReceiveBufferSize = 64 * 1024;

  SocketTransport(int descriptor, std::string host, std::string peerAddress, std::uint16_t port);

  // One recv of up to size bytes into destination, waiting at most until the operation's
  // deadline; received > 0 on success. lastChunkStale_ tells whether the bytes arrived before
  // the current exchange began.
  ViStatus ReceiveSome(std::uint8_t* destination, std::size_t size, std::uint32_t timeoutMs,
                       Clock::time_point started, bool firstWait, std::size_t& received);
  ViStatus SendAll(std::span<const std::uint8_t> data, bool appendLineFeed, std::uint32_t timeoutMs,
                   std::size_t& written);
  // Waits for events until the deadline of an operation that began at started.
  ViStatus WaitFor(short events, std::uint32_t timeoutMs, Clock::time_point started);
  // Sets SO_RCVTIMEO or SO_SNDTIMEO when it differs from what the socket has.
  void ApplyTimeout(int option, std::uint32_t timeoutMs, std::uint32_t& applied);
  ViStatus SocketError(int error, const char* operation);
  ViStatus SetBoolOption(int level, int option, bool enabled, bool& stored);

  int descriptor_;
  bool connectionLost_ = false;
  bool noDelay_ = true;
  bool keepAlive_ = true;
  std::string host_;
  std::string peerAddress_;
  std::uint16_t port_;
  std::uint32_t appliedReceiveTimeoutMs_ = kViTmoInfinite;
  std::uint32_t appliedSendTimeoutMs_ = kViTmoInfinite;
  std::unique_ptr<std::uint8_t[]> receiveBuffer_;
  std::size_t bufferStart_ = 0;
  std::size_t bufferEnd_ = 0;
  // Buffered bytes before this index arrived before the current exchange began.
  std::size_t staleEnd_ = 0;
  bool receiveStamps_ = false;  // the socket asked the kernel to stamp each chunk on arrival
  bool stampsSeen_ = false;     // a received chunk carried a stamp
  bool exchangeBegun_ = false;
  timespec exchangeStart_{};  // CLOCK_REALTIME, the clock of the kernel's receive stamps
  bool lastChunkStale_ = false;
  bool lastReadStale_ = false;
};

}  // namespace tevra::visa
