// The VXI-11 transport against the fake's VXI-11 wire over loopback: the call records on the
// wire, how reads end, timeouts and the late replies after them, device clear, trigger, lock, the
// interrupt channel, open failures, and pyvisa-py reaching the same fake.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "emulator/Vxi11Wire.h"
#include "support/SessionReads.h"
#include "visa/ResourceManager.h"
#include "visa/Vxi11Transport.h"

namespace tevra::visa {
namespace {

using FakeLoop = emulator::Loop;
using FakeScript = emulator::Script;
using emulator::Milliseconds;
using Clock = std::chrono::steady_clock;

std::uint32_t Word(const std::string& bytes, std::size_t at) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data() + at);
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
// The words of a call record from the procedure on (record mark and xid left out).
std::vector<std::uint32_t> Words(const std::string& record) {
  std::vector<std::uint32_t> words;
  for (std::size_t at = 20; at + 4 <= record.size(); at += 4) words.push_back(Word(record, at));
  return words;
}

class Vxi11 : public ::testing::Test {
 protected:
  void Start(emulator::Vxi11Options options = {}) {
    ASSERT_TRUE(emulator::SetUpVxi11Wire(loop_, resource_, options, log_));
    ASSERT_TRUE(loop_.Start());
    ASSERT_EQ(manager_.Open(resource_, AccessMode::NoLock, 2000, session_), kViSuccess)
        << manager_.LastErrorDescription();
    session_->SetAttribute(kViAttrTmoValue, std::uint32_t{200});
  }
  ViStatus Write(std::string_view text) { return testing::WriteText(*session_, text); }
  void ExpectRead(std::size_t size, ViStatus status, std::string_view bytes) {
    testing::ExpectRead(*session_, size, status, bytes);
  }
  ViStatus Read(std::size_t size) { return testing::ReadUpTo(*session_, size).status; }

