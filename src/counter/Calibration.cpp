#include "counter/Calibration.h"

#include <string>

#include "counter/PartsGroup.h"
#include "counter/Property.h"
#include "io/FormattedOutput.h"

namespace tevra::counter {
namespace {

using core::In;
using core::Out;

// What a simulated microwave level calibration reports.
constexpr LONG kSimulatedLevelCalibration = 1;

}  // namespace

#define TEVRA_ROWS "counter/members/ITevraCalibration.def"
#define TEVRA_CLASS CalibrationInterface
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"

// The code goes to the instrument with the state and is never kept; a simulated instrument keeps
// the state for the security state's get.
HRESULT CalibrationInterface::SecurityEnabled(VARIANT_BOOL SecurityState, BSTR SecurityCode) {
  return d_.Enter(
      rows::ITevraCalibration_SecurityEnabled.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (d_.Simulating())
          return PutSimulated(d_, rows::ITevraCalibration_SecurityState, SecurityState);
        return d_.Io().WriteString(frame.command, true, core::kDefaultTimeout);
      },
      In("SecurityState", SecurityState), In("SecurityCode", SecurityCode));
}

// The microwave input is channel 2 of the QX1100 and channel 3 of the other models; the
// instrument names its model in its reply to "Syst:Lang?". Both queries run with the session
// timeout raised to at least the row's, which the session puts back afterwards.
HRESULT CalibrationInterface::MicroWaveChannelLevelCalibration(double Frequency, double Power,
                                                               LONG* Val) {
  const Method& row = rows::ITevraCalibration_MicroWaveChannelLevelCalibration;
  return d_.Enter(
      row.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (d_.Simulating()) {
          *Val = kSimulatedLevelCalibration;
          return S_OK;
        }
        core::IIoSession& io = d_.Io();
        std::int32_t timeout = core::kDefaultTimeout;
        if (HRESULT hr = TimeoutAtLeast(io, row.timeout, timeout); FAILED(hr)) return hr;
        std::string language;
        if (HRESULT hr = io.QueryString(frame.command, language, timeout); FAILED(hr)) return hr;
        const char* level = language == "QX1100" ? "CALibration:LEVel2?" : "CALibration:LEVel3?";
        std::string command;
        if (HRESULT hr = io::FormatToString(command, nullptr, "%s %f,%f ", level, Frequency, Power);
            FAILED(hr))
          return hr;
        return QueryCommand(io, command, "%d", core::ScanArg(Val), timeout);
      },
      In("Frequency", Frequency), In("Power", Power), Out("Val", Val));
}

std::unique_ptr<InterfaceGroup> CreateCalibrationGroup(Tevra& driver) {
  return std::make_unique<PartsGroup<CalibrationInterface>>(driver);
}

}  // namespace tevra::counter
