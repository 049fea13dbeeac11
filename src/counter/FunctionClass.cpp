// The class-compliant configure methods: channel names to numbers, then the instrument-specific
// method through its interface, so its own checks run as well.
#include "counter/FunctionClass.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <tuple>

#include "core/TextUtil.h"
#include "counter/Property.h"
#include "platform/Bstr.h"

namespace tevra::counter {
namespace {

using core::In;
using core::InString;
using core::Out;

constexpr const char* kChannelNames[] = {"channel1", "channel2", "channel3"};

// The fixed gate time of a class-compliant gated totalize, in seconds.
constexpr double kClassGateTime = 0.1;

struct GateSourceName {
  const char* name;
  TevraArmSourceEnum source;
};
constexpr GateSourceName kGateSourceNames[] = {
    {"channel1", TevraArmSourceChannel1},
    {"channel2", TevraArmSourceChannel2},
    {"external", TevraArmSourceExternal},
};

std::string NormalisedName(BSTR name) {
  return core::ToLower(core::Trim(platform::BstrToUtf8(name)));
}

// The slope of a channel, read through the class-compliant channel collection.
HRESULT ChannelSlope(Tevra& driver, LONG channel, IviCounterSlopeEnum& slope) {
  platform::Bstr name("Channel" + std::to_string(channel));
  IIviCounterChannel* item = nullptr;
  if (HRESULT hr = driver.Channels().ClassInterface()->get_Item(name.get(), &item); FAILED(hr))
    return hr;
  const HRESULT hr = item->get_Slope(&slope);
  item->Release();
  return hr;
}

TevraEdgeTypeEnum EdgeOf(IviCounterSlopeEnum slope) {
  return slope == IviCounterSlopeNegative ? TevraEdgeTypeFalling : TevraEdgeTypeRising;
}

}  // namespace

// The refused properties of every class-compliant function interface.
#define TEVRA_ROWS "counter/members/IIviCounterFrequency.def"
#define TEVRA_CLASS IviFrequencyImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/IIviCounterPeriod.def"
#define TEVRA_CLASS IviPeriodImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/IIviCounterPulseWidth.def"
#define TEVRA_CLASS IviPulseWidthImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/IIviCounterDutyCycle.def"
#define TEVRA_CLASS IviDutyCycleImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/IIviCounterEdgeTime.def"
#define TEVRA_CLASS IviEdgeTimeImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/IIviCounterFrequencyRatio.def"
#define TEVRA_CLASS IviFrequencyRatioImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/IIviCounterTimeInterval.def"
#define TEVRA_CLASS IviTimeIntervalImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/IIviCounterPhase.def"
#define TEVRA_CLASS IviPhaseImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/IIviCounterTotalizeContinuous.def"
#define TEVRA_CLASS IviTotalizeContinuousImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/IIviCounterTotalizeGated.def"
#define TEVRA_CLASS IviTotalizeGatedImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/IIviCounterTotalizeTimed.def"
#define TEVRA_CLASS IviTotalizeTimedImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
#define TEVRA_ROWS "counter/members/IIviCounterVoltage.def"
#define TEVRA_CLASS IviVoltageImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"

namespace {

// A channel name argument and the parameter that names it in messages.
struct ChannelArg {
  BSTR name;
  const char* parameter;
};

// The name the class-compliant messages give the running method: "Frequency_Configure".
std::string RunningClassMethod(Tevra& driver) {
  const core::MethodRecord& record = *driver.Calls().TopCallContext()->method;
  constexpr std::string_view kPrefix = "IIviCounter";
  std::string_view itf = record.interfaceName;
  if (itf.starts_with(kPrefix)) itf.remove_prefix(kPrefix.size());
  return std::string(itf) + "_" + record.methodName;
}

// "channel1".."channel3" (blanks around and letter case ignored) as 1..3; any other name is an
// invalid value of the parameter.
HRESULT ChannelNumberOf(Tevra& driver, const ChannelArg& arg, const std::string& method,
                        LONG& channel) {
  const std::string normalised = NormalisedName(arg.name);
  for (LONG i = 0; i < LONG(std::size(kChannelNames)); ++i) {
    if (normalised == kChannelNames[i]) {
      channel = i + 1;
      return S_OK;
    }
  }
  return driver.Reporter().ReportInvalidValueText(method, arg.parameter,
                                                  platform::BstrToUtf8(arg.name));
}

// The body of a configure call: each channel name to its number, in order, the first bad name
// failing the call, then body(numbers...).
template <class Body, class... Channels>
auto OnChannels(Tevra& driver, Body body, Channels... channels) {
  return [&driver, body, channels...]() -> HRESULT {
    const std::string method = RunningClassMethod(driver);
    const ChannelArg args[] = {channels...};
    std::array<LONG, sizeof...(Channels)> numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i)
      if (HRESULT hr = ChannelNumberOf(driver, args[i], method, numbers[i]); FAILED(hr)) return hr;
    return std::apply(body, numbers);
  };
}

template <class Body>
auto OnChannel(Tevra& driver, BSTR channel, Body body) {
  return OnChannels(driver, body, ChannelArg{channel, "Channel"});
}

// Frequency and period alike: the estimate and resolution given through, or an aperture time.
template <class Target>
HRESULT ConfigureEstimated(Tevra& driver, Target& target, const Method& row, BSTR Channel,
                           double Estimate, double Resolution) {
  return driver.Enter(
      row.record,
      OnChannel(driver, Channel,
                [&](LONG ch) { return target.Configure(Estimate, Resolution, ch); }),
      InString("Channel", Channel), In("Estimate", Estimate), In("Resolution", Resolution));
}
template <class Target>
HRESULT ConfigureApertured(Tevra& driver, Target& target, const Method& row, BSTR Channel,
                           double Estimate, double Resolution, double ApertureTime) {
  return driver.Enter(
      row.record,
      OnChannel(driver, Channel,
                [&](LONG ch) { return target.ConfigureWithAperture(ch, ApertureTime); }),
      InString("Channel", Channel), In("Estimate", Estimate), In("Resolution", Resolution),
      In("ApertureTime", ApertureTime));
}

}  // namespace

