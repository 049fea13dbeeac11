// Instrument I/O over loopback through the VISA session: a "*IDN?" query round trip, the same
// on a bare blocking socket for reference, and receiving a list of 1,000,000 readings (~23 MB).
//
// The VXI-11 rows run the query and a 1,000,000-double definite block (8 MB) over the fake's
// VXI-11 wire, beside the socket figures.
//
// The instrument is an in-process fake on its own thread, or, when TEVRA_BENCH_RESOURCE names a
// resource (tools/compare-pyvisa starts tevra_fake_instrument and sets it), that server.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "emulator/Instrument.h"
#include "support/BareSocket.h"
#include "support/SampleInstrument.h"
#include "visa/ResourceManager.h"

namespace {

using namespace tevra::visa;
using FakeInstrument = tevra::emulator::Instrument;

constexpr std::size_t kListValues = 1000000;

// The resource to talk to: TEVRA_BENCH_RESOURCE, or a fake started on first use.
const std::string& BenchResource() {
  static const std::string resource = [] {
    if (const char* named = std::getenv("TEVRA_BENCH_RESOURCE"); named && *named) {
      return std::string(named);
    }
    FakeInstrument::Options options;
    options.lifetime = std::chrono::minutes(30);
    static FakeInstrument fake(options);
    tevra::testing::AnswerSamples(fake, tevra::testing::SampleReadings(kListValues));
    if (!fake.Start()) return std::string();
    return fake.ResourceName();
  }();
  return resource;
}

std::unique_ptr<VisaSession> OpenSocketSession(benchmark::State& state) {
  static ResourceManager manager;
  std::unique_ptr<VisaSession> session;
  if (manager.Open(BenchResource(), AccessMode::NoLock, 2000, session) != kViSuccess) {
    state.SkipWithError(manager.LastErrorDescription().c_str());
    return nullptr;
  }
  session->SetAttribute(kViAttrTermcharEn, true);
  session->SetAttribute(kViAttrTmoValue, std::uint32_t{10000});
  return session;
}

void BM_QueryRoundTrip(benchmark::State& state) {
  const std::unique_ptr<VisaSession> session = OpenSocketSession(state);
  if (!session) return;
  std::uint8_t reply[4096];
  for (auto _ : state) {
    std::size_t written = 0, count = 0;
    session->Write("*IDN?", written);
    const ViStatus status = session->Read(reply, count);
    if (status != kViSuccessTermChar) {
      state.SkipWithError(session->LastErrorDescription().c_str());
      break;
    }
    benchmark::DoNotOptimize(count);
  }
}
BENCHMARK(BM_QueryRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The floor: the same exchange on a blocking socket with nothing around it.
void BM_BareSocketRoundTrip(benchmark::State& state) {
  const std::string& resource = BenchResource();
  // TCPIP::127.0.0.1::<port>::SOCKET
  ResourceAddress address;
  if (ParseResourceString(resource, address) != kViSuccess || address.host != "127.0.0.1") {
    state.SkipWithError("needs an IPv4 loopback socket resource");
    return;
  }
  tevra::testing::BareSocket bare;
  if (!bare.Connect(address.port)) {
    state.SkipWithError("connect failed");
    return;
  }
  char reply[4096];
  for (auto _ : state) {
    if (!bare.Send("*IDN?\n") || bare.ReceiveLine(reply, sizeof reply) == 0) {
      state.SkipWithError("connection lost");
      return;
    }
  }
}
BENCHMARK(BM_BareSocketRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Receives the whole list through reads of state.range(0) bytes, as the instrument buffer does.
void BM_ReceiveList(benchmark::State& state) {
  const std::unique_ptr<VisaSession> session = OpenSocketSession(state);
  if (!session) return;
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(state.range(0)));
  std::size_t total = 0;
  for (auto _ : state) {
    std::size_t written = 0;
    session->Write("LIST?", written);
    ViStatus status;
    do {
      std::size_t count = 0;
      status = session->Read(buffer, count);
      total += count;
    } while (status == kViSuccessMaxCnt);
    if (status != kViSuccessTermChar) {
      state.SkipWithError(session->LastErrorDescription().c_str());
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(total));
}
BENCHMARK(BM_ReceiveList)->Arg(4096)->Arg(64 * 1024)->Unit(benchmark::kMillisecond)->UseRealTime();

// The fake's VXI-11 wire, started on first use.
std::unique_ptr<VisaSession> OpenVxi11Session(benchmark::State& state) {
  static const std::string resource = [] {
    FakeInstrument::Options options;
    options.lifetime = std::chrono::minutes(30);
    options.wire = tevra::emulator::SetUpVxi11Wire;
    static FakeInstrument fake(options);
    tevra::testing::AnswerSamples(fake, tevra::testing::SampleReadings(kListValues, false));
    if (!fake.Start()) return std::string();
    return fake.ResourceName();
  }();
  static ResourceManager manager;
  std::unique_ptr<VisaSession> session;
  if (manager.Open(resource, AccessMode::NoLock, 2000, session) != kViSuccess) {
    state.SkipWithError(manager.LastErrorDescription().c_str());
    return nullptr;
  }
  session->SetAttribute(kViAttrTmoValue, std::uint32_t{10000});
  return session;
}

void BM_Vxi11QueryRoundTrip(benchmark::State& state) {
  const std::unique_ptr<VisaSession> session = OpenVxi11Session(state);
  if (!session) return;
  std::uint8_t reply[4096];
  for (auto _ : state) {
    std::size_t written = 0, count = 0;
    session->Write("*IDN?\n", written);
    if (session->Read(reply, count) != kViSuccess) {
      state.SkipWithError(session->LastErrorDescription().c_str());
      break;
    }
    benchmark::DoNotOptimize(count);
  }
}
BENCHMARK(BM_Vxi11QueryRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The 8 MB block through reads of state.range(0) bytes.
void BM_Vxi11ReadBlock(benchmark::State& state) {
  const std::unique_ptr<VisaSession> session = OpenVxi11Session(state);
  if (!session) return;
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(state.range(0)));
  std::size_t total = 0;
  for (auto _ : state) {
    std::size_t written = 0;
    session->Write("BLOCK?\n", written);
    ViStatus status;
    do {
      std::size_t count = 0;
      status = session->Read(buffer, count);
      total += count;
    } while (status == kViSuccessMaxCnt);
    if (status != kViSuccess) {
      state.SkipWithError(session->LastErrorDescription().c_str());
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(total));
}
BENCHMARK(BM_Vxi11ReadBlock)
    ->Arg(64 * 1024)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
