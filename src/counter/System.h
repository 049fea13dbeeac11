// ITevraSystem and its second and third versions, one object: WaitForOperationComplete waits for
// the instrument's "*OPC?" reply (MeasurementWait.cpp); TraceEnabled switches the method trace
// (SystemTrace.cpp); the session timeout, the identity and the reset are here (System.cpp); the
// pass-through I/O and the formatted I/O object DirectIO hands out are in SystemIo.cpp.
#pragma once

#include <memory>

#include "counter/DriverPart.h"
#include "counter/InterfaceGroup.h"

namespace tevra::counter {

// The instrument's status check switched off for one call: around the "*OPC?" wait it would only
// add a second exchange to a wait the caller bounded, and around pass-through I/O it would answer
// the caller's own query with "*ESR?". The earlier setting comes back in every case.
class StatusCheckOff {
 public:
  explicit StatusCheckOff(Tevra& driver) : d_(driver), was_(driver.Flags().queryInstrumentStatus) {
    d_.SetQueryInstrumentStatus(false);
  }
  ~StatusCheckOff() { d_.SetQueryInstrumentStatus(was_); }
  StatusCheckOff(const StatusCheckOff&) = delete;
  StatusCheckOff& operator=(const StatusCheckOff&) = delete;

 private:
  Tevra& d_;
  bool was_;
};

class SystemInterface final : public DriverPart<ITevraSystem3> {
 public:
  using DriverPart::DriverPart;

  HRESULT WaitForOperationComplete(LONG MaxTimeMilliseconds) override;
  HRESULT Reset() override;
  HRESULT ClearIO() override;
  HRESULT ReadString(BSTR* Val) override;
  HRESULT WriteString(BSTR Command) override;
  HRESULT ReadBytes(LONG Count, SAFEARRAY** Val) override;
  HRESULT WriteBytes(SAFEARRAY* Data) override;
  HRESULT ReadBytes2(LONG Count, SAFEARRAY** Val) override;
  HRESULT WriteBytes2(SAFEARRAY* Data, LONG* Written) override;
#define TEVRA_ROWS "counter/members/ITevraSystem.def"
#include "core/DeclareAccessors.inc"
#define TEVRA_ROWS "counter/members/ITevraSystem2.def"
#include "core/DeclareAccessors.inc"
#define TEVRA_ROWS "counter/members/ITevraSystem3.def"
#include "core/DeclareAccessors.inc"
};

// The formatted I/O object of the driver's session: a new object per DirectIO get, holding a
// reference to the driver object.
HRESULT CreateFormattedIo(Tevra& driver, IFormattedIO488** val);

std::unique_ptr<InterfaceGroup> CreateSystemGroup(Tevra& driver);

}  // namespace tevra::counter
