// Reports driver codes: formats the message, sets the thread's error information (description,
// source, interface of the current call, help for codes 42..50) and returns the status.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/CallContext.h"
#include "core/ErrorCodes.h"

namespace tevra::core {

using ArgList = std::initializer_list<std::string_view>;

class IErrorReporter {
 public:
  // Error information with the given text and the null interface id; returns status (0 becomes
  // DISP_E_EXCEPTION).
  virtual HRESULT ReportStatusText(HRESULT status, std::string_view text) = 0;
  virtual HRESULT ReportElaboratedV(Code code, std::string_view elaboration, ArgList args) = 0;
  // Code 42 / 43, %1 being the description of the thread's current error information.
  virtual HRESULT ReportIoError(std::string_view elaboration) = 0;
  virtual HRESULT ReportIoTimeout(std::string_view elaboration) = 0;

  HRESULT ReportV(Code code, ArgList args) { return ReportElaboratedV(code, {}, args); }
  // Code 42 for a failure the I/O layer detects itself: the message fills %1, its final period
  // given by the message text of the code ("I/O error: <message>.").
  HRESULT ReportIoMessage(std::string_view message) {
    if (message.ends_with('.')) message.remove_suffix(1);
    return ReportElaboratedV(Code::IoError, {}, {message});
  }
  HRESULT Report(Code code) { return ReportElaboratedV(code, {}, {}); }

 protected:
  ~IErrorReporter() = default;
};

class CErrorReporter : public IErrorReporter {
 public:
  // progId names the driver class as the error source; calls gives the current interface and
  // method.
  CErrorReporter(std::string progId, const ICallContextProvider& calls)
      : progId_(std::move(progId)), calls_(calls) {}
  virtual ~CErrorReporter() = default;

  HRESULT ReportStatusText(HRESULT status, std::string_view text) override;
  HRESULT ReportElaboratedV(Code code, std::string_view elaboration, ArgList args) override;
  HRESULT ReportIoError(std::string_view elaboration) override;
  HRESULT ReportIoTimeout(std::string_view elaboration) override;

  // The formatted message of a code: prefix, arguments inserted, trimmed.
  std::string FormatMessageText(Code code, ArgList args) const;
  // Sets the error information for a code and returns its status.
  HRESULT PublishError(Code code, std::string_view text);

  // The method name of the top call context; empty when nothing is running.
  std::string_view CurrentMethod() const;

 private:
  std::string progId_;
  const ICallContextProvider& calls_;
};

// The per-code operations. Each takes the message's arguments and an elaboration that, when not
// empty, is appended on a line of its own.
class CTevraErrorReporter final : public CErrorReporter {
 public:
  using CErrorReporter::CErrorReporter;
  using E = std::string_view;

