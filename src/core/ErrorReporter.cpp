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

HRESULT R::ReportModelNotSupported(E feature, E elab) {
  return ReportElaboratedV(Code::ModelNotSupported, elab, {feature});
}
HRESULT R::ReportMethodNotSupported(E method, E elab) {
  return ReportElaboratedV(Code::MethodNotSupported, elab, {method});
}
HRESULT R::ReportPropertyNotSupported(E property, E elab) {
  return ReportElaboratedV(Code::PropertyNotSupported, elab, {property});
}
HRESULT R::ReportAlreadyInitialized(E elab) {
  return ReportElaboratedV(Code::AlreadyInitialized, elab, {});
}
HRESULT R::ReportUnknownOptionName(E name, E elab) {
  return ReportElaboratedV(Code::UnknownOptionName, elab, {name});
}
HRESULT R::ReportUnknownOptionValue(E value, E elab) {
  return ReportElaboratedV(Code::UnknownOptionValue, elab, {value});
}
HRESULT R::ReportBadlyFormedSelector(E elab) {
  return ReportElaboratedV(Code::BadlyFormedSelector, elab, {});
}
HRESULT R::ReportSimulationStateCannotChange(E elab) {
  return ReportElaboratedV(Code::SimulationStateCannotChange, elab, {});
}
HRESULT R::ReportCannotOpenFile(E elab) {
  return ReportElaboratedV(Code::CannotOpenFile, elab, {});
}
HRESULT R::ReportUnrecoverableFailure(E elab) {
  return ReportElaboratedV(Code::UnrecoverableFailure, elab, {});
}
HRESULT R::ReportChannelNameRequired(E elab) {
  return ReportElaboratedV(Code::ChannelNameRequired, elab, {});
}
HRESULT R::ReportFileNotFound(E elab) { return ReportElaboratedV(Code::FileNotFound, elab, {}); }
HRESULT R::ReportIdQueryFailed(E elab) { return ReportElaboratedV(Code::IdQueryFailed, elab, {}); }
HRESULT R::ReportInstrumentError(E elab) {
  return ReportElaboratedV(Code::InstrumentError, elab, {});
}
HRESULT R::ReportInvalidFileFormat(E elab) {
  return ReportElaboratedV(Code::InvalidFileFormat, elab, {});
}
HRESULT R::ReportInvalidSelectorLevels(E repCapName, E elab) {
  return ReportElaboratedV(Code::InvalidSelectorLevels, elab, {repCapName});
}
HRESULT R::ReportInvalidPathName(E elab) {
  return ReportElaboratedV(Code::InvalidPathName, elab, {});
}
HRESULT R::ReportInvalidRepCapRange(E range, E repCapName, E elab) {
  return ReportElaboratedV(Code::InvalidRepCapRange, elab, {range, repCapName});
}
HRESULT R::ReportMissingOptionName(E elab) {
  return ReportElaboratedV(Code::MissingOptionName, elab, {});
}
HRESULT R::ReportMissingOptionValue(E elab) {
  return ReportElaboratedV(Code::MissingOptionValue, elab, {});
}
HRESULT R::ReportNotInitialized(E elab) {
  return ReportElaboratedV(Code::NotInitialized, elab, {});
}
HRESULT R::ReportNullPointer(E method, E parameter, E elab) {
  return ReportElaboratedV(Code::NullPointer, elab, {method, parameter});
}
HRESULT R::ReportOperationInProgress(E elab) {
  return ReportElaboratedV(Code::OperationInProgress, elab, {});
}
HRESULT R::ReportOutOfMemory(E elab) { return ReportElaboratedV(Code::OutOfMemory, elab, {}); }
HRESULT R::ReportErrorReadingFile(E elab) {
  return ReportElaboratedV(Code::ErrorReadingFile, elab, {});
}
HRESULT R::ReportResetFailed(E elab) { return ReportElaboratedV(Code::ResetFailed, elab, {}); }
HRESULT R::ReportUnknownResource(E elab) {
  return ReportElaboratedV(Code::UnknownResource, elab, {});
}
HRESULT R::ReportStatusNotAvailable(E elab) {
  return ReportElaboratedV(Code::StatusNotAvailable, elab, {});
}
HRESULT R::ReportTooManyOpenFiles(E elab) {
  return ReportElaboratedV(Code::TooManyOpenFiles, elab, {});
}
HRESULT R::ReportUnexpectedResponse(E elab) {
  return ReportElaboratedV(Code::UnexpectedResponse, elab, {});
}
HRESULT R::ReportUnknownChannelName(E elab) {
  return ReportElaboratedV(Code::UnknownChannelName, elab, {});
}
HRESULT R::ReportUnknownNameInSelector(E elab) {
  return ReportElaboratedV(Code::UnknownNameInSelector, elab, {});
}
HRESULT R::ReportUnknownPhysicalSelector(E elab) {
  return ReportElaboratedV(Code::UnknownPhysicalSelector, elab, {});
}
HRESULT R::ReportEnumValueNotSupported(E value, E parameter, E method, E elab) {
  return ReportElaboratedV(Code::EnumValueNotSupported, elab, {value, parameter, method});
}
HRESULT R::ReportErrorWritingFile(E elab) {
  return ReportElaboratedV(Code::ErrorWritingFile, elab, {});
}
HRESULT R::ReportErrorQueryNotSupported(E elab) {
  return ReportElaboratedV(Code::ErrorQueryNotSupported, elab, {});
}
HRESULT R::ReportIdQueryNotSupported(E elab) {
  return ReportElaboratedV(Code::IdQueryNotSupported, elab, {});
}
HRESULT R::ReportResetNotSupported(E elab) {
  return ReportElaboratedV(Code::ResetNotSupported, elab, {});
}
HRESULT R::ReportFirmwareRevisionQueryNotSupported(E elab) {
  return ReportElaboratedV(Code::FirmwareRevisionQueryNotSupported, elab, {});
}
HRESULT R::ReportSelfTestNotSupported(E elab) {
  return ReportElaboratedV(Code::SelfTestNotSupported, elab, {});
}
HRESULT R::ReportPersonalityNotActive(E elab) {
  return ReportElaboratedV(Code::PersonalityNotActive, elab, {});
}
HRESULT R::ReportPersonalityNotInstalled(E elab) {
  return ReportElaboratedV(Code::PersonalityNotInstalled, elab, {});
}
HRESULT R::ReportOptionNotInstalled(E elab) {
  return ReportElaboratedV(Code::OptionNotInstalled, elab, {});
}
HRESULT R::ReportHardwareNotPresent(E elab) {
  return ReportElaboratedV(Code::HardwareNotPresent, elab, {});
}
HRESULT R::ReportInvalidInputChannel(E channelText, E elab) {
  return ReportElaboratedV(Code::InvalidInputChannel, elab, {channelText});
}
HRESULT R::ReportMaxTimeExceeded(E elab) {
  return ReportElaboratedV(Code::MaxTimeExceeded, elab, {});
}
HRESULT R::ReportOverRange(E elab) { return ReportElaboratedV(Code::OverRange, elab, {}); }
HRESULT R::ReportUncalibrated(E elab) { return ReportElaboratedV(Code::Uncalibrated, elab, {}); }

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
  return ReportMethodNotSupported(CurrentMethod(), elab);
}
HRESULT R::ReportPropertyNotSupportedHere(E elab) {
  return ReportPropertyNotSupported(CurrentMethod(), elab);
}
HRESULT R::ReportEnumValueNotSupportedHere(E value, E parameter, E elab) {
  return ReportEnumValueNotSupported(value, parameter, CurrentMethod(), elab);
}
HRESULT R::ReportNullPointerHere(E parameter, E elab) {
  return ReportNullPointer(CurrentMethod(), parameter, elab);
}

}  // namespace tevra::core
