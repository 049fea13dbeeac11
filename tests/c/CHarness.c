#include "CHarness.h"

int harness_failures = 0;

const char* last_error(ViSession vi) {
  static char text[1024];
  ViStatus code = 0;
  text[0] = '\0';
  Tevra_GetError(vi, &code, (ViInt32)sizeof text, text);
  return text;
}

void harness_check_status(ViSession vi, ViStatus actual, ViStatus expected, const char* text,
                          const char* file, int line, const char* call) {
  if (actual != expected) {
    ++harness_failures;
    fprintf(stderr, "%s:%d: %s returned 0x%08X, expected 0x%08X (error: %s)\n", file, line, call,
            (unsigned)actual, (unsigned)expected, last_error(vi));
    return;
  }
  if (text) {
    const char* got = last_error(vi);
    if (strcmp(got, text) != 0) {
      ++harness_failures;
      fprintf(stderr, "%s:%d: %s left the error \"%s\", expected \"%s\"\n", file, line, call, got,
              text);
    }
  }
}

ViSession open_simulated(const char* model) {
  char options[128];
  ViSession vi = 0;
  ViStatus status;
  snprintf(options, sizeof options, "Simulate=true, DriverSetup=Model=%s", model);
  status = Tevra_InitWithOptions("", VI_FALSE, VI_TRUE, options, &vi);
  if (status != 0) {
    ++harness_failures;
    fprintf(stderr, "simulated %s: status 0x%08X: %s\n", model, (unsigned)status, last_error(0));
    return 0;
  }
  return vi;
}
