// ITevraSystem.WaitForOperationComplete: waits for the instrument's "*OPC?" reply, at least
// 100 ms, with the status check off for the wait.
#include "counter/System.h"

#include <algorithm>

#include "counter/Property.h"

namespace tevra::counter {
namespace {

constexpr LONG kShortestWait = 100;

}  // namespace

HRESULT SystemInterface::WaitForOperationComplete(LONG MaxTimeMilliseconds) {
  return d_.Enter(
      rows::ITevraSystem_WaitForOperationComplete.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (d_.Simulating()) return S_OK;
        const StatusCheckOff statusCheckOff(d_);
        std::int32_t complete = -1;
        const HRESULT hr = d_.Io().QueryNumber(frame.command, core::ScanArg(&complete),
                                               std::max(MaxTimeMilliseconds, kShortestWait));
        if (complete == -1)
          return d_.Reporter().ReportV(core::Code::IoTimeout, {"WaitForOperationComplete"});
        return hr;
      },
      core::In("MaxTimeMilliseconds", MaxTimeMilliseconds));
}

}  // namespace tevra::counter
