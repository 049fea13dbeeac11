#include "counter/ClassChannel.h"

#include "counter/Property.h"
#include "counter/TevraChannel.h"

namespace tevra::counter {
namespace {

constexpr double kFiftyOhm = 50.0;
constexpr double kOneMegohm = 1.0E6;

}  // namespace

ClassChannel::ClassChannel(TevraChannel& channel) : Embedded(channel), channel_(channel) {}

ITevraChannel& ClassChannel::Instrument() { return *channel_.InstrumentInterface(); }

HRESULT ClassChannel::get_Impedance(double* val) {
  return channel_.Enter(
      rows::IIviCounterChannel_Impedance.get,
      [&]() -> HRESULT {
        TevraImpedanceEnum impedance = TevraImpedance1E6;
        const HRESULT hr = Instrument().get_Impedance(&impedance);
        if (SUCCEEDED(hr)) *val = impedance == TevraImpedance50 ? kFiftyOhm : kOneMegohm;
        return hr;
      },
      core::Out("val", val));
}

HRESULT ClassChannel::put_Impedance(double val) {
  return channel_.Enter(
      rows::IIviCounterChannel_Impedance.put,
      [&]() -> HRESULT {
        if (val != kFiftyOhm && val != kOneMegohm)
          return DriverOf(channel_).Reporter().ReportInvalidValueDouble(
              "Channel_put_Impedance", "Valid values: 50.0 or 1.0E6", val, "%g");
        return Instrument().put_Impedance(val == kFiftyOhm ? TevraImpedance50 : TevraImpedance1E6);
      },
      core::In("val", val));
}

HRESULT ClassChannel::get_Coupling(IviCounterCouplingEnum* val) {
  return channel_.Enter(
      rows::IIviCounterChannel_Coupling.get,
      [&]() -> HRESULT {
        TevraCouplingEnum coupling = TevraCouplingAC;
        const HRESULT hr = Instrument().get_Coupling(&coupling);
        if (FAILED(hr)) return hr;
        if (coupling != TevraCouplingAC && coupling != TevraCouplingDC)
          return DriverOf(channel_).Reporter().Report(Code::UnexpectedResponse);
        *val = static_cast<IviCounterCouplingEnum>(coupling);
        return hr;
      },
      core::Out("val", val));
}

HRESULT ClassChannel::put_Coupling(IviCounterCouplingEnum val) {
  return channel_.Enter(
      rows::IIviCounterChannel_Coupling.put,
      [&] { return Instrument().put_Coupling(static_cast<TevraCouplingEnum>(val)); },
      core::In("val", val));
}

HRESULT ClassChannel::get_Attenuation(double* val) {
  return channel_.Enter(
      rows::IIviCounterChannel_Attenuation.get,
      [&]() -> HRESULT {
        TevraAttenuationFactorEnum factor = TevraAttenuationFactor1;
        const HRESULT hr = Instrument().get_Range(&factor);
        if (SUCCEEDED(hr)) *val = factor == TevraAttenuationFactor1 ? 1.0 : 10.0;
        return hr;
      },
      core::Out("val", val));
}

HRESULT ClassChannel::put_Attenuation(double val) {
  return channel_.Enter(
      rows::IIviCounterChannel_Attenuation.put,
      [&]() -> HRESULT {
        if (val != 1.0 && val != 10.0)
          return DriverOf(channel_).Reporter().ReportInvalidValueDouble(
              "Channel_put_Attenuation", "Valid values: 1 or 10", val, "%g");
        return Instrument().put_Range(val == 1.0 ? TevraAttenuationFactor1
                                                 : TevraAttenuationFactor10);
      },
      core::In("val", val));
}

HRESULT ClassChannel::get_Level(double* val) {
  return channel_.Enter(
      rows::IIviCounterChannel_Level.get, [&] { return Instrument().get_Voltage1(val); },
      core::Out("val", val));
}
HRESULT ClassChannel::put_Level(double val) {
  return channel_.Enter(
      rows::IIviCounterChannel_Level.put, [&] { return Instrument().put_Voltage1(val); },
      core::In("val", val));
}

// The counter has no hysteresis setting; noise rejection widens the hysteresis band instead.
HRESULT ClassChannel::get_Hysteresis(double* val) {
  return channel_.Enter(
      rows::IIviCounterChannel_Hysteresis.get,
      [&]() -> HRESULT {
        VARIANT_BOOL rejecting = VARIANT_FALSE;
        const HRESULT hr = Instrument().get_NoiseRejectEnabled(&rejecting);
        if (SUCCEEDED(hr)) *val = rejecting ? 1.0 : 0.0;
        return hr;
      },
      core::Out("val", val));
}

HRESULT ClassChannel::put_Hysteresis(double val) {
  return channel_.Enter(
      rows::IIviCounterChannel_Hysteresis.put,
      [&] { return Instrument().put_NoiseRejectEnabled(val > 0.0 ? VARIANT_TRUE : VARIANT_FALSE); },
      core::In("val", val));
}

HRESULT ClassChannel::get_FilterEnabled(VARIANT_BOOL* val) {
  return channel_.Enter(
      rows::IIviCounterChannel_FilterEnabled.get,
      [&] { return Instrument().get_FilterEnabled(val); }, core::Out("val", val));
}
HRESULT ClassChannel::put_FilterEnabled(VARIANT_BOOL val) {
  return channel_.Enter(
      rows::IIviCounterChannel_FilterEnabled.put,
      [&] { return Instrument().put_FilterEnabled(val); }, core::In("val", val));
}

HRESULT ClassChannel::get_Slope(IviCounterSlopeEnum* val) {
  return channel_.Enter(
      rows::IIviCounterChannel_Slope.get,
      [&]() -> HRESULT {
        TevraSlopeEnum slope = TevraSlopePositive;
        const HRESULT hr = Instrument().get_Slope1(&slope);
        if (FAILED(hr)) return hr;
        if (slope != TevraSlopeNegative && slope != TevraSlopePositive)
          return DriverOf(channel_).Reporter().Report(Code::UnexpectedResponse);
        *val = static_cast<IviCounterSlopeEnum>(slope);
        return hr;
      },
      core::Out("val", val));
}

HRESULT ClassChannel::put_Slope(IviCounterSlopeEnum val) {
  return channel_.Enter(
      rows::IIviCounterChannel_Slope.put,
      [&] { return Instrument().put_Slope1(static_cast<TevraSlopeEnum>(val)); },
      core::In("val", val));
}

HRESULT ClassChannel::get_MinimumFrequency(double* val) {
  return channel_.Enter(
      rows::IIviCounterChannel_MinimumFrequency.get,
      [&] {
        return DriverOf(channel_).Reporter().Report(Code::PropertyNotSupported,
                                                    "Channel_get_MinimumFrequency");
      },
      core::Out("val", val));
}
HRESULT ClassChannel::put_MinimumFrequency(double val) {
  return channel_.Enter(
      rows::IIviCounterChannel_MinimumFrequency.put,
      [&] {
        return DriverOf(channel_).Reporter().Report(Code::PropertyNotSupported,
                                                    "Channel_put_MinimumFrequency");
      },
      core::In("val", val));
}
HRESULT ClassChannel::get_MaximumFrequency(double* val) {
  return channel_.Enter(
      rows::IIviCounterChannel_MaximumFrequency.get,
      [&] {
        return DriverOf(channel_).Reporter().Report(Code::PropertyNotSupported,
                                                    "Channel_get_MaximumFrequency");
      },
      core::Out("val", val));
}
HRESULT ClassChannel::put_MaximumFrequency(double val) {
  return channel_.Enter(
      rows::IIviCounterChannel_MaximumFrequency.put,
      [&] {
        return DriverOf(channel_).Reporter().Report(Code::PropertyNotSupported,
                                                    "Channel_put_MaximumFrequency");
      },
      core::In("val", val));
}

HRESULT ClassChannel::ConfigureLevel(double TriggerLevel, double Hysteresis) {
  return channel_.Enter(
      rows::IIviCounterChannel_ConfigureLevel.record,
      [&] {
        return Instrument().ConfigureLevel(TriggerLevel,
                                           Hysteresis > 0.0 ? VARIANT_TRUE : VARIANT_FALSE);
      },
      core::In("TriggerLevel", TriggerLevel), core::In("Hysteresis", Hysteresis));
}

HRESULT ClassChannel::Configure(double Impedance, IviCounterCouplingEnum Coupling,
                                double Attenuation) {
  return channel_.Enter(
      rows::IIviCounterChannel_Configure.record,
      [&]() -> HRESULT {
        core::CTevraErrorReporter& reporter = DriverOf(channel_).Reporter();
        if (Impedance != kFiftyOhm && Impedance != kOneMegohm)
          return reporter.ReportInvalidValueDouble("IIviCounterChannel_Configure",
                                                   "Impedance - Valid values: 50.0 or 1.0E6",
                                                   Impedance, "%g");
        if (Attenuation != 1.0 && Attenuation != 10.0)
          return reporter.ReportInvalidValueDouble("IIviCounterChannel_Configure",
                                                   "Attenuation - Valid values: 1 or 10",
                                                   Attenuation, "%g");
        return Instrument().Configure(
            Impedance == kFiftyOhm ? TevraImpedance50 : TevraImpedance1E6,
            static_cast<TevraCouplingEnum>(Coupling),
            Attenuation != 1.0 ? TevraAttenuationFactor10 : TevraAttenuationFactor1);
      },
      core::In("Impedance", Impedance), core::In("Coupling", Coupling),
      core::In("Attenuation", Attenuation));
}

HRESULT ClassChannel::ConfigureFilter(double MinimumFrequency, double MaximumFrequency) {
  return channel_.Enter(
      rows::IIviCounterChannel_ConfigureFilter.record,
      [&] {
        return DriverOf(channel_).Reporter().Report(Code::MethodNotSupported,
                                                    "IIviCounterChannel_ConfigureFilter");
      },
      core::In("MinimumFrequency", MinimumFrequency),
      core::In("MaximumFrequency", MaximumFrequency));
}

}  // namespace tevra::counter
