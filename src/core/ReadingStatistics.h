// The statistics of a run of readings, as the instrument's math subsystem states them: mean,
// sample standard deviation, extremes and the Allan deviation of successive readings. The
// emulator answers its statistics queries with them and the tevra command prints them.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>
#include <vector>

namespace tevra::core {

struct ReadingStatistics {
  std::size_t count = 0;
  double mean = 0;       // 0 with no readings
  double deviation = 0;  // sample standard deviation; 0 with fewer than two readings
  double minimum = 0;
  double maximum = 0;
  double allan = 0;  // in the readings' unit; 0 with fewer than two readings
};

inline ReadingStatistics SummarizeReadings(const std::vector<double>& r) {
  ReadingStatistics s;
  s.count = r.size();
  if (r.empty()) return s;
  const double n = static_cast<double>(r.size());
  s.mean = std::accumulate(r.begin(), r.end(), 0.0) / n;
  double squares = 0;
  double differences = 0;
  for (std::size_t i = 0; i < r.size(); ++i) {
    squares += (r[i] - s.mean) * (r[i] - s.mean);
    if (i) differences += (r[i] - r[i - 1]) * (r[i] - r[i - 1]);
  }
  if (r.size() > 1) {
    s.deviation = std::sqrt(squares / (n - 1));
    s.allan = std::sqrt(differences / (2 * (n - 1)));
  }
  const auto [low, high] = std::minmax_element(r.begin(), r.end());
  s.minimum = *low;
  s.maximum = *high;
  return s;
}

}  // namespace tevra::core
