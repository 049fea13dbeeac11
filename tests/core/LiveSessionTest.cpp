// The driver session against an instrument, through a scripted I/O session: the command sequence
// of Initialize with the timeout of each command, the status check, the utilities and their
// failures. Replies over a real socket are in tests/counter/LiveSocketTest.cpp.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/DriverHandle.h"
#include "support/ScriptedIoSession.h"

namespace tevra::testing {
namespace {

using ::testing::ElementsAre;
using Sent = ScriptedIoSession::Sent;

constexpr HRESULT kInstrumentError = static_cast<HRESULT>(0x80047001);
constexpr HRESULT kIoTimeout = static_cast<HRESULT>(0x80044215);
constexpr const char* kIdn = "Orvane Technologies, QX1200 ,SN0042,2.0.1";
constexpr const char* kResource = "TCPIP::127.0.0.1::5025::SOCKET";

class LiveSession : public ::testing::Test {
 protected:
  LiveSession() : handle(std::make_unique<ScriptedIoSession>(script)) {}
  void TearDown() override {
    EXPECT_TRUE(script.unexpected.empty()) << "first unexpected: " << script.unexpected.front();
    EXPECT_TRUE(script.expected.empty()) << "never sent: " << script.expected.front().command;
  }
  // Initialize, with status checking after each exchange when asked for.
  void Open(bool checking = false) {
    if (checking) script.Expect("*CLS");
    for (auto [command, reply] : {std::pair{"*IDN?", kIdn}, {"*OPT?", "431"}}) {
      if (checking) script.Expect("*ESR?", "0");
      script.Expect(command, reply);
    }
    if (checking) script.Expect("*ESR?", "0");
    ASSERT_EQ(handle.Initialize(kResource, checking ? "QueryInstrStatus=true" : "", true), S_OK);
    script.sent.clear();
  }
  std::string Identity(HRESULT (IIviDriverIdentity::*getter)(BSTR*)) {
    return GetText([&](BSTR* v) { return (handle.identity->*getter)(v); });
  }
  ScriptedIoSession::Script script;
  DriverHandle handle;
};

// The fields of the identity are trimmed and empty ones skipped.
TEST_F(LiveSession, InitializeSkipsEmptyIdentityFields) {
  script.Expect("*IDN?", "Orvane Technologies,, QX1100 ,,SN1");
  script.Expect("*OPT?", "");
  ASSERT_EQ(handle.Initialize(kResource, "", true), S_OK);
  EXPECT_EQ(Identity(&IIviDriverIdentity::get_InstrumentModel), "QX1100");
  EXPECT_EQ(Identity(&IIviDriverIdentity::get_InstrumentFirmwareRevision), "");
  EXPECT_EQ(handle.Close(), S_OK);
  EXPECT_EQ(script.opens + script.closes, 2);
}

// The reset is the last command, under its own timeout; the queries run under the session's.
TEST_F(LiveSession, StatusCheckingFollowsEveryExchangeOfInitialize) {
  script.timeout = 5000;
  script.Expect("*CLS");
  for (auto [command, reply] : {std::pair{"*IDN?", kIdn}, {"*OPT?", "431"}, {"*RST;*OPC?", "1"}}) {
    script.Expect("*ESR?", "0");
    script.Expect(command, reply);
  }
  script.Expect("*ESR?", "0");
  ASSERT_EQ(handle.Initialize(kResource, "QueryInstrStatus=true", true, true), S_OK);
  EXPECT_THAT(script.sent,
              ElementsAre(Sent{"*CLS", 5000}, Sent{"*ESR?", 5000}, Sent{"*IDN?", 5000},
                          Sent{"*ESR?", 5000}, Sent{"*OPT?", 5000}, Sent{"*ESR?", 5000},
                          Sent{"*RST;*OPC?", 2000}, Sent{"*ESR?", 5000}));
}

// Each failure closes the session again, and a new Initialize may follow at once.
TEST_F(LiveSession, FailedInitializeClosesTheSession) {
  const struct {
    std::vector<ScriptedIoSession::Exchange> exchanges;
    HRESULT status;
    const char* description;
  } cases[] = {
      {{{"*IDN?", "", kIoTimeout}}, kIoTimeout, nullptr},
      {{{"*IDN?", "Orvane Technologies,qx1200,SN1,1.0"}},  // the model is compared with its case
       static_cast<HRESULT>(0x8004705E),
       "Tevra: Instrument ID query failed.\r\nUnrecognized model: qx1200."},
      {{{"*IDN?", kIdn}, {"*OPT?", "431"}, {"*RST;*OPC?", "", kIoTimeout}},
       static_cast<HRESULT>(0x8004705F),
       "Tevra: Instrument reset failed."},
  };
  int closes = 0;
  for (const auto& c : cases) {
    for (const auto& exchange : c.exchanges) script.expected.push_back(exchange);
    EXPECT_EQ(handle.Initialize(kResource, "", true, c.exchanges.size() == 3), c.status);
    if (c.description) {
      EXPECT_EQ(TakeErrorDescription(), c.description);
    }
    EXPECT_FALSE(handle.Initialized());
    EXPECT_EQ(script.closes, ++closes);
  }
  Open();
}

// Query, device, execution and command errors count; the other bits do not; a reply that is not
// a number counts as 0, and one that cannot be read is an error, after a device clear.
TEST_F(LiveSession, EsrErrorBitsBecomeInstrumentErrors) {
  Open(true);
  for (const char* esr : {"2", "4", "32", "64", "+33\n", "garbage"}) {
    script.Expect("*CLS");
    script.Expect("*ESR?", esr);
    const int bits = std::atoi(esr[0] == '+' ? esr + 1 : esr);
    EXPECT_EQ(handle.operation->put_QueryInstrumentStatus(VARIANT_TRUE),
              bits & 0x3C ? kInstrumentError : S_OK)
        << esr;
  }
  EXPECT_EQ(script.clears, 0);
  script.Expect("*CLS");
  script.Expect("*ESR?", "", kIoTimeout);
  EXPECT_EQ(handle.operation->put_QueryInstrumentStatus(VARIANT_TRUE), kInstrumentError);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Instrument error detected.  Use ErrorQuery() to determine error(s).");
  EXPECT_EQ(script.clears, 1);
  // Switching simulation on after a live Initialize sends nothing more.
  EXPECT_EQ(handle.operation->put_Simulate(VARIANT_TRUE), S_OK);
  script.sent.clear();
  EXPECT_EQ(handle.operation->put_QueryInstrumentStatus(VARIANT_TRUE), S_OK);
  EXPECT_TRUE(script.sent.empty());
}

// A self-test that answers anything but 0 failed, one that answers no number is unexpected.
TEST_F(LiveSession, UtilitiesUseTheirTimeouts) {
  Open();
  script.Expect("*TST?", "1");
  script.Expect("*TST?", "+0");
  script.Expect("*TST?", "x1");
  script.Expect("*RST;*OPC?", "1");
  script.Expect("*RST;*OPC?", "1");
  LONG result = 0;
  EXPECT_EQ(GetText([&](BSTR* m) { return handle.utility->SelfTest(&result, m); }),
            "Selftest failed");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(GetText([&](BSTR* m) { return handle.utility->SelfTest(&result, m); }),
            "Selftest passed");
  EXPECT_EQ(GetText([&](BSTR* m) { return handle.utility->SelfTest(&result, m); }), "<failed>");
  EXPECT_EQ(TakeErrorDescription(), "Tevra: Unexpected response from the instrument.");
  EXPECT_EQ(handle.utility->Reset(), S_OK);
  EXPECT_EQ(handle.utility->Disable(), S_OK);
  EXPECT_THAT(script.sent,
              ElementsAre(Sent{"*TST?", 10000}, Sent{"*TST?", 10000}, Sent{"*TST?", 10000},
                          Sent{"*RST;*OPC?", 2000}, Sent{"*RST;*OPC?", 2000}));
  EXPECT_EQ(script.timeout, 2000);  // the session timeout is untouched
  script.Expect("*TST?", "", kIoTimeout);
  BSTR message = nullptr;
  EXPECT_EQ(handle.utility->SelfTest(&result, &message), kIoTimeout);
  EXPECT_EQ(message, nullptr);
}

// A reply without a number is unexpected; the error query itself is not status-checked.
TEST_F(LiveSession, ErrorQuerySuspendsStatusChecking) {
  Open(true);
  script.Expect(":SYST:ERR?", "no number here");
  LONG code = 7;
  BSTR message = nullptr;
  EXPECT_EQ(handle.utility->ErrorQuery(&code, &message), static_cast<HRESULT>(0x80047059));
  EXPECT_EQ(TakeErrorDescription(), "Tevra: Unexpected response from the instrument.");
  EXPECT_EQ(code, 0);
  EXPECT_THAT(script.Commands(), ElementsAre(":SYST:ERR?"));  // no "*ESR?"
  VARIANT_BOOL checking = 0;
  EXPECT_EQ(handle.operation->get_QueryInstrumentStatus(&checking), S_OK);
  EXPECT_TRUE(checking);
}

}  // namespace
}  // namespace tevra::testing
