// The key store's tree in memory and its text form (the format is described in KeyStore.h).
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <set>
#include <utility>

#include "platform/KeyStore.h"

namespace tevra::platform {
namespace {

constexpr std::string_view kHeader = "Tevra key store 1";
constexpr std::string_view kHeaderName = "Tevra key store ";

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// The characters written as a backslash and a letter, with their letters; the other control
// characters are written \xHH.
constexpr std::pair<char, char> kEscapes[] = {
    {'\\', '\\'}, {'"', '"'}, {'\n', 'n'}, {'\r', 'r'}, {'\t', 't'}};

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    const auto escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                     [c](const auto& e) { return e.first == c; });
    if (escape != std::end(kEscapes)) {
      out += '\\';
      out += escape->second;
    } else if (IsControl(c)) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
      out += hex;
    } else {
      out += c;
    }
  }
  out += '"';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads the quoted text that starts at line[at], leaving at past its closing quote. Null on
// success, else the reason.
const char* ReadQuoted(std::string_view line, std::size_t& at, std::string& out) {
  if (at >= line.size() || line[at] != '"') return "expected a quoted text";
  out.clear();
  for (++at; at < line.size(); ++at) {
    const char c = line[at];
    if (c == '"') {
      ++at;
      return nullptr;
    }
    if (IsControl(c)) return "a control character not written as an escape";
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++at == line.size()) break;
    const auto escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                     [&](const auto& e) { return e.second == line[at]; });
    if (escape != std::end(kEscapes)) {
      out += escape->first;
    } else if (line[at] != 'x') {
      return "an unknown escape (\\\\, \\\", \\n, \\r, \\t and \\xHH are known)";
    } else {
      const int high = at + 2 < line.size() ? HexDigit(line[at + 1]) : -1;
      const int low = high >= 0 ? HexDigit(line[at + 2]) : -1;
      if (low < 0) return "\\x takes two hexadecimal digits";
      out += static_cast<char>(high * 16 + low);
      at += 2;
    }
  }
  return "quoted text without its closing quote";
}

// Reads one value line of the current key into tree. Null on success, else the reason.
const char* ReadValue(std::string_view line, const std::string& path, KeyTree& tree) {
  std::size_t at = 0;
  std::string name;
  if (line.front() == '@') {
    at = 1;
  } else {
    if (const char* why = ReadQuoted(line, at, name)) return why;
    if (name.empty()) return "an empty value name (the default value is written @=)";
  }
  if (at == line.size() || line[at] != '=') return "expected = after the value's name";
  std::string value;
  ++at;
  if (const char* why = ReadQuoted(line, at, value)) return why;
  if (at != line.size()) return "text after the value";
  const StoreKey& key = *tree.Find(path);
  if (name.empty() ? key.defaultValue.has_value() : key.values.contains(name))
    return "a second value of the same name in this key";
  tree.SetValue(path, name, value);
  return nullptr;
}

}  // namespace

bool KeyPathLess::operator()(std::string_view a, std::string_view b) const {
  const auto rank = [](char c) { return c == '\\' ? 0 : static_cast<unsigned char>(c) + 1; };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char x, char y) { return rank(x) < rank(y); });
}

bool IsKeyPath(std::string_view path) {
  std::size_t nameLength = 0;
  for (const char c : path) {
    if (IsControl(c)) return false;
    if (c != '\\') {
      ++nameLength;
    } else if (std::exchange(nameLength, 0) == 0) {
      return false;
    }
  }
  return nameLength != 0;
}

bool KeyTree::CreateKey(std::string_view path) {
  if (!IsKeyPath(path)) return false;
  for (std::size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
    const std::string_view prefix = path.substr(0, end);
    if (!keys_.contains(prefix)) keys_.emplace(prefix, StoreKey{});
    if (end == std::string_view::npos) return true;
  }
}

bool KeyTree::SetValue(std::string_view path, std::string_view name, std::string_view value) {
  if (!CreateKey(path)) return false;
  StoreKey& key = keys_.find(path)->second;
  if (name.empty()) {
    key.defaultValue = value;
  } else if (const auto found = key.values.find(name); found != key.values.end()) {
    found->second = value;
  } else {
    key.values.emplace(name, value);
  }
  return true;
}

KeyTree::Range KeyTree::Tree(std::string_view path) const {
  const auto first = keys_.lower_bound(path);
  auto last = first;
  while (last != keys_.end() && last->first.starts_with(path) &&
         (last->first.size() == path.size() || last->first[path.size()] == '\\'))
    ++last;
  return {first, last};
}

void KeyTree::DeleteTree(std::string_view path) {
  const auto tree = Tree(path);
  keys_.erase(tree.begin(), tree.end());
}

const StoreKey* KeyTree::Find(std::string_view path) const {
  const auto found = keys_.find(path);
  return found == keys_.end() ? nullptr : &found->second;
}

void AppendKeyText(std::string& out, std::string_view path, const StoreKey& key) {
  out += '[';
  out += path;
  out += "]\n";
  if (key.defaultValue) {
    out += '@';
    out += '=';
    AppendQuoted(out, *key.defaultValue);
    out += '\n';
  }
  for (const auto& [name, value] : key.values) {
    AppendQuoted(out, name);
    out += '=';
    AppendQuoted(out, value);
    out += '\n';
  }
}

std::string FormatKeyStore(const KeyTree& tree) {
  std::string out(kHeader);
  out += '\n';
  for (const auto& [path, key] : tree.keys()) {
    out += '\n';
    AppendKeyText(out, path, key);
  }
  return out;
}

bool ParseKeyStore(std::string_view text, KeyTree& out, std::string& error) {
  KeyTree tree;
  std::set<std::string, KeyPathLess> listed;
  std::string path;  // the current key; empty before the first
  std::size_t number = 0;
  const auto fail = [&](std::string_view why) {
    error = "line " + std::to_string(number) + ": ";
    error += why;
    return false;
  };
  for (std::size_t at = 0; at < text.size() || number == 0;) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++number;
    if (number == 1) {
      if (line == kHeader) continue;
      return fail(line.starts_with(kHeaderName)
                      ? "a key store version this library does not read (it reads 1)"
                      : "not a Tevra key store (the first line is not \"Tevra key store 1\")");
    }
    if (line.empty()) continue;
    if (line.front() == '[') {
      if (line.size() < 2 || line.back() != ']') return fail("a key line that does not end in ]");
      path = line.substr(1, line.size() - 2);
      if (!IsKeyPath(path))
        return fail("an invalid key path (an empty name or a control character)");
      if (!listed.insert(path).second) return fail("a key listed twice");
      tree.CreateKey(path);
    } else if (path.empty()) {
      return fail("a value before the first key");
    } else if (const char* why = ReadValue(line, path, tree)) {
      return fail(why);
    }
  }
  out = std::move(tree);
  return true;
}

}  // namespace tevra::platform
