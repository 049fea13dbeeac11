// tevra-emulator: a QX1100/QX1200/QX1300 counter on this machine, for developing and testing
// programs without the instrument. It listens on the loopback address, prints the resource
// string that reaches it, and answers the driver's commands with plausible, changing readings
// until it is stopped (Ctrl-C, SIGTERM, or after --seconds).
//
//   tevra-emulator                          raw socket on a free port, QX1300
//   tevra-emulator --model QX1100 --port 5025
//   tevra-emulator --wire hislip --port 4880
//   tevra-emulator --wire vxi11             prints TEVRA_PORTMAPPER_PORT=<port> too
#include <signal.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "emulator/Counter.h"
#include "emulator/Instrument.h"

namespace {

volatile sig_atomic_t stopRequested = 0;
void RequestStop(int) { stopRequested = 1; }

}  // namespace

int main(int argc, char** argv) {
  using namespace tevra::emulator;
  CLI::App app{"Emulates a Tevra QX1xxx universal counter on the loopback address."};
  std::string model = "QX1300";
  std::string wire = "socket";
  std::uint16_t port = 0;
  bool ipv6 = false;
  long seconds = 0;
  std::uint32_t seed = 1;
  app.add_option("--model", model, "QX1100, QX1200 or QX1300")->capture_default_str();
  app.add_option("--wire", wire, "socket, vxi11, hislip or serial")->capture_default_str();
  app.add_option("--port", port,
                 "the socket's port (HiSLIP: its port; VXI-11: the portmapper's); 0: a free one")
      ->capture_default_str();
  app.add_flag("--ipv6", ipv6, "listen on ::1 instead of 127.0.0.1");
  app.add_option("--seconds", seconds, "stop after this long (0: when stopped)");
  app.add_option("--seed", seed, "the seed of the readings' noise")->capture_default_str();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // --help arrives as a parse error too; it prints the help and exits with 0.
    return app.exit(e) == 0 ? 0 : 2;
  }

  const std::map<std::string, WireSetUp> wires = {{"socket", SetUpSocketWire},
                                                  {"vxi11", SetUpVxi11Wire},
                                                  {"hislip", SetUpHislipWire},
                                                  {"serial", SetUpSerialWire}};
  const auto chosen = wires.find(wire);
  if (chosen == wires.end()) {
    std::fprintf(stderr, "tevra-emulator: unknown wire '%s' (socket, vxi11, hislip, serial)\n",
                 wire.c_str());
    return 2;
  }
  if (!Counter::KnownModel(model)) {
    std::fprintf(stderr, "tevra-emulator: unknown model '%s' (QX1100, QX1200, QX1300)\n",
                 model.c_str());
    return 2;
  }
  const auto lifetime = seconds > 0 ? std::chrono::milliseconds(seconds * 1000)
                                    : std::chrono::milliseconds(std::chrono::hours(24 * 365));
  Instrument instrument({.ipv6 = ipv6, .lifetime = lifetime, .wire = chosen->second, .port = port});
  instrument.SetResponder(std::make_shared<Counter>(model, seed));
  instrument.SetRecording(false);
  signal(SIGINT, RequestStop);
  signal(SIGTERM, RequestStop);
  if (!instrument.Start()) {
    std::fprintf(stderr, "tevra-emulator: cannot listen%s\n",
                 port ? (" on port " + std::to_string(port)).c_str() : "");
    return 1;
  }
  std::printf("%s\n", instrument.ResourceName().c_str());
  if (wire == "vxi11")
    std::printf("TEVRA_PORTMAPPER_PORT=%s\n", std::getenv("TEVRA_PORTMAPPER_PORT"));
  std::fflush(stdout);
  const auto stopAt = std::chrono::steady_clock::now() + lifetime;
  while (!stopRequested && std::chrono::steady_clock::now() < stopAt)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return 0;
}
