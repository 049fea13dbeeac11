#include "visa/HislipTransport.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace tevra::visa {
namespace {

using hislip::Header;
using Clock = std::chrono::steady_clock;

// Client protocol version 1.0 and our vendor id, as the Initialize parameter carries them.
constexpr std::uint32_t kInitializeParameter = (0x0100u << 16) | ('T' << 8) | 'V';
// A lock response may come this long after the lock's own timeout.
constexpr auto kLockResponseMargin = std::chrono::milliseconds(500);
constexpr std::uint8_t kFatalPoorlyFormedHeader = 1;

int RemainingMs(Clock::time_point deadline) {
  if (deadline == Clock::time_point::max()) return -1;
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count() + 1;
  return static_cast<int>(std::clamp<long long>(left, 0, 0x7FFFFFFF));
}

class SocketChannel final : public HislipChannel {
 public:
  explicit SocketChannel(int descriptor) : descriptor_(descriptor) {}
  ~SocketChannel() override { close(descriptor_); }

  ViStatus Send(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second,
                Clock::time_point deadline, std::string& detail) override {
    std::size_t sent = 0;
    const std::size_t total = first.size() + second.size();
    while (sent < total) {
      iovec pieces[2];
      int count = 0;
      if (sent < first.size()) {
        pieces[count++] = {const_cast<std::uint8_t*>(first.data() + sent), first.size() - sent};
      }
      const std::size_t secondSent = sent > first.size() ? sent - first.size() : 0;
      if (secondSent < second.size()) {
        pieces[count++] = {const_cast<std::uint8_t*>(second.data() + secondSent),
                           second.size() - secondSent};
      }
      msghdr message{};
      message.msg_iov = pieces;
      message.msg_iovlen = static_cast<std::size_t>(count);
      const ssize_t result = sendmsg(descriptor_, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (result >= 0) {
        sent += static_cast<std::size_t>(result);
        continue;
      }
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) return Failure(errno, "send", detail);
      if (ViStatus waited = Wait(POLLOUT, deadline, detail); waited != kViSuccess) return waited;
    }
    return kViSuccess;
  }

  ViStatus Receive(std::uint8_t* into, std::size_t size, Clock::time_point deadline,
                   std::size_t& received, std::string& detail) override {
    for (;;) {
      const ssize_t result = recv(descriptor_, into, size, MSG_DONTWAIT);
      if (result > 0) {
        received = static_cast<std::size_t>(result);
        return kViSuccess;
      }
      if (result == 0) {
        detail = "the instrument closed the connection";
        return kViErrorConnLost;
      }
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) return Failure(errno, "recv", detail);
      if (ViStatus waited = Wait(POLLIN, deadline, detail); waited != kViSuccess) return waited;
    }
  }

 private:
  ViStatus Wait(short events, Clock::time_point deadline, std::string& detail) {
    for (;;) {
      pollfd waiting{descriptor_, events, 0};
      const int ready = poll(&waiting, 1, RemainingMs(deadline));
      if (ready > 0) return kViSuccess;
      if (ready == 0) {
        detail.clear();
        return kViErrorTmo;
      }
      if (errno != EINTR) return Failure(errno, "poll", detail);
    }
  }
  static ViStatus Failure(int error, const char* operation, std::string& detail) {
    detail = ErrnoText(operation, error);
    return error == EIO || error == ENOMEM || error == ENOBUFS ? kViErrorIo : kViErrorConnLost;
  }

  int descriptor_;
};

