// The class-compliant root: which class function the instrument is set to, and the
// class-compliant function interfaces.
#include <string>
#include <string_view>

#include "core/TextUtil.h"
#include "counter/FunctionClass.h"
#include "counter/Property.h"

namespace tevra::counter {
namespace {

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

HRESULT ReadFunction(Tevra& driver, IviCounterMeasurementFunctionEnum& function) {
  const Tevra::MeasurementState& state = driver.Measurement();
  if (state.voltageChannel != 0) {
    for (const VoltageFunctionMatch& m : kVoltageFunctions) {
      if (m.function != state.voltageFunction) continue;
      function = m.classFunction;
      return S_OK;
    }
    return driver.Reporter().ReportElaborated(Code::UnexpectedResponse, "get_Function");
  }
  std::string reply;
  if (HRESULT hr = driver.Io().QueryString("FUNC?", reply, core::kDefaultTimeout); FAILED(hr))
    return hr;
  const std::string_view word = core::Trim(reply);
  for (const FunctionWordMatch& m : kFunctionWords) {
    if (word.find(m.word) == std::string_view::npos) continue;
    function = m.function;
    return S_OK;
  }
  return driver.Reporter().ReportElaborated(Code::UnexpectedResponse, "get_Function");
}

}  // namespace

HRESULT IviCounterRoot::get_Function(IviCounterMeasurementFunctionEnum* val) {
  return t_.Enter(
      rows::IIviCounter_Function.get,
      [&] {
        if (t_.Simulating()) return GetSimulated(t_, rows::IIviCounter_Function, *val);
        return ReadFunction(t_, *val);
      },
      core::Out("val", val));
}

HRESULT IviCounterRoot::put_Function(IviCounterMeasurementFunctionEnum val) {
  return t_.Enter(
      rows::IIviCounter_Function.put,
      [&] {
        return t_.Reporter().Report(Code::PropertyNotSupported,
                                    "put_Function - Use Configure method to change function");
      },
      core::In("val", val));
}

#define TEVRA_ROWS "counter/members/IIviCounter.def"
#define TEVRA_CLASS IviCounterRoot
#define TEVRA_NODE t_
#include "counter/DefineAccessors.inc"

}  // namespace tevra::counter
