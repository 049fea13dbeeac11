/// @file
/// The interfaces that start measurements and collect readings, read the running count of a
/// continuous totalize and set up the trigger system, with the
/// class-compliant measurement interface and its enumeration.
/// Readings come back as one-dimensional safe arrays of doubles (lower bound 0); the caller
/// destroys them.
#ifndef TEVRA_MEASUREMENT_INTERFACES_H
#define TEVRA_MEASUREMENT_INTERFACES_H

#include "tevra/TevraEnums.h"
#include "tevra/TevraFunctionInterfaces.h"
#include "tevra/TevraTypes.h"

inline constexpr IID IID_ITevraMeasurement = {
    0x5548ACE0, 0xF3BF, 0x49D2, {0xA8, 0x52, 0x95, 0x95, 0xAD, 0x74, 0xD6, 0xC6}};
inline constexpr IID IID_IIviCounterMeasurement = {
    0x57B06AAE, 0xCE0F, 0x456C, {0xA2, 0x43, 0x90, 0x6F, 0xEE, 0x22, 0x31, 0x61}};
inline constexpr IID IID_ITevraTrigger = {
    0x37E79C6D, 0x6346, 0x4B44, {0x88, 0x0B, 0x14, 0x85, 0xFF, 0x5A, 0x89, 0x4A}};
inline constexpr IID IID_ITevraTotalizeContinuous2 = {
    0xC8035829, 0x0807, 0x4754, {0x8D, 0x86, 0x01, 0x98, 0xDB, 0xBB, 0xB2, 0x01}};

enum IviCounterMeasurementStatusEnum : int {
  IviCounterMeasurementStatusUnknown = -1,
  IviCounterMeasurementStatusInProgress = 0,
  IviCounterMeasurementStatusComplete = 1,
};

struct ITevraMeasurement : IUnknown {
  virtual HRESULT Read(LONG MaxTimeMilliseconds, SAFEARRAY** Val) = 0;
  virtual HRESULT Fetch(SAFEARRAY** Val) = 0;
  virtual HRESULT Abort() = 0;
  virtual HRESULT Initiate() = 0;
  virtual HRESULT QueryLast(double* LastMeasurement, BSTR* MeasurementUnit) = 0;
  virtual HRESULT ReadingCount(LONG* Val) = 0;
  virtual HRESULT DestructiveReadCounted(LONG NumReadings, SAFEARRAY** Val) = 0;
  virtual HRESULT DestructiveReadUpToCount(LONG MaxCount, SAFEARRAY** Val) = 0;
  virtual HRESULT get_Mode(TevraFrequencyMeasurementModeEnum* val) = 0;
  virtual HRESULT put_Mode(TevraFrequencyMeasurementModeEnum val) = 0;

 protected:
  ~ITevraMeasurement() = default;
};

struct IIviCounterMeasurement : IUnknown {
  virtual HRESULT Abort() = 0;
  virtual HRESULT Fetch(double* Val) = 0;
  virtual HRESULT Initiate() = 0;
  virtual HRESULT IsMeasurementComplete(IviCounterMeasurementStatusEnum* MeasurementStatus) = 0;
  virtual HRESULT Read(LONG MaxTimeMilliseconds, double* Val) = 0;

 protected:
  ~IIviCounterMeasurement() = default;
};

struct ITevraTrigger : IUnknown {
  virtual HRESULT SendSoftwareTrigger() = 0;
  virtual HRESULT get_Count(LONG* val) = 0;
  virtual HRESULT put_Count(LONG val) = 0;
  virtual HRESULT get_Delay(LONG* val) = 0;
  virtual HRESULT put_Delay(LONG val) = 0;
  virtual HRESULT get_Slope(TevraSlopeEnum* val) = 0;
  virtual HRESULT put_Slope(TevraSlopeEnum val) = 0;
  virtual HRESULT get_Source(TevraTriggerSourceEnum* val) = 0;
  virtual HRESULT put_Source(TevraTriggerSourceEnum val) = 0;
  virtual HRESULT get_SampleCount(LONG* val) = 0;
  virtual HRESULT put_SampleCount(LONG val) = 0;

 protected:
  ~ITevraTrigger() = default;
};

struct ITevraTotalizeContinuous2 : ITevraTotalizeContinuous {
  virtual HRESULT ReadCount(double* Val) = 0;

 protected:
  ~ITevraTotalizeContinuous2() = default;
};

#endif
