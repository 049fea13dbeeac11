// The channel collection: how many inputs each model has, finding channel objects by name, and
// channel objects that outlive their driver's session.
#include "CounterTestSupport.h"
#include "counter/ChannelProbe.h"

namespace tevra::testing {
namespace {

using counter::ChannelLayout;

TEST(ChannelProbe, InputsFromModelAndOptions) {
  struct Case {
    const char* model;
    const char* options;
    ChannelLayout expected;
  };
  const Case cases[] = {
      {"QX1100", "", {1, 0, false}},   {"QX1100", "762", {2, 2, false}},
      {"QX1200", "", {2, 0, false}},   {"QX1200", "785,431", {3, 3, false}},
      {"QX1300", "431", {2, 0, true}}, {"QX1300", "762,785,431", {3, 3, true}},
      {"QX9999", "", {2, 0, false}},  // outside the family: one more input
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.model) + " " + c.options);
    const ChannelLayout got = counter::InstrumentLayout(c.model, c.options);
    EXPECT_EQ(got.channelCount, c.expected.channelCount);
    EXPECT_EQ(got.microwaveChannel, c.expected.microwaveChannel);
    EXPECT_EQ(got.burstOptionInstalled, c.expected.burstOptionInstalled);
  }
  EXPECT_EQ(counter::SimulatedLayout("QX1100").channelCount, 2);
  EXPECT_EQ(counter::SimulatedLayout("QX1300").microwaveChannel, 3);
  EXPECT_TRUE(counter::SimulatedLayout("QX1300").burstOptionInstalled);
  EXPECT_FALSE(counter::SimulatedLayout("QX1200").burstOptionInstalled);
}

// Names, refusals and each channel's store are lines of the row walk's transcript; a name in
// another case or with blanks, and the class-compliant collection, find the same object.
TEST(ChannelCollection, NamesInAnyCaseAndTheClassCollectionFindTheSameObject) {
  CounterDriver d;
  d.Simulate("QX1300");
  ITevraChannel* first = d.Channel("channel1");
  for (const char* name : {" Channel1 ", "CHANNEL1"}) EXPECT_EQ(d.Channel(name), first) << name;
  IIviCounterChannel* viaClass = nullptr;
  platform::Bstr second("Channel2");
  ASSERT_EQ(d.Get<IIviCounterChannels>(IID_IIviCounterChannels)->get_Item(second.get(), &viaClass),
            S_OK);
  d.Keep(viaClass);
  ITevraChannel* specific = nullptr;
  ASSERT_EQ(viaClass->QueryInterface(IID_ITevraChannel, (void**)&specific), S_OK);
  EXPECT_EQ(d.Keep(specific), d.Channel("Channel2"));
}

TEST(ChannelLifetime, AChannelHeldByTheCallerOutlivesCloseAndTheDriver) {
  ITevraChannel* channel = nullptr;
  {
    DriverHandle handle;
    ASSERT_EQ(handle.Initialize("SIM", "Simulate=true"), S_OK);
    ITevraChannels* channels = nullptr;
    ASSERT_EQ(handle.driver->get_Channels(&channels), S_OK);
    platform::Bstr name("Channel1");
    ASSERT_EQ(channels->get_Item(name.get(), &channel), S_OK);
    channels->Release();
    EXPECT_EQ(handle.Close(), S_OK);
  }
  // The channel keeps its driver alive until it is released.
  IUnknown* unknown = nullptr;
  EXPECT_EQ(channel->QueryInterface(IID_IUnknown, (void**)&unknown), S_OK);
  unknown->Release();
  channel->Release();
}

}  // namespace
}  // namespace tevra::testing
