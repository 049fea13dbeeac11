// The error reporter's mechanics: what a report leaves on the thread (description with the
// elaboration, source, interface of the current call, help) and what it returns; the forms of
// the invalid-value family; the current-method variants. The code table itself is checked row
// by row in ErrorTableTest.cpp.
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

bool SameIid(const IID& a, const IID& b) { return a == b; }

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

// --- Description and elaboration ---

TEST_F(ErrorReporterTest, ElaborationFollowsOnItsOwnLine) {
  const std::string message = "Tevra: A connection to the instrument has not been established.";
  EXPECT_EQ(reporter_.ReportElaborated(Code::NotInitialized, "Call Initialize first."),
            static_cast<HRESULT>(0x8004701D));
  EXPECT_EQ(TakeError().description, message + "\r\nCall Initialize first.");
  reporter_.Report(Code::NotInitialized);
  EXPECT_EQ(TakeError().description, message);
  reporter_.ReportElaborated(Code::NotInitialized, "");
  EXPECT_EQ(TakeError().description, message);
  reporter_.ReportElaboratedV(Code::UnknownOptionName, "line one\r\nline two", {"Foo"});
  EXPECT_EQ(TakeError().description,
            "Tevra: The 'Foo' name in the option string is unknown.\r\nline one\r\nline two");
}

TEST_F(ErrorReporterTest, ReportAndReportVThroughTheInterface) {
  IErrorReporter& reporter = reporter_;
  EXPECT_EQ(reporter.Report(Code::FileNotFound), static_cast<HRESULT>(0x8004705B));
  EXPECT_EQ(TakeError().description, "Tevra: File not found.");
  EXPECT_EQ(reporter.ReportV(Code::UnknownOptionValue, {"maybe"}),
            static_cast<HRESULT>(0x8004704C));
  EXPECT_EQ(TakeError().description, "Tevra: The 'maybe' value in the option string is unknown.");
}

TEST_F(ErrorReporterTest, ArgumentsAreInsertedVerbatimAndResultTrimmed) {
  // An argument's own "%2" is not a placeholder; a missing argument inserts nothing.
  reporter_.ReportElaboratedV(Code::InvalidValue, {}, {"50%2", "Configure"});
  EXPECT_EQ(TakeError().description,
            "Tevra: Invalid value '50%2' for method 'Configure', parameter ''.");
  // Code 50 ends with %1: trailing blanks of the argument go with the trim.
  reporter_.Report(Code::InvalidInputChannel, " 3 \r\n");
  EXPECT_EQ(TakeError().description, "Tevra: Invalid input channel 3");
}

// --- Error information fields and statuses (per code in ErrorTableTest.cpp) ---

TEST_F(ErrorReporterTest, InterfaceIsThatOfTheTopFrame) {
  reporter_.Report(Code::UnexpectedResponse);
  platform::ErrorRecord error = TakeError();
  EXPECT_TRUE(SameIid(error.iid, GUID_NULL)) << "no call running";
  EXPECT_EQ(error.source, kProgId);

  ScopedCall outer(calls_, kConfigure);
  {
    ScopedCall inner(calls_, kFetch);
    reporter_.Report(Code::UnexpectedResponse);
    EXPECT_TRUE(SameIid(TakeError().iid, kMeasureIid));
  }
  reporter_.Report(Code::UnexpectedResponse);
  EXPECT_TRUE(SameIid(TakeError().iid, kConfigIid));
}

TEST_F(ErrorReporterTest, WarningsReturnTheirPositiveStatus) {
  EXPECT_EQ(reporter_.Report(Code::ResetNotSupported), static_cast<HRESULT>(0x00047066));
  EXPECT_EQ(TakeError().description, "Tevra: Reset is not supported by this instrument.");
}

TEST_F(ErrorReporterTest, PublishErrorOfCodeOneOrUnknownCode) {
  EXPECT_EQ(reporter_.PublishError(Code::Success, "text"), DISP_E_EXCEPTION);
  EXPECT_EQ(TakeError().description, "text");
  EXPECT_EQ(reporter_.PublishError(static_cast<Code>(46), "no such code"), E_UNEXPECTED);
  const platform::ErrorRecord error = TakeError();
  EXPECT_EQ(error.description, "no such code");
  EXPECT_EQ(error.helpFile, "");
}

