#include "visa/SocketTransport.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <utility>

namespace tevra::visa {
namespace {

// Keepalive probes start after this idle time and declare the link dead after about a minute
// more; idle links are otherwise dropped silently by middleboxes.
constexpr int kKeepAliveIdleSeconds = 30;
constexpr int kKeepAliveIntervalSeconds = 10;
constexpr int kKeepAliveProbeCount = 6;

bool IsConnectionLoss(int error) {
  switch (error) {
    case ECONNRESET:
    case EPIPE:
    case ENOTCONN:
    case ETIMEDOUT:  // keepalive gave up
    case EHOSTUNREACH:
    case ENETUNREACH:
    case ECONNABORTED:
      return true;
    default:
      return false;
  }
}

void SetNonBlocking(int descriptor, bool nonBlocking) {
  const int flags = fcntl(descriptor, F_GETFL);
  fcntl(descriptor, F_SETFL, nonBlocking ? flags | O_NONBLOCK : flags & ~O_NONBLOCK);
}

// The kernel's receive stamp of a chunk; false when the chunk came without one.
bool ReceiveStamp(msghdr& message, timespec& stamp) {
  for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
    if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_TIMESTAMPNS) continue;
    std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
    return true;
  }
  return false;
}

bool Before(const timespec& stamp, const timespec& moment) {
  return stamp.tv_sec < moment.tv_sec ||
         (stamp.tv_sec == moment.tv_sec && stamp.tv_nsec < moment.tv_nsec);
}

std::string NumericAddress(const sockaddr* address, socklen_t length) {
  char text[NI_MAXHOST] = {};
  if (getnameinfo(address, length, text, sizeof text, nullptr, 0, NI_NUMERICHOST) != 0) return {};
  return text;
}

}  // namespace

ViStatus SocketTransport::Connect(const std::string& host, std::uint16_t port,
                                  std::uint32_t connectTimeoutMs,
                                  std::unique_ptr<SocketTransport>& socket, std::string& detail) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* addresses = nullptr;
  const std::string service = std::to_string(port);
  const int resolved = getaddrinfo(host.c_str(), service.c_str(), &hints, &addresses);
  if (resolved != 0) {
    detail = "cannot resolve host '" + host + "': " + gai_strerror(resolved);
    return kViErrorRsrcNfound;
  }
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(addresses, &freeaddrinfo);

  const auto started = Clock::now();
  ViStatus status = kViErrorRsrcNfound;
  for (const addrinfo* candidate = addresses; candidate; candidate = candidate->ai_next) {
    const int descriptor =
        ::socket(candidate->ai_family, candidate->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                 candidate->ai_protocol);
    if (descriptor < 0) {
      detail = ErrnoText("socket", errno);
      continue;
    }
    const std::string peer = NumericAddress(candidate->ai_addr, candidate->ai_addrlen);
    const std::string where = peer + " port " + service;
    int error = 0;
    if (::connect(descriptor, candidate->ai_addr, candidate->ai_addrlen) != 0) {
      error = errno;
      if (error == EINPROGRESS) {
        pollfd waiting{descriptor, POLLOUT, 0};
        int ready;
        do {
          ready = poll(&waiting, 1, RemainingMs(connectTimeoutMs, started));
        } while (ready < 0 && errno == EINTR);
        socklen_t length = sizeof error;
        if (ready == 0) {
          error = ETIMEDOUT;
        } else if (getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
          error = errno;
        }
        if (ready == 0) {
          close(descriptor);
          detail = "connect to " + where + ": no answer within " +
                   std::to_string(connectTimeoutMs) + " ms";
          status = kViErrorTmo;
          continue;
        }
      }
    }
    if (error != 0) {
      close(descriptor);
      detail = ErrnoText(("connect to " + where).c_str(), error);
      if (status != kViErrorTmo) status = kViErrorRsrcNfound;
      continue;
    }
    SetNonBlocking(descriptor, false);
    socket.reset(new SocketTransport(descriptor, host, peer, port));
    bool stored = false;
    socket->SetBoolOption(IPPROTO_TCP, TCP_NODELAY, true, stored);
    socket->SetBoolOption(SOL_SOCKET, SO_KEEPALIVE, true, stored);
    setsockopt(descriptor, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepAliveIdleSeconds, sizeof(int));
    setsockopt(descriptor, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepAliveIntervalSeconds, sizeof(int));
    setsockopt(descriptor, IPPROTO_TCP, TCP_KEEPCNT, &kKeepAliveProbeCount, sizeof(int));
    const int on = 1;
    socket->receiveStamps_ =
        setsockopt(descriptor, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on) == 0;
    detail.clear();
    return kViSuccess;
  }
  return status;
}

