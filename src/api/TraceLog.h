// CTraceLog: the driver's method trace. It writes one XML record per traced call to the trace
// file, keeps the file within its size limit, flushes it at the save interval, and delivers each
// completed record to the registered trace sinks.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "api/MethodTrace.h"
#include "core/ITraceLog.h"

namespace tevra::api {

using core::ITraceSink;

class CTraceLog final : public core::ITraceLog {
 public:
  // Calendar time in seconds; the save check reads it. Tests hand in their own.
  using CalendarClock = std::time_t (*)();

  explicit CTraceLog(CalendarClock clock = nullptr);
  // Ends and closes a file that is still open.
  ~CTraceLog() override;
  CTraceLog(const CTraceLog&) = delete;
  CTraceLog& operator=(const CTraceLog&) = delete;

  // core::ITraceLog. Settings are changed under the driver's lock only (option processing).
  core::TraceSettings& Settings() override { return settings_; }
  bool Enabled() const override { return enabled_.load(std::memory_order_acquire); }
  core::TraceState State() const override { return state_.load(std::memory_order_acquire); }
  HRESULT ApplyTraceSwitch(bool on) override;
  HRESULT Prepare(std::string_view logName) override;
  void SessionEnding() override;
  bool BeginRecord(const core::MethodRecord& method, std::span<const core::Param> params) override;
  void EndRecord(const core::MethodRecord& method, std::span<const core::Param> params,
                 HRESULT result) override;
  void RecordDroppedInput(std::string_view reason, std::string_view head,
                          std::uint64_t total) override;

  // ITevraSystem.TraceEnabled on a live session. Get: recording. Put true: a new file when
  // tracing is not enabled, else recording resumes in the same file unless the size limit
  // stopped it. Put false: recording pauses; the file stays open.
  bool GetTraceEnabled() const override;
  HRESULT PutTraceEnabled(bool on) override;

  std::uint32_t RegisterSink(std::shared_ptr<ITraceSink> sink) override;
  bool UnregisterSink(std::uint32_t cookie) override;

  // Opens a new file: E_UNEXPECTED while recording, the operating-system error when the file
  // cannot be created.
  HRESULT StartTrace();
  // Ends the root element and closes the file; the log is off afterwards.
  void CloseTrace();
  // The path of the current (or last) trace file; empty before the first.
  std::string FilePath() const;

 private:
  struct OpenRecord {
    pid_t thread;
    std::uint64_t startTicks;
    std::size_t depth;  // open elements before the record's "Method"
  };

  HRESULT StartTraceLocked();
  void CloseTraceLocked();
  HRESULT SaveCheckLocked();
  std::string TraceFilePath(std::time_t start) const;
  std::string StylesheetPath() const;

  mutable std::mutex mutex_;  // two channels of one driver may trace at once
  core::TraceSettings settings_;
  std::string logName_;
  bool closeRequested_ = false;
  std::time_t startTime_ = 0;
  std::time_t lastSaveTime_ = 0;
  std::atomic<core::TraceState> state_{core::TraceState::Off};
  std::atomic<bool> enabled_{false};
  TraceDocument doc_;
  std::string path_;
  std::vector<OpenRecord> openRecords_;
  const std::uint32_t processId_;
  struct Sink {
    std::uint32_t cookie;
    std::shared_ptr<ITraceSink> sink;
  };
  std::vector<Sink> sinks_;
  std::uint32_t nextCookie_ = 1;
  CalendarClock clock_;
};

}  // namespace tevra::api
