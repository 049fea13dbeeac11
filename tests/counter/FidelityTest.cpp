// What the driver returns when the instrument is silent, slow or wrong: every call gives up
// within its own timeout (never a second wait), a reply that does not parse is code 23 with its
// description, the status check follows the whole exchange with the session timeout; and what
// simulation stores and leaves alone.
#include <algorithm>
#include <chrono>

#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

using Clock = std::chrono::steady_clock;

constexpr HRESULT kInstrumentError = static_cast<HRESULT>(0x80047001);
constexpr std::int32_t kTimeoutMs = 200;
constexpr Milliseconds kMargin(150);

struct SilentCall {
  const char* command;  // the query the instrument leaves unanswered
  int limitMs;          // the timeout the call runs with
  std::function<HRESULT(SocketDriver&)> call;
};

TEST(Fidelity, ACallGivesUpOnceWithinItsTimeout) {
  LONG number = 0;
  const SilentCall calls[] = {
      {"DATA:POIN?", kTimeoutMs,
       [&](SocketDriver& d) { return COUNTER_ITF(Measurement)->ReadingCount(&number); }},
      {"TRIG:COUN?", kTimeoutMs,
       [&](SocketDriver& d) { return COUNTER_ITF(Trigger)->get_Count(&number); }},
      {"*OPC?", 400,
       [](SocketDriver& d) { return COUNTER_ITF(System)->WaitForOperationComplete(400); }},
      {"*RST;*OPC?", 2000, [](SocketDriver& d) { return d.handle.utility->Reset(); }},
  };
  for (const SilentCall& c : calls) {
    SCOPED_TRACE(c.command);
    SocketDriver d;
    d.fake.On(c.command).NoReply();
    d.Open("QX1300", "431");
    d.SetTimeout(kTimeoutMs);
    const auto started = Clock::now();
    EXPECT_EQ(c.call(d), kIoTimeout);
    const auto took = Clock::now() - started;
    EXPECT_GE(took, Milliseconds(c.limitMs));
    // Under 2x the limit: a second try would take the whole limit again. The slack below that
    // is for a loaded machine.
    EXPECT_LE(took, Milliseconds(c.limitMs) + std::max(kMargin, Milliseconds(c.limitMs * 9 / 10)));
    const std::string message = TakeErrorDescription();
    EXPECT_TRUE(message.starts_with("Tevra: I/O timeout error: ")) << message;
  }
}

// A reply that does not read as the value asked for is the instrument's fault, code 23 with a
// description; a reply word is quoted, and only in part when it is long.
TEST(Fidelity, UnreadableRepliesAreCode23WithTheirDescription) {
  SocketDriver d;
  const std::string longWord(100000, 'W');
  const std::pair<const char*, std::string> replies[] = {
      {"DATA:POIN?", "abc\n"},  {"DATA:POIN?", "3000000000\n"},  {"TRIG:COUN?", "x\n"},
      {"INP1:LEV:REL?", "x\n"}, {":FETC?", "+1,x,+3\n"},         {":READ?", "+1,+2,\n"},
      {"INP1:COUP?", " XX \n"}, {"INP1:COUP?", longWord + "\n"},
  };
  for (const auto& [command, reply] : replies) d.fake.On(command).Reply(reply).Times(1);
  d.Open("QX1300", "431");
  ITevraMeasurement* measurement = COUNTER_ITF(Measurement);
  ITevraChannel* channel = d.Channel("Channel1");
  LONG number = 0;
  SAFEARRAY* array = nullptr;
  TevraCouplingEnum coupling{};
  const std::string unexpected = "Tevra: Unexpected response from the instrument.";
  const std::string quoted =
      "\r\nUnexpected value '" + std::string(256, 'W') + "...' for enum 'TevraCouplingEnum'.";
  const std::pair<std::function<HRESULT()>, std::string> calls[] = {
      {[&] { return measurement->ReadingCount(&number); }, unexpected},
      {[&] { return measurement->ReadingCount(&number); }, unexpected},
      {[&] { return COUNTER_ITF(Trigger)->get_Count(&number); }, unexpected},
      {[&] { return channel->get_Percentage1(&number); }, unexpected},
      {[&] { return measurement->Fetch(&array); }, unexpected},
      {[&] { return measurement->Read(1000, &array); }, unexpected},
      {[&] { return channel->get_Coupling(&coupling); },
       unexpected + "\r\nUnexpected value 'XX' for enum 'TevraCouplingEnum'."},
      {[&] { return channel->get_Coupling(&coupling); }, unexpected + quoted},
  };
  for (const auto& [call, message] : calls) {
    SCOPED_TRACE(message.substr(0, 80));
    EXPECT_EQ(call(), kUnexpectedResponse);
    EXPECT_EQ(TakeErrorDescription(), message);
    EXPECT_EQ(array, nullptr);
  }
}

