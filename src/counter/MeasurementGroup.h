// The measurement group of the driver object: readings (ITevraMeasurement and the class-compliant
// IIviCounterMeasurement), the trigger system (ITevraTrigger) and the wait for the instrument
// (ITevraSystem.WaitForOperationComplete).
#pragma once

#include <memory>

#include "counter/InterfaceGroup.h"

namespace tevra::counter {

std::unique_ptr<InterfaceGroup> CreateMeasurementGroup(Tevra& driver);

}  // namespace tevra::counter