// ---- Frequency and period ----

HRESULT IviFrequencyImpl::Configure(BSTR Channel, double Estimate, double Resolution) {
  return d_.Enter(rows::IIviCounterFrequency_Configure.record,
                  OnChannel(d_, Channel, [&](LONG ch) { return target_.ConfigureAuto(ch); }),
                  InString("Channel", Channel), In("Estimate", Estimate),
                  In("Resolution", Resolution));
}

HRESULT IviFrequencyImpl::ConfigureManual(BSTR Channel, double Estimate, double Resolution) {
  return ConfigureEstimated(d_, target_, rows::IIviCounterFrequency_ConfigureManual, Channel,
                            Estimate, Resolution);
}

HRESULT IviFrequencyImpl::ConfigureWithAperture(BSTR Channel, double Estimate, double Resolution,
                                                double ApertureTime) {
  return ConfigureApertured(d_, target_, rows::IIviCounterFrequency_ConfigureWithAperture, Channel,
                            Estimate, Resolution, ApertureTime);
}

HRESULT IviPeriodImpl::Configure(BSTR Channel, double Estimate, double Resolution) {
  return ConfigureEstimated(d_, target_, rows::IIviCounterPeriod_Configure, Channel, Estimate,
                            Resolution);
}

HRESULT IviPeriodImpl::ConfigureWithAperture(BSTR Channel, double Estimate, double Resolution,
                                             double ApertureTime) {
  return ConfigureApertured(d_, target_, rows::IIviCounterPeriod_ConfigureWithAperture, Channel,
                            Estimate, Resolution, ApertureTime);
}

// ---- Pulse width, duty cycle, edge time: levels in percent, edges from the channel slope ----

