#include "Session.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace tevra::command {
namespace {

std::string ErrorText(ViSession vi, ViStatus status) {
  ViStatus code = 0;
  ViChar description[1024] = {};
  if (Tevra_GetError(vi, &code, static_cast<ViInt32>(sizeof description), description) < 0 ||
      !description[0]) {
    ViChar message[256] = {};
    Tevra_error_message(vi, status, message);
    return message;
  }
  return description;
}

// Readings a destructive read takes at once.
constexpr std::int32_t kChunk = 1000;

}  // namespace

Session::Session(const std::string& resource, const std::string& model, bool trace,
                 const std::string& extraSetup)
    : simulating_(resource.empty()) {
  std::string options;
  std::string setup;
  if (simulating_) {
    options = "Simulate=true";
    setup = "Model=" + model;
  }
  if (trace) setup += std::string(setup.empty() ? "" : ", ") + "Trace=true";
  if (!extraSetup.empty()) setup += std::string(setup.empty() ? "" : ", ") + extraSetup;
  if (!setup.empty()) options += std::string(options.empty() ? "" : ", ") + "DriverSetup=" + setup;
  const ViStatus status =
      Tevra_InitWithOptions(const_cast<ViChar*>(resource.c_str()), simulating_ ? VI_FALSE : VI_TRUE,
                            VI_FALSE, options.c_str(), &vi_);
  if (status < 0) {
    const std::string text = ErrorText(VI_NULL, status);
    vi_ = VI_NULL;
    throw Failure(status, "cannot open " + (resource.empty() ? "a simulated " + model : resource) +
                              ": " + text);
  }
}

Session::~Session() {
  if (vi_ != VI_NULL) Tevra_close(vi_);
}

void Session::Check(ViStatus status, const char* what) const {
  if (status < 0) throw Failure(status, std::string(what) + ": " + ErrorText(vi_, status));
}

std::string Session::Text(ViAttr attribute) const {
  ViChar text[1024] = {};
  Check(Tevra_GetAttributeViString(vi_, "", attribute, static_cast<ViInt32>(sizeof text), text),
        "reading a setting");
  return text;
}

std::int32_t Session::Integer(ViAttr attribute) const {
  ViInt32 value = 0;
  Check(Tevra_GetAttributeViInt32(vi_, "", attribute, &value), "reading a setting");
  return value;
}

void Session::SetInteger(ViAttr attribute, std::int32_t value) const {
  Check(Tevra_SetAttributeViInt32(vi_, "", attribute, value), "changing a setting");
}

std::string Session::Identity() const {
  if (simulating_) return {};
  static const ViByte kQuery[] = {'*', 'I', 'D', 'N', '?', '\n'};
  ViInt32 written = 0;
  Check(Tevra_viWrite(vi_, static_cast<ViInt32>(sizeof kQuery), kQuery, &written), "*IDN?");
  ViByte reply[512] = {};
  ViInt32 count = 0;
  Check(Tevra_viRead(vi_, static_cast<ViInt32>(sizeof reply), reply, &count), "*IDN?");
  std::string text(reinterpret_cast<const char*>(reply), static_cast<std::size_t>(count));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

const std::vector<Function>& Functions() {
  constexpr ViReal64 kEstimate = 10e6;
  constexpr ViReal64 kResolution = 0.1;
  static const std::vector<Function> functions = {
      {"frequency", "Hz",
       [](ViSession vi, ViInt32 ch, ViReal64* v) {
         return Tevra_FrequencyMeasure(vi, kEstimate, kResolution, ch, v);
       },
       Tevra_FrequencyConfigureAuto},
      {"period", "s",
       [](ViSession vi, ViInt32 ch, ViReal64* v) {
         return Tevra_PeriodMeasure(vi, 1 / kEstimate, 1e-9, ch, v);
       },
       Tevra_PeriodConfigureAuto},
      {"pulse-width", "s",
       [](ViSession vi, ViInt32 ch, ViReal64* v) {
         return Tevra_PulseWidthMeasure(vi, ch, 50, TEVRA_VAL_REFERENCE_TYPE_PERCENT,
                                        TEVRA_VAL_POLARITY_POSITIVE, v);
       },
       Tevra_PulseWidthConfigureAuto},
      {"duty-cycle", "",
       [](ViSession vi, ViInt32 ch, ViReal64* v) {
         return Tevra_DutyCycleMeasure(vi, ch, 50, TEVRA_VAL_REFERENCE_TYPE_PERCENT,
                                       TEVRA_VAL_POLARITY_POSITIVE, v);
       },
       Tevra_DutyCycleConfigureAuto},
      {"ratio", "",
       [](ViSession vi, ViInt32 ch, ViReal64* v) {
         return Tevra_FrequencyRatioMeasure(vi, 1, 1e-6, ch, ch == 1 ? 2 : 1, v);
       },
       [](ViSession vi, ViInt32 ch) {
         return Tevra_FrequencyRatioConfigureAuto(vi, ch, ch == 1 ? 2 : 1);
       }},
      {"interval", "s",
       [](ViSession vi, ViInt32 ch, ViReal64* v) {
         return Tevra_TimeIntervalMeasure(vi, ch, ch == 1 ? 2 : 1, v);
       },
       nullptr},
      {"phase", "deg",
       [](ViSession vi, ViInt32 ch, ViReal64* v) {
         return Tevra_PhaseMeasure(vi, ch, ch == 1 ? 2 : 1, v);
       },
       nullptr},
      {"single-period", "s", Tevra_SinglePeriodMeasure, nullptr},
  };
  return functions;
}

const Function* FindFunction(const std::string& name) {
  for (const Function& f : Functions())
    if (name == f.name) return &f;
  return nullptr;
}

std::vector<double> ReadMany(const Session& session, std::int32_t triggers, std::int32_t samples,
                             std::int32_t timeoutMs,
                             const std::function<void(std::size_t)>& progress) {
  const ViSession vi = session.Handle();
  const std::int32_t count = triggers * samples;
  session.SetInteger(TEVRA_ATTR_TRIGGER_COUNT, triggers);
  session.SetInteger(TEVRA_ATTR_TRIGGER_SAMPLE_COUNT, samples);
  session.Check(Tevra_Initiate(vi), "starting the measurement");
  std::vector<double> readings;
  readings.reserve(static_cast<std::size_t>(count));
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::vector<ViReal64> chunk(kChunk);
  while (readings.size() < static_cast<std::size_t>(count)) {
    std::int32_t ready = kChunk;
    if (!session.Simulating()) {
      ViInt32 held = 0;
      session.Check(Tevra_MeasurementReadingCount(vi, &held), "asking for the readings");
      ready = held;
    }
    ready = std::min({ready, kChunk, count - static_cast<std::int32_t>(readings.size())});
    if (ready <= 0) {
      if (std::chrono::steady_clock::now() > deadline)
        throw Failure(-1, "the instrument gave " + std::to_string(readings.size()) + " of " +
                              std::to_string(count) + " readings within " +
                              std::to_string(timeoutMs) + " ms");
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    ViInt32 got = 0;
    session.Check(Tevra_MeasurementDestructiveReadCounted(vi, ready, ready, chunk.data(), &got),
                  "reading the readings");
    readings.insert(readings.end(), chunk.begin(), chunk.begin() + got);
    deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    progress(readings.size());
  }
  return readings;
}

}  // namespace tevra::command
