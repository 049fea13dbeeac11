// An input channel's configure methods on a live session, beyond the row walk: the puts they
// stand for in order, and their refusal on the microwave input before anything is sent.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

// A live counter of the given model behind a scripted session; options decide the inputs.
class LiveChannel : public ScriptedCounter {
 protected:
  void Open(const char* model, const char* options, const char* name) {
    d.Open(model, options);
    channel = d.Channel(name);
  }
  ITevraChannel* channel = nullptr;
};

TEST_F(LiveChannel, ConfigureMethodsRunTheirPutsInOrder) {
  Open("QX1200", "785", "Channel1");
  for (const char* command :
       {"INP1:LEV 0.25", "INP1:NREJ 1", "INP1:IMP 50.0", "INP1:COUP DC", "INP1:RANG MAX"})
    d.script.Expect(command);
  EXPECT_EQ(channel->ConfigureLevel(0.25, VARIANT_TRUE), S_OK) << TakeErrorDescription();
  EXPECT_EQ(channel->Configure(TevraImpedance50, TevraCouplingDC, TevraAttenuationFactor10), S_OK)
      << TakeErrorDescription();
}

TEST_F(LiveChannel, TheMicrowaveChannelRefusesSettingsBeforeAnyIo) {
  Open("QX1300", "785,431", "Channel3");
  ITevraChannel& c = *channel;
  const std::function<HRESULT()> refused[] = {
      [&] { return c.ConfigureLevel(0.1, VARIANT_FALSE); },
      [&] { return c.Configure(TevraImpedance50, TevraCouplingAC, TevraAttenuationFactor1); },
  };
  for (const auto& call : refused) {
    EXPECT_EQ(call(), kInvalidInputChannel);
    EXPECT_EQ(TakeErrorDescription(), "Tevra: Invalid input channel3");
  }
  EXPECT_TRUE(d.script.sent.empty());
}

}  // namespace
}  // namespace tevra::testing
