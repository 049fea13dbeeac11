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
      {"%d", {42}, "42"},
      {"%5d|%-5d|%05d|%+d|% d", {42, 42, 42, 42, 42}, "   42|42   |00042|+42| 42"},
      {"%.4d", {7}, "0007"},
      {"%x %o %u", {255, 8, -1}, "ff 10 4294967295"},
      {"%hd %hx %bd %bu", {70000, -1, 300, -1}, "4464 ffff 44 255"},
      {"%Id %Ix", {std::int64_t{1} << 40, std::int64_t{-1}}, "1099511627776 ffffffffffffffff"},
      {"%ld %i", {-2147483647 - 1, -5}, "-2147483648 -5"},
      {"%*d|%-*d|%0*d", {4, 1, 3, 2, 3, 5}, "   1|2  |005"},
      {"%*d", {-4, 1}, "1   "},
      {"%.*d", {3, 5}, "005"},
  });
}

TEST(FormattedOutput, RealsAsPrintfPrintsThem) {
  // Compared with snprintf itself, so that the fast path and printf cannot drift apart.
  const char* formats[] = {"%f",   "%e",     "%E",      "%g",    "%G",    "%0.15lg",
                           "%.3f", "%10.2f", "%-10.2e", "%+g",   "% .1f", "%012.4lf",
                           "%.0e", "%.17g",  "%Lg",     "%.20f", "%.0f"};
  const double values[] = {
      0.0,   -0.0, 1.0,     1e-5, 123456789.125, 1e300,    -2.5e-300, 1e15,
      1e16,  0.1,  2.0 / 3, 1e6,  NAN,           INFINITY, -INFINITY, 9.999999999999999e22,
      5e-324};
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
      {"%@1d", {-12}, "-12"},
      {"%@2d", {3}, "3.000000"},
      {"%@3d", {3}, "3.000000E+00"},
      {"%@Hd", {255}, "#HFF"},
      {"%@Qd", {8}, "#Q10"},
      {"%@Bd", {5}, "#B101"},
      {"%@Bd", {0}, "#B0"},
      {"%@Hd", {-1}, "#HFFFFFFFF"},
      {"%@HId", {std::int64_t{-1}}, "#HFFFFFFFFFFFFFFFF"},
      {"%@1lf", {-2.6}, "-2"},  // toward zero
      {"%@2.3lf", {2.6}, "2.600"},
      {"%@3lf", {1e7}, "1.000000E+07"},
      {"%@Hlf", {255.9}, "#HFF"},
      {"%@Qf", {8.5}, "#Q10"},
      {"%@1lf", {1e30}, "1000000000000000019884624838656"},
      {"%@H4d|%0@H4d|%-@B5d|", {255, 255, 2}, "#H  FF|#H00FF|#B10   |"},
      {"%0@B6d", {5}, "#B000101"},
  });
}

