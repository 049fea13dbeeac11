#include "core/InitialSettings.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/Options.h"

namespace tevra::core {
namespace {

// Text converts when the whole of it (after trimming) is a number.
template <class T>
std::optional<T> ParseWhole(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

}  // namespace

void InitialSettings::Set(std::string_view name, SettingValue value) {
  values_.insert_or_assign(ToLower(name), std::move(value));
}

std::optional<SettingValue> InitialSettings::Find(std::string_view name) const {
  const auto it = values_.find(ToLower(name));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::optional<bool> InitialSettings::FindBool(std::string_view name) const {
  const auto v = Find(name);
  if (!v) return std::nullopt;
  if (const bool* b = std::get_if<bool>(&*v)) return *b;
  if (const std::int32_t* i = std::get_if<std::int32_t>(&*v)) return *i != 0;
  if (const double* d = std::get_if<double>(&*v)) return *d != 0.0;
  bool parsed = false;
  if (ParseBoolWord(std::get<std::string>(*v), parsed)) return parsed;
  return std::nullopt;
}

std::optional<double> InitialSettings::FindDouble(std::string_view name) const {
  const auto v = Find(name);
  if (!v) return std::nullopt;
  if (const double* d = std::get_if<double>(&*v)) return *d;
  if (const std::int32_t* i = std::get_if<std::int32_t>(&*v)) return *i;
  if (const bool* b = std::get_if<bool>(&*v)) return *b ? -1.0 : 0.0;  // a true boolean is -1
  return ParseWhole<double>(std::get<std::string>(*v));
}

std::optional<std::int32_t> InitialSettings::FindInt32(std::string_view name) const {
  const auto v = Find(name);
  if (!v) return std::nullopt;
  if (const std::int32_t* i = std::get_if<std::int32_t>(&*v)) return *i;
  if (const bool* b = std::get_if<bool>(&*v)) return *b ? -1 : 0;
  if (const double* d = std::get_if<double>(&*v)) {
    // Rounds to the nearest integer, as a variant conversion does; out of range does not convert.
    const double r = std::nearbyint(*d);
    if (!(r >= std::numeric_limits<std::int32_t>::min() &&
          r <= std::numeric_limits<std::int32_t>::max()))
      return std::nullopt;
    return static_cast<std::int32_t>(r);
  }
  return ParseWhole<std::int32_t>(std::get<std::string>(*v));
}

}  // namespace tevra::core
