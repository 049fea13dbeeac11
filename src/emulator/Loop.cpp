#include "emulator/Loop.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace tevra::emulator {

bool StreamConnection::OnReceive(std::string_view bytes) {
  script_.Receive(bytes, false, partial_, queue_);
  return true;
}

bool StreamConnection::OnTime(Clock::time_point now) {
  for (; queue_.Due(now); queue_.Pop()) {
    if (queue_.Front().serviceRequest) continue;  // a line without service requests
    if (queue_.Front().Disconnects()) {
      CloseWhenSent();
      queue_.Clear();
      break;
    }
    Outbox().append(queue_.Front().Text());
  }
  return true;
}

Clock::time_point StreamConnection::WakeAt() const {
  return queue_.Empty() ? Clock::time_point::max() : queue_.Front().due;
}

Loop::Loop(Script& script, bool ipv6, Milliseconds lifetime)
    : script_(script), ipv6_(ipv6), lifetime_(lifetime) {}

Loop::~Loop() {
  Stop();
  for (Listener& listener : listeners_) close(listener.descriptor);
  for (Peer& peer : peers_) {
    if (peer.descriptor >= 0) close(peer.descriptor);
  }
}

std::uint16_t Loop::Bind(int type, std::uint16_t port, int& descriptor) {
  const int family = ipv6_ ? AF_INET6 : AF_INET;
  descriptor = socket(family, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (descriptor < 0) return 0;
  const int on = 1;
  setsockopt(descriptor, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_storage address{};
  socklen_t length;
  if (ipv6_) {
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    v6->sin6_family = AF_INET6;
    v6->sin6_addr = in6addr_loopback;
    v6->sin6_port = htons(port);
    length = sizeof *v6;
  } else {
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    v4->sin_family = AF_INET;
    v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    v4->sin_port = htons(port);
    length = sizeof *v4;
  }
  if (bind(descriptor, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      (type == SOCK_STREAM && listen(descriptor, 8) != 0) ||
      getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(descriptor);
    descriptor = -1;
    return 0;
  }
  return ntohs(ipv6_ ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                     : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

std::uint16_t Loop::Listen(Accept accept, std::uint16_t port) {
  int descriptor = -1;
  const std::uint16_t bound = Bind(SOCK_STREAM, port, descriptor);
  if (bound != 0) listeners_.push_back({descriptor, std::move(accept), {}});
  return bound;
}

std::uint16_t Loop::ListenForDatagrams(Answer answer, std::uint16_t port) {
  int descriptor = -1;
  const std::uint16_t bound = Bind(SOCK_DGRAM, port, descriptor);
  if (bound != 0) listeners_.push_back({descriptor, {}, std::move(answer)});
  return bound;
}

void Loop::AnswerDatagrams(Listener& listener) {
  char bytes[64 * 1024];
  for (;;) {
    sockaddr_storage from{};
    socklen_t length = sizeof from;
    const ssize_t received = recvfrom(listener.descriptor, bytes, sizeof bytes, 0,
                                      reinterpret_cast<sockaddr*>(&from), &length);
    if (received < 0) return;
    const std::string reply = listener.answer({bytes, static_cast<std::size_t>(received)});
    if (!reply.empty())
      sendto(listener.descriptor, reply.data(), reply.size(), MSG_DONTWAIT,
             reinterpret_cast<sockaddr*>(&from), length);
  }
}

void Loop::Adopt(int descriptor, std::unique_ptr<Connection> handler) {
  peers_.push_back({descriptor, false, std::move(handler)});
}

bool Loop::Connect(std::uint32_t address, std::uint16_t port, std::unique_ptr<Connection> handler) {
  const int descriptor = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (descriptor < 0) return false;
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_addr.s_addr = htonl(address);
  peer.sin_port = htons(port);
  // A loopback connect completes at once, whether or not the client has accepted yet.
  if (connect(descriptor, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0 ||
      fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) | O_NONBLOCK) != 0) {
    close(descriptor);
    return false;
  }
  const int on = 1;
  setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  joining_.push_back({descriptor, true, std::move(handler)});
  return true;
}

bool Loop::Start() {
  if (thread_.joinable()) return true;
  wakeDescriptor_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wakeDescriptor_ < 0) return false;
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void Loop::Stop() {
  if (!thread_.joinable()) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wakeDescriptor_, &one, sizeof one);
  thread_.join();
  close(wakeDescriptor_);
  wakeDescriptor_ = -1;
}

void Loop::AcceptFrom(Listener& listener) {
  for (;;) {
    const int descriptor =
        accept4(listener.descriptor, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (descriptor < 0) return;
    const int on = 1;
    setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    peers_.push_back({descriptor, true, listener.accept()});
  }
}

void Loop::Close(Peer& peer) {
  close(peer.descriptor);
  peer.descriptor = -1;
  script_.NoteClosedConnection();
}

bool Loop::ReceiveFrom(Peer& peer) {
  char bytes[64 * 1024];
  for (;;) {
    const ssize_t received = read(peer.descriptor, bytes, sizeof bytes);
    // A pty whose other side closed reads EIO.
    if (received == 0 || (received < 0 && errno == EIO)) return false;
    if (received < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    if (!peer.handler->OnReceive({bytes, static_cast<std::size_t>(received)})) return false;
    if (static_cast<std::size_t>(received) < sizeof bytes) return true;
  }
}

bool Loop::Flush(Peer& peer) {
  Connection& handler = *peer.handler;
  while (handler.sent_ < handler.outbox_.size()) {
    const char* data = handler.outbox_.data() + handler.sent_;
    const std::size_t size = handler.outbox_.size() - handler.sent_;
    const ssize_t sent = peer.socket
                             ? ::send(peer.descriptor, data, size, MSG_NOSIGNAL | MSG_DONTWAIT)
                             : ::write(peer.descriptor, data, size);
    if (sent < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    handler.sent_ += static_cast<std::size_t>(sent);
  }
  handler.outbox_.clear();
  handler.sent_ = 0;
  return !handler.closeWhenSent_;
}

void Loop::Serve() {
  const Clock::time_point stopAt = Clock::now() + lifetime_;
  std::vector<pollfd> watched;
  for (;;) {
    Clock::time_point now = Clock::now();
    if (now >= stopAt) break;
    for (Peer& peer : joining_) peers_.push_back(std::move(peer));
    joining_.clear();
    // Output that fell due, and connections that asked to close, are handled before waiting.
    for (Peer& peer : peers_) {
      Connection& handler = *peer.handler;
      if (!handler.OnTime(now) || !Flush(peer)) Close(peer);
    }
    std::erase_if(peers_, [](const Peer& c) { return c.descriptor < 0; });

    Clock::time_point wakeAt = stopAt;
    watched.assign({{wakeDescriptor_, POLLIN, 0}});
    for (const Listener& listener : listeners_) watched.push_back({listener.descriptor, POLLIN, 0});
    for (const Peer& peer : peers_) {
      const Connection& handler = *peer.handler;
      const bool sending = handler.sent_ < handler.outbox_.size();
      watched.push_back({peer.descriptor, static_cast<short>(POLLIN | (sending ? POLLOUT : 0)), 0});
      wakeAt = std::min(wakeAt, handler.WakeAt());
    }
    const auto wait = std::max<std::chrono::nanoseconds>(wakeAt - now, {});
    const timespec waitTime{static_cast<time_t>(wait.count() / 1000000000),
                            static_cast<long>(wait.count() % 1000000000)};
    if (ppoll(watched.data(), watched.size(), &waitTime, nullptr) < 0 && errno != EINTR) break;
    if (watched[0].revents) break;  // Stop()
    const std::size_t first = 1 + listeners_.size();
    const std::size_t connectionCount = peers_.size();
    for (std::size_t i = 0; i < connectionCount; ++i) {
      Peer& peer = peers_[i];
      if (!(watched[first + i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      if (!ReceiveFrom(peer)) Close(peer);
    }
    std::erase_if(peers_, [](const Peer& c) { return c.descriptor < 0; });
    for (std::size_t i = 0; i < listeners_.size(); ++i) {
      if (!(watched[1 + i].revents & POLLIN)) continue;
      if (listeners_[i].answer)
        AnswerDatagrams(listeners_[i]);
      else
        AcceptFrom(listeners_[i]);
    }
  }
  for (Peer& peer : joining_) peers_.push_back(std::move(peer));
  joining_.clear();
  for (Peer& peer : peers_) {
    if (peer.descriptor >= 0) Close(peer);
  }
  peers_.clear();
}

}  // namespace tevra::emulator
