/* The attribute functions: every attribute identifier with its type, access and channel rule,
   the dispatch errors with their texts, boolean and string conversions, and channel selectors. */
#include "CHarness.h"

enum { T_INT32 = 1, T_REAL64 = 3, T_BOOLEAN = 4, T_STRING = 6 };

typedef struct {
  ViAttr id;
  long number;
  int type;
  int writable;
  int channel;
} AttributeRow;

/* The complete attribute list. */
static const AttributeRow kAttributes[] = {
    {TEVRA_ATTR_RANGE_CHECK, 1050002, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_QUERY_INSTRUMENT_STATUS, 1050003, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_CACHE, 1050004, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_SIMULATE, 1050005, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_RECORD_COERCIONS, 1050006, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_DRIVER_SETUP, 1050007, T_STRING, 0, 0},
    {TEVRA_ATTR_INTERCHANGE_CHECK, 1050021, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_CHANNEL_COUNT, 1050203, T_INT32, 0, 0},
    {TEVRA_ATTR_SPECIFIC_DRIVER_PREFIX, 1050302, T_STRING, 0, 0},
    {TEVRA_ATTR_LOGICAL_NAME, 1050305, T_STRING, 0, 0},
    {TEVRA_ATTR_SUPPORTED_INSTRUMENT_MODELS, 1050327, T_STRING, 0, 0},
    {TEVRA_ATTR_GROUP_CAPABILITIES, 1050401, T_STRING, 0, 0},
    {TEVRA_ATTR_INSTRUMENT_FIRMWARE_REVISION, 1050510, T_STRING, 0, 0},
    {TEVRA_ATTR_SPECIFIC_DRIVER_VENDOR, 1050513, T_STRING, 0, 0},
    {TEVRA_ATTR_SPECIFIC_DRIVER_DESCRIPTION, 1050514, T_STRING, 0, 0},
    {TEVRA_ATTR_SPECIFIC_DRIVER_CLASS_SPEC_MAJOR_VERSION, 1050515, T_INT32, 0, 0},
    {TEVRA_ATTR_SPECIFIC_DRIVER_CLASS_SPEC_MINOR_VERSION, 1050516, T_INT32, 0, 0},
    {TEVRA_ATTR_SPECIFIC_DRIVER_REVISION, 1050551, T_STRING, 0, 0},
    {TEVRA_ATTR_SYSTEM_DATE, 1150001, T_STRING, 1, 0},
    {TEVRA_ATTR_SYSTEM_SERIAL_NUMBER, 1150002, T_STRING, 0, 0},
    {TEVRA_ATTR_SYSTEM_TIME, 1150003, T_STRING, 1, 0},
    {TEVRA_ATTR_SYSTEM_TIMEOUT_MILLISECONDS, 1150004, T_INT32, 1, 0},
    {TEVRA_ATTR_SYSTEM_TRACE_ENABLED, 1150005, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_STATUS_SERIAL_POLL, 1150006, T_INT32, 0, 0},
    {TEVRA_ATTR_DISPLAY_ENABLED, 1150007, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_DISPLAY_TEXT, 1150008, T_STRING, 1, 0},
    {TEVRA_ATTR_INPUT_NOISE_REJECT_ENABLED, 1150009, T_BOOLEAN, 1, 1},
    {TEVRA_ATTR_INPUT_PROBE_FACTOR, 1150010, T_INT32, 1, 1},
    {TEVRA_ATTR_REFERENCE_OSCILLATOR_SOURCE, 1150011, T_INT32, 1, 0},
    {TEVRA_ATTR_REFERENCE_OSCILLATOR_AUTO_SOURCE_ENABLED, 1150012, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_REFERENCE_OSCILLATOR_POWER_STANDBY_ENABLED, 1150013, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_REFERENCE_OSCILLATOR_EXTERNAL_FREQUENCY, 1150014, T_INT32, 1, 0},
    {TEVRA_ATTR_OUTPUT_POLARITY, 1150016, T_INT32, 1, 0},
    {TEVRA_ATTR_OUTPUT_ENABLED, 1150017, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_TRIGGER_COUNT, 1150018, T_INT32, 1, 0},
    {TEVRA_ATTR_TRIGGER_DELAY, 1150019, T_INT32, 1, 0},
    {TEVRA_ATTR_TRIGGER_SLOPE, 1150020, T_INT32, 1, 0},
    {TEVRA_ATTR_TRIGGER_SOURCE, 1150021, T_INT32, 1, 0},
    {TEVRA_ATTR_TRIGGER_SAMPLE_COUNT, 1150023, T_INT32, 1, 0},
    {TEVRA_ATTR_TIME_STAMP_RATE, 1150024, T_INT32, 1, 0},
    {TEVRA_ATTR_BURST_LEVEL, 1150025, T_INT32, 1, 0},
    {TEVRA_ATTR_BURST_GATE_TIME, 1150026, T_REAL64, 1, 0},
    {TEVRA_ATTR_BURST_AUTO_GATING_ENABLED, 1150027, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_BURST_DELAY, 1150028, T_REAL64, 1, 0},
    {TEVRA_ATTR_BURST_NARROW_PULSE_ENABLED, 1150029, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_MATH_ENABLED, 1150030, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_MATH_HISTOGRAM_DATA_COUNT, 1150032, T_INT32, 0, 0},
    {TEVRA_ATTR_MATH_HISTOGRAM_DATA_POINTS, 1150034, T_INT32, 1, 0},
    {TEVRA_ATTR_MATH_HISTOGRAM_ENABLED, 1150035, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_MATH_HISTOGRAM_LOWER_RANGE, 1150036, T_REAL64, 1, 0},
    {TEVRA_ATTR_MATH_HISTOGRAM_AUTO_RANGE_ENABLED, 1150038, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_MATH_HISTOGRAM_AUTO_RANGE_COUNT, 1150039, T_INT32, 1, 0},
    {TEVRA_ATTR_MATH_LIMITS_LOWER, 1150042, T_REAL64, 1, 0},
    {TEVRA_ATTR_MATH_LIMITS_UPPER, 1150043, T_REAL64, 1, 0},
    {TEVRA_ATTR_MATH_LIMITS_ENABLED, 1150044, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_MATH_HISTOGRAM_UPPER_RANGE, 1150070, T_REAL64, 1, 0},
    {TEVRA_ATTR_INPUT_VOLTAGE2, 1150090, T_REAL64, 1, 1},
    {TEVRA_ATTR_INPUT_AUTO_LEVEL_ENABLED, 1150091, T_BOOLEAN, 1, 1},
    {TEVRA_ATTR_INPUT_IS_PROTECTION_ENABLE, 1150092, T_BOOLEAN, 0, 1},
    {TEVRA_ATTR_INPUT_PERCENTAGE1, 1150093, T_INT32, 1, 1},
    {TEVRA_ATTR_INPUT_PERCENTAGE2, 1150094, T_INT32, 1, 1},
    {TEVRA_ATTR_INPUT_STRENGTH, 1150095, T_INT32, 0, 1},
    {TEVRA_ATTR_DISPLAY_MODE, 1150097, T_INT32, 1, 0},
    {TEVRA_ATTR_DISPLAY_DIGIT_COUNT, 1150098, T_INT32, 1, 0},
    {TEVRA_ATTR_DISPLAY_AUTO_DIGIT_COUNT_ENABLED, 1150099, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_SYSTEM_BEEPER_ENABLED, 1150103, T_BOOLEAN, 1, 0},
    {TEVRA_ATTR_SYSTEM_OPTION, 1150104, T_STRING, 0, 0},
    {TEVRA_ATTR_SYSTEM_LOCK_NAME, 1150105, T_STRING, 0, 0},
    {TEVRA_ATTR_SYSTEM_LOCK_OWNER, 1150106, T_STRING, 0, 0},
    {TEVRA_ATTR_SYSTEM_SCPI_VERSION, 1150107, T_REAL64, 0, 0},
    {TEVRA_ATTR_INPUT_VOLTAGE1, 1150110, T_REAL64, 1, 1},
    {TEVRA_ATTR_CHANNELS_AUTO_LEVEL_FREQUENCY, 1150111, T_INT32, 1, 0},
    {TEVRA_ATTR_INPUT_SLOPE1, 1150112, T_INT32, 1, 1},
    {TEVRA_ATTR_INPUT_SLOPE2, 1150113, T_INT32, 1, 1},
    {TEVRA_ATTR_INPUT_IMPEDANCE, 1150114, T_INT32, 1, 1},
    {TEVRA_ATTR_INPUT_RANGE, 1150115, T_INT32, 1, 1},
    {TEVRA_ATTR_SYSTEM_IO_TIMEOUT, 1150116, T_INT32, 1, 0},
    {TEVRA_ATTR_FUNCTION, 1250003, T_INT32, 1, 0},
    {TEVRA_ATTR_CHANNEL_IMPEDANCE, 1250004, T_REAL64, 1, 1},
    {TEVRA_ATTR_CHANNEL_COUPLING, 1250005, T_INT32, 1, 1},
    {TEVRA_ATTR_CHANNEL_ATTENUATION, 1250006, T_REAL64, 1, 1},
    {TEVRA_ATTR_CHANNEL_LEVEL, 1250007, T_REAL64, 1, 1},
    {TEVRA_ATTR_CHANNEL_HYSTERESIS, 1250008, T_REAL64, 1, 1},
    {TEVRA_ATTR_CHANNEL_SLOPE, 1250009, T_INT32, 1, 1},
    {TEVRA_ATTR_CHANNEL_FILTER_ENABLED, 1250010, T_BOOLEAN, 1, 1},
    {TEVRA_ATTR_ARM_START_TYPE, 1250053, T_INT32, 1, 0},
    {TEVRA_ATTR_ARM_START_EXTERNAL_SOURCE, 1250054, T_STRING, 1, 0},
    {TEVRA_ATTR_ARM_START_EXTERNAL_LEVEL, 1250055, T_REAL64, 1, 0},
    {TEVRA_ATTR_ARM_START_EXTERNAL_SLOPE, 1250056, T_INT32, 1, 0},
    {TEVRA_ATTR_ARM_START_EXTERNAL_DELAY, 1250057, T_REAL64, 1, 0},
    {TEVRA_ATTR_ARM_STOP_TYPE, 1250058, T_INT32, 1, 0},
    {TEVRA_ATTR_ARM_STOP_EXTERNAL_SOURCE, 1250059, T_STRING, 1, 0},
    {TEVRA_ATTR_ARM_STOP_EXTERNAL_LEVEL, 1250060, T_REAL64, 1, 0},
    {TEVRA_ATTR_ARM_STOP_EXTERNAL_SLOPE, 1250061, T_INT32, 1, 0},
    {TEVRA_ATTR_ARM_STOP_EXTERNAL_DELAY, 1250062, T_REAL64, 1, 0},
};
#define ATTRIBUTE_COUNT (sizeof kAttributes / sizeof kAttributes[0])

