// The enumeration lookup: exact words and the first matching row, the names a type is known by,
// the words outside any call, and the family fallback.
#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>

#include "core/Registry.h"
#include "state/CommandWords.h"
#include "state/EnumMaps.h"

namespace tevra::state {
namespace {

constexpr std::string_view kFamily = "DefaultFamily";

// A record that links these words, as a member's row does.
core::MethodRecord Linking(std::span<const core::EnumWords> links) {
  return {nullptr, "ITest", "Member", core::kMethodNone, core::kNoModels, nullptr, nullptr, links};
}

std::optional<std::string_view> WordOf(std::string_view type, const core::MethodRecord* running,
                                       std::int32_t value) {
  std::string_view word;
  const auto converter = FindEnumConverter(type, running);
  if (!converter || !converter->ToCommand(kFamily, value, word)) return std::nullopt;
  return word;
}

std::optional<std::int32_t> ValueOf(std::string_view type, const core::MethodRecord* running,
                                    std::string_view word) {
  std::int32_t value = 0;
  const auto converter = FindEnumConverter(type, running);
  if (!converter || !converter->FromCommand(kFamily, word, value)) return std::nullopt;
  return value;
}

// The lookup rules; the words themselves are pinned per row and model by the counter's row walk.
TEST(EnumWords, WordsMatchExactlyAndTheFirstRowWins) {
  const core::MethodRecord coupling = Linking(words::kCoupling);
  EXPECT_EQ(ValueOf("Coupling", &coupling, "DC"), 2);
  EXPECT_EQ(ValueOf("Coupling", &coupling, "dc"), std::nullopt);
  EXPECT_EQ(ValueOf("Coupling", &coupling, " DC"), std::nullopt);  // trimming is the caller's
  const core::MethodRecord boolean = Linking(words::kBoolean);
  EXPECT_EQ(ValueOf("VARIANT_BOOL", &boolean, "1"), -1);  // true, not the 1 row after it
  EXPECT_EQ(WordOf("VARIANT_BOOL", &boolean, 1), "1");
  const core::MethodRecord memory = Linking(words::kMemoryLocationOnOff);
  EXPECT_EQ(ValueOf("MemoryLocation", &memory, ""), std::nullopt);  // a row without words
  EXPECT_EQ(ValueOf("VARIANT_BOOL", &memory, " ON"), -1);           // both of its links
}

TEST(EnumWords, TypesAreKnownUnderFourNamesInAnyCaseAndOnlyWhereLinked) {
  const core::MethodRecord coupling = Linking(words::kCoupling);
  for (std::string name : {"Coupling", "CouplingEnum", "TevraCoupling", "TevraCouplingEnum"}) {
    EXPECT_EQ(WordOf(name, &coupling, 1), "AC") << name;
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(WordOf(name, &coupling, 1), "AC") << name;
  }
  EXPECT_FALSE(FindEnumConverter("Slope", &coupling));  // a type the member does not link
  const core::MethodRecord boolean = Linking(words::kBoolean);
  EXPECT_EQ(WordOf("variant_bool", &boolean, 0), "0");
  for (std::string_view unknown : {"", "TevraEnum", "Couplings", "TevraTevraCoupling",
                                   "CouplingEnumEnum", "TevraVARIANT_BOOL"}) {
    EXPECT_FALSE(FindEnumConverter(unknown, &coupling)) << unknown;
    EXPECT_FALSE(FindEnumConverter(unknown, &boolean)) << unknown;
    EXPECT_FALSE(FindEnumConverter(unknown, nullptr)) << unknown;
  }
}

TEST(EnumWords, OutsideAnyCallATypeHasItsOwnWordsOrNone) {
  EXPECT_EQ(WordOf("tevraslopeenum", nullptr, 1), "POS");
  EXPECT_TRUE(FindEnumConverter("Coupling", nullptr));  // known, but with no words
  EXPECT_FALSE(WordOf("Coupling", nullptr, 1));
  EXPECT_FALSE(ValueOf("VARIANT_BOOL", nullptr, "1"));
}

TEST(EnumWords, AFamilyUsesItsOwnWordsElseTheSharedOnes) {
  constexpr core::EnumRow kShared[] = {{1, {"AC"}}};
  constexpr core::EnumRow kSpecial[] = {{1, {"ACX"}}};
  const core::EnumWords links[] = {{"Coupling", kShared}, {"Coupling", kSpecial, "Special"}};
  const CEnumCommandConverter converter(links);
  std::string_view word;
  std::int32_t value = 0;
  ASSERT_TRUE(converter.ToCommand("Special", 1, word));
  EXPECT_EQ(word, "ACX");
  ASSERT_TRUE(converter.ToCommand("DefaultFamily", 1, word));
  EXPECT_EQ(word, "AC");
  EXPECT_FALSE(converter.FromCommand("Special", "AC", value));
  EXPECT_FALSE(CEnumCommandConverter({&links[1], 1}).ToCommand("DefaultFamily", 1, word));
}

}  // namespace
}  // namespace tevra::state
