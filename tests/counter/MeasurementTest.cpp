// Readings in simulation, and on a scripted session: the timeouts slow reads run with, the
// voltage queries, the wait for "*OPC?" and the mode words each model accepts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <vector>

#include "platform/SafeArray.h"
#include "support/DriverHandle.h"
#include "support/ScriptedIoSession.h"

namespace tevra::testing {
namespace {

using ::testing::ElementsAre;
using Sent = ScriptedIoSession::Sent;

constexpr HRESULT kIoTimeout = static_cast<HRESULT>(0x80044215);
constexpr HRESULT kIoError = static_cast<HRESULT>(0x80044214);

template <class Itf>
Itf* Query(ITevra* driver, const IID& iid) {
  Itf* itf = nullptr;
  EXPECT_EQ(driver->QueryInterface(iid, reinterpret_cast<void**>(&itf)), S_OK);
  return itf;
}

// The doubles of a reading array, which it destroys; {-999} when it is no such array.
std::vector<double> Readings(SAFEARRAY* array) {
  const platform::SafeArrayPtr owned(array);
  constexpr VARTYPE kDoubles[] = {VT_R8};
  void* data = nullptr;
  std::size_t count = 0;
  if (!platform::ViewVector(array, kDoubles, data, count)) return {-999.0};
  return {static_cast<double*>(data), static_cast<double*>(data) + count};
}

TEST(SimulatedMeasurement, ReadingsAreZerosSizedByTheTriggerAndSampleCounts) {
  DriverHandle handle;
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true,DriverSetup=Model=QX1300"), S_OK);
  auto* measurement = Query<ITevraMeasurement>(handle.driver, IID_ITevraMeasurement);
  auto* classMeasurement = Query<IIviCounterMeasurement>(handle.driver, IID_IIviCounterMeasurement);
  auto* trigger = Query<ITevraTrigger>(handle.driver, IID_ITevraTrigger);
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
  EXPECT_EQ(classMeasurement->IsMeasurementComplete(&status), static_cast<HRESULT>(0x80047011));
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Does not support this class-compliant feature: method "
            "'Measurement_IsMeasurementComplete'.");
  double last = -1;
  BSTR unit = nullptr;
  EXPECT_EQ(measurement->QueryLast(&last, &unit), S_OK);
  EXPECT_EQ(unit, nullptr);
  TevraFrequencyMeasurementModeEnum mode = TevraFrequencyMeasurementModeContinuous;
  EXPECT_EQ(measurement->get_Mode(&mode), S_OK);
  EXPECT_EQ(mode, TevraFrequencyMeasurementModeAuto);
  auto* system = Query<ITevraSystem>(handle.driver, IID_ITevraSystem);
  EXPECT_EQ(system->WaitForOperationComplete(10), S_OK);
  for (IUnknown* itf :
       std::initializer_list<IUnknown*>{measurement, classMeasurement, trigger, system})
    itf->Release();
}

class ScriptedMeasurement : public ::testing::Test {
 protected:
  ScriptedMeasurement() : handle(std::make_unique<ScriptedIoSession>(script)) {}
  void Open(const std::string& model, bool statusChecking = false) {
    // With status checking, "*CLS" first and "*ESR?" after every exchange.
    const auto exchange = [&](const char* command, std::string reply) {
      if (statusChecking) script.Expect("*ESR?", "0");
      script.Expect(command, std::move(reply));
    };
    if (statusChecking) script.Expect("*CLS");
    exchange("*IDN?", "Orvane Technologies," + model + ",SN1,2.0.1");
    exchange("*OPT?", "431");
    if (statusChecking) script.Expect("*ESR?", "0");
    ASSERT_EQ(handle.Initialize("TCPIP::h::5025::SOCKET",
                                statusChecking ? "QueryInstrStatus=true" : "", true),
              S_OK);
    script.sent.clear();
    measurement = Query<ITevraMeasurement>(handle.driver, IID_ITevraMeasurement);
  }
  void TearDown() override {
    if (measurement) measurement->Release();
    EXPECT_THAT(script.unexpected, ElementsAre());
    EXPECT_TRUE(script.expected.empty()) << "never sent: " << script.expected.front().command;
  }

