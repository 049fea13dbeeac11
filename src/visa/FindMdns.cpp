// LAN instruments announced over mDNS/DNS-SD, through Avahi's client library. The library is
// loaded when a search asks for it (libavahi-client.so.3, or the file TEVRA_AVAHI_LIBRARY
// names), so the driver neither needs Avahi to build nor to run: without the library, or without
// its daemon, the search notes why and goes on.
//
// The search browses the three instrument service types, resolves every service it is told of,
// and stops when every browser has reported all it knows for now and every resolution has
// ended, or when the wait is over.
#include <dlfcn.h>
#include <net/if.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "visa/FindResources.h"
#include "visa/Transport.h"

namespace tevra::visa {
namespace {

// The parts of Avahi's C interface the search uses: opaque objects, and the values of its enums.
struct AvahiSimplePoll;
struct AvahiPoll;
struct AvahiClient;
struct AvahiServiceBrowser;
struct AvahiServiceResolver;
struct AvahiAddress;
struct AvahiStringList;

constexpr int kIfUnspecified = -1;     // AVAHI_IF_UNSPEC
constexpr int kProtoUnspecified = -1;  // AVAHI_PROTO_UNSPEC
constexpr int kBrowserNew = 0;         // AVAHI_BROWSER_NEW
constexpr int kBrowserAllForNow = 3;   // AVAHI_BROWSER_ALL_FOR_NOW
constexpr int kBrowserFailure = 4;     // AVAHI_BROWSER_FAILURE
constexpr int kResolverFound = 0;      // AVAHI_RESOLVER_FOUND
constexpr int kClientFailure = 100;    // AVAHI_CLIENT_FAILURE

using ClientCallback = void (*)(AvahiClient*, int state, void* userdata);
using BrowserCallback = void (*)(AvahiServiceBrowser*, int interface, int protocol, int event,
                                 const char* name, const char* type, const char* domain, int flags,
                                 void* userdata);
using ResolverCallback = void (*)(AvahiServiceResolver*, int interface, int protocol, int event,
                                  const char* name, const char* type, const char* domain,
                                  const char* hostName, const AvahiAddress* address,
                                  std::uint16_t port, AvahiStringList* txt, int flags,
                                  void* userdata);

struct Avahi {
  AvahiSimplePoll* (*simplePollNew)();
  const AvahiPoll* (*simplePollGet)(AvahiSimplePoll*);
  int (*simplePollIterate)(AvahiSimplePoll*, int sleepMs);
  void (*simplePollFree)(AvahiSimplePoll*);
  AvahiClient* (*clientNew)(const AvahiPoll*, int flags, ClientCallback, void*, int* error);
  void (*clientFree)(AvahiClient*);
  AvahiServiceBrowser* (*browserNew)(AvahiClient*, int interface, int protocol, const char* type,
                                     const char* domain, int flags, BrowserCallback, void*);
  AvahiServiceResolver* (*resolverNew)(AvahiClient*, int interface, int protocol, const char* name,
                                       const char* type, const char* domain, int addressProtocol,
                                       int flags, ResolverCallback, void*);
  void (*resolverFree)(AvahiServiceResolver*);
  char* (*addressPrint)(char* text, std::size_t size, const AvahiAddress*);
  const char* (*errorText)(int error);
};

constexpr const char* kServiceTypes[] = {"_scpi-raw._tcp", "_hislip._tcp", "_vxi-11._tcp"};

template <class F>
void Resolve(void* library, const char* symbol, F& function, std::string& missing) {
  function = reinterpret_cast<F>(dlsym(library, symbol));
  if (!function && missing.empty()) missing = symbol;
}

// Loads the library (a library already loaded is only counted again, and never unloaded: Avahi
// may keep state of its own); false with why filled when it cannot be used.
bool LoadAvahi(Avahi& a, std::string& why) {
  const char* named = std::getenv("TEVRA_AVAHI_LIBRARY");
  const std::string name = named && *named ? named : "libavahi-client.so.3";
  void* library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    why = "Avahi's client library (" + name + ") is not installed";
    return false;
  }
  std::string missing;
  Resolve(library, "avahi_simple_poll_new", a.simplePollNew, missing);
  Resolve(library, "avahi_simple_poll_get", a.simplePollGet, missing);
  Resolve(library, "avahi_simple_poll_iterate", a.simplePollIterate, missing);
  Resolve(library, "avahi_simple_poll_free", a.simplePollFree, missing);
  Resolve(library, "avahi_client_new", a.clientNew, missing);
  Resolve(library, "avahi_client_free", a.clientFree, missing);
  Resolve(library, "avahi_service_browser_new", a.browserNew, missing);
  Resolve(library, "avahi_service_resolver_new", a.resolverNew, missing);
  Resolve(library, "avahi_service_resolver_free", a.resolverFree, missing);
  Resolve(library, "avahi_address_snprint", a.addressPrint, missing);
  Resolve(library, "avahi_strerror", a.errorText, missing);
  if (missing.empty()) return true;
  why = name + " has no " + missing;
  return false;
}

struct Search {
  const Avahi& avahi;
  AvahiClient* client = nullptr;
  FindResult& result;
  int browsersDone = 0;
  int resolving = 0;
  bool clientFailed = false;
};

void OnClient(AvahiClient*, int state, void* userdata) {
  if (state == kClientFailure) static_cast<Search*>(userdata)->clientFailed = true;
}

void OnResolved(AvahiServiceResolver* resolver, int interface, int, int event, const char* name,
                const char* type, const char*, const char* hostName, const AvahiAddress* address,
                std::uint16_t port, AvahiStringList*, int, void* userdata) {
  Search& search = *static_cast<Search*>(userdata);
  if (event == kResolverFound && address && type) {
    char text[64] = {};
    search.avahi.addressPrint(text, sizeof text, address);
    std::string host = text;
    // A link-local IPv6 address is reachable only through the interface it was seen on.
    char interfaceName[IF_NAMESIZE];
    if (host.starts_with("fe80:") &&
        if_indextoname(static_cast<unsigned>(interface), interfaceName))
      host += std::string("%") + interfaceName;
    const std::string resource = MdnsServiceResource(type, host, port);
    if (!resource.empty())
      search.result.found.push_back(
          {resource, "mdns",
           std::string(name ? name : "") + " (" + (hostName ? hostName : "") + ", " + type + ")"});
  }
  search.avahi.resolverFree(resolver);
  --search.resolving;
}

void OnBrowsed(AvahiServiceBrowser*, int interface, int protocol, int event, const char* name,
               const char* type, const char* domain, int, void* userdata) {
  Search& search = *static_cast<Search*>(userdata);
  if (event == kBrowserNew) {
    if (search.avahi.resolverNew(search.client, interface, protocol, name, type, domain,
                                 kProtoUnspecified, 0, &OnResolved, &search))
      ++search.resolving;
  } else if (event == kBrowserAllForNow || event == kBrowserFailure) {
    ++search.browsersDone;
  }
}

}  // namespace

