// One C session shared by 16 threads. Each thread reads a property of its own, so each sends a
// query of its own, and the fake answers each query with the number of the thread that owns it:
// a reply that reached another thread (two exchanges interleaved on the wire) shows as a wrong
// number. Beside it, one thread makes the same number of calls on the same session alone.
#include <atomic>
#include <string>
#include <vector>

#include "Fixtures.h"
#include "Timing.h"
#include "Workload.h"
#include "support/SampleReplies.h"

namespace tevra::workloads {
namespace {

struct Query {
  ViAttr attribute;
  const char* channel;  // the repeated capability, "" for none
  const char* command;  // what the driver sends for it
  bool real;            // read as ViReal64, else ViInt32
};

// Sixteen properties, each with a query no other thread sends.
constexpr Query kQueries[] = {
    {TEVRA_ATTR_TRIGGER_COUNT, "", "TRIG:COUN?", false},
    {TEVRA_ATTR_TRIGGER_DELAY, "", "TRIG:DEL?", false},
    {TEVRA_ATTR_TRIGGER_SAMPLE_COUNT, "", "SAMP:COUN?", false},
    {TEVRA_ATTR_DISPLAY_DIGIT_COUNT, "", "DISP:DIG:MASK?", false},
    {TEVRA_ATTR_MATH_HISTOGRAM_DATA_POINTS, "", "CALC2:TRAN:HIST:POIN?", false},
    {TEVRA_ATTR_MATH_HISTOGRAM_LOWER_RANGE, "", "CALC2:TRAN:HIST:RANG:LOW?", true},
    {TEVRA_ATTR_MATH_HISTOGRAM_UPPER_RANGE, "", "CALC2:TRAN:HIST:RANG:UPP?", true},
    {TEVRA_ATTR_MATH_HISTOGRAM_AUTO_RANGE_COUNT, "", "CALC2:TRAN:HIST:RANG:AUTO:COUN?", false},
    {TEVRA_ATTR_MATH_LIMITS_LOWER, "", "CALC1:LIM:LOW?", true},
    {TEVRA_ATTR_MATH_LIMITS_UPPER, "", "CALC:LIM:UPP?", true},
    {TEVRA_ATTR_INPUT_VOLTAGE1, "Channel1", "INP1:LEV?", true},
    {TEVRA_ATTR_INPUT_VOLTAGE1, "Channel2", "INP2:LEV?", true},
    {TEVRA_ATTR_INPUT_PERCENTAGE1, "Channel1", "INP1:LEV:REL?", false},
    {TEVRA_ATTR_INPUT_PERCENTAGE1, "Channel2", "INP2:LEV:REL?", false},
    {TEVRA_ATTR_BURST_GATE_TIME, "", "FREQ:BURS:GATE:TIME?", true},
    {TEVRA_ATTR_BURST_DELAY, "", "FREQ:BURS:GATE:DEL?", true},
};
constexpr int kThreads = sizeof kQueries / sizeof kQueries[0];

// Reads thread's property calls times; counts the replies that named another thread.
std::string ReadOwn(const CSession& session, int thread, int calls, std::atomic<long>& wrong) {
  const Query& query = kQueries[thread];
  for (int i = 0; i < calls; ++i) {
    double value = -1;
    ViStatus status;
    if (query.real) {
      status = Tevra_GetAttributeViReal64(session.vi(), query.channel, query.attribute, &value);
    } else {
      ViInt32 number = -1;
      status = Tevra_GetAttributeViInt32(session.vi(), query.channel, query.attribute, &number);
      value = number;
    }
    if (status < 0) return std::string(query.command) + " failed: " + session.LastError();
    if (value != thread) ++wrong;
  }
  return {};
}

}  // namespace

void RunSharedSession(const Settings& settings, std::vector<Row>& rows) {
  const int calls = settings.quick ? 20 : 1000;
  Row row{"one session, 16 threads vs one thread", "calls/s", Goal::NoWrongReplies, 0};
  emulator::Instrument::Options options;
  options.lifetime = std::chrono::minutes(30);
  emulator::Instrument fake(options);
  fake.On("*IDN?").Reply(testing::kSampleIdentity);
  fake.On("*OPT?").Reply("431\n");
  for (int t = 0; t < kThreads; ++t) fake.On(kQueries[t].command).Reply(std::to_string(t) + "\n");
  CSession session;
  std::string failure = fake.Start() ? session.Open(fake.ResourceName(), "Cache=false") : "no fake";
  std::atomic<long> wrong{0};
  if (failure.empty()) {
    const auto samples = MeasureBeside(
        settings.repeats,
        {[&] {
           return RunThreads(kThreads, [&](int t) { return ReadOwn(session, t, calls, wrong); });
         },
         [&] { return ReadOwn(session, 0, calls * kThreads, wrong); }},
        failure);
    row.driver = double(calls) * kThreads / samples[0].wall;
    row.floor = double(calls) * kThreads / samples[1].wall;
    row.cpuRatio = samples[1].cpu > 0 ? samples[0].cpu / samples[1].cpu : 0;
  }
  row.failure = failure;
  row.wrongReplies = wrong.load();
  rows.push_back(row);
}

}  // namespace tevra::workloads
