// Reading sysfs attribute files: a line of text, or a number written in hexadecimal.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tevra::visa {

// The first line of file without its trailing blanks; empty when the file cannot be read.
std::string SysfsLine(const std::filesystem::path& file);
// A number written in hexadecimal ("0957", "00"); none when the file holds anything else.
std::optional<unsigned> SysfsHex(const std::filesystem::path& file);

}  // namespace tevra::visa
