// The measurement-function group of the driver object: the instrument-specific function
// interfaces, the class-compliant root and the class-compliant function interfaces.
#pragma once

#include <memory>

#include "counter/FunctionClass.h"
#include "counter/FunctionImpls.h"
#include "counter/InterfaceGroup.h"

namespace tevra::counter {

class FunctionGroup final : public InterfaceGroup {
 public:
  explicit FunctionGroup(Tevra& driver);
  IUnknown* Find(REFIID riid) override;

 private:
  FrequencyImpl frequency_;
  PeriodImpl period_;
  PulseWidthImpl pulseWidth_;
  DutyCycleImpl dutyCycle_;
  EdgeTimeImpl edgeTime_;
  FrequencyRatioImpl frequencyRatio_;
  TimeIntervalImpl timeInterval_;
  PhaseImpl phase_;
  TotalizeContinuousImpl totalizeContinuous_;
  TotalizeGatedImpl totalizeGated_;
  TotalizeTimedImpl totalizeTimed_;
  VoltageImpl voltage_;
  SinglePeriodImpl singlePeriod_;
  TimeStampImpl timeStamp_;
  BurstImpl burst_;

  IviCounterRoot classRoot_;
  IviFrequencyImpl classFrequency_;
  IviPeriodImpl classPeriod_;
  IviPulseWidthImpl classPulseWidth_;
  IviDutyCycleImpl classDutyCycle_;
  IviEdgeTimeImpl classEdgeTime_;
  IviFrequencyRatioImpl classFrequencyRatio_;
  IviTimeIntervalImpl classTimeInterval_;
  IviPhaseImpl classPhase_;
  IviTotalizeContinuousImpl classTotalizeContinuous_;
  IviTotalizeGatedImpl classTotalizeGated_;
  IviTotalizeTimedImpl classTotalizeTimed_;
  IviVoltageImpl classVoltage_;
};

std::unique_ptr<InterfaceGroup> CreateFunctionGroup(Tevra& driver);

}  // namespace tevra::counter
