// A bare driver object for tests of the core mechanisms: the test's own method records and
// bodies run through the real entry path, with a scripted I/O session and a trace log that
// remembers what it saw.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/Driver.h"
#include "state/EnumFormatter.h"
#include "support/ScriptedIoSession.h"

namespace tevra::testing {

class RecordingTraceLog final : public core::ITraceLog {
 public:
  struct Record {
    std::string method;
    std::size_t params;
    HRESULT result;
  };
  core::TraceSettings& Settings() override { return settings_; }
  bool Enabled() const override { return true; }
  core::TraceState State() const override { return core::TraceState::Recording; }
  HRESULT ApplyTraceSwitch(bool) override { return S_OK; }
  HRESULT PutTraceEnabled(bool) override { return S_OK; }
  HRESULT Prepare(std::string_view) override { return S_OK; }
  void SessionEnding() override {}
  bool BeginRecord(const core::MethodRecord& m, std::span<const core::Param>) override {
    open.push_back(m.methodName);
    return true;
  }
  void EndRecord(const core::MethodRecord& m, std::span<const core::Param> p, HRESULT r) override {
    records.push_back({m.methodName, p.size(), r});
  }
  std::vector<std::string> open;
  std::vector<Record> records;

 private:
  core::TraceSettings settings_;
};

// Constructed before the driver, so that the session the driver owns can refer to the script.
struct ScriptHolder {
  ScriptedIoSession::Script script_;
};

class TestDriver final : private ScriptHolder, public core::IObjectRoot, public core::CDriver {
 public:
  TestDriver();
  HRESULT QueryObject(REFIID riid, void** ppv) override {
    return core::GiveFound(FindInherent(riid), ppv);
  }
  ULONG AddRefObject() override { return 1; }
  ULONG ReleaseObject() override { return 1; }

  HRESULT Init(std::string_view options);
  // The enumeration words, as the instrument class lends them.
  HRESULT Format(std::string_view typeName, std::int32_t value, std::string_view& word) override {
    return state::FormatEnum({Calls(), Family(), Reporter()}, typeName, value, word);
  }
  HRESULT Parse(std::string_view typeName, std::string_view word, std::int32_t& value) override {
    return state::ParseEnum({Calls(), Family(), Reporter()}, typeName, word, value);
  }
  HRESULT ParseBooleanResponse(std::string_view reply, VARIANT_BOOL& value) {
    return state::ParseBooleanResponse({Calls(), Family(), Reporter()}, reply, value);
  }
  RecordingTraceLog& TraceRecords() { return static_cast<RecordingTraceLog&>(Trace()); }
  ScriptedIoSession::Script& Script() { return script_; }
};

}  // namespace tevra::testing
