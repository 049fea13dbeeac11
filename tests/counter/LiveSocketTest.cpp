// The driver against the fake instrument over a loopback socket: the bytes Initialize, the status
// check and the utilities put on the wire, how replies are parsed, and what a lost or silent
// instrument does to the session.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

constexpr const char* kIdn = "Orvane Technologies,QX1200,SN0042,2.0.1\n";
constexpr HRESULT kInstrumentError = static_cast<HRESULT>(0x80047001);
constexpr HRESULT kUnknownResource = static_cast<HRESULT>(0x80047060);

class LiveSocket : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(d.fake.Start()); }
  void Answer(std::string command, std::string reply) {
    d.fake.On(std::move(command)).Reply(std::move(reply));
  }

  SocketDriver d;
};

TEST_F(LiveSocket, InitializeIdentifiesTheInstrumentAndCloseHangsUp) {
  Answer("*IDN?", kIdn);
  Answer("*OPT?", "431\n");
  ASSERT_EQ(d.Initialize(), S_OK) << TakeErrorDescription();
  EXPECT_EQ(d.fake.Transcript(), "*IDN?\n*OPT?\n");
  EXPECT_EQ(GetText([&](BSTR* v) { return d.handle.identity->get_InstrumentModel(v); }), "QX1200");
  EXPECT_EQ(GetText([&](BSTR* v) { return d.handle.identity->get_InstrumentFirmwareRevision(v); }),
            "2.0.1");
  EXPECT_EQ(d.handle.Close(), S_OK);
  EXPECT_TRUE(d.fake.WaitForClosedConnections(1, Milliseconds(2000)));
}

TEST_F(LiveSocket, StatusCheckingFollowsEveryExchange) {
  Answer("*IDN?", kIdn);
  Answer("*OPT?", "431\n");
  Answer("*ESR?", "+0\n");
  Answer("*TST?", "+0\n");
  ASSERT_EQ(d.Initialize("QueryInstrStatus=true"), S_OK) << TakeErrorDescription();
  EXPECT_EQ(d.fake.Transcript(), "*CLS\n*ESR?\n*IDN?\n*ESR?\n*OPT?\n*ESR?\n");
  LONG result = -1;
  EXPECT_EQ(GetText([&](BSTR* m) { return d.handle.utility->SelfTest(&result, m); }),
            "Selftest passed");
  d.ExpectWire("*TST?\n*ESR?\n");
}

TEST_F(LiveSocket, UtilitiesSendTheirCommandsAndParseTheReplies) {
  Answer("*IDN?", kIdn);
  Answer("*OPT?", "\n");
  Answer("*RST;*OPC?", "1\n");
  Answer("*TST?", "+1\n");
  Answer(":SYST:ERR?", "-113,\"Undefined header\"\n");
  ASSERT_EQ(d.Initialize(), S_OK) << TakeErrorDescription();
  EXPECT_EQ(d.handle.utility->Reset(), S_OK);
  LONG result = 0;
  EXPECT_EQ(GetText([&](BSTR* m) { return d.handle.utility->SelfTest(&result, m); }),
            "Selftest failed");
  EXPECT_EQ(result, 1);
  LONG code = 0;
  EXPECT_EQ(GetText([&](BSTR* m) { return d.handle.utility->ErrorQuery(&code, m); }),
            "Undefined header");
  EXPECT_EQ(code, -113);
  EXPECT_EQ(d.handle.utility->Disable(), S_OK);
  d.ExpectWire("*RST;*OPC?\n*TST?\n:SYST:ERR?\n*RST;*OPC?\n");
}

TEST_F(LiveSocket, AnInstrumentErrorInTheStatusRegisterFailsTheCall) {
  Answer("*IDN?", kIdn);
  Answer("*OPT?", "431\n");
  d.fake.On("*ESR?").Reply("+0\n").Times(3);
  d.fake.On("*ESR?").Reply("+32\n");
  ASSERT_EQ(d.Initialize("QueryInstrStatus=true"), S_OK) << TakeErrorDescription();
  Answer("*RST;*OPC?", "1\n");
  EXPECT_EQ(d.handle.utility->Reset(), kInstrumentError);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Instrument error detected.  Use ErrorQuery() to determine error(s).");
}

TEST_F(LiveSocket, ALostConnectionFailsInitializeAndLeavesTheDriverClosed) {
  d.fake.On("*IDN?").Disconnect();
  EXPECT_EQ(d.Initialize(), kIoFailure);
  EXPECT_TRUE(TakeErrorDescription().starts_with("Tevra: I/O error: VI_ERROR_CONN_LOST"));
  EXPECT_FALSE(d.handle.Initialized());
  EXPECT_TRUE(d.fake.WaitForClosedConnections(1, Milliseconds(2000)));
}

TEST_F(LiveSocket, AGarbledReplyIsUnexpectedAndTheNextQueryStartsClean) {
  Answer("*IDN?", kIdn);
  Answer("*OPT?", "431\n");
  d.fake.On("*TST?").Garbage(40).Times(1);
  d.fake.On("*TST?").Reply("+0\n");
  ASSERT_EQ(d.Initialize(), S_OK) << TakeErrorDescription();
  LONG result = -1;
  BSTR message = nullptr;
  EXPECT_EQ(d.handle.utility->SelfTest(&result, &message), kUnexpectedResponse);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: Unexpected response from the instrument.");
  EXPECT_EQ(GetText([&](BSTR* m) { return d.handle.utility->SelfTest(&result, m); }),
            "Selftest passed");
  EXPECT_EQ(result, 0);
}

TEST_F(LiveSocket, AResourceNobodyServesIsAnUnknownResource) {
  d.fake.Stop();
  EXPECT_EQ(d.Initialize(), kUnknownResource);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Unknown resource.\r\nResource descriptor = " + d.fake.ResourceName() + ".");
}

}  // namespace
}  // namespace tevra::testing
