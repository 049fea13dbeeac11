// What the entry path costs a call that never reaches an instrument: a simulated property get
// (ITevraMathLimits::Lower) through the object and the C interface, each beside the bare getter
// body, a virtual call that copies the stored value out; and calls a second with the XML trace
// recording every one of them, beside the same calls untraced.
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <thread>

#include "BareGetter.h"
#include "Fixtures.h"
#include "Timing.h"
#include "Workload.h"

namespace tevra::workloads {
namespace {

Job ObjectGets(ITevraMathLimits* limits, int calls) {
  return [=]() -> std::string {
    for (int i = 0; i < calls; ++i) {
      double value = 1;
      if (const HRESULT hr = limits->get_Lower(&value); FAILED(hr)) return Failure("get_Lower", hr);
      asm volatile("" : : "r"(value));
    }
    return {};
  };
}

// The sessions close, and the trace is written, before the caller removes the folder.
void Measure(const Settings& settings, const char* folder, Row& object, Row& c, Row& traced) {
  const int calls = settings.quick ? 2000 : 2000000;
  const int tracedCalls = settings.quick ? 2000 : 200000;
  DriverSession simulated, tracing;
  CSession session;
  std::string failure = simulated.Open("SIM", "Simulate=true");
  if (failure.empty()) failure = session.Open("SIM", "Simulate=true");
  if (failure.empty() && !folder) failure = "no folder for the trace";
  if (failure.empty())
    failure = tracing.Open("SIM", std::string("Simulate=true, DriverSetup=Trace=true, TraceName=") +
                                      folder + "/trace.xml");
  auto* limits = simulated.Get<ITevraMathLimits>(IID_ITevraMathLimits);
  auto* tracedLimits = tracing.Get<ITevraMathLimits>(IID_ITevraMathLimits);
  if (failure.empty() && (!limits || !tracedLimits)) failure = "no ITevraMathLimits";

  if (failure.empty()) {
    BareLimits* bare = MakeBareLimits();
    const Job bareGets = [&]() -> std::string {
      for (int i = 0; i < calls; ++i) {
        double value = 1;
        bare->get_Lower(&value);
        asm volatile("" : : "r"(value));
      }
      return {};
    };
    const Job cGets = [&]() -> std::string {
      for (int i = 0; i < calls; ++i) {
        ViReal64 value = 1;
        if (Tevra_GetAttributeViReal64(session.vi(), "", TEVRA_ATTR_MATH_LIMITS_LOWER, &value) < 0)
          return "Tevra_GetAttributeViReal64 failed: " + session.LastError();
        asm volatile("" : : "r"(value));
      }
      return {};
    };
    auto samples = MeasureBeside(settings.repeats,
                                 {ObjectGets(limits, calls), bareGets, cGets, bareGets}, failure);
    const auto fill = [&](Row& row, const Sample& through, const Sample& floor) {
      row.driver = through.wall / calls * 1e9;
      row.floor = floor.wall / calls * 1e9;
      row.cpuRatio = floor.cpu > 0 ? through.cpu / floor.cpu : 0;
    };
    fill(object, samples[0], samples[1]);
    fill(c, samples[2], samples[3]);
    delete bare;

    if (failure.empty()) {
      samples = MeasureBeside(
          settings.repeats,
          {ObjectGets(tracedLimits, tracedCalls), ObjectGets(limits, tracedCalls)}, failure);
      traced.driver = tracedCalls / samples[0].wall;
      traced.floor = tracedCalls / samples[1].wall;
      // A rate row: CPU time a call, traced over untraced.
      traced.cpuRatio = samples[1].cpu > 0 ? samples[0].cpu / samples[1].cpu : 0;
    }
  }
  object.failure = c.failure = traced.failure = failure;
}

}  // namespace

void RunEntry(const Settings& settings, std::vector<Row>& rows) {
  // While a process has only ever had one thread, glibc takes and gives a mutex without a locked
  // instruction, which makes every lock several times cheaper. The programs that use the driver
  // have had other threads, and so has this one once any other group ran, so the group measures
  // in that state whatever ran before it.
  std::thread([] {}).join();
  Row object{"simulated property get, object", "ns", Goal::DifferenceAtMost, 50};
  Row c{"simulated property get, C", "ns", Goal::DifferenceAtMost, 50};
  Row traced{"traced calls (XML trace on) vs untraced", "calls/s", Goal::ValueAtLeast, 1e5};
  char folderTemplate[] = "/tmp/tevra-workloads-XXXXXX";
  const char* folder = mkdtemp(folderTemplate);
  Measure(settings, folder, object, c, traced);
  rows.push_back(object);
  rows.push_back(c);
  rows.push_back(traced);
  if (folder) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
}

}  // namespace tevra::workloads
