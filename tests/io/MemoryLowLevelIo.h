// An in-memory ILowLevelIo for the buffer and scanner tests: it serves scripted responses in
// chunks of a chosen size (kResultMoreData while a response goes on), optionally stops a read at
// a line feed as a socket with the termination character enabled does, and records every write
// with the send-END setting in force.
#pragma once

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "core/ErrorReporter.h"
#include "core/IIoSession.h"
#include "platform/ErrorInfo.h"

namespace tevra::io::testing {

// What a read returns when no response is waiting.
inline constexpr HRESULT kReadTimeout = static_cast<HRESULT>(0x80044215u);

class MemoryLowLevelIo final : public core::ILowLevelIo {
 public:
  struct Written {
    std::string bytes;
    bool end;  // END was enabled on the line for this write
    bool operator==(const Written&) const = default;
  };

  std::deque<std::string> responses;
  std::size_t chunk = 4096;
  bool stopAtLineFeed = false;
  std::vector<Written> writes;
  std::size_t reads = 0;
  std::size_t shortBy = 0;  // a write sends this many bytes fewer
  HRESULT writeStatus = S_OK;
  bool sendEnd = true;
  bool lastResponseOpen = false;  // the last response's end never comes: the next read times out

  void Respond(std::string response) { responses.push_back(std::move(response)); }

  HRESULT LowLevelReadNoPoll(std::span<std::uint8_t> buffer, std::size_t& count,
                             std::int32_t) override {
    ++reads;
    count = 0;
    if (responses.empty()) return kReadTimeout;
    std::string& front = responses.front();
    std::size_t n = std::min({chunk, buffer.size(), front.size()});
    if (stopAtLineFeed) {
      const std::size_t lf = front.find('\n');
      if (lf != std::string::npos && lf < n) n = lf + 1;
    }
    std::copy_n(front.data(), n, buffer.data());
    count = n;
    front.erase(0, n);
    const bool atLineFeed = stopAtLineFeed && n > 0 && buffer[n - 1] == '\n';
    if (front.empty()) {
      responses.pop_front();
      return lastResponseOpen && responses.empty() ? core::kResultMoreData : S_OK;
    }
    return atLineFeed ? S_OK : core::kResultMoreData;
  }

  HRESULT LowLevelWriteNoPoll(std::span<const std::uint8_t> data, std::size_t& written,
                              std::int32_t) override {
    written = 0;
    if (FAILED(writeStatus)) return writeStatus;
    written = data.size() > shortBy ? data.size() - shortBy : 0;
    writes.push_back({std::string(data.begin(), data.begin() + written), sendEnd});
    return S_OK;
  }
  HRESULT LowLevelWriteStringNoPoll(std::string_view, std::int32_t) override { return E_NOTIMPL; }
  HRESULT LowLevelReadStringNoPoll(std::string&, std::int32_t) override { return E_NOTIMPL; }
  HRESULT GetTerminationCharacterEnabled(bool& on) override { return on = stopAtLineFeed, S_OK; }
  HRESULT SetTerminationCharacterEnabled(bool on) override { return stopAtLineFeed = on, S_OK; }
  HRESULT GetSendEndEnabled(bool& on) override { return on = sendEnd, S_OK; }
  HRESULT SetSendEndEnabled(bool on) override { return sendEnd = on, S_OK; }
};

// The driver's reporter with an empty call stack; what it reports is read back from the thread.
class ReporterFixture {
  core::CallContextStack calls_;

 public:
  ReporterFixture() { platform::ClearThreadError(); }
  core::CErrorReporter reporter{"Tevra.Tevra.1", calls_};
  static std::string Reported() { return platform::PeekThreadErrorDescription(); }
};

}  // namespace tevra::io::testing
