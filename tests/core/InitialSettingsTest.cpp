// Typed lookups of configurable initial settings: names without case, values converted or not
// found.
#include <gtest/gtest.h>

#include <cmath>

#include "core/InitialSettings.h"

namespace tevra::core {
namespace {

TEST(InitialSettings, LookupsIgnoreCaseAndConvert) {
  InitialSettings s;
  s.Set("Gate.Time", 0.25);
  s.Set("Count", std::int32_t{7});
  s.Set("Fast", true);
  s.Set("Label", std::string("probe"));
  s.Set("Ratio", std::string(" 2.5 "));
  s.Set("Flag", std::string("VI_TRUE"));

  EXPECT_EQ(s.FindDouble("gate.time"), 0.25);
  EXPECT_EQ(s.FindInt32("GATE.TIME"), 0);  // rounds to the nearest integer
  EXPECT_EQ(s.FindBool("count"), true);
  EXPECT_EQ(s.FindInt32("fast"), -1);
  EXPECT_EQ(s.FindDouble("ratio"), 2.5);
  EXPECT_EQ(s.FindBool("flag"), true);
  // Text that is not a number or a boolean word does not convert.
  EXPECT_EQ(s.FindDouble("label"), std::nullopt);
  EXPECT_EQ(s.FindInt32("ratio"), std::nullopt);
  EXPECT_EQ(s.FindBool("label"), std::nullopt);
  // Reals out of range do not convert to integers.
  s.Set("big", 3e10);
  s.Set("nan", std::nan(""));
  EXPECT_EQ(s.FindInt32("big"), std::nullopt);
  EXPECT_EQ(s.FindInt32("nan"), std::nullopt);
  s.Clear();
  EXPECT_EQ(s.Find("count"), std::nullopt);
}

}  // namespace
}  // namespace tevra::core
