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
constexpr KeywordPair kPulseWidthConfigureWords{"CONF:PWID", "CONF:NWID"};
constexpr KeywordPair kPulseWidthMeasureWords{"MEAS:PWID?", "MEAS:NWID?"};
constexpr KeywordPair kDutyCycleConfigureWords{"CONF:PDUT", "CONF:NDUT"};
constexpr KeywordPair kDutyCycleMeasureWords{"MEAS:PDUT?", "MEAS:NDUT?"};
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

// "keyword level, (@channel)"
auto PulseText(KeywordPair words, LONG channel, double reference, TevraReferenceTypeEnum type,
               TevraPolarityEnum polarity) {
  return [=](const core::CallFrame&, std::string& text) {
    text = std::string(polarity == TevraPolarityPositive ? words.first : words.other) + " " +
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
  return [=, &driver, &method](const core::CallFrame&, std::string& text) -> HRESULT {
    if (!(low < high))
      return driver.Reporter().ReportInvalidValueText(method.errorName, "Low/HighReference",
                                                      "LowReference must be < HighReference");
    text = std::string(EdgeKeyword(words, edge)) + " " + ReferenceText(low, type) + ", " +
           ReferenceText(high, type) + ", " + ChannelList(channel);
    return S_OK;
  };
}

}  // namespace

HRESULT PulseWidthImpl::Configure(LONG Channel, double Reference,
                                  TevraReferenceTypeEnum ReferenceType,
                                  TevraPolarityEnum Polarity) {
  return RunFunction(
      d_, rows::ITevraPulseWidth_Configure, {{"Channel", double(Channel)}}, nullptr,
      PulseText(kPulseWidthConfigureWords, Channel, Reference, ReferenceType, Polarity),
      In("Channel", Channel), In("Reference", Reference), In("ReferenceType", ReferenceType),
      In("Polarity", Polarity));
}
HRESULT PulseWidthImpl::ConfigureAuto(LONG Channel) {
  return RunTemplate(d_, rows::ITevraPulseWidth_ConfigureAuto, {{"Channel", double(Channel)}},
                     nullptr, In("Channel", Channel));
}
HRESULT PulseWidthImpl::Measure(LONG Channel, double Reference,
                                TevraReferenceTypeEnum ReferenceType, TevraPolarityEnum Polarity,
                                double* Measurement) {
  return RunFunction(
      d_, rows::ITevraPulseWidth_Measure, {{"Channel", double(Channel)}}, Measurement,
      PulseText(kPulseWidthMeasureWords, Channel, Reference, ReferenceType, Polarity),
      In("Channel", Channel), In("Reference", Reference), In("ReferenceType", ReferenceType),
      In("Polarity", Polarity), Out("Measurement", Measurement));
}

HRESULT DutyCycleImpl::Configure(LONG Channel, double Reference,
                                 TevraReferenceTypeEnum ReferenceType, TevraPolarityEnum Polarity) {
  return RunFunction(
      d_, rows::ITevraDutyCycle_Configure, {{"Channel", double(Channel)}}, nullptr,
      PulseText(kDutyCycleConfigureWords, Channel, Reference, ReferenceType, Polarity),
      In("Channel", Channel), In("Reference", Reference), In("ReferenceType", ReferenceType),
      In("Polarity", Polarity));
}
HRESULT DutyCycleImpl::ConfigureAuto(LONG Channel) {
  return RunTemplate(d_, rows::ITevraDutyCycle_ConfigureAuto, {{"Channel", double(Channel)}},
                     nullptr, In("Channel", Channel));
}
HRESULT DutyCycleImpl::Measure(LONG Channel, double Reference, TevraReferenceTypeEnum ReferenceType,
                               TevraPolarityEnum Polarity, double* Measurement) {
  return RunFunction(d_, rows::ITevraDutyCycle_Measure, {{"Channel", double(Channel)}}, Measurement,
                     PulseText(kDutyCycleMeasureWords, Channel, Reference, ReferenceType, Polarity),
                     In("Channel", Channel), In("Reference", Reference),
                     In("ReferenceType", ReferenceType), In("Polarity", Polarity),
                     Out("Measurement", Measurement));
}

HRESULT EdgeTimeImpl::ConfigureAuto(LONG Channel, TevraEdgeTypeEnum EdgeType) {
  auto build = [&](const core::CallFrame&, std::string& text) {
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
