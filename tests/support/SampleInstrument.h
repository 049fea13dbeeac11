// The fake instrument the benchmarks and the workload program run against: the sample replies of
// a counter holding a number of readings, and the rules that give them for the raw queries and
// for the driver's own calls.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "emulator/Instrument.h"
#include "support/SampleReplies.h"

namespace tevra::testing {

// The live property a round trip reads (the trigger count, with the driver's cache off), as the
// driver puts it on the wire and as the fake answers it.
inline constexpr std::string_view kCountQuery = "TRIG:COUN?\n";
inline constexpr std::string_view kCountReply = "+1\n";

// The replies for `readings` readings, built once and copied into as many fakes as need them.
struct SampleReadings {
  explicit SampleReadings(std::size_t count, bool withList = true)
      : readings(count),
        list(withList ? MakeAsciiList(count) : std::string()),
        block(MakeDoubleBlock(count)),
        blockQuery("R? " + std::to_string(count)) {}
  std::size_t readings;
  std::string list;        // an ASCII list; empty unless withList
  std::string block;       // a definite block of big-endian doubles
  std::string blockQuery;  // the driver's block read: "R? <readings>"
};

// Initialize's queries, *TST?, the count query, the raw queries LIST? and BLOCK?, and the
// driver's Fetch (":FETC?") and block read ("FORM REAL,64", then "R? <readings>").
inline void AnswerSamples(emulator::Instrument& fake, const SampleReadings& samples) {
  fake.On("*IDN?").Reply(kSampleIdentity);
  fake.On("*OPT?").Reply("431\n");
  fake.On("*TST?").Reply("+0\n");
  fake.On(std::string(kCountQuery.substr(0, kCountQuery.size() - 1)))
      .Reply(std::string(kCountReply));
  if (!samples.list.empty()) {
    fake.On("LIST?").Reply(samples.list);
    fake.On(":FETC?").Reply(samples.list);
  }
  fake.On("BLOCK?").Reply(samples.block);
  fake.On("FORM REAL,64").NoReply();
  fake.On(samples.blockQuery).Reply(samples.block);
}

}  // namespace tevra::testing
