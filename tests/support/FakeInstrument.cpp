#include "support/FakeInstrument.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

// Where the test build does not say where its VISA library is, the loader looks for it by name.
#ifndef TEVRA_FAKE_VISA_LIBRARY
#define TEVRA_FAKE_VISA_LIBRARY "libfakevisa.so"
#endif

namespace tevra::testing {
namespace {

// The test VISA library's line: each message piece goes in a frame of a 4-byte big-endian length
// and a flag byte (1: END after the piece), both ways, as a GPIB bus marks the last byte of a
// message with EOI. An empty frame with flag 2 is the instrument's service request (SRQ).
constexpr char kServiceRequestFrame[5] = {0, 0, 0, 0, 2};

class FramedConnection final : public emulator::Connection {
 public:
  explicit FramedConnection(emulator::Script& script) : script_(script) {}

  bool OnReceive(std::string_view bytes) override {
    received_.append(bytes);
    while (received_.size() >= 5) {
      const std::size_t length = (std::size_t(std::uint8_t(received_[0])) << 24) |
                                 (std::size_t(std::uint8_t(received_[1])) << 16) |
                                 (std::size_t(std::uint8_t(received_[2])) << 8) |
                                 std::size_t(std::uint8_t(received_[3]));
      if (received_.size() < 5 + length) break;
      queue_.Clear();  // a new message interrupts a reply nobody read, as on a GPIB bus
      script_.Receive(std::string_view(received_).substr(5, length), received_[4] & 1, partial_,
                      queue_);
      received_.erase(0, 5 + length);
    }
    return true;
  }
  bool OnTime(emulator::Clock::time_point now) override {
    for (; queue_.Due(now); queue_.Pop()) {
      const emulator::Output& piece = queue_.Front();
      if (piece.serviceRequest) {
        Outbox().append(kServiceRequestFrame, sizeof kServiceRequestFrame);
        continue;
      }
      if (piece.Disconnects()) {
        CloseWhenSent();
        queue_.Clear();
        break;
      }
      const std::string_view text = piece.Text();
      const auto length = static_cast<std::uint32_t>(text.size());
      const char header[5] = {char(length >> 24), char(length >> 16), char(length >> 8),
                              char(length), char(piece.endsReply ? 1 : 0)};
      Outbox().append(header, 5).append(text);
    }
    return true;
  }
  emulator::Clock::time_point WakeAt() const override {
    return queue_.Empty() ? emulator::Clock::time_point::max() : queue_.Front().due;
  }

 private:
  emulator::Script& script_;
  std::string received_;
  std::string partial_;
  emulator::OutputQueue queue_;
};

}  // namespace

// The test VISA library finds the instrument by the resource's primary address; each instrument
// takes the next address, so several can be open at once. The library serves the resources no
// built-in transport serves.
bool SetUpVisaWire(emulator::Loop& loop, std::string& resource, std::uint16_t) {
  static std::atomic<int> nextAddress{1};
  emulator::Script& script = loop.GetScript();
  const std::uint16_t port =
      loop.Listen([&script] { return std::make_unique<FramedConnection>(script); });
  if (port == 0) return false;
  const int address = nextAddress++ % 31;
  const std::string variable = "TEVRA_FAKE_VISA_PORT_" + std::to_string(address);
  setenv(variable.c_str(), std::to_string(port).c_str(), 1);
  setenv("TEVRA_VISA_LIBRARY", TEVRA_FAKE_VISA_LIBRARY, 1);
  resource = "GPIB0::" + std::to_string(address) + "::INSTR";
  return true;
}

emulator::WireSetUp FakeInstrument::DefaultWire() {
  static const emulator::WireSetUp wire = [] {
    const char* named = std::getenv("TEVRA_FAKE_WIRE");
    const std::string name = named ? named : "socket";
    const std::pair<const char*, emulator::WireSetUp> names[] = {{"socket", FakeWire::Socket},
                                                                 {"vxi11", FakeWire::Vxi11},
                                                                 {"hislip", FakeWire::Hislip},
                                                                 {"serial", FakeWire::Serial},
                                                                 {"visa", FakeWire::Visa}};
    for (const auto& [word, meaning] : names) {
      if (name == word) return meaning;
    }
    std::fprintf(stderr, "TEVRA_FAKE_WIRE=%s names no wire of the fake instrument\n", named);
    std::abort();
  }();
  return wire;
}

// With TEVRA_WIRE_LOG naming a file, every instrument appends what it received, headed by the
// command line of the process (which names the test), in one write, so that the bytes of two
// builds can be compared.
FakeInstrument::~FakeInstrument() {
  Stop();
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

}  // namespace tevra::testing
