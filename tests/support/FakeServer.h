// The loop every wire of the fake instrument runs on: loopback listeners, one handler per
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

#include "support/FakeScript.h"

namespace tevra::testing {

class FakeConnection {
 public:
  virtual ~FakeConnection() = default;
  // Bytes arrived from the client; false closes the connection at once.
  virtual bool OnReceive(std::string_view bytes) = 0;
  // Called on every turn of the loop: moves what is due into Outbox(); false closes at once.
  virtual bool OnTime(FakeClock::time_point now) = 0;
  // When OnTime wants to run next; time_point::max() when only input can change anything.
  virtual FakeClock::time_point WakeAt() const { return FakeClock::time_point::max(); }

  // Wire bytes waiting to be sent.
  std::string& Outbox() { return outbox_; }
  // Closes the connection once the outbox is sent.
  void CloseWhenSent() { closeWhenSent_ = true; }

 private:
  friend class FakeLoop;
  std::string outbox_;
  std::size_t sent_ = 0;
  bool closeWhenSent_ = false;
};

// A wire without framing (a raw socket, a serial line): message bytes as they come, replies as
// they fall due. A line that cannot hang up ends only the replies at a disconnect rule.
class StreamConnection : public FakeConnection {
 public:
  StreamConnection(FakeScript& script, bool canHangUp) : script_(script), canHangUp_(canHangUp) {}

  bool OnReceive(std::string_view bytes) override;
  bool OnTime(FakeClock::time_point now) override;
  FakeClock::time_point WakeAt() const override;

 private:
  FakeScript& script_;
  bool canHangUp_;
  std::string partial_;
  FakeOutputQueue queue_;
};

class FakeLoop {
 public:
  using Accept = std::function<std::unique_ptr<FakeConnection>()>;

  FakeLoop(FakeScript& script, bool ipv6, Milliseconds lifetime);
  ~FakeLoop();  // stops
  FakeLoop(const FakeLoop&) = delete;
  FakeLoop& operator=(const FakeLoop&) = delete;

  // Listens on a free loopback port (or on port) and serves each accepted connection with a new
  // handler from accept; the port, or 0 when it cannot be bound. Before Start only.
  std::uint16_t Listen(Accept accept, std::uint16_t port = 0);
  // Serves an open descriptor (a pty's master side) with handler; the loop closes it.
  void Adopt(int descriptor, std::unique_ptr<FakeConnection> handler);

  bool Start();
  // Stops serving and closes every connection; idempotent.
  void Stop();

  FakeScript& Script() { return script_; }
  bool Ipv6() const { return ipv6_; }
  // "127.0.0.1" or "[::1]", as a resource string writes the loopback host.
  std::string HostText() const { return ipv6_ ? "[::1]" : "127.0.0.1"; }

 private:
  struct Listener {
    int descriptor;
    Accept accept;
  };
  struct Connection {
    int descriptor;
    bool socket;
    std::unique_ptr<FakeConnection> handler;
  };

  void Serve();
  void AcceptFrom(Listener& listener);
  bool ReceiveFrom(Connection& connection);
  bool Flush(Connection& connection);
  void Close(Connection& connection);

  FakeScript& script_;
  bool ipv6_;
  Milliseconds lifetime_;
  int wakeDescriptor_ = -1;
  std::vector<Listener> listeners_;
  std::vector<Connection> connections_;
  std::thread thread_;
};

// The wires the fake instrument speaks. Each sets up its listeners on loop and tells the
// resource string that reaches them; false when it cannot.
bool SetUpSocketWire(FakeLoop& loop, std::string& resource);
bool SetUpVxi11Wire(FakeLoop& loop, std::string& resource);
bool SetUpHislipWire(FakeLoop& loop, std::string& resource);
bool SetUpSerialWire(FakeLoop& loop, std::string& resource);
bool SetUpVisaWire(FakeLoop& loop, std::string& resource);

}  // namespace tevra::testing
