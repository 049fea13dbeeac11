/// @file
/// The measurement-function interfaces: the instrument-specific configure and measure methods of
/// each function (channels are 1-based numbers), and the class-compliant IviCounter root and
/// function interfaces (channels are names, "channel1".."channel3"), with their enumerations.
#ifndef TEVRA_FUNCTION_INTERFACES_H
#define TEVRA_FUNCTION_INTERFACES_H

#include "tevra/TevraEnums.h"
#include "tevra/TevraTypes.h"

#define TEVRA_FUNCTION_IID(name, last) \
  inline constexpr IID name = {        \
      0x4D17B2E8, 0x93A5, 0x4C0F, {0xB6, 0x2D, 0x71, 0xE4, 0x58, 0x0C, 0x00, last}}

TEVRA_FUNCTION_IID(IID_ITevraFrequency, 0x01);
TEVRA_FUNCTION_IID(IID_ITevraPeriod, 0x02);
TEVRA_FUNCTION_IID(IID_ITevraPulseWidth, 0x03);
TEVRA_FUNCTION_IID(IID_ITevraDutyCycle, 0x04);
TEVRA_FUNCTION_IID(IID_ITevraEdgeTime, 0x05);
TEVRA_FUNCTION_IID(IID_ITevraFrequencyRatio, 0x06);
TEVRA_FUNCTION_IID(IID_ITevraTimeInterval, 0x07);
TEVRA_FUNCTION_IID(IID_ITevraPhase, 0x08);
TEVRA_FUNCTION_IID(IID_ITevraTotalizeContinuous, 0x09);
TEVRA_FUNCTION_IID(IID_ITevraTotalizeGated, 0x0A);
TEVRA_FUNCTION_IID(IID_ITevraTotalizeTimed, 0x0B);
TEVRA_FUNCTION_IID(IID_ITevraVoltage, 0x0C);
TEVRA_FUNCTION_IID(IID_ITevraSinglePeriod, 0x0D);
TEVRA_FUNCTION_IID(IID_ITevraTimeStamp, 0x0E);
TEVRA_FUNCTION_IID(IID_ITevraBurst, 0x0F);
TEVRA_FUNCTION_IID(IID_IIviCounter, 0x40);
TEVRA_FUNCTION_IID(IID_IIviCounterFrequency, 0x41);
TEVRA_FUNCTION_IID(IID_IIviCounterPeriod, 0x42);
TEVRA_FUNCTION_IID(IID_IIviCounterPulseWidth, 0x43);
TEVRA_FUNCTION_IID(IID_IIviCounterDutyCycle, 0x44);
TEVRA_FUNCTION_IID(IID_IIviCounterEdgeTime, 0x45);
TEVRA_FUNCTION_IID(IID_IIviCounterFrequencyRatio, 0x46);
TEVRA_FUNCTION_IID(IID_IIviCounterTimeInterval, 0x47);
TEVRA_FUNCTION_IID(IID_IIviCounterPhase, 0x48);
TEVRA_FUNCTION_IID(IID_IIviCounterTotalizeContinuous, 0x49);
TEVRA_FUNCTION_IID(IID_IIviCounterTotalizeGated, 0x4A);
TEVRA_FUNCTION_IID(IID_IIviCounterTotalizeTimed, 0x4B);
TEVRA_FUNCTION_IID(IID_IIviCounterVoltage, 0x4C);

#undef TEVRA_FUNCTION_IID

/// The class-compliant measurement functions, as IIviCounter.Function reports them.
enum IviCounterMeasurementFunctionEnum : int {
  IviCounterMeasurementFunctionFrequency = 1,
  IviCounterMeasurementFunctionFrequencyWithAperture = 2,
  IviCounterMeasurementFunctionPeriod = 3,
  IviCounterMeasurementFunctionPeriodWithAperture = 4,
  IviCounterMeasurementFunctionPulseWidth = 5,
  IviCounterMeasurementFunctionDutyCycle = 6,
  IviCounterMeasurementFunctionEdgeTime = 7,
  IviCounterMeasurementFunctionFrequencyRatio = 8,
  IviCounterMeasurementFunctionTimeInterval = 9,
  IviCounterMeasurementFunctionPhase = 10,
  IviCounterMeasurementFunctionTotalizeContinuous = 11,
  IviCounterMeasurementFunctionTotalizeGated = 12,
  IviCounterMeasurementFunctionTotalizeTimed = 13,
  IviCounterMeasurementFunctionDCVoltage = 14,
  IviCounterMeasurementFunctionMaximumVoltage = 15,
  IviCounterMeasurementFunctionMinimumVoltage = 16,
  IviCounterMeasurementFunctionRMSVoltage = 17,
  IviCounterMeasurementFunctionPeakToPeakVoltage = 18,
};

