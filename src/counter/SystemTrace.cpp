// ITevraSystem.TraceEnabled: on a live session it pauses and resumes the method trace; in
// simulation it is a stored setting like any other and leaves the trace alone.
#include "counter/MeasurementWait.h"
#include "counter/Property.h"
#include "counter/Tevra.h"

namespace tevra::counter {
HRESULT OperationCompleteInterface::get_TraceEnabled(VARIANT_BOOL* val) {
  return driver_.Enter(
      rows::ITevraSystem_TraceEnabled.get,
      [&]() -> HRESULT {
        if (driver_.Simulating())
          return GetSimulated(driver_, rows::ITevraSystem_TraceEnabled, *val);
        *val = driver_.Trace().GetTraceEnabled() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
      },
      core::Out("val", val));
}

HRESULT OperationCompleteInterface::put_TraceEnabled(VARIANT_BOOL val) {
  return driver_.Enter(
      rows::ITevraSystem_TraceEnabled.put,
      [&]() -> HRESULT {
        if (driver_.Simulating())
          return PutSimulated(driver_, rows::ITevraSystem_TraceEnabled, val);
        return driver_.Trace().PutTraceEnabled(val != VARIANT_FALSE);
      },
      core::In("val", val));
}

}  // namespace tevra::counter
