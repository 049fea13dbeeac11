// Keeping every reply matched to the query that asked for it: the session's unbuffered transfers
// pass through here on their way to the library, so that it knows when the instrument may still
// owe it bytes, and gets back in step before the next message goes out.
#include <algorithm>
#include <chrono>
#include <cstring>

#include "io/IoSession.h"
#include "platform/ErrorInfo.h"

namespace tevra::io {
namespace {

using Dropped = core::IIoObserver::Dropped;
using Clock = std::chrono::steady_clock;

// How much of the dropped input the trace shows.
constexpr std::size_t kDropHead = 64;
// Before the instrument's identity is known there is no marker: the session waits this long for
// input to stop arriving instead, and drops it.
constexpr std::int32_t kGraceMs = 100;

bool IsTimeout(HRESULT hr) {
  return hr == core::ComStatusOf(static_cast<int>(core::Code::IoTimeout));
}

}  // namespace

// Dropped input of one kind, collected until it can be reported in one piece.
struct CIoSession::DropRecord {
  explicit DropRecord(Dropped kind) : why(kind) {}
  void Add(std::span<const std::uint8_t> bytes) {
    const std::size_t n = std::min(bytes.size(), kDropHead - headSize);
    std::memcpy(head + headSize, bytes.data(), n);
    headSize += n;
    total += bytes.size();
  }
  void Add(std::string_view text) {
    Add({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  }

  Dropped why;
  char head[kDropHead];
  std::size_t headSize = 0;
  std::uint64_t total = 0;
};

void CIoSession::Report(DropRecord& record) {
  // A resynchronisation shows in the trace even when nothing had to be dropped.
  if ((record.total > 0 || record.why == Dropped::Resynchronised) && observer_)
    observer_->OnInputDropped(record.why, std::string_view(record.head, record.headSize),
                              record.total);
  record.total = record.headSize = 0;
}

void CIoSession::SetStepMarker(std::string_view query, std::string_view reply) {
  markerQuery_ = query;
  markerReply_ = reply;
}

HRESULT CIoSession::LowLevelReadNoPoll(std::span<std::uint8_t> buffer, std::size_t& count,
                                       std::int32_t timeout) {
  DropRecord dropped(Dropped::Unsolicited);
  HRESULT hr = S_OK;
  for (;;) {
    hr = LibraryRead(buffer, count, timeout);
    if (FAILED(hr)) {
      // The reply may still come, in whole or in part: the next message first gets back in step.
      inStep_ = false;
      messageOpen_ = dropping_ = false;
      break;
    }
    const bool ended = hr != core::kResultMoreData;
    if (!dropping_ && !LibraryReadWasStale()) {
      messageOpen_ = !ended;
      break;
    }
    // Input that arrived before the current exchange began, with the rest of its message: it
    // answers nothing that was asked since.
    dropped.Add(buffer.first(count));
    dropping_ = !ended;
  }
  Report(dropped);
  return hr;
}

HRESULT CIoSession::LowLevelWriteNoPoll(std::span<const std::uint8_t> data, std::size_t& written,
                                        std::int32_t timeout) {
  const HRESULT hr = LibraryWrite(data, written, timeout);
  if (FAILED(hr) || written < data.size()) {
    // The instrument may hold the beginning of a message whose end never came.
    inStep_ = false;
    writeCut_ = true;
  }
  return hr;
}

HRESULT CIoSession::StartMessage() {
  dropping_ = false;
  if (messageOpen_) DrainOpenMessage();  // a failure leaves the session out of step
  if (!inStep_)
    if (HRESULT hr = Resynchronise(); FAILED(hr)) return hr;
  LibraryBeginExchange();
  return S_OK;
}

HRESULT CIoSession::DrainOpenMessage() {
  DropRecord dropped(Dropped::RestOfReply);
  std::uint8_t chunk[1000];
  HRESULT hr = S_OK;
  while (messageOpen_ && SUCCEEDED(hr)) {
    std::size_t count = 0;
    hr = LowLevelReadNoPoll(chunk, count, core::kDefaultTimeout);
    dropped.Add(std::span<const std::uint8_t>(chunk, count));
  }
  Report(dropped);
  return hr;
}

HRESULT CIoSession::Resynchronise() {
  if (LibraryClearResetsInstrument()) return Clear();
  if (!markerQuery_.empty()) return ResynchroniseByMarker();

  // Without a marker, what arrives within the grace period is all that can be dropped.
  LibraryBeginExchange();
  DropRecord dropped(Dropped::Resynchronised);
  std::uint8_t chunk[1000];
  for (;;) {
    std::size_t count = 0;
    const HRESULT hr = LibraryRead(chunk, count, kGraceMs);
    dropped.Add(std::span<const std::uint8_t>(chunk, count));
    if (FAILED(hr)) break;
  }
  platform::ClearThreadError();  // the quiet that ended the wait is no failure
  Report(dropped);
  inStep_ = true;
  messageOpen_ = writeCut_ = false;
  return S_OK;
}

HRESULT CIoSession::ResynchroniseByMarker() {
  std::int32_t timeout = 0;
  if (HRESULT hr = GetTimeout(timeout); FAILED(hr)) return hr;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeout, 0));

  LibraryBeginExchange();
  // A message cut short is ended first, so that the marker is a message of its own.
  const std::string message = (writeCut_ ? "\n" : "") + markerQuery_ + writeTerminator_;
  std::size_t written = 0;
  HRESULT hr = LibraryWrite({reinterpret_cast<const std::uint8_t*>(message.data()), message.size()},
                            written, core::kDefaultTimeout);
  if (FAILED(hr)) return hr;
  writeCut_ = false;

  // Whole messages are dropped until one ends in the marker's reply: garbage without a
  // terminator may run into it.
  DropRecord dropped(Dropped::Resynchronised);
  const std::size_t longest = markerReply_.size() + readTerminator_.size();
  std::string tail;  // the last bytes of the message being read
  std::uint8_t chunk[1024];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    std::size_t count = 0;
    hr = LibraryRead(chunk, count,
                     timeout < 0 ? -1 : static_cast<std::int32_t>(std::max<long long>(left, 1)));
    const std::string_view got(reinterpret_cast<const char*>(chunk), count);
    dropped.Add(got);
    tail += got;
    if (tail.size() > longest) tail.erase(0, tail.size() - longest);
    if (FAILED(hr)) break;
    if (hr == core::kResultMoreData) continue;
    std::string_view reply = tail;
    if (reply.ends_with(readTerminator_)) reply.remove_suffix(readTerminator_.size());
    if (reply.ends_with(markerReply_)) {
      dropped.total -= std::min<std::uint64_t>(dropped.total, tail.size());
      if (dropped.headSize > dropped.total) dropped.headSize = dropped.total;
      Report(dropped);
      inStep_ = true;
      messageOpen_ = false;
      return S_OK;
    }
    tail.clear();
  }
  Report(dropped);
  const std::string text = "no answer to " + markerQuery_ +
                           ", sent to get back in step after an earlier exchange was given up";
  return Reporter()->ReportV(IsTimeout(hr) ? core::Code::IoTimeout : core::Code::IoError, {text});
}

void CIoSession::Cleared(bool instrumentReset) {
  dropping_ = false;
  if (instrumentReset) {
    inStep_ = true;
    writeCut_ = false;
  } else if (messageOpen_) {
    inStep_ = false;  // what was dropped may not have been the whole rest
  }
  messageOpen_ = false;
  if (buffer_) buffer_->ResetRead();
}

}  // namespace tevra::io