// The status check comes after the whole exchange: after the block that "R? n" asks for, and
// with the session timeout even when the exchange ran with a longer one.
TEST(Fidelity, TheStatusCheckFollowsTheWholeExchange) {
  SocketDriver d;
  d.fake.On("*ESR?").Reply("+0\n").Times(5);
  d.fake.On("*ESR?").NoReply();
  d.fake.On("R? 2").Reply("#216" + std::string(8, '\0') + std::string("\x3F\xF0\0\0\0\0\0\0\n", 9));
  d.fake.On("*TST?").Reply("+0\n");
  d.Open("QX1300", "431", "QueryInstrStatus=true");
  d.SetTimeout(kTimeoutMs);
  SAFEARRAY* array = nullptr;
  ASSERT_EQ(COUNTER_ITF(Measurement)->DestructiveReadUpToCount(2, &array), S_OK)
      << TakeErrorDescription();
  EXPECT_EQ(Readings(array), (std::vector<double>{0.0, 1.0}));
  d.ExpectWire("FORM REAL,64\n*ESR?\nR? 2\n*ESR?\n");

  // "*TST?" runs with ten seconds; its status check, unanswered, with the session's 200 ms.
  LONG result = -1;
  BSTR message = nullptr;
  const auto started = Clock::now();
  EXPECT_EQ(d.handle.utility->SelfTest(&result, &message), kInstrumentError);
  EXPECT_LE(Clock::now() - started, Milliseconds(kTimeoutMs) + kMargin);
  TevraSysFreeString(message);
}

// A status reply longer than the check reads is drained before the next message, which gets its
// own answer.
TEST(Fidelity, ALongStatusReplyIsReadToItsEnd) {
  SocketDriver d;
  d.fake.On("*ESR?").Reply("+0\n").Times(3);
  d.fake.On("*ESR?").Reply("+0" + std::string(10 << 20, ' ') + "\n").Times(1);
  d.fake.On("*ESR?").Reply("+0\n");
  d.fake.On("DATA:POIN?").Reply("5\n").Times(1);
  d.fake.On("DATA:POIN?").Reply("6\n");
  d.Open("QX1300", "431", "QueryInstrStatus=true");
  ITevraMeasurement* measurement = COUNTER_ITF(Measurement);
  LONG count = 0;
  EXPECT_EQ(measurement->ReadingCount(&count), S_OK) << TakeErrorDescription();
  EXPECT_EQ(count, 5);
  EXPECT_EQ(measurement->ReadingCount(&count), S_OK) << TakeErrorDescription();
  EXPECT_EQ(count, 6);
  d.ExpectWire("DATA:POIN?\n*ESR?\nDATA:POIN?\n*ESR?\n");
}

// An instrument that does not answer "*OPT?" has no options; Initialize goes on, and so do the
// calls after it.
TEST(Fidelity, InitializeWithoutAnOptionReply) {
  SocketDriver d;
  d.fake.On("*IDN?").Reply("Orvane Technologies,QX1300,SN0042,2.0.1\n");
  d.fake.On("*OPT?").NoReply();
  d.fake.On("DATA:POIN?").Reply("12\n");
  ASSERT_TRUE(d.fake.Start());
  ASSERT_EQ(d.Initialize(), S_OK) << TakeErrorDescription();
  EXPECT_EQ(TakeErrorDescription(), "");
  LONG count = 0;
  ITevraChannels* channels = nullptr;
  ASSERT_EQ(d.handle.driver->get_Channels(&channels), S_OK);
  EXPECT_EQ(channels->get_Count(&count), S_OK);
  EXPECT_EQ(count, 2);  // the two inputs of the model, no microwave option
  channels->Release();
  EXPECT_EQ(COUNTER_ITF(Measurement)->ReadingCount(&count), S_OK);
  EXPECT_EQ(count, 12);
}

// A simulated put stores the caller's value as given, word or not; a simulated QueryLast leaves
// its outputs alone.
TEST(Fidelity, SimulationStoresWhatItIsGivenAndTouchesNothingElse) {
  CounterDriver d;
  d.Simulate("QX1300");
  ITevraChannel* channel = d.Channel("Channel1");
  TevraCouplingEnum coupling{};
  EXPECT_EQ(channel->put_Coupling(static_cast<TevraCouplingEnum>(5)), S_OK)
      << TakeErrorDescription();
  EXPECT_EQ(channel->get_Coupling(&coupling), S_OK);
  EXPECT_EQ(coupling, 5);
  VARIANT_BOOL filter = 0;
  EXPECT_EQ(channel->put_FilterEnabled(5), S_OK);
  EXPECT_EQ(channel->get_FilterEnabled(&filter), S_OK);
  EXPECT_EQ(filter, 5);

  double last = 7.5;
  platform::Bstr unit("PSI");
  BSTR held = unit.get();
  EXPECT_EQ(COUNTER_ITF(Measurement)->QueryLast(&last, &held), S_OK);
  EXPECT_EQ(last, 7.5);
  EXPECT_EQ(held, unit.get());
}

}  // namespace
}  // namespace tevra::testing
