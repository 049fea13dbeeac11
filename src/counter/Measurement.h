// ITevraMeasurement: starting measurements and collecting readings (ASCII lists, the last
// reading with its unit, binary blocks of the reading memory), the voltage path that Read and
// Fetch take after a voltage configure, and the frequency measurement mode. IIviCounterMeasurement
// is the class-compliant layer over it, one reading per call.
#pragma once

#include "core/Embedded.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::core {
struct CallFrame;
}

namespace tevra::counter {

class Tevra;

// A new array of count zero readings, or the out-of-memory report.
HRESULT NewArray(Tevra& driver, LONG count, SAFEARRAY** val);
// The readings of a simulated read: trigger count times sample count, read through the trigger
// interface's traced getters.
HRESULT SimulatedReadingCount(ITevraTrigger& trigger, LONG& count);

class MeasurementInterface final : public core::Embedded<ITevraMeasurement> {
 public:
  // trigger answers the simulated trigger and sample counts.
  MeasurementInterface(core::IObjectRoot& root, Tevra& driver, ITevraTrigger& trigger)
      : Embedded(root), driver_(driver), trigger_(trigger) {}

  HRESULT Read(LONG MaxTimeMilliseconds, SAFEARRAY** Val) override;
  HRESULT Fetch(SAFEARRAY** Val) override;
  HRESULT QueryLast(double* LastMeasurement, BSTR* MeasurementUnit) override;
  HRESULT DestructiveReadCounted(LONG NumReadings, SAFEARRAY** Val) override;
  HRESULT DestructiveReadUpToCount(LONG MaxCount, SAFEARRAY** Val) override;
#define TEVRA_ROWS "counter/members/ITevraMeasurement.def"
#include "core/DeclareAccessors.inc"

 private:
  // Read and Fetch: frame carries ":READ?" or ":FETC?"; read tells which of the two runs.
  HRESULT Readings(core::CallFrame& frame, bool read, LONG maxTime, SAFEARRAY** val);
  HRESULT VoltageReading(bool read, LONG maxTime, SAFEARRAY** val);
  HRESULT SimulatedReadings(SAFEARRAY** val);

  Tevra& driver_;
  ITevraTrigger& trigger_;
};

class ClassMeasurementInterface final : public core::Embedded<IIviCounterMeasurement> {
 public:
  ClassMeasurementInterface(core::IObjectRoot& root, Tevra& driver, ITevraMeasurement& instrument)
      : Embedded(root), driver_(driver), instrument_(instrument) {}

  HRESULT Abort() override;
  HRESULT Fetch(double* Val) override;
  HRESULT Initiate() override;
  HRESULT IsMeasurementComplete(IviCounterMeasurementStatusEnum* MeasurementStatus) override;
  HRESULT Read(LONG MaxTimeMilliseconds, double* Val) override;

 private:
  Tevra& driver_;
  ITevraMeasurement& instrument_;
};

}  // namespace tevra::counter
