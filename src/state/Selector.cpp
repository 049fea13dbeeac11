#include "state/Selector.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <new>
#include <numeric>
#include <utility>

#include "core/ErrorCodes.h"
#include "core/Options.h"
#include "core/TextUtil.h"

namespace tevra::state {
namespace {

// Only space and tab may surround the items of a selector.
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsPrefixChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '!';
}
bool IsNameChar(char c) { return IsPrefixChar(c) || IsDigit(c); }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A name item: blanks, one or more letters, digits, '_' or '!', blanks. Returns the name without
// the blanks, or an empty view when the item is not a name.
std::string_view MatchName(std::string_view item) {
  const std::string_view name = TrimBlanks(item);
  if (!std::all_of(name.begin(), name.end(), IsNameChar)) return {};
  return name;
}

// One end of a range item: blanks, a prefix of letters, '_' or '!', digits, blanks. The prefix is
// the whole run before the digits, since digits cannot be part of it.
struct RangeEnd {
  std::string_view prefix;
  std::string_view digits;
};

bool MatchRangeEnd(std::string_view text, RangeEnd& end) {
  text = TrimBlanks(text);
  const auto digitsAt = std::find_if_not(text.begin(), text.end(), IsPrefixChar);
  if (digitsAt == text.begin() || digitsAt == text.end()) return false;
  if (!std::all_of(digitsAt, text.end(), IsDigit)) return false;
  const auto split = static_cast<std::size_t>(digitsAt - text.begin());
  end = {text.substr(0, split), text.substr(split)};
  return true;
}

// Leading zeros are allowed; false when the number does not fit an int.
bool DigitsValue(std::string_view digits, std::int64_t& value) {
  value = 0;
  for (char c : digits) {
    value = value * 10 + (c - '0');
    if (value > INT_MAX) return false;
  }
  return true;
}

HRESULT ReportSelectorError(core::CTevraErrorReporter& reporter, core::Code code,
                            std::string_view text) {
  return reporter.ReportStatusText(core::ComStatusOf(static_cast<int>(code)), text);
}

HRESULT BadlyFormed(core::CTevraErrorReporter& reporter) {
  return ReportSelectorError(reporter, core::Code::BadlyFormedSelector, kSelectorBadlyFormedText);
}

// Calls visit(piece) for each piece of text between separators, stopping at the first failure.
template <typename Visit>
HRESULT ForEachPiece(std::string_view text, char separator, Visit visit) {
  for (;;) {
    const std::size_t end = text.find(separator);
    const HRESULT status = visit(text.substr(0, end));
    if (FAILED(status) || end == std::string_view::npos) return status;
    text.remove_prefix(end + 1);
  }
}

}  // namespace

// --- SelectorPaths ---

std::string_view SelectorPaths::Name(std::size_t path, std::size_t level) const {
  const std::size_t i = path * levels_ + level;
  const std::size_t begin = i == 0 ? 0 : End(i - 1);
  return std::string_view(names_).substr(begin, End(i) - begin);
}

std::string SelectorPaths::Render(std::size_t path) const {
  std::string text;
  for (std::size_t level = 0; level < levels_; ++level) {
    if (level > 0) text += ':';
    text += Name(path, level);
  }
  return text;
}

void SelectorPaths::Clear() {
  names_.clear();
  firstEnd_ = 0;
  moreEnds_.clear();
  count_ = 0;
  levels_ = 0;
}

void SelectorPaths::Assign(std::string_view name) {
  Clear();
  names_.assign(name);
  firstEnd_ = names_.size();
  count_ = 1;
  levels_ = 1;
}

void SelectorPaths::Append(std::string_view name) {
  names_.append(name);
  if (count_ == 0) {
    firstEnd_ = names_.size();
  } else {
    moreEnds_.push_back(names_.size());
  }
  ++count_;
}

// --- Parsing ---

// Reads the selector left to right. The path being built is a list of levels, each a list of
// alternative names (more than one after a bracketed list or a range); closing a path renders
// every combination of its alternatives, first level varying slowest.
class SelectorBuilder {
 public:
  SelectorBuilder(std::string_view selector, SelectorRanges ranges,
                  core::CTevraErrorReporter& reporter, SelectorPaths& out)
      : ranges_(ranges),
        reporter_(reporter),
        out_(out),
        byteBudget_(2 * selector.size() + kMaxSelectorExpansionBytes) {}

  HRESULT Run(std::string_view selector) {
    HRESULT status =
        ForEachPiece(selector, ':', [this](std::string_view level) { return AddLevel(level); });
    if (SUCCEEDED(status)) status = ClosePath();
    if (SUCCEEDED(status)) status = CheckDuplicates();
    return status;
  }

 private:
  using Alternatives = std::vector<std::string>;

