// Finding instruments: the VISA expression language, the sysfs sources over a made-up sysfs
// tree, the portmapper query against the emulator's VXI-11 wire (whose answer then opens), the
// mDNS service names, and the notes of sources that cannot be asked.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "emulator/Vxi11Wire.h"
#include "support/FakeInstrument.h"
#include "support/ScratchFolder.h"
#include "support/SessionReads.h"
#include "visa/FindResources.h"
#include "visa/ResourceManager.h"

namespace tevra::visa {
namespace {

namespace fs = std::filesystem;

TEST(FindResources, ExpressionsMatchAsVisaDoes) {
  struct Case {
    const char* expression;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"?*::INSTR", "USB0::0x0957::0x1796::MY1::INSTR", true},
      {"?*::INSTR", "TCPIP0::10.0.0.5::5025::SOCKET", false},
      {"?*", "ASRL/dev/ttyS0::INSTR", true},
      {"usb?*", "USB0::0x0957::0x1796::MY1::INSTR", true},  // case is ignored
      {"TCPIP?*|ASRL?*", "ASRL/dev/ttyS0::INSTR", true},
      {"TCPIP?*|ASRL?*", "USB0::0x1::0x2::S::INSTR", false},
      {"GPIB[0-9]::1+::INSTR", "GPIB0::11::INSTR", true},
      {"GPIB[^0]?*", "GPIB0::11::INSTR", false},
      {"TCPIP0::10.0.0.5?*", "TCPIP0::10a0b0c5::inst0::INSTR", false},  // a dot is a dot
      {"(USB|TCPIP)0::?*", "TCPIP0::h::inst0::INSTR", true},
      {"USB0", "USB0::0x1::0x2::S::INSTR", false},  // the whole name must match
  };
  for (const Case& c : cases) {
    bool valid = false;
    EXPECT_EQ(MatchesResourceExpression(c.expression, c.name, valid), c.matches)
        << c.expression << " on " << c.name;
    EXPECT_TRUE(valid) << c.expression;
  }
  for (const char* bad : {"", "*", "USB[0-9", "?*{VI_ATTR_INTF_NUM==0}", "USB\\"}) {
    bool valid = true;
    MatchesResourceExpression(bad, "USB0::0x1::0x2::S::INSTR", valid);
    EXPECT_FALSE(valid) << bad;
    FindResult result;
    EXPECT_EQ(FindResources(bad, FindOptions{}, result), kViErrorInvExpr) << bad;
  }
}

void WriteFile(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << text << "\n";
}

// A sysfs tree with two usbtmc interfaces of one instrument, a USB serial adapter, a legacy
// UART that is present, one that is not, and a virtual console.
class SysfsTree : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path sys = scratch_.path() / "sys";
    const fs::path usb = sys / "devices/pci0000:00/usb1/1-1";
    WriteFile(usb / "idVendor", "0957");
    WriteFile(usb / "idProduct", "1796");
    WriteFile(usb / "serial", "MY123");
    WriteFile(usb / "manufacturer", "Acme");
    WriteFile(usb / "product", "Counter 9");
    WriteFile(usb / "1-1:1.0/bInterfaceNumber", "00");
    WriteFile(usb / "1-1:1.2/bInterfaceNumber", "02");
    Link(usb / "1-1:1.0", sys / "class/usbmisc/usbtmc0/device");
    Link(usb / "1-1:1.2", sys / "class/usbmisc/usbtmc1/device");

    const fs::path adapter = sys / "devices/pci0000:00/usb1/1-2";
    WriteFile(adapter / "idVendor", "0403");
    WriteFile(adapter / "manufacturer", "FTDI");
    WriteFile(adapter / "product", "FT232R");
    fs::create_directories(adapter / "1-2:1.0/ttyUSB0");
    Link(adapter / "1-2:1.0/ttyUSB0", sys / "class/tty/ttyUSB0/device");

    const fs::path uart = sys / "devices/platform/serial8250";
    fs::create_directories(uart);
    Link(uart, sys / "class/tty/ttyS0/device");
    WriteFile(sys / "class/tty/ttyS0/type", "4");
    WriteFile(sys / "class/tty/ttyS0/port", "0x3F8");
    Link(uart, sys / "class/tty/ttyS1/device");
    WriteFile(sys / "class/tty/ttyS1/type", "0");
    fs::create_directories(sys / "class/tty/tty0");

