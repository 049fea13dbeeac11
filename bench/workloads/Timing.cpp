#include "Timing.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <latch>
#include <thread>

namespace tevra::workloads {
namespace {

Sample Now() {
  timespec cpu{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
  const auto wall = std::chrono::steady_clock::now().time_since_epoch();
  return {std::chrono::duration<double>(wall).count(),
          static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) * 1e-9};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

std::vector<Sample> MeasureBeside(int repeats, const std::vector<Job>& jobs, std::string& failure) {
  std::vector<std::vector<double>> walls(jobs.size()), cpus(jobs.size());
  for (int repeat = 0; repeat < std::max(repeats, 1); ++repeat) {
    for (std::size_t j = 0; j < jobs.size(); ++j) {
      const Sample start = Now();
      failure = jobs[j]();
      const Sample end = Now();
      if (!failure.empty()) return std::vector<Sample>(jobs.size());
      walls[j].push_back(end.wall - start.wall);
      cpus[j].push_back(end.cpu - start.cpu);
    }
  }
  std::vector<Sample> medians;
  for (std::size_t j = 0; j < jobs.size(); ++j)
    medians.push_back({Median(walls[j]), Median(cpus[j])});
  return medians;
}

}  // namespace tevra::workloads

namespace tevra::workloads {

std::string RunThreads(int threads, const std::function<std::string(int)>& body) {
  std::vector<std::string> failures(static_cast<std::size_t>(threads));
  std::latch start(threads);
  std::vector<std::thread> running;
  for (int t = 0; t < threads; ++t) {
    running.emplace_back([&, t] {
      start.arrive_and_wait();
      failures[static_cast<std::size_t>(t)] = body(t);
    });
  }
  for (auto& thread : running) thread.join();
  for (const auto& failure : failures)
    if (!failure.empty()) return failure;
  return {};
}

}  // namespace tevra::workloads
