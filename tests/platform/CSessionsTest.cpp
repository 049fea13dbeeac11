// The C session handles: the string-buffer rule, stale and never-issued handles, errors per
// session and per thread for session 0, and the recursive session lock across threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/CSessions.h"

namespace tevra::platform {
namespace {

TEST(CSessions, StringBufferRule) {
  struct Case {
    const char* text;
    std::int32_t size;
    bool buffer;
    std::int32_t returns;
    const char* written;  // null: the buffer is untouched
  };
  const Case cases[] = {
      {"123456789", 10, true, 0, "123456789"},
      {"123456789", 9, true, 10, "12345678"},
      {"123456789", 1, true, 10, ""},
      {"123456789", 0, true, 10, nullptr},
      {"123456789", 10, false, 10, nullptr},
      {"123456789", -1, true, 0, "123456789"},
      {nullptr, 4, true, 0, ""},
      {nullptr, 0, true, 1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.size) + (c.text ? "" : " without text"));
    char buffer[16] = "untouched";
    EXPECT_EQ(CopyString(c.text, c.size, c.buffer ? buffer : nullptr), c.returns);
    EXPECT_STREQ(buffer, c.written ? c.written : "untouched");
  }
}

TEST(CSessions, DisposedAndNeverIssuedHandlesFailEveryCall) {
  CSession first = 0;
  ASSERT_EQ(NewSession(&first), 0);
  ASSERT_EQ(SetSessionData(first, 42), 0);
  std::uintptr_t data = 0;
  ASSERT_EQ(GetSessionData(first, &data), 0);
  EXPECT_EQ(data, 42u);
  ASSERT_EQ(DisposeSession(first), 0);
  // The slot is taken again, under a handle of its own.
  CSession second = 0;
  ASSERT_EQ(NewSession(&second), 0);
  EXPECT_NE(second, first);
  ASSERT_EQ(GetSessionData(second, &data), 0);
  EXPECT_EQ(data, 0u);
  for (CSession stale : {first, CSession{0x00FF1234}, CSession{0}}) {
    SCOPED_TRACE(stale);
    EXPECT_EQ(GetSessionData(stale, &data), kInvalidSession);
    EXPECT_EQ(SetSessionData(stale, 1), kInvalidSession);
    EXPECT_EQ(LockSession(stale, nullptr), kInvalidSession);
    EXPECT_EQ(UnlockSession(stale, nullptr), kInvalidSession);
    EXPECT_EQ(DisposeSession(stale), kInvalidSession);
  }
  EXPECT_EQ(GetSessionError(first, 0, nullptr, nullptr), kInvalidSession);
  ASSERT_EQ(DisposeSession(second), 0);
}

TEST(CSessions, ErrorsBelongToTheirSessionOrThread) {
  CSession session = 0;
  ASSERT_EQ(NewSession(&session), 0);
  ASSERT_EQ(SetSessionError(session, -7, "session text"), 0);
  ASSERT_EQ(SetSessionError(0, -9, "thread text"), 0);
  std::thread([] {
    CStatus code = 1;
    char text[32] = "x";
    EXPECT_EQ(GetSessionError(0, sizeof text, &code, text), 0);
    EXPECT_EQ(code, 0);
    EXPECT_STREQ(text, "");
  }).join();
  CStatus code = 0;
  char text[32];
  EXPECT_EQ(GetSessionError(session, sizeof text, &code, text), 0);
  EXPECT_EQ(code, -7);
  EXPECT_STREQ(text, "session text");
  EXPECT_EQ(GetSessionError(0, 7, &code, text), 12);
  EXPECT_EQ(code, -9);
  EXPECT_STREQ(text, "thread");
  ASSERT_EQ(ClearSessionError(session), 0);
  EXPECT_EQ(GetSessionError(session, sizeof text, &code, text), 0);
  EXPECT_EQ(code, 0);
  ASSERT_EQ(DisposeSession(session), 0);
}

TEST(CSessions, TheOwnerReentersWhileAnotherThreadWaits) {
  CSession session = 0;
  ASSERT_EQ(NewSession(&session), 0);
  std::int16_t hasLock = 0;
  ASSERT_EQ(LockSession(session, &hasLock), 0);
  EXPECT_EQ(hasLock, 1);
  EXPECT_EQ(LockSession(session, &hasLock), 0);  // held: taken no second time
  EXPECT_EQ(LockSession(session, nullptr), 0);   // re-entry by the owner
  std::atomic<bool> entered = false;
  std::thread other([&] {
    EXPECT_EQ(LockSession(session, nullptr), 0);
    entered = true;
    EXPECT_EQ(UnlockSession(session, nullptr), 0);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(entered);
  EXPECT_EQ(UnlockSession(session, nullptr), 0);
  EXPECT_FALSE(entered);  // still held once through the flag
  EXPECT_EQ(UnlockSession(session, &hasLock), 0);
  EXPECT_EQ(hasLock, 0);
  other.join();
  EXPECT_TRUE(entered);
  EXPECT_EQ(UnlockSession(session, &hasLock), 0);  // not held: nothing to release
  ASSERT_EQ(DisposeSession(session), 0);
}

}  // namespace
}  // namespace tevra::platform
