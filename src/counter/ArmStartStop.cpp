// Start and stop arming: the arming source of each, and for external arming the source input,
// slope, delay or hold-off, and the level of the input that serves as the external source. The
// plain settings are rows of the member files; the level and Configure are written once here for
// both sides.
#include <cstdio>
#include <string>

#include "core/TextUtil.h"
#include "counter/ArmGroup.h"
#include "counter/Property.h"

namespace tevra::counter {
namespace {

// The external arming input's threshold is the trigger level of the channel behind it: channel 2
// when the source is "INP2", channel 1 for channel 1 and for the rear BNC.
HRESULT ExternalLevelChannel(Tevra& driver, const char*& prefix) {
  std::string word;
  const HRESULT hr = QueryCommand(driver.Io(), "GATE:EXT:SOUR?", "%$C[^,]", core::ScanArg(&word));
  if (FAILED(hr)) return hr;
  prefix = core::TrimRight(word) == "INP2" ? "INP2" : "INP";
  return hr;
}

HRESULT GetExternalLevel(Tevra& driver, const Property& row, double* val) {
  return GetProperty(driver, row, val, [&](core::CallFrame&) -> HRESULT {
    const char* prefix = nullptr;
    if (HRESULT hr = ExternalLevelChannel(driver, prefix); FAILED(hr)) return hr;
    return driver.Io().QueryNumber(std::string(prefix) + ":LEV?", core::ScanArg(val),
                                   core::kDefaultTimeout);
  });
}

HRESULT PutExternalLevel(Tevra& driver, const Property& row, double val) {
  return driver.Enter(
      row.put,
      [&]() -> HRESULT {
        if (driver.Simulating()) return PutSimulated(driver, row, val);
        const char* prefix = nullptr;
        if (HRESULT hr = ExternalLevelChannel(driver, prefix); FAILED(hr)) return hr;
        char command[96];
        std::snprintf(command, sizeof command, "%s:LEV %f \n", prefix, val);
        return driver.Io().WriteString(command, true, core::kDefaultTimeout);
      },
      core::In("val", val));
}

// Configure of either side: the traced puts in order, stopping at the first failure. timing is
// the side's delay or hold-off time put.
template <class External>
HRESULT ConfigureExternal(Tevra& driver, const Method& row, External& external,
                          TevraExternalSourceEnum source, double voltage, TevraSlopeEnum slope,
                          HRESULT (External::*timing)(double), const char* timeName, double time) {
  return driver.Enter(
      row.record,
      [&]() -> HRESULT {
        if (HRESULT hr = external.put_Source(source); FAILED(hr)) return hr;
        if (HRESULT hr = external.put_Voltage(voltage); FAILED(hr)) return hr;
        if (HRESULT hr = external.put_Slope(slope); FAILED(hr)) return hr;
        return (external.*timing)(time);
      },
      core::In("Source", source), core::In("Voltage", voltage), core::In("Slope", slope),
      core::In(timeName, time));
}

}  // namespace

#define TEVRA_ROWS "counter/members/ITevraArmStart.def"
#define TEVRA_CLASS ArmGroup::Start
#define TEVRA_NODE g_.driver_
#include "counter/DefineAccessors.inc"

#define TEVRA_ROWS "counter/members/ITevraArmStop.def"
#define TEVRA_CLASS ArmGroup::Stop
#define TEVRA_NODE g_.driver_
#include "counter/DefineAccessors.inc"

#define TEVRA_ROWS "counter/members/ITevraArmStartExternal.def"
#define TEVRA_CLASS ArmGroup::StartExternal
#define TEVRA_NODE g_.driver_
#include "counter/DefineAccessors.inc"

#define TEVRA_ROWS "counter/members/ITevraArmStopExternal.def"
#define TEVRA_CLASS ArmGroup::StopExternal
#define TEVRA_NODE g_.driver_
#include "counter/DefineAccessors.inc"

ArmGroup::Start::Start(ArmGroup& g) : Embedded(g.driver_), g_(g) {}
ArmGroup::Stop::Stop(ArmGroup& g) : Embedded(g.driver_), g_(g) {}
ArmGroup::StartExternal::StartExternal(ArmGroup& g) : Embedded(g.driver_), g_(g) {}
ArmGroup::StopExternal::StopExternal(ArmGroup& g) : Embedded(g.driver_), g_(g) {}

HRESULT ArmGroup::StartExternal::get_Voltage(double* val) {
  return GetExternalLevel(g_.driver_, rows::ITevraArmStartExternal_Voltage, val);
}
HRESULT ArmGroup::StartExternal::put_Voltage(double val) {
  return PutExternalLevel(g_.driver_, rows::ITevraArmStartExternal_Voltage, val);
}
HRESULT ArmGroup::StopExternal::get_Voltage(double* val) {
  return GetExternalLevel(g_.driver_, rows::ITevraArmStopExternal_Voltage, val);
}
HRESULT ArmGroup::StopExternal::put_Voltage(double val) {
  return PutExternalLevel(g_.driver_, rows::ITevraArmStopExternal_Voltage, val);
}

HRESULT ArmGroup::StartExternal::Configure(TevraExternalSourceEnum Source, double Voltage,
                                           TevraSlopeEnum Slope, double DelayTime) {
  return ConfigureExternal(g_.driver_, rows::ITevraArmStartExternal_Configure, *this, Source,
                           Voltage, Slope, &StartExternal::put_DelayTime, "DelayTime", DelayTime);
}
HRESULT ArmGroup::StopExternal::Configure(TevraExternalSourceEnum Source, double Voltage,
                                          TevraSlopeEnum Slope, double HoldOffTime) {
  return ConfigureExternal(g_.driver_, rows::ITevraArmStopExternal_Configure, *this, Source,
                           Voltage, Slope, &StopExternal::put_HoldOffTime, "HoldOffTime",
                           HoldOffTime);
}

}  // namespace tevra::counter
