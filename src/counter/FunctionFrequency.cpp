// Frequency, period, frequency ratio and single period.
#include <string>

#include "counter/FunctionImpls.h"
#include "counter/FunctionTable.h"

namespace tevra::counter {

using core::In;
using core::Out;
using namespace functions;

template <>
const FrequencyImpl::Side FrequencyImpl::kSide{
    rows::ITevraFrequency_ConfigureWithAperture, rows::ITevraFrequency_Configure,
    rows::ITevraFrequency_ConfigureAuto, rows::ITevraFrequency_Measure, "Frequency"};
template <>
const PeriodImpl::Side PeriodImpl::kSide{
    rows::ITevraPeriod_ConfigureWithAperture, rows::ITevraPeriod_Configure,
    rows::ITevraPeriod_ConfigureAuto, rows::ITevraPeriod_Measure, "Measurement"};

template <class Itf>
HRESULT EstimatedImpl<Itf>::ConfigureWithAperture(LONG Channel, double ApertureTime) {
  return RunTemplate(this->d_, kSide.configureWithAperture, {{"Channel", double(Channel)}}, nullptr,
                     In("Channel", Channel), In("ApertureTime", ApertureTime));
}
template <class Itf>
HRESULT EstimatedImpl<Itf>::Configure(double Estimate, double Resolution, LONG Channel) {
  return RunTemplate(this->d_, kSide.configure, {{"Channel", double(Channel)}}, nullptr,
                     In("Estimate", Estimate), In("Resolution", Resolution),
                     In("Channel", Channel));
}
template <class Itf>
HRESULT EstimatedImpl<Itf>::ConfigureAuto(LONG Channel) {
  return RunTemplate(this->d_, kSide.configureAuto, {{"Channel", double(Channel)}}, nullptr,
                     In("Channel", Channel));
}
template <class Itf>
HRESULT EstimatedImpl<Itf>::Measure(double Estimate, double Resolution, LONG Channel,
                                    double* Reading) {
  return RunTemplate(this->d_, kSide.measure, {{"Channel", double(Channel)}}, Reading,
                     In("Estimate", Estimate), In("Resolution", Resolution), In("Channel", Channel),
                     Out(kSide.reading, Reading));
}
template class EstimatedImpl<ITevraFrequency>;
template class EstimatedImpl<ITevraPeriod>;

// The ratio's configure names only its two channels on the wire; the estimate and resolution
// are not sent.
HRESULT FrequencyRatioImpl::Configure(double Estimate, double Resolution, LONG NumeratorChannel,
                                      LONG DenominatorChannel) {
  auto build = [&](core::CommandText& text) {
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
