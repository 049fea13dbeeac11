// Start and stop arming: every setting's command and reply, the external level that follows the
// external source, the configure sequences, the QX1100's refusals and the simulated memory.
#include <gtest/gtest.h>

#include <functional>

#include "support/DriverHandle.h"
#include "support/ScriptedIoSession.h"

namespace tevra::testing {
namespace {

constexpr HRESULT kModelNotSupported = static_cast<HRESULT>(0x80044216);
constexpr HRESULT kIoError = static_cast<HRESULT>(0x80044214);

class ArmStartStop : public ::testing::Test {
 protected:
  ArmStartStop() : handle(std::make_unique<ScriptedIoSession>(script)) {}
  void TearDown() override {
    EXPECT_TRUE(script.unexpected.empty()) << "first unexpected: " << script.unexpected.front();
    EXPECT_TRUE(script.expected.empty()) << "never sent: " << script.expected.front().command;
    for (IUnknown* itf : held) itf->Release();
  }
  void Open(const char* model, bool simulate = false) {
    if (simulate) {
      ASSERT_EQ(handle.Initialize("SIM", std::string("Simulate=true,DriverSetup=Model=") + model),
                S_OK);
    } else {
      script.Expect("*IDN?", std::string("Orvane Technologies,") + model + ",SN1,2.0");
      script.Expect("*OPT?", "");
      ASSERT_EQ(handle.Initialize("TCPIP::h::5025::SOCKET", "", true), S_OK);
      script.sent.clear();
    }
    start = Query<ITevraArmStart>(IID_ITevraArmStart);
    startExt = Query<ITevraArmStartExternal>(IID_ITevraArmStartExternal);
    stop = Query<ITevraArmStop>(IID_ITevraArmStop);
    stopExt = Query<ITevraArmStopExternal>(IID_ITevraArmStopExternal);
  }
  template <class Itf>
  Itf* Query(REFIID riid) {
    Itf* itf = nullptr;
    EXPECT_EQ(handle.driver->QueryInterface(riid, (void**)&itf), S_OK);
    held.push_back(itf);
    return itf;
  }

