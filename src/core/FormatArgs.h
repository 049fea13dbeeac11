// The typed arguments of formatted I/O. Where a printf-style caller passes values and pointers
// through C varargs, our callers pass FormatArg (values, texts, arrays, safe arrays) and ScanArg
// (destinations); each carries its type, so a specifier that does not fit its argument fails
// cleanly instead of reading the wrong bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "tevra/TevraTypes.h"

namespace tevra::core {

enum class ElemType : std::uint8_t {
  None,
  I8,
  U8,
  I16,
  U16,
  I32,
  U32,
  I64,
  U64,
  F32,
  F64,
  Text,    // const char* (NUL-ended)
  Bstr,    // BSTR
  String,  // std::string
};

// The element type of an array of vt elements; None for the types no format takes.
constexpr ElemType ElemTypeOfVarType(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
      return ElemType::I8;
    case VT_UI1:
      return ElemType::U8;
    case VT_I2:
      return ElemType::I16;
    case VT_UI2:
      return ElemType::U16;
    case VT_I4:
    case VT_INT:
      return ElemType::I32;
    case VT_UI4:
    case VT_UINT:
      return ElemType::U32;
    case VT_I8:
      return ElemType::I64;
    case VT_UI8:
      return ElemType::U64;
    case VT_R4:
      return ElemType::F32;
    case VT_R8:
      return ElemType::F64;
    case VT_BSTR:
      return ElemType::Bstr;
    default:
      return ElemType::None;
  }
}

template <class T>
constexpr ElemType ElemTypeOf() {
  using U = std::remove_cv_t<T>;
  // Character types are texts, never numbers: char* is a string, int8_t* an array of bytes.
  if constexpr (std::is_same_v<U, bool> || std::is_same_v<U, char> || std::is_same_v<U, char8_t> ||
                std::is_same_v<U, char16_t> || std::is_same_v<U, char32_t> ||
                std::is_same_v<U, wchar_t>)
    return ElemType::None;
  else if constexpr (std::is_integral_v<U> && std::is_signed_v<U> && sizeof(U) == 1)
    return ElemType::I8;
  else if constexpr (std::is_integral_v<U> && sizeof(U) == 1)
    return ElemType::U8;
  else if constexpr (std::is_integral_v<U> && std::is_signed_v<U> && sizeof(U) == 2)
    return ElemType::I16;
  else if constexpr (std::is_integral_v<U> && sizeof(U) == 2)
    return ElemType::U16;
  else if constexpr (std::is_integral_v<U> && std::is_signed_v<U> && sizeof(U) == 4)
    return ElemType::I32;
  else if constexpr (std::is_integral_v<U> && sizeof(U) == 4)
    return ElemType::U32;
  else if constexpr (std::is_integral_v<U> && std::is_signed_v<U> && sizeof(U) == 8)
    return ElemType::I64;
  else if constexpr (std::is_integral_v<U> && sizeof(U) == 8)
    return ElemType::U64;
  else if constexpr (std::is_same_v<U, float>)
    return ElemType::F32;
  else if constexpr (std::is_same_v<U, double>)
    return ElemType::F64;
  else if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*>)
    return ElemType::Text;
  else if constexpr (std::is_same_v<U, const OLECHAR*> || std::is_same_v<U, OLECHAR*>)
    return ElemType::Bstr;
  else if constexpr (std::is_same_v<U, std::string>)
    return ElemType::String;
  else
    return ElemType::None;
}

template <class T>
concept ArrayElement = ElemTypeOf<T>()
!= ElemType::None;
template <class T>
concept NumericElement = ArrayElement<T> && std::is_arithmetic_v<T>;

constexpr std::size_t ElemSize(ElemType type) {
  switch (type) {
    case ElemType::I8:
    case ElemType::U8:
      return 1;
    case ElemType::I16:
    case ElemType::U16:
      return 2;
    case ElemType::I32:
    case ElemType::U32:
    case ElemType::F32:
      return 4;
    case ElemType::I64:
    case ElemType::U64:
    case ElemType::F64:
      return 8;
    default:
      return 0;
  }
}

// One value of a formatted write, in the order the specifiers (and their "*" fields) ask.
struct FormatArg {
  enum class Kind : std::uint8_t { Int, Double, Text, Bstr, Array, SafeArray };
  static constexpr std::size_t kUnknownCount = static_cast<std::size_t>(-1);

