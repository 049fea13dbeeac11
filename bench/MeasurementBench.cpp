// 1,000,000 readings through the driver's measurement interface from the fake instrument over
// loopback: as one binary block of 64-bit reals (DestructiveReadUpToCount) and as an ASCII list
// (Fetch), each call through the entry path into a new safe array. TEVRA_BENCH_RESOURCE names
// another instrument (tools/compare-pyvisa's standalone fake).
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "counter/Tevra.h"
#include "emulator/Instrument.h"
#include "platform/Bstr.h"
#include "platform/ErrorInfo.h"
#include "platform/SafeArray.h"
#include "support/SampleInstrument.h"

namespace {

using FakeInstrument = tevra::emulator::Instrument;

constexpr LONG kReadings = 1000000;

const std::string& MeasurementResource() {
  static const std::string resource = [] {
    if (const char* named = std::getenv("TEVRA_BENCH_RESOURCE"); named && *named)
      return std::string(named);
    FakeInstrument::Options options;
    options.lifetime = std::chrono::minutes(30);
    static FakeInstrument fake(options);
    tevra::testing::AnswerSamples(fake, tevra::testing::SampleReadings(kReadings));
    if (!fake.Start()) return std::string();
    return fake.ResourceName();
  }();
  return resource;
}

// A driver session on the fake instrument and its measurement interface.
class MeasurementSession {
 public:
  explicit MeasurementSession(benchmark::State& state) {
    tevra::platform::Bstr resource(MeasurementResource());
    tevra::platform::Bstr options("");
    if (FAILED(tevra::counter::Tevra::Create(IID_ITevra, reinterpret_cast<void**>(&driver_))) ||
        FAILED(driver_->Initialize(resource.get(), VARIANT_FALSE, VARIANT_FALSE, options.get())) ||
        FAILED(driver_->QueryInterface(IID_ITevraMeasurement,
                                       reinterpret_cast<void**>(&measurement_)))) {
      state.SkipWithError(tevra::platform::PeekThreadErrorDescription().c_str());
      measurement_ = nullptr;
    }
  }
  ~MeasurementSession() {
    if (measurement_) measurement_->Release();
    if (driver_) {
      driver_->Close();
      driver_->Release();
    }
  }
  ITevraMeasurement* get() const { return measurement_; }

 private:
  ITevra* driver_ = nullptr;
  ITevraMeasurement* measurement_ = nullptr;
};

// Pages the calling thread has faulted in so far (the fake instrument's thread is not counted).
long TouchedPages() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_minflt;
}

// Runs read once per iteration; the array must hold every reading. fresh_MB is the fresh memory
// the process's first call touches, its peak extra memory: the result array plus whatever else
// the reply passes through on the way (later calls reuse what the allocator kept; run one
// benchmark alone for this figure).
template <class Read>
void ReadAll(benchmark::State& state, Read read, std::int64_t bytesPerReading) {
  MeasurementSession session(state);
  if (!session.get()) return;
  static long firstCallPages = -1;
  for (auto _ : state) {
    const long pagesBefore = TouchedPages();
    SAFEARRAY* array = nullptr;
    const HRESULT hr = read(session.get(), &array);
    if (firstCallPages < 0) firstCallPages = TouchedPages() - pagesBefore;
    const tevra::platform::SafeArrayPtr owned(array);
    if (FAILED(hr) || !array || array->rgsabound[0].cElements != kReadings) {
      state.SkipWithError("the readings did not arrive");
      break;
    }
  }
  state.counters["fresh_MB"] =
      static_cast<double>(firstCallPages) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
  state.SetItemsProcessed(state.iterations() * kReadings);
  state.SetBytesProcessed(state.iterations() * kReadings * bytesPerReading);
}

void BM_MeasurementBinaryBlock(benchmark::State& state) {
  ReadAll(
      state,
      [](ITevraMeasurement* m, SAFEARRAY** a) { return m->DestructiveReadUpToCount(kReadings, a); },
      8);
}
BENCHMARK(BM_MeasurementBinaryBlock)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MeasurementAsciiFetch(benchmark::State& state) {
  ReadAll(
      state, [](ITevraMeasurement* m, SAFEARRAY** a) { return m->Fetch(a); }, 23);
}
BENCHMARK(BM_MeasurementAsciiFetch)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
