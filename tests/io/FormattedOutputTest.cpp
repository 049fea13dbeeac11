// The command formatter through the string writer: every specifier kind with the printf-exact
// text it must produce, the IEEE 488.2 numeric formats and blocks, lists and their separators,
// "*" fields, text forms, enumerations, and the statuses of formats and arguments that do not fit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

struct OutputCase {
  const char* format;
  std::vector<FormatArg> args;
  std::string expected;
  HRESULT status = S_OK;
};

void RunCases(const std::vector<OutputCase>& cases) {
  CouplingFormatter enums;
  for (const OutputCase& c : cases) {
    std::string out;
    EXPECT_EQ(FormatToString(out, &enums, c.format, std::span<const FormatArg>(c.args)), c.status)
        << c.format;
    EXPECT_EQ(out, c.expected) << c.format;
  }
}

const std::int32_t kInts[] = {1, 2, 3};
const std::int16_t kShorts[] = {-1, 300};
const std::uint8_t kBytes[] = {200, 7};
const double kDoubles[] = {1.5, -2.25};
const float kFloats[] = {0.5f};
const char* const kWords[] = {"ab", "c d"};
const std::int32_t kCouplings[] = {2, 1};

TEST(FormattedOutput, IntegersAsPrintfPrintsThem) {
  RunCases({
      {"%5d|%-5d|%05d|%+d|% d|%.4d", {42, 42, 42, 42, 42, 7}, "   42|42   |00042|+42| 42|0007"},
      {"%x %o %u", {255, 8, -1}, "ff 10 4294967295"},
      {"%hd %hx %bd %bu", {70000, -1, 300, -1}, "4464 ffff 44 255"},
      {"%Id %Ix", {std::int64_t{1} << 40, std::int64_t{-1}}, "1099511627776 ffffffffffffffff"},
      {"%*d|%-*d|%0*d|%*d|%.*d", {4, 1, 3, 2, 3, 5, -4, 1, 3, 5}, "   1|2  |005|1   |005"},
  });
}

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

TEST(FormattedOutput, Ieee4882NumericFormats) {
  RunCases({
      {"%@1d|%@2d|%@3d", {-12, 3, 3}, "-12|3.000000|3.000000E+00"},
      {"%@Hd|%@Qd|%@Bd|%@Bd", {255, 8, 5, 0}, "#HFF|#Q10|#B101|#B0"},
      {"%@Hd|%@HId", {-1, std::int64_t{-1}}, "#HFFFFFFFF|#HFFFFFFFFFFFFFFFF"},
      {"%@1lf|%@2.3lf|%@3lf|%@Hlf", {-2.6, 2.6, 1e7, 255.9}, "-2|2.600|1.000000E+07|#HFF"},
      {"%@1lf", {1e30}, "1000000000000000019884624838656"},
      {"%@H4d|%0@H4d|%-@B5d|%0@B6d", {255, 255, 2, 5}, "#H  FF|#H00FF|#B10   |#B000101"},
  });
}

TEST(FormattedOutput, ListsWithSeparators) {
  const std::vector<std::string> strings = {"x", "yz"};
  RunCases({
      {"%(;)3d|%(s)3d|%(t)2d|%(n)2d|%(r)2d",
       {kInts, kInts, kInts, kInts, kInts},
       "1;2;3|1 2 3|1\t2|1\n2|1\r2"},
      {"%,*d|%03,3d", {2, kInts, kInts}, "1,2|001,002,003"},
      {"%,2hx|%,2bu|%,2lf", {kShorts, kBytes, kDoubles}, "ffff,12c|200,7|1.500000,-2.250000"},
      {"%@3,2lf|%.1,1f", {kDoubles, kFloats}, "1.500000E+00,-2.250000E+00|0.5"},
      {"%,2Qs|%(;)2$Cs", {std::span<const char* const>(kWords), strings}, "\"ab\",\"c d\"|x;yz"},
      {"%{Coupling},2s", {kCouplings}, "DC,AC"},
      {"%,5d", {std::span<const std::int32_t>(kInts)}, "1,2,3"},  // a span bounds the count
  });
}

TEST(FormattedOutput, ListAndBlockFailures) {
  RunCases({
      // Without a count and without $S nothing is written, not even the text before.
      {"A;%,d", {kInts}, "", E_UNEXPECTED},
      {"A;%5b", {}, "A;", E_INVALIDARG},
      {"A;%b", {kBytes}, "", E_UNEXPECTED},
      {"A;%!oly", {kBytes}, "", E_UNEXPECTED},
      {"A;%(x)3d", {kInts}, "", E_INVALIDARG},
      {"A;%q", {}, "", E_UNEXPECTED},
      // Arguments that do not fit their specifier stop the call after what was written.
      {"A;%,3d", {static_cast<const std::int32_t*>(nullptr)}, "A;", E_INVALIDARG},
      {"A;%,3d", {kDoubles}, "A;", E_INVALIDARG},
      {"A;%s", {static_cast<const char*>(nullptr)}, "A;", E_INVALIDARG},
      {"A;%d", {}, "A;", E_INVALIDARG},
      {"A;%2Zb", {kInts}, "A;", E_INVALIDARG},
      {"A;%{Coupling}s", {7}, "A;", testing::kInvalidValueStatus},
  });
}

