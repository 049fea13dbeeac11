// Feeds arbitrary bytes to the repeated-capability selector parser, with ranges allowed and
// forbidden, and checks what must hold for any text: only the selector statuses (or the
// out-of-memory code past the expansion bounds) come back, with error information; a parsed
// selector has well-formed items (checked against the item pattern with std::regex), distinct
// paths of equal depth and a bounded size; forbidding ranges never accepts more; and the names a
// parsed selector yields resolve to channels or fail with the unknown-selector code.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/CallContext.h"
#include "core/ErrorCodes.h"
#include "core/ErrorReporter.h"
#include "core/Options.h"
#include "platform/ErrorInfo.h"
#include "state/Selector.h"

#include "Require.h"

using tevra::fuzz::Require;

namespace {

using namespace tevra::core;
using namespace tevra::state;

// std::regex recurses per character; longer inputs skip the pattern check.
constexpr std::size_t kPatternCheckLimit = 256;

const std::vector<std::string> kChannels = {"Channel1", "Channel2", "Channel3"};
const NameMap kVirtualNames = {{"vin", "Channel2"}, {"qual", "TevraChannel!!Channel3"}};

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  for (;;) {
    const std::size_t end = text.find(separator);
    pieces.push_back(text.substr(0, end));
    if (end == std::string_view::npos) return pieces;
    text.remove_prefix(end + 1);
  }
}

// The item pattern "^((\b*{[a-zA-Z_!]+?}{[0-9]+}\b*-\b*{[a-zA-Z_!]+?}{[0-9]+}\b*)|
// (\b*{[a-zA-Z_!0-9]+}\b*))$" with \b a space or tab, in ECMAScript syntax.
const std::regex kRangeItem(R"(^[ \t]*[a-zA-Z_!]+?[0-9]+[ \t]*-[ \t]*[a-zA-Z_!]+?[0-9]+[ \t]*$)");
const std::regex kNameItem(R"(^[ \t]*[a-zA-Z_!0-9]+[ \t]*$)");

// Every level properly bracketed or not bracketed at all, every item a name or (when allowed) a
// range.
bool ItemsWellFormed(std::string_view selector, SelectorRanges ranges) {
  if (selector.empty()) return true;
  for (std::string_view level : Split(selector, ':')) {
    if (!level.empty() && level.front() == '[') {
      if (level.size() < 2 || level.back() != ']') return false;
      level = level.substr(1, level.size() - 2);
    }
    for (std::string_view item : Split(level, ',')) {
      const std::string text(item);
      const bool isRange = std::regex_match(text, kRangeItem);
      if (isRange && ranges == SelectorRanges::kForbidden) return false;
      if (!isRange && !std::regex_match(text, kNameItem)) return false;
    }
  }
  return true;
}

// The text of each status is pinned by the selector's unit tests.
void RequireReported(HRESULT status, const char* invariant) {
  tevra::platform::ErrorRecord record;
  Require(tevra::platform::TakeThreadError(record) == FAILED(status), invariant);
}

std::vector<std::string> Rendered(const SelectorPaths& paths) {
  std::vector<std::string> rendered;
  for (std::size_t path = 0; path < paths.PathCount(); ++path) {
    rendered.push_back(paths.Render(path));
  }
  return rendered;
}

void CheckParsed(std::string_view selector, SelectorRanges ranges, const SelectorPaths& paths) {
  Require(paths.PathCount() >= 1 && paths.PathCount() <= kMaxSelectorPaths, "path count bounded");
  const auto colons = static_cast<std::size_t>(std::count(selector.begin(), selector.end(), ':'));
  Require(paths.LevelCount() >= 1 && paths.LevelCount() <= colons + 1, "at most one level per ':'");
  std::size_t bytes = 0;
  for (std::size_t path = 0; path < paths.PathCount(); ++path) {
    for (std::size_t level = 0; level < paths.LevelCount(); ++level) {
      const std::string_view name = paths.Name(path, level);
      Require(!name.empty() || selector.empty(), "only the empty selector yields an empty name");
      Require(std::all_of(name.begin(), name.end(),
                          [](char c) {
                            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                   (c >= '0' && c <= '9') || c == '_' || c == '!';
                          }),
              "names hold only name characters");
      bytes += name.size();
    }
  }
  Require(bytes <= 2 * selector.size() + kMaxSelectorExpansionBytes, "expansion bytes bounded");

  const std::vector<std::string> rendered = Rendered(paths);
  Require(std::set<std::string>(rendered.begin(), rendered.end()).size() == rendered.size(),
          "paths are distinct");
  if (selector.size() <= kPatternCheckLimit) {
    Require(ItemsWellFormed(selector, ranges), "every item matches the item pattern");
  }

  // A flat list of names is its trimmed items, in order.
  if (!selector.empty() && selector.find_first_of(":[-") == std::string_view::npos) {
    std::vector<std::string> items;
    for (std::string_view item : Split(selector, ',')) items.emplace_back(Trim(item));
    Require(rendered == items, "a flat list yields its trimmed items");
  }
}

void CheckChannels(const SelectorPaths& paths, CTevraErrorReporter& reporter) {
  const auto nameAt = [](std::size_t i) { return std::string_view(kChannels[i]); };
  std::vector<std::size_t> indices;
  const HRESULT status =
      ResolveSelectorIndices(paths, kChannels.size(), nameAt, kVirtualNames, reporter, indices);
  Require(status == S_OK || status == ComStatusOf(36), "lookup: success or code 36");
  RequireReported(status, "lookup error information exactly on failure");
  if (FAILED(status)) {
    Require(indices.empty(), "no channels after a failed lookup");
    return;
  }
  Require(indices.size() == paths.PathCount(), "one channel per path");
  for (std::size_t path = 0; path < indices.size(); ++path) {
    Require(indices[path] < kChannels.size(), "channel index in range");
    Require(EqualsNoCase(kChannels[indices[path]],
                         ResolvePhysicalName(paths.Name(path), kVirtualNames)),
            "the channel found is the one the name resolves to");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view selector(reinterpret_cast<const char*>(data), size);
  CallContextStack calls;
  CTevraErrorReporter reporter("Tevra.Tevra.1", calls);
  tevra::platform::ClearThreadError();

  SelectorPaths withRanges;
  const HRESULT allowed = ParseSelector(selector, SelectorRanges::kAllowed, reporter, withRanges);
  Require(allowed == S_OK || allowed == ComStatusOf(32) || allowed == ComStatusOf(33) ||
              allowed == ComStatusOf(35) || allowed == ComStatusOf(20),
          "status is success, code 32, 33, 35 or 20");
  RequireReported(allowed, "error information exactly on failure");
  if (SUCCEEDED(allowed)) {
    CheckParsed(selector, SelectorRanges::kAllowed, withRanges);
    CheckChannels(withRanges, reporter);
  } else {
    Require(withRanges.PathCount() == 0, "nothing parsed after a failure");
  }

  SelectorPaths withoutRanges;
  const HRESULT forbidden =
      ParseSelector(selector, SelectorRanges::kForbidden, reporter, withoutRanges);
  RequireReported(forbidden, "error information exactly on failure");
  if (SUCCEEDED(forbidden)) {
    CheckParsed(selector, SelectorRanges::kForbidden, withoutRanges);
    Require(SUCCEEDED(allowed) && Rendered(withRanges) == Rendered(withoutRanges),
            "forbidding ranges accepts nothing more");
  }
  if (selector.find('-') == std::string_view::npos) {
    Require(allowed == forbidden, "without '-' both policies agree");
  }
  return 0;
}
