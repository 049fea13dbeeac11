#include "counter/Measurement.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "counter/Property.h"
#include "state/EnumFormatter.h"

namespace tevra::counter {
namespace {

// Long trigger and sample counts make Read and Fetch slow: they run with at least this timeout.
constexpr std::int32_t kReadTimeoutFloor = 50000;

// The voltage queries by VoltageFunction (DC, Maximum, Minimum, PeakToPeak), around "INP<c>";
// Read aborts the running measurement first.
constexpr const char* kVoltageQueryTails[] = {":COUP DC; LEV:MAX?", ":LEV:MAX?", ":LEV:MIN?",
                                              ":LEV:PTP?"};
constexpr const char* kVoltageReadHead = "ABOR; ";

constexpr const char* kModeWords[] = {"AUTO", "REC", "CONT"};

}  // namespace

HRESULT NewArray(Tevra& driver, LONG count, SAFEARRAY** val) {
  *val = TevraSafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(std::max<LONG>(count, 0)));
  if (*val) return S_OK;
  return driver.Reporter().ReportStatusText(E_OUTOFMEMORY, "Could not allocate necessary memory.");
}

#define TEVRA_ROWS "counter/members/ITevraMeasurement.def"
#define TEVRA_CLASS MeasurementInterface
#define TEVRA_NODE driver_
#include "counter/DefineAccessors.inc"

HRESULT SimulatedReadingCount(ITevraTrigger& trigger, LONG& count) {
  LONG triggers = 0;
  LONG samples = 0;
  if (HRESULT hr = trigger.get_Count(&triggers); FAILED(hr)) return hr;
  if (HRESULT hr = trigger.get_SampleCount(&samples); FAILED(hr)) return hr;
  // A product beyond what an array can hold fails as the allocation it asks for.
  count = static_cast<LONG>(std::min<std::int64_t>(std::int64_t{triggers} * samples, 0x7FFFFFFF));
  return S_OK;
}

HRESULT MeasurementInterface::SimulatedReadings(SAFEARRAY** val) {
  LONG count = 0;
  if (HRESULT hr = SimulatedReadingCount(trigger_, count); FAILED(hr)) return hr;
  return NewArray(driver_, count, val);
}

HRESULT MeasurementInterface::VoltageReading(bool read, LONG maxTime, SAFEARRAY** val) {
  if (driver_.Simulating()) return NewArray(driver_, 1, val);
  const Tevra::MeasurementState& state = driver_.Measurement();
  const auto function = static_cast<std::size_t>(state.voltageFunction);
  if (function >= std::size(kVoltageQueryTails))
    return driver_.Reporter().ReportInvalidValueIntHere("VoltageFunction", state.voltageFunction,
                                                        "%d");
  const std::string query = std::string(read ? kVoltageReadHead : "") + "INP" +
                            std::to_string(state.voltageChannel) + kVoltageQueryTails[function];
  double value = 0;
  const HRESULT hr = driver_.Io().QueryNumber(query, core::ScanArg(&value),
                                              read ? maxTime : core::kDefaultTimeout);
  if (FAILED(hr)) return hr;
  if (HRESULT created = NewArray(driver_, 1, val); FAILED(created)) return created;
  static_cast<double*>((*val)->pvData)[0] = value;
  return hr;
}

HRESULT MeasurementInterface::Readings(core::CallFrame& frame, bool read, LONG maxTime,
                                       SAFEARRAY** val) {
  if (driver_.Measurement().voltageChannel != 0) return VoltageReading(read, maxTime, val);
  if (driver_.Simulating()) return SimulatedReadings(val);
  // The query runs with the session timeout raised to the floor; the session puts it back.
  core::IIoSession& io = driver_.Io();
  std::int32_t timeout = 0;
  if (HRESULT hr = TimeoutAtLeast(io, kReadTimeoutFloor, timeout); FAILED(hr)) return hr;
  return QueryCommand(io, frame.command, frame.method->responseFormat, core::ScanArg(val), timeout);
}

HRESULT MeasurementInterface::Read(LONG MaxTimeMilliseconds, SAFEARRAY** Val) {
  return driver_.Enter(
      rows::ITevraMeasurement_Read.record,
      [&](core::CallFrame& frame) { return Readings(frame, true, MaxTimeMilliseconds, Val); },
      core::In("MaxTimeMilliseconds", MaxTimeMilliseconds), core::Out("Val", Val));
}

