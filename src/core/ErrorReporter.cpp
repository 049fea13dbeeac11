#include "core/ErrorReporter.h"

#include <cstdio>
#include <type_traits>

#include "platform/Bstr.h"
#include "platform/ErrorInfo.h"

namespace tevra::core {
namespace {

// A status of 0 cannot be returned as a failure; it leaves the caller with DISP_E_EXCEPTION.
HRESULT Returned(HRESULT status) { return status == 0 ? DISP_E_EXCEPTION : status; }

HRESULT SetError(HRESULT status, std::string_view text, const std::string& source, const IID& iid,
                 bool help) {
  platform::ErrorRecord record;
  record.description = text;
  record.source = source;
  record.iid = iid;
  if (help) {
    record.helpFile = kHelpFile;
    record.helpContext = kHelpContext;
  }
  platform::SetThreadError(record);
  return Returned(status);
}

// The value printed with a printf format; a null format takes the usual one for the type.
template <typename T>
std::string FormatNumber(const char* format, T value) {
  if (!format) format = std::is_floating_point_v<T> ? "%0.15lg" : "%d";
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, format, value);
  if (n < 0) return {};
  if (static_cast<std::size_t>(n) < sizeof buffer) return std::string(buffer, n);
  std::string text(static_cast<std::size_t>(n), '\0');
  std::snprintf(text.data(), text.size() + 1, format, value);
  return text;
}

// What the message formatter's failure leaves as description (a code outside the table).
std::string InternalError(Code code) {
  char text[501];
  std::snprintf(text, sizeof text,
                "Internal Error: Unable to retrieve and format error message from message "
                "table.\nResource ID = %d\nLanguage ID = %d\nReason = '%s'",
                static_cast<int>(code), 0, "The message table has no message for this ID.");
  return text;
}

}  // namespace

// --- CErrorReporter ---

HRESULT CErrorReporter::ReportStatusText(HRESULT status, std::string_view text) {
  return SetError(status, text, progId_, GUID_NULL, false);
}

HRESULT CErrorReporter::ReportElaboratedV(Code code, std::string_view elaboration, ArgList args) {
  if (!FindCode(static_cast<int>(code))) return ReportStatusText(0, InternalError(code));
  std::string text = FormatMessageText(code, args);
  if (!elaboration.empty()) {
    text += "\r\n";
    // Elaborations quote replies; each quotes a bounded excerpt, and this bounds the whole.
    constexpr std::size_t kElaborationLimit = 4096;
    AppendExcerpt(text, elaboration, kElaborationLimit);
  }
  return PublishError(code, text);
}

HRESULT CErrorReporter::ReportIoError(std::string_view elaboration) {
  const std::string ioError = platform::PeekThreadErrorDescription();
  return ReportElaboratedV(Code::IoError, elaboration, {ioError});
}

HRESULT CErrorReporter::ReportIoTimeout(std::string_view elaboration) {
  const std::string ioError = platform::PeekThreadErrorDescription();
  return ReportElaboratedV(Code::IoTimeout, elaboration, {ioError});
}

std::string CErrorReporter::FormatMessageText(Code code, ArgList args) const {
  return FormatCodeMessage(static_cast<int>(code), args);
}

HRESULT CErrorReporter::PublishError(Code code, std::string_view text) {
  const CodeInfo* info = FindCode(static_cast<int>(code));
  const CallFrame* top = calls_.TopCallContext();
  const IID& iid = top && top->method && top->method->iid ? *top->method->iid : GUID_NULL;
  return SetError(info ? info->comStatus : E_UNEXPECTED, text, progId_, iid, info && info->hasHelp);
}

std::string_view CErrorReporter::CurrentMethod() const {
  const CallFrame* top = calls_.TopCallContext();
  if (!top || !top->method || !top->method->methodName) return {};
  return top->method->methodName;
}

// --- CTevraErrorReporter: each operation forwards its arguments in the message's order ---

using R = CTevraErrorReporter;
using E = R::E;

// Code 8: message "Invalid value '%1' for method '%2', parameter '%3'.", so value comes first.
HRESULT R::ReportInvalidValueText(E method, E parameter, E value, E elab) {
  return ReportElaboratedV(Code::InvalidValue, elab, {value, method, parameter});
}
HRESULT R::ReportInvalidValueBool(E method, E parameter, bool value, E elab) {
  return ReportInvalidValueText(method, parameter, value ? "True" : "False", elab);
}
HRESULT R::ReportInvalidValueInt(E method, E parameter, std::int32_t value, const char* format,
                                 E elab) {
  return ReportInvalidValueText(method, parameter, FormatNumber(format, value), elab);
}
HRESULT R::ReportInvalidValueDouble(E method, E parameter, double value, const char* format,
                                    E elab) {
  return ReportInvalidValueText(method, parameter, FormatNumber(format, value), elab);
}
HRESULT R::ReportInvalidValueWide(E method, E parameter, std::u16string_view value, E elab) {
  return ReportInvalidValueText(method, parameter, platform::Utf16ToUtf8(value), elab);
}

// The same, naming the method of the top call context.
HRESULT R::ReportInvalidValueBoolHere(E parameter, bool value, E elab) {
  return ReportInvalidValueBool(CurrentMethod(), parameter, value, elab);
}
HRESULT R::ReportInvalidValueIntHere(E parameter, std::int32_t value, const char* format, E elab) {
  return ReportInvalidValueInt(CurrentMethod(), parameter, value, format, elab);
}
HRESULT R::ReportInvalidValueDoubleHere(E parameter, double value, const char* format, E elab) {
  return ReportInvalidValueDouble(CurrentMethod(), parameter, value, format, elab);
}
HRESULT R::ReportInvalidValueTextHere(E parameter, E value, E elab) {
  return ReportInvalidValueText(CurrentMethod(), parameter, value, elab);
}
HRESULT R::ReportInvalidValueWideHere(E parameter, std::u16string_view value, E elab) {
  return ReportInvalidValueWide(CurrentMethod(), parameter, value, elab);
}
HRESULT R::ReportMethodNotSupportedHere(E elab) {
  return ReportElaborated(Code::MethodNotSupported, elab, CurrentMethod());
}
HRESULT R::ReportPropertyNotSupportedHere(E elab) {
  return ReportElaborated(Code::PropertyNotSupported, elab, CurrentMethod());
}
HRESULT R::ReportEnumValueNotSupportedHere(E value, E parameter, E elab) {
  return ReportElaborated(Code::EnumValueNotSupported, elab, value, parameter, CurrentMethod());
}
HRESULT R::ReportNullPointerHere(E parameter, E elab) {
  return ReportElaborated(Code::NullPointer, elab, CurrentMethod(), parameter);
}

}  // namespace tevra::core
