// Feeds arbitrary bytes to the Initialize option-string processing and checks what must hold for
// any text: the pair scanner agrees with a brute-force reading of its rule, the split is a prefix
// and a suffix of the input, the maps hold lower-cased trimmed names, the flags match the stored
// values, and only the documented statuses come back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/CallContext.h"
#include "core/ErrorReporter.h"
#include "core/ITraceLog.h"
#include "core/Options.h"
#include "platform/ErrorInfo.h"

#include "Require.h"

using tevra::fuzz::Require;

namespace {

using namespace tevra::core;

// Inputs up to this size are also scanned by the (cubic) reference scanner.
constexpr std::size_t kReferenceScanLimit = 96;

bool HasPairDelimiter(std::string_view text) {
  return text.find_first_of(",=") != std::string_view::npos;
}

bool IsStoredName(std::string_view name) {
  return Trim(name) == name && ToLower(name) == name && !HasPairDelimiter(name);
}

bool IsStoredValue(std::string_view value) {
  return Trim(value) == value && !HasPairDelimiter(value);
}

// NAME "=" VALUE with NAME and VALUE one or more characters other than ',' and '='.
bool IsRun(std::string_view piece) {
  const std::size_t equals = piece.find('=');
  return equals != std::string_view::npos && equals > 0 && equals + 1 < piece.size() &&
         !HasPairDelimiter(piece.substr(0, equals)) && !HasPairDelimiter(piece.substr(equals + 1));
}

// The scanner rule read literally: from the current position, the leftmost start that begins a
// run, then the longest run from there; continue after it.
PairMap ReferenceScan(std::string_view text) {
  PairMap pairs;
  std::size_t from = 0;
  for (;;) {
    bool matched = false;
    for (std::size_t start = from; start < text.size() && !matched; ++start) {
      for (std::size_t end = text.size(); end >= start + 3 && !matched; --end) {
        const std::string_view piece = text.substr(start, end - start);
        if (!IsRun(piece)) continue;
        const std::size_t equals = piece.find('=');
        pairs[std::string(Trim(piece.substr(0, equals)))] =
            std::string(Trim(piece.substr(equals + 1)));
        from = end;
        matched = true;
      }
    }
    if (!matched) return pairs;
  }
}

void CheckScanner(std::string_view text) {
  PairMap pairs;
  ScanPairs(text, pairs);
  for (const auto& [name, value] : pairs) {
    Require(Trim(name) == name && !HasPairDelimiter(name), "scanned name trimmed, no delimiter");
    Require(IsStoredValue(value), "scanned value trimmed, no delimiter");
  }
  if (text.size() <= kReferenceScanLimit) {
    Require(pairs == ReferenceScan(text), "scanner agrees with the reference scanner");
  }
}

void CheckOptionString(std::string_view text) {
  const OptionSplit split = SplitDriverSetup(text);
  Require(text.substr(0, split.optionPart.size()) == split.optionPart, "option part is a prefix");
  if (split.hasDriverSetup) {
    Require(text.size() >= split.optionPart.size() + split.driverSetup.size() &&
                text.substr(text.size() - split.driverSetup.size()) == split.driverSetup,
            "DriverSetup text is a suffix after the option part");
  } else {
    Require(split.optionPart.size() == text.size(), "no section: everything is the option part");
  }

  SessionFlags flags;
  PairMap optionMap{{"Left Over", "from before"}};  // must be cleared
  PairMap driverSetupMap;
  std::string driverSetupText;
  std::string model = "QX1300";
  NullTraceLog trace;
  CallContextStack calls;
  CTevraErrorReporter reporter("Tevra.Counter", calls);
  tevra::visa::OpenOptions connection;
  OptionTarget target{flags, optionMap, driverSetupMap, driverSetupText,
                      model, trace,     reporter,       connection};

  tevra::platform::ClearThreadError();
  const HRESULT status = ProcessOptionString(text, target);
  Require(status == S_OK || status == ComStatusOf(19) || status == ComStatusOf(22),
          "status is success, code 19 or code 22");
  Require(SUCCEEDED(status) != tevra::platform::HasThreadError(),
          "error information exactly on failure");
  tevra::platform::ClearThreadError();

  for (const auto& [name, value] : optionMap) {
    Require(IsStoredName(name) && !name.empty(), "option name lower case, trimmed, not empty");
    Require(IsStoredValue(value) && !value.empty(), "option value trimmed, not empty");
  }
  for (const auto& [name, value] : driverSetupMap) {
    Require(IsStoredName(name), "DriverSetup name lower case, trimmed");
    Require(IsStoredValue(value), "DriverSetup value trimmed");
  }
  if (split.hasDriverSetup) {
    Require(driverSetupText == split.driverSetup, "DriverSetup property is the raw section");
  } else {
    Require(driverSetupText.empty() && driverSetupMap.empty(), "no section leaves DriverSetup");
  }
  if (FAILED(status)) return;

  PairMap scannedOptions;
  ScanPairs(split.optionPart, scannedOptions);
  for (const auto& scanned : scannedOptions) {
    Require(optionMap.count(ToLower(scanned.first)) == 1, "every scanned option is stored");
  }
  Require(optionMap.size() <= scannedOptions.size(), "nothing stored that was not scanned");

  const std::pair<const char*, bool SessionFlags::*> flagNames[] = {
      {"cache", &SessionFlags::cache},
      {"interchangecheck", &SessionFlags::interchangeCheck},
      {"queryinstrstatus", &SessionFlags::queryInstrumentStatus},
      {"rangecheck", &SessionFlags::rangeCheck},
      {"recordcoercions", &SessionFlags::recordCoercions},
      {"simulate", &SessionFlags::simulate},
  };
  const SessionFlags defaults;
  for (const auto& [name, flag] : flagNames) {
    const auto stored = optionMap.find(name);
    bool expected = defaults.*flag;
    if (stored != optionMap.end()) {
      Require(ParseBoolWord(stored->second, expected), "stored flag value is a boolean word");
    }
    Require(flags.*flag == expected, "flag matches its stored value or its default");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckScanner(text);
  CheckOptionString(text);
  return 0;
}