  ScriptedIoSession::Script script;
  DriverHandle handle;
  std::vector<IUnknown*> held;
  ITevraArmStart* start = nullptr;
  ITevraArmStartExternal* startExt = nullptr;
  ITevraArmStop* stop = nullptr;
  ITevraArmStopExternal* stopExt = nullptr;
};

template <class Itf, class T>
std::function<HRESULT(double&)> Get(Itf* itf, HRESULT (Itf::*getter)(T*)) {
  return [itf, getter](double& out) {
    T value{};
    const HRESULT hr = (itf->*getter)(&value);
    out = static_cast<double>(value);
    return hr;
  };
}

TEST_F(ArmStartStop, EveryGetQueriesItsCommand) {
  Open("QX1300");
  using A = ITevraArmStartExternal;
  using O = ITevraArmStopExternal;
  struct Row {
    const char* command;
    const char* reply;
    std::function<HRESULT(double&)> get;
    double expected;
  };
  const Row rows[] = {
      {"GATE:STAR:SOUR?", "EXT", Get(start, &ITevraArmStart::get_Type), TevraArmTypeExternal},
      {"GATE:STOP:SOUR?", "IMM", Get(stop, &ITevraArmStop::get_Type), TevraArmTypeImmediate},
      {"GATE:EXT:SOUR?", "INP2", Get(startExt, &A::get_Source), TevraExternalSourceChannel2},
      {"GATE:EXT:SOUR?", "BNC", Get(stopExt, &O::get_Source), TevraExternalSourceBNC},
      {"GATE:STAR:SLOP?", "NEG", Get(startExt, &A::get_Slope), TevraSlopeNegative},
      {"GATE:STOP:SLOP?", "POS", Get(stopExt, &O::get_Slope), TevraSlopePositive},
      {"GATE:STAR:DEL:TIME?", "+1.0E-03", Get(startExt, &A::get_DelayTime), 1e-3},
      {"GATE:STOP:HOLD:TIME?", "+2.0E-03", Get(stopExt, &O::get_HoldOffTime), 2e-3},
      {"GATE:STAR:DEL:SOUR?", "EVEN", Get(startExt, &A::get_DelaySource),
       TevraDelayHoldOffSourceEvents},
      {"GATE:STOP:HOLD:SOUR?", "TIME", Get(stopExt, &O::get_HoldOffSource),
       TevraDelayHoldOffSourceTime},
      {"GATE:STAR:DEL:EVEN?", "+12", Get(startExt, &A::get_DelayEvents), 12},
      {"GATE:STOP:HOLD:EVEN?", "+34", Get(stopExt, &O::get_HoldOffEvents), 34},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command + std::string(" -> ") + row.reply);
    script.Expect(row.command, row.reply);
    double got = -99;
    EXPECT_EQ(row.get(got), S_OK) << TakeErrorDescription();
    EXPECT_EQ(got, row.expected);
  }
}

TEST_F(ArmStartStop, EveryPutWritesItsCommand) {
  Open("QX1200");
  struct Row {
    const char* command;
    std::function<HRESULT()> put;
  };
  const Row rows[] = {
      {"GATE:STAR:SOUR EXT", [&] { return start->put_Type(TevraArmTypeExternal); }},
      {"GATE:STOP:SOUR IMM", [&] { return stop->put_Type(TevraArmTypeImmediate); }},
      {"GATE:EXT:SOUR INP", [&] { return startExt->put_Source(TevraExternalSourceChannel1); }},
      {"GATE:EXT:SOUR BNC", [&] { return stopExt->put_Source(TevraExternalSourceBNC); }},
      {"GATE:STAR:SLOP POS", [&] { return startExt->put_Slope(TevraSlopePositive); }},
      {"GATE:STOP:SLOP NEG", [&] { return stopExt->put_Slope(TevraSlopeNegative); }},
      {"GATE:STAR:DEL:TIME 0.000125", [&] { return startExt->put_DelayTime(0.000125); }},
      {"GATE:STOP:HOLD:TIME 1.5", [&] { return stopExt->put_HoldOffTime(1.5); }},
      {"GATE:STAR:DEL:SOUR TIME",
       [&] { return startExt->put_DelaySource(TevraDelayHoldOffSourceTime); }},
      {"GATE:STOP:HOLD:SOUR IMM",
       [&] { return stopExt->put_HoldOffSource(TevraDelayHoldOffSourceImmediate); }},
      {"GATE:STAR:DEL:EVEN 5", [&] { return startExt->put_DelayEvents(5); }},
      {"GATE:STOP:HOLD:EVEN 6", [&] { return stopExt->put_HoldOffEvents(6); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    script.Expect(row.command);
    EXPECT_EQ(row.put(), S_OK) << TakeErrorDescription();
  }
}

// The level is the trigger level of the channel serving as external source; channel 1 also
// serves the rear BNC.
TEST_F(ArmStartStop, TheExternalLevelFollowsTheExternalSource) {
  Open("QX1200");
  struct Case {
    const char* source;
    const char* put;
    const char* get;
  };
  for (const Case& c : {Case{"INP2", "INP2:LEV 0.500000 ", "INP2:LEV?"},
                        Case{"BNC", "INP:LEV 0.500000 ", "INP:LEV?"},
                        Case{"INP", "INP:LEV 0.500000 ", "INP:LEV?"}}) {
    SCOPED_TRACE(c.source);
    script.Expect("GATE:EXT:SOUR?", c.source);
    script.Expect(c.put);
    EXPECT_EQ(startExt->put_Voltage(0.5), S_OK) << TakeErrorDescription();
    script.Expect("GATE:EXT:SOUR?", c.source);
    script.Expect(c.get, "-2.5E-01");
    double level = 0;
    EXPECT_EQ(stopExt->get_Voltage(&level), S_OK) << TakeErrorDescription();
    EXPECT_EQ(level, -0.25);
  }
}

TEST_F(ArmStartStop, ConfigureRunsItsPutsInOrderAndStopsAtTheFirstFailure) {
  Open("QX1200");
  for (const char* command : {"GATE:EXT:SOUR INP2", "GATE:EXT:SOUR?"})
    script.Expect(command, "INP2");
  script.Expect("INP2:LEV 0.100000 ");
  script.Expect("GATE:STAR:SLOP NEG");
  script.Expect("GATE:STAR:DEL:TIME 0.002");
  EXPECT_EQ(startExt->Configure(TevraExternalSourceChannel2, 0.1, TevraSlopeNegative, 0.002), S_OK)
      << TakeErrorDescription();

  script.Expect("GATE:EXT:SOUR BNC", "", kIoError);
  EXPECT_EQ(stopExt->Configure(TevraExternalSourceBNC, 0.1, TevraSlopePositive, 0.5), kIoError);
  EXPECT_EQ(script.sent.back().command, "GATE:EXT:SOUR BNC");
}

TEST_F(ArmStartStop, TheQX1100RefusesEveryStartAndStopOperation) {
  Open("QX1100", true);
  ITevraArm* arm = Query<ITevraArm>(IID_ITevraArm);
  TevraArmTypeEnum type{};
  double d = 0;
  ITevraArmStart* startOut = nullptr;
  ITevraArmStopExternal* stopExtOut = nullptr;
  struct Row {
    const char* method;
    std::function<HRESULT()> call;
  };
  const Row rows[] = {
      {"get_Start", [&] { return arm->get_Start(&startOut); }},
      {"get_Type", [&] { return start->get_Type(&type); }},
      {"get_External", [&] { return stop->get_External(&stopExtOut); }},
      {"get_Voltage", [&] { return stopExt->get_Voltage(&d); }},
      {"Configure",
       [&] { return stopExt->Configure(TevraExternalSourceBNC, 0, TevraSlopePositive, 0); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.method);
    EXPECT_EQ(row.call(), kModelNotSupported);
    EXPECT_EQ(
        TakeErrorDescription(),
        std::string("Tevra: Instrument model does not support this feature: ") + row.method + ".");
  }
}

TEST_F(ArmStartStop, SimulatedSettingsRememberTheLastPut) {
  Open("QX1300", true);
  LONG events = 0;
  EXPECT_EQ(startExt->get_DelayEvents(&events), S_OK);
  EXPECT_EQ(events, 1);
  EXPECT_EQ(startExt->put_DelayEvents(5), S_OK);
  EXPECT_EQ(startExt->get_DelayEvents(&events), S_OK);
  EXPECT_EQ(events, 5);
  double startLevel = 0, stopLevel = 0;
  EXPECT_EQ(startExt->get_Voltage(&startLevel), S_OK);
  EXPECT_EQ(stopExt->get_Voltage(&stopLevel), S_OK);
  EXPECT_EQ(startLevel, 0.1);
  EXPECT_EQ(stopLevel, 0.5);
  EXPECT_EQ(stopExt->Configure(TevraExternalSourceChannel2, 0.3, TevraSlopePositive, 0.25), S_OK);
  TevraExternalSourceEnum source{};
  double holdOff = 0;
  EXPECT_EQ(stopExt->get_Source(&source), S_OK);
  EXPECT_EQ(stopExt->get_Voltage(&stopLevel), S_OK);
  EXPECT_EQ(stopExt->get_HoldOffTime(&holdOff), S_OK);
  EXPECT_EQ(source, TevraExternalSourceChannel2);
  EXPECT_EQ(stopLevel, 0.3);
  EXPECT_EQ(holdOff, 0.25);
  TevraArmTypeEnum type{};
  EXPECT_EQ(start->get_Type(&type), S_OK);
  EXPECT_EQ(type, TevraArmTypeImmediate);
}

}  // namespace
}  // namespace tevra::testing
