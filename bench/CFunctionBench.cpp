// What the C interface adds to a call: a simulated attribute read and a simulated measurement
// through the C functions, each beside the object method they forward to, on the same driver
// object of the same simulated session, and the attribute's getter body alone (its simulated
// value out of the node's store), the floor of both. The C layer's share is the difference of
// each pair; the aim is at most 50 ns over the floor for either face.
#include <benchmark/benchmark.h>

#include "api/CBridge.h"
#include "core/Node.h"
#include "counter/Property.h"
#include "tevra/Tevra.h"
#include "tevra/TevraInterfaces.h"

namespace {

// A simulated C session and the object behind it.
class SimulatedSession {
 public:
  explicit SimulatedSession(benchmark::State& state) {
    char resource[] = "SIM";
    tevra::api::DriverHold hold;
    if (Tevra_InitWithOptions(resource, VI_FALSE, VI_FALSE, "Simulate=true", &vi_) != 0 ||
        tevra::api::GetDriver(vi_, hold) != 0) {
      state.SkipWithError("no simulated session");
      return;
    }
    driver_ = hold.driver;  // a reference of its own, for after the hold
  }
  ~SimulatedSession() {
    driver_ = {};
    if (vi_) Tevra_close(vi_);
  }
  ViSession vi() const { return vi_; }
  template <class Itf>
  tevra::platform::ComPtr<Itf> Get(REFIID iid) const {
    tevra::platform::ComPtr<Itf> itf;
    if (driver_.get()) driver_->QueryInterface(iid, reinterpret_cast<void**>(itf.put()));
    return itf;
  }

 private:
  ViSession vi_ = 0;
  tevra::platform::ComPtr<IUnknown> driver_;
};

void BM_CGetAttributeViReal64(benchmark::State& state) {
  SimulatedSession s(state);
  ViReal64 value = 0;
  for (auto _ : state) {
    Tevra_GetAttributeViReal64(s.vi(), "", TEVRA_ATTR_MATH_LIMITS_LOWER, &value);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_CGetAttributeViReal64);

void BM_ObjectMathLimitsLower(benchmark::State& state) {
  SimulatedSession s(state);
  const auto limits = s.Get<ITevraMathLimits>(IID_ITevraMathLimits);
  if (!limits.get()) return state.SkipWithError("no ITevraMathLimits");
  double value = 0;
  for (auto _ : state) {
    limits->get_Lower(&value);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_ObjectMathLimitsLower);

// The floor of the two above: the generic getter's simulated body on a node of its own.
void BM_BareMathLimitsLowerBody(benchmark::State& state) {
  tevra::core::CNode node(nullptr);
  const tevra::counter::Property& row = tevra::counter::rows::ITevraMathLimits_Lower;
  double value = 0;
  for (auto _ : state) {
    tevra::counter::GetSimulated(node, row, value);
    benchmark::DoNotOptimize(value);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BareMathLimitsLowerBody);

void BM_CFrequencyMeasure(benchmark::State& state) {
  SimulatedSession s(state);
  ViReal64 frequency = 0;
  for (auto _ : state) {
    Tevra_FrequencyMeasure(s.vi(), 1e6, 0.1, 1, &frequency);
    benchmark::DoNotOptimize(frequency);
  }
}
BENCHMARK(BM_CFrequencyMeasure);

void BM_ObjectFrequencyMeasure(benchmark::State& state) {
  SimulatedSession s(state);
  const auto function = s.Get<ITevraFrequency>(IID_ITevraFrequency);
  if (!function.get()) return state.SkipWithError("no ITevraFrequency");
  double frequency = 0;
  for (auto _ : state) {
    function->Measure(1e6, 0.1, 1, &frequency);
    benchmark::DoNotOptimize(frequency);
  }
}
BENCHMARK(BM_ObjectFrequencyMeasure);

}  // namespace