    options_.roots = {.sysfs = sys.string(), .dev = (scratch_.path() / "dev").string()};
    options_.mdns = false;
  }
  static void Link(const fs::path& target, const fs::path& link) {
    fs::create_directories(link.parent_path());
    fs::create_directory_symlink(target, link);
  }

  testing::ScratchFolder scratch_;
  FindOptions options_;
};

TEST_F(SysfsTree, UsbtmcAndSerialPortsAreFoundAndOpenAsListed) {
  FindResult result;
  ASSERT_EQ(FindResources("?*", options_, result), kViSuccess);
  const std::string dev = options_.roots.dev;
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"ASRL" + dev + "/ttyS0::INSTR", "UART at 0x3F8"},
      {"ASRL" + dev + "/ttyUSB0::INSTR", "FTDI FT232R"},
      {"USB0::0x0957::0x1796::MY123::2::INSTR", "Acme Counter 9"},
      {"USB0::0x0957::0x1796::MY123::INSTR", "Acme Counter 9"},
  };
  ASSERT_EQ(result.found.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(result.found[i].resource, expected[i].first);
    EXPECT_EQ(result.found[i].description, expected[i].second);
  }
  // Each USB resource leads back to its own node.
  for (const auto& [resource, node] :
       {std::pair{expected[2].first, "/usbtmc1"}, std::pair{expected[3].first, "/usbtmc0"}}) {
    ResourceAddress address;
    ASSERT_EQ(ParseResourceString(resource, address), kViSuccess) << resource;
    std::string found, detail;
    ASSERT_EQ(FindUsbtmcNode(address, options_.roots, found, detail), kViSuccess) << detail;
    EXPECT_EQ(found, dev + node);
  }
  ASSERT_EQ(FindResources("USB?*", options_, result), kViSuccess);
  EXPECT_EQ(result.found.size(), 2u);
  EXPECT_EQ(FindResources("GPIB?*", options_, result), kViErrorRsrcNfound);
}

TEST(FindResources, TheEmulatorsPortmapperAnswersAndItsInstrumentOpens) {
  emulator::Script script;
  script.On("*IDN?").Reply("ACME,1\n");
  emulator::Loop loop(script, false, emulator::Milliseconds(20000));
  std::string resource;
  std::shared_ptr<emulator::Vxi11Log> log;
  ASSERT_TRUE(emulator::SetUpVxi11Wire(loop, resource, emulator::Vxi11Options{}, log));
  ASSERT_TRUE(loop.Start());

  FindOptions options = FindOptions::FromEnvironment();  // the emulator's portmapper port
  options.usb = options.serial = options.mdns = false;
  options.visaLibrary.clear();
  options.vxi11 = true;
  options.vxi11Targets = {"127.0.0.1", "no-such-host.invalid"};
  options.waitMs = 300;
  FindResult result;
  ASSERT_EQ(FindResources("?*", options, result), kViSuccess);
  ASSERT_EQ(result.found.size(), 1u);
  EXPECT_EQ(result.found[0].resource, "TCPIP0::127.0.0.1::inst0::INSTR");
  EXPECT_EQ(result.found[0].source, "vxi11");
  ASSERT_EQ(result.notes.size(), 1u);
  EXPECT_TRUE(result.notes[0].starts_with("VXI-11: no-such-host.invalid: ")) << result.notes[0];

  ResourceManager manager;
  std::unique_ptr<VisaSession> session;
  ASSERT_EQ(manager.Open(result.found[0].resource, AccessMode::NoLock, 2000, session), kViSuccess)
      << manager.LastErrorDescription();
  ASSERT_EQ(testing::WriteText(*session, "*IDN?\n"), kViSuccess);
  testing::ExpectRead(*session, 100, kViSuccess, "ACME,1\n");

  // Nobody answering is no answer within the wait, and no note.
  options.vxi11Targets = {"127.0.0.2"};
  options.portmapperPort = 9;
  EXPECT_EQ(FindResources("?*", options, result), kViErrorRsrcNfound);
  EXPECT_TRUE(result.notes.empty());
}

