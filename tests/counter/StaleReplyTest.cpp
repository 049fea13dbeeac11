// A reply reaches only the call that asked for it: after a call gave up (a late, cut, stalled,
// doubled or garbled reply) the next call returns the instrument's true answer to it, never
// another call's data, and the call that gave up returned within its timeout.
#include <chrono>
#include <cstring>
#include <thread>

#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int32_t kTimeoutMs = 200;
// After the call that waited for it gave up, and within the wait of the call after it.
constexpr Milliseconds kLate(kTimeoutMs + 100);
// What a call may take beyond its timeout.
constexpr Milliseconds kMargin(150);

std::vector<double> Count(HRESULT hr, LONG value) {
  return SUCCEEDED(hr) ? std::vector<double>{static_cast<double>(value)} : std::vector<double>{};
}

// A driver on a fresh fake instrument, with the short timeout in force.
struct Bench {
  Bench() {
    d.Open("QX1300", "431");
    d.SetTimeout(kTimeoutMs);
    measurement = d.Get<ITevraMeasurement>(IID_ITevraMeasurement);
  }
  std::vector<double> ReadingCount(HRESULT& hr) {
    LONG value = -1;
    hr = measurement->ReadingCount(&value);
    return Count(hr, value);
  }
  std::vector<double> Counted(LONG n, HRESULT& hr) {
    SAFEARRAY* array = nullptr;
    hr = measurement->DestructiveReadCounted(n, &array);
    const std::vector<double> readings = Readings(array);
    return SUCCEEDED(hr) ? readings : std::vector<double>{};
  }
  std::vector<double> UpToCount(LONG n, HRESULT& hr) {
    SAFEARRAY* array = nullptr;
    hr = measurement->DestructiveReadUpToCount(n, &array);
    const std::vector<double> readings = Readings(array);
    return SUCCEEDED(hr) ? readings : std::vector<double>{};
  }

  SocketDriver d;
  ITevraMeasurement* measurement = nullptr;
};

// The big-endian definite-length block of these reals, as the instrument sends it.
std::string Block(const std::vector<double>& values) {
  std::string data;
  for (double v : values) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, 8);
    for (int shift = 56; shift >= 0; shift -= 8) data += static_cast<char>(bits >> shift);
  }
  const std::string length = std::to_string(data.size());
  return "#" + std::to_string(length.size()) + length + data + "\n";
}

struct StaleCase {
  const char* name;
  // The rules for the call that meets the fault and for the one after it.
  std::function<void(FakeInstrument&)> script;
  std::function<std::vector<double>(Bench&, HRESULT&)> first;
  HRESULT firstStatus;
  Milliseconds pause;  // between the two calls
  std::function<std::vector<double>(Bench&, HRESULT&)> second;
  std::vector<double> truth;  // what the instrument answered the second call
  // The second call may refuse its reply instead: when a line sent unasked and the reply reach
  // the host as one chunk, neither can be told to be the reply.
  bool mayRefuse = false;
};

