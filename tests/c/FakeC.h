/* The fake instrument from C: a loopback server that answers scripted replies and records the
   bytes it received, with a Tevra session opened on it. */
#ifndef TEVRA_FAKE_C_H
#define TEVRA_FAKE_C_H

#include <tevra/Tevra.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct FakeC FakeC;

/* A fake of the model that answers "*IDN?" and, once, "*OPT?" with options. */
FakeC* fake_open(const char* model, const char* options);
/* Replies to a command. Only before fake_session. */
void fake_on(FakeC* fake, const char* command, const char* reply);
/* Starts the fake and opens a session on it with an identity query, options as given (may be
   NULL); 0 after a reported failure. The wire is checked from here on. */
ViSession fake_session(FakeC* fake, const char* options);
/* 1 when exactly these bytes arrived since the session opened or the last check, else 0 (and
   the bytes that did arrive are printed). */
int fake_expect_wire(FakeC* fake, const char* bytes);
/* Closes the session (when open) and stops the fake. */
void fake_close(FakeC* fake);

#ifdef __cplusplus
}
#endif

#endif
