// The error reporter's mechanics beyond the code table (checked row by row in ErrorTableTest.cpp):
// the elaboration, arguments taken verbatim, the interface of the current call, unknown codes,
// status texts, the I/O errors that carry the thread's previous description, and the
// invalid-value reports that convert their value.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "core/CallContext.h"
#include "core/ErrorCodes.h"
#include "core/ErrorReporter.h"
#include "platform/ErrorInfo.h"

namespace tevra::core {
namespace {

constexpr IID kConfigIid = {
    0x3B9F2C41, 0x8D07, 0x4E6A, {0xB1, 0x52, 0x7C, 0x0E, 0x93, 0x2D, 0x45, 0xF8}};
constexpr IID kMeasureIid = {
    0xA4E61D90, 0x13C5, 0x4B27, {0x86, 0xF3, 0x2A, 0x5D, 0x0B, 0x71, 0xC9, 0x3E}};
constexpr const char* kProgId = "Tevra.Tevra.1";

const MethodRecord kConfigure{&kConfigIid, "ITevraTrigger", "Configure"};
const MethodRecord kFetch{&kMeasureIid, "ITevraMeasurement", "Fetch"};

// A call frame pushed for the lifetime of the object, as an entry point pushes one.
class ScopedCall {
 public:
  ScopedCall(ICallContextProvider& calls, const MethodRecord& method) : calls_(calls) {
    frame_.method = &method;
    calls_.PushCallContext(frame_);
  }
  ~ScopedCall() { calls_.PopCallContext(); }
  ScopedCall(const ScopedCall&) = delete;
  ScopedCall& operator=(const ScopedCall&) = delete;

 private:
  ICallContextProvider& calls_;
  CallFrame frame_;
};

class ErrorReporterTest : public ::testing::Test {
 protected:
  ErrorReporterTest() { platform::ClearThreadError(); }
  ~ErrorReporterTest() override { platform::ClearThreadError(); }

  platform::ErrorRecord TakeError() {
    platform::ErrorRecord record;
    EXPECT_TRUE(platform::TakeThreadError(record)) << "no error information on the thread";
    return record;
  }

