// The class-compliant IviCounter function interfaces: each configure method turns channel names
// into numbers and forwards to the instrument-specific interface; the per-function properties
// are not supported and say so.
#pragma once

#include "core/Embedded.h"
#include "core/IviDriverImpl.h"
#include "counter/Tevra.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {

// Message 10 naming the property as "Family_get_Property" or "Family_put_Property".
HRESULT RefuseProperty(Tevra& driver, const core::MethodRecord& method, const char* feature,
                       core::Param value);

// "channel1".."channel3" (blanks around and letter case ignored) as 1..3; any other name is
// message 8 naming method and parameter.
HRESULT ChannelNumberOf(Tevra& driver, BSTR name, const char* method, const char* parameter,
                        LONG& channel);

#define TEVRA_UNSUPPORTED_PROPERTY(Itf, Family, Prop, Type)                          \
  HRESULT get_##Prop(Type* val) override {                                           \
    static constexpr core::MethodRecord kRecord{&IID_##Itf, #Itf, "get_" #Prop};     \
    return RefuseProperty(d_, kRecord, Family "_get_" #Prop, core::Out("val", val)); \
  }                                                                                  \
  HRESULT put_##Prop(Type val) override {                                            \
    static constexpr core::MethodRecord kRecord{&IID_##Itf, #Itf, "put_" #Prop};     \
    return RefuseProperty(d_, kRecord, Family "_put_" #Prop, core::In("val", val));  \
  }

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
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterFrequency, "Frequency", Channel, BSTR)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterFrequency, "Frequency", Estimate, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterFrequency, "Frequency", Resolution, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterFrequency, "Frequency", ApertureTime, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterFrequency, "Frequency", EstimateAuto, VARIANT_BOOL)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterFrequency, "Frequency", ResolutionAuto, VARIANT_BOOL)
  HRESULT Configure(BSTR Channel, double Estimate, double Resolution) override;
  HRESULT ConfigureManual(BSTR Channel, double Estimate, double Resolution) override;
  HRESULT ConfigureWithAperture(BSTR Channel, double Estimate, double Resolution,
                                double ApertureTime) override;
};

class IviPeriodImpl final : public ClassFunction<IIviCounterPeriod, ITevraPeriod> {
 public:
  using ClassFunction::ClassFunction;
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterPeriod, "Period", Channel, BSTR)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterPeriod, "Period", Estimate, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterPeriod, "Period", Resolution, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterPeriod, "Period", ApertureTime, double)
  HRESULT Configure(BSTR Channel, double Estimate, double Resolution) override;
  HRESULT ConfigureWithAperture(BSTR Channel, double Estimate, double Resolution,
                                double ApertureTime) override;
};

class IviPulseWidthImpl final : public ClassFunction<IIviCounterPulseWidth, ITevraPulseWidth> {
 public:
  using ClassFunction::ClassFunction;
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterPulseWidth, "PulseWidth", Channel, BSTR)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterPulseWidth, "PulseWidth", Estimate, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterPulseWidth, "PulseWidth", Resolution, double)
  HRESULT Configure(BSTR Channel, double Estimate, double Resolution) override;
};

class IviDutyCycleImpl final : public ClassFunction<IIviCounterDutyCycle, ITevraDutyCycle> {
 public:
  using ClassFunction::ClassFunction;
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterDutyCycle, "DutyCycle", Channel, BSTR)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterDutyCycle, "DutyCycle", FrequencyEstimate, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterDutyCycle, "DutyCycle", Resolution, double)
  HRESULT Configure(BSTR Channel, double FrequencyEstimate, double Resolution) override;
};

