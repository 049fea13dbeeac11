// The response scanner over an instrument buffer fed by an in-memory session: every reading
// form, suppression and "#" counts, lists with separator sets, definite blocks (also ones that
// hold line feeds and span several reads), responses longer than the buffer, and the statuses
// and messages of input that does not fit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "EnumFormatterDouble.h"
#include "MemoryLowLevelIo.h"
#include "io/FormattedInput.h"
#include "io/InstrBuffer.h"
#include "platform/Bstr.h"
#include "platform/SafeArray.h"

namespace tevra::io {
namespace {

using testing::CouplingFormatter;
using testing::MemoryLowLevelIo;
using testing::ReporterFixture;

class FormattedInputTest : public ::testing::Test {
 protected:
  // Scans a new response, as a query does: what is left of the last one is dropped first.
  template <class... Args>
  HRESULT ScanReply(std::string reply, std::string_view format, Args&&... args) {
    buffer_->DiscardRead();
    io_.Respond(std::move(reply));
    return ScanMore(format, std::forward<Args>(args)...);
  }
  template <class... Args>
  HRESULT ScanMore(std::string_view format, Args&&... args) {
    return Scan(*buffer_, fixture_.reporter, &enums_, format, std::forward<Args>(args)...);
  }
  // What is left of the current response for the scanner.
  std::string Rest() {
    std::string rest;
    std::string_view text;
    while (buffer_->Peek(text) == S_OK) {
      rest += text;
      buffer_->Consume(text.size());
    }
    return rest;
  }

