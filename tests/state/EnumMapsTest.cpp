// The enumeration words: every word every row links round-trips, every link names a known type,
// the instrument's other spellings, the names a type is known by, the words outside any call, and
// the family fallback.
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

bool KnownType(std::string_view name) {
  for (const core::EnumWords& type : EnumTypes())
    if (type.type == name) return true;
  return false;
}

// Every word of the links round-trips through a record that links them.
void ExpectRoundTrips(const core::MethodRecord& record) {
  for (const core::EnumWords& link : record.enums) {
    SCOPED_TRACE(std::string(record.interfaceName) + "." + record.methodName);
    EXPECT_TRUE(KnownType(link.type)) << link.type;
    for (const core::EnumRow& row : link.rows) {
      EXPECT_EQ(WordOf(link.type, &record, row.value), row.words[0]);
      for (std::string_view w : row.words) {
        if (w.empty()) break;
        // Boolean 1 shares its words with true (-1), the row before it.
        const std::int32_t expected = link.type == kBooleanTypeName ? -(row.value != 0) : row.value;
        EXPECT_EQ(ValueOf(link.type, &record, w), expected) << w;
      }
    }
  }
}

TEST(EnumWords, EveryLinkedWordRoundTripsAndEveryLinkIsAKnownType) {
  std::size_t linked = 0;
  for (const core::Property* row : core::RegisteredProperties()) {
    ExpectRoundTrips(row->get);
    linked += !row->get.enums.empty();
  }
  for (const core::Method* row : core::RegisteredMethods()) {
    ExpectRoundTrips(row->record);
    linked += !row->record.enums.empty();
  }
  EXPECT_GE(linked, 20u);
}

TEST(EnumWords, TheInstrumentsWordsAndTheirAlternatives) {
  struct Case {
    std::span<const core::EnumWords> links;
    std::string_view word;
    std::optional<std::int32_t> value;  // of the word; none: the word is not accepted
    bool prints = true;                 // the value prints as the word
  };
  using namespace words;
  const Case kCases[] = {
      {kMeasurementFunction, "PHAS2,1", 36},
      {kExternalFrequency, "+1.00000000E+007", 2},
      {kAutoLevelFrequency, "+1.00000000E+004", 1, false},
      {kCoupling, "dc", std::nullopt},
      {kCoupling, " DC", std::nullopt},  // trimming is the caller's
      {kBooleanOnOff, " ON", -1, false},
      {kBooleanOnOff, "ON", std::nullopt},
      {kBoolean, " ON", std::nullopt},
      {kBooleanWord, "ON", -1},
      {kBooleanWord, "1", std::nullopt},
      {kBooleanSecurity, "0, OFF", 0, false},
  };
  for (const Case& c : kCases) {
    const core::MethodRecord record = Linking(c.links);
    const std::string_view type = c.links[0].type;
    EXPECT_EQ(ValueOf(type, &record, c.word), c.value) << type << " '" << c.word << "'";
    if (c.value && c.prints) {
      EXPECT_EQ(WordOf(type, &record, *c.value), c.word);
    }
  }
  const core::MethodRecord memory = Linking(kMemoryLocationOnOff);
  EXPECT_EQ(WordOf("MemoryLocation", &memory, 3), "");  // a row without words
  EXPECT_EQ(ValueOf("MemoryLocation", &memory, ""), std::nullopt);
  EXPECT_EQ(ValueOf("VARIANT_BOOL", &memory, " ON"), -1);  // both of its links
  const core::MethodRecord function = Linking(kMeasurementFunction);
  for (std::int32_t gap : {3, 7, 15, 16, 18, 27, 51})
    EXPECT_FALSE(WordOf("MeasurementFunction", &function, gap)) << gap;
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
  EXPECT_EQ(WordOf("Slope", nullptr, 1), "POS");
  EXPECT_EQ(WordOf("tevraarmsourceenum", nullptr, 3), "ADV");
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
