// The simulated branch of every declared setting: a put stores the value in the store of the
// node that received the call, a get answers the stored value or the setting's simulated default.
#pragma once

#include <string_view>
#include <type_traits>

#include "core/Node.h"
#include "platform/Bstr.h"
#include "state/SimulatedDefaults.h"

namespace tevra::state {

// The cache entry type of a value type: enumerations are kept as their 32-bit values.
template <class T>
using CacheTypeOf = std::conditional_t<std::is_enum_v<T>, std::int32_t, T>;

template <class T>
HRESULT PutSimulated(core::CNode& node, std::string_view key, T value) {
  auto* entry = node.Cache().GetCacheEntry<CacheTypeOf<T>>(key);
  if (!entry) return E_UNEXPECTED;  // two settings share a key with different types
  return entry->SetValue(static_cast<CacheTypeOf<T>>(value)) ? S_OK : E_OUTOFMEMORY;
}

template <class T>
HRESULT GetSimulated(core::CNode& node, std::string_view key, T& out) {
  using Stored = CacheTypeOf<T>;
  auto* entry = node.Cache().GetCacheEntry<Stored>(key);
  if (!entry) return E_UNEXPECTED;
  Stored value{};
  if (entry->GetValue(value)) {
    out = static_cast<T>(value);
    return S_OK;
  }
  const SimulatedDefault* d = FindSimulatedDefault(key);
  if constexpr (std::is_same_v<T, BSTR>) {
    out = platform::AllocBstr(d ? d->text : std::string_view());
    return out ? S_OK : E_OUTOFMEMORY;
  } else {
    out = static_cast<T>(d ? d->number : 0);
    return S_OK;
  }
}

}  // namespace tevra::state
