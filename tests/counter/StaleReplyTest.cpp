// A reply reaches only the call that asked for it: after a call gave up (a late, cut, stalled,
// doubled or garbled reply) the next call returns the instrument's true answer to it, never
// another call's data, and the call that gave up returned within its timeout.
#include <chrono>
#include <thread>

#include "CounterTestSupport.h"
#include "support/SampleReplies.h"

namespace tevra::testing {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int32_t kTimeoutMs = 200;
// After the call that waited for it gave up, and within the wait of the call after it.
constexpr Milliseconds kLate(kTimeoutMs + 100);
// What a call may take beyond its timeout.
constexpr Milliseconds kMargin(150);

// The calls the cases make.
enum class Call { Count, Initiate, Counted2, Counted3, Counted20, UpTo3, UpTo5 };

// A driver on a fresh fake instrument, with the short timeout in force.
struct Bench {
  Bench() {
    d.Open("QX1300", "431");
    d.SetTimeout(kTimeoutMs);
    measurement = COUNTER_ITF(Measurement);
  }
  // The values the call read; none when it failed.
  std::vector<double> Run(Call call, HRESULT& hr) {
    LONG count = -1;
    SAFEARRAY* array = nullptr;
    switch (call) {
      case Call::Count:
        hr = measurement->ReadingCount(&count);
        return SUCCEEDED(hr) ? std::vector<double>{double(count)} : std::vector<double>{};
      case Call::Initiate:
        hr = measurement->Initiate();
        return {};
      case Call::Counted2:
      case Call::Counted3:
      case Call::Counted20:
        hr = measurement->DestructiveReadCounted(call == Call::Counted2   ? 2
                                                 : call == Call::Counted3 ? 3
                                                                          : 20,
                                                 &array);
        break;
      case Call::UpTo3:
      case Call::UpTo5:
        hr = measurement->DestructiveReadUpToCount(call == Call::UpTo3 ? 3 : 5, &array);
    }
    const std::vector<double> readings = Readings(array);
    return SUCCEEDED(hr) ? readings : std::vector<double>{};
  }

