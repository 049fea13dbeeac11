// Faults at every byte: for each reply shape the driver parses, the instrument hangs up, stalls,
// or corrupts the reply at each byte offset. Every call returns a status within its timeout and a
// margin, and the session goes on: the next call gets its own answer (after a hang-up, Close and
// Initialize do). CI sweeps a few offsets of each shape; TEVRA_FAULT_SWEEP=full sweeps them all
// (the fault-sweep target).
#include <chrono>
#include <cstdlib>
#include <fstream>

#include "CounterTestSupport.h"
#include "support/SampleReplies.h"

namespace tevra::testing {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int32_t kTimeoutMs = 100;
constexpr Milliseconds kMargin(150);
// The session timeout before Initialize could set another.
constexpr Milliseconds kOpenTimeout(2000);

enum class Fault { HangUp, Stall, LineFeed, HighByte };

// A reply the driver reads, the command that asks for it and the call that sends that command.
struct Shape {
  const char* name;
  const char* command;
  std::string reply;
  std::function<HRESULT(SocketDriver&)> call;
  bool atInitialize = false;  // the reply belongs to Initialize, before the timeout can be set
  const char* settings = "";
};

std::string Faulted(const std::string& reply, std::size_t at, Fault fault) {
  std::string bytes = reply;
  if (fault == Fault::LineFeed) bytes[at] = '\n';
  if (fault == Fault::HighByte) bytes[at] = '\xA7';
  return bytes;
}

void Script(FakeInstrument& fake, const Shape& shape, std::size_t at, Fault fault) {
  FakeRule& rule = fake.On(shape.command);
  rule.Times(1);
  if (fault == Fault::HangUp)
    rule.Reply(shape.reply.substr(0, at)).ThenDisconnect(Milliseconds(0));
  else if (fault == Fault::Stall)
    rule.Reply(shape.reply.substr(0, at));
  else
    rule.Reply(Faulted(shape.reply, at, fault));
}

// Resident memory of the process in bytes.
long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * 4096;
}

std::vector<Shape> Shapes() {
  const auto measurement = [](SocketDriver& d) {
    return d.Get<ITevraMeasurement>(IID_ITevraMeasurement);
  };
  const auto upTo3 = [=](SocketDriver& d) {
    SAFEARRAY* a = nullptr;
    const HRESULT hr = measurement(d)->DestructiveReadUpToCount(3, &a);
    TevraSafeArrayDestroy(a);
    return hr;
  };
  const auto initialize = [](SocketDriver& d) { return d.Initialize(); };
  return {
      {"identity", "*IDN?", "Orvane Technologies,QX1300,SN0042,2.0.1\n", initialize, true},
      {"options", "*OPT?", "431,762\n", initialize, true},
      {"status", "*ESR?", "+32\n", [=](SocketDriver& d) { return measurement(d)->Initiate(); },
       false, "QueryInstrStatus=true"},
      {"number", "DATA:POIN?", "+1234\n",
       [=](SocketDriver& d) {
         LONG v = 0;
         return measurement(d)->ReadingCount(&v);
       }},
      {"list", "DATA:REM? 3", "+1.5E+06,-2.25E+00,+3.0E-09\n",
       [=](SocketDriver& d) {
         SAFEARRAY* a = nullptr;
         const HRESULT hr = measurement(d)->DestructiveReadCounted(3, &a);
         TevraSafeArrayDestroy(a);
         return hr;
       }},
      {"enumeration word", "INP1:COUP?", "DC\n",
       [](SocketDriver& d) {
         TevraCouplingEnum v{};
         return d.Channel("Channel1")->get_Coupling(&v);
       }},
      {"definite block", "R? 3", MakeDoubleBlock(3), upTo3},
      {"indefinite block", "R? 3", std::string("#0\x01\x0A\x02\x0A", 6) + "\n", upTo3},
      {"quoted string", ":SYST:ERR?", "-113,\"Undefined header\"\n",
       [](SocketDriver& d) {
         LONG code = 0;
         BSTR text = nullptr;
         const HRESULT hr = d.handle.utility->ErrorQuery(&code, &text);
         TevraSysFreeString(text);
         return hr;
       }},
  };
}

