// IIviDriverOperation: the session properties, cache invalidation, and the coercion-record and
// interchange-warning queues (coercions are never recorded; interchange checking is not
// supported).
#include "core/Driver.h"
#include "core/Rows.h"
#include "platform/Bstr.h"

namespace tevra::core {
namespace {

VARIANT_BOOL ToVariantBool(bool b) { return b ? VARIANT_TRUE : VARIANT_FALSE; }

HRESULT GiveString(const std::string& text, BSTR* val, CTevraErrorReporter& reporter) {
  *val = platform::AllocBstr(text);
  return *val ? S_OK : reporter.Report(Code::OutOfMemory);
}

}  // namespace

HRESULT DriverOperationImpl::get_LogicalName(BSTR* val) {
  return d_.Enter(
      rows::IIviDriverOperation_LogicalName.get,
      [&] { return GiveString(d_.logicalName_, val, d_.Reporter()); }, Out("val", val));
}

HRESULT DriverOperationImpl::get_IoResourceDescriptor(BSTR* val) {
  return d_.Enter(
      rows::IIviDriverOperation_IoResourceDescriptor.get,
      [&] { return GiveString(d_.ioResourceDescriptor_, val, d_.Reporter()); }, Out("val", val));
}

HRESULT DriverOperationImpl::get_DriverSetup(BSTR* val) {
  return d_.Enter(
      rows::IIviDriverOperation_DriverSetup.get,
      [&] { return GiveString(d_.driverSetup_, val, d_.Reporter()); }, Out("val", val));
}

// The boolean getters differ only in the flag they copy out.
#define FLAG_GETTER(name, field)                               \
  HRESULT DriverOperationImpl::get_##name(VARIANT_BOOL* val) { \
    return d_.Enter(                                           \
        rows::IIviDriverOperation_##name.get,                  \
        [&] {                                                  \
          *val = ToVariantBool(d_.flags_.field);               \
          return S_OK;                                         \
        },                                                     \
        Out("val", val));                                      \
  }
FLAG_GETTER(Cache, cache)
FLAG_GETTER(InterchangeCheck, interchangeCheck)
FLAG_GETTER(QueryInstrumentStatus, queryInstrumentStatus)
FLAG_GETTER(RangeCheck, rangeCheck)
FLAG_GETTER(RecordCoercions, recordCoercions)
FLAG_GETTER(Simulate, simulate)
#undef FLAG_GETTER

HRESULT DriverOperationImpl::put_Cache(VARIANT_BOOL val) {
  return d_.Enter(
      rows::IIviDriverOperation_Cache.put,
      [&] {
        d_.flags_.cache = val != 0;
        if (!d_.flags_.cache) d_.InvalidateCacheTree();
        return S_OK;
      },
      In("val", val));
}

HRESULT DriverOperationImpl::put_QueryInstrumentStatus(VARIANT_BOOL val) {
  return d_.Enter(
      rows::IIviDriverOperation_QueryInstrumentStatus.put,
      [&]() -> HRESULT {
        d_.flags_.queryInstrumentStatus = val != 0;
        if (d_.flags_.queryInstrumentStatus && !d_.flags_.simulate)
          return d_.Io().WriteString("*CLS", true, kDefaultTimeout);
        return S_OK;
      },
      In("val", val));
}

HRESULT DriverOperationImpl::put_RangeCheck(VARIANT_BOOL val) {
  return d_.Enter(
      rows::IIviDriverOperation_RangeCheck.put,
      [&] {
        d_.flags_.rangeCheck = val != 0;
        return S_OK;
      },
      In("val", val));
}

HRESULT DriverOperationImpl::put_InterchangeCheck(VARIANT_BOOL val) {
  return d_.Enter(
      rows::IIviDriverOperation_InterchangeCheck.put,
      [&] {
        if (val && !d_.interchangeCheckSupported_)
          return d_.Reporter().Report(Code::EnumValueNotSupported, "VARIANT_TRUE", "val",
                                      "put_InterchangeCheck");
        d_.flags_.interchangeCheck = val != 0;
        return S_OK;
      },
      In("val", val));
}

HRESULT DriverOperationImpl::put_RecordCoercions(VARIANT_BOOL val) {
  return d_.Enter(
      rows::IIviDriverOperation_RecordCoercions.put,
      [&] {
        if (val)  // coercions are never recorded, so recording cannot be switched on here
          return d_.Reporter().Report(Code::EnumValueNotSupported, "VARIANT_TRUE", "val",
                                      "put_RecordCoercions");
        d_.flags_.recordCoercions = false;
        return S_OK;
      },
      In("val", val));
}

HRESULT DriverOperationImpl::put_Simulate(VARIANT_BOOL val) {
  return d_.Enter(
      rows::IIviDriverOperation_Simulate.put,
      [&] {
        if (d_.initialFlags_.simulate && !val)
          return d_.Reporter().Report(Code::SimulationStateCannotChange);
        d_.flags_.simulate = val != 0;
        return S_OK;
      },
      In("val", val));
}

HRESULT DriverOperationImpl::InvalidateAllAttributes() {
  return d_.Enter(rows::IIviDriverOperation_InvalidateAllAttributes.record, [&] {
    d_.InvalidateCacheTree();
    return S_OK;
  });
}

HRESULT DriverOperationImpl::ClearInterchangeWarnings() {
  return d_.Enter(rows::IIviDriverOperation_ClearInterchangeWarnings.record, [&] {
    return d_.Reporter().Report(Code::MethodNotSupported, "ClearInterchangeWarnings");
  });
}

HRESULT DriverOperationImpl::ResetInterchangeCheck() {
  return d_.Enter(rows::IIviDriverOperation_ResetInterchangeCheck.record, [&] {
    return d_.Reporter().Report(Code::MethodNotSupported, "ResetInterchangeCheck");
  });
}

HRESULT DriverOperationImpl::GetNextInterchangeWarning(BSTR* pbstrWarning) {
  return d_.Enter(
      rows::IIviDriverOperation_GetNextInterchangeWarning.record,
      [&] { return d_.Reporter().Report(Code::MethodNotSupported, "GetNextInterchangeWarning"); },
      Out("pbstrWarning", pbstrWarning));
}

HRESULT DriverOperationImpl::GetNextCoercionRecord(BSTR* val) {
  return d_.Enter(
      rows::IIviDriverOperation_GetNextCoercionRecord.record,
      [&] {
        std::string record;
        if (d_.flags_.recordCoercions && !d_.coercionRecords_.empty()) {
          record = std::move(d_.coercionRecords_.front());
          d_.coercionRecords_.pop_front();
        }
        return GiveString(record, val, d_.Reporter());
      },
      Out("val", val));
}

}  // namespace tevra::core
