// The measurement commands against the fake instrument: the bytes on the wire and the parsing
// of each reply shape (long ASCII lists, a value with its unit, a binary block of reals).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "io/VisaComSession.h"
#include "platform/SafeArray.h"
#include "support/DriverHandle.h"
#include "support/FakeInstrument.h"
#include "support/SampleReplies.h"

namespace tevra::testing {
namespace {

using ::testing::ElementsAre;

std::vector<double> Readings(SAFEARRAY* array) {
  const platform::SafeArrayPtr owned(array);
  constexpr VARTYPE kDoubles[] = {VT_R8};
  void* data = nullptr;
  std::size_t count = 0;
  if (!platform::ViewVector(array, kDoubles, data, count)) return {-999.0};
  return {static_cast<double*>(data), static_cast<double*>(data) + count};
}

class LiveMeasurement : public ::testing::Test {
 protected:
  LiveMeasurement() : handle(std::make_unique<io::CVisaComSession>()) {}
  void SetUp() override {
    fake.On("*IDN?").Reply("Orvane Technologies,QX1300,SN0042,2.0.1\n");
    fake.On("*OPT?").Reply("431\n");
    ASSERT_TRUE(fake.Start());
    ASSERT_EQ(handle.Initialize(fake.ResourceName(), "", true), S_OK) << TakeErrorDescription();
    ASSERT_EQ(handle.driver->QueryInterface(IID_ITevraMeasurement, (void**)&measurement), S_OK);
    start = fake.Transcript().size();
  }
  void TearDown() override { measurement->Release(); }
  void ExpectWire(std::string_view expected) {
    EXPECT_TRUE(fake.WaitForTranscript(start + expected.size(), Milliseconds(2000)));
    EXPECT_EQ(fake.Transcript().substr(start), expected);
  }

  FakeInstrument fake;
  DriverHandle handle;
  ITevraMeasurement* measurement = nullptr;
  std::size_t start = 0;
};

TEST_F(LiveMeasurement, ReadingsArriveAsAsciiListsOrAsABinaryBlock) {
  std::vector<double> list;  // the values of MakeAsciiList
  for (int i = 0; i < 5000; ++i) list.push_back(1.0e7 + 0.001 * i);
  const std::vector<double> block = {1.5e6, -2.25, 0.0, 1e-9, 4.0e9};
  // The block's reals go out as they lie in memory: the driver reads them unswapped.
  const std::string blockBytes(reinterpret_cast<const char*>(block.data()), 40);
  fake.On(":READ?").Reply(MakeAsciiList(5000));
  fake.On(":FETC?").Reply("+1.0E+06\n");
  fake.On("DATA:REM? 3").Reply("+1.0E+06,+2.0E+06,+3.0E+06\n");
  fake.On("R? 5").Reply("#240" + blockBytes + "\n");
  SAFEARRAY* array = nullptr;
  ASSERT_EQ(measurement->Read(1000, &array), S_OK) << TakeErrorDescription();
  EXPECT_EQ(Readings(array), list);
  ASSERT_EQ(measurement->Fetch(&array), S_OK);
  EXPECT_THAT(Readings(array), ElementsAre(1.0e6));
  ASSERT_EQ(measurement->DestructiveReadCounted(3, &array), S_OK);
  EXPECT_THAT(Readings(array), ElementsAre(1.0e6, 2.0e6, 3.0e6));
  ASSERT_EQ(measurement->DestructiveReadUpToCount(5, &array), S_OK) << TakeErrorDescription();
  EXPECT_EQ(Readings(array), block);
  ExpectWire(":READ?\n:FETC?\nDATA:REM? 3\nFORM REAL,64\nR? 5\n");
}

TEST_F(LiveMeasurement, QueryLastSplitsTheValueFromItsUnit) {
  const std::tuple<const char*, double, const char*> cases[] = {
      {"+1.00000000000000E+007 HZ\n", 1.0e7, "HZ"},
      {"-2.5E-09 S,+0\n", -2.5e-9, "S"},
      {"+42\n", 42.0, ""},
  };
  for (const auto& [reply, expected, expectedUnit] : cases) {
    fake.On("DATA:LAST?").Reply(reply).Times(1);
    double value = 0;
    BSTR unit = nullptr;
    ASSERT_EQ(measurement->QueryLast(&value, &unit), S_OK) << TakeErrorDescription();
    EXPECT_EQ(value, expected) << reply;
    EXPECT_EQ(platform::BstrToUtf8(unit), expectedUnit) << reply;
    SysFreeString(unit);
  }
  ExpectWire("DATA:LAST?\nDATA:LAST?\nDATA:LAST?\n");
}

TEST_F(LiveMeasurement, ControlCommandsOfEveryMeasurementInterface) {
  fake.On("DATA:POIN?").Reply("+42\n");
  fake.On("FREQ:MODE?").Reply("REC,+1\n");  // the word before the first comma counts
  fake.On("*OPC?").Reply("1\n");
  fake.On(":READ?").Reply("+1.5E+06,+2.5E+06\n");
  IIviCounterMeasurement* compliant = nullptr;
  ITevraSystem* system = nullptr;
  ITevraTrigger* trigger = nullptr;
  ASSERT_EQ(handle.driver->QueryInterface(IID_IIviCounterMeasurement, (void**)&compliant), S_OK);
  ASSERT_EQ(handle.driver->QueryInterface(IID_ITevraSystem, (void**)&system), S_OK);
  ASSERT_EQ(handle.driver->QueryInterface(IID_ITevraTrigger, (void**)&trigger), S_OK);
  EXPECT_EQ(measurement->Initiate(), S_OK);
  EXPECT_EQ(measurement->Abort(), S_OK);
  LONG count = 0;
  EXPECT_EQ(measurement->ReadingCount(&count), S_OK);
  EXPECT_EQ(count, 42);
  EXPECT_EQ(measurement->put_Mode(TevraFrequencyMeasurementModeContinuous), S_OK);
  TevraFrequencyMeasurementModeEnum mode{};
  EXPECT_EQ(measurement->get_Mode(&mode), S_OK);
  EXPECT_EQ(mode, TevraFrequencyMeasurementModeReciprocal);
  EXPECT_EQ(system->WaitForOperationComplete(1000), S_OK);
  EXPECT_EQ(trigger->put_SampleCount(2), S_OK);
  EXPECT_EQ(trigger->SendSoftwareTrigger(), S_OK);
  double value = 0;
  EXPECT_EQ(compliant->Initiate(), S_OK);
  EXPECT_EQ(compliant->Read(1000, &value), S_OK);
  EXPECT_EQ(value, 1.5e6);
  EXPECT_EQ(compliant->Abort(), S_OK);
  ExpectWire(
      "INIT\nABOR\nDATA:POIN?\nFREQ:MODE CONT\nFREQ:MODE?\n*OPC?\nSAMP:COUN 2\n*TRG\nINIT\n"
      ":READ?\nABOR\n");
  compliant->Release();
  system->Release();
  trigger->Release();
}

}  // namespace
}  // namespace tevra::testing
