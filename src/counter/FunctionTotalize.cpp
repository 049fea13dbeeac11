// Totalizing (continuous, gated, timed) and the voltage selection.
#include <cstdio>
#include <string>

#include "counter/FunctionImpls.h"
#include "counter/FunctionTable.h"
#include "counter/Property.h"

namespace tevra::counter {
namespace {

using core::In;
using core::Out;
using namespace functions;

// The gate sources a gated totalize can use; an input gate first sets its level to 0 V.
struct GateSourceWord {
  TevraArmSourceEnum source;
  const char* word;
  const char* levelCommand;  // null when the source has no input level
};
constexpr GateSourceWord kGateSources[] = {
    {TevraArmSourceChannel1, "INP", "INP:LEV 0.0"},
    {TevraArmSourceChannel2, "INP2", "INP2:LEV 0.0"},
    {TevraArmSourceExternal, "EXT", nullptr},
    {TevraArmSourceAdvanced, "ADV", nullptr},
    {TevraArmSourceTime, "TIME", nullptr},
};

const GateSourceWord* FindGateSource(TevraArmSourceEnum source) {
  for (const GateSourceWord& g : kGateSources)
    if (g.source == source) return &g;
  return nullptr;
}

bool GatesItself(LONG channel, TevraArmSourceEnum source) {
  return (channel == 1 && source == TevraArmSourceChannel1) ||
         (channel == 2 && source == TevraArmSourceChannel2);
}

// The gated totalize: gate time, gate source and gate polarity as separate messages. Only the
// last write decides the result.
HRESULT WriteGatedTotalize(Tevra& driver, LONG channel, const GateSourceWord& gate,
                           TevraSlopeEnum slope, double gateTime) {
  core::IIoSession& io = driver.Io();
  if (gate.levelCommand)
    static_cast<void>(io.WriteString(gate.levelCommand, true, core::kDefaultTimeout));
  char time[128];
  std::snprintf(time, sizeof time, "CONF:TOT:TIM  %f,(@%d)\n", gateTime, int(channel));
  static_cast<void>(io.WriteString(time, true, core::kDefaultTimeout));
  static_cast<void>(
      io.WriteString(std::string("TOT:GATE:SOUR ") + gate.word, true, core::kDefaultTimeout));
  const char* polarity = slope == TevraSlopePositive ? "POS" : "NEG";
  return io.WriteString(std::string("TOT:GATE:POL ") + polarity, true, core::kDefaultTimeout);
}

}  // namespace

HRESULT TotalizeContinuousImpl::Configure(LONG Channel) {
  return RunTemplate(d_, rows::ITevraTotalizeContinuous_Configure, {{"Channel", double(Channel)}},
                     nullptr, In("Channel", Channel));
}
HRESULT TotalizeContinuousImpl::FetchCount(double* Val) {
  return d_.Enter(
      rows::ITevraTotalizeContinuous_FetchCount.record,
      [&] {
        return d_.Reporter().Report(
            Code::MethodNotSupported,
            "Please use the method named ReadCount for this functionality.");
      },
      Out("Val", Val));
}

#define TEVRA_ROWS "counter/members/ITevraTotalizeContinuous.def"
#define TEVRA_CLASS TotalizeContinuousImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"
// The simulated instrument counts nothing: ReadCount leaves its zeroed output.
#define TEVRA_ROWS "counter/members/ITevraTotalizeContinuous2.def"
#define TEVRA_CLASS TotalizeContinuousImpl
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"

HRESULT TotalizeGatedImpl::Configure(LONG Channel, TevraArmSourceEnum GateSource,
                                     TevraSlopeEnum GateSlope, double GateTime) {
  const Method& method = rows::ITevraTotalizeGated_Configure;
  return d_.Enter(
      method.record,
      [&]() -> HRESULT {
        if (HRESULT hr = CheckChannels(d_, method, {{"Channel", double(Channel)}}); FAILED(hr))
          return hr;
        if (GatesItself(Channel, GateSource))
          return d_.Reporter().ReportInvalidValueInt(
              method.errorName, "Channel and GateSource cannot be same channel", Channel, "%d");
        d_.Measurement().voltageChannel = 0;
        if (d_.Simulating()) return S_OK;
        const GateSourceWord* gate = FindGateSource(GateSource);
        if (!gate)
          return d_.Reporter().ReportInvalidValueInt(method.errorName, "GateSource", GateSource,
                                                     "%d");
        return WriteGatedTotalize(d_, Channel, *gate, GateSlope, GateTime);
      },
      In("Channel", Channel), In("GateSource", GateSource), In("GateSlope", GateSlope),
      In("GateTime", GateTime));
}

HRESULT TotalizeTimedImpl::Configure(double GateTime, LONG Channel) {
  return RunTemplate(d_, rows::ITevraTotalizeTimed_Configure, {{"Channel", double(Channel)}},
                     nullptr, In("GateTime", GateTime), In("Channel", Channel));
}
HRESULT TotalizeTimedImpl::Measure(double GateTime, LONG Channel, double* Data) {
  return RunTemplate(d_, rows::ITevraTotalizeTimed_Measure, {{"Channel", double(Channel)}}, Data,
                     In("GateTime", GateTime), In("Channel", Channel), Out("Data", Data));
}

// Nothing is sent: Read and Fetch measure the selected voltage.
HRESULT VoltageImpl::Configure(LONG Channel, TevraVoltageFunctionEnum VoltageFunction) {
  const Method& method = rows::ITevraVoltage_Configure;
  return d_.Enter(
      method.record,
      [&]() -> HRESULT {
        if (HRESULT hr = CheckChannels(d_, method, {{"Channel", double(Channel)}}); FAILED(hr))
          return hr;
        if (d_.Simulating()) return S_OK;
        d_.Measurement().voltageChannel = Channel;
        d_.Measurement().voltageFunction = VoltageFunction;
        return S_OK;
      },
      In("Channel", Channel), In("VoltageFunction", VoltageFunction));
}

}  // namespace tevra::counter
