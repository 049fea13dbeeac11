// Configurable initial settings: named values of the configuration store's session or software
// module, typed as the store types them, with lookups that convert to what the caller needs.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tevra::core {

using SettingValue = std::variant<std::string, std::int32_t, double, bool>;

class InitialSettings {
 public:
  void Clear() { values_.clear(); }
  // Names are kept in lower case.
  void Set(std::string_view name, SettingValue value);

  std::optional<SettingValue> Find(std::string_view name) const;
  // Converted lookups: a value that does not convert counts as not found.
  std::optional<bool> FindBool(std::string_view name) const;
  std::optional<double> FindDouble(std::string_view name) const;
  std::optional<std::int32_t> FindInt32(std::string_view name) const;

 private:
  std::map<std::string, SettingValue, std::less<>> values_;
};

}  // namespace tevra::core
