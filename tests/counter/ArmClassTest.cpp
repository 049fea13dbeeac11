// The class-compliant arm interfaces: external sources by name, arm types and slopes passed
// through, and the names refused before anything is sent.
#include <gtest/gtest.h>

#include "support/DriverHandle.h"
#include "support/ScriptedIoSession.h"

namespace tevra::testing {
namespace {

constexpr HRESULT kInvalidValue = static_cast<HRESULT>(0x80047010);

class ArmClass : public ::testing::Test {
 protected:
  ArmClass() : handle(std::make_unique<ScriptedIoSession>(script)) {}
  void SetUp() override {
    script.Expect("*IDN?", "Orvane Technologies,QX1300,SN1,2.0");
    script.Expect("*OPT?", "");
    ASSERT_EQ(handle.Initialize("TCPIP::h::5025::SOCKET", "", true), S_OK);
    script.sent.clear();
    ASSERT_EQ(handle.driver->QueryInterface(IID_IIviCounterArmStart, (void**)&start), S_OK);
    ASSERT_EQ(handle.driver->QueryInterface(IID_IIviCounterArmStop, (void**)&stop), S_OK);
    ASSERT_EQ(start->get_External(&startExt), S_OK);
    ASSERT_EQ(stop->get_External(&stopExt), S_OK);
  }
  void TearDown() override {
    EXPECT_TRUE(script.unexpected.empty()) << "first unexpected: " << script.unexpected.front();
    EXPECT_TRUE(script.expected.empty()) << "never sent: " << script.expected.front().command;
    for (IUnknown* itf : std::initializer_list<IUnknown*>{start, stop, startExt, stopExt})
      if (itf) itf->Release();
  }

  ScriptedIoSession::Script script;
  DriverHandle handle;
  IIviCounterArmStart* start = nullptr;
  IIviCounterArmStop* stop = nullptr;
  IIviCounterArmStartExternal* startExt = nullptr;
  IIviCounterArmStopExternal* stopExt = nullptr;
};

TEST_F(ArmClass, ExternalSourcesAreNamed) {
  struct Case {
    const char* word;
    const char* name;
  };
  for (const Case& c : {Case{"INP", "Channel1"}, Case{"INP2", "Channel2"}, Case{"BNC", "BNC"}}) {
    SCOPED_TRACE(c.word);
    script.Expect("GATE:EXT:SOUR?", c.word);
    EXPECT_EQ(GetText([&](BSTR* v) { return startExt->get_Source(v); }), c.name);
    script.Expect("GATE:EXT:SOUR?", c.word);
    EXPECT_EQ(GetText([&](BSTR* v) { return stopExt->get_Source(v); }), c.name);
  }
  struct Put {
    const char* name;
    const char* command;
  };
  for (const Put& p : {Put{"CHANNEL1", "GATE:EXT:SOUR INP"}, Put{"channel2", "GATE:EXT:SOUR INP2"},
                       Put{"Bnc", "GATE:EXT:SOUR BNC"}}) {
    SCOPED_TRACE(p.name);
    script.Expect(p.command);
    platform::Bstr name(p.name);
    EXPECT_EQ(startExt->put_Source(name.get()), S_OK) << TakeErrorDescription();
  }
}

TEST_F(ArmClass, UnknownSourceNamesAreRefusedBeforeAnyIo) {
  platform::Bstr padded(" Channel2 ");
  EXPECT_EQ(startExt->put_Source(padded.get()), kInvalidValue);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Invalid value ' Channel2 ' for method "
            "'ArmStartExternal_Source', parameter 'val'.");
  platform::Bstr rear("Rear");
  EXPECT_EQ(stopExt->put_Source(rear.get()), kInvalidValue);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Invalid value 'Rear' for method "
            "'ArmStopExternal_put_Source', parameter 'val'.");
  EXPECT_EQ(startExt->Configure(rear.get(), 0.1, IviCounterSlopePositive, 0), kInvalidValue);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Invalid value 'Rear' for method "
            "'ArmStartExternal_Source', parameter 'Source'.");
  EXPECT_EQ(stopExt->Configure(rear.get(), 0.1, IviCounterSlopePositive, 0), kInvalidValue);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Invalid value 'Rear' for method "
            "'ArmStopExternal_Source', parameter 'Source'.");
  EXPECT_TRUE(script.sent.empty());
}

TEST_F(ArmClass, ConfigureTrimsTheSourceName) {
  script.Expect("GATE:EXT:SOUR INP2");
  script.Expect("GATE:EXT:SOUR?", "INP2");
  script.Expect("INP2:LEV 0.200000 ");
  script.Expect("GATE:STOP:SLOP NEG");
  script.Expect("GATE:STOP:HOLD:TIME 0.001");
  platform::Bstr padded(" Channel2 ");
  EXPECT_EQ(stopExt->Configure(padded.get(), 0.2, IviCounterSlopeNegative, 0.001), S_OK)
      << TakeErrorDescription();
}

TEST_F(ArmClass, TypesSlopesAndTimesPassThrough) {
  script.Expect("GATE:STAR:SOUR?", "EXT");
  IviCounterArmTypeEnum type{};
  EXPECT_EQ(start->get_Type(&type), S_OK);
  EXPECT_EQ(type, IviCounterArmTypeExternal);
  script.Expect("GATE:STOP:SOUR IMM");
  EXPECT_EQ(stop->put_Type(IviCounterArmTypeImmediate), S_OK);
  script.Expect("GATE:STAR:SLOP?", "NEG");
  IviCounterSlopeEnum slope{};
  EXPECT_EQ(startExt->get_Slope(&slope), S_OK);
  EXPECT_EQ(slope, IviCounterSlopeNegative);
  script.Expect("GATE:STOP:SLOP POS");
  EXPECT_EQ(stopExt->put_Slope(IviCounterSlopePositive), S_OK);
  script.Expect("GATE:EXT:SOUR?", "INP");
  script.Expect("INP:LEV?", "+1.0E-01");
  double level = 0;
  EXPECT_EQ(startExt->get_Level(&level), S_OK);
  EXPECT_EQ(level, 0.1);
}

}  // namespace
}  // namespace tevra::testing
