/// @file
/// The math subsystem of the instrument: statistics over the readings, a moving-average filter,
/// scaling, limit testing and a histogram, each an interface of its own reached through ITevraMath.
/// Arrays come back as one-dimensional safe arrays of doubles (lower bound 0); the caller destroys
/// them.
#ifndef TEVRA_MATH_INTERFACES_H
#define TEVRA_MATH_INTERFACES_H

#include "tevra/TevraEnums.h"
#include "tevra/TevraTypes.h"

inline constexpr IID IID_ITevraMath = {
    0x5D2D946C, 0xBAFD, 0x4FD4, {0xA2, 0xDA, 0xAD, 0x65, 0x41, 0x37, 0x75, 0xB8}};
inline constexpr IID IID_ITevraMathStatistics = {
    0xAD1FB5F0, 0xC1E0, 0x48AE, {0xA8, 0x52, 0x8B, 0x65, 0x0A, 0xF4, 0xB4, 0x83}};
inline constexpr IID IID_ITevraMathSmoothing = {
    0x214C50DF, 0x9AA6, 0x4DC9, {0x94, 0xB5, 0x25, 0x14, 0x85, 0xFF, 0xA2, 0x51}};
inline constexpr IID IID_ITevraMathScaling = {
    0xDA86D801, 0x10A5, 0x483D, {0x92, 0x44, 0x7D, 0x58, 0x86, 0x0F, 0x68, 0xA1}};
inline constexpr IID IID_ITevraMathLimits = {
    0x9574DAEE, 0x83A4, 0x4F72, {0x9E, 0xA6, 0x90, 0x12, 0x87, 0x63, 0xF9, 0x55}};
inline constexpr IID IID_ITevraMathHistogram = {
    0xCE386B45, 0xF82D, 0x4247, {0x82, 0xEA, 0x94, 0xF6, 0x1F, 0x47, 0x31, 0x14}};

struct ITevraMathStatistics : IUnknown {
  virtual HRESULT get_Enabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_Enabled(VARIANT_BOOL val) = 0;
  virtual HRESULT get_Average(double* val) = 0;
  virtual HRESULT get_StandardDeviation(double* val) = 0;
  virtual HRESULT get_Minimum(double* val) = 0;
  virtual HRESULT get_Maximum(double* val) = 0;
  virtual HRESULT get_PeaktoPeak(double* val) = 0;
  virtual HRESULT get_CurrentCount(LONG* val) = 0;
  virtual HRESULT get_AllanDeviation(double* val) = 0;
  /// Average, standard deviation, minimum and maximum from one reply.
  virtual HRESULT AverageAll(double* Average, double* StandardDeviation, double* Minimum,
                             double* Maximum) = 0;

 protected:
  ~ITevraMathStatistics() = default;
};

struct ITevraMathSmoothing : IUnknown {
  virtual HRESULT get_Enabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_Enabled(VARIANT_BOOL val) = 0;
  virtual HRESULT get_Response(TevraSmoothingResponseEnum* val) = 0;
  virtual HRESULT put_Response(TevraSmoothingResponseEnum val) = 0;

 protected:
  ~ITevraMathSmoothing() = default;
};

struct ITevraMathScaling : IUnknown {
  virtual HRESULT get_Function(TevraScalingFunctionEnum* val) = 0;
  virtual HRESULT put_Function(TevraScalingFunctionEnum val) = 0;
  virtual HRESULT get_Gain(double* val) = 0;
  virtual HRESULT put_Gain(double val) = 0;
  virtual HRESULT get_Offset(double* val) = 0;
  virtual HRESULT put_Offset(double val) = 0;
  virtual HRESULT get_Reference(double* val) = 0;
  virtual HRESULT put_Reference(double val) = 0;
  virtual HRESULT get_AutoReferenceEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_AutoReferenceEnabled(VARIANT_BOOL val) = 0;
  virtual HRESULT get_InversionEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_InversionEnabled(VARIANT_BOOL val) = 0;
  virtual HRESULT get_Enabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_Enabled(VARIANT_BOOL val) = 0;
  /// The unit text without the double quotes the instrument answers it in.
  virtual HRESULT get_Unit(BSTR* val) = 0;
  virtual HRESULT put_Unit(BSTR val) = 0;
  virtual HRESULT get_UnitEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_UnitEnabled(VARIANT_BOOL val) = 0;

 protected:
  ~ITevraMathScaling() = default;
};

struct ITevraMathLimits : IUnknown {
  virtual HRESULT Clear() = 0;
  virtual HRESULT get_Lower(double* val) = 0;
  virtual HRESULT put_Lower(double val) = 0;
  virtual HRESULT get_Upper(double* val) = 0;
  virtual HRESULT put_Upper(double val) = 0;
  virtual HRESULT get_Enabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_Enabled(VARIANT_BOOL val) = 0;

 protected:
  ~ITevraMathLimits() = default;
};

struct ITevraMathHistogram : IUnknown {
  virtual HRESULT Clear() = 0;
  virtual HRESULT get_Enabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_Enabled(VARIANT_BOOL val) = 0;
  virtual HRESULT get_DataPoints(LONG* val) = 0;
  virtual HRESULT put_DataPoints(LONG val) = 0;
  virtual HRESULT get_DataCount(LONG* val) = 0;
  virtual HRESULT get_LowerRange(double* val) = 0;
  virtual HRESULT put_LowerRange(double val) = 0;
  virtual HRESULT get_UpperRange(double* val) = 0;
  virtual HRESULT put_UpperRange(double val) = 0;
  virtual HRESULT get_AutoRangeEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_AutoRangeEnabled(VARIANT_BOOL val) = 0;
  virtual HRESULT get_AutoRangeCount(LONG* val) = 0;
  virtual HRESULT put_AutoRangeCount(LONG val) = 0;
  /// The bin counts.
  virtual HRESULT ReadData(SAFEARRAY** Val) = 0;
  /// The range, the number of readings and the bin counts from one reply.
  virtual HRESULT HistogramData(double* MinValue, double* MaxValue, double* Count,
                                SAFEARRAY** BinData) = 0;

 protected:
  ~ITevraMathHistogram() = default;
};

struct ITevraMath : IUnknown {
  virtual HRESULT get_MathEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_MathEnabled(VARIANT_BOOL val) = 0;
  virtual HRESULT get_Histogram(ITevraMathHistogram** val) = 0;
  virtual HRESULT get_Scaling(ITevraMathScaling** val) = 0;
  virtual HRESULT get_Limits(ITevraMathLimits** val) = 0;
  virtual HRESULT get_Statistics(ITevraMathStatistics** val) = 0;
  virtual HRESULT get_Smoothing(ITevraMathSmoothing** val) = 0;

 protected:
  ~ITevraMath() = default;
};

#endif
