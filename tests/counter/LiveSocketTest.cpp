// The driver against the fake instrument over a loopback socket: a lost or absent instrument fails
// Initialize, and many sessions and calls leave nothing behind and cost no more system calls than
// their exchanges. TEVRA_LONG_RUN=full runs 2,000 sessions and 100,000 calls (the stress target).
#include <dirent.h>
#include <dlfcn.h>
#include <poll.h>
#include <sys/socket.h>

#include <cstdlib>
#include <fstream>

#include "CounterTestSupport.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TEVRA_SANITIZED 1
#else
// The socket calls of this test program, counted per thread by wrappers that forward to the C
// library (the sanitizers wrap the same calls, so their builds go without).
namespace {
thread_local int socketCalls = 0;
template <class F>
F Next(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}
}  // namespace

extern "C" {
ssize_t recv(int fd, void* buffer, size_t size, int flags) {
  static const auto real = Next<ssize_t (*)(int, void*, size_t, int)>("recv");
  ++socketCalls;
  return real(fd, buffer, size, flags);
}
ssize_t recvmsg(int fd, msghdr* message, int flags) {
  static const auto real = Next<ssize_t (*)(int, msghdr*, int)>("recvmsg");
  ++socketCalls;
  return real(fd, message, flags);
}
ssize_t send(int fd, const void* buffer, size_t size, int flags) {
  static const auto real = Next<ssize_t (*)(int, const void*, size_t, int)>("send");
  ++socketCalls;
  return real(fd, buffer, size, flags);
}
ssize_t sendmsg(int fd, const msghdr* message, int flags) {
  static const auto real = Next<ssize_t (*)(int, const msghdr*, int)>("sendmsg");
  ++socketCalls;
  return real(fd, message, flags);
}
int poll(pollfd* fds, nfds_t count, int timeout) {
  static const auto real = Next<int (*)(pollfd*, nfds_t, int)>("poll");
  ++socketCalls;
  return real(fds, count, timeout);
}
int setsockopt(int fd, int level, int name, const void* value, socklen_t length) {
  static const auto real = Next<int (*)(int, int, int, const void*, socklen_t)>("setsockopt");
  ++socketCalls;
  return real(fd, level, name, value, length);
}
}
#endif

namespace tevra::testing {
namespace {

constexpr HRESULT kUnknownResource = static_cast<HRESULT>(0x80047060);

class LiveSocket : public ::testing::Test {
 protected:
  SocketDriver d;
};

TEST_F(LiveSocket, ALostConnectionOrNobodyServingFailsInitialize) {
  d.fake.On("*IDN?").Disconnect();
  ASSERT_TRUE(d.fake.Start());
  EXPECT_EQ(d.Initialize(), kIoFailure);
  EXPECT_TRUE(TakeErrorDescription().starts_with("Tevra: I/O error: VI_ERROR_CONN_LOST"));
  EXPECT_FALSE(d.handle.Initialized());
  EXPECT_TRUE(d.fake.WaitForClosedConnections(1, Milliseconds(2000)));
  d.fake.Stop();
  EXPECT_EQ(d.Initialize(), kUnknownResource);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Unknown resource.\r\nResource descriptor = " + d.fake.ResourceName() + ".");
}

#ifndef TEVRA_SANITIZED
// In step, a query costs the system calls of its exchange and nothing more: one send and one
// receive. Keeping replies matched to queries (the exchange marker, the stale-input check) adds
// none. It counts the raw socket's own calls, so it runs over that wire alone.
class SocketCalls : public LiveSocket {};

TEST_F(SocketCalls, AQueryInStepIsOneSendAndOneReceive) {
  d.fake.On("DATA:POIN?").Reply("42\n").After(Milliseconds(1));
  d.Open("QX1300", "431");
  ITevraMeasurement* measurement = COUNTER_ITF(Measurement);
  LONG count = 0;
  // The receive timeout is applied once; and the kernel starts stamping arrivals a moment after
  // the first socket asks for it (longer on a loaded machine), until when the session collects
  // what arrived before each exchange with one more receive.
  int last = 0;
  for (int warmUp = 0; warmUp < 2000 && last != 2; ++warmUp) {
    socketCalls = 0;
    ASSERT_EQ(measurement->ReadingCount(&count), S_OK);
    last = socketCalls;
  }
  socketCalls = 0;
  constexpr int kQueries = 50;
  for (int i = 0; i < kQueries; ++i) ASSERT_EQ(measurement->ReadingCount(&count), S_OK);
  EXPECT_EQ(socketCalls, 2 * kQueries);
}
#endif

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

// The same file descriptors open and, outside the sanitizers, the same resident memory
// (LeakSanitizer checks the leaks of the sanitizer build).
class LongRun : public LiveSocket {};

TEST_F(LongRun, SessionsAndCallsLeaveNothingBehind) {
  const char* run = std::getenv("TEVRA_LONG_RUN");
  const bool full = run && std::string_view(run) == "full";
  const int sessions = full ? 2000 : 100;
  const int calls = full ? 100000 : 5000;
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
    EXPECT_EQ(COUNTER_ITF(Measurement)->ReadingCount(&count), S_OK);
    ASSERT_EQ(d.handle.Close(), S_OK);
  };
  cycle();  // warms up what is built once
  // The fake instrument closes its end once it sees the driver's close.
  ASSERT_TRUE(d.fake.WaitForClosedConnections(2, Milliseconds(2000)));
  const int descriptors = OpenDescriptors();
  [[maybe_unused]] const long resident = ResidentKilobytes();
  for (int i = 0; i < sessions; ++i) cycle();
  ASSERT_TRUE(d.fake.WaitForClosedConnections(sessions + 2, Milliseconds(2000)));
  EXPECT_EQ(OpenDescriptors(), descriptors);

  ASSERT_EQ(d.Initialize(), S_OK);
  ITevraMeasurement* measurement = COUNTER_ITF(Measurement);
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
#ifndef TEVRA_SANITIZED
  EXPECT_LT(ResidentKilobytes() - resident, 4096);
#endif
}

}  // namespace
}  // namespace tevra::testing
