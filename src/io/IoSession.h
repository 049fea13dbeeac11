// CIoSession: the part of every I/O session that does not depend on how the instrument is reached.
// It owns the instrument buffer, the terminators and the references the driver lends at Open
// (status poller, error reporter, enumeration formatter), and builds the formatted and typed
// operations on the buffer. A concrete session supplies the library: opening and closing the
// resource, the unbuffered transfers and the line settings.
//
// Every reply reaches only the call that asked for it. The session knows when the instrument may
// still owe it bytes of an exchange that was given up: after a read failed (a timeout included),
// after a write went out in part, after a reply failed to parse before its end arrived, or when
// more than one reply came for one query. Before it writes the next message it gets back in step:
// with a device clear where the bus has one, else by sending the step marker (the identity query)
// and dropping everything before the marker's known reply. The instrument answers in order, so
// whatever an earlier query still owed arrives, and is dropped, first. In step this costs
// nothing: one flag is tested. Input that arrived before a message was written is never taken as
// its reply either (the transport tells it apart); it is dropped and shown in the trace.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/IIoSession.h"
#include "io/FormatTokens.h"
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

  void SetObserver(core::IIoObserver* observer) final { observer_ = observer; }
  void SetStepMarker(std::string_view query, std::string_view reply) final;
  // Whether replies are known to be matched to queries (no exchange was given up since).
  bool InStep() const { return inStep_; }

  // The unbuffered transfers go through the reply tracking to the library.
  HRESULT LowLevelReadNoPoll(std::span<std::uint8_t> buffer, std::size_t& count,
                             std::int32_t timeout) final;
  HRESULT LowLevelWriteNoPoll(std::span<const std::uint8_t> data, std::size_t& written,
                              std::int32_t timeout) final;
  HRESULT StartMessage() final;
  // The string forms of the unbuffered transfers, over the byte forms: a write is one whole
  // message; a read takes at most 4096 bytes (kResultMoreData when the message goes on).
  HRESULT LowLevelWriteStringNoPoll(std::string_view text, std::int32_t timeout) final;
  HRESULT LowLevelReadStringNoPoll(std::string& text, std::int32_t timeout) final;

  HRESULT WriteFormatted(std::string_view format, std::span<const core::FormatArg> args,
                         std::int32_t timeout) override;
  HRESULT ReadFormatted(std::string_view format, std::span<const core::ScanArg> args,
                        std::int32_t timeout) override;
  HRESULT QueryFormatted(std::string_view writeFormat, std::span<const core::FormatArg> writeArgs,
                         std::string_view readFormat, std::span<const core::ScanArg> readArgs,
                         std::int32_t timeout) override;
  HRESULT QueryChecked(std::string_view command, std::string_view readFormat,
                       std::span<const core::ScanArg> readArgs, std::int32_t timeout) override;

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
  HRESULT QueryBinaryBlock(std::string_view command, core::ScanArg values,
                           std::int32_t timeout) override;

 protected:
  CIoSession() = default;

  // The library's unbuffered transfers (ILowLevelIo::LowLevelReadNoPoll and
  // LowLevelWriteNoPoll without the reply tracking).
  virtual HRESULT LibraryRead(std::span<std::uint8_t> buffer, std::size_t& count,
                              std::int32_t timeout) = 0;
  virtual HRESULT LibraryWrite(std::span<const std::uint8_t> data, std::size_t& written,
                               std::int32_t timeout) = 0;
  // The library's reply matching (visa::Transport::BeginExchange and the rest); a library without
  // it never tells stale input apart.
  virtual void LibraryBeginExchange() {}
  virtual bool LibraryReadWasStale() const { return false; }
  virtual bool LibraryHoldsInput() const { return false; }
  virtual bool LibraryClearResetsInstrument() const { return false; }
  // A concrete session's Clear tells the tracking what the clear did.
  void Cleared(bool instrumentReset);

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
  // The discard a query starts with: whatever is left of the last response goes.
  HRESULT DiscardBeforeQuery();
  HRESULT ReportUnexpected(HRESULT scanned);
  // Scans the reply in the buffer; a reply that does not match is code 23, and one given up
  // before its end puts the session out of step.
  HRESULT ScanReply(std::string_view format, std::span<const core::ScanArg> args,
                    FormatCheck check = FormatCheck::First);
  // The end of a reply that was read to its end: a second message behind it means the reply
  // cannot be told from an unsolicited one, so the call fails and the session is out of step.
  HRESULT CheckSingleReply(HRESULT scanned);
  // Runs a transfer with a per-operation timeout in force; the status check that ends a
  // composite runs after it, with the session timeout.
  template <class Transfer>
  HRESULT WithTimeout(std::int32_t timeout, Transfer&& transfer);

  // --- reply tracking (ReplyStep.cpp) ---
  struct DropRecord;
  // Reads and drops the rest of a reply that was read in part.
  HRESULT DrainOpenMessage();
  // Gets back in step: a device clear, else the step marker.
  HRESULT Resynchronise();
  HRESULT ResynchroniseByMarker();
  void Report(DropRecord& record);

  // The typed operations' common patterns; a null format is a destination or array whose type
  // the operation does not take.
  HRESULT WriteTyped(const char* format, std::span<const core::FormatArg> args, bool flushEnd,
                     std::int32_t timeout);
  HRESULT ReadTyped(const char* format, const core::ScanArg& values, bool flush,
                    std::int32_t timeout);
  HRESULT QueryTyped(std::string_view command, const char* format, const core::ScanArg& values,
                     bool discardRest, std::int32_t timeout);

  std::string readTerminator_ = "\n";
  std::string writeTerminator_ = "\n";
  core::IInstrErrorPoller* poller_ = nullptr;
  core::IErrorReporter* reporter_ = nullptr;
  core::IEnumFormatter* enums_ = nullptr;
  core::IIoObserver* observer_ = nullptr;
  std::unique_ptr<CInstrBuffer> buffer_;

  std::string markerQuery_;
  std::string markerReply_;
  bool inStep_ = true;        // nothing of a given-up exchange can still arrive
  bool messageOpen_ = false;  // the last read stopped before the end of its message
  bool writeCut_ = false;     // a message went out in part: the instrument holds its beginning
  bool dropping_ = false;     // the rest of a message that arrived before its exchange is dropped
};

// A read that failed after it made a safe array for an output hands no array out.
HRESULT DropArraysOnFailure(HRESULT hr, std::span<const core::ScanArg> outputs);

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

template <class Transfer>
HRESULT CIoSession::WithTimeout(std::int32_t timeout, Transfer&& transfer) {
  const TimeoutScope scope(*this, timeout);
  if (FAILED(scope.Status())) return scope.Status();
  return transfer();
}

}  // namespace tevra::io
