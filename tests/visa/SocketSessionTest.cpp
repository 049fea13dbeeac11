// The raw-socket session against the fake instrument over real loopback connections: the bytes
// on the wire, how reads end, timeouts, connection loss, attributes and locks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/FakeInstrument.h"
#include "support/SessionReads.h"
#include "visa/ResourceManager.h"

namespace tevra::visa {
namespace {

using testing::ExpectRead;
using testing::FakeInstrument;
using testing::Milliseconds;
using testing::ReadResult;
using testing::ReadUpTo;
using testing::WriteText;
using Clock = std::chrono::steady_clock;

constexpr Milliseconds kWait{3000};

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<Milliseconds>(Clock::now() - start).count();
}

// A session as the driver configures a socket: line feed ends reads and is sent as END.
class SocketSession : public ::testing::Test {
 protected:
  void OpenSession(FakeInstrument& fake, std::unique_ptr<VisaSession>& session) {
    ASSERT_EQ(manager_.Open(fake.ResourceName(), AccessMode::NoLock, 2000, session), kViSuccess)
        << manager_.LastErrorDescription();
    ASSERT_EQ(session->SetAttribute(kViAttrTermchar, std::uint8_t{'\n'}), kViSuccess);
    ASSERT_EQ(session->SetAttribute(kViAttrTermcharEn, true), kViSuccess);
    ASSERT_EQ(session->SetAttribute(kViAttrSendEndEn, true), kViSuccess);
  }
  void SetUp() override {
    ASSERT_TRUE(fake_.Start());
    OpenSession(fake_, session_);
  }
  void Set(ViAttr attribute, AttributeValue value) {
    ASSERT_EQ(session_->SetAttribute(attribute, value), kViSuccess) << std::hex << attribute;
  }

  ResourceManager manager_;
  FakeInstrument fake_;
  std::unique_ptr<VisaSession> session_;
};

TEST_F(SocketSession, WritesExactlyTheBytesWithALineFeedAsEnd) {
  using namespace std::string_view_literals;
  const std::tuple<std::string_view, bool, std::string_view> cases[] = {
      {"*IDN?"sv, true, "*IDN?\n"sv},
      {"*RST\n"sv, true, "*RST\n"sv},            // already ends with END's line feed
      {"FREQ 1"sv, false, "FREQ 1"sv},           // no END: nothing added
      {""sv, true, ""sv},                        // an empty write sends nothing
      {"#15a\nb\0c"sv, true, "#15a\nb\0c\n"sv},  // binary data passes untouched
  };
  std::string expected;
  for (const auto& [data, sendEnd, wire] : cases) {
    Set(kViAttrSendEndEn, sendEnd);
    EXPECT_EQ(WriteText(*session_, data), kViSuccess);
    expected += wire;
    ASSERT_TRUE(fake_.WaitForTranscript(expected.size(), kWait));
    EXPECT_EQ(fake_.Transcript(), expected) << "after writing " << data;
  }
}

// Replies arrive in random pieces; each read still ends exactly at a line feed or when it holds
// its count, and whatever came after is the start of the next read. Small reads go through the
// session's own buffer, large ones straight into the caller's.
TEST_F(SocketSession, ReadsEndAtTheTerminatorWhateverTheChunking) {
  const std::tuple<std::size_t, std::size_t, std::size_t> cases[] = {{1, 64, 100},
                                                                     {500, 128 * 1024, 70000}};
  for (const auto& [maxChunk, readSize, lineLength] : cases) {
    const std::string longLine = std::string(lineLength, 'x') + "\n";
    SCOPED_TRACE("chunks up to " + std::to_string(maxChunk) + ", reads of " +
                 std::to_string(readSize));
    FakeInstrument fake;
    fake.On("LIST?").Reply("1.5\n-2.25E+3\n" + longLine + "end\n").InChunks(maxChunk);
    ASSERT_TRUE(fake.Start());
    std::unique_ptr<VisaSession> session;
    OpenSession(fake, session);
    ASSERT_EQ(WriteText(*session, "LIST?"), kViSuccess);
    std::vector<std::string> lines;
    std::string line;
    while (lines.size() < 4) {
      const ReadResult piece = ReadUpTo(*session, readSize);
      ASSERT_TRUE(piece.status == kViSuccessTermChar || piece.status == kViSuccessMaxCnt)
          << StatusName(piece.status);
      EXPECT_EQ(session->LastStatus(), piece.status);
      if (piece.status == kViSuccessMaxCnt) {
        EXPECT_EQ(piece.bytes.size(), readSize);
      }
      line += piece.bytes;
      if (piece.status == kViSuccessTermChar) lines.push_back(std::exchange(line, ""));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"1.5\n", "-2.25E+3\n", longLine, "end\n"}));
  }
}

