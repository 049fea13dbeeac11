/* The session functions: life cycle, stale handles, the per-thread errors of session 0, the
   session lock (which another thread's call on the session waits for), a close racing other
   threads' calls, and the string-buffer rule. */
#define _GNU_SOURCE /* pthread_timedjoin_np */
#include <pthread.h>
#include <stdatomic.h>
#include <time.h>

#include "CHarness.h"

static const ViStatus kNullPointer = (ViStatus)0xBFFA0058UL;
static const ViStatus kInvalidSession = (ViStatus)0xBFFA1190UL;
static const ViStatus kUnknownOptionValue = (ViStatus)0xBFFA004CUL;

static void init_and_close(void) {
  ViSession vi = 123, later = 0;
  ViReal64 level = 0;
  CHECK_INT(Tevra_init("", VI_FALSE, VI_FALSE, NULL), kNullPointer);
  CHECK_INT(Tevra_InitWithOptions("", VI_FALSE, VI_FALSE, "Simulate=true", NULL), kNullPointer);
  /* A failed Initialize creates no session; its text is the thread's error. */
  CHECK_STATUS(0, Tevra_InitWithOptions("", VI_FALSE, VI_FALSE, "Simulate=maybe", &vi),
               kUnknownOptionValue, "Tevra: The 'maybe' value in the option string is unknown.");
  CHECK_INT(vi, 0);
  vi = open_simulated("QX1200");
  CHECK(vi != 0);
  CHECK_INT(Tevra_close(vi), 0);
  /* The old handle is refused everywhere, also by a session created after it. */
  later = open_simulated("QX1200");
  CHECK(later != vi);
  CHECK_INT(Tevra_GetAttributeViReal64(vi, "Channel1", TEVRA_ATTR_CHANNEL_LEVEL, &level),
            kInvalidSession);
  CHECK_INT(Tevra_close(vi), kInvalidSession);
  CHECK_INT(Tevra_close(0x7FFF0001u), kInvalidSession);
  CHECK_INT(Tevra_close(later), 0);
}

typedef struct {
  ViSession vi;
  ViStatus status;
  int sawUnlock;
  volatile int* unlocked;
} ThreadCall;

static void* failed_init_on_thread(void* arg) {
  ViSession vi = 0;
  (void)arg;
  Tevra_InitWithOptions("", VI_FALSE, VI_FALSE, "Bogus=1", &vi);
  return NULL;
}

/* Session 0 holds each thread's own error. */
static void thread_errors_are_per_thread(void) {
  pthread_t thread;
  ViStatus code = 0;
  char text[128];
  Tevra_ClearError(0);
  pthread_create(&thread, NULL, failed_init_on_thread, NULL);
  pthread_join(thread, NULL);
  CHECK_INT(Tevra_GetError(0, &code, sizeof text, text), 0);
  CHECK_INT(code, 0);
  CHECK_STR(text, "");
}

static void sleep_ms(long ms) {
  struct timespec t;
  t.tv_sec = ms / 1000;
  t.tv_nsec = (ms % 1000) * 1000000L;
  nanosleep(&t, NULL);
}

static void* call_while_locked(void* arg) {
  ThreadCall* call = (ThreadCall*)arg;
  ViReal64 level = 0;
  call->status = Tevra_GetAttributeViReal64(call->vi, "Channel1", TEVRA_ATTR_CHANNEL_LEVEL, &level);
  call->sawUnlock = *call->unlocked;
  return NULL;
}

/* The owner of the session lock goes on calling; another thread waits until it unlocks. */
static void session_lock_blocks_other_threads(void) {
  volatile int unlocked = 0;
  ViBoolean hasLock = VI_FALSE;
  ViReal64 level = 0;
  ThreadCall call;
  pthread_t thread;
  call.vi = open_simulated("QX1200");
  call.unlocked = &unlocked;
  call.sawUnlock = 0;
  CHECK_INT(Tevra_LockSession(call.vi, &hasLock), 0);
  CHECK_INT(hasLock, VI_TRUE);
  pthread_create(&thread, NULL, call_while_locked, &call);
  CHECK_INT(Tevra_GetAttributeViReal64(call.vi, "Channel1", TEVRA_ATTR_CHANNEL_LEVEL, &level), 0);
  sleep_ms(100);
  unlocked = 1;
  CHECK_INT(Tevra_UnlockSession(call.vi, &hasLock), 0);
  CHECK_INT(hasLock, VI_FALSE);
  pthread_join(thread, NULL);
  CHECK_INT(call.status, 0);
  CHECK(call.sawUnlock);
  Tevra_close(call.vi);
}

