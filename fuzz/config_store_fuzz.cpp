// Feeds arbitrary bytes to the configuration store's reader and checks what must hold for any
// file: a refusal names the file and a line and leaves the store empty; a store that reads is
// consistent (every logical name reaches a session, every session's asset and module exist), and
// the writer's text reads back to the same store and is written again byte for byte the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ConfigStore.h"

#include "Require.h"

using tevra::fuzz::Require;

namespace {

bool NamesALine(std::string_view error) {
  if (!error.starts_with("fuzz:")) return false;
  error.remove_prefix(5);
  const std::size_t digits = error.find_first_not_of("0123456789");
  return digits > 0 && digits != std::string_view::npos && error[digits] == ':';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tevra::core;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ConfigStore store;
  std::string error;
  if (!ParseConfigStore(text, "fuzz", store, error)) {
    Require(NamesALine(error), "a refusal names the file and a line");
    Require(store == ConfigStore{}, "a refused store is left empty");
    return 0;
  }
  for (const LogicalName& logical : store.logicalNames)
    Require(store.FindSession(logical.name) != nullptr, "a logical name reaches its session");
  for (const DriverSession& session : store.driverSessions) {
    Require(store.FindSession(session.name) == &session, "a session is found by its name");
    Require(session.hardwareAsset.empty() || store.FindHardwareAsset(session.hardwareAsset),
            "a session's hardware asset exists");
    Require(session.softwareModule.empty() || store.FindSoftwareModule(session.softwareModule),
            "a session's software module exists");
    Require(ExpandVirtualNames(session.virtualNames).size() <=
                static_cast<std::size_t>(kMaxVirtualRangeNames) + session.virtualNames.size(),
            "virtual names expand within the bound");
  }
  const std::string written = FormatConfigStore(store);
  ConfigStore again;
  Require(ParseConfigStore(written, "fuzz", again, error), "what the writer writes reads back");
  Require(again == store, "the written store reads to the same store");
  Require(FormatConfigStore(again) == written, "writing is a fixed point");
  return 0;
}