TEST_F(SocketSession, TerminationCharacterSettingsDecideWhereReadsEnd) {
  fake_.On("A?").Reply("ab\ncd");
  fake_.On("B?").Reply("x;y;");
  Set(kViAttrTermcharEn, false);
  ASSERT_EQ(WriteText(*session_, "A?"), kViSuccess);
  ExpectRead(*session_, 5, kViSuccessMaxCnt, "ab\ncd");
  Set(kViAttrTermcharEn, true);
  Set(kViAttrTermchar, std::uint8_t{';'});
  ASSERT_EQ(WriteText(*session_, "B?"), kViSuccess);
  ExpectRead(*session_, 100, kViSuccessTermChar, "x;");
  // A device clear drops what was received and not read.
  EXPECT_EQ(session_->Clear(), kViSuccess);
  Set(kViAttrTermchar, std::uint8_t{'\n'});
  ASSERT_EQ(WriteText(*session_, "A?"), kViSuccess);
  ExpectRead(*session_, 3, kViSuccessTermChar, "ab\n");
}

// A read that times out returns what arrived; each operation runs under the timeout in force
// when it starts, whatever ran before it.
TEST_F(SocketSession, ReadTimeoutsAreBoundedAndDoNotCarryOver) {
  fake_.On("HALF?").Reply("12");  // no terminator follows
  fake_.On("SLOW?").Reply("late\n").After(Milliseconds(300));
  fake_.On("NEVER?").NoReply();
  Set(kViAttrTmoValue, std::uint32_t{100});
  ASSERT_EQ(WriteText(*session_, "HALF?"), kViSuccess);
  auto start = Clock::now();
  ExpectRead(*session_, 100, kViErrorTmo, "12");
  EXPECT_GE(MillisecondsSince(start), 90);
  EXPECT_EQ(session_->LastErrorDescription(),
            "VI_ERROR_TMO: Timeout expired before the operation completed. (viRead: 100 ms)");
  const std::tuple<std::uint32_t, const char*, ViStatus, long long> steps[] = {
      {3000, "SLOW?", kViSuccessTermChar, 2500},  // would fail if 100 ms stuck
      {100, "NEVER?", kViErrorTmo, 1000},         // would wait 3 s if 3000 ms stuck
      {0, "NEVER?", kViErrorTmo, 200},            // immediate
      {kViTmoInfinite, "SLOW?", kViSuccessTermChar, 2500},
  };
  for (const auto& [timeoutMs, command, expected, maxMs] : steps) {
    SCOPED_TRACE(std::string(command) + " with " + std::to_string(timeoutMs) + " ms");
    Set(kViAttrTmoValue, timeoutMs);
    ASSERT_EQ(WriteText(*session_, command), kViSuccess);
    start = Clock::now();
    EXPECT_EQ(ReadUpTo(*session_, 100).status, expected);
    EXPECT_LT(MillisecondsSince(start), maxMs);
  }
}

TEST_F(SocketSession, ConnectionLossEndsThisAndEveryLaterOperation) {
  fake_.On("PART?").Reply("12");
  fake_.On("BYE").Disconnect();
  ASSERT_EQ(WriteText(*session_, "PART?"), kViSuccess);
  ASSERT_EQ(WriteText(*session_, "BYE"), kViSuccess);
  ExpectRead(*session_, 100, kViErrorConnLost, "12");
  EXPECT_EQ(session_->LastErrorDescription(),
            "VI_ERROR_CONN_LOST: The connection to the instrument was lost. (viRead: the "
            "instrument closed the connection)");
  EXPECT_EQ(WriteText(*session_, "*IDN?"), kViErrorConnLost);
  EXPECT_EQ(ReadUpTo(*session_, 10).status, kViErrorConnLost);
  EXPECT_EQ(session_->Clear(), kViErrorConnLost);
}