TEST_F(ErrorReporterTest, ReportOfUnknownCodeDescribesTheFormatterFailure) {
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
  EXPECT_EQ(
      reporter_.ReportStatusText(libraryStatus, "Timeout expired before operation completed."),
      libraryStatus);
  const platform::ErrorRecord error = TakeError();
  EXPECT_EQ(error.description, "Timeout expired before operation completed.");
  EXPECT_EQ(error.source, kProgId);
  EXPECT_TRUE(SameIid(error.iid, GUID_NULL));
  EXPECT_EQ(error.helpFile, "");

  EXPECT_EQ(reporter_.ReportStatusText(0, "nothing"), DISP_E_EXCEPTION);
  EXPECT_EQ(TakeError().description, "nothing");
  EXPECT_EQ(reporter_.ReportStatusText(S_FALSE, "warning"), S_FALSE);
  EXPECT_EQ(TakeError().description, "warning");
}

TEST_F(ErrorReporterTest, ReportReplacesEarlierErrorInformation) {
  reporter_.Report(Code::FileNotFound);
  reporter_.Report(Code::CannotOpenFile);
  EXPECT_EQ(TakeError().description, "Tevra: Cannot open file.");
  EXPECT_FALSE(platform::HasThreadError());
}

TEST_F(ErrorReporterTest, ReadableThroughGetErrorInfo) {
  reporter_.ReportElaborated(Code::UnknownResource, "GPIB0::7::INSTR");
  IErrorInfo* info = nullptr;
  ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
  ASSERT_NE(info, nullptr);
  BSTR text = nullptr;
  ASSERT_EQ(info->GetDescription(&text), S_OK);
  EXPECT_EQ(std::u16string_view(text, SysStringLen(text)),
            u"Tevra: Unknown resource.\r\nGPIB0::7::INSTR");
  SysFreeString(text);
  info->Release();
}

// --- I/O errors carry the thread's previous description ---

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
      {nullptr, true, "no response", static_cast<HRESULT>(0x80044215),
       "Tevra: I/O timeout error: .\r\nno response"},
  };
  ScopedCall call(calls_, kFetch);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description);
    if (c.previous) {
      platform::ErrorRecord ioLibrary;
      ioLibrary.description = c.previous;
      ioLibrary.source = "VISA";
      platform::SetThreadError(ioLibrary);
    }
    EXPECT_EQ(c.timeout ? reporter_.ReportIoTimeout(c.elaboration)
                        : reporter_.ReportIoError(c.elaboration),
              c.status);
    const platform::ErrorRecord error = TakeError();
    EXPECT_EQ(error.description, c.description);
    EXPECT_EQ(error.source, kProgId);
    EXPECT_TRUE(SameIid(error.iid, kMeasureIid));
  }
}

// --- Current-method variants ---

TEST_F(ErrorReporterTest, HereVariantsNameTheMethodOfTheTopFrame) {
  EXPECT_EQ(reporter_.CurrentMethod(), "");
  reporter_.ReportNullPointerHere("Level");
  EXPECT_EQ(TakeError().description,
            "Tevra: Null pointer passed for method '', parameter 'Level'.");

  ScopedCall call(calls_, kConfigure);
  EXPECT_EQ(reporter_.CurrentMethod(), "Configure");
  EXPECT_EQ(reporter_.ReportMethodNotSupportedHere(), static_cast<HRESULT>(0x80047011));
  EXPECT_EQ(TakeError().description,
            "Tevra: Does not support this class-compliant feature: method 'Configure'.");
  EXPECT_EQ(reporter_.ReportPropertyNotSupportedHere(), static_cast<HRESULT>(0x80047012));
  EXPECT_EQ(TakeError().description,
            "Tevra: Does not support this class-compliant feature: property 'Configure'.");
  EXPECT_EQ(reporter_.ReportEnumValueNotSupportedHere("Ext2", "Source"),
            static_cast<HRESULT>(0x80047013));
  EXPECT_EQ(TakeError().description,
            "Tevra: Does not support this class-compliant feature: Enumeration value 'Ext2' "
            "passed as the value for parameter 'Source' in method 'Configure'.");
  EXPECT_EQ(reporter_.ReportNullPointerHere("Level", "elab"), static_cast<HRESULT>(0x80047058));
  EXPECT_EQ(TakeError().description,
            "Tevra: Null pointer passed for method 'Configure', parameter 'Level'.\r\nelab");
}