// A TCP connection to host:port, established before deadline.
ViStatus ConnectTcp(const std::string& host, std::uint16_t port, Clock::time_point deadline,
                    int& descriptorOut, std::string& detail) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* addresses = nullptr;
  const std::string service = std::to_string(port);
  if (const int resolved = getaddrinfo(host.c_str(), service.c_str(), &hints, &addresses)) {
    detail = std::string("cannot resolve the host: ") + gai_strerror(resolved);
    return kViErrorRsrcNfound;
  }
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(addresses, &freeaddrinfo);
  detail = "no address";
  for (const addrinfo* candidate = addresses; candidate; candidate = candidate->ai_next) {
    const int descriptor =
        ::socket(candidate->ai_family, candidate->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                 candidate->ai_protocol);
    if (descriptor < 0) {
      detail = ErrnoText("socket", errno);
      continue;
    }
    int error = 0;
    if (::connect(descriptor, candidate->ai_addr, candidate->ai_addrlen) != 0) {
      error = errno;
      if (error == EINPROGRESS) {
        pollfd waiting{descriptor, POLLOUT, 0};
        int ready;
        do {
          ready = poll(&waiting, 1, RemainingMs(deadline));
        } while (ready < 0 && errno == EINTR);
        socklen_t length = sizeof error;
        if (ready == 0) {
          error = ETIMEDOUT;
        } else if (getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
          error = errno;
        }
      }
    }
    if (error != 0) {
      close(descriptor);
      detail = ErrnoText("connect", error);
      continue;
    }
    const int on = 1;
    setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    setsockopt(descriptor, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    descriptorOut = descriptor;
    return kViSuccess;
  }
  return kViErrorRsrcNfound;
}

std::string FatalErrorText(std::uint8_t code) {
  switch (code) {
    case 0:
      return "unidentified error";
    case 1:
      return "poorly formed message header";
    case 2:
      return "a connection used before both channels were set up";
    case 3:
      return "an invalid initialisation sequence";
    case 4:
      return "the server has reached its maximum number of clients";
    default:
      return "error code " + std::to_string(code);
  }
}

std::string ErrorText(std::uint8_t code) {
  switch (code) {
    case 0:
      return "unidentified error";
    case 1:
      return "unrecognised message type";
    case 2:
      return "unrecognised control code";
    case 3:
      return "unrecognised vendor-defined message";
    case 4:
      return "message too large";
    default:
      return "error code " + std::to_string(code);
  }
}

}  // namespace

ViStatus HislipTransport::Open(const ResourceAddress& address, std::uint32_t openTimeoutMs,
                               std::unique_ptr<Transport>& transport, std::string& detail) {
  const Clock::time_point deadline = DeadlineOf(openTimeoutMs, Clock::now());
  const std::string where = "HiSLIP server " + address.host + ":" + std::to_string(address.port);
  int syncDescriptor = -1;
  int asyncDescriptor = -1;
  if (ConnectTcp(address.host, address.port, deadline, syncDescriptor, detail) != kViSuccess) {
    detail = where + ", synchronous connection: " + detail;
    return kViErrorRsrcNfound;
  }
  auto sync = std::make_unique<SocketChannel>(syncDescriptor);
  if (ConnectTcp(address.host, address.port, deadline, asyncDescriptor, detail) != kViSuccess) {
    detail = where + ", asynchronous connection: " + detail;
    return kViErrorRsrcNfound;
  }
  auto hislip = std::make_unique<HislipTransport>(std::move(sync),
                                                  std::make_unique<SocketChannel>(asyncDescriptor));
  const std::string subAddress = address.deviceName.empty() ? "hislip0" : address.deviceName;
  if (hislip->Initialize(subAddress, deadline, detail) != kViSuccess) {
    detail = where + ", " + detail;
    return kViErrorRsrcNfound;
  }
  transport = std::move(hislip);
  return kViSuccess;
}

HislipTransport::HislipTransport(std::unique_ptr<HislipChannel> sync,
                                 std::unique_ptr<HislipChannel> async)
    : sync_(std::move(sync)), async_(std::move(async)), syncInbox_(64 * 1024), asyncInbox_(4096) {
  payload_.reserve(256);
}

HislipTransport::Clock::time_point HislipTransport::DeadlineOf(std::uint32_t timeoutMs,
                                                               Clock::time_point from) {
  if (timeoutMs == kViTmoInfinite) return Clock::time_point::max();
  return from + std::chrono::milliseconds(timeoutMs);
}

