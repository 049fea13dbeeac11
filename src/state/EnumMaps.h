// The command words of enumerated settings, found for a conversion: "%{Type}s" in a command
// template prints a value as its word, and the same specifier in a response format turns the
// instrument's word back into a value. A running member finds the words through the links of its
// own record (core/EnumWords.h); a conversion outside any call uses the type's words for calls of
// no member, listed once per type here.
//
// Lookups never allocate: the words are constant data searched in place, type names are compared
// without building strings.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/CallContext.h"
#include "core/EnumWords.h"

namespace tevra::state {

using core::kAnyFamily;
using core::kBooleanTypeName;

// Every type a conversion may name outside a call, with the words it uses there: none for most
// types, so such a conversion is reported as an invalid value. A type is known as Name, NameEnum,
// TevraName and TevraNameEnum, in any case; booleans only as VARIANT_BOOL. Names the interface
// declares without command words (status registers, service-request reasons, voltage functions,
// the class-compliant and the VISA-COM enumerations) are not listed: like unknown names, they have
// no converter.
std::span<const core::EnumWords> EnumTypes();

// The words of one type, across model families.
class CEnumCommandConverter {
 public:
  explicit CEnumCommandConverter(std::span<const core::EnumWords> words) : words_(words) {}

  // Both use the family's own words when there are any, else those of kAnyFamily. ToCommand gives
  // the first word of value's row; FromCommand the value of the first row that has the word
  // (compared exactly).
  bool ToCommand(std::string_view family, std::int32_t value, std::string_view& word) const;
  bool FromCommand(std::string_view family, std::string_view word, std::int32_t& value) const;

 private:
  const core::EnumWords* WordsFor(std::string_view family) const;

  std::span<const core::EnumWords> words_;
};

// The converter of a type name in the running member (null: no call is running). None when the
// member links no words of the type, or the name is no known type.
std::optional<CEnumCommandConverter> FindEnumConverter(std::string_view typeName,
                                                       const core::MethodRecord* running);

}  // namespace tevra::state