  FakeScript script_;
  FakeLoop loop_{script_, false, Milliseconds(20000)};
  std::string resource_;
  std::shared_ptr<emulator::Vxi11Log> log_;
  ResourceManager manager_;
  std::unique_ptr<VisaSession> session_;
};

TEST_F(Vxi11, CallRecordsOnTheWire) {
  script_.On("*IDN?").Reply("ACME,1\n");
  Start();
  ASSERT_EQ(Write("*IDN?\n"), kViSuccess);
  ExpectRead(100, kViSuccess, "ACME,1\n");
  const std::string long_(2500, 'x');
  ASSERT_EQ(Write(long_), kViSuccess);

  const std::vector<std::string> calls = log_->Calls();
  ASSERT_EQ(calls.size(), 6u);
  // Record mark (one last fragment), then xid, CALL, RPC version 2, core program, version 1.
  for (const std::string& call : calls) {
    EXPECT_EQ(Word(call, 0), 0x80000000u | (call.size() - 4));
    EXPECT_EQ(Word(call, 8), 0u);
    EXPECT_EQ(Word(call, 12), 2u);
    EXPECT_EQ(Word(call, 16), 0x0607AFu);
    EXPECT_EQ(Word(call, 20), 1u);
  }
  EXPECT_EQ(Word(calls[2], 4), Word(calls[1], 4) + 1) << "xids count up";
  using W = std::vector<std::uint32_t>;
  // procedure, AUTH_NULL credential and verifier, then the arguments
  W createLink = Words(calls[0]);
  createLink.erase(createLink.begin() + 6);  // clientId
  EXPECT_EQ(createLink, (W{1, 10, 0, 0, 0, 0, 0, 0, 5, 0x696E7374, 0x30000000}));
  EXPECT_EQ(Words(calls[1]), (W{1, 11, 0, 0, 0, 0, 1, 200, 200, 8, 6, 0x2A49444E, 0x3F0A0000}));
  EXPECT_EQ(Words(calls[2]), (W{1, 12, 0, 0, 0, 0, 1, 100, 200, 200, 0, '\n'}));
  // 2,500 bytes in calls of maxRecvSize (1,024), END on the last only.
  for (int i = 0; i < 3; ++i) {
    const W words = Words(calls[3 + i]);
    EXPECT_EQ(words[1], 11u);
    EXPECT_EQ(words[9], i == 2 ? 8u : 0u);
    EXPECT_EQ(words[10], i == 2 ? 452u : 1024u);
  }
}

TEST_F(Vxi11, ReadsEndOnEndTermCharOrCount) {
  const std::string block = "#210ab\ncd\nefg";  // line feeds inside a definite block
  script_.On("BLOCK?").Reply(block + "\n").Times(2);
  script_.On("LONG?").Reply(std::string(3000, 'y') + "\n");
  Start();
  ASSERT_EQ(Write("BLOCK?\n"), kViSuccess);
  ExpectRead(100, kViSuccess, block + "\n");  // the line feeds do not end the read
  session_->SetAttribute(kViAttrTermcharEn, true);
  ASSERT_EQ(Write("BLOCK?\n"), kViSuccess);
  ExpectRead(100, kViSuccessTermChar, "#210ab\n");
  session_->Clear();
  session_->SetAttribute(kViAttrTermcharEn, false);
  ASSERT_EQ(Write("LONG?\n"), kViSuccess);
  EXPECT_EQ(Read(1000), kViSuccessMaxCnt);
  EXPECT_EQ(Read(2000), kViSuccessMaxCnt) << "END falls one byte after the buffer";
  ExpectRead(2000, kViSuccess, "\n");
}

TEST_F(Vxi11, ATimeoutLeavesTheLinkUsable) {
  script_.On("SLOW?").Reply("late\n").After(Milliseconds(1000));
  script_.On("*IDN?").Reply("ACME,1\n");
  Start();
  ASSERT_EQ(Write("SLOW?\n"), kViSuccess);
  const auto started = Clock::now();
  EXPECT_EQ(Read(100), kViErrorTmo);
  EXPECT_LT(Clock::now() - started, Milliseconds(250));
  EXPECT_NE(session_->LastErrorDescription().find("device_read: I/O timeout (VXI-11 error 15)"),
            std::string::npos)
      << session_->LastErrorDescription();
  ASSERT_EQ(session_->Clear(), kViSuccess);  // as the session does to get back in step
  ASSERT_EQ(Write("*IDN?\n"), kViSuccess);
  ExpectRead(100, kViSuccess, "ACME,1\n");
}

// The status byte's device_readstb is the contract run's serial poll.
TEST_F(Vxi11, TriggerClearAndLock) {
  Start();
  EXPECT_EQ(session_->AssertTrigger(kViTrigProtDefault), kViSuccess);
  EXPECT_EQ(session_->Clear(), kViSuccess);
  EXPECT_EQ(log_->triggers, 1);
  EXPECT_EQ(log_->clears, 1);

  std::unique_ptr<Transport> other, first;
  ResourceAddress address;
  ASSERT_EQ(ParseResourceString(resource_, address), kViSuccess);
  std::string detail;
  ASSERT_EQ(Vxi11Transport::Open(address, 2000, first, detail), kViSuccess) << detail;
  ASSERT_EQ(Vxi11Transport::Open(address, 2000, other, detail), kViSuccess) << detail;
  EXPECT_EQ(first->LockDevice("key", 100), kViErrorNsupOper);
  EXPECT_EQ(first->LockDevice({}, 100), kViSuccess);
  EXPECT_EQ(other->LockDevice({}, 100), kViErrorRsrcLocked);
  EXPECT_EQ(other->TakeErrorDetail(),
            "device_lock: device locked by another link (VXI-11 error 11)");
  EXPECT_EQ(other->UnlockDevice(), kViErrorSesnNlocked);
  EXPECT_EQ(first->UnlockDevice(), kViSuccess);
  EXPECT_EQ(other->LockDevice({}, 100), kViSuccess);
}

TEST_F(Vxi11, TheInterruptChannelOnTheWireAndTheRequestsOnIt) {
  script_.On("INIT").NoReply().RequestService();
  Start();
  using W = std::vector<std::uint32_t>;
  const std::size_t opening = log_->Calls().size();
  ASSERT_EQ(session_->EnableEvent(kViEventServiceReq, kViQueue), kViSuccess)
      << session_->LastErrorDescription();
  std::vector<std::string> calls = log_->Calls();
  ASSERT_EQ(calls.size(), opening + 2);
  // create_intr_chan: no link, the client's address and port, the interrupt program, version 1,
  // TCP; then device_enable_srq: the link, true, the link's number as the handle.
  const W create = Words(calls[opening]);
  ASSERT_EQ(create.size(), 11u);
  EXPECT_EQ((W(create.begin(), create.begin() + 7)), (W{1, 25, 0, 0, 0, 0, 0x7F000001}));
  EXPECT_NE(create[7], 0u) << "a port of the client";
  EXPECT_EQ((W(create.begin() + 8, create.end())), (W{0x0607B1, 1, 0}));
  EXPECT_EQ(Words(calls[opening + 1]), (W{1, 20, 0, 0, 0, 0, 1, 1, 4, 1}));
  auto channelOpen = [this] {
    std::lock_guard lock(log_->mutex);
    return log_->interruptChannelOpen;
  };
  EXPECT_TRUE(channelOpen());

  ASSERT_EQ(Write("INIT\n"), kViSuccess);
  EXPECT_EQ(session_->WaitOnEvent(kViEventServiceReq, 2000), kViSuccess)
      << session_->LastErrorDescription();
  // The device_intr_srq call got its reply.
  const auto until = Clock::now() + Milliseconds(2000);
  for (;;) {
    std::lock_guard lock(log_->mutex);
    if (log_->serviceRequestsAnswered == 1 || Clock::now() > until) break;
  }
  {
    std::lock_guard lock(log_->mutex);
    EXPECT_EQ(log_->serviceRequestsSent, 1);
    EXPECT_EQ(log_->serviceRequestsAnswered, 1);
  }

  // Disabling, and closing with them enabled: device_enable_srq false, destroy_intr_chan.
  const W disable = {1, 20, 0, 0, 0, 0, 1, 0, 0};
  const W destroy = {1, 26, 0, 0, 0, 0};
  ASSERT_EQ(session_->DisableEvent(kViEventServiceReq, kViQueue), kViSuccess)
      << session_->LastErrorDescription();
  calls = log_->Calls();
  ASSERT_EQ(calls.size(), opening + 5);
  EXPECT_EQ(Words(calls[opening + 3]), disable);
  EXPECT_EQ(Words(calls[opening + 4]), destroy);
  EXPECT_FALSE(channelOpen());
  ASSERT_EQ(session_->EnableEvent(kViEventServiceReq, kViQueue), kViSuccess);
  session_.reset();
  calls = log_->Calls();
  ASSERT_EQ(calls.size(), opening + 10);
  EXPECT_EQ(Words(calls[opening + 7]), disable);
  EXPECT_EQ(Words(calls[opening + 8]), destroy);
  EXPECT_EQ(Words(calls[opening + 9]), (W{1, 23, 0, 0, 0, 0, 1}));  // destroy_link
}

TEST(Vxi11Open, FailuresNameTheHostAndWhat) {
  // A port nobody listens on: bound once, then closed.
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  close(probe);
  const std::uint16_t closed = ntohs(address.sin_port);
  setenv("TEVRA_PORTMAPPER_PORT", std::to_string(closed).c_str(), 1);
  ResourceManager manager;
  std::unique_ptr<VisaSession> session;
  EXPECT_EQ(manager.Open("TCPIP::127.0.0.1::INSTR", AccessMode::NoLock, 500, session),
            kViErrorRsrcNfound);
  EXPECT_NE(manager.LastErrorDescription().find("no portmapper on 127.0.0.1"), std::string::npos)
      << manager.LastErrorDescription();
}

TEST_F(Vxi11, PyvisaPyQueriesTheFake) {
  if (std::system("/usr/bin/python3 -c 'import pyvisa, pyvisa_py' 2>/dev/null") != 0)
    GTEST_SKIP() << "pyvisa-py is not installed (Debian python3-pyvisa-py)";
  script_.On("*IDN?").Reply("ACME,1\n");
  emulator::Vxi11Options options;
  options.portmapperOn111 = true;
  Start(options);
  if (!log_->portmapperOn111) GTEST_SKIP() << "port 111 cannot be bound here (taken, or no rights)";
  const std::string command =
      "timeout 20 /usr/bin/python3 -c \"import pyvisa; rm = pyvisa.ResourceManager('@py'); "
      "i = rm.open_resource('TCPIP::127.0.0.1::inst0::INSTR', "
      "write_termination='\\n', read_termination='\\n'); i.timeout = 2000; "
      "assert i.query('*IDN?') == 'ACME,1'; i.close()\"";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

}  // namespace
}  // namespace tevra::visa