  ScriptedIoSession::Script script;
  DriverHandle handle;
  ITevraMeasurement* measurement = nullptr;
};

TEST_F(ScriptedMeasurement, TriggerSettingsWriteAndReadTheirCommands) {
  Open("QX1200");
  auto* trigger = Query<ITevraTrigger>(handle.driver, IID_ITevraTrigger);
  LONG number = 0;
  TevraSlopeEnum slope{};
  TevraTriggerSourceEnum source{};
  const std::tuple<const char*, const char*, std::function<HRESULT()>> cases[] = {
      {"TRIG:COUN 4", "", [&] { return trigger->put_Count(4); }},
      {"TRIG:DEL 2", "", [&] { return trigger->put_Delay(2); }},
      {"TRIG:SLOP POS", "", [&] { return trigger->put_Slope(TevraSlopePositive); }},
      {"TRIG:SOUR BUS", "", [&] { return trigger->put_Source(TevraTriggerSourceBus); }},
      {"SAMP:COUN 3", "", [&] { return trigger->put_SampleCount(3); }},
      {"*TRG", "", [&] { return trigger->SendSoftwareTrigger(); }},
      {"TRIG:COUN?", "+12", [&] { return trigger->get_Count(&number); }},
      {"TRIG:DEL?", "+5", [&] { return trigger->get_Delay(&number); }},
      {"TRIG:SLOP?", "NEG", [&] { return trigger->get_Slope(&slope); }},
      {"TRIG:SOUR?", "EXT", [&] { return trigger->get_Source(&source); }},
      {"SAMP:COUN?", "+250", [&] { return trigger->get_SampleCount(&number); }},
  };
  for (const auto& [command, reply, call] : cases) {
    script.Expect(command, reply);
    EXPECT_EQ(call(), S_OK) << command;
  }
  EXPECT_EQ(number, 250);
  EXPECT_EQ(slope, TevraSlopeNegative);
  EXPECT_EQ(source, TevraTriggerSourceExternal);
  trigger->Release();
}

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
    script.timeout = c.sessionTimeout;
    script.sent.clear();
    script.Expect(c.command, "+1.5E+06,+2.5E+06", c.status);
    SAFEARRAY* array = nullptr;
    EXPECT_EQ(c.command[1] == 'R' ? measurement->Read(5000, &array) : measurement->Fetch(&array),
              c.status);
    if (c.status == S_OK) {
      EXPECT_THAT(Readings(array), ElementsAre(1.5e6, 2.5e6));
    }
    EXPECT_THAT(script.sent, ElementsAre(Sent{c.command, c.inForce}));
    EXPECT_EQ(script.timeout, c.sessionTimeout);
  }
}

TEST_F(ScriptedMeasurement, AfterAVoltageConfigureReadAndFetchQueryTheVoltage) {
  Open("QX1200");
  auto* voltage = Query<ITevraVoltage>(handle.driver, IID_ITevraVoltage);
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
    script.sent.clear();
    script.Expect(read, "+1.25E+00");
    script.Expect(fetch, "", kIoError);
    SAFEARRAY* array = nullptr;
    EXPECT_EQ(measurement->Read(5000, &array), S_OK);
    EXPECT_THAT(Readings(array), ElementsAre(1.25));
    EXPECT_EQ(measurement->Fetch(&array), kIoError);
    EXPECT_EQ(array, nullptr);
    // Read takes the caller's limit for this one query; Fetch the session timeout.
    EXPECT_THAT(script.sent, ElementsAre(Sent{read, 5000}, Sent{fetch, 2000}));
  }
  voltage->Release();
}

TEST_F(ScriptedMeasurement, WaitForOperationCompleteSuspendsTheStatusCheck) {
  Open("QX1200", true);
  auto* system = Query<ITevraSystem>(handle.driver, IID_ITevraSystem);
  script.Expect("*OPC?", "1");
  script.Expect("*OPC?", "+1");
  script.Expect("*OPC?", "", kIoTimeout);
  EXPECT_EQ(system->WaitForOperationComplete(10), S_OK);
  EXPECT_EQ(system->WaitForOperationComplete(3000), S_OK);
  EXPECT_EQ(system->WaitForOperationComplete(10), kIoTimeout);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: I/O timeout error: WaitForOperationComplete.");
  // No "*ESR?" in between, and the check is on again afterwards.
  EXPECT_THAT(script.sent,
              ElementsAre(Sent{"*OPC?", 100}, Sent{"*OPC?", 3000}, Sent{"*OPC?", 100}));
  EXPECT_EQ(script.timeout, 2000);
  VARIANT_BOOL checking = 0;
  EXPECT_EQ(handle.operation->get_QueryInstrumentStatus(&checking), S_OK);
  EXPECT_EQ(checking, VARIANT_TRUE);
  system->Release();
}

TEST_F(ScriptedMeasurement, ContinuousModeOnlyOnTheQX1300) {
  const std::pair<const char*, TevraFrequencyMeasurementModeEnum> words[] = {
      {"FREQ:MODE AUTO", TevraFrequencyMeasurementModeAuto},
      {"FREQ:MODE REC", TevraFrequencyMeasurementModeReciprocal},
      {"FREQ:MODE CONT", TevraFrequencyMeasurementModeContinuous}};
  for (const char* model : {"QX1100", "QX1200", "QX1300"}) {
    SCOPED_TRACE(model);
    if (measurement) measurement->Release();
    Open(model);
    for (const auto& [command, mode] : words) {
      if (mode == TevraFrequencyMeasurementModeContinuous && model != std::string("QX1300")) {
        EXPECT_EQ(measurement->put_Mode(mode), static_cast<HRESULT>(0x80047010));
        EXPECT_EQ(TakeErrorDescription(),
                  "Tevra: Invalid value '2' for method 'Measurement_put_Mode', parameter 'val'.");
        continue;
      }
      script.Expect(command);
      EXPECT_EQ(measurement->put_Mode(mode), S_OK);
    }
    handle.Close();
  }
}

TEST_F(ScriptedMeasurement, AFailedFormatCommandStopsTheBinaryRead) {
  Open("QX1300");
  script.Expect("FORM REAL,64", "", kIoError);
  SAFEARRAY* array = nullptr;
  EXPECT_EQ(measurement->DestructiveReadUpToCount(5, &array), kIoError);
  EXPECT_EQ(array, nullptr);
}

}  // namespace
}  // namespace tevra::testing
