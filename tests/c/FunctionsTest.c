/* The function family: one function of each group sends its arguments in order and brings its
   outputs back, over the fake instrument; the output rules (a null scalar, a short text or byte
   buffer, a short or null array, a null input array); a failing call leaves its outputs alone;
   channel selectors; the catalog's joined names; the functions made of two calls or reached through
   the formatted I/O object. */
#include "CHarness.h"
#include "FakeC.h"

static const ViStatus kNullPointer = (ViStatus)0xBFFA0058UL;
static const ViStatus kUnknownResult = (ViStatus)0x80000000UL;

/* ---- One function of each group over the fake --------------------------------------------- */

static ViStatus error_query(ViSession vi) {
  ViInt32 code = 0;
  char message[256] = "";
  const ViStatus status = Tevra_error_query(vi, &code, message);
  CHECK_INT(code, -113);
  CHECK_STR(message, "Undefined header");
  return status;
}
static ViStatus configure_main(ViSession vi) {
  char text[64] = "";
  const ViStatus status = Tevra_ConfigureMain(vi, sizeof text, text);
  CHECK_STR(text, "FREQ +1.0E+6,+1,(@1)");
  return status;
}
static ViStatus configure_frequency(ViSession vi) {
  return Tevra_ConfigureFrequencyManual(vi, "Channel2", 1e6, 0.5);
}
static ViStatus initiate(ViSession vi) { return Tevra_Initiate(vi); }
static ViStatus configure_stop_arm(ViSession vi) {
  return Tevra_ConfigureStopArm(vi, TEVRA_VAL_ARM_TYPE_EXTERNAL);
}
static ViStatus get_channel_name(ViSession vi) {
  char name[16] = "";
  const ViStatus status = Tevra_GetChannelName(vi, 2, sizeof name, name);
  CHECK_STR(name, "Channel2");
  return status;
}
static ViStatus arm_set_time(ViSession vi) {
  return Tevra_ArmSetTime(vi, TEVRA_VAL_ARM_MEASUREMENT_TYPE_TOTALIZE, 0.002);
}
static ViStatus frequency_measure(ViSession vi) {
  ViReal64 frequency = 0;
  const ViStatus status = Tevra_FrequencyMeasure(vi, 1e6, 0.5, 2, &frequency);
  CHECK(frequency == 1234.5);
  return status;
}
static ViStatus burst_measure_prf(ViSession vi) {
  ViReal64 data = 0;
  const ViStatus status = Tevra_BurstMeasurePRF(vi, 1e6, 0.5, 3, &data);
  CHECK(data == 2500.0);
  return status;
}
static ViStatus query_last(ViSession vi) {
  ViReal64 last = 0;
  char unit[8] = "";
  const ViStatus status = Tevra_MeasurementQueryLast(vi, &last, sizeof unit, unit);
  CHECK(last == 1.5);
  CHECK_STR(unit, "HZ");
  return status;
}
static ViStatus software_trigger(ViSession vi) { return Tevra_TriggerSendSoftwareTrigger(vi); }
static ViStatus average_all(ViSession vi) {
  ViReal64 average = 0, deviation = 0, minimum = 0, maximum = 0;
  const ViStatus status = Tevra_AverageAll(vi, &average, &deviation, &minimum, &maximum);
  CHECK(average == 1 && deviation == 2 && minimum == 3 && maximum == 4);
  return status;
}
static ViStatus status_get_register(ViSession vi) {
  ViInt32 value = 0;
  const ViStatus status = Tevra_StatusGetRegister(vi, TEVRA_VAL_STATUS_REGISTER_QUESTIONABLE,
                                                  TEVRA_VAL_STATUS_SUB_REGISTER_ENABLE, &value);
  CHECK_INT(value, 512);
  return status;
}
static ViStatus memory_copy(ViSession vi) { return Tevra_MemoryCopy(vi, "A.STA", "B.STA"); }
static ViStatus security_enabled(ViSession vi) {
  return Tevra_CalibrationSecurityEnabled(vi, 2, "1234");
}
static ViStatus display_clear(ViSession vi) { return Tevra_DisplayClear(vi); }
static ViStatus request_lock(ViSession vi) {
  ViBoolean granted = 7;
  const ViStatus status = Tevra_SystemRequestLock(vi, &granted);
  CHECK_INT(granted, VI_TRUE);
  return status;
}
static ViStatus vi_write(ViSession vi) {
  static const ViByte kBytes[] = {'A', 'B', 'C'};
  ViInt32 written = 0;
  const ViStatus status = Tevra_viWrite(vi, 2, kBytes, &written);
  CHECK_INT(written, 2);
  return status;
}
static ViStatus io_write(ViSession vi) { return Tevra_SystemIoWrite(vi, "*CLS"); }

