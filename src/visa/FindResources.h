// Finding instruments, as viFindRsrc does: every resource string found is one that opens as
// listed. Where they come from:
//   - USBTMC instruments bound by the usbtmc driver, from sysfs;
//   - serial ports that have hardware behind them, from sysfs (a legacy 8250 port only when a
//     UART answers at its address);
//   - VXI-11 instruments, by asking the portmapper of every host on the local networks (a UDP
//     broadcast, or the addresses given) for the VXI-11 core program; only when asked for,
//     because it sends packets;
//   - LAN instruments announced over mDNS/DNS-SD (_scpi-raw._tcp, _hislip._tcp, _vxi-11._tcp),
//     through Avahi's client library when it is installed and its daemon runs;
//   - the resources of a system VISA library, when one is named.
// A source that cannot be asked (no Avahi, no daemon, a library that will not load) adds a note
// and leaves the others' answers standing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "visa/ResourceString.h"
#include "visa/UsbtmcTransport.h"
#include "visa/VisaTypes.h"

namespace tevra::visa {

struct FindOptions {
  UsbtmcRoots roots;  // where sysfs and the device nodes are
  bool usb = true;
  bool serial = true;
  bool mdns = true;
  bool vxi11 = false;  // the portmapper query; sends packets
  // Where the portmapper query goes: addresses (unicast or a subnet's broadcast address); empty
  // means the broadcast address of every interface that is up.
  std::vector<std::string> vxi11Targets;
  std::uint16_t portmapperPort = 111;
  std::uint32_t waitMs = 1000;  // how long the network sources listen for answers
  std::string visaLibrary;      // a system VISA library to ask as well (a path or a file name)
  // The options with the roots, the portmapper port (TEVRA_PORTMAPPER_PORT) and the VISA library
  // (TEVRA_VISA_LIBRARY) the environment names.
  static FindOptions FromEnvironment();
};

struct FoundResource {
  std::string resource;     // "USB0::0x0957::0x1796::MY123::INSTR"
  std::string source;       // "usbtmc", "serial", "vxi11", "mdns", "visa"
  std::string description;  // what the source said of it ("Agilent 53230A", "counter-7 (mDNS)")
};

struct FindResult {
  std::vector<FoundResource> found;  // sorted by resource, each resource once
  std::vector<std::string> notes;    // why a source gave nothing ("mDNS: no Avahi daemon runs")
};

// viFindRsrc: every resource the sources find whose name matches expression, a VISA regular
// expression ("?*::INSTR", "USB?*", "TCPIP?*|ASRL?*"): ? is any one character, * and + repeat
// the item before them, [list] and [^list] are character sets, | separates alternatives and ()
// groups; case is ignored and the whole name must match. kViErrorInvExpr for an expression that
// is not one, kViErrorRsrcNfound when nothing matched (the notes say which sources were
// silent).
ViStatus FindResources(std::string_view expression, const FindOptions& options, FindResult& result);

// Whether name matches the VISA regular expression; false with valid false for a bad one.
bool MatchesResourceExpression(std::string_view expression, std::string_view name, bool& valid);

// The sources, each on its own (the serial and USB ones read sysfs below roots).
void FindUsbtmcResources(const UsbtmcRoots& roots, FindResult& result);
void FindSerialResources(const UsbtmcRoots& roots, FindResult& result);
void FindVxi11Resources(const FindOptions& options, FindResult& result);
void FindMdnsResources(const FindOptions& options, FindResult& result);
void FindLibraryResources(const FindOptions& options, FindResult& result);

// The canonical resource string of a LAN instrument found at host (an IPv6 address without
// brackets): port is the socket's or HiSLIP's; VXI-11 ignores it.
std::string LanResource(ResourceKind kind, std::string_view host, std::uint16_t port);

// The resource string of an mDNS service: its type, the address it resolved to (an IPv6
// address without brackets) and its port; empty for a type that is not an instrument's.
std::string MdnsServiceResource(std::string_view type, std::string_view address,
                                std::uint16_t port);

}  // namespace tevra::visa
