/* Compiled as C89, C99 and C++, each with and without a VISA visatype.h included first: the C
   header must compile warning-free under all of them, its VISA types must have the sizes of a
   vendor's visatype.h on LP64, and its status macros must be negative errors and positive
   warnings usable as case labels. */
#ifdef TEVRA_TEST_VISATYPE_FIRST
#include <visatype.h>
#endif
#include <tevra/Tevra.h>

#if defined(TEVRA_TEST_VISATYPE_FIRST) && defined(TEVRA_VISATYPES_DEFINED)
#error "Tevra.h defined the VISA types although visatype.h was included first"
#endif

/* A compile-time check that C89 accepts: an array of negative size when the condition fails. */
#define HEADER_CHECK(name, condition) typedef char header_check_##name[(condition) ? 1 : -1]

HEADER_CHECK(int32, sizeof(ViInt32) == 4);
HEADER_CHECK(uint32, sizeof(ViUInt32) == 4);
HEADER_CHECK(int16, sizeof(ViInt16) == 2);
HEADER_CHECK(boolean, sizeof(ViBoolean) == 2);
HEADER_CHECK(session, sizeof(ViSession) == 4);
HEADER_CHECK(attr, sizeof(ViAttr) == 4);
HEADER_CHECK(status, sizeof(ViStatus) == 4);
HEADER_CHECK(real64, sizeof(ViReal64) == 8);
HEADER_CHECK(status_signed, (ViStatus)-1 < 0);
HEADER_CHECK(errors_negative, TEVRA_ERROR_NULL_POINTER < 0 && TEVRA_ERROR_MAX_TIME_EXCEEDED < 0);
HEADER_CHECK(c_layer_negative, TEVRA_ERROR_INVALID_SESSION_HANDLE < 0);
HEADER_CHECK(warnings_positive, TEVRA_WARN_ID_QUERY_NOT_SUPPORTED > 0 && TEVRA_WARN_OVER_RANGE > 0);

/* Every kind of macro in the contexts a C program uses them: case labels, initialisers of the
   attribute and value types, arguments. */
int header_classify(ViStatus status);
int header_classify(ViStatus status) {
  switch (status) {
    case VI_SUCCESS:
      return 0;
    case TEVRA_ERROR_INVALID_VALUE:
    case TEVRA_ERROR_ATTRIBUTE_NOT_SUPPORTED:
      return -1;
    case TEVRA_WARN_UNCALIBRATED:
      return 1;
    default:
      return status < 0 ? -2 : 2;
  }
}

ViStatus header_call(ViSession vi);
ViStatus header_call(ViSession vi) {
  const ViInt32 reasons =
      TEVRA_VAL_STATUS_SRQ_REASON_STB_MAV | TEVRA_VAL_STATUS_SRQ_REASON_GLOBAL_ERROR;
  ViChar message[256];
  ViStatus status =
      Tevra_SetAttributeViInt32(vi, "Channel1", TEVRA_ATTR_CHANNEL_SLOPE, TEVRA_VAL_SLOPE_POSITIVE);
  if (status != VI_SUCCESS) (void)Tevra_error_message(vi, status, message);
  return reasons == 0 ? TEVRA_ERROR_UNRECOVERABLE_FAILURE : status;
}
