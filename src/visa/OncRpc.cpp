#include "visa/OncRpc.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <random>

namespace tevra::visa::rpc {
namespace {

constexpr std::uint32_t kCall = 0, kReply = 1;
constexpr std::uint32_t kRpcVersion = 2;
constexpr std::uint32_t kLastFragment = 0x80000000u;
constexpr std::size_t kReceiveChunk = 64 * 1024;

std::uint32_t Load32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
void Store32(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v >> 24);
  p[1] = std::uint8_t(v >> 16);
  p[2] = std::uint8_t(v >> 8);
  p[3] = std::uint8_t(v);
}

int MsLeft(RpcClient::Clock::time_point deadline) {
  if (deadline == RpcClient::Clock::time_point::max()) return -1;
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - RpcClient::Clock::now())
          .count();
  return static_cast<int>(std::clamp<long long>(left, 0, 0x7FFFFFFF));
}

}  // namespace

void XdrWriter::U32(std::uint32_t value) {
  const std::size_t at = out_.size();
  out_.resize(at + 4);
  Store32(out_.data() + at, value);
}

void XdrWriter::Opaque(std::span<const std::uint8_t> bytes) {
  U32(static_cast<std::uint32_t>(bytes.size()));
  out_.insert(out_.end(), bytes.begin(), bytes.end());
  out_.resize(out_.size() + (4 - bytes.size() % 4) % 4, 0);
}