void FindMdnsResources(const FindOptions& options, FindResult& result) {
  Avahi loaded{};
  std::string why;
  if (!LoadAvahi(loaded, why)) {
    result.notes.push_back("mDNS: " + why);
    return;
  }
  const Avahi* avahi = &loaded;
  AvahiSimplePoll* poll = avahi->simplePollNew();
  if (!poll) {
    result.notes.push_back("mDNS: Avahi could not make its event loop");
    return;
  }
  Search search{*avahi, nullptr, result};
  int error = 0;
  search.client = avahi->clientNew(avahi->simplePollGet(poll), 0, &OnClient, &search, &error);
  if (!search.client) {
    result.notes.push_back(std::string("mDNS: ") + avahi->errorText(error));
    avahi->simplePollFree(poll);
    return;
  }
  int browsers = 0;
  for (const char* type : kServiceTypes) {
    if (avahi->browserNew(search.client, kIfUnspecified, kProtoUnspecified, type, nullptr, 0,
                          &OnBrowsed, &search))
      ++browsers;
  }
  const auto started = std::chrono::steady_clock::now();
  while (!search.clientFailed && (search.browsersDone < browsers || search.resolving > 0)) {
    const int left = RemainingMs(options.waitMs, started);
    if (left == 0 || avahi->simplePollIterate(poll, left) != 0) break;
  }
  if (search.clientFailed) result.notes.push_back("mDNS: the Avahi daemon went away");
  // Freeing the client frees the browsers and the resolvers still under way.
  avahi->clientFree(search.client);
  avahi->simplePollFree(poll);
}

}  // namespace tevra::visa