TEST(FormattedOutput, ListsWithSeparators) {
  const std::vector<std::string> strings = {"x", "yz"};
  RunCases({
      {"%(;)3d|%(:)3d|%(s)3d|%(t)2d", {kInts, kInts, kInts, kInts}, "1;2;3|1:2:3|1 2 3|1\t2"},
      {"%(n)3d|%(r)2d", {kInts, kInts}, "1\n2\n3|1\r2"},
      {"%,*d", {2, kInts}, "1,2"},
      {"%03,3d", {kInts}, "001,002,003"},
      {"%,2hd %,2hx", {kShorts, kShorts}, "-1,300 ffff,12c"},
      {"%,2bu", {kBytes}, "200,7"},
      {"%,2lf", {kDoubles}, "1.500000,-2.250000"},
      {"%@3,2lf", {kDoubles}, "1.500000E+00,-2.250000E+00"},
      {"%.1,1f", {kFloats}, "0.5"},
      {"%,2s", {std::span<const char* const>(kWords)}, "ab,c d"},
      {"%,2Qs", {std::span<const char* const>(kWords)}, "\"ab\",\"c d\""},
      {"%(;)2$Cs", {strings}, "x;yz"},
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
      {"A;%B", {kBytes}, "", E_UNEXPECTED},
      {"A;%!oly", {kBytes}, "", E_UNEXPECTED},
      {"A;%(x)3d", {kInts}, "", E_INVALIDARG},
      {"A;%q", {}, "", E_UNEXPECTED},
      // Arguments that do not fit their specifier stop the call after what was written.
      {"A;%,3d", {static_cast<const std::int32_t*>(nullptr)}, "A;", E_INVALIDARG},
      {"A;%,3d", {kDoubles}, "A;", E_INVALIDARG},
      {"A;%,2lf", {kInts}, "A;", E_INVALIDARG},
      {"A;%s", {static_cast<const char*>(nullptr)}, "A;", E_INVALIDARG},
      {"A;%d", {}, "A;", E_INVALIDARG},
      {"A;%d", {"text"}, "A;", E_INVALIDARG},
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
      {"%,2$Sd", {longs.get()}, "4,5"},
      {"%,9$Sd", {longs.get()}, "4,5,6"},
      {"%,$Slg", {doubles.get()}, "0.25,8"},
      {"%,$SQs", {strings.get()}, "\"p\",\"q r\""},
      {"%$SZb",
       {doubles.get()},  // the string writer never swaps
       "#216" + std::string(static_cast<const char*>(doubles.get()->pvData), 16)},
      {"%,$Sg", {doubles.get()}, "", E_INVALIDARG},  // float list, array of doubles
      {"%,$Shd", {longs.get()}, "", E_INVALIDARG},
      {"%,$Sd", {offset.get()}, "", E_INVALIDARG},
      {"%,$Sd", {square.get()}, "", E_INVALIDARG},
      {"%,$Sd", {static_cast<SAFEARRAY*>(nullptr)}, "", E_INVALIDARG},
      {"%,$Sd", {kInts}, "", E_INVALIDARG},
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
      {"%0b", {kBytes}, "#10"},
      {"%2b", {kBytes}, "#12\xC8\x07"},
      {"%2hB", {shorts}, std::string("#0\x02\x01\x04\x03\n", 7)},
      {"%2hy", {shorts}, std::string("\x01\x02\x03\x04", 4)},
      {"%2!obhy", {shorts}, std::string("\x01\x02\x03\x04", 4)},
      {"%2!olhy", {shorts}, std::string("\x02\x01\x04\x03", 4)},
      {"%1ly", {longs}, std::string("\x01\x02\x03\x04", 4)},
      {"%1!olly", {longs}, std::string("\x04\x03\x02\x01", 4)},
  });
}

TEST(FormattedOutput, CharactersStringsAndLiterals) {
  const platform::Bstr wide("h\xC3\xA9llo");
  const std::string growable = "grow";
  RunCases({
      {"%c%c", {'O', 'K'}, "OK"},
      {"%3c|%-3c|", {'a', 'b'}, "  a|b  |"},
      {"%s", {"abc"}, "abc"},
      {"%Qs", {"abc"}, "\"abc\""},
      {"%qs", {"abc"}, "'abc'"},
      {"%7Qs|%-7qs|", {"abc", "abc"}, "  \"abc\"|'abc'  |"},
      {"%.3Qs", {"abc"}, "\"ab"},
      {"%.2s", {"abc"}, "ab"},
      {"%*.*s", {4, 1, "xyz"}, "   x"},
      {"%$Bs", {static_cast<const OLECHAR*>(wide.get())}, "h\xC3\xA9llo"},
      {"%$Bs", {static_cast<const OLECHAR*>(nullptr)}, ""},
      {"%$Cs", {&growable}, "grow"},
      {"%s", {std::string_view("view-not-ended", 4)}, "view"},
      {"%{Coupling}s %{coupling}Qs %{COUPLING}-4s|", {1, 2, 1}, "AC \"DC\" AC  |"},
      {"*RST;50%%\n", {}, "*RST;50%\n"},
      {"", {}, ""},
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
