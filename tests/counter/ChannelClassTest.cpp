// The class-compliant channel: its conversions to and from the instrument's settings, and the
// values it refuses before anything is sent.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

class ClassChannel : public ScriptedCounter {
 protected:
  void SetUp() override {
    d.Open("QX1200");
    auto* channels = d.Get<IIviCounterChannels>(IID_IIviCounterChannels);
    platform::Bstr name("Channel1");
    ASSERT_EQ(channels->get_Item(name.get(), &channel), S_OK);
  }
  void TearDown() override {
    ScriptedCounter::TearDown();
    if (channel) channel->Release();
  }

  IIviCounterChannel* channel = nullptr;
};

TEST_F(ClassChannel, GetsConvertTheInstrumentsValues) {
  using C = IIviCounterChannel;
  const auto G = [this](auto getter) { return NumberGetter(channel, getter); };
  struct Row {
    std::vector<std::pair<const char*, const char*>> exchanges;
    std::function<HRESULT(double&)> get;
    double expected;
  };
  const Row rows[] = {
      {{{"INP1:IMP?", "+5.00000000E+001"}}, G(&C::get_Impedance), 50.0},
      {{{"INP1:IMP?", "+1.00000000E+006"}}, G(&C::get_Impedance), 1e6},
      {{{"INP1:RANG?", "+5.00000000E+000"}}, G(&C::get_Attenuation), 1},
      {{{"INP1:RANG?", "+5.00000000E+001"}, {"INP1:PROB?", "+1"}}, G(&C::get_Attenuation), 10},
      {{{"INP1:LEV?", "+1.5E-01"}}, G(&C::get_Level), 0.15},
      {{{"INP1:NREJ?", "1"}}, G(&C::get_Hysteresis), 1.0},
      {{{"INP1:NREJ?", "0"}}, G(&C::get_Hysteresis), 0.0},
      {{{"INP1:COUP?", "DC"}}, G(&C::get_Coupling), IviCounterCouplingDC},
      {{{"INP1:SLOP?", "NEG"}}, G(&C::get_Slope), IviCounterSlopeNegative},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.exchanges.back().first + std::string(" ") + row.exchanges.back().second);
    for (auto [command, reply] : row.exchanges) d.script.Expect(command, reply);
    double got = -99;
    EXPECT_EQ(row.get(got), S_OK) << TakeErrorDescription();
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
    for (const char* command : row.commands) d.script.Expect(command);
    EXPECT_EQ(row.put(), S_OK) << TakeErrorDescription();
  }
}

TEST_F(ClassChannel, RefusesValuesOutsideItsSetsBeforeAnyIo) {
  IIviCounterChannel& c = *channel;
  double frequency = 0;
  ExpectRefusals(
      d.script,
      {
          {"Invalid value '75' for method 'Channel_put_Impedance', parameter 'Valid values: 50.0 "
           "or "
           "1.0E6'.",
           [&] { return c.put_Impedance(75.0); }},
          {"Invalid value '2' for method 'Channel_put_Attenuation', parameter 'Valid values: 1 or "
           "10'.",
           [&] { return c.put_Attenuation(2.0); }},
          {"Invalid value '600' for method 'IIviCounterChannel_Configure', parameter 'Impedance - "
           "Valid values: 50.0 or 1.0E6'.",
           [&] { return c.Configure(600.0, IviCounterCouplingAC, 1.0); }},
          {"Invalid value '100' for method 'IIviCounterChannel_Configure', parameter 'Attenuation "
           "- "
           "Valid values: 1 or 10'.",
           [&] { return c.Configure(50.0, IviCounterCouplingAC, 100.0); }},
          {"Does not support this class-compliant feature: method "
           "'IIviCounterChannel_ConfigureFilter'.",
           [&] { return c.ConfigureFilter(1.0, 2.0); }, kMethodNotSupported},
          {"Does not support this class-compliant feature: property "
           "'Channel_get_MinimumFrequency'.",
           [&] { return c.get_MinimumFrequency(&frequency); }, kPropertyNotSupported},
          {"Does not support this class-compliant feature: property "
           "'Channel_put_MinimumFrequency'.",
           [&] { return c.put_MinimumFrequency(1.0); }, kPropertyNotSupported},
          {"Does not support this class-compliant feature: property "
           "'Channel_get_MaximumFrequency'.",
           [&] { return c.get_MaximumFrequency(&frequency); }, kPropertyNotSupported},
          {"Does not support this class-compliant feature: property "
           "'Channel_put_MaximumFrequency'.",
           [&] { return c.put_MaximumFrequency(1.0); }, kPropertyNotSupported},
      });
}

}  // namespace
}  // namespace tevra::testing
