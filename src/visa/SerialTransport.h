// ASRL/dev/ttyX::INSTR and ASRLn::INSTR: a serial port through termios, in raw mode.
//
// ASRLn is /dev/ttySm with m = n - 1 (ASRL1 is the first port, as COM1 elsewhere); a path names
// any tty (a USB adapter's /dev/ttyUSB0, a pty). The line starts at 9600 baud, 8 data bits, no
// parity, one stop bit, no flow control; VI_ATTR_ASRL_BAUD, _DATA_BITS, _PARITY, _STOP_BITS and
// _FLOW_CNTRL change it (the driver sets them from its DriverSetup). On this transport:
// - a read ends on the termination character when it is enabled (kViSuccessTermChar) or when the
//   buffer is full (kViSuccessMaxCnt); otherwise the timeout ends it with kViErrorTmo and the
//   bytes read so far. Bytes after the termination character stay buffered for the next read;
// - END on a write is the termination character (the line has no END signal of its own): it is
//   appended when the data does not already end with it; an empty write sends nothing;
// - input that arrived before BeginExchange (collected then, as a serial line stamps nothing) is
//   delivered on reads of its own, flagged as stale;
// - Clear drops what is buffered on both sides and sends a break;
// - the status byte and a trigger exist only with the 488.2-strings protocol ("*STB?", "*TRG");
// - a port that goes away (a USB adapter unplugged) is kViErrorConnLost from then on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "visa/OpenOptions.h"
#include "visa/Transport.h"

namespace tevra::visa {

class SerialTransport final : public Transport {
 public:
  // The TransportFactory of the ASRL INSTR resource kind.
  static ViStatus Open(const ResourceAddress& address, std::uint32_t openTimeoutMs,
                       std::unique_ptr<Transport>& transport, std::string& detail);
  // The device path of a serial resource ("/dev/ttyS0" for ASRL1); empty when it names none.
  static std::string DevicePath(const ResourceAddress& address);

  ~SerialTransport() override;
  SerialTransport(const SerialTransport&) = delete;
  SerialTransport& operator=(const SerialTransport&) = delete;

  ViStatus Write(std::span<const std::uint8_t> data, bool end, const LineSettings& line,
                 std::size_t& written) override;
  ViStatus Read(std::span<std::uint8_t> buffer, const LineSettings& line,
                std::size_t& count) override;
  ViStatus Clear(const LineSettings& line) override;
  ViStatus ReadStatusByte(const LineSettings& line, std::uint16_t& statusByte) override {
    return ReadStatusByteAsString(line, statusByte);
  }
  ViStatus AssertTrigger(const LineSettings& line, std::uint16_t protocol) override {
    return AssertTriggerAsString(line, protocol);
  }
  ViStatus GetAttribute(ViAttr attribute, AttributeValue& value) const override;
  ViStatus SetAttribute(ViAttr attribute, const AttributeValue& value) override;
  void BeginExchange() override;
  bool LastReadWasStale() const override { return lastReadStale_; }
  bool HoldsInput() const override { return bufferEnd_ > bufferStart_; }

 private:
  static constexpr std::size_t kBufferSize = 4096;

  SerialTransport(int descriptor, std::string path);
  // Applies settings to the port; kViErrorNsupAttrState when the port refuses them.
  ViStatus Apply(const SerialSettings& settings);
  ViStatus Failure(int error, const char* operation);

  int descriptor_;
  std::string path_;
  SerialSettings settings_;
  bool lost_ = false;
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::size_t bufferStart_ = 0;
  std::size_t bufferEnd_ = 0;
  std::size_t staleEnd_ = 0;  // buffered bytes before this arrived before the exchange began
  bool lastReadStale_ = false;
};

}  // namespace tevra::visa
