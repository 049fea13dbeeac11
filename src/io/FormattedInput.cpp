#include "io/FormattedInput.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

#include <fast_float/fast_float.h>

#include "io/ByteOrder.h"
#include "io/FormatTokens.h"
#include "platform/Bstr.h"
#include "platform/SafeArray.h"

namespace tevra::io {

namespace {

constexpr std::size_t kDropChunk = 1000;
constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

bool IsSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

HRESULT HeaderNotFound(core::IErrorReporter& reporter) {
  return reporter.ReportElaboratedV(core::Code::UnexpectedResponse,
                                    "Binary block header not found.", {});
}

// Reads and drops count bytes.
HRESULT DropBytes(IIoBuffer& buffer, std::size_t count) {
  std::uint8_t chunk[kDropChunk];
  while (count > 0) {
    const std::size_t n = std::min(count, sizeof chunk);
    std::size_t got = 0;
    const HRESULT hr = buffer.ReadBytes(std::span<std::uint8_t>(chunk, n), got);
    if (hr == kEndOfMessage) return S_OK;  // the response ended: nothing left to drop
    if (hr != S_OK) return hr;
    count -= got;
  }
  return S_OK;
}

// "#", a digit n from 1 to 9, then n digits: the byte length.
HRESULT ReadBlockHeader(IIoBuffer& buffer, core::IErrorReporter& reporter, bool skipToHeader,
                        std::uint64_t& length) {
  char c = 0;
  HRESULT hr = buffer.ReadChar(c);
  while (skipToHeader && hr == S_OK && c != '#') hr = buffer.ReadChar(c);
  if (FAILED(hr)) return hr;
  if (hr != S_OK || c != '#') return HeaderNotFound(reporter);
  if (FAILED(hr = buffer.ReadChar(c))) return hr;
  if (hr != S_OK || c < '1' || c > '9') return HeaderNotFound(reporter);
  const int digits = c - '0';
  length = 0;
  for (int i = 0; i < digits; ++i) {
    if (FAILED(hr = buffer.ReadChar(c))) return hr;
    if (hr != S_OK || c < '0' || c > '9') return HeaderNotFound(reporter);
    length = length * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return S_OK;
}

// Block storage that never outgrows what arrived: a header may claim up to a gigabyte, so the
// destination grows with the data, from kBlockStart bytes, doubling.
constexpr std::size_t kBlockStart = 1 << 20;

// A caller's array: all of it is there from the start.
struct FixedBlockStorage {
  std::span<std::uint8_t> bytes;
  std::span<std::uint8_t> Room(std::size_t got, std::size_t) { return bytes.subspan(got); }
  void Trim(std::size_t) {}
};

// Wire order is big-endian when the swap flag is set, else host order on a little-endian host.
void ToHostOrder(const IIoBuffer& buffer, std::uint8_t* data, std::size_t count, std::size_t size) {
  if (size > 1 && buffer.GetByteSwap() == (std::endian::native == std::endian::little))
    ReverseEachElement(data, count, size);
}

// Reads the data of a block of length bytes: as much as the storage may take (limit bytes),
// then the rest of the block is dropped.
template <class Storage>
HRESULT ReadBlockData(IIoBuffer& buffer, Storage& storage, std::size_t elementSize,
                      std::uint64_t length, std::size_t limit, std::size_t& elementsRead) {
  const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(length, limit));
  std::size_t got = 0;
  HRESULT hr = S_OK;
  while (got < wanted) {
    std::span<std::uint8_t> room = storage.Room(got, wanted);
    if (room.empty()) return E_OUTOFMEMORY;
    room = room.first(std::min(room.size(), wanted - got));
    std::size_t piece = 0;
    hr = buffer.ReadBytes(room, piece);
    got += piece;
    if (hr != S_OK) break;
  }
  elementsRead = got / elementSize;
  storage.Trim(elementsRead * elementSize);
  ToHostOrder(buffer, storage.Room(0, 0).data(), elementsRead, elementSize);
  if (FAILED(hr)) return hr;
  if (hr != S_OK) return E_UNEXPECTED;  // the response ended inside the block
  return DropBytes(buffer, static_cast<std::size_t>(length - wanted));
}

// The input of one formatted read: the buffer's bytes in place, refilled at their end.
class InputCursor {
 public:
  explicit InputCursor(IIoBuffer& buffer) : buffer_(buffer) {}

  // The next byte, or -1 at the end of the response or on failure (see Status).
  int Peek() {
    if (next_ < end_) return static_cast<unsigned char>(*next_);
    return Fill();
  }
  void Advance() { ++next_; }
  // The bytes at hand without refilling.
  std::string_view Window() const { return std::string_view(next_, end_ - next_); }
  void Skip(std::size_t count) { next_ += count; }
  HRESULT Status() const { return status_; }

  void SkipSpace() {
    while (IsSpace(Peek())) Advance();
  }

  // Grows the bytes at hand by the next read, keeping the unread ones, for text that runs past
  // them; false when nothing could be added (see Status for a failure).
  bool Extend() {
    if (next_ == end_) return Peek() >= 0;
    const std::size_t before = static_cast<std::size_t>(end_ - next_);
    Commit();
    std::string_view text;
    const HRESULT hr = buffer_.PeekMore(text);
    if (FAILED(hr)) status_ = hr;
    base_ = next_ = text.data();
    end_ = text.data() + text.size();
    return text.size() > before;
  }

  // Hands the read position back to the buffer before it is used directly.
  void Commit() {
    if (next_ != base_) buffer_.Consume(static_cast<std::size_t>(next_ - base_));
    base_ = next_ = end_ = nullptr;
  }

 private:
  int Fill() {
    Commit();
    std::string_view text;
    const HRESULT hr = buffer_.Peek(text);
    if (FAILED(hr)) status_ = hr;
    if (text.empty()) return -1;
    base_ = next_ = text.data();
    end_ = text.data() + text.size();
    return static_cast<unsigned char>(*next_);
  }

