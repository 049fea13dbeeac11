// The class-compliant IviCounter function interfaces: each configure method turns channel names
// into numbers and forwards to the instrument-specific interface; the per-function properties
// are not supported and say so.
#pragma once

#include "core/Embedded.h"
#include "core/IviDriverImpl.h"
#include "counter/Tevra.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {

// The class-compliant voltage functions and the instrument's voltage selection, both ways.
struct VoltageFunctionMatch {
  IviCounterMeasurementFunctionEnum classFunction;
  TevraVoltageFunctionEnum function;
};
inline constexpr VoltageFunctionMatch kVoltageFunctions[] = {
    {IviCounterMeasurementFunctionDCVoltage, TevraVoltageFunctionDC},
    {IviCounterMeasurementFunctionMaximumVoltage, TevraVoltageFunctionMaximum},
    {IviCounterMeasurementFunctionMinimumVoltage, TevraVoltageFunctionMinimum},
    {IviCounterMeasurementFunctionPeakToPeakVoltage, TevraVoltageFunctionPeakToPeak},
};

// A class-compliant interface forwarding to the instrument-specific one, Target.
template <class Itf, class Target>
class ClassFunction : public core::Embedded<Itf> {
 public:
  ClassFunction(Tevra& driver, Target& target)
      : core::Embedded<Itf>(driver), d_(driver), target_(target) {}

 protected:
  ~ClassFunction() = default;
  Tevra& d_;
  Target& target_;
};

class IviFrequencyImpl final : public ClassFunction<IIviCounterFrequency, ITevraFrequency> {
 public:
  using ClassFunction::ClassFunction;
#define TEVRA_ROWS "counter/members/IIviCounterFrequency.def"
#include "core/DeclareAccessors.inc"
  HRESULT Configure(BSTR Channel, double Estimate, double Resolution) override;
  HRESULT ConfigureManual(BSTR Channel, double Estimate, double Resolution) override;
  HRESULT ConfigureWithAperture(BSTR Channel, double Estimate, double Resolution,
                                double ApertureTime) override;
};

class IviPeriodImpl final : public ClassFunction<IIviCounterPeriod, ITevraPeriod> {
 public:
  using ClassFunction::ClassFunction;
#define TEVRA_ROWS "counter/members/IIviCounterPeriod.def"
#include "core/DeclareAccessors.inc"
  HRESULT Configure(BSTR Channel, double Estimate, double Resolution) override;
  HRESULT ConfigureWithAperture(BSTR Channel, double Estimate, double Resolution,
                                double ApertureTime) override;
};

class IviPulseWidthImpl final : public ClassFunction<IIviCounterPulseWidth, ITevraPulseWidth> {
 public:
  using ClassFunction::ClassFunction;
#define TEVRA_ROWS "counter/members/IIviCounterPulseWidth.def"
#include "core/DeclareAccessors.inc"
  HRESULT Configure(BSTR Channel, double Estimate, double Resolution) override;
};

class IviDutyCycleImpl final : public ClassFunction<IIviCounterDutyCycle, ITevraDutyCycle> {
 public:
  using ClassFunction::ClassFunction;
#define TEVRA_ROWS "counter/members/IIviCounterDutyCycle.def"
#include "core/DeclareAccessors.inc"
  HRESULT Configure(BSTR Channel, double FrequencyEstimate, double Resolution) override;
};

class IviEdgeTimeImpl final : public ClassFunction<IIviCounterEdgeTime, ITevraEdgeTime> {
 public:
  using ClassFunction::ClassFunction;
#define TEVRA_ROWS "counter/members/IIviCounterEdgeTime.def"
#include "core/DeclareAccessors.inc"
  HRESULT Configure(BSTR Channel, double Estimate, double Resolution) override;
  HRESULT ConfigureReferenceLevels(BSTR Channel, IviCounterEdgeTimeReferenceTypeEnum ReferenceType,
                                   double HighReference, double LowReference) override;
};

class IviFrequencyRatioImpl final
    : public ClassFunction<IIviCounterFrequencyRatio, ITevraFrequencyRatio> {
 public:
  using ClassFunction::ClassFunction;
#define TEVRA_ROWS "counter/members/IIviCounterFrequencyRatio.def"
#include "core/DeclareAccessors.inc"
  HRESULT Configure(BSTR NumeratorChannel, BSTR DenominatorChannel,
                    double NumeratorFrequencyEstimate, double Estimate, double Resolution) override;
};

class IviTimeIntervalImpl final
    : public ClassFunction<IIviCounterTimeInterval, ITevraTimeInterval> {
 public:
  using ClassFunction::ClassFunction;
#define TEVRA_ROWS "counter/members/IIviCounterTimeInterval.def"
#include "core/DeclareAccessors.inc"
  HRESULT Configure(BSTR StartChannel, BSTR StopChannel, double Estimate,
                    double Resolution) override;
};

class IviPhaseImpl final : public ClassFunction<IIviCounterPhase, ITevraPhase> {
 public:
  using ClassFunction::ClassFunction;
#define TEVRA_ROWS "counter/members/IIviCounterPhase.def"
#include "core/DeclareAccessors.inc"
  HRESULT Configure(BSTR InputChannel, BSTR ReferenceChannel, double FrequencyEstimate,
                    double Resolution) override;
};

class IviTotalizeContinuousImpl final
    : public ClassFunction<IIviCounterTotalizeContinuous, ITevraTotalizeContinuous> {
 public:
  using ClassFunction::ClassFunction;
#define TEVRA_ROWS "counter/members/IIviCounterTotalizeContinuous.def"
#include "core/DeclareAccessors.inc"
  HRESULT Configure(BSTR Channel) override;
  // Forwarded to the instrument-specific methods, on the models that offer them.
  HRESULT Start() override;
  HRESULT Stop() override;
  HRESULT FetchCount(double* Val) override;
};

class IviTotalizeGatedImpl final
    : public ClassFunction<IIviCounterTotalizeGated, ITevraTotalizeGated> {
 public:
  using ClassFunction::ClassFunction;
#define TEVRA_ROWS "counter/members/IIviCounterTotalizeGated.def"
#include "core/DeclareAccessors.inc"
  HRESULT Configure(BSTR Channel, BSTR GateSource, LONG GateSlope) override;
};

class IviTotalizeTimedImpl final
    : public ClassFunction<IIviCounterTotalizeTimed, ITevraTotalizeTimed> {
 public:
  using ClassFunction::ClassFunction;
#define TEVRA_ROWS "counter/members/IIviCounterTotalizeTimed.def"
#include "core/DeclareAccessors.inc"
  HRESULT Configure(BSTR Channel, double GateTime) override;
};

class IviVoltageImpl final : public ClassFunction<IIviCounterVoltage, ITevraVoltage> {
 public:
  using ClassFunction::ClassFunction;
#define TEVRA_ROWS "counter/members/IIviCounterVoltage.def"
#include "core/DeclareAccessors.inc"
  HRESULT Configure(BSTR Channel, IviCounterMeasurementFunctionEnum Function, double Estimate,
                    double Resolution) override;
};

// The class-compliant root: the session slots of IIviDriver, the measurement function and the
// function interfaces.
class IviCounterRoot final : public core::IviDriverImpl<IIviCounter> {
 public:
  IviCounterRoot(Tevra& driver) : IviDriverImpl(driver, driver), t_(driver) {}
#define TEVRA_ROWS "counter/members/IIviCounter.def"
#include "core/DeclareAccessors.inc"

 private:
  Tevra& t_;
};

}  // namespace tevra::counter
