// IIviDriverUtility: reset, disable, self-test and error query with IEEE 488.2 common commands.
#include <string>

#include "core/Driver.h"
#include "core/Rows.h"
#include "platform/Bstr.h"

namespace tevra::core {
namespace {

// The instrument's error text without the trailing white space and the quotes round it.
std::string CleanErrorText(std::string_view text) {
  while (!text.empty() && Trim(text.substr(text.size() - 1)).empty()) text.remove_suffix(1);
  while (!text.empty() && text.front() == '"') text.remove_prefix(1);
  while (!text.empty() && text.back() == '"') text.remove_suffix(1);
  return std::string(Trim(text));
}

HRESULT GiveText(std::string_view text, BSTR& out, CTevraErrorReporter& reporter) {
  out = platform::AllocBstr(text);
  return out ? S_OK : reporter.Report(Code::OutOfMemory);
}

}  // namespace

HRESULT DriverUtilityImpl::Reset() {
  return d_.Enter(rows::IIviDriverUtility_Reset.record, [&] { return d_.ResetImpl(); });
}
HRESULT DriverUtilityImpl::ResetWithDefaults() {
  return d_.Enter(rows::IIviDriverUtility_ResetWithDefaults.record,
                  [&] { return d_.ResetWithDefaultsImpl(); });
}
HRESULT DriverUtilityImpl::Disable() {
  return d_.Enter(rows::IIviDriverUtility_Disable.record, [&] { return d_.DisableImpl(); });
}
HRESULT DriverUtilityImpl::SelfTest(LONG* TestResult, BSTR* TestMessage) {
  return d_.Enter(
      rows::IIviDriverUtility_SelfTest.record,
      [&] { return d_.SelfTestImpl(*TestResult, *TestMessage); }, Out("TestResult", TestResult),
      Out("TestMessage", TestMessage));
}
HRESULT DriverUtilityImpl::ErrorQuery(LONG* ErrorCode, BSTR* ErrorMessage) {
  return d_.Enter(
      rows::IIviDriverUtility_ErrorQuery.record,
      [&] { return d_.ErrorQueryImpl(*ErrorCode, *ErrorMessage); }, Out("ErrorCode", ErrorCode),
      Out("ErrorMessage", ErrorMessage));
}
// The session lock already serialises every call; a longer critical region is not offered.
HRESULT DriverUtilityImpl::LockObject() {
  return d_.Enter(rows::IIviDriverUtility_LockObject.record,
                  [&] { return d_.Reporter().Report(Code::MethodNotSupported, "LockObject"); });
}
HRESULT DriverUtilityImpl::UnlockObject() {
  return d_.Enter(rows::IIviDriverUtility_UnlockObject.record,
                  [&] { return d_.Reporter().Report(Code::MethodNotSupported, "UnlockObject"); });
}

HRESULT CDriver::ResetImpl() {
  HRESULT hr = S_OK;
  if (!flags_.simulate) {
    std::int32_t complete = 0;  // waits for the reset query's *OPC? reply
    hr = io_->QueryNumber("*RST;*OPC?", &complete, resetTimeout_);
  }
  // The instrument may have reset even when the reply was lost: forget the state either way.
  ResetStateTree();
  InvalidateCacheTree();
  return hr;
}

HRESULT CDriver::DisableImpl() {
  if (flags_.simulate) return S_OK;
  std::int32_t complete = 0;
  return io_->QueryNumber("*RST;*OPC?", &complete, disableTimeout_);
}

HRESULT CDriver::ResetWithDefaultsImpl() {
  HRESULT hr = utility_.Reset();
  if (FAILED(hr)) return hr;
  const auto vb = [](bool b) { return b ? VARIANT_TRUE : VARIANT_FALSE; };
  const SessionFlags initial = initialFlags_;
  IIviDriverOperation& op = operation_;
  HRESULT(IIviDriverOperation::*const setters[])
  (VARIANT_BOOL) = {&IIviDriverOperation::put_Cache,
                    &IIviDriverOperation::put_InterchangeCheck,
                    &IIviDriverOperation::put_QueryInstrumentStatus,
                    &IIviDriverOperation::put_RangeCheck,
                    &IIviDriverOperation::put_RecordCoercions,
                    &IIviDriverOperation::put_Simulate};
  const bool values[] = {
      initial.cache,      initial.interchangeCheck, initial.queryInstrumentStatus,
      initial.rangeCheck, initial.recordCoercions,  initial.simulate};
  for (std::size_t i = 0; i < std::size(setters); ++i) {
    hr = (op.*setters[i])(vb(values[i]));
    if (FAILED(hr)) return hr;
  }
  return hr;
}

HRESULT CDriver::SelfTestImpl(LONG& result, BSTR& message) {
  if (flags_.simulate) return GiveText("Selftest passed", message, reporter_);
  std::int32_t value = 0;
  const HRESULT hr = io_->QueryNumber("*TST?", &value, selfTestTimeout_);
  if (FAILED(hr)) return hr;
  result = value;
  // A failing self-test is the instrument's answer, not a failure of the operation.
  return GiveText(value != 0 ? "Selftest failed" : "Selftest passed", message, reporter_);
}

HRESULT CDriver::ErrorQueryImpl(LONG& code, BSTR& message) {
  if (flags_.simulate) return GiveText("No error.", message, reporter_);

  // The error query reads the error queue itself, so no status check follows it.
  const bool statusChecking = flags_.queryInstrumentStatus;
  flags_.queryInstrumentStatus = false;
  std::int32_t number = 0;
  std::string text;
  const ScanArg targets[] = {&number, &text};
  HRESULT hr = io_->QueryFormatted(":SYST:ERR?", {}, "%d,%$Ct", targets, kDefaultTimeout);
  if (FAILED(hr)) {
    hr = reporter_.Report(Code::UnexpectedResponse);
  } else {
    code = number;
    hr = GiveText(CleanErrorText(text), message, reporter_);
  }
  flags_.queryInstrumentStatus = statusChecking;
  return hr;
}

}  // namespace tevra::core
