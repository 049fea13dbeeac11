// Configures a frequency measurement on channel 1, turns the instrument's statistics and
// histogram on, takes N readings and prints their mean, standard deviation, minimum and maximum
// and the histogram's bins. Simulated unless a resource name is given.
//
//   tevra_statistics                                 simulated QX1300, 20 readings
//   tevra_statistics "" "Model=QX1200" 50            simulated QX1200, 50 readings
//   tevra_statistics TCPIP::10.0.0.5::5025::SOCKET "" 100
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ExampleSession.h"

namespace {

using namespace example;

constexpr LONG kBins = 10;

// The readings and the statistics over them; false when a step failed.
bool MeasureStatistics(ITevra* driver, LONG readings) {
  auto* frequency = Interface<ITevraFrequency>(driver, IID_ITevraFrequency);
  auto* trigger = Interface<ITevraTrigger>(driver, IID_ITevraTrigger);
  auto* measurement = Interface<ITevraMeasurement>(driver, IID_ITevraMeasurement);
  auto* math = Interface<ITevraMath>(driver, IID_ITevraMath);
  ITevraMathStatistics* statistics = nullptr;
  ITevraMathHistogram* histogram = nullptr;
  bool ok = frequency && trigger && measurement && math &&
            Succeeded(math->get_Statistics(&statistics), "Statistics") &&
            Succeeded(math->get_Histogram(&histogram), "Histogram");
  SAFEARRAY* values = nullptr;
  ok = ok && Succeeded(frequency->ConfigureAuto(1), "ConfigureAuto") &&
       Succeeded(trigger->put_Count(1), "Trigger count") &&
       Succeeded(trigger->put_SampleCount(readings), "Sample count") &&
       Succeeded(math->put_MathEnabled(VARIANT_TRUE), "Math") &&
       Succeeded(statistics->put_Enabled(VARIANT_TRUE), "Statistics on") &&
       Succeeded(histogram->put_Enabled(VARIANT_TRUE), "Histogram on") &&
       Succeeded(histogram->put_DataPoints(kBins), "Histogram bins") &&
       Succeeded(measurement->Read(60000, &values), "Read");
  if (values) TevraSafeArrayDestroy(values);

  double mean = 0, deviation = 0, minimum = 0, maximum = 0, lower = 0, upper = 0, count = 0;
  SAFEARRAY* bins = nullptr;
  ok = ok &&
       Succeeded(statistics->AverageAll(&mean, &deviation, &minimum, &maximum), "AverageAll") &&
       Succeeded(histogram->HistogramData(&lower, &upper, &count, &bins), "HistogramData");
  if (ok) {
    std::printf("Readings:            %ld (Hz)\n", static_cast<long>(readings));
    std::printf("Mean:                %.15g\n", mean);
    std::printf("Standard deviation:  %.15g\n", deviation);
    std::printf("Minimum:             %.15g\n", minimum);
    std::printf("Maximum:             %.15g\n", maximum);
    std::printf("Histogram:           %.15g to %.15g, %.0f readings\n", lower, upper, count);
    const auto* counts = static_cast<const double*>(bins->pvData);
    for (ULONG i = 0; i < bins->rgsabound[0].cElements; ++i)
      std::printf("  bin %2lu  %.0f\n", static_cast<unsigned long>(i), counts[i]);
  }
  if (bins) TevraSafeArrayDestroy(bins);
  ReleaseAll(frequency, trigger, measurement, math, statistics, histogram);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string resource = argc > 1 ? argv[1] : "";
  const std::string setup = argc > 2 ? argv[2] : "";
  const LONG readings = argc > 3 ? std::atoi(argv[3]) : 20;
  ITevra* driver = OpenDriver(resource, setup);
  if (!driver) return 1;
  const bool measured = MeasureStatistics(driver, readings);
  return Finish(driver, measured);
}
