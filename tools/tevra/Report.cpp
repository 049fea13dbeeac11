#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

namespace tevra::command {
namespace {

std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

}  // namespace

Statistics Summarize(const std::vector<double>& r) {
  Statistics s{core::SummarizeReadings(r)};
  s.allan = s.mean != 0 ? s.allan / std::fabs(s.mean) : 0;
  return s;
}

Histogram Bin(const std::vector<double>& readings, std::size_t binCount) {
  Histogram h;
  h.bins.assign(std::max<std::size_t>(binCount, 1), 0);
  if (readings.empty()) return h;
  const auto [low, high] = std::minmax_element(readings.begin(), readings.end());
  h.low = *low;
  h.high = *high;
  const double width = (h.high - h.low) / static_cast<double>(h.bins.size());
  for (const double r : readings) {
    const auto bin = width > 0 ? static_cast<std::size_t>((r - h.low) / width) : 0;
    ++h.bins[std::min(bin, h.bins.size() - 1)];
  }
  return h;
}

void WriteReadings(std::ostream& out, Format format, const std::vector<double>& readings,
                   const std::string& unit, const Statistics* stats) {
  switch (format) {
    case Format::Plain:
      for (const double r : readings) out << Number(r) << (unit.empty() ? "" : " ") << unit << '\n';
      if (stats) {
        out << "count " << stats->count << "\nmean " << Number(stats->mean) << "\nstddev "
            << Number(stats->deviation) << "\nmin " << Number(stats->minimum) << "\nmax "
            << Number(stats->maximum) << '\n';
        if (unit == "Hz") out << "adev " << Number(stats->allan) << '\n';
      }
      break;
    case Format::Csv:
      out << "index,value\n";
      for (std::size_t i = 0; i < readings.size(); ++i)
        out << i << ',' << Number(readings[i]) << '\n';
      break;
    case Format::Json: {
      out << "{\"unit\": \"" << unit << "\", \"readings\": [";
      for (std::size_t i = 0; i < readings.size(); ++i)
        out << (i ? ", " : "") << Number(readings[i]);
      out << ']';
      if (stats) {
        out << ", \"statistics\": {\"count\": " << stats->count
            << ", \"mean\": " << Number(stats->mean) << ", \"stddev\": " << Number(stats->deviation)
            << ", \"min\": " << Number(stats->minimum) << ", \"max\": " << Number(stats->maximum);
        if (unit == "Hz") out << ", \"adev\": " << Number(stats->allan);
        out << '}';
      }
      out << "}\n";
      break;
    }
  }
}

void WriteHistogramPlot(std::ostream& out, const Histogram& h, std::size_t width) {
  const std::size_t most = *std::max_element(h.bins.begin(), h.bins.end());
  const double step = (h.high - h.low) / static_cast<double>(h.bins.size());
  for (std::size_t i = 0; i < h.bins.size(); ++i) {
    char from[40];
    std::snprintf(from, sizeof from, "%18.12g", h.low + step * static_cast<double>(i));
    const std::size_t bar = most ? h.bins[i] * width / most : 0;
    out << from << " | " << std::string(bar, '#') << ' ' << h.bins[i] << '\n';
  }
}

void WriteHistogramSvg(std::ostream& out, const Histogram& h, const std::string& unit) {
  constexpr int kWidth = 640, kHeight = 360, kMargin = 40;
  const std::size_t most =
      std::max<std::size_t>(*std::max_element(h.bins.begin(), h.bins.end()), 1);
  const double barWidth = double(kWidth - 2 * kMargin) / static_cast<double>(h.bins.size());
  out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << kHeight
      << "\">\n";
  for (std::size_t i = 0; i < h.bins.size(); ++i) {
    const double height = double(kHeight - 2 * kMargin) * double(h.bins[i]) / double(most);
    out << "  <rect x=\"" << Number(kMargin + barWidth * double(i)) << "\" y=\""
        << Number(kHeight - kMargin - height) << "\" width=\"" << Number(barWidth * 0.9)
        << "\" height=\"" << Number(height) << "\" fill=\"steelblue\"><title>" << h.bins[i]
        << "</title></rect>\n";
  }
  out << "  <text x=\"" << kMargin << "\" y=\"" << kHeight - 10 << "\">" << Number(h.low) << ' '
      << unit << "</text>\n  <text x=\"" << kWidth - kMargin << "\" y=\"" << kHeight - 10
      << "\" text-anchor=\"end\">" << Number(h.high) << ' ' << unit << "</text>\n</svg>\n";
}

std::string ProgressBar(std::size_t done, std::size_t total, std::size_t width) {
  const std::size_t filled = total ? done * width / total : width;
  char tail[64];
  std::snprintf(tail, sizeof tail, "] %3zu%%  %zu/%zu", total ? done * 100 / total : 100, done,
                total);
  return "[" + std::string(filled, '#') + std::string(width - filled, '.') + tail;
}

}  // namespace tevra::command
