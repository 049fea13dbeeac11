#include "counter/MeasurementTotalize.h"

#include "counter/Setting.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {
namespace {

using core::kQX1100;

constexpr const char* kItf = "ITevraTotalizeContinuous";

constexpr core::MethodRecord kStart{
    &IID_ITevraTotalizeContinuous, kItf, "Start", 0, kQX1100, "INIT"};
constexpr core::MethodRecord kStop{&IID_ITevraTotalizeContinuous, kItf, "Stop", 0, kQX1100, "ABOR"};
constexpr core::MethodRecord kReadCount{&IID_ITevraTotalizeContinuous2,
                                        "ITevraTotalizeContinuous2",
                                        "ReadCount",
                                        0,
                                        kQX1100,
                                        "TOT:DATA?",
                                        "%lg"};

}  // namespace

HRESULT StartContinuousTotalize(core::CDriver& driver) { return SendCommand(driver, kStart); }

HRESULT StopContinuousTotalize(core::CDriver& driver) { return SendCommand(driver, kStop); }

HRESULT ReadContinuousTotalizeCount(core::CDriver& driver, double* Val) {
  return driver.Enter(
      kReadCount,
      [&](core::CallFrame& frame) -> HRESULT {
        // The simulated instrument counts nothing.
        if (driver.Simulating()) return S_OK;
        return QueryCommand(driver.Io(), frame.command, frame.method->responseFormat,
                            core::ScanArg(Val));
      },
      core::Out("Val", Val));
}

}  // namespace tevra::counter
