// The response scanner over an instrument buffer fed by an in-memory session, beside its cases
// file (FormatCasesTest): a typed block read skips to its header and leaves nothing behind, and
// reading lists, also ones longer than the buffer, read as strtod reads them at every chunk size.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "MemoryLowLevelIo.h"
#include "io/FormattedInput.h"
#include "io/InstrBuffer.h"
#include "platform/SafeArray.h"

namespace tevra::io {
namespace {

using testing::MemoryLowLevelIo;
using testing::ReporterFixture;

class FormattedInputTest : public ::testing::Test {
 protected:
  template <class... Args>
  HRESULT ScanMore(std::string_view format, Args&&... args) {
    return Scan(*buffer_, fixture_.reporter, nullptr, format, std::forward<Args>(args)...);
  }

  MemoryLowLevelIo io_;
  std::int32_t a_ = 0;
  ReporterFixture fixture_;
  std::unique_ptr<CInstrBuffer> buffer_ = CInstrBuffer::Create(io_, fixture_.reporter);
};

TEST_F(FormattedInputTest, TypedBlockReadSkipsToHeaderAndDiscards) {
  double value = 0;
  std::size_t read = 0;
  io_.Respond(std::string("junk#18\x40\x04\0\0\0\0\0\0;more\n", 21));  // 2.5, big-endian
  ASSERT_EQ(ReadDefiniteBlock(*buffer_, fixture_.reporter,
                              std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(&value), 8),
                              8, {.skipToHeader = true, .discardRest = true}, read),
            S_OK);
  EXPECT_EQ(read, 1u);
  EXPECT_EQ(value, 2.5);
  io_.Respond("7\n");
  ASSERT_EQ(ScanMore("%d", &a_), S_OK);  // nothing of the block's response was left behind
  EXPECT_EQ(a_, 7);
}

// Readings reach the caller as strtod reads them, however the reads cut the reply: each reply is
// read at every chunk size into the three destinations a list takes (a safe array, as the
// measurements read, a vector and a span) and compared bit for bit. A reading cut by a read is
// read once the next read is appended to it; one whole in the bytes at hand is read in place.
TEST_F(FormattedInputTest, ReadingListsReadAsStrtodAtEveryChunkSize) {
  // Instrument forms, the ends of ranges, and the edges of the one-operation path (a mantissa
  // at 2^53 + 1, powers of ten past 1e22, twenty digits).
  const std::vector<std::string> odd = {"+1.23456789012345E+006",
                                        "9.91E37",
                                        "-0",
                                        "1e999",
                                        "-1e-400",
                                        "4.9e-324",
                                        "1.7976931348623159e308",
                                        "+.5",
                                        "1.e5",
                                        "  7",
                                        "0.1",
                                        "123456789012345678901234567890",
                                        "inf",
                                        "-2.5e-3",
                                        "+1.000000000000000E+07",
                                        "9007199254740993",
                                        "9007199254740993e-7",
                                        "1e22",
                                        "1e23",
                                        "3.0000000000000004e-22",
                                        "12345678901234567890",
                                        "8.589973e9",
                                        "+9.99999999999999999E-001"};
  // Past the first growths of a safe array.
  std::vector<std::string> many;
  for (int i = 0; i < 10000; ++i) many.push_back(std::to_string(1e7 + i * 0.001));
  struct Case {
    const std::vector<std::string>& readings;
    std::vector<std::size_t> chunks;  // empty: every size from 1 to the reply's length
  };
  for (const Case& c : {Case{odd, {}}, Case{many, {1, 7, 4096, 1 << 20}}}) {
    std::string reply;
    std::vector<double> expected;
    for (const std::string& r : c.readings) {
      reply += (reply.empty() ? "" : ",") + r;
      expected.push_back(std::strtod(r.c_str(), nullptr));
    }
    reply += '\n';
    std::vector<std::size_t> chunks = c.chunks;
    if (chunks.empty())
      for (std::size_t n = 1; n <= reply.size(); ++n) chunks.push_back(n);
    const std::size_t bytes = expected.size() * sizeof(double);
    for (std::size_t chunk : chunks) {
      SCOPED_TRACE("chunk " + std::to_string(chunk));
      io_.chunk = chunk;
      io_.Respond(reply);
      SAFEARRAY* array = nullptr;
      ASSERT_EQ(ScanMore("%,$Slg", &array), S_OK);
      const platform::SafeArrayPtr owned(array);
      ASSERT_EQ(array->rgsabound[0].cElements, expected.size());
      EXPECT_EQ(std::memcmp(array->pvData, expected.data(), bytes), 0);
      io_.Respond(reply);
      std::vector<double> vector;
      ASSERT_EQ(ScanMore("%,lf", &vector), S_OK);
      ASSERT_EQ(vector.size(), expected.size());
      EXPECT_EQ(std::memcmp(vector.data(), expected.data(), bytes), 0);
      io_.Respond(reply);
      std::vector<double> span(expected.size() + 1);
      std::int32_t count = static_cast<std::int32_t>(span.size());
      ASSERT_EQ(ScanMore("%,#lf", &count, std::span<double>(span)), S_OK);
      ASSERT_EQ(count, static_cast<std::int32_t>(expected.size()));
      EXPECT_EQ(std::memcmp(span.data(), expected.data(), bytes), 0);
    }
  }
}

}  // namespace
}  // namespace tevra::io
