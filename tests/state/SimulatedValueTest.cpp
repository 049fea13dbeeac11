// Simulated settings: defaults before a put, the put value after it, per-node stores, string
// copies, and every event that empties the stores.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "platform/Bstr.h"
#include "state/SimulatedValue.h"
#include "support/TestDriver.h"

namespace tevra::testing {
namespace {

using state::GetSimulated;
using state::PutSimulated;

class SimulatedStore : public ::testing::Test {
 protected:
  SimulatedStore() : channel1(&driver), channel2(&driver) {
    EXPECT_EQ(driver.Init("Simulate=true"), S_OK);
    driver.AddChild("TevraChannel", &channel1);
    driver.AddChild("TevraChannel", &channel2);
  }
  ~SimulatedStore() override { driver.ClearChildren(); }

  template <class T>
  T Get(core::CNode& node, std::string_view key) {
    T value{};
    EXPECT_EQ(GetSimulated(node, key, value), S_OK);
    return value;
  }
  std::string GetText(core::CNode& node, std::string_view key) {
    platform::Bstr value;
    EXPECT_EQ(GetSimulated(node, key, *value.out()), S_OK);
    return value.utf8();
  }

  TestDriver driver;
  core::CNode channel1;
  core::CNode channel2;
};

TEST_F(SimulatedStore, GetterAnswersTheDefaultUntilTheSetterRuns) {
  EXPECT_EQ(Get<std::int32_t>(driver, "ITevraDisplay.DigitCount"), 15);
  EXPECT_EQ(Get<double>(driver, "ITevraCalibration.Value"), 2.5);
  EXPECT_EQ(Get<VARIANT_BOOL>(driver, "ITevraSystem.BeeperEnabled"), VARIANT_TRUE);
  EXPECT_EQ(GetText(driver, "ITevraDisplay.Text"), "\"Hello\"");
  EXPECT_EQ(Get<double>(driver, "ITevraNoSuch.Setting"), 0.0);  // no row: zero

  ASSERT_EQ(PutSimulated(driver, "ITevraDisplay.DigitCount", std::int32_t{7}), S_OK);
  ASSERT_EQ(PutSimulated(driver, "ITevraSystem.BeeperEnabled", VARIANT_FALSE), S_OK);
  EXPECT_EQ(Get<std::int32_t>(driver, "ITevraDisplay.DigitCount"), 7);
  EXPECT_EQ(Get<VARIANT_BOOL>(driver, "ITevraSystem.BeeperEnabled"), VARIANT_FALSE);
  // No range check in simulation: the value is kept as given.
  ASSERT_EQ(PutSimulated(driver, "ITevraDisplay.DigitCount", std::int32_t{-999}), S_OK);
  EXPECT_EQ(Get<std::int32_t>(driver, "ITevraDisplay.DigitCount"), -999);
}

TEST_F(SimulatedStore, EachChannelKeepsItsOwnValues) {
  ASSERT_EQ(PutSimulated(channel1, "ITevraChannel.Coupling", std::int32_t{0}), S_OK);
  EXPECT_EQ(Get<std::int32_t>(channel1, "ITevraChannel.Coupling"), 0);
  EXPECT_EQ(Get<std::int32_t>(channel2, "ITevraChannel.Coupling"), 1);
  EXPECT_EQ(Get<std::int32_t>(driver, "ITevraChannel.Coupling"), 1);
}

TEST_F(SimulatedStore, StringsAreCopiedInAndOut) {
  platform::Bstr unit("kPa");
  ASSERT_EQ(PutSimulated(driver, "ITevraMathScaling.Unit", unit.get()), S_OK);
  unit = platform::Bstr("changed by the caller");
  BSTR first = nullptr;
  ASSERT_EQ(GetSimulated(driver, "ITevraMathScaling.Unit", first), S_OK);
  SysFreeString(first);  // the caller's copy
  EXPECT_EQ(GetText(driver, "ITevraMathScaling.Unit"), "kPa");
  ASSERT_EQ(PutSimulated(driver, "ITevraMathScaling.Unit", platform::Bstr("bar").get()), S_OK);
  EXPECT_EQ(GetText(driver, "ITevraMathScaling.Unit"), "bar");
}

TEST_F(SimulatedStore, EventsThatReturnEveryNodeToItsDefaults) {
  struct Event {
    const char* name;
    std::function<HRESULT()> run;
  };
  const Event events[] = {
      {"Reset", [&] { return driver.UtilityInterface().Reset(); }},
      {"ResetWithDefaults", [&] { return driver.UtilityInterface().ResetWithDefaults(); }},
      {"InvalidateAllAttributes",
       [&] { return driver.OperationInterface().InvalidateAllAttributes(); }},
      {"put_Cache(false)", [&] { return driver.OperationInterface().put_Cache(VARIANT_FALSE); }},
  };
  for (const Event& e : events) {
    SCOPED_TRACE(e.name);
    ASSERT_EQ(driver.OperationInterface().put_Cache(VARIANT_TRUE), S_OK);
    ASSERT_EQ(PutSimulated(driver, "ITevraTrigger.Count", std::int32_t{9}), S_OK);
    ASSERT_EQ(PutSimulated(channel2, "ITevraChannel.Percentage1", std::int32_t{20}), S_OK);
    EXPECT_EQ(e.run(), S_OK);
    EXPECT_EQ(Get<std::int32_t>(driver, "ITevraTrigger.Count"), 1);
    EXPECT_EQ(Get<std::int32_t>(channel2, "ITevraChannel.Percentage1"), 50);
  }
  // Switching the cache on keeps what is stored.
  ASSERT_EQ(PutSimulated(driver, "ITevraTrigger.Count", std::int32_t{4}), S_OK);
  EXPECT_EQ(driver.OperationInterface().put_Cache(VARIANT_TRUE), S_OK);
  EXPECT_EQ(Get<std::int32_t>(driver, "ITevraTrigger.Count"), 4);
}

TEST_F(SimulatedStore, CloseEmptiesTheDriverStore) {
  ASSERT_EQ(PutSimulated(driver, "ITevraTrigger.Count", std::int32_t{9}), S_OK);
  driver.ClearChildren();
  ASSERT_EQ(driver.ApiClose(), S_OK);
  EXPECT_EQ(driver.Cache().Size(), 0u);
  ASSERT_EQ(driver.Init("Simulate=true"), S_OK);
  EXPECT_EQ(Get<std::int32_t>(driver, "ITevraTrigger.Count"), 1);
}

TEST_F(SimulatedStore, AKeyKeepsOneType) {
  ASSERT_EQ(PutSimulated(driver, "ITevraTrigger.Count", std::int32_t{9}), S_OK);
  EXPECT_EQ(PutSimulated(driver, "ITevraTrigger.Count", 9.0), E_UNEXPECTED);
}

TEST(SimulatedDefaults, KeysAreUniqueAndNamedInterfaceDotProperty) {
  std::set<std::string_view> keys;
  for (const state::SimulatedDefault& d : state::kSimulatedDefaults) {
    EXPECT_TRUE(keys.insert(d.key).second) << d.key;
    const auto dot = d.key.find('.');
    ASSERT_NE(dot, std::string_view::npos) << d.key;
    EXPECT_EQ(d.key.front(), 'I') << d.key;
    EXPECT_EQ(d.key.find('.', dot + 1), std::string_view::npos) << d.key;
    if (d.type == state::SettingType::Bool) {
      EXPECT_TRUE(d.number == 0 || d.number == -1) << d.key;
    }
  }
  EXPECT_EQ(keys.size(), 88u);
}

}  // namespace
}  // namespace tevra::testing
