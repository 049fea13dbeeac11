// A VISA session over every wire of the fake instrument (raw socket, VXI-11, HiSLIP, a serial
// pty, the test VISA library): how reads end, timeouts and getting back in step, device clear,
// the status byte and trigger, and a peer that closes. What a wire can do is one row.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "support/FakeInstrument.h"
#include "support/SessionReads.h"
#include "visa/ResourceManager.h"

namespace tevra::visa {
namespace {

using testing::FakeInstrument;
using testing::Milliseconds;
namespace FakeWire = testing::FakeWire;

struct Wire {
  const char* name;
  emulator::WireSetUp setUp;
  bool end;             // a message's last byte carries END (kViSuccess ends its read)
  bool clearResets;     // Clear empties the instrument's queues: a reply still owed never comes
  int statusByte;       // the wire's own status byte message reads this; -1: none
  bool trigger;         // the wire has a trigger message of its own
  bool asStrings;       // with the 488.2-strings protocol, "*STB?" and "*TRG" stand in
  const char* timeout;  // the detail of a read timeout
  bool dropsLateReply;  // a reply to a query given up is dropped unseen (HiSLIP MessageIDs)
  bool remembersLoss;   // a lost connection fails every later operation
};

const char kIdn[] = "Orvane Technologies,QX1300,SN1,1.0\n";

class WireSession : public ::testing::TestWithParam<Wire> {
 protected:
  void SetUp() override {
    FakeInstrument::Options options;
    options.wire = GetParam().setUp;
    fake_ = std::make_unique<FakeInstrument>(options);
    fake_->On("*IDN?").Reply(kIdn);
    ASSERT_TRUE(fake_->Start());
    ASSERT_EQ(manager_.Open(fake_->ResourceName(), AccessMode::NoLock, 2000, session_), kViSuccess)
        << manager_.LastErrorDescription();
    Set(kViAttrTermcharEn, true);
  }
  void Set(ViAttr attribute, AttributeValue value) {
    ASSERT_EQ(session_->SetAttribute(attribute, value), kViSuccess) << std::hex << attribute;
  }
  ViStatus Write(std::string_view text) { return testing::WriteText(*session_, text); }
  void ExpectRead(std::size_t size, ViStatus status, std::string_view bytes) {
    testing::ExpectRead(*session_, size, status, bytes);
  }
  // How a read ends whose last byte is both the termination character and the message's end.
  ViStatus Ended() const { return GetParam().end ? kViSuccess : kViSuccessTermChar; }
  void ExpectInStep() {
    ASSERT_EQ(Write("*IDN?\n"), kViSuccess);
    ExpectRead(64, Ended(), kIdn);
  }

