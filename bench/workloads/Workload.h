// The workloads of tevra_workloads: what a row of its table holds, how a run is sized, and the
// workload groups, each of which measures the driver's figure right beside its floor.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tevra::workloads {

struct Settings {
  bool quick = false;  // everything small: a run of seconds, for the test
  int repeats = 3;     // runs per figure; the table shows the median
};

// How a row's goal is judged.
enum class Goal {
  RatioAtMost,       // driver / floor <= target (times: lower is better)
  RatioAtLeast,      // driver / floor >= target (rates: higher is better)
  DifferenceAtMost,  // driver - floor <= target (ns a call)
  ValueAtLeast,      // driver >= target (a rate)
  NoWrongReplies,    // not one reply reached the wrong thread
  None,              // a figure to read, no goal
};

struct Row {
  Row(std::string name, std::string unitName, Goal kind, double goalTarget)
      : workload(std::move(name)), unit(std::move(unitName)), goal(kind), target(goalTarget) {}
  std::string workload;
  double driver = 0;  // the figure through the driver's public interface
  double floor = 0;   // the same work with nothing of the driver, measured beside it
  std::string unit;   // of both figures: "us", "ms", "ns", "calls/s", ...
  Goal goal = Goal::None;
  double target = 0;
  double cpuRatio = 0;     // CPU time a unit of work, driver / floor; 0 when not measured
  long wrongReplies = -1;  // counted by the shared-session workload only
  std::string failure;     // why the workload could not run; empty when it ran
};

// The figure beside the driver's in the ratio column: driver / floor, or driver - floor.
double Compared(const Row& row);
bool GoalMet(const Row& row);

// The workload groups; each appends its rows.
void RunRoundTrip(const Settings& settings, std::vector<Row>& rows);
void RunBulk(const Settings& settings, std::vector<Row>& rows);
void RunEntry(const Settings& settings, std::vector<Row>& rows);
void RunScale(const Settings& settings, std::vector<Row>& rows);
void RunSharedSession(const Settings& settings, std::vector<Row>& rows);
void RunTransports(const Settings& settings, std::vector<Row>& rows);

void PrintTable(const std::vector<Row>& rows, std::ostream& out);

// Parses the command line (--quick, --repeats N, --only GROUP), runs every group (or the one),
// prints the table; returns the exit code: 0, 1 when a workload failed, 2 for a bad command line.
int RunWorkloads(int argc, char** argv, std::ostream& out, std::vector<Row>* rowsOut = nullptr);

}  // namespace tevra::workloads
