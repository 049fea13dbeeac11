// The forwarding pattern every C function follows, written once: check the output pointers (by
// name, before anything is sent), find the session's driver object and the interface that
// carries the method, convert the inputs, call, convert the result, and only on success write
// the outputs. A C function is then one call:
//
//   return Forward(Vi, &ITevraFrequency::Measure, Estimate, Resolution, Channel,
//                  Out{Frequency, "Frequency"});
//
// Each C argument becomes one argument of the object method, by its wrapper:
//   a number or an enumeration value   passed as the method's type
//   ViBoolean                          the interface's true (-1) for any non-zero value, or false
//   ViConstString                      a new UTF-16 string
//   Out{p, "Name"}                     the method's output; *p gets it (booleans as 1 or 0)
//   OutText{size, buffer}              a text output under the string-buffer rule
//   OutArray{size, array, actual, "Name"}  an array output under the array rule
//   InArray{size, array, "Name"}       an input array
//   OutJoined{size, buffer}            an array of texts joined with "," under the buffer rule
#pragma once

#include <cstring>
#include <new>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "api/CBridge.h"
#include "counter/InterfaceIds.h"
#include "counter/Tevra.h"
#include "platform/Bstr.h"
#include "platform/CSessions.h"
#include "platform/SafeArray.h"
#include "tevra/TevraInterfaces.h"
#include "tevra/TevraSystemInterfaces.h"