static const ViStatus kUnknownId = (ViStatus)0xBFFA000CUL;
static const ViStatus kWrongType = (ViStatus)0xBFFA0015UL;
static const ViStatus kReadOnly = (ViStatus)0xBFFA000DUL;
static const ViStatus kBadlyFormed = (ViStatus)0xBFFA0066UL;

/* An attribute value of any type. */
typedef union {
  ViInt32 i;
  ViReal64 d;
  ViBoolean b;
  ViSession s;
  char text[256];
} Value;

static ViStatus get_as(ViSession vi, const char* rc, ViAttr id, int type, Value* v) {
  switch (type) {
    case T_INT32:
      return Tevra_GetAttributeViInt32(vi, rc, id, &v->i);
    case T_REAL64:
      return Tevra_GetAttributeViReal64(vi, rc, id, &v->d);
    case T_BOOLEAN:
      return Tevra_GetAttributeViBoolean(vi, rc, id, &v->b);
    case T_STRING:
      return Tevra_GetAttributeViString(vi, rc, id, sizeof v->text, v->text);
    default:
      return Tevra_GetAttributeViSession(vi, rc, id, &v->s);
  }
}

static ViStatus set_as(ViSession vi, const char* rc, ViAttr id, int type, const Value* v) {
  switch (type) {
    case T_INT32:
      return Tevra_SetAttributeViInt32(vi, rc, id, v->i);
    case T_REAL64:
      return Tevra_SetAttributeViReal64(vi, rc, id, v->d);
    case T_BOOLEAN:
      return Tevra_SetAttributeViBoolean(vi, rc, id, v->b);
    default:
      return Tevra_SetAttributeViString(vi, rc, id, v->text);
  }
}