  MemoryLowLevelIo io_;
  ReporterFixture fixture_;
  CouplingFormatter enums_;
  std::unique_ptr<CInstrBuffer> buffer_ = CInstrBuffer::Create(io_, fixture_.reporter);
};

TEST_F(FormattedInputTest, Integers) {
  struct Case {
    const char* reply;
    const char* format;
    std::int64_t expected;
    const char* rest;  // null: the number does not match
  };
  const Case cases[] = {
      {"  -17,5\n", "%d", -17, ",5"},
      {"0x1F\n", "%i", 31, ""},
      {"017\n", "%i", 15, ""},
      {"0xff\n", "%x", 255, ""},
      {"777\n", "%o", 511, ""},
      {"#HFF\n", "%@Hd", 255, ""},
      {"12345\n", "%3d", 123, "45"},
      {"99999999999\n", "%Id", 99999999999, ""},
      {"-2147483648\n", "%d", -2147483648LL, ""},
      {"ffffffff\n", "%x", -1, ""},
      // A number the conversion's size cannot hold does not match: never a wrapped value.
      {"32768\n", "%hd", 0, nullptr},
      {"128\n", "%bd", 0, nullptr},
      {"2147483648\n", "%d", 0, nullptr},
      {"-2147483649\n", "%d", 0, nullptr},
      {"9223372036854775808\n", "%Id", 0, nullptr},
      {"99999999999999999999\n", "%Id", 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format) + " reading " + c.reply);
    // The destination has the size the format names.
    const auto scan = [&](auto value) {
      const HRESULT hr = ScanReply(c.reply, c.format, &value);
      return std::pair<HRESULT, std::int64_t>(hr, value);
    };
    const std::string_view format = c.format;
    const auto [hr, value] = format.find('I') != format.npos   ? scan(std::int64_t{})
                             : format.find('h') != format.npos ? scan(std::int16_t{})
                             : format.find('b') != format.npos ? scan(std::int8_t{})
                                                               : scan(std::int32_t{});
    EXPECT_EQ(hr, c.rest ? S_OK : E_UNEXPECTED);
    EXPECT_EQ(value, c.expected);
    if (c.rest) {
      EXPECT_EQ(Rest(), c.rest);
    }
  }
}

TEST_F(FormattedInputTest, RealsAreExact) {
  float f = 0;
  ASSERT_EQ(ScanReply("+1.00000000123456E+007\n", "%f", &f), S_OK);
  EXPECT_EQ(f, 1.00000000123456e7f);
  struct Case {
    const char* reply;
    const char* format;
    double expected;
    const char* rest;
  };
  const Case cases[] = {
      {"+1.00000000123456E+007\n", "%lf", 1.00000000123456e7, ""},
      {"-2.5e-3,", "%le", -2.5e-3, ","},
      {".5\n", "%lg", 0.5, ""},
      {"7.\n", "%lg", 7.0, ""},
      {"  \t 3\n", "%lf", 3.0, ""},
      {"1e999\n", "%lf", INFINITY, ""},
      {"1e+x\n", "%lf", 1.0, "e+x"},
      {"123.456\n", "%4lf", 123.0, "456"},
  };
  for (const Case& c : cases) {
    double value = 0;
    EXPECT_EQ(ScanReply(c.reply, c.format, &value), S_OK) << c.reply;
    EXPECT_EQ(value, c.expected) << c.reply;
    EXPECT_EQ(Rest(), c.rest) << c.reply;
  }
}

TEST_F(FormattedInputTest, NumbersSplitAcrossReadsAreWhole) {
  io_.chunk = 3;
  double values[4] = {};
  std::int32_t count = 4;
  ASSERT_EQ(ScanReply("+1.2345E+003,-6.5,7e-2,88\n", "%,#lf", std::span<double>(values), &count),
            E_INVALIDARG);  // the count comes before the array
  ASSERT_EQ(ScanReply("+1.2345E+003,-6.5,7e-2,88\n", "%,#lf", &count, std::span<double>(values)),
            S_OK);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(std::vector<double>(values, values + 4), (std::vector<double>{1234.5, -6.5, 7e-2, 88}));
}

TEST_F(FormattedInputTest, Lists) {
  std::int32_t ints[5] = {};
  std::int32_t count = 5;
  ASSERT_EQ(ScanReply("1,2 ,3;4\n", "%(,;)#d", &count, std::span<std::int32_t>(ints)), S_OK);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(ints[3], 4);
  count = 2;  // the count bounds the elements read
  ASSERT_EQ(ScanReply("5,6,7\n", "%,#d", &count, std::span<std::int32_t>(ints)), S_OK);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(Rest(), ",7");

  std::vector<double> readings;
  ASSERT_EQ(ScanReply("1.5 2.5\t3.5\n", "%(s)lf", &readings), S_OK);
  EXPECT_EQ(readings, (std::vector<double>{1.5, 2.5}));  // a tab is no space separator
  EXPECT_EQ(Rest(), "3.5");
  std::vector<std::string> words;
  ASSERT_EQ(ScanReply("\"a b\",c,'d'\n", "%,$Cqs", &words), S_OK);
  EXPECT_EQ(words, (std::vector<std::string>{"a b", "c", "d"}));
  ASSERT_EQ(ScanReply("\"a b\",c\n", "%,$CQs", &words), S_OK);
  EXPECT_EQ(words, (std::vector<std::string>{"\"a b\"", "c"}));
  std::int32_t couplings[2] = {};
  ASSERT_EQ(ScanReply("DC,AC\n", "%{Coupling},2s", std::span<std::int32_t>(couplings)), S_OK);
  EXPECT_EQ(couplings[1], 1);

  SAFEARRAY* array = nullptr;
  ASSERT_EQ(ScanReply("4,5,6\n", "%,$Shd", &array), S_OK);
  VARTYPE vt = 0;
  SafeArrayGetVartype(array, &vt);
  EXPECT_EQ(vt, VT_I2);
  ASSERT_EQ(array->rgsabound[0].cElements, 3u);
  EXPECT_EQ(static_cast<std::int16_t*>(array->pvData)[2], 6);
  ASSERT_EQ(ScanReply("0.5\n", "%,$Slf", &array), S_OK);  // replaces the earlier array
  SafeArrayGetVartype(array, &vt);
  EXPECT_EQ(vt, VT_R8);
  SafeArrayDestroy(array);

  // Suppressed lists read and drop; a bad separator letter is refused before reading.
  ASSERT_EQ(ScanReply("1,2,3;x\n", "%*,d;%$Cs", &words[0]), S_OK);
  EXPECT_EQ(words[0], "x");
  const auto readsBefore = io_.reads;
  EXPECT_EQ(ScanReply("1\n", "%(x)d", std::span<std::int32_t>(ints)), E_INVALIDARG);
  EXPECT_EQ(io_.reads, readsBefore);
}

TEST_F(FormattedInputTest, Strings) {
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      // {reply, format, expected, rest}
      {"  word next\n", "%$Cs", "word", " next"},
      {"abcdef  next\n", "%3$Cs", "abc", "next"},  // the rest of the word and the blanks drop
      {"line one\nline two\n", "%$CT", "line one\n", "line two"},
      {"all of it\n", "%3$Ct", "all", ""},
      {"ABC123,x\n", "%$C[A-Z]", "ABC", "123,x"},
      {"ABC123,x\n", "%$C[^,]", "ABC123", ",x"},
      {"]]a\n", "%$C[]]", "]]", "a"},
      {"+0,\"No error\"\n", "%*d,%$Ct", "\"No error\"", ""},
  };
  for (const auto& [reply, format, expected, rest] : cases) {
    std::string text = "stale";
    EXPECT_EQ(ScanReply(reply, format, &text), S_OK) << format;
    EXPECT_EQ(text, expected) << format;
    EXPECT_EQ(Rest(), rest) << format;
  }
  char small[4];
  ASSERT_EQ(ScanReply("abcdef\n", "%s", small), S_OK);
  EXPECT_STREQ(small, "abc");
  char pair[2];
  ASSERT_EQ(ScanReply("xy z\n", "%2c", pair), S_OK);
  EXPECT_EQ(std::string(pair, 2), "xy");
  EXPECT_EQ(ScanReply("x\n", "%2c", pair), E_UNEXPECTED);
  BSTR wide = platform::AllocBstr("old");
  ASSERT_EQ(ScanReply("h\xC3\xA9 x\n", "%$Bs", &wide), S_OK);
  EXPECT_EQ(platform::BstrToUtf8(wide), "h\xC3\xA9");
  SysFreeString(wide);
  std::int32_t width = 2;
  std::string limited;
  ASSERT_EQ(ScanReply("abcd\n", "%#$Ct", &width, &limited), S_OK);
  EXPECT_EQ(limited, "ab");
}