/* A thread that closes the session it holds locked leaves no lock behind for the session that
   takes its place; an unlock by a thread that holds nothing changes nothing. */
static void closing_a_locked_session_releases_its_lock(void) {
  volatile int unlocked = 1;
  ViBoolean hasLock = VI_FALSE;
  ThreadCall call;
  pthread_t thread;
  struct timespec deadline;
  ViSession vi = open_simulated("QX1200");
  CHECK_INT(Tevra_LockSession(vi, &hasLock), 0);
  CHECK_INT(Tevra_LockSession(vi, NULL), 0);
  CHECK_INT(Tevra_close(vi), 0);
  call.vi = open_simulated("QX1200");
  call.status = -1;
  call.unlocked = &unlocked;
  CHECK_INT(Tevra_UnlockSession(call.vi, NULL), 0);
  pthread_create(&thread, NULL, call_while_locked, &call);
  clock_gettime(CLOCK_REALTIME, &deadline);
  deadline.tv_sec += 5;
  CHECK_INT(pthread_timedjoin_np(thread, NULL, &deadline), 0);
  CHECK_INT(call.status, 0);
  Tevra_close(call.vi);
}

typedef struct {
  ViSession vi;
  int onChannel;
  atomic_int calls;
  atomic_int wrong; /* a status other than success or the closed session's */
} RacingCaller;

static void* call_until_closed(void* arg) {
  RacingCaller* caller = (RacingCaller*)arg;
  for (;;) {
    ViReal64 level = 0;
    char text[32];
    const ViStatus status =
        caller->onChannel
            ? Tevra_GetAttributeViReal64(caller->vi, "Channel1", TEVRA_ATTR_CHANNEL_LEVEL, &level)
            : Tevra_GetAttributeViString(caller->vi, "", TEVRA_ATTR_DISPLAY_TEXT, 32, text);
    if (status == kInvalidSession) return NULL;
    if (status != 0) atomic_fetch_add(&caller->wrong, 1);
    atomic_fetch_add(&caller->calls, 1);
  }
}

/* A close while other threads call on the session: each call either runs on the live driver or
   is refused as a closed session, and none uses the driver after it is gone. */
static void close_while_other_threads_call(void) {
  enum { kCallers = 4 };
  RacingCaller callers[kCallers];
  pthread_t threads[kCallers];
  const ViSession vi = open_simulated("QX1200");
  int k, waited;
  for (k = 0; k < kCallers; ++k) {
    callers[k].vi = vi;
    callers[k].onChannel = k % 2;
    atomic_init(&callers[k].calls, 0);
    atomic_init(&callers[k].wrong, 0);
    pthread_create(&threads[k], NULL, call_until_closed, &callers[k]);
  }
  for (waited = 0; waited < 5000; ++waited) {
    int all = 1;
    for (k = 0; k < kCallers; ++k) all = all && atomic_load(&callers[k].calls) >= 200;
    if (all) break;
    sleep_ms(1);
  }
  CHECK_INT(Tevra_close(vi), 0);
  for (k = 0; k < kCallers; ++k) {
    pthread_join(threads[k], NULL);
    CHECK_INT(atomic_load(&callers[k].wrong), 0);
  }
}

/* A text of 9 characters into buffers of several sizes. */
static void string_buffer_rule(void) {
  static const struct {
    ViInt32 size;
    int nullBuffer;
    ViStatus status;
    const char* text;
  } kCases[] = {{10, 0, 0, "123456789"},
                {9, 0, 10, "12345678"},
                {0, 0, 10, "untouched"},
                {5, 1, 10, NULL},
                {-1, 0, 0, "123456789"}};
  ViSession vi = open_simulated("QX1200");
  size_t k;
  CHECK_INT(Tevra_SetAttributeViString(vi, "", TEVRA_ATTR_DISPLAY_TEXT, "123456789"), 0);
  for (k = 0; k < sizeof kCases / sizeof kCases[0]; ++k) {
    char buffer[16] = "untouched";
    CHECK_INT(Tevra_GetAttributeViString(vi, "", TEVRA_ATTR_DISPLAY_TEXT, kCases[k].size,
                                         kCases[k].nullBuffer ? NULL : buffer),
              kCases[k].status);
    if (kCases[k].text) CHECK_STR(buffer, kCases[k].text);
  }
  Tevra_close(vi);
}

int main(void) {
  init_and_close();
  thread_errors_are_per_thread();
  session_lock_blocks_other_threads();
  closing_a_locked_session_releases_its_lock();
  close_while_other_threads_call();
  string_buffer_rule();
  return harness_failures != 0;
}
