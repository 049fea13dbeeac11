// The serial wire: a pty pair. The driver opens the slave side as its serial port; the fake
// serves the master side with the raw socket's rules (bytes as they come, replies as they fall
// due). The fake keeps a slave descriptor of its own open, so the master never sees a hang-up
// when the driver closes and opens the port again.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "support/FakeServer.h"

namespace tevra::testing {
namespace {

class SerialConnection final : public FakeConnection {
 public:
  SerialConnection(FakeScript& script, int slave) : script_(script), slave_(slave) {}
  ~SerialConnection() override { close(slave_); }

  bool OnReceive(std::string_view bytes) override {
    script_.Receive(bytes, false, partial_, queue_);
    return true;
  }
  bool OnTime(FakeClock::time_point now) override {
    for (; queue_.Due(now); queue_.Pop()) {
      // A serial line cannot hang up; a disconnect rule only stops the replies.
      if (!queue_.Front().bytes) {
        queue_.Clear();
        break;
      }
      Outbox().append(queue_.Front().Text());
    }
    return true;
  }
  FakeClock::time_point WakeAt() const override {
    return queue_.Empty() ? FakeClock::time_point::max() : queue_.Front().due;
  }

 private:
  FakeScript& script_;
  int slave_;
  std::string partial_;
  FakeOutputQueue queue_;
};

}  // namespace

bool SetUpSerialWire(FakeLoop& loop, std::string& resource) {
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
  loop.Adopt(master, std::make_unique<SerialConnection>(loop.Script(), slave));
  resource = std::string("ASRL") + name + "::INSTR";
  return true;
}

}  // namespace tevra::testing
