// The channel collection: how many inputs each model has, finding channels by name, channel
// objects that outlive their driver's session, and simulated channels, each with its own
// settings and unset ones at their defaults, whose methods still check their channel.
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

class ChannelCollection : public ::testing::Test {
 protected:
  void Open(const char* model) {
    d.Simulate(model);
    channels = d.Channels();
    LONG count = 0;
    channels->get_Count(&count);
    for (LONG i = 1; i <= count; ++i) list.push_back(d.Channel("Channel" + std::to_string(i)));
  }
  // The channel of this name, which the caller releases; null when there is none.
  ITevraChannel* Item(const char* name) {
    ITevraChannel* channel = nullptr;
    platform::Bstr text(name);
    return SUCCEEDED(channels->get_Item(text.get(), &channel)) ? channel : nullptr;
  }

  CounterDriver d;
  ITevraChannels* channels = nullptr;
  std::vector<ITevraChannel*> list;  // held by d
};

TEST_F(ChannelCollection, FindsChannelsByNameOrIndex) {
  Open("QX1300");
  ITevraChannel* first = Item("channel1");
  ASSERT_NE(first, nullptr);
  for (const char* name : {" Channel1 ", "CHANNEL1"}) {
    ITevraChannel* again = Item(name);
    EXPECT_EQ(again, first) << name;
    if (again) again->Release();
  }
  first->Release();
  EXPECT_EQ(Item("Channel4"), nullptr);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: Unknown physical repeated capability selector.");
  EXPECT_EQ(GetText([&](BSTR* v) { return channels->get_Name(3, v); }), "Channel3");
  BSTR name = nullptr;
  for (LONG index : {0, 4}) {
    EXPECT_EQ(channels->get_Name(index, &name), kInvalidValue);
    EXPECT_EQ(TakeErrorDescription(), "Tevra: Invalid value '" + std::to_string(index) +
                                          "' for method 'get_Name', parameter 'Index'.");
  }
  // The class-compliant collection hands out the same channel objects.
  auto* classChannels = d.Get<IIviCounterChannels>(IID_IIviCounterChannels);
  IIviCounterChannel* viaClass = nullptr;
  platform::Bstr second("Channel2");
  ASSERT_EQ(classChannels->get_Item(second.get(), &viaClass), S_OK);
  d.Keep(viaClass);
  ITevraChannel* specific = nullptr;
  ASSERT_EQ(viaClass->QueryInterface(IID_ITevraChannel, (void**)&specific), S_OK);
  d.Keep(specific);
  EXPECT_EQ(specific, list[1]);
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

// Each channel's store is in the row walk; a configure method stores on its own channel, and a
// reset restores it.
TEST_F(ChannelCollection, AConfigureStoresOnItsChannelUntilAReset) {
  Open("QX1200");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[1]->ConfigureLevel(0.75, VARIANT_TRUE), S_OK);
  double level = -1;
  EXPECT_EQ(list[1]->get_Voltage1(&level), S_OK);
  EXPECT_EQ(level, 0.75);
  EXPECT_EQ(list[0]->get_Voltage1(&level), S_OK);
  EXPECT_EQ(level, 0.0);
  EXPECT_EQ(d.handle.utility->Reset(), S_OK);
  EXPECT_EQ(list[1]->get_Voltage1(&level), S_OK);
  EXPECT_EQ(level, 0.0);
  EXPECT_EQ(list[2]->Configure(TevraImpedance50, TevraCouplingAC, TevraAttenuationFactor1),
            kInvalidInputChannel);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: Invalid input channel3");
}

}  // namespace
}  // namespace tevra::testing
