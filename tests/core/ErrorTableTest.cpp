// An independent copy of the driver's code table, checked row by row against the lookup functions
// and against what the error reporter leaves on the thread. The rows here are typed separately
// from ErrorCodes.def on purpose: a slip in either copy shows up as a mismatch.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>

#include "core/CallContext.h"
#include "core/ErrorCodes.h"
#include "core/ErrorReporter.h"
#include "platform/ErrorInfo.h"

namespace tevra::core {
namespace {

struct Row {
  int code;
  const char* message;  // after "Tevra: "
  std::uint32_t comStatus;
  std::uint32_t cStatus;
  const char* cMessage;
  bool help;
};

void PrintTo(const Row& row, std::ostream* os) { *os << "code " << row.code; }

// clang-format off
const Row kRows[] = {
    {1, "Success.", 0x00000000, 0x00000000, "Success.", false},
    {2, "Unrecoverable failure.", 0x80047000, 0xBFFA0000, "Failure cannot recover.", false},
    {3, "Instrument error detected.  Use ErrorQuery() to determine error(s).", 0x80047001, 0xBFFA0001,
        "Instrument error detected.  Use ErrorQuery() to determine the error(s).", false},
    {4, "Cannot open file.", 0x80047002, 0xBFFA0002, "Cannot open file.", false},
    {5, "Error reading file.", 0x80047003, 0xBFFA0003, "Error reading file.", false},
    {6, "Error writing file.", 0x80047004, 0xBFFA0004, "Error writing file.", false},
    {7, "The path name is invalid.", 0x8004700B, 0xBFFA000B, "The pathname is invalid.", false},
    {8, "Invalid value '%1' for method '%2', parameter '%3'.", 0x80047010, 0xBFFA0010,
        "Invalid value (%1) for method %2, parameter %3.", false},
    {9, "Does not support this class-compliant feature: method '%1'.", 0x80047011, 0xBFFA0011,
        "Does not support this class-compliant feature: method %1", false},
    {10, "Does not support this class-compliant feature: property '%1'.", 0x80047012, 0xBFFA0012,
        "Does not support this class-compliant feature: property %1.", false},
    {11, "Does not support this class-compliant feature: Enumeration value '%1' passed as the value "
         "for parameter '%2' in method '%3'.", 0x80047013, 0xBFFA0013,
        "Does not support this class-compliant feature:  (enumeration) value %1 passed as the value "
        "for parameter %2 in method %3.", false},
    {12, "A connection to the instrument has not been established.", 0x8004701D, 0xBFFA001D,
        "A connection to the instrument has not been established.", false},
    {13, "Unknown channel name.", 0x80047020, 0xBFFA0020, "Unknown channel name.", false},
    {14, "Too many files are opened.", 0x80047023, 0xBFFA0023, "Too many files are open.", false},
    {15, "A channel name is required.", 0x80047044, 0xBFFA0044, "A channel name is required.", false},
    {16, "The option string is missing an option name.", 0x80047049, 0xBFFA0049,
        "The option string is missing an option name.", false},
    {17, "The option string is missing an option value.", 0x8004704A, 0xBFFA004A,
        "The option string is missing an option value.", false},
    {18, "The '%1' name in the option string is unknown.", 0x8004704B, 0xBFFA004B,
        "The %1 name in the option string is unknown.", false},
    {19, "The '%1' value in the option string is unknown.", 0x8004704C, 0xBFFA004C,
        "The %1 value in the option string is unknown.", false},
    {20, "Could not allocate necessary memory.", 0x80047056, 0xBFFA0056,
        "Could not allocate necessary memory.", false},
    {21, "Operation in progress.", 0x80047057, 0xBFFA0057, "Operation in progress.", false},
    {22, "Null pointer passed for method '%1', parameter '%2'.", 0x80047058, 0xBFFA0058,
        "Null pointer passed for method %1, parameter %2.", false},
    {23, "Unexpected response from the instrument.", 0x80047059, 0xBFFA0059,
        "Unexpected response from instrument.", false},
    {24, "File not found.", 0x8004705B, 0xBFFA005B, "File not found.", false},
    {25, "Invalid file format.", 0x8004705C, 0xBFFA005C, "Invalid file format.", false},
    {26, "The instrument status is not available.", 0x8004705D, 0xBFFA005D,
        "The instrument status is not available.", false},
    {27, "Instrument ID query failed.", 0x8004705E, 0xBFFA005E, "Instrument ID query failed.", false},
    {28, "Instrument reset failed.", 0x8004705F, 0xBFFA005F, "Instrument reset failed.", false},
    {29, "Unknown resource.", 0x80047060, 0xBFFA0060, "Unknown resource.", false},
    {30, "The driver is already initialized.", 0x80047061, 0xBFFA0061,
        "The driver is already initialized.", false},
    {31, "The simulation state cannot be changed.", 0x80047062, 0xBFFA0062,
        "The simulation state cannot be changed.", false},
    {32, "The number of levels in the selector is not valid for the '%1' repeated capability.",
        0x80047063, 0xBFFA0063,
        "The number of levels in the selector is not valid for the %1 repeated capability.", false},
    {33, "The range '%1' is not valid for the repeated capability '%2'.", 0x80047064, 0xBFFA0064,
        "The range %1 is not valid for the repeated capability %2.", false},
    {34, "Unknown name in selector.", 0x80047065, 0xBFFA0065, "Unknown name in selector.", false},
    {35, "The repeated capability selector is badly-formed.", 0x80047066, 0xBFFA0066,
        "The repeated capability selector is badly-formed.", false},
    {36, "Unknown physical repeated capability selector.", 0x80047067, 0xBFFA0067,
        "Unknown physical repeated capability selector.", false},
    {37, "ID Query is not supported by this instrument.", 0x00047065, 0x3FFA0065,
        "ID Query is not supported by this instrument.", false},
    {38, "Reset is not supported by this instrument.", 0x00047066, 0x3FFA0066,
        "Reset is not supported by this instrument.", false},
    {39, "Self test is not supported by this instrument.", 0x00047067, 0x3FFA0067,
        "Self test is not supported by this instrument.", false},
    {40, "Error query is not supported by this instrument.", 0x00047068, 0x3FFA0068,
        "Error query is not supported by this instrument.", false},
    {41, "Firmware revision query is not supported by this instrument.", 0x00047069, 0x3FFA0069,
        "Firmware revision query is not supported by this instrument.", false},
    {42, "I/O error: %1.", 0x80044214, 0xBFFA4214, "I/O error.", true},
    {43, "I/O timeout error: %1.", 0x80044215, 0xBFFA4215, "I/O timeout error.", true},
    {44, "Instrument model does not support this feature: %1.", 0x80044216, 0xBFFA4216,
        "Instrument model does not support this feature.", true},
    {45, "Personality is not active.", 0x80044211, 0xBFFA4211, "Personality is not active.", true},
    {47, "Personality is not installed.", 0x80044212, 0xBFFA4212, "Personality is not installed.",
        true},
    {48, "Option not installed on instrument model.", 0x80044001, 0xBFFA4001,
        "Option not installed on instrument model.", true},
    {49, "Hardware not present.", 0x80044217, 0xBFFA4217, "Hardware not present.", true},
    {50, "Invalid input channel%1", 0x80044218, 0xBFFA4218, "Invalid input channel%1", true},
    {51, "The maximum waiting time for this operation was exceeded.", 0x80042001, 0xBFFA2003,
        "The maximum waiting time for this operation was exceeded.", false},
    {52, "The measurement taken was over the instrument's range.", 0x00044002, 0x3FFA2002,
        "The measurement taken was over the instrument's range.", false},
    {53, "The instrument was in an uncalibrated state when the measurement was taken.", 0x00044001,
        0x3FFA2001, "The instrument was in an uncalibrated state when the measurement was taken.",
        false},
};
// clang-format on

constexpr IID kTestIid = {
    0x5EC0A1D3, 0x27B4, 0x4F19, {0x9A, 0x61, 0x0C, 0xE2, 0x74, 0x3B, 0x88, 0xD5}};
constexpr const char* kProgId = "Tevra.Tevra.1";

// Statuses print as hex so a failing row reads like the table.
std::string Hex(std::int32_t status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<std::uint32_t>(status));
  return text;
}
std::string Hex(std::uint32_t status) { return Hex(static_cast<std::int32_t>(status)); }

// %1..%3 replaced in turn; the arguments hold no '%' of their own.
std::string Fill(std::string text, const std::string& a1, const std::string& a2,
                 const std::string& a3) {
  const std::string args[] = {a1, a2, a3};
  for (int i = 0; i < 3; ++i) {
    const std::string mark = "%" + std::to_string(i + 1);
    std::size_t pos = 0;
    while ((pos = text.find(mark, pos)) != std::string::npos) {
      text.replace(pos, mark.size(), args[i]);
      pos += args[i].size();
    }
  }
  return text;
}

std::string Expected(const Row& row) {
  return std::string("Tevra: ") + Fill(row.message, "A", "B", "C");
}

// A reporter with one call frame pushed, as an entry point would leave it.
class ReporterFixture {
 protected:
  ReporterFixture() {
    frame_.method = &method_;
    calls_.PushCallContext(frame_);
    platform::ClearThreadError();
  }
  ~ReporterFixture() {
    calls_.PopCallContext();
    platform::ClearThreadError();
  }