  HRESULT AddLevel(std::string_view level) {
    const bool bracketed = !level.empty() && level.front() == '[';
    if (bracketed) {
      if (level.size() < 2 || level.back() != ']') return BadlyFormed(reporter_);
      level = level.substr(1, level.size() - 2);
    }
    Alternatives names;
    bool first = true;
    HRESULT status = ForEachPiece(level, ',', [&](std::string_view item) {
      // Outside brackets, each further item begins a path of its own.
      if (!bracketed && !first) {
        current_.push_back(std::move(names));
        names.clear();
        const HRESULT closed = ClosePath();
        if (FAILED(closed)) return closed;
      }
      first = false;
      return ExpandItem(item, names);
    });
    if (SUCCEEDED(status)) current_.push_back(std::move(names));
    return status;
  }

  HRESULT ExpandItem(std::string_view item, Alternatives& names) {
    const std::size_t dash = item.find('-');
    if (dash == std::string_view::npos) {
      const std::string_view name = MatchName(item);
      if (name.empty()) return BadlyFormed(reporter_);
      if (names.size() >= kMaxSelectorPaths || !Charge(name.size())) {
        return reporter_.Report(core::Code::OutOfMemory);
      }
      names.emplace_back(name);
      return S_OK;
    }

    RangeEnd from;
    RangeEnd to;
    if (!MatchRangeEnd(item.substr(0, dash), from) || !MatchRangeEnd(item.substr(dash + 1), to) ||
        ranges_ == SelectorRanges::kForbidden) {
      return BadlyFormed(reporter_);
    }
    // The second prefix may abbreviate the first ("Channel1-Ch3"); the names take the first.
    std::int64_t first = 0;
    std::int64_t last = 0;
    if (to.prefix.size() > from.prefix.size() ||
        !core::EqualsNoCase(from.prefix.substr(0, to.prefix.size()), to.prefix) ||
        !DigitsValue(from.digits, first) || !DigitsValue(to.digits, last) || last < first) {
      return ReportSelectorError(reporter_, core::Code::InvalidRepCapRange, kSelectorRangeText);
    }
    const auto count = static_cast<std::size_t>(last - first + 1);
    if (count > kMaxSelectorPaths - names.size() ||
        !Charge(count * (from.prefix.size() + std::to_string(last).size()))) {
      return reporter_.Report(core::Code::OutOfMemory);
    }
    for (std::int64_t n = first; n <= last; ++n) {
      names.push_back(NumberedPhysicalName(from.prefix, static_cast<int>(n)));
    }
    return S_OK;
  }

  HRESULT ClosePath() {
    if (out_.levels_ == 0) {
      out_.levels_ = current_.size();
    } else if (current_.size() != out_.levels_) {
      return ReportSelectorError(reporter_, core::Code::InvalidSelectorLevels, kSelectorLevelsText);
    }

    // Every level holds at least one name, so the product only grows.
    std::size_t combinations = 1;
    for (const Alternatives& level : current_) {
      if (level.size() > (kMaxSelectorPaths - out_.PathCount()) / combinations) {
        return reporter_.Report(core::Code::OutOfMemory);
      }
      combinations *= level.size();
    }
    std::size_t bytes = 0;
    for (const Alternatives& level : current_) {
      std::size_t levelBytes = 0;
      for (const std::string& name : level) levelBytes += name.size();
      bytes += levelBytes * (combinations / level.size());
    }
    if (!Charge(bytes)) return reporter_.Report(core::Code::OutOfMemory);

    std::vector<std::size_t> choice(current_.size(), 0);
    for (std::size_t n = 0; n < combinations; ++n) {
      for (std::size_t level = 0; level < current_.size(); ++level) {
        out_.Append(current_[level][choice[level]]);
      }
      for (std::size_t level = current_.size(); level-- > 0;) {
        if (++choice[level] < current_[level].size()) break;
        choice[level] = 0;
      }
    }
    current_.clear();
    return S_OK;
  }

  // Names hold no ':', so two paths render alike exactly when their names agree level by level.
  HRESULT CheckDuplicates() {
    const std::size_t paths = out_.PathCount();
    if (paths < 2) return S_OK;
    const auto less = [this](std::size_t a, std::size_t b) {
      for (std::size_t level = 0; level < out_.levels_; ++level) {
        const int order = out_.Name(a, level).compare(out_.Name(b, level));
        if (order != 0) return order < 0;
      }
      return false;
    };
    std::vector<std::size_t> order(paths);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), less);
    for (std::size_t i = 1; i < paths; ++i) {
      if (!less(order[i - 1], order[i])) return BadlyFormed(reporter_);
    }
    return S_OK;
  }

  bool Charge(std::size_t bytes) {
    if (bytes > byteBudget_) return false;
    byteBudget_ -= bytes;
    return true;
  }

  SelectorRanges ranges_;
  core::CTevraErrorReporter& reporter_;
  SelectorPaths& out_;
  std::vector<Alternatives> current_;
  std::size_t byteBudget_;
};

