#include "io/InstrBuffer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace tevra::io {
namespace {

constexpr std::size_t kDiscardChunk = 1000;

std::unique_ptr<std::uint8_t[]> Allocate(std::int32_t size) {
  return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[size]);
}

bool EndsWith(const std::uint8_t* data, std::size_t size, std::string_view suffix) {
  return !suffix.empty() && size >= suffix.size() &&
         std::memcmp(data + size - suffix.size(), suffix.data(), suffix.size()) == 0;
}

}  // namespace

std::unique_ptr<CInstrBuffer> CInstrBuffer::Create(core::ILowLevelIo& session,
                                                   core::IErrorReporter& reporter,
                                                   std::string_view readTerminator,
                                                   std::string_view writeTerminator) {
  std::unique_ptr<CInstrBuffer> buffer(new (std::nothrow) CInstrBuffer(session, reporter));
  if (!buffer) return nullptr;
  buffer->read_ = Allocate(kInitialCapacity);
  buffer->write_ = Allocate(kInitialCapacity);
  if (!buffer->read_ || !buffer->write_) return nullptr;
  buffer->readCapacity_ = buffer->writeCapacity_ = kInitialCapacity;
  buffer->readTerminator_ = readTerminator;
  buffer->writeTerminator_ = writeTerminator;
  return buffer;
}

CInstrBuffer::CInstrBuffer(core::ILowLevelIo& session, core::IErrorReporter& reporter)
    : session_(session), reporter_(reporter) {}

// --- reading ---

void CInstrBuffer::ClearRead() {
  available_ = scannerAvailable_ = position_ = 0;
  holdsResponse_ = false;
}

HRESULT CInstrBuffer::Refill() {
  ClearRead();
  return Receive(0);
}

HRESULT CInstrBuffer::Receive(std::int32_t kept) {
  // One failed read ends the operation: asking again would start a new wait, and a reply that
  // came late would then answer a call that had already given up on it.
  if (FAILED(readFailure_)) return readFailure_;
  std::size_t count = 0;
  const std::size_t room = static_cast<std::size_t>(readCapacity_ - kept);
  const HRESULT hr = session_.LowLevelReadNoPoll(std::span<std::uint8_t>(read_.get() + kept, room),
                                                 count, core::kDefaultTimeout);
  available_ = scannerAvailable_ = kept + static_cast<std::int32_t>(std::min(count, room));
  if (FAILED(hr)) {
    // Bytes that came before the failure stay readable; the message did not end.
    readFailure_ = hr;
    messageComplete_ = false;
    holdsResponse_ = available_ > 0;
    return available_ > kept ? S_OK : hr;
  }
  holdsResponse_ = true;
  messageComplete_ = hr != core::kResultMoreData;
  if (messageComplete_ && EndsWith(read_.get(), available_, readTerminator_))
    scannerAvailable_ -= static_cast<std::int32_t>(readTerminator_.size());
  return S_OK;
}

void CInstrBuffer::BeginScan() {
  readFailure_ = S_OK;
  if (holdsResponse_ && messageComplete_ && position_ >= scannerAvailable_) ClearRead();
}

void CInstrBuffer::ResetRead() {
  ClearRead();
  messageComplete_ = true;
  readFailure_ = S_OK;
}

HRESULT CInstrBuffer::Peek(std::string_view& text) {
  for (;;) {
    if (position_ < scannerAvailable_) {
      text = std::string_view(reinterpret_cast<const char*>(read_.get()) + position_,
                              scannerAvailable_ - position_);
      return S_OK;
    }
    text = {};
    if (FAILED(readFailure_)) return readFailure_;
    if (holdsResponse_ && messageComplete_) return kEndOfMessage;
    if (HRESULT hr = Refill(); FAILED(hr)) return hr;
  }
}

std::string_view CInstrBuffer::Unread() const {
  return std::string_view(reinterpret_cast<const char*>(read_.get()) + position_,
                          static_cast<std::size_t>(scannerAvailable_ - position_));
}

