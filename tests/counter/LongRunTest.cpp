// Many sessions and many calls leave nothing behind: the same file descriptors open and, outside
// the sanitizers, the same resident memory (LeakSanitizer checks the leaks of the sanitizer
// build). TEVRA_LONG_RUN=full runs 2,000 sessions and 100,000 calls (the stress target).
#include <dirent.h>

#include <cstdlib>
#include <fstream>

#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

bool Full() {
  const char* run = std::getenv("TEVRA_LONG_RUN");
  return run && std::string_view(run) == "full";
}

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir)) ++count;
    closedir(dir);
  }
  return count;
}

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.starts_with("VmRSS:")) return std::atol(line.c_str() + 6);
  return 0;
}

TEST(LongRun, SessionsAndCallsLeaveNothingBehind) {
  const int sessions = Full() ? 2000 : 100;
  const int calls = Full() ? 100000 : 5000;
  SocketDriver d;
  d.fake.On("DATA:POIN?").Reply("42\n");
  d.fake.On("INP1:COUP?").Reply("DC\n");
  d.fake.OnPrefix("INP1:LEV ").NoReply();
  d.fake.On("DATA:REM? 4").Reply("+1,+2,+3,+4\n");
  d.fake.On("*OPT?").Reply("431\n");
  d.Open("QX1300", "431");
  ASSERT_EQ(d.handle.Close(), S_OK);
  d.fake.SetRecording(false);

  const auto cycle = [&] {
    ASSERT_EQ(d.Initialize(), S_OK);
    LONG count = 0;
    EXPECT_EQ(d.Get<ITevraMeasurement>(IID_ITevraMeasurement)->ReadingCount(&count), S_OK);
    ASSERT_EQ(d.handle.Close(), S_OK);
  };
  cycle();  // warms up what is built once
  // The fake instrument closes its end once it sees the driver's close.
  ASSERT_TRUE(d.fake.WaitForClosedConnections(2, Milliseconds(2000)));
  const int descriptors = OpenDescriptors();
  const long resident = ResidentKilobytes();
  for (int i = 0; i < sessions; ++i) cycle();
  ASSERT_TRUE(d.fake.WaitForClosedConnections(sessions + 2, Milliseconds(2000)));
  EXPECT_EQ(OpenDescriptors(), descriptors);

  ASSERT_EQ(d.Initialize(), S_OK);
  ITevraMeasurement* measurement = d.Get<ITevraMeasurement>(IID_ITevraMeasurement);
  ITevraChannel* channel = d.Channel("Channel1");
  int wrong = 0;
  for (int i = 0; i < calls; ++i) {
    LONG count = 0;
    TevraCouplingEnum coupling{};
    SAFEARRAY* array = nullptr;
    switch (i % 4) {
      case 0:
        wrong += measurement->ReadingCount(&count) != S_OK || count != 42;
        break;
      case 1:
        wrong += channel->get_Coupling(&coupling) != S_OK || coupling != TevraCouplingDC;
        break;
      case 2:
        wrong += channel->put_Voltage1(0.5) != S_OK;
        break;
      default:
        wrong +=
            measurement->DestructiveReadCounted(4, &array) != S_OK || Readings(array).size() != 4;
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(OpenDescriptors(), descriptors + 2);  // both ends of the open connection
  if (!kSanitized) {
    EXPECT_LT(ResidentKilobytes() - resident, 4096);
  }
}

}  // namespace
}  // namespace tevra::testing
