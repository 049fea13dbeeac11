#include "counter/ChannelSettings.h"

#include <string>

#include "counter/Setting.h"
#include "counter/TevraChannel.h"

namespace tevra::counter {
namespace {

using core::kNoModels;
using core::kQX1100;

constexpr core::MethodRecord Method(const char* name, const char* command = nullptr,
                                    const char* response = nullptr,
                                    std::uint8_t unsupported = kNoModels) {
  return {&IID_ITevraChannel, "ITevraChannel", name,    core::kMethodNone,
          unsupported,        command,         response};
}

// Impedance and range are read as numbers (Range says more), so their queries carry the
// terminator themselves and have no response format.
constexpr Setting kImpedance{Method("get_Impedance", "INP%d:IMP?\n"),
                             Method("put_Impedance", "INP%d:IMP %{TevraImpedanceEnum}s"),
                             "ITevraChannel.Impedance"};
constexpr Setting kCoupling{Method("get_Coupling", "INP%d:COUP?", "%{TevraCouplingEnum}s"),
                            Method("put_Coupling", "INP%d:COUP %{TevraCouplingEnum}s"),
                            "ITevraChannel.Coupling"};
constexpr Setting kRange{Method("get_Range", "INP%d:RANG?\n"),
                         Method("put_Range", "INP%d:RANG %{TevraAttenuationFactorEnum}s"),
                         "ITevraChannel.Range"};
constexpr Setting kVoltage1{Method("get_Voltage1", "INP%d:LEV?", "%lg"),
                            Method("put_Voltage1", "INP%d:LEV %0.15lg"), "ITevraChannel.Voltage1"};
constexpr Setting kVoltage2{Method("get_Voltage2", "INP%d:LEV2?", "%lg", kQX1100),
                            Method("put_Voltage2", "INP%d:LEV2 %0.15lg", nullptr, kQX1100),
                            "ITevraChannel.Voltage2"};
constexpr Setting kFilterEnabled{Method("get_FilterEnabled", "INP%d:FILT?", "%{VARIANT_BOOL}s"),
                                 Method("put_FilterEnabled", "INP%d:FILT %{VARIANT_BOOL}s"),
                                 "ITevraChannel.FilterEnabled"};
constexpr Setting kSlope1{Method("get_Slope1", "INP%d:SLOP?", "%{TevraSlopeEnum}s"),
                          Method("put_Slope1", "INP%d:SLOP %{TevraSlopeEnum}s"),
                          "ITevraChannel.Slope1"};
constexpr Setting kSlope2{Method("get_Slope2", "INP%d:SLOP2?", "%{TevraSlopeEnum}s", kQX1100),
                          Method("put_Slope2", "INP%d:SLOP2 %{TevraSlopeEnum}s", nullptr, kQX1100),
                          "ITevraChannel.Slope2"};
constexpr Setting kNoiseRejectEnabled{
    Method("get_NoiseRejectEnabled", "INP%d:NREJ?", "%{VARIANT_BOOL}s"),
    Method("put_NoiseRejectEnabled", "INP%d:NREJ %{VARIANT_BOOL}s"),
    "ITevraChannel.NoiseRejectEnabled"};
constexpr Setting kProbeFactor{Method("get_ProbeFactor", "INP%d:PROB?", "%{TevraProbeFactorEnum}s"),
                               Method("put_ProbeFactor", "INP%d:PROB %{TevraProbeFactorEnum}s"),
                               "ITevraChannel.ProbeFactor"};
constexpr Setting kAutoLevelEnabled{
    Method("get_AutoLevelEnabled", "INP%d:LEV:AUTO?", "%{VARIANT_BOOL}s"),
    Method("put_AutoLevelEnabled", "INP%d:LEV:AUTO %{VARIANT_BOOL}s"),
    "ITevraChannel.AutoLevelEnabled"};
constexpr Setting kIsProtectionEnable{
    Method("get_IsProtectionEnable", "INP%d:PROT?", "%{VARIANT_BOOL}s"),
    {},
    "ITevraChannel.IsProtectionEnable"};
constexpr Setting kPercentage1{Method("get_Percentage1", "INP%d:LEV:REL?", "%d"),
                               Method("put_Percentage1", "INP%d:LEV:REL %d"),
                               "ITevraChannel.Percentage1"};
constexpr Setting kPercentage2{Method("get_Percentage2", "INP%d:LEV2:REL?", "%d", kQX1100),
                               Method("put_Percentage2", "INP%d:LEV2:REL %d", nullptr, kQX1100),
                               "ITevraChannel.Percentage2"};
constexpr Setting kStrength{
    Method("get_Strength", "INP%d:STR?", "%d"), {}, "ITevraChannel.Strength"};

constexpr core::MethodRecord kConfigureLevel = Method("ConfigureLevel");
constexpr core::MethodRecord kConfigure = Method("Configure");
constexpr core::MethodRecord kResetProtection = Method("ResetProtection", "INP%d:PROT:CLE");
constexpr core::MethodRecord kAutoLevelOnce = Method("AutoLevelOnce", "INP%d:LEV:AUTO ONCE");

// The microwave input.
constexpr std::int32_t kMicrowaveNumber = 3;

}  // namespace

ChannelSettings::ChannelSettings(TevraChannel& channel) : Embedded(channel), channel_(channel) {}

HRESULT ChannelSettings::CheckNotMicrowave() {
  const std::int32_t number = channel_.Number();
  if (number != kMicrowaveNumber) return S_OK;
  return DriverOf(channel_).Reporter().ReportInvalidInputChannel(std::to_string(number));
}

// Only the microwave input measures signal strength: channel 2 on the QX1100, channel 3 on the
// QX1200 and QX1300. A model outside the family is asked on every channel.
HRESULT ChannelSettings::CheckStrengthChannel() {
  const Tevra& driver = DriverOf(channel_);
  const std::int32_t number = channel_.Number();
  bool refused = false;
  if (driver.Model() == "QX1100")
    refused = number == 1 || number == 3;
  else if (driver.Model() == "QX1200" || driver.Model() == "QX1300")
    refused = number == 1 || number == 2;
  if (!refused) return S_OK;
  return DriverOf(channel_).Reporter().ReportInvalidInputChannel(std::to_string(number));
}

HRESULT ChannelSettings::get_Impedance(TevraImpedanceEnum* val) {
  return channel_.Enter(
      kImpedance.get,
      [&](core::CallFrame& frame) -> HRESULT {
        Tevra& driver = DriverOf(channel_);
        if (driver.Simulating()) return state::GetSimulated(channel_, kImpedance.key, *val);
        if (HRESULT hr = CheckNotMicrowave(); FAILED(hr)) return hr;
        double ohms = 0;
        const HRESULT hr =
            driver.Io().QueryNumber(frame.command, core::ScanArg(&ohms), core::kDefaultTimeout);
        if (FAILED(hr)) return hr;
        *val = ohms == 50.0 ? TevraImpedance50 : TevraImpedance1E6;
        return hr;
      },
      core::Out("val", val));
}

HRESULT ChannelSettings::put_Impedance(TevraImpedanceEnum val) {
  return PutSetting(channel_, kImpedance, val, [&] { return CheckNotMicrowave(); });
}

HRESULT ChannelSettings::get_Coupling(TevraCouplingEnum* val) {
  return GetSetting(channel_, kCoupling, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::put_Coupling(TevraCouplingEnum val) {
  return PutSetting(channel_, kCoupling, val, [&] { return CheckNotMicrowave(); });
}

// The range reply is the attenuated full scale: 5 V at factor 1, 500 V at factor 10. 50 V is
// either factor 10 without a probe or factor 1 behind a 10x probe, so the probe decides.
HRESULT ChannelSettings::get_Range(TevraAttenuationFactorEnum* val) {
  return channel_.Enter(
      kRange.get,
      [&](core::CallFrame& frame) -> HRESULT {
        Tevra& driver = DriverOf(channel_);
        if (driver.Simulating()) return state::GetSimulated(channel_, kRange.key, *val);
        if (HRESULT hr = CheckNotMicrowave(); FAILED(hr)) return hr;
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
          return driver.Reporter().ReportUnexpectedResponse("Channel_get_Attenuation");
        }
        return hr;
      },
      core::Out("val", val));
}

HRESULT ChannelSettings::put_Range(TevraAttenuationFactorEnum val) {
  return PutSetting(channel_, kRange, val, [&] { return CheckNotMicrowave(); });
}

HRESULT ChannelSettings::get_Voltage1(double* val) {
  return GetSetting(channel_, kVoltage1, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::put_Voltage1(double val) {
  return PutSetting(channel_, kVoltage1, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::get_Voltage2(double* val) {
  return GetSetting(channel_, kVoltage2, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::put_Voltage2(double val) {
  return PutSetting(channel_, kVoltage2, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::get_FilterEnabled(VARIANT_BOOL* val) {
  return GetSetting(channel_, kFilterEnabled, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::put_FilterEnabled(VARIANT_BOOL val) {
  return PutSetting(channel_, kFilterEnabled, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::get_Slope1(TevraSlopeEnum* val) {
  return GetSetting(channel_, kSlope1, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::put_Slope1(TevraSlopeEnum val) {
  return PutSetting(channel_, kSlope1, val, [&] { return CheckNotMicrowave(); });
}
// The second slope is not refused on the microwave channel.
HRESULT ChannelSettings::get_Slope2(TevraSlopeEnum* val) {
  return GetSetting(channel_, kSlope2, val);
}
HRESULT ChannelSettings::put_Slope2(TevraSlopeEnum val) {
  return PutSetting(channel_, kSlope2, val);
}
HRESULT ChannelSettings::get_NoiseRejectEnabled(VARIANT_BOOL* val) {
  return GetSetting(channel_, kNoiseRejectEnabled, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::put_NoiseRejectEnabled(VARIANT_BOOL val) {
  return PutSetting(channel_, kNoiseRejectEnabled, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::get_ProbeFactor(TevraProbeFactorEnum* val) {
  return GetSetting(channel_, kProbeFactor, val, [&] { return CheckNotMicrowave(); });
}

// A 10x probe needs the high range first; the instrument refuses the probe otherwise.
HRESULT ChannelSettings::put_ProbeFactor(TevraProbeFactorEnum val) {
  return PutSetting(channel_, kProbeFactor, val, [&]() -> HRESULT {
    if (HRESULT hr = CheckNotMicrowave(); FAILED(hr)) return hr;
    if (val != TevraProbeFactor10x) return S_OK;
    const std::string range = "INP" + std::to_string(channel_.Number()) + ":RANG MAX";
    return DriverOf(channel_).Io().WriteString(range, true, core::kDefaultTimeout);
  });
}

HRESULT ChannelSettings::get_AutoLevelEnabled(VARIANT_BOOL* val) {
  return GetSetting(channel_, kAutoLevelEnabled, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::put_AutoLevelEnabled(VARIANT_BOOL val) {
  return PutSetting(channel_, kAutoLevelEnabled, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::get_IsProtectionEnable(VARIANT_BOOL* val) {
  return GetSetting(channel_, kIsProtectionEnable, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::get_Percentage1(LONG* val) {
  return GetSetting(channel_, kPercentage1, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::put_Percentage1(LONG val) {
  return PutSetting(channel_, kPercentage1, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::get_Percentage2(LONG* val) {
  return GetSetting(channel_, kPercentage2, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::put_Percentage2(LONG val) {
  return PutSetting(channel_, kPercentage2, val, [&] { return CheckNotMicrowave(); });
}
HRESULT ChannelSettings::get_Strength(LONG* val) {
  return GetSetting(channel_, kStrength, val, [&] { return CheckStrengthChannel(); });
}

// Both configure methods run the puts they stand for as calls of their own, so each put is
// traced, formatted in its own context and, in simulation, stored.
HRESULT ChannelSettings::ConfigureLevel(double Voltage, VARIANT_BOOL NoiseRejectEnabled) {
  return channel_.Enter(
      kConfigureLevel,
      [&]() -> HRESULT {
        if (HRESULT hr = CheckNotMicrowave(); FAILED(hr)) return hr;
        if (HRESULT hr = put_Voltage1(Voltage); FAILED(hr)) return hr;
        return put_NoiseRejectEnabled(NoiseRejectEnabled);
      },
      core::In("Voltage", Voltage), core::In("NoiseRejectEnabled", NoiseRejectEnabled));
}

HRESULT ChannelSettings::Configure(TevraImpedanceEnum Impedance, TevraCouplingEnum Coupling,
                                   TevraAttenuationFactorEnum Range) {
  return channel_.Enter(
      kConfigure,
      [&]() -> HRESULT {
        if (HRESULT hr = CheckNotMicrowave(); FAILED(hr)) return hr;
        if (HRESULT hr = put_Impedance(Impedance); FAILED(hr)) return hr;
        if (HRESULT hr = put_Coupling(Coupling); FAILED(hr)) return hr;
        return put_Range(Range);
      },
      core::In("Impedance", Impedance), core::In("Coupling", Coupling), core::In("Range", Range));
}

HRESULT ChannelSettings::ResetProtection() {
  return SendCommand(channel_, kResetProtection, [&] { return CheckNotMicrowave(); });
}

HRESULT ChannelSettings::AutoLevelOnce() {
  return SendCommand(channel_, kAutoLevelOnce, [&] { return CheckNotMicrowave(); });
}

}  // namespace tevra::counter
