#include "state/EnumMaps.h"

#include <algorithm>

#include "core/TextUtil.h"

namespace tevra::state {
namespace {

using core::EqualsNoCase;

constexpr bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

constexpr bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// Every type is known as Name, NameEnum, TevraName and TevraNameEnum.
constexpr std::string_view BaseTypeName(std::string_view name) {
  if (StartsWithIgnoreCase(name, "Tevra")) name.remove_prefix(5);
  if (EndsWithIgnoreCase(name, "Enum")) name.remove_suffix(4);
  return name;
}

constexpr bool ContextMatches(std::string_view context, EnumContext wanted) {
  const std::size_t dot = wanted.interfaceName.size();
  return context.size() == dot + 1 + wanted.memberName.size() && context[dot] == '.' &&
         EqualsNoCase(context.substr(0, dot), wanted.interfaceName) &&
         EqualsNoCase(context.substr(dot + 1), wanted.memberName);
}

const EnumType* FindType(std::string_view typeName) {
  const std::span<const EnumType> types = EnumTypes();
  if (EqualsNoCase(typeName, kBooleanTypeName)) {
    for (const EnumType& type : types)
      if (type.name == kBooleanTypeName) return &type;
    return nullptr;
  }
  const std::string_view base = BaseTypeName(typeName);
  for (const EnumType& type : types)
    if (type.name != kBooleanTypeName && EqualsNoCase(type.name, base)) return &type;
  return nullptr;
}

// The entries of one context: the run of consecutive entries that name it.
std::span<const EnumContextTable> ContextRun(std::span<const EnumContextTable> contexts,
                                             std::size_t first) {
  std::size_t end = first + 1;
  while (end < contexts.size() && contexts[end].context == contexts[first].context) ++end;
  return contexts.subspan(first, end - first);
}

}  // namespace

bool CEnumCommand::ToCommand(std::int32_t value, std::string_view& word) const {
  for (const EnumRow& row : rows_) {
    if (row.value == value) {
      word = row.words[0];
      return true;
    }
  }
  return false;
}

bool CEnumCommand::FromCommand(std::string_view word, std::int32_t& value) const {
  for (const EnumRow& row : rows_) {
    for (std::string_view candidate : row.words) {
      if (candidate.empty()) break;
      if (candidate == word) {
        value = row.value;
        return true;
      }
    }
  }
  return false;
}

EnumContext SplitEnumContext(std::string_view text) {
  const std::size_t dot = text.find('.');
  if (dot == std::string_view::npos) return {text, {}};
  return {text.substr(0, dot), text.substr(dot + 1)};
}

EnumContext EnumContextOf(const core::MethodRecord* method) {
  if (!method) return {};
  std::string_view member = method->methodName ? method->methodName : "";
  if (member.starts_with("get_") || member.starts_with("put_")) member.remove_prefix(4);
  return {method->interfaceName ? method->interfaceName : "", member};
}

const CEnumCommand* CEnumCommandConverter::TableFor(std::string_view family) const {
  const CEnumCommand* fallback = nullptr;
  for (const EnumContextTable& entry : tables_) {
    if (entry.table.Family() == family) return &entry.table;
    if (entry.table.Family() == kAnyFamily) fallback = &entry.table;
  }
  return fallback;
}

bool CEnumCommandConverter::ToCommand(std::string_view family, std::int32_t value,
                                      std::string_view& word) const {
  const CEnumCommand* table = TableFor(family);
  return table && table->ToCommand(value, word);
}

bool CEnumCommandConverter::FromCommand(std::string_view family, std::string_view word,
                                        std::int32_t& value) const {
  const CEnumCommand* table = TableFor(family);
  return table && table->FromCommand(word, value);
}

std::size_t CEnumCommandConverter::LongestWord() const {
  std::size_t longest = 0;
  for (const EnumContextTable& entry : tables_)
    for (const EnumRow& row : entry.table.Rows())
      for (std::string_view word : row.words) longest = std::max(longest, word.size());
  return longest;
}

std::optional<CEnumCommandConverter> FindEnumConverter(std::string_view typeName,
                                                       EnumContext context) {
  const EnumType* type = FindType(typeName);
  if (!type || type->contexts.empty()) return std::nullopt;
  if (context.Empty()) return CEnumCommandConverter(ContextRun(type->contexts, 0));
  for (std::size_t i = 0; i < type->contexts.size(); ++i)
    if (ContextMatches(type->contexts[i].context, context))
      return CEnumCommandConverter(ContextRun(type->contexts, i));
  return std::nullopt;
}

}  // namespace tevra::state