HRESULT MeasurementInterface::Fetch(SAFEARRAY** Val) {
  return driver_.Enter(
      rows::ITevraMeasurement_Fetch.record,
      [&](core::CallFrame& frame) { return Readings(frame, false, 0, Val); },
      core::Out("Val", Val));
}

HRESULT MeasurementInterface::QueryLast(double* LastMeasurement, BSTR* MeasurementUnit) {
  return driver_.Enter(
      rows::ITevraMeasurement_QueryLast.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (driver_.Simulating()) return S_OK;
        std::string reply;
        const HRESULT hr = QueryCommand(driver_.Io(), frame.command, frame.method->responseFormat,
                                        core::ScanArg(&reply));
        if (FAILED(hr)) return hr;
        // "<number> <unit>": the number as strtod reads it, the unit as it stands.
        const std::size_t blank = reply.find(' ');
        const std::string number = reply.substr(0, blank);
        const std::string_view unit = blank == std::string::npos
                                          ? std::string_view()
                                          : std::string_view(reply).substr(blank + 1);
        *LastMeasurement = std::strtod(number.c_str(), nullptr);
        *MeasurementUnit = platform::AllocBstr(unit);
        if (!*MeasurementUnit) return driver_.Reporter().Report(Code::OutOfMemory);
        return hr;
      },
      core::Out("LastMeasurement", LastMeasurement), core::Out("MeasurementUnit", MeasurementUnit));
}

HRESULT MeasurementInterface::DestructiveReadCounted(LONG NumReadings, SAFEARRAY** Val) {
  return driver_.Enter(
      rows::ITevraMeasurement_DestructiveReadCounted.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (driver_.Simulating()) return NewArray(driver_, NumReadings, Val);
        return QueryDoubles(driver_.Io(), frame.command, Val);
      },
      core::In("NumReadings", NumReadings), core::Out("Val", Val));
}

HRESULT MeasurementInterface::DestructiveReadUpToCount(LONG MaxCount, SAFEARRAY** Val) {
  return driver_.Enter(
      rows::ITevraMeasurement_DestructiveReadUpToCount.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (driver_.Simulating()) return NewArray(driver_, MaxCount, Val);
        core::IIoSession& io = driver_.Io();
        if (HRESULT hr = io.WriteString("FORM REAL,64", true, core::kDefaultTimeout); FAILED(hr))
          return hr;
        // The instrument sends the reals in its default byte order, most significant byte first
        // (FORM:BORD NORM, never changed by the driver), which the session's byte order expects.
        return io.QueryBinaryBlock(frame.command, core::ScanArg(Val, core::ElemType::F64),
                                   core::kDefaultTimeout);
      },
      core::In("MaxCount", MaxCount), core::Out("Val", Val));
}

HRESULT MeasurementInterface::get_Mode(TevraFrequencyMeasurementModeEnum* val) {
  return driver_.Enter(
      rows::ITevraMeasurement_Mode.get,
      [&](core::CallFrame& frame) -> HRESULT {
        if (driver_.Simulating()) return GetSimulated(driver_, rows::ITevraMeasurement_Mode, *val);
        std::string word;
        const HRESULT hr = QueryCommand(driver_.Io(), frame.command, frame.method->responseFormat,
                                        core::ScanArg(&word));
        if (FAILED(hr)) return hr;
        // A word the model's map does not know leaves the output as it is.
        std::int32_t value = 0;
        if (state::TryParseEnum(driver_.EnumWords(), "TevraFrequencyMeasurementModeEnum", word,
                                value))
          *val = static_cast<TevraFrequencyMeasurementModeEnum>(value);
        return hr;
      },
      core::Out("val", val));
}

HRESULT MeasurementInterface::put_Mode(TevraFrequencyMeasurementModeEnum val) {
  return driver_.Enter(
      rows::ITevraMeasurement_Mode.put,
      [&]() -> HRESULT {
        if (driver_.Simulating()) return PutSimulated(driver_, rows::ITevraMeasurement_Mode, val);
        const bool continuousRefused = val == TevraFrequencyMeasurementModeContinuous &&
                                       (driver_.ModelBit() & (core::kQX1100 | core::kQX1200)) != 0;
        if (val < 0 || static_cast<std::size_t>(val) >= std::size(kModeWords) || continuousRefused)
          return driver_.Reporter().ReportInvalidValueInt("Measurement_put_Mode", "val", val, "%d");
        return driver_.Io().WriteString(std::string("FREQ:MODE ") + kModeWords[val], true,
                                        core::kDefaultTimeout);
      },
      core::In("val", val));
}

}  // namespace tevra::counter