TEST_F(SocketSession, WriteToAClosedPeerReportsConnectionLoss) {
  fake_.On("BYE").Disconnect();
  ASSERT_EQ(WriteText(*session_, "BYE"), kViSuccess);
  ASSERT_TRUE(fake_.WaitForClosedConnections(1, kWait));
  // The first write after the peer's close may still be accepted by the kernel; the reset it
  // provokes fails a later one.
  ViStatus status = kViSuccess;
  for (int attempt = 0; attempt < 50 && status == kViSuccess; ++attempt) {
    status = WriteText(*session_, "*CLS");
    if (status == kViSuccess) usleep(2000);
  }
  EXPECT_EQ(status, kViErrorConnLost);
}

TEST_F(SocketSession, StatusByteAndTriggerNeedThe4882StringProtocol) {
  std::uint16_t statusByte = 0;
  EXPECT_EQ(session_->ReadStatusByte(statusByte), kViErrorNsupOper);
  EXPECT_EQ(session_->AssertTrigger(kViTrigProtDefault), kViErrorNsupOper);
  Set(kViAttrIoProt, static_cast<std::uint16_t>(IoProtocol::Ieee4882Strict));
  EXPECT_EQ(session_->AssertTrigger(kViTrigProtDefault), kViSuccess);
  EXPECT_EQ(session_->AssertTrigger(1), kViErrorInvProt);
  ASSERT_TRUE(fake_.WaitForTranscript(5, kWait));
  EXPECT_EQ(fake_.Transcript(), "*TRG\n");
}

TEST_F(SocketSession, AttributesOfAnOpenSocket) {
  std::unique_ptr<VisaSession> session;
  const std::string port = std::to_string(fake_.Port());
  ASSERT_EQ(
      manager_.Open("tcpip::127.0.0.1::" + port + "::socket", AccessMode::NoLock, 2000, session),
      kViSuccess);
  const std::pair<ViAttr, AttributeValue> defaults[] = {
      {kViAttrTmoValue, std::uint32_t{2000}},
      {kViAttrRsrcName, "TCPIP0::127.0.0.1::" + port + "::SOCKET"},
      {kViAttrTcpipNodelay, true},
  };
  for (const auto& [attribute, expected] : defaults) {
    AttributeValue value;
    EXPECT_EQ(session->GetAttribute(attribute, value), kViSuccess) << std::hex << attribute;
    EXPECT_EQ(value, expected) << std::hex << attribute;
  }
  const std::tuple<ViAttr, AttributeValue, ViStatus> refused[] = {
      {kViAttrTcpipPort, std::uint16_t{1}, kViErrorAttrReadonly},
      {kViAttrTermchar, std::uint16_t{256}, kViErrorNsupAttrState},
      {0x3FFF0123, std::uint32_t{1}, kViErrorNsupAttr},
  };
  for (const auto& [attribute, value, status] : refused)
    EXPECT_EQ(session->SetAttribute(attribute, value), status) << std::hex << attribute;
  AttributeValue unknown;
  EXPECT_EQ(session->GetAttribute(0x3FFF0123, unknown), kViErrorNsupAttr);
}

