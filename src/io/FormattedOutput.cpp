#include "io/FormattedOutput.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "io/ByteOrder.h"
#include "io/FormatTokens.h"
#include "platform/Bstr.h"
#include "platform/SafeArray.h"

namespace tevra::io {
namespace {

constexpr std::size_t kNumberBuffer = 128;
// Widths and precisions beyond this are taken as this: no command is a megabyte of padding.
constexpr int kMaxFieldWidth = 1 << 20;

// An integer with the width of the variable it came from; unsigned conversions see its bits.
struct IntegerValue {
  std::int64_t value;
  int bits;  // 8, 16, 32 or 64
};

std::uint64_t UnsignedBits(std::int64_t value, int bits) {
  return bits >= 64 ? static_cast<std::uint64_t>(value)
                    : static_cast<std::uint64_t>(value) & ((std::uint64_t{1} << bits) - 1);
}

std::int64_t SignExtend(std::int64_t value, int bits) {
  if (bits >= 64) return value;
  const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
  std::uint64_t v = static_cast<std::uint64_t>(value) & mask;
  if (v >> (bits - 1)) v |= ~mask;
  return static_cast<std::int64_t>(v);
}

int BitsOfSize(char size) {
  switch (size) {
    case 'b':
      return 8;
    case 'h':
      return 16;
    case 'I':
      return 64;
    default:
      return 32;
  }
}

// A specifier with its "*" fields taken from the arguments.
struct Resolved {
  std::uint8_t flags = 0;
  int width = 0;
  int precision = -1;  // printf: negative means none
  std::int64_t count = -1;
};

// Text to print, converted from a counted wide string when needed without touching the heap for
// short texts.
class TextHolder {
 public:
  std::string_view view;

  void FromWide(const OLECHAR* wide) {
    const std::u16string_view w = platform::BstrView(wide);
    if (w.size() <= sizeof stack_) {
      bool ascii = true;
      for (std::size_t i = 0; i < w.size() && ascii; ++i) {
        ascii = w[i] < 0x80;
        stack_[i] = static_cast<char>(w[i]);
      }
      if (ascii) {
        view = std::string_view(stack_, w.size());
        return;
      }
    }
    heap_ = platform::Utf16ToUtf8(w);
    view = heap_;
  }

 private:
  char stack_[256];
  std::string heap_;
};

class OutputFormatter {
 public:
  OutputFormatter(IIoBuffer& out, core::IEnumFormatter* enums, std::span<const FormatArg> args)
      : out_(out), enums_(enums), args_(args) {}

  // checkFirst: the whole format is checked before anything is written (the instrument must
  // never get part of a command); without it each specifier is checked as it comes, so the
  // format is read once, and FailedCheck() tells the caller to take back what was written.
  HRESULT Run(std::string_view format, bool checkFirst) {
    HRESULT hr = checkFirst ? Check(format) : S_OK;
    if (FAILED(hr)) return hr;
    std::size_t pos = 0;
    FormatToken token;
    while (pos < format.size()) {
      if (!NextFormatToken(Direction::Output, format, pos, token)) hr = E_UNEXPECTED;
      if (!checkFirst && SUCCEEDED(hr)) hr = CheckToken(token);
      if (FAILED(hr)) {
        failedCheck_ = true;
        return hr;
      }
      hr = token.IsLiteral() ? Literal(token.text) : Specifier(token);
      if (FAILED(hr)) return hr;
    }
    return S_OK;
  }
  bool FailedCheck() const { return failedCheck_; }

  // The static checks, so that a format that cannot be processed writes nothing.
  static HRESULT Check(std::string_view format) {
    std::size_t pos = 0;
    FormatToken token;
    while (pos < format.size()) {
      if (!NextFormatToken(Direction::Output, format, pos, token)) return E_UNEXPECTED;
      if (const HRESULT hr = CheckToken(token); FAILED(hr)) return hr;
    }
    return S_OK;
  }

