// ITevraArm: the gate source, polarity and time of the frequency, time-interval and totalize
// measurements. The QX1100 gates frequency measurements only.
#include <cstdio>
#include <string>

#include "counter/ArmGroup.h"
#include "counter/Property.h"
#include "state/EnumFormatter.h"

namespace tevra::counter {
namespace {

constexpr double kSimulatedGateTime = 0.1;

// The gate keyword prefix of a measurement family. armMethod names the method in the invalid-type
// report ("Arm_SetSource").
HRESULT GateFamily(Tevra& driver, TevraArmMeasurementTypeEnum type, const char* armMethod,
                   std::string& keyword) {
  switch (type) {
    case TevraArmMeasurementTypeFrequency:
      keyword = "FREQ:GATE:";
      return S_OK;
    case TevraArmMeasurementTypeTimeInterval:
    case TevraArmMeasurementTypeTotalize:
      if (driver.ModelBit() & core::kQX1100)
        return driver.Reporter().Report(Code::ModelNotSupported, "");
      keyword = type == TevraArmMeasurementTypeTimeInterval ? "TINT:GATE:" : "TOT:GATE:";
      return S_OK;
  }
  return driver.Reporter().ReportInvalidValueInt(armMethod, "ArmMeasurementType", type, "%d");
}

// The time-interval gate has no time setting.
HRESULT TimeFamily(Tevra& driver, TevraArmMeasurementTypeEnum type, const char* method,
                   const char* armMethod, std::string& keyword) {
  if (type == TevraArmMeasurementTypeTimeInterval) {
    constexpr const char* kWord = "TevraArmMeasurementTypeTimeInterval";
    return driver.Reporter().ReportInvalidValueText(method, kWord, kWord);
  }
  return GateFamily(driver, type, armMethod, keyword);
}

// The gate source word for a family, or the report of a source the family cannot take.
HRESULT SourceWord(Tevra& driver, TevraArmMeasurementTypeEnum type, TevraArmSourceEnum source,
                   const char*& word) {
  const bool timeInterval = type == TevraArmMeasurementTypeTimeInterval;
  const char* refused = nullptr;
  switch (source) {
    case TevraArmSourceChannel1:
      word = "INP";
      if (timeInterval) refused = "ArmSourceChannel1";
      break;
    case TevraArmSourceChannel2:
      word = "INP2";
      if (timeInterval) refused = "ArmSourceChannel2";
      break;
    case TevraArmSourceExternal:
      word = "EXT";
      break;
    case TevraArmSourceAdvanced:
      word = "ADV";
      break;
    case TevraArmSourceTime:
      word = "TIME";
      if (timeInterval) refused = "ArmSourceTime";
      break;
    case TevraArmSourceImmediate:
      word = "IMM";
      if (!timeInterval) refused = "TevraArmSourceImmediate";
      break;
    default:
      return driver.Reporter().ReportInvalidValueInt("SetSource", "ArmSource", source, "%d");
  }
  if (refused) return driver.Reporter().ReportInvalidValueText("SetSource", "ArmSource", refused);
  return S_OK;
}

// Queries a gate keyword and maps the reply's first field back through the running method's
// table. A word the table does not know leaves value as it was.
HRESULT QueryGateWord(Tevra& driver, const std::string& keyword, std::string_view typeName,
                      std::int32_t& value) {
  std::string reply;
  const HRESULT hr = QueryCommand(driver.Io(), keyword + "? ", "%$C[^,]", core::ScanArg(&reply));
  if (FAILED(hr)) return hr;
  state::TryParseEnum(driver.EnumWords(), typeName, reply, value);
  return hr;
}

}  // namespace

ArmGroup::Gate::Gate(ArmGroup& g) : Embedded(g.driver_), g_(g) {}

// The instrument reports a source the family cannot use only in its error queue, so the event
// status is cleared after the write; the clear decides the result.
HRESULT ArmGroup::Gate::SetSource(TevraArmMeasurementTypeEnum ArmMeasurementType,
                                  TevraArmSourceEnum ArmSource) {
  return g_.driver_.Enter(
      rows::ITevraArm_SetSource.record,
      [&]() -> HRESULT {
        Tevra& driver = g_.driver_;
        std::string keyword;
        if (HRESULT hr = GateFamily(driver, ArmMeasurementType, "Arm_SetSource", keyword);
            FAILED(hr))
          return hr;
        if (driver.Simulating()) return S_OK;
        const char* word = nullptr;
        if (HRESULT hr = SourceWord(driver, ArmMeasurementType, ArmSource, word); FAILED(hr))
          return hr;
        const std::string command = keyword + "SOUR " + word + " \n";
        static_cast<void>(driver.Io().WriteString(command, true, core::kDefaultTimeout));
        return driver.Io().WriteString("*cls", true, core::kDefaultTimeout);
      },
      core::In("ArmMeasurementType", ArmMeasurementType), core::In("ArmSource", ArmSource));
}

HRESULT ArmGroup::Gate::GetSource(TevraArmMeasurementTypeEnum ArmMeasurementType,
                                  TevraArmSourceEnum* ArmSource) {
  return g_.driver_.Enter(
      rows::ITevraArm_GetSource.record,
      [&]() -> HRESULT {
        Tevra& driver = g_.driver_;
        std::string keyword;
        if (HRESULT hr = GateFamily(driver, ArmMeasurementType, "Arm_GetSource", keyword);
            FAILED(hr))
          return hr;
        if (driver.Simulating()) return S_OK;  // Channel1, the zeroed output
        std::int32_t value = *ArmSource;
        const HRESULT hr = QueryGateWord(driver, keyword + "SOUR", "TevraArmSourceEnum", value);
        *ArmSource = static_cast<TevraArmSourceEnum>(value);
        return hr;
      },
      core::In("ArmMeasurementType", ArmMeasurementType), core::Out("ArmSource", ArmSource));
}

HRESULT ArmGroup::Gate::SetPolarity(TevraArmMeasurementTypeEnum ArmMeasurementType,
                                    TevraPolarityEnum Polarity) {
  return g_.driver_.Enter(
      rows::ITevraArm_SetPolarity.record,
      [&]() -> HRESULT {
        Tevra& driver = g_.driver_;
        std::string keyword;
        if (HRESULT hr = GateFamily(driver, ArmMeasurementType, "Arm_SetPolarity", keyword);
            FAILED(hr))
          return hr;
        if (driver.Simulating()) return S_OK;
        const char* word = Polarity == TevraPolarityNegative ? "NEG" : "POS";
        return driver.Io().WriteString(keyword + "POL " + word, true, core::kDefaultTimeout);
      },
      core::In("ArmMeasurementType", ArmMeasurementType), core::In("Polarity", Polarity));
}

HRESULT ArmGroup::Gate::GetPolarity(TevraArmMeasurementTypeEnum ArmMeasurementType,
                                    TevraPolarityEnum* Polarity) {
  return g_.driver_.Enter(
      rows::ITevraArm_GetPolarity.record,
      [&]() -> HRESULT {
        Tevra& driver = g_.driver_;
        std::string keyword;
        if (HRESULT hr = GateFamily(driver, ArmMeasurementType, "Arm_GetPolarity", keyword);
            FAILED(hr))
          return hr;
        if (driver.Simulating()) return S_OK;  // Positive, the zeroed output
        std::int32_t value = *Polarity;
        const HRESULT hr = QueryGateWord(driver, keyword + "POL", "TevraPolarityEnum", value);
        *Polarity = static_cast<TevraPolarityEnum>(value);
        return hr;
      },
      core::In("ArmMeasurementType", ArmMeasurementType), core::Out("Polarity", Polarity));
}

HRESULT ArmGroup::Gate::SetTime(TevraArmMeasurementTypeEnum ArmMeasurementType, double Time) {
  return g_.driver_.Enter(
      rows::ITevraArm_SetTime.record,
      [&]() -> HRESULT {
        Tevra& driver = g_.driver_;
        std::string keyword;
        if (HRESULT hr = TimeFamily(driver, ArmMeasurementType, "SetTime", "Arm_SetTime", keyword);
            FAILED(hr))
          return hr;
        if (driver.Simulating()) return S_OK;
        char command[80];
        std::snprintf(command, sizeof command, "%sTIME %e", keyword.c_str(), Time);
        return driver.Io().WriteString(command, true, core::kDefaultTimeout);
      },
      core::In("ArmMeasurementType", ArmMeasurementType), core::In("Time", Time));
}

HRESULT ArmGroup::Gate::GetTime(TevraArmMeasurementTypeEnum ArmMeasurementType, double* Time) {
  return g_.driver_.Enter(
      rows::ITevraArm_GetTime.record,
      [&]() -> HRESULT {
        Tevra& driver = g_.driver_;
        std::string keyword;
        if (HRESULT hr = TimeFamily(driver, ArmMeasurementType, "GetTime", "Arm_GetTime", keyword);
            FAILED(hr))
          return hr;
        if (driver.Simulating()) {
          *Time = kSimulatedGateTime;
          return S_OK;
        }
        return driver.Io().QueryNumber(keyword + "TIME?", core::ScanArg(Time),
                                       core::kDefaultTimeout);
      },
      core::In("ArmMeasurementType", ArmMeasurementType), core::Out("Time", Time));
}

}  // namespace tevra::counter
