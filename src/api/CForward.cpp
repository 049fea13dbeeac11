#include "api/CForward.h"

#include <string>

namespace tevra::api::detail {

// The names joined as "a,b,c" (each name followed by a comma, the last comma removed).
ViStatus Arg<SAFEARRAY**, OutJoined>::Deliver() {
  if (!value) return platform::CopyString(static_cast<const char*>(nullptr), out.size, out.buffer);
  void* data = nullptr;
  std::size_t count = 0;
  constexpr VARTYPE kAccepted[] = {VT_BSTR};
  if (!platform::ViewVector(value, kAccepted, data, count)) return kCStatusUnknownResult;
  std::string joined;
  for (std::size_t i = 0; i < count; ++i) {
    joined += platform::BstrToUtf8(static_cast<BSTR*>(data)[i]);
    joined += ',';
  }
  if (!joined.empty()) joined.pop_back();
  return platform::CopyString(joined, out.size, out.buffer);
}

}  // namespace tevra::api::detail