TEST(FindResources, MdnsServicesBecomeTheirResourceStrings) {
  struct Case {
    const char* type;
    const char* address;
    std::uint16_t port;
    const char* resource;
  };
  const Case cases[] = {
      {"_scpi-raw._tcp", "10.0.0.5", 5025, "TCPIP0::10.0.0.5::5025::SOCKET"},
      {"_hislip._tcp", "10.0.0.5", 4880, "TCPIP0::10.0.0.5::hislip0::INSTR"},
      {"_hislip._tcp", "fe80::1%eth0", 4881, "TCPIP0::[fe80::1%eth0]::hislip0,4881::INSTR"},
      {"_vxi-11._tcp", "10.0.0.5", 9999, "TCPIP0::10.0.0.5::inst0::INSTR"},
      {"_http._tcp", "10.0.0.5", 80, ""},
  };
  for (const Case& c : cases) {
    const std::string resource = MdnsServiceResource(c.type, c.address, c.port);
    EXPECT_EQ(resource, c.resource) << c.type;
    ResourceAddress parsed;
    if (!resource.empty()) {
      EXPECT_EQ(ParseResourceString(resource, parsed), kViSuccess);
    }
  }
}

TEST(FindResources, AVisaLibraryListsWhatItServes) {
  testing::FakeInstrument fake(testing::FakeInstrument::Options{.wire = testing::FakeWire::Visa});
  ASSERT_TRUE(fake.Start());
  FindOptions options = FindOptions::FromEnvironment();  // the wire names its library
  options.usb = options.serial = options.mdns = false;
  FindResult result;
  ASSERT_EQ(FindResources("GPIB?*", options, result), kViSuccess);
  const auto listed = std::find_if(result.found.begin(), result.found.end(), [&](const auto& f) {
    return f.resource == fake.ResourceName();
  });
  ASSERT_NE(listed, result.found.end()) << fake.ResourceName();
  EXPECT_EQ(listed->source, "visa");
}

// Every announcement is resolved before the search ends, however late its answer comes; a
// link-local address keeps the interface it was seen on.
TEST(FindResources, AnnouncedServicesAreResolvedAndListed) {
  setenv("TEVRA_AVAHI_LIBRARY", TEVRA_FAKE_AVAHI_LIBRARY, 1);
  setenv("TEVRA_FAKE_AVAHI_SERVICES",
         "_scpi-raw._tcp|counter-1|10.0.0.5|5025|2;_hislip._tcp|counter-2|fe80::2|4880|1", 1);
  FindOptions options;
  options.usb = options.serial = false;
  FindResult result;
  ASSERT_EQ(FindResources("?*", options, result), kViSuccess);
  ASSERT_EQ(result.found.size(), 2u);
  EXPECT_EQ(result.found[0].resource, "TCPIP0::10.0.0.5::5025::SOCKET");
  EXPECT_EQ(result.found[0].description, "counter-1 (counter-1.local, _scpi-raw._tcp)");
  EXPECT_EQ(result.found[1].resource, "TCPIP0::[fe80::2%lo]::hislip0::INSTR");
  EXPECT_TRUE(result.notes.empty());

  setenv("TEVRA_FAKE_AVAHI_NO_DAEMON", "1", 1);
  EXPECT_EQ(FindResources("?*", options, result), kViErrorRsrcNfound);
  EXPECT_EQ(result.notes, std::vector<std::string>{"mDNS: Daemon not running"});
  for (const char* name :
       {"TEVRA_AVAHI_LIBRARY", "TEVRA_FAKE_AVAHI_SERVICES", "TEVRA_FAKE_AVAHI_NO_DAEMON"})
    unsetenv(name);
}

TEST(FindResources, ASourceThatCannotBeAskedLeavesANote) {
  setenv("TEVRA_AVAHI_LIBRARY", "/nonexistent/libavahi-client.so.3", 1);
  FindOptions options;
  options.usb = options.serial = false;
  options.visaLibrary = "/nonexistent/libvisa.so";
  FindResult result;
  EXPECT_EQ(FindResources("?*", options, result), kViErrorRsrcNfound);
  unsetenv("TEVRA_AVAHI_LIBRARY");
  ASSERT_EQ(result.notes.size(), 2u);
  EXPECT_EQ(result.notes[0],
            "mDNS: Avahi's client library (/nonexistent/libavahi-client.so.3) is not installed");
  EXPECT_TRUE(result.notes[1].starts_with("VISA library: ")) << result.notes[1];
}

}  // namespace
}  // namespace tevra::visa
