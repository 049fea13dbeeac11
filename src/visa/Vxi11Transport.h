// TCPIP[board]::host[::device name][::INSTR]: VXI-11 (ONC RPC over TCP), device name inst0 by
// default.
//
// Open asks the host's portmapper (port 111, or the port in the environment variable
// TEVRA_PORTMAPPER_PORT, read at each open) for the core channel's port, connects, creates a
// link to the device and connects the abort channel. On this transport:
// - a write goes as device_write calls of at most the link's maxRecvSize bytes, END only on the
//   last one (and only when asked);
// - a read calls device_read until the reason has END (kViSuccess), CHR with the termination
//   character enabled (kViSuccessTermChar) or the buffer is full (kViSuccessMaxCnt);
// - every call carries the session timeout as its io_timeout; the socket waits that long plus a
//   margin, so that the device's own timeout (error 15) arrives first and is kViErrorTmo. When
//   the device does not answer in time, device_abort on the abort channel ends its call; its late
//   reply is dropped by xid on the next call, and the link stays usable;
// - Clear is device_clear, which empties the device's queues; ReadStatusByte, AssertTrigger,
//   LockDevice and UnlockDevice are device_readstb, device_trigger, device_lock and
//   device_unlock (VXI-11 locks are exclusive: a shared key is not supported);
// - a lost connection is kViErrorConnLost, for that operation and every later one;
// - EnableServiceRequest opens the interrupt channel: a port on the local address of the core
//   connection, create_intr_chan to have the instrument connect there, then device_enable_srq
//   with the link's handle; each device_intr_srq call on it is a service request, which
//   WaitServiceRequest serves and takes. Disabling, and closing, send device_enable_srq false
//   and destroy_intr_chan.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "visa/OncRpc.h"
#include "visa/Transport.h"
#include "visa/Vxi11Interrupt.h"

namespace tevra::visa {

// The portmapper's port: 111, or the one TEVRA_PORTMAPPER_PORT names (read at each call).
std::uint16_t PortmapperPort();

class Vxi11Transport final : public Transport {
 public:
  // The TransportFactory of the VXI-11 resource kind. kViErrorRsrcNfound when the portmapper,
  // the registration, the core channel or the link is missing; detail names the host and which.
  static ViStatus Open(const ResourceAddress& address, std::uint32_t openTimeoutMs,
                       std::unique_ptr<Transport>& transport, std::string& detail);

  ~Vxi11Transport() override;

  ViStatus Write(std::span<const std::uint8_t> data, bool end, const LineSettings& line,
                 std::size_t& written) override;
  ViStatus Read(std::span<std::uint8_t> buffer, const LineSettings& line,
                std::size_t& count) override;
  ViStatus Clear(const LineSettings& line) override;
  ViStatus ReadStatusByte(const LineSettings& line, std::uint16_t& statusByte) override;
  ViStatus AssertTrigger(const LineSettings& line, std::uint16_t protocol) override;
  ViStatus LockDevice(std::string_view sharedKey, std::uint32_t timeoutMs) override;
  ViStatus UnlockDevice() override;
  ViStatus EnableServiceRequest(bool enable) override;
  ViStatus WaitServiceRequest(std::uint32_t timeoutMs) override;
  bool ClearResetsInstrument() const override { return true; }
  ViStatus GetAttribute(ViAttr attribute, AttributeValue& value) const override;

  std::uint32_t MaxRecvSize() const { return maxRecvSize_; }

 private:
  Vxi11Transport(std::string host, std::string device) : host_(std::move(host)), device_(device) {}

  using Clock = rpc::RpcClient::Clock;
  // Starts a core-channel call; the caller appends its arguments.
  rpc::XdrWriter StartCore(std::uint32_t procedure);
  // Sends it, waits io_timeout plus a margin and decodes the error word: results holds what
  // follows it. Maps the transport's failures and the device's error to a status.
  ViStatus FinishCore(const char* name, std::uint32_t timeoutMs, rpc::XdrReader& results);
  ViStatus DeviceError(const char* name, std::uint32_t error);
  void Abort();
  // device_enable_srq false and destroy_intr_chan; the first failure is the status.
  ViStatus CloseInterruptChannel();
  // destroy_intr_chan, and the local end of the channel closed.
  ViStatus DestroyInterruptChannel();

  std::string host_;
  std::string device_;
  rpc::RpcClient core_;
  rpc::RpcClient abort_;
  std::uint32_t lid_ = 0;
  std::uint32_t maxRecvSize_ = 1024;
  std::uint16_t abortPort_ = 0;
  bool lockHeld_ = false;
  Vxi11InterruptChannel interrupt_;
};

}  // namespace tevra::visa
