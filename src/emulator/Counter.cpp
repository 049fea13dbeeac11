#include "emulator/Counter.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <utility>

#include "core/Identity.h"
#include "core/ReadingStatistics.h"
#include "core/Registry.h"
#include "core/TextUtil.h"

namespace tevra::emulator {
namespace {

// The most readings one measurement keeps.
constexpr long kMaxReadings = 1000000;
// Readings scatter by this fraction of their nominal value (a function whose nominal value is
// zero, such as phase, by this much in its own unit).
constexpr double kRelativeNoise = 1e-7;
constexpr double kAbsoluteNoise = 1e-3;
// What a query answers for a value it does not have (no readings yet).
constexpr double kNotANumber = 9.91e37;

std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%+.15E", value);
  return text;
}

std::string Join(const std::vector<double>& values, std::size_t count) {
  std::string list;
  for (std::size_t i = 0; i < count && i < values.size(); ++i) {
    if (i) list.push_back(',');
    list += Number(values[i]);
  }
  return list;
}

// The conversion a template writes its value with: the text from its last '%' on.
std::string_view LastConversion(std::string_view format) {
  const std::size_t at = format.rfind('%');
  return at == std::string_view::npos ? std::string_view() : format.substr(at);
}

// A row's simulated value as a counter would answer its query, written the way the row's
// response format (or, without one, the value conversion of its put) reads it.
std::string DefaultReply(const core::Property& row) {
  const char* format = row.get.responseFormat;
  if (!format && row.put.commandTemplate) format = std::strchr(row.put.commandTemplate, ' ');
  const std::string_view conversion = LastConversion(format ? format : "");
  const double number = row.simulated.number;
  if (row.type == core::ValueType::String) {
    const std::string text(row.simulated.text);
    return format && std::strchr(format, '"') ? "\"" + text + "\"" : text;
  }
  if (const std::size_t open = conversion.find('{'); open != std::string_view::npos) {
    const std::size_t close = conversion.find('}', open);
    const std::string_view type = core::BaseTypeName(conversion.substr(open + 1, close - open - 1));
    for (const auto links : {row.get.enums, row.put.enums}) {
      for (const core::EnumWords& words : core::LinksOf(links, type)) {
        for (const core::EnumRow& entry : words.rows) {
          const bool same = type == core::kBooleanTypeName ? (entry.value != 0) == (number != 0)
                                                           : entry.value == number;
          if (!same) continue;
          // A get read as a number (no response format) hears the word that is one.
          if (!row.get.responseFormat)
            for (const std::string_view word : entry.words)
              if (!word.empty() && std::strtod(std::string(word).c_str(), nullptr) != 0)
                return std::string(word);
          return entry.words[0].empty() ? std::to_string(entry.value) : std::string(entry.words[0]);
        }
      }
    }
    return std::string();
  }
  if (row.type == core::ValueType::Double || row.type == core::ValueType::Float)
    return Number(number);
  return std::to_string(static_cast<long long>(number));
}

// The header a get template queries, with its channel number (when it has one) filled in;
// empty for a query that takes arguments or other conversions.
std::string QueryHeader(const char* get, int channel) {
  std::string_view text = core::Trim(get);
  const std::size_t mark = text.find('?');
  if (mark == std::string_view::npos || !core::Trim(text.substr(mark + 1)).empty()) return {};
  text = text.substr(0, mark);
  if (!text.empty() && text.front() == ':') text.remove_prefix(1);
  std::string header(text);
  if (const std::size_t at = header.find("%d"); at != std::string::npos)
    header.replace(at, 2, std::to_string(channel));
  if (header.find('%') != std::string::npos) return {};
  return core::ToUpper(header);
}

// The unit DATA:LAST? gives a reading of the function in.
const char* UnitOf(std::string_view function) {
  if (function.starts_with("FREQ:RAT")) return "";
  if (function.starts_with("FREQ")) return "HZ";
  if (function.starts_with("PHAS")) return "DEG";
  if (function.starts_with("PDUT") || function.starts_with("NDUT")) return "";
  if (function.starts_with("TOT")) return "";
  return "S";
}

// A header with the numeric suffix 1 left out of every node, so that "INP:LEV" and "INP1:LEV"
// name one setting.
std::string Canonical(std::string header) {
  for (std::size_t at = header.find('1'); at != std::string::npos; at = header.find('1', at)) {
    const bool endsNode = at + 1 == header.size() || header[at + 1] == ':' || header[at + 1] == '?';
    if (at > 0 && std::isalpha(static_cast<unsigned char>(header[at - 1])) && endsNode) {
      header.erase(at, 1);
    } else {
      ++at;
    }
  }
  return header;
}

// Settings a counter answers in another form than they are set in: the input range is set as
// MIN or MAX and read back as its full scale.
struct QueryForm {
  std::string_view node;
  std::string_view word;
  std::string_view reply;
};
constexpr QueryForm kQueryForms[] = {{":RANG", "MIN", "+5.00000000E+000"},
                                     {":RANG", "MAX", "+5.00000000E+002"}};

std::string AsQueried(std::string_view header, std::string_view value) {
  for (const QueryForm& form : kQueryForms)
    if (header.ends_with(form.node) && core::EqualsNoCase(value, form.word))
      return std::string(form.reply);
  return std::string(value);
}

// Splits a program message into its commands at the semicolons outside quoted strings.
std::vector<std::string_view> Commands(std::string_view message) {
  std::vector<std::string_view> commands;
  bool quoted = false;
  std::size_t begin = 0;
  for (std::size_t i = 0; i <= message.size(); ++i) {
    if (i < message.size() && message[i] == '"') quoted = !quoted;
    if (i == message.size() || (message[i] == ';' && !quoted)) {
      const std::string_view command = core::Trim(message.substr(begin, i - begin));
      if (!command.empty()) commands.push_back(command);
      begin = i + 1;
    }
  }
  return commands;
}

}  // namespace

