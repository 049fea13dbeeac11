// The Initialize option string and its DriverSetup section: the grammar, the six session flags,
// the option and DriverSetup maps, and the DriverSetup settings (model and trace).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "core/ErrorReporter.h"
#include "core/ITraceLog.h"
#include "core/TextUtil.h"
#include "visa/OpenOptions.h"

namespace tevra::core {

struct SessionFlags {
  bool cache = true;
  bool interchangeCheck = false;
  bool queryInstrumentStatus = false;
  bool rangeCheck = true;
  bool recordCoercions = false;
  bool simulate = false;
  bool operator==(const SessionFlags&) const = default;
};

using PairMap = std::map<std::string, std::string>;

// Collects every leftmost, longest NAME=VALUE run (NAME and VALUE one or more characters other
// than ',' and '='), both halves trimmed; a later pair with the same name replaces the earlier.
// Never fails.
void ScanPairs(std::string_view text, PairMap& out);

struct OptionSplit {
  std::string_view optionPart;  // everything before the DRIVERSETUP keyword (or the whole string)
  bool hasDriverSetup = false;
  std::string_view driverSetup;  // everything after the keyword's "="
};
OptionSplit SplitDriverSetup(std::string_view optionString);

// "true", "VI_TRUE", "1" / "false", "VI_FALSE", "0", without regard to case, after trimming.
bool ParseBoolWord(std::string_view text, bool& value);
// Leading white space, optional sign, decimal digits; the rest ignored; no digits gives 0.
std::int32_t ParseDecimalInt(std::string_view text);

// What option processing changes on the driver.
struct OptionTarget {
  SessionFlags& flags;
  PairMap& optionMap;       // lower-cased names
  PairMap& driverSetupMap;  // lower-cased names
  std::string& driverSetupText;
  std::string& model;
  ITraceLog& trace;
  CTevraErrorReporter& reporter;
  visa::OpenOptions& connection;  // the DriverSetup connection settings
};

HRESULT ProcessOptionString(std::string_view optionString, OptionTarget& target);
HRESULT ProcessInitOption(std::string_view name, std::string_view value, OptionTarget& target);
HRESULT ProcessDriverSetup(std::string_view text, OptionTarget& target);
HRESULT ApplyDriverSetupPair(std::string_view name, std::string_view value, OptionTarget& target);

}  // namespace tevra::core