HRESULT ParseSelector(std::string_view selector, SelectorRanges ranges,
                      core::CTevraErrorReporter& reporter, SelectorPaths& paths) {
  paths.Clear();
  // The usual selector is one plain name; it needs no path building.
  if (selector.find_first_of(":,[-") == std::string_view::npos) {
    const std::string_view name = MatchName(selector);
    if (name.empty() && !selector.empty()) return BadlyFormed(reporter);
    paths.Assign(name);
    return S_OK;
  }
  try {
    const HRESULT status = SelectorBuilder(selector, ranges, reporter, paths).Run(selector);
    if (FAILED(status)) paths.Clear();
    return status;
  } catch (const std::bad_alloc&) {
    paths.Clear();
    return reporter.Report(core::Code::OutOfMemory);
  }
}

// --- Name lookups ---

std::string ResolvePhysicalName(std::string_view name, const NameMap& virtualNames) {
  std::string resolved(name);
  if (!virtualNames.empty()) {
    const auto found = virtualNames.find(core::ToLower(name));
    if (found != virtualNames.end()) resolved = found->second;
  }
  const std::size_t qualifier = resolved.find(kRepCapQualifier);
  if (qualifier != std::string::npos) resolved.erase(0, qualifier + kRepCapQualifier.size());
  return resolved;
}

std::string ResolveVirtualName(std::string_view repCapName, std::string_view physicalName,
                               const NameMap& physicalToVirtual) {
  std::string key;
  key.reserve(repCapName.size() + kRepCapQualifier.size() + physicalName.size());
  key.append(repCapName).append(kRepCapQualifier).append(physicalName);
  const auto found = physicalToVirtual.find(key);
  return found != physicalToVirtual.end() ? found->second : std::string(physicalName);
}

std::string QualifiedName(std::string_view parentQualifiedName, std::string_view repCapName,
                          std::string_view name) {
  std::string qualified(parentQualifiedName);
  if (!qualified.empty()) qualified += '.';
  qualified.append(repCapName).append("[").append(name).append("]");
  return qualified;
}

std::string NumberedPhysicalName(std::string_view base, int number) {
  std::string name(base);
  name += std::to_string(number);
  return name;
}

HRESULT FindRepCapIndex(std::string_view name, std::size_t count, PhysicalNameAt physicalNameAt,
                        const NameMap& virtualNames, core::CTevraErrorReporter& reporter,
                        std::size_t& index) {
  const std::string_view trimmed = core::Trim(name);
  if (count == 1 && trimmed.empty()) {
    index = 0;
    return S_OK;
  }
  try {
    const std::string physical = ResolvePhysicalName(trimmed, virtualNames);
    for (std::size_t i = 0; i < count; ++i) {
      if (core::EqualsNoCase(physicalNameAt(i), physical)) {
        index = i;
        return S_OK;
      }
    }
  } catch (const std::bad_alloc&) {
    return reporter.Report(core::Code::OutOfMemory);
  }
  return reporter.Report(core::Code::UnknownPhysicalSelector);
}

HRESULT FindRepCapIndex(std::string_view name, std::span<const std::string> physicalNames,
                        const NameMap& virtualNames, core::CTevraErrorReporter& reporter,
                        std::size_t& index) {
  return FindRepCapIndex(
      name, physicalNames.size(),
      [physicalNames](std::size_t i) { return std::string_view(physicalNames[i]); }, virtualNames,
      reporter, index);
}

HRESULT ResolveSelectorIndices(const SelectorPaths& paths, std::size_t count,
                               PhysicalNameAt physicalNameAt, const NameMap& virtualNames,
                               core::CTevraErrorReporter& reporter,
                               std::vector<std::size_t>& indices) {
  indices.clear();
  if (paths.LevelCount() == 0) {
    return ReportSelectorError(reporter, core::Code::InvalidSelectorLevels, kSelectorLevelsText);
  }
  try {
    indices.reserve(paths.PathCount());
    for (std::size_t path = 0; path < paths.PathCount(); ++path) {
      std::size_t index = 0;
      const HRESULT status =
          FindRepCapIndex(paths.Name(path), count, physicalNameAt, virtualNames, reporter, index);
      if (FAILED(status)) {
        indices.clear();
        return status;
      }
      indices.push_back(index);
    }
  } catch (const std::bad_alloc&) {
    indices.clear();
    return reporter.Report(core::Code::OutOfMemory);
  }
  return S_OK;
}

}  // namespace tevra::state
