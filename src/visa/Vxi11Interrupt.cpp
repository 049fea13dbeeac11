#include "visa/Vxi11Interrupt.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "visa/Transport.h"

namespace tevra::visa {
namespace {

constexpr std::uint32_t kInterruptVersion = 1, kDeviceIntrSrq = 30;
constexpr std::size_t kReceiveChunk = 4096;
// A device_intr_srq call is a handle of at most 40 bytes: anything far larger is no such call.
constexpr std::size_t kRecordLimit = 4096;

}  // namespace

ViStatus Vxi11InterruptChannel::Listen(int coreDescriptor, std::uint32_t& address,
                                       std::uint16_t& port, std::string& detail) {
  Close();
  sockaddr_storage local{};
  socklen_t length = sizeof local;
  if (getsockname(coreDescriptor, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
    detail = ErrnoText("getsockname", errno);
    return kViErrorIo;
  }
  sockaddr_in bound{};
  bound.sin_family = AF_INET;
  if (local.ss_family == AF_INET) {
    bound.sin_addr = reinterpret_cast<sockaddr_in*>(&local)->sin_addr;
  } else {
    const in6_addr& v6 = reinterpret_cast<sockaddr_in6*>(&local)->sin6_addr;
    if (!IN6_IS_ADDR_V4MAPPED(&v6)) {
      detail = "the VXI-11 interrupt channel takes an IPv4 address; this link is IPv6";
      return kViErrorNsupOper;
    }
    std::memcpy(&bound.sin_addr, v6.s6_addr + 12, 4);
  }
  const int descriptor = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  length = sizeof bound;
  if (descriptor < 0 || bind(descriptor, reinterpret_cast<sockaddr*>(&bound), length) != 0 ||
      listen(descriptor, 2) != 0 ||
      getsockname(descriptor, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
    detail = ErrnoText("interrupt channel", errno);
    if (descriptor >= 0) close(descriptor);
    return kViErrorIo;
  }
  listener_ = descriptor;
  address = ntohl(bound.sin_addr.s_addr);
  port = ntohs(bound.sin_port);
  return kViSuccess;
}

void Vxi11InterruptChannel::Close() {
  for (Caller& caller : callers_) close(caller.descriptor);
  callers_.clear();
  if (listener_ >= 0) close(listener_);
  listener_ = -1;
  pending_ = 0;
}

bool Vxi11InterruptChannel::Serve(Caller& caller) {
  for (;;) {
    const std::span<std::uint8_t> space = caller.assembler.Space(kReceiveChunk);
    const ssize_t received = recv(caller.descriptor, space.data(), space.size(), MSG_DONTWAIT);
    if (received == 0) return false;
    if (received < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
      break;
    }
    caller.assembler.Received(static_cast<std::size_t>(received));
  }
  for (;;) {
    std::span<const std::uint8_t> record;
    const rpc::RecordAssembler::Step step = caller.assembler.Next(record);
    if (step == rpc::RecordAssembler::Step::TooLarge) return false;
    if (step != rpc::RecordAssembler::Step::Record) return true;
    rpc::CallHeader call;
    if (!rpc::DecodeCall(record, call)) return false;
    rpc::AcceptStat stat = rpc::AcceptStat::Success;
    if (call.program != kVxi11InterruptProgram || call.version != kInterruptVersion) {
      stat = rpc::AcceptStat::ProgramUnavailable;
    } else if (call.procedure != kDeviceIntrSrq) {
      stat = rpc::AcceptStat::ProcedureUnavailable;
    } else {
      ++pending_;
    }
    rpc::EncodeAcceptedReply(reply_, call.xid, stat);
    // The reply is a few words: a socket that cannot take them now has a peer that stopped
    // reading, and the call is counted all the same.
    [[maybe_unused]] const ssize_t sent =
        send(caller.descriptor, reply_.data(), reply_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  }
}

ViStatus Vxi11InterruptChannel::Wait(std::uint32_t timeoutMs, std::string& detail) {
  const auto started = std::chrono::steady_clock::now();
  std::vector<pollfd> watched;
  for (;;) {
    if (pending_ > 0) {
      --pending_;
      return kViSuccess;
    }
    watched.assign({{listener_, POLLIN, 0}});
    for (const Caller& caller : callers_) watched.push_back({caller.descriptor, POLLIN, 0});
    const int left = RemainingMs(timeoutMs, started);
    const int ready = poll(watched.data(), watched.size(), left);
    if (ready < 0 && errno != EINTR) {
      detail = ErrnoText("poll", errno);
      return kViErrorIo;
    }
    if (ready == 0 && left == 0) return kViErrorTmo;
    for (std::size_t i = watched.size(); i-- > 1;) {
      if (watched[i].revents == 0) continue;
      Caller& caller = callers_[i - 1];
      if (!Serve(caller)) {
        close(caller.descriptor);
        callers_.erase(callers_.begin() + static_cast<long>(i - 1));
      }
    }
    if (watched[0].revents & POLLIN) {
      const int accepted = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (accepted >= 0) {
        const int on = 1;
        setsockopt(accepted, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        callers_.push_back({accepted, rpc::RecordAssembler(kRecordLimit)});
        Serve(callers_.back());
      }
    }
  }
}

}  // namespace tevra::visa
