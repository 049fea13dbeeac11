// Readings in simulation, and on a scripted session: the timeouts slow reads run with, the
// voltage queries, the wait for "*OPC?" and the count of a continuous totalize.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

using ::testing::ElementsAre;
using Sent = ScriptedIoSession::Sent;

TEST(SimulatedMeasurement, ReadingsAreZerosSizedByTheTriggerAndSampleCounts) {
  CounterDriver d;
  d.Simulate("QX1300");
  auto* measurement = COUNTER_ITF(Measurement);
  auto* classMeasurement = d.Get<IIviCounterMeasurement>(IID_IIviCounterMeasurement);
  auto* trigger = COUNTER_ITF(Trigger);
  SAFEARRAY* array = nullptr;
  ASSERT_EQ(measurement->Read(1000, &array), S_OK);
  EXPECT_THAT(Readings(array), ElementsAre(0.0));  // one trigger of one sample until set
  ASSERT_EQ(trigger->put_Count(3), S_OK);
  ASSERT_EQ(trigger->put_SampleCount(4), S_OK);
  ASSERT_EQ(measurement->Read(1000, &array), S_OK);
  EXPECT_EQ(Readings(array), std::vector<double>(12, 0.0));
  ASSERT_EQ(measurement->Fetch(&array), S_OK);
  EXPECT_EQ(Readings(array), std::vector<double>(12, 0.0));
  for (LONG count : {0, 25}) {
    ASSERT_EQ(measurement->DestructiveReadCounted(count, &array), S_OK);
    EXPECT_EQ(Readings(array), std::vector<double>(count, 0.0));
    ASSERT_EQ(measurement->DestructiveReadUpToCount(count, &array), S_OK);
    EXPECT_EQ(Readings(array), std::vector<double>(count, 0.0));
  }
  double value = -1;
  EXPECT_EQ(classMeasurement->Read(1000, &value), S_OK);
  EXPECT_EQ(value, 0.0);
  ASSERT_EQ(trigger->put_Count(0), S_OK);
  EXPECT_EQ(classMeasurement->Fetch(&value), E_INVALIDARG);
  IviCounterMeasurementStatusEnum status{};
  EXPECT_EQ(classMeasurement->IsMeasurementComplete(&status), kMethodNotSupported);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Does not support this class-compliant feature: method "
            "'Measurement_IsMeasurementComplete'.");
  EXPECT_EQ(COUNTER_ITF(System)->WaitForOperationComplete(10), S_OK);
}

class ScriptedMeasurement : public ScriptedCounter {
 protected:
  void Open(const std::string& model) {
    d.Open(model, "431");
    measurement = COUNTER_ITF(Measurement);
  }

  ITevraMeasurement* measurement = nullptr;
};

TEST_F(ScriptedMeasurement, ReadAndFetchRunWithAtLeastFiftySecondsAndRestoreTheTimeout) {
  Open("QX1200");
  struct Case {
    const char* command;
    std::int32_t sessionTimeout;
    HRESULT status;
    std::int32_t inForce;
  };
  const Case cases[] = {
      {":READ?", 2000, S_OK, 50000},  {":FETC?", 2000, kIoTimeout, 50000},
      {":FETC?", 2000, S_OK, 50000},  {":READ?", 2000, kIoTimeout, 50000},
      {":READ?", 60000, S_OK, 60000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.command) + " " + std::to_string(c.status));
    d.script.timeout = c.sessionTimeout;
    d.script.sent.clear();
    d.script.Expect(c.command, "+1.5E+06,+2.5E+06", c.status);
    SAFEARRAY* array = nullptr;
    EXPECT_EQ(c.command[1] == 'R' ? measurement->Read(5000, &array) : measurement->Fetch(&array),
              c.status);
    if (c.status == S_OK) {
      EXPECT_THAT(Readings(array), ElementsAre(1.5e6, 2.5e6));
    }
    EXPECT_THAT(d.script.sent, ElementsAre(Sent{c.command, c.inForce}));
    EXPECT_EQ(d.script.timeout, c.sessionTimeout);
  }
}

