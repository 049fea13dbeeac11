// A standalone emulator for benchmarks against other VISA clients: serves "*IDN?",
// "LIST?" (a list of 1,000,000 readings) and "BLOCK?" (a block of 1,000,000 doubles), and the
// driver's own calls for the same work (support/SampleInstrument.h), on a loopback
// port, prints its resource name on the first line of standard output, and stops when standard
// input closes or after --seconds (default 300). --wire picks what it speaks: the raw socket (the
// default), VXI-11 (its portmapper port is printed on a second line, as the TEVRA_PORTMAPPER_PORT
// setting a client needs), HiSLIP or a serial pty.
//
//   tevra_fake_instrument [--ipv6] [--seconds N] [--wire socket|vxi11|hislip|serial] [--port N]
// (--port: the wire's own port, for VXI-11 its portmapper's: 111 lets any VISA find it)
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "emulator/Instrument.h"
#include "support/SampleInstrument.h"

int main(int argc, char** argv) {
  using namespace tevra::emulator;
  using namespace tevra::testing;
  Instrument::Options options;
  long seconds = 300;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--ipv6") == 0) {
      options.ipv6 = true;
    } else if (std::strcmp(argv[i], "--wire") == 0 && i + 1 < argc) {
      const std::string wire = argv[++i];
      if (wire == "socket") {
        options.wire = SetUpSocketWire;
      } else if (wire == "vxi11") {
        options.wire = SetUpVxi11Wire;
      } else if (wire == "hislip") {
        options.wire = SetUpHislipWire;
      } else if (wire == "serial") {
        options.wire = SetUpSerialWire;
      } else {
        std::fprintf(stderr, "unknown wire '%s'\n", wire.c_str());
        return 2;
      }
    } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      seconds = std::strtol(argv[++i], nullptr, 10);
    } else if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
      options.port = static_cast<std::uint16_t>(std::strtol(argv[++i], nullptr, 10));
    } else {
      std::fprintf(stderr,
                   "usage: %s [--ipv6] [--seconds N] [--wire socket|vxi11|hislip|serial] "
                   "[--port N]\n",
                   argv[0]);
      return 2;
    }
  }
  options.lifetime = std::chrono::seconds(seconds);
  Instrument fake(options);
  AnswerSamples(fake, SampleReadings(1000000));
  if (!fake.Start()) {
    std::fprintf(stderr, "cannot listen on the loopback address\n");
    return 1;
  }
  std::printf("%s\n", fake.ResourceName().c_str());
  if (options.wire == SetUpVxi11Wire) {
    const char* portmapper = std::getenv("TEVRA_PORTMAPPER_PORT");
    std::printf("TEVRA_PORTMAPPER_PORT=%s\n", portmapper ? portmapper : "");
  }
  std::fflush(stdout);
  pollfd input{STDIN_FILENO, POLLIN, 0};
  const auto stopAt = std::chrono::steady_clock::now() + options.lifetime;
  while (std::chrono::steady_clock::now() < stopAt) {
    if (poll(&input, 1, 200) > 0) {
      char byte;
      if (read(STDIN_FILENO, &byte, 1) <= 0) break;  // the caller closed our input
    }
  }
  return 0;
}
