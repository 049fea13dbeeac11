// The loop every wire of the emulator runs on: loopback listeners, one handler per
// connection, buffered output, timers, a bounded lifetime. A wire is a set of listeners (or an
// adopted descriptor, such as a pty) whose connections translate between the wire's framing and
// the script.
//
// Everything runs on the loop's own thread: handlers may reach each other's Outbox (the two
// connections of one HiSLIP session) without locks.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "emulator/Script.h"

namespace tevra::emulator {

class Connection {
 public:
  virtual ~Connection() = default;
  // Bytes arrived from the client; false closes the connection at once.
  virtual bool OnReceive(std::string_view bytes) = 0;
  // Called on every turn of the loop: moves what is due into Outbox(); false closes at once.
  virtual bool OnTime(Clock::time_point now) = 0;
  // When OnTime wants to run next; time_point::max() when only input can change anything.
  virtual Clock::time_point WakeAt() const { return Clock::time_point::max(); }

  // Wire bytes waiting to be sent.
  std::string& Outbox() { return outbox_; }
  // Closes the connection once the outbox is sent.
  void CloseWhenSent() { closeWhenSent_ = true; }

 private:
  friend class Loop;
  std::string outbox_;
  std::size_t sent_ = 0;
  bool closeWhenSent_ = false;
};

// A wire without framing (a raw socket, a serial line): message bytes as they come, replies as
// they fall due; a disconnect rule closes it.
class StreamConnection : public Connection {
 public:
  explicit StreamConnection(Script& script) : script_(script) {}

  bool OnReceive(std::string_view bytes) override;
  bool OnTime(Clock::time_point now) override;
  Clock::time_point WakeAt() const override;

 private:
  Script& script_;
  std::string partial_;
  OutputQueue queue_;
};

class Loop {
 public:
  using Accept = std::function<std::unique_ptr<Connection>()>;

  Loop(Script& script, bool ipv6, Milliseconds lifetime);
  ~Loop();  // stops
  Loop(const Loop&) = delete;
  Loop& operator=(const Loop&) = delete;

  // Listens on a free loopback port (or on port) and serves each accepted connection with a new
  // handler from accept; the port, or 0 when it cannot be bound. Before Start only.
  std::uint16_t Listen(Accept accept, std::uint16_t port = 0);
  // Answers each datagram that arrives on a free loopback UDP port (or on port) with what answer
  // returns for it (nothing when empty); the port, or 0. Before Start only.
  using Answer = std::function<std::string(std::string_view datagram)>;
  std::uint16_t ListenForDatagrams(Answer answer, std::uint16_t port = 0);
  // Serves an open descriptor (a pty's master side) with handler; the loop closes it.
  void Adopt(int descriptor, std::unique_ptr<Connection> handler);
  // Connects to a port the client listens on (the VXI-11 interrupt channel) at the IPv4
  // address (host order) and serves the connection with handler from the next turn on; false
  // when it cannot connect. On the loop's thread, from a handler.
  bool Connect(std::uint32_t address, std::uint16_t port, std::unique_ptr<Connection> handler);

  bool Start();
  // Stops serving and closes every connection; idempotent.
  void Stop();

  Script& GetScript() { return script_; }
  bool Ipv6() const { return ipv6_; }
  // "127.0.0.1" or "[::1]", as a resource string writes the loopback host.
  std::string HostText() const { return ipv6_ ? "[::1]" : "127.0.0.1"; }

 private:
  struct Listener {
    int descriptor;
    Accept accept;  // a TCP listener's
    Answer answer;  // a UDP socket's
  };
  struct Peer {
    int descriptor;
    bool socket;
    std::unique_ptr<Connection> handler;
  };

  void Serve();
  // A loopback socket of type bound to port (0: a free one); the port bound, or 0.
  std::uint16_t Bind(int type, std::uint16_t port, int& descriptor);
  void AcceptFrom(Listener& listener);
  void AnswerDatagrams(Listener& listener);
  bool ReceiveFrom(Peer& peer);
  bool Flush(Peer& peer);
  void Close(Peer& peer);

  Script& script_;
  bool ipv6_;
  Milliseconds lifetime_;
  int wakeDescriptor_ = -1;
  std::vector<Listener> listeners_;
  std::vector<Peer> peers_;
  std::vector<Peer> joining_;  // connected by a handler while the loop walked peers_
  std::thread thread_;
};

// A wire the emulator speaks: it sets up its listeners on loop, on port where it has a port of
// its own to listen on (0: a free one), and tells the resource string that reaches them; false
// when it cannot.
using WireSetUp = bool (*)(Loop& loop, std::string& resource, std::uint16_t port);

// The raw socket: port is the instrument's port.
bool SetUpSocketWire(Loop& loop, std::string& resource, std::uint16_t port);
// VXI-11: port is the portmapper's (111 is the standard one); the channels take free ports.
bool SetUpVxi11Wire(Loop& loop, std::string& resource, std::uint16_t port);
// HiSLIP: both channels on port (4880 is the standard one).
bool SetUpHislipWire(Loop& loop, std::string& resource, std::uint16_t port);
// A serial line: a pty, whatever port says.
bool SetUpSerialWire(Loop& loop, std::string& resource, std::uint16_t port);

}  // namespace tevra::emulator