TEST(StaleReplies, TheCallAfterOneThatGaveUpGetsItsOwnAnswer) {
  const auto readingCount = [](Bench& b, HRESULT& hr) { return b.ReadingCount(hr); };
  const std::string tail = "+4,+5,+6,+7,+8,+9,+10\n";
  const StaleCase cases[] = {
      {"the second half of a reply arrives after the timeout",
       [](FakeInstrument& f) {
         f.On("DATA:POIN?").Reply("4").Then("2\n", kLate).Times(1);
         f.On("DATA:POIN?").Reply("7\n");
       },
       readingCount,
       kIoTimeout,
       Milliseconds(0),
       readingCount,
       {7}},
      {"a reply comes only after the timeout",
       [](FakeInstrument& f) {
         f.On("DATA:POIN?").Reply("5\n").After(kLate).Times(1);
         f.On("DATA:POIN?").Reply("7\n");
       },
       readingCount,
       kIoTimeout,
       Milliseconds(0),
       readingCount,
       {7}},
      {"a query the instrument never answers",
       [](FakeInstrument& f) {
         f.On("DATA:POIN?").NoReply().Times(1);
         f.On("DATA:POIN?").Reply("7\n");
       },
       readingCount,
       kIoTimeout,
       Milliseconds(0),
       readingCount,
       {7}},
      {"an extra line after a reply",
       [](FakeInstrument& f) {
         f.On("DATA:POIN?").Reply("42\n").Then("99\n", Milliseconds(5)).Times(1);
         f.On("DATA:POIN?").Reply("43\n");
       },
       readingCount,
       S_OK,
       Milliseconds(50),
       readingCount,
       {43},
       true},
      {"a reply to a command that has none",
       [](FakeInstrument& f) {
         f.On("INIT").Reply("1\n");
         f.On("DATA:POIN?").Reply("42\n").After(Milliseconds(5));
       },
       [](Bench& b, HRESULT& hr) {
         hr = b.measurement->Initiate();
         return std::vector<double>{};
       },
       S_OK,
       Milliseconds(50),
       readingCount,
       {42}},
      {"a reply to a command that has none, and an answer at once",
       [](FakeInstrument& f) {
         f.On("INIT").Reply("1\n");
         f.On("DATA:POIN?").Reply("42\n");
       },
       [](Bench& b, HRESULT& hr) {
         hr = b.measurement->Initiate();
         return std::vector<double>{};
       },
       S_OK,
       Milliseconds(50),
       readingCount,
       {42},
       true},
      {"the tail of a list that timed out",
       [&](FakeInstrument& f) {
         f.On("DATA:REM? 20").Reply("+1,+2,+3,").Then(tail, kLate);
         f.On("DATA:REM? 3").Reply("+5,+6,+7\n");
       },
       [](Bench& b, HRESULT& hr) { return b.Counted(20, hr); },
       kIoTimeout,
       Milliseconds(0),
       [](Bench& b, HRESULT& hr) { return b.Counted(3, hr); },
       {5, 6, 7}},
      {"a list where a block belongs",
       [](FakeInstrument& f) {
         f.On("R? 5").Reply("1,2,3\n");
         f.On("DATA:REM? 2").Reply("+8,+9\n");
       },
       [](Bench& b, HRESULT& hr) { return b.UpToCount(5, hr); },
       kUnexpectedResponse,
       Milliseconds(0),
       [](Bench& b, HRESULT& hr) { return b.Counted(2, hr); },
       {8, 9}},
      {"a block header without a length",
       [](FakeInstrument& f) {
         f.On("R? 5").Reply("#5abcde\n");
         f.On("DATA:REM? 2").Reply("+8,+9\n");
       },
       [](Bench& b, HRESULT& hr) { return b.UpToCount(5, hr); },
       kUnexpectedResponse,
       Milliseconds(0),
       [](Bench& b, HRESULT& hr) { return b.Counted(2, hr); },
       {8, 9}},
      {"an indefinite block holding line feeds",
       [](FakeInstrument& f) {
         f.On("R? 5").Reply(std::string("#0\x01\n42\n\x02\n", 9));
         f.On("DATA:REM? 2").Reply("+8,+9\n");
       },
       [](Bench& b, HRESULT& hr) { return b.UpToCount(5, hr); },
       kUnexpectedResponse,
       Milliseconds(0),
       [](Bench& b, HRESULT& hr) { return b.Counted(2, hr); },
       {8, 9}},
      {"a block that stalls in its data",
       [](FakeInstrument& f) {
         const std::string block = Block({1, 2, 3, 4, 5});
         f.On("R? 5").Reply(block.substr(0, 13)).Then(block.substr(13), kLate);
         f.On("DATA:REM? 2").Reply("+8,+9\n");
       },
       [](Bench& b, HRESULT& hr) { return b.UpToCount(5, hr); },
       kIoTimeout,
       Milliseconds(0),
       [](Bench& b, HRESULT& hr) { return b.Counted(2, hr); },
       {8, 9}},
      {"garbage for a number",
       [](FakeInstrument& f) {
         f.On("DATA:POIN?").Garbage(300).Times(1);
         f.On("DATA:POIN?").Reply("7\n");
       },
       readingCount,
       kUnexpectedResponse,
       Milliseconds(0),
       readingCount,
       {7}},
  };
  for (const StaleCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    c.script(b.d.fake);
    HRESULT hr = E_FAIL;
    const auto started = Clock::now();
    c.first(b, hr);
    EXPECT_EQ(hr, c.firstStatus) << TakeErrorDescription();
    EXPECT_LE(Clock::now() - started, Milliseconds(kTimeoutMs) + kMargin);
    std::this_thread::sleep_for(c.pause);
    const std::vector<double> second = c.second(b, hr);
    if (c.mayRefuse && hr == kUnexpectedResponse) continue;
    EXPECT_EQ(hr, S_OK) << TakeErrorDescription();
    EXPECT_EQ(second, c.truth);
  }
}

// Every byte offset of a list and of a block at which the reply may stall until after the
// timeout: the call gives up in time (or succeeds with the whole reply), and the next call
// reads its own answer.
TEST(StaleReplies, AReplyStalledAtAnyByteNeverAnswersALaterCall) {
  const std::vector<double> values = {1.5, -2.25, 3e9};
  const std::string list = "+1.5,-2.25,+3E+09\n";
  const std::string block = Block(values);
  struct Shape {
    const char* command;
    std::string reply;
    std::function<std::vector<double>(Bench&, HRESULT&)> call;
  };
  const Shape shapes[] = {
      {"DATA:REM? 3", list, [](Bench& b, HRESULT& hr) { return b.Counted(3, hr); }},
      {"R? 3", block, [](Bench& b, HRESULT& hr) { return b.UpToCount(3, hr); }},
  };
  for (const Shape& shape : shapes) {
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
      const std::vector<double> got = shape.call(b, hr);
      EXPECT_LE(Clock::now() - started, Milliseconds(kTimeoutMs) + kMargin);
      EXPECT_EQ(hr, kIoTimeout);
      EXPECT_TRUE(got.empty());
      EXPECT_EQ(b.ReadingCount(hr), std::vector<double>{77});
      EXPECT_EQ(hr, S_OK) << TakeErrorDescription();
    }
  }
}

// In step, the session adds nothing to the wire; after a call gave up, the next message is
// preceded by the identity query alone.
TEST(StaleReplies, OnlyAGivenUpExchangeSendsTheIdentityQuery) {
  Bench b;
  b.d.fake.On("DATA:POIN?").Reply("3\n").Times(2);
  b.d.fake.On("DATA:POIN?").NoReply().Times(1);
  b.d.fake.On("DATA:POIN?").Reply("4\n");
  HRESULT hr = E_FAIL;
  EXPECT_EQ(b.ReadingCount(hr), std::vector<double>{3});
  EXPECT_EQ(b.ReadingCount(hr), std::vector<double>{3});
  b.ReadingCount(hr);
  EXPECT_EQ(hr, kIoTimeout);
  EXPECT_EQ(b.ReadingCount(hr), std::vector<double>{4});
  b.d.ExpectWire("DATA:POIN?\nDATA:POIN?\nDATA:POIN?\n*IDN?\nDATA:POIN?\n");
}

}  // namespace
}  // namespace tevra::testing
