#include "io/FormatTokens.h"

#include <limits>
#include <span>

namespace tevra::io {
namespace {

// The parts of a specifier, in the order in which they may appear.
enum Part : std::uint32_t {
  kEnumName = 1u << 0,
  kSuppress = 1u << 1,
  kFlags = 1u << 2,
  kDash = 1u << 3,
  kNumericFormat = 1u << 4,
  kWidth = 1u << 5,
  kPrecision = 1u << 6,
  kListMarker = 1u << 7,
  kCount = 1u << 8,
  kByteOrder = 1u << 9,
  kSafeArray = 1u << 10,
  kForm = 1u << 11,
  kQuote = 1u << 12,
  kSize = 1u << 13,
};

// One specifier form: its parts, the size letters and final letters it accepts ("[" for a
// character set).
struct SpecifierForm {
  std::uint8_t kind;
  std::uint32_t parts;
  std::string_view sizes;
  std::string_view conversions;
};

constexpr std::uint32_t kIntegerParts = kFlags | kNumericFormat | kWidth | kPrecision | kSize;
constexpr std::uint32_t kListParts = kListMarker | kCount | kSafeArray;
constexpr std::uint32_t kTextParts = kDash | kWidth | kPrecision;

constexpr SpecifierForm kOutputForms[] = {
    {static_cast<std::uint8_t>(OutKind::Integer), kIntegerParts, "lhbI", "dioux"},
    {static_cast<std::uint8_t>(OutKind::IntegerList), kIntegerParts | kListParts, "lhbI", "dioux"},
    {static_cast<std::uint8_t>(OutKind::Real), kIntegerParts, "lL", "feEgG"},
    {static_cast<std::uint8_t>(OutKind::RealList), kIntegerParts | kListParts, "lL", "feEgG"},
    {static_cast<std::uint8_t>(OutKind::DefiniteBlock), kCount | kSafeArray | kSize, "hlzZI", "b"},
    {static_cast<std::uint8_t>(OutKind::IndefiniteBlock), kCount | kSafeArray | kSize, "hlzZI",
     "B"},
    {static_cast<std::uint8_t>(OutKind::RawBinary), kCount | kByteOrder | kSafeArray | kSize, "hlI",
     "y"},
    {static_cast<std::uint8_t>(OutKind::Character), kTextParts, "", "c"},
    {static_cast<std::uint8_t>(OutKind::String), kTextParts | kForm | kQuote, "", "s"},
    {static_cast<std::uint8_t>(OutKind::StringList), kTextParts | kListParts | kForm | kQuote, "",
     "s"},
    {static_cast<std::uint8_t>(OutKind::Enum), kEnumName | kTextParts | kQuote, "", "s"},
    {static_cast<std::uint8_t>(OutKind::EnumList), kEnumName | kTextParts | kListParts | kQuote, "",
     "s"},
};

constexpr std::uint32_t kReadNumberParts = kSuppress | kNumericFormat | kWidth | kSize;

constexpr SpecifierForm kInputForms[] = {
    {static_cast<std::uint8_t>(InKind::Integer), kReadNumberParts, "lhbI", "dioux"},
    {static_cast<std::uint8_t>(InKind::IntegerList), kReadNumberParts | kListParts, "lhbI",
     "dioux"},
    {static_cast<std::uint8_t>(InKind::Real), kReadNumberParts, "lL", "feEgG"},
    {static_cast<std::uint8_t>(InKind::RealList), kReadNumberParts | kListParts, "lL", "feEgG"},
    {static_cast<std::uint8_t>(InKind::Block), kSuppress | kCount | kSafeArray | kSize, "hlzZI",
     "b"},
    {static_cast<std::uint8_t>(InKind::RawBinary),
     kSuppress | kCount | kByteOrder | kSafeArray | kSize, "hlI", "y"},
    {static_cast<std::uint8_t>(InKind::Character), kSuppress | kWidth, "", "c"},
    {static_cast<std::uint8_t>(InKind::UpToTerminator), kSuppress | kWidth | kForm, "", "T"},
    {static_cast<std::uint8_t>(InKind::WholeMessage), kSuppress | kWidth | kForm, "", "t"},
    {static_cast<std::uint8_t>(InKind::Word), kSuppress | kWidth | kForm, "", "s"},
    {static_cast<std::uint8_t>(InKind::CharacterSet), kSuppress | kWidth | kForm, "", "["},
    {static_cast<std::uint8_t>(InKind::WordList), kSuppress | kWidth | kListParts | kForm | kQuote,
     "", "s"},
    {static_cast<std::uint8_t>(InKind::Enum), kEnumName | kSuppress | kWidth | kQuote, "", "s"},
    {static_cast<std::uint8_t>(InKind::EnumBySet), kEnumName | kSuppress | kWidth, "", "["},
    {static_cast<std::uint8_t>(InKind::EnumList),
     kEnumName | kSuppress | kWidth | kListParts | kQuote, "", "s"},
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool Contains(std::string_view set, char c) { return set.find(c) != std::string_view::npos; }

// A cursor over one specifier; every reader consumes its part and the blanks after it, or
// nothing.
class SpecifierReader {
 public:
  SpecifierReader(std::string_view format, std::size_t pos) : s_(format), pos_(pos) {}

  std::size_t Pos() const { return pos_; }

  void SkipBlanks() {
    while (pos_ < s_.size() && IsBlank(s_[pos_])) ++pos_;
  }

  bool Accept(char c) {
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  bool Accept(std::string_view text) {
    if (s_.substr(pos_, text.size()) != text) return false;
    pos_ += text.size();
    return true;
  }

  char Peek() const { return pos_ < s_.size() ? s_[pos_] : '\0'; }

  bool Digits(std::int32_t& value) {
    if (!IsDigit(Peek())) return false;
    std::int64_t v = 0;
    while (IsDigit(Peek())) {
      v = v * 10 + (s_[pos_++] - '0');
      if (v > std::numeric_limits<std::int32_t>::max())
        v = std::numeric_limits<std::int32_t>::max();
    }
    value = static_cast<std::int32_t>(v);
    return true;
  }

  // Digits, or the argument marker ("*" writing, "#" reading).
  bool Field(char argumentMarker, FormatField& field) {
    if (Accept(argumentMarker)) {
      field.source = FormatField::Source::Argument;
      return true;
    }
    if (Digits(field.digits)) {
      field.source = FormatField::Source::Digits;
      return true;
    }
    return false;
  }

  bool EnumName(std::string_view& name) {
    const std::size_t start = pos_;
    if (!Accept('{')) return false;
    SkipBlanks();
    const std::size_t nameStart = pos_;
    std::size_t nameEnd = pos_;
    while (pos_ < s_.size() && (IsNameChar(s_[pos_]) || IsBlank(s_[pos_]))) {
      if (IsNameChar(s_[pos_])) nameEnd = pos_ + 1;
      ++pos_;
    }
    if (nameEnd == nameStart || !Accept('}')) {
      pos_ = start;
      return false;
    }
    name = s_.substr(nameStart, nameEnd - nameStart);
    return true;
  }

  bool ListMarker(Direction direction, std::string_view& separators) {
    if (Accept(',')) {
      separators = s_.substr(pos_ - 1, 1);
      return true;
    }
    const std::size_t start = pos_;
    if (!Accept('(')) return false;
    const std::size_t first = pos_;
    if (direction == Direction::Output) {
      if (pos_ < s_.size() && s_[pos_] != ')') ++pos_;
    } else {
      while (pos_ < s_.size() && s_[pos_] != ')') ++pos_;
    }
    if (pos_ == first || !Accept(')')) {
      pos_ = start;
      return false;
    }
    separators = s_.substr(first, pos_ - 1 - first);
    return true;
  }

  bool CharacterSet(std::string_view& set, bool& negated) {
    const std::size_t start = pos_;
    if (!Accept('[')) return false;
    negated = Accept('^');
    const std::size_t first = pos_;
    if (Peek() == ']') ++pos_;  // a "]" right after "[" or "[^" belongs to the set
    while (pos_ < s_.size() && s_[pos_] != ']') ++pos_;
    if (pos_ >= s_.size()) {
      pos_ = start;
      return false;
    }
    set = s_.substr(first, pos_ - first);
    ++pos_;
    return true;
  }

 private:
  std::string_view s_;
  std::size_t pos_;
};

bool MatchForm(Direction direction, const SpecifierForm& form, std::string_view format,
               std::size_t start, std::size_t& end, FormatToken& token) {
  const char argumentMarker = direction == Direction::Output ? '*' : '#';
  SpecifierReader r(format, start + 1);  // after "%"
  const std::uint32_t parts = form.parts;

  if (parts & kFlags) {
    // Blanks after "%" are the printf space flag here.
    for (;;) {
      const char c = r.Peek();
      if (c == '-')
        token.flags |= kFlagMinus;
      else if (c == '+')
        token.flags |= kFlagPlus;
      else if (c == '0')
        token.flags |= kFlagZero;
      else if (c == ' ')
        token.flags |= kFlagSpace;
      else if (c != '\t')
        break;
      r.Accept(c);
    }
  } else {
    r.SkipBlanks();
  }
  if ((parts & kEnumName) && r.EnumName(token.enumName)) r.SkipBlanks();
  if ((parts & kEnumName) && token.enumName.empty()) return false;
  if ((parts & kSuppress) && r.Accept('*')) {
    token.suppress = true;
    r.SkipBlanks();
  }
  if ((parts & kDash) && r.Accept('-')) {
    token.flags |= kFlagMinus;
    r.SkipBlanks();
  }
  if ((parts & kNumericFormat) && r.Peek() == '@') {
    r.Accept('@');
    const char f = r.Peek();
    if (!Contains("123HQB", f) || f == '\0') return false;
    r.Accept(f);
    token.numericFormat = f;
    r.SkipBlanks();
  }
  if (parts & kWidth) {
    if (direction == Direction::Output && r.Accept("0*")) {
      token.flags |= kFlagZero;
      token.width.source = FormatField::Source::Argument;
      r.SkipBlanks();
    } else if (r.Field(argumentMarker, token.width)) {
      r.SkipBlanks();
    }
  }
  if ((parts & kPrecision) && r.Peek() == '.') {
    r.Accept('.');
    if (!r.Field('*', token.precision)) return false;
    r.SkipBlanks();
  }
  if ((parts & kListMarker) && r.ListMarker(direction, token.separators)) {
    token.hasListMarker = true;
    r.SkipBlanks();
  }
  if ((parts & kCount) && r.Field(argumentMarker, token.count)) r.SkipBlanks();
  if (parts & kByteOrder) {
    if (r.Accept("!ob"))
      token.byteOrder = 'b';
    else if (r.Accept("!ol"))
      token.byteOrder = 'l';
    if (token.byteOrder) r.SkipBlanks();
  }
  if ((parts & kSafeArray) && r.Accept("$S")) {
    token.safeArray = true;
    r.SkipBlanks();
  }
  if (parts & kForm) {
    if (r.Accept("$B"))
      token.form = 'B';
    else if (r.Accept("$C"))
      token.form = 'C';
    if (token.form) r.SkipBlanks();
  }
  if ((parts & kQuote) && (r.Peek() == 'q' || r.Peek() == 'Q')) {
    token.quote = r.Peek();
    r.Accept(token.quote);
    r.SkipBlanks();
  }
  if ((parts & kSize) && r.Peek() != '\0' && Contains(form.sizes, r.Peek())) {
    token.size = r.Peek();
    r.Accept(token.size);
    r.SkipBlanks();
  }
  if (form.conversions == "[") {
    if (!r.CharacterSet(token.charSet, token.negatedSet)) return false;
    token.conversion = '[';
  } else {
    const char c = r.Peek();
    if (c == '\0' || !Contains(form.conversions, c)) return false;
    r.Accept(c);
    token.conversion = c;
  }
  token.kind = form.kind;
  end = r.Pos();
  return true;
}

}  // namespace

bool NextFormatToken(Direction direction, std::string_view format, std::size_t& pos,
                     FormatToken& token) {
  const std::size_t start = pos;
  if (start >= format.size()) return false;
  if (format[start] != '%') {
    const std::size_t percent = format.find('%', start);
    const std::size_t end = percent == std::string_view::npos ? format.size() : percent;
    token = FormatToken{};
    token.text = format.substr(start, end - start);
    pos = end;
    return true;
  }
  if (start + 1 < format.size() && format[start + 1] == '%') {
    token = FormatToken{};
    token.text = format.substr(start, 2);
    pos = start + 2;
    return true;
  }
  const std::span<const SpecifierForm> forms = direction == Direction::Output
                                                   ? std::span<const SpecifierForm>(kOutputForms)
                                                   : std::span<const SpecifierForm>(kInputForms);
  for (const SpecifierForm& form : forms) {
    FormatToken candidate;
    std::size_t end = 0;
    if (MatchForm(direction, form, format, start, end, candidate)) {
      candidate.text = format.substr(start, end - start);
      token = candidate;
      pos = end;
      return true;
    }
  }
  return false;
}

char SeparatorOfLetter(char letter) {
  switch (letter) {
    case ',':
    case ';':
    case ':':
      return letter;
    case 's':
      return ' ';
    case 't':
      return '\t';
    case 'r':
      return '\r';
    case 'n':
      return '\n';
    default:
      return 0;
  }
}

}  // namespace tevra::io
