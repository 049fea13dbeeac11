// The instrument-specific measurement-function interfaces of the driver object, one embedded
// implementation each; their methods run the rows of the function member files.
#pragma once

#include "core/Embedded.h"
#include "core/Registry.h"
#include "counter/DriverPart.h"
#include "counter/Tevra.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {

// Frequency and period: the same four methods, each over its own rows.
template <class Itf>
class EstimatedImpl final : public DriverPart<Itf> {
 public:
  using DriverPart<Itf>::DriverPart;
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

class FrequencyRatioImpl final : public DriverPart<ITevraFrequencyRatio> {
 public:
  using DriverPart::DriverPart;
  HRESULT Configure(double Estimate, double Resolution, LONG NumeratorChannel,
                    LONG DenominatorChannel) override;
  HRESULT ConfigureAuto(LONG NumeratorChannel, LONG DenominatorChannel) override;
  HRESULT Measure(double Estimate, double Resolution, LONG NumeratorChannel,
                  LONG DenominatorChannel, double* Ratio) override;
};

class SinglePeriodImpl final : public DriverPart<ITevraSinglePeriod> {
 public:
  using DriverPart::DriverPart;
  HRESULT Configure(LONG ChannelNumber) override;
  HRESULT Measure(double ChannelNumber, double* Measurement) override;
};

// Pulse width and duty cycle: the same three methods, each over its own rows and keywords.
template <class Itf>
class PulseImpl final : public DriverPart<Itf> {
 public:
  using DriverPart<Itf>::DriverPart;
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

class EdgeTimeImpl final : public DriverPart<ITevraEdgeTime> {
 public:
  using DriverPart::DriverPart;
  HRESULT ConfigureAuto(LONG Channel, TevraEdgeTypeEnum EdgeType) override;
  HRESULT Configure(LONG Channel, TevraReferenceTypeEnum ReferenceType, double HighReference,
                    double LowReference, TevraEdgeTypeEnum EdgeType) override;
  HRESULT Measure(LONG Channel, TevraReferenceTypeEnum ReferenceType, double HighReference,
                  double LowReference, TevraEdgeTypeEnum EdgeType, double* Value) override;
};

class TimeIntervalImpl final : public DriverPart<ITevraTimeInterval> {
 public:
  using DriverPart::DriverPart;
  HRESULT Configure(LONG StartChannel, LONG StopChannel) override;
  HRESULT ConfigureSingleChannel(LONG Channel) override;
  HRESULT Measure(LONG StartChannel, LONG StopChannel, double* Data) override;
};

class PhaseImpl final : public DriverPart<ITevraPhase> {
 public:
  using DriverPart::DriverPart;
  HRESULT Configure(LONG ReferenceChannel, LONG InputChannel) override;
  HRESULT Measure(LONG ReferenceChannel, LONG InputChannel, double* Measurement) override;
#define TEVRA_ROWS "counter/members/ITevraPhase.def"
#include "core/DeclareAccessors.inc"
};

class TimeStampImpl final : public DriverPart<ITevraTimeStamp> {
 public:
  using DriverPart::DriverPart;
  HRESULT Configure(LONG Count, LONG Channel) override;
  HRESULT Measure(LONG Count, LONG Channel, SAFEARRAY** Val) override;
#define TEVRA_ROWS "counter/members/ITevraTimeStamp.def"
#include "core/DeclareAccessors.inc"
};

// Answers ITevraTotalizeContinuous and its second version.
class TotalizeContinuousImpl final : public DriverPart<ITevraTotalizeContinuous2> {
 public:
  using DriverPart::DriverPart;
  HRESULT Configure(LONG Channel) override;
  HRESULT FetchCount(double* Val) override;
#define TEVRA_ROWS "counter/members/ITevraTotalizeContinuous.def"
#include "core/DeclareAccessors.inc"
#define TEVRA_ROWS "counter/members/ITevraTotalizeContinuous2.def"
#include "core/DeclareAccessors.inc"
};

class TotalizeGatedImpl final : public DriverPart<ITevraTotalizeGated> {
 public:
  using DriverPart::DriverPart;
  HRESULT Configure(LONG Channel, TevraArmSourceEnum GateSource, TevraSlopeEnum GateSlope,
                    double GateTime) override;
};

class TotalizeTimedImpl final : public DriverPart<ITevraTotalizeTimed> {
 public:
  using DriverPart::DriverPart;
  HRESULT Configure(double GateTime, LONG Channel) override;
  HRESULT Measure(double GateTime, LONG Channel, double* Data) override;
};

class VoltageImpl final : public DriverPart<ITevraVoltage> {
 public:
  using DriverPart::DriverPart;
  HRESULT Configure(LONG Channel, TevraVoltageFunctionEnum VoltageFunction) override;
};

class BurstImpl final : public DriverPart<ITevraBurst> {
 public:
  using DriverPart::DriverPart;
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
#define TEVRA_ROWS "counter/members/ITevraBurst.def"
#include "core/DeclareAccessors.inc"
};

}  // namespace tevra::counter
