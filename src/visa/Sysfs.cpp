#include "visa/Sysfs.h"

#include <charconv>
#include <fstream>

namespace tevra::visa {

std::string SysfsLine(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

std::optional<unsigned> SysfsHex(const std::filesystem::path& file) {
  const std::string text = SysfsLine(file);
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
  return value;
}

}  // namespace tevra::visa
