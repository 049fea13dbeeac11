// A driver whose trace log writes the trace file, and what the trace tests ask of that file: how
// often a text occurs in it and whether xmllint takes it as XML.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "api/TraceLog.h"
#include "support/DriverHandle.h"
#include "support/UnconnectedSession.h"

namespace tevra::testing {

// The test keeps a view of the log; without a session the driver has one that never connects.
class TracedDriver : public DriverHandle {
 public:
  explicit TracedDriver(api::CTraceLog::CalendarClock clock = nullptr,
                        std::unique_ptr<core::IIoSession> io = nullptr)
      : TracedDriver(Made{new api::CTraceLog(clock)}, std::move(io)) {}

  // Initializes with this DriverSetup, simulated unless a resource is named.
  HRESULT Start(std::string_view setup, bool idQuery = false, std::string_view resource = "") {
    return Initialize(
        resource,
        (resource.empty() ? "Simulate=true, " : "") + ("DriverSetup=" + std::string(setup)),
        idQuery);
  }
  // A call that is traced whenever the log records, initialized or not.
  HRESULT Identifier() {
    BSTR text = nullptr;
    const HRESULT hr = identity->get_Identifier(&text);
    TevraSysFreeString(text);
    return hr;
  }

  api::CTraceLog* const log;

 private:
  struct Made {
    api::CTraceLog* log;  // owned by the driver once made
  };
  TracedDriver(Made made, std::unique_ptr<core::IIoSession> io)
      : DriverHandle(io ? std::move(io) : std::make_unique<UnconnectedSession>(),
                     std::unique_ptr<core::ITraceLog>(made.log)),
        log(made.log) {}
};

inline int Count(std::string_view text, std::string_view what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != text.npos; at = text.find(what, at + 1)) ++n;
  return n;
}

inline bool XmlLintAccepts(const std::filesystem::path& file) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0)
    throw std::runtime_error("xmllint is missing: run tools/install-deps");
  return std::system(("xmllint --noout '" + file.string() + "'").c_str()) == 0;
}

}  // namespace tevra::testing