ViStatus HislipTransport::Initialize(const std::string& subAddress, Clock::time_point deadline,
                                     std::string& detail) {
  auto step = [&](const char* name, ViStatus status) {
    detail = std::string(name) + ": " +
             (lastErrorDetail_.empty() ? "no answer in time" : lastErrorDetail_);
    lastErrorDetail_.clear();
    return status;
  };
  Header header{hislip::kInitialize, 0, kInitializeParameter, subAddress.size()};
  ViStatus status = SendMessage(
      *sync_, header, {reinterpret_cast<const std::uint8_t*>(subAddress.data()), subAddress.size()},
      deadline);
  if (status == kViSuccess) {
    status = ReceiveHeader(*sync_, syncInbox_, kControlPayloadLimit, deadline, header);
  }
  if (status == kViSuccess &&
      (header.type == hislip::kFatalError || header.type == hislip::kError)) {
    status = ServerError(*sync_, syncInbox_, header, deadline);
  }
  if (status == kViSuccess && header.type != hislip::kInitializeResponse) {
    status = Fail(kViErrorIo, "the answer is " + hislip::TypeName(header.type));
  }
  if (status == kViSuccess)
    status = ReceivePayload(*sync_, syncInbox_, header.payloadLength, false, deadline);
  if (status != kViSuccess) return step("Initialize", status);
  serverVersion_ = static_cast<std::uint16_t>(header.parameter >> 16);
  sessionId_ = static_cast<std::uint16_t>(header.parameter);

  status = SendMessage(*async_, {hislip::kAsyncInitialize, 0, sessionId_, 0}, {}, deadline);
  if (status == kViSuccess) status = AwaitAsync(hislip::kAsyncInitializeResponse, deadline, header);
  if (status != kViSuccess) return step("AsyncInitialize", status);

  std::uint8_t size[8];
  for (int i = 0; i < 8; ++i)
    size[i] = static_cast<std::uint8_t>(kReceiveMessageSize >> (56 - 8 * i));
  status = SendMessage(*async_, {hislip::kAsyncMaximumMessageSize, 0, 0, 8}, size, deadline);
  if (status == kViSuccess) {
    status = AwaitAsync(hislip::kAsyncMaximumMessageSizeResponse, deadline, header);
  }
  if (status == kViSuccess && payload_.size() != 8) {
    status = Fail(kViErrorIo,
                  "the answer carries " + std::to_string(payload_.size()) + " bytes instead of 8");
  }
  if (status != kViSuccess) return step("AsyncMaximumMessageSize", status);
  serverMaximumSize_ = 0;
  for (char c : payload_)
    serverMaximumSize_ = (serverMaximumSize_ << 8) | static_cast<std::uint8_t>(c);
  if (serverMaximumSize_ == 0) serverMaximumSize_ = 1;
  detail.clear();
  return kViSuccess;
}

ViStatus HislipTransport::Lost(std::string detail) {
  lost_ = true;
  lostDetail_ = detail;
  return Fail(kViErrorConnLost, std::move(detail));
}

ViStatus HislipTransport::Failed(ViStatus status, std::string& detail) {
  if (status == kViErrorConnLost) return Lost(std::move(detail));
  return Fail(status, std::move(detail));
}

ViStatus HislipTransport::SendMessage(HislipChannel& channel, const Header& header,
                                      std::span<const std::uint8_t> payload,
                                      Clock::time_point deadline) {
  std::uint8_t bytes[hislip::kHeaderSize];
  hislip::EncodeHeader(header, bytes);
  const ViStatus status = channel.Send(bytes, payload, deadline, channelDetail_);
  return status == kViSuccess ? status : Failed(status, channelDetail_);
}

