#include "emulator/Instrument.h"

#include <charconv>
#include <utility>

namespace tevra::emulator {

bool SetUpSocketWire(Loop& loop, std::string& resource, std::uint16_t port) {
  Script& script = loop.GetScript();
  port = loop.Listen([&script] { return std::make_unique<StreamConnection>(script); }, port);
  if (port == 0) return false;
  resource = "TCPIP::" + loop.HostText() + "::" + std::to_string(port) + "::SOCKET";
  return true;
}

Instrument::Instrument() : Instrument(Options{}) {}

Instrument::Instrument(Options options) : options_(options) {}

Instrument::~Instrument() { Stop(); }

bool Instrument::Start() {
  if (loop_) return true;
  auto loop = std::make_unique<Loop>(script_, options_.ipv6, options_.lifetime);
  if (!options_.wire(*loop, resource_, options_.port) || !loop->Start()) return false;
  if (options_.wire == SetUpSocketWire) {
    // "TCPIP::host::<port>::SOCKET"
    const std::size_t end = resource_.rfind("::SOCKET");
    const std::size_t begin = resource_.rfind("::", end - 1) + 2;
    std::from_chars(resource_.data() + begin, resource_.data() + end, port_);
  }
  loop_ = std::move(loop);
  return true;
}

void Instrument::Stop() {
  if (!loop_) return;
  loop_->Stop();
  loop_.reset();
}

}  // namespace tevra::emulator
