/* The generated status macros against the library's C message table: the C layer's own statuses
   (listed by hand in the generator) and the statuses whose low bits differ between the two
   interfaces each name the status whose message they stand for. Success has its text, an
   unknown status none. */
#include "CHarness.h"

int main(void) {
  static const struct {
    ViStatus status;
    const char* message;
  } kCases[] = {
      {TEVRA_ERROR_ATTRIBUTE_NOT_SUPPORTED, "Attribute ID not recognized."},
      {TEVRA_ERROR_INVALID_TYPE, "Wrong attribute accessor invoked for attribute type."},
      {TEVRA_ERROR_ATTRIBUTE_NOT_WRITABLE, "Attribute is read-only."},
      {TEVRA_ERROR_ATTRIBUTE_NOT_READABLE, "Attribute is write-only."},
      {TEVRA_ERROR_INVALID_SESSION_HANDLE, "Invalid session handle."},
      {TEVRA_ERROR_NULL_POINTER, "Null pointer passed for method %1, parameter %2."},
      {TEVRA_ERROR_MAX_TIME_EXCEEDED, "The maximum waiting time for this operation was exceeded."},
      {TEVRA_WARN_OVER_RANGE, "The measurement taken was over the instrument's range."},
      {TEVRA_WARN_UNCALIBRATED,
       "The instrument was in an uncalibrated state when the measurement was taken."},
      {TEVRA_WARN_FIRMWARE_REVISION_QUERY_NOT_SUPPORTED,
       "Firmware revision query is not supported by this instrument."},
      {0, "Success."},
      {(ViStatus)0xBFFA7777UL, ""}, /* no message: an empty text */
  };
  size_t k;
  for (k = 0; k < sizeof kCases / sizeof kCases[0]; ++k) {
    char message[256] = "stale";
    CHECK_INT(Tevra_error_message(0, kCases[k].status, message), 0);
    CHECK_STR(message, kCases[k].message);
  }
  return harness_failures != 0;
}
