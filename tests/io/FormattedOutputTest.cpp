// The command formatter beside its cases file (FormatCasesTest): reals compared with printf
// itself, so that the fast path and printf cannot drift apart, and command templates filled
// from a call's inputs in order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "EnumFormatterDouble.h"
#include "MemoryLowLevelIo.h"
#include "core/Param.h"
#include "io/CommandFormat.h"
#include "io/FormattedOutput.h"
#include "platform/Bstr.h"
#include "platform/SafeArray.h"

namespace tevra::io {
namespace {

using testing::CouplingFormatter;

TEST(FormattedOutput, RealsAsPrintfPrintsThem) {
  // Compared with snprintf itself, so that the fast path and printf cannot drift apart.
  const char* formats[] = {"%f",    "%e",       "%G",   "%0.15lg", "%10.2f", "%-10.2e",
                           "% .1f", "%012.4lf", "%.0e", "%.17g",   "%Lg",    "%.20f"};
  const double values[] = {-0.0, 1e-5,      123456789.125,        1e300, 1e16, 0.1, 2.0 / 3,
                           NAN,  -INFINITY, 9.999999999999999e22, 5e-324};
  CouplingFormatter enums;
  for (const char* format : formats) {
    for (double v : values) {
      std::string printf_(512, '\0');
      const char* pf = std::strcmp(format, "%Lg") == 0 ? "%g" : format;
      printf_.resize(std::snprintf(printf_.data(), printf_.size(), pf, v));
      std::string out;
      const FormatArg arg(v);
      ASSERT_EQ(FormatToString(out, &enums, format, std::span<const FormatArg>(&arg, 1)), S_OK)
          << format;
      EXPECT_EQ(out, printf_) << format << " " << v;
    }
  }
}

TEST(CommandFormat, FillsTheTemplateFromInputsInOrder) {
  const platform::Bstr name("CH1");
  std::int32_t out = 0;
  const core::Param params[] = {core::In("Enabled", VARIANT_TRUE),
                                core::Out("Result", &out),
                                core::In("Frequency", 1e6),
                                core::InInt16("Count", std::int16_t{-3}),
                                core::In("Coupling", std::int32_t{2}),
                                core::InString("Name", name.get()),
                                core::In("Gain", 0.5f),
                                core::In("Byte", std::uint8_t{255}),
                                core::In("Big", std::int64_t{1} << 33)};
  testing::ReporterFixture fixture;
  CouplingFormatter enums;
  core::CommandText command;
  command = "stale";
  ASSERT_EQ(FormatCommand("X %d,%0.15lg,%hd,%{Coupling}s,%$Bs,%g,%bu,%Id", params, command,
                          fixture.reporter, &enums),
            S_OK);
  EXPECT_EQ(command.view(), "X -1,1000000,-3,DC,CH1,0.5,255,8589934592");

  EXPECT_EQ(FormatCommand("X %d %d", std::span<const core::Param>(params, 1), command,
                          fixture.reporter, &enums),
            E_INVALIDARG);
  EXPECT_EQ(FormatCommand("X %Z", {}, command, fixture.reporter, &enums), E_UNEXPECTED);
  EXPECT_EQ(command.view(), "");
}

// A command longer than the frame's inline text moves to the heap whole, at every length around
// the edge, and a short one after it is written from the start.
TEST(CommandFormat, ACommandLongerThanTheInlineTextIsKeptWhole) {
  testing::ReporterFixture fixture;
  core::CommandText command;
  for (std::size_t length :
       {core::CommandText::kInlineCapacity - 3, core::CommandText::kInlineCapacity - 2,
        core::CommandText::kInlineCapacity - 1, 3 * core::CommandText::kInlineCapacity}) {
    const std::string text(length, 'x');
    const platform::Bstr name(text);
    const core::Param params[] = {core::InString("Name", name.get())};
    ASSERT_EQ(FormatCommand("A %$Bs;", params, command, fixture.reporter, nullptr), S_OK);
    EXPECT_EQ(command.view(), "A " + text + ";") << length;
  }
  ASSERT_EQ(FormatCommand("*RST", {}, command, fixture.reporter, nullptr), S_OK);
  EXPECT_EQ(command.view(), "*RST");
}

}  // namespace
}  // namespace tevra::io
