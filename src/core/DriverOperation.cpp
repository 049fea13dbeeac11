// IIviDriverOperation: the session properties, cache invalidation, and the coercion-record and
// interchange-warning queues (coercions are never recorded; interchange checking is not
// supported).
#include "core/Driver.h"
#include "platform/Bstr.h"

namespace tevra::core {
namespace {

#define OPERATION_METHOD(name) \
  constexpr MethodRecord k##name { &IID_IIviDriverOperation, "IIviDriverOperation", #name }
OPERATION_METHOD(get_LogicalName);
OPERATION_METHOD(get_IoResourceDescriptor);
OPERATION_METHOD(get_Cache);
OPERATION_METHOD(put_Cache);
OPERATION_METHOD(get_InterchangeCheck);
OPERATION_METHOD(put_InterchangeCheck);
OPERATION_METHOD(get_QueryInstrumentStatus);
OPERATION_METHOD(put_QueryInstrumentStatus);
OPERATION_METHOD(get_RangeCheck);
OPERATION_METHOD(put_RangeCheck);
OPERATION_METHOD(get_RecordCoercions);
OPERATION_METHOD(put_RecordCoercions);
OPERATION_METHOD(get_Simulate);
OPERATION_METHOD(put_Simulate);
OPERATION_METHOD(get_DriverSetup);
OPERATION_METHOD(InvalidateAllAttributes);
OPERATION_METHOD(ClearInterchangeWarnings);
OPERATION_METHOD(GetNextInterchangeWarning);
OPERATION_METHOD(ResetInterchangeCheck);
OPERATION_METHOD(GetNextCoercionRecord);
#undef OPERATION_METHOD

VARIANT_BOOL ToVariantBool(bool b) { return b ? VARIANT_TRUE : VARIANT_FALSE; }

HRESULT GiveString(const std::string& text, BSTR* val, CTevraErrorReporter& reporter) {
  *val = platform::AllocBstr(text);
  return *val ? S_OK : reporter.ReportOutOfMemory();
}

}  // namespace

HRESULT DriverOperationImpl::get_LogicalName(BSTR* val) {
  return d_.Enter(
      kget_LogicalName, [&] { return GiveString(d_.logicalName_, val, d_.Reporter()); },
      Out("val", val));
}

HRESULT DriverOperationImpl::get_IoResourceDescriptor(BSTR* val) {
  return d_.Enter(
      kget_IoResourceDescriptor,
      [&] { return GiveString(d_.ioResourceDescriptor_, val, d_.Reporter()); }, Out("val", val));
}

HRESULT DriverOperationImpl::get_DriverSetup(BSTR* val) {
  return d_.Enter(
      kget_DriverSetup, [&] { return GiveString(d_.driverSetup_, val, d_.Reporter()); },
      Out("val", val));
}

// The boolean getters differ only in the flag they copy out.
#define FLAG_GETTER(name, field)                         \
  HRESULT DriverOperationImpl::name(VARIANT_BOOL* val) { \
    return d_.Enter(                                     \
        k##name,                                         \
        [&] {                                            \
          *val = ToVariantBool(d_.flags_.field);         \
          return S_OK;                                   \
        },                                               \
        Out("val", val));                                \
  }
FLAG_GETTER(get_Cache, cache)
FLAG_GETTER(get_InterchangeCheck, interchangeCheck)
FLAG_GETTER(get_QueryInstrumentStatus, queryInstrumentStatus)
FLAG_GETTER(get_RangeCheck, rangeCheck)
FLAG_GETTER(get_RecordCoercions, recordCoercions)
FLAG_GETTER(get_Simulate, simulate)
#undef FLAG_GETTER

HRESULT DriverOperationImpl::put_Cache(VARIANT_BOOL val) {
  return d_.Enter(
      kput_Cache,
      [&] {
        d_.flags_.cache = val != 0;
        if (!d_.flags_.cache) d_.InvalidateCacheTree();
        return S_OK;
      },
      In("val", val));
}

HRESULT DriverOperationImpl::put_QueryInstrumentStatus(VARIANT_BOOL val) {
  return d_.Enter(
      kput_QueryInstrumentStatus,
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
      kput_RangeCheck,
      [&] {
        d_.flags_.rangeCheck = val != 0;
        return S_OK;
      },
      In("val", val));
}

HRESULT DriverOperationImpl::put_InterchangeCheck(VARIANT_BOOL val) {
  return d_.Enter(
      kput_InterchangeCheck,
      [&] {
        if (val && !d_.interchangeCheckSupported_)
          return d_.Reporter().ReportEnumValueNotSupported("VARIANT_TRUE", "val",
                                                           "put_InterchangeCheck");
        d_.flags_.interchangeCheck = val != 0;
        return S_OK;
      },
      In("val", val));
}

HRESULT DriverOperationImpl::put_RecordCoercions(VARIANT_BOOL val) {
  return d_.Enter(
      kput_RecordCoercions,
      [&] {
        if (val)  // coercions are never recorded, so recording cannot be switched on here
          return d_.Reporter().ReportEnumValueNotSupported("VARIANT_TRUE", "val",
                                                           "put_RecordCoercions");
        d_.flags_.recordCoercions = false;
        return S_OK;
      },
      In("val", val));
}

HRESULT DriverOperationImpl::put_Simulate(VARIANT_BOOL val) {
  return d_.Enter(
      kput_Simulate,
      [&] {
        if (d_.initialFlags_.simulate && !val)
          return d_.Reporter().ReportSimulationStateCannotChange();
        d_.flags_.simulate = val != 0;
        return S_OK;
      },
      In("val", val));
}

HRESULT DriverOperationImpl::InvalidateAllAttributes() {
  return d_.Enter(kInvalidateAllAttributes, [&] {
    d_.InvalidateCacheTree();
    return S_OK;
  });
}

HRESULT DriverOperationImpl::ClearInterchangeWarnings() {
  return d_.Enter(kClearInterchangeWarnings, [&] {
    return d_.Reporter().ReportMethodNotSupported("ClearInterchangeWarnings");
  });
}

HRESULT DriverOperationImpl::ResetInterchangeCheck() {
  return d_.Enter(kResetInterchangeCheck,
                  [&] { return d_.Reporter().ReportMethodNotSupported("ResetInterchangeCheck"); });
}

HRESULT DriverOperationImpl::GetNextInterchangeWarning(BSTR* pbstrWarning) {
  return d_.Enter(
      kGetNextInterchangeWarning,
      [&] { return d_.Reporter().ReportMethodNotSupported("GetNextInterchangeWarning"); },
      Out("pbstrWarning", pbstrWarning));
}

HRESULT DriverOperationImpl::GetNextCoercionRecord(BSTR* val) {
  return d_.Enter(
      kGetNextCoercionRecord,
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
