#include "BareGetter.h"

namespace tevra::workloads {

HRESULT BareLimits::get_Lower(double* value) {
  *value = lower;
  return S_OK;
}

BareLimits* MakeBareLimits() { return new BareLimits; }

}  // namespace tevra::workloads
