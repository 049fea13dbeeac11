#include "counter/Math.h"

#include <algorithm>
#include <string>

#include "counter/Measurement.h"
#include "counter/PartsGroup.h"
#include "counter/Property.h"
#include "platform/SafeArray.h"

namespace tevra::counter {
namespace {

using core::Out;

// The replies that hold several values come slowly: the session timeout is raised to at least
// this for their read and put back afterwards, also when the read fails.
constexpr std::int32_t kListTimeoutFloor = 10000;
// What a simulated instrument's statistics and histogram range report.
constexpr double kSimulatedReading = 1000000.0;

const double* DoublesOf(const SAFEARRAY* values) {
  return static_cast<const double*>(values->pvData);
}
LONG CountOf(const SAFEARRAY* values) { return static_cast<LONG>(values->rgsabound[0].cElements); }

HRESULT ReportShortReply(Tevra& driver, const char* holds) {
  return driver.Reporter().ReportStatusText(
      E_INVALIDARG, std::string("The instrument's reply holds fewer values than ") + holds + ".");
}

// Trigger count times sample count, through the trigger interface's traced getters.
HRESULT SimulatedReadings(Tevra& driver, LONG& count) {
  ITevraTrigger* trigger = nullptr;
  if (HRESULT hr = driver.QueryObject(IID_ITevraTrigger, reinterpret_cast<void**>(&trigger));
      FAILED(hr))
    return hr;
  const HRESULT hr = SimulatedReadingCount(*trigger, count);
  trigger->Release();
  return hr;
}

}  // namespace

#define TEVRA_ROWS "counter/members/ITevraMath.def"
#define TEVRA_CLASS MathInterface
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/ITevraMathStatistics.def"
#define TEVRA_CLASS MathStatisticsInterface
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/ITevraMathSmoothing.def"
#define TEVRA_CLASS MathSmoothingInterface
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/ITevraMathScaling.def"
#define TEVRA_CLASS MathScalingInterface
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/ITevraMathLimits.def"
#define TEVRA_CLASS MathLimitsInterface
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/ITevraMathHistogram.def"
#define TEVRA_CLASS MathHistogramInterface
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"

// Average, standard deviation, minimum and maximum are the first four values of the reply.
HRESULT MathStatisticsInterface::AverageAll(double* Average, double* StandardDeviation,
                                            double* Minimum, double* Maximum) {
  return d_.Enter(
      rows::ITevraMathStatistics_AverageAll.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (d_.Simulating()) {
          *Average = *Minimum = *Maximum = kSimulatedReading;
          *StandardDeviation = 0.0;
          return S_OK;
        }
        SAFEARRAY* raw = nullptr;
        const HRESULT hr = QueryDoubles(d_.Io(), frame.command, &raw, kListTimeoutFloor);
        const platform::SafeArrayPtr values(raw);
        if (FAILED(hr)) return hr;
        if (CountOf(raw) < 4) return ReportShortReply(d_, "the four statistics");
        const double* v = DoublesOf(raw);
        *Average = v[0];
        *StandardDeviation = v[1];
        *Minimum = v[2];
        *Maximum = v[3];
        return S_OK;
      },
      Out("Average", Average), Out("StandardDeviation", StandardDeviation), Out("Minimum", Minimum),
      Out("Maximum", Maximum));
}

HRESULT MathHistogramInterface::ReadData(SAFEARRAY** Val) {
  return d_.Enter(
      rows::ITevraMathHistogram_ReadData.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (!d_.Simulating()) return QueryDoubles(d_.Io(), frame.command, Val);
        LONG count = 0;
        if (HRESULT hr = SimulatedReadings(d_, count); FAILED(hr)) return hr;
        return NewArray(d_, count, Val);
      },
      Out("Val", Val));
}

// The lower and upper range, the number of readings, then the bin counts in the order received.
HRESULT MathHistogramInterface::HistogramData(double* MinValue, double* MaxValue, double* Count,
                                              SAFEARRAY** BinData) {
  return d_.Enter(
      rows::ITevraMathHistogram_HistogramData.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (d_.Simulating()) {
          LONG readings = 0;
          LONG bins = 0;
          if (HRESULT hr = SimulatedReadings(d_, readings); FAILED(hr)) return hr;
          if (HRESULT hr = get_DataPoints(&bins); FAILED(hr)) return hr;
          *MinValue = *MaxValue = kSimulatedReading;
          *Count = static_cast<double>(readings);
          return NewArray(d_, bins, BinData);
        }
        SAFEARRAY* raw = nullptr;
        const HRESULT hr = QueryDoubles(d_.Io(), frame.command, &raw, kListTimeoutFloor);
        const platform::SafeArrayPtr values(raw);
        if (FAILED(hr)) return hr;
        const LONG count = CountOf(raw);
        if (count < 3) return ReportShortReply(d_, "the range and the count");
        const double* v = DoublesOf(raw);
        if (HRESULT created = NewArray(d_, count - 3, BinData); FAILED(created)) return created;
        std::copy(v + 3, v + count, static_cast<double*>((*BinData)->pvData));
        *MinValue = v[0];
        *MaxValue = v[1];
        *Count = v[2];
        return S_OK;
      },
      Out("MinValue", MinValue), Out("MaxValue", MaxValue), Out("Count", Count),
      Out("BinData", BinData));
}

std::unique_ptr<InterfaceGroup> CreateMathGroup(Tevra& driver) {
  return std::make_unique<
      PartsGroup<MathInterface, MathStatisticsInterface, MathSmoothingInterface,
                 MathScalingInterface, MathLimitsInterface, MathHistogramInterface>>(driver);
}

}  // namespace tevra::counter