 private:
  static bool IsList(OutKind kind) {
    return kind == OutKind::IntegerList || kind == OutKind::RealList ||
           kind == OutKind::StringList || kind == OutKind::EnumList;
  }
  static bool NeedsCount(OutKind kind) {
    return IsList(kind) || kind == OutKind::DefiniteBlock || kind == OutKind::IndefiniteBlock ||
           kind == OutKind::RawBinary;
  }

  static HRESULT CheckToken(const FormatToken& token) {
    const auto kind = static_cast<OutKind>(token.kind);
    if (NeedsCount(kind) && !token.safeArray && !token.count.Present()) return E_UNEXPECTED;
    if (token.hasListMarker && token.separators != "," &&
        SeparatorOfLetter(token.separators[0]) == 0)
      return E_INVALIDARG;
    return S_OK;
  }

  const FormatArg* NextArg() { return next_ < args_.size() ? &args_[next_++] : nullptr; }

  HRESULT TakeInt(std::int64_t& value) {
    const FormatArg* a = NextArg();
    if (!a || a->kind != FormatArg::Kind::Int) return E_INVALIDARG;
    value = a->i;
    return S_OK;
  }

  HRESULT Resolve(const FormatToken& token, Resolved& r) {
    r.flags = token.flags;
    std::int64_t v = 0;
    if (token.width.source == FormatField::Source::Digits) {
      r.width = std::min(token.width.digits, kMaxFieldWidth);
    } else if (token.width.source == FormatField::Source::Argument) {
      if (HRESULT hr = TakeInt(v); FAILED(hr)) return hr;
      if (v < 0) {
        r.flags |= kFlagMinus;
        v = -v;
      }
      r.width = static_cast<int>(std::min<std::int64_t>(v, kMaxFieldWidth));
    }
    if (token.precision.source == FormatField::Source::Digits) {
      r.precision = std::min(token.precision.digits, kMaxFieldWidth);
    } else if (token.precision.source == FormatField::Source::Argument) {
      if (HRESULT hr = TakeInt(v); FAILED(hr)) return hr;
      r.precision = v < 0 ? -1 : static_cast<int>(std::min<std::int64_t>(v, kMaxFieldWidth));
    }
    if (token.count.source == FormatField::Source::Digits) {
      r.count = token.count.digits;
    } else if (token.count.source == FormatField::Source::Argument) {
      if (HRESULT hr = TakeInt(v); FAILED(hr)) return hr;
      r.count = std::max<std::int64_t>(v, 0);
    }
    return S_OK;
  }

  // --- writing primitives ---

  HRESULT Write(std::string_view text) {
    if (text.empty()) return S_OK;
    std::size_t taken = 0;
    const HRESULT hr = out_.WriteString(text, false, taken);
    if (FAILED(hr)) return hr;
    return taken < text.size() ? E_UNEXPECTED : S_OK;
  }

  HRESULT WriteBytes(const void* data, std::size_t size) {
    if (size == 0) return S_OK;
    std::size_t taken = 0;
    const HRESULT hr = out_.WriteBytes(
        std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), size), taken);
    if (FAILED(hr)) return hr;
    return taken < size ? E_UNEXPECTED : S_OK;
  }

  HRESULT Pad(std::size_t count, char fill) {
    static constexpr char kSpaces[] =
        "                                                                ";
    static constexpr char kZeros[] =
        "0000000000000000000000000000000000000000000000000000000000000000";
    const char* run = fill == '0' ? kZeros : kSpaces;
    while (count > 0) {
      const std::size_t n = std::min<std::size_t>(count, 64);
      if (HRESULT hr = Write(std::string_view(run, n)); FAILED(hr)) return hr;
      count -= n;
    }
    return S_OK;
  }

  // Literal text; a line feed ends the message.
  HRESULT Literal(std::string_view text) {
    if (text == "%%") return Write("%");
    while (!text.empty()) {
      const std::size_t lf = text.find('\n');
      if (lf == std::string_view::npos) return Write(text);
      if (HRESULT hr = Write(text.substr(0, lf)); FAILED(hr)) return hr;
      if (HRESULT hr = out_.WriteChar('\n', true); FAILED(hr)) return hr;
      text.remove_prefix(lf + 1);
    }
    return S_OK;
  }

