/// @file
/// The instrument's front panel and its signals: the display, the gate output and the reference
/// oscillator.
#ifndef TEVRA_INSTRUMENT_INTERFACES_H
#define TEVRA_INSTRUMENT_INTERFACES_H

#include "tevra/TevraEnums.h"
#include "tevra/TevraTypes.h"

inline constexpr IID IID_ITevraDisplay = {
    0x0FBD1B10, 0x6812, 0x4CCC, {0x80, 0x53, 0x68, 0xE7, 0x4B, 0xA4, 0x63, 0xFB}};
inline constexpr IID IID_ITevraOutput = {
    0x558B82DA, 0xC60C, 0x4D51, {0x87, 0xC3, 0x9C, 0xD8, 0x59, 0x6B, 0x7F, 0x56}};
inline constexpr IID IID_ITevraReferenceOscillator = {
    0x3842832E, 0x220B, 0x4075, {0xA4, 0x91, 0x7A, 0x27, 0x10, 0x6B, 0xA0, 0xB2}};

struct ITevraDisplay : IUnknown {
  /// The screen as a bitmap file's bytes (a one-dimensional safe array of VT_UI1); the caller
  /// destroys it.
  virtual HRESULT GetScreenImage(SAFEARRAY** Val) = 0;
  virtual HRESULT Clear() = 0;
  virtual HRESULT get_Enabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_Enabled(VARIANT_BOOL val) = 0;
  /// The text shown, without the double quotes the instrument answers it in.
  virtual HRESULT get_Text(BSTR* val) = 0;
  virtual HRESULT put_Text(BSTR val) = 0;
  virtual HRESULT get_Mode(TevraDisplayModeEnum* val) = 0;
  virtual HRESULT put_Mode(TevraDisplayModeEnum val) = 0;
  virtual HRESULT get_DigitCount(LONG* val) = 0;
  virtual HRESULT put_DigitCount(LONG val) = 0;
  virtual HRESULT get_AutoDigitCountEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_AutoDigitCountEnabled(VARIANT_BOOL val) = 0;

 protected:
  ~ITevraDisplay() = default;
};

struct ITevraOutput : IUnknown {
  virtual HRESULT get_Polarity(TevraOutSignalPolarityEnum* val) = 0;
  virtual HRESULT put_Polarity(TevraOutSignalPolarityEnum val) = 0;
  virtual HRESULT get_Enabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_Enabled(VARIANT_BOOL val) = 0;

 protected:
  ~ITevraOutput() = default;
};

struct ITevraReferenceOscillator : IUnknown {
  virtual HRESULT ExternalFrequencyCheck() = 0;
  virtual HRESULT get_Source(TevraReferenceOscillatorSourceEnum* val) = 0;
  virtual HRESULT put_Source(TevraReferenceOscillatorSourceEnum val) = 0;
  virtual HRESULT get_AutoSourceEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_AutoSourceEnabled(VARIANT_BOOL val) = 0;
  virtual HRESULT get_PowerStandbyEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_PowerStandbyEnabled(VARIANT_BOOL val) = 0;
  virtual HRESULT get_ExternalFrequency(TevraExternalFrequencyEnum* val) = 0;
  virtual HRESULT put_ExternalFrequency(TevraExternalFrequencyEnum val) = 0;

 protected:
  ~ITevraReferenceOscillator() = default;
};

#endif