/* Every identifier has the number, type and access of the list, reaches its property (the get
   succeeds, a writable value written back is taken), and refuses the other accessors. */
static void walk_every_attribute(void) {
  static const int kTypes[] = {T_INT32, T_REAL64, T_BOOLEAN, T_STRING, 5};
  ViSession vi = open_simulated("QX1300");
  size_t k, t;
  for (k = 0; k < ATTRIBUTE_COUNT; ++k) {
    const AttributeRow* row = &kAttributes[k];
    const char* rc = row->channel ? "Channel1" : "";
    Value value;
    ViStatus got, set;
    memset(&value, 0, sizeof value);
    got = get_as(vi, rc, row->id, row->type, &value);
    set = set_as(vi, rc, row->id, row->type, &value); /* the value read, written back */
    CHECK_INT(row->id, row->number);
    if (got < 0) fprintf(stderr, "attribute %ld get: %s\n", row->number, last_error(vi));
    CHECK(got >= 0);
    if (!row->writable) {
      CHECK_INT(set, kReadOnly);
      CHECK_STR(last_error(vi), "Attribute is read-only.");
    } else if (row->id == TEVRA_ATTR_FUNCTION) {
      /* the function is changed by the configure functions only */
      CHECK_INT(set, (ViStatus)0xBFFA0012UL);
    } else {
      if (set < 0) fprintf(stderr, "attribute %ld set: %s\n", row->number, last_error(vi));
      CHECK(set >= 0);
    }
    for (t = 0; t < sizeof kTypes / sizeof kTypes[0]; ++t) {
      if (kTypes[t] == row->type) continue;
      CHECK_STATUS(vi, get_as(vi, rc, row->id, kTypes[t], &value), kWrongType,
                   "Wrong attribute accessor invoked for attribute type.");
    }
  }
  Tevra_close(vi);
}

