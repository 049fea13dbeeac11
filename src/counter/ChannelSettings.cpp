#include "counter/ChannelSettings.h"

#include <string>

#include "counter/Property.h"
#include "counter/TevraChannel.h"

namespace tevra::counter {

#define TEVRA_ROWS "counter/members/ITevraChannel.def"
#define TEVRA_CLASS ChannelSettings
#define TEVRA_NODE channel_
#include "counter/DefineAccessors.inc"

ChannelSettings::ChannelSettings(TevraChannel& channel) : Embedded(channel), channel_(channel) {}

HRESULT ChannelSettings::get_Impedance(TevraImpedanceEnum* val) {
  return GetProperty(channel_, rows::ITevraChannel_Impedance, val,
                     [&](core::CallFrame& frame) -> HRESULT {
                       double ohms = 0;
                       const HRESULT hr = DriverOf(channel_).Io().QueryNumber(
                           frame.command, core::ScanArg(&ohms), core::kDefaultTimeout);
                       if (SUCCEEDED(hr))
                         *val = ohms == 50.0 ? TevraImpedance50 : TevraImpedance1E6;
                       return hr;
                     });
}

// The range reply is the attenuated full scale: 5 V at factor 1, 500 V at factor 10. 50 V is
// either factor 10 without a probe or factor 1 behind a 10x probe, so the probe decides.
HRESULT ChannelSettings::get_Range(TevraAttenuationFactorEnum* val) {
  return GetProperty(
      channel_, rows::ITevraChannel_Range, val, [&](core::CallFrame& frame) -> HRESULT {
        Tevra& driver = DriverOf(channel_);
        double scale = 0;
        HRESULT hr =
            driver.Io().QueryNumber(frame.command, core::ScanArg(&scale), core::kDefaultTimeout);
        if (FAILED(hr)) return hr;
        if (scale == 5.0) {
          *val = TevraAttenuationFactor1;
        } else if (scale == 500.0) {
          *val = TevraAttenuationFactor10;
        } else if (scale == 50.0) {
          TevraProbeFactorEnum probe = TevraProbeFactor1x;
          if (HRESULT probed = get_ProbeFactor(&probe); FAILED(probed)) return probed;
          *val = probe == TevraProbeFactor1x ? TevraAttenuationFactor10 : TevraAttenuationFactor1;
        } else {
          return driver.Reporter().ReportElaborated(Code::UnexpectedResponse,
                                                    "Channel_get_Attenuation");
        }
        return hr;
      });
}

// A 10x probe needs the high range first; the instrument refuses the probe otherwise.
HRESULT ChannelSettings::put_ProbeFactor(TevraProbeFactorEnum val) {
  return PutProperty(channel_, rows::ITevraChannel_ProbeFactor, val, [&]() -> HRESULT {
    if (val != TevraProbeFactor10x) return S_OK;
    const std::string range = "INP" + std::to_string(channel_.Number()) + ":RANG MAX";
    return DriverOf(channel_).Io().WriteString(range, true, core::kDefaultTimeout);
  });
}

// Both configure methods run the puts they stand for as calls of their own, so each put is
// traced, formatted in its own context and, in simulation, stored.
HRESULT ChannelSettings::ConfigureLevel(double Voltage, VARIANT_BOOL NoiseRejectEnabled) {
  return channel_.Enter(
      rows::ITevraChannel_ConfigureLevel.record,
      [&]() -> HRESULT {
        if (HRESULT hr = CheckRule(rows::ITevraChannel_ConfigureLevel.rule, channel_); FAILED(hr))
          return hr;
        if (HRESULT hr = put_Voltage1(Voltage); FAILED(hr)) return hr;
        return put_NoiseRejectEnabled(NoiseRejectEnabled);
      },
      core::In("Voltage", Voltage), core::In("NoiseRejectEnabled", NoiseRejectEnabled));
}

HRESULT ChannelSettings::Configure(TevraImpedanceEnum Impedance, TevraCouplingEnum Coupling,
                                   TevraAttenuationFactorEnum Range) {
  return channel_.Enter(
      rows::ITevraChannel_Configure.record,
      [&]() -> HRESULT {
        if (HRESULT hr = CheckRule(rows::ITevraChannel_Configure.rule, channel_); FAILED(hr))
          return hr;
        if (HRESULT hr = put_Impedance(Impedance); FAILED(hr)) return hr;
        if (HRESULT hr = put_Coupling(Coupling); FAILED(hr)) return hr;
        return put_Range(Range);
      },
      core::In("Impedance", Impedance), core::In("Coupling", Coupling), core::In("Range", Range));
}

}  // namespace tevra::counter