ViStatus SocketTransport::Open(const ResourceAddress& address, std::uint32_t openTimeoutMs,
                               std::unique_ptr<Transport>& transport, std::string& detail) {
  std::unique_ptr<SocketTransport> socket;
  const ViStatus status = Connect(address.host, address.port, openTimeoutMs, socket, detail);
  if (status == kViSuccess) transport = std::move(socket);
  return status;
}

SocketTransport::SocketTransport(int descriptor, std::string host, std::string peerAddress,
                                 std::uint16_t port)
    : descriptor_(descriptor),
      host_(std::move(host)),
      peerAddress_(std::move(peerAddress)),
      port_(port),
      receiveBuffer_(new std::uint8_t[kReceiveBufferSize]) {}

SocketTransport::~SocketTransport() { close(descriptor_); }

void SocketTransport::ApplyTimeout(int option, std::uint32_t timeoutMs, std::uint32_t& applied) {
  if (timeoutMs == applied) return;
  timeval limit{};  // zero: no limit
  if (timeoutMs != kViTmoInfinite) {
    limit.tv_sec = timeoutMs / 1000;
    limit.tv_usec = static_cast<suseconds_t>(timeoutMs % 1000) * 1000;
  }
  if (setsockopt(descriptor_, SOL_SOCKET, option, &limit, sizeof limit) == 0) applied = timeoutMs;
}

ViStatus SocketTransport::SocketError(int error, const char* operation) {
  if (IsConnectionLoss(error)) {
    connectionLost_ = true;
    return Fail(kViErrorConnLost, ErrnoText(operation, error));
  }
  return Fail(kViErrorIo, ErrnoText(operation, error));
}

ViStatus SocketTransport::WaitFor(short events, std::uint32_t timeoutMs,
                                  Clock::time_point started) {
  for (;;) {
    pollfd waiting{descriptor_, events, 0};
    const int ready = poll(&waiting, 1, RemainingMs(timeoutMs, started));
    if (ready > 0) return kViSuccess;
    if (ready == 0) return Fail(kViErrorTmo, {});
    if (errno != EINTR) return SocketError(errno, "poll");
  }
}

ViStatus SocketTransport::ReceiveSome(std::uint8_t* destination, std::size_t size,
                                      std::uint32_t timeoutMs, Clock::time_point started,
                                      bool firstWait, std::size_t& received) {
  // The first receive of an operation blocks in the kernel with the whole timeout as its limit:
  // one system call for the common query round trip. Later ones (a reply arriving in pieces)
  // look without waiting and poll for the rest of the time.
  bool blocking = firstWait && timeoutMs != kViTmoImmediate;
  if (blocking) ApplyTimeout(SO_RCVTIMEO, timeoutMs, appliedReceiveTimeoutMs_);
  for (;;) {
    iovec piece{destination, size};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
    msghdr message{};
    message.msg_iov = &piece;
    message.msg_iovlen = 1;
    if (receiveStamps_ && exchangeBegun_) {
      message.msg_control = control;
      message.msg_controllen = sizeof control;
    }
    const ssize_t result = recvmsg(descriptor_, &message, blocking ? 0 : MSG_DONTWAIT);
    if (result > 0) {
      received = static_cast<std::size_t>(result);
      timespec stamp{};
      // A chunk without a stamp is fresh: until the first stamp arrives, BeginExchange collects
      // what came before the exchange instead. The kernel turns stamping on a moment after the
      // first socket asks for it, so the first replies of a process can come unstamped; some
      // sandboxes never stamp at all.
      lastChunkStale_ = false;
      if (message.msg_control && ReceiveStamp(message, stamp)) {
        stampsSeen_ = true;
        lastChunkStale_ = Before(stamp, exchangeStart_);
      }
      return kViSuccess;
    }
    if (result == 0) {
      connectionLost_ = true;
      return Fail(kViErrorConnLost, "the instrument closed the connection");
    }
    const int error = errno;
    if (error == EAGAIN || error == EWOULDBLOCK) {
      if (blocking) return Fail(kViErrorTmo, {});  // SO_RCVTIMEO expired
    } else if (error != EINTR) {
      return SocketError(error, "recv");
    }
    blocking = false;
    const ViStatus waited = WaitFor(POLLIN, timeoutMs, started);
    if (waited != kViSuccess) return waited;
  }
}

