// The tokenizer: the specifier forms of both directions that the formatted I/O tests do not
// already take end to end, the order of preference between forms that share a prefix, and
// formats it must refuse. What each field does is checked through the formatted I/O.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/FormatTokens.h"

namespace tevra::io {
namespace {

// The kinds of the tokens of a format, or {-1} when some position matches no form.
std::vector<int> Kinds(Direction direction, std::string_view format) {
  std::vector<int> kinds;
  std::size_t pos = 0;
  FormatToken token;
  while (pos < format.size()) {
    if (!NextFormatToken(direction, format, pos, token)) return {-1};
    kinds.push_back(token.kind);
  }
  return kinds;
}

FormatToken Only(Direction direction, std::string_view format) {
  std::size_t pos = 0;
  FormatToken token;
  EXPECT_TRUE(NextFormatToken(direction, format, pos, token)) << format;
  EXPECT_EQ(pos, format.size()) << format;
  return token;
}

struct KindCase {
  const char* format;
  std::vector<int> kinds;
};

TEST(FormatTokens, OutputFormsInOrderOfPreference) {
  using K = OutKind;
  auto k = [](K kind) { return static_cast<int>(kind); };
  const KindCase cases[] = {
      {"50%%\n", {k(K::Literal), k(K::Literal), k(K::Literal)}},
      {"%-+0 12.5ld", {k(K::Integer)}},
      {"%@Hx", {k(K::Integer)}},
      {"%0*.*Iu", {k(K::Integer)}},
      {"%(;)*$Shd", {k(K::IntegerList)}},
      {"%$Sd", {k(K::IntegerList)}},  // the marker is optional like every field but the last
      {"%Lf", {k(K::Real)}},
      {"%5b", {k(K::DefiniteBlock)}},
      {"%4!oly", {k(K::RawBinary)}},
      {"%*!ob$SIy", {k(K::RawBinary)}},
      {"%-*.*$BQs", {k(K::String)}},
      {"%$Cqs", {k(K::String)}},
      {"%,*$Bs", {k(K::StringList)}},
      {"%{ Tevra_Coupling2 }-8Qs", {k(K::Enum)}},
      {"%  d", {k(K::Integer)}},
      {"%d,%d;%s", {k(K::Integer), k(K::Literal), k(K::Integer), k(K::Literal), k(K::String)}},
      // Refused: no form ends there.
      {"%X", {-1}},
      {"%Y", {-1}},
      {"%y", {k(K::RawBinary)}},  // tokenizes; the missing count fails later
      {"%q", {-1}},
      {"%lc", {-1}},
      {"%.d", {-1}},
      {"%@4d", {-1}},
      {"%{}s", {-1}},
      {"%{A}d", {-1}},
      {"%5Tb", {-1}},
      {"%", {-1}},
      {"abc%", {-1}},
      {"%#d", {-1}},
      {"%t", {-1}},
  };
  for (const KindCase& c : cases)
    EXPECT_EQ(Kinds(Direction::Output, c.format), c.kinds) << c.format;
}

TEST(FormatTokens, InputFormsInOrderOfPreference) {
  using K = InKind;
  auto k = [](K kind) { return static_cast<int>(kind); };
  const KindCase cases[] = {
      {"%*#hx", {k(K::Integer)}},
      {"% @Hd", {k(K::Integer)}},
      {"%,#ld", {k(K::IntegerList)}},
      {"%(,;)10$Sd", {k(K::IntegerList)}},
      {"%*e", {k(K::Real)}},
      {"%$Szb", {k(K::Block)}},
      {"%5c", {k(K::Character)}},
      {"%#c", {k(K::Character)}},
      {"%T", {k(K::UpToTerminator)}},
      {"%#$Bt", {k(K::WholeMessage)}},
      {"%#$Cs", {k(K::Word)}},
      {"%10$C[]a-z]", {k(K::CharacterSet)}},
      {"%,#$Cqs", {k(K::WordList)}},
      {"%qs", {k(K::WordList)}},
      {"%{Coupling}*Qs", {k(K::Enum)}},
      {"%{Slope}(,;)#s", {k(K::EnumList)}},
      {"%d,%$Ct", {k(K::Integer), k(K::Literal), k(K::WholeMessage)}},
      // Refused.
      {"%*d%", {-1}},
      {"%[abc", {-1}},
      {"%-d", {-1}},
      {"%.2f", {-1}},
      {"%*B", {-1}},
      {"%,(;d", {-1}},
      {"%Q", {-1}},
  };
  for (const KindCase& c : cases) EXPECT_EQ(Kinds(Direction::Input, c.format), c.kinds) << c.format;
}

// The fields the formatted I/O tests cannot tell apart end to end: blanks after each field, the
// blanks around an enumeration name, a "]" that opens a negated set.
TEST(FormatTokens, RecordsTheFieldsBetweenBlanks) {
  FormatToken t = Only(Direction::Output, "%@H 4 (n) 7 $S h d");
  EXPECT_EQ(t.kind, static_cast<int>(OutKind::IntegerList));
  EXPECT_EQ(t.numericFormat, 'H');
  EXPECT_EQ(t.width.digits, 4);
  EXPECT_EQ(t.separators, "n");
  EXPECT_EQ(t.count.digits, 7);
  EXPECT_TRUE(t.safeArray);
  EXPECT_EQ(t.size, 'h');
  EXPECT_EQ(Only(Direction::Output, "%{ Tevra_Coupling2 }-8Qs").enumName, "Tevra_Coupling2");
  t = Only(Direction::Input, "%[^]x]");
  EXPECT_TRUE(t.negatedSet);
  EXPECT_EQ(t.charSet, "]x");
}

}  // namespace
}  // namespace tevra::io
