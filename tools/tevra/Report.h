// What the tevra command makes of readings: their statistics, a histogram, and the output forms
// (plain lines, CSV, JSON, a terminal plot, an SVG file).
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "core/ReadingStatistics.h"

namespace tevra::command {

// The readings' statistics, with the Allan deviation relative to the mean.
struct Statistics : core::ReadingStatistics {};
Statistics Summarize(const std::vector<double>& readings);

struct Histogram {
  double low = 0;
  double high = 0;
  std::vector<std::size_t> bins;
};
Histogram Bin(const std::vector<double>& readings, std::size_t binCount);

enum class Format { Plain, Csv, Json };

// The readings (and, with stats, their statistics) in the format; unit as the instrument gives it.
void WriteReadings(std::ostream& out, Format format, const std::vector<double>& readings,
                   const std::string& unit, const Statistics* stats);
// One bar per bin, scaled to width characters.
void WriteHistogramPlot(std::ostream& out, const Histogram& histogram, std::size_t width);
void WriteHistogramSvg(std::ostream& out, const Histogram& histogram, const std::string& unit);

// A one-line progress bar for a terminal: "[#####.....]  52%  52000/100000".
std::string ProgressBar(std::size_t done, std::size_t total, std::size_t width);

}  // namespace tevra::command
