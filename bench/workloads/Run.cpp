#include <cstdlib>
#include <cstring>
#include <string>

#include "Workload.h"

namespace tevra::workloads {

int RunWorkloads(int argc, char** argv, std::ostream& out, std::vector<Row>* rowsOut) {
  Settings settings;
  std::string only;  // group names joined by commas, for a profiler
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) {
      settings.quick = true;
    } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      only = argv[++i];
    } else if (std::strcmp(argv[i], "--repeats") == 0 && i + 1 < argc) {
      settings.repeats = std::atoi(argv[++i]);
    } else {
      out << "usage: " << argv[0] << " [--quick] [--repeats N] [--only GROUP[,GROUP...]]\n"
          << "groups: roundtrip bulk entry scale shared transports\n";
      return 2;
    }
  }
  if (settings.repeats < 1) {
    out << "--repeats takes a count of at least 1\n";
    return 2;
  }
  const struct {
    const char* name;
    void (*run)(const Settings&, std::vector<Row>&);
  } groups[] = {{"roundtrip", RunRoundTrip},  {"bulk", RunBulk},
                {"entry", RunEntry},          {"scale", RunScale},
                {"shared", RunSharedSession}, {"transports", RunTransports}};
  std::vector<Row> rows;
  for (const auto& group : groups) {
    if (only.empty() ||
        ("," + only + ",").find("," + std::string(group.name) + ",") != std::string::npos)
      group.run(settings, rows);
  }
  if (rows.empty()) {
    out << "no workload group among " << only << "\n";
    return 2;
  }
  out << "Median of " << settings.repeats << (settings.repeats == 1 ? " run" : " runs")
      << (settings.quick ? " (quick sizes)" : "")
      << "; CPU ratio: the process's CPU time a unit of work, driver over floor.\n\n";
  PrintTable(rows, out);
  bool failed = false;
  for (const Row& row : rows) failed = failed || !row.failure.empty();
  if (rowsOut) *rowsOut = rows;
  return failed ? 1 : 0;
}

}  // namespace tevra::workloads
