// The driver's trace object as the core sees it: the DriverSetup trace settings, the switch, and
// the per-call record hooks of the entry path. The recorder that writes the XML file plugs in
// behind this interface; until then NullTraceLog keeps the settings and writes nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/CallContext.h"
#include "core/Param.h"

namespace tevra::core {

enum class TraceState : std::int32_t { Recording = 0, Off = 1, Stopped = 2 };

struct TraceSettings {
  std::string name;       // "TraceName"
  std::string transform;  // "TraceTransform"
  std::int32_t sizeMax = 1000000;
  bool array = false;
  std::int32_t arraySizeMax = 10;
  std::int32_t saveInterval = 1;
};

// A receiver of the trace event. OnTraceEvent gets each completed top-level record (the text
// from its "<Method" to its end tag), the record kind (always 1), the log name (the driver's
// identifier) and the process identifier. It runs on the thread that made the call, outside the
// log's lock; what it throws is ignored.
class ITraceSink {
 public:
  virtual ~ITraceSink() = default;
  virtual void OnTraceEvent(std::string_view record, std::int32_t kind, std::string_view logName,
                            std::uint32_t processId) = 0;
};

class ITraceLog {
 public:
  virtual ~ITraceLog() = default;

  // The trace event's receivers. Register returns a cookie (never 0; 0 when the sink is null,
  // memory runs out, or the log delivers no events); Unregister returns whether the cookie was
  // registered.
  virtual std::uint32_t RegisterSink(std::shared_ptr<ITraceSink> sink) { return 0; }
  virtual bool UnregisterSink(std::uint32_t cookie) { return false; }

  virtual TraceSettings& Settings() = 0;
  virtual bool Enabled() const = 0;
  virtual TraceState State() const = 0;
  // The DriverSetup "Trace" pair. Off while recording stops the trace and switches tracing off;
  // off while already stopped fails with E_UNEXPECTED and leaves tracing on.
  virtual HRESULT ApplyTraceSwitch(bool on) = 0;
  // The TraceEnabled property on a live session. Get: recording. Put true: a new file when
  // tracing was not enabled, else recording resumes unless the size limit stopped it. Put false:
  // recording pauses, the file stays open.
  virtual bool GetTraceEnabled() const { return State() == TraceState::Recording; }
  virtual HRESULT PutTraceEnabled(bool on) = 0;

  // Initialize: the log takes the driver's identifier and starts when tracing is on.
  virtual HRESULT Prepare(std::string_view logName) = 0;
  // Close: the session ends; the log closes after the current record.
  virtual void SessionEnding() = 0;

  // Entry path: returns whether a record was opened (the end is written only then).
  virtual bool BeginRecord(const MethodRecord& method, std::span<const Param> params) = 0;
  virtual void EndRecord(const MethodRecord& method, std::span<const Param> params,
                         HRESULT result) = 0;
  // Input the I/O session dropped during the calling thread's open record: why, its first bytes
  // and how many in all. Nothing when no record is open.
  virtual void RecordDroppedInput(std::string_view reason, std::string_view head,
                                  std::uint64_t total) {}
};

// The Trace option switched: on only records the wish; off while recording stops the trace (so
// TraceEnabled cannot resume it), off while paused just disables, off while already stopped by the
// size limit is refused and tracing stays enabled.
// Flag and State are plain or atomic.
template <class Flag, class State>
HRESULT SwitchTrace(bool on, Flag& enabled, State& state) {
  if (on) {
    enabled = true;
    return S_OK;
  }
  if (!enabled) return S_OK;
  if (state == TraceState::Stopped) return E_UNEXPECTED;
  if (state == TraceState::Recording) state = TraceState::Stopped;
  enabled = false;
  return S_OK;
}

class NullTraceLog final : public ITraceLog {
 public:
  TraceSettings& Settings() override { return settings_; }
  bool Enabled() const override { return enabled_; }
  TraceState State() const override { return state_; }
  HRESULT ApplyTraceSwitch(bool on) override { return SwitchTrace(on, enabled_, state_); }
  // Without a file, enabling only records the wish.
  HRESULT PutTraceEnabled(bool on) override {
    if (on) enabled_ = true;
    return S_OK;
  }
  HRESULT Prepare(std::string_view) override { return S_OK; }
  void SessionEnding() override {}
  bool BeginRecord(const MethodRecord&, std::span<const Param>) override { return false; }
  void EndRecord(const MethodRecord&, std::span<const Param>, HRESULT) override {}

 private:
  TraceSettings settings_;
  bool enabled_ = false;
  TraceState state_ = TraceState::Off;
};

}  // namespace tevra::core
