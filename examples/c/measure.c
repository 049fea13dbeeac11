/* Measures the frequency on channel 1 through the C interface, in simulation unless a resource
   name is given, and shows how a refused call reports its status and text.

     tevra_c_measure                                  simulated instrument
     tevra_c_measure TCPIP::10.0.0.5::5025::SOCKET    the instrument at that address
     tevra_c_measure TCPIP::10.0.0.5::5025::SOCKET "Cache=false"

   Build against an installed driver: cc measure.c $(pkg-config --cflags --libs tevra) */
#include <stdio.h>

#include <tevra/Tevra.h>

/* Prints the session's last error (session 0: the thread's, after a failed init); the return
   value says whether the call failed. A warning (positive status) is printed and passes. */
static int failed(ViSession vi, ViStatus status, const char* what) {
  ViStatus code = 0;
  ViChar description[512];
  if (status == VI_SUCCESS) return 0;
  Tevra_GetError(vi, &code, (ViInt32)sizeof description, description);
  fprintf(stderr, "%s: %s 0x%08lX: %s\n", what, status < 0 ? "error" : "warning",
          (unsigned long)(ViUInt32)status, description);
  return status < 0;
}

/* A channel the instrument does not have is refused before anything is sent: the status names
   the kind of error, Tevra_error_message gives its general message and Tevra_GetError the text
   of this call. */
static void show_refused_call(ViSession vi) {
  ViReal64 frequency = 0;
  ViStatus status = Tevra_FrequencyMeasure(vi, 10e6, 0.1, 9, &frequency);
  ViStatus code = 0;
  ViChar message[256], description[512];
  if (status >= 0) return;
  Tevra_error_message(vi, status, message);
  Tevra_GetError(vi, &code, (ViInt32)sizeof description, description);
  printf("Channel 9:  %s0x%08lX, %s\n            %s\n",
         status == TEVRA_ERROR_INVALID_VALUE ? "TEVRA_ERROR_INVALID_VALUE, " : "",
         (unsigned long)(ViUInt32)status, message, description);
}

int main(int argc, char** argv) {
  const int simulate = argc < 2;
  ViRsrc resource = simulate ? "" : argv[1];
  ViConstString options = simulate ? "Simulate=true" : argc > 2 ? argv[2] : "";
  ViBoolean idQuery = simulate ? VI_FALSE : VI_TRUE;
  ViSession vi = 0;
  ViChar text[256];
  ViReal64 frequency = 0;
  int ok;

  if (failed(0, Tevra_InitWithOptions(resource, idQuery, VI_TRUE, options, &vi), "init")) return 1;
  if (!failed(vi,
              Tevra_GetAttributeViString(vi, "", TEVRA_ATTR_SPECIFIC_DRIVER_DESCRIPTION,
                                         (ViInt32)sizeof text, text),
              "description"))
    printf("Driver:     %s\n", text);

  /* Estimate 10 MHz, resolution 0.1 Hz, channel 1. */
  ok = !failed(vi, Tevra_FrequencyMeasure(vi, 10e6, 0.1, 1, &frequency), "measure");
  if (ok) printf("Frequency:  %.10g Hz\n", frequency);
  show_refused_call(vi);

  ok = !failed(vi, Tevra_close(vi), "close") && ok;
  return ok ? 0 : 1;
}
