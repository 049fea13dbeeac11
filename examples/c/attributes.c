/* Reads and writes settings through the C interface's attribute functions: each setting is an
   attribute identifier (TEVRA_ATTR_*) with a typed get and set function, and a channel setting
   takes a channel selector ("Channel1", "Channel1,Channel2", "Channel1-Channel2").

     tevra_c_attributes                                simulated instrument
     tevra_c_attributes TCPIP::10.0.0.5::5025::SOCKET  the instrument at that address */
#include <stdio.h>
#include <stdlib.h>

#include <tevra/Tevra.h>

/* Prints the session's last error and tells whether the call failed; warnings pass. */
static int failed(ViSession vi, ViStatus status, const char* what) {
  ViStatus code = 0;
  ViChar description[512];
  if (status == VI_SUCCESS) return 0;
  Tevra_GetError(vi, &code, (ViInt32)sizeof description, description);
  fprintf(stderr, "%s: %s 0x%08lX: %s\n", what, status < 0 ? "error" : "warning",
          (unsigned long)(ViUInt32)status, description);
  return status < 0;
}

/* A text attribute of any length: a null buffer asks for the size the text needs. */
static void print_text(ViSession vi, const char* label, ViAttr id) {
  ViInt32 size = Tevra_GetAttributeViString(vi, "", id, 0, VI_NULL);
  ViChar* text = size > 0 ? malloc((size_t)size) : NULL;
  if (text && !failed(vi, Tevra_GetAttributeViString(vi, "", id, size, text), label))
    printf("%-22s %s\n", label, text);
  free(text);
}

static void print_channel(ViSession vi, ViConstString channel) {
  ViReal64 level = 0;
  ViInt32 coupling = 0, slope = 0;
  if (failed(vi, Tevra_GetAttributeViReal64(vi, channel, TEVRA_ATTR_CHANNEL_LEVEL, &level),
             "level") ||
      failed(vi, Tevra_GetAttributeViInt32(vi, channel, TEVRA_ATTR_CHANNEL_COUPLING, &coupling),
             "coupling") ||
      failed(vi, Tevra_GetAttributeViInt32(vi, channel, TEVRA_ATTR_CHANNEL_SLOPE, &slope), "slope"))
    return;
  printf("%-22s level %g V, %s coupling, %s slope\n", channel, level,
         coupling == TEVRA_VAL_COUPLING_DC ? "DC" : "AC",
         slope == TEVRA_VAL_SLOPE_NEGATIVE ? "negative" : "positive");
}

/* An expected refusal: its status (TEVRA_ERROR_*) and the session's text for it. */
static void show_refused(ViSession vi, const char* label, ViStatus status) {
  ViStatus code = 0;
  ViChar description[512] = "";
  if (status < 0) Tevra_GetError(vi, &code, (ViInt32)sizeof description, description);
  printf("%-22s 0x%08lX %s\n", label, (unsigned long)(ViUInt32)status, description);
}

int main(int argc, char** argv) {
  const int simulate = argc < 2;
  ViRsrc resource = simulate ? "" : argv[1];
  ViSession vi = 0;
  ViInt32 channels = 0, timeout = 0;
  ViReal64 level = 0;
  int ok;

  if (failed(0,
             Tevra_InitWithOptions(resource, simulate ? VI_FALSE : VI_TRUE, VI_TRUE,
                                   simulate ? "Simulate=true" : "", &vi),
             "init"))
    return 1;
  print_text(vi, "Driver", TEVRA_ATTR_SPECIFIC_DRIVER_DESCRIPTION);
  print_text(vi, "Supported models", TEVRA_ATTR_SUPPORTED_INSTRUMENT_MODELS);

  /* Session-wide settings ignore the selector. */
  ok = !failed(vi, Tevra_GetAttributeViInt32(vi, "", TEVRA_ATTR_CHANNEL_COUNT, &channels),
               "channel count") &&
       !failed(vi, Tevra_SetAttributeViInt32(vi, "", TEVRA_ATTR_SYSTEM_TIMEOUT_MILLISECONDS, 5000),
               "set timeout") &&
       !failed(vi,
               Tevra_GetAttributeViInt32(vi, "", TEVRA_ATTR_SYSTEM_TIMEOUT_MILLISECONDS, &timeout),
               "timeout");
  if (ok)
    printf("%-22s %ld channels, I/O timeout %ld ms\n", "Instrument", (long)channels, (long)timeout);

  /* A setting is written to every channel of a range or a list, in order; it is read from one. */
  ok = ok &&
       !failed(vi,
               Tevra_SetAttributeViReal64(vi, "Channel1-Channel2", TEVRA_ATTR_CHANNEL_LEVEL, 0.25),
               "set level") &&
       !failed(vi,
               Tevra_SetAttributeViInt32(vi, "Channel1,Channel2", TEVRA_ATTR_CHANNEL_COUPLING,
                                         TEVRA_VAL_COUPLING_DC),
               "set coupling") &&
       !failed(vi,
               Tevra_SetAttributeViInt32(vi, "Channel2", TEVRA_ATTR_CHANNEL_SLOPE,
                                         TEVRA_VAL_SLOPE_NEGATIVE),
               "set slope");
  print_channel(vi, "Channel1");
  print_channel(vi, "Channel2");

  /* Refused calls: reading through a range, and the wrong accessor for the attribute's type. */
  show_refused(
      vi, "Read through a range",
      Tevra_GetAttributeViReal64(vi, "Channel1-Channel2", TEVRA_ATTR_CHANNEL_LEVEL, &level));
  show_refused(vi, "Level as ViInt32",
               Tevra_GetAttributeViInt32(vi, "Channel1", TEVRA_ATTR_CHANNEL_LEVEL, &channels));

  ok = !failed(vi, Tevra_close(vi), "close") && ok;
  return ok ? 0 : 1;
}
