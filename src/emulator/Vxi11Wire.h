// The VXI-11 wire of the emulator: a portmapper, the core channel and the abort channel
// on free loopback ports. The portmapper port goes into TEVRA_PORTMAPPER_PORT. A link that
// creates an interrupt channel and enables service requests gets each one as a device_intr_srq
// call over a connection the emulator opens to the client.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/Loop.h"

namespace tevra::emulator {

struct Vxi11Options {
  std::uint32_t maxRecvSize = 1024;  // small, so that writes are split
  bool portmapperOn111 = false;      // also serve the portmapper on 127.0.0.1:111
  std::uint8_t statusByte = 0x40;
  std::uint16_t portmapperPort = 0;  // 0: a free port
};

// What the core channel received, shared with the loop's thread.
struct Vxi11Log {
  std::mutex mutex;
  std::vector<std::string> calls;  // every call record as received, record mark included
  int triggers = 0;
  int clears = 0;
  std::uint32_t lockHolder = 0;  // the link holding the device lock, 0: none
  bool interruptChannelOpen = false;
  int serviceRequestsSent = 0;      // device_intr_srq calls
  int serviceRequestsAnswered = 0;  // successful replies to them
  bool portmapperOn111 = false;     // whether port 111 could be bound
  std::vector<std::string> Calls() {
    std::lock_guard lock(mutex);
    return calls;
  }
};

bool SetUpVxi11Wire(Loop& loop, std::string& resource, const Vxi11Options& options,
                    std::shared_ptr<Vxi11Log>& log);

}  // namespace tevra::emulator
