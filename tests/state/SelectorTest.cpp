#include "state/Selector.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/CallContext.h"
#include "core/ErrorCodes.h"
#include "core/ErrorReporter.h"
#include "platform/ErrorInfo.h"

namespace tevra::state {
namespace {

using namespace std::literals;
using core::ComStatusOf;
using core::ToCStatus;

constexpr std::int32_t kLevels = static_cast<std::int32_t>(0xBFFA0063);
constexpr std::int32_t kRange = static_cast<std::int32_t>(0xBFFA0064);
constexpr std::int32_t kBadlyFormed = static_cast<std::int32_t>(0xBFFA0066);
constexpr std::int32_t kOutOfMemory = static_cast<std::int32_t>(0xBFFA0056);

const char* SelectorText(std::int32_t cStatus) {
  return cStatus == kLevels  ? "Invalid or inconsistent number of levels specified in repeated "
                               "capability selector."
         : cStatus == kRange ? "Invalid range specified in repeated capability selector."
         : cStatus == kBadlyFormed ? "The repeated capability selector is badly-formed."
                                   : "Tevra: Could not allocate necessary memory.";
}

constexpr SelectorRanges kRanges = SelectorRanges::kAllowed;
constexpr SelectorRanges kNoRanges = SelectorRanges::kForbidden;

class SelectorTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ClearThreadError(); }

  static std::string TakeDescription() {
    platform::ErrorRecord record;
    return platform::TakeThreadError(record) ? record.description : std::string("<none>");
  }

  static std::vector<std::string> Rendered(const SelectorPaths& paths) {
    std::vector<std::string> rendered;
    for (std::size_t path = 0; path < paths.PathCount(); ++path)
      rendered.push_back(paths.Render(path));
    return rendered;
  }

  core::CallContextStack calls;
  core::CTevraErrorReporter reporter{"Tevra.Tevra.1", calls};
};

struct AcceptCase {
  const char* selector;
  SelectorRanges ranges;
  std::vector<std::string> paths;
};

TEST_F(SelectorTest, ExpandsListsRangesAndLevels) {
  const std::vector<AcceptCase> cases = {
      {"", kRanges, {""}},
      {"TevraChannel!!Channel1", kRanges, {"TevraChannel!!Channel1"}},
      {"Channel3, Channel1", kNoRanges, {"Channel3", "Channel1"}},
      {"[ Channel1 ,\tChannel2 ]", kRanges, {"Channel1", "Channel2"}},
      {"Channel2-Channel2", kRanges, {"Channel2"}},
      {"Ch01-Ch03", kRanges, {"Ch1", "Ch2", "Ch3"}},
      // The second prefix is compared over its own length, without regard to case.
      {"Channel1-CH3", kRanges, {"Channel1", "Channel2", "Channel3"}},
      // Duplicates are judged on the text; case variants are different paths.
      {"channel1,CHANNEL1", kRanges, {"channel1", "CHANNEL1"}},
      {"[a,b]:[c,d]", kRanges, {"a:c", "a:d", "b:c", "b:d"}},
      {"a1-a2:x,b:y", kRanges, {"a1:x", "a2:x", "b:y"}},
  };
  for (const AcceptCase& c : cases) {
    SCOPED_TRACE("selector: \""s + c.selector + '"');
    SelectorPaths paths;
    EXPECT_EQ(ParseSelector(c.selector, c.ranges, reporter, paths), S_OK);
    EXPECT_EQ(Rendered(paths), c.paths);
    EXPECT_FALSE(platform::HasThreadError());
  }
}

TEST_F(SelectorTest, RejectsWithTheSelectorStatusAndText) {
  const std::pair<std::int32_t, std::vector<std::string_view>> groups[] = {
      // Reversed, mismatched or overflowing ranges; left to right, before the duplicate.
      {kRange,
       {"Channel2-Channel1", "Channel1-Input2", "Ch1-Channel3", "Ch2147483648-Ch2147483648",
        "Channel2-Channel1,Channel1,Channel1"}},
      {kLevels, {"Channel1:Channel2,Channel3", "a,b:c"}},
      // Duplicates, empty items, stray separators, brackets, characters outside the alphabet
      // (only space and tab are blanks; a NUL does not end the selector).
      {kBadlyFormed,
       {"Channel1-2", "Channel1,Channel1", "a:b,a:b", " ", "Channel1,,Channel2",
        "Channel1:", "Ch1-Ch2-Ch3", "Ch-Ch2", "Ch1a-Ch2", "[]", "[Channel1", "[a:b]", "Channel 1",
        "Channel1\n", "Kanal\xC3\xA9", "Channel1\0"sv}},
      // The expansion is bounded: names per level, combinations, paths of all items.
      {kOutOfMemory, {"Ch0-Ch4096", "[a1-a100]:[b1-b100]", "a1-a4000,b1-b4000"}},
  };
  const auto reject = [&](std::string_view selector, SelectorRanges ranges, std::int32_t status) {
    SCOPED_TRACE("selector: \"" + std::string(selector) + '"');
    SelectorPaths paths;
    EXPECT_EQ(ToCStatus(ParseSelector(selector, ranges, reporter, paths)), status);
    EXPECT_EQ(TakeDescription(), SelectorText(status));
    EXPECT_EQ(paths.PathCount(), 0u);
  };
  for (const auto& [status, selectors] : groups)
    for (std::string_view selector : selectors) reject(selector, kRanges, status);
  reject("Channel2-Channel1", kNoRanges, kBadlyFormed);  // ranges refused before they are read
}

