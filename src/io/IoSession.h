// CIoSession: the part of every I/O session that does not depend on how the instrument is reached.
// It owns the instrument buffer, the terminators and the references the driver lends at Open
// (status poller, error reporter, enumeration formatter), and builds the formatted and typed
// operations on the buffer. A concrete session supplies the library: opening and closing the
// resource, the unbuffered transfers and the line settings.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/IoSession.h"
#include "io/InstrBuffer.h"

namespace tevra::io {

class CIoSession : public core::IIoSession {
 public:
  ~CIoSession() override;
  CIoSession(const CIoSession&) = delete;
  CIoSession& operator=(const CIoSession&) = delete;

  HRESULT Open(std::string_view resourceDescriptor, core::IInstrErrorPoller* poller,
               core::IErrorReporter* reporter, core::IEnumFormatter* formatter) final;
  HRESULT Close() final;
  bool IsOpen() const { return buffer_ != nullptr; }

  HRESULT GetReadTerminator(std::string& terminator) override;
  HRESULT SetReadTerminator(std::string_view terminator) override;
  HRESULT GetWriteTerminator(std::string& terminator) override;
  HRESULT SetWriteTerminator(std::string_view terminator) override;
  HRESULT GetByteSwap(bool& swap) override;
  HRESULT SetByteSwap(bool swap) override;

  HRESULT SetBufferSize(core::BufferSelect which, std::int32_t size) override;
  HRESULT GetReadBufferSize(std::int32_t& size) override;
  HRESULT GetWriteBufferSize(std::int32_t& size) override;
  HRESULT FlushWrite(bool sendEnd, std::int32_t timeout) override;
  HRESULT DiscardRead(std::int32_t timeout) override;

  HRESULT PollInstrumentErrors() override;

  // The string forms of the unbuffered transfers, over the byte forms: a read takes at most
  // 4096 bytes (kResultMoreData when the message goes on).
  HRESULT LowLevelWriteStringNoPoll(std::string_view text, std::int32_t timeout) final;
  HRESULT LowLevelReadStringNoPoll(std::string& text, std::int32_t timeout) final;

  HRESULT WriteFormatted(std::string_view format, std::span<const core::FormatArg> args,
                         std::int32_t timeout) override;
  HRESULT ReadFormatted(std::string_view format, std::span<const core::ScanArg> args,
                        std::int32_t timeout) override;
  HRESULT QueryFormatted(std::string_view writeFormat, std::span<const core::FormatArg> writeArgs,
                         std::string_view readFormat, std::span<const core::ScanArg> readArgs,
                         std::int32_t timeout) override;

  HRESULT WriteNumber(core::FormatArg value, bool flushEnd, std::int32_t timeout) override;
  HRESULT ReadNumber(core::ScanArg value, bool flush, std::int32_t timeout) override;
  HRESULT QueryNumber(std::string_view command, core::ScanArg value, std::int32_t timeout) override;
  HRESULT WriteList(core::FormatArg values, bool flushEnd, std::int32_t timeout) override;
  HRESULT ReadList(core::ScanArg values, bool flush, std::int32_t timeout) override;
  HRESULT QueryList(std::string_view command, core::ScanArg values, std::int32_t timeout) override;
  HRESULT WriteString(std::string_view text, bool flushEnd, std::int32_t timeout) override;
  HRESULT ReadString(std::string& text, bool flush, std::int32_t timeout) override;
  HRESULT QueryString(std::string_view command, std::string& reply, std::int32_t timeout) override;
  HRESULT WriteBinaryBlock(core::FormatArg values, bool flushEnd, std::int32_t timeout) override;
  HRESULT ReadBinaryBlock(core::ScanArg values, bool flush, std::int32_t timeout) override;

 protected:
  CIoSession() = default;

  // Opens the library's session on the resource and configures the line; failures are reported.
  virtual HRESULT OpenResource(std::string_view resourceDescriptor) = 0;
  // Releases the library's session; nothing to do when none is open.
  virtual void CloseResource() = 0;

  // The driver's reporter once the session was opened, else null.
  core::IErrorReporter* Reporter() const { return reporter_; }
  // The failure of an operation on a closed session.
  HRESULT NotConnected();

 private:
  // Ends a composite: polls the instrument's status after a transfer that succeeded.
  HRESULT Finish(HRESULT transfer);
  // Sends a command as it stands (no format) and flushes it with END.
  HRESULT SendCommand(std::string_view command);
  HRESULT ScanNumber(const core::ScanArg& value);
  HRESULT ReportUnexpected(HRESULT scanned);
  // The typed operations' common patterns; a null format is a destination or array whose type
  // the operation does not take.
  HRESULT WriteTyped(const char* format, std::span<const core::FormatArg> args, bool flushEnd,
                     std::int32_t timeout);
  HRESULT ReadTyped(const char* format, const core::ScanArg& values, bool flush,
                    std::int32_t timeout);
  HRESULT QueryTyped(std::string_view command, const char* format, const core::ScanArg& values,
                     std::int32_t timeout);

  std::string readTerminator_ = "\n";
  std::string writeTerminator_ = "\n";
  core::IInstrErrorPoller* poller_ = nullptr;
  core::IErrorReporter* reporter_ = nullptr;
  core::IEnumFormatter* enums_ = nullptr;
  std::unique_ptr<CInstrBuffer> buffer_;
};

// Holds a per-operation timeout for its life: a timeout other than kDefaultTimeout replaces the
// session's and the earlier one is put back at the end, when it could be read.
class TimeoutScope {
 public:
  TimeoutScope(core::IIoSession& session, std::int32_t timeout);
  ~TimeoutScope();
  TimeoutScope(const TimeoutScope&) = delete;
  TimeoutScope& operator=(const TimeoutScope&) = delete;
  HRESULT Status() const { return status_; }

 private:
  core::IIoSession& session_;
  std::int32_t saved_ = 0;
  bool restore_ = false;
  HRESULT status_ = S_OK;
};

}  // namespace tevra::io