bool Counter::KnownModel(std::string_view model) {
  return core::identity::FindModel(model) != nullptr;
}

Counter::Counter(std::string model, std::uint32_t seed) : model_(std::move(model)), random_(seed) {
  const core::identity::ModelEntry* entry = core::identity::FindModel(model_);
  const std::uint8_t bit = entry ? entry->bit : 0;
  char serial[16];
  std::snprintf(serial, sizeof serial, "EM%06u", static_cast<unsigned>(seed % 1000000));
  identity_ = std::string(core::identity::kVendor) + "," + model_ + "," + serial + "," +
              std::string(core::identity::kRevision);
  for (const core::Property* row : core::RegisteredProperties()) {
    if (!row->Readable() || !row->get.commandTemplate || (row->get.unsupportedModels & bit))
      continue;
    const std::string reply = DefaultReply(*row);
    for (int channel = 1; channel <= 3; ++channel) {
      const std::string header = Canonical(QueryHeader(row->get.commandTemplate, channel));
      if (!header.empty()) defaults_.emplace(header, AsQueried(header, reply));
    }
  }
  for (const core::Method* row : core::RegisteredMethods()) {
    const std::string_view command = row->record.commandTemplate ? row->record.commandTemplate : "";
    if (!command.starts_with("MEAS:")) continue;
    const std::size_t mark = command.find('?');
    if (mark == std::string_view::npos) continue;
    nominals_.emplace(std::string(command.substr(5, mark - 5)), row->reading);
  }
  Reset();
}

void Counter::Reset() {
  // A reset leaves the status enable registers as they were, as IEEE 488.2 has it.
  std::erase_if(settings_, [](const auto& s) { return s.first != "*SRE" && s.first != "*ESE"; });
  function_ = "FREQ";
  configuration_ = "FREQ +1.00000000000000E+007,+1.00000000000000E-003,(@1)";
  readings_.clear();
  totalized_ = 0;
}

void Counter::Queue(int code, const char* text) {
  constexpr std::size_t kQueueSize = 30;
  if (errors_.size() < kQueueSize) errors_.push_back(std::to_string(code) + ",\"" + text + "\"");
  eventStatus_ |= 0x20;  // command error
}

// An enable register (*SRE, *ESE) as last set; 0 before any set.
int Counter::EnableMask(const char* header) const {
  return static_cast<int>(std::strtol(Setting(header).c_str(), nullptr, 10));
}

// EAV while the error queue holds an error, ESB while an event enabled in *ESE is set, and MSS
// while a summary bit enabled in *SRE (its own bit 6 aside) is set.
int Counter::StatusByte() const {
  const int summary =
      (errors_.empty() ? 0 : 0x04) | ((eventStatus_ & EnableMask("*ESE")) ? 0x20 : 0);
  return summary | ((summary & EnableMask("*SRE") & ~0x40) ? 0x40 : 0);
}

