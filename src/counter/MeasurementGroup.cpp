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

  HRESULT Query(REFIID riid, void** ppv) override {
    if (riid == IID_ITevraMeasurement)
      return core::GiveInterface<ITevraMeasurement>(&measurement_, ppv);
    if (riid == IID_IIviCounterMeasurement)
      return core::GiveInterface<IIviCounterMeasurement>(&classMeasurement_, ppv);
    if (riid == IID_ITevraTrigger) return core::GiveInterface<ITevraTrigger>(&trigger_, ppv);
    return E_NOINTERFACE;
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
