// Start and stop arming: the arming source of each, and for external arming the source input,
// slope, delay or hold-off, and the level of the input that serves as the external source. None
// of it exists on the QX1100.
#include <cstdio>
#include <string>

#include "counter/ArmGroup.h"
#include "counter/Setting.h"

namespace tevra::counter {
namespace {

using core::kQX1100;

constexpr core::MethodRecord Method(const IID& iid, const char* interfaceName, const char* name,
                                    const char* command = nullptr, const char* response = nullptr) {
  return {&iid, interfaceName, name, core::kMethodNone, kQX1100, command, response};
}
constexpr core::MethodRecord Start(const char* name, const char* command = nullptr,
                                   const char* response = nullptr) {
  return Method(IID_ITevraArmStart, "ITevraArmStart", name, command, response);
}
constexpr core::MethodRecord StartExt(const char* name, const char* command = nullptr,
                                      const char* response = nullptr) {
  return Method(IID_ITevraArmStartExternal, "ITevraArmStartExternal", name, command, response);
}
constexpr core::MethodRecord Stop(const char* name, const char* command = nullptr,
                                  const char* response = nullptr) {
  return Method(IID_ITevraArmStop, "ITevraArmStop", name, command, response);
}
constexpr core::MethodRecord StopExt(const char* name, const char* command = nullptr,
                                     const char* response = nullptr) {
  return Method(IID_ITevraArmStopExternal, "ITevraArmStopExternal", name, command, response);
}

constexpr Setting kStartType{Start("get_Type", "GATE:STAR:SOUR?", "%{TevraArmTypeEnum}s"),
                             Start("put_Type", "GATE:STAR:SOUR %{TevraArmTypeEnum}s"),
                             "ITevraArmStart.Type"};
constexpr Setting kStartSource{
    StartExt("get_Source", "GATE:EXT:SOUR?", "%{TevraExternalSourceEnum}s"),
    StartExt("put_Source", "GATE:EXT:SOUR %{TevraExternalSourceEnum}s"),
    "ITevraArmStartExternal.Source"};
constexpr Setting kStartSlope{StartExt("get_Slope", "GATE:STAR:SLOP?", "%{TevraSlopeEnum}s"),
                              StartExt("put_Slope", "GATE:STAR:SLOP %{TevraSlopeEnum}s"),
                              "ITevraArmStartExternal.Slope"};
constexpr Setting kDelayTime{StartExt("get_DelayTime", "GATE:STAR:DEL:TIME?", "%lg"),
                             StartExt("put_DelayTime", "GATE:STAR:DEL:TIME %0.15lg"),
                             "ITevraArmStartExternal.DelayTime"};
constexpr Setting kDelaySource{
    StartExt("get_DelaySource", "GATE:STAR:DEL:SOUR?", "%{TevraDelayHoldOffSourceEnum}s"),
    StartExt("put_DelaySource", "GATE:STAR:DEL:SOUR %{TevraDelayHoldOffSourceEnum}s"),
    "ITevraArmStartExternal.DelaySource"};
constexpr Setting kDelayEvents{StartExt("get_DelayEvents", "GATE:STAR:DEL:EVEN?", "%d"),
                               StartExt("put_DelayEvents", "GATE:STAR:DEL:EVEN %d"),
                               "ITevraArmStartExternal.DelayEvents"};
constexpr core::MethodRecord kGetStartVoltage = StartExt("get_Voltage");
constexpr core::MethodRecord kPutStartVoltage = StartExt("put_Voltage");
constexpr core::MethodRecord kStartConfigure = StartExt("Configure");

constexpr Setting kStopType{Stop("get_Type", "GATE:STOP:SOUR?", "%{TevraArmTypeEnum}s"),
                            Stop("put_Type", "GATE:STOP:SOUR %{TevraArmTypeEnum}s"),
                            "ITevraArmStop.Type"};
constexpr Setting kStopSource{
    StopExt("get_Source", "GATE:EXT:SOUR?", "%{TevraExternalSourceEnum}s"),
    StopExt("put_Source", "GATE:EXT:SOUR %{TevraExternalSourceEnum}s"),
    "ITevraArmStopExternal.Source"};
constexpr Setting kStopSlope{StopExt("get_Slope", "GATE:STOP:SLOP?", "%{TevraSlopeEnum}s"),
                             StopExt("put_Slope", "GATE:STOP:SLOP %{TevraSlopeEnum}s"),
                             "ITevraArmStopExternal.Slope"};
constexpr Setting kHoldOffTime{StopExt("get_HoldOffTime", "GATE:STOP:HOLD:TIME?", "%lg"),
                               StopExt("put_HoldOffTime", "GATE:STOP:HOLD:TIME %0.15lg"),
                               "ITevraArmStopExternal.HoldOffTime"};
constexpr Setting kHoldOffSource{
    StopExt("get_HoldOffSource", "GATE:STOP:HOLD:SOUR?", "%{TevraDelayHoldOffSourceEnum}s"),
    StopExt("put_HoldOffSource", "GATE:STOP:HOLD:SOUR %{TevraDelayHoldOffSourceEnum}s"),
    "ITevraArmStopExternal.HoldOffSource"};
constexpr Setting kHoldOffEvents{StopExt("get_HoldOffEvents", "GATE:STOP:HOLD:EVEN?", "%d"),
                                 StopExt("put_HoldOffEvents", "GATE:STOP:HOLD:EVEN %d"),
                                 "ITevraArmStopExternal.HoldOffEvents"};
constexpr core::MethodRecord kGetStopVoltage = StopExt("get_Voltage");
constexpr core::MethodRecord kPutStopVoltage = StopExt("put_Voltage");
constexpr core::MethodRecord kStopConfigure = StopExt("Configure");

// The external arming input's threshold is the trigger level of the channel behind it: channel 2
// when the source is "INP2", channel 1 for channel 1 and for the rear BNC.
HRESULT ExternalLevelChannel(Tevra& driver, const char*& prefix) {
  std::string word;
  const HRESULT hr = QueryCommand(driver.Io(), "GATE:EXT:SOUR?", "%$C[^,]", core::ScanArg(&word));
  if (FAILED(hr)) return hr;
  const std::size_t end = word.find_last_not_of(" \t\r\n");
  word.resize(end == std::string::npos ? 0 : end + 1);
  prefix = word == "INP2" ? "INP2" : "INP";
  return hr;
}

HRESULT GetExternalLevel(Tevra& driver, const core::MethodRecord& method, const char* key,
                         double* val) {
  return driver.Enter(
      method,
      [&]() -> HRESULT {
        if (driver.Simulating()) return state::GetSimulated(driver, key, *val);
        const char* prefix = nullptr;
        if (HRESULT hr = ExternalLevelChannel(driver, prefix); FAILED(hr)) return hr;
        return driver.Io().QueryNumber(std::string(prefix) + ":LEV?", core::ScanArg(val),
                                       core::kDefaultTimeout);
      },
      core::Out("val", val));
}

HRESULT PutExternalLevel(Tevra& driver, const core::MethodRecord& method, const char* key,
                         double val) {
  return driver.Enter(
      method,
      [&]() -> HRESULT {
        if (driver.Simulating()) return state::PutSimulated(driver, key, val);
        const char* prefix = nullptr;
        if (HRESULT hr = ExternalLevelChannel(driver, prefix); FAILED(hr)) return hr;
        char command[96];
        std::snprintf(command, sizeof command, "%s:LEV %f \n", prefix, val);
        return driver.Io().WriteString(command, true, core::kDefaultTimeout);
      },
      core::In("val", val));
}

}  // namespace

ArmGroup::Start::Start(ArmGroup& g) : Embedded(g.driver_), g_(g) {}
HRESULT ArmGroup::Start::get_Type(TevraArmTypeEnum* val) {
  return GetSetting(g_.driver_, kStartType, val);
}
HRESULT ArmGroup::Start::put_Type(TevraArmTypeEnum val) {
  return PutSetting(g_.driver_, kStartType, val);
}

ArmGroup::StartExternal::StartExternal(ArmGroup& g) : Embedded(g.driver_), g_(g) {}
HRESULT ArmGroup::StartExternal::get_Source(TevraExternalSourceEnum* val) {
  return GetSetting(g_.driver_, kStartSource, val);
}
HRESULT ArmGroup::StartExternal::put_Source(TevraExternalSourceEnum val) {
  return PutSetting(g_.driver_, kStartSource, val);
}
HRESULT ArmGroup::StartExternal::get_Slope(TevraSlopeEnum* val) {
  return GetSetting(g_.driver_, kStartSlope, val);
}
HRESULT ArmGroup::StartExternal::put_Slope(TevraSlopeEnum val) {
  return PutSetting(g_.driver_, kStartSlope, val);
}
HRESULT ArmGroup::StartExternal::get_DelayTime(double* val) {
  return GetSetting(g_.driver_, kDelayTime, val);
}
HRESULT ArmGroup::StartExternal::put_DelayTime(double val) {
  return PutSetting(g_.driver_, kDelayTime, val);
}
HRESULT ArmGroup::StartExternal::get_DelaySource(TevraDelayHoldOffSourceEnum* val) {
  return GetSetting(g_.driver_, kDelaySource, val);
}
HRESULT ArmGroup::StartExternal::put_DelaySource(TevraDelayHoldOffSourceEnum val) {
  return PutSetting(g_.driver_, kDelaySource, val);
}
HRESULT ArmGroup::StartExternal::get_DelayEvents(LONG* val) {
  return GetSetting(g_.driver_, kDelayEvents, val);
}
HRESULT ArmGroup::StartExternal::put_DelayEvents(LONG val) {
  return PutSetting(g_.driver_, kDelayEvents, val);
}
HRESULT ArmGroup::StartExternal::get_Voltage(double* val) {
  return GetExternalLevel(g_.driver_, kGetStartVoltage, "ITevraArmStartExternal.Voltage", val);
}
HRESULT ArmGroup::StartExternal::put_Voltage(double val) {
  return PutExternalLevel(g_.driver_, kPutStartVoltage, "ITevraArmStartExternal.Voltage", val);
}

// Runs the traced puts in order and stops at the first failure.
HRESULT ArmGroup::StartExternal::Configure(TevraExternalSourceEnum Source, double Voltage,
                                           TevraSlopeEnum Slope, double DelayTime) {
  return g_.driver_.Enter(
      kStartConfigure,
      [&]() -> HRESULT {
        if (HRESULT hr = put_Source(Source); FAILED(hr)) return hr;
        if (HRESULT hr = put_Voltage(Voltage); FAILED(hr)) return hr;
        if (HRESULT hr = put_Slope(Slope); FAILED(hr)) return hr;
        return put_DelayTime(DelayTime);
      },
      core::In("Source", Source), core::In("Voltage", Voltage), core::In("Slope", Slope),
      core::In("DelayTime", DelayTime));
}

ArmGroup::Stop::Stop(ArmGroup& g) : Embedded(g.driver_), g_(g) {}
HRESULT ArmGroup::Stop::get_Type(TevraArmTypeEnum* val) {
  return GetSetting(g_.driver_, kStopType, val);
}
HRESULT ArmGroup::Stop::put_Type(TevraArmTypeEnum val) {
  return PutSetting(g_.driver_, kStopType, val);
}

ArmGroup::StopExternal::StopExternal(ArmGroup& g) : Embedded(g.driver_), g_(g) {}
HRESULT ArmGroup::StopExternal::get_Source(TevraExternalSourceEnum* val) {
  return GetSetting(g_.driver_, kStopSource, val);
}
HRESULT ArmGroup::StopExternal::put_Source(TevraExternalSourceEnum val) {
  return PutSetting(g_.driver_, kStopSource, val);
}
HRESULT ArmGroup::StopExternal::get_Slope(TevraSlopeEnum* val) {
  return GetSetting(g_.driver_, kStopSlope, val);
}
HRESULT ArmGroup::StopExternal::put_Slope(TevraSlopeEnum val) {
  return PutSetting(g_.driver_, kStopSlope, val);
}
HRESULT ArmGroup::StopExternal::get_HoldOffTime(double* val) {
  return GetSetting(g_.driver_, kHoldOffTime, val);
}
HRESULT ArmGroup::StopExternal::put_HoldOffTime(double val) {
  return PutSetting(g_.driver_, kHoldOffTime, val);
}
HRESULT ArmGroup::StopExternal::get_HoldOffSource(TevraDelayHoldOffSourceEnum* val) {
  return GetSetting(g_.driver_, kHoldOffSource, val);
}
HRESULT ArmGroup::StopExternal::put_HoldOffSource(TevraDelayHoldOffSourceEnum val) {
  return PutSetting(g_.driver_, kHoldOffSource, val);
}
HRESULT ArmGroup::StopExternal::get_HoldOffEvents(LONG* val) {
  return GetSetting(g_.driver_, kHoldOffEvents, val);
}
HRESULT ArmGroup::StopExternal::put_HoldOffEvents(LONG val) {
  return PutSetting(g_.driver_, kHoldOffEvents, val);
}
HRESULT ArmGroup::StopExternal::get_Voltage(double* val) {
  return GetExternalLevel(g_.driver_, kGetStopVoltage, "ITevraArmStopExternal.Voltage", val);
}
HRESULT ArmGroup::StopExternal::put_Voltage(double val) {
  return PutExternalLevel(g_.driver_, kPutStopVoltage, "ITevraArmStopExternal.Voltage", val);
}

HRESULT ArmGroup::StopExternal::Configure(TevraExternalSourceEnum Source, double Voltage,
                                          TevraSlopeEnum Slope, double HoldOffTime) {
  return g_.driver_.Enter(
      kStopConfigure,
      [&]() -> HRESULT {
        if (HRESULT hr = put_Source(Source); FAILED(hr)) return hr;
        if (HRESULT hr = put_Voltage(Voltage); FAILED(hr)) return hr;
        if (HRESULT hr = put_Slope(Slope); FAILED(hr)) return hr;
        return put_HoldOffTime(HoldOffTime);
      },
      core::In("Source", Source), core::In("Voltage", Voltage), core::In("Slope", Slope),
      core::In("HoldOffTime", HoldOffTime));
}

}  // namespace tevra::counter