class IviEdgeTimeImpl final : public ClassFunction<IIviCounterEdgeTime, ITevraEdgeTime> {
 public:
  using ClassFunction::ClassFunction;
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterEdgeTime, "EdgeTime", Channel, BSTR)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterEdgeTime, "EdgeTime", Estimate, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterEdgeTime, "EdgeTime", Resolution, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterEdgeTime, "EdgeTime", ReferenceType,
                             IviCounterEdgeTimeReferenceTypeEnum)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterEdgeTime, "EdgeTime", HighReference, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterEdgeTime, "EdgeTime", LowReference, double)
  HRESULT Configure(BSTR Channel, double Estimate, double Resolution) override;
  HRESULT ConfigureReferenceLevels(BSTR Channel, IviCounterEdgeTimeReferenceTypeEnum ReferenceType,
                                   double HighReference, double LowReference) override;
};

class IviFrequencyRatioImpl final
    : public ClassFunction<IIviCounterFrequencyRatio, ITevraFrequencyRatio> {
 public:
  using ClassFunction::ClassFunction;
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterFrequencyRatio, "FrequencyRatio", NumeratorChannel, BSTR)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterFrequencyRatio, "FrequencyRatio", DenominatorChannel, BSTR)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterFrequencyRatio, "FrequencyRatio",
                             NumeratorFrequencyEstimate, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterFrequencyRatio, "FrequencyRatio", Estimate, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterFrequencyRatio, "FrequencyRatio", Resolution, double)
  HRESULT Configure(BSTR NumeratorChannel, BSTR DenominatorChannel,
                    double NumeratorFrequencyEstimate, double Estimate, double Resolution) override;
};

class IviTimeIntervalImpl final
    : public ClassFunction<IIviCounterTimeInterval, ITevraTimeInterval> {
 public:
  using ClassFunction::ClassFunction;
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterTimeInterval, "TimeInterval", StartChannel, BSTR)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterTimeInterval, "TimeInterval", StopChannel, BSTR)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterTimeInterval, "TimeInterval", Estimate, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterTimeInterval, "TimeInterval", Resolution, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterTimeInterval, "TimeInterval", StopHoldoff, double)
  HRESULT Configure(BSTR StartChannel, BSTR StopChannel, double Estimate,
                    double Resolution) override;
};

class IviPhaseImpl final : public ClassFunction<IIviCounterPhase, ITevraPhase> {
 public:
  using ClassFunction::ClassFunction;
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterPhase, "Phase", InputChannel, BSTR)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterPhase, "Phase", ReferenceChannel, BSTR)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterPhase, "Phase", FrequencyEstimate, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterPhase, "Phase", Resolution, double)
  HRESULT Configure(BSTR InputChannel, BSTR ReferenceChannel, double FrequencyEstimate,
                    double Resolution) override;
};

class IviTotalizeContinuousImpl final
    : public ClassFunction<IIviCounterTotalizeContinuous, ITevraTotalizeContinuous> {
 public:
  using ClassFunction::ClassFunction;
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterTotalizeContinuous, "TotalizeContinuous", Channel, BSTR)
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
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterTotalizeGated, "TotalizeGated", Channel, BSTR)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterTotalizeGated, "TotalizeGated", GateSource, BSTR)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterTotalizeGated, "TotalizeGated", GateSlope, LONG)
  HRESULT Configure(BSTR Channel, BSTR GateSource, LONG GateSlope) override;
};

class IviTotalizeTimedImpl final
    : public ClassFunction<IIviCounterTotalizeTimed, ITevraTotalizeTimed> {
 public:
  using ClassFunction::ClassFunction;
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterTotalizeTimed, "TotalizeTimed", Channel, BSTR)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterTotalizeTimed, "TotalizeTimed", GateTime, double)
  HRESULT Configure(BSTR Channel, double GateTime) override;
};

class IviVoltageImpl final : public ClassFunction<IIviCounterVoltage, ITevraVoltage> {
 public:
  using ClassFunction::ClassFunction;
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterVoltage, "Voltage", Channel, BSTR)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterVoltage, "Voltage", Estimate, double)
  TEVRA_UNSUPPORTED_PROPERTY(IIviCounterVoltage, "Voltage", Resolution, double)
  HRESULT Configure(BSTR Channel, IviCounterMeasurementFunctionEnum Function, double Estimate,
                    double Resolution) override;
};

#undef TEVRA_UNSUPPORTED_PROPERTY

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
