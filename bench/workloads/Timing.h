// Timing for the workloads: wall time from the steady clock and the process's CPU time, each
// figure taken as the median of the repeats, the driver's job and its floor run in turn within
// each repeat so that both see the same machine.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tevra::workloads {

struct Sample {
  double wall = 0;  // seconds
  double cpu = 0;   // seconds of CPU time of the whole process (the fakes run in it too)
};

// A job runs its batch once and returns an empty string, or why it failed.
using Job = std::function<std::string()>;

// Runs every job once per repeat, in order, and gives each job's median wall and CPU time;
// failure names the first job that failed (then the samples are not to be used).
std::vector<Sample> MeasureBeside(int repeats, const std::vector<Job>& jobs, std::string& failure);

}  // namespace tevra::workloads

namespace tevra::workloads {

// Runs body(0) .. body(threads - 1) on as many threads, released together; the first failure.
std::string RunThreads(int threads, const std::function<std::string(int)>& body);

}  // namespace tevra::workloads