typedef struct {
  const char* group;
  const char* model;
  ViStatus (*call)(ViSession vi);
  const char* replies[2][2]; /* commands the fake answers, and their replies */
  const char* wire;          /* every byte the call sends */
} WireRow;

/* clang-format off */
static const WireRow kWire[] = {
    {"utility", "QX1200", error_query,
     {{":SYST:ERR?", "-113,\"Undefined header\"\n"}}, ":SYST:ERR?\n"},
    {"function selection", "QX1200", configure_main,
     {{"CONF?", "\"FREQ +1.0E+6,+1,(@1)\"\n"}}, "CONF?\n"},
    {"class functions", "QX1200", configure_frequency, {{NULL}}, "CONF:FREQ 1000000, 0.5, (@2)\n"},
    {"class measurement", "QX1200", initiate, {{NULL}}, "INIT\n"},
    {"class arming", "QX1200", configure_stop_arm, {{NULL}}, "GATE:STOP:SOUR EXT\n"},
    {"channels", "QX1200", get_channel_name, {{NULL}}, ""},
    {"arming", "QX1200", arm_set_time, {{NULL}}, "TOT:GATE:TIME 2.000000e-03\n"},
    {"functions", "QX1200", frequency_measure,
     {{"MEAS:FREQ? 1000000, 0.5, (@2)", "1234.5\n"}}, "MEAS:FREQ? 1000000, 0.5, (@2)\n"},
    {"burst", "QX1300", burst_measure_prf,
     {{"*OPT?", "431,762\n"}, {"MEAS:FREQ:PRF? 1000000,0.5,(@3)", "2500\n"}},
     "*OPT?\nMEAS:FREQ:PRF? 1000000,0.5,(@3)\n"}, /* each burst call asks for the option */
    {"readings", "QX1200", query_last, {{"DATA:LAST?", "1.5 HZ\n"}}, "DATA:LAST?\n"},
    {"trigger", "QX1200", software_trigger, {{NULL}}, "*TRG\n"},
    {"math", "QX1200", average_all, {{"CALC:AVER:ALL?", "1,2,3,4\n"}}, "CALC:AVER:ALL?\n"},
    {"status", "QX1200", status_get_register, {{"STAT:QUES:ENAB?", "512\n"}}, "STAT:QUES:ENAB?\n"},
    {"memory", "QX1200", memory_copy, {{NULL}}, "MMEM:COPY \"A.STA\",\"B.STA\"\n"},
    {"calibration", "QX1200", security_enabled, {{NULL}}, "CAL:SEC:STAT 1,1234\n"},
    {"display", "QX1200", display_clear, {{NULL}}, "DISP:TEXT:CLE\n"},
    {"system", "QX1200", request_lock, {{"SYST:LOCK:REQ?", "1\n"}}, "SYST:LOCK:REQ?\n"},
    {"pass-through I/O", "QX1200", vi_write, {{NULL}}, "AB\n"},
    {"formatted I/O", "QX1200", io_write, {{NULL}}, "*CLS\n"},
};
/* clang-format on */

