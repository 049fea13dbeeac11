// The cost of the entry protocol: simulated calls that do nothing but run it, beside the body
// such a call runs, alone; a traced call; and a whole simulated session.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "api/TraceLog.h"
#include "counter/Tevra.h"
#include "io/VisaComSession.h"
#include "platform/Bstr.h"

namespace {

struct Driver {
  Driver() {
    // With the session and trace log the module gives a driver object.
    tevra::counter::Tevra::Create(std::make_unique<tevra::io::CVisaComSession>(),
                                  std::make_unique<tevra::api::CTraceLog>(), IID_ITevra,
                                  reinterpret_cast<void**>(&driver));
    driver->QueryInterface(IID_IIviDriverOperation, reinterpret_cast<void**>(&operation));
    driver->QueryInterface(IID_IIviDriverIdentity, reinterpret_cast<void**>(&identity));
  }
  ~Driver() {
    identity->Release();
    operation->Release();
    driver->Release();
  }
  HRESULT Initialize(const std::string& setup = "") {
    tevra::platform::Bstr name("SIM"),
        options(setup.empty() ? "Simulate=true" : "Simulate=true, DriverSetup=" + setup);
    return driver->Initialize(name.get(), VARIANT_TRUE, VARIANT_FALSE, options.get());
  }
  ITevra* driver = nullptr;
  IIviDriverOperation* operation = nullptr;
  IIviDriverIdentity* identity = nullptr;
};

void BM_EntryBooleanGetter(benchmark::State& state) {
  Driver d;
  d.Initialize();
  VARIANT_BOOL value = 0;
  for (auto _ : state) {
    d.operation->get_Cache(&value);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_EntryBooleanGetter);

// The floor of the getter above: its body (the session flag as a VARIANT_BOOL) without the entry
// path, called through a pointer as the entry path calls it.
[[gnu::noinline]] HRESULT BareBooleanGetterBody(const bool& flag, VARIANT_BOOL* val) {
  *val = flag ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}
void BM_BareBooleanGetterBody(benchmark::State& state) {
  bool flag = true;
  VARIANT_BOOL value = 0;
  HRESULT (*volatile body)(const bool&, VARIANT_BOOL*) = &BareBooleanGetterBody;
  for (auto _ : state) {
    body(flag, &value);
    benchmark::DoNotOptimize(value);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BareBooleanGetterBody);

// Traced calls per second, each record written to the trace file in a scratch folder (one file,
// replaced by each repetition).
void BM_TracedBooleanGetter(benchmark::State& state) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("tevra-bench-trace-" + std::to_string(getpid()));
  {
    Driver d;
    if (FAILED(
            d.Initialize("Trace=true, TraceName=" + file.string() + ", TraceSizeMax=2000000000")))
      return state.SkipWithError("no traced session");
    VARIANT_BOOL value = 0;
    for (auto _ : state) {
      d.operation->get_Cache(&value);
      benchmark::DoNotOptimize(value);
    }
    d.driver->Close();
  }
  state.SetItemsProcessed(state.iterations());
  std::error_code ec;
  std::filesystem::remove(file.string() + ".xml", ec);
}
BENCHMARK(BM_TracedBooleanGetter)->Iterations(200000);

void BM_EntryRefusedBeforeInitialize(benchmark::State& state) {
  Driver d;
  VARIANT_BOOL value = 0;
  for (auto _ : state) benchmark::DoNotOptimize(d.operation->get_Cache(&value));
}
BENCHMARK(BM_EntryRefusedBeforeInitialize);

void BM_EntryStringGetter(benchmark::State& state) {
  Driver d;
  d.Initialize();
  for (auto _ : state) {
    BSTR model = nullptr;
    d.identity->get_InstrumentModel(&model);
    TevraSysFreeString(model);
  }
}
BENCHMARK(BM_EntryStringGetter);

void BM_SimulatedSessionOpenClose(benchmark::State& state) {
  Driver d;
  for (auto _ : state) {
    d.Initialize();
    d.driver->Close();
  }
}
BENCHMARK(BM_SimulatedSessionOpenClose);

}  // namespace
