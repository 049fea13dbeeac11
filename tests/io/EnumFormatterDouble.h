// A small enumeration formatter for the format tests: the coupling words AC (1) and DC (2) under
// the type name "Coupling" (any case); failures return the statuses the driver's tables report.
#pragma once

#include <strings.h>

#include <string_view>

#include "core/IIoSession.h"

namespace tevra::io::testing {

inline constexpr HRESULT kInvalidValueStatus = static_cast<HRESULT>(0x80047010u);
inline constexpr HRESULT kUnexpectedResponseStatus = static_cast<HRESULT>(0x80047059u);

class CouplingFormatter final : public core::IEnumFormatter {
 public:
  HRESULT Format(std::string_view typeName, std::int32_t value, std::string_view& word) override {
    if (!IsCoupling(typeName)) return E_FAIL;
    if (value != 1 && value != 2) return kInvalidValueStatus;
    word = value == 1 ? "AC" : "DC";
    return S_OK;
  }
  HRESULT Parse(std::string_view typeName, std::string_view word, std::int32_t& value) override {
    if (!IsCoupling(typeName)) return E_FAIL;
    if (word != "AC" && word != "DC") return kUnexpectedResponseStatus;
    value = word == "AC" ? 1 : 2;
    return S_OK;
  }

 private:
  static bool IsCoupling(std::string_view name) {
    return name.size() == 8 && strncasecmp(name.data(), "coupling", 8) == 0;
  }
};

}  // namespace tevra::io::testing
