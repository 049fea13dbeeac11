// A fake instrument for live tests: a loopback server on its own thread that answers the commands
// it receives from a script of rules (see FakeScript.h) and records every byte it received, over
// the wire a test picks: a raw socket (the default), VXI-11, HiSLIP or a serial line (a pty).
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
// commands arrive). Bounded in time: the server stops when the object is destroyed, or by itself
// after Options::lifetime. Chunk sizes and garbage bytes come from a seeded generator.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/FakeScript.h"
#include "support/FakeServer.h"

namespace tevra::testing {

// Visa: the raw socket reached through the test VISA library (tests/support/fakevisa) as a
// GPIB resource, so the session runs over a system VISA library.
enum class FakeWire : std::uint8_t { Socket, Vxi11, Hislip, Serial, Visa };

class FakeInstrument {
 public:
  struct Options {
    bool ipv6 = false;  // listen on ::1 instead of 127.0.0.1
    Milliseconds lifetime{30000};
    FakeWire wire = DefaultWire();
  };
  // The wire of the environment's TEVRA_FAKE_WIRE ("socket", "vxi11", "hislip", "serial",
  // "visa"), so that one suite of live tests runs over every transport; the raw socket without
  // it. An unknown name stops the test program.
  static FakeWire DefaultWire();

  FakeInstrument();
  explicit FakeInstrument(Options options);
  ~FakeInstrument();
  FakeInstrument(const FakeInstrument&) = delete;
  FakeInstrument& operator=(const FakeInstrument&) = delete;

  FakeRule& On(std::string command) { return script_.On(std::move(command)); }
  FakeRule& OnPrefix(std::string prefix) { return script_.OnPrefix(std::move(prefix)); }

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
  bool WaitForTranscript(std::size_t size, Milliseconds timeout) const {
    return script_.WaitForTranscript(size, timeout);
  }
  bool WaitForClosedConnections(int count, Milliseconds timeout) const {
    return script_.WaitForClosedConnections(count, timeout);
  }

 private:
  void AppendWireLog() const;

  Options options_;
  FakeScript script_;
  std::unique_ptr<FakeLoop> loop_;
  std::uint16_t port_ = 0;
  std::string resource_;
};

}  // namespace tevra::testing
