// The emulator: a counter on a loopback port, served on its own thread. It answers each command
// from its script's rules first and otherwise from its responder (the counter of Counter.h), and
// it records every byte it received. The wire is the raw socket unless Options::wire names
// another: VXI-11, HiSLIP or a serial line (a pty).
//
//   Instrument emulator;
//   emulator.SetResponder(std::make_shared<Counter>("QX1300"));
//   emulator.OnPrefix("MEAS").Reply("1.5E+6\n").After(std::chrono::milliseconds(20)).InChunks(3);
//   emulator.On("*RST").Disconnect();
//   if (!emulator.Start()) ...
//   ... open emulator.ResourceName() ...
//
// Add a rule before the command it answers is sent (the server thread reads the rules as
// commands arrive). Bounded in time: the server stops when the object is destroyed, or by itself
// after Options::lifetime. Chunk sizes and garbage bytes come from a seeded generator.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "emulator/Loop.h"
#include "emulator/Script.h"

namespace tevra::emulator {

class Instrument {
 public:
  struct Options {
    bool ipv6 = false;  // listen on ::1 instead of 127.0.0.1
    Milliseconds lifetime{30000};
    WireSetUp wire = SetUpSocketWire;
    std::uint16_t port = 0;  // the wire's own port (see Loop.h); 0: a free one
  };

  Instrument();
  explicit Instrument(Options options);
  ~Instrument();
  Instrument(const Instrument&) = delete;
  Instrument& operator=(const Instrument&) = delete;

  Rule& On(std::string command) { return script_.On(std::move(command)); }
  Rule& OnPrefix(std::string prefix) { return script_.OnPrefix(std::move(prefix)); }
  void SetResponder(std::shared_ptr<Responder> responder) {
    script_.SetResponder(std::move(responder));
  }

  // Sets up the wire and starts serving; false when it cannot.
  bool Start();
  // Stops serving and closes every connection; also done by the destructor.
  void Stop();

  // The port of the raw socket wire.
  std::uint16_t Port() const { return port_; }
  // The resource string that reaches the instrument: "TCPIP::127.0.0.1::<port>::SOCKET",
  // "TCPIP::[::1]::<port>::SOCKET", and the forms of the other wires.
  const std::string& ResourceName() const { return resource_; }

  void SetRecording(bool on) { script_.SetRecording(on); }
  std::string Transcript() const { return script_.Transcript(); }
  std::vector<std::string> Commands() const { return script_.Commands(); }
  std::vector<std::string> Unmatched() const { return script_.Unmatched(); }
  // Serial polls that came as a message of the wire's own, not as "*STB?".
  int StatusPolls() const { return script_.StatusPolls(); }
  bool WaitForTranscript(std::size_t size, Milliseconds timeout) const {
    return script_.WaitForTranscript(size, timeout);
  }
  bool WaitForClosedConnections(int count, Milliseconds timeout) const {
    return script_.WaitForClosedConnections(count, timeout);
  }

 private:
  Options options_;
  Script script_;
  std::unique_ptr<Loop> loop_;
  std::uint16_t port_ = 0;
  std::string resource_;
};

}  // namespace tevra::emulator
