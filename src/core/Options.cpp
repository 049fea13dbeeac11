#include "core/Options.h"

#include <array>
#include <limits>
#include <string>
#include <utility>

namespace tevra::core {
namespace {

constexpr std::string_view kDriverSetupKeyword = "driversetup";
constexpr std::string_view kDriverSetupAssignment = "driversetup=";

bool IsPairDelimiter(char c) { return c == ',' || c == '='; }

std::size_t SkipWhiteSpace(std::string_view text, std::size_t at) {
  while (at < text.size() && IsWhiteSpace(text[at])) ++at;
  return at;
}

// End of the run of characters other than ',' and '=' that starts at `at`.
std::size_t EndOfPairPiece(std::string_view text, std::size_t at) {
  while (at < text.size() && !IsPairDelimiter(text[at])) ++at;
  return at;
}

struct FlagOption {
  std::string_view name;
  bool SessionFlags::*flag;
};

constexpr std::array<FlagOption, 6> kFlagOptions{{
    {"cache", &SessionFlags::cache},
    {"interchangecheck", &SessionFlags::interchangeCheck},
    {"queryinstrstatus", &SessionFlags::queryInstrumentStatus},
    {"rangecheck", &SessionFlags::rangeCheck},
    {"recordcoercions", &SessionFlags::recordCoercions},
    {"simulate", &SessionFlags::simulate},
}};

void StorePair(PairMap& map, std::string name, std::string_view value) {
  map.insert_or_assign(std::move(name), std::string(value));
}

}  // namespace

// A run can only start at the beginning of a maximal stretch of characters other than ',' and
// '=' (any later start inside the stretch ends at the same place), and it matches exactly when
// that stretch ends at '=' and another such stretch follows at once; the value takes all of it.
void ScanPairs(std::string_view text, PairMap& out) {
  std::size_t at = 0;
  while (at < text.size()) {
    if (IsPairDelimiter(text[at])) {
      ++at;
      continue;
    }
    const std::size_t nameEnd = EndOfPairPiece(text, at);
    if (nameEnd == text.size()) return;
    if (text[nameEnd] == ',') {
      at = nameEnd + 1;
      continue;
    }
    const std::size_t valueStart = nameEnd + 1;
    const std::size_t valueEnd = EndOfPairPiece(text, valueStart);
    if (valueEnd == valueStart) {  // empty value or a doubled '='
      at = valueStart;
      continue;
    }
    StorePair(out, std::string(Trim(text.substr(at, nameEnd - at))),
              Trim(text.substr(valueStart, valueEnd - valueStart)));
    at = valueEnd;
  }
}

OptionSplit SplitDriverSetup(std::string_view optionString) {
  OptionSplit split{optionString, false, {}};
  std::size_t keyword = FindNoCase(optionString, kDriverSetupAssignment);
  std::size_t textStart =
      keyword == std::string_view::npos ? 0 : keyword + kDriverSetupAssignment.size();

  // Without "DRIVERSETUP=", the first DRIVERSETUP followed by a blank is the section when only
  // white space stands between it and the next '=' or the end of the string.
  for (std::size_t from = 0; keyword == std::string_view::npos;) {
    const std::size_t found = FindNoCase(optionString.substr(from), kDriverSetupKeyword);
    if (found == std::string_view::npos) return split;
    const std::size_t at = from + found;
    const std::size_t after = at + kDriverSetupKeyword.size();
    if (after == optionString.size() || !IsWhiteSpace(optionString[after])) {
      from = at + 1;
      continue;
    }
    const std::size_t next = SkipWhiteSpace(optionString, after);
    if (next < optionString.size() && optionString[next] != '=') return split;
    keyword = at;
    textStart = next < optionString.size() ? next + 1 : next;
  }

  split.optionPart = optionString.substr(0, keyword);
  split.hasDriverSetup = true;
  split.driverSetup = optionString.substr(textStart);
  return split;
}

bool ParseBoolWord(std::string_view text, bool& value) {
  const std::string_view word = Trim(text);
  for (std::string_view trueWord : {"true", "VI_TRUE", "1"}) {
    if (EqualsNoCase(word, trueWord)) {
      value = true;
      return true;
    }
  }
  for (std::string_view falseWord : {"false", "VI_FALSE", "0"}) {
    if (EqualsNoCase(word, falseWord)) {
      value = false;
      return true;
    }
  }
  return false;
}

std::int32_t ParseDecimalInt(std::string_view text) {
  std::size_t at = SkipWhiteSpace(text, 0);
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  std::int64_t magnitude = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    magnitude = magnitude * 10 + (text[at] - '0');
    if (magnitude > kMax + 1) magnitude = kMax + 1;  // saturates: more digits only grow it
  }
  const std::int64_t result = negative ? -magnitude : magnitude;
  if (result > kMax) return static_cast<std::int32_t>(kMax);
  if (result < kMin) return static_cast<std::int32_t>(kMin);
  return static_cast<std::int32_t>(result);
}

