#include "visa/OpenOptions.h"

#include "core/TextUtil.h"

#include <array>
#include <charconv>
#include <utility>

namespace tevra::visa {
namespace {

using core::EqualsNoCase;

template <class Enum, std::size_t N>
bool ParseWord(std::string_view value,
               const std::array<std::pair<std::string_view, Enum>, N>& words, Enum& result) {
  for (const auto& [word, meaning] : words) {
    if (EqualsNoCase(value, word)) {
      result = meaning;
      return true;
    }
  }
  return false;
}

constexpr std::array<std::pair<std::string_view, Parity>, 5> kParityWords{{
    {"none", Parity::None},
    {"odd", Parity::Odd},
    {"even", Parity::Even},
    {"mark", Parity::Mark},
    {"space", Parity::Space},
}};
constexpr std::array<std::pair<std::string_view, StopBits>, 3> kStopWords{{
    {"1", StopBits::One},
    {"1.5", StopBits::OneAndAHalf},
    {"2", StopBits::Two},
}};
constexpr std::array<std::pair<std::string_view, FlowControl>, 4> kFlowWords{{
    {"none", FlowControl::None},
    {"xonxoff", FlowControl::XonXoff},
    {"rtscts", FlowControl::RtsCts},
    {"dtrdsr", FlowControl::DtrDsr},
}};

template <class T>
bool ParseNumber(std::string_view value, T& number) {
  const char* end = value.data() + value.size();
  const auto [stop, error] = std::from_chars(value.data(), end, number);
  return error == std::errc() && stop == end;
}

}  // namespace

SettingResult ApplyConnectionSetting(std::string_view name, std::string_view value,
                                     OpenOptions& options) {
  SerialSettings& serial = options.serial;
  bool ok = true;
  if (name == "baudrate") {
    ok = ParseNumber(value, serial.baudRate) && serial.baudRate > 0;
  } else if (name == "databits") {
    ok = ParseNumber(value, serial.dataBits) && serial.dataBits >= 5 && serial.dataBits <= 8;
  } else if (name == "parity") {
    ok = ParseWord(value, kParityWords, serial.parity);
  } else if (name == "stopbits") {
    ok = ParseWord(value, kStopWords, serial.stopBits);
  } else if (name == "flowcontrol") {
    ok = ParseWord(value, kFlowWords, serial.flowControl);
  } else if (name == "visalibrary") {
    ok = !value.empty();
    options.visaLibrary = std::string(value);
  } else {
    return SettingResult::NotAConnectionSetting;
  }
  return ok ? SettingResult::Applied : SettingResult::BadValue;
}

}  // namespace tevra::visa
