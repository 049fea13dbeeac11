// The raw-socket session against the fake instrument over real loopback connections: the bytes
// on the wire, a write to a closed peer, attributes and locks (reads, timeouts, clear, status
// byte and connection loss run with every wire in WireTest.cpp).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "support/FakeInstrument.h"
#include "support/SessionReads.h"
#include "visa/ResourceManager.h"

namespace tevra::visa {
namespace {

using testing::ExpectRead;
using testing::FakeInstrument;
using testing::Milliseconds;
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
  FakeInstrument::Options options;
  options.ipv6 = true;
  FakeInstrument fake(options);
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
