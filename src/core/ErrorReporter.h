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
  // The code's message with its %1.. filled from args in order; with an elaboration, that on a
  // line of its own after the message.
  template <class... A>
  HRESULT Report(Code code, const A&... args) {
    return ReportElaboratedV(code, {}, {std::string_view(args)...});
  }
  template <class... A>
  HRESULT ReportElaborated(Code code, std::string_view elaboration, const A&... args) {
    return ReportElaboratedV(code, elaboration, {std::string_view(args)...});
  }

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

// The reports that convert their arguments: invalid values by the form of the value, and the
// codes that name the method of the top call context. Each takes an elaboration that, when not
// empty, is appended on a line of its own. Every other code is Report(Code::X, args...).
class CTevraErrorReporter final : public CErrorReporter {
 public:
  using CErrorReporter::CErrorReporter;
  using E = std::string_view;

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