TEST(FormattedOutput, SafeArrays) {
  platform::SafeArrayPtr longs(SafeArrayCreateVector(VT_I4, 0, 3));
  auto* l = static_cast<std::int32_t*>(longs.get()->pvData);
  l[0] = 4, l[1] = 5, l[2] = 6;
  platform::SafeArrayPtr doubles(SafeArrayCreateVector(VT_R8, 0, 2));
  static_cast<double*>(doubles.get()->pvData)[0] = 0.25;
  static_cast<double*>(doubles.get()->pvData)[1] = 8;
  platform::SafeArrayPtr strings(SafeArrayCreateVector(VT_BSTR, 0, 2));
  static_cast<BSTR*>(strings.get()->pvData)[0] = platform::AllocBstr("p");
  static_cast<BSTR*>(strings.get()->pvData)[1] = platform::AllocBstr("q r");
  platform::SafeArrayPtr offset(SafeArrayCreateVector(VT_I4, 1, 3));
  const SAFEARRAYBOUND bounds[] = {{2, 0}, {2, 0}};
  platform::SafeArrayPtr square(SafeArrayCreate(VT_I4, 2, bounds));

  RunCases({
      {"%,$Sd", {longs.get()}, "4,5,6"},
      {"%,2$Sd|%,9$Sd", {longs.get(), longs.get()}, "4,5|4,5,6"},
      {"%,$Slg", {doubles.get()}, "0.25,8"},
      {"%,$SQs", {strings.get()}, "\"p\",\"q r\""},
      {"%$SZb",
       {doubles.get()},  // the string writer never swaps
       "#216" + std::string(static_cast<const char*>(doubles.get()->pvData), 16)},
      {"%,$Sg", {doubles.get()}, "", E_INVALIDARG},  // float list, array of doubles
      {"%,$Sd", {offset.get()}, "", E_INVALIDARG},
      {"%,$Sd", {square.get()}, "", E_INVALIDARG},
      {"%,$Sd", {static_cast<SAFEARRAY*>(nullptr)}, "", E_INVALIDARG},
  });
}

TEST(FormattedOutput, BlocksAndRawBinary) {
  const double five[] = {1, 2, 3, 4, 5};
  // The string writer never swaps; an instrument buffer does (see InstrBufferTest).
  std::string unswapped = "#240";
  unswapped.append(reinterpret_cast<const char*>(five), 40);
  const std::int16_t shorts[] = {0x0102, 0x0304};
  const std::int32_t longs[] = {0x01020304};
  RunCases({
      {"%5Zb", {five}, unswapped},
      {"%*Zb", {5, five}, unswapped},
      {"%0b|%2b", {kBytes, kBytes}, "#10|#12\xC8\x07"},
      {"%2hB", {shorts}, std::string("#0\x02\x01\x04\x03\n", 7)},
      {"%2hy|%2!obhy|%2!olhy",
       {shorts, shorts, shorts},
       std::string("\x01\x02\x03\x04|\x01\x02\x03\x04|\x02\x01\x04\x03", 14)},
      {"%1ly|%1!olly", {longs, longs}, std::string("\x01\x02\x03\x04|\x04\x03\x02\x01", 9)},
  });
}

TEST(FormattedOutput, CharactersStringsAndLiterals) {
  const platform::Bstr wide("h\xC3\xA9llo");
  const std::string growable = "grow";
  RunCases({
      {"%c%3c|%-3c|", {'O', 'a', 'b'}, "O  a|b  |"},
      {"%s|%Qs|%qs|%7Qs|%-7qs|",
       {"abc", "abc", "abc", "abc", "abc"},
       "abc|\"abc\"|'abc'|  \"abc\"|'abc'  |"},
      {"%.3Qs|%.2s|%*.*s", {"abc", "abc", 4, 1, "xyz"}, "\"ab|ab|   x"},
      {"%$Bs|%$Bs|",
       {static_cast<const OLECHAR*>(wide.get()), static_cast<const OLECHAR*>(nullptr)},
       "h\xC3\xA9llo||"},
      {"%$Cs|%s", {&growable, std::string_view("view-not-ended", 4)}, "grow|view"},
      {"%{Coupling}s %{coupling}Qs %{COUPLING}-4s|", {1, 2, 1}, "AC \"DC\" AC  |"},
      {"*RST;50%%\n", {}, "*RST;50%\n"},
  });
}

TEST(FormattedOutput, EnumerationWithoutFormatterIsAPointerError) {
  std::string out;
  const FormatArg arg(1);
  EXPECT_EQ(FormatToString(out, nullptr, "%{Coupling}s", std::span<const FormatArg>(&arg, 1)),
            E_POINTER);
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
  std::string command = "stale";
  ASSERT_EQ(FormatCommand("X %d,%0.15lg,%hd,%{Coupling}s,%$Bs,%g,%bu,%Id", params, command,
                          fixture.reporter, &enums),
            S_OK);
  EXPECT_EQ(command, "X -1,1000000,-3,DC,CH1,0.5,255,8589934592");

  EXPECT_EQ(FormatCommand("X %d %d", std::span<const core::Param>(params, 1), command,
                          fixture.reporter, &enums),
            E_INVALIDARG);
  EXPECT_EQ(FormatCommand("X %Z", {}, command, fixture.reporter, &enums), E_UNEXPECTED);
  EXPECT_EQ(command, "");
}

}  // namespace
}  // namespace tevra::io
