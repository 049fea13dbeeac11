// The table tevra_workloads prints, as Markdown so that it pastes into bench/RESULTS.md.
#include <cmath>
#include <cstdio>
#include <string>

#include "Workload.h"

namespace tevra::workloads {
namespace {

std::string Number(double value) {
  char text[32];
  const double size = std::fabs(value);
  std::snprintf(text, sizeof text, size >= 1000 ? "%.0f" : size >= 10 ? "%.1f" : "%.2f", value);
  return text;
}

std::string GoalText(const Row& row) {
  switch (row.goal) {
    case Goal::RatioAtMost:
      return "<= " + Number(row.target) + "x";
    case Goal::RatioAtLeast:
      return ">= " + Number(row.target) + "x";
    case Goal::DifferenceAtMost:
      return "<= +" + Number(row.target) + " " + row.unit;
    case Goal::ValueAtLeast:
      return ">= " + Number(row.target) + " " + row.unit;
    case Goal::NoWrongReplies:
      return "0 wrong replies: " + std::to_string(row.wrongReplies);
    case Goal::None:
      break;
  }
  return "(the machine's floor)";
}

}  // namespace

double Compared(const Row& row) {
  if (row.goal == Goal::DifferenceAtMost) return row.driver - row.floor;
  return row.floor != 0 ? row.driver / row.floor : 0;
}

bool GoalMet(const Row& row) {
  switch (row.goal) {
    case Goal::RatioAtMost:
    case Goal::DifferenceAtMost:
      return Compared(row) <= row.target;
    case Goal::RatioAtLeast:
      return Compared(row) >= row.target;
    case Goal::ValueAtLeast:
      return row.driver >= row.target;
    case Goal::NoWrongReplies:
      return row.wrongReplies == 0;
    case Goal::None:
      break;
  }
  return true;
}

void PrintTable(const std::vector<Row>& rows, std::ostream& out) {
  out << "| workload | through the driver | floor measured beside it | ratio | goal | CPU ratio |\n"
      << "|---|---:|---:|---:|---|---:|\n";
  for (const Row& row : rows) {
    out << "| " << row.workload << " | ";
    if (!row.failure.empty()) {
      out << "FAILED: " << row.failure << " | | | " << GoalText(row) << " | |\n";
      continue;
    }
    const double compared = Compared(row);
    out << Number(row.driver) << ' ' << row.unit << " | " << Number(row.floor) << ' ' << row.unit
        << " | "
        << (row.goal == Goal::DifferenceAtMost ? "+" + Number(compared) + " " + row.unit
                                               : Number(compared) + "x")
        << " | " << GoalText(row)
        << (row.goal == Goal::None ? ""
            : GoalMet(row)         ? " ok"
                                   : " miss")
        << " | " << (row.cpuRatio > 0 ? Number(row.cpuRatio) + "x" : std::string()) << " |\n";
  }
}

}  // namespace tevra::workloads
