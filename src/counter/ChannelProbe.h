// How many inputs the counter has, which of them is the microwave channel and whether the burst
// option is installed, from the model and the installed options.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tevra::counter {

struct ChannelLayout {
  std::int32_t channelCount = 0;
  std::int32_t microwaveChannel = 0;  // 0 when there is none
  bool burstOptionInstalled = false;
};

// Option codes in the "*OPT?" reply: microwave input up to 6 GHz or 15 GHz, and pulsed/burst
// microwave measurements (QX1300 only).
inline constexpr std::string_view kOption6GHz = "762";
inline constexpr std::string_view kOption15GHz = "785";
inline constexpr std::string_view kOptionBurst = "431";

// In simulation every model has a microwave channel as its last channel.
ChannelLayout SimulatedLayout(std::string_view model);
ChannelLayout InstrumentLayout(std::string_view model, std::string_view optionList);

}  // namespace tevra::counter