static void each_group_forwards(void) {
  size_t k;
  for (k = 0; k < sizeof kWire / sizeof kWire[0]; ++k) {
    const WireRow* row = &kWire[k];
    FakeC* fake = fake_open(row->model, "431,762");
    ViSession vi;
    ViStatus status;
    size_t r;
    for (r = 0; r < 2 && row->replies[r][0]; ++r)
      fake_on(fake, row->replies[r][0], row->replies[r][1]);
    vi = fake_session(fake, "QueryInstrumentStatus=false");
    status = row->call(vi);
    if (status != 0)
      fprintf(stderr, "%s: 0x%08X %s\n", row->group, (unsigned)status, last_error(vi));
    CHECK_INT(status, 0);
    if (!fake_expect_wire(fake, row->wire)) {
      ++harness_failures;
      fprintf(stderr, "  in the %s group\n", row->group);
    }
    fake_close(fake);
  }
}

/* ---- The output rules ---------------------------------------------------------------------- */

/* A null output is refused by name before anything is sent. */
static void null_outputs(void) {
  FakeC* fake = fake_open("QX1200", "");
  ViSession vi = fake_session(fake, "QueryInstrumentStatus=false");
  ViReal64 readings[4];
  CHECK_STATUS(vi, Tevra_FrequencyMeasure(vi, 1e6, 0.5, 1, NULL), kNullPointer,
               "Parameter Frequency is VI_NULL.");
  CHECK_STATUS(vi, Tevra_MeasurementDestructiveReadCounted(vi, 4, 4, readings, NULL), kNullPointer,
               "Parameter ValActualSize is VI_NULL.");
  CHECK_STATUS(vi, Tevra_MemoryPutState(vi, 4, NULL), kNullPointer, "Parameter Data is VI_NULL.");
  CHECK(fake_expect_wire(fake, ""));
  fake_close(fake);
}

/* Up to the caller's size from the start of the readings, the count in the actual size; a null
   array is refused. */
static void arrays(void) {
  ViSession vi = open_simulated("QX1200");
  /* the simulated readings are zeros */
  ViReal64 readings[6] = {-7, -7, -7, -7, -7, -7};
  ViInt32 actual = -1;
  CHECK_INT(Tevra_MeasurementDestructiveReadCounted(vi, 8, 5, readings, &actual), 0);
  CHECK_INT(actual, 5);
  CHECK(readings[0] == 0 && readings[4] == 0);
  CHECK(readings[5] == -7);
  actual = -1;
  CHECK_INT(Tevra_MeasurementDestructiveReadCounted(vi, 8, 5, NULL, &actual), kUnknownResult);
  CHECK_INT(actual, -1);
  Tevra_close(vi);
}

/* viRead's count is both the most read and the room in the caller's buffer; the rest of the
   response stays for the next read. A text one character longer than the buffer: the required
   size, and the text shortened and terminated. */
static void reads_into_short_buffers(void) {
  FakeC* fake = fake_open("QX1200", "");
  ViSession vi;
  ViByte bytes[8];
  char text[8];
  ViInt32 count = 0;
  fake_on(fake, "ID?", "ABCDEF\n");
  fake_on(fake, "LONG?", "ABCDEFGH\n");
  vi = fake_session(fake, "QueryInstrumentStatus=false");
  CHECK_INT(Tevra_SystemWriteString(vi, "ID?"), 0);
  memset(bytes, 0, sizeof bytes);
  CHECK(Tevra_viRead(vi, 4, bytes, &count) >= 0);
  CHECK_INT(count, 4);
  CHECK(memcmp(bytes, "ABCD\0", 5) == 0);
  CHECK(Tevra_viRead(vi, 4, bytes, &count) >= 0);
  CHECK_INT(count, 3);
  CHECK(memcmp(bytes, "EF\n", 3) == 0);
  CHECK_INT(Tevra_SystemWriteString(vi, "LONG?"), 0);
  memset(text, 'x', sizeof text);
  CHECK_INT(Tevra_SystemReadString(vi, sizeof text, text), 9);
  CHECK_STR(text, "ABCDEFG");
  fake_close(fake);
}