TEST_F(ScriptedMeasurement, AfterAVoltageConfigureReadAndFetchQueryTheVoltage) {
  Open("QX1200");
  auto* voltage = COUNTER_ITF(Voltage);
  const std::pair<TevraVoltageFunctionEnum, const char*> cases[] = {
      {TevraVoltageFunctionDC, "INP2:COUP DC; LEV:MAX?"},
      {TevraVoltageFunctionMaximum, "INP2:LEV:MAX?"},
      {TevraVoltageFunctionMinimum, "INP2:LEV:MIN?"},
      {TevraVoltageFunctionPeakToPeak, "INP2:LEV:PTP?"},
  };
  for (const auto& [function, fetch] : cases) {
    SCOPED_TRACE(fetch);
    ASSERT_EQ(voltage->Configure(2, function), S_OK) << TakeErrorDescription();
    const std::string read = std::string("ABOR; ") + fetch;
    d.script.sent.clear();
    d.script.Expect(read, "+1.25E+00");
    d.script.Expect(fetch, "", kIoFailure);
    SAFEARRAY* array = nullptr;
    EXPECT_EQ(measurement->Read(5000, &array), S_OK);
    EXPECT_THAT(Readings(array), ElementsAre(1.25));
    EXPECT_EQ(measurement->Fetch(&array), kIoFailure);
    EXPECT_EQ(array, nullptr);
    // Read takes the caller's limit for this one query; Fetch the session timeout.
    EXPECT_THAT(d.script.sent, ElementsAre(Sent{read, 5000}, Sent{fetch, 2000}));
  }
}

TEST_F(ScriptedMeasurement, WaitForOperationCompleteSuspendsTheStatusCheck) {
  // With status checking, "*CLS" first and "*ESR?" after every exchange.
  d.script.Expect("*CLS");
  d.script.Expect("*ESR?", "0");
  d.script.Expect("*IDN?", "Orvane Technologies,QX1200,SN1,2.0.1");
  d.script.Expect("*ESR?", "0");
  d.script.Expect("*OPT?", "431");
  d.script.Expect("*ESR?", "0");
  ASSERT_EQ(d.handle.Initialize("TCPIP::h::5025::SOCKET", "QueryInstrStatus=true", true), S_OK);
  d.script.sent.clear();
  auto* system = COUNTER_ITF(System);
  d.script.Expect("*OPC?", "1");
  d.script.Expect("*OPC?", "+1");
  d.script.Expect("*OPC?", "", kIoTimeout);
  EXPECT_EQ(system->WaitForOperationComplete(10), S_OK);
  EXPECT_EQ(system->WaitForOperationComplete(3000), S_OK);
  EXPECT_EQ(system->WaitForOperationComplete(10), kIoTimeout);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: I/O timeout error: WaitForOperationComplete.");
  // No "*ESR?" in between, and the check is on again afterwards.
  EXPECT_THAT(d.script.sent,
              ElementsAre(Sent{"*OPC?", 100}, Sent{"*OPC?", 3000}, Sent{"*OPC?", 100}));
  EXPECT_EQ(d.script.timeout, 2000);
  VARIANT_BOOL checking = 0;
  EXPECT_EQ(d.handle.operation->get_QueryInstrumentStatus(&checking), S_OK);
  EXPECT_EQ(checking, VARIANT_TRUE);
}

TEST_F(ScriptedMeasurement, AFailedFormatCommandStopsTheBinaryRead) {
  Open("QX1300");
  d.script.Expect("FORM REAL,64", "", kIoFailure);
  SAFEARRAY* array = nullptr;
  EXPECT_EQ(measurement->DestructiveReadUpToCount(5, &array), kIoFailure);
  EXPECT_EQ(array, nullptr);
}

// The count control of a continuous totalize, and the class-compliant interface forwarding to it.
TEST_F(ScriptedMeasurement, ContinuousTotalizeStartStopAndReadCount) {
  Open("QX1300");
  auto* totalize = d.Get<ITevraTotalizeContinuous2>(IID_ITevraTotalizeContinuous2);
  auto* classTotalize = d.Get<IIviCounterTotalizeContinuous>(IID_IIviCounterTotalizeContinuous);
  for (const char* command : {"INIT", "TOT:DATA?", "ABOR", "INIT", "ABOR"})
    d.script.Expect(command, "+1.234500000000000E+04");
  double count = 0;
  EXPECT_EQ(totalize->Start(), S_OK);
  EXPECT_EQ(totalize->ReadCount(&count), S_OK);
  EXPECT_EQ(count, 12345.0);
  EXPECT_EQ(totalize->Stop(), S_OK);
  EXPECT_EQ(classTotalize->Start(), S_OK);
  EXPECT_EQ(classTotalize->Stop(), S_OK);
}

}  // namespace
}  // namespace tevra::testing
