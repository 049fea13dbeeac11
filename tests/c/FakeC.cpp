#include "FakeC.h"

#include <cstdio>
#include <string>

#include "support/FakeInstrument.h"

struct FakeC {
  tevra::testing::FakeInstrument fake;
  ViSession vi = 0;
  std::size_t mark = 0;
};

extern "C" {

// The harness's failure count (CHarness.c): a fake session that does not open is a failure.
extern int harness_failures;

FakeC* fake_open(const char* model, const char* options) {
  auto* f = new FakeC;
  f->fake.On("*IDN?").Reply(std::string("Orvane Technologies,") + model + ",SN0042,2.0.1\n");
  f->fake.On("*OPT?").Reply(std::string(options) + "\n").Times(1);
  return f;
}

void fake_on(FakeC* f, const char* command, const char* reply) { f->fake.On(command).Reply(reply); }

ViSession fake_session(FakeC* f, const char* options) {
  if (!f->fake.Start()) {
    std::fprintf(stderr, "the fake instrument did not start\n");
    ++harness_failures;
    return 0;
  }
  const std::string resource = f->fake.ResourceName();
  const ViStatus status = Tevra_InitWithOptions(const_cast<char*>(resource.c_str()), VI_TRUE,
                                                VI_FALSE, options ? options : "", &f->vi);
  if (status != 0) {
    char text[512] = "";
    ViStatus code = 0;
    Tevra_GetError(0, &code, sizeof text, text);
    std::fprintf(stderr, "session on the fake: 0x%08X %s\n", static_cast<unsigned>(status), text);
    ++harness_failures;
  }
  f->mark = f->fake.Transcript().size();
  return f->vi;
}

int fake_expect_wire(FakeC* f, const char* bytes) {
  const std::string expected(bytes);
  f->fake.WaitForTranscript(f->mark + expected.size(), std::chrono::milliseconds(2000));
  const std::string got = f->fake.Transcript().substr(f->mark);
  f->mark += got.size();
  if (got == expected) return 1;
  std::fprintf(stderr, "wire: got \"%s\", expected \"%s\"\n", got.c_str(), expected.c_str());
  return 0;
}

void fake_close(FakeC* f) {
  if (f->vi) Tevra_close(f->vi);
  f->fake.Stop();
  delete f;
}
}
