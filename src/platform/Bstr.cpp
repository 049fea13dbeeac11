#include "platform/Bstr.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace tevra::platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = s[i];
    char32_t cp;
    std::size_t len;
    if (c < 0x80) {
      cp = c;
      len = 1;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      len = 3;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      len = 4;
    } else {
      out.push_back(static_cast<char16_t>(kReplacement));
      ++i;
      continue;
    }
    bool ok = i + len <= n;
    for (std::size_t k = 1; ok && k < len; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (!ok || cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(static_cast<char16_t>(kReplacement));
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

BSTR AllocBstr(std::string_view utf8) {
  bool ascii = true;
  for (char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    BSTR b = TevraSysAllocStringLen(nullptr, static_cast<std::uint32_t>(utf8.size()));
    if (b)
      for (std::size_t i = 0; i < utf8.size(); ++i) b[i] = static_cast<char16_t>(utf8[i]);
    return b;
  }
  const std::u16string w = Utf8ToUtf16(utf8);
  return TevraSysAllocStringLen(w.data(), static_cast<std::uint32_t>(w.size()));
}

std::u16string_view BstrView(const OLECHAR* text) {
  if (!text) return {};
  return {text, TevraSysStringLen(const_cast<BSTR>(text))};
}

std::string BstrToUtf8(const OLECHAR* text) { return Utf16ToUtf8(BstrView(text)); }

}  // namespace tevra::platform

using tevra::platform::BstrView;

extern "C" {

TEVRA_API BSTR TevraSysAllocStringLen(LPCOLESTR text, std::uint32_t length) {
  if (length > 0x3FFFFFF0u) return nullptr;
  const std::size_t bytes = sizeof(std::uint32_t) + (std::size_t{length} + 1) * sizeof(OLECHAR);
  auto* block = static_cast<unsigned char*>(std::malloc(bytes));
  if (!block) return nullptr;
  const std::uint32_t byteLength = length * sizeof(OLECHAR);
  std::memcpy(block, &byteLength, sizeof byteLength);
  auto* chars = reinterpret_cast<OLECHAR*>(block + sizeof(std::uint32_t));
  if (text)
    std::memcpy(chars, text, std::size_t{length} * sizeof(OLECHAR));
  else
    std::memset(chars, 0, std::size_t{length} * sizeof(OLECHAR));
  chars[length] = 0;
  return chars;
}

TEVRA_API BSTR TevraSysAllocString(LPCOLESTR text) {
  if (!text) return nullptr;
  std::uint32_t n = 0;
  while (text[n]) ++n;
  return TevraSysAllocStringLen(text, n);
}

TEVRA_API void TevraSysFreeString(BSTR text) {
  if (text) std::free(reinterpret_cast<unsigned char*>(text) - sizeof(std::uint32_t));
}

TEVRA_API std::uint32_t TevraSysStringByteLen(BSTR text) {
  if (!text) return 0;
  std::uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<unsigned char*>(text) - sizeof(std::uint32_t), sizeof bytes);
  return bytes;
}

TEVRA_API std::uint32_t TevraSysStringLen(BSTR text) {
  return TevraSysStringByteLen(text) / sizeof(OLECHAR);
}
}
