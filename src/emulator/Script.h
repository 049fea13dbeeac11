// The script of the emulator, apart from the wire it is reached over: the rules that answer
// commands, the record of what arrived, and the output each command produces with its timing.
// A wire (raw socket, VXI-11, HiSLIP, a serial line) feeds it the message bytes it receives and
// takes the output pieces as they fall due.
//
//   script.On("*IDN?").Reply("ACME,QX1300,1,1.0\n");
//   script.OnPrefix("MEAS").Reply("1.5E+6\n").After(std::chrono::milliseconds(20)).InChunks(3);
//   script.On("*RST").Disconnect();
//   script.On("INIT").NoReply().RequestService();  // the instrument asks for service after it
//
// Rules are tried in the order they were added; the first that matches a command (exactly, or as
// a prefix) and has uses left decides. A command no rule matches goes to the responder when there
// is one; otherwise it gets no reply and is listed by Unmatched(). Replies of one connection go out
// in command order, each after its own delay. Messages end with a line feed, or with the message
// end of a wire that has one; the line feed is not part of the command. Replies go as they are.
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
#include <vector>

namespace tevra::emulator {

using Milliseconds = std::chrono::milliseconds;
using Microseconds = std::chrono::microseconds;
using Clock = std::chrono::steady_clock;

// One rule of the script; the setters chain.
class Rule {
 public:
  enum class Match : std::uint8_t { Exact, Prefix };
  enum class Action : std::uint8_t { Reply, NoReply, Disconnect, Garbage };

  Rule(std::string pattern, Match match) : pattern_(std::move(pattern)), match_(match) {}

  // Sends these exact bytes (include the terminator).
  Rule& Reply(std::string bytes);
  Rule& NoReply();
  // Closes the connection once the replies before it are sent.
  Rule& Disconnect();
  // Sends size random bytes other than line feed, then a line feed.
  Rule& Garbage(std::size_t size);
  // Waits this long after the command before acting.
  Rule& After(Milliseconds delay);
  // Sends the reply in pieces of 1..maxChunk bytes, gap apart.
  Rule& InChunks(std::size_t maxChunk, Microseconds gap = Microseconds(200));
  // Matches at most this many commands.
  Rule& Times(int uses);
  // A further part of the reply, sent this long after the part before it: a reply that stalls
  // in the middle, or a line the instrument sends unasked after its answer.
  Rule& Then(std::string bytes, Milliseconds after);
  // Closes the connection this long after the last part.
  Rule& ThenDisconnect(Milliseconds after);
  // Requests service once the reply is sent (after the delay when there is none), on the wires
  // that carry service requests (VXI-11, HiSLIP, the test VISA library's line); the others
  // drop it.
  Rule& RequestService();

 private:
  friend class Script;
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
  bool requestsService_ = false;
  struct Part {
    std::shared_ptr<const std::string> bytes;  // null: disconnect
    Milliseconds after;
  };
  std::vector<Part> parts_;
};

// A piece of output: bytes[offset, end) of a reply, the closing of the connection, or a service
// request.
struct Output {
  Clock::time_point due;
  std::shared_ptr<const std::string> bytes;  // null: close the connection or request service
  std::size_t offset = 0;
  std::size_t end = 0;
  bool endsReply = false;  // the last piece of a message: END goes here on wires that mark it
  bool serviceRequest = false;

  bool Disconnects() const { return !bytes && !serviceRequest; }

  std::string_view Text() const {
    return bytes ? std::string_view(*bytes).substr(offset, end - offset) : std::string_view();
  }
};

// The output one connection owes, in the order it goes out.
class OutputQueue {
 public:
  bool Empty() const { return pending_.empty(); }
  const Output& Front() const { return pending_.front(); }
  Output& Front() { return pending_.front(); }
  void Pop() { pending_.pop_front(); }
  // Whether the next piece is due at now.
  bool Due(Clock::time_point now) const { return !Empty() && Front().due <= now; }
  // Drops everything not yet sent (a device clear); what comes next waits for none of it.
  void Clear() {
    pending_.clear();
    lastDue_ = {};
  }

 private:
  friend class Script;
  void Push(Output output) {
    lastDue_ = output.due;
    pending_.push_back(std::move(output));
  }

  std::deque<Output> pending_;
  Clock::time_point lastDue_{};
};

// What answers the commands no rule matches: the emulator's counter (Counter.h).
class Responder {
 public:
  virtual ~Responder() = default;
  // The reply to command, terminator included; empty for none.
  virtual std::string Answer(std::string_view command) = 0;
  // Whether the last command gave the instrument a new reason to request service (IEEE 488.2:
  // it set MSS in the status byte); asking clears it.
  virtual bool TakeServiceRequest() { return false; }
};

class Script {
 public:
  Rule& On(std::string command);
  Rule& OnPrefix(std::string prefix);

  // Answers the commands no rule matches; without one they get no reply.
  void SetResponder(std::shared_ptr<Responder> responder);

  // Whether the transcript and the command list grow (long runs switch them off).
  void SetRecording(bool on);
  // Every message byte received, over all connections, in arrival order; a message end that a
  // wire marks by itself (END) shows as a line feed when the message has none.
  std::string Transcript() const;
  std::vector<std::string> Commands() const;
  std::vector<std::string> Unmatched() const;
  // Waits until at least size bytes arrived; false on timeout.
  bool WaitForTranscript(std::size_t size, Milliseconds timeout) const;
  // Waits until count connections were closed (by either side).
  bool WaitForClosedConnections(int count, Milliseconds timeout) const;

  // For wires: message bytes arrived on a connection. They are recorded, split into commands at
  // line feeds (partial holds the bytes of a command whose end has not come), and each command
  // is answered into queue. With end the bytes end a message: what is left is a command too.
  void Receive(std::string_view bytes, bool end, std::string& partial, OutputQueue& queue);
  void NoteClosedConnection();
  // For wires with a serial poll of their own (VXI-11 device_readstb, HiSLIP AsyncStatusQuery):
  // the status byte that the rule for "*STB?" (or the responder) answers, else fallback. A poll
  // is no message: it is counted by StatusPolls, not recorded in the transcript.
  std::uint8_t PollStatusByte(std::uint8_t fallback);
  int StatusPolls() const;

 private:
  void Answer(const std::string& command, OutputQueue& queue);
  void QueueReplyParts(OutputQueue& queue, const std::shared_ptr<const std::string>& reply,
                       Clock::time_point due, std::size_t maxChunk, Microseconds chunkGap,
                       const std::vector<Rule::Part>& parts);
  void QueueReply(OutputQueue& queue, std::shared_ptr<const std::string> reply,
                  Clock::time_point due, std::size_t maxChunk, Microseconds chunkGap,
                  bool endsMessage);

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::deque<Rule> rules_;
  std::shared_ptr<Responder> responder_;
  std::mt19937 random_{1};
  std::string transcript_;
  std::vector<std::string> commands_;
  std::vector<std::string> unmatched_;
  bool recording_ = true;
  int closedConnectionCount_ = 0;
  int statusPolls_ = 0;
};

}  // namespace tevra::emulator