static void dispatch_errors_and_conversions(void) {
  ViSession vi = open_simulated("QX1200");
  ViBoolean b = 0;
  ViInt32 i = 0;
  char text[8];
  CHECK_STATUS(vi, Tevra_GetAttributeViInt32(vi, "", 1149999, &i), kUnknownId,
               "Attribute ID not recognized.");
  CHECK_STATUS(vi, Tevra_SetAttributeViSession(vi, "", 1149999, 0), kUnknownId,
               "Attribute ID not recognized.");
  /* Any non-zero boolean is true, and true reads back as 1. */
  CHECK_INT(Tevra_SetAttributeViBoolean(vi, "", TEVRA_ATTR_CACHE, 0), 0);
  CHECK_INT(Tevra_SetAttributeViBoolean(vi, "", TEVRA_ATTR_CACHE, 2), 0);
  CHECK_INT(Tevra_GetAttributeViBoolean(vi, "", TEVRA_ATTR_CACHE, &b), 0);
  CHECK_INT(b, 1);
  /* The prefix into a 3-character buffer: two characters and the size it needs. */
  memset(text, 'x', sizeof text);
  CHECK_INT(Tevra_GetAttributeViString(vi, "", TEVRA_ATTR_SPECIFIC_DRIVER_PREFIX, 3, text), 6);
  CHECK_STR(text, "Te");
  Tevra_close(vi);
}

/* A set goes to every channel of a range (over a list, in its order: FunctionsTest's
   channel_selectors), a get reads one channel and refuses ranges. */
static void channel_selectors(void) {
  ViSession vi = open_simulated("QX1200");
  ViReal64 one = 0, two = 0;
  CHECK_INT(Tevra_SetAttributeViReal64(vi, "Channel1-Channel2", TEVRA_ATTR_CHANNEL_LEVEL, 0.25), 0);
  CHECK_INT(Tevra_GetAttributeViReal64(vi, "Channel1", TEVRA_ATTR_CHANNEL_LEVEL, &one), 0);
  CHECK_INT(Tevra_GetAttributeViReal64(vi, "Channel2", TEVRA_ATTR_CHANNEL_LEVEL, &two), 0);
  CHECK(one == 0.25 && two == 0.25);
  CHECK_STATUS(vi,
               Tevra_GetAttributeViReal64(vi, "Channel1-Channel2", TEVRA_ATTR_CHANNEL_LEVEL, &one),
               kBadlyFormed, NULL);
  CHECK(Tevra_SetAttributeViReal64(vi, "Channel9", TEVRA_ATTR_CHANNEL_LEVEL, 0.5) < 0);
  Tevra_close(vi);
}

int main(void) {
  walk_every_attribute();
  dispatch_errors_and_conversions();
  channel_selectors();
  return harness_failures != 0;
}
