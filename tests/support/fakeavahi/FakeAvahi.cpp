// A stand-in for Avahi's client library, loaded by the mDNS search in tests: it announces the
// services TEVRA_FAKE_AVAHI_SERVICES lists ("type|name|address|port|interface;..."), or has no
// daemon when TEVRA_FAKE_AVAHI_NO_DAEMON is set. Like the real library it calls back only from
// avahi_simple_poll_iterate: a browser reports its services and then "all for now", and each
// resolution answers on a later turn, after the browsers' reports.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Service {
  std::string type, name, address;
  std::uint16_t port;
  int interface;
};

std::vector<Service> Services() {
  std::vector<Service> services;
  const char* text = std::getenv("TEVRA_FAKE_AVAHI_SERVICES");
  std::stringstream all(text ? text : "");
  for (std::string entry; std::getline(all, entry, ';');) {
    std::stringstream fields(entry);
    Service s;
    std::string port, interface;
    std::getline(fields, s.type, '|');
    std::getline(fields, s.name, '|');
    std::getline(fields, s.address, '|');
    std::getline(fields, port, '|');
    std::getline(fields, interface, '|');
    s.port = static_cast<std::uint16_t>(std::atoi(port.c_str()));
    s.interface = std::atoi(interface.c_str());
    services.push_back(s);
  }
  return services;
}

struct Poll {
  std::deque<std::function<void()>> events;
};
struct Client {
  Poll* poll;
};
struct Address {
  std::string text;
};

using BrowserCallback = void (*)(void*, int, int, int, const char*, const char*, const char*, int,
                                 void*);
using ResolverCallback = void (*)(void*, int, int, int, const char*, const char*, const char*,
                                  const char*, const void*, std::uint16_t, void*, int, void*);

}  // namespace

FAKE_EXPORT void* avahi_simple_poll_new() { return new Poll; }
FAKE_EXPORT void* avahi_simple_poll_get(void* poll) { return poll; }
FAKE_EXPORT void avahi_simple_poll_free(void* poll) { delete static_cast<Poll*>(poll); }
FAKE_EXPORT int avahi_simple_poll_iterate(void* poll, int) {
  auto& events = static_cast<Poll*>(poll)->events;
  if (events.empty()) return 0;
  const std::function<void()> event = std::move(events.front());
  events.pop_front();
  event();
  return 0;
}

FAKE_EXPORT void* avahi_client_new(void* poll, int, void*, void*, int* error) {
  if (std::getenv("TEVRA_FAKE_AVAHI_NO_DAEMON")) {
    *error = -26;
    return nullptr;
  }
  return new Client{static_cast<Poll*>(poll)};
}
FAKE_EXPORT void avahi_client_free(void* client) { delete static_cast<Client*>(client); }
FAKE_EXPORT const char* avahi_strerror(int error) {
  return error == -26 ? "Daemon not running" : "Unknown error";
}

FAKE_EXPORT void* avahi_service_browser_new(void* client, int, int, const char* type, const char*,
                                            int, BrowserCallback callback, void* userdata) {
  Poll* poll = static_cast<Client*>(client)->poll;
  const std::string wanted = type;
  for (const Service& s : Services()) {
    if (s.type != wanted) continue;
    poll->events.push_back([=] {
      callback(nullptr, s.interface, 0, 0, s.name.c_str(), s.type.c_str(), "local", 0, userdata);
    });
  }
  poll->events.push_back(
      [=] { callback(nullptr, -1, -1, 3, nullptr, wanted.c_str(), "local", 0, userdata); });
  return client;  // any non-null handle
}

FAKE_EXPORT void* avahi_service_resolver_new(void* client, int interface, int protocol,
                                             const char* name, const char* type, const char*, int,
                                             int, ResolverCallback callback, void* userdata) {
  Poll* poll = static_cast<Client*>(client)->poll;
  for (const Service& s : Services()) {
    if (s.name != name || s.type != type) continue;
    auto* resolver = new Address{s.address};
    poll->events.push_back([=] {
      callback(resolver, interface, protocol, 0, s.name.c_str(), s.type.c_str(), "local",
               (s.name + ".local").c_str(), resolver, s.port, nullptr, 0, userdata);
    });
    return resolver;
  }
  return nullptr;
}
FAKE_EXPORT void avahi_service_resolver_free(void* resolver) {
  delete static_cast<Address*>(resolver);
}
FAKE_EXPORT char* avahi_address_snprint(char* text, std::size_t size, const void* address) {
  std::snprintf(text, size, "%s", static_cast<const Address*>(address)->text.c_str());
  return text;
}
