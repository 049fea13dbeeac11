// The C interface's utility functions (reset, self-test, error queue, revisions, the attribute
// cache and coercion records) and its pass-through I/O, each forwarded to its object method.
#include "api/CForward.h"
#include "tevra/Tevra.h"

using tevra::api::Forward;
using tevra::api::ForwardThrough;
using tevra::api::InArray;
using tevra::api::Out;
using tevra::api::OutArray;
using tevra::api::OutText;

namespace {
// The message buffers of self_test, error_query and revision_query.
constexpr ViInt32 kMessageSize = 256;
}  // namespace

extern "C" {

ViStatus Tevra_reset(ViSession Vi) { return Forward(Vi, &IIviDriverUtility::Reset); }

ViStatus Tevra_ResetWithDefaults(ViSession Vi) {
  return Forward(Vi, &IIviDriverUtility::ResetWithDefaults);
}

ViStatus Tevra_Disable(ViSession Vi) { return Forward(Vi, &IIviDriverUtility::Disable); }

ViStatus Tevra_self_test(ViSession Vi, ViInt32* TestResult, ViChar TestMessage[256]) {
  return Forward(Vi, &IIviDriverUtility::SelfTest, Out{TestResult, "TestResult"},
                 OutText{kMessageSize, TestMessage});
}

ViStatus Tevra_error_query(ViSession Vi, ViInt32* ErrorCode, ViChar ErrorMessage[256]) {
  return Forward(Vi, &IIviDriverUtility::ErrorQuery, Out{ErrorCode, "ErrorCode"},
                 OutText{kMessageSize, ErrorMessage});
}

// Two properties, two calls: the first failure is returned; otherwise the first non-zero count
// of the string-buffer rule.
ViStatus Tevra_revision_query(ViSession Vi, ViChar DriverRev[256], ViChar InstrRev[256]) {
  const ViStatus driver =
      Forward(Vi, &IIviComponentIdentity::get_Revision, OutText{kMessageSize, DriverRev});
  if (driver < 0) return driver;
  const ViStatus instrument = Forward(Vi, &IIviDriverIdentity::get_InstrumentFirmwareRevision,
                                      OutText{kMessageSize, InstrRev});
  return driver != 0 && instrument >= 0 ? driver : instrument;
}

ViStatus Tevra_InvalidateAllAttributes(ViSession Vi) {
  return Forward(Vi, &IIviDriverOperation::InvalidateAllAttributes);
}

ViStatus Tevra_GetNextCoercionRecord(ViSession Vi, ViInt32 BufferSize, ViChar Record[]) {
  return Forward(Vi, &IIviDriverOperation::GetNextCoercionRecord, OutText{BufferSize, Record});
}

ViStatus Tevra_SystemClearIO(ViSession Vi) { return Forward(Vi, &ITevraSystem2::ClearIO); }

ViStatus Tevra_SystemReadString(ViSession Vi, ViInt32 BufferSize, ViChar Val[]) {
  return Forward(Vi, &ITevraSystem2::ReadString, OutText{BufferSize, Val});
}

ViStatus Tevra_SystemWriteString(ViSession Vi, ViConstString Command) {
  return Forward(Vi, &ITevraSystem2::WriteString, Command);
}

ViStatus Tevra_SystemReadBytes(ViSession Vi, ViInt32 Count, ViInt32 ValArraySize, ViByte Val[],
                               ViInt32* ValActualSize) {
  return Forward(Vi, &ITevraSystem2::ReadBytes, Count,
                 OutArray{ValArraySize, Val, ValActualSize, "ValActualSize"});
}

ViStatus Tevra_SystemWriteBytes(ViSession Vi, ViInt32 DataSize, const ViByte Data[]) {
  return Forward(Vi, &ITevraSystem2::WriteBytes, InArray{DataSize, Data, "Data"});
}

// The caller's count is both the most the instrument may send and the room in the buffer.
ViStatus Tevra_viRead(ViSession Vi, ViInt32 Count, ViByte Val[], ViInt32* ReturnCount) {
  return Forward(Vi, &ITevraSystem3::ReadBytes2, Count,
                 OutArray{Count, Val, ReturnCount, "ReturnCount"});
}

ViStatus Tevra_viWrite(ViSession Vi, ViInt32 Count, const ViByte Data[], ViInt32* ReturnCount) {
  return Forward(Vi, &ITevraSystem3::WriteBytes2, InArray{Count, Data, "Data"},
                 Out{ReturnCount, "ReturnCount"});
}

ViStatus Tevra_SystemIoRead(ViSession Vi, ViInt32 BufferSize, ViChar String[]) {
  return ForwardThrough(Vi, &ITevraSystem::get_DirectIO, &IFormattedIO488::ReadString,
                        OutText{BufferSize, String});
}

// One complete message: the text with END after it.
ViStatus Tevra_SystemIoWrite(ViSession Vi, ViConstString Data) {
  return ForwardThrough(Vi, &ITevraSystem::get_DirectIO, &IFormattedIO488::WriteString, Data,
                        ViBoolean{VI_TRUE});
}
}
