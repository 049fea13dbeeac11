// Slow reads run with the session timeout raised to a floor and put back afterwards, whatever
// the read returned.
#pragma once

#include <cstdint>

#include "core/IoSession.h"

namespace tevra::counter {

template <class Operation>
HRESULT WithTimeoutAtLeast(core::IIoSession& io, std::int32_t floor, Operation operation) {
  std::int32_t previous = 0;
  if (HRESULT hr = io.GetTimeout(previous); FAILED(hr)) return hr;
  if (previous >= floor) return operation();
  if (HRESULT hr = io.SetTimeout(floor); FAILED(hr)) return hr;
  const HRESULT result = operation();
  const HRESULT restored = io.SetTimeout(previous);
  return FAILED(result) ? result : FAILED(restored) ? restored : result;
}

}  // namespace tevra::counter
