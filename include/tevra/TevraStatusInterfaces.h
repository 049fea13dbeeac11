/// @file
/// The instrument's status reporting and its calibration: the IEEE 488.2 and SCPI status
/// registers with the service request built from them, and the calibration routines with their
/// security lock.
#ifndef TEVRA_STATUS_INTERFACES_H
#define TEVRA_STATUS_INTERFACES_H

#include "tevra/TevraEnums.h"
#include "tevra/TevraTypes.h"

inline constexpr IID IID_ITevraStatus = {
    0xCF785F0A, 0xB1FE, 0x4F36, {0x9F, 0x47, 0x07, 0x8E, 0x5B, 0xDA, 0x2C, 0x40}};
inline constexpr IID IID_ITevraCalibration = {
    0xD62E9432, 0x5DDE, 0x4502, {0xB1, 0x2F, 0x88, 0x6C, 0xAA, 0xD7, 0xBB, 0xE1}};

struct ITevraStatus : IUnknown {
  /// Sets the enable and transition registers to their preset values.
  virtual HRESULT Preset() = 0;
  /// Clears the event registers and the error queue.
  virtual HRESULT Clear() = 0;
  /// Presets and clears the registers, then enables a service request for the events of Reason,
  /// a combination of TevraStatusSRQReasonEnum bits (1 to 0x0FFFFFFF).
  virtual HRESULT ConfigureServiceRequest(LONG Reason) = 0;
  /// One part of a status register. The status byte has a condition and an enable part, the
  /// standard event register an event and an enable part; the operation and questionable
  /// registers have all five. Only the transition and enable parts can be written.
  virtual HRESULT get_Register(TevraStatusRegisterEnum Register,
                               TevraStatusSubRegisterEnum SubRegister, LONG* val) = 0;
  virtual HRESULT put_Register(TevraStatusRegisterEnum Register,
                               TevraStatusSubRegisterEnum SubRegister, LONG val) = 0;
  /// The status byte, read by a serial poll.
  virtual HRESULT get_SerialPoll(LONG* val) = 0;

 protected:
  ~ITevraStatus() = default;
};

struct ITevraCalibration : IUnknown {
  /// Runs the full calibration; Val is 0 when it passed.
  virtual HRESULT Calibrate(SHORT* Val) = 0;
  /// Runs the internal self-calibration; Val is 0 when it passed, 1 when it failed.
  virtual HRESULT AutoCalibrate(SHORT* Val) = 0;
  /// Locks (true) or unlocks calibration with the security code, which is not kept.
  virtual HRESULT SecurityEnabled(VARIANT_BOOL SecurityState, BSTR SecurityCode) = 0;
  /// A new security code.
  virtual HRESULT put_Code(BSTR val) = 0;
  virtual HRESULT get_SecurityState(VARIANT_BOOL* val) = 0;
  /// How many times the instrument was calibrated.
  virtual HRESULT get_Count(LONG* val) = 0;
  /// The calibration message the instrument keeps (up to 15 characters written).
  virtual HRESULT get_Message(BSTR* val) = 0;
  virtual HRESULT put_Message(BSTR val) = 0;
  /// The value of the calibration source.
  virtual HRESULT get_Value(double* val) = 0;
  virtual HRESULT put_Value(double val) = 0;
  /// Calibrates the level of the microwave input at Frequency (Hz) and Power (dBm).
  virtual HRESULT MicroWaveChannelLevelCalibration(double Frequency, double Power, LONG* Val) = 0;

 protected:
  ~ITevraCalibration() = default;
};

#endif