std::string Counter::Answer(std::string_view message) {
  // Service is requested when a message sets MSS, not while it stays set.
  const bool requesting = StatusByte() & 0x40;
  std::string replies;
  std::string path;  // the header path the next relative header continues
  bool answered = false;
  for (const std::string_view command : Commands(message)) {
    const std::size_t blank = command.find_first_of(" \t");
    std::string_view head = command.substr(0, blank);
    const std::string_view arguments =
        blank == std::string_view::npos ? std::string_view() : core::Trim(command.substr(blank));
    std::string header;
    if (head.front() == ':' || head.front() == '*') {
      header = core::ToUpper(head.front() == ':' ? head.substr(1) : head);
    } else {
      header = path + core::ToUpper(head);
    }
    if (header.front() != '*') {
      const std::size_t colon = header.rfind(':');
      path = colon == std::string::npos ? std::string() : header.substr(0, colon + 1);
    }
    std::string reply;
    if (!Execute(Canonical(header), arguments, reply) || header.back() != '?') continue;
    if (answered) replies.push_back(';');
    replies += reply;
    answered = true;
  }
  if (answered) replies.push_back('\n');
  if (!requesting && (StatusByte() & 0x40)) serviceRequested_ = true;
  return replies;
}

bool Counter::Execute(const std::string& header, std::string_view arguments, std::string& reply) {
  if (Common(header, arguments, reply) || Measurement(header, arguments, reply) ||
      Statistics(header, reply))
    return true;
  if (header.back() != '?') {
    settings_[header] = AsQueried(header, arguments);
    return true;
  }
  const std::string key = header.substr(0, header.size() - 1);
  if (arguments.empty()) {
    if (const auto set = settings_.find(key); set != settings_.end()) {
      reply = set->second;
      return true;
    }
    if (const auto known = defaults_.find(key); known != defaults_.end()) {
      reply = known->second;
      return true;
    }
  }
  Queue(-113, "Undefined header");
  return false;
}

bool Counter::Common(const std::string& header, std::string_view arguments, std::string& reply) {
  if (header == "*IDN?") {
    reply = identity_;
  } else if (header == "*OPT?") {
    reply = model_ == "QX1300" ? "762,431" : "762";
  } else if (header == "*RST") {
    Reset();
  } else if (header == "*CLS") {
    errors_.clear();
    eventStatus_ = 0;
  } else if (header == "*OPC?" || header == "*TST?") {
    reply = header == "*OPC?" ? "1" : "+0";
  } else if (header == "*OPC") {
    eventStatus_ |= 0x01;
  } else if (header == "*ESR?") {
    reply = "+" + std::to_string(std::exchange(eventStatus_, 0));
  } else if (header == "*STB?") {
    reply = "+" + std::to_string(StatusByte());
  } else if (header == "*SAV" || header == "*RCL") {
    const std::string location(core::Trim(arguments));
    if (header == "*SAV") {
      saved_[location] = settings_;
    } else if (const auto found = saved_.find(location); found != saved_.end()) {
      settings_ = found->second;
    } else {
      Queue(-222, "Data out of range");
    }
  } else if (header == "*WAI" || header == "*TRG") {
    if (header == "*TRG") Acquire();
  } else if (header == "SYST:ERR?") {
    reply = errors_.empty() ? "+0,\"No error\"" : errors_.front();
    if (!errors_.empty()) errors_.pop_front();
  } else if (header == "SYST:VERS?") {
    reply = "1999.0";
  } else {
    return false;
  }
  return true;
}

double Counter::Nominal() const {
  const auto found = nominals_.find(function_);
  return found == nominals_.end() ? 1e6 : found->second;
}

std::string Counter::Setting(const char* header) const {
  if (const auto set = settings_.find(header); set != settings_.end()) return set->second;
  const auto known = defaults_.find(header);
  return known == defaults_.end() ? std::string() : known->second;
}

void Counter::Acquire() {
  const long triggers = std::strtol(Setting("TRIG:COUN").c_str(), nullptr, 10);
  const long samples = std::strtol(Setting("SAMP:COUN").c_str(), nullptr, 10);
  const long count = std::clamp(triggers * samples, 1L, kMaxReadings);
  const double nominal = Nominal();
  std::normal_distribution<double> noise(
      0.0, nominal == 0 ? kAbsoluteNoise : std::fabs(nominal) * kRelativeNoise);
  readings_.resize(static_cast<std::size_t>(count));
  for (double& reading : readings_) reading = nominal + noise(random_);
  totalized_ += static_cast<double>(count);
}

