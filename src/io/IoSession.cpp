#include "io/IoSession.h"

#include "io/FormattedInput.h"
#include "io/FormattedOutput.h"

namespace tevra::io {
namespace {

// A string read longer than this comes back in parts, each with kResultMoreData but the last.
constexpr std::size_t kStringReadChunk = 4096;

}  // namespace

TimeoutScope::TimeoutScope(core::IIoSession& session, std::int32_t timeout) : session_(session) {
  if (timeout == core::kDefaultTimeout) return;
  restore_ = SUCCEEDED(session_.GetTimeout(saved_));
  status_ = session_.SetTimeout(timeout);
}

TimeoutScope::~TimeoutScope() {
  if (restore_) session_.SetTimeout(saved_);
}

HRESULT DropArraysOnFailure(HRESULT hr, std::span<const core::ScanArg> outputs) {
  if (SUCCEEDED(hr)) return hr;
  for (const core::ScanArg& output : outputs) {
    if (output.kind != core::ScanArg::Kind::SafeArray || !output.where) continue;
    SAFEARRAY** slot = static_cast<SAFEARRAY**>(output.where);
    TevraSafeArrayDestroy(*slot);
    *slot = nullptr;
  }
  return hr;
}

CIoSession::~CIoSession() = default;

HRESULT CIoSession::NotConnected() {
  return reporter_ ? reporter_->Report(core::Code::NotInitialized)
                   : core::ComStatusOf(static_cast<int>(core::Code::NotInitialized));
}

// --- lifetime ---

HRESULT CIoSession::Open(std::string_view resourceDescriptor, core::IInstrErrorPoller* poller,
                         core::IErrorReporter* reporter, core::IEnumFormatter* formatter) {
  if (!poller || !reporter || !formatter) return E_POINTER;
  buffer_.reset();
  CloseResource();
  buffer_ = CInstrBuffer::Create(*this, *reporter, readTerminator_, writeTerminator_);
  if (!buffer_)
    return reporter->ReportElaboratedV(
        core::Code::OutOfMemory, "Failed to create the formatted I/O read and write buffers.", {});
  poller_ = poller;
  reporter_ = reporter;
  enums_ = formatter;
  inStep_ = true;
  messageOpen_ = writeCut_ = dropping_ = false;
  const HRESULT hr = OpenResource(resourceDescriptor);
  if (FAILED(hr)) {
    buffer_.reset();
    CloseResource();
  }
  return hr;
}

HRESULT CIoSession::Close() {
  buffer_.reset();  // unsent output is dropped
  CloseResource();
  poller_ = nullptr;
  enums_ = nullptr;
  markerQuery_.clear();
  markerReply_.clear();
  // The reporter belongs to the driver and outlives the session: operations on the closed
  // session still report that no connection is established.
  return S_OK;
}

// --- settings ---

HRESULT CIoSession::GetReadTerminator(std::string& terminator) {
  terminator = readTerminator_;
  return S_OK;
}

HRESULT CIoSession::SetReadTerminator(std::string_view terminator) {
  readTerminator_ = terminator;
  if (buffer_) buffer_->SetReadTerminator(terminator);
  return S_OK;
}

HRESULT CIoSession::GetWriteTerminator(std::string& terminator) {
  terminator = writeTerminator_;
  return S_OK;
}

HRESULT CIoSession::SetWriteTerminator(std::string_view terminator) {
  writeTerminator_ = terminator;
  if (buffer_) buffer_->SetWriteTerminator(terminator);
  return S_OK;
}

HRESULT CIoSession::GetByteSwap(bool& swap) {
  if (!buffer_) return NotConnected();
  swap = buffer_->GetByteSwap();
  return S_OK;
}

HRESULT CIoSession::SetByteSwap(bool swap) {
  if (!buffer_) return NotConnected();
  buffer_->SetByteSwap(swap);
  return S_OK;
}

HRESULT CIoSession::SetBufferSize(core::BufferSelect which, std::int32_t size) {
  if (!buffer_) return NotConnected();
  return buffer_->SetBufferSize(which, size);
}

HRESULT CIoSession::GetReadBufferSize(std::int32_t& size) {
  if (!buffer_) return NotConnected();
  size = buffer_->GetReadBufferSize();
  return S_OK;
}

HRESULT CIoSession::GetWriteBufferSize(std::int32_t& size) {
  if (!buffer_) return NotConnected();
  size = buffer_->GetWriteBufferSize();
  return S_OK;
}

HRESULT CIoSession::FlushWrite(bool sendEnd, std::int32_t timeout) {
  if (!buffer_) return NotConnected();
  const TimeoutScope scope(*this, timeout);
  if (FAILED(scope.Status())) return scope.Status();
  return buffer_->FlushWrite(sendEnd);
}

HRESULT CIoSession::DiscardRead(std::int32_t timeout) {
  if (!buffer_) return NotConnected();
  const TimeoutScope scope(*this, timeout);
  if (FAILED(scope.Status())) return scope.Status();
  return buffer_->DiscardRead();
}

HRESULT CIoSession::PollInstrumentErrors() { return poller_ ? poller_->CheckInstrument() : S_OK; }

// --- unbuffered strings ---

HRESULT CIoSession::LowLevelWriteStringNoPoll(std::string_view text, std::int32_t timeout) {
  if (HRESULT hr = StartMessage(); FAILED(hr)) return hr;
  std::size_t written = 0;
  return LowLevelWriteNoPoll(std::span<const std::uint8_t>(
                                 reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                             written, timeout);
}

HRESULT CIoSession::LowLevelReadStringNoPoll(std::string& text, std::int32_t timeout) {
  text.resize(kStringReadChunk);
  std::size_t count = 0;
  const HRESULT hr = LowLevelReadNoPoll(
      std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(text.data()), text.size()), count,
      timeout);
  text.resize(count);
  return hr;
}

HRESULT CIoSession::Finish(HRESULT transfer) {
  if (FAILED(transfer)) return transfer;
  const HRESULT polled = PollInstrumentErrors();
  return FAILED(polled) ? polled : transfer;
}

HRESULT CIoSession::ReportUnexpected(HRESULT scanned) {
  if (scanned != E_UNEXPECTED) return scanned;
  return reporter_->Report(core::Code::UnexpectedResponse);
}

HRESULT CIoSession::DiscardBeforeQuery() {
  // A failure of an earlier operation was returned by it; the rest of its reply is the
  // session's to get rid of before the next message.
  if (buffer_->ReadFailed()) buffer_->ResetRead();
  return buffer_->DiscardRead();
}

HRESULT CIoSession::ScanReply(std::string_view format, std::span<const core::ScanArg> args,
                              FormatCheck check) {
  const HRESULT hr = ScanInput(*buffer_, *reporter_, enums_, format, args, check);
  // The rest of a reply given up on may still be on its way, and more may follow one that came
  // with more than it should.
  if (FAILED(hr) && (!buffer_->MessageComplete() || LibraryHoldsInput())) inStep_ = false;
  return ReportUnexpected(hr);
}

HRESULT CIoSession::CheckSingleReply(HRESULT scanned) {
  if (FAILED(scanned) || !buffer_->MessageComplete() || !LibraryHoldsInput()) return scanned;
  inStep_ = false;
  return reporter_->ReportElaboratedV(core::Code::UnexpectedResponse,
                                      "The instrument sent more than one reply.", {});
}

// --- formatted I/O ---

HRESULT CIoSession::WriteFormatted(std::string_view format, std::span<const core::FormatArg> args,
                                   std::int32_t timeout) {
  if (!buffer_) return NotConnected();
  return WithTimeout(timeout, [&] { return FormatOutput(*buffer_, enums_, format, args); });
}

HRESULT CIoSession::ReadFormatted(std::string_view format, std::span<const core::ScanArg> args,
                                  std::int32_t timeout) {
  if (!buffer_) return NotConnected();
  return DropArraysOnFailure(
      WithTimeout(timeout, [&] { return CheckSingleReply(ScanReply(format, args)); }), args);
}

HRESULT CIoSession::QueryFormatted(std::string_view writeFormat,
                                   std::span<const core::FormatArg> writeArgs,
                                   std::string_view readFormat,
                                   std::span<const core::ScanArg> readArgs, std::int32_t timeout) {
  if (!buffer_) return NotConnected();
  const HRESULT hr = WithTimeout(timeout, [&] {
    HRESULT hr = DiscardBeforeQuery();
    if (SUCCEEDED(hr)) hr = FormatOutput(*buffer_, enums_, writeFormat, writeArgs);
    if (SUCCEEDED(hr)) hr = buffer_->FlushWrite(true);
    if (SUCCEEDED(hr)) hr = CheckSingleReply(ScanReply(readFormat, readArgs));
    return hr;
  });
  return Finish(DropArraysOnFailure(hr, readArgs));
}

HRESULT CIoSession::QueryChecked(std::string_view command, std::string_view readFormat,
                                 std::span<const core::ScanArg> readArgs, std::int32_t timeout) {
  if (!buffer_) return NotConnected();
  const HRESULT hr = WithTimeout(timeout, [&] {
    HRESULT hr = SendCommand(command);
    if (SUCCEEDED(hr))
      hr = CheckSingleReply(ScanReply(readFormat, readArgs, FormatCheck::AlreadyDone));
    return hr;
  });
  return Finish(DropArraysOnFailure(hr, readArgs));
}

}  // namespace tevra::io