ViStatus HislipTransport::Fill(HislipChannel& channel, Inbox& inbox, std::size_t size,
                               Clock::time_point deadline) {
  if (inbox.Held() >= size) return kViSuccess;
  if (inbox.start > 0) {
    std::memmove(inbox.bytes.get(), inbox.bytes.get() + inbox.start, inbox.Held());
    inbox.end -= inbox.start;
    inbox.start = 0;
  }
  while (inbox.end < size) {
    std::size_t received = 0;
    const ViStatus status =
        channel.Receive(inbox.bytes.get() + inbox.end, inbox.capacity - inbox.end, deadline,
                        received, channelDetail_);
    if (status != kViSuccess) return Failed(status, channelDetail_);
    inbox.end += received;
  }
  return kViSuccess;
}

ViStatus HislipTransport::ReceiveHeader(HislipChannel& channel, Inbox& inbox, std::uint64_t limit,
                                        Clock::time_point deadline, Header& header) {
  if (ViStatus status = Fill(channel, inbox, hislip::kHeaderSize, deadline); status != kViSuccess) {
    return status;
  }
  std::string detail;
  const auto decoded = hislip::DecodeHeader({inbox.bytes.get() + inbox.start, hislip::kHeaderSize},
                                            std::max(limit, kDataPayloadLimit), header, detail);
  if (decoded == hislip::DecodeResult::BadPrologue) {
    // The stream cannot be followed further: tell the server, and give the session up.
    std::uint8_t fatal[hislip::kHeaderSize];
    hislip::EncodeHeader({hislip::kFatalError, kFatalPoorlyFormedHeader, 0, 0}, fatal);
    std::string ignored;
    channel.Send(fatal, {}, Clock::now() + std::chrono::milliseconds(10), ignored);
    return Lost(detail);
  }
  const bool data = header.type == hislip::kData || header.type == hislip::kDataEnd;
  const std::uint64_t allowed = data ? kDataPayloadLimit : limit;
  if (header.payloadLength > allowed) {
    hislip::DecodeHeader({inbox.bytes.get() + inbox.start, hislip::kHeaderSize}, allowed, header,
                         detail);
    return Lost(detail);
  }
  inbox.start += hislip::kHeaderSize;
  return kViSuccess;
}

ViStatus HislipTransport::ReceivePayload(HislipChannel& channel, Inbox& inbox, std::uint64_t length,
                                         bool keep, Clock::time_point deadline) {
  payload_.clear();
  while (length > 0) {
    if (inbox.Held() == 0) {
      if (ViStatus status = Fill(channel, inbox, 1, deadline); status != kViSuccess) return status;
    }
    const std::size_t take =
        static_cast<std::size_t>(std::min<std::uint64_t>(length, inbox.Held()));
    if (keep) payload_.append(reinterpret_cast<const char*>(inbox.bytes.get() + inbox.start), take);
    inbox.start += take;
    length -= take;
  }
  return kViSuccess;
}

ViStatus HislipTransport::ServerError(HislipChannel& channel, Inbox& inbox, const Header& header,
                                      Clock::time_point deadline) {
  const ViStatus status = ReceivePayload(channel, inbox, header.payloadLength, true, deadline);
  if (status != kViSuccess) return status;
  std::string text = header.type == hislip::kFatalError ? FatalErrorText(header.control)
                                                        : ErrorText(header.control);
  if (!payload_.empty()) text += " (\"" + payload_ + "\")";
  if (header.type == hislip::kFatalError)
    return Lost("the instrument reported a fatal error: " + text);
  return Fail(kViErrorIo, "the instrument reported an error: " + text);
}

ViStatus HislipTransport::AwaitAsync(std::uint8_t wanted, Clock::time_point deadline,
                                     Header& header) {
  for (;;) {
    ViStatus status = ReceiveHeader(*async_, asyncInbox_, kControlPayloadLimit, deadline, header);
    if (status != kViSuccess) return status;
    if (header.type == hislip::kFatalError || header.type == hislip::kError) {
      return ServerError(*async_, asyncInbox_, header, deadline);
    }
    if (header.type == hislip::kAsyncServiceRequest && serviceRequestsEnabled_)
      ++pendingServiceRequests_;
    status =
        ReceivePayload(*async_, asyncInbox_, header.payloadLength, header.type == wanted, deadline);
    if (status != kViSuccess || header.type == wanted) return status;
  }
}

