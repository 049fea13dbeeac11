// Sixteen threads on one driver and its channels, over a real socket: gets, puts and readings
// mixed. Every command reaches the instrument whole (the fake instrument would not know a
// command two threads wrote into each other) and every reply comes back to the call that asked
// for it. TEVRA_SHARED_CALLS sets the calls per thread (CI keeps it small under ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "counter/CounterTestSupport.h"

namespace tevra::testing {
namespace {

int CallsPerThread() {
  const char* text = std::getenv("TEVRA_SHARED_CALLS");
  return text ? std::atoi(text) : 200;
}

TEST(SharedSession, SixteenThreadsOnOneSessionAndItsChannels) {
  SocketDriver d;
  for (const char* channel : {"1", "2"}) {
    d.fake.On(std::string("INP") + channel + ":LEV?").Reply(std::string(channel) + ".5\n");
    d.fake.OnPrefix(std::string("INP") + channel + ":LEV ").NoReply();
  }
  d.fake.On("DATA:POIN?").Reply("42\n");
  d.fake.On("DATA:REM? 3").Reply("+3,+3,+3\n");
  d.Open("QX1300", "431");
  ITevraChannel* channels[] = {d.Channel("Channel1"), d.Channel("Channel2")};
  ITevraMeasurement* measurement = d.Get<ITevraMeasurement>(IID_ITevraMeasurement);

  const int calls = CallsPerThread();
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 16; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < calls; ++i) {
        const int c = (t + i) % 2;
        ITevraChannel* channel = channels[c];
        bool right = true;
        switch ((t + i) % 4) {
          case 0: {
            double level = 0;
            right = channel->get_Voltage1(&level) == S_OK && level == c + 1.5;
            break;
          }
          case 1:
            right = channel->put_Voltage1(0.25 * t) == S_OK;
            break;
          case 2: {
            LONG count = 0;
            right = measurement->ReadingCount(&count) == S_OK && count == 42;
            break;
          }
          default: {
            SAFEARRAY* array = nullptr;
            right = measurement->DestructiveReadCounted(3, &array) == S_OK &&
                    Readings(array) == std::vector<double>{3, 3, 3};
            break;
          }
        }
        if (!right) ++wrong;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  // The last puts expect no reply: the fake may still be reading them when the calls return.
  const std::size_t expected = 2u + 16u * static_cast<std::size_t>(calls);
  for (int wait = 0; wait < 200 && d.fake.Commands().size() < expected; ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_TRUE(d.fake.Unmatched().empty()) << d.fake.Unmatched().front();
  EXPECT_EQ(d.fake.Commands().size(), expected);
}

}  // namespace
}  // namespace tevra::testing
