#include "support/FakeInstrument.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

namespace tevra::testing {
namespace {

// The raw socket: message bytes as they come, replies as they fall due.
class SocketConnection final : public FakeConnection {
 public:
  explicit SocketConnection(FakeScript& script) : script_(script) {}

  bool OnReceive(std::string_view bytes) override {
    script_.Receive(bytes, false, partial_, queue_);
    return true;
  }
  bool OnTime(FakeClock::time_point now) override {
    for (; queue_.Due(now); queue_.Pop()) {
      if (!queue_.Front().bytes) {
        CloseWhenSent();
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
  std::string partial_;
  FakeOutputQueue queue_;
};

}  // namespace

bool SetUpSocketWire(FakeLoop& loop, std::string& resource) {
  FakeScript& script = loop.Script();
  const std::uint16_t port =
      loop.Listen([&script] { return std::make_unique<SocketConnection>(script); });
  if (port == 0) return false;
  resource = "TCPIP::" + loop.HostText() + "::" + std::to_string(port) + "::SOCKET";
  return true;
}

FakeInstrument::FakeInstrument() : FakeInstrument(Options{}) {}

FakeInstrument::FakeInstrument(Options options) : options_(options) {}

FakeInstrument::~FakeInstrument() { Stop(); }

bool FakeInstrument::Start() {
  if (loop_) return true;
  auto loop = std::make_unique<FakeLoop>(script_, options_.ipv6, options_.lifetime);
  bool ready = false;
  switch (options_.wire) {
    case FakeWire::Socket:
      ready = SetUpSocketWire(*loop, resource_);
      break;
    case FakeWire::Vxi11:
      ready = SetUpVxi11Wire(*loop, resource_);
      break;
    case FakeWire::Hislip:
      ready = SetUpHislipWire(*loop, resource_);
      break;
    case FakeWire::Serial:
      ready = SetUpSerialWire(*loop, resource_);
      break;
  }
  if (!ready || !loop->Start()) return false;
  if (options_.wire == FakeWire::Socket) {
    // "TCPIP::host::<port>::SOCKET"
    const std::size_t end = resource_.rfind("::SOCKET");
    const std::size_t begin = resource_.rfind("::", end - 1) + 2;
    std::from_chars(resource_.data() + begin, resource_.data() + end, port_);
  }
  loop_ = std::move(loop);
  return true;
}

void FakeInstrument::Stop() {
  if (!loop_) return;
  loop_->Stop();
  loop_.reset();
  AppendWireLog();
}

// With TEVRA_WIRE_LOG naming a file, every instrument appends what it received, headed by the
// command line of the process (which names the test), in one write, so that the bytes of two
// builds can be compared.
void FakeInstrument::AppendWireLog() const {
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