  platform::ErrorRecord TakeError() {
    platform::ErrorRecord record;
    EXPECT_TRUE(platform::TakeThreadError(record)) << "no error information on the thread";
    return record;
  }

  MethodRecord method_{&kTestIid, "ITevraTest", "Initialize"};
  CallFrame frame_;
  CallContextStack calls_;
  CTevraErrorReporter reporter_{kProgId, calls_};
};

class ErrorTableRow : public ::testing::TestWithParam<Row>, protected ReporterFixture {};

TEST_P(ErrorTableRow, LookupMatchesTable) {
  const Row& row = GetParam();
  const CodeInfo* info = FindCode(row.code);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->code, row.code);
  EXPECT_STREQ(info->message, row.message);
  EXPECT_EQ(Hex(info->comStatus), Hex(row.comStatus));
  EXPECT_EQ(Hex(info->cStatus), Hex(row.cStatus));
  EXPECT_STREQ(info->cMessage, row.cMessage);
  EXPECT_EQ(info->hasHelp, row.help);

  EXPECT_EQ(Hex(ComStatusOf(row.code)), Hex(row.comStatus));
}

TEST_P(ErrorTableRow, ConvertsToCStatusAndMessage) {
  const Row& row = GetParam();
  EXPECT_EQ(Hex(ToCStatus(static_cast<HRESULT>(row.comStatus))), Hex(row.cStatus));
  const char* text = CMessageOf(static_cast<std::int32_t>(row.cStatus));
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, row.cMessage);
}