void XdrWriter::String(std::string_view text) {
  Opaque({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

std::uint32_t XdrReader::U32() {
  if (failed_ || data_.size() - position_ < 4) {
    failed_ = true;
    return 0;
  }
  const std::uint32_t value = Load32(data_.data() + position_);
  position_ += 4;
  return value;
}

std::span<const std::uint8_t> XdrReader::Opaque(std::size_t limit) {
  const std::uint32_t length = U32();
  if (failed_ || length > limit || length > data_.size() - position_) {
    failed_ = true;
    return {};
  }
  const auto bytes = data_.subspan(position_, length);
  position_ += length;
  position_ = std::min(data_.size(), position_ + (4 - length % 4) % 4);  // padding may be missing
  return bytes;
}

std::span<std::uint8_t> RecordAssembler::Space(std::size_t minimum) {
  if (start_ == end_) start_ = end_ = 0;
  if (inbox_.size() - end_ < minimum) {
    if (start_ > 0) {
      std::memmove(inbox_.data(), inbox_.data() + start_, end_ - start_);
      end_ -= start_;
      start_ = 0;
    }
    if (inbox_.size() - end_ < minimum) inbox_.resize(end_ + minimum);
  }
  return {inbox_.data() + end_, inbox_.size() - end_};
}

void RecordAssembler::Reset() {
  start_ = end_ = 0;
  record_.clear();
  recordDelivered_ = false;
}

RecordAssembler::Step RecordAssembler::Next(std::span<const std::uint8_t>& record) {
  if (recordDelivered_) record_.clear();
  recordDelivered_ = false;
  for (;;) {
    if (end_ - start_ < 4) return Step::NeedMore;
    const std::uint32_t header = Load32(inbox_.data() + start_);
    const std::size_t length = header & ~kLastFragment;
    if (length > limit_ || record_.size() + length > limit_) return Step::TooLarge;
    if (end_ - start_ - 4 < length) {
      Space(4 + length - (end_ - start_));  // room for the rest of the fragment
      return Step::NeedMore;
    }
    const std::uint8_t* payload = inbox_.data() + start_ + 4;
    if (header & kLastFragment) {
      start_ += 4 + length;
      if (record_.empty()) {
        record = {payload, length};
      } else {
        record_.insert(record_.end(), payload, payload + length);
        record = record_;
        recordDelivered_ = true;
      }
      return Step::Record;
    }
    record_.insert(record_.end(), payload, payload + length);
    start_ += 4 + length;
    if (start_ == end_) {
      record = record_;
      return Step::Unterminated;
    }
  }
}

void RecordAssembler::Accept() { recordDelivered_ = true; }

void BeginCall(std::vector<std::uint8_t>& out, std::uint32_t xid, std::uint32_t program,
               std::uint32_t version, std::uint32_t procedure) {
  out.clear();
  XdrWriter w(out);
  w.U32(0);  // record mark, set by FinishCall
  for (std::uint32_t word : {xid, kCall, kRpcVersion, program, version, procedure, 0u, 0u, 0u, 0u})
    w.U32(word);
}

void FinishCall(std::vector<std::uint8_t>& out) {
  Store32(out.data(), kLastFragment | static_cast<std::uint32_t>(out.size() - 4));
}

ReplyKind DecodeReply(std::span<const std::uint8_t> record, std::uint32_t xid,
                      std::span<const std::uint8_t>& results, std::string& detail) {
  XdrReader r(record);
  const std::uint32_t replyXid = r.U32();
  const std::uint32_t type = r.U32();
  if (r.Failed() || type != kReply) {
    detail = "a record that is no RPC reply";
    return ReplyKind::Malformed;
  }
  if (replyXid != xid) return ReplyKind::OtherXid;
  const std::uint32_t replyStat = r.U32();
  if (replyStat == 1) {  // MSG_DENIED
    const std::uint32_t reject = r.U32();
    if (reject == 0) {
      const std::uint32_t low = r.U32(), high = r.U32();
      detail = "RPC version mismatch (server takes " + std::to_string(low) + ".." +
               std::to_string(high) + ")";
    } else {
      detail = "authentication error " + std::to_string(r.U32());
    }
    return r.Failed() ? (detail = "a cut denied reply", ReplyKind::Malformed) : ReplyKind::Refused;
  }
  r.U32();        // verifier flavor
  r.Opaque(400);  // verifier body
  const std::uint32_t accept = r.U32();
  if (r.Failed() || replyStat != 0) {
    detail = "a malformed RPC reply";
    return ReplyKind::Malformed;
  }
  switch (accept) {
    case 0:
      results = r.Rest();
      return ReplyKind::Success;
    case 1:
      detail = "program unavailable";
      break;
    case 2: {
      const std::uint32_t low = r.U32(), high = r.U32();
      detail = "program version mismatch (server takes " + std::to_string(low) + ".." +
               std::to_string(high) + ")";
      break;
    }
    case 3:
      detail = "procedure unavailable";
      break;
    case 4:
      detail = "garbage arguments";
      break;
    default:
      detail = "system error on the server (RPC accept status " + std::to_string(accept) + ")";
  }
  return ReplyKind::Refused;
}

bool DecodeCall(std::span<const std::uint8_t> record, CallHeader& call) {
  XdrReader r(record);
  call.xid = r.U32();
  const std::uint32_t type = r.U32();
  const std::uint32_t rpcVersion = r.U32();
  call.program = r.U32();
  call.version = r.U32();
  call.procedure = r.U32();
  for (int i = 0; i < 2; ++i) {  // credential and verifier: flavor, body
    r.U32();
    r.Opaque(400);
  }
  if (r.Failed() || type != kCall || rpcVersion != kRpcVersion) return false;
  call.arguments = r.Rest();
  return true;
}

void EncodeAcceptedReply(std::vector<std::uint8_t>& out, std::uint32_t xid, AcceptStat stat) {
  out.clear();
  XdrWriter w(out);
  // record mark; xid, REPLY, MSG_ACCEPTED, AUTH_NULL verifier, accept status
  for (std::uint32_t word : {0u, xid, kReply, 0u, 0u, 0u, static_cast<std::uint32_t>(stat)})
    w.U32(word);
  FinishCall(out);  // the same record mark as a call's
}

RpcClient::~RpcClient() { Close(); }

void RpcClient::Close() {
  if (descriptor_ >= 0) close(descriptor_);
  descriptor_ = -1;
  assembler_.Reset();
}

ViStatus RpcClient::Connect(const std::string& host, std::uint16_t port, std::uint32_t timeoutMs,
                            std::string& detail) {
  Close();
  lost_ = false;
  // Each connection starts its xids at a random point, so replies meant for an earlier process
  // on a reused connection never match.
  xid_ = std::random_device{}();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (const int error = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); error != 0) {
    detail = "cannot resolve host '" + host + "': " + gai_strerror(error);
    return kViErrorRsrcNfound;
  }
  std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(found, &freeaddrinfo);
  const auto deadline = timeoutMs == kViTmoInfinite
                            ? Clock::time_point::max()
                            : Clock::now() + std::chrono::milliseconds(timeoutMs);
  ViStatus status = kViErrorRsrcNfound;
  for (const addrinfo* a = found; a; a = a->ai_next) {
    const int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) continue;
    int error = 0;
    if (connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
      error = errno;
      if (error == EINPROGRESS) {
        pollfd waiting{fd, POLLOUT, 0};
        int ready;
        do ready = poll(&waiting, 1, MsLeft(deadline));
        while (ready < 0 && errno == EINTR);
        socklen_t length = sizeof error;
        if (ready == 0) {
          close(fd);
          detail = "connect to " + host + " port " + service + ": no answer within " +
                   std::to_string(timeoutMs) + " ms";
          status = kViErrorTmo;
          continue;
        }
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
      }
    }
    if (error != 0) {
      close(fd);
      detail = "connect to " + host + " port " + service + ": " + std::strerror(error);
      continue;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    descriptor_ = fd;
    detail.clear();
    return kViSuccess;
  }
  return status;
}

std::vector<std::uint8_t>& RpcClient::StartCall(std::uint32_t program, std::uint32_t version,
                                                std::uint32_t procedure) {
  BeginCall(call_, ++xid_, program, version, procedure);
  return call_;
}

ViStatus RpcClient::Lose(std::string& detail, std::string text) {
  lost_ = true;
  Close();
  detail = std::move(text);
  return kViErrorConnLost;
}

ViStatus RpcClient::Call(Clock::time_point deadline, std::span<const std::uint8_t>& results,
                         std::string& detail) {
  if (lost_ || descriptor_ < 0) {
    detail = "the connection was lost earlier";
    return kViErrorConnLost;
  }
  FinishCall(call_);
  std::size_t sent = 0;
  while (sent < call_.size()) {
    const ssize_t n = send(descriptor_, call_.data() + sent, call_.size() - sent, MSG_NOSIGNAL);
    if (n >= 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      pollfd waiting{descriptor_, POLLOUT, 0};
      const int ready = poll(&waiting, 1, MsLeft(deadline));
      if (ready == 0) {
        // Part of a call is on the wire: the stream cannot be resumed.
        if (sent > 0) return Lose(detail, "send: the call could not be sent in time");
        detail.clear();
        return kViErrorTmo;
      }
      continue;
    }
    return Lose(detail, std::string("send: ") + std::strerror(errno));
  }
  for (;;) {
    std::span<const std::uint8_t> record;
    const RecordAssembler::Step step = assembler_.Next(record);
    if (step == RecordAssembler::Step::TooLarge) return Lose(detail, "a reply record too large");
    const bool whole = step == RecordAssembler::Step::Record;
    if (whole || step == RecordAssembler::Step::Unterminated) {
      const ReplyKind kind = DecodeReply(record, xid_, results, detail);
      // A fragment without the last-fragment bit counts as the whole reply when it holds one of
      // this call's (some devices never set the bit).
      if (!whole && kind == ReplyKind::Success) assembler_.Accept();
      if (whole || kind == ReplyKind::Success) {
        if (kind == ReplyKind::Success) return kViSuccess;
        if (kind == ReplyKind::OtherXid) continue;  // the late reply to a call that gave up
        return kViErrorIo;
      }
    }
    const std::span<std::uint8_t> space = assembler_.Space(kReceiveChunk);
    const ssize_t n = recv(descriptor_, space.data(), space.size(), MSG_DONTWAIT);
    if (n > 0) {
      assembler_.Received(static_cast<std::size_t>(n));
      continue;
    }
    if (n == 0) return Lose(detail, "the instrument closed the connection");
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK)
      return Lose(detail, std::string("recv: ") + std::strerror(errno));
    pollfd waiting{descriptor_, POLLIN, 0};
    const int ready = poll(&waiting, 1, MsLeft(deadline));
    if (ready == 0) {
      detail.clear();
      return kViErrorTmo;
    }
  }
}

}  // namespace tevra::visa::rpc