  IIoBuffer& buffer_;
  const char* base_ = nullptr;
  const char* next_ = nullptr;
  const char* end_ = nullptr;
  HRESULT status_ = S_OK;
};

// The longest prefix of text that is a decimal real as strtod reads it (sign, digits, point,
// exponent, or "inf", "infinity", "nan"); complete is false when more text could extend it.
std::size_t RealPrefix(std::string_view text, bool& complete) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  complete = true;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  auto lower = [&](std::size_t k) { return static_cast<char>(text[k] | 0x20); };
  if (i < n && (lower(i) == 'i' || lower(i) == 'n')) {
    for (std::string_view word : {"infinity", "inf", "nan"}) {
      std::size_t k = 0;
      while (k < word.size() && i + k < n && lower(i + k) == word[k]) ++k;
      if (k == word.size()) {
        if (word == "inf" && i + k == n) complete = false;  // may go on to "infinity"
        if (word != "infinity" || k == word.size()) return i + k;
      }
      if (i + k == n) complete = false;
    }
    return 0;
  }
  std::size_t valid = 0;
  std::size_t digits = 0;
  while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  if (digits) valid = i;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    if (digits) valid = i;
  }
  if (digits && i < n && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t k = i + 1;
    if (k < n && (text[k] == '+' || text[k] == '-')) ++k;
    const std::size_t expStart = k;
    while (k < n && text[k] >= '0' && text[k] <= '9') ++k;
    if (k > expStart)
      valid = i = k;
    else
      i = k;
  }
  complete = i < n;
  return valid;
}

// Reads a decimal real the way strtod rounds it (correctly), without the locale: a value beyond
// the type's range is infinity or zero with its sign, as strtod gives it.
template <class T>
fast_float::from_chars_result ReadDecimal(const char* first, const char* last, T& value) {
  return fast_float::from_chars(first, last, value, fast_float::chars_format::general);
}

template <class T>
bool ParseReal(std::string_view text, T& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first < last && *first == '+') ++first;
  if (first < last && *first == '+') return false;
  const auto result = ReadDecimal(first, last, value);
  return result.ec == std::errc() && result.ptr == last;
}

