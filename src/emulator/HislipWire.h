// The HiSLIP wire of the emulator: one loopback listener for both channels of every
// session; a connection's first message tells which it is (Initialize or AsyncInitialize).
// Data/DataEnd payloads go to the script; replies go out as Data messages, DataEnd on the last
// piece of each, carrying the MessageID of the message that asked; a service request goes out
// as AsyncServiceRequest on the asynchronous channel. Every frame received is recorded.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/Loop.h"

namespace tevra::emulator {

struct HislipFrame {
  bool async = false;  // received on the asynchronous channel
  std::uint8_t type = 0;
  std::uint8_t control = 0;
  std::uint32_t parameter = 0;
  std::string payload;
};

class HislipServer {
 public:
  struct Options {
    std::uint64_t maximumMessageSize = 256;  // small, so that writes are split
    std::uint8_t statusByte = 0x10;
    std::string fatalErrorOn;  // a command answered with FatalError instead
    // Each AsyncStatusResponse comes right after an AsyncServiceRequest, which then arrives
    // between a status query and its answer.
    bool serviceRequestBeforeStatus = false;
    std::uint16_t port = 0;  // 0: a free port
  };

  // Listens on loop (before it starts); resource receives "TCPIP::<host>::hislip0,<port>::INSTR".
  bool SetUp(Loop& loop, std::string& resource, Options options);
  bool SetUp(Loop& loop, std::string& resource) { return SetUp(loop, resource, Options{}); }
  std::vector<HislipFrame> Frames() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace tevra::emulator
