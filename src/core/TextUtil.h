// Text helpers for the ASCII words of options, resource strings, file names and instrument
// replies: case-insensitive comparison, trimming and case folding, independent of the locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tevra::core {

// Space, tab, line feed, carriage return, vertical tab and form feed.
constexpr bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

constexpr char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}
constexpr bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}
constexpr bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}
// Position of the first occurrence of needle in text, without regard to case; npos when none.
constexpr std::size_t FindNoCase(std::string_view text, std::string_view needle) {
  for (std::size_t at = 0; at + needle.size() <= text.size(); ++at)
    if (EqualsNoCase(text.substr(at, needle.size()), needle)) return at;
  return std::string_view::npos;
}

// Without the white space at either end (or at the end only).
constexpr std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
  return text;
}
constexpr std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
  return TrimRight(text);
}

inline std::string ToLower(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = LowerAscii(c);
  return folded;
}
inline std::string ToUpper(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = UpperAscii(c);
  return folded;
}

}  // namespace tevra::core
