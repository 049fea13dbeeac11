// The HiSLIP transport against the fake instrument's HiSLIP wire over loopback: the frames on
// both channels, MessageIDs, split writes and replies, device clear, status byte, trigger, locks,
// service requests among the asynchronous answers and a fatal error.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "emulator/HislipWire.h"
#include "visa/HislipTransport.h"

namespace tevra::visa {
namespace {

using FakeHislipServer = emulator::HislipServer;
using FakeLoop = emulator::Loop;
using FakeScript = emulator::Script;
using emulator::HislipFrame;
using emulator::Milliseconds;

struct Fake {
  explicit Fake(FakeHislipServer::Options options = {}) : loop(script, false, Milliseconds(20000)) {
    EXPECT_TRUE(server.SetUp(loop, resource, std::move(options)));
    EXPECT_TRUE(loop.Start());
  }
  std::unique_ptr<Transport> Open() {
    ResourceAddress address;
    EXPECT_EQ(ParseResourceString(resource, address), kViSuccess);
    std::unique_ptr<Transport> transport;
    std::string detail;
    EXPECT_EQ(HislipTransport::Open(address, 2000, transport, detail), kViSuccess) << detail;
    return transport;
  }
  FakeScript script;
  FakeLoop loop;
  FakeHislipServer server;
  std::string resource;
};

// "type control parameter payload" of each frame, the channel marked by "a:".
std::vector<std::string> Describe(const std::vector<HislipFrame>& frames) {
  std::vector<std::string> text;
  for (const HislipFrame& f : frames) {
    char head[48];
    std::snprintf(head, sizeof head, "%s%u %u %08X ", f.async ? "a:" : "", f.type, f.control,
                  f.parameter);
    text.push_back(head + f.payload);
  }
  return text;
}

struct Read {
  ViStatus status;
  std::string bytes;
};

Read ReadUpTo(Transport& transport, std::size_t size, const LineSettings& line = {}) {
  std::vector<std::uint8_t> buffer(size);
  std::size_t count = 0;
  const ViStatus status = transport.Read(buffer, line, count);
  return {status, std::string(buffer.begin(), buffer.begin() + static_cast<long>(count))};
}

ViStatus Send(Transport& transport, std::string_view text, bool end = true) {
  std::size_t written = 0;
  return transport.Write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, end,
                         LineSettings{}, written);
}

TEST(Hislip, FramesOfOpeningSplitWritesAndReplies) {
  Fake fake;
  // A definite block with line feeds inside, sent in pieces; END only on the last.
  const std::string block = "#210\n\n\n\n\n\n\n\n\n\n\n";
  fake.script.On("DATA?").Reply(block).InChunks(4);
  fake.script.On("*IDN?").Reply("FAKE,QX1300,1,1.0\n");
  auto transport = fake.Open();
  ASSERT_TRUE(transport);

  const std::string longCommand = "SYST:TEXT \"" + std::string(300, 'x') + "\"";
  ASSERT_EQ(Send(*transport, longCommand), kViSuccess);
  ASSERT_EQ(Send(*transport, "DATA?"), kViSuccess);
  LineSettings line;
  line.termCharEnabled = true;  // a line feed inside a HiSLIP message does not end the read
  std::string received;
  Read piece{};
  do {
    piece = ReadUpTo(*transport, 5, line);
    received += piece.bytes;
  } while (piece.status == kViSuccessMaxCnt || piece.status == kViSuccessTermChar);
  EXPECT_EQ(piece.status, kViSuccess);
  EXPECT_EQ(received, block);
  ASSERT_EQ(Send(*transport, "*IDN", false), kViSuccess);  // no END: Data only
  ASSERT_EQ(Send(*transport, "?"), kViSuccess);
  const Read idn = ReadUpTo(*transport, 100);
  EXPECT_EQ(idn.status, kViSuccess);
  EXPECT_EQ(idn.bytes, "FAKE,QX1300,1,1.0\n");

  // The opening, the split (256 bytes at most, DataEnd last), MessageIDs two apart, and
  // RMT-delivered on the first message after each whole reply.
  const std::vector<std::string> expected = {
      "0 0 01005456 hislip0",
      "a:17 0 00000001 ",
      "a:15 0 00000000 " + std::string("\0\0\0\0\0\x10\0\0", 8),
      "6 0 FFFFFF00 " + longCommand.substr(0, 256),
      "7 0 FFFFFF02 " + longCommand.substr(256),
      "7 0 FFFFFF04 DATA?",
      "6 1 FFFFFF06 *IDN",
      "7 0 FFFFFF08 ?",
  };
  EXPECT_EQ(Describe(fake.server.Frames()), expected);
}

TEST(Hislip, DeviceClearStatusByteTriggerAndLocks) {
  Fake fake;
  fake.script.On("BIG?")
      .Reply(std::string(2000, 'b') + "\n")
      .InChunks(100, std::chrono::microseconds(2000));
  fake.script.On("*IDN?").Reply("FAKE\n");
  auto transport = fake.Open();
  auto other = fake.Open();
  ASSERT_TRUE(transport && other);
  ASSERT_EQ(Send(*transport, "BIG?"), kViSuccess);
  EXPECT_EQ(ReadUpTo(*transport, 10).status, kViSuccessMaxCnt);  // mid-transfer
  ASSERT_EQ(transport->Clear(LineSettings{}), kViSuccess);
  std::uint16_t statusByte = 0;
  ASSERT_EQ(transport->ReadStatusByte(LineSettings{}, statusByte), kViSuccess);
  EXPECT_EQ(statusByte, 0x10);
  ASSERT_EQ(Send(*transport, "*IDN?"), kViSuccess);
  const Read idn = ReadUpTo(*transport, 100);
  EXPECT_EQ(idn.status, kViSuccess);
  EXPECT_EQ(idn.bytes, "FAKE\n");
  ASSERT_EQ(transport->AssertTrigger(LineSettings{}, kViTrigProtDefault), kViSuccess);

  EXPECT_EQ(transport->LockDevice({}, 0), kViSuccess);
  EXPECT_EQ(other->LockDevice({}, 0), kViErrorRsrcLocked);
  EXPECT_EQ(other->LockDevice({}, 100), kViErrorTmo);
  EXPECT_EQ(transport->UnlockDevice(), kViSuccess);
  EXPECT_EQ(other->LockDevice({}, 0), kViSuccess);

  std::vector<std::string> frames;
  for (const std::string& f : Describe(fake.server.Frames())) {
    if (f.rfind("0 ", 0) != 0 && f.rfind("a:17", 0) != 0 && f.rfind("a:15", 0) != 0) {
      frames.push_back(f);
    }
  }
  // After the clear MessageIDs start again, and the status query carries the last one sent.
  const std::vector<std::string> expected = {
      "7 0 FFFFFF00 BIG?",  "a:19 0 00000000 ", "8 0 00000000 ",   "a:21 0 FFFFFEFE ",
      "7 0 FFFFFF00 *IDN?", "12 1 FFFFFF02 ",   "a:4 1 00000000 ", "a:4 1 00000000 ",
      "a:4 1 00000064 ",    "a:4 0 FFFFFF02 ",  "a:4 1 00000000 ",
  };
  EXPECT_EQ(frames, expected);
}

TEST(Hislip, AServiceRequestBetweenAStatusQueryAndItsAnswerIsKept) {
  Fake fake({.fatalErrorOn = {}, .serviceRequestBeforeStatus = true});
  auto transport = fake.Open();
  ASSERT_EQ(transport->EnableServiceRequest(true), kViSuccess);
  std::uint16_t statusByte = 0;
  ASSERT_EQ(transport->ReadStatusByte(LineSettings{}, statusByte), kViSuccess);
  EXPECT_EQ(statusByte, 0x10);
  ASSERT_EQ(transport->ReadStatusByte(LineSettings{}, statusByte), kViSuccess);
  EXPECT_EQ(statusByte, 0x10);
  // Both requests were counted on the way, and no more came.
  EXPECT_EQ(transport->WaitServiceRequest(kViTmoImmediate), kViSuccess);
  EXPECT_EQ(transport->WaitServiceRequest(kViTmoImmediate), kViSuccess);
  EXPECT_EQ(transport->WaitServiceRequest(kViTmoImmediate), kViErrorTmo);

  // While they are off, the status byte reads the same and none is kept.
  ASSERT_EQ(transport->EnableServiceRequest(false), kViSuccess);
  ASSERT_EQ(transport->ReadStatusByte(LineSettings{}, statusByte), kViSuccess);
  EXPECT_EQ(statusByte, 0x10);
  ASSERT_EQ(transport->EnableServiceRequest(true), kViSuccess);
  EXPECT_EQ(transport->WaitServiceRequest(kViTmoImmediate), kViErrorTmo);
}

TEST(Hislip, AFatalErrorLosesTheConnection) {
  Fake fake({.fatalErrorOn = "BOOM"});
  auto fatal = fake.Open();
  ASSERT_TRUE(fatal);
  ASSERT_EQ(Send(*fatal, "BOOM"), kViSuccess);
  EXPECT_EQ(ReadUpTo(*fatal, 10).status, kViErrorConnLost);
  EXPECT_EQ(fatal->TakeErrorDetail(),
            "the instrument reported a fatal error: unidentified error (\"told to fail\")");
  EXPECT_EQ(Send(*fatal, "*IDN?"), kViErrorConnLost);
}

TEST(Hislip, OpenNamesTheServerAndTheStep) {
  ResourceAddress address;
  ASSERT_EQ(ParseResourceString("TCPIP::127.0.0.1::hislip0,1::INSTR", address), kViSuccess);
  std::unique_ptr<Transport> transport;
  std::string detail;
  EXPECT_EQ(HislipTransport::Open(address, 500, transport, detail), kViErrorRsrcNfound);
  EXPECT_EQ(detail,
            "HiSLIP server 127.0.0.1:1, synchronous connection: connect: Connection refused");
}

}  // namespace
}  // namespace tevra::visa
