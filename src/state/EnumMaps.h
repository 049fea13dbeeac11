// The command words of enumerated settings: per enumeration type and per call context a table of
// (value, words), chosen further by the model family of the instrument. "%{Type}s" in a command
// template prints a value as its word, and the same specifier in a response format turns the
// instrument's word back into a value.
//
// Lookups never allocate: the tables are constant data (EnumTables.cpp) searched in place, type
// names and contexts are compared without building strings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/CallContext.h"

namespace tevra::state {

// The most words any row has: the word the driver sends and one other spelling the instrument
// answers with ("10" and "+10").
inline constexpr std::size_t kMaxWordsPerRow = 2;

// The family every table is registered under; it serves a model whose family has no table of its
// own.
inline constexpr std::string_view kAnyFamily = "";

// One value and the words that stand for it. The first word is the one the value prints as; every
// word is accepted when parsing. Unused words are empty; a row without words prints as the empty
// word and no reply parses to it.
struct EnumRow {
  std::int32_t value;
  std::array<std::string_view, kMaxWordsPerRow> words{};
};

// The table of one enumeration type for one model family.
class CEnumCommand {
 public:
  constexpr CEnumCommand(std::span<const EnumRow> rows, std::string_view family = kAnyFamily)
      : rows_(rows), family_(family) {}
  template <std::size_t N>
  constexpr CEnumCommand(const EnumRow (&rows)[N], std::string_view family = kAnyFamily)
      : rows_(rows), family_(family) {}

  std::string_view Family() const { return family_; }
  std::span<const EnumRow> Rows() const { return rows_; }

  // The first word of value's row; false when no row has the value.
  bool ToCommand(std::int32_t value, std::string_view& word) const;
  // The value of the first row that has the word (compared exactly); false when none has.
  bool FromCommand(std::string_view word, std::int32_t& value) const;

 private:
  std::span<const EnumRow> rows_;
  std::string_view family_;
};

// A call context of a type, "Interface.Member", with its tables. A context with a family-specific
// table lists it as a further entry of the same context.
struct EnumContextTable {
  std::string_view context;
  CEnumCommand table;
};

// An enumeration type: its name (known with and without the prefix "Tevra" and the suffix "Enum")
// and its contexts in order. The first context also serves calls made outside any context.
struct EnumType {
  std::string_view name;
  std::span<const EnumContextTable> contexts;
};

// Every type that has tables. Names the interface declares without command words (status
// registers, service-request reasons, voltage functions, the class-compliant and the VISA-COM
// enumerations) are not listed: like unknown names, they have no converter.
std::span<const EnumType> EnumTypes();

// The name of the boolean type; it is not known under other names.
inline constexpr std::string_view kBooleanTypeName = "VARIANT_BOOL";

// The interface member a table is chosen for. Both parts empty: no call is running.
struct EnumContext {
  std::string_view interfaceName;
  std::string_view memberName;

  bool Empty() const { return interfaceName.empty() && memberName.empty(); }
};

// "ITevraChannel.Coupling" as an EnumContext; a text without a dot is all interface name.
EnumContext SplitEnumContext(std::string_view text);
// The context of a running method: property accessors share their property's context, so the
// "get_" and "put_" of the method name are dropped. Null: the empty context.
EnumContext EnumContextOf(const core::MethodRecord* method);

// The tables of one type in one context, across model families.
class CEnumCommandConverter {
 public:
  explicit CEnumCommandConverter(std::span<const EnumContextTable> tables) : tables_(tables) {}

  // Both use the family's own table when there is one, else the table of kAnyFamily.
  bool ToCommand(std::string_view family, std::int32_t value, std::string_view& word) const;
  bool FromCommand(std::string_view family, std::string_view word, std::int32_t& value) const;
  // The length of the longest word of any family's table.
  std::size_t LongestWord() const;

 private:
  const CEnumCommand* TableFor(std::string_view family) const;

  std::span<const EnumContextTable> tables_;
};

// The converter of a type name (any case) in a context (any case). None for an unknown name or a
// context that is not in the type's list.
std::optional<CEnumCommandConverter> FindEnumConverter(std::string_view typeName,
                                                       EnumContext context);

}  // namespace tevra::state
