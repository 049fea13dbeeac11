// ITevraSystem.TraceEnabled: on a live session it pauses and resumes the method trace; in
// simulation it is a stored setting like any other and leaves the trace alone.
#include "counter/MeasurementWait.h"
#include "counter/Tevra.h"
#include "state/SimulatedValue.h"

namespace tevra::counter {
namespace {

constexpr const char* kKey = "ITevraSystem.TraceEnabled";
constexpr core::MethodRecord kGetTraceEnabled{&IID_ITevraSystem, "ITevraSystem",
                                              "get_TraceEnabled"};
constexpr core::MethodRecord kPutTraceEnabled{&IID_ITevraSystem, "ITevraSystem",
                                              "put_TraceEnabled"};

}  // namespace

HRESULT OperationCompleteInterface::get_TraceEnabled(VARIANT_BOOL* val) {
  return driver_.Enter(
      kGetTraceEnabled,
      [&]() -> HRESULT {
        if (driver_.Simulating()) return state::GetSimulated(driver_, kKey, *val);
        *val = driver_.Trace().GetTraceEnabled() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
      },
      core::Out("val", val));
}

HRESULT OperationCompleteInterface::put_TraceEnabled(VARIANT_BOOL val) {
  return driver_.Enter(
      kPutTraceEnabled,
      [&]() -> HRESULT {
        if (driver_.Simulating()) return state::PutSimulated(driver_, kKey, val);
        return driver_.Trace().PutTraceEnabled(val != VARIANT_FALSE);
      },
      core::In("val", val));
}

}  // namespace tevra::counter
