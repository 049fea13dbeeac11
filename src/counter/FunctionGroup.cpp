#include "counter/FunctionGroup.h"

#include <new>

namespace tevra::counter {

FunctionGroup::FunctionGroup(Tevra& driver)
    : frequency_(driver),
      period_(driver),
      pulseWidth_(driver),
      dutyCycle_(driver),
      edgeTime_(driver),
      frequencyRatio_(driver),
      timeInterval_(driver),
      phase_(driver),
      totalizeContinuous_(driver),
      totalizeGated_(driver),
      totalizeTimed_(driver),
      voltage_(driver),
      singlePeriod_(driver),
      timeStamp_(driver),
      burst_(driver),
      classRoot_(driver),
      classFrequency_(driver, frequency_),
      classPeriod_(driver, period_),
      classPulseWidth_(driver, pulseWidth_),
      classDutyCycle_(driver, dutyCycle_),
      classEdgeTime_(driver, edgeTime_),
      classFrequencyRatio_(driver, frequencyRatio_),
      classTimeInterval_(driver, timeInterval_),
      classPhase_(driver, phase_),
      classTotalizeContinuous_(driver, totalizeContinuous_),
      classTotalizeGated_(driver, totalizeGated_),
      classTotalizeTimed_(driver, totalizeTimed_),
      classVoltage_(driver, voltage_) {}

IUnknown* FunctionGroup::Find(REFIID riid) {
  struct Entry {
    const IID* iid;
    IUnknown* itf;
  };
  const Entry entries[] = {
      {&IID_ITevraFrequency, &frequency_},
      {&IID_ITevraPeriod, &period_},
      {&IID_ITevraPulseWidth, &pulseWidth_},
      {&IID_ITevraDutyCycle, &dutyCycle_},
      {&IID_ITevraEdgeTime, &edgeTime_},
      {&IID_ITevraFrequencyRatio, &frequencyRatio_},
      {&IID_ITevraTimeInterval, &timeInterval_},
      {&IID_ITevraPhase, &phase_},
      {&IID_ITevraTotalizeContinuous, &totalizeContinuous_},
      {&IID_ITevraTotalizeContinuous2, &totalizeContinuous_},
      {&IID_ITevraTotalizeGated, &totalizeGated_},
      {&IID_ITevraTotalizeTimed, &totalizeTimed_},
      {&IID_ITevraVoltage, &voltage_},
      {&IID_ITevraSinglePeriod, &singlePeriod_},
      {&IID_ITevraTimeStamp, &timeStamp_},
      {&IID_ITevraBurst, &burst_},
      {&IID_IIviCounter, &classRoot_},
      {&IID_IIviCounterFrequency, &classFrequency_},
      {&IID_IIviCounterPeriod, &classPeriod_},
      {&IID_IIviCounterPulseWidth, &classPulseWidth_},
      {&IID_IIviCounterDutyCycle, &classDutyCycle_},
      {&IID_IIviCounterEdgeTime, &classEdgeTime_},
      {&IID_IIviCounterFrequencyRatio, &classFrequencyRatio_},
      {&IID_IIviCounterTimeInterval, &classTimeInterval_},
      {&IID_IIviCounterPhase, &classPhase_},
      {&IID_IIviCounterTotalizeContinuous, &classTotalizeContinuous_},
      {&IID_IIviCounterTotalizeGated, &classTotalizeGated_},
      {&IID_IIviCounterTotalizeTimed, &classTotalizeTimed_},
      {&IID_IIviCounterVoltage, &classVoltage_},
  };
  for (const Entry& e : entries)
    if (*e.iid == riid) return e.itf;
  return nullptr;
}

std::unique_ptr<InterfaceGroup> CreateFunctionGroup(Tevra& driver) {
  return std::unique_ptr<InterfaceGroup>(new (std::nothrow) FunctionGroup(driver));
}

}  // namespace tevra::counter