// Whether a byte could continue a number (or make it something else): after a real, only a byte
// that cannot lets the real be read without the full grammar.
bool CanContinueNumber(char c) {
  return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || c == '.' ||
         c == '+' || c == '-';
}

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The form instruments send readings in (a sign, at most 19 digits with a point among them, an
// exponent) with a mantissa below 2^53 and a power of ten up to 1e22: both are exact doubles, so
// one multiplication or division rounds the value once, correctly, as strtod does. False for
// anything else, which the general parser reads.
bool ReadShortDecimal(const char* p, const char* last, double& value, const char*& end) {
  bool negative = false;
  if (p < last && (*p == '+' || *p == '-')) negative = *p++ == '-';
  std::uint64_t mantissa = 0;
  int digits = 0;
  int exponent = 0;
  for (; p < last && IsDigit(*p); ++p, ++digits)
    mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
  if (p < last && *p == '.') {
    const char* fraction = ++p;
    for (; p < last && IsDigit(*p); ++p, ++digits)
      mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    exponent = -static_cast<int>(p - fraction);
  }
  if (digits == 0 || digits > 19 || mantissa > (std::uint64_t{1} << 53)) return false;
  if (p < last && (*p | 0x20) == 'e') {
    const char* q = p + 1;
    bool negativeExponent = false;
    if (q < last && (*q == '+' || *q == '-')) negativeExponent = *q++ == '-';
    int written = 0;
    int digitsOfExponent = 0;
    for (; q < last && IsDigit(*q) && digitsOfExponent < 4; ++q, ++digitsOfExponent)
      written = written * 10 + (*q - '0');
    // No digits (the mark is not the number's) or too many: the general parser decides.
    if (digitsOfExponent == 0 || (q < last && IsDigit(*q))) return false;
    exponent += negativeExponent ? -written : written;
    p = q;
  }
  if (exponent < -22 || exponent > 22) return false;
  const double magnitude = exponent < 0
                               ? static_cast<double>(mantissa) / kExactPowersOfTen[-exponent]
                               : static_cast<double>(mantissa) * kExactPowersOfTen[exponent];
  value = negative ? -magnitude : magnitude;
  end = p;
  return true;
}

// A real that ends inside text, read in one pass: a digit or point after at most one sign, and a
// byte after it that no number can hold. The readings of a measurement list all take this path;
// anything else (words such as "inf", a number that runs to the end of the bytes at hand) is
// false and goes to the full grammar, which reads it the same way.
template <class T>
bool ReadDelimitedReal(std::string_view text, T& value, std::size_t& length) {
  const char* first = text.data();
  const char* last = first + text.size();
  const char* p = first;
  if (p < last && (*p == '+' || *p == '-')) ++p;
  if (p == last || !(IsDigit(*p) || *p == '.')) return false;
  const char* end = nullptr;
  bool read = false;
  if constexpr (std::is_same_v<T, double>) read = ReadShortDecimal(first, last, value, end);
  if (!read) {
    const auto result = ReadDecimal(*first == '+' ? first + 1 : first, last, value);
    if (result.ec != std::errc()) return false;
    end = result.ptr;
  }
  if (end == last || CanContinueNumber(*end)) return false;
  length = static_cast<std::size_t>(end - first);
  return true;
}

class InputScanner {
 public:
  InputScanner(IIoBuffer& buffer, core::IErrorReporter& reporter, core::IEnumFormatter* enums,
               std::span<const ScanArg> args)
      : buffer_(buffer), reporter_(reporter), enums_(enums), args_(args), in_(buffer) {}

  HRESULT Run(std::string_view format, FormatCheck check) {
    if (check == FormatCheck::First) {
      if (HRESULT hr = Check(format); FAILED(hr)) return hr;
    }
    buffer_.BeginScan();
    std::size_t pos = 0;
    FormatToken token;
    HRESULT hr = S_OK;
    while (SUCCEEDED(hr) && pos < format.size()) {
      if (!NextFormatToken(Direction::Input, format, pos, token)) {
        hr = E_UNEXPECTED;
        break;
      }
      hr = token.IsLiteral() ? Literal(token.text) : Specifier(token);
    }
    in_.Commit();
    // A read that failed on the way fails the scan, whatever was parsed before it.
    if (SUCCEEDED(hr) && FAILED(in_.Status())) hr = in_.Status();
    return FAILED(hr) ? hr : S_OK;
  }

  static HRESULT Check(std::string_view format) {
    std::size_t pos = 0;
    FormatToken token;
    while (pos < format.size()) {
      if (!NextFormatToken(Direction::Input, format, pos, token)) return E_UNEXPECTED;
      if (token.hasListMarker && token.separators != ",")
        for (char letter : token.separators)
          if (SeparatorOfLetter(letter) == 0) return E_INVALIDARG;
    }
    return S_OK;
  }

 private:
  // The status of a conversion that found no input: a library failure, else a mismatch.
  HRESULT NoInput() const { return FAILED(in_.Status()) ? in_.Status() : E_UNEXPECTED; }

  const ScanArg* NextArg() { return next_ < args_.size() ? &args_[next_++] : nullptr; }

  HRESULT Literal(std::string_view text) {
    if (text == "%%") text = "%";
    for (char c : text) {
      if (IsSpace(static_cast<unsigned char>(c))) {
        in_.SkipSpace();
        if (FAILED(in_.Status())) return in_.Status();
        continue;
      }
      if (in_.Peek() != static_cast<unsigned char>(c)) return NoInput();
      in_.Advance();
    }
    return S_OK;
  }

  // --- fields taken from the arguments ---

  struct Fields {
    std::size_t width = kNoLimit;
    std::size_t count = kNoLimit;
    std::int32_t* countOut = nullptr;  // where the number of elements read goes
  };

  HRESULT TakeCount(std::int32_t*& where) {
    const ScanArg* a = NextArg();
    if (!a || a->kind != ScanArg::Kind::Scalar || a->elem != ElemType::I32 || !a->where)
      return E_INVALIDARG;
    where = static_cast<std::int32_t*>(a->where);
    return S_OK;
  }

  HRESULT Resolve(const FormatToken& token, Fields& f) {
    if (token.width.source == FormatField::Source::Digits) {
      f.width = static_cast<std::size_t>(token.width.digits);
    } else if (token.width.source == FormatField::Source::Argument) {
      std::int32_t* w = nullptr;
      if (HRESULT hr = TakeCount(w); FAILED(hr)) return hr;
      f.width = static_cast<std::size_t>(std::max(*w, 0));
    }
    if (token.count.source == FormatField::Source::Digits) {
      f.count = static_cast<std::size_t>(token.count.digits);
    } else if (token.count.source == FormatField::Source::Argument) {
      if (HRESULT hr = TakeCount(f.countOut); FAILED(hr)) return hr;
      f.count = static_cast<std::size_t>(std::max(*f.countOut, 0));
    }
    return S_OK;
  }

  // --- storing ---

  static bool IsNumeric(ElemType t) { return t >= ElemType::I8 && t <= ElemType::F64; }
  static bool IsSafeToClamp(double v) { return v > -9.2e18 && v < 9.2e18; }

  template <class V>
  static void StoreNumber(void* base, ElemType type, std::size_t index, V v) {
    if constexpr (std::is_floating_point_v<V>) {
      // Conversions a destination cannot hold are defined here rather than left undefined.
      if (type != ElemType::F32 && type != ElemType::F64) {
        StoreNumber(base, type, index, IsSafeToClamp(v) ? static_cast<std::int64_t>(v) : 0);
        return;
      }
      if (type == ElemType::F32 && std::isfinite(v) &&
          std::fabs(static_cast<double>(v)) > std::numeric_limits<float>::max())
        v = v > 0 ? std::numeric_limits<V>::infinity() : -std::numeric_limits<V>::infinity();
    }
    switch (type) {
      case ElemType::I8:
        static_cast<std::int8_t*>(base)[index] = static_cast<std::int8_t>(v);
        break;
      case ElemType::U8:
        static_cast<std::uint8_t*>(base)[index] = static_cast<std::uint8_t>(v);
        break;
      case ElemType::I16:
        static_cast<std::int16_t*>(base)[index] = static_cast<std::int16_t>(v);
        break;
      case ElemType::U16:
        static_cast<std::uint16_t*>(base)[index] = static_cast<std::uint16_t>(v);
        break;
      case ElemType::I32:
        static_cast<std::int32_t*>(base)[index] = static_cast<std::int32_t>(v);
        break;
      case ElemType::U32:
        static_cast<std::uint32_t*>(base)[index] = static_cast<std::uint32_t>(v);
        break;
      case ElemType::I64:
        static_cast<std::int64_t*>(base)[index] = static_cast<std::int64_t>(v);
        break;
      case ElemType::U64:
        static_cast<std::uint64_t*>(base)[index] = static_cast<std::uint64_t>(v);
        break;
      case ElemType::F32:
        static_cast<float*>(base)[index] = static_cast<float>(v);
        break;
      case ElemType::F64:
        static_cast<double*>(base)[index] = static_cast<double>(v);
        break;
      default:
        break;
    }
  }

  // A value read for a number specifier, before it is stored.
  struct Number {
    bool real = false;
    std::int64_t integer = 0;
    double floating = 0;
    bool single = false;  // the conversion asked for a float

    template <class F>
    void Visit(F&& f) const {
      if (!real)
        f(integer);
      else if (single)
        f(static_cast<float>(floating));
      else
        f(floating);
    }
  };

  // What a list read into a safe array collects: numbers straight into the array it hands out,
  // which grows from kListStart elements, doubling (or at once into the thread's spare block, the
  // memory of its last large array), and is trimmed at the end; words as strings, made into a BSTR
  // array at the end.
  static constexpr std::size_t kListStart = 4096;
  struct Collected {
    platform::SafeArrayPtr numbers;
    ElemType elem = ElemType::F64;
    std::size_t capacity = 0;
    std::vector<std::string> texts;

    // Room for element index; false when memory runs out.
    bool Reserve(std::size_t index) {
      if (index < capacity) return true;
      const std::size_t grown = std::max(capacity * 2, kListStart);
      const ULONG now = platform::GrowVector(numbers.get(), static_cast<ULONG>(grown));
      if (now == 0) return false;
      capacity = now;
      return true;
    }
  };

  // --- numbers ---

  // An integer as scanf reads it: sign, base prefix, digits of the base, at most width bytes.
  HRESULT ReadInteger(const FormatToken& token, std::size_t width, std::int64_t& value) {
    in_.SkipSpace();
    char text[80];
    std::size_t n = 0;
    std::size_t budget = width;
    auto take = [&] {
      if (n < sizeof text) text[n++] = static_cast<char>(in_.Peek());
      in_.Advance();
      --budget;
    };
    bool negative = false;
    int c = in_.Peek();
    if (budget && (c == '+' || c == '-')) {
      negative = c == '-';
      in_.Advance();
      --budget;
      c = in_.Peek();
    }
    int base = 10;
    switch (token.numericFormat ? token.numericFormat : token.conversion) {
      case 'x':
      case 'H':
        base = 16;
        break;
      case 'o':
      case 'Q':
        base = 8;
        break;
      case 'B':
        base = 2;
        break;
      case 'i':
        base = 0;
        break;
      default:
        break;
    }
    // IEEE 488.2 non-decimal numbers carry "#H", "#Q" or "#B".
    if (token.numericFormat == 'H' || token.numericFormat == 'Q' || token.numericFormat == 'B') {
      if (budget >= 2 && c == '#') {
        in_.Advance();
        --budget;
        const int letter = in_.Peek() & ~0x20;
        if (letter != token.numericFormat) return E_UNEXPECTED;
        in_.Advance();
        --budget;
        c = in_.Peek();
      }
    }
    if ((base == 16 || base == 0) && budget && c == '0') {
      take();
      c = in_.Peek();
      if (budget && (c == 'x' || c == 'X')) {
        in_.Advance();
        --budget;
        n = 0;
        base = 16;
      } else if (base == 0) {
        base = 8;
      }
    }
    if (base == 0) base = 10;
    auto isDigit = [&](int d) {
      if (d >= '0' && d <= '9') return d - '0' < base;
      const int l = d | 0x20;
      return base == 16 && l >= 'a' && l <= 'f';
    };
    while (budget && isDigit(in_.Peek())) take();
    if (n == 0) return NoInput();
    // A number the destination cannot hold is a reply that does not match, never a wrapped
    // value.
    std::uint64_t magnitude = 0;
    const auto result = std::from_chars(text, text + std::min(n, sizeof text), magnitude, base);
    if (result.ec == std::errc::result_out_of_range || n > sizeof text) return E_UNEXPECTED;
    const int bits = IntegerBits(token);
    const bool isSigned = token.conversion != 'u' && token.conversion != 'x' &&
                          token.conversion != 'o' && token.numericFormat != 'H' &&
                          token.numericFormat != 'Q' && token.numericFormat != 'B';
    const std::uint64_t highest =
        bits == 64 ? std::numeric_limits<std::uint64_t>::max() : (std::uint64_t{1} << bits) - 1;
    if (isSigned) {
      const std::uint64_t limit = (highest >> 1) + (negative ? 1 : 0);
      if (magnitude > limit) return E_UNEXPECTED;
    } else if (negative ? magnitude != 0 : magnitude > highest) {
      return E_UNEXPECTED;
    }
    value =
        negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return S_OK;
  }

  // The width of an integer conversion: "b" 8 bits, "h" 16, "I" 64, none or "l" 32.
  static int IntegerBits(const FormatToken& token) {
    return token.size == 'b' ? 8 : token.size == 'h' ? 16 : token.size == 'I' ? 64 : 32;
  }

  template <class T>
  HRESULT ReadRealAs(std::size_t width, T& value) {
    in_.SkipSpace();
    if (in_.Peek() < 0) return NoInput();
    std::string_view window = in_.Window().substr(0, width);
    std::size_t length = 0;
    if (ReadDelimitedReal(window, value, length)) {
      in_.Skip(length);
      return S_OK;
    }
    // A number that runs to the end of the bytes at hand may go on in the next read: they grow
    // until the number ends inside them, the width is reached or nothing more comes.
    // Growing may move the bytes: the window is taken again even when nothing was added.
    bool complete = false;
    bool grew = true;
    while (grew && (length = RealPrefix(window, complete), !complete) && window.size() < width) {
      grew = in_.Extend();
      window = in_.Window().substr(0, width);
    }
    if (FAILED(in_.Status())) return in_.Status();
    if (length == 0 || !ParseReal(window.substr(0, length), value)) return E_UNEXPECTED;
    in_.Skip(length);
    return S_OK;
  }

  HRESULT ReadNumber(const FormatToken& token, std::size_t width, Number& number) {
    const auto kind = static_cast<InKind>(token.kind);
    number.real = kind == InKind::Real || kind == InKind::RealList;
    if (!number.real) return ReadInteger(token, width, number.integer);
    number.single = token.size == 0;
    if (number.single) {
      float f = 0;
      HRESULT hr = ReadRealAs(width, f);
      number.floating = f;
      return hr;
    }
    return ReadRealAs(width, number.floating);
  }

  // Whether an integer fits a destination of the element type, read as signed or as unsigned
  // (a hexadecimal reply fills a signed destination's bit pattern).
  static bool FitsElement(ElemType type, std::int64_t v) {
    const std::size_t size = ElemSize(type);
    if (size >= 8 || type == ElemType::F32 || type == ElemType::F64) return true;
    const std::int64_t low = -(std::int64_t{1} << (size * 8 - 1));
    const std::int64_t high = (std::int64_t{1} << (size * 8)) - 1;
    return v >= low && v <= high;
  }

  HRESULT StoreScalar(const ScanArg* a, const Number& number) {
    if (!a || a->kind != ScanArg::Kind::Scalar || !IsNumeric(a->elem) || !a->where)
      return E_INVALIDARG;
    if (!number.real && !FitsElement(a->elem, number.integer)) return E_UNEXPECTED;
    number.Visit([&](auto v) { StoreNumber(a->where, a->elem, 0, v); });
    return S_OK;
  }

  // --- texts ---

  // One word: characters up to white space, a separator, the end or the width. Quoted words
  // (quote 'q' or 'Q') run to their closing quote.
  HRESULT ReadWord(std::size_t width, std::string_view separators, char quote, std::string& text) {
    text.clear();
    in_.SkipSpace();
    int c = in_.Peek();
    if (quote && (c == '"' || c == '\'')) {
      const int closing = c;
      if (quote == 'Q') {
        if (width != kNoLimit) width += 2;
        text.push_back(static_cast<char>(c));
      }
      in_.Advance();
      while ((c = in_.Peek()) >= 0 && c != closing) {
        if (text.size() < width) text.push_back(static_cast<char>(c));
        in_.Advance();
      }
      if (c == closing) {
        if (quote == 'Q' && text.size() < width) text.push_back(static_cast<char>(c));
        in_.Advance();
      }
      return FAILED(in_.Status()) ? in_.Status() : S_OK;
    }
    auto ends = [&](int ch) {
      return ch < 0 || IsSpace(ch) ||
             separators.find(static_cast<char>(ch)) != std::string_view::npos;
    };
    while (text.size() < width && !ends(c = in_.Peek())) {
      text.push_back(static_cast<char>(c));
      in_.Advance();
    }
    if (text.size() == width && !ends(in_.Peek())) {
      // the rest of the word, and the white space after it, are dropped
      while (!ends(in_.Peek())) in_.Advance();
      in_.SkipSpace();
    }
    return FAILED(in_.Status()) ? in_.Status() : S_OK;
  }

  // Membership in a scanf character set; "a-z" is a range unless "-" comes first or last.
  static bool InSet(const FormatToken& token, char c) {
    const std::string_view set = token.charSet;
    bool found = false;
    for (std::size_t i = 0; i < set.size() && !found; ++i) {
      if (i + 2 < set.size() && set[i + 1] == '-') {
        found = c >= set[i] && c <= set[i + 2];
        i += 2;
      } else {
        found = c == set[i];
      }
    }
    return found != token.negatedSet;
  }

  HRESULT ReadText(const FormatToken& token, std::size_t width, std::string& text) {
    text.clear();
    int c = 0;
    switch (static_cast<InKind>(token.kind)) {
      case InKind::Word:
        return ReadWord(width, {}, 0, text);
      case InKind::Enum:
        return ReadWord(width, {}, token.quote, text);
      case InKind::UpToTerminator:
        while (text.size() < width && (c = in_.Peek()) >= 0) {
          text.push_back(static_cast<char>(c));
          in_.Advance();
          if (c == '\n') break;
        }
        break;
      case InKind::WholeMessage:
        while ((c = in_.Peek()) >= 0) {
          if (text.size() < width) text.push_back(static_cast<char>(c));
          in_.Advance();
        }
        break;
      case InKind::CharacterSet:
      case InKind::EnumBySet:
        while (text.size() < width && (c = in_.Peek()) >= 0 && InSet(token, static_cast<char>(c))) {
          text.push_back(static_cast<char>(c));
          in_.Advance();
        }
        break;
      default:
        return E_UNEXPECTED;
    }
    return FAILED(in_.Status()) ? in_.Status() : S_OK;
  }

  // Stores text in a string destination: a character array (NUL-ended, at most its capacity),
  // a counted wide string that is replaced, or a growable string.
  HRESULT StoreText(const ScanArg* a, std::string_view text) {
    if (!a || !a->where) return E_INVALIDARG;
    if (a->kind == ScanArg::Kind::Chars) {
      if (a->capacity == 0) return E_INVALIDARG;
      const std::size_t n = std::min(text.size(), a->capacity - 1);
      std::memcpy(a->where, text.data(), n);
      static_cast<char*>(a->where)[n] = '\0';
      return S_OK;
    }
    if (a->kind != ScanArg::Kind::Scalar) return E_INVALIDARG;
    if (a->elem == ElemType::String) {
      static_cast<std::string*>(a->where)->assign(text);
      return S_OK;
    }
    if (a->elem == ElemType::Bstr) {
      BSTR fresh = platform::AllocBstr(text);
      if (!fresh)
        return reporter_.ReportElaboratedV(core::Code::OutOfMemory,
                                           "Could not allocate BSTR memory for Read.", {});
      BSTR* slot = static_cast<BSTR*>(a->where);
      TevraSysFreeString(*slot);
      *slot = fresh;
      return S_OK;
    }
    return E_INVALIDARG;
  }

  HRESULT ParseEnum(const FormatToken& token, std::string_view word, std::int32_t& value) {
    if (!enums_) return E_POINTER;
    return enums_->Parse(token.enumName, word, value);
  }

  // --- lists ---

  // Element variant type of a list or block read into a safe array.
  static VARTYPE VarTypeOf(const FormatToken& token) {
    switch (static_cast<InKind>(token.kind)) {
      case InKind::RealList:
        return token.size ? VT_R8 : VT_R4;
      case InKind::WordList:
        return VT_BSTR;
      case InKind::EnumList:
        return VT_I4;
      default:
        break;
    }
    switch (token.size) {
      case 'b':
        return VT_UI1;
      case 'h':
        return VT_I2;
      case 'I':
        return VT_I8;
      case 'z':
        return VT_R4;
      case 'Z':
        return VT_R8;
      case 'l':
        return VT_I4;
      default:
        return static_cast<InKind>(token.kind) == InKind::IntegerList ? VT_I4 : VT_UI1;
    }
  }

  // A list destination: where element i goes.
  class ListSink {
   public:
    ListSink(const ScanArg* a, std::size_t count) : a_(a) {
      limit_ = count;
      if (a_ && a_->kind == ScanArg::Kind::Array) limit_ = std::min(limit_, a_->capacity);
    }
    std::size_t Limit() const { return limit_; }
    const ScanArg* Arg() const { return a_; }

   private:
    const ScanArg* a_;
    std::size_t limit_;
  };

  HRESULT StoreListNumber(const ScanArg* a, std::size_t index, const Number& number,
                          Collected& collected) {
    if (!a) return S_OK;  // suppressed
    switch (a->kind) {
      case ScanArg::Kind::Array:
        if (!IsNumeric(a->elem)) return E_INVALIDARG;
        number.Visit([&](auto v) { StoreNumber(a->where, a->elem, index, v); });
        return S_OK;
      case ScanArg::Kind::Vector: {
        if (!IsNumeric(a->elem)) return E_INVALIDARG;
        VectorAppend(a, number);
        return S_OK;
      }
      case ScanArg::Kind::SafeArray:
        if (!collected.Reserve(index)) return OutOfSafeArrayMemory();
        number.Visit([&](auto v) {
          StoreNumber(collected.numbers.get()->pvData, collected.elem, index, v);
        });
        return S_OK;
      default:
        return E_INVALIDARG;
    }
  }

  template <class T>
  static void AppendTo(void* vector, ElemType type, const Number& number) {
    auto* v = static_cast<std::vector<T>*>(vector);
    v->emplace_back();
    number.Visit([&](auto x) { StoreNumber(&v->back(), type, 0, x); });
  }

  static void VectorAppend(const ScanArg* a, const Number& number) {
    switch (a->elem) {
      case ElemType::I8:
        return AppendTo<std::int8_t>(a->where, a->elem, number);
      case ElemType::U8:
        return AppendTo<std::uint8_t>(a->where, a->elem, number);
      case ElemType::I16:
        return AppendTo<std::int16_t>(a->where, a->elem, number);
      case ElemType::U16:
        return AppendTo<std::uint16_t>(a->where, a->elem, number);
      case ElemType::I32:
        return AppendTo<std::int32_t>(a->where, a->elem, number);
      case ElemType::U32:
        return AppendTo<std::uint32_t>(a->where, a->elem, number);
      case ElemType::I64:
        return AppendTo<std::int64_t>(a->where, a->elem, number);
      case ElemType::U64:
        return AppendTo<std::uint64_t>(a->where, a->elem, number);
      case ElemType::F32:
        return AppendTo<float>(a->where, a->elem, number);
      case ElemType::F64:
        return AppendTo<double>(a->where, a->elem, number);
      default:
        return;
    }
  }

  HRESULT StoreListText(const FormatToken& token, const ScanArg* a, std::size_t index,
                        std::string_view text, Collected& collected) {
    if (!a) return S_OK;
    const auto kind = static_cast<InKind>(token.kind);
    if (kind == InKind::EnumList) {
      std::int32_t value = 0;
      if (HRESULT hr = ParseEnum(token, text, value); FAILED(hr)) return hr;
      Number number;
      number.integer = value;
      return StoreListNumber(a, index, number, collected);
    }
    switch (a->kind) {
      case ScanArg::Kind::Array:
        if (a->elem == ElemType::String) {
          static_cast<std::string*>(a->where)[index].assign(text);
          return S_OK;
        }
        if (a->elem == ElemType::Bstr) {
          const ScanArg slot(static_cast<BSTR*>(a->where) + index);
          return StoreText(&slot, text);
        }
        return E_INVALIDARG;
      case ScanArg::Kind::Vector:
        if (a->elem != ElemType::String) return E_INVALIDARG;
        static_cast<std::vector<std::string>*>(a->where)->emplace_back(text);
        return S_OK;
      case ScanArg::Kind::SafeArray:
        collected.texts.emplace_back(text);
        return S_OK;
      default:
        return E_INVALIDARG;
    }
  }

  // The safe array a list read into, as long as the elements read, in the caller's slot.
  HRESULT HandOutSafeArray(const ScanArg* a, Collected& collected, std::size_t count) {
    platform::SafeArrayPtr array;
    if (collected.numbers.get()) {
      if (!platform::ResizeVector(collected.numbers.get(), static_cast<ULONG>(count)))
        return OutOfSafeArrayMemory();
      array = std::move(collected.numbers);
    } else {
      array =
          platform::SafeArrayPtr(TevraSafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(count)));
      if (!array.get()) return OutOfSafeArrayMemory();
      for (std::size_t i = 0; i < count; ++i) {
        BSTR s = platform::AllocBstr(collected.texts[i]);
        if (!s)
          return reporter_.ReportElaboratedV(core::Code::OutOfMemory,
                                             "Could not allocate BSTR memory for Read.", {});
        static_cast<BSTR*>(array.get()->pvData)[i] = s;
      }
    }
    SAFEARRAY** slot = static_cast<SAFEARRAY**>(a->where);
    if (*slot) TevraSafeArrayDestroy(*slot);
    *slot = array.release();
    return S_OK;
  }

  // Reads elements while a separator follows, up to the count.
  HRESULT List(const FormatToken& token, const Fields& f) {
    const ScanArg* a = nullptr;
    if (!token.suppress) {
      a = NextArg();
      if (!a || !a->where) return E_INVALIDARG;
      const bool fits = token.safeArray
                            ? a->kind == ScanArg::Kind::SafeArray
                            : a->kind == ScanArg::Kind::Array || a->kind == ScanArg::Kind::Vector;
      if (!fits) return E_INVALIDARG;
      if (a->kind == ScanArg::Kind::Vector) ClearVector(a);
    }
    const ListSink sink(a, f.count);
    const std::string_view separators = Separators(token);
    const auto kind = static_cast<InKind>(token.kind);
    const bool numbers = kind == InKind::IntegerList || kind == InKind::RealList;
    Collected collected;
    if (a && a->kind == ScanArg::Kind::SafeArray && VarTypeOf(token) != VT_BSTR) {
      collected.numbers =
          platform::SafeArrayPtr(TevraSafeArrayCreateVector(VarTypeOf(token), 0, 0));
      if (!collected.numbers.get()) return OutOfSafeArrayMemory();
      collected.elem = core::ElemTypeOfVarType(VarTypeOf(token));
    }
    std::size_t read = 0;
    HRESULT hr = S_OK;
    const bool doubles = kind == InKind::RealList && token.size && f.width == kNoLimit && a &&
                         (a->kind == ScanArg::Kind::SafeArray || a->elem == ElemType::F64);
    while (read < sink.Limit()) {
      if (doubles) {
        if (FAILED(hr = DelimitedReals(a, separators, sink.Limit(), collected, read))) break;
        if (read == sink.Limit()) break;
      }
      if (numbers) {
        Number number;
        if (FAILED(hr = ReadNumber(token, f.width, number))) break;
        if (FAILED(hr = StoreListNumber(a, read, number, collected))) break;
      } else {
        if (FAILED(hr = ReadWord(f.width, separators, token.quote, scratch_))) break;
        if (FAILED(hr = StoreListText(token, a, read, scratch_, collected))) break;
      }
      ++read;
      if (read == sink.Limit()) break;
      while (IsSpace(in_.Peek()) &&
             separators.find(static_cast<char>(in_.Peek())) == std::string_view::npos)
        in_.Advance();
      const int c = in_.Peek();
      if (c < 0 || separators.find(static_cast<char>(c)) == std::string_view::npos) break;
      in_.Advance();
    }
    if (FAILED(in_.Status()) && SUCCEEDED(hr)) hr = in_.Status();
    if (SUCCEEDED(hr) && a && a->kind == ScanArg::Kind::SafeArray)
      hr = HandOutSafeArray(a, collected, read);
    if (f.countOut && SUCCEEDED(hr)) *f.countOut = static_cast<std::int32_t>(read);
    return hr;
  }

  // The readings of a list of doubles that lie whole in the bytes at hand, each with the
  // separator after it, in one pass straight into the destination; the element loop of List reads
  // anything else (a reading cut by a read, the last one, one the fast grammar leaves) the same
  // way. Stops at the start of such an element, or before the last element the count allows.
  HRESULT DelimitedReals(const ScanArg* a, std::string_view separators, std::size_t limit,
                         Collected& collected, std::size_t& read) {
    const std::string_view w = in_.Window();
    const std::size_t n = w.size();
    const char only = separators.size() == 1 ? separators[0] : 0;  // most lists have one
    auto isSeparator = [&](char c) {
      return only ? c == only : separators.find(c) != std::string_view::npos;
    };
    std::size_t pos = 0;
    while (read + 1 < limit) {
      std::size_t i = pos;
      while (i < n && IsSpace(w[i])) ++i;
      double value = 0;
      std::size_t length = 0;
      if (i == n || !ReadDelimitedReal(w.substr(i), value, length)) break;
      i += length;
      while (i < n && IsSpace(w[i]) && !isSeparator(w[i])) ++i;
      if (i == n || !isSeparator(w[i])) break;
      pos = i + 1;
      switch (a->kind) {
        case ScanArg::Kind::SafeArray:
          if (!collected.Reserve(read)) return OutOfSafeArrayMemory();
          StoreNumber(collected.numbers.get()->pvData, collected.elem, read, value);
          break;
        case ScanArg::Kind::Vector:
          static_cast<std::vector<double>*>(a->where)->push_back(value);
          break;
        default:
          static_cast<double*>(a->where)[read] = value;
          break;
      }
      ++read;
    }
    in_.Skip(pos);
    return S_OK;
  }

  // The characters the list marker's letters name.
  std::string_view Separators(const FormatToken& token) {
    if (token.separators == ",") return token.separators;
    std::size_t n = 0;
    for (char letter : token.separators)
      if (n < sizeof separatorTable_) separatorTable_[n++] = SeparatorOfLetter(letter);
    return std::string_view(separatorTable_, n);
  }

  static void ClearVector(const ScanArg* a) {
    switch (a->elem) {
      case ElemType::I8:
        static_cast<std::vector<std::int8_t>*>(a->where)->clear();
        break;
      case ElemType::U8:
        static_cast<std::vector<std::uint8_t>*>(a->where)->clear();
        break;
      case ElemType::I16:
        static_cast<std::vector<std::int16_t>*>(a->where)->clear();
        break;
      case ElemType::U16:
        static_cast<std::vector<std::uint16_t>*>(a->where)->clear();
        break;
      case ElemType::I32:
        static_cast<std::vector<std::int32_t>*>(a->where)->clear();
        break;
      case ElemType::U32:
        static_cast<std::vector<std::uint32_t>*>(a->where)->clear();
        break;
      case ElemType::I64:
        static_cast<std::vector<std::int64_t>*>(a->where)->clear();
        break;
      case ElemType::U64:
        static_cast<std::vector<std::uint64_t>*>(a->where)->clear();
        break;
      case ElemType::F32:
        static_cast<std::vector<float>*>(a->where)->clear();
        break;
      case ElemType::F64:
        static_cast<std::vector<double>*>(a->where)->clear();
        break;
      case ElemType::String:
        static_cast<std::vector<std::string>*>(a->where)->clear();
        break;
      default:
        break;
    }
  }

  // --- binary ---

  // The bytes of a typed array or vector destination for count elements of size bytes.
  HRESULT BinaryDestination(const FormatToken& token, const ScanArg* a, std::size_t count,
                            std::size_t size, std::span<std::uint8_t>& bytes) {
    if (!a || !a->where) return E_INVALIDARG;
    const bool floating = token.size == 'z' || token.size == 'Z';
    const bool elemFloating = a->elem == ElemType::F32 || a->elem == ElemType::F64;
    if (!IsNumeric(a->elem) || ElemSize(a->elem) != size || floating != elemFloating)
      return E_INVALIDARG;
    if (a->kind == ScanArg::Kind::Array) {
      bytes = std::span<std::uint8_t>(static_cast<std::uint8_t*>(a->where),
                                      std::min(count, a->capacity) * size);
      return S_OK;
    }
    return E_INVALIDARG;
  }

  // A safe array that grows with the block's data.
  struct SafeArrayBlockStorage {
    platform::SafeArrayPtr array;
    std::size_t elementSize;
    std::span<std::uint8_t> Room(std::size_t got, std::size_t wanted) {
      const std::size_t have = array.get()->rgsabound[0].cElements * elementSize;
      if (got >= have && got < wanted) {
        const std::size_t grown = std::min(wanted, std::max(have * 2, kBlockStart));
        if (!platform::GrowVector(array.get(), static_cast<ULONG>(grown / elementSize))) return {};
      }
      return std::span<std::uint8_t>(static_cast<std::uint8_t*>(array.get()->pvData),
                                     array.get()->rgsabound[0].cElements * elementSize)
          .subspan(got);
    }
    void Trim(std::size_t bytes) {
      platform::ResizeVector(array.get(), static_cast<ULONG>(bytes / elementSize));
    }
  };

  // A vector that grows with the block's data.
  struct VectorBlockStorage {
    const ScanArg* a;
    std::size_t elementSize;
    std::span<std::uint8_t> bytes;
    std::span<std::uint8_t> Room(std::size_t got, std::size_t wanted) {
      if (got >= bytes.size() && got < wanted) {
        const std::size_t grown = std::min(wanted, std::max(bytes.size() * 2, kBlockStart));
        if (FAILED(ResizeVector(a, grown / elementSize, bytes))) return {};
      }
      return bytes.subspan(got);
    }
    void Trim(std::size_t n) { ResizeVector(a, n / elementSize, bytes); }
  };

  HRESULT Block(const FormatToken& token, const Fields& f) {
    const ScanArg* a = token.suppress ? nullptr : NextArg();
    in_.Commit();
    std::uint64_t length = 0;
    if (HRESULT hr = ReadBlockHeader(buffer_, reporter_, false, length); FAILED(hr)) return hr;
    const std::size_t size = BinaryElementSize(token.size);
    if (token.suppress) return DropBytes(buffer_, static_cast<std::size_t>(length));
    // At most the count's elements; the data of a partial element at the end is read and dropped.
    const std::size_t limit =
        static_cast<std::size_t>(std::min<std::uint64_t>(f.count, length / size)) * size;
    std::size_t elements = 0;
    HRESULT hr = S_OK;
    if (token.safeArray) {
      if (!a || a->kind != ScanArg::Kind::SafeArray || !a->where) return E_INVALIDARG;
      SafeArrayBlockStorage storage{
          platform::SafeArrayPtr(TevraSafeArrayCreateVector(VarTypeOf(token), 0, 0)), size};
      if (!storage.array.get()) return OutOfSafeArrayMemory();
      hr = ReadBlockData(buffer_, storage, size, length, limit, elements);
      if (hr == E_OUTOFMEMORY) return OutOfSafeArrayMemory();
      if (FAILED(hr)) return hr;
      SAFEARRAY** slot = static_cast<SAFEARRAY**>(a->where);
      if (*slot) TevraSafeArrayDestroy(*slot);
      *slot = storage.array.release();
    } else if (a && a->kind == ScanArg::Kind::Vector) {
      const bool floating = token.size == 'z' || token.size == 'Z';
      const bool elemFloating = a->elem == ElemType::F32 || a->elem == ElemType::F64;
      if (!IsNumeric(a->elem) || ElemSize(a->elem) != size || floating != elemFloating)
        return E_INVALIDARG;
      VectorBlockStorage storage{a, size, {}};
      if (HRESULT r = ResizeVector(a, 0, storage.bytes); FAILED(r)) return r;
      hr = ReadBlockData(buffer_, storage, size, length, limit, elements);
    } else {
      std::span<std::uint8_t> bytes;
      if (HRESULT r = BinaryDestination(token, a, f.count, size, bytes); FAILED(r)) return r;
      FixedBlockStorage storage{bytes};
      hr = ReadBlockData(buffer_, storage, size, length, std::min(limit, bytes.size()), elements);
    }
    if (f.countOut) *f.countOut = static_cast<std::int32_t>(elements);
    return hr;
  }

  HRESULT OutOfSafeArrayMemory() {
    return reporter_.ReportElaboratedV(core::Code::OutOfMemory,
                                       "Could not allocate SAFEARRAY memory for Read.", {});
  }

  static HRESULT ResizeVector(const ScanArg* a, std::size_t n, std::span<std::uint8_t>& bytes) {
    void* data = nullptr;
    switch (a->elem) {
      case ElemType::I8:
      case ElemType::U8: {
        auto* v = static_cast<std::vector<std::uint8_t>*>(a->where);
        v->resize(n);
        data = v->data();
        break;
      }
      case ElemType::I16:
      case ElemType::U16: {
        auto* v = static_cast<std::vector<std::uint16_t>*>(a->where);
        v->resize(n);
        data = v->data();
        break;
      }
      case ElemType::I32:
      case ElemType::U32:
      case ElemType::F32: {
        auto* v = static_cast<std::vector<std::uint32_t>*>(a->where);
        v->resize(n);
        data = v->data();
        break;
      }
      case ElemType::I64:
      case ElemType::U64:
      case ElemType::F64: {
        auto* v = static_cast<std::vector<std::uint64_t>*>(a->where);
        v->resize(n);
        data = v->data();
        break;
      }
      default:
        return E_INVALIDARG;
    }
    bytes = std::span<std::uint8_t>(static_cast<std::uint8_t*>(data), n * ElemSize(a->elem));
    return S_OK;
  }

  HRESULT RawBinary(const FormatToken& token, const Fields& f) {
    const ScanArg* a = token.suppress ? nullptr : NextArg();
    const std::size_t size = BinaryElementSize(token.size);
    in_.Commit();
    if (token.suppress) {
      if (f.count == kNoLimit) return E_UNEXPECTED;
      return DropBytes(buffer_, f.count * size);
    }
    std::span<std::uint8_t> bytes;
    if (HRESULT r = BinaryDestination(token, a, f.count, size, bytes); FAILED(r)) return r;
    std::size_t got = 0;
    HRESULT hr = buffer_.ReadBytes(bytes, got);
    // Big-endian on the wire unless "!ol"; the buffer's swap flag does not apply.
    const bool swap = (token.byteOrder != 'l') == (std::endian::native == std::endian::little);
    if (swap && size > 1) ReverseEachElement(bytes.data(), got / size, size);
    if (f.countOut) *f.countOut = static_cast<std::int32_t>(got / size);
    if (FAILED(hr)) return hr;
    return hr == S_OK ? S_OK : E_UNEXPECTED;
  }

  // --- specifiers ---

  HRESULT Specifier(const FormatToken& token) {
    Fields f;
    if (HRESULT hr = Resolve(token, f); FAILED(hr)) return hr;
    switch (static_cast<InKind>(token.kind)) {
      case InKind::Integer:
      case InKind::Real: {
        Number number;
        if (HRESULT hr = ReadNumber(token, f.width, number); FAILED(hr)) return hr;
        return token.suppress ? S_OK : StoreScalar(NextArg(), number);
      }
      case InKind::IntegerList:
      case InKind::RealList:
      case InKind::WordList:
      case InKind::EnumList:
        return List(token, f);
      case InKind::Block:
        return Block(token, f);
      case InKind::RawBinary:
        return RawBinary(token, f);
      case InKind::Character: {
        const std::size_t n = f.width == kNoLimit ? 1 : f.width;
        const ScanArg* a = token.suppress ? nullptr : NextArg();
        if (a && (a->kind != ScanArg::Kind::Chars || !a->where)) return E_INVALIDARG;
        std::size_t i = 0;
        for (; i < n; ++i) {
          const int c = in_.Peek();
          if (c < 0) break;
          if (a && i < a->capacity) static_cast<char*>(a->where)[i] = static_cast<char>(c);
          in_.Advance();
        }
        return i < n ? NoInput() : S_OK;
      }
      case InKind::Enum:
      case InKind::EnumBySet: {
        if (HRESULT hr = ReadText(token, f.width, scratch_); FAILED(hr)) return hr;
        if (token.suppress) return S_OK;
        std::int32_t value = 0;
        if (HRESULT hr = ParseEnum(token, scratch_, value); FAILED(hr)) return hr;
        Number number;
        number.integer = value;
        return StoreScalar(NextArg(), number);
      }
      case InKind::UpToTerminator:
      case InKind::WholeMessage:
      case InKind::Word:
      case InKind::CharacterSet: {
        const ScanArg* a = token.suppress ? nullptr : NextArg();
        std::size_t width = f.width;
        if (a && a->kind == ScanArg::Kind::Chars && a->capacity > 0)
          width = std::min(width, a->capacity - 1);
        if (HRESULT hr = ReadText(token, width, scratch_); FAILED(hr)) return hr;
        return token.suppress ? S_OK : StoreText(a, scratch_);
      }
      case InKind::Literal:
        break;
    }
    return E_UNEXPECTED;
  }

  IIoBuffer& buffer_;
  core::IErrorReporter& reporter_;
  core::IEnumFormatter* enums_;
  std::span<const ScanArg> args_;
  std::size_t next_ = 0;
  InputCursor in_;
  std::string scratch_;
  char separatorTable_[16];
};

}  // namespace

HRESULT ScanInput(IIoBuffer& buffer, core::IErrorReporter& reporter, core::IEnumFormatter* enums,
                  std::string_view format, std::span<const ScanArg> args, FormatCheck check) {
  return InputScanner(buffer, reporter, enums, args).Run(format, check);
}

HRESULT CheckInputFormat(std::string_view format) { return InputScanner::Check(format); }

HRESULT ReadDefiniteBlock(IIoBuffer& buffer, core::IErrorReporter& reporter,
                          std::span<std::uint8_t> into, std::size_t elementSize, BlockReadMode mode,
                          std::size_t& elementsRead) {
  elementsRead = 0;
  if (elementSize == 0) return E_INVALIDARG;
  std::uint64_t length = 0;
  if (HRESULT hr = ReadBlockHeader(buffer, reporter, mode.skipToHeader, length); FAILED(hr))
    return hr;
  FixedBlockStorage storage{into};
  const HRESULT hr = ReadBlockData(buffer, storage, elementSize, length,
                                   into.size() / elementSize * elementSize, elementsRead);
  // The rest of the response, its terminator included, to the end of the message.
  if (SUCCEEDED(hr) && mode.discardRest) return buffer.DiscardRead();
  return hr;
}

}  // namespace tevra::io