  // A text with optional quotes, then width, precision and "-" applied to the quoted text.
  HRESULT WriteText(std::string_view text, char quoteLetter, const Resolved& r) {
    const char quote = quoteLetter == 'q' ? '\'' : quoteLetter == 'Q' ? '"' : 0;
    std::size_t shown = text.size() + (quote ? 2 : 0);
    if (r.precision >= 0) shown = std::min<std::size_t>(shown, r.precision);
    const std::size_t pad = r.width > 0 && static_cast<std::size_t>(r.width) > shown
                                ? static_cast<std::size_t>(r.width) - shown
                                : 0;
    const bool left = r.flags & kFlagMinus;
    if (!left)
      if (HRESULT hr = Pad(pad, ' '); FAILED(hr)) return hr;
    std::size_t rest = shown;
    if (quote && rest > 0) {
      if (HRESULT hr = Write(std::string_view(&quote, 1)); FAILED(hr)) return hr;
      --rest;
    }
    const std::size_t body = std::min(rest, text.size());
    if (HRESULT hr = Write(text.substr(0, body)); FAILED(hr)) return hr;
    rest -= body;
    if (quote && rest > 0)
      if (HRESULT hr = Write(std::string_view(&quote, 1)); FAILED(hr)) return hr;
    if (left)
      if (HRESULT hr = Pad(pad, ' '); FAILED(hr)) return hr;
    return S_OK;
  }

