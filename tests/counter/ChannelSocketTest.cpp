// The channel interfaces against the fake instrument: the bytes on the wire.
#include <gtest/gtest.h>

#include "io/VisaComSession.h"
#include "support/DriverHandle.h"
#include "support/FakeInstrument.h"

namespace tevra::testing {
namespace {

TEST(ChannelSocket, ChannelClassChannelAndCollectionBytes) {
  FakeInstrument fake;
  ASSERT_TRUE(fake.Start());
  fake.On("*IDN?").Reply("Orvane Technologies,QX1200,SN0042,2.0.1\n");
  fake.On("*OPT?").Reply("785\n");
  fake.On("INP2:IMP?").Reply("+5.00000000E+001\n");
  fake.On("INP2:RANG?").Reply("+5.00000000E+001\n");
  fake.On("INP2:PROB?").Reply("+10\n");
  DriverHandle handle(std::make_unique<io::CVisaComSession>());
  ASSERT_EQ(handle.Initialize(fake.ResourceName(), "", true), S_OK) << TakeErrorDescription();
  const std::size_t start = fake.Transcript().size();
  ITevraChannels* channels = nullptr;
  ASSERT_EQ(handle.driver->get_Channels(&channels), S_OK);
  platform::Bstr name("Channel2");
  ITevraChannel* channel = nullptr;
  ASSERT_EQ(channels->get_Item(name.get(), &channel), S_OK);
  IIviCounterChannel* classChannel = nullptr;
  ASSERT_EQ(channel->QueryInterface(IID_IIviCounterChannel, (void**)&classChannel), S_OK);

  TevraImpedanceEnum impedance{};
  EXPECT_EQ(channel->get_Impedance(&impedance), S_OK) << TakeErrorDescription();
  EXPECT_EQ(impedance, TevraImpedance50);
  double attenuation = 0;
  EXPECT_EQ(classChannel->get_Attenuation(&attenuation), S_OK) << TakeErrorDescription();
  EXPECT_EQ(attenuation, 1.0);
  EXPECT_EQ(channel->put_ProbeFactor(TevraProbeFactor10x), S_OK);
  EXPECT_EQ(classChannel->put_Hysteresis(0.5), S_OK);
  EXPECT_EQ(channels->Autoscale(), S_OK);

  const std::string expected =
      "INP2:IMP?\nINP2:RANG?\nINP2:PROB?\nINP2:RANG MAX\nINP2:PROB 10\nINP2:NREJ 1\nAUT\n";
  EXPECT_TRUE(fake.WaitForTranscript(start + expected.size(), Milliseconds(2000)));
  EXPECT_EQ(fake.Transcript().substr(start), expected);
  classChannel->Release();
  channel->Release();
  channels->Release();
}

}  // namespace
}  // namespace tevra::testing
