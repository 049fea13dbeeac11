// The whole driver over the fake instrument's VXI-11 wire: Initialize on a TCPIP INSTR resource
// and a frequency measurement, with the exact commands the instrument received.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

struct Vxi11Holder {
  FakeInstrument fake{[] {
    FakeInstrument::Options options;
    options.wire = FakeWire::Vxi11;
    return options;
  }()};
};

class Vxi11Driver : public Vxi11Holder, public HeldDriver {
 public:
  Vxi11Driver() : HeldDriver(std::make_unique<io::CVisaComSession>()) {}
};

TEST(Vxi11Driver, InitializesAndMeasuresAFrequency) {
  Vxi11Driver d;
  d.fake.On("*IDN?").Reply("Orvane Technologies,QX1300,SN0042,2.0.1\n");
  d.fake.On("*OPT?").Reply("431\n");
  d.fake.On("MEAS:FREQ? 1000000, 0.5, (@1)").Reply("+1.000000123E+06\n");
  ASSERT_TRUE(d.fake.Start());
  ASSERT_EQ(d.fake.ResourceName(), "TCPIP::127.0.0.1::inst0::INSTR");
  ASSERT_EQ(d.handle.Initialize("TCPIP::127.0.0.1::INSTR", "", true), S_OK)
      << TakeErrorDescription();
  const std::size_t start = d.fake.Transcript().size();
  double frequency = 0;
  ASSERT_EQ(d.Get<ITevraFrequency>(IID_ITevraFrequency)->Measure(1e6, 0.5, 1, &frequency), S_OK)
      << TakeErrorDescription();
  EXPECT_EQ(frequency, 1.000000123e6);
  EXPECT_EQ(d.fake.Transcript().substr(start), "MEAS:FREQ? 1000000, 0.5, (@1)\n");
}

}  // namespace
}  // namespace tevra::testing
