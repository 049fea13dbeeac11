// The command words of an enumerated setting as one member uses them. A member's row links to
// the words of every enumeration its templates and its body convert, so a "%{Type}s" in a
// running call finds its words through the call's own record, without a lookup by name.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/TextUtil.h"

namespace tevra::core {

// The most words any row has: the word the driver sends and one other spelling the instrument
// answers with ("10" and "+10").
inline constexpr std::size_t kMaxWordsPerRow = 2;

// The family of words that serve every model family without words of its own.
inline constexpr std::string_view kAnyFamily = "";

// One value and the words that stand for it. The first word is the one the value prints as; every
// word is accepted when parsing. Unused words are empty; a row without words prints as the empty
// word and no reply parses to it.
struct EnumRow {
  std::int32_t value;
  std::array<std::string_view, kMaxWordsPerRow> words{};
};

// The words of one enumeration type for one model family. type is the type's base name
// ("Coupling" for TevraCouplingEnum) or "VARIANT_BOOL" for booleans.
struct EnumWords {
  std::string_view type;
  std::span<const EnumRow> rows;
  std::string_view family = kAnyFamily;
};

// The name under which booleans' words are linked; it is not known under other names.
inline constexpr std::string_view kBooleanTypeName = "VARIANT_BOOL";

// The base name a type is linked under: "Coupling" for Coupling, CouplingEnum, TevraCoupling and
// TevraCouplingEnum in any case; "VARIANT_BOOL" (any case) stays, and is known under no other
// name: those give the empty name.
constexpr std::string_view BaseTypeName(std::string_view name) {
  if (EqualsNoCase(name, kBooleanTypeName)) return kBooleanTypeName;
  if (StartsWithNoCase(name, "Tevra")) name.remove_prefix(5);
  if (EndsWithNoCase(name, "Enum")) name.remove_suffix(4);
  return EqualsNoCase(name, kBooleanTypeName) ? std::string_view{} : name;
}

// The links of the type (a base name) among a member's links: its words for several families
// stand together.
constexpr std::span<const EnumWords> LinksOf(std::span<const EnumWords> links,
                                             std::string_view base) {
  std::size_t first = 0;
  while (first < links.size() && !EqualsNoCase(links[first].type, base)) ++first;
  std::size_t end = first;
  while (end < links.size() && EqualsNoCase(links[end].type, base)) ++end;
  return links.subspan(first, end - first);
}

// Whether every "%{Type}s" of a format-language text has words among the links.
constexpr bool LinksEveryType(const char* text, std::span<const EnumWords> links) {
  if (!text) return true;
  const std::string_view t(text);
  for (std::size_t at = t.find("%{"); at != std::string_view::npos; at = t.find("%{", at + 2)) {
    const std::size_t close = t.find('}', at);
    if (close == std::string_view::npos) return false;
    const std::string_view base = BaseTypeName(t.substr(at + 2, close - at - 2));
    if (base.empty() || LinksOf(links, base).empty()) return false;
  }
  return true;
}

}  // namespace tevra::core
