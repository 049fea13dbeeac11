// ITevraSystem.TraceEnabled: on a live session it pauses and resumes the method trace; in
// simulation it is a stored setting like any other and leaves the trace alone.
#include "counter/Property.h"
#include "counter/System.h"
#include "counter/Tevra.h"

namespace tevra::counter {
HRESULT SystemInterface::get_TraceEnabled(VARIANT_BOOL* val) {
  return d_.Enter(
      rows::ITevraSystem_TraceEnabled.get,
      [&]() -> HRESULT {
        if (d_.Simulating()) return GetSimulated(d_, rows::ITevraSystem_TraceEnabled, *val);
        *val = d_.Trace().GetTraceEnabled() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
      },
      core::Out("val", val));
}

HRESULT SystemInterface::put_TraceEnabled(VARIANT_BOOL val) {
  return d_.Enter(
      rows::ITevraSystem_TraceEnabled.put,
      [&]() -> HRESULT {
        if (d_.Simulating()) return PutSimulated(d_, rows::ITevraSystem_TraceEnabled, val);
        return d_.Trace().PutTraceEnabled(val != VARIANT_FALSE);
      },
      core::In("val", val));
}

}  // namespace tevra::counter
