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

// Each format one token of the kind; the refused ones match no form at some position.
template <class K>
void ExpectForms(Direction direction,
                 const std::vector<std::pair<K, std::vector<const char*>>>& forms,
                 std::initializer_list<const char*> refused) {
  for (const auto& [kind, formats] : forms)
    for (const char* format : formats)
      EXPECT_EQ(Kinds(direction, format), std::vector<int>{static_cast<int>(kind)}) << format;
  for (const char* format : refused)
    EXPECT_EQ(Kinds(direction, format), std::vector<int>{-1}) << format;
}

TEST(FormatTokens, OutputFormsInOrderOfPreference) {
  using K = OutKind;
  ExpectForms<K>(
      Direction::Output,
      {{K::Integer, {"%-+0 12.5ld", "%@Hx", "%0*.*Iu", "%  d"}},
       {K::IntegerList, {"%(;)*$Shd", "%$Sd"}},
       {K::Real, {"%Lf"}},
       {K::DefiniteBlock, {"%5b"}},
       {K::RawBinary, {"%4!oly", "%*!ob$SIy", "%y"}},  // the missing count fails later
       {K::String, {"%-*.*$BQs", "%$Cqs"}},
       {K::StringList, {"%,*$Bs"}},
       {K::Enum, {"%{ Tevra_Coupling2 }-8Qs"}}},
      {"%X", "%Y", "%q", "%lc", "%.d", "%@4d", "%{}s", "%{A}d", "%5Tb", "%", "abc%", "%#d", "%t"});
  const auto k = [](K kind) { return static_cast<int>(kind); };
  EXPECT_EQ(Kinds(Direction::Output, "%d;%%%s"),
            (std::vector<int>{k(K::Integer), k(K::Literal), k(K::Literal), k(K::String)}));
}

TEST(FormatTokens, InputFormsInOrderOfPreference) {
  using K = InKind;
  ExpectForms<K>(Direction::Input,
                 {{K::Integer, {"%*#hx", "% @Hd"}},
                  {K::IntegerList, {"%,#ld", "%(,;)10$Sd"}},
                  {K::Real, {"%*e"}},
                  {K::Block, {"%$Szb"}},
                  {K::Character, {"%5c", "%#c"}},
                  {K::UpToTerminator, {"%T"}},
                  {K::WholeMessage, {"%#$Bt"}},
                  {K::Word, {"%#$Cs"}},
                  {K::CharacterSet, {"%10$C[]a-z]"}},
                  {K::WordList, {"%,#$Cqs", "%qs"}},
                  {K::Enum, {"%{Coupling}*Qs"}},
                  {K::EnumList, {"%{Slope}(,;)#s"}}},
                 {"%*d%", "%[abc", "%-d", "%.2f", "%*B", "%,(;d", "%Q"});
  const auto k = [](K kind) { return static_cast<int>(kind); };
  EXPECT_EQ(Kinds(Direction::Input, "%d,%$Ct"),
            (std::vector<int>{k(K::Integer), k(K::Literal), k(K::WholeMessage)}));
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