TEST_F(SelectorTest, TheLargestExpansionAndAReusedResult) {
  SelectorPaths paths;
  ASSERT_EQ(ParseSelector("Ch1-Ch4096", kRanges, reporter, paths), S_OK);
  EXPECT_EQ(paths.PathCount(), kMaxSelectorPaths);
  EXPECT_EQ(paths.Name(4095), "Ch4096");

  ASSERT_EQ(ParseSelector("[a,b]:[c,d]", kRanges, reporter, paths), S_OK);
  ASSERT_EQ(ParseSelector("Channel2", kRanges, reporter, paths), S_OK);
  EXPECT_EQ(Rendered(paths), std::vector<std::string>{"Channel2"});
  EXPECT_EQ(paths.LevelCount(), 1u);
}

// --- Name lookups ---

const NameMap kVirtualNames = {
    {"myinput", "Channel2"},
    {"first", "TevraChannel!!Channel1"},
    {"twice", "a!!b!!c"},
};
const NameMap kPhysicalToVirtual = {{"TevraChannel!!Channel2", "MyInput"}};
const std::vector<std::string> kChannels = {"Channel1", "Channel2", "Channel3"};

TEST_F(SelectorTest, ResolvesVirtualAndQualifiedNames) {
  for (const auto& [name, physical] : {std::pair{"MYINPUT", "Channel2"},
                                       {"First", "Channel1"},
                                       {"twice", "b!!c"},
                                       {"TevraChannel!!Channel2", "Channel2"}})
    EXPECT_EQ(ResolvePhysicalName(name, kVirtualNames), physical) << "name: " << name;
  EXPECT_EQ(ResolveVirtualName("TevraChannel", "Channel2", kPhysicalToVirtual), "MyInput");
  EXPECT_EQ(ResolveVirtualName("TevraChannel", "Channel1", kPhysicalToVirtual), "Channel1");
  EXPECT_EQ(ResolveVirtualName("Other", "Channel2", kPhysicalToVirtual), "Channel2");
  EXPECT_EQ(QualifiedName("TevraChannel[Channel1]", "Arm", "A"), "TevraChannel[Channel1].Arm[A]");
}

constexpr std::size_t kNone = 99;  // unknown name
constexpr const char* kUnknown = "Tevra: Unknown physical repeated capability selector.";

TEST_F(SelectorTest, FindsTheElementAnItemNameSelects) {
  // {name, channels there are, the index found}
  const std::tuple<const char*, std::size_t, std::size_t> cases[] = {
      {" CHANNEL1 ", 3, 0}, {"Channel3", 3, 2}, {"myInput", 3, 1}, {"Channel3", 2, kNone},
      {"", 3, kNone},       {" \t", 1, 0},      {"", 0, kNone},    {"Channel", 3, kNone},
  };
  for (const auto& [name, count, expected] : cases) {
    std::size_t index = kNone;
    EXPECT_EQ(
        FindRepCapIndex(name, std::span(kChannels.data(), count), kVirtualNames, reporter, index),
        expected == kNone ? ComStatusOf(36) : S_OK)
        << '"' << name << '"';
    EXPECT_EQ(expected == kNone ? kNone : index, expected) << '"' << name << '"';
    EXPECT_EQ(TakeDescription(), expected == kNone ? kUnknown : "<none>");
  }
}

TEST_F(SelectorTest, TurnsASelectorIntoElementsOrFailsBeforeAny) {
  const std::pair<const char*, std::vector<std::size_t>> cases[] = {
      {"Channel3,myinput", {2, 1}}, {"channel1:Ignored", {0}}, {"Channel2,Bogus", {}}, {"", {}}};
  const auto nameAt = [](std::size_t i) { return std::string_view(kChannels[i]); };
  for (const auto& [selector, expected] : cases) {
    SelectorPaths paths;
    ASSERT_EQ(ParseSelector(selector, kRanges, reporter, paths), S_OK);
    std::vector<std::size_t> indices{7};
    EXPECT_EQ(ToCStatus(ResolveSelectorIndices(paths, kChannels.size(), nameAt, kVirtualNames,
                                               reporter, indices)),
              expected.empty() ? static_cast<std::int32_t>(0xBFFA0067) : 0)
        << '"' << selector << '"';
    EXPECT_EQ(indices, expected);  // nothing of a selector that fails
    EXPECT_EQ(TakeDescription(), expected.empty() ? kUnknown : "<none>");
  }
  std::vector<std::size_t> indices;
  EXPECT_EQ(ToCStatus(ResolveSelectorIndices(SelectorPaths{}, kChannels.size(), nameAt,
                                             kVirtualNames, reporter, indices)),
            kLevels);
  EXPECT_EQ(TakeDescription(), SelectorText(kLevels));
}

}  // namespace
}  // namespace tevra::state
