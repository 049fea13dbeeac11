// The instrument-specific measurement-function interfaces of the driver object, one embedded
// implementation each; their methods run the rows of the function member files.
#pragma once

#include "core/Embedded.h"
#include "core/Registry.h"
#include "counter/Tevra.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {

template <class Itf>
class FunctionImpl : public core::Embedded<Itf> {
 public:
  explicit FunctionImpl(Tevra& driver) : core::Embedded<Itf>(driver), d_(driver) {}

 protected:
  ~FunctionImpl() = default;
  Tevra& d_;
};

// Frequency and period: the same four methods, each over its own rows.
template <class Itf>
class EstimatedImpl final : public FunctionImpl<Itf> {
 public:
  using FunctionImpl<Itf>::FunctionImpl;
  HRESULT ConfigureWithAperture(LONG Channel, double ApertureTime) override;
  HRESULT Configure(double Estimate, double Resolution, LONG Channel) override;
  HRESULT ConfigureAuto(LONG Channel) override;
  HRESULT Measure(double Estimate, double Resolution, LONG Channel, double* Reading) override;

 private:
  struct Side {
    const core::Method& configureWithAperture;
    const core::Method& configure;
    const core::Method& configureAuto;
    const core::Method& measure;
    const char* reading;  // the name of the measure's output
  };
  static const Side kSide;
};
using FrequencyImpl = EstimatedImpl<ITevraFrequency>;
using PeriodImpl = EstimatedImpl<ITevraPeriod>;

class FrequencyRatioImpl final : public FunctionImpl<ITevraFrequencyRatio> {
 public:
  using FunctionImpl::FunctionImpl;
  HRESULT Configure(double Estimate, double Resolution, LONG NumeratorChannel,
                    LONG DenominatorChannel) override;
  HRESULT ConfigureAuto(LONG NumeratorChannel, LONG DenominatorChannel) override;
  HRESULT Measure(double Estimate, double Resolution, LONG NumeratorChannel,
                  LONG DenominatorChannel, double* Ratio) override;
};

class SinglePeriodImpl final : public FunctionImpl<ITevraSinglePeriod> {
 public:
  using FunctionImpl::FunctionImpl;
  HRESULT Configure(LONG ChannelNumber) override;
  HRESULT Measure(double ChannelNumber, double* Measurement) override;
};

// Pulse width and duty cycle: the same three methods, each over its own rows and keywords.
template <class Itf>
class PulseImpl final : public FunctionImpl<Itf> {
 public:
  using FunctionImpl<Itf>::FunctionImpl;
  HRESULT Configure(LONG Channel, double Reference, TevraReferenceTypeEnum ReferenceType,
                    TevraPolarityEnum Polarity) override;
  HRESULT ConfigureAuto(LONG Channel) override;
  HRESULT Measure(LONG Channel, double Reference, TevraReferenceTypeEnum ReferenceType,
                  TevraPolarityEnum Polarity, double* Measurement) override;

 private:
  // The rows of the three methods and the keywords of a positive and of a negative pulse.
  struct Side {
    const core::Method& configure;
    const core::Method& configureAuto;
    const core::Method& measure;
    const char* configureWords[2];
    const char* measureWords[2];
  };
  static const Side kSide;
};
using PulseWidthImpl = PulseImpl<ITevraPulseWidth>;
using DutyCycleImpl = PulseImpl<ITevraDutyCycle>;

class EdgeTimeImpl final : public FunctionImpl<ITevraEdgeTime> {
 public:
  using FunctionImpl::FunctionImpl;
  HRESULT ConfigureAuto(LONG Channel, TevraEdgeTypeEnum EdgeType) override;
  HRESULT Configure(LONG Channel, TevraReferenceTypeEnum ReferenceType, double HighReference,
                    double LowReference, TevraEdgeTypeEnum EdgeType) override;
  HRESULT Measure(LONG Channel, TevraReferenceTypeEnum ReferenceType, double HighReference,
                  double LowReference, TevraEdgeTypeEnum EdgeType, double* Value) override;
};

class TimeIntervalImpl final : public FunctionImpl<ITevraTimeInterval> {
 public:
  using FunctionImpl::FunctionImpl;
  HRESULT Configure(LONG StartChannel, LONG StopChannel) override;
  HRESULT ConfigureSingleChannel(LONG Channel) override;
  HRESULT Measure(LONG StartChannel, LONG StopChannel, double* Data) override;
};

class PhaseImpl final : public FunctionImpl<ITevraPhase> {
 public:
  using FunctionImpl::FunctionImpl;
  HRESULT Configure(LONG ReferenceChannel, LONG InputChannel) override;
  HRESULT Measure(LONG ReferenceChannel, LONG InputChannel, double* Measurement) override;
};

class TimeStampImpl final : public FunctionImpl<ITevraTimeStamp> {
 public:
  using FunctionImpl::FunctionImpl;
  HRESULT Configure(LONG Count, LONG Channel) override;
  HRESULT Measure(LONG Count, LONG Channel, SAFEARRAY** Val) override;
};

// Answers ITevraTotalizeContinuous and its second version.
class TotalizeContinuousImpl final : public FunctionImpl<ITevraTotalizeContinuous2> {
 public:
  using FunctionImpl::FunctionImpl;
  HRESULT Configure(LONG Channel) override;
  HRESULT FetchCount(double* Val) override;
#define TEVRA_ROWS "counter/members/ITevraTotalizeContinuous.def"
#include "core/DeclareAccessors.inc"
#define TEVRA_ROWS "counter/members/ITevraTotalizeContinuous2.def"
#include "core/DeclareAccessors.inc"
};

class TotalizeGatedImpl final : public FunctionImpl<ITevraTotalizeGated> {
 public:
  using FunctionImpl::FunctionImpl;
  HRESULT Configure(LONG Channel, TevraArmSourceEnum GateSource, TevraSlopeEnum GateSlope,
                    double GateTime) override;
};

class TotalizeTimedImpl final : public FunctionImpl<ITevraTotalizeTimed> {
 public:
  using FunctionImpl::FunctionImpl;
  HRESULT Configure(double GateTime, LONG Channel) override;
  HRESULT Measure(double GateTime, LONG Channel, double* Data) override;
};

class VoltageImpl final : public FunctionImpl<ITevraVoltage> {
 public:
  using FunctionImpl::FunctionImpl;
  HRESULT Configure(LONG Channel, TevraVoltageFunctionEnum VoltageFunction) override;
};

class BurstImpl final : public FunctionImpl<ITevraBurst> {
 public:
  using FunctionImpl::FunctionImpl;
  HRESULT Configure() override;
  HRESULT Measure(double* Val) override;
  HRESULT ConfigureWidth(TevraPulseWidthTypeEnum PulseWidthType) override;
  HRESULT MeasureWidth(TevraPulseWidthTypeEnum PulseWidthType, double* Value) override;
  HRESULT ConfigurePRF(double ExpectedFrequency, double Resolution, LONG Channel) override;
  HRESULT ConfigurePRI(double ExpectedFrequency, double Resolution, LONG Channel) override;
  HRESULT MeasurePRF(double ExpectedFrequency, double Resolution, LONG Channel,
                     double* Data) override;
  HRESULT MeasurePRI(double ExpectedInterval, double Resolution, LONG Channel,
                     double* Data) override;
};

}  // namespace tevra::counter
