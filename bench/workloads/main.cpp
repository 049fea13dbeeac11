// tevra_workloads: the driver's workloads through its public interfaces against fake
// instruments on loopback, each figure beside its floor; see Workload.h and bench/RESULTS.md.
//
//   tevra_workloads [--quick] [--repeats N] [--only roundtrip|bulk|entry|scale|shared]
#include <iostream>

#include "Workload.h"

int main(int argc, char** argv) { return tevra::workloads::RunWorkloads(argc, argv, std::cout); }
