// The response scanner over an instrument buffer fed by an in-memory session, beside its cases
// file (FormatCasesTest): consecutive reads each take the next response, a typed block read
// skips to its header and leaves nothing behind, and a response longer than the buffer is whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MemoryLowLevelIo.h"
#include "io/FormattedInput.h"
#include "io/InstrBuffer.h"

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

TEST_F(FormattedInputTest, ConsecutiveReadsTakeTheNextResponseAndFailuresPassUnchanged) {
  io_.Respond("1\n");
  io_.Respond("2\n");
  std::int32_t a = 0, b = 0;
  ASSERT_EQ(ScanMore("%d", &a), S_OK);
  ASSERT_EQ(ScanMore("%d", &b), S_OK);
  EXPECT_EQ(a + b * 10, 21);
  EXPECT_EQ(ScanMore("%d", &a), testing::kReadTimeout);
}

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

TEST_F(FormattedInputTest, ResponseLongerThanTheBuffer) {
  std::string reply;
  for (int i = 0; i < 3000; ++i) reply += std::to_string(i) + (i < 2999 ? "," : "\n");
  io_.Respond(reply);
  io_.Respond(reply);
  std::string whole;
  ASSERT_EQ(ScanMore("%$Ct", &whole), S_OK);
  EXPECT_EQ(whole + "\n", reply);
  EXPECT_GT(io_.reads, 3u);
  std::vector<std::int32_t> numbers;
  ASSERT_EQ(ScanMore("%,d", &numbers), S_OK);
  ASSERT_EQ(numbers.size(), 3000u);
  EXPECT_EQ(numbers[2999], 2999);
}

}  // namespace
}  // namespace tevra::io
