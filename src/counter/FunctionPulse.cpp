// Pulse width, duty cycle and edge time. Their commands carry reference levels, which the
// instrument reads as volts with a "V" suffix and as percent of the amplitude without one.
#include <cstdio>
#include <string>

#include "counter/FunctionImpls.h"
#include "counter/FunctionTable.h"

namespace tevra::counter {
namespace {

using core::In;
using core::Out;
using namespace functions;

// The keyword for a positive (polarity 0) and for any other polarity or edge.
struct KeywordPair {
  const char* first;
  const char* other;
};
// Rising edges first.
constexpr KeywordPair kEdgeTimeConfigureWords{"CONF:RTIM", "CONF:FTIM"};
constexpr KeywordPair kEdgeTimeMeasureWords{"MEAS:RTIM?", "MEAS:FTIM?"};

std::string ReferenceText(double level, TevraReferenceTypeEnum type) {
  char number[64];
  std::snprintf(number, sizeof number, "%f", level);
  std::string text(number);
  if (type != TevraReferenceTypePercent) text += 'V';
  return text;
}

std::string ChannelList(LONG channel) { return "(@" + std::to_string(channel) + ")"; }

// "keyword level, (@channel)", with the first keyword for a positive pulse.
auto PulseText(const char* const (&words)[2], LONG channel, double reference,
               TevraReferenceTypeEnum type, TevraPolarityEnum polarity) {
  return [=, &words](core::CommandText& text) {
    text = std::string(words[polarity == TevraPolarityPositive ? 0 : 1]) + " " +
           ReferenceText(reference, type) + ", " + ChannelList(channel);
    return S_OK;
  };
}

const char* EdgeKeyword(KeywordPair words, TevraEdgeTypeEnum edge) {
  return edge == TevraEdgeTypeRising ? words.first : words.other;
}

// "keyword low, high, (@channel)", the low level first; refuses levels out of order.
auto EdgeText(Tevra& driver, const Method& method, KeywordPair words, LONG channel,
              TevraReferenceTypeEnum type, double high, double low, TevraEdgeTypeEnum edge) {
  return [=, &driver, &method](core::CommandText& text) -> HRESULT {
    if (!(low < high))
      return driver.Reporter().ReportInvalidValueText(method.errorName, "Low/HighReference",
                                                      "LowReference must be < HighReference");
    text = std::string(EdgeKeyword(words, edge)) + " " + ReferenceText(low, type) + ", " +
           ReferenceText(high, type) + ", " + ChannelList(channel);
    return S_OK;
  };
}

}  // namespace

template <>
const PulseWidthImpl::Side PulseWidthImpl::kSide{rows::ITevraPulseWidth_Configure,
                                                 rows::ITevraPulseWidth_ConfigureAuto,
                                                 rows::ITevraPulseWidth_Measure,
                                                 {"CONF:PWID", "CONF:NWID"},
                                                 {"MEAS:PWID?", "MEAS:NWID?"}};
template <>
const DutyCycleImpl::Side DutyCycleImpl::kSide{rows::ITevraDutyCycle_Configure,
                                               rows::ITevraDutyCycle_ConfigureAuto,
                                               rows::ITevraDutyCycle_Measure,
                                               {"CONF:PDUT", "CONF:NDUT"},
                                               {"MEAS:PDUT?", "MEAS:NDUT?"}};

template <class Itf>
HRESULT PulseImpl<Itf>::Configure(LONG Channel, double Reference,
                                  TevraReferenceTypeEnum ReferenceType,
                                  TevraPolarityEnum Polarity) {
  return RunFunction(this->d_, kSide.configure, {{"Channel", double(Channel)}}, nullptr,
                     PulseText(kSide.configureWords, Channel, Reference, ReferenceType, Polarity),
                     In("Channel", Channel), In("Reference", Reference),
                     In("ReferenceType", ReferenceType), In("Polarity", Polarity));
}
template <class Itf>
HRESULT PulseImpl<Itf>::ConfigureAuto(LONG Channel) {
  return RunTemplate(this->d_, kSide.configureAuto, {{"Channel", double(Channel)}}, nullptr,
                     In("Channel", Channel));
}
template <class Itf>
HRESULT PulseImpl<Itf>::Measure(LONG Channel, double Reference,
                                TevraReferenceTypeEnum ReferenceType, TevraPolarityEnum Polarity,
                                double* Measurement) {
  return RunFunction(this->d_, kSide.measure, {{"Channel", double(Channel)}}, Measurement,
                     PulseText(kSide.measureWords, Channel, Reference, ReferenceType, Polarity),
                     In("Channel", Channel), In("Reference", Reference),
                     In("ReferenceType", ReferenceType), In("Polarity", Polarity),
                     Out("Measurement", Measurement));
}
template class PulseImpl<ITevraPulseWidth>;
template class PulseImpl<ITevraDutyCycle>;

HRESULT EdgeTimeImpl::ConfigureAuto(LONG Channel, TevraEdgeTypeEnum EdgeType) {
  auto build = [&](core::CommandText& text) {
    text = std::string(EdgeKeyword(kEdgeTimeConfigureWords, EdgeType)) + " " + ChannelList(Channel);
    return S_OK;
  };
  return RunFunction(d_, rows::ITevraEdgeTime_ConfigureAuto, {{"Channel", double(Channel)}},
                     nullptr, build, In("Channel", Channel), In("EdgeType", EdgeType));
}
HRESULT EdgeTimeImpl::Configure(LONG Channel, TevraReferenceTypeEnum ReferenceType,
                                double HighReference, double LowReference,
                                TevraEdgeTypeEnum EdgeType) {
  return RunFunction(d_, rows::ITevraEdgeTime_Configure, {{"Channel", double(Channel)}}, nullptr,
                     EdgeText(d_, rows::ITevraEdgeTime_Configure, kEdgeTimeConfigureWords, Channel,
                              ReferenceType, HighReference, LowReference, EdgeType),
                     In("Channel", Channel), In("ReferenceType", ReferenceType),
                     In("HighReference", HighReference), In("LowReference", LowReference),
                     In("EdgeType", EdgeType));
}
HRESULT EdgeTimeImpl::Measure(LONG Channel, TevraReferenceTypeEnum ReferenceType,
                              double HighReference, double LowReference, TevraEdgeTypeEnum EdgeType,
                              double* Value) {
  return RunFunction(d_, rows::ITevraEdgeTime_Measure, {{"Channel", double(Channel)}}, Value,
                     EdgeText(d_, rows::ITevraEdgeTime_Measure, kEdgeTimeMeasureWords, Channel,
                              ReferenceType, HighReference, LowReference, EdgeType),
                     In("Channel", Channel), In("ReferenceType", ReferenceType),
                     In("HighReference", HighReference), In("LowReference", LowReference),
                     In("EdgeType", EdgeType), Out("Value", Value));
}

}  // namespace tevra::counter
