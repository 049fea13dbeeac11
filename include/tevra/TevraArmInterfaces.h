/// @file
/// Arming: when a measurement starts and stops. ITevraArm sets the gate of each measurement
/// family; the start and stop interfaces set the arming source and, for external arming, the
/// source input, its level and slope, and the delay or hold-off. The IIviCounterArm* interfaces
/// are their class-compliant views. Included by TevraInterfaces.h.
#ifndef TEVRA_ARM_INTERFACES_H
#define TEVRA_ARM_INTERFACES_H

#include "tevra/IviCounterChannelArmEnums.h"
#include "tevra/TevraEnums.h"
#include "tevra/TevraTypes.h"

inline constexpr IID IID_ITevraArm = {
    0x78EF7071, 0xD147, 0x49F7, {0xB3, 0x0E, 0x70, 0xE6, 0xD1, 0x6E, 0xA7, 0x18}};
inline constexpr IID IID_ITevraArmStart = {
    0xE8C8B358, 0x38A7, 0x4ABA, {0x83, 0x08, 0xFD, 0xFA, 0x5C, 0xF4, 0x3A, 0x26}};
inline constexpr IID IID_ITevraArmStartExternal = {
    0xD3F24E97, 0xD389, 0x4A0F, {0xB0, 0x5B, 0x63, 0x98, 0x01, 0x8F, 0xE9, 0xCE}};
inline constexpr IID IID_ITevraArmStop = {
    0xEF044D70, 0x5B1C, 0x47B9, {0xA5, 0xFF, 0x3C, 0x3F, 0x5C, 0x96, 0xDC, 0x6E}};
inline constexpr IID IID_ITevraArmStopExternal = {
    0x21053E0B, 0x3270, 0x47E0, {0xA8, 0x75, 0x01, 0x30, 0x5F, 0xD6, 0xB7, 0xD5}};
inline constexpr IID IID_IIviCounterArmStart = {
    0x8D049C3B, 0x1BE3, 0x4BC2, {0xA4, 0xF4, 0x90, 0x54, 0x46, 0x35, 0x57, 0x44}};
inline constexpr IID IID_IIviCounterArmStartExternal = {
    0xECA316BC, 0xAD08, 0x4840, {0x8F, 0xFD, 0x72, 0x38, 0xE5, 0x54, 0x6F, 0xA7}};
inline constexpr IID IID_IIviCounterArmStop = {
    0xF7E1AB3E, 0x7DEE, 0x47F9, {0xBA, 0x3A, 0x0F, 0x48, 0xD7, 0x8F, 0x32, 0xAF}};
inline constexpr IID IID_IIviCounterArmStopExternal = {
    0xB3FC9BD0, 0xC8EE, 0x4E57, {0xBA, 0x14, 0xB9, 0x71, 0x5A, 0x29, 0x09, 0x37}};
inline constexpr IID IID_IIviCounterArm = {
    0xC0C54045, 0x4277, 0x4068, {0x90, 0xE4, 0x63, 0x09, 0x91, 0x5C, 0xF3, 0x13}};

struct ITevraArmStartExternal : IUnknown {
  virtual HRESULT get_Source(TevraExternalSourceEnum* val) = 0;
  virtual HRESULT put_Source(TevraExternalSourceEnum val) = 0;
  virtual HRESULT get_Slope(TevraSlopeEnum* val) = 0;
  virtual HRESULT put_Slope(TevraSlopeEnum val) = 0;
  virtual HRESULT get_DelayTime(double* val) = 0;
  virtual HRESULT put_DelayTime(double val) = 0;
  virtual HRESULT get_DelaySource(TevraDelayHoldOffSourceEnum* val) = 0;
  virtual HRESULT put_DelaySource(TevraDelayHoldOffSourceEnum val) = 0;
  virtual HRESULT get_DelayEvents(LONG* val) = 0;
  virtual HRESULT put_DelayEvents(LONG val) = 0;
  /// The trigger level of the input that serves as external source.
  virtual HRESULT get_Voltage(double* val) = 0;
  virtual HRESULT put_Voltage(double val) = 0;
  virtual HRESULT Configure(TevraExternalSourceEnum Source, double Voltage, TevraSlopeEnum Slope,
                            double DelayTime) = 0;

 protected:
  ~ITevraArmStartExternal() = default;
};

struct ITevraArmStart : IUnknown {
  virtual HRESULT get_Type(TevraArmTypeEnum* val) = 0;
  virtual HRESULT put_Type(TevraArmTypeEnum val) = 0;
  virtual HRESULT get_External(ITevraArmStartExternal** val) = 0;

 protected:
  ~ITevraArmStart() = default;
};

