// The workload program at quick sizes: every workload runs through the driver and produces its
// figure and its floor, no reply on the shared session reaches the wrong thread, and the run
// exits 0. No figure is judged: a goal missed is the table's business, not the test's.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "Workload.h"

namespace tevra::workloads {
namespace {

TEST(Workloads, EveryRowHasFiguresAndTheSharedSessionNoWrongReply) {
  char program[] = "tevra_workloads", quick[] = "--quick", repeats[] = "--repeats", one[] = "1";
  char* argv[] = {program, quick, repeats, one};
  std::ostringstream table;
  std::vector<Row> rows;
  EXPECT_EQ(RunWorkloads(4, argv, table, &rows), 0) << table.str();

  ASSERT_EQ(rows.size(), 18u) << table.str();
  int sharedRows = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.workload);
    EXPECT_EQ(row.failure, "");
    EXPECT_TRUE(std::isfinite(row.driver) && row.driver > 0) << row.driver;
    EXPECT_TRUE(std::isfinite(row.floor) && row.floor > 0) << row.floor;
    EXPECT_NE(table.str().find("| " + row.workload + " | "), std::string::npos);
    if (row.goal == Goal::NoWrongReplies) {
      ++sharedRows;
      EXPECT_EQ(row.wrongReplies, 0);
    }
  }
  EXPECT_EQ(sharedRows, 1);
}

}  // namespace
}  // namespace tevra::workloads