HRESULT CInstrBuffer::PeekMore(std::string_view& text) {
  const std::int32_t kept = scannerAvailable_ - position_;
  if (kept <= 0) return Peek(text);
  text = Unread();
  if (FAILED(readFailure_)) return readFailure_;
  if (messageComplete_ || kept >= readCapacity_) return kEndOfMessage;
  std::memmove(read_.get(), read_.get() + position_, static_cast<std::size_t>(kept));
  position_ = 0;
  available_ = scannerAvailable_ = kept;
  const HRESULT hr = Receive(kept);
  text = Unread();
  return hr;
}

void CInstrBuffer::Consume(std::size_t count) {
  position_ = std::min<std::int32_t>(position_ + static_cast<std::int32_t>(count), available_);
}

HRESULT CInstrBuffer::ReadChar(char& c) {
  std::string_view text;
  const HRESULT hr = Peek(text);
  if (hr != S_OK) return hr;
  c = text[0];
  ++position_;
  return S_OK;
}

HRESULT CInstrBuffer::PushBack() {
  if (position_ == 0)
    return reporter_.ReportElaboratedV(
        core::Code::OutOfMemory,
        "Can't push character back into read buffer.  Buffer has not been read from.", {});
  --position_;
  return S_OK;
}

HRESULT CInstrBuffer::ReadBytes(std::span<std::uint8_t> into, std::size_t& count) {
  count = std::min<std::size_t>(into.size(), static_cast<std::size_t>(available_ - position_));
  if (count > 0) std::memcpy(into.data(), read_.get() + position_, count);
  position_ += static_cast<std::int32_t>(count);
  if (count == into.size()) return S_OK;
  if (FAILED(readFailure_)) return readFailure_;
  // The rest goes straight into place, in reads that end only at the count: binary data holds
  // bytes equal to the termination character, which must not cut it (nor may a read that ended
  // on such a byte count as the end of the response).
  bool termCharEnabled = false;
  if (FAILED(session_.GetTerminationCharacterEnabled(termCharEnabled))) termCharEnabled = false;
  if (termCharEnabled)
    if (HRESULT hr = session_.SetTerminationCharacterEnabled(false); FAILED(hr)) return hr;
  ClearRead();
  HRESULT hr = S_OK;
  while (count < into.size()) {
    std::size_t got = 0;
    hr = session_.LowLevelReadNoPoll(into.subspan(count), got, core::kDefaultTimeout);
    count += std::min(got, into.size() - count);
    if (FAILED(hr) || hr != core::kResultMoreData) break;
  }
  if (termCharEnabled) session_.SetTerminationCharacterEnabled(true);
  if (FAILED(hr)) {
    readFailure_ = hr;
    messageComplete_ = false;
    return hr;
  }
  // The terminator follows unless the instrument ended the message with END.
  holdsResponse_ = true;
  messageComplete_ = hr == S_OK;
  return count < into.size() ? kEndOfMessage : S_OK;
}

HRESULT CInstrBuffer::DiscardRead() {
  // After a failed read the session is out of step and gets back in step before its next
  // message; waiting here for the rest would only add a second wait. The failure is the
  // operation's.
  HRESULT hr = readFailure_;
  if (!messageComplete_ && SUCCEEDED(hr)) {
    std::uint8_t chunk[kDiscardChunk];
    do {
      std::size_t count = 0;
      hr = session_.LowLevelReadNoPoll(chunk, count, core::kDefaultTimeout);
    } while (hr == core::kResultMoreData);
  }
  ResetRead();
  return FAILED(hr) ? hr : S_OK;
}

// --- writing ---

HRESULT CInstrBuffer::WriteBytes(std::span<const std::uint8_t> data, std::size_t& taken) {
  taken = 0;
  while (taken < data.size()) {
    if (pending_ == writeCapacity_)
      if (HRESULT hr = FlushWrite(false); FAILED(hr)) return hr;
    const std::size_t n = std::min<std::size_t>(
        data.size() - taken, static_cast<std::size_t>(writeCapacity_ - pending_));
    std::memcpy(write_.get() + pending_, data.data() + taken, n);
    pending_ += static_cast<std::int32_t>(n);
    taken += n;
  }
  return S_OK;
}

