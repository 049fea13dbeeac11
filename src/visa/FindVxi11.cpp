// VXI-11 instruments on the local networks: one GETPORT call for the VXI-11 core program, sent
// over UDP to the portmapper of every host (a broadcast address, or the addresses given); every
// host that answers with a port serves the program.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <set>

#include "visa/FindResources.h"
#include "visa/OncRpc.h"
#include "visa/Transport.h"

namespace tevra::visa {
namespace {

constexpr std::uint32_t kVxi11CoreProgram = 0x0607AF;
constexpr std::uint32_t kVxi11CoreVersion = 1;

// The broadcast address of every IPv4 interface that is up and can broadcast.
std::vector<std::string> BroadcastAddresses() {
  std::vector<std::string> addresses;
  ifaddrs* interfaces = nullptr;
  if (getifaddrs(&interfaces) != 0) return addresses;
  for (const ifaddrs* i = interfaces; i; i = i->ifa_next) {
    if (!i->ifa_broadaddr || !i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
    if (!(i->ifa_flags & IFF_UP) || !(i->ifa_flags & IFF_BROADCAST)) continue;
    char text[INET_ADDRSTRLEN];
    const auto* broadcast = reinterpret_cast<const sockaddr_in*>(i->ifa_broadaddr);
    if (inet_ntop(AF_INET, &broadcast->sin_addr, text, sizeof text)) addresses.emplace_back(text);
  }
  freeifaddrs(interfaces);
  return addresses;
}

// Sends the call to target's portmapper; false with a note when the target cannot be reached.
bool SendTo(int descriptor, const std::string& target, std::uint16_t port,
            std::span<const std::uint8_t> call, FindResult& result) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (const int error = getaddrinfo(target.c_str(), nullptr, &hints, &found); error != 0) {
    result.notes.push_back("VXI-11: " + target + ": " + gai_strerror(error));
    return false;
  }
  sockaddr_in address = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  freeaddrinfo(found);
  address.sin_port = htons(port);
  if (sendto(descriptor, call.data(), call.size(), 0, reinterpret_cast<sockaddr*>(&address),
             sizeof address) < 0) {
    result.notes.push_back("VXI-11: " + ErrnoText(("sendto " + target).c_str(), errno));
    return false;
  }
  return true;
}

}  // namespace

void FindVxi11Resources(const FindOptions& options, FindResult& result) {
  const std::vector<std::string> targets =
      options.vxi11Targets.empty() ? BroadcastAddresses() : options.vxi11Targets;
  if (targets.empty()) {
    result.notes.push_back("VXI-11: no network interface that can broadcast is up");
    return;
  }
  const int descriptor = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (descriptor < 0) {
    result.notes.push_back("VXI-11: " + ErrnoText("socket", errno));
    return;
  }
  const int on = 1;
  setsockopt(descriptor, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);

  const std::uint32_t xid = std::random_device{}();
  std::vector<std::uint8_t> call;
  rpc::BeginCall(call, xid, rpc::kPortmapperProgram, rpc::kPortmapperVersion,
                 rpc::kPortmapperGetPort);
  rpc::XdrWriter args(call);
  for (std::uint32_t word : {kVxi11CoreProgram, kVxi11CoreVersion, rpc::kProtocolTcp, 0u})
    args.U32(word);
  // Over UDP a call is one datagram, without the record mark TCP puts before it.
  const std::span<const std::uint8_t> message = std::span(call).subspan(4);
  bool sent = false;
  for (const std::string& target : targets)
    sent = SendTo(descriptor, target, options.portmapperPort, message, result) || sent;

  std::set<std::string> hosts;
  const auto started = std::chrono::steady_clock::now();
  while (sent) {
    pollfd watched{descriptor, POLLIN, 0};
    const int ready = poll(&watched, 1, RemainingMs(options.waitMs, started));
    if (ready <= 0) break;
    std::uint8_t reply[512];
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t received =
        recvfrom(descriptor, reply, sizeof reply, 0, reinterpret_cast<sockaddr*>(&from), &length);
    if (received < 0) continue;
    std::span<const std::uint8_t> results;
    std::string detail;
    if (rpc::DecodeReply({reply, static_cast<std::size_t>(received)}, xid, results, detail) !=
        rpc::ReplyKind::Success)
      continue;
    rpc::XdrReader r(results);
    const std::uint32_t port = r.U32();
    char host[INET_ADDRSTRLEN];
    if (r.Failed() || port == 0 || !inet_ntop(AF_INET, &from.sin_addr, host, sizeof host)) continue;
    if (!hosts.insert(host).second) continue;
    result.found.push_back(
        {LanResource(ResourceKind::TcpipVxi11, host, 0), "vxi11",
         "portmapper at " + std::string(host) + " serves VXI-11 on port " + std::to_string(port)});
  }
  close(descriptor);
}

}  // namespace tevra::visa
