// The code table walked row by row through the lookups and the reporter, and the reporter's own
// mechanics: elaborations, arguments taken verbatim, the interface of the current call, unknown
// codes, status texts, I/O errors and the invalid-value forms.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "core/CallContext.h"
#include "core/ErrorCodes.h"
#include "core/ErrorReporter.h"
#include "platform/ErrorInfo.h"

namespace tevra::core {
namespace {

const CodeInfo kRows[] = {
#define TEVRA_ERROR(code, symbol, message, com, c, cMessage, help) \
  {code, #symbol, message, static_cast<HRESULT>(com), static_cast<std::int32_t>(c), cMessage, help},
#include "core/ErrorCodes.def"
#undef TEVRA_ERROR
};

constexpr IID kConfigIid = {0x3B9F2C41, 0x8D07, 0x4E6A, {0xB1, 0x52, 0x7C, 0x0E, 0x93, 0x2D, 0, 1}};
constexpr IID kMeasureIid = {0xA4E61D90, 0x13C5, 0x4B27, {0x86, 0xF3, 0x2A, 0x5D, 0x0B, 0, 0, 2}};
constexpr const char* kProgId = "Tevra.Tevra.1";
const MethodRecord kConfigure{&kConfigIid, "ITevraTrigger", "Configure"};
const MethodRecord kFetch{&kMeasureIid, "ITevraMeasurement", "Fetch"};

// The placeholders of a text, e.g. "12" for "%1 ... %2".
std::string Placeholders(std::string_view text) {
  std::string found;
  for (std::size_t at = text.find('%'); at != text.npos; at = text.find('%', at + 1))
    found += text[at + 1];
  return found;
}
// %1..%3 replaced by A, B, C.
std::string Filled(std::string_view message) {
  std::string text = std::string(kMessagePrefix) + std::string(message);
  for (std::size_t pos; (pos = text.find('%')) != std::string::npos;)
    text.replace(pos, 2, 1, static_cast<char>('A' + text[pos + 1] - '1'));
  return text;
}

class ErrorReporterTest : public ::testing::Test {
 protected:
  ErrorReporterTest() { platform::ClearThreadError(); }
  ~ErrorReporterTest() override { platform::ClearThreadError(); }
  platform::ErrorRecord TakeError() {
    platform::ErrorRecord record;
    EXPECT_TRUE(platform::TakeThreadError(record)) << "no error information on the thread";
    return record;
  }
  // A call frame pushed as an entry point pushes one.
  struct ScopedCall {
    ScopedCall(CallContextStack& calls, const MethodRecord& method) : calls(calls) {
      frame.method = &method;
      calls.PushCallContext(frame);
    }
    ~ScopedCall() { calls.PopCallContext(); }
    CallContextStack& calls;
    CallFrame frame;
  };
  CallContextStack calls_;
  CTevraErrorReporter reporter_{kProgId, calls_};
};

// Statuses unique and paired across both faces in facility 4 (the C status keeps the low word,
// except the three measurement codes), the same placeholders in both texts, and every lookup and
// report agreeing with the row.
TEST_F(ErrorReporterTest, EveryRowOfTheTableFromLookupToReport) {
  const std::pair<int, std::uint32_t> kMeasurementCStatus[] = {
      {51, 0xBFFA2003}, {52, 0x3FFA2002}, {53, 0x3FFA2001}};
  std::set<HRESULT> com;
  std::set<std::int32_t> c;
  ScopedCall call(calls_, kConfigure);
  for (const CodeInfo& row : kRows) {
    SCOPED_TRACE(row.symbol);
    EXPECT_TRUE(com.insert(row.comStatus).second && c.insert(row.cStatus).second);
    const auto u = static_cast<std::uint32_t>(row.comStatus);
    std::uint32_t low = u & 0xFFFF;
    if ((low & 0xF000) == 0x7000) low &= 0x0FFF;  // the class codes lose their 0x7000
    std::uint32_t cStatus = (u & 0x80000000u ? 0xBFFA0000u : 0x3FFA0000u) | low;
    for (auto [code, status] : kMeasurementCStatus)
      if (code == row.code) cStatus = status;
    if (row.code == 1) cStatus = 0;
    EXPECT_EQ(static_cast<std::uint32_t>(row.cStatus), cStatus);
    if (row.code > 1) {
      EXPECT_EQ(u >> 16 & 0x7FFF, 4u);
    }
    EXPECT_EQ(row.hasHelp, (u & 0x8000F000u) == 0x80004000u);
    const char* cMessage = row.cMessage ? row.cMessage : row.message;
    EXPECT_TRUE(std::string("123").starts_with(Placeholders(row.message)));
    EXPECT_TRUE(std::string_view(row.message).ends_with(row.code == 50 ? "%1" : "."));
    if (row.code < 42 || row.code > 44) {
      EXPECT_EQ(Placeholders(cMessage), Placeholders(row.message));
    }

    const CodeInfo* info = FindCode(row.code);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(ComStatusOf(row.code), row.comStatus);
    EXPECT_EQ(ToCStatus(row.comStatus), row.cStatus);
    EXPECT_STREQ(CMessageOf(row.cStatus), cMessage);
    EXPECT_EQ(FormatCodeMessage(row.code, {"A", "B", "C"}), Filled(row.message));

    EXPECT_EQ(reporter_.ReportV(static_cast<Code>(row.code), {"A", "B", "C"}),
              row.comStatus == 0 ? DISP_E_EXCEPTION : row.comStatus);
    const platform::ErrorRecord error = TakeError();
    EXPECT_EQ(error.description, Filled(row.message));
    EXPECT_EQ(error.source, kProgId);
    EXPECT_TRUE(error.iid == kConfigIid);
    EXPECT_EQ(error.helpContext, row.hasHelp ? kHelpContext : 0u);
  }
  // Outside the table: no row, E_UNEXPECTED, a formatter failure when reported; the C layer's
  // own statuses have their texts.
  for (int code : {-1, 0, 46, 54}) {
    EXPECT_EQ(FindCode(code), nullptr);
    EXPECT_EQ(ComStatusOf(code), E_UNEXPECTED);
  }
  EXPECT_EQ(CMessageOf(static_cast<std::int32_t>(0xBFFA9999)), nullptr);
  EXPECT_EQ(ToCStatus(static_cast<HRESULT>(0x80070005)), static_cast<std::int32_t>(0x80000000));
  EXPECT_EQ(reporter_.Report(static_cast<Code>(54)), DISP_E_EXCEPTION);
  EXPECT_TRUE(TakeError().description.starts_with(
      "Internal Error: Unable to retrieve and format error message from message table.\n"
      "Resource ID = 54\n"));
}

TEST_F(ErrorReporterTest, ElaborationArgumentsAndTheInterfaceOfTheTopFrame) {
  reporter_.ReportElaborated(Code::NotInitialized, "Call Initialize first.");
  platform::ErrorRecord error = TakeError();
  EXPECT_EQ(error.description,
            "Tevra: A connection to the instrument has not been established.\r\n"
            "Call Initialize first.");
  EXPECT_TRUE(error.iid == GUID_NULL) << "no call running";
  // An argument's own "%2" is not a placeholder; a missing argument inserts nothing.
  reporter_.ReportElaboratedV(Code::InvalidValue, "", {"50%2", "Configure"});
  EXPECT_EQ(TakeError().description,
            "Tevra: Invalid value '50%2' for method 'Configure', parameter ''.");
  // Code 50 ends with %1: trailing blanks of the argument go with the trim.
  reporter_.Report(Code::InvalidInputChannel, " 3 \r\n");
  EXPECT_EQ(TakeError().description, "Tevra: Invalid input channel 3");

  ScopedCall outer(calls_, kConfigure);
  {
    ScopedCall inner(calls_, kFetch);
    reporter_.Report(Code::UnexpectedResponse);
    EXPECT_TRUE(TakeError().iid == kMeasureIid);
  }
  reporter_.Report(Code::UnexpectedResponse);
  EXPECT_TRUE(TakeError().iid == kConfigIid);
  // Status texts carry the null interface and no help; 0 becomes an exception status.
  EXPECT_EQ(reporter_.ReportStatusText(static_cast<HRESULT>(0xBFFF0015), "Timeout expired."),
            static_cast<HRESULT>(0xBFFF0015));
  error = TakeError();
  EXPECT_TRUE(error.description == "Timeout expired." && error.iid == GUID_NULL &&
              error.helpFile.empty());
  EXPECT_EQ(reporter_.ReportStatusText(0, "nothing"), DISP_E_EXCEPTION);
  EXPECT_EQ(reporter_.ReportStatusText(S_FALSE, "warning"), S_FALSE);
}

TEST_F(ErrorReporterTest, IoErrorsCarryThePreviousDescription) {
  ScopedCall call(calls_, kFetch);
  platform::SetThreadError({"VI_ERROR_CONN_LOST", "VISA", GUID_NULL, "", 0});
  EXPECT_EQ(reporter_.ReportIoError("while reading"), ComStatusOf(42));
  platform::ErrorRecord error = TakeError();
  EXPECT_EQ(error.description, "Tevra: I/O error: VI_ERROR_CONN_LOST.\r\nwhile reading");
  EXPECT_TRUE(error.iid == kMeasureIid);
  platform::SetThreadError({"Timeout expired", "VISA", GUID_NULL, "", 0});
  EXPECT_EQ(reporter_.ReportIoTimeout(""), ComStatusOf(43));
  EXPECT_EQ(TakeError().description, "Tevra: I/O timeout error: Timeout expired.");
  EXPECT_EQ(reporter_.ReportIoError(""), ComStatusOf(42));
  EXPECT_EQ(TakeError().description, "Tevra: I/O error: .");
}

// The value text by the form of the value; the Here form names the method of the top frame.
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
      {[](R r) { return r.ReportInvalidValueDouble("Configure", "Level", 1.0, "%.300f"); },
       "1." + std::string(300, '0')},  // longer than any stack buffer
      {[](R r) { return r.ReportInvalidValueText("Configure", "Level", "Ext 'A'", "elab"); },
       "Ext 'A'", "Configure", "\r\nelab"},
      {[](R r) { return r.ReportInvalidValueIntHere("Level", 7, "%d"); }, "7", "Fetch"},
  };
  ScopedCall call(calls_, kFetch);
  for (const auto& c : cases) {
    EXPECT_EQ(c.report(reporter_), ComStatusOf(8));
    EXPECT_EQ(TakeError().description, "Tevra: Invalid value '" + c.value + "' for method '" +
                                           c.method + "', parameter 'Level'." + c.elaboration);
  }
}

}  // namespace
}  // namespace tevra::core
