// A method's argument as the entry path sees it: name, direction and a typed value (for outputs,
// the caller's pointer). The entry path checks and zeroes outputs through it, the trace writes
// it, and the command template is formatted from the inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>

#include "tevra/TevraTypes.h"

namespace tevra::core {

enum class Dir : std::uint8_t { In, Out, InOut };

enum class ValueType : std::uint8_t {
  Bool,  // VARIANT_BOOL
  UInt8,
  Int16,
  Int32,
  Int64,
  Float,
  Double,
  String,     // BSTR (UTF-16)
  Interface,  // IUnknown-derived pointer
  Array,      // SAFEARRAY*: the element type travels with the array
};

// What is known of each value type, indexed by the type: the size of a variable of it (an output
// points at one) and its name in the trace.
struct ValueTypeFacts {
  std::size_t size;
  const char* traceName;  // null: the element type names it (arrays)
};
inline constexpr ValueTypeFacts kValueTypeFacts[] = {
    {sizeof(VARIANT_BOOL), "Boolean"}, {sizeof(std::uint8_t), "Byte"},
    {sizeof(std::int16_t), "Int16"},   {sizeof(std::int32_t), "Int32"},
    {sizeof(std::int64_t), "Int64"},   {sizeof(float), "Single"},
    {sizeof(double), "Double"},        {sizeof(BSTR), "String"},
    {sizeof(void*), "IUnknown"},       {sizeof(SAFEARRAY*), nullptr},
};
static_assert(std::size(kValueTypeFacts) == static_cast<std::size_t>(ValueType::Array) + 1);
constexpr const ValueTypeFacts& FactsOf(ValueType type) {
  return kValueTypeFacts[static_cast<std::size_t>(type)];
}

struct Param {
  const char* name;
  Dir dir;
  ValueType type;
  union {
    VARIANT_BOOL b;
    std::uint8_t u8;
    std::int16_t i16;
    std::int32_t i32;
    std::int64_t i64;
    float f;
    double d;
    const OLECHAR* str;
    const SAFEARRAY* array;  // In: the caller's array, possibly null
    void* ptr;               // Out and InOut: the caller's variable
  };

  // Where the value is: in the record for inputs, behind the caller's pointer otherwise.
  const void* ValueAddress() const {
    if (dir != Dir::In) return ptr;
    switch (type) {
      case ValueType::Bool:
        return &b;
      case ValueType::UInt8:
        return &u8;
      case ValueType::Int16:
        return &i16;
      case ValueType::Int32:
        return &i32;
      case ValueType::Int64:
        return &i64;
      case ValueType::Float:
        return &f;
      case ValueType::Double:
        return &d;
      case ValueType::String:
        return &str;
      case ValueType::Interface:
        return &ptr;
      case ValueType::Array:
        return &array;
    }
    return nullptr;
  }
};

template <class T>
constexpr ValueType ValueTypeOf() {
  if constexpr (std::is_same_v<T, VARIANT_BOOL>)
    return ValueType::Bool;
  else if constexpr (std::is_same_v<T, std::uint8_t>)
    return ValueType::UInt8;
  else if constexpr (std::is_same_v<T, std::int32_t>)
    return ValueType::Int32;
  else if constexpr (std::is_enum_v<T> && sizeof(T) == 4)
    return ValueType::Int32;  // the interfaces' enumerations travel as their 32-bit values
  else if constexpr (std::is_same_v<T, std::int64_t>)
    return ValueType::Int64;
  else if constexpr (std::is_same_v<T, float>)
    return ValueType::Float;
  else if constexpr (std::is_same_v<T, double>)
    return ValueType::Double;
  else if constexpr (std::is_same_v<T, BSTR>)
    return ValueType::String;
  else if constexpr (std::is_same_v<T, SAFEARRAY*> || std::is_same_v<T, const SAFEARRAY*>)
    return ValueType::Array;  // before the pointer case: an array is no interface
  else if constexpr (std::is_pointer_v<T>)
    return ValueType::Interface;
  else
    static_assert(sizeof(T) == 0, "no trace type for this argument");
}

// VARIANT_BOOL and int16_t are one type; a 16-bit integer argument says so with InInt16.
template <class T>
constexpr Param In(const char* name, T value) {
  Param p{name, Dir::In, ValueTypeOf<T>(), {}};
  if constexpr (std::is_same_v<T, VARIANT_BOOL>)
    p.b = value;
  else if constexpr (std::is_same_v<T, std::uint8_t>)
    p.u8 = value;
  else if constexpr (std::is_same_v<T, std::int32_t>)
    p.i32 = value;
  else if constexpr (std::is_enum_v<T>)
    p.i32 = static_cast<std::int32_t>(value);
  else if constexpr (std::is_same_v<T, std::int64_t>)
    p.i64 = value;
  else if constexpr (std::is_same_v<T, float>)
    p.f = value;
  else if constexpr (std::is_same_v<T, double>)
    p.d = value;
  else if constexpr (std::is_same_v<T, BSTR>)
    p.str = value;
  else if constexpr (ValueTypeOf<T>() == ValueType::Array)
    p.array = value;
  else
    p.ptr = static_cast<void*>(value);
  return p;
}
constexpr Param InString(const char* name, const OLECHAR* value) {
  Param p{name, Dir::In, ValueType::String, {}};
  p.str = value;
  return p;
}
constexpr Param InInt16(const char* name, std::int16_t value) {
  Param p{name, Dir::In, ValueType::Int16, {}};
  p.i16 = value;
  return p;
}

template <class T>
constexpr Param Out(const char* name, T* where) {
  Param p{name, Dir::Out, ValueTypeOf<T>(), {}};
  p.ptr = static_cast<void*>(where);
  return p;
}
template <class T>
constexpr Param InOut(const char* name, T* where) {
  Param p{name, Dir::InOut, ValueTypeOf<T>(), {}};
  p.ptr = static_cast<void*>(where);
  return p;
}

}  // namespace tevra::core
