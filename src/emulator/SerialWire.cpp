// The serial wire: a pty pair. The driver opens the slave side as its serial port; the fake
// serves the master side with the raw socket's rules (bytes as they come, replies as they fall
// due). The fake keeps a slave descriptor of its own open, so the master never sees a hang-up
// when the driver closes and opens the port again. A disconnect rule closes both: the port goes
// away as an unplugged USB adapter does (the driver's reads fail with EIO, and the device node is
// gone).
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "emulator/Loop.h"

namespace tevra::emulator {
namespace {

// The connection owns the fake's own slave descriptor.
class SerialConnection final : public StreamConnection {
 public:
  SerialConnection(Script& script, int slave) : StreamConnection(script), slave_(slave) {}
  ~SerialConnection() override { close(slave_); }

 private:
  int slave_;
};

}  // namespace

bool SetUpSerialWire(Loop& loop, std::string& resource, std::uint16_t) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    if (master >= 0) close(master);
    return false;
  }
  char name[128];
  if (ptsname_r(master, name, sizeof name) != 0) {
    close(master);
    return false;
  }
  const int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0) {
    close(master);
    return false;
  }
  termios raw{};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave, TCSANOW, &raw);
  loop.Adopt(master, std::make_unique<SerialConnection>(loop.GetScript(), slave));
  resource = std::string("ASRL") + name + "::INSTR";
  return true;
}

}  // namespace tevra::emulator
