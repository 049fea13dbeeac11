// The driver session against an instrument, through a scripted I/O session: the exact command
// sequence of Initialize with the timeout of each command, the status check, the utilities and
// their failures. The same exchanges over a real socket are in tests/counter/LiveSocketTest.cpp.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/DriverHandle.h"
#include "support/ScriptedIoSession.h"

namespace tevra::testing {
namespace {

using ::testing::ElementsAre;
using Sent = ScriptedIoSession::Sent;

constexpr HRESULT kInstrumentError = static_cast<HRESULT>(0x80047001);
constexpr HRESULT kUnexpectedResponse = static_cast<HRESULT>(0x80047059);
constexpr HRESULT kIdQueryFailed = static_cast<HRESULT>(0x8004705E);
constexpr HRESULT kResetFailed = static_cast<HRESULT>(0x8004705F);
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
  // Initialize, with status checking when the options ask for it.
  void Open(std::string_view options = "") {
    const bool checking = options == "QueryInstrStatus=true";
    if (checking) script.Expect("*CLS");
    for (const char* command : {"*IDN?", "*OPT?"}) {
      if (checking) script.Expect("*ESR?", "0");
      script.Expect(command, command == std::string("*IDN?") ? kIdn : "431");
    }
    if (checking) script.Expect("*ESR?", "0");
    ASSERT_EQ(handle.Initialize(kResource, options, true), S_OK);
    script.sent.clear();
  }
  bool StatusChecking() {
    VARIANT_BOOL v = 0;
    EXPECT_EQ(handle.operation->get_QueryInstrumentStatus(&v), S_OK);
    return v != 0;
  }

  ScriptedIoSession::Script script;
  DriverHandle handle;
};

TEST_F(LiveSession, InitializeIdentifiesTheInstrument) {
  Open();
  IIviDriverIdentity* id = handle.identity;
  EXPECT_EQ(GetText([&](BSTR* v) { return id->get_InstrumentManufacturer(v); }),
            "Orvane Technologies");
  EXPECT_EQ(GetText([&](BSTR* v) { return id->get_InstrumentModel(v); }), "QX1200");
  EXPECT_EQ(GetText([&](BSTR* v) { return id->get_InstrumentFirmwareRevision(v); }), "2.0.1");
  EXPECT_EQ(script.opens, 1);
  EXPECT_EQ(handle.Close(), S_OK);
  EXPECT_EQ(script.closes, 1);

  // Empty fields are skipped.
  script.Expect("*IDN?", "Orvane Technologies,,QX1100,,SN1");
  script.Expect("*OPT?", "");
  ASSERT_EQ(handle.Initialize(kResource, "", true), S_OK);
  EXPECT_EQ(GetText([&](BSTR* v) { return id->get_InstrumentModel(v); }), "QX1100");
  EXPECT_EQ(GetText([&](BSTR* v) { return id->get_InstrumentFirmwareRevision(v); }), "");
}

// The reset is the last command, under its own timeout; the queries run under the session's.
TEST_F(LiveSession, StatusCheckingFollowsEveryExchangeOfInitialize) {
  script.timeout = 5000;
  script.Expect("*CLS");
  const std::pair<const char*, const char*> exchanges[] = {
      {"*IDN?", kIdn}, {"*OPT?", "431"}, {"*RST;*OPC?", "1"}};
  for (auto [command, reply] : exchanges) {
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
    bool reset;
    HRESULT status;
    const char* description;  // null: not checked
  } cases[] = {
      {{{"*IDN?", "", kIoTimeout}}, false, kIoTimeout, nullptr},
      // The model is compared with its case.
      {{{"*IDN?", "Orvane Technologies,qx1200,SN1,1.0"}},
       false,
       kIdQueryFailed,
       "Tevra: Instrument ID query failed.\r\nUnrecognized model: qx1200."},
      {{{"*IDN?", kIdn}, {"*OPT?", "431"}, {"*RST;*OPC?", "", kIoTimeout}},
       true,
       kResetFailed,
       "Tevra: Instrument reset failed."},
  };
  int closes = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    for (const auto& exchange : c.exchanges) script.expected.push_back(exchange);
    EXPECT_EQ(handle.Initialize(kResource, "", true, c.reset), c.status);
    if (c.description) {
      EXPECT_EQ(TakeErrorDescription(), c.description);
    }
    EXPECT_FALSE(handle.Initialized());
    EXPECT_EQ(script.closes, ++closes);
  }
  Open();
}

