#include "support/FakeInstrument.h"

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
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

namespace tevra::testing {

FakeRule& FakeRule::Reply(std::string bytes) {
  action_ = Action::Reply;
  reply_ = std::make_shared<const std::string>(std::move(bytes));
  return *this;
}

FakeRule& FakeRule::NoReply() {
  action_ = Action::NoReply;
  return *this;
}

FakeRule& FakeRule::Disconnect() {
  action_ = Action::Disconnect;
  return *this;
}

FakeRule& FakeRule::Garbage(std::size_t size) {
  action_ = Action::Garbage;
  garbageSize_ = size;
  return *this;
}

FakeRule& FakeRule::After(Milliseconds delay) {
  delay_ = delay;
  return *this;
}

FakeRule& FakeRule::InChunks(std::size_t maxChunk, Microseconds gap) {
  maxChunk_ = maxChunk;
  chunkGap_ = gap;
  return *this;
}

FakeRule& FakeRule::Times(int uses) {
  usesLeft_ = uses;
  return *this;
}

FakeRule& FakeRule::Then(std::string bytes, Milliseconds after) {
  parts_.push_back({std::make_shared<const std::string>(std::move(bytes)), after});
  return *this;
}

FakeRule& FakeRule::ThenDisconnect(Milliseconds after) {
  parts_.push_back({nullptr, after});
  return *this;
}

bool FakeRule::Matches(std::string_view command) const {
  if (usesLeft_ == 0) return false;
  return match_ == Match::Exact ? command == pattern_ : command.starts_with(pattern_);
}

FakeInstrument::FakeInstrument() : FakeInstrument(Options{}) {}

FakeInstrument::FakeInstrument(Options options) : options_(options) {}

FakeInstrument::~FakeInstrument() { Stop(); }

FakeRule& FakeInstrument::On(std::string command) {
  std::lock_guard guard(mutex_);
  return rules_.emplace_back(std::move(command), FakeRule::Match::Exact);
}

FakeRule& FakeInstrument::OnPrefix(std::string prefix) {
  std::lock_guard guard(mutex_);
  return rules_.emplace_back(std::move(prefix), FakeRule::Match::Prefix);
}

bool FakeInstrument::Start() {
  if (server_.joinable()) return true;
  const int family = options_.ipv6 ? AF_INET6 : AF_INET;
  listenDescriptor_ = socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listenDescriptor_ < 0) return false;
  sockaddr_storage address{};
  socklen_t length;
  if (options_.ipv6) {
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    v6->sin6_family = AF_INET6;
    v6->sin6_addr = in6addr_loopback;
    length = sizeof *v6;
  } else {
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    v4->sin_family = AF_INET;
    v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    length = sizeof *v4;
  }
  if (bind(listenDescriptor_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(listenDescriptor_, 8) != 0 ||
      getsockname(listenDescriptor_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(listenDescriptor_);
    listenDescriptor_ = -1;
    return false;
  }
  port_ = ntohs(options_.ipv6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                              : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
  wakeDescriptor_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  server_ = std::thread([this] { Serve(); });
  return true;
}

void FakeInstrument::Stop() {
  if (!server_.joinable()) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wakeDescriptor_, &one, sizeof one);
  server_.join();
  close(wakeDescriptor_);
  close(listenDescriptor_);
  wakeDescriptor_ = listenDescriptor_ = -1;
  AppendWireLog();
}

// With TEVRA_WIRE_LOG naming a file, every instrument appends what it received, headed by the
// command line of the process (which names the test), in one write, so that the bytes of two
// builds can be compared.
void FakeInstrument::AppendWireLog() const {
  const char* path = std::getenv("TEVRA_WIRE_LOG");
  if (!path || !*path) return;
  std::ifstream cmdline("/proc/self/cmdline", std::ios::binary);
  std::string process((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
  std::replace(process.begin(), process.end(), '\0', ' ');
  std::string entry = "== " + process + "\n" + Transcript();
  entry += "\n== end\n";
  const int descriptor = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (descriptor < 0) return;
  [[maybe_unused]] const ssize_t done = write(descriptor, entry.data(), entry.size());
  close(descriptor);
}

std::string FakeInstrument::ResourceName() const {
  const std::string host = options_.ipv6 ? "[::1]" : "127.0.0.1";
  return "TCPIP::" + host + "::" + std::to_string(port_) + "::SOCKET";
}

void FakeInstrument::SetRecording(bool on) {
  std::lock_guard guard(mutex_);
  recording_ = on;
}

std::string FakeInstrument::Transcript() const {
  std::lock_guard guard(mutex_);
  return transcript_;
}

std::vector<std::string> FakeInstrument::Commands() const {
  std::lock_guard guard(mutex_);
  return commands_;
}

std::vector<std::string> FakeInstrument::Unmatched() const {
  std::lock_guard guard(mutex_);
  return unmatched_;
}

bool FakeInstrument::WaitForTranscript(std::size_t size, Milliseconds timeout) const {
  std::unique_lock guard(mutex_);
  return changed_.wait_for(guard, timeout, [&] { return transcript_.size() >= size; });
}

bool FakeInstrument::WaitForClosedConnections(int count, Milliseconds timeout) const {
  std::unique_lock guard(mutex_);
  return changed_.wait_for(guard, timeout, [&] { return closedConnectionCount_ >= count; });
}

void FakeInstrument::Accept(std::vector<Connection>& connections) {
  for (;;) {
    const int descriptor =
        accept4(listenDescriptor_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (descriptor < 0) return;
    const int on = 1;
    setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    connections.push_back({descriptor, {}, {}, Clock::now()});
  }
}

void FakeInstrument::CloseConnection(Connection& connection) {
  close(connection.descriptor);
  connection.descriptor = -1;
  std::lock_guard guard(mutex_);
  ++closedConnectionCount_;
  changed_.notify_all();
}

bool FakeInstrument::ReceiveFrom(Connection& connection) {
  char bytes[64 * 1024];
  for (;;) {
    const ssize_t received = recv(connection.descriptor, bytes, sizeof bytes, MSG_DONTWAIT);
    if (received == 0) return false;
    if (received < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    std::string_view chunk(bytes, static_cast<std::size_t>(received));
    {
      std::lock_guard guard(mutex_);
      if (recording_) transcript_.append(chunk);
      changed_.notify_all();
    }
    for (std::size_t lineFeed; (lineFeed = chunk.find('\n')) != std::string_view::npos;) {
      connection.partial.append(chunk.substr(0, lineFeed));
      Answer(connection, std::exchange(connection.partial, {}));
      chunk.remove_prefix(lineFeed + 1);
    }
    connection.partial.append(chunk);
    if (static_cast<std::size_t>(received) < sizeof bytes) return true;
  }
}

void FakeInstrument::Answer(Connection& connection, const std::string& command) {
  FakeRule::Action action = FakeRule::Action::NoReply;
  std::shared_ptr<const std::string> reply;
  Milliseconds delay{0};
  Microseconds chunkGap{0};
  std::size_t maxChunk = 0;
  std::vector<FakeRule::Part> parts;
  {
    std::lock_guard guard(mutex_);
    if (recording_) commands_.push_back(command);
    const auto rule = std::find_if(rules_.begin(), rules_.end(), [&](const FakeRule& candidate) {
      return candidate.Matches(command);
    });
    if (rule == rules_.end()) {
      unmatched_.push_back(command);
    } else {
      if (rule->usesLeft_ > 0) --rule->usesLeft_;
      action = rule->action_;
      reply = rule->reply_;
      delay = rule->delay_;
      maxChunk = rule->maxChunk_;
      chunkGap = rule->chunkGap_;
      parts = rule->parts_;
      if (action == FakeRule::Action::Garbage) {
        std::string garbage(rule->garbageSize_, '\0');
        std::uniform_int_distribution<int> byte(0, 254);
        for (char& c : garbage) {
          const int value = byte(random_);
          c = static_cast<char>(value >= '\n' ? value + 1 : value);  // anything but a line feed
        }
        garbage.push_back('\n');
        reply = std::make_shared<const std::string>(std::move(garbage));
      }
    }
    changed_.notify_all();
  }
  if (action == FakeRule::Action::NoReply) return;

  // Replies leave in command order: never before the one queued ahead.
  const Clock::time_point due = std::max(Clock::now() + delay, connection.lastDue);
  if (action == FakeRule::Action::Disconnect) {
    connection.pending.push_back({due, nullptr, 0, 0});
    connection.lastDue = due;
    return;
  }
  QueueReply(connection, reply, due, maxChunk, chunkGap);
  for (const FakeRule::Part& part : parts) {
    const Clock::time_point partDue = connection.lastDue + part.after;
    connection.pending.push_back({partDue, part.bytes, 0, part.bytes ? part.bytes->size() : 0});
    connection.lastDue = partDue;
  }
}

void FakeInstrument::QueueReply(Connection& connection, std::shared_ptr<const std::string> reply,
                                Clock::time_point due, std::size_t maxChunk,
                                Microseconds chunkGap) {
  if (maxChunk == 0 || reply->size() <= 1) {
    connection.pending.push_back({due, reply, 0, reply->size()});
    connection.lastDue = due;
    return;
  }
  std::uniform_int_distribution<std::size_t> chunkSize(1, maxChunk);
  Clock::time_point chunkDue = due;
  for (std::size_t offset = 0; offset < reply->size();) {
    std::size_t size;
    {
      std::lock_guard guard(mutex_);
      size = std::min(chunkSize(random_), reply->size() - offset);
    }
    connection.pending.push_back({chunkDue, reply, offset, offset + size});
    connection.lastDue = chunkDue;
    offset += size;
    chunkDue += chunkGap;
  }
}

bool FakeInstrument::SendDue(Connection& connection, Clock::time_point now) {
  while (!connection.pending.empty() && connection.pending.front().due <= now) {
    PendingSend& send = connection.pending.front();
    if (!send.bytes) return false;
    while (send.offset < send.end) {
      const ssize_t sent = ::send(connection.descriptor, send.bytes->data() + send.offset,
                                  send.end - send.offset, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (sent < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return true;
        return false;
      }
      send.offset += static_cast<std::size_t>(sent);
    }
    connection.pending.pop_front();
  }
  return true;
}

void FakeInstrument::Serve() {
  const Clock::time_point stopAt = Clock::now() + options_.lifetime;
  std::vector<Connection> connections;
  std::vector<pollfd> watched;
  for (;;) {
    Clock::time_point now = Clock::now();
    if (now >= stopAt) break;
    Clock::time_point wakeAt = stopAt;
    watched.assign({{wakeDescriptor_, POLLIN, 0}, {listenDescriptor_, POLLIN, 0}});
    for (const Connection& connection : connections) {
      short events = POLLIN;
      if (!connection.pending.empty()) {
        if (connection.pending.front().due <= now) {
          events |= POLLOUT;
        } else {
          wakeAt = std::min(wakeAt, connection.pending.front().due);
        }
      }
      watched.push_back({connection.descriptor, events, 0});
    }
    const auto wait = std::max<std::chrono::nanoseconds>(wakeAt - now, {});
    const timespec waitTime{static_cast<time_t>(wait.count() / 1000000000),
                            static_cast<long>(wait.count() % 1000000000)};
    if (ppoll(watched.data(), watched.size(), &waitTime, nullptr) < 0 && errno != EINTR) {
      break;
    }
    if (watched[0].revents) break;  // Stop()
    if (watched[1].revents & POLLIN) Accept(connections);
    now = Clock::now();
    for (std::size_t i = 0; i + 2 < watched.size(); ++i) {
      Connection& connection = connections[i];
      bool open = true;
      if (watched[i + 2].revents & (POLLIN | POLLHUP | POLLERR)) open = ReceiveFrom(connection);
      if (open) open = SendDue(connection, now);
      if (!open) CloseConnection(connection);
    }
    std::erase_if(connections, [](const Connection& c) { return c.descriptor < 0; });
  }
  for (Connection& connection : connections) CloseConnection(connection);
}

}  // namespace tevra::testing
