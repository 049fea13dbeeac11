// The same loopback workloads through the driver's I/O session (instrument buffer, scanner, status
// poll hook) and through a whole driver call, to set against the transport-only figures of
// RoundTripBench: a "*IDN?" query, 1,000,000 ASCII readings parsed into doubles, a
// 1,000,000-double definite block byte-swapped into doubles, and SelfTest and a live property get
// through the entry path.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/CallContext.h"
#include "core/ErrorReporter.h"
#include "counter/Tevra.h"
#include "emulator/Instrument.h"
#include "io/VisaComSession.h"
#include "platform/Bstr.h"
#include "platform/ErrorInfo.h"
#include "support/SampleInstrument.h"

namespace {

using FakeInstrument = tevra::emulator::Instrument;

constexpr std::size_t kValues = 1000000;

const std::string& SessionResource() {
  static const std::string resource = [] {
    if (const char* named = std::getenv("TEVRA_BENCH_RESOURCE"); named && *named)
      return std::string(named);
    FakeInstrument::Options options;
    options.lifetime = std::chrono::minutes(30);
    static FakeInstrument fake(options);
    tevra::testing::AnswerSamples(fake, tevra::testing::SampleReadings(kValues));
    if (!fake.Start()) return std::string();
    return fake.ResourceName();
  }();
  return resource;
}

class NoPoll final : public tevra::core::IInstrErrorPoller {
 public:
  HRESULT CheckInstrument() override { return S_OK; }
};
class NoEnums final : public tevra::core::IEnumFormatter {};

// An open session with what the driver lends it.
struct OpenSession {
  tevra::core::CallContextStack calls;
  tevra::core::CErrorReporter reporter{"Tevra.Tevra.1", calls};
  NoPoll poller;
  NoEnums enums;
  tevra::io::CVisaComSession session;

  bool Open(benchmark::State& state) {
    if (FAILED(session.Open(SessionResource(), &poller, &reporter, &enums)) ||
        FAILED(session.SetTimeout(10000))) {
      state.SkipWithError(tevra::platform::PeekThreadErrorDescription().c_str());
      return false;
    }
    return true;
  }
};

void BM_SessionQueryString(benchmark::State& state) {
  OpenSession s;
  if (!s.Open(state)) return;
  std::string reply;
  for (auto _ : state) {
    if (FAILED(s.session.QueryString("*IDN?", reply, tevra::core::kDefaultTimeout))) {
      state.SkipWithError("query failed");
      break;
    }
    benchmark::DoNotOptimize(reply.data());
  }
}
BENCHMARK(BM_SessionQueryString)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_SessionQueryList(benchmark::State& state) {
  OpenSession s;
  if (!s.Open(state)) return;
  std::vector<double> values;
  for (auto _ : state) {
    if (FAILED(s.session.QueryList("LIST?", &values, tevra::core::kDefaultTimeout)) ||
        values.size() != kValues) {
      state.SkipWithError("list query failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kValues * 23));
}
BENCHMARK(BM_SessionQueryList)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SessionReadBlock(benchmark::State& state) {
  OpenSession s;
  if (!s.Open(state)) return;
  std::vector<double> values;
  for (auto _ : state) {
    if (FAILED(s.session.WriteString("BLOCK?", true, tevra::core::kDefaultTimeout)) ||
        FAILED(s.session.ReadBinaryBlock(&values, true, tevra::core::kDefaultTimeout)) ||
        values.size() != kValues) {
      state.SkipWithError("block read failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kValues * 8));
}
BENCHMARK(BM_SessionReadBlock)->Unit(benchmark::kMillisecond)->UseRealTime();

// A driver initialized on the benchmark's fake with options and its interface itf; null (the
// benchmark skipped with the reason) when that failed. The caller closes and releases the driver.
template <class Itf>
ITevra* OpenDriverFor(benchmark::State& state, const char* options, REFIID iid, Itf*& itf) {
  ITevra* driver = nullptr;
  if (FAILED(tevra::counter::Tevra::Create(IID_ITevra, reinterpret_cast<void**>(&driver)))) {
    state.SkipWithError("no driver");
    return nullptr;
  }
  tevra::platform::Bstr resource(SessionResource());
  tevra::platform::Bstr optionString(options);
  if (FAILED(
          driver->Initialize(resource.get(), VARIANT_FALSE, VARIANT_FALSE, optionString.get())) ||
      FAILED(driver->QueryInterface(iid, reinterpret_cast<void**>(&itf)))) {
    state.SkipWithError(tevra::platform::PeekThreadErrorDescription().c_str());
    driver->Release();
    return nullptr;
  }
  return driver;
}

// A utility call of the driver: entry path, command, reply parsed, text returned.
void BM_DriverSelfTest(benchmark::State& state) {
  IIviDriverUtility* utility = nullptr;
  ITevra* driver = OpenDriverFor(state, "", IID_IIviDriverUtility, utility);
  if (!driver) return;
  for (auto _ : state) {
    LONG result = -1;
    BSTR message = nullptr;
    if (FAILED(utility->SelfTest(&result, &message))) {
      state.SkipWithError("SelfTest failed");
      break;
    }
    TevraSysFreeString(message);
  }
  utility->Release();
  driver->Close();
  driver->Release();
}
BENCHMARK(BM_DriverSelfTest)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The round trip through the whole driver: a live property get (the trigger count, with the cache
// off so that every get asks the instrument).
void BM_DriverPropertyGet(benchmark::State& state) {
  ITevraTrigger* trigger = nullptr;
  ITevra* driver = OpenDriverFor(state, "Cache=false", IID_ITevraTrigger, trigger);
  if (!driver) return;
  for (auto _ : state) {
    LONG count = 0;
    if (FAILED(trigger->get_Count(&count))) {
      state.SkipWithError("get_Count failed");
      break;
    }
    benchmark::DoNotOptimize(count);
  }
  trigger->Release();
  driver->Close();
  driver->Release();
}
BENCHMARK(BM_DriverPropertyGet)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
