// The status and calibration members that compute their commands: the service request's enable
// masks, every register part with its command or refusal, the microwave level calibration's two
// exchanges, the raised timeouts of the slow calibration queries, the serial poll and the
// simulated security state. The plain rows are in the row walk.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

using Sent = ScriptedIoSession::Sent;
constexpr HRESULT kInvalidValue = static_cast<HRESULT>(0x80047010);

class Status : public ::testing::Test {
 protected:
  void TearDown() override { d.ExpectScriptPlayed(); }
  CounterDriver d;
};

TEST_F(Status, AServiceRequestEnablesTheRegistersOfItsEventsInOneMessage) {
  d.Open("QX1300", "785");
  const std::pair<LONG, const char*> rows[] = {
      {TevraStatusSRQReasonStbMAV, "*SRE 16; *ESE 0; :STAT:QUES:ENAB 0; :STAT:OPER:ENAB 0"},
      {TevraStatusSRQReasonEsrDeviceError | TevraStatusSRQReasonQuesUpperLimit,
       "*SRE 40; *ESE 8; :STAT:QUES:ENAB 4096; :STAT:OPER:ENAB 0"},
      {TevraStatusSRQReasonStbErrorQueue | TevraStatusSRQReasonQuesReadingMemory |
           TevraStatusSRQReasonOperInternalReference,
       "*SRE 140; *ESE 0; :STAT:QUES:ENAB 16384; :STAT:OPER:ENAB 512"},
      {0x0FFFFFFF, "*SRE 188; *ESE 189; :STAT:QUES:ENAB 24421; :STAT:OPER:ENAB 15927"},
  };
  for (const auto& [reason, masks] : rows) {
    d.script.Expect(std::string("STAT:PRES; *CLS; ") + masks);
    EXPECT_EQ(COUNTER_ITF(Status)->ConfigureServiceRequest(reason), S_OK) << reason;
  }
}

TEST_F(Status, AReasonOutsideTheEventsIsRefusedBeforeAnythingIsSentAlsoInSimulation) {
  for (const bool simulate : {false, true}) {
    CounterDriver driver;
    simulate ? driver.Simulate("QX1200") : driver.Open("QX1200", "785");
    for (const LONG reason : {0, 0x10000000, -1}) {
      EXPECT_EQ(driver.Get<ITevraStatus>(IID_ITevraStatus)->ConfigureServiceRequest(reason),
                kInvalidValue);
      EXPECT_EQ(TakeErrorDescription(), "Tevra: Invalid value '" + std::to_string(reason) +
                                            "' for method 'ConfigureServiceRequest', parameter "
                                            "'Reason'.");
    }
    driver.ExpectScriptPlayed();  // nothing was sent
  }
}

// Every part of every register: the query its get sends, the command its put of 0x2F0F5 sends (cut
// to the register's 8 or 16 bits), or the refusal naming the part; a refused call sends nothing.
TEST_F(Status, EachRegisterPartHasItsCommandOrIsRefused) {
  d.Open("QX1300", "785");
  auto* status = COUNTER_ITF(Status);
  const char* kQueries[4][5] = {
      {"*STB?", nullptr, nullptr, nullptr, "*SRE?"},
      {nullptr, nullptr, nullptr, "*ESR?", "*ESE?"},
      {"STAT:OPER:COND?", "STAT:OPER:NTR?", "STAT:OPER:PTR?", "STAT:OPER:EVEN?", "STAT:OPER:ENAB?"},
      {"STAT:QUES:COND?", "STAT:QUES:NTR?", "STAT:QUES:PTR?", "STAT:QUES:EVEN?",
       "STAT:QUES:ENAB?"}};
  const char* kWrites[4][5] = {
      {nullptr, nullptr, nullptr, nullptr, "*SRE 245"},
      {nullptr, nullptr, nullptr, nullptr, "*ESE 245"},
      {nullptr, "STAT:OPER:NTR 61685", "STAT:OPER:PTR 61685", nullptr, "STAT:OPER:ENAB 61685"},
      {nullptr, "STAT:QUES:NTR 61685", "STAT:QUES:PTR 61685", nullptr, "STAT:QUES:ENAB 61685"}};
  const char* kParts[] = {"Condition", "NegativeTransition", "PositiveTransition", "Event",
                          "Enable"};
  auto refusal = [&](const char* method, int part) {
    return std::string("Tevra: Invalid value 'TevraStatusSubRegister") + kParts[part] +
           "' for method '" + method + "', parameter 'SubRegister'.";
  };
  for (int r = 0; r < 4; ++r) {
    for (int p = 0; p < 5; ++p) {
      SCOPED_TRACE(std::to_string(r) + "," + std::to_string(p));
      const auto reg = static_cast<TevraStatusRegisterEnum>(r);
      const auto part = static_cast<TevraStatusSubRegisterEnum>(p);
      LONG value = 0;
      if (kQueries[r][p]) d.script.Expect(kQueries[r][p], "+36");
      EXPECT_EQ(status->get_Register(reg, part, &value), kQueries[r][p] ? S_OK : kInvalidValue);
      EXPECT_EQ(value, kQueries[r][p] ? 36 : -1);
      EXPECT_EQ(TakeErrorDescription(), kQueries[r][p] ? "" : refusal("get_Register", p));
      if (kWrites[r][p]) d.script.Expect(kWrites[r][p]);
      EXPECT_EQ(status->put_Register(reg, part, 0x2F0F5), kWrites[r][p] ? S_OK : kInvalidValue);
      EXPECT_EQ(TakeErrorDescription(), kWrites[r][p] ? "" : refusal("put_Register", p));
      d.ExpectScriptPlayed();
    }
  }
  LONG value = 0;
  EXPECT_EQ(status->get_Register(static_cast<TevraStatusRegisterEnum>(4),
                                 TevraStatusSubRegisterCondition, &value),
            kInvalidValue);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Invalid value '4' for method 'get_Register', parameter 'Register'.");
}