TEST_F(LiveSession, EsrErrorBitsBecomeInstrumentErrors) {
  Open("QueryInstrStatus=true");
  struct Case {
    const char* esr;
    HRESULT status;
  };
  // Query, device, execution and command errors count; operation complete, request control,
  // user request and power on do not; a reply that is not a number counts as 0.
  const Case cases[] = {{"4", kInstrumentError},
                        {"8", kInstrumentError},
                        {"16", kInstrumentError},
                        {"32", kInstrumentError},
                        {"+33\n", kInstrumentError},
                        {"1", S_OK},
                        {"2", S_OK},
                        {"64", S_OK},
                        {"128", S_OK},
                        {"garbage", S_OK}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.esr);
    script.Expect("*CLS");
    script.Expect("*ESR?", c.esr);
    EXPECT_EQ(handle.operation->put_QueryInstrumentStatus(VARIANT_TRUE), c.status);
  }
  EXPECT_EQ(script.clears, 0);

  // A status that cannot be read is an instrument error, after a device clear.
  script.Expect("*CLS");
  script.Expect("*ESR?", "", kIoTimeout);
  EXPECT_EQ(handle.operation->put_QueryInstrumentStatus(VARIANT_TRUE), kInstrumentError);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Instrument error detected.  Use ErrorQuery() to determine error(s).");
  EXPECT_EQ(script.clears, 1);
}

TEST_F(LiveSession, SelfTestRunsUnderItsOwnTimeout) {
  Open();
  script.Expect("*TST?", "1");
  LONG result = 0;
  EXPECT_EQ(GetText([&](BSTR* m) { return handle.utility->SelfTest(&result, m); }),
            "Selftest failed");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(script.sent.back(), (Sent{"*TST?", 10000}));
  EXPECT_EQ(script.timeout, 2000);  // the session timeout is untouched

  script.Expect("*TST?", "", kIoTimeout);
  BSTR message = nullptr;
  EXPECT_EQ(handle.utility->SelfTest(&result, &message), kIoTimeout);
  EXPECT_EQ(message, nullptr);
}

TEST_F(LiveSession, ErrorQueryStripsQuotesAndSuspendsStatusChecking) {
  Open("QueryInstrStatus=true");
  script.Expect(":SYST:ERR?", "+0,\"No error\"\n");
  LONG code = 7;
  EXPECT_EQ(GetText([&](BSTR* m) { return handle.utility->ErrorQuery(&code, m); }), "No error");
  EXPECT_EQ(code, 0);
  EXPECT_THAT(script.Commands(), ElementsAre(":SYST:ERR?"));  // no "*ESR?" after it
  EXPECT_TRUE(StatusChecking());

  script.Expect(":SYST:ERR?", "no number here");
  code = 7;
  BSTR message = nullptr;
  EXPECT_EQ(handle.utility->ErrorQuery(&code, &message), kUnexpectedResponse);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: Unexpected response from the instrument.");
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(StatusChecking());
}

TEST_F(LiveSession, ResetAndDisableUseTheirTimeouts) {
  Open();
  script.Expect("*RST;*OPC?", "1");
  script.Expect("*RST;*OPC?", "1");
  EXPECT_EQ(handle.utility->Reset(), S_OK);
  EXPECT_EQ(handle.utility->Disable(), S_OK);
  EXPECT_THAT(script.sent, ElementsAre(Sent{"*RST;*OPC?", 2000}, Sent{"*RST;*OPC?", 2000}));
  script.Expect("*RST;*OPC?", "", kIoTimeout);
  EXPECT_EQ(handle.utility->Reset(), kIoTimeout);
}

TEST_F(LiveSession, SwitchingStatusCheckingOnClearsTheStatusRegisters) {
  Open();
  script.Expect("*CLS");
  script.Expect("*ESR?", "0");
  EXPECT_EQ(handle.operation->put_QueryInstrumentStatus(VARIANT_TRUE), S_OK);
  // Switching simulation on after a live Initialize is allowed and sends nothing more.
  EXPECT_EQ(handle.operation->put_Simulate(VARIANT_TRUE), S_OK);
  EXPECT_EQ(handle.operation->put_QueryInstrumentStatus(VARIANT_TRUE), S_OK);
  EXPECT_THAT(script.Commands(), ElementsAre("*CLS", "*ESR?"));
}

}  // namespace
}  // namespace tevra::testing