enum IviCounterEdgeTimeReferenceTypeEnum : int {
  IviCounterEdgeTimeReferenceTypeVoltage = 1,
  IviCounterEdgeTimeReferenceTypePercent = 2,
};

// ---- Instrument-specific function interfaces ----

struct ITevraFrequency : IUnknown {
  virtual HRESULT ConfigureWithAperture(LONG Channel, double ApertureTime) = 0;
  virtual HRESULT Configure(double Estimate, double Resolution, LONG Channel) = 0;
  virtual HRESULT ConfigureAuto(LONG Channel) = 0;
  virtual HRESULT Measure(double Estimate, double Resolution, LONG Channel, double* Frequency) = 0;

 protected:
  ~ITevraFrequency() = default;
};

struct ITevraPeriod : IUnknown {
  virtual HRESULT ConfigureWithAperture(LONG Channel, double ApertureTime) = 0;
  virtual HRESULT Configure(double Estimate, double Resolution, LONG Channel) = 0;
  virtual HRESULT ConfigureAuto(LONG Channel) = 0;
  virtual HRESULT Measure(double Estimate, double Resolution, LONG Channel,
                          double* Measurement) = 0;

 protected:
  ~ITevraPeriod() = default;
};

/// Reference levels are volts, or percent of the signal's amplitude.
struct ITevraPulseWidth : IUnknown {
  virtual HRESULT Configure(LONG Channel, double Reference, TevraReferenceTypeEnum ReferenceType,
                            TevraPolarityEnum Polarity) = 0;
  virtual HRESULT ConfigureAuto(LONG Channel) = 0;
  virtual HRESULT Measure(LONG Channel, double Reference, TevraReferenceTypeEnum ReferenceType,
                          TevraPolarityEnum Polarity, double* Measurement) = 0;

 protected:
  ~ITevraPulseWidth() = default;
};

struct ITevraDutyCycle : IUnknown {
  virtual HRESULT Configure(LONG Channel, double Reference, TevraReferenceTypeEnum ReferenceType,
                            TevraPolarityEnum Polarity) = 0;
  virtual HRESULT ConfigureAuto(LONG Channel) = 0;
  virtual HRESULT Measure(LONG Channel, double Reference, TevraReferenceTypeEnum ReferenceType,
                          TevraPolarityEnum Polarity, double* Measurement) = 0;

 protected:
  ~ITevraDutyCycle() = default;
};

struct ITevraEdgeTime : IUnknown {
  virtual HRESULT ConfigureAuto(LONG Channel, TevraEdgeTypeEnum EdgeType) = 0;
  virtual HRESULT Configure(LONG Channel, TevraReferenceTypeEnum ReferenceType,
                            double HighReference, double LowReference,
                            TevraEdgeTypeEnum EdgeType) = 0;
  virtual HRESULT Measure(LONG Channel, TevraReferenceTypeEnum ReferenceType, double HighReference,
                          double LowReference, TevraEdgeTypeEnum EdgeType, double* Value) = 0;

 protected:
  ~ITevraEdgeTime() = default;
};

struct ITevraFrequencyRatio : IUnknown {
  virtual HRESULT Configure(double Estimate, double Resolution, LONG NumeratorChannel,
                            LONG DenominatorChannel) = 0;
  virtual HRESULT ConfigureAuto(LONG NumeratorChannel, LONG DenominatorChannel) = 0;
  virtual HRESULT Measure(double Estimate, double Resolution, LONG NumeratorChannel,
                          LONG DenominatorChannel, double* Ratio) = 0;

