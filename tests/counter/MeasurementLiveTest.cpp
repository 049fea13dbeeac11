// The measurement commands against the fake instrument: the bytes on the wire and the parsing
// of each reply shape (long ASCII lists, a value with its unit, a binary block of reals).
#include <cstring>

#include "CounterTestSupport.h"
#include "support/SampleReplies.h"

namespace tevra::testing {
namespace {

using ::testing::ElementsAre;

class LiveMeasurement : public ::testing::Test {
 protected:
  void SetUp() override {
    d.Open("QX1300", "431");
    measurement = COUNTER_ITF(Measurement);
  }

  SocketDriver d;
  ITevraMeasurement* measurement = nullptr;
};

TEST_F(LiveMeasurement, ReadingsArriveAsAsciiListsOrAsABinaryBlock) {
  std::vector<double> list;  // the values of MakeAsciiList
  for (int i = 0; i < 5000; ++i) list.push_back(1.0e7 + 0.001 * i);
  const std::vector<double> block = {1.5e6, -2.25, 0.0, 1e-9, 4.0e9};
  // The instrument sends its reals most significant byte first (FORM:BORD NORM).
  std::string blockBytes;
  for (double v : block) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, 8);
    for (int shift = 56; shift >= 0; shift -= 8) blockBytes += static_cast<char>(bits >> shift);
  }
  d.fake.On(":READ?").Reply(MakeAsciiList(5000));
  d.fake.On(":FETC?").Reply("+1.0E+06\n");
  d.fake.On("DATA:REM? 3").Reply("+1.0E+06,+2.0E+06,+3.0E+06\n");
  d.fake.On("R? 5").Reply("#240" + blockBytes + "\n");
  SAFEARRAY* array = nullptr;
  ASSERT_EQ(measurement->Read(1000, &array), S_OK) << TakeErrorDescription();
  EXPECT_EQ(Readings(array), list);
  ASSERT_EQ(measurement->Fetch(&array), S_OK);
  EXPECT_THAT(Readings(array), ElementsAre(1.0e6));
  ASSERT_EQ(measurement->DestructiveReadCounted(3, &array), S_OK);
  EXPECT_THAT(Readings(array), ElementsAre(1.0e6, 2.0e6, 3.0e6));
  ASSERT_EQ(measurement->DestructiveReadUpToCount(5, &array), S_OK) << TakeErrorDescription();
  EXPECT_EQ(Readings(array), block);
  d.ExpectWire(":READ?\n:FETC?\nDATA:REM? 3\nFORM REAL,64\nR? 5\n");
}

TEST_F(LiveMeasurement, QueryLastSplitsTheValueFromItsUnit) {
  const std::tuple<const char*, double, const char*> cases[] = {
      {"+1.00000000000000E+007 HZ\n", 1.0e7, "HZ"},
      {"-2.5E-09 S,+0\n", -2.5e-9, "S"},
      {"+42\n", 42.0, ""},
  };
  for (const auto& [reply, expected, expectedUnit] : cases) {
    d.fake.On("DATA:LAST?").Reply(reply).Times(1);
    double value = 0;
    BSTR unit = nullptr;
    ASSERT_EQ(measurement->QueryLast(&value, &unit), S_OK) << TakeErrorDescription();
    EXPECT_EQ(value, expected) << reply;
    EXPECT_EQ(platform::BstrToUtf8(unit), expectedUnit) << reply;
    SysFreeString(unit);
  }
  d.ExpectWire("DATA:LAST?\nDATA:LAST?\nDATA:LAST?\n");
}

// The row walk has the plain commands; these read replies or forward to the class interface.
TEST_F(LiveMeasurement, CountModeAndTheClassCompliantRead) {
  d.fake.On("DATA:POIN?").Reply("+42\n");
  d.fake.On("FREQ:MODE?").Reply("REC,+1\n");  // the word before the first comma counts
  d.fake.On(":READ?").Reply("+1.5E+06,+2.5E+06\n");
  auto* compliant = d.Get<IIviCounterMeasurement>(IID_IIviCounterMeasurement);
  LONG count = 0;
  EXPECT_EQ(measurement->ReadingCount(&count), S_OK);
  EXPECT_EQ(count, 42);
  TevraFrequencyMeasurementModeEnum mode{};
  EXPECT_EQ(measurement->get_Mode(&mode), S_OK);
  EXPECT_EQ(mode, TevraFrequencyMeasurementModeReciprocal);
  double value = 0;
  EXPECT_EQ(compliant->Initiate(), S_OK);
  EXPECT_EQ(compliant->Read(1000, &value), S_OK);
  EXPECT_EQ(value, 1.5e6);
  EXPECT_EQ(compliant->Abort(), S_OK);
  d.ExpectWire("DATA:POIN?\nFREQ:MODE?\nINIT\n:READ?\nABOR\n");
}

}  // namespace
}  // namespace tevra::testing