HRESULT ProcessOptionString(std::string_view optionString, OptionTarget& target) {
  target.optionMap.clear();
  if (optionString.empty()) return S_OK;

  const OptionSplit split = SplitDriverSetup(optionString);
  if (split.hasDriverSetup) {
    const HRESULT status = ProcessDriverSetup(split.driverSetup, target);
    if (FAILED(status)) return status;
  }

  PairMap pairs;
  ScanPairs(split.optionPart, pairs);
  for (const auto& [name, value] : pairs) {
    const HRESULT status = ProcessInitOption(name, value, target);
    if (FAILED(status)) return status;
  }
  return S_OK;
}

HRESULT ProcessInitOption(std::string_view name, std::string_view value, OptionTarget& target) {
  const std::string_view trimmedName = Trim(name);
  const std::string_view trimmedValue = Trim(value);
  if (trimmedName.empty())
    return target.reporter.Report(Code::NullPointer, "ProcessInitOption", "strNameIn");
  if (trimmedValue.empty()) {
    return target.reporter.Report(Code::NullPointer, "ProcessInitOption", "strValueIn");
  }

  std::string loweredName = ToLower(trimmedName);
  for (const FlagOption& option : kFlagOptions) {
    if (loweredName != option.name) continue;
    bool on = false;
    if (!ParseBoolWord(trimmedValue, on)) {
      return target.reporter.Report(Code::UnknownOptionValue, trimmedValue);
    }
    target.flags.*option.flag = on;
    break;
  }
  StorePair(target.optionMap, std::move(loweredName), trimmedValue);
  return S_OK;
}

HRESULT ProcessDriverSetup(std::string_view text, OptionTarget& target) {
  target.driverSetupMap.clear();
  target.driverSetupText = std::string(text);
  target.connection = {};

  constexpr std::string_view kPhasesColon = "NumPhases:";
  std::string scanned(text);
  for (std::size_t at = scanned.find(kPhasesColon); at != std::string::npos;
       at = scanned.find(kPhasesColon, at + kPhasesColon.size())) {
    scanned[at + kPhasesColon.size() - 1] = '=';
  }

  PairMap pairs;
  ScanPairs(scanned, pairs);
  for (const auto& [name, value] : pairs) {
    const HRESULT status = ApplyDriverSetupPair(name, value, target);
    if (FAILED(status)) return status;
  }
  return S_OK;
}

HRESULT ApplyDriverSetupPair(std::string_view name, std::string_view value, OptionTarget& target) {
  std::string loweredName = ToLower(Trim(name));
  const std::string_view trimmedValue = Trim(value);
  TraceSettings& settings = target.trace.Settings();
  HRESULT status = S_OK;

  if (loweredName == "model") {
    target.model = std::string(trimmedValue);
  } else if (loweredName == "tracename") {
    settings.name = std::string(trimmedValue);
  } else if (loweredName == "tracetransform") {
    settings.transform = std::string(trimmedValue);
  } else if (loweredName == "tracesizemax") {
    settings.sizeMax = ParseDecimalInt(trimmedValue);
  } else if (loweredName == "tracearraysizemax") {
    settings.arraySizeMax = ParseDecimalInt(trimmedValue);
  } else if (loweredName == "tracesaveinterval") {
    settings.saveInterval = ParseDecimalInt(trimmedValue);
  } else if (loweredName == "trace" || loweredName == "tracearray") {
    bool on = false;
    if (!ParseBoolWord(trimmedValue, on)) {
      status = target.reporter.Report(Code::UnknownOptionValue, trimmedValue);
    } else if (loweredName == "trace") {
      status = target.trace.ApplyTraceSwitch(on);
    } else {
      settings.array = on;
    }
  } else if (visa::ApplyConnectionSetting(loweredName, trimmedValue, target.connection) ==
             visa::SettingResult::BadValue) {
    status = target.reporter.Report(Code::UnknownOptionValue, trimmedValue);
  }

  StorePair(target.driverSetupMap, std::move(loweredName), trimmedValue);
  return status;
}

}  // namespace tevra::core
