// A small VISA library for tests: the C functions the driver's loader resolves, over a TCP
// connection to a fake instrument. viOpen reaches the instrument whose port the environment gives
// for the resource's primary address ("GPIB0::7::INSTR" reads TEVRA_FAKE_VISA_PORT_7). Messages
// travel in frames of a 4-byte big-endian length and a flag byte (1: END after the piece), as a
// GPIB bus marks a message's last byte; reads end on END, on the termination character when it
// is enabled, or on the count.
// An empty frame with flag 2 is the instrument's service request: viEnableEvent,
// viDisableEvent and viWaitOnEvent deliver them, queued, as the one event type; the driver checks
// the event type and mechanism before it calls them.
// viAssertTrigger, viLock and viUnlock are left out on purpose, so callers meet a library that
// lacks optional functions.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using Status = std::int32_t;
constexpr Status kSuccess = 0;
constexpr Status kEventEnabled = 0x3FFF0002;
constexpr Status kEventDisabled = 0x3FFF0003;
constexpr Status kNotEnabled = static_cast<Status>(0xBFFF002F);
constexpr std::uint32_t kServiceRequestEvent = 0x3FFF200B;
// Event contexts that viWaitOnEvent hands out and viClose takes back.
constexpr std::uint32_t kFirstEventContext = 0x10000;
constexpr Status kTermChar = 0x3FFF0005;
constexpr Status kMaxCount = 0x3FFF0006;
constexpr Status kInvObject = static_cast<Status>(0xBFFF000E);
constexpr Status kNotFound = static_cast<Status>(0xBFFF0011);
constexpr Status kTimeout = static_cast<Status>(0xBFFF0015);
constexpr Status kNsupAttr = static_cast<Status>(0xBFFF001D);
constexpr Status kIo = static_cast<Status>(0xBFFF003E);
constexpr Status kConnLost = static_cast<Status>(0xBFFF00A6);

struct Session {
  int descriptor = -1;
  std::string name;
  std::uint32_t timeoutMs = 2000;
  unsigned char termChar = '\n';  // the driver's, which it never changes
  bool termCharEnabled = false;
  bool sendEnd = true;
  std::string received;                   // frames not yet taken apart
  std::string held;                       // payload received and not yet read
  std::size_t endAt = std::string::npos;  // held bytes up to here end with END
  bool dropFirstFrame = false;            // the frame received has begun before a write
  bool serviceRequestsEnabled = false;
  int serviceRequests = 0;  // queued, not yet waited for
};

// The length of the frame at the front of frames, or npos while its header is incomplete.
std::size_t FrameLength(const std::string& frames) {
  if (frames.size() < 5) return std::string::npos;
  return (std::size_t(std::uint8_t(frames[0])) << 24) |
         (std::size_t(std::uint8_t(frames[1])) << 16) |
         (std::size_t(std::uint8_t(frames[2])) << 8) | std::size_t(std::uint8_t(frames[3]));
}

// Appends bytes received to the session's frames, taking the service requests out of them at
// once: they are no part of any message, and a write's discarding of unread replies must not
// lose them.
void Receive(Session& session, const char* bytes, std::size_t size) {
  std::string& frames = session.received;
  frames.append(bytes, size);
  for (std::size_t at = 0, length;
       frames.size() - at >= 5 &&
       (length = FrameLength(frames.substr(at, 5))) != std::string::npos &&
       frames.size() - at >= 5 + length;) {
    if (length == 0 && (frames[at + 4] & 2)) {
      frames.erase(at, 5);
      if (session.serviceRequestsEnabled) ++session.serviceRequests;
    } else {
      at += 5 + length;
    }
  }
}

// Moves the payloads of whole frames into the held input, up to the end of one message;
// whether any moved.
bool Unframe(Session& session) {
  std::string& frames = session.received;
  const std::size_t heldBefore = session.held.size();
  for (std::size_t length; session.endAt == std::string::npos &&
                           (length = FrameLength(frames)) != std::string::npos &&
                           frames.size() >= 5 + length;) {
    if (!std::exchange(session.dropFirstFrame, false)) {
      session.held.append(frames, 5, length);
      if (frames[4] & 1) session.endAt = session.held.size();
    }
    frames.erase(0, 5 + length);
  }
  return session.held.size() != heldBefore;
}

std::mutex mutex;
std::map<std::uint32_t, Session> sessions;
std::uint32_t nextSession = 100;
std::uint32_t nextEventContext = kFirstEventContext;

// The table lock is held only to look a session up: a session is used by one caller at a time,
// and a read that waits must not hold up the others.
Session* Find(std::uint32_t vi) {
  std::lock_guard guard(mutex);
  auto found = sessions.find(vi);
  return found == sessions.end() ? nullptr : &found->second;
}

int PrimaryAddress(const char* resource) {
  const char* colons = std::strstr(resource, "::");
  return colons ? std::atoi(colons + 2) : -1;
}

int Connect(int port) {
  const int descriptor = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(descriptor);
    return -1;
  }
  const int on = 1;
  setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return descriptor;
}

}  // namespace

