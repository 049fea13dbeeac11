// The typed operations of the session: numbers, lists, strings and binary blocks of the five
// element types (BYTE, short, long, float, double), each built from the formatted layer in one
// pattern: a write formats and flushes with END; a read scans and may discard the rest; a query
// discards stale input, writes, reads; all three end by polling the instrument's status.
#include <cfloat>
#include <cmath>
#include <cstdio>

#include "io/FormattedInput.h"
#include "io/FormattedOutput.h"
#include "io/IoSession.h"

namespace tevra::io {
namespace {

using core::ElemType;
using core::FormatArg;
using core::ScanArg;

// The formats of one operation, by element type: BYTE, short, long, float, double.
using TypedFormats = const char* const[5];

constexpr TypedFormats kReadList = {"%,bd", "%,hd", "%,ld", "%,f", "%,lf"};
constexpr TypedFormats kReadListSafeArray = {"%,$Sbd", "%,$Shd", "%,$Sld", "%,$Sf", "%,$Slf"};
constexpr TypedFormats kReadBlock = {"%b", "%hb", "%lb", "%zb", "%Zb"};
constexpr TypedFormats kReadBlockSafeArray = {"%$Sb", "%$Shb", "%$Slb", "%$Szb", "%$SZb"};
constexpr TypedFormats kWriteList = {"%,*d", "%,*d", "%,*d", "%,*f", "%,*f"};
constexpr TypedFormats kWriteListSafeArray = {"%,$Sbd", "%,$Shd", "%,$Sld", "%,$Szf", "%,$SZf"};
constexpr TypedFormats kWriteBlock = {"%*b", "%*hb", "%*lb", "%*zb", "%*Zb"};
constexpr TypedFormats kWriteBlockSafeArray = {"%$Sb", "%$Shb", "%$Slb", "%$Szb", "%$SZb"};

// The position of an element type in a TypedFormats table; -1 for the types the typed
// operations do not take.
int TypedIndex(ElemType type) {
  switch (type) {
    case ElemType::U8:
      return 0;
    case ElemType::I16:
      return 1;
    case ElemType::I32:
      return 2;
    case ElemType::F32:
      return 3;
    case ElemType::F64:
      return 4;
    default:
      return -1;
  }
}

ElemType ElemTypeOfSafeArray(const SAFEARRAY* array) {
  VARTYPE vt = VT_EMPTY;
  if (!array || FAILED(TevraSafeArrayGetVartype(const_cast<SAFEARRAY*>(array), &vt)))
    return ElemType::None;
  return core::ElemTypeOfVarType(vt);
}

// The format of a read destination, or null when its type is not one the operation takes.
const char* ReadFormatOf(const ScanArg& a, TypedFormats& plain, TypedFormats& safeArray) {
  const int index = TypedIndex(a.elem);
  if (index < 0 || !a.where) return nullptr;
  switch (a.kind) {
    case ScanArg::Kind::Array:
    case ScanArg::Kind::Vector:
      return plain[index];
    case ScanArg::Kind::SafeArray:
      return safeArray[index];
    default:
      return nullptr;
  }
}

// Stores a double read by ReadNumber into its element type; false when it does not fit.
bool StoreNumber(double value, const ScanArg& a) {
  const auto inRange = [&](double low, double high) { return value >= low && value <= high; };
  switch (a.elem) {
    case ElemType::U8:
      if (!inRange(0, 255)) return false;
      *static_cast<std::uint8_t*>(a.where) = static_cast<std::uint8_t>(value);
      return true;
    case ElemType::I16:
      if (!inRange(-32768, 32767)) return false;
      *static_cast<std::int16_t*>(a.where) = static_cast<std::int16_t>(value);
      return true;
    case ElemType::I32:
      if (!inRange(-2147483648.0, 2147483647.0)) return false;
      *static_cast<std::int32_t*>(a.where) = static_cast<std::int32_t>(value);
      return true;
    case ElemType::F32: {
      const double magnitude = std::fabs(value);
      if (magnitude > FLT_MAX || (magnitude != 0 && magnitude < FLT_MIN)) return false;
      *static_cast<float*>(a.where) = static_cast<float>(value);
      return true;
    }
    default:
      *static_cast<double*>(a.where) = value;
      return true;
  }
}

const char* NameOf(ElemType type) {
  switch (type) {
    case ElemType::U8:
      return "BYTE";
    case ElemType::I16:
      return "short";
    case ElemType::I32:
      return "long";
    default:
      return "single-precision float";
  }
}

}  // namespace

HRESULT CIoSession::SendCommand(std::string_view command) {
  std::size_t taken = 0;
  HRESULT hr = DiscardBeforeQuery();
  if (SUCCEEDED(hr)) hr = buffer_->WriteString(command, false, taken);
  if (SUCCEEDED(hr)) hr = buffer_->FlushWrite(true);
  return hr;
}

// Scans the text as a double and stores it in the destination's type.
HRESULT CIoSession::ScanNumber(const ScanArg& value) {
  if (value.kind != ScanArg::Kind::Scalar || TypedIndex(value.elem) < 0 || !value.where)
    return E_INVALIDARG;
  double number = 0;
  const ScanArg target(&number);
  if (HRESULT hr = ScanReply("%le", {&target, 1}, FormatCheck::AlreadyDone); FAILED(hr)) return hr;
  if (StoreNumber(number, value)) return S_OK;
  char text[120];
  std::snprintf(text, sizeof text, "Overflow or underflow reading value of '%e' into a %s.", number,
                NameOf(value.elem));
  return reporter_->ReportIoMessage(text);
}

namespace {

// The format of an array to write, by the array's element type; null for a type the
// operation does not take. args receives the count and the array.
const char* WriteFormatOf(const FormatArg& values, TypedFormats& plain, TypedFormats& safeArray) {
  if (values.kind == FormatArg::Kind::SafeArray) {
    const int index = TypedIndex(ElemTypeOfSafeArray(values.safeArray));
    return index < 0 ? nullptr : safeArray[index];
  }
  if (values.kind != FormatArg::Kind::Array || values.count == FormatArg::kUnknownCount)
    return nullptr;
  const int index = TypedIndex(values.elem);
  return index < 0 ? nullptr : plain[index];
}

}  // namespace

HRESULT CIoSession::WriteTyped(const char* format, std::span<const FormatArg> args, bool flushEnd,
                               std::int32_t timeout) {
  if (!buffer_) return NotConnected();
  if (!format) return E_INVALIDARG;
  const HRESULT hr = WithTimeout(timeout, [&] {
    const HRESULT formatted =
        FormatOutput(*buffer_, enums_, format, args, FormatCheck::AlreadyDone);
    return FAILED(formatted) || !flushEnd ? formatted : buffer_->FlushWrite(true);
  });
  return flushEnd ? Finish(hr) : hr;
}

HRESULT CIoSession::ReadTyped(const char* format, const ScanArg& values, bool flush,
                              std::int32_t timeout) {
  if (!buffer_) return NotConnected();
  if (!format) return E_INVALIDARG;
  const HRESULT hr = WithTimeout(timeout, [&] {
    HRESULT hr = ScanReply(format, {&values, 1}, FormatCheck::AlreadyDone);
    if (SUCCEEDED(hr) && flush) hr = buffer_->DiscardRead();
    return CheckSingleReply(hr);
  });
  return Finish(DropArraysOnFailure(hr, {&values, 1}));
}

HRESULT CIoSession::QueryTyped(std::string_view command, const char* format, const ScanArg& values,
                               bool discardRest, std::int32_t timeout) {
  if (!buffer_) return NotConnected();
  if (!format) return E_INVALIDARG;
  const HRESULT hr = WithTimeout(timeout, [&] {
    HRESULT hr = SendCommand(command);
    if (SUCCEEDED(hr)) hr = ScanReply(format, {&values, 1}, FormatCheck::AlreadyDone);
    if (SUCCEEDED(hr) && discardRest) hr = buffer_->DiscardRead();
    return CheckSingleReply(hr);
  });
  return Finish(DropArraysOnFailure(hr, {&values, 1}));
}

HRESULT CIoSession::WriteNumber(FormatArg value, bool flushEnd, std::int32_t timeout) {
  const char* format = value.kind == FormatArg::Kind::Int      ? "%d"
                       : value.kind == FormatArg::Kind::Double ? "%f"
                                                               : nullptr;
  return WriteTyped(format, {&value, 1}, flushEnd, timeout);
}

HRESULT CIoSession::ReadNumber(ScanArg value, bool flush, std::int32_t timeout) {
  if (!buffer_) return NotConnected();
  return Finish(WithTimeout(timeout, [&] {
    HRESULT hr = ScanNumber(value);
    if (SUCCEEDED(hr) && flush) hr = buffer_->DiscardRead();
    return CheckSingleReply(hr);
  }));
}

HRESULT CIoSession::QueryNumber(std::string_view command, ScanArg value, std::int32_t timeout) {
  if (!buffer_) return NotConnected();
  return Finish(WithTimeout(timeout, [&] {
    HRESULT hr = SendCommand(command);
    if (SUCCEEDED(hr)) hr = ScanNumber(value);
    return CheckSingleReply(hr);
  }));
}

HRESULT CIoSession::WriteList(FormatArg values, bool flushEnd, std::int32_t timeout) {
  if (!buffer_) return NotConnected();
  const char* format = WriteFormatOf(values, kWriteList, kWriteListSafeArray);
  if (!format)
    return reporter_->ReportIoMessage("Unknown type of array passed to WriteList function.");
  const FormatArg counted[] = {FormatArg(values.count), values};
  return WriteTyped(format,
                    values.kind == FormatArg::Kind::SafeArray ? std::span(&values, 1)
                                                              : std::span<const FormatArg>(counted),
                    flushEnd, timeout);
}

HRESULT CIoSession::ReadList(ScanArg values, bool flush, std::int32_t timeout) {
  return ReadTyped(ReadFormatOf(values, kReadList, kReadListSafeArray), values, flush, timeout);
}

HRESULT CIoSession::QueryList(std::string_view command, ScanArg values, std::int32_t timeout) {
  return QueryTyped(command, ReadFormatOf(values, kReadList, kReadListSafeArray), values, false,
                    timeout);
}

HRESULT CIoSession::WriteString(std::string_view text, bool flushEnd, std::int32_t timeout) {
  if (!buffer_) return NotConnected();
  const HRESULT hr = WithTimeout(timeout, [&] {
    std::size_t taken = 0;
    const HRESULT written = buffer_->WriteString(text, false, taken);
    return FAILED(written) || !flushEnd ? written : buffer_->FlushWrite(true);
  });
  return flushEnd ? Finish(hr) : hr;
}

HRESULT CIoSession::ReadString(std::string& text, bool flush, std::int32_t timeout) {
  return ReadTyped("%$Ct", ScanArg(&text), flush, timeout);
}

HRESULT CIoSession::QueryString(std::string_view command, std::string& reply,
                                std::int32_t timeout) {
  return QueryTyped(command, "%$Ct", ScanArg(&reply), false, timeout);
}

HRESULT CIoSession::WriteBinaryBlock(FormatArg values, bool flushEnd, std::int32_t timeout) {
  const FormatArg counted[] = {FormatArg(values.count), values};
  return WriteTyped(WriteFormatOf(values, kWriteBlock, kWriteBlockSafeArray),
                    values.kind == FormatArg::Kind::SafeArray ? std::span(&values, 1)
                                                              : std::span<const FormatArg>(counted),
                    flushEnd, timeout);
}

HRESULT CIoSession::ReadBinaryBlock(ScanArg values, bool flush, std::int32_t timeout) {
  return ReadTyped(ReadFormatOf(values, kReadBlock, kReadBlockSafeArray), values, flush, timeout);
}

HRESULT CIoSession::QueryBinaryBlock(std::string_view command, ScanArg values,
                                     std::int32_t timeout) {
  return QueryTyped(command, ReadFormatOf(values, kReadBlock, kReadBlockSafeArray), values, true,
                    timeout);
}

}  // namespace tevra::io