namespace tevra::api {

using counter::IidOf;

// The interface a method pointer belongs to.
template <class G>
struct MemberOf;
template <class C, class... M>
struct MemberOf<HRESULT (C::*)(M...)> {
  using Class = C;
};

template <class T>
struct Out {
  T* p;
  const char* name;
};
struct OutText {
  ViInt32 size;
  ViChar* buffer;
};
template <class T>
struct OutArray {
  ViInt32 size;
  T* array;
  ViInt32* actual;
  const char* actualName;
};
template <class T>
struct InArray {
  ViInt32 size;
  const T* array;
  const char* name;  // refused by name when null with a positive size
};
struct OutJoined {
  ViInt32 size;
  ViChar* buffer;
};

// The element type follows from the pointer, so a C function writes Out{Frequency, "Frequency"}.
template <class T>
Out(T*, const char*) -> Out<T>;
template <class T>
OutArray(ViInt32, T*, ViInt32*, const char*) -> OutArray<T>;
template <class T>
InArray(ViInt32, const T*, const char*) -> InArray<T>;

namespace detail {

template <class T>
inline constexpr bool kIsNumber = std::is_arithmetic_v<T> || std::is_enum_v<T>;

template <class T>
constexpr VARTYPE ElementTypeOf() {
  if constexpr (std::is_same_v<T, ViReal64>)
    return VT_R8;
  else if constexpr (std::is_same_v<T, ViInt32>)
    return VT_I4;
  else if constexpr (std::is_same_v<T, ViInt16>)
    return VT_I2;
  else if constexpr (std::is_same_v<T, ViChar> || std::is_same_v<T, ViByte> ||
                     std::is_same_v<T, ViInt8>)
    return VT_UI1;
  else
    static_assert(sizeof(T) == 0, "no array element type for this C type");
}

// One C argument as the method argument of type M.
template <class M, class A>
struct Arg {
  static_assert(sizeof(A) == 0, "no conversion from this C argument to this method argument");
};

template <class M, class A>
requires(kIsNumber<M>&& std::is_arithmetic_v<A> &&
         !(std::is_same_v<M, VARIANT_BOOL> && std::is_same_v<A, ViBoolean>)) struct Arg<M, A> {
  M value;
  explicit Arg(A a) : value(static_cast<M>(a)) {}
  M Pass() { return value; }
};

template <>
struct Arg<VARIANT_BOOL, ViBoolean> {
  VARIANT_BOOL value;
  explicit Arg(ViBoolean a) : value(a ? VARIANT_TRUE : VARIANT_FALSE) {}
  VARIANT_BOOL Pass() { return value; }
};

template <class A>
requires std::is_convertible_v<A, const char*>
struct Arg<BSTR, A> {
  platform::Bstr text;
  explicit Arg(const char* a) : text(a ? a : "") {
    if (!text.get()) throw std::bad_alloc();
  }
  BSTR Pass() { return text.get(); }
};

template <class M, class T>
requires kIsNumber<M>
struct Arg<M*, Out<T>> {
  Out<T> out;
  M value{};
  explicit Arg(Out<T> o) : out(o) {}
  M* Pass() { return &value; }
  ViStatus Deliver() {
    if constexpr (std::is_same_v<M, VARIANT_BOOL> && std::is_same_v<T, ViBoolean>)
      *out.p = value ? VI_TRUE : VI_FALSE;
    else
      *out.p = static_cast<T>(value);
    return 0;
  }
};

template <>
struct Arg<BSTR*, OutText> {
  OutText out;
  platform::Bstr value;
  explicit Arg(OutText o) : out(o) {}
  BSTR* Pass() { return value.out(); }
  ViStatus Deliver() { return CopyText(value.get(), out.size, out.buffer); }
};

// The array rule: up to the caller's size from the start of the object's array, the count in
// the actual size.
template <class T>
struct Arg<SAFEARRAY**, OutArray<T>> {
  OutArray<T> out;
  SAFEARRAY* value = nullptr;
  explicit Arg(OutArray<T> o) : out(o) {}
  ~Arg() {
    if (value) TevraSafeArrayDestroy(value);
  }
  SAFEARRAY** Pass() { return &value; }
  ViStatus Deliver() {
    if (out.actual) *out.actual = 0;
    if (!value) return 0;
    void* data = nullptr;
    std::size_t count = 0;
    constexpr VARTYPE kType = ElementTypeOf<T>();
    constexpr VARTYPE kAccepted[] = {kType};
    if (!platform::ViewVector(value, kAccepted, data, count)) return kCStatusUnknownResult;
    const std::size_t n = std::min<std::size_t>(count, out.size > 0 ? out.size : 0);
    if (n) std::memcpy(out.array, data, n * sizeof(T));
    if (out.actual) *out.actual = static_cast<ViInt32>(n);
    return 0;
  }
};

template <class T>
struct Arg<SAFEARRAY*, InArray<T>> {
  platform::SafeArrayPtr value;
  explicit Arg(InArray<T> in)
      : value(TevraSafeArrayCreateVector(ElementTypeOf<T>(), 0,
                                         static_cast<ULONG>(in.size > 0 ? in.size : 0))) {
    if (!value.get()) throw std::bad_alloc();
    if (in.size > 0) std::memcpy(value.get()->pvData, in.array, sizeof(T) * in.size);
  }
  SAFEARRAY* Pass() { return value.get(); }
};

template <>
struct Arg<SAFEARRAY**, OutJoined> {
  OutJoined out;
  SAFEARRAY* value = nullptr;
  explicit Arg(OutJoined o) : out(o) {}
  ~Arg() {
    if (value) TevraSafeArrayDestroy(value);
  }
  SAFEARRAY** Pass() { return &value; }
  ViStatus Deliver();
};

template <class H>
ViStatus DeliverOf(H& held) {
  if constexpr (requires { held.Deliver(); })
    return held.Deliver();
  else
    return 0;
}

// The name of a null output, else null; checked in parameter order before anything is sent.
template <class A>
const char* NullOutput(const A& a) {
  if constexpr (requires {
                  a.name;
                  a.p;
                })
    return a.p ? nullptr : a.name;
  else if constexpr (requires { a.actualName; })
    return a.actual ? nullptr : a.actualName;
  else if constexpr (requires {
                       a.name;
                       a.array;
                     })
    return a.array || a.size <= 0 ? nullptr : a.name;
  else
    return nullptr;
}
template <class A>
bool NullArray(const A& a) {
  if constexpr (requires {
                  a.array;
                  a.actual;
                })
    return !a.array;
  else
    return false;
}

template <class... A>
ViStatus CheckOutputs(ViSession vi, const A&... args) {
  const char* name = nullptr;
  ((name = name ? name : NullOutput(args)), ...);
  if (name) return NullParameter(vi, name);
  if ((NullArray(args) || ...)) return kCStatusUnknownResult;
  return 0;
}

// Calls the method on one object with the converted arguments and delivers the outputs when
// it succeeded: the converted status, or when that is 0, the first non-zero count of a text
// output.
template <class Itf, class... M, class... A>
ViStatus CallOn(ViSession vi, Itf* object, HRESULT (Itf::*method)(M...), const A&... args) {
  std::tuple<Arg<M, A>...> held(args...);
  const HRESULT result =
      std::apply([&](auto&... h) { return (object->*method)(h.Pass()...); }, held);
  const ViStatus status = ConvertResult(vi, result);
  if (FAILED(result)) return status;
  ViStatus delivered = 0;
  std::apply([&](auto&... h) { ((delivered = delivered ? delivered : DeliverOf(h)), ...); }, held);
  return StatusOrCount(status, delivered);
}

}  // namespace detail

// The session's driver object and its interface Itf, valid while hold lives. The session table
// holds the driver's own IUnknown, so the interface is a position in the driver's interface
// table: no QueryInterface, no reference.
template <class Itf>
ViStatus GetInterface(ViSession vi, DriverHold& hold, Itf*& itf) {
  if (const ViStatus status = GetDriver(vi, hold)) return status;
  itf = counter::Tevra::FromOwnUnknown(hold.driver).Interface<Itf>();
  return 0;
}

namespace detail {

// What every forwarding pattern does around its call: the null-output check before anything
// is sent, and running out of memory as its C status.
template <class Body, class... A>
ViStatus Guarded(ViSession vi, Body body, const A&... args) noexcept {
  try {
    if (const ViStatus refused = CheckOutputs(vi, args...)) return refused;
    return body();
  } catch (const std::bad_alloc&) {
    return OutOfMemory(vi);
  }
}

// Guarded, with the session's driver interface Itf handed to body, the session held throughout.
template <class Itf, class Body, class... A>
ViStatus OnInterface(ViSession vi, Body body, const A&... args) noexcept {
  return Guarded(
      vi,
      [&] {
        DriverHold hold;
        Itf* itf = nullptr;
        if (const ViStatus status = GetInterface(vi, hold, itf)) return status;
        return body(itf);
      },
      args...);
}

}  // namespace detail

// The forwarding pattern on the driver object's interface that carries the method.
template <class Itf, class... M, class... A>
ViStatus Forward(ViSession vi, HRESULT (Itf::*method)(M...), const A&... args) noexcept {
  static_assert(sizeof...(M) == sizeof...(A), "one C argument per method argument");
  return detail::OnInterface<Itf>(
      vi, [&](Itf* itf) { return detail::CallOn(vi, itf, method, args...); }, args...);
}

// The forwarding pattern on the object that a getter of the driver's interface gives (the
// session's formatted I/O object, for example); the getter's failure is converted and returned.
template <class Itf, class Sub, class... M, class... A>
ViStatus ForwardThrough(ViSession vi, HRESULT (Itf::*getter)(Sub**), HRESULT (Sub::*method)(M...),
                        const A&... args) noexcept {
  static_assert(sizeof...(M) == sizeof...(A), "one C argument per method argument");
  return detail::OnInterface<Itf>(
      vi,
      [&](Itf* itf) {
        platform::ComPtr<Sub> sub;
        const HRESULT got = (itf->*getter)(sub.put());
        if (FAILED(got)) return ConvertResult(vi, got);
        if (!sub.get()) return kCStatusUnknownResult;
        return detail::CallOn(vi, sub.get(), method, args...);
      },
      args...);
}

// The channels a selector names, as Itf (ITevraChannel or IIviCounterChannel), on the session
// hold holds from here on.
template <class Itf>
ViStatus SelectChannels(ViSession vi, DriverHold& hold, ViConstString selector, bool rangesAllowed,
                        std::vector<platform::ComPtr<IUnknown>>& channels) {
  if (const ViStatus status = GetDriver(vi, hold)) return status;
  return ConvertResult(vi, counter::Tevra::FromOwnUnknown(hold.driver)
                               .Channels()
                               .Select(selector, rangesAllowed, IidOf<Itf>::kIid, channels));
}

// The forwarding pattern once per channel the selector names (ranges and lists allowed), in
// order; the first failure stops.
template <class Itf, class... M, class... A>
ViStatus ForwardChannels(ViSession vi, ViConstString selector, HRESULT (Itf::*method)(M...),
                         const A&... args) noexcept {
  static_assert(sizeof...(M) == sizeof...(A), "one C argument per method argument");
  return detail::Guarded(
      vi,
      [&] {
        DriverHold hold;
        std::vector<platform::ComPtr<IUnknown>> channels;
        if (const ViStatus status = SelectChannels<Itf>(vi, hold, selector, true, channels))
          return status;
        ViStatus warning = 0;
        for (const auto& channel : channels) {
          const ViStatus status =
              detail::CallOn(vi, static_cast<Itf*>(channel.get()), method, args...);
          if (status < 0) return status;
          if (!warning) warning = status;
        }
        return warning;
      },
      args...);
}

}  // namespace tevra::api