bool Counter::Measurement(const std::string& header, std::string_view arguments,
                          std::string& reply) {
  const bool measure = header.starts_with("MEAS:") && header.back() == '?';
  if (measure || header.starts_with("CONF:")) {
    function_ = header.substr(5, header.size() - 5 - (measure ? 1 : 0));
    configuration_ = function_ + " " + std::string(arguments.empty() ? "(@1)" : arguments);
    if (!measure) return true;
    Acquire();
    reply = Join(readings_, readings_.size());
  } else if (header == "CONF?") {
    reply = "\"" + configuration_ + "\"";
  } else if (header == "FUNC") {
    std::string word(core::Trim(arguments));
    word.erase(std::remove(word.begin(), word.end(), '"'), word.end());
    function_ = core::ToUpper(word.substr(0, word.find(' ')));
  } else if (header == "FUNC?") {
    reply = "\"" + function_ + " 1\"";
  } else if (header == "INIT" || header == "INIT:IMM" || header == "READ?") {
    Acquire();
    if (header == "READ?") reply = Join(readings_, readings_.size());
  } else if (header == "FETC?") {
    if (readings_.empty()) {
      Queue(-230, "Data corrupt or stale");
    } else {
      reply = Join(readings_, readings_.size());
    }
  } else if (header == "ABOR") {
  } else if (header == "DATA:POIN?") {
    reply = "+" + std::to_string(readings_.size());
  } else if (header == "DATA:LAST?") {
    reply = readings_.empty() ? Number(kNotANumber)
                              : Number(readings_.back()) + " " + UnitOf(function_);
  } else if (header == "DATA:REM?" || header == "R?") {
    const long asked = std::strtol(std::string(arguments).c_str(), nullptr, 10);
    const std::size_t count =
        std::min(readings_.size(), static_cast<std::size_t>(std::max(asked, 0L)));
    if (header == "DATA:REM?") {
      reply = Join(readings_, count);
    } else {
      std::string data;
      for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &readings_[i], 8);
        for (int shift = 56; shift >= 0; shift -= 8)
          data.push_back(static_cast<char>((bits >> shift) & 0xFF));
      }
      const std::string length = std::to_string(data.size());
      reply = "#" + std::to_string(length.size()) + length + data;
    }
    readings_.erase(readings_.begin(), readings_.begin() + static_cast<long>(count));
  } else if (header == "TOT:DATA?") {
    reply = Number(totalized_);
  } else {
    return false;
  }
  return true;
}

bool Counter::Statistics(const std::string& header, std::string& reply) {
  const bool statistics = header.starts_with("CALC:AVER:");
  const bool histogram = header.starts_with("CALC2:TRAN:HIST:");
  if (!(statistics || histogram) || header.back() != '?') return false;
  const std::string item =
      header.substr(statistics ? 10 : 16, header.size() - (statistics ? 11 : 17));
  const core::ReadingStatistics s = core::SummarizeReadings(readings_);
  const bool none = readings_.empty();
  const double mean = none ? kNotANumber : s.mean;
  const double deviation = s.deviation;
  const double allan = s.allan;
  const double low = none ? kNotANumber : s.minimum;
  const double high = none ? kNotANumber : s.maximum;
  if (histogram) return Histogram(item, low, high, reply);
  if (item == "AVER") {
    reply = Number(mean);
  } else if (item == "SDEV") {
    reply = Number(deviation);
  } else if (item == "MIN") {
    reply = Number(low);
  } else if (item == "MAX") {
    reply = Number(high);
  } else if (item == "PTP") {
    reply = Number(high - low);
  } else if (item == "ADEV") {
    reply = Number(allan);
  } else if (item == "COUN:CURR") {
    reply = "+" + std::to_string(s.count);
  } else if (item == "ALL") {
    reply = Number(mean) + "," + Number(deviation) + "," + Number(low) + "," + Number(high);
  } else {
    return false;
  }
  return true;
}

// The histogram of the readings over the set range, or over the readings' own range while the
// range is automatic.
bool Counter::Histogram(const std::string& item, double low, double high, std::string& reply) {
  if (item == "COUN") {
    reply = "+" + std::to_string(readings_.size());
    return true;
  }
  if (item != "ALL" && item != "DATA") return false;
  const std::string automatic = Setting("CALC2:TRAN:HIST:RANG:AUTO");
  if (automatic != "ON" && automatic != "1") {
    low = std::strtod(Setting("CALC2:TRAN:HIST:RANG:LOW").c_str(), nullptr);
    high = std::strtod(Setting("CALC2:TRAN:HIST:RANG:UPP").c_str(), nullptr);
  }
  const long points = std::strtol(Setting("CALC2:TRAN:HIST:POIN").c_str(), nullptr, 10);
  std::vector<double> bins(static_cast<std::size_t>(std::clamp(points, 1L, 10000L)), 0.0);
  const double width = (high - low) / static_cast<double>(bins.size());
  for (const double reading : readings_) {
    if (reading < low || reading > high) continue;
    const auto bin = width > 0 ? static_cast<std::size_t>((reading - low) / width) : 0;
    bins[std::min(bin, bins.size() - 1)] += 1;
  }
  reply = item == "ALL" ? Number(low) + "," + Number(high) + "," +
                              Number(static_cast<double>(readings_.size())) + ","
                        : std::string();
  reply += Join(bins, bins.size());
  return true;
}

}  // namespace tevra::emulator
