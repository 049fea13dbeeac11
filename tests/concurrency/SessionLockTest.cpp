// Calls on two driver objects run side by side; objects are created and used on many threads
// (error information per thread is in platform/ErrorInfoTest.cpp). That calls on one object run one
// at a time is shown by SharedSessionTest, where interleaved commands would reach the instrument.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "support/DriverHandle.h"
#include "support/ScriptedIoSession.h"

namespace tevra::testing {
namespace {

using namespace std::chrono_literals;

// Two instruments whose self-tests each wait (bounded) for the other's to start.
struct SelfTestMeeting {
  std::mutex m;
  std::condition_variable cv;
  int arrived = 0;
  int sawPartner = 0;  // self-tests that saw the other start while they waited

  std::string Answer(std::string_view command) {
    if (command.starts_with("*IDN?")) return "Orvane Technologies,QX1300,1,1";
    if (command.starts_with("*OPT?")) return "431";
    if (!command.starts_with("*TST?")) return "";
    std::unique_lock lock(m);
    ++arrived;
    cv.notify_all();
    if (cv.wait_for(lock, 2s, [&] { return arrived >= 2; })) ++sawPartner;
    return "0";
  }
};

TEST(SessionLock, TwoObjectsRunInParallel) {
  SelfTestMeeting meeting;
  ScriptedIoSession::Script scripts[2];
  for (auto& script : scripts)
    script.answer = [&](std::string_view command) { return meeting.Answer(command); };
  DriverHandle a(std::make_unique<ScriptedIoSession>(scripts[0]));
  DriverHandle b(std::make_unique<ScriptedIoSession>(scripts[1]));
  ASSERT_EQ(a.Initialize("TCPIP::a::5025::SOCKET", ""), S_OK);
  ASSERT_EQ(b.Initialize("TCPIP::b::5025::SOCKET", ""), S_OK);
  auto selfTest = [](DriverHandle& h) {
    LONG result = 0;
    BSTR message = nullptr;
    EXPECT_EQ(h.utility->SelfTest(&result, &message), S_OK);
    TevraSysFreeString(message);
  };
  std::thread ta([&] { selfTest(a); });
  std::thread tb([&] { selfTest(b); });
  ta.join();
  tb.join();
  // Each object's exchange saw the other's start while it was still running.
  EXPECT_EQ(meeting.sawPartner, 2);
}

TEST(SessionLock, ObjectsCreatedAndUsedOnManyThreads) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 20; ++i) {
        DriverHandle handle;
        EXPECT_EQ(handle.Initialize("SIM", "Simulate=true,DriverSetup=Model=QX1200", true), S_OK);
        EXPECT_EQ(GetText([&](BSTR* v) { return handle.identity->get_InstrumentModel(v); }),
                  "QX1200");
        EXPECT_EQ(handle.Close(), S_OK);
      }
    });
  }
  for (auto& t : threads) t.join();
}

}  // namespace
}  // namespace tevra::testing
