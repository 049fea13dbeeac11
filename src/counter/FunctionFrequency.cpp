// Frequency, period, frequency ratio and single period.
#include <string>

#include "counter/FunctionImpls.h"
#include "counter/FunctionTable.h"

namespace tevra::counter {

using core::In;
using core::Out;
using namespace functions;

HRESULT FrequencyImpl::ConfigureWithAperture(LONG Channel, double ApertureTime) {
  return RunTemplate(d_, rows::ITevraFrequency_ConfigureWithAperture,
                     {{"Channel", double(Channel)}}, nullptr, In("Channel", Channel),
                     In("ApertureTime", ApertureTime));
}
HRESULT FrequencyImpl::Configure(double Estimate, double Resolution, LONG Channel) {
  return RunTemplate(d_, rows::ITevraFrequency_Configure, {{"Channel", double(Channel)}}, nullptr,
                     In("Estimate", Estimate), In("Resolution", Resolution),
                     In("Channel", Channel));
}
HRESULT FrequencyImpl::ConfigureAuto(LONG Channel) {
  return RunTemplate(d_, rows::ITevraFrequency_ConfigureAuto, {{"Channel", double(Channel)}},
                     nullptr, In("Channel", Channel));
}
HRESULT FrequencyImpl::Measure(double Estimate, double Resolution, LONG Channel,
                               double* Frequency) {
  return RunTemplate(d_, rows::ITevraFrequency_Measure, {{"Channel", double(Channel)}}, Frequency,
                     In("Estimate", Estimate), In("Resolution", Resolution), In("Channel", Channel),
                     Out("Frequency", Frequency));
}

HRESULT PeriodImpl::ConfigureWithAperture(LONG Channel, double ApertureTime) {
  return RunTemplate(d_, rows::ITevraPeriod_ConfigureWithAperture, {{"Channel", double(Channel)}},
                     nullptr, In("Channel", Channel), In("ApertureTime", ApertureTime));
}
HRESULT PeriodImpl::Configure(double Estimate, double Resolution, LONG Channel) {
  return RunTemplate(d_, rows::ITevraPeriod_Configure, {{"Channel", double(Channel)}}, nullptr,
                     In("Estimate", Estimate), In("Resolution", Resolution),
                     In("Channel", Channel));
}
HRESULT PeriodImpl::ConfigureAuto(LONG Channel) {
  return RunTemplate(d_, rows::ITevraPeriod_ConfigureAuto, {{"Channel", double(Channel)}}, nullptr,
                     In("Channel", Channel));
}
HRESULT PeriodImpl::Measure(double Estimate, double Resolution, LONG Channel, double* Measurement) {
  return RunTemplate(d_, rows::ITevraPeriod_Measure, {{"Channel", double(Channel)}}, Measurement,
                     In("Estimate", Estimate), In("Resolution", Resolution), In("Channel", Channel),
                     Out("Measurement", Measurement));
}

// The ratio's configure names only its two channels on the wire; the estimate and resolution
// are not sent.
HRESULT FrequencyRatioImpl::Configure(double Estimate, double Resolution, LONG NumeratorChannel,
                                      LONG DenominatorChannel) {
  auto build = [&](const core::CallFrame&, std::string& text) {
    text = "CONF:FREQ:RAT (@" + std::to_string(NumeratorChannel) + "),(@" +
           std::to_string(DenominatorChannel) + ")";
    return S_OK;
  };
  return RunFunction(d_, rows::ITevraFrequencyRatio_Configure,
                     {{"NumeratorChannel", double(NumeratorChannel)},
                      {"DenominatorChannel", double(DenominatorChannel)}},
                     nullptr, build, In("Estimate", Estimate), In("Resolution", Resolution),
                     In("NumeratorChannel", NumeratorChannel),
                     In("DenominatorChannel", DenominatorChannel));
}
HRESULT FrequencyRatioImpl::ConfigureAuto(LONG NumeratorChannel, LONG DenominatorChannel) {
  return RunTemplate(d_, rows::ITevraFrequencyRatio_ConfigureAuto,
                     {{"NumeratorChannel", double(NumeratorChannel)},
                      {"DenominatorChannel", double(DenominatorChannel)}},
                     nullptr, In("NumeratorChannel", NumeratorChannel),
                     In("DenominatorChannel", DenominatorChannel));
}
HRESULT FrequencyRatioImpl::Measure(double Estimate, double Resolution, LONG NumeratorChannel,
                                    LONG DenominatorChannel, double* Ratio) {
  return RunTemplate(d_, rows::ITevraFrequencyRatio_Measure,
                     {{"NumeratorChannel", double(NumeratorChannel)},
                      {"DenominatorChannel", double(DenominatorChannel)}},
                     Ratio, In("Estimate", Estimate), In("Resolution", Resolution),
                     In("NumeratorChannel", NumeratorChannel),
                     In("DenominatorChannel", DenominatorChannel), Out("Ratio", Ratio));
}

HRESULT SinglePeriodImpl::Configure(LONG ChannelNumber) {
  return RunTemplate(d_, rows::ITevraSinglePeriod_Configure,
                     {{"ChannelNumber", double(ChannelNumber)}}, nullptr,
                     In("ChannelNumber", ChannelNumber));
}
HRESULT SinglePeriodImpl::Measure(double ChannelNumber, double* Measurement) {
  return RunTemplate(d_, rows::ITevraSinglePeriod_Measure, {{"ChannelNumber", ChannelNumber, true}},
                     Measurement, In("ChannelNumber", ChannelNumber),
                     Out("Measurement", Measurement));
}

}  // namespace tevra::counter