/* A failing object call writes none of the outputs. */
static void failures_leave_outputs(void) {
  ViSession vi = open_simulated("QX1200");
  ViReal64 frequency = 42, readings[2] = {42, 42};
  ViInt32 actual = 42;
  char text[16] = "untouched";
  CHECK(Tevra_FrequencyMeasure(vi, 1e6, 0.5, 9, &frequency) < 0);
  CHECK(frequency == 42);
  CHECK_STR(last_error(vi),
            "Tevra: Invalid value '9' for method 'Frequency_Measure', parameter 'Channel'.");
  CHECK(Tevra_TimeStampMeasure(vi, 2, 9, 2, readings, &actual) < 0);
  CHECK(readings[0] == 42 && actual == 42);
  /* the formatted I/O object is refused while simulating */
  CHECK(Tevra_SystemIoRead(vi, sizeof text, text) < 0);
  CHECK_STR(text, "untouched");
  Tevra_close(vi);
}

/* ---- Channels, catalogs, the two-call revision query ------------------------------------- */

/* Each channel of a list in order; the first failure stops the rest. */
static void channel_selectors(void) {
  FakeC* fake = fake_open("QX1300", "762");
  ViSession vi = fake_session(fake, "QueryInstrumentStatus=false");
  CHECK_INT(Tevra_ChannelResetProtection(vi, "Channel2,Channel1"), 0);
  CHECK(fake_expect_wire(fake, "INP2:PROT:CLE\nINP1:PROT:CLE\n"));
  CHECK(Tevra_ChannelResetProtection(vi, "Channel1,Channel3,Channel2") < 0);
  CHECK(fake_expect_wire(fake, "INP1:PROT:CLE\n"));
  fake_close(fake);
}

/* The listing's names joined with commas under the string-buffer rule, with its numbers. */
static void catalog(void) {
  FakeC* fake = fake_open("QX1200", "");
  ViSession vi;
  ViReal64 used = 0, free = 0, count = 0;
  char names[64], shortened[6];
  fake_on(fake, "MMEM:CAT? \"C:\"", "1000,2000,\"A.STA,STAT,10\",\"B.DAT,ASC,20\"\n");
  vi = fake_session(fake, "QueryInstrumentStatus=false");
  CHECK_INT(Tevra_MemoryGetCatalog(vi, "C:", &used, &free, sizeof names, names, &count), 0);
  CHECK_STR(names, "A.STA,STAT,10,B.DAT,ASC,20");
  CHECK(used == 1000 && free == 2000 && count == 2);
  CHECK_INT(Tevra_MemoryGetCatalog(vi, "C:", &used, &free, sizeof shortened, shortened, &count),
            27);
  CHECK_STR(shortened, "A.STA");
  fake_close(fake);
}

/* The driver's revision and the instrument's firmware revision, each in its buffer. */
static void revision_query(void) {
  FakeC* fake = fake_open("QX1200", "");
  ViSession vi = fake_session(fake, "QueryInstrumentStatus=false");
  char driver[256] = "", instrument[256] = "", expected[256] = "";
  CHECK_INT(Tevra_revision_query(vi, driver, instrument), 0);
  CHECK_INT(Tevra_GetAttributeViString(vi, "", TEVRA_ATTR_SPECIFIC_DRIVER_REVISION, sizeof expected,
                                       expected),
            0);
  CHECK_STR(driver, expected);
  CHECK_STR(instrument, "2.0.1");
  fake_close(fake);
}

int main(void) {
  each_group_forwards();
  null_outputs();
  arrays();
  reads_into_short_buffers();
  failures_leave_outputs();
  channel_selectors();
  catalog();
  revision_query();
  return harness_failures != 0;
}
