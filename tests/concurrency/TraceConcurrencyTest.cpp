// Several threads calling one traced driver at once, while another switches the trace and
// registers sinks: the file stays well-formed and every record in it is complete.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <regex>
#include <thread>
#include <vector>

#include "support/ScratchFolder.h"
#include "support/TracedDriver.h"

namespace tevra::testing {
namespace {

namespace fs = std::filesystem;

class CountingSink final : public api::ITraceSink {
 public:
  void OnTraceEvent(std::string_view record, std::int32_t, std::string_view,
                    std::uint32_t) override {
    if (record.rfind("<Method ", 0) == 0) ++records;
  }
  std::atomic<int> records{0};
};

TEST(TraceConcurrency, ParallelCallsWriteCompleteRecords) {
  ScratchFolder scratch;
  const fs::path file = scratch.path() / "parallel.xml";
  TracedDriver d;
  api::CTraceLog* log = d.log;
  auto sink = std::make_shared<CountingSink>();
  log->RegisterSink(sink);
  ASSERT_EQ(d.Start("Trace=true, TraceSaveInterval=0, TraceName=" + file.string()), S_OK);

  constexpr int kThreads = 4;
  constexpr int kCalls = 60;
  std::atomic<bool> stop{false};
  std::vector<std::thread> callers;
  for (int t = 0; t < kThreads; ++t) {
    callers.emplace_back([&, t] {
      for (int i = 0; i < kCalls; ++i) {
        BSTR text = nullptr;
        LONG number = 0;
        const int call = (t + i) % 3;  // the third fails, with its message
        const HRESULT hr = call == 0   ? d.identity->get_InstrumentModel(&text)
                           : call == 1 ? d.utility->SelfTest(&number, &text)
                                       : d.utility->LockObject();
        EXPECT_EQ(hr == S_OK, call != 2);
        TevraSysFreeString(text);
      }
    });
  }
  // The switch and the sinks are reached outside the driver's lock.
  std::thread switcher([&] {
    bool on = false;
    while (!stop) {
      EXPECT_EQ(log->PutTraceEnabled(on), S_OK);
      on = !on;
      std::this_thread::yield();
    }
    EXPECT_EQ(log->PutTraceEnabled(true), S_OK);
  });
  std::thread subscriber([&] {
    std::vector<std::uint32_t> cookies;
    while (!stop) {
      for (int i = 0; i < 8; ++i)
        cookies.push_back(log->RegisterSink(std::make_shared<CountingSink>()));
      for (std::uint32_t cookie : cookies) EXPECT_TRUE(log->UnregisterSink(cookie));
      cookies.clear();
    }
  });
  for (std::thread& t : callers) t.join();
  stop = true;
  switcher.join();
  subscriber.join();
  EXPECT_EQ(d.Close(), S_OK);

  const std::string text = ReadFile(file);

  // Each record: its start tag, its parameters, the result, the time, its end tag, in order.
  static const std::regex record(
      "\t<Method Name=\"(\\w+)\" Interface=\"\\w+\" StartTime=\"[0-9:]+\" Thread=\"\\d+\" "
      "Timestamp=\"\\d+\">\r\n"
      "(\t\t<Parameter Name=\"\\w+\" Direction=\"Out\" Value=\"[^\"]*\" DataType=\"\\w+\"/>\r\n)*"
      "\t\t<HRESULT Value=\"0x[0-9A-F]{8}\"( Message=\"[^\"]+\")?/>\r\n"
      "\t\t<Execution ExecutionTime=\"[0-9.e+-]+\"/>\r\n"
      "\t</Method>\r\n");
  const auto complete = std::distance(std::sregex_iterator(text.begin(), text.end(), record), {});
  static const std::regex start("<Method ");
  const auto starts = std::distance(std::sregex_iterator(text.begin(), text.end(), start), {});
  EXPECT_GT(complete, 0);
  EXPECT_EQ(complete, starts);
  EXPECT_EQ(sink->records.load(), starts);
  EXPECT_EQ(text.substr(text.size() - 17), "</TraceRecords>\r\n");
  EXPECT_TRUE(XmlLintAccepts(file));
}

}  // namespace
}  // namespace tevra::testing