std::uint32_t HislipTransport::TakeMessageId() {
  const std::uint32_t id = nextMessageId_;
  nextMessageId_ += 2;
  awaitedMessageId_ = id;
  awaiting_ = true;
  return id;
}

ViStatus HislipTransport::Write(std::span<const std::uint8_t> data, bool end,
                                const LineSettings& line, std::size_t& written) {
  written = 0;
  if (lost_) return Fail(kViErrorConnLost, lostDetail_);
  if (data.empty() && !end) return kViSuccess;
  const Clock::time_point deadline = DeadlineOf(line.timeoutMs, Clock::now());
  do {
    const std::size_t size = static_cast<std::size_t>(
        std::min<std::uint64_t>(data.size() - written, serverMaximumSize_));
    const bool last = written + size == data.size();
    const std::uint8_t type = last && end ? hislip::kDataEnd : hislip::kData;
    const Header header{type, static_cast<std::uint8_t>(rmtDelivered_ ? 1 : 0), TakeMessageId(),
                        size};
    rmtDelivered_ = false;
    const ViStatus status = SendMessage(*sync_, header, data.subspan(written, size), deadline);
    if (status != kViSuccess) return status;
    written += size;
  } while (written < data.size());
  return kViSuccess;
}

ViStatus HislipTransport::Read(std::span<std::uint8_t> buffer, const LineSettings& line,
                               std::size_t& count) {
  count = 0;
  if (lost_) return Fail(kViErrorConnLost, lostDetail_);
  const Clock::time_point deadline = DeadlineOf(line.timeoutMs, Clock::now());
  auto failed = [&](ViStatus status) {
    if (status == kViErrorTmo) {
      // The reply may still come: it is dropped by its id, as is the rest of this message.
      awaiting_ = false;
      delivering_ = false;
    }
    return status;
  };
  for (;;) {
    if (!inMessage_) {
      Header header;
      ViStatus status = ReceiveHeader(*sync_, syncInbox_, kControlPayloadLimit, deadline, header);
      if (status != kViSuccess) return failed(status);
      switch (header.type) {
        case hislip::kData:
        case hislip::kDataEnd:
          inMessage_ = true;
          messageEnds_ = header.type == hislip::kDataEnd;
          payloadLeft_ = header.payloadLength;
          delivering_ = awaiting_ && (header.parameter == awaitedMessageId_ ||
                                      header.parameter == hislip::kAnyMessageId);
          break;
        case hislip::kFatalError:
        case hislip::kError:
          status = ServerError(*sync_, syncInbox_, header, deadline);
          return status == kViSuccess ? kViErrorIo : failed(status);
        default:  // Interrupted, vendor messages: nothing a read delivers
          status = ReceivePayload(*sync_, syncInbox_, header.payloadLength, false, deadline);
          if (status != kViSuccess) return failed(status);
          continue;
      }
    }
    while (payloadLeft_ > 0) {
      if (syncInbox_.Held() == 0) {
        const std::size_t room = buffer.size() - count;
        if (delivering_ && room >= syncInbox_.capacity && payloadLeft_ >= syncInbox_.capacity) {
          // A large read: straight into the caller's buffer.
          std::size_t received = 0;
          const std::size_t want =
              static_cast<std::size_t>(std::min<std::uint64_t>(room, payloadLeft_));
          const ViStatus status =
              sync_->Receive(buffer.data() + count, want, deadline, received, channelDetail_);
          if (status != kViSuccess) return failed(Failed(status, channelDetail_));
          const std::uint8_t* from = buffer.data() + count;
          bool termChar = false;
          const std::size_t take = TakeUpToTermChar(from, received, line, termChar);
          if (termChar) {
            // What followed the termination character goes back to the inbox.
            std::memcpy(syncInbox_.bytes.get(), from + take, received - take);
            syncInbox_.start = 0;
            syncInbox_.end = received - take;
          }
          count += take;
          payloadLeft_ -= take;
          if (termChar && !(payloadLeft_ == 0 && messageEnds_)) return kViSuccessTermChar;
          continue;
        }
        if (ViStatus status = Fill(*sync_, syncInbox_, 1, deadline); status != kViSuccess) {
          return failed(status);
        }
      }
      std::size_t take =
          static_cast<std::size_t>(std::min<std::uint64_t>(payloadLeft_, syncInbox_.Held()));
      if (!delivering_) {  // a reply to an earlier message
        syncInbox_.start += take;
        payloadLeft_ -= take;
        continue;
      }
      take = std::min(take, buffer.size() - count);
      if (take == 0) return kViSuccessMaxCnt;
      const std::uint8_t* from = syncInbox_.bytes.get() + syncInbox_.start;
      bool termChar = false;
      take = TakeUpToTermChar(from, take, line, termChar);
      std::memcpy(buffer.data() + count, from, take);
      count += take;
      syncInbox_.start += take;
      payloadLeft_ -= take;
      if (termChar && !(payloadLeft_ == 0 && messageEnds_)) return kViSuccessTermChar;
    }
    inMessage_ = false;
    if (delivering_ && messageEnds_) {
      rmtDelivered_ = true;
      return kViSuccess;
    }
    if (delivering_ && count == buffer.size()) return kViSuccessMaxCnt;
  }
}

