// The list of the driver object's interface groups; each group lives in its own files.
#include "counter/InterfaceGroup.h"

#include "counter/ArmGroup.h"
#include "counter/Calibration.h"
#include "counter/FunctionGroup.h"
#include "counter/InstrumentParts.h"
#include "counter/Math.h"
#include "counter/MeasurementGroup.h"
#include "counter/Memory.h"
#include "counter/Status.h"
#include "counter/System.h"

namespace tevra::counter {

std::vector<std::unique_ptr<InterfaceGroup>> CreateInterfaceGroups(Tevra& driver) {
  std::vector<std::unique_ptr<InterfaceGroup>> groups;
  groups.push_back(CreateMeasurementGroup(driver));
  groups.push_back(CreateArmGroup(driver));
  groups.push_back(CreateFunctionGroup(driver));
  groups.push_back(CreateMathGroup(driver));
  groups.push_back(CreateInstrumentGroup(driver));
  groups.push_back(CreateSystemGroup(driver));
  groups.push_back(CreateStatusGroup(driver));
  groups.push_back(CreateCalibrationGroup(driver));
  groups.push_back(CreateMemoryGroup(driver));
  return groups;
}

}  // namespace tevra::counter