  // snprintf with "%<flags>*.*<length><conversion>"; long output goes through the heap.
  template <class T>
  HRESULT Printf(const Resolved& r, const char* length, char conversion, T value) {
    char spec[16];
    char* p = spec;
    *p++ = '%';
    if (r.flags & kFlagMinus) *p++ = '-';
    if (r.flags & kFlagPlus) *p++ = '+';
    if (r.flags & kFlagSpace) *p++ = ' ';
    if (r.flags & kFlagZero) *p++ = '0';
    *p++ = '*';
    *p++ = '.';
    *p++ = '*';
    while (*length) *p++ = *length++;
    *p++ = conversion;
    *p = '\0';
    char text[kNumberBuffer];
    const int n = std::snprintf(text, sizeof text, spec, r.width, r.precision, value);
    if (n < 0) return E_UNEXPECTED;
    if (static_cast<std::size_t>(n) < sizeof text) return Write(std::string_view(text, n));
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), spec, r.width, r.precision, value);
    big.pop_back();
    return Write(big);
  }

  // The IEEE 488.2 binary form: "#B" and the digits, padded as printf pads a number.
  HRESULT WriteBinaryDigits(std::uint64_t value, const Resolved& r) {
    char digits[64];
    int n = 0;
    do {
      digits[63 - n++] = static_cast<char>('0' + (value & 1));
      value >>= 1;
    } while (value);
    std::size_t zeros = r.precision > n ? static_cast<std::size_t>(r.precision - n) : 0;
    const std::size_t shown = zeros + n;
    std::size_t pad = r.width > 0 && static_cast<std::size_t>(r.width) > shown
                          ? static_cast<std::size_t>(r.width) - shown
                          : 0;
    const bool left = r.flags & kFlagMinus;
    if (!left && (r.flags & kFlagZero) && r.precision < 0) {
      zeros += pad;
      pad = 0;
    }
    if (HRESULT hr = Write("#B"); FAILED(hr)) return hr;
    if (!left)
      if (HRESULT hr = Pad(pad, ' '); FAILED(hr)) return hr;
    if (HRESULT hr = Pad(zeros, '0'); FAILED(hr)) return hr;
    if (HRESULT hr = Write(std::string_view(digits + 64 - n, n)); FAILED(hr)) return hr;
    if (left)
      if (HRESULT hr = Pad(pad, ' '); FAILED(hr)) return hr;
    return S_OK;
  }

  // "@H", "@Q", "@B": the prefix, then the digits of the value's bits.
  HRESULT WriteNonDecimal(char numericFormat, std::uint64_t bits, bool wide, const Resolved& r) {
    if (numericFormat == 'B') return WriteBinaryDigits(bits, r);
    if (HRESULT hr = Write(numericFormat == 'H' ? "#H" : "#Q"); FAILED(hr)) return hr;
    const char conversion = numericFormat == 'H' ? 'X' : 'o';
    if (wide) return Printf(r, "ll", conversion, static_cast<unsigned long long>(bits));
    return Printf(r, "", conversion, static_cast<unsigned>(bits));
  }

  HRESULT WriteInteger(IntegerValue v, char conversion, char numericFormat, const Resolved& r) {
    const std::int64_t value = SignExtend(v.value, v.bits);
    switch (numericFormat) {
      case '1':
        return Printf(r, "ll", 'd', static_cast<long long>(value));
      case '2':
        return Printf(r, "", 'f', static_cast<double>(value));
      case '3':
        return Printf(r, "", 'E', static_cast<double>(value));
      case 'H':
      case 'Q':
      case 'B':
        return WriteNonDecimal(numericFormat, UnsignedBits(value, v.bits < 64 ? 32 : 64),
                               v.bits == 64, r);
      default:
        break;
    }
    const bool isSigned = conversion == 'd' || conversion == 'i';
    if (r.flags == 0 && r.width == 0 && r.precision < 0) {
      char text[32];
      const int base = conversion == 'o' ? 8 : conversion == 'x' ? 16 : 10;
      const auto result =
          isSigned ? std::to_chars(text, text + sizeof text, value)
                   : std::to_chars(text, text + sizeof text, UnsignedBits(value, v.bits), base);
      return Write(std::string_view(text, result.ptr - text));
    }
    if (isSigned) return Printf(r, "ll", conversion, static_cast<long long>(value));
    return Printf(r, "ll", conversion,
                  static_cast<unsigned long long>(UnsignedBits(value, v.bits)));
  }

  HRESULT WriteReal(double value, char conversion, char numericFormat, const Resolved& r) {
    switch (numericFormat) {
      case '1': {
        const double t = std::trunc(value);
        if (t >= -9.2233720368547758e18 && t < 9.2233720368547758e18)
          return Printf(r, "ll", 'd', static_cast<long long>(t));
        Resolved whole = r;
        whole.precision = 0;
        return Printf(whole, "", 'f', t);
      }
      case '2':
        conversion = 'f';
        break;
      case '3':
        conversion = 'E';
        break;
      case 'H':
      case 'Q':
      case 'B': {
        const double t = std::trunc(value);
        std::int64_t i = 0;
        if (t >= -9.2233720368547758e18 && t < 9.2233720368547758e18)
          i = static_cast<std::int64_t>(t);
        else if (t > 0)
          i = std::numeric_limits<std::int64_t>::max();
        else if (t < 0)
          i = std::numeric_limits<std::int64_t>::min();
        const bool wide = i < std::numeric_limits<std::int32_t>::min() ||
                          i > std::numeric_limits<std::int32_t>::max();
        return WriteNonDecimal(numericFormat, UnsignedBits(i, wide ? 64 : 32), wide, r);
      }
      default:
        break;
    }
    // std::to_chars with a precision is defined as printf's %.*f, %.*e and %.*g.
    if ((r.flags & ~kFlagZero) == 0 && r.width == 0 && std::isfinite(value)) {
      char text[kNumberBuffer + 400];
      const int precision = r.precision < 0 ? 6 : r.precision;
      if (precision <= 100) {
        const char lower = static_cast<char>(conversion | 0x20);
        const auto style = lower == 'f'   ? std::chars_format::fixed
                           : lower == 'e' ? std::chars_format::scientific
                                          : std::chars_format::general;
        const auto result = std::to_chars(text, text + sizeof text, value, style, precision);
        if (result.ec == std::errc()) {
          if (conversion == 'E' || conversion == 'G')
            for (char* c = text; c < result.ptr; ++c)
              if (*c == 'e') *c = 'E';
          return Write(std::string_view(text, result.ptr - text));
        }
      }
    }
    return Printf(r, "", conversion, value);
  }

  // --- specifiers ---

  HRESULT Specifier(const FormatToken& token) {
    Resolved r;
    if (HRESULT hr = Resolve(token, r); FAILED(hr)) return hr;
    switch (static_cast<OutKind>(token.kind)) {
      case OutKind::Integer: {
        std::int64_t v = 0;
        if (HRESULT hr = TakeInt(v); FAILED(hr)) return hr;
        return WriteInteger({v, BitsOfSize(token.size)}, token.conversion, token.numericFormat, r);
      }
      case OutKind::Real: {
        const FormatArg* a = NextArg();
        if (!a || (a->kind != FormatArg::Kind::Double && a->kind != FormatArg::Kind::Int))
          return E_INVALIDARG;
        const double v = a->kind == FormatArg::Kind::Double ? a->d : static_cast<double>(a->i);
        return WriteReal(v, token.conversion, token.numericFormat, r);
      }
      case OutKind::Character: {
        std::int64_t v = 0;
        if (HRESULT hr = TakeInt(v); FAILED(hr)) return hr;
        const char c = static_cast<char>(v & 0xFF);
        Resolved noPrecision = r;
        noPrecision.precision = -1;
        return WriteText(std::string_view(&c, 1), 0, noPrecision);
      }
      case OutKind::String: {
        TextHolder text;
        if (HRESULT hr = TakeText(NextArg(), text); FAILED(hr)) return hr;
        return WriteText(text.view, token.quote, r);
      }
      case OutKind::Enum: {
        std::int64_t v = 0;
        if (HRESULT hr = TakeInt(v); FAILED(hr)) return hr;
        return WriteEnum(token, static_cast<std::int32_t>(v), r);
      }
      case OutKind::IntegerList:
      case OutKind::RealList:
      case OutKind::StringList:
      case OutKind::EnumList:
        return List(token, r);
      case OutKind::DefiniteBlock:
      case OutKind::IndefiniteBlock:
      case OutKind::RawBinary:
        return Binary(token, r);
      case OutKind::Literal:
        break;
    }
    return E_UNEXPECTED;
  }

  static HRESULT TakeText(const FormatArg* a, TextHolder& text) {
    if (!a) return E_INVALIDARG;
    if (a->kind == FormatArg::Kind::Text) {
      if (!a->text) return E_INVALIDARG;
      text.view = a->count == FormatArg::kUnknownCount ? std::string_view(a->text)
                                                       : std::string_view(a->text, a->count);
      return S_OK;
    }
    if (a->kind == FormatArg::Kind::Bstr) {
      text.FromWide(a->bstr);
      return S_OK;
    }
    return E_INVALIDARG;
  }

  HRESULT WriteEnum(const FormatToken& token, std::int32_t value, const Resolved& r) {
    if (!enums_) return E_POINTER;
    std::string_view word;
    if (HRESULT hr = enums_->Format(token.enumName, value, word); FAILED(hr)) return hr;
    return WriteText(word, token.quote, r);
  }

  // The elements of a list or block argument: a typed array or a safe array.
  struct Elements {
    const void* data = nullptr;
    std::size_t count = 0;
    ElemType type = ElemType::None;
  };

  // Variant types a safe array may have for a specifier.
  static std::span<const VARTYPE> AcceptedVarTypes(OutKind kind, char size) {
    static constexpr VARTYPE kBytes[] = {VT_UI1, VT_I1};
    static constexpr VARTYPE kShorts[] = {VT_I2, VT_UI2};
    static constexpr VARTYPE kLongs[] = {VT_I4, VT_INT, VT_UI4, VT_UINT};
    static constexpr VARTYPE kSignedLongs[] = {VT_I4, VT_INT};
    static constexpr VARTYPE kLongLongs[] = {VT_I8, VT_UI8};
    static constexpr VARTYPE kFloats[] = {VT_R4};
    static constexpr VARTYPE kDoubles[] = {VT_R8};
    static constexpr VARTYPE kStrings[] = {VT_BSTR};
    switch (kind) {
      case OutKind::StringList:
        return kStrings;
      case OutKind::EnumList:
        return kSignedLongs;
      case OutKind::RealList:
        return size == 'l' || size == 'L' ? std::span<const VARTYPE>(kDoubles) : kFloats;
      default:
        break;
    }
    switch (size) {
      case 'b':
        return kBytes;
      case 'h':
        return kShorts;
      case 'I':
        return kLongLongs;
      case 'z':
        return kFloats;
      case 'Z':
        return kDoubles;
      case 'l':
        return kLongs;
      default:
        return kind == OutKind::IntegerList ? std::span<const VARTYPE>(kSignedLongs) : kBytes;
    }
  }

  HRESULT TakeElements(const FormatToken& token, const Resolved& r, Elements& e) {
    const FormatArg* a = NextArg();
    if (!a) return E_INVALIDARG;
    const auto kind = static_cast<OutKind>(token.kind);
    if (token.safeArray) {
      if (a->kind != FormatArg::Kind::SafeArray) return E_INVALIDARG;
      void* data = nullptr;
      std::size_t n = 0;
      if (!platform::ViewVector(a->safeArray, AcceptedVarTypes(kind, token.size), data, n))
        return E_INVALIDARG;
      VARTYPE vt = VT_EMPTY;
      TevraSafeArrayGetVartype(const_cast<SAFEARRAY*>(a->safeArray), &vt);
      e.data = data;
      e.type = core::ElemTypeOfVarType(vt);
      e.count = r.count > 0 ? std::min<std::size_t>(static_cast<std::size_t>(r.count), n) : n;
      return S_OK;
    }
    if (a->kind != FormatArg::Kind::Array || !a->data) return E_INVALIDARG;
    e.data = a->data;
    e.type = a->elem;
    e.count = static_cast<std::size_t>(std::max<std::int64_t>(r.count, 0));
    if (a->count != FormatArg::kUnknownCount) e.count = std::min(e.count, a->count);
    return S_OK;
  }

  static bool IsIntegerType(ElemType t) { return t >= ElemType::I8 && t <= ElemType::U64; }

  // Unsigned elements are given more bits than they have, so that no sign appears.
  static IntegerValue IntegerAt(const Elements& e, std::size_t i) {
    switch (e.type) {
      case ElemType::I8:
        return {static_cast<const std::int8_t*>(e.data)[i], 8};
      case ElemType::U8:
        return {static_cast<const std::uint8_t*>(e.data)[i], 16};
      case ElemType::I16:
        return {static_cast<const std::int16_t*>(e.data)[i], 16};
      case ElemType::U16:
        return {static_cast<const std::uint16_t*>(e.data)[i], 32};
      case ElemType::I32:
        return {static_cast<const std::int32_t*>(e.data)[i], 32};
      case ElemType::U32:
        return {static_cast<const std::uint32_t*>(e.data)[i], 64};
      case ElemType::I64:
        return {static_cast<const std::int64_t*>(e.data)[i], 64};
      case ElemType::U64:
        return {static_cast<std::int64_t>(static_cast<const std::uint64_t*>(e.data)[i]), 64};
      default:
        return {0, 32};
    }
  }

  HRESULT List(const FormatToken& token, const Resolved& r) {
    Elements e;
    if (HRESULT hr = TakeElements(token, r, e); FAILED(hr)) return hr;
    const auto kind = static_cast<OutKind>(token.kind);
    const bool typeFits =
        kind == OutKind::IntegerList || kind == OutKind::EnumList ? IsIntegerType(e.type)
        : kind == OutKind::RealList
            ? e.type == ElemType::F32 || e.type == ElemType::F64
            : e.type == ElemType::Text || e.type == ElemType::Bstr || e.type == ElemType::String;
    if (!typeFits) return E_INVALIDARG;
    const char separator = token.separators.empty()  ? 0
                           : token.separators == "," ? ','
                                                     : SeparatorOfLetter(token.separators[0]);
    for (std::size_t i = 0; i < e.count; ++i) {
      HRESULT hr = S_OK;
      switch (kind) {
        case OutKind::IntegerList:
          hr = WriteInteger(IntegerAt(e, i), token.conversion, token.numericFormat, r);
          break;
        case OutKind::EnumList:
          hr = WriteEnum(token, static_cast<std::int32_t>(IntegerAt(e, i).value), r);
          break;
        case OutKind::RealList: {
          const double v = e.type == ElemType::F32 ? static_cast<const float*>(e.data)[i]
                                                   : static_cast<const double*>(e.data)[i];
          hr = WriteReal(v, token.conversion, token.numericFormat, r);
          break;
        }
        default: {
          TextHolder text;
          if (e.type == ElemType::Bstr) {
            text.FromWide(static_cast<const OLECHAR* const*>(e.data)[i]);
          } else if (e.type == ElemType::String) {
            text.view = static_cast<const std::string*>(e.data)[i];
          } else {
            const char* s = static_cast<const char* const*>(e.data)[i];
            if (!s) return E_INVALIDARG;
            text.view = s;
          }
          hr = WriteText(text.view, token.quote, r);
          break;
        }
      }
      if (FAILED(hr)) return hr;
      if (separator && i + 1 < e.count)
        if (hr = out_.WriteChar(separator, false); FAILED(hr)) return hr;
    }
    return S_OK;
  }

  // The bytes of count elements, swapped element by element when asked.
  HRESULT WriteElements(const std::uint8_t* data, std::size_t count, std::size_t size, bool swap) {
    if (!swap || size == 1) return WriteBytes(data, count * size);
    std::uint8_t chunk[4096];
    const std::size_t perChunk = sizeof chunk / size;
    while (count > 0) {
      const std::size_t n = std::min(count, perChunk);
      std::memcpy(chunk, data, n * size);
      ReverseEachElement(chunk, n, size);
      if (HRESULT hr = WriteBytes(chunk, n * size); FAILED(hr)) return hr;
      data += n * size;
      count -= n;
    }
    return S_OK;
  }

  HRESULT Binary(const FormatToken& token, const Resolved& r) {
    Elements e;
    if (HRESULT hr = TakeElements(token, r, e); FAILED(hr)) return hr;
    const std::size_t size = BinaryElementSize(token.size);
    if (e.type == ElemType::Text || e.type == ElemType::Bstr || e.type == ElemType::String ||
        ElemSize(e.type) != size)
      return E_INVALIDARG;
    const bool floating = e.type == ElemType::F32 || e.type == ElemType::F64;
    if (floating != (token.size == 'z' || token.size == 'Z')) return E_INVALIDARG;
    const auto* bytes = static_cast<const std::uint8_t*>(e.data);
    const auto kind = static_cast<OutKind>(token.kind);
    if (kind == OutKind::RawBinary) {
      // Big-endian on the wire unless "!ol"; the buffer's swap flag does not apply.
      const bool bigEndian = token.byteOrder != 'l';
      const bool swap = bigEndian == (std::endian::native == std::endian::little);
      return WriteElements(bytes, e.count, size, swap);
    }
    const bool swap = out_.GetByteSwap();
    if (kind == OutKind::DefiniteBlock) {
      // IEEE 488.2 definite-length block: "#", the digit count of the length, the length.
      char length[24] = {};
      const auto end = std::to_chars(length, length + sizeof length,
                                     static_cast<unsigned long long>(e.count * size))
                           .ptr;
      char header[32];
      header[0] = '#';
      header[1] = static_cast<char>('0' + (end - length));
      std::memcpy(header + 2, length, end - length);
      if (HRESULT hr = Write(std::string_view(header, 2 + (end - length))); FAILED(hr)) return hr;
      return WriteElements(bytes, e.count, size, swap);
    }
    // IEEE 488.2 indefinite-length block: "#0", the data, a line feed that does not flush.
    if (HRESULT hr = Write("#0"); FAILED(hr)) return hr;
    if (HRESULT hr = WriteElements(bytes, e.count, size, swap); FAILED(hr)) return hr;
    return out_.WriteChar('\n', false);
  }

  IIoBuffer& out_;
  core::IEnumFormatter* enums_;
  std::span<const FormatArg> args_;
  std::size_t next_ = 0;
  bool failedCheck_ = false;
};

}  // namespace