  SocketDriver d;
  ITevraMeasurement* measurement = nullptr;
};

struct StaleCase {
  const char* name;
  Call first;  // the call that meets the fault
  HRESULT firstStatus;
  int pauseMs;  // between the two calls
  Call second;
  std::vector<double> truth;  // what the instrument answered the second call
  // The second call may refuse its reply instead: when a line sent unasked and the reply reach
  // the host as one chunk, neither can be told to be the reply.
  bool mayRefuse;
  std::function<void(FakeInstrument&)> script;
};

StaleCase Case(const char* name, Call first, HRESULT firstStatus, int pauseMs, Call second,
               std::vector<double> truth, bool mayRefuse,
               std::function<void(FakeInstrument&)> script) {
  return {
      name, first, firstStatus, pauseMs, second, std::move(truth), mayRefuse, std::move(script)};
}

TEST(StaleReplies, TheCallAfterOneThatGaveUpGetsItsOwnAnswer) {
  const auto countThen7 = [](FakeInstrument& f, FakeRule& first) {
    first.Times(1);
    f.On("DATA:POIN?").Reply("7\n");
  };
  const auto blockThenList = [](FakeInstrument& f, std::string reply) {
    f.On("R? 5").Reply(std::move(reply));
    f.On("DATA:REM? 2").Reply("+8,+9\n");
  };
  const std::string block = MakeDoubleBlock(5);
  const StaleCase cases[] = {
      Case("the second half of a reply arrives after the timeout", Call::Count, kIoTimeout, 0,
           Call::Count, {7}, false,
           [&](FakeInstrument& f) {
             countThen7(f, f.On("DATA:POIN?").Reply("4").Then("2\n", kLate));
           }),
      Case("a reply comes only after the timeout", Call::Count, kIoTimeout, 0, Call::Count, {7},
           false,
           [&](FakeInstrument& f) { countThen7(f, f.On("DATA:POIN?").Reply("5\n").After(kLate)); }),
      Case("a query the instrument never answers", Call::Count, kIoTimeout, 0, Call::Count, {7},
           false, [&](FakeInstrument& f) { countThen7(f, f.On("DATA:POIN?").NoReply()); }),
      Case("garbage for a number", Call::Count, kUnexpectedResponse, 0, Call::Count, {7}, false,
           [&](FakeInstrument& f) { countThen7(f, f.On("DATA:POIN?").Garbage(300)); }),
      Case("an extra line after a reply", Call::Count, S_OK, 50, Call::Count, {43}, true,
           [](FakeInstrument& f) {
             f.On("DATA:POIN?").Reply("42\n").Then("99\n", Milliseconds(5)).Times(1);
             f.On("DATA:POIN?").Reply("43\n");
           }),
      Case("a reply to a command that has none", Call::Initiate, S_OK, 50, Call::Count, {42}, false,
           [](FakeInstrument& f) {
             f.On("INIT").Reply("1\n");
             f.On("DATA:POIN?").Reply("42\n").After(Milliseconds(5));
           }),
      Case("a reply to a command that has none, and an answer at once", Call::Initiate, S_OK, 50,
           Call::Count, {42}, true,
           [](FakeInstrument& f) {
             f.On("INIT").Reply("1\n");
             f.On("DATA:POIN?").Reply("42\n");
           }),
      Case("the tail of a list that timed out", Call::Counted20, kIoTimeout, 0, Call::Counted3,
           {5, 6, 7}, false,
           [](FakeInstrument& f) {
             f.On("DATA:REM? 20").Reply("+1,+2,+3,").Then("+4,+5,+6,+7,+8,+9,+10\n", kLate);
             f.On("DATA:REM? 3").Reply("+5,+6,+7\n");
           }),
      Case("a list where a block belongs", Call::UpTo5, kUnexpectedResponse, 0, Call::Counted2,
           {8, 9}, false, [&](FakeInstrument& f) { blockThenList(f, "1,2,3\n"); }),
      Case("a block header without a length", Call::UpTo5, kUnexpectedResponse, 0, Call::Counted2,
           {8, 9}, false, [&](FakeInstrument& f) { blockThenList(f, "#5abcde\n"); }),
      Case("an indefinite block holding line feeds", Call::UpTo5, kUnexpectedResponse, 0,
           Call::Counted2, {8, 9}, false,
           [&](FakeInstrument& f) { blockThenList(f, std::string("#0\x01\n42\n\x02\n", 9)); }),
      Case("a block that stalls in its data", Call::UpTo5, kIoTimeout, 0, Call::Counted2, {8, 9},
           false,
           [&](FakeInstrument& f) {
             f.On("R? 5").Reply(block.substr(0, 13)).Then(block.substr(13), kLate);
             f.On("DATA:REM? 2").Reply("+8,+9\n");
           }),
  };
  for (const StaleCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    c.script(b.d.fake);
    HRESULT hr = E_FAIL;
    const auto started = Clock::now();
    b.Run(c.first, hr);
    EXPECT_EQ(hr, c.firstStatus) << TakeErrorDescription();
    EXPECT_LE(Clock::now() - started, Milliseconds(kTimeoutMs) + kMargin);
    std::this_thread::sleep_for(Milliseconds(c.pauseMs));
    const std::vector<double> second = b.Run(c.second, hr);
    if (c.mayRefuse && hr == kUnexpectedResponse) continue;
    EXPECT_EQ(hr, S_OK) << TakeErrorDescription();
    EXPECT_EQ(second, c.truth);
  }
}

// Every byte offset of a list and of a block at which the reply may stall until after the
// timeout: the call gives up in time (or succeeds with the whole reply), and the next call
// reads its own answer.
TEST(StaleReplies, AReplyStalledAtAnyByteNeverAnswersALaterCall) {
  const std::string list = "+1.5,-2.25,+3E+09\n";
  const std::string block = MakeDoubleBlock(3);
  struct Shape {
    const char* command;
    std::string reply;
    Call call;
  };
  for (const Shape& shape :
       {Shape{"DATA:REM? 3", list, Call::Counted3}, Shape{"R? 3", block, Call::UpTo3}}) {
    for (std::size_t cut = 0; cut < shape.reply.size(); ++cut) {
      SCOPED_TRACE(std::string(shape.command) + " stalled after byte " + std::to_string(cut));
      Bench b;
      b.d.fake.On(shape.command)
          .Reply(shape.reply.substr(0, cut))
          .Then(shape.reply.substr(cut), kLate)
          .Times(1);
      b.d.fake.On("DATA:POIN?").Reply("77\n");
      HRESULT hr = E_FAIL;
      const auto started = Clock::now();
      const std::vector<double> got = b.Run(shape.call, hr);
      EXPECT_LE(Clock::now() - started, Milliseconds(kTimeoutMs) + kMargin);
      EXPECT_EQ(hr, kIoTimeout);
      EXPECT_TRUE(got.empty());
      EXPECT_EQ(b.Run(Call::Count, hr), std::vector<double>{77});
      EXPECT_EQ(hr, S_OK) << TakeErrorDescription();
    }
  }
}

// In step, the session adds nothing to the wire; after a call gave up, the next message is
// preceded by the identity query alone, or by nothing on a line whose device clear empties the
// instrument's queues (VXI-11, HiSLIP, GPIB), where the session clears instead.
TEST(StaleReplies, OnlyAGivenUpExchangeSendsTheIdentityQuery) {
  Bench b;
  b.d.fake.On("DATA:POIN?").Reply("3\n").Times(2);
  b.d.fake.On("DATA:POIN?").NoReply().Times(1);
  b.d.fake.On("DATA:POIN?").Reply("4\n");
  HRESULT hr = E_FAIL;
  EXPECT_EQ(b.Run(Call::Count, hr), std::vector<double>{3});
  EXPECT_EQ(b.Run(Call::Count, hr), std::vector<double>{3});
  b.Run(Call::Count, hr);
  EXPECT_EQ(hr, kIoTimeout);
  EXPECT_EQ(b.Run(Call::Count, hr), std::vector<double>{4});
  const bool clears = b.d.session->LibraryClearResetsInstrument();
  b.d.ExpectWire(clears ? "DATA:POIN?\nDATA:POIN?\nDATA:POIN?\nDATA:POIN?\n"
                        : "DATA:POIN?\nDATA:POIN?\nDATA:POIN?\n*IDN?\nDATA:POIN?\n");
}

}  // namespace
}  // namespace tevra::testing
