#include "counter/MeasurementWait.h"

#include <algorithm>

#include "counter/Property.h"

namespace tevra::counter {
namespace {

constexpr LONG kShortestWait = 100;

// The "*OPC?" reply is the instrument's answer; polling "*ESR?" around it would only add a
// second exchange to a wait the caller bounded. The earlier setting comes back in every case.
class StatusCheckOff {
 public:
  explicit StatusCheckOff(Tevra& driver)
      : driver_(driver), was_(driver.Flags().queryInstrumentStatus) {
    driver_.SetQueryInstrumentStatus(false);
  }
  ~StatusCheckOff() { driver_.SetQueryInstrumentStatus(was_); }
  StatusCheckOff(const StatusCheckOff&) = delete;
  StatusCheckOff& operator=(const StatusCheckOff&) = delete;

 private:
  Tevra& driver_;
  bool was_;
};

}  // namespace

#define TEVRA_ROWS "counter/members/ITevraSystem.def"
#define TEVRA_CLASS OperationCompleteInterface
#define TEVRA_NODE driver_
#include "counter/DefineAccessors.inc"

HRESULT OperationCompleteInterface::WaitForOperationComplete(LONG MaxTimeMilliseconds) {
  return driver_.Enter(
      rows::ITevraSystem_WaitForOperationComplete.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (driver_.Simulating()) return S_OK;
        const StatusCheckOff statusCheckOff(driver_);
        std::int32_t complete = -1;
        const HRESULT hr = driver_.Io().QueryNumber(frame.command, core::ScanArg(&complete),
                                                    std::max(MaxTimeMilliseconds, kShortestWait));
        if (complete == -1)
          return driver_.Reporter().ReportV(core::Code::IoTimeout, {"WaitForOperationComplete"});
        return hr;
      },
      core::In("MaxTimeMilliseconds", MaxTimeMilliseconds));
}

}  // namespace tevra::counter
