// Declared-once instrument settings. Most settings are "get: query this command and read this
// response format; put: write this template; in simulation: this cache key and its default; not
// on these models". Each is declared as data, a Setting, and one generic getter and one generic
// setter run it through the entry path:
//
//   constexpr Setting kCoupling{
//       {&IID_ITevraChannel, "ITevraChannel", "get_Coupling", 0, kNoModels, "INP%d:COUP?",
//        "%{TevraCouplingEnum}s"},
//       {&IID_ITevraChannel, "ITevraChannel", "put_Coupling", 0, kNoModels,
//        "INP%d:COUP %{TevraCouplingEnum}s"},
//       "ITevraChannel.Coupling"};
//   HRESULT get_Coupling(TevraCouplingEnum* val) { return GetSetting(node, kCoupling, val); }
//
// In simulation a put stores the value in the store of the node that received the call and a get
// answers the stored value or the key's simulated default; nothing is sent. On a live session the
// store is untouched: a put writes the formatted template, a get queries the formatted command
// and reads the reply by the value's type (booleans through the boolean words of the method,
// strings as the whole reply). A check given to the accessor runs before any I/O of the live
// branch only (simulated settings answer without it).
#pragma once

#include <string>
#include <type_traits>

#include "core/Driver.h"
#include "core/FormatArgs.h"
#include "core/Node.h"
#include "counter/Tevra.h"
#include "platform/Bstr.h"
#include "state/EnumFormatter.h"
#include "state/SimulatedValue.h"

namespace tevra::counter {

struct Setting {
  core::MethodRecord get;
  core::MethodRecord put;
  const char* key;  // the cache key, "Interface.Property"
};

inline Tevra& DriverOf(core::CNode& node) { return static_cast<Tevra&>(node.Driver()); }

struct NoCheck {
  HRESULT operator()() const { return S_OK; }
};

// Sends a command as it stands and reads its reply with format into into.
inline HRESULT QueryCommand(core::IIoSession& io, const std::string& command, const char* format,
                            core::ScanArg into, std::int32_t timeout = core::kDefaultTimeout) {
  const core::FormatArg text[] = {core::FormatArg(command)};
  return io.QueryFormatted("%s", text, format, {&into, 1}, timeout);
}

// Sends the frame's formatted command and reads its reply into value.
template <class T>
HRESULT QueryReply(Tevra& driver, const core::CallFrame& frame, T& value) {
  core::IIoSession& io = driver.Io();
  if constexpr (std::is_same_v<T, VARIANT_BOOL>) {
    std::string reply;
    if (HRESULT hr = io.QueryString(frame.command, reply, core::kDefaultTimeout); FAILED(hr))
      return hr;
    return driver.ParseBooleanResponse(reply, value);
  } else if constexpr (std::is_same_v<T, BSTR>) {
    std::string reply;
    if (HRESULT hr = io.QueryString(frame.command, reply, core::kDefaultTimeout); FAILED(hr))
      return hr;
    value = platform::AllocBstr(reply);
    return value ? S_OK : driver.Reporter().ReportOutOfMemory();
  } else {
    using Scanned = std::conditional_t<std::is_enum_v<T>, std::int32_t, T>;
    Scanned scanned{};
    const char* format = frame.method->responseFormat;
    if (!format) format = std::is_floating_point_v<T> ? "%lf" : "%ld";
    const HRESULT hr = QueryCommand(io, frame.command, format, core::ScanArg(&scanned));
    if (SUCCEEDED(hr)) value = static_cast<T>(scanned);
    return hr;
  }
}

template <class T, class Check = NoCheck>
HRESULT GetSetting(core::CNode& node, const Setting& setting, T* val, Check check = {}) {
  return node.EnterCached(
      setting.get,
      [&](core::CallFrame& frame) -> HRESULT {
        Tevra& driver = DriverOf(node);
        if (driver.Simulating()) return state::GetSimulated(node, setting.key, *val);
        if (HRESULT hr = check(); FAILED(hr)) return hr;
        return QueryReply(driver, frame, *val);
      },
      core::Out("val", val));
}

template <class T, class Check = NoCheck>
HRESULT PutSetting(core::CNode& node, const Setting& setting, T val, Check check = {}) {
  return node.EnterCached(
      setting.put,
      [&](core::CallFrame& frame) -> HRESULT {
        Tevra& driver = DriverOf(node);
        if (driver.Simulating()) return state::PutSimulated(node, setting.key, val);
        if (HRESULT hr = check(); FAILED(hr)) return hr;
        return driver.Io().WriteString(frame.command, true, core::kDefaultTimeout);
      },
      core::In("val", val));
}

// A method that only sends its formatted command; in simulation nothing is sent. The check runs
// first, in simulation too (the channel checks of methods).
template <class Check = NoCheck>
HRESULT SendCommand(core::CNode& node, const core::MethodRecord& method, Check check = {}) {
  return node.Enter(method, [&](core::CallFrame& frame) -> HRESULT {
    if (HRESULT hr = check(); FAILED(hr)) return hr;
    Tevra& driver = DriverOf(node);
    if (driver.Simulating()) return S_OK;
    return driver.Io().WriteString(frame.command, true, core::kDefaultTimeout);
  });
}

}  // namespace tevra::counter
