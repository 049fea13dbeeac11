// The response scanner over an instrument buffer fed by an in-memory session, beside its cases
// file (FormatCasesTest): consecutive reads each take the next response, a typed block read
// skips to its header and leaves nothing behind, and a response longer than the buffer is whole.
#include <gtest/gtest.h>

#include <cstring>
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
  // Scans a new response, as a query does: what is left of the last one is dropped first.
  template <class... Args>
  HRESULT ScanReply(std::string reply, std::string_view format, Args&&... args) {
    buffer_->DiscardRead();
    io_.Respond(std::move(reply));
    return ScanMore(format, std::forward<Args>(args)...);
  }
  template <class... Args>
  HRESULT ScanMore(std::string_view format, Args&&... args) {
    return Scan(*buffer_, fixture_.reporter, nullptr, format, std::forward<Args>(args)...);
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

std::string BigEndianDoubles(std::initializer_list<double> values) {
  std::string bytes;
  for (double v : values) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int b = 7; b >= 0; --b) bytes.push_back(static_cast<char>(bits >> (8 * b)));
  }
  return bytes;
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
