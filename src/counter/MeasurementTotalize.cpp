#include "counter/MeasurementTotalize.h"

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

HRESULT WriteCommand(core::CDriver& driver, const core::MethodRecord& record) {
  return driver.Enter(record, [&](core::CallFrame& frame) -> HRESULT {
    if (driver.Simulating()) return S_OK;
    return driver.Io().WriteString(frame.command, true, core::kDefaultTimeout);
  });
}

}  // namespace

HRESULT StartContinuousTotalize(core::CDriver& driver) { return WriteCommand(driver, kStart); }

HRESULT StopContinuousTotalize(core::CDriver& driver) { return WriteCommand(driver, kStop); }

HRESULT ReadContinuousTotalizeCount(core::CDriver& driver, double* Val) {
  return driver.Enter(
      kReadCount,
      [&](core::CallFrame& frame) -> HRESULT {
        // The simulated instrument counts nothing.
        if (driver.Simulating()) return S_OK;
        const core::FormatArg command[] = {core::FormatArg(frame.command)};
        const core::ScanArg into[] = {core::ScanArg(Val)};
        return driver.Io().QueryFormatted("%s", command, frame.method->responseFormat, into,
                                          core::kDefaultTimeout);
      },
      core::Out("Val", Val));
}

}  // namespace tevra::counter
