// An independent copy of the driver's code table, checked row by row against the lookup functions
// and against what the error reporter leaves on the thread. The rows here are typed separately
// from ErrorCodes.def on purpose: a slip in either copy shows up as a mismatch.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

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
  const char* cMessage;  // kSame: the message itself
};
constexpr const char* kSame = nullptr;

// clang-format off
const Row kRows[] = {
    {1, "Success.", 0x00000000, 0x00000000, kSame},
    {2, "Unrecoverable failure.", 0x80047000, 0xBFFA0000, "Failure cannot recover."},
    {3, "Instrument error detected.  Use ErrorQuery() to determine error(s).", 0x80047001, 0xBFFA0001,
        "Instrument error detected.  Use ErrorQuery() to determine the error(s)."},
    {4, "Cannot open file.", 0x80047002, 0xBFFA0002, kSame},
    {5, "Error reading file.", 0x80047003, 0xBFFA0003, kSame},
    {6, "Error writing file.", 0x80047004, 0xBFFA0004, kSame},
    {7, "The path name is invalid.", 0x8004700B, 0xBFFA000B, "The pathname is invalid."},
    {8, "Invalid value '%1' for method '%2', parameter '%3'.", 0x80047010, 0xBFFA0010,
        "Invalid value (%1) for method %2, parameter %3."},
    {9, "Does not support this class-compliant feature: method '%1'.", 0x80047011, 0xBFFA0011,
        "Does not support this class-compliant feature: method %1"},
    {10, "Does not support this class-compliant feature: property '%1'.", 0x80047012, 0xBFFA0012,
        "Does not support this class-compliant feature: property %1."},
    {11, "Does not support this class-compliant feature: Enumeration value '%1' passed as the value "
         "for parameter '%2' in method '%3'.", 0x80047013, 0xBFFA0013,
        "Does not support this class-compliant feature:  (enumeration) value %1 passed as the value "
        "for parameter %2 in method %3."},
    {12, "A connection to the instrument has not been established.", 0x8004701D, 0xBFFA001D, kSame},
    {13, "Unknown channel name.", 0x80047020, 0xBFFA0020, kSame},
    {14, "Too many files are opened.", 0x80047023, 0xBFFA0023, "Too many files are open."},
    {15, "A channel name is required.", 0x80047044, 0xBFFA0044, kSame},
    {16, "The option string is missing an option name.", 0x80047049, 0xBFFA0049, kSame},
    {17, "The option string is missing an option value.", 0x8004704A, 0xBFFA004A, kSame},
    {18, "The '%1' name in the option string is unknown.", 0x8004704B, 0xBFFA004B,
        "The %1 name in the option string is unknown."},
    {19, "The '%1' value in the option string is unknown.", 0x8004704C, 0xBFFA004C,
        "The %1 value in the option string is unknown."},
    {20, "Could not allocate necessary memory.", 0x80047056, 0xBFFA0056, kSame},
    {21, "Operation in progress.", 0x80047057, 0xBFFA0057, kSame},
    {22, "Null pointer passed for method '%1', parameter '%2'.", 0x80047058, 0xBFFA0058,
        "Null pointer passed for method %1, parameter %2."},
    {23, "Unexpected response from the instrument.", 0x80047059, 0xBFFA0059,
        "Unexpected response from instrument."},
    {24, "File not found.", 0x8004705B, 0xBFFA005B, kSame},
    {25, "Invalid file format.", 0x8004705C, 0xBFFA005C, kSame},
    {26, "The instrument status is not available.", 0x8004705D, 0xBFFA005D, kSame},
    {27, "Instrument ID query failed.", 0x8004705E, 0xBFFA005E, kSame},
    {28, "Instrument reset failed.", 0x8004705F, 0xBFFA005F, kSame},
    {29, "Unknown resource.", 0x80047060, 0xBFFA0060, kSame},
    {30, "The driver is already initialized.", 0x80047061, 0xBFFA0061, kSame},
    {31, "The simulation state cannot be changed.", 0x80047062, 0xBFFA0062, kSame},
    {32, "The number of levels in the selector is not valid for the '%1' repeated capability.",
        0x80047063, 0xBFFA0063,
        "The number of levels in the selector is not valid for the %1 repeated capability."},
    {33, "The range '%1' is not valid for the repeated capability '%2'.", 0x80047064, 0xBFFA0064,
        "The range %1 is not valid for the repeated capability %2."},
    {34, "Unknown name in selector.", 0x80047065, 0xBFFA0065, kSame},
    {35, "The repeated capability selector is badly-formed.", 0x80047066, 0xBFFA0066, kSame},
    {36, "Unknown physical repeated capability selector.", 0x80047067, 0xBFFA0067, kSame},
    {37, "ID Query is not supported by this instrument.", 0x00047065, 0x3FFA0065, kSame},
    {38, "Reset is not supported by this instrument.", 0x00047066, 0x3FFA0066, kSame},
    {39, "Self test is not supported by this instrument.", 0x00047067, 0x3FFA0067, kSame},
    {40, "Error query is not supported by this instrument.", 0x00047068, 0x3FFA0068, kSame},
    {41, "Firmware revision query is not supported by this instrument.", 0x00047069, 0x3FFA0069,
        kSame},
    {42, "I/O error: %1.", 0x80044214, 0xBFFA4214, "I/O error."},
    {43, "I/O timeout error: %1.", 0x80044215, 0xBFFA4215, "I/O timeout error."},
    {44, "Instrument model does not support this feature: %1.", 0x80044216, 0xBFFA4216,
        "Instrument model does not support this feature."},
    {45, "Personality is not active.", 0x80044211, 0xBFFA4211, kSame},
    {47, "Personality is not installed.", 0x80044212, 0xBFFA4212, kSame},
    {48, "Option not installed on instrument model.", 0x80044001, 0xBFFA4001, kSame},
    {49, "Hardware not present.", 0x80044217, 0xBFFA4217, kSame},
    {50, "Invalid input channel%1", 0x80044218, 0xBFFA4218, kSame},
    {51, "The maximum waiting time for this operation was exceeded.", 0x80042001, 0xBFFA2003,
        kSame},
    {52, "The measurement taken was over the instrument's range.", 0x00044002, 0x3FFA2002, kSame},
    {53, "The instrument was in an uncalibrated state when the measurement was taken.", 0x00044001,
        0x3FFA2001, kSame},
};
// clang-format on