bool HislipTransport::HoldsInput() const { return inMessage_ && delivering_; }

ViStatus HislipTransport::Clear(const LineSettings& line) {
  if (lost_) return Fail(kViErrorConnLost, lostDetail_);
  const Clock::time_point deadline = DeadlineOf(line.timeoutMs, Clock::now());
  Header header;
  ViStatus status = SendMessage(*async_, {hislip::kAsyncDeviceClear, 0, 0, 0}, {}, deadline);
  if (status == kViSuccess)
    status = AwaitAsync(hislip::kAsyncDeviceClearAcknowledge, deadline, header);
  if (status != kViSuccess) return status;
  const std::uint8_t features = header.control;
  status = SendMessage(*sync_, {hislip::kDeviceClearComplete, features, 0, 0}, {}, deadline);
  if (status != kViSuccess) return status;
  // Everything the synchronous channel carried before the acknowledge is dropped, the rest of
  // a message being read included.
  if (inMessage_) {
    status = ReceivePayload(*sync_, syncInbox_, payloadLeft_, false, deadline);
    if (status != kViSuccess) return status;
    inMessage_ = false;
  }
  for (;;) {
    status = ReceiveHeader(*sync_, syncInbox_, kControlPayloadLimit, deadline, header);
    if (status != kViSuccess) return status;
    if (header.type == hislip::kFatalError)
      return ServerError(*sync_, syncInbox_, header, deadline);
    status = ReceivePayload(*sync_, syncInbox_, header.payloadLength, false, deadline);
    if (status != kViSuccess) return status;
    if (header.type == hislip::kDeviceClearAcknowledge) break;
  }
  nextMessageId_ = hislip::kFirstMessageId;
  awaiting_ = delivering_ = rmtDelivered_ = false;
  return kViSuccess;
}

ViStatus HislipTransport::ReadStatusByte(const LineSettings& line, std::uint16_t& statusByte) {
  if (lost_) return Fail(kViErrorConnLost, lostDetail_);
  const Clock::time_point deadline = DeadlineOf(line.timeoutMs, Clock::now());
  Header header{hislip::kAsyncStatusQuery, static_cast<std::uint8_t>(rmtDelivered_ ? 1 : 0),
                nextMessageId_ - 2, 0};
  rmtDelivered_ = false;
  ViStatus status = SendMessage(*async_, header, {}, deadline);
  if (status == kViSuccess) status = AwaitAsync(hislip::kAsyncStatusResponse, deadline, header);
  if (status == kViSuccess) statusByte = header.control;
  return status;
}

