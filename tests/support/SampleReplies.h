// Instrument replies shared by the benchmarks and the standalone fake instrument.
#pragma once

#include <cstddef>
#include <cstdio>
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

}  // namespace tevra::testing