/// The start and stop external sources are one instrument setting: writing one changes both.
struct ITevraArmStopExternal : IUnknown {
  virtual HRESULT get_Source(TevraExternalSourceEnum* val) = 0;
  virtual HRESULT put_Source(TevraExternalSourceEnum val) = 0;
  virtual HRESULT get_Slope(TevraSlopeEnum* val) = 0;
  virtual HRESULT put_Slope(TevraSlopeEnum val) = 0;
  virtual HRESULT get_HoldOffTime(double* val) = 0;
  virtual HRESULT put_HoldOffTime(double val) = 0;
  virtual HRESULT get_HoldOffSource(TevraDelayHoldOffSourceEnum* val) = 0;
  virtual HRESULT put_HoldOffSource(TevraDelayHoldOffSourceEnum val) = 0;
  virtual HRESULT get_HoldOffEvents(LONG* val) = 0;
  virtual HRESULT put_HoldOffEvents(LONG val) = 0;
  virtual HRESULT get_Voltage(double* val) = 0;
  virtual HRESULT put_Voltage(double val) = 0;
  virtual HRESULT Configure(TevraExternalSourceEnum Source, double Voltage, TevraSlopeEnum Slope,
                            double HoldOffTime) = 0;

 protected:
  ~ITevraArmStopExternal() = default;
};

struct ITevraArmStop : IUnknown {
  virtual HRESULT get_Type(TevraArmTypeEnum* val) = 0;
  virtual HRESULT put_Type(TevraArmTypeEnum val) = 0;
  virtual HRESULT get_External(ITevraArmStopExternal** val) = 0;

 protected:
  ~ITevraArmStop() = default;
};

/// The gate of each measurement family (frequency, time interval, totalize).
struct ITevraArm : IUnknown {
  virtual HRESULT SetSource(TevraArmMeasurementTypeEnum ArmMeasurementType,
                            TevraArmSourceEnum ArmSource) = 0;
  virtual HRESULT GetSource(TevraArmMeasurementTypeEnum ArmMeasurementType,
                            TevraArmSourceEnum* ArmSource) = 0;
  virtual HRESULT SetPolarity(TevraArmMeasurementTypeEnum ArmMeasurementType,
                              TevraPolarityEnum Polarity) = 0;
  virtual HRESULT GetPolarity(TevraArmMeasurementTypeEnum ArmMeasurementType,
                              TevraPolarityEnum* Polarity) = 0;
  virtual HRESULT SetTime(TevraArmMeasurementTypeEnum ArmMeasurementType, double Time) = 0;
  virtual HRESULT GetTime(TevraArmMeasurementTypeEnum ArmMeasurementType, double* Time) = 0;
  virtual HRESULT get_Start(ITevraArmStart** val) = 0;
  virtual HRESULT get_Stop(ITevraArmStop** val) = 0;

 protected:
  ~ITevraArm() = default;
};

/// External sources are named "Channel1", "Channel2" or "BNC".
struct IIviCounterArmStartExternal : IUnknown {
  virtual HRESULT get_Source(BSTR* val) = 0;
  virtual HRESULT put_Source(BSTR val) = 0;
  virtual HRESULT get_Level(double* val) = 0;
  virtual HRESULT put_Level(double val) = 0;
  virtual HRESULT get_Slope(IviCounterSlopeEnum* val) = 0;
  virtual HRESULT put_Slope(IviCounterSlopeEnum val) = 0;
  virtual HRESULT get_Delay(double* val) = 0;
  virtual HRESULT put_Delay(double val) = 0;
  virtual HRESULT Configure(BSTR Source, double Level, IviCounterSlopeEnum Slope, double Delay) = 0;

 protected:
  ~IIviCounterArmStartExternal() = default;
};

struct IIviCounterArmStart : IUnknown {
  virtual HRESULT get_Type(IviCounterArmTypeEnum* val) = 0;
  virtual HRESULT put_Type(IviCounterArmTypeEnum val) = 0;
  virtual HRESULT get_External(IIviCounterArmStartExternal** val) = 0;

 protected:
  ~IIviCounterArmStart() = default;
};

struct IIviCounterArmStopExternal : IUnknown {
  virtual HRESULT get_Source(BSTR* val) = 0;
  virtual HRESULT put_Source(BSTR val) = 0;
  virtual HRESULT get_Level(double* val) = 0;
  virtual HRESULT put_Level(double val) = 0;
  virtual HRESULT get_Slope(IviCounterSlopeEnum* val) = 0;
  virtual HRESULT put_Slope(IviCounterSlopeEnum val) = 0;
  virtual HRESULT get_Holdoff(double* val) = 0;
  virtual HRESULT put_Holdoff(double val) = 0;
  virtual HRESULT Configure(BSTR Source, double Level, IviCounterSlopeEnum Slope,
                            double Holdoff) = 0;

 protected:
  ~IIviCounterArmStopExternal() = default;
};

struct IIviCounterArmStop : IUnknown {
  virtual HRESULT get_Type(IviCounterArmTypeEnum* val) = 0;
  virtual HRESULT put_Type(IviCounterArmTypeEnum val) = 0;
  virtual HRESULT get_External(IIviCounterArmStopExternal** val) = 0;

 protected:
  ~IIviCounterArmStop() = default;
};

/// The class-compliant arming: its start and stop sides.
struct IIviCounterArm : IUnknown {
  virtual HRESULT get_Start(IIviCounterArmStart** val) = 0;
  virtual HRESULT get_Stop(IIviCounterArmStop** val) = 0;

 protected:
  ~IIviCounterArm() = default;
};

#endif
