// Readings in bulk through ITevraMeasurement: Fetch of an ASCII list (~23 bytes a reading) and
// DestructiveReadUpToCount of a definite block of 64-bit reals, each beside its floor on a bare
// socket to the same fake: receive the same bytes, then std::from_chars over the list or a byte
// swap over the block.
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "Fixtures.h"
#include "Timing.h"
#include "Workload.h"
#include "support/BareSocket.h"

namespace tevra::workloads {
namespace {

// The list's readings, parsed the fastest exact way there is.
std::size_t ParseList(const char* first, const char* last, std::vector<double>& values) {
  std::size_t count = 0;
  while (first < last && count < values.size()) {
    if (*first == '+') ++first;  // from_chars takes no plus sign
    const auto [end, error] = std::from_chars(first, last, values[count]);
    if (error != std::errc()) break;
    ++count;
    first = end + 1;  // the comma, or the final line feed
  }
  return count;
}

// "#<n><length><bytes>\n": the big-endian doubles after the header, swapped into values.
std::size_t SwapBlock(const char* reply, std::size_t size, std::vector<double>& values) {
  const std::size_t header = 2 + static_cast<std::size_t>(reply[1] - '0');
  const std::size_t count = std::min(values.size(), (size - header - 1) / 8);
  const char* data = reply + header;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint64_t bits;
    std::memcpy(&bits, data + 8 * i, 8);
    bits = __builtin_bswap64(bits);
    std::memcpy(&values[i], &bits, 8);
  }
  return count;
}

using Read = HRESULT (*)(ITevraMeasurement*, LONG, SAFEARRAY**);

Job DriverReads(ITevraMeasurement* measurement, Read read, LONG readings, int calls) {
  return [=]() -> std::string {
    for (int i = 0; i < calls; ++i) {
      SAFEARRAY* array = nullptr;
      const HRESULT hr = read(measurement, readings, &array);
      const bool complete = array && array->rgsabound[0].cElements == ULONG(readings);
      if (array) TevraSafeArrayDestroy(array);
      if (FAILED(hr) || !complete) return Failure("reading the readings", hr);
    }
    return {};
  };
}

}  // namespace

void RunBulk(const Settings& settings, std::vector<Row>& rows) {
  const std::size_t readings = settings.quick ? 1000 : 1000000;
  const int fetches = settings.quick ? 2 : 3, blocks = settings.quick ? 2 : 10;
  Row list{"Fetch " + std::to_string(readings) + " ASCII readings", "ms", Goal::RatioAtMost, 1.3};
  Row block{"DestructiveReadUpToCount " + std::to_string(readings * 8 / 1000) + " kB block", "ms",
            Goal::RatioAtMost, 1.1};
  const Replies replies(readings);
  const auto fake = StartFake(replies);
  DriverSession driver;
  testing::BareSocket bare;
  std::string failure = fake ? driver.Open(fake->ResourceName(), "") : "no fake";
  if (failure.empty() && !bare.Connect(fake->Port())) failure = "cannot connect a bare socket";
  auto* measurement = driver.Get<ITevraMeasurement>(IID_ITevraMeasurement);
  if (failure.empty() && !measurement) failure = "no ITevraMeasurement";
  if (!failure.empty()) {
    list.failure = block.failure = failure;
    rows.push_back(list);
    rows.push_back(block);
    return;
  }

  std::vector<char> received(std::max(replies.list.size(), replies.block.size()));
  std::vector<double> values(readings);
  const Job fetch = DriverReads(
      measurement, [](ITevraMeasurement* m, LONG, SAFEARRAY** a) { return m->Fetch(a); },
      LONG(readings), fetches);
  const Job receiveAndParse = [&]() -> std::string {
    for (int i = 0; i < fetches; ++i) {
      if (!bare.Send(":FETC?\n")) return "the bare socket lost the fake";
      const std::size_t size = bare.ReceiveLine(received.data(), received.size());
      if (ParseList(received.data(), received.data() + size, values) != readings)
        return "the bare socket read a short list";
    }
    return {};
  };
  const Job destructiveRead = DriverReads(
      measurement,
      [](ITevraMeasurement* m, LONG count, SAFEARRAY** a) {
        return m->DestructiveReadUpToCount(count, a);
      },
      LONG(readings), blocks);
  const std::string blockQuery = replies.blockQuery + "\n";
  const Job receiveAndSwap = [&]() -> std::string {
    for (int i = 0; i < blocks; ++i) {
      if (!bare.Send(blockQuery) || !bare.ReceiveExactly(received.data(), replies.block.size()) ||
          SwapBlock(received.data(), replies.block.size(), values) != readings)
        return "the bare socket read a short block";
    }
    return {};
  };
  const auto samples = MeasureBeside(
      settings.repeats, {fetch, receiveAndParse, destructiveRead, receiveAndSwap}, failure);
  const auto fill = [&](Row& row, const Sample& through, const Sample& floor, int calls) {
    row.failure = failure;
    row.driver = through.wall / calls * 1e3;
    row.floor = floor.wall / calls * 1e3;
    row.cpuRatio = floor.cpu > 0 ? through.cpu / floor.cpu : 0;
    rows.push_back(row);
  };
  fill(list, samples[0], samples[1], fetches);
  fill(block, samples[2], samples[3], blocks);
}

}  // namespace tevra::workloads