 protected:
  ~ITevraFrequencyRatio() = default;
};

struct ITevraTimeInterval : IUnknown {
  virtual HRESULT Configure(LONG StartChannel, LONG StopChannel) = 0;
  virtual HRESULT ConfigureSingleChannel(LONG Channel) = 0;
  virtual HRESULT Measure(LONG StartChannel, LONG StopChannel, double* Data) = 0;

 protected:
  ~ITevraTimeInterval() = default;
};

struct ITevraPhase : IUnknown {
  virtual HRESULT Configure(LONG ReferenceChannel, LONG InputChannel) = 0;
  virtual HRESULT Measure(LONG ReferenceChannel, LONG InputChannel, double* Measurement) = 0;
  virtual HRESULT get_Range(TevraPhaseRangeEnum* val) = 0;
  virtual HRESULT put_Range(TevraPhaseRangeEnum val) = 0;

 protected:
  ~ITevraPhase() = default;
};

/// The running count is read by ReadCount of the second continuous-totalize interface.
struct ITevraTotalizeContinuous : IUnknown {
  virtual HRESULT Configure(LONG Channel) = 0;
  virtual HRESULT FetchCount(double* Val) = 0;
  virtual HRESULT Start() = 0;
  virtual HRESULT Stop() = 0;

 protected:
  ~ITevraTotalizeContinuous() = default;
};

struct ITevraTotalizeGated : IUnknown {
  virtual HRESULT Configure(LONG Channel, TevraArmSourceEnum GateSource, TevraSlopeEnum GateSlope,
                            double GateTime) = 0;

 protected:
  ~ITevraTotalizeGated() = default;
};

struct ITevraTotalizeTimed : IUnknown {
  virtual HRESULT Configure(double GateTime, LONG Channel) = 0;
  virtual HRESULT Measure(double GateTime, LONG Channel, double* Data) = 0;

 protected:
  ~ITevraTotalizeTimed() = default;
};

/// Selects the voltage that Read and Fetch measure; nothing is sent until then.
struct ITevraVoltage : IUnknown {
  virtual HRESULT Configure(LONG Channel, TevraVoltageFunctionEnum VoltageFunction) = 0;

 protected:
  ~ITevraVoltage() = default;
};

struct ITevraSinglePeriod : IUnknown {
  virtual HRESULT Configure(LONG ChannelNumber) = 0;
  virtual HRESULT Measure(double ChannelNumber, double* Measurement) = 0;

 protected:
  ~ITevraSinglePeriod() = default;
};

struct ITevraTimeStamp : IUnknown {
  virtual HRESULT Configure(LONG Count, LONG Channel) = 0;
  /// Val: a one-dimensional safe array of Count doubles; the caller destroys it.
  virtual HRESULT Measure(LONG Count, LONG Channel, SAFEARRAY** Val) = 0;
  virtual HRESULT get_Rate(TevraTimeStampRateEnum* val) = 0;
  virtual HRESULT put_Rate(TevraTimeStampRateEnum val) = 0;

 protected:
  ~ITevraTimeStamp() = default;
};

/// Pulsed microwave measurements on the microwave input (the last channel).
struct ITevraBurst : IUnknown {
  virtual HRESULT Configure() = 0;
  virtual HRESULT Measure(double* Val) = 0;
  virtual HRESULT ConfigureWidth(TevraPulseWidthTypeEnum PulseWidthType) = 0;
  virtual HRESULT MeasureWidth(TevraPulseWidthTypeEnum PulseWidthType, double* Value) = 0;
  virtual HRESULT ConfigurePRF(double ExpectedFrequency, double Resolution, LONG Channel) = 0;
  virtual HRESULT ConfigurePRI(double ExpectedFrequency, double Resolution, LONG Channel) = 0;
  virtual HRESULT MeasurePRF(double ExpectedFrequency, double Resolution, LONG Channel,
                             double* Data) = 0;
  virtual HRESULT MeasurePRI(double ExpectedInterval, double Resolution, LONG Channel,
                             double* Data) = 0;
  virtual HRESULT get_Level(TevraBurstLevelEnum* val) = 0;
  virtual HRESULT put_Level(TevraBurstLevelEnum val) = 0;
  virtual HRESULT get_GateTime(double* val) = 0;
  virtual HRESULT put_GateTime(double val) = 0;
  virtual HRESULT get_AutoGatingEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_AutoGatingEnabled(VARIANT_BOOL val) = 0;
  virtual HRESULT get_Delay(double* val) = 0;
  virtual HRESULT put_Delay(double val) = 0;
  virtual HRESULT get_NarrowPulseEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_NarrowPulseEnabled(VARIANT_BOOL val) = 0;