ViStatus SocketTransport::Read(std::span<std::uint8_t> buffer, const LineSettings& line,
                               std::size_t& count) {
  count = 0;
  lastReadStale_ = false;
  const auto started = Clock::now();
  bool firstWait = true;
  for (;;) {
    // Deliver what is buffered; bytes that arrived before the exchange began go out on a read of
    // their own.
    if (ViStatus status; DeliverHeld(receiveBuffer_.get(), bufferStart_, bufferEnd_, staleEnd_,
                                     buffer, count, line, lastReadStale_, status))
      return status;
    if (count == buffer.size()) return kViSuccessMaxCnt;
    if (connectionLost_) return Fail(kViErrorConnLost, "the connection was lost earlier");

    bufferStart_ = bufferEnd_ = staleEnd_ = 0;
    const std::size_t wanted = buffer.size() - count;
    std::size_t received = 0;
    if (wanted < kReceiveBufferSize) {
      const ViStatus status = ReceiveSome(receiveBuffer_.get(), kReceiveBufferSize, line.timeoutMs,
                                          started, firstWait, received);
      if (status != kViSuccess) return status;
      bufferEnd_ = received;
      if (lastChunkStale_ && count == 0) staleEnd_ = received;
    } else {
      // A large read: straight into the caller's buffer; what follows a termination character
      // goes back to ours, so a receive then takes no more than ours holds.
      std::uint8_t* into = buffer.data() + count;
      const std::size_t limit = line.termCharEnabled ? kReceiveBufferSize : wanted;
      const ViStatus status =
          ReceiveSome(into, limit, line.timeoutMs, started, firstWait, received);
      if (status != kViSuccess) return status;
      const bool stale = lastChunkStale_ && count == 0;
      lastReadStale_ = stale;
      bool termChar = false;
      if (const std::size_t kept = TakeUpToTermChar(into, received, line, termChar); termChar) {
        std::memcpy(receiveBuffer_.get(), into + kept, received - kept);
        bufferEnd_ = received - kept;
        if (stale) staleEnd_ = bufferEnd_;
        count += kept;
        return kViSuccessTermChar;
      }
      count += received;
      if (stale) return kViSuccessMaxCnt;
    }
    firstWait = false;
  }
}

void SocketTransport::BeginExchange() {
  // Whatever is buffered arrived before this moment.
  staleEnd_ = bufferEnd_;
  exchangeBegun_ = true;
  clock_gettime(CLOCK_REALTIME, &exchangeStart_);
  if ((receiveStamps_ && stampsSeen_) || connectionLost_) return;
  // Without time stamps (or before the first one proved that the kernel gives them), what the
  // kernel holds now is collected and marked instead.
  CollectHeld(receiveBuffer_.get(), kReceiveBufferSize, bufferStart_, bufferEnd_, staleEnd_,
              [this](std::uint8_t* into, std::size_t room) {
                return recv(descriptor_, into, room, MSG_DONTWAIT);
              });
}

