// Resource strings: every form parses into its parts and prints back as the canonical name;
// malformed strings are refused with VI_ERROR_INV_RSRC_NAME.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "visa/ResourceString.h"

namespace tevra::visa {
namespace {

// Each form with its canonical name; the canonical name parses to the same address.
const std::pair<const char*, const char*> kValid[] = {
    {"tcpip3::Bench-Counter.local::5025::socket", "TCPIP3::Bench-Counter.local::5025::SOCKET"},
    {"  TCPIP::host::5025::SOCKET\r\n", "TCPIP0::host::5025::SOCKET"},
    {"TCPIP::10.0.0.5", "TCPIP0::10.0.0.5::inst0::INSTR"},
    {"TCPIP::gateway::gpib0,5::INSTR", "TCPIP0::gateway::gpib0,5::INSTR"},
    {"TCPIP::host::hislip0,4880::INSTR", "TCPIP0::host::hislip0::INSTR"},
    {"TCPIP::host::HISLIP1,4881::INSTR", "TCPIP0::host::HISLIP1,4881::INSTR"},
    {"usb1::2391::6038::MY123::3::raw", "USB1::0x0957::0x1796::MY123::3::RAW"},
    {"asrl/dev/ttyUSB0::instr", "ASRL/dev/ttyUSB0::INSTR"},
    {"GPIB1::3::7", "GPIB1::3::7::INSTR"},
    {"gpib2::intfc", "GPIB2::INTFC"},
    {"GPIB-VXI::24::INSTR", "GPIB-VXI0::24::INSTR"},
    {"PXI0::5::2::INSTR", "PXI0::5::2::INSTR"},
};

TEST(ResourceString, EveryFormPrintsCanonicallyAndReparsesToItself) {
  for (const auto& [text, canonical] : kValid) {
    ResourceAddress address, reparsed;
    ASSERT_EQ(ParseResourceString(text, address), kViSuccess) << text;
    EXPECT_EQ(CanonicalResourceName(address), canonical);
    ASSERT_EQ(ParseResourceString(canonical, reparsed), kViSuccess);
    EXPECT_EQ(reparsed, address) << canonical;
  }
  ResourceAddress a;
  ASSERT_EQ(ParseResourceString("TCPIP0::[fe80::1%eth0]::65535::SOCKET", a), kViSuccess);
  EXPECT_EQ(a.kind, ResourceKind::TcpipSocket);
  EXPECT_EQ(a.host, "fe80::1%eth0");
  EXPECT_EQ(a.port, 65535);
  ASSERT_EQ(ParseResourceString("TCPIP::host::hislip0", a), kViSuccess);
  EXPECT_EQ(a.kind, ResourceKind::TcpipHislip);
  EXPECT_EQ(a.port, 4880);
  EXPECT_EQ(a.deviceName, "hislip0");
  ASSERT_EQ(ParseResourceString("USB::2391::0x1796::SN 7::4::INSTR", a), kViSuccess);
  EXPECT_EQ(a.productId, 0x1796);
  EXPECT_EQ(a.serialNumber, "SN 7");
  EXPECT_EQ(a.usbInterface, std::optional<std::uint16_t>(4));
  ASSERT_EQ(ParseResourceString("GPIB::30::30::INSTR", a), kViSuccess);
  EXPECT_EQ(a.primaryAddress, 30);
  EXPECT_EQ(a.secondaryAddress, std::optional<std::uint16_t>(30));
}

TEST(ResourceString, MalformedStringsAreRefused) {
  // clang-format off
  const char* const malformed[] = {
      "", "TCPIP", "TCPIP::", "::TCPIP::host", "TCPIP::host::SOCKET",
      "TCPIP::host::0::SOCKET", "TCPIP::host::65536::SOCKET", "TCPIP::host::50x5::SOCKET",
      "TCPIP::host::5025::RAW", "TCPIP::::5025::SOCKET", "TCPIP::[::1::5025::SOCKET",
      "TCPIP::[::1]x::5025::SOCKET", "TCPIP::fe80::1::5025::SOCKET", "TCPIP::host:5025::SOCKET",
      "TCPIP::ho st::5025::SOCKET", "TCPIP::host::hislip0,::INSTR", "TCPIP::host::hislip0,0::INSTR",
      "TCPIP::a::b::c::INSTR", "TCPIP::host::5025::SOCKET::", "TCPIPX::host", "TCPIP-1::host",
      "TCPIP999999::host::1::SOCKET", "USB::0x0957::0x1796::INSTR", "USB::0x10000::1::S",
      "USB::0xZZ::1::S", "USB::1::2::S::300::INSTR", "ASRL::5::INSTR", "ASRLCOM1::INSTR",
      "GPIB::31::INSTR", "GPIB::5::31", "GPIB::5::INTFC", "VXI::256", "PXI::32", "PXI::1::8",
      "FOO::bar", "ASRL/dev/tty:", "TCPIP::host:::5025::SOCKET", "TCPIP::host::hislipA",
  };
  // clang-format on
  for (const char* text : malformed) {
    ResourceAddress address;
    EXPECT_EQ(ParseResourceString(text, address), kViErrorInvRsrcName) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace tevra::visa
