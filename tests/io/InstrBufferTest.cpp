// The instrument buffer against an in-memory session: refills in small chunks, the end of a
// response and its terminator, push-back, discarding, flushing with and without END (and the
// send-END setting around it), full write buffers, resizing, byte swap of blocks, and the
// messages of its failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MemoryLowLevelIo.h"
#include "io/FormattedOutput.h"
#include "io/InstrBuffer.h"

namespace tevra::io {
namespace {

using testing::MemoryLowLevelIo;
using testing::ReporterFixture;
using Written = MemoryLowLevelIo::Written;

class InstrBufferTest : public ::testing::Test {
 protected:
  MemoryLowLevelIo io_;
  ReporterFixture fixture_;
  std::unique_ptr<CInstrBuffer> buffer_ = CInstrBuffer::Create(io_, fixture_.reporter);

  std::string ReadAll() {
    std::string text;
    char c;
    while (buffer_->ReadChar(c) == S_OK) text.push_back(c);
    return text;
  }
  HRESULT Write(std::string_view format, std::span<const FormatArg> args = {}) {
    return FormatOutput(*buffer_, nullptr, format, args);
  }
};

TEST_F(InstrBufferTest, RefillsChunkByChunkAndHidesTheFinalTerminator) {
  io_.chunk = 3;
  io_.Respond("abcdefgh\n");
  EXPECT_EQ(ReadAll(), "abcdefgh");
  EXPECT_EQ(io_.reads, 3u);
  char c;
  EXPECT_EQ(buffer_->ReadChar(c), kEndOfMessage);  // stays at the end, reads nothing more
  EXPECT_EQ(io_.reads, 3u);

  // A multi-byte terminator (within one read).
  io_.chunk = 4096;
  buffer_->SetReadTerminator("\r\n");
  io_.Respond("xy\r\n");
  buffer_->BeginScan();
  EXPECT_EQ(ReadAll(), "xy");
}

TEST_F(InstrBufferTest, PushBack) {
  io_.Respond("ab\n");
  char c;
  ASSERT_EQ(buffer_->ReadChar(c), S_OK);
  EXPECT_EQ(buffer_->PushBack(), S_OK);
  ASSERT_EQ(buffer_->ReadChar(c), S_OK);
  EXPECT_EQ(c, 'a');
  buffer_->PushBack();
  EXPECT_EQ(buffer_->PushBack(), static_cast<HRESULT>(0x80047056));
  EXPECT_EQ(ReporterFixture::Reported(),
            "Tevra: Could not allocate necessary memory.\r\nCan't push character back into read "
            "buffer.  Buffer has not been read from.");
}

TEST_F(InstrBufferTest, DiscardDropsTheRestOfTheResponseInChunks) {
  io_.chunk = 4;
  io_.Respond(std::string(3000, 'x') + "\n");
  io_.Respond("next\n");
  char c;
  ASSERT_EQ(buffer_->ReadChar(c), S_OK);
  ASSERT_EQ(buffer_->DiscardRead(), S_OK);
  EXPECT_EQ(io_.reads, 1u + (3001 - 4 + 3) / 4);  // the chunk size of the double bounds reads
  EXPECT_EQ(ReadAll(), "next");
  // A complete response is not read further.
  const auto reads = io_.reads;
  ASSERT_EQ(buffer_->DiscardRead(), S_OK);
  EXPECT_EQ(io_.reads, reads);
}

TEST_F(InstrBufferTest, ReadBytesCrossesTerminatorsAndReads) {
  io_.chunk = 2;
  io_.stopAtLineFeed = true;
  io_.Respond("a\nb\ncd\n");
  std::uint8_t bytes[6];
  std::size_t count = 0;
  ASSERT_EQ(buffer_->ReadBytes(bytes, count), S_OK);
  EXPECT_EQ(count, 6u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 6), "a\nb\ncd");
  EXPECT_TRUE(io_.stopAtLineFeed);  // the termination character is back on after the data
  // The message ends after one more byte; then nothing is left and the library times out.
  EXPECT_EQ(buffer_->ReadBytes(std::span<std::uint8_t>(bytes, 3), count), kEndOfMessage);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(buffer_->ReadBytes(std::span<std::uint8_t>(bytes, 3), count), testing::kReadTimeout);
}

// A literal line feed sends at once with END; a flush without END turns send-END off for that
// write only.
TEST_F(InstrBufferTest, FlushesWithAndWithoutEnd) {
  ASSERT_EQ(Write("50%%\n"), S_OK);
  ASSERT_EQ(Write("A"), S_OK);  // nothing sent until a flush
  EXPECT_EQ(io_.writes, (std::vector<Written>{{"50%\n", true}}));
  ASSERT_EQ(buffer_->FlushWrite(true), S_OK);
  ASSERT_EQ(buffer_->FlushWrite(true), S_OK);  // nothing pending, nothing sent
  ASSERT_EQ(Write("PART"), S_OK);
  ASSERT_EQ(buffer_->FlushWrite(false), S_OK);
  EXPECT_EQ(io_.writes, (std::vector<Written>{{"50%\n", true}, {"A\n", true}, {"PART", false}}));
  EXPECT_TRUE(io_.sendEnd);
  io_.sendEnd = false;  // a line without END stays so
  ASSERT_EQ(Write("X"), S_OK);
  ASSERT_EQ(buffer_->FlushWrite(false), S_OK);
  EXPECT_FALSE(io_.sendEnd);
}

TEST_F(InstrBufferTest, AFullWriteBufferGoesOutAsPartsOfOneMessage) {
  ASSERT_EQ(buffer_->SetBufferSize(BufferSelect::Write, 4), S_OK);
  ASSERT_EQ(Write("ABCDEFGHIJ\n"), S_OK);
  EXPECT_EQ(io_.writes, (std::vector<Written>{{"ABCD", false}, {"EFGH", false}, {"IJ\n", true}}));
  // The terminator does not fit behind a full buffer: it follows in the last part.
  io_.writes.clear();
  ASSERT_EQ(Write("WXYZ"), S_OK);
  ASSERT_EQ(buffer_->FlushWrite(true), S_OK);
  EXPECT_EQ(io_.writes, (std::vector<Written>{{"WXYZ", false}, {"\n", true}}));
}

TEST_F(InstrBufferTest, ResizingDiscardsTheReadBufferAndFlushesTheWriteBuffer) {
  io_.chunk = 2;
  io_.Respond("abcdef\n");
  char c;
  buffer_->ReadChar(c);
  ASSERT_EQ(Write("PENDING"), S_OK);
  ASSERT_EQ(buffer_->SetBufferSize(BufferSelect::Both, 100), S_OK);
  EXPECT_TRUE(io_.responses.empty());
  EXPECT_EQ(io_.writes, (std::vector<Written>{{"PENDING\n", true}}));
  EXPECT_EQ(buffer_->GetReadBufferSize(), 100);
  EXPECT_EQ(buffer_->SetBufferSize(BufferSelect::Read, 0), E_INVALIDARG);
}

TEST_F(InstrBufferTest, ShortWriteIsAnIoError) {
  io_.shortBy = 2;
  ASSERT_EQ(Write("ABC"), S_OK);
  EXPECT_EQ(buffer_->FlushWrite(true), static_cast<HRESULT>(0x80044214));
  EXPECT_EQ(ReporterFixture::Reported(),
            "Tevra: I/O error: Flush of formatted I/O write buffer only successfully sent 2 of 4 "
            "bytes to the device.");
  EXPECT_EQ(buffer_->PendingBytes(), 0);
  // A failing library write is returned as it is.
  io_.shortBy = 0;
  io_.writeStatus = testing::kReadTimeout;
  EXPECT_EQ(Write("X\n"), testing::kReadTimeout);
}

TEST_F(InstrBufferTest, BlocksAreSwappedToBigEndianOnTheWire) {
  const double values[] = {1.0, -2.0};
  const std::uint16_t shorts[] = {0x0102};
  const FormatArg doubles[] = {FormatArg(values)};
  ASSERT_EQ(Write("%2Zb\n", doubles), S_OK);
  EXPECT_EQ(io_.writes.back().bytes,
            std::string("#216\x3F\xF0\0\0\0\0\0\0\xC0\0\0\0\0\0\0\0\n", 21));
  buffer_->SetByteSwap(false);
  const FormatArg one[] = {FormatArg(shorts)};
  ASSERT_EQ(Write("%1hb\n", one), S_OK);
  EXPECT_EQ(io_.writes.back().bytes, std::string("#12\x02\x01\n", 6));
  // Raw binary ignores the flag.
  ASSERT_EQ(Write("%1hy\n", one), S_OK);
  EXPECT_EQ(io_.writes.back().bytes, std::string("\x01\x02\n", 3));
  // An indefinite block ends in a line feed, so no terminator is appended.
  ASSERT_EQ(Write("%1hB", one), S_OK);
  ASSERT_EQ(buffer_->FlushWrite(true), S_OK);
  EXPECT_EQ(io_.writes.back().bytes, std::string("#0\x02\x01\n", 5));
}

}  // namespace
}  // namespace tevra::io
