// How a resource is opened, beyond its resource string: the serial line settings and the system
// VISA library. The driver takes them from its DriverSetup text:
//
//   BaudRate=9600       any rate the port accepts (default 9600)
//   DataBits=8          5, 6, 7 or 8 (default 8)
//   Parity=None         None, Odd, Even, Mark or Space (default None)
//   StopBits=1          1, 1.5 or 2 (default 1)
//   FlowControl=None    None, XonXoff, RtsCts or DtrDsr (default None)
//   VisaLibrary=PATH    open every resource through this VISA library; "Default" searches for
//                       one (libvisa.so, libiovisa.so, librsvisa.so, libivivisa.so, in that
//                       order), "None" never uses one
//
// Without VisaLibrary, a resource no built-in transport serves (GPIB, VXI, PXI) is opened through
// the library the environment variable TEVRA_VISA_LIBRARY names, else through one the search
// finds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "visa/VisaTypes.h"

namespace tevra::visa {

struct SerialSettings {
  std::uint32_t baudRate = 9600;
  std::uint16_t dataBits = 8;
  Parity parity = Parity::None;
  StopBits stopBits = StopBits::One;
  FlowControl flowControl = FlowControl::None;
};

struct OpenOptions {
  SerialSettings serial;
  // A path or file name to load for every resource; "default" to search; "none" to never load
  // one; empty when nothing was said.
  std::string visaLibrary;
};

enum class SettingResult : std::uint8_t { NotAConnectionSetting, Applied, BadValue };

// Applies one DriverSetup pair (name in lower case, value trimmed) if it is a connection setting.
SettingResult ApplyConnectionSetting(std::string_view name, std::string_view value,
                                     OpenOptions& options);

}  // namespace tevra::visa