HRESULT FormatOutput(IIoBuffer& buffer, core::IEnumFormatter* enums, std::string_view format,
                     std::span<const FormatArg> args, FormatCheck check) {
  return OutputFormatter(buffer, enums, args).Run(format, check == FormatCheck::First);
}

HRESULT CheckOutputFormat(std::string_view format) { return OutputFormatter::Check(format); }

namespace {

// An IIoBuffer that appends what is written to a text (a string, a command's text): no I/O, no
// byte swap, nothing to read.
template <class Text>
class TextWriter final : public IIoBuffer {
 public:
  explicit TextWriter(Text& target) : target_(target) {}

  void BeginScan() override {}
  HRESULT Peek(std::string_view& text) override {
    text = {};
    return E_NOTIMPL;
  }
  HRESULT PeekMore(std::string_view& text) override { return Peek(text); }
  void Consume(std::size_t) override {}
  HRESULT ReadChar(char&) override { return E_NOTIMPL; }
  HRESULT PushBack() override { return E_NOTIMPL; }
  HRESULT ReadBytes(std::span<std::uint8_t>, std::size_t& count) override {
    count = 0;
    return E_NOTIMPL;
  }
  HRESULT DiscardRead() override { return S_OK; }

  HRESULT WriteChar(char c, bool) override {
    target_.push_back(c);
    return S_OK;
  }
  HRESULT WriteBytes(std::span<const std::uint8_t> data, std::size_t& taken) override {
    target_.append(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    taken = data.size();
    return S_OK;
  }
  HRESULT WriteString(std::string_view text, bool, std::size_t& taken) override {
    target_.append(text);
    taken = text.size();
    return S_OK;
  }
  HRESULT FlushWrite(bool) override { return S_OK; }

  HRESULT SetBufferSize(BufferSelect, std::int32_t) override { return E_NOTIMPL; }
  std::int32_t GetReadBufferSize() const override { return 0; }
  std::int32_t GetWriteBufferSize() const override { return 0; }
  bool GetByteSwap() const override { return false; }
  void SetByteSwap(bool) override {}

 private:
  Text& target_;
};

// Runs the format once, checking each token as it comes; a format that cannot run takes back
// what it wrote.
template <class Writer, class Target, class Shrink>
HRESULT FormatAppending(Target& target, Shrink shrink, core::IEnumFormatter* enums,
                        std::string_view format, std::span<const FormatArg> args) {
  Writer writer(target);
  const std::size_t before = target.size();
  OutputFormatter formatter(writer, enums, args);
  const HRESULT hr = formatter.Run(format, false);
  if (formatter.FailedCheck()) shrink(target, before);
  return hr;
}

}  // namespace

HRESULT FormatToString(std::string& target, core::IEnumFormatter* enums, std::string_view format,
                       std::span<const FormatArg> args) {
  return FormatAppending<TextWriter<std::string>>(
      target, [](std::string& t, std::size_t n) { t.resize(n); }, enums, format, args);
}

HRESULT FormatToString(core::CommandText& target, core::IEnumFormatter* enums,
                       std::string_view format, std::span<const FormatArg> args) {
  return FormatAppending<TextWriter<core::CommandText>>(
      target, [](core::CommandText& t, std::size_t n) { t.truncate(n); }, enums, format, args);
}

}  // namespace tevra::io
