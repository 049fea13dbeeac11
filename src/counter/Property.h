// The generic bodies of the registry's rows (core/Registry.h). A property's get queries its
// formatted command and reads the reply by the value's type (booleans through the boolean words
// of the method, strings as the whole reply, without its double quotes where the row says so);
// its put writes its formatted template. In
// simulation a put stores the value in the store of the node that received the call, keyed by
// the row, and a get answers the stored value or the row's simulated value; nothing is sent and
// the row's rule is not checked. On a live session the rule is checked before any I/O.
#pragma once

#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "core/Driver.h"
#include "core/FormatArgs.h"
#include "core/Node.h"
#include "counter/Rows.h"
#include "counter/Tevra.h"
#include "platform/Bstr.h"
#include "state/EnumFormatter.h"

namespace tevra::counter {

inline Tevra& DriverOf(core::CNode& node) { return static_cast<Tevra&>(node.Driver()); }

// A new string or byte array of the caller's; running out of memory is reported.
inline HRESULT GiveString(core::CDriver& driver, std::string_view text, BSTR& out) {
  out = platform::AllocBstr(text);
  return out ? S_OK : driver.Reporter().Report(Code::OutOfMemory);
}
HRESULT GiveBytes(core::CDriver& driver, std::span<const std::uint8_t> bytes, SAFEARRAY** out);

// Sends a command as it stands and reads its reply with format, a row's response format (or a
// constant of the driver's), into into. The row walk checks every such format once, so the
// session does not check it again.
inline HRESULT QueryCommand(core::IIoSession& io, std::string_view command, const char* format,
                            core::ScanArg into, std::int32_t timeout = core::kDefaultTimeout) {
  return io.QueryChecked(command, format, {&into, 1}, timeout);
}

// The per-operation timeout of a slow query: the session's, raised to at least floor (the
// session puts its own back afterwards); kDefaultTimeout leaves the session's as it is.
inline HRESULT TimeoutAtLeast(core::IIoSession& io, std::int32_t floor, std::int32_t& timeout) {
  timeout = core::kDefaultTimeout;
  if (floor == core::kDefaultTimeout) return S_OK;
  if (HRESULT hr = io.GetTimeout(timeout); FAILED(hr)) return hr;
  timeout = std::max(timeout, floor);
  return S_OK;
}

// Sends command and reads its comma-separated doubles into a new array.
inline HRESULT QueryDoubles(core::IIoSession& io, std::string_view command, SAFEARRAY** values,
                            std::int32_t timeoutFloor = core::kDefaultTimeout) {
  std::int32_t timeout = core::kDefaultTimeout;
  if (HRESULT hr = TimeoutAtLeast(io, timeoutFloor, timeout); FAILED(hr)) return hr;
  return io.QueryList(command, core::ScanArg(values, core::ElemType::F64), timeout);
}

// Sends the frame's formatted command and reads its reply into value; a byte array is read as
// a definite-length block.
template <class T>
HRESULT QueryReply(Tevra& driver, const core::CallFrame& frame, T& value,
                   std::int32_t timeout = core::kDefaultTimeout) {
  core::IIoSession& io = driver.Io();
  if constexpr (std::is_same_v<T, VARIANT_BOOL>) {
    std::string reply;
    if (HRESULT hr = io.QueryString(frame.command, reply, timeout); FAILED(hr)) return hr;
    return driver.ParseBooleanResponse(reply, value);
  } else if constexpr (std::is_same_v<T, BSTR>) {
    std::string reply;
    if (HRESULT hr = io.QueryString(frame.command, reply, timeout); FAILED(hr)) return hr;
    if (frame.method->flags & core::kDropsQuotes) std::erase(reply, '"');
    return GiveString(driver, reply, value);
  } else if constexpr (std::is_same_v<T, SAFEARRAY*>) {
    return io.QueryBinaryBlock(frame.command, core::ScanArg(&value, core::ElemType::U8),
                               core::kDefaultTimeout);
  } else {
    using Scanned = std::conditional_t<std::is_enum_v<T>, std::int32_t, T>;
    Scanned scanned{};
    const char* format = frame.method->responseFormat;
    if (!format) format = std::is_floating_point_v<T> ? "%lf" : "%ld";
    const HRESULT hr = QueryCommand(io, frame.command, format, core::ScanArg(&scanned), timeout);
    if (SUCCEEDED(hr)) value = static_cast<T>(scanned);
    return hr;
  }
}

// The simulated store. Enumerations are kept as their 32-bit values.
template <class T>
using CacheTypeOf = std::conditional_t<std::is_enum_v<T>, std::int32_t, T>;

template <class T>
HRESULT PutSimulated(core::CNode& node, const Property& row, T value) {
  auto* entry = node.Cache().GetCacheEntry<CacheTypeOf<T>>(&row);
  if (!entry) return E_UNEXPECTED;  // a row read with another type than it was stored with
  return entry->SetValue(static_cast<CacheTypeOf<T>>(value)) ? S_OK : E_OUTOFMEMORY;
}

template <class T>
HRESULT GetSimulated(core::CNode& node, const Property& row, T& out) {
  using Stored = CacheTypeOf<T>;
  auto* entry = node.Cache().GetCacheEntry<Stored>(&row);
  if (!entry) return E_UNEXPECTED;
  Stored value{};
  if (entry->GetValue(value)) {
    out = static_cast<T>(value);
    return S_OK;
  }
  if constexpr (std::is_same_v<T, BSTR>) {
    out = platform::AllocBstr(row.simulated.text);
    return out ? S_OK : E_OUTOFMEMORY;
  } else {
    out = static_cast<T>(row.simulated.number);
    return S_OK;
  }
}

// Message 50 or S_OK: whether the node may run a member with the rule.
HRESULT CheckRule(Rule rule, core::CNode& node);

// Message 48 or S_OK: whether the instrument's "*OPT?" reply lists the burst option. The options
// are asked afresh: the option may have been fitted since Initialize.
HRESULT AskBurstOption(Tevra& driver);

// The checks of a live member before its own I/O: the rule, then the burst option when the
// record asks for it.
inline HRESULT CheckLive(Rule rule, std::uint32_t flags, core::CNode& node) {
  if (HRESULT hr = CheckRule(rule, node); FAILED(hr)) return hr;
  if (flags & core::kAsksBurstOption) return AskBurstOption(DriverOf(node));
  return S_OK;
}

// The live branch of a get that reads its reply by the value's type.
struct ReadByType {};
// The live branch of a put that only writes its template.
struct WriteOnly {};

// A get; a property whose reply says more gives its own live branch, run with the call's frame
// after the rule has held.
template <class T, class Live = ReadByType>
HRESULT GetProperty(core::CNode& node, const Property& row, T* val, Live live = {}) {
  return node.EnterCached(
      row.get,
      [&](core::CallFrame& frame) -> HRESULT {
        Tevra& driver = DriverOf(node);
        if (driver.Simulating()) return GetSimulated(node, row, *val);
        if (HRESULT hr = CheckLive(row.rule, row.get.flags, node); FAILED(hr)) return hr;
        if constexpr (std::is_same_v<Live, ReadByType>)
          return QueryReply(driver, frame, *val);
        else
          return live(frame);
      },
      core::Out("val", val));
}

// A put; a property that needs a command before its own gives it as before, run on a live
// session after the rule has held.
template <class T, class Before = WriteOnly>
HRESULT PutProperty(core::CNode& node, const Property& row, T val, Before before = {}) {
  return node.EnterCached(
      row.put,
      [&](core::CallFrame& frame) -> HRESULT {
        Tevra& driver = DriverOf(node);
        if (driver.Simulating()) return PutSimulated(node, row, val);
        if (HRESULT hr = CheckLive(row.rule, row.put.flags, node); FAILED(hr)) return hr;
        if constexpr (!std::is_same_v<Before, WriteOnly>) {
          if (HRESULT hr = before(); FAILED(hr)) return hr;
        }
        return driver.Io().WriteString(frame.command, true, core::kDefaultTimeout);
      },
      core::In("val", val));
}

// An interface getter: the driver object's interface the row names, with a new reference.
template <class Itf>
HRESULT GiveInterface(core::CNode& node, const Property& row, Itf** val) {
  return node.Enter(
      row.get,
      [&] { return DriverOf(node).QueryObject(*row.gives, reinterpret_cast<void**>(val)); },
      core::Out("val", val));
}

// A property the driver does not support: message 10 naming "<family>_get_<Name>" or
// "<family>_put_<Name>".
HRESULT ReportRefusedProperty(core::CNode& node, const Property& row, const char* access);
template <class T>
HRESULT RefuseGet(core::CNode& node, const Property& row, T* val) {
  return node.Enter(
      row.get, [&] { return ReportRefusedProperty(node, row, "_get_"); }, core::Out("val", val));
}
template <class T>
HRESULT RefusePut(core::CNode& node, const Property& row, T val) {
  return node.Enter(
      row.put, [&] { return ReportRefusedProperty(node, row, "_put_"); }, core::In("val", val));
}

// Whether a method reads its reply as boolean words: a 16-bit output is a VARIANT_BOOL then, and
// a 16-bit integer otherwise (the two are one C++ type).
constexpr bool ReadsBoolean(const core::MethodRecord& record) {
  return record.responseFormat &&
         std::string_view(record.responseFormat).find("{VARIANT_BOOL}") != std::string_view::npos;
}

// A method that queries its formatted command and reads the reply into one output as a get of
// the output's type reads it, with the session timeout raised to at least the row's for the
// query; a simulated instrument answers nothing, so the zeroed output stands.
template <class T>
HRESULT QueryIntoOutput(core::CNode& node, const Method& row, const char* name, T* val) {
  constexpr bool kMaybeNumber = std::is_same_v<T, std::int16_t>;
  const bool number = kMaybeNumber && !ReadsBoolean(row.record);
  auto body = [&](core::CallFrame& frame) -> HRESULT {
    Tevra& driver = DriverOf(node);
    if (driver.Simulating()) return S_OK;
    std::int32_t timeout = core::kDefaultTimeout;
    if (HRESULT hr = TimeoutAtLeast(driver.Io(), row.timeout, timeout); FAILED(hr)) return hr;
    if constexpr (kMaybeNumber) {
      if (number)
        return QueryCommand(driver.Io(), frame.command,
                            row.record.responseFormat ? row.record.responseFormat : "%hd",
                            core::ScanArg(val), timeout);
    }
    return QueryReply(driver, frame, *val, timeout);
  };
  if constexpr (kMaybeNumber) {
    if (number) return node.Enter(row.record, body, core::OutInt16(name, val));
  }
  return node.Enter(row.record, body, core::Out(name, val));
}

// A method that only sends its formatted command; in simulation nothing is sent. The rule is
// checked first, in simulation too.
inline HRESULT SendCommand(core::CNode& node, const Method& row) {
  return node.Enter(row.record, [&](core::CallFrame& frame) -> HRESULT {
    if (HRESULT hr = CheckRule(row.rule, node); FAILED(hr)) return hr;
    Tevra& driver = DriverOf(node);
    if (driver.Simulating()) return S_OK;
    return driver.Io().WriteString(frame.command, true, core::kDefaultTimeout);
  });
}

// A command row's method: its inputs formatted into its command, which it sends, or, when its
// arguments end in an output, queries and reads into the output as a get of the output's type
// reads it. The rule is checked first, in simulation too; a simulated instrument is sent nothing
// and answers nothing, so the zeroed output stands.
template <class... T>
constexpr bool EndsInOutput() {
  if constexpr (sizeof...(T) == 0)
    return false;
  else
    return core::kIsOutput<std::tuple_element_t<sizeof...(T) - 1, std::tuple<T...>>>;
}
template <class... T>
HRESULT RunCommand(core::CNode& node, const Method& row, core::Named<T>... args) {
  static_assert((0 + ... + core::kIsOutput<T>) <= (EndsInOutput<T...>() ? 1 : 0),
                "a command row's only output is its last argument");
  return node.Enter(
      row.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (HRESULT hr = CheckRule(row.rule, node); FAILED(hr)) return hr;
        Tevra& driver = DriverOf(node);
        if (driver.Simulating()) return S_OK;
        if constexpr (EndsInOutput<T...>()) {
          auto& output = std::get<sizeof...(T) - 1>(std::forward_as_tuple(args...));
          return QueryReply(driver, frame, *output.value);
        } else {
          return driver.Io().WriteString(frame.command, true, core::kDefaultTimeout);
        }
      },
      core::ArgOf(args)...);
}

}  // namespace tevra::counter