  HRESULT ReportModelNotSupported(E feature, E elab = {});                           // 44
  HRESULT ReportMethodNotSupported(E method, E elab = {});                           // 9
  HRESULT ReportPropertyNotSupported(E property, E elab = {});                       // 10
  HRESULT ReportAlreadyInitialized(E elab = {});                                     // 30
  HRESULT ReportUnknownOptionName(E name, E elab = {});                              // 18
  HRESULT ReportUnknownOptionValue(E value, E elab = {});                            // 19
  HRESULT ReportBadlyFormedSelector(E elab = {});                                    // 35
  HRESULT ReportSimulationStateCannotChange(E elab = {});                            // 31
  HRESULT ReportCannotOpenFile(E elab = {});                                         // 4
  HRESULT ReportUnrecoverableFailure(E elab = {});                                   // 2
  HRESULT ReportChannelNameRequired(E elab = {});                                    // 15
  HRESULT ReportFileNotFound(E elab = {});                                           // 24
  HRESULT ReportIdQueryFailed(E elab = {});                                          // 27
  HRESULT ReportInstrumentError(E elab = {});                                        // 3
  HRESULT ReportInvalidFileFormat(E elab = {});                                      // 25
  HRESULT ReportInvalidSelectorLevels(E repCapName, E elab = {});                    // 32
  HRESULT ReportInvalidPathName(E elab = {});                                        // 7
  HRESULT ReportInvalidRepCapRange(E range, E repCapName, E elab = {});              // 33
  HRESULT ReportMissingOptionName(E elab = {});                                      // 16
  HRESULT ReportMissingOptionValue(E elab = {});                                     // 17
  HRESULT ReportNotInitialized(E elab = {});                                         // 12
  HRESULT ReportNullPointer(E method, E parameter, E elab = {});                     // 22
  HRESULT ReportOperationInProgress(E elab = {});                                    // 21
  HRESULT ReportOutOfMemory(E elab = {});                                            // 20
  HRESULT ReportErrorReadingFile(E elab = {});                                       // 5
  HRESULT ReportResetFailed(E elab = {});                                            // 28
  HRESULT ReportUnknownResource(E elab = {});                                        // 29
  HRESULT ReportStatusNotAvailable(E elab = {});                                     // 26
  HRESULT ReportTooManyOpenFiles(E elab = {});                                       // 14
  HRESULT ReportUnexpectedResponse(E elab = {});                                     // 23
  HRESULT ReportUnknownChannelName(E elab = {});                                     // 13
  HRESULT ReportUnknownNameInSelector(E elab = {});                                  // 34
  HRESULT ReportUnknownPhysicalSelector(E elab = {});                                // 36
  HRESULT ReportEnumValueNotSupported(E value, E parameter, E method, E elab = {});  // 11
  HRESULT ReportErrorWritingFile(E elab = {});                                       // 6
  HRESULT ReportErrorQueryNotSupported(E elab = {});                                 // 40
  HRESULT ReportIdQueryNotSupported(E elab = {});                                    // 37
  HRESULT ReportResetNotSupported(E elab = {});                                      // 38
  HRESULT ReportFirmwareRevisionQueryNotSupported(E elab = {});                      // 41
  HRESULT ReportSelfTestNotSupported(E elab = {});                                   // 39
  HRESULT ReportPersonalityNotActive(E elab = {});                                   // 45
  HRESULT ReportPersonalityNotInstalled(E elab = {});                                // 47
  HRESULT ReportOptionNotInstalled(E elab = {});                                     // 48
  HRESULT ReportHardwareNotPresent(E elab = {});                                     // 49
  HRESULT ReportInvalidInputChannel(E channelText, E elab = {});                     // 50
  HRESULT ReportMaxTimeExceeded(E elab = {});                                        // 51
  HRESULT ReportOverRange(E elab = {});                                              // 52
  HRESULT ReportUncalibrated(E elab = {});                                           // 53

  // Code 8, by the form of the value.
  HRESULT ReportInvalidValueBool(E method, E parameter, bool value, E elab = {});  // "True"/"False"
  HRESULT ReportInvalidValueInt(E method, E parameter, std::int32_t value, const char* format,
                                E elab = {});
  HRESULT ReportInvalidValueDouble(E method, E parameter, double value, const char* format,
                                   E elab = {});
  HRESULT ReportInvalidValueText(E method, E parameter, E value, E elab = {});
  HRESULT ReportInvalidValueWide(E method, E parameter, std::u16string_view value, E elab = {});

  // The same, naming the method of the top call context.
  HRESULT ReportInvalidValueBoolHere(E parameter, bool value, E elab = {});
  HRESULT ReportInvalidValueIntHere(E parameter, std::int32_t value, const char* format,
                                    E elab = {});
  HRESULT ReportInvalidValueDoubleHere(E parameter, double value, const char* format, E elab = {});
  HRESULT ReportInvalidValueTextHere(E parameter, E value, E elab = {});
  HRESULT ReportInvalidValueWideHere(E parameter, std::u16string_view value, E elab = {});
  HRESULT ReportMethodNotSupportedHere(E elab = {});                           // 9
  HRESULT ReportPropertyNotSupportedHere(E elab = {});                         // 10
  HRESULT ReportEnumValueNotSupportedHere(E value, E parameter, E elab = {});  // 11
  HRESULT ReportNullPointerHere(E parameter, E elab = {});                     // 22
};

}  // namespace tevra::core
