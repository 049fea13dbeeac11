// VISA resource strings (VPP-4.3): parsing every form into its parts, and the canonical name.
//
//   TCPIP[board]::host[::LAN device name][::INSTR]         VXI-11, device name inst0 by default
//   TCPIP[board]::host::hislipN[,port][::INSTR]            HiSLIP, port 4880 by default
//   TCPIP[board]::host::port::SOCKET                       raw socket
//   USB[board]::vid::pid::serial[::interface][::INSTR]     USBTMC
//   USB[board]::vid::pid::serial[::interface]::RAW
//   ASRL[board][::INSTR], ASRL/dev/ttyUSB0[::INSTR]        serial
//   GPIB[board]::primary[::secondary][::INSTR], GPIB[board]::INTFC
//   VXI[board]::logical address[::INSTR], GPIB-VXI[board]::logical address[::INSTR]
//   PXI[bus]::device[::function][::INSTR]
//
// Keywords are case-insensitive; the board defaults to 0; an IPv6 host is written in brackets
// ("[::1]", "[fe80::1%eth0]"). Blanks around the whole string are ignored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "visa/VisaTypes.h"

namespace tevra::visa {

// What serves a resource; the transport registry is keyed by it.
enum class ResourceKind : std::uint8_t {
  TcpipVxi11,   // TCPIP INSTR with a LAN device name
  TcpipHislip,  // TCPIP INSTR with a hislipN device name
  TcpipSocket,
  UsbInstr,
  UsbRaw,
  AsrlInstr,
  GpibInstr,
  GpibIntfc,
  VxiInstr,
  GpibVxiInstr,
  PxiInstr,
};

inline constexpr std::uint16_t kHislipDefaultPort = 4880;

struct ResourceAddress {
  ResourceKind kind = ResourceKind::TcpipSocket;
  InterfaceType interfaceType = InterfaceType::Tcpip;
  std::uint16_t board = 0;    // PXI: the bus number
  std::string resourceClass;  // "INSTR", "SOCKET", "RAW" or "INTFC"

  // TCPIP
  std::string host;        // without the brackets of an IPv6 address
  std::uint16_t port = 0;  // SOCKET: the port; HiSLIP: the port, 4880 by default
  std::string deviceName;  // VXI-11 "inst0" or HiSLIP "hislip0" as written; ASRL: a device path

  // USB
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::string serialNumber;
  std::optional<std::uint16_t> usbInterface;

  // GPIB: primary and secondary address; VXI, GPIB-VXI: logical address in primaryAddress;
  // PXI: device in primaryAddress, function in secondaryAddress
  std::uint16_t primaryAddress = 0;
  std::optional<std::uint16_t> secondaryAddress;

  bool operator==(const ResourceAddress&) const = default;
};

// kViSuccess and the parts, or kViErrorInvRsrcName (address left in an unspecified state).
ViStatus ParseResourceString(std::string_view text, ResourceAddress& address);

// The name VISA reports for the resource: upper-case keywords, the board written out, defaults
// filled in ("TCPIP0::10.0.0.5::inst0::INSTR", "TCPIP0::[::1]::5025::SOCKET",
// "USB0::0x0957::0x1796::MY123::INSTR", "ASRL/dev/ttyUSB0::INSTR", "GPIB0::12::INSTR").
std::string CanonicalResourceName(const ResourceAddress& address);

}  // namespace tevra::visa