  Kind kind;
  ElemType elem = ElemType::None;  // of an array
  union {
    std::int64_t i;
    double d;
    const char* text;
    const OLECHAR* bstr;
    const void* data;
    const SAFEARRAY* safeArray;
  };
  std::size_t count = kUnknownCount;  // text length, or array elements when known

  template <class T>
  requires std::is_integral_v<T> FormatArg(T value)
      : kind(Kind::Int), i(static_cast<std::int64_t>(value)) {}
  FormatArg(double value) : kind(Kind::Double), d(value) {}
  FormatArg(float value) : kind(Kind::Double), d(value) {}
  FormatArg(const char* value) : kind(Kind::Text), text(value) {}
  FormatArg(std::string_view value) : kind(Kind::Text), text(value.data()), count(value.size()) {}
  FormatArg(const std::string& value) : kind(Kind::Text), text(value.data()), count(value.size()) {}
  FormatArg(const std::string* value)
      : kind(Kind::Text), text(value ? value->data() : nullptr), count(value ? value->size() : 0) {}
  FormatArg(const OLECHAR* value) : kind(Kind::Bstr), bstr(value) {}
  FormatArg(const SAFEARRAY* value) : kind(Kind::SafeArray), safeArray(value) {}
  FormatArg(SAFEARRAY* value) : kind(Kind::SafeArray), safeArray(value) {}
  template <class T>
  requires NumericElement<T> FormatArg(const T* first)
      : kind(Kind::Array), elem(ElemTypeOf<T>()), data(first) {}
  template <class T>
  requires NumericElement<T> FormatArg(T* first)
      : kind(Kind::Array), elem(ElemTypeOf<T>()), data(first) {}
  template <class T, std::size_t N>
  requires ArrayElement<T> FormatArg(std::span<T, N> values)
      : kind(Kind::Array), elem(ElemTypeOf<T>()), data(values.data()), count(values.size()) {}
  template <class T>
  requires ArrayElement<T> FormatArg(const std::vector<T>& values)
      : kind(Kind::Array), elem(ElemTypeOf<T>()), data(values.data()), count(values.size()) {}
};

// One destination of a formatted read, in the order the specifiers (and their "#" fields) ask.
struct ScanArg {
  enum class Kind : std::uint8_t {
    Scalar,     // one value of elem (String: std::string*, Bstr: BSTR*)
    Chars,      // a caller's character array of capacity bytes
    Array,      // a caller's array of capacity elements of elem
    Vector,     // a std::vector of elem, resized to what was read
    SafeArray,  // SAFEARRAY**, replaced (an existing array is destroyed)
  };

  Kind kind;
  ElemType elem = ElemType::None;
  void* where;
  std::size_t capacity = 0;

  template <class T>
  requires NumericElement<T> ScanArg(T* value)
      : kind(Kind::Scalar), elem(ElemTypeOf<T>()), where(value) {}
  ScanArg(std::string* value) : kind(Kind::Scalar), elem(ElemType::String), where(value) {}
  ScanArg(BSTR* value) : kind(Kind::Scalar), elem(ElemType::Bstr), where(value) {}
  ScanArg(std::span<char> chars) : kind(Kind::Chars), where(chars.data()), capacity(chars.size()) {}
  template <std::size_t N>
  ScanArg(char (&chars)[N]) : kind(Kind::Chars), where(chars), capacity(N) {}
  template <class T, std::size_t N>
  requires(ArrayElement<T> || std::is_same_v<T, BSTR>) ScanArg(std::span<T, N> values)
      : kind(Kind::Array), elem(ElemTypeOf<T>()), where(values.data()), capacity(values.size()) {}
  template <class T>
  requires(NumericElement<T> || std::is_same_v<T, std::string>) ScanArg(std::vector<T>* values)
      : kind(Kind::Vector), elem(ElemTypeOf<T>()), where(values) {}
  ScanArg(SAFEARRAY** array) : kind(Kind::SafeArray), where(array) {}
  // A safe array the typed operations create with elements of this type.
  ScanArg(SAFEARRAY** array, ElemType element)
      : kind(Kind::SafeArray), elem(element), where(array) {}
};

}  // namespace tevra::core
