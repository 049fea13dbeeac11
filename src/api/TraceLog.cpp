#include "api/TraceLog.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "api/IviRoot.h"
#include "core/TextUtil.h"
#include "platform/ThreadId.h"

namespace tevra::api {
namespace {

using core::TraceState;

constexpr std::string_view kRoot = "TraceRecords";

std::time_t SystemTime() { return std::time(nullptr); }

std::uint64_t PerformanceCounter() {
  return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

// The counter's frequency is a property of the clock type, fixed for the process.
double CounterSeconds(std::uint64_t ticks) {
  using Period = std::chrono::steady_clock::period;
  return static_cast<double>(ticks) * Period::num / Period::den;
}

using core::EndsWithNoCase;

// Relative names lie in the process's current directory.
std::string InCurrentDirectory(const std::filesystem::path& name) {
  if (name.is_absolute()) return name.string();
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  return ec ? name.string() : (cwd / name).string();
}

}  // namespace

CTraceLog::CTraceLog(CalendarClock clock)
    : processId_(static_cast<std::uint32_t>(getpid())), clock_(clock ? clock : &SystemTime) {}

CTraceLog::~CTraceLog() {
  std::lock_guard lock(mutex_);
  CloseTraceLocked();
}

// --- Switches ---------------------------------------------------------------------------------

// The DriverSetup "Trace" pair, by core::SwitchTrace's rule; the file opens at Initialize.
HRESULT CTraceLog::ApplyTraceSwitch(bool on) {
  std::lock_guard lock(mutex_);
  return core::SwitchTrace(on, enabled_, state_);
}

bool CTraceLog::GetTraceEnabled() const { return state_ == TraceState::Recording; }

HRESULT CTraceLog::PutTraceEnabled(bool on) {
  try {
    std::lock_guard lock(mutex_);
    if (!on) {
      if (state_ == TraceState::Recording) state_ = TraceState::Off;
      return S_OK;
    }
    if (!enabled_) {
      enabled_ = true;
      return StartTraceLocked();
    }
    if (state_ == TraceState::Stopped) return S_OK;
    // Enabled but without a file (it could not be created at Initialize): try again.
    if (!doc_.IsOpen()) return StartTraceLocked();
    state_ = TraceState::Recording;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

// --- Session hooks ----------------------------------------------------------------------------

// A file that cannot be created leaves the log off; the session goes on without a trace, so the
// failure does not reach Initialize. A file still recording from an Initialize that failed
// later goes on receiving records.
HRESULT CTraceLog::Prepare(std::string_view logName) {
  try {
    std::lock_guard lock(mutex_);
    logName_ = logName;
    if (enabled_) StartTraceLocked();
  } catch (...) {
  }
  return S_OK;
}

// The record of Close is still open: the file closes when it ends. Without an open record
// (the trace is paused or stopped) it closes now.
void CTraceLog::SessionEnding() {
  std::lock_guard lock(mutex_);
  if (openRecords_.empty())
    CloseTraceLocked();
  else
    closeRequested_ = true;
}

// --- Records ----------------------------------------------------------------------------------

bool CTraceLog::BeginRecord(const core::MethodRecord& method, std::span<const core::Param> params) {
  // The only cost of a call while the trace does not record.
  if (state_.load(std::memory_order_acquire) != TraceState::Recording) return false;
  const std::uint64_t start = PerformanceCounter();
  std::lock_guard lock(mutex_);
  if (state_ != TraceState::Recording || !doc_.IsOpen()) return false;
  try {
    if (doc_.Depth() == 1) doc_.SetRecordBuffering(!sinks_.empty());
    openRecords_.push_back({platform::ThisThreadId(), start, doc_.Depth()});
  } catch (...) {
    return false;  // nothing written
  }
  try {
    WriteRecordStart(doc_, method, params, start, settings_);
  } catch (...) {
    // The record is open; its end still closes the elements that were started.
  }
  return true;
}

void CTraceLog::RecordDroppedInput(std::string_view reason, std::string_view head,
                                   std::uint64_t total) {
  if (state_.load(std::memory_order_acquire) != TraceState::Recording) return;
  try {
    std::lock_guard lock(mutex_);
    const pid_t thread = platform::ThisThreadId();
    const bool open = std::any_of(openRecords_.begin(), openRecords_.end(),
                                  [thread](const OpenRecord& r) { return r.thread == thread; });
    if (!open || !doc_.IsOpen()) return;
    // Inside the running call's record, where the input was dropped.
    doc_.StartElement("DroppedInput", true);
    doc_.AddAttribute("Reason", reason);
    doc_.AddAttribute("Bytes", std::to_string(total));
    doc_.AddAttribute("Data", head);
    doc_.EndElement(true);
  } catch (...) {
    // the trace never fails the call it records
  }
}

void CTraceLog::EndRecord(const core::MethodRecord&, std::span<const core::Param> params,
                          HRESULT result) {
  const std::uint64_t end = PerformanceCounter();
  std::string record;
  std::vector<std::shared_ptr<ITraceSink>> receivers;
  std::string logName;
  try {
    std::lock_guard lock(mutex_);
    const pid_t thread = platform::ThisThreadId();
    auto it = std::find_if(openRecords_.rbegin(), openRecords_.rend(),
                           [thread](const OpenRecord& r) { return r.thread == thread; });
    if (it == openRecords_.rend()) return;
    const OpenRecord open = *it;
    openRecords_.erase(std::next(it).base());

    if (doc_.IsOpen()) {
      try {
        WriteRecordEnd(doc_, params, result, CounterSeconds(end - open.startTicks), settings_);
      } catch (...) {
      }
      while (doc_.Depth() > open.depth) doc_.EndElement(true);
      if (doc_.Depth() == 1 && doc_.RecordBuffering()) {
        record = doc_.TakeRecord();
        doc_.SetRecordBuffering(false);
        for (const Sink& s : sinks_) receivers.push_back(s.sink);
        logName = logName_;
      }
      SaveCheckLocked();
    }
    if (closeRequested_ && openRecords_.empty()) CloseTraceLocked();
  } catch (...) {
    return;  // out of memory while collecting the event: no event
  }

  for (const std::shared_ptr<ITraceSink>& sink : receivers) {
    try {
      sink->OnTraceEvent(record, 1, logName, processId_);
    } catch (...) {
    }
  }
}

// --- Sinks ------------------------------------------------------------------------------------

std::uint32_t CTraceLog::RegisterSink(std::shared_ptr<ITraceSink> sink) {
  if (!sink) return 0;
  try {
    std::lock_guard lock(mutex_);
    const std::uint32_t cookie = nextCookie_++;
    if (nextCookie_ == 0) nextCookie_ = 1;
    sinks_.push_back({cookie, std::move(sink)});
    return cookie;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

bool CTraceLog::UnregisterSink(std::uint32_t cookie) {
  std::shared_ptr<ITraceSink> released;  // its last reference goes outside the lock
  std::lock_guard lock(mutex_);
  auto it = std::find_if(sinks_.begin(), sinks_.end(),
                         [cookie](const Sink& s) { return s.cookie == cookie; });
  if (it == sinks_.end()) return false;
  released = std::move(it->sink);
  sinks_.erase(it);
  return true;
}

// --- The file ---------------------------------------------------------------------------------

HRESULT CTraceLog::StartTrace() {
  try {
    std::lock_guard lock(mutex_);
    return StartTraceLocked();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

void CTraceLog::CloseTrace() {
  std::lock_guard lock(mutex_);
  CloseTraceLocked();
}

std::string CTraceLog::FilePath() const {
  std::lock_guard lock(mutex_);
  return path_;
}

std::string CTraceLog::TraceFilePath(std::time_t start) const {
  if (!settings_.name.empty()) {
    std::string name = settings_.name;
    if (!EndsWithNoCase(name, ".xml")) name += ".xml";
    return InCurrentDirectory(name);
  }
  std::tm local{};
  localtime_r(&start, &local);
  char stamp[32];
  const std::size_t n = std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
  return InCurrentDirectory(logName_ + "_" + std::string(stamp, n) + ".xml");
}

// A transform named without a folder is a shared component; a name with a folder is used as it
// is.
std::string CTraceLog::StylesheetPath() const {
  std::string transform = settings_.transform.empty() ? "trace.xslt" : settings_.transform;
  if (transform.find('/') != std::string::npos) return transform;
  if (!EndsWithNoCase(transform, ".xslt")) transform += ".xslt";
  return IviComponentPath(transform);
}

HRESULT CTraceLog::StartTraceLocked() {
  if (state_ == TraceState::Recording) return E_UNEXPECTED;
  // A file left open by an earlier start (the trace was stopped) is finished first.
  CloseTraceLocked();

  const std::time_t now = clock_();
  const std::string path = TraceFilePath(now);
  const HRESULT hr = doc_.Create(path);
  if (FAILED(hr)) return hr;
  path_ = path;

  doc_.WriteText("<?xml version=\"1.0\"?>\r\n", false);
  const std::string stylesheet = StylesheetPath();
  std::error_code ec;
  if (std::filesystem::is_regular_file(stylesheet, ec)) {
    doc_.WriteText("<?xml-stylesheet type=\"text/xsl\" href=\"file:\\\\" + stylesheet + "\"?>\r\n",
                   false);
  }
  doc_.StartElement(kRoot, false);

  startTime_ = now;
  state_ = TraceState::Recording;
  return S_OK;
}

void CTraceLog::CloseTraceLocked() {
  if (doc_.IsOpen()) {
    doc_.SetRecordBuffering(false);
    while (doc_.Depth() > 0) doc_.EndElement(false);
    doc_.Close();
  }
  closeRequested_ = false;
  state_ = TraceState::Off;
}

// Runs after every record. Only the minutes of the time since the last save count (0 to 59), so
// with an interval of 5 minutes a record 6 minutes after the last save flushes and one 61
// minutes after it does not.
HRESULT CTraceLog::SaveCheckLocked() {
  const std::time_t now = clock_();
  const std::time_t elapsed = std::max<std::time_t>(0, now - lastSaveTime_);
  const std::int64_t minutes = (static_cast<std::int64_t>(elapsed) / 60) % 60;
  if (minutes < settings_.saveInterval) return S_OK;

  if (!doc_.Flush()) {
    lastSaveTime_ = now;
    return static_cast<HRESULT>(0x80070000u | (static_cast<unsigned>(errno) & 0xFFFFu));
  }
  HRESULT hr = S_OK;
  if (doc_.Size() > settings_.sizeMax) {
    if (enabled_ && state_ != TraceState::Off)
      state_ = TraceState::Stopped;  // no more records; the file stays open
    else
      hr = E_UNEXPECTED;
  }
  lastSaveTime_ = now;
  return hr;
}

}  // namespace tevra::api