// The offsets a sweep visits: all of them, or the first, the second, the middle and the last.
std::vector<std::size_t> Offsets(std::size_t size) {
  const char* sweep = std::getenv("TEVRA_FAULT_SWEEP");
  std::vector<std::size_t> at;
  if (sweep && std::string_view(sweep) == "full") {
    for (std::size_t i = 0; i < size; ++i) at.push_back(i);
  } else {
    at = {0, 1, size / 2, size - 1};
  }
  return at;
}

TEST(FaultSweep, EveryShapeAtEveryByte) {
  const Fault faults[] = {Fault::HangUp, Fault::Stall, Fault::LineFeed, Fault::HighByte};
  const char* names[] = {"hang-up", "stall", "line feed", "high byte"};
  for (const Shape& shape : Shapes()) {
    for (std::size_t at : Offsets(shape.reply.size())) {
      for (Fault fault : faults) {
        // A stalled Initialize waits the whole open timeout: once per shape is enough.
        if (shape.atInitialize && fault == Fault::Stall && at != shape.reply.size() - 1) continue;
        SCOPED_TRACE(std::string(shape.name) + ", " + names[static_cast<int>(fault)] + " at byte " +
                     std::to_string(at));
        SocketDriver d;
        FakeInstrument& fake = d.fake;
        if (*shape.settings) fake.On("*ESR?").Reply("+0\n").Times(3);  // Initialize's checks
        Script(fake, shape, at, fault);
        fake.On("*IDN?").Reply("Orvane Technologies,QX1300,SN0042,2.0.1\n");
        fake.On("*OPT?").Reply("431\n");
        fake.On("*ESR?").Reply("+0\n");
        fake.On("DATA:POIN?").Reply("77\n");
        ASSERT_TRUE(fake.Start());

        const auto started = Clock::now();
        HRESULT hr = S_OK;
        if (!shape.atInitialize) {
          ASSERT_EQ(d.Initialize(shape.settings), S_OK) << TakeErrorDescription();
          d.SetTimeout(kTimeoutMs);
          const auto call = Clock::now();
          hr = shape.call(d);
          EXPECT_LE(Clock::now() - call, Milliseconds(kTimeoutMs) + kMargin);
        } else {
          hr = shape.call(d);
          EXPECT_LE(Clock::now() - started, kOpenTimeout + kMargin);
        }
        TakeErrorDescription();

        // The session goes on; after a hang-up, a new one does.
        if (fault == Fault::HangUp || !d.handle.Initialized()) {
          if (d.handle.Initialized()) d.handle.Close();
          ASSERT_EQ(d.Initialize(shape.settings), S_OK) << TakeErrorDescription();
        }
        LONG count = 0;
        EXPECT_EQ(d.Get<ITevraMeasurement>(IID_ITevraMeasurement)->ReadingCount(&count), S_OK)
            << "after " << std::hex << hr << ": " << TakeErrorDescription();
        EXPECT_EQ(count, 77);
      }
    }
  }
}

// A block header may claim a gigabyte: the driver holds no more than what arrived. The rest
// stalls past the timeout, so that a wire with END does not end the message early either.
TEST(FaultSweep, AHugeBlockHeaderAllocatesOnlyWhatArrives) {
  SocketDriver d;
  d.fake.On("R? 3")
      .Reply("#9999999999" + std::string(5000, 'x'))
      .Then("x\n", Milliseconds(20 * kTimeoutMs));
  d.Open("QX1300", "431");
  d.SetTimeout(kTimeoutMs);
  const long before = ResidentBytes();
  SAFEARRAY* array = nullptr;
  EXPECT_EQ(d.Get<ITevraMeasurement>(IID_ITevraMeasurement)->DestructiveReadUpToCount(3, &array),
            kIoTimeout);
  EXPECT_EQ(array, nullptr);
  EXPECT_LT(ResidentBytes() - before, 16L << 20);
}

}  // namespace
}  // namespace tevra::testing
