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

// The properties' conversions are in the row walk; the configure methods convert the same way.
TEST_F(ClassChannel, ConfigureMethodsConvertToTheInstrumentsWords) {
  IIviCounterChannel& c = *channel;
  struct Row {
    std::vector<const char*> commands;
    std::function<HRESULT()> put;
  };
  const Row rows[] = {
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
  ExpectRefusals(
      d.script,
      {
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
      });
}

}  // namespace
}  // namespace tevra::testing
