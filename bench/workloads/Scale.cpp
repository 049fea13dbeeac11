// Many sessions at once: 64 driver sessions, one thread each, against 64 fake instruments in this
// process, doing round trips (the live property get) and block reads (DestructiveReadUpToCount).
// Their aggregate is set against 64 times what one session alone does, measured in the same
// repeat, and against 64 bare sockets doing the same exchanges at once: the most this machine's
// cores give, with the fakes on the same cores.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Fixtures.h"
#include "Timing.h"
#include "Workload.h"
#include "support/BareSocket.h"

namespace tevra::workloads {
namespace {

constexpr int kSessions = 64;
constexpr LONG kScaleTimeoutMs = 30000;

struct Bench {
  std::vector<std::unique_ptr<emulator::Instrument>> fakes;
  std::vector<std::unique_ptr<DriverSession>> drivers;
  std::vector<ITevraTrigger*> triggers;
  std::vector<ITevraMeasurement*> measurements;
  std::vector<std::unique_ptr<testing::BareSocket>> bare;
  // Each bare socket's reply and readings, allocated (and touched) before any timing.
  std::vector<std::vector<char>> received;
  std::vector<std::vector<double>> values;

  std::string Open(const Replies& replies) {
    for (int i = 0; i < kSessions; ++i) {
      fakes.push_back(StartFake(replies));
      if (!fakes.back()) return "fake " + std::to_string(i) + " did not start";
      drivers.push_back(std::make_unique<DriverSession>());
      if (std::string failure = drivers.back()->Open(fakes.back()->ResourceName(), "Cache=false");
          !failure.empty())
        return failure;
      // 64 blocks of 8 MB at once from fakes on 2 cores: one read can wait longer than the
      // session's default 2 s.
      auto* system = drivers.back()->Get<ITevraSystem>(IID_ITevraSystem);
      if (!system || FAILED(system->put_TimeoutMilliseconds(kScaleTimeoutMs)))
        return "cannot set the session timeout";
      triggers.push_back(drivers.back()->Get<ITevraTrigger>(IID_ITevraTrigger));
      measurements.push_back(drivers.back()->Get<ITevraMeasurement>(IID_ITevraMeasurement));
      if (!triggers.back() || !measurements.back()) return "an interface is missing";
      bare.push_back(std::make_unique<testing::BareSocket>());
      if (!bare.back()->Connect(fakes.back()->Port())) return "cannot connect a bare socket";
      received.emplace_back(replies.block.size());
      values.emplace_back(replies.readings);
    }
    return {};
  }
};

std::string RoundTrips(ITevraTrigger* trigger, int calls) {
  for (int i = 0; i < calls; ++i) {
    LONG count = 0;
    if (const HRESULT hr = trigger->get_Count(&count); FAILED(hr) || count != 1)
      return Failure("get_Count", hr);
  }
  return {};
}

std::string BareRoundTrips(testing::BareSocket& bare, int calls) {
  char reply[64];
  for (int i = 0; i < calls; ++i) {
    if (!bare.Send(kCountQuery) || bare.ReceiveLine(reply, sizeof reply) != kCountReply.size())
      return "a bare socket lost its fake";
  }
  return {};
}

std::string BlockReads(ITevraMeasurement* measurement, LONG readings, int calls) {
  for (int i = 0; i < calls; ++i) {
    SAFEARRAY* array = nullptr;
    const HRESULT hr = measurement->DestructiveReadUpToCount(readings, &array);
    const bool complete = array && array->rgsabound[0].cElements == ULONG(readings);
    if (array) TevraSafeArrayDestroy(array);
    if (FAILED(hr) || !complete) return Failure("DestructiveReadUpToCount", hr);
  }
  return {};
}

// The floor of a block read: receive the reply, swap its doubles into place.
std::string BareBlockReads(testing::BareSocket& bare, const Replies& replies,
                           std::vector<char>& received, std::vector<double>& values, int calls) {
  const std::string query = replies.blockQuery + "\n";
  const std::size_t header = replies.block.size() - 1 - replies.readings * 8;
  for (int i = 0; i < calls; ++i) {
    if (!bare.Send(query) || !bare.ReceiveExactly(received.data(), received.size()))
      return "a bare socket lost its fake";
    for (std::size_t v = 0; v < replies.readings; ++v) {
      std::uint64_t bits;
      std::memcpy(&bits, received.data() + header + 8 * v, 8);
      bits = __builtin_bswap64(bits);
      std::memcpy(&values[v], &bits, 8);
    }
  }
  return {};
}

}  // namespace

void RunScale(const Settings& settings, std::vector<Row>& rows) {
  const int calls = settings.quick ? 20 : 1000;
  const int blocks = settings.quick ? 2 : 3;
  const std::size_t readings = settings.quick ? 1000 : 1000000;
  const double megabytes = static_cast<double>(readings * 8) / 1e6;
  Row trips{"64 sessions: round trips vs 64 x one session", "calls/s", Goal::RatioAtLeast, 0.8};
  Row tripsBare{"64 sessions: round trips vs 64 bare sockets", "calls/s", Goal::None, 0};
  Row reads{"64 sessions: block reads vs 64 x one session", "MB/s", Goal::RatioAtLeast, 0.8};
  Row readsBare{"64 sessions: block reads vs 64 bare sockets", "MB/s", Goal::None, 0};

  const Replies replies(readings, false);
  Bench bench;
  std::string failure = bench.Open(replies);
  std::vector<Sample> samples(6);
  if (failure.empty()) {
    const LONG count = LONG(readings);
    samples = MeasureBeside(
        settings.repeats,
        {[&] { return RoundTrips(bench.triggers[0], calls); },
         [&] {
           return RunThreads(kSessions,
                             [&](int s) { return RoundTrips(bench.triggers[s], calls); });
         },
         [&] {
           return RunThreads(kSessions,
                             [&](int s) { return BareRoundTrips(*bench.bare[s], calls); });
         },
         [&] { return BlockReads(bench.measurements[0], count, blocks); },
         [&] {
           return RunThreads(
               kSessions, [&](int s) { return BlockReads(bench.measurements[s], count, blocks); });
         },
         [&] {
           return RunThreads(kSessions, [&](int s) {
             return BareBlockReads(*bench.bare[s], replies, bench.received[s], bench.values[s],
                                   blocks);
           });
         }},
        failure);
  }
  const double all = kSessions;
  trips.driver = tripsBare.driver = all * calls / samples[1].wall;
  trips.floor = all * calls / samples[0].wall;
  tripsBare.floor = all * calls / samples[2].wall;
  reads.driver = readsBare.driver = all * blocks * megabytes / samples[4].wall;
  reads.floor = all * blocks * megabytes / samples[3].wall;
  readsBare.floor = all * blocks * megabytes / samples[5].wall;
  // CPU time a unit of work, through the driver over the floor.
  trips.cpuRatio = samples[0].cpu > 0 ? samples[1].cpu / (all * samples[0].cpu) : 0;
  tripsBare.cpuRatio = samples[2].cpu > 0 ? samples[1].cpu / samples[2].cpu : 0;
  reads.cpuRatio = samples[3].cpu > 0 ? samples[4].cpu / (all * samples[3].cpu) : 0;
  readsBare.cpuRatio = samples[5].cpu > 0 ? samples[4].cpu / samples[5].cpu : 0;
  for (Row* row : {&trips, &tripsBare, &reads, &readsBare}) {
    row->failure = failure;
    rows.push_back(*row);
  }
}

}  // namespace tevra::workloads