const char* CMessage(const Row& row) { return row.cMessage ? row.cMessage : row.message; }
// Codes 42..50 carry the help file.
bool HasHelp(const Row& row) { return row.code >= 42 && row.code <= 50; }

// Statuses print as hex so a failing row reads like the table.
std::string Hex(std::int64_t status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<std::uint32_t>(status));
  return text;
}

// %1..%3 replaced by A, B, C; the arguments hold no '%' of their own.
std::string Expected(const Row& row) {
  std::string text = std::string("Tevra: ") + row.message;
  for (std::size_t pos; (pos = text.find('%')) != std::string::npos;)
    text.replace(pos, 2, 1, static_cast<char>('A' + text[pos + 1] - '1'));
  return text;
}

constexpr IID kTestIid = {
    0x5EC0A1D3, 0x27B4, 0x4F19, {0x9A, 0x61, 0x0C, 0xE2, 0x74, 0x3B, 0x88, 0xD5}};
constexpr const char* kProgId = "Tevra.Tevra.1";

// Each row from the lookup to what a report leaves on the thread, inside a call of kTestIid.
TEST(ErrorTable, EveryRowFromLookupToReport) {
  EXPECT_EQ(std::size(kRows), 52u);
  CallContextStack calls;
  const MethodRecord method{&kTestIid, "ITevraTest", "Initialize"};
  CallFrame frame;
  frame.method = &method;
  calls.PushCallContext(frame);
  CTevraErrorReporter reporter{kProgId, calls};
  platform::ClearThreadError();
  for (const Row& row : kRows) {
    SCOPED_TRACE("code " + std::to_string(row.code));
    const CodeInfo* info = FindCode(row.code);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->code, row.code);
    EXPECT_STREQ(info->message, row.message);
    EXPECT_EQ(Hex(info->comStatus), Hex(row.comStatus));
    EXPECT_EQ(Hex(info->cStatus), Hex(row.cStatus));
    EXPECT_STREQ(info->cMessage, CMessage(row));
    EXPECT_EQ(info->hasHelp, HasHelp(row));
    EXPECT_EQ(Hex(ComStatusOf(row.code)), Hex(row.comStatus));
    EXPECT_EQ(Hex(ToCStatus(static_cast<HRESULT>(row.comStatus))), Hex(row.cStatus));
    const char* text = CMessageOf(static_cast<std::int32_t>(row.cStatus));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, CMessage(row));
    EXPECT_EQ(FormatCodeMessage(row.code, {"A", "B", "C"}), Expected(row));

    const HRESULT status =
        reporter.ReportElaboratedV(static_cast<Code>(row.code), {}, {"A", "B", "C"});
    EXPECT_EQ(Hex(status), Hex(row.comStatus == 0 ? DISP_E_EXCEPTION : row.comStatus));
    platform::ErrorRecord error;
    ASSERT_TRUE(platform::TakeThreadError(error));
    EXPECT_EQ(error.description, Expected(row));
    EXPECT_EQ(error.source, kProgId);
    EXPECT_TRUE(error.iid == kTestIid);
    EXPECT_EQ(error.helpFile, HasHelp(row) ? "Tevra.chm" : "");
    EXPECT_EQ(error.helpContext, HasHelp(row) ? 3u : 0u);
  }
  calls.PopCallContext();
}

// Numbers outside the table, and the C layer's own entries, which no code maps to.
TEST(ErrorTable, WhatTheTableDoesNotHold) {
  for (int code : {-1, 0, 46, 54, 1000}) {
    SCOPED_TRACE("code " + std::to_string(code));
    EXPECT_EQ(FindCode(code), nullptr);
    EXPECT_EQ(Hex(ComStatusOf(code)), Hex(0x8000FFFFu));
  }
  const struct {
    std::int32_t constant;
    std::uint32_t status;
    const char* message;
  } entries[] = {
      {kCStatusAttributeNotSupported, 0xBFFA000C, "Attribute ID not recognized."},
      {kCStatusInvalidType, 0xBFFA0015, "Wrong attribute accessor invoked for attribute type."},
      {kCStatusAttributeNotWritable, 0xBFFA000D, "Attribute is read-only."},
      {kCStatusAttributeNotReadable, 0xBFFA000E, "Attribute is write-only."},
      {kCStatusInvalidSession, 0xBFFA1190, "Invalid session handle."},
  };
  for (const auto& entry : entries) {
    SCOPED_TRACE(Hex(entry.status));
    EXPECT_EQ(Hex(entry.constant), Hex(entry.status));
    const char* text = CMessageOf(static_cast<std::int32_t>(entry.status));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, entry.message);
  }
  EXPECT_EQ(CMessageOf(static_cast<std::int32_t>(0xBFFA9999)), nullptr);
  EXPECT_EQ(Hex(ToCStatus(static_cast<HRESULT>(0x80070005))), Hex(0x80000000u));
  EXPECT_EQ(Hex(ToCStatus(E_UNEXPECTED)), Hex(0x80000000u));
}

}  // namespace
}  // namespace tevra::core
