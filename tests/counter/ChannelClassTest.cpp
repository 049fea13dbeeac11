// The class-compliant channel: its conversions to and from the instrument's settings, and the
// values it refuses before anything is sent.
#include <gtest/gtest.h>

#include <functional>

#include "support/DriverHandle.h"
#include "support/ScriptedIoSession.h"

namespace tevra::testing {
namespace {

constexpr HRESULT kInvalidValue = static_cast<HRESULT>(0x80047010);
constexpr HRESULT kMethodNotSupported = static_cast<HRESULT>(0x80047011);
constexpr HRESULT kPropertyNotSupported = static_cast<HRESULT>(0x80047012);

class ClassChannel : public ::testing::Test {
 protected:
  ClassChannel() : handle(std::make_unique<ScriptedIoSession>(script)) {}
  void SetUp() override {
    script.Expect("*IDN?", "Orvane Technologies,QX1200,SN1,2.0");
    script.Expect("*OPT?", "");
    ASSERT_EQ(handle.Initialize("TCPIP::h::5025::SOCKET", "", true), S_OK);
    script.sent.clear();
    IIviCounterChannels* channels = nullptr;
    ASSERT_EQ(handle.driver->QueryInterface(IID_IIviCounterChannels, (void**)&channels), S_OK);
    platform::Bstr name("Channel1");
    ASSERT_EQ(channels->get_Item(name.get(), &channel), S_OK);
    channels->Release();
  }
  void TearDown() override {
    EXPECT_TRUE(script.unexpected.empty()) << "first unexpected: " << script.unexpected.front();
    EXPECT_TRUE(script.expected.empty()) << "never sent: " << script.expected.front().command;
    if (channel) channel->Release();
  }

