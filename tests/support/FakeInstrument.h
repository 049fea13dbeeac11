// A fake instrument for live tests: a loopback TCP server on its own thread that answers the
// commands it receives from a script of rules and records every byte it received.
//
//   FakeInstrument fake;
//   fake.On("*IDN?").Reply("ACME,QX1300,1,1.0\n");
//   fake.OnPrefix("MEAS").Reply("1.5E+6\n").After(std::chrono::milliseconds(20)).InChunks(3);
//   fake.On("*RST").Disconnect();
//   ASSERT_TRUE(fake.Start());
//   ... open fake.ResourceName() ...
//   EXPECT_EQ(fake.Transcript(), "*IDN?\nMEAS:FREQ?\n");
//
// Add a rule before the command it answers is sent (the server thread reads the rules as
// commands arrive). Rules are tried in the order they were added; the first that matches a command
// (exactly, or as a prefix) and has uses left decides. A command no rule matches gets no reply and
// is listed by Unmatched(). Replies of one connection go out in command order, each after its own
// delay.
//
// Messages end with a line feed, which is not part of the message; replies go as they are.
//
// Bounded in time: the server stops when the object is destroyed, or by itself after
// Options::lifetime. Chunk sizes and garbage bytes come from a seeded generator.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tevra::testing {

using Milliseconds = std::chrono::milliseconds;
using Microseconds = std::chrono::microseconds;

// One rule of the script; the setters chain.
class FakeRule {
 public:
  enum class Match : std::uint8_t { Exact, Prefix };
  enum class Action : std::uint8_t { Reply, NoReply, Disconnect, Garbage };

  FakeRule(std::string pattern, Match match) : pattern_(std::move(pattern)), match_(match) {}

  // Sends these exact bytes (include the terminator).
  FakeRule& Reply(std::string bytes);
  FakeRule& NoReply();
  // Closes the connection once the replies before it are sent.
  FakeRule& Disconnect();
  // Sends size random bytes other than line feed, then a line feed.
  FakeRule& Garbage(std::size_t size);
  // Waits this long after the command before acting.
  FakeRule& After(Milliseconds delay);
  // Sends the reply in pieces of 1..maxChunk bytes, gap apart.
  FakeRule& InChunks(std::size_t maxChunk, Microseconds gap = Microseconds(200));
  // Matches at most this many commands.
  FakeRule& Times(int uses);
  // A further part of the reply, sent this long after the part before it: a reply that stalls
  // in the middle, or a line the instrument sends unasked after its answer.
  FakeRule& Then(std::string bytes, Milliseconds after);
  // Closes the connection this long after the last part.
  FakeRule& ThenDisconnect(Milliseconds after);

 private:
  friend class FakeInstrument;
  bool Matches(std::string_view command) const;

  std::string pattern_;
  Match match_;
  Action action_ = Action::NoReply;
  std::shared_ptr<const std::string> reply_;
  Milliseconds delay_{0};
  std::size_t maxChunk_ = 0;
  Microseconds chunkGap_{200};
  std::size_t garbageSize_ = 0;
  int usesLeft_ = -1;  // -1: no limit
  struct Part {
    std::shared_ptr<const std::string> bytes;  // null: disconnect
    Milliseconds after;
  };
  std::vector<Part> parts_;
};

class FakeInstrument {
 public:
  struct Options {
    bool ipv6 = false;  // listen on ::1 instead of 127.0.0.1
    Milliseconds lifetime{30000};
  };

  FakeInstrument();
  explicit FakeInstrument(Options options);
  ~FakeInstrument();
  FakeInstrument(const FakeInstrument&) = delete;
  FakeInstrument& operator=(const FakeInstrument&) = delete;

  FakeRule& On(std::string command);
  FakeRule& OnPrefix(std::string prefix);

  // Binds a free loopback port and starts serving; false when the address is not available.
  bool Start();
  // Stops serving and closes every connection; also done by the destructor.
  void Stop();

  std::uint16_t Port() const { return port_; }
  // "TCPIP::127.0.0.1::<port>::SOCKET" or "TCPIP::[::1]::<port>::SOCKET".
  std::string ResourceName() const;

  // Whether the transcript and the command list grow (long runs switch them off).
  void SetRecording(bool on);
  // Every byte received, over all connections, in arrival order.
  std::string Transcript() const;
  std::vector<std::string> Commands() const;
  std::vector<std::string> Unmatched() const;
  // Waits until at least size bytes arrived; false on timeout.
  bool WaitForTranscript(std::size_t size, Milliseconds timeout) const;
  // Waits until count connections were closed (by either side).
  bool WaitForClosedConnections(int count, Milliseconds timeout) const;

 private:
  void AppendWireLog() const;
  using Clock = std::chrono::steady_clock;
  struct PendingSend {
    Clock::time_point due;
    std::shared_ptr<const std::string> bytes;  // null: close the connection
    std::size_t offset = 0;
    std::size_t end = 0;
  };
  struct Connection {
    int descriptor;
    std::string partial;  // the bytes of a message whose line feed has not arrived
    std::deque<PendingSend> pending;
    Clock::time_point lastDue;
  };

  void Serve();
  void Accept(std::vector<Connection>& connections);
  // false when the peer closed or the connection failed.
  bool ReceiveFrom(Connection& connection);
  void Answer(Connection& connection, const std::string& command);
  void QueueReply(Connection& connection, std::shared_ptr<const std::string> reply,
                  Clock::time_point due, std::size_t maxChunk, Microseconds chunkGap);
  // false when the connection is to be closed.
  bool SendDue(Connection& connection, Clock::time_point now);
  void CloseConnection(Connection& connection);

  Options options_;
  int listenDescriptor_ = -1;
  int wakeDescriptor_ = -1;
  std::uint16_t port_ = 0;
  std::thread server_;
  std::mt19937 random_{1};

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::deque<FakeRule> rules_;
  std::string transcript_;
  std::vector<std::string> commands_;
  std::vector<std::string> unmatched_;
  bool recording_ = true;
  int closedConnectionCount_ = 0;
};

}  // namespace tevra::testing