ViStatus HislipTransport::AssertTrigger(const LineSettings& line, std::uint16_t protocol) {
  if (protocol != kViTrigProtDefault) return kViErrorInvProt;
  if (lost_) return Fail(kViErrorConnLost, lostDetail_);
  const Header header{hislip::kTrigger, static_cast<std::uint8_t>(rmtDelivered_ ? 1 : 0),
                      TakeMessageId(), 0};
  rmtDelivered_ = false;
  return SendMessage(*sync_, header, {}, DeadlineOf(line.timeoutMs, Clock::now()));
}

ViStatus HislipTransport::LockDevice(std::string_view sharedKey, std::uint32_t timeoutMs) {
  if (lost_) return Fail(kViErrorConnLost, lostDetail_);
  const Clock::time_point deadline =
      timeoutMs == kViTmoInfinite ? Clock::time_point::max()
                                  : DeadlineOf(timeoutMs, Clock::now()) + kLockResponseMargin;
  Header header{hislip::kAsyncLock, 1, timeoutMs, sharedKey.size()};
  ViStatus status = SendMessage(
      *async_, header, {reinterpret_cast<const std::uint8_t*>(sharedKey.data()), sharedKey.size()},
      deadline);
  if (status == kViSuccess) status = AwaitAsync(hislip::kAsyncLockResponse, deadline, header);
  if (status != kViSuccess) return status;
  switch (header.control) {
    case 1:
    case 2:
      return kViSuccess;
    case 0:
      return timeoutMs == 0 ? Fail(kViErrorRsrcLocked, "another client holds the lock")
                            : Fail(kViErrorTmo, "another client held the lock for " +
                                                    std::to_string(timeoutMs) + " ms");
    default:
      return Fail(kViErrorIo, "the instrument refused the lock request as an error");
  }
}

ViStatus HislipTransport::UnlockDevice() {
  if (lost_) return Fail(kViErrorConnLost, lostDetail_);
  const Clock::time_point deadline = DeadlineOf(kDefaultTimeoutMs, Clock::now());
  Header header{hislip::kAsyncLock, 0, nextMessageId_ - 2, 0};
  ViStatus status = SendMessage(*async_, header, {}, deadline);
  if (status == kViSuccess) status = AwaitAsync(hislip::kAsyncLockResponse, deadline, header);
  if (status != kViSuccess) return status;
  if (header.control == 1 || header.control == 2) return kViSuccess;
  return Fail(kViErrorSesnNlocked, "the instrument holds no lock of this client");
}

ViStatus HislipTransport::EnableServiceRequest(bool enable) {
  if (lost_) return Fail(kViErrorConnLost, lostDetail_);
  if (enable && !serviceRequestsEnabled_) {
    // Requests that came while they were off are not delivered: what already arrived is passed
    // over before counting starts.
    Header header;
    ViStatus status;
    do {
      status = AwaitAsync(hislip::kAsyncServiceRequest, Clock::now(), header);
    } while (status == kViSuccess);
    TakeErrorDetail();
    if (lost_) return Fail(kViErrorConnLost, lostDetail_);
  }
  serviceRequestsEnabled_ = enable;
  pendingServiceRequests_ = 0;
  return kViSuccess;
}

ViStatus HislipTransport::WaitServiceRequest(std::uint32_t timeoutMs) {
  if (lost_) return Fail(kViErrorConnLost, lostDetail_);
  if (!serviceRequestsEnabled_) return kViErrorNsupOper;
  if (pendingServiceRequests_ == 0) {
    Header header;
    const ViStatus status =
        AwaitAsync(hislip::kAsyncServiceRequest, DeadlineOf(timeoutMs, Clock::now()), header);
    if (status != kViSuccess) return status;
  }
  --pendingServiceRequests_;
  return kViSuccess;
}

}  // namespace tevra::visa
