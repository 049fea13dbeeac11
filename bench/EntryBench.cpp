// The cost of the entry protocol: simulated calls that do nothing but run it, and a whole
// simulated session.
#include <benchmark/benchmark.h>

#include "counter/Tevra.h"
#include "platform/Bstr.h"

namespace {

struct Driver {
  Driver() {
    tevra::counter::Tevra::Create(IID_ITevra, reinterpret_cast<void**>(&driver));
    driver->QueryInterface(IID_IIviDriverOperation, reinterpret_cast<void**>(&operation));
    driver->QueryInterface(IID_IIviDriverIdentity, reinterpret_cast<void**>(&identity));
  }
  ~Driver() {
    identity->Release();
    operation->Release();
    driver->Release();
  }
  HRESULT Initialize() {
    tevra::platform::Bstr name("SIM"), options("Simulate=true");
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