  std::unique_ptr<FakeInstrument> fake_;
  ResourceManager manager_;
  std::unique_ptr<VisaSession> session_;
};

TEST_P(WireSession, ReadsEndOnEndTheTerminationCharacterOrTheCount) {
  const bool end = GetParam().end;
  fake_->On("A?").Reply("ab\ncd\n");
  fake_->On("B?").Reply("x;y;\n");
  Set(kViAttrTermcharEn, false);
  ASSERT_EQ(Write("A?\n"), kViSuccess);
  ExpectRead(2, kViSuccessMaxCnt, "ab");  // END falls after the buffer
  ExpectRead(4, end ? kViSuccess : kViSuccessMaxCnt, "\ncd\n");
  Set(kViAttrTermcharEn, true);
  ASSERT_EQ(Write("A?\n"), kViSuccess);
  ExpectRead(100, kViSuccessTermChar, "ab\n");
  ExpectRead(100, Ended(), "cd\n");
  Set(kViAttrTermchar, std::uint8_t{';'});
  ASSERT_EQ(Write("B?\n"), kViSuccess);
  ExpectRead(100, kViSuccessTermChar, "x;");
  // A device clear drops what was received and not read.
  EXPECT_EQ(session_->Clear(), kViSuccess);
  Set(kViAttrTermchar, std::uint8_t{'\n'});
  ASSERT_EQ(Write("A?\n"), kViSuccess);
  ExpectRead(3, kViSuccessTermChar, "ab\n");
}

// Replies arrive in random pieces; each read still ends exactly at a line feed or when it holds
// its count, and whatever came after is the start of the next read. Small reads go through the
// session's own buffer, large ones straight into the caller's.
TEST_P(WireSession, ReadsEndAtTheTerminatorWhateverTheChunking) {
  const std::tuple<std::size_t, std::size_t, std::size_t> cases[] = {{1, 64, 100},
                                                                     {500, 128 * 1024, 70000}};
  for (const auto& [maxChunk, readSize, lineLength] : cases) {
    SCOPED_TRACE("chunks up to " + std::to_string(maxChunk));
    const std::string longLine = std::string(lineLength, 'x') + "\n";
    fake_->On("LIST?").Reply("1.5\n-2.25E+3\n" + longLine + "end\n").InChunks(maxChunk).Times(1);
    ASSERT_EQ(Write("LIST?\n"), kViSuccess);
    std::vector<std::string> lines;
    std::string line;
    ViStatus status = kViSuccess;
    while (lines.size() < 4) {
      const testing::ReadResult piece = testing::ReadUpTo(*session_, readSize);
      status = piece.status;
      ASSERT_TRUE(status == kViSuccessTermChar || status == kViSuccessMaxCnt ||
                  (status == kViSuccess && lines.size() == 3))
          << StatusName(status);
      if (status == kViSuccessMaxCnt) {
        EXPECT_EQ(piece.bytes.size(), readSize);
      }
      line += piece.bytes;
      if (status != kViSuccessMaxCnt) lines.push_back(std::exchange(line, ""));
    }
    EXPECT_EQ(status, Ended());
    EXPECT_EQ(lines, (std::vector<std::string>{"1.5\n", "-2.25E+3\n", longLine, "end\n"}));
  }
}

// A read that times out returns what arrived; each read runs under the timeout in force when it
// starts. Once the late reply is in, a device clear gets the session back in step, or the wire
// drops it by itself.
TEST_P(WireSession, ReadTimeoutsHoldForTheirReadAndAClearGetsBackInStep) {
  fake_->On("HALF?").Reply("12").Then("3\n", Milliseconds(300));
  fake_->On("SLOW?").Reply("late\n").After(Milliseconds(300));
  auto backInStep = [this] {
    std::this_thread::sleep_for(Milliseconds(400));  // the late bytes are in
    if (!GetParam().dropsLateReply) {
      ASSERT_EQ(session_->Clear(), kViSuccess) << session_->LastErrorDescription();
    }
    Set(kViAttrTmoValue, std::uint32_t{2000});
    ExpectInStep();
  };
  Set(kViAttrTmoValue, std::uint32_t{100});
  ASSERT_EQ(Write("HALF?\n"), kViSuccess);
  ExpectRead(100, kViErrorTmo, "12");
  const std::string description = session_->LastErrorDescription();
  EXPECT_EQ(description.rfind("VI_ERROR_TMO: Timeout expired before the operation completed. (", 0),
            0u)
      << description;
  EXPECT_NE(description.find(GetParam().timeout), std::string::npos) << description;
  backInStep();
  const std::pair<std::uint32_t, ViStatus> steps[] = {
      {3000, kViSuccess},  // would time out if 100 ms stuck
      {100, kViErrorTmo},  // would get the reply if 3000 ms stuck
      {kViTmoImmediate, kViErrorTmo},
      {kViTmoInfinite, kViSuccess},
  };
  for (const auto& [timeoutMs, expected] : steps) {
    SCOPED_TRACE(std::to_string(timeoutMs) + " ms");
    Set(kViAttrTmoValue, timeoutMs);
    ASSERT_EQ(Write("SLOW?\n"), kViSuccess);
    if (expected == kViSuccess) {
      ExpectRead(100, Ended(), "late\n");
    } else {
      ExpectRead(100, kViErrorTmo, "");
      backInStep();
    }
  }
}

TEST_P(WireSession, ADeviceClearDropsAReplyPartlyRead) {
  fake_->On("BIG?").Reply(std::string(2000, 'b') + "\n").InChunks(100, Milliseconds(2));
  fake_->On("SLOW?").Reply("late\n").After(Milliseconds(200));
  EXPECT_EQ(session_->ClearResetsInstrument(), GetParam().clearResets);
  ASSERT_EQ(Write("BIG?\n"), kViSuccess);
  ExpectRead(10, kViSuccessMaxCnt, std::string(10, 'b'));
  // Without a device clear on the wire only what arrived can be dropped.
  if (!GetParam().clearResets) std::this_thread::sleep_for(Milliseconds(300));
  ASSERT_EQ(session_->Clear(), kViSuccess) << session_->LastErrorDescription();
  ExpectInStep();
  if (!GetParam().clearResets) return;
  // A reply the instrument still owes is gone with its queue.
  ASSERT_EQ(Write("SLOW?\n"), kViSuccess);
  ASSERT_EQ(session_->Clear(), kViSuccess);
  std::this_thread::sleep_for(Milliseconds(300));
  ExpectInStep();
}

TEST_P(WireSession, StatusByteAndTrigger) {
  const Wire& wire = GetParam();
  fake_->On("*STB?").Reply("+72\n");
  std::uint16_t statusByte = 0;
  EXPECT_EQ(session_->ReadStatusByte(statusByte), wire.statusByte < 0 ? kViErrorNsupOper : 0);
  EXPECT_EQ(statusByte, wire.statusByte < 0 ? 0 : wire.statusByte);
  EXPECT_EQ(session_->AssertTrigger(kViTrigProtDefault),
            wire.trigger ? kViSuccess : kViErrorNsupOper);
  Set(kViAttrIoProt, static_cast<std::uint16_t>(IoProtocol::Ieee4882Strict));
  statusByte = 0;
  EXPECT_EQ(session_->ReadStatusByte(statusByte), kViSuccess);
  EXPECT_EQ(statusByte, wire.asStrings ? 72 : wire.statusByte);
  const bool triggers = wire.trigger || wire.asStrings;
  EXPECT_EQ(session_->AssertTrigger(kViTrigProtDefault), triggers ? kViSuccess : kViErrorNsupOper);
  EXPECT_EQ(session_->AssertTrigger(1), triggers ? kViErrorInvProt : kViErrorNsupOper);
  ExpectInStep();
  const std::string strings = wire.asStrings ? "*STB?\n*TRG\n" : "";
  const std::string queried = wire.statusByte == 72 ? "*STB?\n*STB?\n" : "";
  EXPECT_EQ(fake_->Transcript(), queried + strings + "*IDN?\n");
}

// Every wire but a serial line, which cannot hang up.
class ClosingWire : public WireSession {};

TEST_P(ClosingWire, APeerThatClosesEndsTheReadWithWhatArrivedAndEveryLaterOperation) {
  fake_->On("PART?").Reply("12").ThenDisconnect(Milliseconds(50));
  ASSERT_EQ(Write("PART?\n"), kViSuccess);
  ExpectRead(100, kViErrorConnLost, "12");
  EXPECT_EQ(session_->LastErrorDescription().rfind(
                "VI_ERROR_CONN_LOST: The connection to the instrument was lost. (viRead", 0),
            0u)
      << session_->LastErrorDescription();
  if (!GetParam().remembersLoss) return;  // a VISA library answers each call on its own
  EXPECT_EQ(Write("*IDN?\n"), kViErrorConnLost);
  EXPECT_EQ(testing::ReadUpTo(*session_, 10).status, kViErrorConnLost);
  EXPECT_EQ(session_->Clear(), kViErrorConnLost);
}

std::string NameOf(const ::testing::TestParamInfo<Wire>& info) { return info.param.name; }

constexpr Wire kSocket{"socket", FakeWire::Socket,   false, false, -1, false,
                       true,     "(viRead: 100 ms)", false, true};
constexpr Wire kVxi11{"vxi11", FakeWire::Vxi11,
                      true,    true,
                      0x40,    true,
                      false,   "device_read: I/O timeout (VXI-11 error 15)",
                      false,   true};
constexpr Wire kHislip{"hislip", FakeWire::Hislip,   true, true, 0x10, true,
                       false,    "(viRead: 100 ms)", true, true};
constexpr Wire kSerial{"serial", FakeWire::Serial,   false, false, -1, false,
                       true,     "(viRead: 100 ms)", false, true};
constexpr Wire kVisa{"visa", FakeWire::Visa, true,  true,
                     72,     false,          false, "fake VISA status 0xBFFF0015",
                     false,  false};

INSTANTIATE_TEST_SUITE_P(Wires, WireSession,
                         ::testing::Values(kSocket, kVxi11, kHislip, kSerial, kVisa), NameOf);
INSTANTIATE_TEST_SUITE_P(Wires, ClosingWire, ::testing::Values(kSocket, kVxi11, kHislip, kVisa),
                         NameOf);

}  // namespace
}  // namespace tevra::visa