HRESULT IviPulseWidthImpl::Configure(BSTR Channel, double Estimate, double Resolution) {
  return d_.Enter(
      rows::IIviCounterPulseWidth_Configure.record,
      OnChannel(d_, Channel,
                [&](LONG ch) -> HRESULT {
                  IviCounterSlopeEnum slope = IviCounterSlopePositive;
                  if (HRESULT hr = ChannelSlope(d_, ch, slope); FAILED(hr)) return hr;
                  const TevraPolarityEnum polarity = slope == IviCounterSlopeNegative
                                                         ? TevraPolarityNegative
                                                         : TevraPolarityPositive;
                  // The estimate is the reference level.
                  return target_.Configure(ch, Estimate, TevraReferenceTypePercent, polarity);
                }),
      InString("Channel", Channel), In("Estimate", Estimate), In("Resolution", Resolution));
}

HRESULT IviDutyCycleImpl::Configure(BSTR Channel, double FrequencyEstimate, double Resolution) {
  return d_.Enter(rows::IIviCounterDutyCycle_Configure.record,
                  OnChannel(d_, Channel,
                            [&](LONG ch) {
                              return target_.Configure(ch, 50.0, TevraReferenceTypePercent,
                                                       TevraPolarityPositive);
                            }),
                  InString("Channel", Channel), In("FrequencyEstimate", FrequencyEstimate),
                  In("Resolution", Resolution));
}

HRESULT IviEdgeTimeImpl::Configure(BSTR Channel, double Estimate, double Resolution) {
  return d_.Enter(rows::IIviCounterEdgeTime_Configure.record,
                  OnChannel(d_, Channel,
                            [&](LONG ch) -> HRESULT {
                              IviCounterSlopeEnum slope = IviCounterSlopePositive;
                              if (HRESULT hr = ChannelSlope(d_, ch, slope); FAILED(hr)) return hr;
                              return target_.ConfigureAuto(ch, EdgeOf(slope));
                            }),
                  InString("Channel", Channel), In("Estimate", Estimate),
                  In("Resolution", Resolution));
}

HRESULT IviEdgeTimeImpl::ConfigureReferenceLevels(BSTR Channel,
                                                  IviCounterEdgeTimeReferenceTypeEnum ReferenceType,
                                                  double HighReference, double LowReference) {
  return d_.Enter(rows::IIviCounterEdgeTime_ConfigureReferenceLevels.record,
                  OnChannel(d_, Channel,
                            [&](LONG ch) -> HRESULT {
                              IviCounterSlopeEnum slope = IviCounterSlopePositive;
                              if (HRESULT hr = ChannelSlope(d_, ch, slope); FAILED(hr)) return hr;
                              // The class's reference types have the instrument's values.
                              return target_.Configure(
                                  ch, static_cast<TevraReferenceTypeEnum>(ReferenceType),
                                  HighReference, LowReference, EdgeOf(slope));
                            }),
                  InString("Channel", Channel), In("ReferenceType", ReferenceType),
                  In("HighReference", HighReference), In("LowReference", LowReference));
}

// ---- Two-channel functions ----

HRESULT IviFrequencyRatioImpl::Configure(BSTR NumeratorChannel, BSTR DenominatorChannel,
                                         double NumeratorFrequencyEstimate, double Estimate,
                                         double Resolution) {
  return d_.Enter(rows::IIviCounterFrequencyRatio_Configure.record,
                  OnChannels(
                      d_,
                      [&](LONG numerator, LONG denominator) {
                        return target_.Configure(Estimate, Resolution, numerator, denominator);
                      },
                      ChannelArg{NumeratorChannel, "NumeratorChannel"},
                      ChannelArg{DenominatorChannel, "DenominatorChannel"}),
                  InString("NumeratorChannel", NumeratorChannel),
                  InString("DenominatorChannel", DenominatorChannel),
                  In("NumeratorFrequencyEstimate", NumeratorFrequencyEstimate),
                  In("Estimate", Estimate), In("Resolution", Resolution));
}

HRESULT IviTimeIntervalImpl::Configure(BSTR StartChannel, BSTR StopChannel, double Estimate,
                                       double Resolution) {
  return d_.Enter(
      rows::IIviCounterTimeInterval_Configure.record,
      OnChannels(
          d_, [&](LONG start, LONG stop) { return target_.Configure(start, stop); },
          ChannelArg{StartChannel, "StartChannel"}, ChannelArg{StopChannel, "StopChannel"}),
      InString("StartChannel", StartChannel), InString("StopChannel", StopChannel),
      In("Estimate", Estimate), In("Resolution", Resolution));
}