// --- Argument order of the per-code operations with several arguments ---

TEST_F(ErrorReporterTest, MultiArgumentOperationsKeepMessageOrder) {
  EXPECT_EQ(reporter_.Report(Code::InvalidRepCapRange, "1-9", "Channel"),
            static_cast<HRESULT>(0x80047064));
  EXPECT_EQ(TakeError().description,
            "Tevra: The range '1-9' is not valid for the repeated capability 'Channel'.");
  reporter_.Report(Code::EnumValueNotSupported, "Ext2", "Source", "Configure");
  EXPECT_EQ(TakeError().description,
            "Tevra: Does not support this class-compliant feature: Enumeration value 'Ext2' "
            "passed as the value for parameter 'Source' in method 'Configure'.");
  EXPECT_EQ(reporter_.Report(Code::NullPointer, "Initialize", "ResourceName"),
            static_cast<HRESULT>(0x80047058));
  EXPECT_EQ(TakeError().description,
            "Tevra: Null pointer passed for method 'Initialize', parameter 'ResourceName'.");
  reporter_.Report(Code::ModelNotSupported, "Gate time below 1 us");
  EXPECT_EQ(TakeError().description,
            "Tevra: Instrument model does not support this feature: Gate time below 1 us.");
}

// --- Invalid-value family (code 8) ---

TEST_F(ErrorReporterTest, InvalidValueFormsTheValueText) {
  using R = CTevraErrorReporter&;
  const std::string k300Zeros(300, '0');
  const struct {
    HRESULT (*report)(R);
    std::string value;
    const char* method = "Configure";  // the Here forms name the frame's method, Fetch
    const char* elaboration = "";
  } cases[] = {
      {[](R r) { return r.ReportInvalidValueBool("Configure", "Level", true); }, "True"},
      {[](R r) { return r.ReportInvalidValueBool("Configure", "Level", false); }, "False"},
      {[](R r) { return r.ReportInvalidValueInt("Configure", "Level", -42, "%d"); }, "-42"},
      {[](R r) { return r.ReportInvalidValueInt("Configure", "Level", 255, "0x%04X"); }, "0x00FF"},
      {[](R r) { return r.ReportInvalidValueDouble("Configure", "Level", 0.1, "%0.15lg"); }, "0.1"},
      {[](R r) { return r.ReportInvalidValueDouble("Configure", "Level", -2.5e-12, "%0.15lg"); },
       "-2.5e-12"},
      // Longer than any stack buffer.
      {[](R r) { return r.ReportInvalidValueDouble("Configure", "Level", 1.0, "%.300f"); },
       "1." + k300Zeros},
      {[](R r) { return r.ReportInvalidValueText("Configure", "Level", "Ext 'A'", "elab"); },
       "Ext 'A'", "Configure", "\r\nelab"},
      {[](R r) { return r.ReportInvalidValueWide("Configure", "Level", u"5 \u00B5s \u03A9"); },
       "5 \xC2\xB5s \xCE\xA9"},
      {[](R r) { return r.ReportInvalidValueBoolHere("Level", true); }, "True", "Fetch"},
      {[](R r) { return r.ReportInvalidValueIntHere("Level", 7, "%d"); }, "7", "Fetch"},
      {[](R r) { return r.ReportInvalidValueDoubleHere("Level", 1e100, "%0.15lg"); }, "1e+100",
       "Fetch"},
      {[](R r) { return r.ReportInvalidValueTextHere("Level", "MAX", "elab"); }, "MAX", "Fetch",
       "\r\nelab"},
      {[](R r) { return r.ReportInvalidValueWideHere("Level", u"\u20AC"); }, "\xE2\x82\xAC",
       "Fetch"},
  };
  ScopedCall call(calls_, kFetch);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(c.report(reporter_), static_cast<HRESULT>(0x80047010));
    const platform::ErrorRecord error = TakeError();
    EXPECT_EQ(error.description, "Tevra: Invalid value '" + c.value + "' for method '" + c.method +
                                     "', parameter 'Level'." + c.elaboration);
    EXPECT_TRUE(SameIid(error.iid, kMeasureIid));
  }
}

}  // namespace
}  // namespace tevra::core
