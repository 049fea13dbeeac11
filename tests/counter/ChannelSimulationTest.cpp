// Channels of a simulated counter: each channel keeps its own settings, unset settings answer
// their defaults, and the methods still check their channel.
#include <gtest/gtest.h>

#include "support/DriverHandle.h"

namespace tevra::testing {
namespace {

constexpr HRESULT kModelNotSupported = static_cast<HRESULT>(0x80044216);
constexpr HRESULT kInvalidInputChannel = static_cast<HRESULT>(0x80044218);

class SimulatedChannels : public ::testing::Test {
 protected:
  void Open(const char* model) {
    ASSERT_EQ(handle.Initialize("SIM", std::string("Simulate=true,DriverSetup=Model=") + model),
              S_OK);
    ASSERT_EQ(handle.driver->get_Channels(&channels), S_OK);
    LONG count = 0;
    channels->get_Count(&count);
    for (LONG i = 1; i <= count; ++i) {
      platform::Bstr name("Channel" + std::to_string(i));
      ITevraChannel* channel = nullptr;
      ASSERT_EQ(channels->get_Item(name.get(), &channel), S_OK);
      list.push_back(channel);
    }
  }
  ~SimulatedChannels() override {
    for (ITevraChannel* c : list) c->Release();
    if (channels) channels->Release();
  }

  DriverHandle handle;
  ITevraChannels* channels = nullptr;
  std::vector<ITevraChannel*> list;
};

// A put on channel 2 leaves channels 1 and 3 at their defaults; a reset restores channel 2's.
TEST_F(SimulatedChannels, EachChannelKeepsItsOwnSettings) {
  Open("QX1200");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[1]->put_Coupling(TevraCouplingDC), S_OK);
  EXPECT_EQ(list[1]->ConfigureLevel(0.75, VARIANT_TRUE), S_OK);
  EXPECT_EQ(list[1]->put_Slope2(TevraSlopePositive), S_OK);
  for (std::size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(i);
    TevraCouplingEnum coupling{};
    TevraSlopeEnum slope2{};
    double level = -1;
    VARIANT_BOOL noise = 0;
    EXPECT_EQ(list[i]->get_Coupling(&coupling), S_OK);
    EXPECT_EQ(list[i]->get_Slope2(&slope2), S_OK);
    EXPECT_EQ(list[i]->get_Voltage1(&level), S_OK);
    EXPECT_EQ(list[i]->get_NoiseRejectEnabled(&noise), S_OK);
    EXPECT_EQ(coupling, i == 1 ? TevraCouplingDC : TevraCouplingAC);
    EXPECT_EQ(slope2, i == 1 ? TevraSlopePositive : TevraSlopeNegative);
    EXPECT_EQ(level, i == 1 ? 0.75 : 0.0);
    EXPECT_EQ(noise, i == 1 ? VARIANT_TRUE : VARIANT_FALSE);
  }
  EXPECT_EQ(handle.utility->Reset(), S_OK);
  TevraCouplingEnum coupling{};
  EXPECT_EQ(list[1]->get_Coupling(&coupling), S_OK);
  EXPECT_EQ(coupling, TevraCouplingAC);

  TevraAutoLevelFrequencyEnum frequency = TevraAutoLevelFrequency10E3;
  EXPECT_EQ(channels->get_AutoLevelFrequency(&frequency), S_OK);
  EXPECT_EQ(frequency, TevraAutoLevelFrequency50);
  EXPECT_EQ(channels->put_AutoLevelFrequency(TevraAutoLevelFrequency10E3), S_OK);
  EXPECT_EQ(channels->get_AutoLevelFrequency(&frequency), S_OK);
  EXPECT_EQ(frequency, TevraAutoLevelFrequency10E3);
  EXPECT_EQ(channels->Autoscale(), S_OK);
}

// Properties answer from the store before the channel check; methods check their channel, and
// the model gate applies as on an instrument.
TEST_F(SimulatedChannels, MethodsStillCheckTheirChannelAndModel) {
  Open("QX1300");
  ITevraChannel& microwave = *list[2];
  TevraImpedanceEnum impedance{};
  EXPECT_EQ(microwave.get_Impedance(&impedance), S_OK);
  EXPECT_EQ(impedance, TevraImpedance50);
  EXPECT_EQ(microwave.ResetProtection(), kInvalidInputChannel);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: Invalid input channel3");
  EXPECT_EQ(microwave.Configure(TevraImpedance50, TevraCouplingAC, TevraAttenuationFactor1),
            kInvalidInputChannel);
  EXPECT_EQ(list[0]->ResetProtection(), S_OK);
  EXPECT_EQ(list[0]->AutoLevelOnce(), S_OK);

  DriverHandle qx1100;
  ASSERT_EQ(qx1100.Initialize("SIM", "Simulate=true,DriverSetup=Model=QX1100"), S_OK);
  ITevraChannels* channels1100 = nullptr;
  ASSERT_EQ(qx1100.driver->get_Channels(&channels1100), S_OK);
  platform::Bstr name("Channel1");
  ITevraChannel* channel = nullptr;
  ASSERT_EQ(channels1100->get_Item(name.get(), &channel), S_OK);
  EXPECT_EQ(channel->put_Voltage2(1.0), kModelNotSupported);
  channel->Release();
  channels1100->Release();
}

}  // namespace
}  // namespace tevra::testing