TEST_P(ErrorTableRow, FormatsMessageWithArguments) {
  const Row& row = GetParam();
  EXPECT_EQ(FormatCodeMessage(row.code, {"A", "B", "C"}), Expected(row));
}

TEST_P(ErrorTableRow, ReportLeavesErrorInformation) {
  const Row& row = GetParam();
  const HRESULT status =
      reporter_.ReportElaboratedV(static_cast<Code>(row.code), {}, {"A", "B", "C"});
  const HRESULT expected =
      row.comStatus == 0 ? DISP_E_EXCEPTION : static_cast<HRESULT>(row.comStatus);
  EXPECT_EQ(Hex(status), Hex(expected));

  const platform::ErrorRecord error = TakeError();
  EXPECT_EQ(error.description, Expected(row));
  EXPECT_EQ(error.source, kProgId);
  EXPECT_TRUE(error.iid == kTestIid);
  EXPECT_EQ(error.helpFile, row.help ? "Tevra.chm" : "");
  EXPECT_EQ(error.helpContext, row.help ? 3u : 0u);
}

INSTANTIATE_TEST_SUITE_P(AllCodes, ErrorTableRow, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                           return "Code" + std::to_string(info.param.code);
                         });

TEST(ErrorTable, ListsEveryCodeButFortySix) {
  EXPECT_EQ(std::size(kRows), 52u);
  for (int code = 1; code <= 53; ++code) {
    SCOPED_TRACE(code);
    EXPECT_EQ(FindCode(code) != nullptr, code != 46);
  }
}

