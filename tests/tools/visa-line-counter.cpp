// The emulator's counter on the test VISA library's line, for running a program through a system
// VISA library from the shell: prints the resource ("GPIB0::N::INSTR"), then the two environment
// settings a program needs to reach it (TEVRA_VISA_LIBRARY and the line's port), and serves for
// the given seconds (default 30).   tevra_visa_line_counter [SECONDS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "emulator/Counter.h"
#include "support/FakeInstrument.h"

int main(int argc, char** argv) {
  using namespace tevra::testing;
  const long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 30;
  FakeInstrument fake({.lifetime = Milliseconds(seconds * 1000), .wire = FakeWire::Visa});
  fake.SetResponder(std::make_shared<tevra::emulator::Counter>("QX1300", 1));
  fake.SetRecording(false);
  if (!fake.Start()) return 1;
  const std::string& resource = fake.ResourceName();
  const std::string address = resource.substr(7, resource.find("::", 7) - 7);
  const std::string port = "TEVRA_FAKE_VISA_PORT_" + address;
  std::printf("%s\nTEVRA_VISA_LIBRARY=%s\n%s=%s\n", resource.c_str(),
              std::getenv("TEVRA_VISA_LIBRARY"), port.c_str(), std::getenv(port.c_str()));
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  return 0;
}
