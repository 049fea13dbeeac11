/* The C test suites' checks: each failed check prints where and what, and the suite's main
   returns the number of failures. Sessions are opened in simulation or on the fake instrument
   (FakeC.h). */
#ifndef TEVRA_C_HARNESS_H
#define TEVRA_C_HARNESS_H

#include <stdio.h>
#include <string.h>

#include <tevra/Tevra.h>

extern int harness_failures;

#define CHECK(cond)                                                            \
  do {                                                                         \
    if (!(cond)) {                                                             \
      ++harness_failures;                                                      \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
    }                                                                          \
  } while (0)

#define CHECK_INT(actual, expected)                                                               \
  do {                                                                                            \
    long long a_ = (long long)(actual), e_ = (long long)(expected);                               \
    if (a_ != e_) {                                                                               \
      ++harness_failures;                                                                         \
      fprintf(stderr, "%s:%d: %s is %lld (0x%llX), expected %lld (0x%llX)\n", __FILE__, __LINE__, \
              #actual, a_, (unsigned long long)a_ & 0xFFFFFFFFu, e_,                              \
              (unsigned long long)e_ & 0xFFFFFFFFu);                                              \
    }                                                                                             \
  } while (0)

#define CHECK_STR(actual, expected)                                                              \
  do {                                                                                           \
    const char* a_ = (actual);                                                                   \
    const char* e_ = (expected);                                                                 \
    if (strcmp(a_, e_) != 0) {                                                                   \
      ++harness_failures;                                                                        \
      fprintf(stderr, "%s:%d: %s is \"%s\", expected \"%s\"\n", __FILE__, __LINE__, #actual, a_, \
              e_);                                                                               \
    }                                                                                            \
  } while (0)

/* The call's status, and the session's error text when a text is given. */
#define CHECK_STATUS(vi, call, status, text) \
  harness_check_status((vi), (call), (status), (text), __FILE__, __LINE__, #call)
void harness_check_status(ViSession vi, ViStatus actual, ViStatus expected, const char* text,
                          const char* file, int line, const char* call);

/* A simulated session of the model ("QX1300" and so on); 0 after a reported failure. */
ViSession open_simulated(const char* model);

/* The session's last error text (a static buffer, overwritten by the next call). */
const char* last_error(ViSession vi);

#endif
