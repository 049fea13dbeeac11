#include "counter/MeasurementGroup.h"

#include "counter/Measurement.h"
#include "counter/Tevra.h"
#include "counter/Trigger.h"

namespace tevra::counter {
namespace {

class MeasurementGroup final : public InterfaceGroup {
 public:
  explicit MeasurementGroup(Tevra& driver)
      : trigger_(driver, driver),
        measurement_(driver, driver, trigger_),
        classMeasurement_(driver, driver, measurement_) {}

  IUnknown* Find(REFIID riid) override {
    if (riid == IID_ITevraMeasurement) return static_cast<ITevraMeasurement*>(&measurement_);
    if (riid == IID_IIviCounterMeasurement)
      return static_cast<IIviCounterMeasurement*>(&classMeasurement_);
    if (riid == IID_ITevraTrigger) return static_cast<ITevraTrigger*>(&trigger_);
    return nullptr;
  }

 private:
  TriggerInterface trigger_;
  MeasurementInterface measurement_;
  ClassMeasurementInterface classMeasurement_;
};

}  // namespace

std::unique_ptr<InterfaceGroup> CreateMeasurementGroup(Tevra& driver) {
  return std::make_unique<MeasurementGroup>(driver);
}

}  // namespace tevra::counter
