/// @file
/// The system interfaces: waiting for the instrument, the method trace, the beeper, the front-panel
/// lock, the clock, the session timeout and the instrument's identity, then (second and third
/// versions) the pass-through I/O that talks to the instrument without the driver's formatting,
/// and the formatted I/O object the driver's session uses.
/// Byte arrays are one-dimensional safe arrays of VT_UI1 (lower bound 0); the caller destroys the
/// arrays it receives.
#ifndef TEVRA_SYSTEM_INTERFACES_H
#define TEVRA_SYSTEM_INTERFACES_H

#include "tevra/TevraTypes.h"

inline constexpr IID IID_ITevraSystem = {
    0xB2FCAEBA, 0x5E0A, 0x47E8, {0x8E, 0xEC, 0xD0, 0xE1, 0xF9, 0x55, 0x4A, 0x2B}};
inline constexpr IID IID_ITevraSystem2 = {
    0x5E4FB266, 0xA02D, 0x4DEE, {0x87, 0x66, 0xA1, 0xF2, 0xC7, 0x69, 0x5C, 0x1B}};
inline constexpr IID IID_ITevraSystem3 = {
    0xFA38E18F, 0xAE8D, 0x44A6, {0xAB, 0x31, 0x1B, 0xF9, 0x0B, 0xB5, 0xB7, 0xE7}};
inline constexpr IID IID_IFormattedIO488 = {
    0x25E74E2A, 0x3525, 0x48D4, {0xA1, 0x7A, 0x0C, 0xEB, 0xE8, 0x03, 0xBD, 0xDF}};

/// The formatted I/O object of the driver's session. Its calls take the driver's session lock, so
/// they never interleave with a driver call on another thread; the status check of the driver's
/// own exchanges is not made.
struct IFormattedIO488 : IUnknown {
  /// Writes the text; flushAndEND sends what is buffered with END after it.
  virtual HRESULT WriteString(BSTR data, VARIANT_BOOL flushAndEND) = 0;
  /// One response, without its read terminator.
  virtual HRESULT ReadString(BSTR* pbstrString) = 0;
  virtual HRESULT WriteNumber(double data, VARIANT_BOOL flushAndEND) = 0;
  virtual HRESULT ReadNumber(double* pdata) = 0;
  virtual HRESULT FlushWrite(VARIANT_BOOL sendEND) = 0;
  /// Drops what is left of the current response.
  virtual HRESULT FlushRead() = 0;

 protected:
  ~IFormattedIO488() = default;
};

struct ITevraSystem : IUnknown {
  virtual HRESULT WaitForOperationComplete(LONG MaxTimeMilliseconds) = 0;
  virtual HRESULT get_TraceEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_TraceEnabled(VARIANT_BOOL val) = 0;
  virtual HRESULT get_BeeperEnabled(VARIANT_BOOL* val) = 0;
  virtual HRESULT put_BeeperEnabled(VARIANT_BOOL val) = 0;
  virtual HRESULT Beep() = 0;
  virtual HRESULT RequestLock(VARIANT_BOOL* Val) = 0;
  virtual HRESULT ReleaseLock() = 0;
  virtual HRESULT get_LockName(BSTR* val) = 0;
  virtual HRESULT get_LockOwner(BSTR* val) = 0;
  virtual HRESULT get_SCPIVersion(double* val) = 0;
  virtual HRESULT get_Date(BSTR* val) = 0;
  virtual HRESULT put_Date(BSTR val) = 0;
  virtual HRESULT get_Time(BSTR* val) = 0;
  virtual HRESULT put_Time(BSTR val) = 0;
  /// The driver's reset: "*RST", then the driver forgets its settings.
  virtual HRESULT Reset() = 0;
  /// The session timeout; a value below 100 ms is stored as 100.
  virtual HRESULT get_TimeoutMilliseconds(LONG* val) = 0;
  virtual HRESULT put_TimeoutMilliseconds(LONG val) = 0;
  /// The serial number of the identity reply and the "*OPT?" reply, as read at Initialize.
  virtual HRESULT get_SerialNumber(BSTR* val) = 0;
  virtual HRESULT get_Option(BSTR* val) = 0;
  /// Refused while simulating.
  virtual HRESULT get_DirectIO(IFormattedIO488** val) = 0;

 protected:
  ~ITevraSystem() = default;
};

/// Pass-through I/O on the driver's session: nothing is formatted, and the instrument's status is
/// not checked afterwards.
struct ITevraSystem2 : ITevraSystem {
  /// A device clear of the session.
  virtual HRESULT ClearIO() = 0;
  /// One response, without its read terminator.
  virtual HRESULT ReadString(BSTR* Val) = 0;
  /// One message, with END after it.
  virtual HRESULT WriteString(BSTR Command) = 0;
  /// At most Count bytes of one response; the rest of the response is dropped.
  virtual HRESULT ReadBytes(LONG Count, SAFEARRAY** Val) = 0;
  /// The bytes as one message, with END after the last.
  virtual HRESULT WriteBytes(SAFEARRAY* Data) = 0;

 protected:
  ~ITevraSystem2() = default;
};

struct ITevraSystem3 : ITevraSystem2 {
  /// One read of at most Count bytes; what the instrument sends beyond them stays for the next
  /// read.
  virtual HRESULT ReadBytes2(LONG Count, SAFEARRAY** Val) = 0;
  /// The bytes as one message, with END after the last; Written receives how many were sent.
  virtual HRESULT WriteBytes2(SAFEARRAY* Data, LONG* Written) = 0;
  /// The session timeout, as TimeoutMilliseconds.
  virtual HRESULT get_IOTimeout(LONG* val) = 0;
  virtual HRESULT put_IOTimeout(LONG val) = 0;

 protected:
  ~ITevraSystem3() = default;
};

#endif
