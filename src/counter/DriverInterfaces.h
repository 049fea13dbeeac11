// The driver object's interfaces as one table: their ids and names in the order of the list,
// the position of an id (a hash table built at compile time, so QueryInterface costs one hash
// and one compare), and the position of an interface type.
#pragma once

#include <cstdint>
#include <iterator>

#include "counter/InterfaceIds.h"
#include "tevra/TevraObjectModel.h"

namespace tevra::counter {

#define TEVRA_DRIVER_INTERFACE(Itf) &IID_##Itf,
inline constexpr const IID* kDriverInterfaceIds[] = {
#include "counter/DriverInterfaces.inc"
};
#undef TEVRA_DRIVER_INTERFACE
#define TEVRA_DRIVER_INTERFACE(Itf) #Itf,
inline constexpr const char* kDriverInterfaceNames[] = {
#include "counter/DriverInterfaces.inc"
};
#undef TEVRA_DRIVER_INTERFACE

inline constexpr int kDriverInterfaceCount = static_cast<int>(std::size(kDriverInterfaceIds));

namespace detail {

constexpr std::uint32_t Word(const std::uint8_t* b) {
  return b[0] | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
}

// Many ids share their first fields and differ only in the last bytes, so every field counts.
constexpr std::uint32_t IidHash(const IID& iid) {
  std::uint32_t h = iid.Data1 * 0x9E3779B1u;
  h ^= (iid.Data2 | std::uint32_t{iid.Data3} << 16) * 0x85EBCA77u;
  h ^= Word(iid.Data4) * 0xC2B2AE3Du;
  h ^= Word(iid.Data4 + 4) * 0x27D4EB2Fu;
  return h ^ h >> 15;
}

inline constexpr unsigned kSlots = 256;  // a power of two well above the interface count

struct IidSlots {
  std::int8_t index[kSlots];
};

constexpr IidSlots BuildSlots() {
  IidSlots slots{};
  for (auto& s : slots.index) s = -1;
  for (int i = 0; i < kDriverInterfaceCount; ++i) {
    unsigned s = IidHash(*kDriverInterfaceIds[i]) & (kSlots - 1);
    while (slots.index[s] >= 0) s = (s + 1) & (kSlots - 1);
    slots.index[s] = static_cast<std::int8_t>(i);
  }
  return slots;
}
inline constexpr IidSlots kIidSlots = BuildSlots();

}  // namespace detail

// The interface's position in the list, or -1 when the driver object does not answer it.
constexpr int DriverInterfaceIndex(REFIID riid) {
  for (unsigned s = detail::IidHash(riid) & (detail::kSlots - 1);;
       s = (s + 1) & (detail::kSlots - 1)) {
    const int i = detail::kIidSlots.index[s];
    if (i < 0 || *kDriverInterfaceIds[i] == riid) return i;
  }
}

// The position of an interface type the driver object answers.
template <class Itf>
inline constexpr int kDriverIndexOf = [] {
  constexpr int i = DriverInterfaceIndex(IidOf<Itf>::kIid);
  static_assert(i >= 0, "the driver object does not answer this interface");
  return i;
}();

}  // namespace tevra::counter