HRESULT CInstrBuffer::WriteString(std::string_view text, bool endOfMessage, std::size_t& taken) {
  const HRESULT hr =
      WriteBytes(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()),
                                               text.size()),
                 taken);
  if (FAILED(hr) || !endOfMessage) return hr;
  return FlushWrite(true);
}

HRESULT CInstrBuffer::WriteChar(char c, bool endOfMessage) {
  std::size_t taken = 0;
  return WriteString(std::string_view(&c, 1), endOfMessage, taken);
}

HRESULT CInstrBuffer::FlushWrite(bool sendEnd) {
  if (pending_ == 0) return S_OK;
  if (sendEnd && !EndsWith(write_.get(), pending_, writeTerminator_)) {
    // The terminator goes after the pending bytes; when it does not fit, what is pending goes
    // first, as a part of the same message.
    if (static_cast<std::size_t>(writeCapacity_ - pending_) < writeTerminator_.size())
      if (HRESULT hr = Send(false); FAILED(hr)) return hr;
    std::memcpy(write_.get() + pending_, writeTerminator_.data(), writeTerminator_.size());
    pending_ += static_cast<std::int32_t>(writeTerminator_.size());
  }
  return Send(sendEnd);
}

HRESULT CInstrBuffer::Send(bool sendEnd) {
  if (pending_ == 0) return S_OK;
  if (!midMessage_) {
    // A new message: the session gets in step first, and what is left of an earlier response
    // is void.
    if (HRESULT hr = session_.StartMessage(); FAILED(hr)) {
      pending_ = 0;
      return hr;
    }
    ResetRead();
  }
  // A flush without END must not end the message on the line: a long message reaches the
  // instrument as one.
  bool restoreEnd = false;
  if (!sendEnd) {
    bool endEnabled = false;
    if (SUCCEEDED(session_.GetSendEndEnabled(endEnabled)) && endEnabled) {
      if (HRESULT hr = session_.SetSendEndEnabled(false); FAILED(hr)) return hr;
      restoreEnd = true;
    }
  }
  const std::int32_t pending = pending_;
  std::size_t written = 0;
  const HRESULT hr = session_.LowLevelWriteNoPoll(
      std::span<const std::uint8_t>(write_.get(), static_cast<std::size_t>(pending)), written,
      core::kDefaultTimeout);
  if (restoreEnd) session_.SetSendEndEnabled(true);
  pending_ = 0;
  midMessage_ = SUCCEEDED(hr) && !sendEnd;
  if (FAILED(hr)) return hr;
  if (written < static_cast<std::size_t>(pending)) {
    midMessage_ = false;
    char text[160];
    std::snprintf(text, sizeof text,
                  "Flush of formatted I/O write buffer only successfully sent %d of %d bytes to "
                  "the device.",
                  static_cast<int>(written), static_cast<int>(pending));
    return reporter_.ReportIoMessage(text);
  }
  return S_OK;
}

// --- settings ---

HRESULT CInstrBuffer::SetBufferSize(BufferSelect which, std::int32_t size) {
  if (size <= 0 || static_cast<std::int32_t>(which) < 0 || static_cast<std::int32_t>(which) > 2)
    return E_INVALIDARG;
  char text[120];
  if (which != BufferSelect::Write) {
    if (HRESULT hr = DiscardRead(); FAILED(hr)) return hr;
    auto buffer = Allocate(size);
    if (!buffer) {
      std::snprintf(text, sizeof text,
                    "Couldn't allocate formatted I/O read buffer with a capacity of %d bytes.",
                    size);
      return reporter_.ReportElaboratedV(core::Code::OutOfMemory, text, {});
    }
    read_ = std::move(buffer);
    readCapacity_ = size;
  }
  if (which != BufferSelect::Read) {
    if (HRESULT hr = FlushWrite(true); FAILED(hr)) return hr;
    auto buffer = Allocate(size);
    if (!buffer) {
      std::snprintf(text, sizeof text,
                    "Couldn't allocate formatted I/O write buffer with a capacity of %d bytes.",
                    size);
      return reporter_.ReportElaboratedV(core::Code::OutOfMemory, text, {});
    }
    write_ = std::move(buffer);
    writeCapacity_ = size;
  }
  return S_OK;
}

}  // namespace tevra::io
