// The C interface's attributes: every property row with a C attribute id becomes one entry of the
// attribute table, bound to the property's get and put of the object interface; the ten
// Tevra_Get/SetAttributeVi* functions dispatch through it.
#include <array>
#include <cstdint>
#include <iterator>
#include <vector>

#include "api/CForward.h"
#include "core/ErrorCodes.h"
#include "core/Rows.h"
#include "counter/Rows.h"

namespace tevra::api {
namespace {

// The value type codes of the IVI C architecture.
enum TypeCode : ViInt32 {
  kNone = 0,
  kInt32 = 1,
  kReal64 = 3,
  kBoolean = 4,
  kSession = 5,
  kString = 6
};

// kNone for a property type no C attribute can have.
template <class T, class = void>
constexpr TypeCode TypeCodeOf() {
  if constexpr (std::is_same_v<T, VARIANT_BOOL>)
    return kBoolean;
  else if constexpr (std::is_same_v<T, double>)
    return kReal64;
  else if constexpr (std::is_same_v<T, BSTR>)
    return kString;
  else if constexpr (std::is_same_v<T, LONG> || std::is_enum_v<T>)
    return kInt32;
  else
    return kNone;
}

// The C type a value of each type code travels as.
template <class T>
using CValueOf = std::conditional_t<
    TypeCodeOf<T>() == kBoolean, ViBoolean,
    std::conditional_t<TypeCodeOf<T>() == kReal64, ViReal64,
                       std::conditional_t<TypeCodeOf<T>() == kString, ViConstString, ViInt32>>>;

using Getter = ViStatus (*)(ViSession vi, ViConstString repCap, void* value, ViInt32 size);
using Setter = ViStatus (*)(ViSession vi, ViConstString repCap, const void* value);

struct Attribute {
  ViAttr id = 0;
  TypeCode type = kNone;
  Getter get = nullptr;  // null: write-only
  Setter set = nullptr;  // null: read-only
};

// The channel properties take the repeated-capability name as a channel selector; the others
// ignore it.
template <class Itf>
inline constexpr bool kOnChannels =
    std::is_same_v<Itf, IIviCounterChannel> || std::is_same_v<Itf, ITevraChannel>;

template <class T, class G>
ViStatus GetOn(ViSession vi, ViConstString repCap, G get, void* value, ViInt32 size) noexcept {
  using Itf = typename MemberOf<G>::Class;
  try {
    const auto out = [&] {
      if constexpr (TypeCodeOf<T>() == kString)
        return OutText{size, static_cast<ViChar*>(value)};
      else
        return Out<CValueOf<T>>{static_cast<CValueOf<T>*>(value), "AttributeValue"};
    }();
    if constexpr (!kOnChannels<Itf>) {
      return Forward(vi, get, out);
    } else {
      if (const ViStatus refused = detail::CheckOutputs(vi, out)) return refused;
      DriverHold hold;
      std::vector<platform::ComPtr<IUnknown>> channels;
      if (const ViStatus status = SelectChannels<Itf>(vi, hold, repCap, false, channels))
        return status;
      if (channels.empty()) return kCStatusUnknownResult;
      return detail::CallOn(vi, static_cast<Itf*>(channels.front().get()), get, out);
    }
  } catch (const std::bad_alloc&) {
    return OutOfMemory(vi);
  }
}

template <class T, class P>
ViStatus SetOn(ViSession vi, ViConstString repCap, P put, const void* value) noexcept {
  using Itf = typename MemberOf<P>::Class;
  const CValueOf<T> v = *static_cast<const CValueOf<T>*>(value);
  if constexpr (kOnChannels<Itf>)
    return ForwardChannels(vi, repCap, put, v);
  else
    return Forward(vi, put, v);
}

template <auto Get, class T>
ViStatus GetAttribute(ViSession vi, ViConstString repCap, void* value, ViInt32 size) {
  return GetOn<T>(vi, repCap, Get, value, size);
}
template <auto Put, class T>
ViStatus SetAttribute(ViSession vi, ViConstString repCap, const void* value) {
  return SetOn<T>(vi, repCap, Put, value);
}

ViStatus GetDriverPrefix(ViSession, ViConstString, void* value, ViInt32 size) {
  return platform::CopyString("Tevra", size, static_cast<ViChar*>(value));
}

using namespace core::rows;
using namespace counter::rows;

// One entry per property row; rows without a C attribute id have id 0 and are left out. Whether
// the property has a get and a put is read from its interface.
#define TEVRA_INTERFACE(...)
#define TEVRA_METHOD(...)
#define TEVRA_QUERY(...)
#define TEVRA_COMMAND(...)
#define TEVRA_PROPERTY(Itf, Name, Type, ...)                                                    \
  []<class I>(I*) -> Attribute {                                                                \
    if constexpr (Itf##_##Name.cAttribute == 0) {                                               \
      return {};                                                                                \
    } else {                                                                                    \
      static_assert(TypeCodeOf<Type, I>() != kNone, "no C attribute type for " #Itf "." #Name); \
      Getter get = nullptr;                                                                     \
      Setter set = nullptr;                                                                     \
      if constexpr (requires { &I::get_##Name; }) get = &GetAttribute<&I::get_##Name, Type>;    \
      if constexpr (requires { &I::put_##Name; }) set = &SetAttribute<&I::put_##Name, Type>;    \
      return {static_cast<ViAttr>(Itf##_##Name.cAttribute), TypeCodeOf<Type, I>(), get, set};   \
    }                                                                                           \
  }(static_cast<Itf*>(nullptr)),
const Attribute kPropertyAttributes[] = {
#include "core/members/Interfaces.inc"
#include "counter/members/Interfaces.inc"
    // The driver prefix is a constant of the C interface, not a property of the object.
    {TEVRA_ATTR_SPECIFIC_DRIVER_PREFIX, kString, &GetDriverPrefix, nullptr},
};
#undef TEVRA_INTERFACE
#undef TEVRA_METHOD
#undef TEVRA_QUERY
#undef TEVRA_COMMAND
#undef TEVRA_PROPERTY

// The attribute ids are IVI's: a base of 1,000,000 plus 50,000 per group (inherent, specific,
// class, ...) plus a small number, so an id finds its entry by its group and number without a
// hash. Built on first use, exactly once (the initialisation of a function's static is guarded);
// an id of another shape would be found in the short list of the others.
class AttributeIndex {
 public:
  AttributeIndex() {
    for (const Attribute& a : kPropertyAttributes) {
      if (a.id == 0 || Lookup(a.id)) continue;  // the first row of an id holds it
      if (std::size_t group, number; Position(a.id, group, number))
        slots_[group][number] = static_cast<std::uint16_t>(&a - kPropertyAttributes + 1);
      else
        others_.push_back(&a);
    }
  }
  const Attribute* Lookup(ViAttr id) const {
    if (std::size_t group, number; Position(id, group, number)) {
      const std::uint16_t entry = slots_[group][number];
      return entry ? &kPropertyAttributes[entry - 1] : nullptr;
    }
    for (const Attribute* a : others_)
      if (a->id == id) return a;
    return nullptr;
  }

 private:
  static constexpr ViAttr kBase = 1000000, kGroupSpan = 50000;
  static constexpr std::size_t kGroups = 8, kNumbers = 1024;
  static_assert(std::size(kPropertyAttributes) < 0xFFFF);
  static bool Position(ViAttr id, std::size_t& group, std::size_t& number) {
    if (id < kBase) return false;
    group = static_cast<std::size_t>((id - kBase) / kGroupSpan);
    number = static_cast<std::size_t>((id - kBase) % kGroupSpan);
    return group < kGroups && number < kNumbers;
  }
  std::array<std::array<std::uint16_t, kNumbers>, kGroups> slots_{};  // entry + 1, 0 for none
  std::vector<const Attribute*> others_;
};

const AttributeIndex& Index() {
  static const AttributeIndex index;
  return index;
}

ViStatus ReportAttributeError(ViSession vi, ViStatus status) {
  return SetSessionError(vi, status, core::CMessageOf(status));
}

const Attribute* Find(ViSession vi, ViAttr id, TypeCode type, bool set, ViStatus& status) {
  try {
    const Attribute* a = Index().Lookup(id);
    if (!a)
      status = core::kCStatusAttributeNotSupported;
    else if (a->type != type)
      status = core::kCStatusInvalidType;
    else if (set && !a->set)
      status = core::kCStatusAttributeNotWritable;
    else if (!set && !a->get)
      status = core::kCStatusAttributeNotReadable;
    else
      return a;
    status = ReportAttributeError(vi, status);
  } catch (const std::bad_alloc&) {
    status = OutOfMemory(vi);
  }
  return nullptr;
}

ViStatus Get(ViSession vi, ViConstString repCap, ViAttr id, TypeCode type, void* value,
             ViInt32 size = 0) {
  ViStatus status = 0;
  const Attribute* a = Find(vi, id, type, false, status);
  return a ? a->get(vi, repCap, value, size) : status;
}

ViStatus Set(ViSession vi, ViConstString repCap, ViAttr id, TypeCode type, const void* value) {
  ViStatus status = 0;
  const Attribute* a = Find(vi, id, type, true, status);
  return a ? a->set(vi, repCap, value) : status;
}

}  // namespace
}  // namespace tevra::api

using tevra::api::kBoolean;
using tevra::api::kInt32;
using tevra::api::kReal64;
using tevra::api::kSession;
using tevra::api::kString;

extern "C" {

ViStatus Tevra_GetAttributeViInt32(ViSession Vi, ViConstString RepCapIdentifier, ViAttr AttributeID,
                                   ViInt32* AttributeValue) {
  return tevra::api::Get(Vi, RepCapIdentifier, AttributeID, kInt32, AttributeValue);
}
ViStatus Tevra_GetAttributeViReal64(ViSession Vi, ViConstString RepCapIdentifier,
                                    ViAttr AttributeID, ViReal64* AttributeValue) {
  return tevra::api::Get(Vi, RepCapIdentifier, AttributeID, kReal64, AttributeValue);
}
ViStatus Tevra_GetAttributeViBoolean(ViSession Vi, ViConstString RepCapIdentifier,
                                     ViAttr AttributeID, ViBoolean* AttributeValue) {
  return tevra::api::Get(Vi, RepCapIdentifier, AttributeID, kBoolean, AttributeValue);
}
ViStatus Tevra_GetAttributeViSession(ViSession Vi, ViConstString RepCapIdentifier,
                                     ViAttr AttributeID, ViSession* AttributeValue) {
  return tevra::api::Get(Vi, RepCapIdentifier, AttributeID, kSession, AttributeValue);
}
ViStatus Tevra_GetAttributeViString(ViSession Vi, ViConstString RepCapIdentifier,
                                    ViAttr AttributeID, ViInt32 BufferSize,
                                    ViChar AttributeValue[]) {
  return tevra::api::Get(Vi, RepCapIdentifier, AttributeID, kString, AttributeValue, BufferSize);
}
ViStatus Tevra_SetAttributeViInt32(ViSession Vi, ViConstString RepCapIdentifier, ViAttr AttributeID,
                                   ViInt32 AttributeValue) {
  return tevra::api::Set(Vi, RepCapIdentifier, AttributeID, kInt32, &AttributeValue);
}
ViStatus Tevra_SetAttributeViReal64(ViSession Vi, ViConstString RepCapIdentifier,
                                    ViAttr AttributeID, ViReal64 AttributeValue) {
  return tevra::api::Set(Vi, RepCapIdentifier, AttributeID, kReal64, &AttributeValue);
}
ViStatus Tevra_SetAttributeViBoolean(ViSession Vi, ViConstString RepCapIdentifier,
                                     ViAttr AttributeID, ViBoolean AttributeValue) {
  return tevra::api::Set(Vi, RepCapIdentifier, AttributeID, kBoolean, &AttributeValue);
}
ViStatus Tevra_SetAttributeViSession(ViSession Vi, ViConstString RepCapIdentifier,
                                     ViAttr AttributeID, ViSession AttributeValue) {
  return tevra::api::Set(Vi, RepCapIdentifier, AttributeID, kSession, &AttributeValue);
}
ViStatus Tevra_SetAttributeViString(ViSession Vi, ViConstString RepCapIdentifier,
                                    ViAttr AttributeID, ViConstString AttributeValue) {
  return tevra::api::Set(Vi, RepCapIdentifier, AttributeID, kString, &AttributeValue);
}
}