HRESULT IviPhaseImpl::Configure(BSTR InputChannel, BSTR ReferenceChannel, double FrequencyEstimate,
                                double Resolution) {
  return d_.Enter(
      rows::IIviCounterPhase_Configure.record,
      OnChannels(
          d_, [&](LONG input, LONG reference) { return target_.Configure(input, reference); },
          ChannelArg{InputChannel, "InputChannel"},
          ChannelArg{ReferenceChannel, "ReferenceChannel"}),
      InString("InputChannel", InputChannel), InString("ReferenceChannel", ReferenceChannel),
      In("FrequencyEstimate", FrequencyEstimate), In("Resolution", Resolution));
}

// ---- Totalize and voltage ----

HRESULT IviTotalizeContinuousImpl::Configure(BSTR Channel) {
  return d_.Enter(rows::IIviCounterTotalizeContinuous_Configure.record,
                  OnChannel(d_, Channel, [&](LONG ch) { return target_.Configure(ch); }),
                  InString("Channel", Channel));
}

HRESULT IviTotalizeContinuousImpl::Start() {
  return d_.Enter(rows::IIviCounterTotalizeContinuous_Start.record,
                  [&] { return target_.Start(); });
}

HRESULT IviTotalizeContinuousImpl::Stop() {
  return d_.Enter(rows::IIviCounterTotalizeContinuous_Stop.record, [&] { return target_.Stop(); });
}

HRESULT IviTotalizeContinuousImpl::FetchCount(double* Val) {
  return d_.Enter(
      rows::IIviCounterTotalizeContinuous_FetchCount.record,
      [&] { return target_.FetchCount(Val); }, Out("Val", Val));
}

HRESULT IviTotalizeGatedImpl::Configure(BSTR Channel, BSTR GateSource, LONG GateSlope) {
  return d_.Enter(
      rows::IIviCounterTotalizeGated_Configure.record,
      OnChannel(d_, Channel,
                [&](LONG ch) -> HRESULT {
                  const std::string source = NormalisedName(GateSource);
                  const auto gate =
                      std::find_if(std::begin(kGateSourceNames), std::end(kGateSourceNames),
                                   [&](const GateSourceName& g) { return source == g.name; });
                  if (gate == std::end(kGateSourceNames))
                    return d_.Reporter().ReportInvalidValueText(
                        RunningClassMethod(d_), "GateSource", platform::BstrToUtf8(GateSource));
                  if (GateSlope != TevraSlopeNegative && GateSlope != TevraSlopePositive)
                    return d_.Reporter().ReportInvalidValueInt(RunningClassMethod(d_), "GateSlope",
                                                               GateSlope, "%d");
                  return target_.Configure(ch, gate->source, static_cast<TevraSlopeEnum>(GateSlope),
                                           kClassGateTime);
                }),
      InString("Channel", Channel), InString("GateSource", GateSource), In("GateSlope", GateSlope));
}

HRESULT IviTotalizeTimedImpl::Configure(BSTR Channel, double GateTime) {
  return d_.Enter(rows::IIviCounterTotalizeTimed_Configure.record,
                  OnChannel(d_, Channel, [&](LONG ch) { return target_.Configure(GateTime, ch); }),
                  InString("Channel", Channel), In("GateTime", GateTime));
}

HRESULT IviVoltageImpl::Configure(BSTR Channel, IviCounterMeasurementFunctionEnum Function,
                                  double Estimate, double Resolution) {
  return d_.Enter(rows::IIviCounterVoltage_Configure.record,
                  OnChannel(d_, Channel,
                            [&](LONG ch) -> HRESULT {
                              for (const VoltageFunctionMatch& m : kVoltageFunctions)
                                if (m.classFunction == Function)
                                  return target_.Configure(ch, m.function);
                              return d_.Reporter().ReportInvalidValueInt(
                                  RunningClassMethod(d_), "Function", Function, "%d");
                            }),
                  InString("Channel", Channel), In("Function", Function), In("Estimate", Estimate),
                  In("Resolution", Resolution));
}

}  // namespace tevra::counter