// A simulated instrument keeps one value for every register part, after the same refusals.
TEST_F(Status, SimulatedRegistersShareOneValueAndRefuseAsTheInstrumentWould) {
  d.Simulate("QX1100");
  auto* status = COUNTER_ITF(Status);
  LONG value = -5;
  ASSERT_EQ(status->put_Register(TevraStatusRegisterQuestionable, TevraStatusSubRegisterEnable, 7),
            S_OK);
  EXPECT_EQ(
      status->get_Register(TevraStatusRegisterStatusByte, TevraStatusSubRegisterCondition, &value),
      S_OK);
  EXPECT_EQ(value, 7);
  EXPECT_EQ(status->put_Register(TevraStatusRegisterStatusByte, TevraStatusSubRegisterEvent, 1),
            kInvalidValue);
  EXPECT_EQ(status->get_Register(TevraStatusRegisterStandardEvent, TevraStatusSubRegisterCondition,
                                 &value),
            kInvalidValue);
}

// The slow calibration queries raise the session timeout for their exchanges alone, and the
// session's stands after a failure; a longer session timeout stands as well. The level
// calibration addresses the microwave input the model named in its first reply.
TEST_F(Status, CalibrationQueriesRaiseTheTimeoutForTheirExchangesAlone) {
  d.Open("QX1300", "785");
  auto* calibration = COUNTER_ITF(Calibration);
  SHORT result = -1;
  LONG level = -1;
  const char* kLevel2 = "CALibration:LEVel2? 1000000000.000000,-10.000000 ";
  const char* kLevel3 = "CALibration:LEVel3? 1000000000.000000,-10.000000 ";
  struct Row {
    std::function<HRESULT()> call;
    std::vector<const char*> commands;  // the last one fails unless status is S_OK
    const char* language;               // the reply to the first of two commands
    HRESULT status;
    std::int32_t sessionTimeout, inForce;
  };
  auto levelCalibration = [&] {
    return calibration->MicroWaveChannelLevelCalibration(1e9, -10, &level);
  };
  const Row rows[] = {
      {[&] { return calibration->Calibrate(&result); }, {"CAL?"}, "", S_OK, 2000, 30000},
      {[&] { return calibration->AutoCalibrate(&result); },
       {"*CAL?"},
       "",
       kIoFailure,
       25000,
       25000},
      {levelCalibration, {"Syst:Lang?", kLevel2}, "QX1100", kIoTimeout, 3000, 20000},
      {levelCalibration, {"Syst:Lang?", kLevel3}, "QX1200", S_OK, 2000, 20000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.commands.back());
    d.script.timeout = row.sessionTimeout;
    d.script.sent.clear();
    std::vector<Sent> expected;
    for (const char* command : row.commands) {
      const bool last = command == row.commands.back();
      d.script.Expect(command, last ? "+1" : row.language, last ? row.status : S_OK);
      expected.push_back({command, row.inForce});
    }
    EXPECT_EQ(row.call(), row.status);
    EXPECT_EQ(d.script.sent, expected);
    EXPECT_EQ(d.script.timeout, row.sessionTimeout);
  }
  EXPECT_EQ(level, 1);
}

TEST(StatusSocket, SerialPollReadsTheStatusByte) {
  SocketDriver d;
  d.fake.On("*STB?").Reply("+72\n");
  d.Open("QX1200", "785");
  ASSERT_EQ(d.session->SetProtocol(3), S_OK);  // IEEE 488.2 strings: the poll is "*STB?"
  LONG statusByte = -1;
  EXPECT_EQ(d.Get<ITevraStatus>(IID_ITevraStatus)->get_SerialPoll(&statusByte), S_OK);
  EXPECT_EQ(statusByte, 72);
  // A line with a serial poll of its own (VXI-11, HiSLIP) carries no message for it.
  const bool polled = d.fake.StatusPolls() == 1;
  d.ExpectWire(polled ? "" : "*STB?\n");
}

TEST_F(Status, TheSimulatedSecurityStateIsTheLastStateSet) {
  d.Simulate("QX1300");
  auto* calibration = COUNTER_ITF(Calibration);
  VARIANT_BOOL state = -5;
  const platform::Bstr code("SECRET42");
  EXPECT_EQ(calibration->SecurityEnabled(VARIANT_TRUE, code.get()), S_OK);
  EXPECT_EQ(calibration->get_SecurityState(&state), S_OK);
  EXPECT_EQ(state, VARIANT_TRUE);
  EXPECT_TRUE(d.script.sent.empty());
}

}  // namespace
}  // namespace tevra::testing
