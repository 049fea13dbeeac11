// The floor of a simulated property get: the getter with nothing around it, a virtual call that
// copies the stored value out. Its body is in its own file so that the caller cannot see it and
// the call stays a real virtual call.
#pragma once

#include "tevra/TevraTypes.h"

namespace tevra::workloads {

struct BareLimits {
  virtual ~BareLimits() = default;
  virtual HRESULT get_Lower(double* value);
  double lower = 0;
};

BareLimits* MakeBareLimits();

}  // namespace tevra::workloads