  ScriptedIoSession::Script script;
  DriverHandle handle;
  IIviCounterChannel* channel = nullptr;
};

// A getter of any value type, seen as a number.
template <class T>
std::function<HRESULT(IIviCounterChannel&, double&)> Get(
    HRESULT (IIviCounterChannel::*getter)(T*)) {
  return [getter](IIviCounterChannel& c, double& out) {
    T value{};
    const HRESULT hr = (c.*getter)(&value);
    out = static_cast<double>(value);
    return hr;
  };
}

TEST_F(ClassChannel, GetsConvertTheInstrumentsValues) {
  using C = IIviCounterChannel;
  struct Row {
    std::vector<std::pair<const char*, const char*>> exchanges;
    std::function<HRESULT(C&, double&)> get;
    double expected;
  };
  const Row rows[] = {
      {{{"INP1:IMP?", "+5.00000000E+001"}}, Get(&C::get_Impedance), 50.0},
      {{{"INP1:IMP?", "+1.00000000E+006"}}, Get(&C::get_Impedance), 1e6},
      {{{"INP1:RANG?", "+5.00000000E+000"}}, Get(&C::get_Attenuation), 1},
      {{{"INP1:RANG?", "+5.00000000E+001"}, {"INP1:PROB?", "+1"}}, Get(&C::get_Attenuation), 10},
      {{{"INP1:LEV?", "+1.5E-01"}}, Get(&C::get_Level), 0.15},
      {{{"INP1:NREJ?", "1"}}, Get(&C::get_Hysteresis), 1.0},
      {{{"INP1:NREJ?", "0"}}, Get(&C::get_Hysteresis), 0.0},
      {{{"INP1:COUP?", "DC"}}, Get(&C::get_Coupling), IviCounterCouplingDC},
      {{{"INP1:SLOP?", "NEG"}}, Get(&C::get_Slope), IviCounterSlopeNegative},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.exchanges.back().first + std::string(" ") + row.exchanges.back().second);
    for (auto [command, reply] : row.exchanges) script.Expect(command, reply);
    double got = -99;
    EXPECT_EQ(row.get(*channel, got), S_OK) << TakeErrorDescription();
    EXPECT_EQ(got, row.expected);
  }
}

TEST_F(ClassChannel, PutsConvertToTheInstrumentsWords) {
  IIviCounterChannel& c = *channel;
  struct Row {
    std::vector<const char*> commands;
    std::function<HRESULT()> put;
  };
  const Row rows[] = {
      {{"INP1:IMP 1.0E6"}, [&] { return c.put_Impedance(1000000.0); }},
      {{"INP1:IMP 50.0"}, [&] { return c.put_Impedance(50.0); }},
      {{"INP1:RANG MIN"}, [&] { return c.put_Attenuation(1.0); }},
      {{"INP1:RANG MAX"}, [&] { return c.put_Attenuation(10.0); }},
      {{"INP1:NREJ 0"}, [&] { return c.put_Hysteresis(0.0); }},
      {{"INP1:NREJ 1"}, [&] { return c.put_Hysteresis(0.001); }},
      {{"INP1:SLOP POS"}, [&] { return c.put_Slope(IviCounterSlopePositive); }},
      {{"INP1:LEV 0.2", "INP1:NREJ 1"}, [&] { return c.ConfigureLevel(0.2, 0.01); }},
      {{"INP1:IMP 50.0", "INP1:COUP AC", "INP1:RANG MAX"},
       [&] { return c.Configure(50.0, IviCounterCouplingAC, 10.0); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.commands.front());
    for (const char* command : row.commands) script.Expect(command);
    EXPECT_EQ(row.put(), S_OK) << TakeErrorDescription();
  }
}

TEST_F(ClassChannel, RefusesValuesOutsideItsSetsBeforeAnyIo) {
  IIviCounterChannel& c = *channel;
  double d = 0;
  struct Row {
    HRESULT status;
    const char* message;
    std::function<HRESULT()> call;
  };
  const Row rows[] = {
      {kInvalidValue,
       "Invalid value '75' for method 'Channel_put_Impedance', parameter 'Valid values: 50.0 or "
       "1.0E6'.",
       [&] { return c.put_Impedance(75.0); }},
      {kInvalidValue,
       "Invalid value '2' for method 'Channel_put_Attenuation', parameter 'Valid values: 1 or 10'.",
       [&] { return c.put_Attenuation(2.0); }},
      {kInvalidValue,
       "Invalid value '600' for method 'IIviCounterChannel_Configure', parameter 'Impedance - "
       "Valid values: 50.0 or 1.0E6'.",
       [&] { return c.Configure(600.0, IviCounterCouplingAC, 1.0); }},
      {kInvalidValue,
       "Invalid value '100' for method 'IIviCounterChannel_Configure', parameter 'Attenuation - "
       "Valid values: 1 or 10'.",
       [&] { return c.Configure(50.0, IviCounterCouplingAC, 100.0); }},
      {kMethodNotSupported,
       "Does not support this class-compliant feature: method "
       "'IIviCounterChannel_ConfigureFilter'.",
       [&] { return c.ConfigureFilter(1.0, 2.0); }},
      {kPropertyNotSupported,
       "Does not support this class-compliant feature: property 'Channel_get_MinimumFrequency'.",
       [&] { return c.get_MinimumFrequency(&d); }},
      {kPropertyNotSupported,
       "Does not support this class-compliant feature: property 'Channel_put_MinimumFrequency'.",
       [&] { return c.put_MinimumFrequency(1.0); }},
      {kPropertyNotSupported,
       "Does not support this class-compliant feature: property 'Channel_get_MaximumFrequency'.",
       [&] { return c.get_MaximumFrequency(&d); }},
      {kPropertyNotSupported,
       "Does not support this class-compliant feature: property 'Channel_put_MaximumFrequency'.",
       [&] { return c.put_MaximumFrequency(1.0); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.message);
    EXPECT_EQ(row.call(), row.status);
    EXPECT_EQ(TakeErrorDescription(), std::string("Tevra: ") + row.message);
  }
  EXPECT_TRUE(script.sent.empty());
}

}  // namespace
}  // namespace tevra::testing
