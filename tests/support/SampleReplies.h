// Instrument replies shared by the benchmarks and the standalone fake instrument.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace tevra::testing {

inline constexpr const char* kSampleIdentity = "TEVRA,QX1300,SN000123,1.2.2.0\n";

// count readings as an IEEE 488.2 ASCII list, "+1.000000000000000E+07,..." ending in a line
// feed: 23 bytes a value.
inline std::string MakeAsciiList(std::size_t count) {
  std::string list;
  list.reserve(count * 23 + 1);
  char value[32];
  for (std::size_t i = 0; i < count; ++i) {
    const int length = std::snprintf(value, sizeof value, "%+.15E", 1.0e7 + 0.001 * double(i));
    list.append(value, static_cast<std::size_t>(length));
    list.push_back(i + 1 < count ? ',' : '\n');
  }
  return list;
}

// count doubles as an IEEE 488.2 definite-length block, big-endian, ending in a line feed: the
// readings of MakeAsciiList, whose low bytes take every value, line feeds among them.
inline std::string MakeDoubleBlock(std::size_t count) {
  const std::string length = std::to_string(count * 8);
  std::string block = "#" + std::to_string(length.size()) + length;
  block.reserve(block.size() + count * 8 + 1);
  for (std::size_t i = 0; i < count; ++i) {
    const double value = 1.0e7 + 0.001 * static_cast<double>(i);
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, 8);
    for (int shift = 56; shift >= 0; shift -= 8)
      block.push_back(static_cast<char>((bits >> shift) & 0xFF));
  }
  block.push_back('\n');
  return block;
}

}  // namespace tevra::testing