 protected:
  ~ITevraBurst() = default;
};

// ---- Class-compliant interfaces ----
// The per-function properties are answered with "not supported": configure a function with its
// Configure methods.

struct IIviCounterFrequency : IUnknown {
  virtual HRESULT get_Channel(BSTR* val) = 0;
  virtual HRESULT put_Channel(BSTR val) = 0;
  virtual HRESULT get_Estimate(double* val) = 0;
  virtual HRESULT put_Estimate(double val) = 0;
  virtual HRESULT get_Resolution(double* val) = 0;
  virtual HRESULT put_Resolution(double val) = 0;
  virtual HRESULT get_ApertureTime(double* val) = 0;
  virtual HRESULT put_ApertureTime(double val) = 0;
  virtual HRESULT get_EstimateAuto(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_EstimateAuto(VARIANT_BOOL val) = 0;
  virtual HRESULT get_ResolutionAuto(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_ResolutionAuto(VARIANT_BOOL val) = 0;
  virtual HRESULT Configure(BSTR Channel, double Estimate, double Resolution) = 0;
  virtual HRESULT ConfigureManual(BSTR Channel, double Estimate, double Resolution) = 0;
  virtual HRESULT ConfigureWithAperture(BSTR Channel, double Estimate, double Resolution,
                                        double ApertureTime) = 0;

 protected:
  ~IIviCounterFrequency() = default;
};

struct IIviCounterPeriod : IUnknown {
  virtual HRESULT get_Channel(BSTR* val) = 0;
  virtual HRESULT put_Channel(BSTR val) = 0;
  virtual HRESULT get_Estimate(double* val) = 0;
  virtual HRESULT put_Estimate(double val) = 0;
  virtual HRESULT get_Resolution(double* val) = 0;
  virtual HRESULT put_Resolution(double val) = 0;
  virtual HRESULT get_ApertureTime(double* val) = 0;
  virtual HRESULT put_ApertureTime(double val) = 0;
  virtual HRESULT Configure(BSTR Channel, double Estimate, double Resolution) = 0;
  virtual HRESULT ConfigureWithAperture(BSTR Channel, double Estimate, double Resolution,
                                        double ApertureTime) = 0;

 protected:
  ~IIviCounterPeriod() = default;
};

struct IIviCounterPulseWidth : IUnknown {
  virtual HRESULT get_Channel(BSTR* val) = 0;
  virtual HRESULT put_Channel(BSTR val) = 0;
  virtual HRESULT get_Estimate(double* val) = 0;
  virtual HRESULT put_Estimate(double val) = 0;
  virtual HRESULT get_Resolution(double* val) = 0;
  virtual HRESULT put_Resolution(double val) = 0;
  virtual HRESULT Configure(BSTR Channel, double Estimate, double Resolution) = 0;

 protected:
  ~IIviCounterPulseWidth() = default;
};

struct IIviCounterDutyCycle : IUnknown {
  virtual HRESULT get_Channel(BSTR* val) = 0;
  virtual HRESULT put_Channel(BSTR val) = 0;
  virtual HRESULT get_FrequencyEstimate(double* val) = 0;
  virtual HRESULT put_FrequencyEstimate(double val) = 0;
  virtual HRESULT get_Resolution(double* val) = 0;
  virtual HRESULT put_Resolution(double val) = 0;
  virtual HRESULT Configure(BSTR Channel, double FrequencyEstimate, double Resolution) = 0;

 protected:
  ~IIviCounterDutyCycle() = default;
};

struct IIviCounterEdgeTime : IUnknown {
  virtual HRESULT get_Channel(BSTR* val) = 0;
  virtual HRESULT put_Channel(BSTR val) = 0;
  virtual HRESULT get_Estimate(double* val) = 0;
  virtual HRESULT put_Estimate(double val) = 0;
  virtual HRESULT get_Resolution(double* val) = 0;
  virtual HRESULT put_Resolution(double val) = 0;
  virtual HRESULT get_ReferenceType(IviCounterEdgeTimeReferenceTypeEnum* val) = 0;
  virtual HRESULT put_ReferenceType(IviCounterEdgeTimeReferenceTypeEnum val) = 0;
  virtual HRESULT get_HighReference(double* val) = 0;
  virtual HRESULT put_HighReference(double val) = 0;
  virtual HRESULT get_LowReference(double* val) = 0;
  virtual HRESULT put_LowReference(double val) = 0;
  virtual HRESULT Configure(BSTR Channel, double Estimate, double Resolution) = 0;
  virtual HRESULT ConfigureReferenceLevels(BSTR Channel,
                                           IviCounterEdgeTimeReferenceTypeEnum ReferenceType,
                                           double HighReference, double LowReference) = 0;

 protected:
  ~IIviCounterEdgeTime() = default;
};

struct IIviCounterFrequencyRatio : IUnknown {
  virtual HRESULT get_NumeratorChannel(BSTR* val) = 0;
  virtual HRESULT put_NumeratorChannel(BSTR val) = 0;
  virtual HRESULT get_DenominatorChannel(BSTR* val) = 0;
  virtual HRESULT put_DenominatorChannel(BSTR val) = 0;
  virtual HRESULT get_NumeratorFrequencyEstimate(double* val) = 0;
  virtual HRESULT put_NumeratorFrequencyEstimate(double val) = 0;
  virtual HRESULT get_Estimate(double* val) = 0;
  virtual HRESULT put_Estimate(double val) = 0;
  virtual HRESULT get_Resolution(double* val) = 0;
  virtual HRESULT put_Resolution(double val) = 0;
  virtual HRESULT Configure(BSTR NumeratorChannel, BSTR DenominatorChannel,
                            double NumeratorFrequencyEstimate, double Estimate,
                            double Resolution) = 0;

 protected:
  ~IIviCounterFrequencyRatio() = default;
};

struct IIviCounterTimeInterval : IUnknown {
  virtual HRESULT get_StartChannel(BSTR* val) = 0;
  virtual HRESULT put_StartChannel(BSTR val) = 0;
  virtual HRESULT get_StopChannel(BSTR* val) = 0;
  virtual HRESULT put_StopChannel(BSTR val) = 0;
  virtual HRESULT get_Estimate(double* val) = 0;
  virtual HRESULT put_Estimate(double val) = 0;
  virtual HRESULT get_Resolution(double* val) = 0;
  virtual HRESULT put_Resolution(double val) = 0;
  virtual HRESULT get_StopHoldoff(double* val) = 0;
  virtual HRESULT put_StopHoldoff(double val) = 0;
  virtual HRESULT Configure(BSTR StartChannel, BSTR StopChannel, double Estimate,
                            double Resolution) = 0;

 protected:
  ~IIviCounterTimeInterval() = default;
};

struct IIviCounterPhase : IUnknown {
  virtual HRESULT get_InputChannel(BSTR* val) = 0;
  virtual HRESULT put_InputChannel(BSTR val) = 0;
  virtual HRESULT get_ReferenceChannel(BSTR* val) = 0;
  virtual HRESULT put_ReferenceChannel(BSTR val) = 0;
  virtual HRESULT get_FrequencyEstimate(double* val) = 0;
  virtual HRESULT put_FrequencyEstimate(double val) = 0;
  virtual HRESULT get_Resolution(double* val) = 0;
  virtual HRESULT put_Resolution(double val) = 0;
  virtual HRESULT Configure(BSTR InputChannel, BSTR ReferenceChannel, double FrequencyEstimate,
                            double Resolution) = 0;

 protected:
  ~IIviCounterPhase() = default;
};

struct IIviCounterTotalizeContinuous : IUnknown {
  virtual HRESULT get_Channel(BSTR* val) = 0;
  virtual HRESULT put_Channel(BSTR val) = 0;
  virtual HRESULT Configure(BSTR Channel) = 0;
  virtual HRESULT Start() = 0;
  virtual HRESULT Stop() = 0;
  virtual HRESULT FetchCount(double* Val) = 0;

 protected:
  ~IIviCounterTotalizeContinuous() = default;
};

struct IIviCounterTotalizeGated : IUnknown {
  virtual HRESULT get_Channel(BSTR* val) = 0;
  virtual HRESULT put_Channel(BSTR val) = 0;
  virtual HRESULT get_GateSource(BSTR* val) = 0;
  virtual HRESULT put_GateSource(BSTR val) = 0;
  virtual HRESULT get_GateSlope(LONG* val) = 0;
  virtual HRESULT put_GateSlope(LONG val) = 0;
  /// GateSlope: 0 negative, 1 positive.
  virtual HRESULT Configure(BSTR Channel, BSTR GateSource, LONG GateSlope) = 0;

 protected:
  ~IIviCounterTotalizeGated() = default;
};

struct IIviCounterTotalizeTimed : IUnknown {
  virtual HRESULT get_Channel(BSTR* val) = 0;
  virtual HRESULT put_Channel(BSTR val) = 0;
  virtual HRESULT get_GateTime(double* val) = 0;
  virtual HRESULT put_GateTime(double val) = 0;
  virtual HRESULT Configure(BSTR Channel, double GateTime) = 0;

 protected:
  ~IIviCounterTotalizeTimed() = default;
};

struct IIviCounterVoltage : IUnknown {
  virtual HRESULT get_Channel(BSTR* val) = 0;
  virtual HRESULT put_Channel(BSTR val) = 0;
  virtual HRESULT get_Estimate(double* val) = 0;
  virtual HRESULT put_Estimate(double val) = 0;
  virtual HRESULT get_Resolution(double* val) = 0;
  virtual HRESULT put_Resolution(double val) = 0;
  /// Function: one of the voltage values of IviCounterMeasurementFunctionEnum.
  virtual HRESULT Configure(BSTR Channel, IviCounterMeasurementFunctionEnum Function,
                            double Estimate, double Resolution) = 0;

 protected:
  ~IIviCounterVoltage() = default;
};

/// The class-compliant root: the measurement function, the function interfaces, the arming, the
/// channels and the measurement.
struct IIviCounter : IIviDriver {
  virtual HRESULT get_Function(IviCounterMeasurementFunctionEnum* val) = 0;
  virtual HRESULT put_Function(IviCounterMeasurementFunctionEnum val) = 0;
  virtual HRESULT get_Frequency(IIviCounterFrequency** val) = 0;
  virtual HRESULT get_Period(IIviCounterPeriod** val) = 0;
  virtual HRESULT get_PulseWidth(IIviCounterPulseWidth** val) = 0;
  virtual HRESULT get_DutyCycle(IIviCounterDutyCycle** val) = 0;
  virtual HRESULT get_EdgeTime(IIviCounterEdgeTime** val) = 0;
  virtual HRESULT get_FrequencyRatio(IIviCounterFrequencyRatio** val) = 0;
  virtual HRESULT get_TimeInterval(IIviCounterTimeInterval** val) = 0;
  virtual HRESULT get_Phase(IIviCounterPhase** val) = 0;
  virtual HRESULT get_TotalizeContinuous(IIviCounterTotalizeContinuous** val) = 0;
  virtual HRESULT get_TotalizeGated(IIviCounterTotalizeGated** val) = 0;
  virtual HRESULT get_TotalizeTimed(IIviCounterTotalizeTimed** val) = 0;
  virtual HRESULT get_Voltage(IIviCounterVoltage** val) = 0;
  virtual HRESULT get_Arm(struct IIviCounterArm** val) = 0;
  virtual HRESULT get_Channels(struct IIviCounterChannels** val) = 0;
  virtual HRESULT get_Measurement(struct IIviCounterMeasurement** val) = 0;

 protected:
  ~IIviCounter() = default;
};

#endif
