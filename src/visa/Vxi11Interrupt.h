// The client's end of a VXI-11 interrupt channel: a TCP port the instrument connects to after
// create_intr_chan, and the RPC server behind it that answers each device_intr_srq call
// (program 0x0607B1 v1, procedure 30) with an empty successful reply and counts it as a service
// request. Nothing runs in the background: calls are served while Wait waits.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "visa/OncRpc.h"
#include "visa/VisaTypes.h"

namespace tevra::visa {

// The RPC program of the interrupt channel (DEVICE_INTR), version 1.
inline constexpr std::uint32_t kVxi11InterruptProgram = 0x0607B1;

class Vxi11InterruptChannel {
 public:
  Vxi11InterruptChannel() = default;
  ~Vxi11InterruptChannel() { Close(); }
  Vxi11InterruptChannel(const Vxi11InterruptChannel&) = delete;
  Vxi11InterruptChannel& operator=(const Vxi11InterruptChannel&) = delete;

  // Listens on a free port of the local address the connected socket coreDescriptor is bound
  // to; address (host order) and port receive where. The channel's address is IPv4 only:
  // kViErrorNsupOper on an IPv6 link.
  ViStatus Listen(int coreDescriptor, std::uint32_t& address, std::uint16_t& port,
                  std::string& detail);
  // Serves the channel until a service request has come, at most timeoutMs (kViTmoImmediate:
  // only what already arrived), and takes it: kViSuccess or kViErrorTmo.
  ViStatus Wait(std::uint32_t timeoutMs, std::string& detail);
  // Closes the port and every connection, forgetting requests not taken.
  void Close();
  bool Listening() const { return listener_ >= 0; }

 private:
  struct Caller {
    int descriptor;
    rpc::RecordAssembler assembler;
  };
  // Receives what caller sent and answers its calls; false when the connection ended.
  bool Serve(Caller& caller);

  int listener_ = -1;
  std::vector<Caller> callers_;
  std::vector<std::uint8_t> reply_;
  int pending_ = 0;
};

}  // namespace tevra::visa
