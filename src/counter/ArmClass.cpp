// The class-compliant arm interfaces: arm types and slopes pass through, external sources are
// named "Channel1", "Channel2" and "BNC", and every call runs the instrument-specific operation as
// a nested call of its own.
#include <string>

#include "core/TextUtil.h"
#include "counter/ArmGroup.h"
#include "counter/Property.h"

namespace tevra::counter {
namespace {

// The class-compliant name of an external source; empty for a source it has no name for.
const char* SourceName(TevraExternalSourceEnum source) {
  switch (source) {
    case TevraExternalSourceChannel1:
      return "Channel1";
    case TevraExternalSourceChannel2:
      return "Channel2";
    case TevraExternalSourceBNC:
      return "BNC";
  }
  return "";
}

// The source a class-compliant name selects, ignoring case; false for any other name.
bool SourceOfName(std::string_view name, TevraExternalSourceEnum& source) {
  if (core::EqualsNoCase(name, "channel1"))
    source = TevraExternalSourceChannel1;
  else if (core::EqualsNoCase(name, "channel2"))
    source = TevraExternalSourceChannel2;
  else if (core::EqualsNoCase(name, "bnc"))
    source = TevraExternalSourceBNC;
  else
    return false;
  return true;
}

template <class Arm>
HRESULT GetType(Tevra& driver, const core::MethodRecord& method, Arm* arm,
                IviCounterArmTypeEnum* val) {
  return driver.Enter(
      method,
      [&]() -> HRESULT {
        TevraArmTypeEnum type = TevraArmTypeImmediate;
        const HRESULT hr = arm->get_Type(&type);
        if (FAILED(hr)) return hr;
        if (type != TevraArmTypeImmediate && type != TevraArmTypeExternal)
          return driver.Reporter().Report(Code::UnexpectedResponse);
        *val = static_cast<IviCounterArmTypeEnum>(type);
        return hr;
      },
      core::Out("val", val));
}

template <class Arm>
HRESULT PutType(Tevra& driver, const core::MethodRecord& method, Arm* arm,
                IviCounterArmTypeEnum val) {
  return driver.Enter(
      method, [&] { return arm->put_Type(static_cast<TevraArmTypeEnum>(val)); },
      core::In("val", val));
}

template <class External>
HRESULT GetSource(Tevra& driver, const core::MethodRecord& method, External* external, BSTR* val) {
  return driver.Enter(
      method,
      [&]() -> HRESULT {
        TevraExternalSourceEnum source = TevraExternalSourceBNC;
        const HRESULT hr = external->get_Source(&source);
        if (FAILED(hr)) return hr;
        *val = platform::AllocBstr(SourceName(source));
        return *val ? hr : driver.Reporter().Report(Code::OutOfMemory);
      },
      core::Out("val", val));
}

template <class External>
HRESULT PutSource(Tevra& driver, const core::MethodRecord& method, const char* reportedMethod,
                  External* external, BSTR val) {
  return driver.Enter(
      method,
      [&]() -> HRESULT {
        const std::string name = platform::BstrToUtf8(val);
        TevraExternalSourceEnum source = TevraExternalSourceBNC;
        if (!SourceOfName(name, source))
          return driver.Reporter().ReportInvalidValueText(reportedMethod, "val", name);
        return external->put_Source(source);
      },
      core::InString("val", val));
}

template <class External>
HRESULT GetSlope(Tevra& driver, const core::MethodRecord& method, External* external,
                 IviCounterSlopeEnum* val) {
  return driver.Enter(
      method,
      [&]() -> HRESULT {
        TevraSlopeEnum slope = TevraSlopePositive;
        const HRESULT hr = external->get_Slope(&slope);
        if (FAILED(hr)) return hr;
        if (slope != TevraSlopeNegative && slope != TevraSlopePositive)
          return driver.Reporter().Report(Code::UnexpectedResponse);
        *val = static_cast<IviCounterSlopeEnum>(slope);
        return hr;
      },
      core::Out("val", val));
}

template <class External>
HRESULT PutSlope(Tevra& driver, const core::MethodRecord& method, External* external,
                 IviCounterSlopeEnum val) {
  return driver.Enter(
      method, [&] { return external->put_Slope(static_cast<TevraSlopeEnum>(val)); },
      core::In("val", val));
}

// A double property passed through: getter or setter of the instrument-specific interface.
template <class External, class Getter>
HRESULT GetDouble(Tevra& driver, const core::MethodRecord& method, External* external,
                  Getter getter, double* val) {
  return driver.Enter(
      method, [&] { return (external->*getter)(val); }, core::Out("val", val));
}
template <class External, class Setter>
HRESULT PutDouble(Tevra& driver, const core::MethodRecord& method, External* external,
                  Setter setter, double val) {
  return driver.Enter(
      method, [&] { return (external->*setter)(val); }, core::In("val", val));
}

// Configure with a source name: trimmed, then converted as the Source put converts it.
template <class External>
HRESULT ConfigureByName(Tevra& driver, const core::MethodRecord& method, const char* reportedMethod,
                        External* external, BSTR sourceName, double level,
                        IviCounterSlopeEnum slope, const char* timeName, double time) {
  return driver.Enter(
      method,
      [&]() -> HRESULT {
        const std::string name = std::string(core::Trim(platform::BstrToUtf8(sourceName)));
        TevraExternalSourceEnum source = TevraExternalSourceBNC;
        if (!SourceOfName(name, source))
          return driver.Reporter().ReportInvalidValueText(reportedMethod, "Source", name);
        return external->Configure(source, level, static_cast<TevraSlopeEnum>(slope), time);
      },
      core::InString("Source", sourceName), core::In("Level", level), core::In("Slope", slope),
      core::In(timeName, time));
}

}  // namespace

ArmGroup::ClassArm::ClassArm(ArmGroup& g) : Embedded(g.driver_), driver_(g.driver_) {}

#define TEVRA_ROWS "counter/members/IIviCounterArm.def"
#define TEVRA_CLASS ArmGroup::ClassArm
#define TEVRA_NODE driver_
#include "counter/DefineAccessors.inc"

ArmGroup::ClassStart::ClassStart(ArmGroup& g) : Embedded(g.driver_), g_(g) {}
HRESULT ArmGroup::ClassStart::get_Type(IviCounterArmTypeEnum* val) {
  return GetType(g_.driver_, rows::IIviCounterArmStart_Type.get, &g_.start_, val);
}
HRESULT ArmGroup::ClassStart::put_Type(IviCounterArmTypeEnum val) {
  return PutType(g_.driver_, rows::IIviCounterArmStart_Type.put, &g_.start_, val);
}

ArmGroup::ClassStop::ClassStop(ArmGroup& g) : Embedded(g.driver_), g_(g) {}
HRESULT ArmGroup::ClassStop::get_Type(IviCounterArmTypeEnum* val) {
  return GetType(g_.driver_, rows::IIviCounterArmStop_Type.get, &g_.stop_, val);
}
HRESULT ArmGroup::ClassStop::put_Type(IviCounterArmTypeEnum val) {
  return PutType(g_.driver_, rows::IIviCounterArmStop_Type.put, &g_.stop_, val);
}

template <class IClass, class IExternal>
ArmGroup::ClassExternal<IClass, IExternal>::ClassExternal(ArmGroup& g, IExternal& external,
                                                          const Side& side)
    : core::Embedded<IClass>(g.driver_), driver_(g.driver_), external_(external), side_(side) {}
template <class IClass, class IExternal>
HRESULT ArmGroup::ClassExternal<IClass, IExternal>::get_Source(BSTR* val) {
  return GetSource(driver_, side_.source.get, &external_, val);
}
template <class IClass, class IExternal>
HRESULT ArmGroup::ClassExternal<IClass, IExternal>::put_Source(BSTR val) {
  return PutSource(driver_, side_.source.put, side_.putSourceMethod, &external_, val);
}
template <class IClass, class IExternal>
HRESULT ArmGroup::ClassExternal<IClass, IExternal>::get_Level(double* val) {
  return GetDouble(driver_, side_.level.get, &external_, &IExternal::get_Voltage, val);
}
template <class IClass, class IExternal>
HRESULT ArmGroup::ClassExternal<IClass, IExternal>::put_Level(double val) {
  return PutDouble(driver_, side_.level.put, &external_, &IExternal::put_Voltage, val);
}
template <class IClass, class IExternal>
HRESULT ArmGroup::ClassExternal<IClass, IExternal>::get_Slope(IviCounterSlopeEnum* val) {
  return GetSlope(driver_, side_.slope.get, &external_, val);
}
template <class IClass, class IExternal>
HRESULT ArmGroup::ClassExternal<IClass, IExternal>::put_Slope(IviCounterSlopeEnum val) {
  return PutSlope(driver_, side_.slope.put, &external_, val);
}
template <class IClass, class IExternal>
HRESULT ArmGroup::ClassExternal<IClass, IExternal>::GetTime(double* val) {
  return GetDouble(driver_, side_.time.get, &external_, side_.getTime, val);
}
template <class IClass, class IExternal>
HRESULT ArmGroup::ClassExternal<IClass, IExternal>::PutTime(double val) {
  return PutDouble(driver_, side_.time.put, &external_, side_.putTime, val);
}
template <class IClass, class IExternal>
HRESULT ArmGroup::ClassExternal<IClass, IExternal>::ConfigureSide(BSTR source, double level,
                                                                  IviCounterSlopeEnum slope,
                                                                  double time) {
  return ConfigureByName(driver_, side_.configure.record, side_.configureSourceMethod, &external_,
                         source, level, slope, side_.timeParameter, time);
}

const ArmGroup::ClassStartExternal::Side ArmGroup::ClassStartExternal::kSide{
    rows::IIviCounterArmStartExternal_Source,
    rows::IIviCounterArmStartExternal_Level,
    rows::IIviCounterArmStartExternal_Slope,
    rows::IIviCounterArmStartExternal_Delay,
    rows::IIviCounterArmStartExternal_Configure,
    "ArmStartExternal_Source",
    "ArmStartExternal_Source",
    "Delay",
    &ITevraArmStartExternal::get_DelayTime,
    &ITevraArmStartExternal::put_DelayTime};
const ArmGroup::ClassStopExternal::Side ArmGroup::ClassStopExternal::kSide{
    rows::IIviCounterArmStopExternal_Source,
    rows::IIviCounterArmStopExternal_Level,
    rows::IIviCounterArmStopExternal_Slope,
    rows::IIviCounterArmStopExternal_Holdoff,
    rows::IIviCounterArmStopExternal_Configure,
    "ArmStopExternal_put_Source",
    "ArmStopExternal_Source",
    "Holdoff",
    &ITevraArmStopExternal::get_HoldOffTime,
    &ITevraArmStopExternal::put_HoldOffTime};

template class ArmGroup::ClassExternal<IIviCounterArmStartExternal, ITevraArmStartExternal>;
template class ArmGroup::ClassExternal<IIviCounterArmStopExternal, ITevraArmStopExternal>;

ArmGroup::ClassStartExternal::ClassStartExternal(ArmGroup& g)
    : ClassExternal(g, g.startExternal_, kSide) {}
ArmGroup::ClassStopExternal::ClassStopExternal(ArmGroup& g)
    : ClassExternal(g, g.stopExternal_, kSide) {}

}  // namespace tevra::counter
