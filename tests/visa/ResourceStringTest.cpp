// Resource strings: every form parses into its parts and prints back as the canonical name;
// malformed strings are refused with VI_ERROR_INV_RSRC_NAME.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "visa/ResourceString.h"

namespace tevra::visa {
namespace {

struct ValidCase {
  const char* text;
  ResourceKind kind;
  InterfaceType interfaceType;
  std::uint16_t board;
  const char* canonical;
  const char* resourceClass;
  const char* host = "";
  std::uint16_t port = 0;
  const char* deviceName = "";
};

const ValidCase kValid[] = {
    {"TCPIP::192.168.1.5::5025::SOCKET", ResourceKind::TcpipSocket, InterfaceType::Tcpip, 0,
     "TCPIP0::192.168.1.5::5025::SOCKET", "SOCKET", "192.168.1.5", 5025},
    {"tcpip3::Bench-Counter.local::5025::socket", ResourceKind::TcpipSocket, InterfaceType::Tcpip,
     3, "TCPIP3::Bench-Counter.local::5025::SOCKET", "SOCKET", "Bench-Counter.local", 5025},
    {"TCPIP0::[fe80::1%eth0]::65535::SOCKET", ResourceKind::TcpipSocket, InterfaceType::Tcpip, 0,
     "TCPIP0::[fe80::1%eth0]::65535::SOCKET", "SOCKET", "fe80::1%eth0", 65535},
    {"  TCPIP::host::5025::SOCKET\r\n", ResourceKind::TcpipSocket, InterfaceType::Tcpip, 0,
     "TCPIP0::host::5025::SOCKET", "SOCKET", "host", 5025},
    {"TCPIP::10.0.0.5", ResourceKind::TcpipVxi11, InterfaceType::Tcpip, 0,
     "TCPIP0::10.0.0.5::inst0::INSTR", "INSTR", "10.0.0.5", 0, "inst0"},
    {"TCPIP1::10.0.0.5::instr", ResourceKind::TcpipVxi11, InterfaceType::Tcpip, 1,
     "TCPIP1::10.0.0.5::inst0::INSTR", "INSTR", "10.0.0.5", 0, "inst0"},
    {"TCPIP::gateway::gpib0,5::INSTR", ResourceKind::TcpipVxi11, InterfaceType::Tcpip, 0,
     "TCPIP0::gateway::gpib0,5::INSTR", "INSTR", "gateway", 0, "gpib0,5"},
    {"TCPIP::host::hislip0", ResourceKind::TcpipHislip, InterfaceType::Tcpip, 0,
     "TCPIP0::host::hislip0::INSTR", "INSTR", "host", 4880, "hislip0"},
    {"TCPIP::host::HISLIP1,4881::INSTR", ResourceKind::TcpipHislip, InterfaceType::Tcpip, 0,
     "TCPIP0::host::HISLIP1,4881::INSTR", "INSTR", "host", 4881, "HISLIP1"},
    {"TCPIP::host::hislip0,4880::INSTR", ResourceKind::TcpipHislip, InterfaceType::Tcpip, 0,
     "TCPIP0::host::hislip0::INSTR", "INSTR", "host", 4880, "hislip0"},
    {"USB::0x0957::0x1796::MY123::INSTR", ResourceKind::UsbInstr, InterfaceType::Usb, 0,
     "USB0::0x0957::0x1796::MY123::INSTR", "INSTR"},
    {"usb1::2391::6038::MY123::3::raw", ResourceKind::UsbRaw, InterfaceType::Usb, 1,
     "USB1::0x0957::0x1796::MY123::3::RAW", "RAW"},
    {"USB0::0x1ab1::0x04ce::DS1ZA1", ResourceKind::UsbInstr, InterfaceType::Usb, 0,
     "USB0::0x1AB1::0x04CE::DS1ZA1::INSTR", "INSTR"},
    {"ASRL", ResourceKind::AsrlInstr, InterfaceType::Asrl, 0, "ASRL0::INSTR", "INSTR"},
    {"asrl/dev/ttyUSB0::instr", ResourceKind::AsrlInstr, InterfaceType::Asrl, 0,
     "ASRL/dev/ttyUSB0::INSTR", "INSTR", "", 0, "/dev/ttyUSB0"},
    {"GPIB::12::INSTR", ResourceKind::GpibInstr, InterfaceType::Gpib, 0, "GPIB0::12::INSTR",
     "INSTR"},
    {"GPIB1::3::7", ResourceKind::GpibInstr, InterfaceType::Gpib, 1, "GPIB1::3::7::INSTR", "INSTR"},
    {"gpib2::intfc", ResourceKind::GpibIntfc, InterfaceType::Gpib, 2, "GPIB2::INTFC", "INTFC"},
    {"GPIB-VXI::24::INSTR", ResourceKind::GpibVxiInstr, InterfaceType::GpibVxi, 0,
     "GPIB-VXI0::24::INSTR", "INSTR"},
    {"VXI0::1", ResourceKind::VxiInstr, InterfaceType::Vxi, 0, "VXI0::1::INSTR", "INSTR"},
    {"PXI0::5::2::INSTR", ResourceKind::PxiInstr, InterfaceType::Pxi, 0, "PXI0::5::2::INSTR",
     "INSTR"},
};

TEST(ResourceString, EveryFormParsesIntoPartsAndPrintsCanonically) {
  for (const ValidCase& row : kValid) {
    SCOPED_TRACE(row.text);
    ResourceAddress address;
    ASSERT_EQ(ParseResourceString(row.text, address), kViSuccess);
    EXPECT_EQ(address.kind, row.kind);
    EXPECT_EQ(address.interfaceType, row.interfaceType);
    EXPECT_EQ(address.board, row.board);
    EXPECT_EQ(address.resourceClass, row.resourceClass);
    EXPECT_EQ(address.host, row.host);
    EXPECT_EQ(address.port, row.port);
    EXPECT_EQ(address.deviceName, row.deviceName);
    EXPECT_EQ(CanonicalResourceName(address), row.canonical);

    // The canonical name names the same resource.
    ResourceAddress reparsed;
    ASSERT_EQ(ParseResourceString(row.canonical, reparsed), kViSuccess);
    EXPECT_EQ(reparsed, address);
  }
}

TEST(ResourceString, UsbAndGpibParts) {
  ResourceAddress usb;
  ASSERT_EQ(ParseResourceString("USB::2391::0x1796::SN 7::4::INSTR", usb), kViSuccess);
  EXPECT_EQ(usb.vendorId, 0x0957);
  EXPECT_EQ(usb.productId, 0x1796);
  EXPECT_EQ(usb.serialNumber, "SN 7");
  EXPECT_EQ(usb.usbInterface, std::optional<std::uint16_t>(4));

  ResourceAddress gpib;
  ASSERT_EQ(ParseResourceString("GPIB0::30::30::INSTR", gpib), kViSuccess);
  EXPECT_EQ(gpib.primaryAddress, 30);
  EXPECT_EQ(gpib.secondaryAddress, std::optional<std::uint16_t>(30));
}

TEST(ResourceString, MalformedStringsAreRefused) {
  // clang-format off
  const char* const malformed[] = {
      "", "   ", "TCPIP", "TCPIP::", "::TCPIP::host", "TCPIP::host::SOCKET",
      "TCPIP::host::0::SOCKET", "TCPIP::host::65536::SOCKET", "TCPIP::host::50x5::SOCKET",
      "TCPIP::host::-1::SOCKET", "TCPIP::host::5025::RAW", "TCPIP::host::5025::INTFC",
      "TCPIP::::5025::SOCKET", "TCPIP::[::1::5025::SOCKET", "TCPIP::[]::5025::SOCKET",
      "TCPIP::[::1]x::5025::SOCKET", "TCPIP::fe80::1::5025::SOCKET", "TCPIP::host:5025::SOCKET",
      "TCPIP::ho st::5025::SOCKET", "TCPIP::host::hislip0,::INSTR", "TCPIP::host::hislip0,99999",
      "TCPIP::host::hislip0,0::INSTR", "TCPIP::a::b::c::INSTR", "TCPIP::host::5025::SOCKET::",
      "TCPIP::host::5025::SOCKET::SOCKET", "TCPIPX::host", "TCPIP-1::host",
      "TCPIP999999::host::1::SOCKET", "USB::0x0957::0x1796::INSTR", "USB::0x10000::1::S",
      "USB::0xZZ::1::S", "USB::0x::1::S", "USB::1::2::S::300::INSTR", "USB::1::2::S::SOCKET",
      "ASRL::5::INSTR", "ASRL1::SOCKET", "ASRLCOM1::INSTR", "GPIB::31::INSTR", "GPIB::5::31",
      "GPIB::INSTR", "GPIB::5::INTFC", "GPIB0::1::2::3::INSTR", "VXI::256", "VXI::1::2", "PXI::32",
      "PXI::1::8", "FOO::bar", "::", "a::b::c::d::e::f::g::h::i", "ASRL/dev/tty:",
      "TCPIP::host:::5025::SOCKET", "TCPIP::host::inst0:", "TCPIP::host::hislip:,4880",
      "TCPIP::host::hislipA",
  };
  // clang-format on
  for (const char* text : malformed) {
    ResourceAddress address;
    EXPECT_EQ(ParseResourceString(text, address), kViErrorInvRsrcName) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace tevra::visa
