// A blocking loopback TCP client with nothing around it: the floor the benchmarks set the
// driver's figures against. It sends a command with its line feed and receives until the reply's
// last byte is a line feed, or until a given number of bytes arrived.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tevra::testing {

class BareSocket {
 public:
  BareSocket() = default;
  ~BareSocket() { Close(); }
  BareSocket(const BareSocket&) = delete;
  BareSocket& operator=(const BareSocket&) = delete;

  // Connects to 127.0.0.1:port with Nagle off, as the driver's socket transport does.
  bool Connect(std::uint16_t port) {
    Close();
    descriptor_ = socket(AF_INET, SOCK_STREAM, 0);
    if (descriptor_ < 0) return false;
    const int on = 1;
    setsockopt(descriptor_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(descriptor_, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
      Close();
      return false;
    }
    return true;
  }

  void Close() {
    if (descriptor_ >= 0) close(descriptor_);
    descriptor_ = -1;
  }

  // Sends all of bytes (the caller includes the line feed).
  bool Send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t sent = send(descriptor_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
  }

  // Receives into buffer until the bytes so far end in a line feed; the count received, 0 when
  // the connection failed or the reply does not fit.
  std::size_t ReceiveLine(char* buffer, std::size_t capacity) {
    std::size_t have = 0;
    while (have == 0 || buffer[have - 1] != '\n') {
      if (have == capacity) return 0;
      const ssize_t got = recv(descriptor_, buffer + have, capacity - have, 0);
      if (got <= 0) return 0;
      have += static_cast<std::size_t>(got);
    }
    return have;
  }

  // Receives exactly count bytes; false when the connection failed first.
  bool ReceiveExactly(char* buffer, std::size_t count) {
    std::size_t have = 0;
    while (have < count) {
      const ssize_t got = recv(descriptor_, buffer + have, count - have, 0);
      if (got <= 0) return false;
      have += static_cast<std::size_t>(got);
    }
    return true;
  }

 private:
  int descriptor_ = -1;
};

}  // namespace tevra::testing
