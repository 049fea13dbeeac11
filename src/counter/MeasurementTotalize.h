// The count control of a continuous totalize: Start clears and starts the count, Stop ends it,
// ReadCount reads the running count. The object that implements ITevraTotalizeContinuous and
// ITevraTotalizeContinuous2 runs its Start, Stop and ReadCount through these.
#pragma once

#include "core/Driver.h"

namespace tevra::counter {

HRESULT StartContinuousTotalize(core::CDriver& driver);
HRESULT StopContinuousTotalize(core::CDriver& driver);
HRESULT ReadContinuousTotalizeCount(core::CDriver& driver, double* Val);

}  // namespace tevra::counter
