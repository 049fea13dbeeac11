// Finding instruments: the VISA expression language, the sysfs sources over a made-up sysfs tree,
// the portmapper query against the emulator's VXI-11 wire, the services
// the stand-in Avahi announces, and the notes of sources that cannot be asked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "emulator/Vxi11Wire.h"
#include "support/FakeInstrument.h"
#include "support/SysfsTree.h"
#include "visa/FindResources.h"

namespace tevra::visa {
namespace {

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

// Over the made-up sysfs tree.
TEST(FindResources, UsbtmcAndSerialPortsAreFoundAsListed) {
  testing::SysfsTree tree;
  FindOptions options;
  options.roots = tree.roots;
  options.mdns = false;
  FindResult result;
  ASSERT_EQ(FindResources("?*", options, result), kViSuccess);
  const std::string dev = tree.roots.dev;
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"ASRL" + dev + "/ttyS0::INSTR", "UART at 0x3F8"},
      {"ASRL" + dev + "/ttyUSB0::INSTR", "FTDI FT232R"},
      {"USB0::0x0957::0x1796::MY123::2::INSTR", "Acme Counter 9"},
      {"USB0::0x0957::0x1796::MY123::INSTR", "Acme Counter 9"},
      {"USB0::0x0AAD::0x01B0::MY456::1::INSTR", ""},
  };
  ASSERT_EQ(result.found.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(result.found[i].resource, expected[i].first);
    EXPECT_EQ(result.found[i].description, expected[i].second);
  }
  ASSERT_EQ(FindResources("USB?*", options, result), kViSuccess);
  EXPECT_EQ(result.found.size(), 3u);
  EXPECT_EQ(FindResources("GPIB?*", options, result), kViErrorRsrcNfound);
}

TEST(FindResources, TheEmulatorsPortmapperAnswers) {
  emulator::Script script;
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

  // Nobody answering is no answer within the wait, and no note.
  options.vxi11Targets = {"127.0.0.2"};
  options.portmapperPort = 9;
  EXPECT_EQ(FindResources("?*", options, result), kViErrorRsrcNfound);
  EXPECT_TRUE(result.notes.empty());
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

// Every announcement is resolved before the search ends, however late its answer comes, into the
// resource string of its service type; a link-local address keeps the interface it was seen on.
TEST(FindResources, AnnouncedServicesAreResolvedAndListed) {
  setenv("TEVRA_AVAHI_LIBRARY", TEVRA_FAKE_AVAHI_LIBRARY, 1);
  setenv("TEVRA_FAKE_AVAHI_SERVICES",
         "_scpi-raw._tcp|counter-1|10.0.0.5|5025|2;_hislip._tcp|counter-2|fe80::2|4880|1;"
         "_hislip._tcp|counter-3|fe80::1|4881|1;_vxi-11._tcp|counter-4|10.0.0.7|9999|2",
         1);
  FindOptions options;
  options.usb = options.serial = false;
  FindResult result;
  ASSERT_EQ(FindResources("?*", options, result), kViSuccess);
  const char* const expected[] = {
      "TCPIP0::10.0.0.5::5025::SOCKET",
      "TCPIP0::10.0.0.7::inst0::INSTR",
      "TCPIP0::[fe80::1%lo]::hislip0,4881::INSTR",
      "TCPIP0::[fe80::2%lo]::hislip0::INSTR",
  };
  ASSERT_EQ(result.found.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i)
    EXPECT_EQ(result.found[i].resource, expected[i]);
  EXPECT_EQ(result.found[0].description, "counter-1 (counter-1.local, _scpi-raw._tcp)");
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
