// The tokenizer of the format language, for both directions. A format string is cut left to
// right into literal text and conversion specifiers; at a "%" the specifier forms of the
// direction's table are tried in order and the first that matches wins. Tokens point into the
// format string; nothing is allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tevra::io {

enum class Direction : std::uint8_t { Output, Input };

enum class OutKind : std::uint8_t {
  Literal,
  Integer,
  IntegerList,
  Real,
  RealList,
  DefiniteBlock,
  IndefiniteBlock,
  RawBinary,
  Character,
  String,
  StringList,
  Enum,
  EnumList,
};

enum class InKind : std::uint8_t {
  Literal,
  Integer,
  IntegerList,
  Real,
  RealList,
  Block,
  RawBinary,
  Character,
  UpToTerminator,
  WholeMessage,
  Word,
  CharacterSet,
  WordList,
  Enum,
  EnumBySet,
  EnumList,
};

// A width, precision or count: absent, given as digits, or taken from the arguments ("*" when
// writing, "#" when reading).
struct FormatField {
  enum class Source : std::uint8_t { Absent, Digits, Argument };
  Source source = Source::Absent;
  std::int32_t digits = 0;

  bool Present() const { return source != Source::Absent; }
};

// printf flags of a writing specifier.
enum FormatFlag : std::uint8_t {
  kFlagMinus = 1,
  kFlagPlus = 2,
  kFlagZero = 4,
  kFlagSpace = 8,
};

struct FormatToken {
  std::uint8_t kind = 0;  // an OutKind or InKind
  std::string_view text;  // the whole token; for a literal its text ("%%" stands for "%")

  std::uint8_t flags = 0;  // FormatFlag bits; kFlagMinus also for the "-" of text forms
  bool suppress = false;   // reading: "*"
  char numericFormat = 0;  // '1', '2', '3', 'H', 'Q', 'B' of "@1".."@B"
  FormatField width;
  FormatField precision;
  FormatField count;
  bool hasListMarker = false;
  std::string_view separators;  // the list marker's characters: "," or the letters in "(...)"
  bool safeArray = false;       // "$S"
  char size = 0;                // size letter
  char form = 0;                // 'B' or 'C' of "$B", "$C"
  char quote = 0;               // 'q' or 'Q'
  char byteOrder = 0;           // 'b' or 'l' of "!ob", "!ol"
  char conversion = 0;          // the final letter; '[' for a character set
  std::string_view enumName;    // without braces and surrounding blanks
  std::string_view charSet;     // between "[" (and "^") and "]"
  bool negatedSet = false;

  bool IsLiteral() const { return kind == 0; }
};

// Cuts the token that starts at pos and moves pos past it; false when no form matches there.
bool NextFormatToken(Direction direction, std::string_view format, std::size_t& pos,
                     FormatToken& token);

// Whether a format gets the static check before it runs. An application's format is checked
// first; the driver's own formats (the rows' templates and response formats, the
// session's typed formats) are checked once, by the tests that walk them, and run without it.
enum class FormatCheck : std::uint8_t { First, AlreadyDone };

// The separator character of a writing list marker letter ("," ";" ":" themselves, "s" space,
// "t" tab, "r" carriage return, "n" line feed); 0 for any other letter.
char SeparatorOfLetter(char letter);

// The bytes of one element of a block or raw-binary token with this size letter.
constexpr std::size_t BinaryElementSize(char size) {
  switch (size) {
    case 'h':
      return 2;
    case 'l':
    case 'z':
      return 4;
    case 'I':
    case 'Z':
      return 8;
    default:
      return 1;
  }
}

}  // namespace tevra::io
