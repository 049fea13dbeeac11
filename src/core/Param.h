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
  VARTYPE elementType;    // an array of these elements is written as these scalars; VT_EMPTY: none
};
inline constexpr ValueTypeFacts kValueTypeFacts[] = {
    {sizeof(VARIANT_BOOL), "Boolean", VT_BOOL}, {sizeof(std::uint8_t), "Byte", VT_UI1},
    {sizeof(std::int16_t), "Int16", VT_I2},     {sizeof(std::int32_t), "Int32", VT_I4},
    {sizeof(std::int64_t), "Int64", VT_I8},     {sizeof(float), "Single", VT_R4},
    {sizeof(double), "Double", VT_R8},          {sizeof(BSTR), "String", VT_BSTR},
    {sizeof(void*), "IUnknown", VT_EMPTY},      {sizeof(SAFEARRAY*), nullptr, VT_EMPTY},
};
static_assert(std::size(kValueTypeFacts) == static_cast<std::size_t>(ValueType::Array) + 1);
constexpr const ValueTypeFacts& FactsOf(ValueType type) {
  return kValueTypeFacts[static_cast<std::size_t>(type)];
}

// The value type whose scalars an array of `vt` elements holds, if one has.
constexpr bool ScalarTypeOf(VARTYPE vt, ValueType& type) {
  for (std::size_t i = 0; i < std::size(kValueTypeFacts); ++i)
    if (vt != VT_EMPTY && kValueTypeFacts[i].elementType == vt) {
      type = static_cast<ValueType>(i);
      return true;
    }
  return false;
}

template <ValueType T>
using TypeTag = std::integral_constant<ValueType, T>;

// Calls f(TypeTag<type>{}, value) with the value at `value` read as its own C++ type: the one
// place that switches over the value types. VARIANT_BOOL and int16_t are one C++ type, so the
// tag says which was meant.
template <class F>
decltype(auto) VisitValue(ValueType type, const void* value, F&& f) {
  switch (type) {
    case ValueType::Bool:
      return f(TypeTag<ValueType::Bool>{}, *static_cast<const VARIANT_BOOL*>(value));
    case ValueType::UInt8:
      return f(TypeTag<ValueType::UInt8>{}, *static_cast<const std::uint8_t*>(value));
    case ValueType::Int16:
      return f(TypeTag<ValueType::Int16>{}, *static_cast<const std::int16_t*>(value));
    case ValueType::Int32:
      return f(TypeTag<ValueType::Int32>{}, *static_cast<const std::int32_t*>(value));
    case ValueType::Int64:
      return f(TypeTag<ValueType::Int64>{}, *static_cast<const std::int64_t*>(value));
    case ValueType::Float:
      return f(TypeTag<ValueType::Float>{}, *static_cast<const float*>(value));
    case ValueType::Double:
      return f(TypeTag<ValueType::Double>{}, *static_cast<const double*>(value));
    case ValueType::String:
      return f(TypeTag<ValueType::String>{}, *static_cast<const OLECHAR* const*>(value));
    case ValueType::Interface:
      return f(TypeTag<ValueType::Interface>{}, *static_cast<void* const*>(value));
    case ValueType::Array:
      break;
  }
  return f(TypeTag<ValueType::Array>{}, *static_cast<const SAFEARRAY* const*>(value));
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

  // Where the value is: in the record for inputs (every member of the union starts at its
  // address), behind the caller's pointer otherwise.
  const void* ValueAddress() const { return dir == Dir::In ? static_cast<const void*>(&b) : ptr; }
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

constexpr Param OutInt16(const char* name, std::int16_t* where) {
  Param p{name, Dir::Out, ValueType::Int16, {}};
  p.ptr = static_cast<void*>(where);
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

// An argument of a method declared from its row (TEVRA_COMMAND): the parameter's name with the
// caller's value. A pointer other than a string is an output.
template <class T>
struct Named {
  const char* name;
  T value;
};
template <class T>
inline constexpr bool kIsOutput =
    std::is_pointer_v<T> && !std::is_same_v<T, BSTR> && ValueTypeOf<T>() != ValueType::Array;
template <class T>
constexpr Param ArgOf(const Named<T>& arg) {
  if constexpr (kIsOutput<T>)
    return Out(arg.name, arg.value);
  else
    return In(arg.name, arg.value);
}

}  // namespace tevra::core