TEST_F(SocketSession, LocksAreSharedBySessionsOfTheSameResource) {
  std::unique_ptr<VisaSession> other, stranger;
  OpenSession(fake_, other);
  OpenSession(fake_, stranger);
  std::string key;
  EXPECT_EQ(session_->Lock(AccessMode::ExclusiveLock, 0, {}, key), kViSuccess);
  EXPECT_EQ(session_->Lock(AccessMode::ExclusiveLock, 0, {}, key), kViSuccessNestedExclusive);
  EXPECT_EQ(WriteText(*other, "*CLS"), kViErrorRsrcLocked);
  const auto start = Clock::now();
  EXPECT_EQ(other->Lock(AccessMode::ExclusiveLock, 50, {}, key), kViErrorTmo);
  EXPECT_GE(MillisecondsSince(start), 40);
  EXPECT_EQ(session_->Unlock(), kViSuccess);
  EXPECT_EQ(WriteText(*other, "*CLS"), kViErrorRsrcLocked);  // one level still held
  EXPECT_EQ(session_->Unlock(), kViSuccess);
  EXPECT_EQ(session_->Unlock(), kViErrorSesnNlocked);
  EXPECT_EQ(WriteText(*other, "*CLS"), kViSuccess);

  // Shared: joined with the key, refused to a stranger and to a different key.
  ASSERT_EQ(session_->Lock(AccessMode::SharedLock, 0, "bench", key), kViSuccess);
  EXPECT_EQ(key, "bench");
  EXPECT_EQ(WriteText(*stranger, "*CLS"), kViErrorRsrcLocked);
  EXPECT_EQ(stranger->Lock(AccessMode::SharedLock, 0, "other", key), kViErrorTmo);
  EXPECT_EQ(other->Lock(AccessMode::SharedLock, 0, "bench", key), kViSuccess);
  EXPECT_EQ(WriteText(*other, "*CLS"), kViSuccess);
  EXPECT_EQ(session_->Lock(AccessMode::NoLock, 0, {}, key), kViErrorInvLockType);
  // Closing a session gives up its locks.
  session_.reset();
  other.reset();
  EXPECT_EQ(WriteText(*stranger, "*CLS"), kViSuccess);
}

TEST_F(SocketSession, LockWaitsForTheOtherSessionToLetGo) {
  std::unique_ptr<VisaSession> other;
  OpenSession(fake_, other);
  std::string key;
  ASSERT_EQ(session_->Lock(AccessMode::ExclusiveLock, 0, {}, key), kViSuccess);
  std::thread releaser([&] {
    std::this_thread::sleep_for(Milliseconds(50));
    session_->Unlock();
  });
  EXPECT_EQ(other->Lock(AccessMode::ExclusiveLock, 5000, {}, key), kViSuccess);
  releaser.join();
  EXPECT_EQ(WriteText(*session_, "*CLS"), kViErrorRsrcLocked);
}

// Nothing listens on loopback port 1.
TEST(SocketOpen, RefusedConnectionIsResourceNotFound) {
  ResourceManager manager;
  std::unique_ptr<VisaSession> session;
  EXPECT_EQ(manager.Open("TCPIP::127.0.0.1::1::SOCKET", AccessMode::NoLock, 2000, session),
            kViErrorRsrcNfound);
  EXPECT_EQ(session, nullptr);
  EXPECT_EQ(manager.LastErrorDescription(),
            "VI_ERROR_RSRC_NFOUND: The resource could not be found. (viOpen "
            "TCPIP0::127.0.0.1::1::SOCKET: connect to 127.0.0.1 port 1: Connection refused)");
}

TEST(SocketOpen, ResourcesWithoutATransportAreNotFound) {
  const std::tuple<const char*, AccessMode, ViStatus> cases[] = {
      {"TCPIP::127.0.0.1::INSTR", AccessMode::NoLock, kViErrorRsrcNfound},
      {"TCPIP::127.0.0.1::SOCKET", AccessMode::NoLock, kViErrorInvRsrcName},
      {"GPIB0::5::INSTR", AccessMode::SharedLock, kViErrorInvAccMode},
  };
  ResourceManager manager;
  for (const auto& [resource, mode, status] : cases) {
    std::unique_ptr<VisaSession> session;
    EXPECT_EQ(manager.Open(resource, mode, 2000, session), status) << resource;
    EXPECT_EQ(manager.LastStatus(), status);
  }
}

TEST(SocketOpen, Ipv6Loopback) {
  FakeInstrument fake({.ipv6 = true});
  if (!fake.Start()) GTEST_SKIP() << "no IPv6 loopback on this machine";
  fake.On("*IDN?").Reply("TEVRA,QX1100,6,1.0\n");
  ResourceManager manager;
  std::unique_ptr<VisaSession> session;
  ASSERT_EQ(manager.Open(fake.ResourceName(), AccessMode::NoLock, 2000, session), kViSuccess)
      << manager.LastErrorDescription();
  ASSERT_EQ(session->SetAttribute(kViAttrTermcharEn, true), kViSuccess);
  ASSERT_EQ(WriteText(*session, "*IDN?"), kViSuccess);
  ExpectRead(*session, 100, kViSuccessTermChar, "TEVRA,QX1100,6,1.0\n");
}

}  // namespace
}  // namespace tevra::visa