TEST_F(FormattedInputTest, EnumerationsGoThroughTheFormatter) {
  std::int32_t value = 0;
  ASSERT_EQ(ScanReply("'AC'\n", "%{Coupling}qs", &value), S_OK);
  EXPECT_EQ(value, 1);
  ASSERT_EQ(ScanReply("DC;\n", "%{Coupling}[A-Z]", &value), S_OK);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(ScanReply("dc\n", "%{Coupling}s", &value), testing::kUnexpectedResponseStatus);
}

TEST_F(FormattedInputTest, LiteralsAndMismatches) {
  std::int32_t a = 0, b = 0;
  ASSERT_EQ(ScanReply("1 ,  2%\n", "%d , %d%%", &a, &b), S_OK);
  EXPECT_EQ(b, 2);
  ASSERT_EQ(ScanReply("1,2\n", "%d , %d", &a, &b), S_OK);  // a blank matches no white space too
  ASSERT_EQ(ScanReply("1 ,2\n", "%d,%d", &a, &b), E_UNEXPECTED);
  EXPECT_EQ(a, 1);  // what was stored stays stored
  ASSERT_EQ(ScanReply("\n", "%lf", &a), E_UNEXPECTED);
  // Formats that do not tokenize fail before anything is read.
  const auto readsBefore = io_.reads;
  EXPECT_EQ(ScanMore("%d%", &a), E_UNEXPECTED);
  EXPECT_EQ(io_.reads, readsBefore);
  // Destinations that do not fit.
  std::string text;
  EXPECT_EQ(ScanReply("1\n", "%d", &text), E_INVALIDARG);
  EXPECT_EQ(ScanReply("1\n", "%s", &a), E_INVALIDARG);
  EXPECT_EQ(ScanReply("1\n", "%#d", static_cast<std::int32_t*>(nullptr), &a), E_INVALIDARG);
  EXPECT_EQ(ScanReply("1\n", "%d"), E_INVALIDARG);
}

TEST_F(FormattedInputTest, ConsecutiveReadsTakeTheNextResponseAndFailuresPassUnchanged) {
  io_.Respond("1\n");
  io_.Respond("2\n");
  std::int32_t a = 0, b = 0;
  ASSERT_EQ(ScanMore("%d", &a), S_OK);
  ASSERT_EQ(ScanMore("%d", &b), S_OK);
  EXPECT_EQ(a + b * 10, 21);
  EXPECT_EQ(ScanMore("%d", &a), testing::kReadTimeout);
}

std::string BigEndianDoubles(std::initializer_list<double> values) {
  std::string bytes;
  for (double v : values) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int b = 7; b >= 0; --b) bytes.push_back(static_cast<char>(bits >> (8 * b)));
  }
  return bytes;
}