ViStatus SocketTransport::SendAll(std::span<const std::uint8_t> data, bool appendLineFeed,
                                  std::uint32_t timeoutMs, std::size_t& written) {
  static const std::uint8_t kLineFeed = '\n';
  const auto started = Clock::now();
  const std::size_t total = data.size() + (appendLineFeed ? 1 : 0);
  std::size_t sent = 0;
  bool blocking = timeoutMs != kViTmoImmediate;
  if (blocking) ApplyTimeout(SO_SNDTIMEO, timeoutMs, appliedSendTimeoutMs_);
  while (sent < total) {
    iovec pieces[2];
    int pieceCount = 0;
    if (sent < data.size()) {
      pieces[pieceCount++] = {const_cast<std::uint8_t*>(data.data() + sent), data.size() - sent};
    }
    if (appendLineFeed) pieces[pieceCount++] = {const_cast<std::uint8_t*>(&kLineFeed), 1};
    msghdr message{};
    message.msg_iov = pieces;
    message.msg_iovlen = static_cast<std::size_t>(pieceCount);
    const ssize_t result =
        sendmsg(descriptor_, &message, MSG_NOSIGNAL | (blocking ? 0 : MSG_DONTWAIT));
    if (result >= 0) {
      sent += static_cast<std::size_t>(result);
      written = std::min(sent, data.size());
      if (sent < total) blocking = false;
      continue;
    }
    const int error = errno;
    if (error == EAGAIN || error == EWOULDBLOCK) {
      if (blocking) return Fail(kViErrorTmo, {});  // SO_SNDTIMEO expired
    } else if (error != EINTR) {
      return SocketError(error, "send");
    }
    blocking = false;
    const ViStatus waited = WaitFor(POLLOUT, timeoutMs, started);
    if (waited != kViSuccess) return waited;
  }
  return kViSuccess;
}

ViStatus SocketTransport::Write(std::span<const std::uint8_t> data, bool end,
                                const LineSettings& line, std::size_t& written) {
  written = 0;
  if (connectionLost_) return Fail(kViErrorConnLost, "the connection was lost earlier");
  if (data.empty()) return kViSuccess;
  return SendAll(data, end && data.back() != '\n', line.timeoutMs, written);
}

ViStatus SocketTransport::Clear(const LineSettings&) {
  bufferStart_ = bufferEnd_ = staleEnd_ = 0;
  if (connectionLost_) return Fail(kViErrorConnLost, "the connection was lost earlier");
  for (;;) {
    const ssize_t result =
        recv(descriptor_, receiveBuffer_.get(), kReceiveBufferSize, MSG_DONTWAIT);
    if (result > 0) continue;
    if (result == 0) {
      connectionLost_ = true;
      return Fail(kViErrorConnLost, "the instrument closed the connection");
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return kViSuccess;
    return SocketError(errno, "recv");
  }
}

ViStatus SocketTransport::ReadStatusByte(const LineSettings& line, std::uint16_t& statusByte) {
  return ReadStatusByteAsString(line, statusByte);
}

ViStatus SocketTransport::AssertTrigger(const LineSettings& line, std::uint16_t protocol) {
  return AssertTriggerAsString(line, protocol);
}

ViStatus SocketTransport::GetAttribute(ViAttr attribute, AttributeValue& value) const {
  switch (attribute) {
    case kViAttrTcpipAddr:
      value = peerAddress_;
      return kViSuccess;
    case kViAttrTcpipHostname:
      value = host_;
      return kViSuccess;
    case kViAttrTcpipPort:
      value = port_;
      return kViSuccess;
    case kViAttrTcpipNodelay:
      value = noDelay_;
      return kViSuccess;
    case kViAttrTcpipKeepalive:
      value = keepAlive_;
      return kViSuccess;
    default:
      return kViErrorNsupAttr;
  }
}

ViStatus SocketTransport::SetBoolOption(int level, int option, bool enabled, bool& stored) {
  const int flag = enabled ? 1 : 0;
  if (setsockopt(descriptor_, level, option, &flag, sizeof flag) != 0) {
    return SocketError(errno, "setsockopt");
  }
  stored = enabled;
  return kViSuccess;
}

ViStatus SocketTransport::SetAttribute(ViAttr attribute, const AttributeValue& value) {
  switch (attribute) {
    case kViAttrTcpipNodelay:
    case kViAttrTcpipKeepalive: {
      std::uint64_t number = 0;
      if (!NumberOf(value, number)) return kViErrorNsupAttrState;
      return attribute == kViAttrTcpipNodelay
                 ? SetBoolOption(IPPROTO_TCP, TCP_NODELAY, number != 0, noDelay_)
                 : SetBoolOption(SOL_SOCKET, SO_KEEPALIVE, number != 0, keepAlive_);
    }
    case kViAttrTcpipAddr:
    case kViAttrTcpipHostname:
    case kViAttrTcpipPort:
      return kViErrorAttrReadonly;
    default:
      return kViErrorNsupAttr;
  }
}

}  // namespace tevra::visa