TEST(ErrorTable, NumbersOutsideTableAreUnexpected) {
  for (int code : {-1, 0, 46, 54, 1000}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(FindCode(code), nullptr);
    EXPECT_EQ(Hex(ComStatusOf(code)), Hex(0x8000FFFFu));
  }
}

TEST(ErrorTable, WarningCodesHavePositiveStatuses) {
  for (int code : {37, 38, 39, 40, 41, 52, 53}) {
    SCOPED_TRACE(code);
    EXPECT_GT(ComStatusOf(code), 0);
    EXPECT_GT(ToCStatus(ComStatusOf(code)), 0);
  }
}

TEST(ErrorTable, CLayerOwnEntriesAndSuccess) {
  const struct {
    std::uint32_t status;
    const char* message;
  } entries[] = {
      {0xBFFA000C, "Attribute ID not recognized."},
      {0xBFFA0015, "Wrong attribute accessor invoked for attribute type."},
      {0xBFFA000D, "Attribute is read-only."},
      {0xBFFA000E, "Attribute is write-only."},
      {0xBFFA1190, "Invalid session handle."},
      {0x00000000, "Success."},
  };
  for (const auto& entry : entries) {
    SCOPED_TRACE(Hex(entry.status));
    const char* text = CMessageOf(static_cast<std::int32_t>(entry.status));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, entry.message);
  }
  EXPECT_EQ(kCStatusAttributeNotSupported, static_cast<std::int32_t>(0xBFFA000C));
  EXPECT_EQ(kCStatusInvalidType, static_cast<std::int32_t>(0xBFFA0015));
  EXPECT_EQ(kCStatusAttributeNotWritable, static_cast<std::int32_t>(0xBFFA000D));
  EXPECT_EQ(kCStatusAttributeNotReadable, static_cast<std::int32_t>(0xBFFA000E));
  EXPECT_EQ(kCStatusInvalidSession, static_cast<std::int32_t>(0xBFFA1190));
}

TEST(ErrorTable, UnknownStatuses) {
  EXPECT_EQ(CMessageOf(static_cast<std::int32_t>(0xBFFA9999)), nullptr);
  EXPECT_EQ(Hex(ToCStatus(static_cast<HRESULT>(0x80070005))), Hex(0x80000000u));
  EXPECT_EQ(Hex(ToCStatus(E_UNEXPECTED)), Hex(0x80000000u));
  EXPECT_EQ(ToCStatus(0), 0);
}

class ErrorReportEdge : public ::testing::Test, protected ReporterFixture {};

TEST_F(ErrorReportEdge, NullPointerNamesMethodAndParameter) {
  const std::string description =
      "Tevra: Null pointer passed for method 'Initialize', parameter 'ResourceName'.";

  HRESULT status = reporter_.ReportNullPointer("Initialize", "ResourceName");
  EXPECT_EQ(Hex(status), Hex(0x80047058u));
  EXPECT_EQ(Hex(ToCStatus(status)), Hex(0xBFFA0058u));
  EXPECT_EQ(TakeError().description, description);

  // The pushed frame's method is "Initialize".
  status = reporter_.ReportNullPointerHere("ResourceName");
  EXPECT_EQ(Hex(status), Hex(0x80047058u));
  EXPECT_EQ(TakeError().description, description);
}

TEST_F(ErrorReportEdge, ElaborationGoesOnSecondLine) {
  const std::string description =
      "Tevra: The 'True' value in the option string is unknown.\r\nSimulate expects a boolean.";

  HRESULT status = reporter_.ReportUnknownOptionValue("True", "Simulate expects a boolean.");
  EXPECT_EQ(Hex(status), Hex(0x8004704Cu));
  EXPECT_EQ(TakeError().description, description);

  status =
      reporter_.ReportElaboratedV(static_cast<Code>(19), "Simulate expects a boolean.", {"True"});
  EXPECT_EQ(Hex(status), Hex(0x8004704Cu));
  EXPECT_EQ(TakeError().description, description);
}

}  // namespace
}  // namespace tevra::core
