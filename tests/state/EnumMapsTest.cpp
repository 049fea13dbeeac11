// The enumeration tables: every word reachable through its type names and contexts, the words the
// instrument is known by, the contexts that refuse every conversion, and the family fallback.
#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>

#include "state/EnumMaps.h"

namespace tevra::state {
namespace {

constexpr std::string_view kFamily = "DefaultFamily";

std::optional<CEnumCommandConverter> Find(std::string_view type, std::string_view context) {
  return FindEnumConverter(type, SplitEnumContext(context));
}

std::optional<std::string_view> WordOf(std::string_view type, std::string_view context,
                                       std::int32_t value) {
  std::string_view word;
  const auto converter = Find(type, context);
  if (!converter || !converter->ToCommand(kFamily, value, word)) return std::nullopt;
  return word;
}

std::optional<std::int32_t> ValueOf(std::string_view type, std::string_view context,
                                    std::string_view word) {
  std::int32_t value = 0;
  const auto converter = Find(type, context);
  if (!converter || !converter->FromCommand(kFamily, word, value)) return std::nullopt;
  return value;
}

TEST(EnumTables, EveryWordRoundTripsInEveryContextOfItsType) {
  for (const EnumType& type : EnumTypes()) {
    for (const EnumContextTable& entry : type.contexts) {
      for (const EnumRow& row : entry.table.Rows()) {
        EXPECT_EQ(WordOf(type.name, entry.context, row.value), row.words[0]) << entry.context;
        for (std::string_view w : row.words) {
          if (w.empty()) break;
          // Boolean 1 shares its words with true (-1), the row before it.
          const std::int32_t expected =
              type.name == kBooleanTypeName ? -(row.value != 0) : row.value;
          EXPECT_EQ(ValueOf(type.name, entry.context, w), expected) << entry.context << " " << w;
          EXPECT_LE(w.size(), Find(type.name, entry.context)->LongestWord());
        }
      }
    }
  }
}

TEST(EnumTables, TheInstrumentsWordsAndTheirAlternatives) {
  struct Case {
    std::string_view type, context, word;
    std::optional<std::int32_t> value;  // of the word; none: the word is not accepted
    bool prints = true;                 // the value prints as the word
  };
  const Case kCases[] = {
      {"MeasurementFunction", "ITevra.SetFunction", "FREQ:RAT1,3", 2},
      {"MeasurementFunction", "ITevra.SetFunction", "PHAS2,1", 36},
      {"Polarity", "ITevraArm.GetPolarity", "POS", 0},
      {"ExternalFrequency", "ITevraReferenceOscillator.ExternalFrequency", "+1.00000000E+007", 2},
      {"BurstLevel", "ITevraBurst.Level", "-1.20000000E+001", 1},
      {"AutoLevelFrequency", "ITevraChannels.AutoLevelFrequency", "+1.00000000E+004", 1, false},
      {"ProbeFactor", "ITevraChannel.ProbeFactor", "+10", 1, false},
      {"Coupling", "ITevraChannel.Coupling", "dc", std::nullopt},
      {"Coupling", "ITevraChannel.Coupling", " DC", std::nullopt},  // trimming is the caller's
      {"VARIANT_BOOL", "ITevraOutput.Enabled", " ON", -1, false},
      {"VARIANT_BOOL", "ITevraOutput.Enabled", " OFF", 0, false},
      {"VARIANT_BOOL", "ITevraOutput.Enabled", "ON", std::nullopt},
      {"VARIANT_BOOL", "ITevraDisplay.Enabled", " ON", std::nullopt},
      {"VARIANT_BOOL", "ITevraMathScaling.UnitEnabled", "ON", -1},
      {"VARIANT_BOOL", "ITevraMathScaling.UnitEnabled", "1", std::nullopt},
      {"VARIANT_BOOL", "ITevraCalibration.SecurityState", "0, OFF", 0, false},
      {"VARIANT_BOOL", "ITevraCalibration.SecurityState", " ON", std::nullopt},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(ValueOf(c.type, c.context, c.word), c.value) << c.context << " '" << c.word << "'";
    if (c.value && c.prints) {
      EXPECT_EQ(WordOf(c.type, c.context, *c.value), c.word);
    }
  }
  EXPECT_EQ(WordOf("MemoryLocation", "ITevraMemory.SaveState", 3), "");  // a row without words
  EXPECT_EQ(ValueOf("MemoryLocation", "ITevraMemory.SaveState", ""), std::nullopt);
  for (std::int32_t gap : {3, 7, 15, 16, 18, 27, 51})
    EXPECT_FALSE(WordOf("MeasurementFunction", "ITevra.SetFunction", gap)) << gap;
  EXPECT_FALSE(WordOf("VARIANT_BOOL", "ITevraOutput.Enabled", 0xFFFF));
}

TEST(EnumTables, ContextsWithoutRowsRefuseEveryConversion) {
  std::size_t empty = 0;
  for (const EnumType& type : EnumTypes()) {
    for (const EnumContextTable& entry : type.contexts) {
      if (!entry.table.Rows().empty()) continue;
      ++empty;
      ASSERT_TRUE(Find(type.name, entry.context)) << entry.context;  // known, but empty
      for (std::int32_t value = -1; value <= 60; ++value)
        EXPECT_FALSE(WordOf(type.name, entry.context, value)) << entry.context;
      for (const EnumContextTable& other : type.contexts)
        for (const EnumRow& row : other.table.Rows())
          EXPECT_FALSE(ValueOf(type.name, entry.context, row.words[0])) << entry.context;
    }
  }
  EXPECT_EQ(empty, 29u);
}

TEST(EnumTables, TypeNamesAreKnownUnderFourNamesInAnyCase) {
  for (const EnumType& type : EnumTypes()) {
    if (type.name == kBooleanTypeName) continue;
    const std::string base(type.name);
    for (std::string name : {base, base + "Enum", "Tevra" + base, "Tevra" + base + "Enum"}) {
      EXPECT_TRUE(Find(name, type.contexts.back().context)) << name;
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      EXPECT_TRUE(Find(name, type.contexts.back().context)) << name;
    }
  }
  EXPECT_EQ(WordOf("variant_bool", "ITevraOutput.Enabled", 0), "0");
  for (std::string_view unknown :
       {"", "TevraEnum", "Couplings", "TevraTevraCoupling", "CouplingEnumEnum", "TevraVARIANT_BOOL",
        "VARIANT_BOOLEnum", "TevraStatusRegisterEnum", "IviCounterMeasurementFunctionEnum"}) {
    EXPECT_FALSE(Find(unknown, "ITevraChannel.Coupling")) << unknown;
    EXPECT_FALSE(Find(unknown, "")) << unknown;
  }
}

TEST(EnumTables, ContextsMatchWithoutCaseAndTheFirstServesNoContext) {
  EXPECT_EQ(WordOf("Coupling", "itevrachannel.COUPLING", 1), "AC");
  for (std::string_view context : {"ITevraChannel.Bogus", "ITevraChannel", "ITevraChannelCoupling",
                                   "ITevraTrigger.Coupling", "ITevraChannel.Coupling."})
    EXPECT_FALSE(Find("Coupling", context)) << context;
  EXPECT_EQ(WordOf("Slope", "", 1), "POS");  // ITevraChannel.Slope1
  EXPECT_TRUE(Find("Coupling", ""));
  EXPECT_FALSE(WordOf("Coupling", "", 1));  // ITevraChannel.Configure, which has no rows

  for (const char* method : {"get_Coupling", "put_Coupling"}) {
    const core::MethodRecord record{nullptr, "ITevraChannel", method};
    const EnumContext context = EnumContextOf(&record);
    EXPECT_EQ(context.interfaceName, "ITevraChannel");
    EXPECT_EQ(context.memberName, "Coupling");
  }
  const core::MethodRecord getPolarity{nullptr, "ITevraArm", "GetPolarity"};
  EXPECT_EQ(EnumContextOf(&getPolarity).memberName, "GetPolarity");
  EXPECT_TRUE(EnumContextOf(nullptr).Empty());
}

TEST(EnumTables, AFamilyUsesItsOwnTableElseTheSharedOne) {
  std::string_view word;
  std::int32_t value = 0;
  for (std::string_view family : {"DefaultFamily", "", "OtherFamily"})  // every table is shared
    EXPECT_TRUE(Find("Coupling", "ITevraChannel.Coupling")->ToCommand(family, 2, word));

  constexpr EnumRow kShared[] = {{1, {"AC"}}};
  constexpr EnumRow kSpecial[] = {{1, {"ACX"}}};
  const EnumContextTable tables[] = {{"ITest.Coupling", kShared},
                                     {"ITest.Coupling", CEnumCommand(kSpecial, "Special")}};
  const CEnumCommandConverter converter(tables);
  ASSERT_TRUE(converter.ToCommand("Special", 1, word));
  EXPECT_EQ(word, "ACX");
  ASSERT_TRUE(converter.ToCommand("DefaultFamily", 1, word));
  EXPECT_EQ(word, "AC");
  EXPECT_FALSE(converter.FromCommand("Special", "AC", value));
  const EnumContextTable onlySpecial[] = {{"ITest.Coupling", CEnumCommand(kSpecial, "Special")}};
  EXPECT_FALSE(CEnumCommandConverter(onlySpecial).ToCommand("DefaultFamily", 1, word));
}

}  // namespace
}  // namespace tevra::state