TEST_F(FormattedInputTest, DefiniteBlocks) {
  // The value whose bytes are 0A 0A ... makes a socket read stop inside the block.
  double withLineFeeds;
  const std::uint64_t lf = 0x0A0A0A0A0A0A0A0Aull;
  std::memcpy(&withLineFeeds, &lf, 8);
  const std::string data = BigEndianDoubles({10.0, withLineFeeds, -1.5});
  io_.chunk = 5;
  io_.stopAtLineFeed = true;
  double values[3] = {};
  std::int32_t count = 3;
  ASSERT_EQ(ScanReply("#224" + data + "\n", "%#Zb", &count, std::span<double>(values)), S_OK);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(values[0], 10.0);
  EXPECT_EQ(std::memcmp(&values[1], &lf, 8), 0);
  EXPECT_EQ(values[2], -1.5);
  EXPECT_EQ(Rest(), "");
  // A destination smaller than the block: the rest of the block is dropped.
  double one = 0;
  ASSERT_EQ(ScanReply("#224" + data + ";9\n", "%Zb;%d", std::span<double>(&one, 1), &count), S_OK);
  EXPECT_EQ(one, 10.0);
  EXPECT_EQ(count, 9);
  std::vector<double> grown;
  ASSERT_EQ(ScanReply("#216" + BigEndianDoubles({1, 2}) + "\n", "%Zb", &grown), S_OK);
  EXPECT_EQ(grown, (std::vector<double>{1, 2}));
  SAFEARRAY* array = nullptr;
  ASSERT_EQ(ScanReply("#216" + BigEndianDoubles({3, 4}) + "\n", "%$SZb", &array), S_OK);
  EXPECT_EQ(static_cast<double*>(array->pvData)[1], 4.0);
  SafeArrayDestroy(array);
  ASSERT_EQ(ScanReply("#18" + BigEndianDoubles({5}) + "\n", "%*b"), S_OK);
  EXPECT_EQ(Rest(), "");

  for (const char* reply : {"12\n", "#0\n", "#A8\n", "#2x8\n"}) {
    platform::ClearThreadError();
    EXPECT_EQ(ScanReply(reply, "%Zb", std::span<double>(values)), static_cast<HRESULT>(0x80047059))
        << reply;
    EXPECT_EQ(ReporterFixture::Reported(),
              "Tevra: Unexpected response from the instrument.\r\nBinary block header not found.");
  }
}

TEST_F(FormattedInputTest, RawBinary) {
  std::int16_t shorts[2] = {};
  const std::string reply("\x01\x02\x03\x04\n", 5);
  ASSERT_EQ(ScanReply(reply, "%2hy", std::span<std::int16_t>(shorts)), S_OK);
  EXPECT_EQ(shorts[0], 0x0102);
  ASSERT_EQ(ScanReply(reply, "%2!olhy", std::span<std::int16_t>(shorts)), S_OK);
  EXPECT_EQ(shorts[1], 0x0403);
}

TEST_F(FormattedInputTest, TypedBlockReadSkipsToHeaderAndDiscards) {
  double value = 0;
  std::size_t read = 0;
  io_.Respond("junk#18" + BigEndianDoubles({2.5}) + "\n");
  ASSERT_EQ(ReadDefiniteBlock(*buffer_, fixture_.reporter,
                              std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(&value), 8),
                              8, {.skipToHeader = true, .discardRest = true}, read),
            S_OK);
  EXPECT_EQ(read, 1u);
  EXPECT_EQ(value, 2.5);
  io_.Respond("7\n");
  std::int32_t next = 0;
  ASSERT_EQ(ScanMore("%d", &next), S_OK);  // nothing of the block was left behind
  EXPECT_EQ(next, 7);
}

TEST_F(FormattedInputTest, ResponseLongerThanTheBuffer) {
  std::string reply;
  for (int i = 0; i < 3000; ++i) reply += std::to_string(i) + ",";
  reply.pop_back();
  std::string whole;
  ASSERT_EQ(ScanReply(reply + "\n", "%$Ct", &whole), S_OK);
  EXPECT_EQ(whole, reply);
  EXPECT_GT(io_.reads, 3u);
  std::vector<std::int32_t> numbers;
  ASSERT_EQ(ScanReply(reply + "\n", "%,d", &numbers), S_OK);
  ASSERT_EQ(numbers.size(), 3000u);
  EXPECT_EQ(numbers[2999], 2999);
}

}  // namespace
}  // namespace tevra::io
