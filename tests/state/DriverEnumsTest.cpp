// The driver's enumeration formatter inside real calls: the words come from the running method,
// the family from the identified model. Each row's words, refusals and messages on every model
// are pinned by the counter's row walk.
#include <gtest/gtest.h>

#include "io/FormattedOutput.h"
#include "state/CommandWords.h"
#include "support/DriverHandle.h"
#include "support/TestDriver.h"

namespace tevra::testing {
namespace {

// Records as the rows make them, without templates: the entry formats nothing.
constexpr IID kTestIid = {0x5eed0001, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr core::MethodRecord Record(const char* method, std::span<const core::EnumWords> links) {
  return {&kTestIid,       "ITevraChannel", method,  core::kMethodNone,
          core::kNoModels, nullptr,         nullptr, links};
}
constexpr core::MethodRecord kPutCoupling = Record("put_Coupling", state::words::kCoupling);
constexpr core::MethodRecord kConfigure = Record("Configure", {});
constexpr core::MethodRecord kGetFilter = Record("get_FilterEnabled", state::words::kBooleanOnOff);

constexpr HRESULT kUnrecoverable = static_cast<HRESULT>(0x80047000);

class DriverEnums : public ::testing::Test {
 protected:
  DriverEnums() { EXPECT_EQ(driver.Init("Simulate=true"), S_OK); }
  TestDriver driver;
};

TEST_F(DriverEnums, TheRunningMethodChoosesTheWords) {
  std::int32_t value = 0;
  EXPECT_EQ(
      driver.Enter(kPutCoupling, [&] { return driver.Parse("Coupling", " \tDC\r\n", value); }),
      S_OK);
  EXPECT_EQ(value, 2);

  std::string command;
  auto format = [&] {
    return io::FormatToString(command, &driver, "INP1:COUP %{TevraCouplingEnum}s", std::int32_t{1});
  };
  EXPECT_EQ(driver.Enter(kPutCoupling, format), S_OK);
  EXPECT_EQ(command, "INP1:COUP AC");
  EXPECT_EQ(driver.Enter(kConfigure, format), kUnrecoverable);  // links no words
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Unrecoverable failure.\r\nUnrecognized enum name 'TevraCouplingEnum'.");

  // A boolean reply loses its terminator before the lookup, which keeps the blank of " ON".
  VARIANT_BOOL on = 5;
  EXPECT_EQ(driver.Enter(kGetFilter, [&] { return driver.ParseBooleanResponse(" ON\r\n", on); }),
            S_OK);
  EXPECT_EQ(on, VARIANT_TRUE);

  // The family is the identified model's until Close.
  EXPECT_EQ(driver.Family(), "DefaultFamily");
  EXPECT_EQ(driver.ApiClose(), S_OK);
  EXPECT_EQ(driver.Family(), "");
}

}  // namespace
}  // namespace tevra::testing
