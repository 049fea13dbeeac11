// The whole driver over the HiSLIP transport against the fake instrument's HiSLIP wire.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

struct HislipHolder {
  FakeInstrument fake{FakeInstrument::Options{.wire = FakeWire::Hislip}};
  io::CVisaComSession* session = nullptr;  // owned by the driver
};

class HislipDriver : public HislipHolder, public HeldDriver {
 public:
  HislipDriver() : HeldDriver(MakeSession(session)) {}

 private:
  static std::unique_ptr<io::CVisaComSession> MakeSession(io::CVisaComSession*& at) {
    auto made = std::make_unique<io::CVisaComSession>();
    at = made.get();
    return made;
  }
};

TEST(HislipDriver, TakesAFrequencyReading) {
  HislipDriver d;
  d.fake.On("*IDN?").Reply("Orvane Technologies,QX1300,SN0042,2.0.1\n");
  d.fake.On("*OPT?").Reply("431\n").Times(1);
  d.fake.OnPrefix("").Reply("+1.0000000012E+07\n");
  ASSERT_TRUE(d.fake.Start());
  ASSERT_EQ(d.handle.Initialize(d.fake.ResourceName(), "", true), S_OK) << TakeErrorDescription();
  SAFEARRAY* array = nullptr;
  ASSERT_EQ(COUNTER_ITF(Measurement)->Read(1000, &array), S_OK) << TakeErrorDescription();
  EXPECT_EQ(Readings(array), std::vector<double>{1.0000000012e7});
}

}  // namespace
}  // namespace tevra::testing