  CallContextStack calls_;
  CTevraErrorReporter reporter_{kProgId, calls_};
};

TEST_F(ErrorReporterTest, ElaborationAndArguments) {
  const std::string message = "Tevra: A connection to the instrument has not been established.";
  reporter_.ReportElaborated(Code::NotInitialized, "Call Initialize first.");
  EXPECT_EQ(TakeError().description, message + "\r\nCall Initialize first.");
  reporter_.ReportElaborated(Code::NotInitialized, "");
  EXPECT_EQ(TakeError().description, message);
  // An argument's own "%2" is not a placeholder; a missing argument inserts nothing.
  reporter_.ReportElaboratedV(Code::InvalidValue, "line one\r\nline two", {"50%2", "Configure"});
  EXPECT_EQ(TakeError().description,
            "Tevra: Invalid value '50%2' for method 'Configure', parameter ''.\r\nline one\r\n"
            "line two");
  // Code 50 ends with %1: trailing blanks of the argument go with the trim.
  reporter_.Report(Code::InvalidInputChannel, " 3 \r\n");
  EXPECT_EQ(TakeError().description, "Tevra: Invalid input channel 3");
}

TEST_F(ErrorReporterTest, InterfaceIsThatOfTheTopFrame) {
  reporter_.Report(Code::UnexpectedResponse);
  platform::ErrorRecord error = TakeError();
  EXPECT_TRUE(error.iid == GUID_NULL) << "no call running";
  EXPECT_EQ(error.source, kProgId);

  ScopedCall outer(calls_, kConfigure);
  {
    ScopedCall inner(calls_, kFetch);
    reporter_.Report(Code::UnexpectedResponse);
    EXPECT_TRUE(TakeError().iid == kMeasureIid);
  }
  reporter_.Report(Code::UnexpectedResponse);
  EXPECT_TRUE(TakeError().iid == kConfigIid);
}

TEST_F(ErrorReporterTest, ReportOfAnUnknownCodeDescribesTheFormatterFailure) {
  EXPECT_EQ(reporter_.Report(static_cast<Code>(54)), DISP_E_EXCEPTION);
  const std::string description = TakeError().description;
  EXPECT_EQ(description.rfind("Internal Error: Unable to retrieve and format error message from "
                              "message table.\nResource ID = 54\nLanguage ID = 0\nReason = '",
                              0),
            0u)
      << description;
  EXPECT_LE(description.size(), 500u);
}

TEST_F(ErrorReporterTest, StatusTextCarriesNullInterface) {
  ScopedCall call(calls_, kConfigure);
  const HRESULT libraryStatus = static_cast<HRESULT>(0xBFFF0015);
  EXPECT_EQ(reporter_.ReportStatusText(libraryStatus, "Timeout expired."), libraryStatus);
  const platform::ErrorRecord error = TakeError();
  EXPECT_EQ(error.description, "Timeout expired.");
  EXPECT_EQ(error.source, kProgId);
  EXPECT_TRUE(error.iid == GUID_NULL);
  EXPECT_EQ(error.helpFile, "");

  EXPECT_EQ(reporter_.ReportStatusText(0, "nothing"), DISP_E_EXCEPTION);
  EXPECT_EQ(TakeError().description, "nothing");
  EXPECT_EQ(reporter_.ReportStatusText(S_FALSE, "warning"), S_FALSE);
  EXPECT_EQ(TakeError().description, "warning");
}

TEST_F(ErrorReporterTest, IoErrorsCarryThePreviousDescription) {
  struct Case {
    const char* previous;  // null: no error information before
    bool timeout;
    const char* elaboration;
    HRESULT status;
    const char* description;
  };
  const Case cases[] = {
      {"VI_ERROR_CONN_LOST", false, "while reading the response", static_cast<HRESULT>(0x80044214),
       "Tevra: I/O error: VI_ERROR_CONN_LOST.\r\nwhile reading the response"},
      {"Timeout expired before operation completed", true, "", static_cast<HRESULT>(0x80044215),
       "Tevra: I/O timeout error: Timeout expired before operation completed."},
      {nullptr, false, "", static_cast<HRESULT>(0x80044214), "Tevra: I/O error: ."},
  };
  ScopedCall call(calls_, kFetch);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description);
    if (c.previous) platform::SetThreadError({c.previous, "VISA", GUID_NULL, "", 0});
    EXPECT_EQ(c.timeout ? reporter_.ReportIoTimeout(c.elaboration)
                        : reporter_.ReportIoError(c.elaboration),
              c.status);
    const platform::ErrorRecord error = TakeError();
    EXPECT_EQ(error.description, c.description);
    EXPECT_EQ(error.source, kProgId);
    EXPECT_TRUE(error.iid == kMeasureIid);
  }
}

// The invalid-value reports the driver uses, by the form of the value; the Here form names the
// method of the top frame, Fetch.
TEST_F(ErrorReporterTest, InvalidValueFormsTheValueText) {
  using R = CTevraErrorReporter&;
  const struct {
    HRESULT (*report)(R);
    std::string value;
    const char* method = "Configure";
    const char* elaboration = "";
  } cases[] = {
      {[](R r) { return r.ReportInvalidValueInt("Configure", "Level", 255, "0x%04X"); }, "0x00FF"},
      {[](R r) { return r.ReportInvalidValueDouble("Configure", "Level", -2.5e-12, "%0.15lg"); },
       "-2.5e-12"},
      // Longer than any stack buffer.
      {[](R r) { return r.ReportInvalidValueDouble("Configure", "Level", 1.0, "%.300f"); },
       "1." + std::string(300, '0')},
      {[](R r) { return r.ReportInvalidValueText("Configure", "Level", "Ext 'A'", "elab"); },
       "Ext 'A'", "Configure", "\r\nelab"},
      {[](R r) { return r.ReportInvalidValueIntHere("Level", 7, "%d"); }, "7", "Fetch"},
  };
  ScopedCall call(calls_, kFetch);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(c.report(reporter_), static_cast<HRESULT>(0x80047010));
    const platform::ErrorRecord error = TakeError();
    EXPECT_EQ(error.description, "Tevra: Invalid value '" + c.value + "' for method '" + c.method +
                                     "', parameter 'Level'." + c.elaboration);
    EXPECT_TRUE(error.iid == kMeasureIid);
  }
}

}  // namespace
}  // namespace tevra::core
