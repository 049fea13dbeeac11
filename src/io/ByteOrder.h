// Reversal of the bytes of binary elements between host order and the order on the wire.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tevra::io {

// Reverses the bytes of each of count elements of size bytes, in place.
inline void ReverseEachElement(std::uint8_t* data, std::size_t count, std::size_t size) {
  switch (size) {
    case 2:
      for (std::size_t i = 0; i < count; ++i, data += 2) std::swap(data[0], data[1]);
      return;
    case 4:
      for (std::size_t i = 0; i < count; ++i, data += 4) {
        std::uint32_t v;
        std::memcpy(&v, data, 4);
        v = __builtin_bswap32(v);
        std::memcpy(data, &v, 4);
      }
      return;
    case 8:
      for (std::size_t i = 0; i < count; ++i, data += 8) {
        std::uint64_t v;
        std::memcpy(&v, data, 8);
        v = __builtin_bswap64(v);
        std::memcpy(data, &v, 8);
      }
      return;
    default:
      for (std::size_t i = 0; i < count; ++i, data += size) std::reverse(data, data + size);
  }
}

}  // namespace tevra::io
