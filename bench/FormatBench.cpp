// The formatted I/O engine on the paths every instrument call takes: formatting a typical
// command, scanning a typical reply, and reading the two forms of large measurement arrays
// (an ASCII reading list and a definite-length block of doubles) through the instrument buffer
// from an in-memory session that serves 4096-byte reads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/CallContext.h"
#include "core/ErrorReporter.h"
#include "io/CommandFormat.h"
#include "io/FormattedInput.h"
#include "io/FormattedOutput.h"
#include "io/InstrBuffer.h"

namespace {

using namespace tevra;

// Serves one prepared response again and again in reads of at most 4096 bytes.
class ReplayIo final : public core::ILowLevelIo {
 public:
  std::string response;
  std::size_t offset = 0;

  void Rewind() { offset = 0; }
  HRESULT LowLevelReadNoPoll(std::span<std::uint8_t> buffer, std::size_t& count,
                             std::int32_t) override {
    count = std::min({buffer.size(), std::size_t{4096}, response.size() - offset});
    std::memcpy(buffer.data(), response.data() + offset, count);
    offset += count;
    return offset < response.size() ? core::kResultMoreData : S_OK;
  }
  HRESULT LowLevelWriteNoPoll(std::span<const std::uint8_t> d, std::size_t& w,
                              std::int32_t) override {
    w = d.size();
    return S_OK;
  }
  HRESULT LowLevelWriteStringNoPoll(std::string_view, std::int32_t) override { return S_OK; }
  HRESULT LowLevelReadStringNoPoll(std::string&, std::int32_t) override { return E_FAIL; }
  HRESULT GetTerminationCharacterEnabled(bool& e) override { return e = false, S_OK; }
  HRESULT SetTerminationCharacterEnabled(bool) override { return S_OK; }
  HRESULT GetSendEndEnabled(bool& e) override { return e = true, S_OK; }
  HRESULT SetSendEndEnabled(bool) override { return S_OK; }
};

struct Session {
  core::CallContextStack calls;
  core::CErrorReporter reporter{"Tevra.Tevra.1", calls};
  ReplayIo io;
  std::unique_ptr<io::CInstrBuffer> buffer = io::CInstrBuffer::Create(io, reporter);
};

void FormatTypicalCommand(benchmark::State& state) {
  std::string command;
  const io::FormatArg args[] = {1e6, 1e-3, 1};
  for (auto _ : state) {
    command.clear();
    io::FormatToString(command, nullptr, "CONF:FREQ %0.15lg,%0.15lg,(@%d)", args);
    benchmark::DoNotOptimize(command.data());
  }
}
BENCHMARK(FormatTypicalCommand);

void FormatCommandFromParams(benchmark::State& state) {
  core::CommandText command;
  const core::Param params[] = {core::In("Expected", 1e6), core::In("Resolution", 1e-3),
                                core::In("Channel", std::int32_t{1})};
  core::CallContextStack calls;
  core::CErrorReporter reporter("Tevra.Tevra.1", calls);
  for (auto _ : state) {
    io::FormatCommand("CONF:FREQ %0.15lg,%0.15lg,(@%d)", params, command, reporter, nullptr);
    benchmark::DoNotOptimize(command.data());
  }
}
BENCHMARK(FormatCommandFromParams);

void ScanTypicalReply(benchmark::State& state) {
  Session s;
  s.io.response = "+1.00000000123456E+007\n";
  double value = 0;
  for (auto _ : state) {
    s.buffer->DiscardRead();
    s.io.Rewind();
    io::Scan(*s.buffer, s.reporter, nullptr, "%lf", &value);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(ScanTypicalReply);

void ScanErrorQueryReply(benchmark::State& state) {
  Session s;
  s.io.response = "+0,\"No error\"\n";
  std::int32_t code = 0;
  std::string text;
  for (auto _ : state) {
    s.buffer->DiscardRead();
    s.io.Rewind();
    io::Scan(*s.buffer, s.reporter, nullptr, "%d,%$Ct", &code, &text);
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(ScanErrorQueryReply);

// The two replies above as a row's query reads them: its response format was checked once, so
// the scan only cuts it into tokens as it runs (argument 0: checked first, as before; 1: not).
void ScanRowReply(benchmark::State& state) {
  const auto check = state.range(0) ? io::FormatCheck::AlreadyDone : io::FormatCheck::First;
  Session s;
  s.io.response = "+0,\"No error\"\n";
  std::int32_t code = 0;
  std::string text;
  const core::ScanArg args[] = {core::ScanArg(&code), core::ScanArg(&text)};
  for (auto _ : state) {
    s.buffer->DiscardRead();
    s.io.Rewind();
    io::ScanInput(*s.buffer, s.reporter, nullptr, "%d,%$Ct", args, check);
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(ScanRowReply)->Arg(0)->Arg(1);

constexpr int kReadings = 1000000;

void ParseAsciiReadingList(benchmark::State& state) {
  Session s;
  char number[32];
  for (int i = 0; i < kReadings; ++i) {
    std::snprintf(number, sizeof number, "%+.14E,", 1.00000000123456e7 + i * 1e-6);
    s.io.response += number;
  }
  s.io.response.back() = '\n';
  std::vector<double> readings(kReadings);
  for (auto _ : state) {
    s.buffer->DiscardRead();
    s.io.Rewind();
    std::int32_t count = kReadings;
    io::Scan(*s.buffer, s.reporter, nullptr, "%,#lf", &count, std::span<double>(readings));
    if (count != kReadings) state.SkipWithError("short read");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(s.io.response.size()));
}
BENCHMARK(ParseAsciiReadingList)->Unit(benchmark::kMillisecond);

// The floor beside it: std::from_chars over the same text, already in memory, into the same
// array, one reading after another.
void ParseAsciiFloorFromChars(benchmark::State& state) {
  std::string text;
  char number[32];
  for (int i = 0; i < kReadings; ++i) {
    std::snprintf(number, sizeof number, "%.14E,", 1.00000000123456e7 + i * 1e-6);
    text += number;
  }
  std::vector<double> readings(kReadings);
  for (auto _ : state) {
    const char* p = text.data();
    const char* end = p + text.size();
    for (int i = 0; i < kReadings; ++i) p = std::from_chars(p, end, readings[i]).ptr + 1;
    benchmark::DoNotOptimize(readings.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}
BENCHMARK(ParseAsciiFloorFromChars)->Unit(benchmark::kMillisecond);

void ReadSwappedDoubleBlock(benchmark::State& state) {
  Session s;
  s.io.response = "#78000000";
  s.io.response.append(8 * std::size_t{kReadings}, '\x3F');
  s.io.response += '\n';
  std::vector<double> readings(kReadings);
  for (auto _ : state) {
    s.buffer->DiscardRead();
    s.io.Rewind();
    std::int32_t count = kReadings;
    io::Scan(*s.buffer, s.reporter, nullptr, "%#Zb", &count, std::span<double>(readings));
    if (count != kReadings) state.SkipWithError("short read");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 8 * kReadings);
}
BENCHMARK(ReadSwappedDoubleBlock)->Unit(benchmark::kMillisecond);

}  // namespace
