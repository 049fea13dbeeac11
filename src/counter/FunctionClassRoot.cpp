// The class-compliant root: which class function the instrument is set to, and the
// class-compliant function interfaces.
#include <algorithm>
#include <cctype>
#include <string>

#include "counter/FunctionClass.h"
#include "state/SimulatedValue.h"

namespace tevra::counter {
namespace {

constexpr core::MethodRecord kGetFunction{&IID_IIviCounter, "IIviCounter", "get_Function"};
constexpr core::MethodRecord kPutFunction{&IID_IIviCounter, "IIviCounter", "put_Function"};

// The FUNC? words, searched in this order: a ratio also contains "FREQ".
struct FunctionWordMatch {
  const char* word;
  IviCounterMeasurementFunctionEnum function;
};
constexpr FunctionWordMatch kFunctionWords[] = {
    {"FREQ:RAT", IviCounterMeasurementFunctionFrequencyRatio},
    {"FREQ", IviCounterMeasurementFunctionFrequency},
    {"PER", IviCounterMeasurementFunctionPeriod},
    {"PWID", IviCounterMeasurementFunctionPulseWidth},
    {"NWID", IviCounterMeasurementFunctionPulseWidth},
    {"PDUT", IviCounterMeasurementFunctionDutyCycle},
    {"NDUT", IviCounterMeasurementFunctionDutyCycle},
    {"FTIM", IviCounterMeasurementFunctionEdgeTime},
    {"RTIM", IviCounterMeasurementFunctionEdgeTime},
    {"TINT", IviCounterMeasurementFunctionTimeInterval},
    {"PHAS", IviCounterMeasurementFunctionPhase},
    {"TOT", IviCounterMeasurementFunctionTotalizeContinuous},
};

struct VoltageFunctionMatch {
  TevraVoltageFunctionEnum function;
  IviCounterMeasurementFunctionEnum classFunction;
};
constexpr VoltageFunctionMatch kVoltageFunctions[] = {
    {TevraVoltageFunctionDC, IviCounterMeasurementFunctionDCVoltage},
    {TevraVoltageFunctionMaximum, IviCounterMeasurementFunctionMaximumVoltage},
    {TevraVoltageFunctionMinimum, IviCounterMeasurementFunctionMinimumVoltage},
    {TevraVoltageFunctionPeakToPeak, IviCounterMeasurementFunctionPeakToPeakVoltage},
};

std::string Trimmed(std::string text) {
  auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
  text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
  text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
  return text;
}

HRESULT ReadFunction(Tevra& driver, IviCounterMeasurementFunctionEnum& function) {
  const Tevra::MeasurementState& state = driver.Measurement();
  if (state.voltageChannel != 0) {
    for (const VoltageFunctionMatch& m : kVoltageFunctions) {
      if (m.function != state.voltageFunction) continue;
      function = m.classFunction;
      return S_OK;
    }
    return driver.Reporter().ReportUnexpectedResponse("get_Function");
  }
  std::string reply;
  if (HRESULT hr = driver.Io().QueryString("FUNC?", reply, core::kDefaultTimeout); FAILED(hr))
    return hr;
  reply = Trimmed(std::move(reply));
  for (const FunctionWordMatch& m : kFunctionWords) {
    if (reply.find(m.word) == std::string::npos) continue;
    function = m.function;
    return S_OK;
  }
  return driver.Reporter().ReportUnexpectedResponse("get_Function");
}

template <class Itf>
HRESULT GiveClassInterface(Tevra& driver, const core::MethodRecord& method, REFIID iid, Itf** val) {
  return driver.Enter(
      method, [&] { return driver.QueryObject(iid, reinterpret_cast<void**>(val)); },
      core::Out("val", val));
}

}  // namespace

HRESULT IviCounterRoot::get_Function(IviCounterMeasurementFunctionEnum* val) {
  return t_.Enter(
      kGetFunction,
      [&] {
        if (t_.Simulating()) return state::GetSimulated(t_, "IIviCounter.Function", *val);
        return ReadFunction(t_, *val);
      },
      core::Out("val", val));
}

HRESULT IviCounterRoot::put_Function(IviCounterMeasurementFunctionEnum val) {
  return t_.Enter(
      kPutFunction,
      [&] {
        return t_.Reporter().ReportPropertyNotSupported(
            "put_Function - Use Configure method to change function");
      },
      core::In("val", val));
}

#define TEVRA_CLASS_GETTER(Name)                                                               \
  HRESULT IviCounterRoot::get_##Name(IIviCounter##Name** val) {                                \
    static constexpr core::MethodRecord kRecord{&IID_IIviCounter, "IIviCounter", "get_" #Name, \
                                                core::kNoInitCheck};                           \
    return GiveClassInterface(t_, kRecord, IID_IIviCounter##Name, val);                        \
  }

TEVRA_CLASS_GETTER(Frequency)
TEVRA_CLASS_GETTER(Period)
TEVRA_CLASS_GETTER(PulseWidth)
TEVRA_CLASS_GETTER(DutyCycle)
TEVRA_CLASS_GETTER(EdgeTime)
TEVRA_CLASS_GETTER(FrequencyRatio)
TEVRA_CLASS_GETTER(TimeInterval)
TEVRA_CLASS_GETTER(Phase)
TEVRA_CLASS_GETTER(TotalizeContinuous)
TEVRA_CLASS_GETTER(TotalizeGated)
TEVRA_CLASS_GETTER(TotalizeTimed)
TEVRA_CLASS_GETTER(Voltage)

#undef TEVRA_CLASS_GETTER

}  // namespace tevra::counter