#define FAKE_VISA extern "C" __attribute__((visibility("default")))

FAKE_VISA Status viOpenDefaultRM(std::uint32_t* rm) {
  *rm = 1;
  return kSuccess;
}

FAKE_VISA Status viOpen(std::uint32_t, const char* resource, std::uint32_t, std::uint32_t,
                        std::uint32_t* vi) {
  const std::string variable = "TEVRA_FAKE_VISA_PORT_" + std::to_string(PrimaryAddress(resource));
  const char* port = std::getenv(variable.c_str());
  if (!port) return kNotFound;
  const int descriptor = Connect(std::atoi(port));
  if (descriptor < 0) return kNotFound;
  std::lock_guard guard(mutex);
  *vi = nextSession++;
  Session& session = sessions[*vi];
  session.descriptor = descriptor;
  session.name = resource;
  return kSuccess;
}

FAKE_VISA Status viClose(std::uint32_t vi) {
  if (vi >= kFirstEventContext) return kSuccess;
  Session* session = Find(vi);
  if (!session) return vi == 1 ? kSuccess : kInvObject;
  close(session->descriptor);
  std::lock_guard guard(mutex);
  sessions.erase(vi);
  return kSuccess;
}

FAKE_VISA Status viWrite(std::uint32_t vi, const unsigned char* data, std::uint32_t count,
                         std::uint32_t* written) {
  Session* session = Find(vi);
  if (!session) return kInvObject;
  *written = 0;
  // On a GPIB bus a reply stays in the device until the controller reads it, and a new message
  // makes the device drop it. The line delivers replies at once, so what came and was not read
  // goes here.
  session->held.clear();
  session->endAt = std::string::npos;
  std::string& frames = session->received;
  for (char unread[4096];;) {
    const ssize_t got = recv(session->descriptor, unread, sizeof unread, MSG_DONTWAIT);
    if (got <= 0) break;
    Receive(*session, unread, static_cast<std::size_t>(got));
  }
  for (std::size_t length;
       (length = FrameLength(frames)) != std::string::npos && frames.size() >= 5 + length;)
    frames.erase(0, 5 + length);
  session->dropFirstFrame = !frames.empty();
  std::string frame = {char(count >> 24), char(count >> 16), char(count >> 8), char(count),
                       char(session->sendEnd ? 1 : 0)};
  frame.append(reinterpret_cast<const char*>(data), count);
  for (std::size_t sent = 0; sent < frame.size();) {
    const ssize_t done =
        send(session->descriptor, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
    if (done <= 0) return kConnLost;
    sent += static_cast<std::size_t>(done);
  }
  *written = count;
  return kSuccess;
}

FAKE_VISA Status viRead(std::uint32_t vi, unsigned char* buffer, std::uint32_t count,
                        std::uint32_t* done) {
  Session* session = Find(vi);
  if (!session) return kInvObject;
  *done = 0;
  for (;;) {
    // The bytes taken leave the held input at once, not one by one: a long reply stays linear.
    std::size_t taken = 0;
    std::optional<Status> ended;
    while (taken < session->held.size() && *done < count) {
      const unsigned char c = static_cast<unsigned char>(session->held[taken++]);
      buffer[(*done)++] = c;
      const bool end = session->endAt == 1;
      if (session->endAt != std::string::npos) --session->endAt;
      if (end) {
        session->endAt = std::string::npos;
        ended = kSuccess;
        break;
      }
      if (session->termCharEnabled && c == session->termChar) {
        ended = kTermChar;
        break;
      }
    }
    session->held.erase(0, taken);
    if (ended) return *ended;
    if (*done == count) return kMaxCount;
    // Frames may have come while waiting for a service request.
    if (Unframe(*session)) continue;
    pollfd waiting{session->descriptor, POLLIN, 0};
    const int ready = poll(&waiting, 1, static_cast<int>(session->timeoutMs));
    if (ready == 0) return kTimeout;
    char bytes[4096];
    const ssize_t received = recv(session->descriptor, bytes, sizeof bytes, 0);
    if (received == 0) return kConnLost;
    if (received < 0) return kIo;
    Receive(*session, bytes, static_cast<std::size_t>(received));
    Unframe(*session);
  }
}

FAKE_VISA Status viClear(std::uint32_t vi) {
  Session* session = Find(vi);
  if (!session) return kInvObject;
  session->held.clear();
  session->received.clear();
  session->endAt = std::string::npos;
  session->dropFirstFrame = false;
  return kSuccess;
}

FAKE_VISA Status viEnableEvent(std::uint32_t vi, std::uint32_t, std::uint16_t, std::uint32_t) {
  Session* session = Find(vi);
  if (!session) return kInvObject;
  if (session->serviceRequestsEnabled) return kEventEnabled;
  session->serviceRequestsEnabled = true;
  return kSuccess;
}

FAKE_VISA Status viDisableEvent(std::uint32_t vi, std::uint32_t, std::uint16_t) {
  Session* session = Find(vi);
  if (!session) return kInvObject;
  if (!session->serviceRequestsEnabled) return kEventDisabled;
  session->serviceRequestsEnabled = false;
  session->serviceRequests = 0;
  return kSuccess;
}

FAKE_VISA Status viWaitOnEvent(std::uint32_t vi, std::uint32_t, std::uint32_t timeoutMs,
                               std::uint32_t* type, std::uint32_t* context) {
  Session* session = Find(vi);
  if (!session) return kInvObject;
  if (!session->serviceRequestsEnabled) return kNotEnabled;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (session->serviceRequests == 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    pollfd waiting{session->descriptor, POLLIN, 0};
    if (poll(&waiting, 1, static_cast<int>(left < 0 ? 0 : left)) <= 0) return kTimeout;
    char bytes[4096];
    const ssize_t received = recv(session->descriptor, bytes, sizeof bytes, 0);
    if (received == 0) return kConnLost;
    if (received < 0) return kIo;
    Receive(*session, bytes, static_cast<std::size_t>(received));
  }
  --session->serviceRequests;
  if (type) *type = kServiceRequestEvent;
  std::lock_guard guard(mutex);
  if (context) *context = nextEventContext++;
  return kSuccess;
}

FAKE_VISA Status viReadSTB(std::uint32_t vi, std::uint16_t* status) {
  std::uint32_t done = 0;
  const unsigned char query[] = "*STB?\n";
  if (Status s = viWrite(vi, query, 6, &done); s < 0) return s;
  unsigned char reply[32] = {};
  if (Status s = viRead(vi, reply, sizeof reply - 1, &done); s < 0) return s;
  *status = static_cast<std::uint16_t>(std::atoi(reinterpret_cast<const char*>(reply)));
  return kSuccess;
}

FAKE_VISA Status viSetAttribute(std::uint32_t vi, std::uint32_t attribute, std::uint64_t value) {
  Session* session = Find(vi);
  if (!session) return kInvObject;
  switch (attribute) {
    case 0x3FFF001A:
      session->timeoutMs = static_cast<std::uint32_t>(value);
      return kSuccess;
    case 0x3FFF0038:
      session->termCharEnabled = value != 0;
      return kSuccess;
    case 0x3FFF0016:
      session->sendEnd = value != 0;
      return kSuccess;
    case 0x3FFF001C:  // I/O protocol
      return kSuccess;
    default:
      return kNsupAttr;
  }
}

FAKE_VISA Status viGetAttribute(std::uint32_t vi, std::uint32_t attribute, void* value) {
  Session* session = Find(vi);
  if (!session) return kInvObject;
  const std::uint16_t boolean[] = {0, 1};
  switch (attribute) {
    case 0x3FFF001A:
      std::memcpy(value, &session->timeoutMs, 4);
      return kSuccess;
    case 0x3FFF0038:
      std::memcpy(value, &boolean[session->termCharEnabled], 2);
      return kSuccess;
    case 0x3FFF0016:
      std::memcpy(value, &boolean[session->sendEnd], 2);
      return kSuccess;
    case 0x3FFF0171: {  // interface type: GPIB
      const std::uint16_t gpib = 1;
      std::memcpy(value, &gpib, 2);
      return kSuccess;
    }
    case 0xBFFF0001:
      std::strcpy(static_cast<char*>(value), "INSTR");
      return kSuccess;
    case 0xBFFF0002:
      std::snprintf(static_cast<char*>(value), 256, "%s", session->name.c_str());
      return kSuccess;
    default:
      return kNsupAttr;
  }
}

FAKE_VISA Status viStatusDesc(std::uint32_t, Status status, char* description) {
  std::snprintf(description, 256, "fake VISA status 0x%08X", static_cast<unsigned>(status));
  return kSuccess;
}

// Finding: every GPIB address the environment gives a port for, in one list (handle 2).
extern char** environ;
namespace {
std::vector<std::string> foundList;
std::size_t foundNext = 0;
}  // namespace

FAKE_VISA Status viFindRsrc(std::uint32_t, const char*, std::uint32_t* list, std::uint32_t* count,
                            char* first) {
  constexpr std::string_view prefix = "TEVRA_FAKE_VISA_PORT_";
  std::lock_guard guard(mutex);
  foundList.clear();
  for (char** variable = environ; *variable; ++variable) {
    const std::string_view entry = *variable;
    if (!entry.starts_with(prefix)) continue;
    const std::string_view address = entry.substr(prefix.size(), entry.find('=') - prefix.size());
    foundList.push_back("GPIB0::" + std::string(address) + "::INSTR");
  }
  if (foundList.empty()) return kNotFound;
  *list = 2;
  *count = static_cast<std::uint32_t>(foundList.size());
  std::snprintf(first, 256, "%s", foundList[0].c_str());
  foundNext = 1;
  return kSuccess;
}

FAKE_VISA Status viFindNext(std::uint32_t, char* next) {
  std::lock_guard guard(mutex);
  if (foundNext >= foundList.size()) return kNotFound;
  std::snprintf(next, 256, "%s", foundList[foundNext++].c_str());
  return kSuccess;
}
