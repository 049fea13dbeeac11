// Calibration: the calibration queries, the instrument's calibration data and security lock
// (rows of the member file), the security switch and the microwave input's level calibration.
#pragma once

#include <memory>

#include "counter/DriverPart.h"
#include "counter/InterfaceGroup.h"

namespace tevra::counter {

class CalibrationInterface final : public DriverPart<ITevraCalibration> {
 public:
  using DriverPart::DriverPart;
  HRESULT SecurityEnabled(VARIANT_BOOL SecurityState, BSTR SecurityCode) override;
  HRESULT MicroWaveChannelLevelCalibration(double Frequency, double Power, LONG* Val) override;
#define TEVRA_ROWS "counter/members/ITevraCalibration.def"
#include "core/DeclareAccessors.inc"
};

std::unique_ptr<InterfaceGroup> CreateCalibrationGroup(Tevra& driver);

}  // namespace tevra::counter
