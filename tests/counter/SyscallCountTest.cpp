// In step, a query costs the system calls of its exchange and nothing more: one send and one
// receive. Keeping replies matched to queries (the exchange marker, the stale-input check) adds
// none. The socket calls of this test program are counted per thread by wrappers that forward to
// the C library (the sanitizers wrap the same calls, so their builds leave this test out).
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)

#include <dlfcn.h>
#include <poll.h>
#include <sys/socket.h>

#include "CounterTestSupport.h"

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

namespace tevra::testing {
namespace {

TEST(SystemCalls, AQueryInStepIsOneSendAndOneReceive) {
  SocketDriver d;
  d.fake.On("DATA:POIN?").Reply("42\n").After(Milliseconds(1));
  d.Open("QX1300", "431");
  ITevraMeasurement* measurement = d.Get<ITevraMeasurement>(IID_ITevraMeasurement);
  LONG count = 0;
  ASSERT_EQ(measurement->ReadingCount(&count), S_OK);  // the receive timeout is applied once
  socketCalls = 0;
  constexpr int kQueries = 50;
  for (int i = 0; i < kQueries; ++i) ASSERT_EQ(measurement->ReadingCount(&count), S_OK);
  EXPECT_EQ(socketCalls, 2 * kQueries);
}

}  // namespace
}  // namespace tevra::testing

#endif
