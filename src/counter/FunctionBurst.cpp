// Pulsed (burst) microwave measurements: QX1300 with the burst option, on the microwave input.
#include <string>

#include "counter/FunctionImpls.h"
#include "counter/FunctionTable.h"
#include "counter/Property.h"

namespace tevra::counter {
namespace {

using core::In;
using core::Out;
using namespace functions;

auto WidthText(TevraPulseWidthTypeEnum type, const char* positive, const char* negative) {
  return [=](core::CommandText& text) {
    text = type == TevraPulseWidthTypePositive ? positive : negative;
    return S_OK;
  };
}

}  // namespace

HRESULT BurstImpl::Configure() { return RunTemplate(d_, rows::ITevraBurst_Configure, {}, nullptr); }
HRESULT BurstImpl::Measure(double* Val) {
  return RunTemplate(d_, rows::ITevraBurst_Measure, {}, Val, Out("Val", Val));
}
HRESULT BurstImpl::ConfigureWidth(TevraPulseWidthTypeEnum PulseWidthType) {
  return RunFunction(d_, rows::ITevraBurst_ConfigureWidth, {}, nullptr,
                     WidthText(PulseWidthType, "CONF:PWID:BURS", "CONF:NWID:BURS"),
                     In("PulseWidthType", PulseWidthType));
}
HRESULT BurstImpl::MeasureWidth(TevraPulseWidthTypeEnum PulseWidthType, double* Value) {
  return RunFunction(d_, rows::ITevraBurst_MeasureWidth, {}, Value,
                     WidthText(PulseWidthType, "MEAS:PWID:BURS?", "MEAS:NWID:BURS?"),
                     In("PulseWidthType", PulseWidthType), Out("Value", Value));
}
HRESULT BurstImpl::ConfigurePRF(double ExpectedFrequency, double Resolution, LONG Channel) {
  return RunTemplate(d_, rows::ITevraBurst_ConfigurePRF, {{"Channel", double(Channel)}}, nullptr,
                     In("ExpectedFrequency", ExpectedFrequency), In("Resolution", Resolution),
                     In("Channel", Channel));
}
HRESULT BurstImpl::ConfigurePRI(double ExpectedFrequency, double Resolution, LONG Channel) {
  return RunTemplate(d_, rows::ITevraBurst_ConfigurePRI, {{"Channel", double(Channel)}}, nullptr,
                     In("ExpectedFrequency", ExpectedFrequency), In("Resolution", Resolution),
                     In("Channel", Channel));
}
HRESULT BurstImpl::MeasurePRF(double ExpectedFrequency, double Resolution, LONG Channel,
                              double* Data) {
  return RunTemplate(d_, rows::ITevraBurst_MeasurePRF, {{"Channel", double(Channel)}}, Data,
                     In("ExpectedFrequency", ExpectedFrequency), In("Resolution", Resolution),
                     In("Channel", Channel), Out("Data", Data));
}
HRESULT BurstImpl::MeasurePRI(double ExpectedInterval, double Resolution, LONG Channel,
                              double* Data) {
  return RunTemplate(d_, rows::ITevraBurst_MeasurePRI, {{"Channel", double(Channel)}}, Data,
                     In("ExpectedInterval", ExpectedInterval), In("Resolution", Resolution),
                     In("Channel", Channel), Out("Data", Data));
}

#define TEVRA_ROWS "counter/members/ITevraBurst.def"
#define TEVRA_CLASS BurstImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"

}  // namespace tevra::counter
