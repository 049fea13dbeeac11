// The emulator as the live tests use it: a fake instrument that answers only what a test's rules
// say (no counter behind them), over the wire TEVRA_FAKE_WIRE names, so that one suite of live
// tests runs over every transport; with TEVRA_WIRE_LOG naming a file, what it received is
// appended there when it goes.
//
//   FakeInstrument fake;
//   fake.On("*IDN?").Reply("ACME,QX1300,1,1.0\n");
//   ASSERT_TRUE(fake.Start());
//   ... open fake.ResourceName() ...
//   EXPECT_EQ(fake.Transcript(), "*IDN?\n");
#pragma once

#include "emulator/Instrument.h"

namespace tevra::testing {

using emulator::Microseconds;
using emulator::Milliseconds;
using FakeRule = emulator::Rule;

// The wires by name, as a test picks one. Visa: the raw socket reached through the test VISA
// library (tests/support/fakevisa) as a GPIB resource, so the session runs over a system VISA
// library.
bool SetUpVisaWire(emulator::Loop& loop, std::string& resource, std::uint16_t port);
namespace FakeWire {
inline constexpr emulator::WireSetUp Socket = emulator::SetUpSocketWire;
inline constexpr emulator::WireSetUp Vxi11 = emulator::SetUpVxi11Wire;
inline constexpr emulator::WireSetUp Hislip = emulator::SetUpHislipWire;
inline constexpr emulator::WireSetUp Serial = emulator::SetUpSerialWire;
inline constexpr emulator::WireSetUp Visa = SetUpVisaWire;
}  // namespace FakeWire

class FakeInstrument : public emulator::Instrument {
 public:
  struct Options {
    bool ipv6 = false;
    Milliseconds lifetime{30000};
    emulator::WireSetUp wire = DefaultWire();
  };
  // The wire of the environment's TEVRA_FAKE_WIRE ("socket", "vxi11", "hislip", "serial",
  // "visa"); the raw socket without it. An unknown name stops the test program.
  static emulator::WireSetUp DefaultWire();

  FakeInstrument() : FakeInstrument(Options{}) {}
  explicit FakeInstrument(Options options)
      : Instrument({.ipv6 = options.ipv6, .lifetime = options.lifetime, .wire = options.wire}) {}
  ~FakeInstrument();
};

}  // namespace tevra::testing
