// Conversions between the driver's UTF-8 text and the object interface's counted UTF-16 strings,
// and an owning wrapper that frees a BSTR on scope exit.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "tevra/TevraTypes.h"

namespace tevra::platform {

// Decodes UTF-8; malformed sequences become U+FFFD rather than failing.
std::u16string Utf8ToUtf16(std::string_view text);
// Encodes UTF-16; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// New BSTR holding the UTF-8 text, or null when allocation fails.
BSTR AllocBstr(std::string_view utf8);
std::string BstrToUtf8(const OLECHAR* text);  // null reads as empty
std::u16string_view BstrView(const OLECHAR* text);

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::string_view utf8) : p_(AllocBstr(utf8)) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~Bstr() { TevraSysFreeString(p_); }

  BSTR get() const { return p_; }
  BSTR* out() {  // frees the current string and lends the slot to an output parameter
    TevraSysFreeString(std::exchange(p_, nullptr));
    return &p_;
  }
  BSTR release() { return std::exchange(p_, nullptr); }
  std::string utf8() const { return BstrToUtf8(p_); }

 private:
  BSTR p_ = nullptr;
};

}  // namespace tevra::platform
