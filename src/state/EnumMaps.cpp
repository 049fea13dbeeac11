#include "state/EnumMaps.h"

#include "core/TextUtil.h"

namespace tevra::state {
namespace {

using core::EqualsNoCase;

const core::EnumWords* FindType(std::string_view base) {
  for (const core::EnumWords& type : EnumTypes())
    if (EqualsNoCase(type.type, base)) return &type;
  return nullptr;
}

}  // namespace

const core::EnumWords* CEnumCommandConverter::WordsFor(std::string_view family) const {
  const core::EnumWords* fallback = nullptr;
  for (const core::EnumWords& words : words_) {
    if (words.family == family) return &words;
    if (words.family == kAnyFamily) fallback = &words;
  }
  return fallback;
}

bool CEnumCommandConverter::ToCommand(std::string_view family, std::int32_t value,
                                      std::string_view& word) const {
  if (const core::EnumWords* words = WordsFor(family)) {
    for (const core::EnumRow& row : words->rows) {
      if (row.value == value) {
        word = row.words[0];
        return true;
      }
    }
  }
  return false;
}

bool CEnumCommandConverter::FromCommand(std::string_view family, std::string_view word,
                                        std::int32_t& value) const {
  if (const core::EnumWords* words = WordsFor(family)) {
    for (const core::EnumRow& row : words->rows) {
      for (std::string_view candidate : row.words) {
        if (candidate.empty()) break;
        if (candidate == word) {
          value = row.value;
          return true;
        }
      }
    }
  }
  return false;
}

std::optional<CEnumCommandConverter> FindEnumConverter(std::string_view typeName,
                                                       const core::MethodRecord* running) {
  const std::string_view base = core::BaseTypeName(typeName);
  if (base.empty()) return std::nullopt;
  if (running) {
    const std::span<const core::EnumWords> links = core::LinksOf(running->enums, base);
    if (links.empty()) return std::nullopt;
    return CEnumCommandConverter(links);
  }
  const core::EnumWords* type = FindType(base);
  if (!type) return std::nullopt;
  return CEnumCommandConverter({type, 1});
}

}  // namespace tevra::state
