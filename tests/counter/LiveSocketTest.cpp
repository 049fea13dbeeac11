// The driver against the fake instrument over a loopback socket: the bytes Initialize, the status
// check and the utilities put on the wire, how replies are parsed, and what a lost or silent
// instrument does to the session.
#include <gtest/gtest.h>

#include "io/VisaComSession.h"
#include "support/DriverHandle.h"
#include "support/FakeInstrument.h"

namespace tevra::testing {
namespace {

constexpr const char* kIdn = "Orvane Technologies,QX1200,SN0042,2.0.1\n";
constexpr HRESULT kInstrumentError = static_cast<HRESULT>(0x80047001);
constexpr HRESULT kUnknownResource = static_cast<HRESULT>(0x80047060);
constexpr HRESULT kIoError = static_cast<HRESULT>(0x80044214);
constexpr HRESULT kUnexpectedResponse = static_cast<HRESULT>(0x80047059);

class LiveSocket : public ::testing::Test {
 protected:
  LiveSocket() : handle(std::make_unique<io::CVisaComSession>()) {}
  void SetUp() override { ASSERT_TRUE(fake.Start()); }
  void Answer(std::string command, std::string reply) {
    fake.On(std::move(command)).Reply(std::move(reply));
  }
  HRESULT Initialize(std::string_view options = "") {
    return handle.Initialize(fake.ResourceName(), options, true);
  }
  // Whether exactly these bytes arrived after the first size bytes.
  void ExpectWireAfter(std::size_t size, std::string_view expected) {
    EXPECT_TRUE(fake.WaitForTranscript(size + expected.size(), Milliseconds(2000)));
    EXPECT_EQ(fake.Transcript().substr(size), expected);
  }

  FakeInstrument fake;
  DriverHandle handle;
};

TEST_F(LiveSocket, InitializeIdentifiesTheInstrumentAndCloseHangsUp) {
  Answer("*IDN?", kIdn);
  Answer("*OPT?", "431\n");
  ASSERT_EQ(Initialize(), S_OK) << TakeErrorDescription();
  EXPECT_EQ(fake.Transcript(), "*IDN?\n*OPT?\n");
  EXPECT_EQ(GetText([&](BSTR* v) { return handle.identity->get_InstrumentModel(v); }), "QX1200");
  EXPECT_EQ(GetText([&](BSTR* v) { return handle.identity->get_InstrumentFirmwareRevision(v); }),
            "2.0.1");
  EXPECT_EQ(handle.Close(), S_OK);
  EXPECT_TRUE(fake.WaitForClosedConnections(1, Milliseconds(2000)));
}

TEST_F(LiveSocket, StatusCheckingFollowsEveryExchange) {
  Answer("*IDN?", kIdn);
  Answer("*OPT?", "431\n");
  Answer("*ESR?", "+0\n");
  Answer("*TST?", "+0\n");
  ASSERT_EQ(Initialize("QueryInstrStatus=true"), S_OK) << TakeErrorDescription();
  EXPECT_EQ(fake.Transcript(), "*CLS\n*ESR?\n*IDN?\n*ESR?\n*OPT?\n*ESR?\n");
  const std::size_t before = fake.Transcript().size();
  LONG result = -1;
  EXPECT_EQ(GetText([&](BSTR* m) { return handle.utility->SelfTest(&result, m); }),
            "Selftest passed");
  ExpectWireAfter(before, "*TST?\n*ESR?\n");
}

TEST_F(LiveSocket, UtilitiesSendTheirCommandsAndParseTheReplies) {
  Answer("*IDN?", kIdn);
  Answer("*OPT?", "\n");
  Answer("*RST;*OPC?", "1\n");
  Answer("*TST?", "+1\n");
  Answer(":SYST:ERR?", "-113,\"Undefined header\"\n");
  ASSERT_EQ(Initialize(), S_OK) << TakeErrorDescription();
  const std::size_t before = fake.Transcript().size();
  EXPECT_EQ(handle.utility->Reset(), S_OK);
  LONG result = 0;
  EXPECT_EQ(GetText([&](BSTR* m) { return handle.utility->SelfTest(&result, m); }),
            "Selftest failed");
  EXPECT_EQ(result, 1);
  LONG code = 0;
  EXPECT_EQ(GetText([&](BSTR* m) { return handle.utility->ErrorQuery(&code, m); }),
            "Undefined header");
  EXPECT_EQ(code, -113);
  EXPECT_EQ(handle.utility->Disable(), S_OK);
  ExpectWireAfter(before, "*RST;*OPC?\n*TST?\n:SYST:ERR?\n*RST;*OPC?\n");
}

TEST_F(LiveSocket, AnInstrumentErrorInTheStatusRegisterFailsTheCall) {
  Answer("*IDN?", kIdn);
  Answer("*OPT?", "431\n");
  fake.On("*ESR?").Reply("+0\n").Times(3);
  fake.On("*ESR?").Reply("+32\n");
  ASSERT_EQ(Initialize("QueryInstrStatus=true"), S_OK) << TakeErrorDescription();
  Answer("*RST;*OPC?", "1\n");
  EXPECT_EQ(handle.utility->Reset(), kInstrumentError);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Instrument error detected.  Use ErrorQuery() to determine error(s).");
}

TEST_F(LiveSocket, ALostConnectionFailsInitializeAndLeavesTheDriverClosed) {
  fake.On("*IDN?").Disconnect();
  EXPECT_EQ(Initialize(), kIoError);
  EXPECT_TRUE(TakeErrorDescription().starts_with("Tevra: I/O error: VI_ERROR_CONN_LOST"));
  EXPECT_FALSE(handle.Initialized());
  EXPECT_TRUE(fake.WaitForClosedConnections(1, Milliseconds(2000)));
}

TEST_F(LiveSocket, AGarbledReplyIsUnexpectedAndTheNextQueryStartsClean) {
  Answer("*IDN?", kIdn);
  Answer("*OPT?", "431\n");
  fake.On("*TST?").Garbage(40).Times(1);
  fake.On("*TST?").Reply("+0\n");
  ASSERT_EQ(Initialize(), S_OK) << TakeErrorDescription();
  LONG result = -1;
  BSTR message = nullptr;
  EXPECT_EQ(handle.utility->SelfTest(&result, &message), kUnexpectedResponse);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: Unexpected response from the instrument.");
  EXPECT_EQ(GetText([&](BSTR* m) { return handle.utility->SelfTest(&result, m); }),
            "Selftest passed");
  EXPECT_EQ(result, 0);
}

TEST_F(LiveSocket, AResourceNobodyServesIsAnUnknownResource) {
  fake.Stop();
  EXPECT_EQ(Initialize(), kUnknownResource);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Unknown resource.\r\nResource descriptor = " + fake.ResourceName() + ".");
}

}  // namespace
}  // namespace tevra::testing
