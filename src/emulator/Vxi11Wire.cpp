#include "emulator/Vxi11Wire.h"

#include <cstdlib>
#include <cstring>
#include <functional>

namespace tevra::emulator {
namespace {

std::uint32_t Word(std::string_view bytes, std::size_t at) {
  if (at + 4 > bytes.size()) return 0;
  const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data() + at);
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
void Put(std::string& out, std::uint32_t v) {
  const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
  out.append(b, 4);
}
void PutOpaque(std::string& out, std::string_view bytes) {
  Put(out, static_cast<std::uint32_t>(bytes.size()));
  out.append(bytes);
  out.append((4 - bytes.size() % 4) % 4, '\0');
}

// A call record of the client, cut into its parts.
struct Call {
  std::uint32_t xid = 0, program = 0, procedure = 0;
  std::string_view args;
};

// Takes whole records out of inbox; record holds the call's bytes, fragment marks removed.
bool TakeRecord(std::string& inbox, std::string& record, std::string& raw) {
  std::size_t at = 0;
  record.clear();
  for (;;) {
    if (inbox.size() < at + 4) return false;
    const std::uint32_t mark = Word(inbox, at);
    const std::size_t length = mark & 0x7FFFFFFF;
    if (inbox.size() < at + 4 + length) return false;
    record.append(inbox, at + 4, length);
    at += 4 + length;
    if (mark & 0x80000000u) break;
  }
  raw = inbox.substr(0, at);
  inbox.erase(0, at);
  return true;
}

bool Decode(std::string_view record, Call& call) {
  call.xid = Word(record, 0);
  call.program = Word(record, 12);
  call.procedure = Word(record, 20);
  std::size_t at = 24;
  for (int i = 0; i < 2; ++i) {  // credential, verifier
    const std::uint32_t length = Word(record, at + 4);
    at += 8 + (length + 3) / 4 * 4;
  }
  if (at > record.size()) return false;
  call.args = record.substr(at);
  return true;
}

// The header of an accepted reply with AUTH_NULL verifier: xid, REPLY, MSG_ACCEPTED, verifier,
// SUCCESS.
void PutReplyHeader(std::string& out, std::uint32_t xid) {
  for (std::uint32_t w : {xid, 1u, 0u, 0u, 0u, 0u}) Put(out, w);
}

// An accepted reply, without a record mark.
std::string ReplyMessage(std::uint32_t xid, const std::string& results) {
  std::string reply;
  PutReplyHeader(reply, xid);
  return reply + results;
}

// The reply's record mark and header go straight into the outbox, then results and data (an
// opaque of data, when not null, after results): a large read is copied once.
void SendReply(Connection& connection, std::uint32_t xid, const std::string& results,
               const std::string_view* data = nullptr) {
  const std::size_t padding = data ? (4 - data->size() % 4) % 4 : 0;
  const std::size_t size = 24 + results.size() + (data ? 4 + data->size() + padding : 0);
  std::string& out = connection.Outbox();
  out.reserve(out.size() + 4 + size);
  Put(out, 0x80000000u | static_cast<std::uint32_t>(size));
  PutReplyHeader(out, xid);
  out += results;
  if (data) PutOpaque(out, *data);
}

struct Shared {
  Loop* loop = nullptr;
  Vxi11Options options;
  std::shared_ptr<Vxi11Log> log;
  std::uint16_t corePort = 0, abortPort = 0;
  std::uint32_t nextLink = 1;
  bool abortRequested = false;
};

// A channel whose every call is answered with one word: the portmapper (GETPORT of the core
// program gives the core channel's port) and the abort channel (device_abort).
class OneWordConnection final : public Connection {
 public:
  using Answer = std::function<std::uint32_t(const Call&)>;
  explicit OneWordConnection(Answer answer) : answer_(std::move(answer)) {}
  bool OnReceive(std::string_view bytes) override {
    inbox_ += bytes;
    std::string record, raw;
    while (TakeRecord(inbox_, record, raw)) {
      Call call;
      if (!Decode(record, call)) return false;
      std::string results;
      Put(results, answer_(call));
      SendReply(*this, call.xid, results);
    }
    return true;
  }
  bool OnTime(Clock::time_point) override { return true; }

 private:
  Answer answer_;
  std::string inbox_;
};

constexpr std::uint32_t kInterruptProgram = 0x0607B1, kDeviceIntrSrq = 30;

// The interrupt channel of one link as its core connection sees it: the connection the emulator
// opened to the client, while it is open.
struct InterruptSlot {
  Connection* connection = nullptr;
  std::uint32_t xid = 0;
};

// The emulator's end of an interrupt channel: it sends device_intr_srq calls and counts the
// client's successful replies.
class InterruptConnection final : public Connection {
 public:
  InterruptConnection(std::shared_ptr<InterruptSlot> slot, std::shared_ptr<Vxi11Log> log)
      : slot_(std::move(slot)), log_(std::move(log)) {}
  ~InterruptConnection() override {
    if (slot_->connection == this) slot_->connection = nullptr;
  }
  bool OnReceive(std::string_view bytes) override {
    inbox_ += bytes;
    std::string record, raw;
    while (TakeRecord(inbox_, record, raw)) {
      // xid, REPLY, MSG_ACCEPTED, verifier (AUTH_NULL, empty), SUCCESS
      const bool answered = Word(record, 4) == 1 && Word(record, 8) == 0 && Word(record, 20) == 0;
      std::lock_guard lock(log_->mutex);
      log_->serviceRequestsAnswered += answered ? 1 : 0;
    }
    return true;
  }
  bool OnTime(Clock::time_point) override { return true; }

 private:
  std::shared_ptr<InterruptSlot> slot_;
  std::shared_ptr<Vxi11Log> log_;
  std::string inbox_;
};

class CoreConnection final : public Connection {
 public:
  CoreConnection(Script& script, std::shared_ptr<Shared> shared)
      : script_(script), shared_(std::move(shared)) {}
  ~CoreConnection() override {
    if (interrupt_->connection) interrupt_->connection->CloseWhenSent();
  }

  bool OnReceive(std::string_view bytes) override {
    inbox_ += bytes;
    return Serve(Clock::now());
  }
  bool OnTime(Clock::time_point now) override {
    SendDueServiceRequests(now);
    if (reading_ && !AnswerRead(now)) return false;
    SendDueServiceRequests(now);
    return Serve(now);
  }
  Clock::time_point WakeAt() const override {
    if (!reading_) {
      const bool serviceRequestNext = !queue_.Empty() && queue_.Front().serviceRequest;
      return serviceRequestNext ? queue_.Front().due : Clock::time_point::max();
    }
    return queue_.Empty() ? readDeadline_ : std::min(readDeadline_, queue_.Front().due);
  }

 private:
  // Calls are answered in order; a device_read that waits holds back the calls after it.
  bool Serve(Clock::time_point now) {
    std::string record, raw;
    while (!reading_ && TakeRecord(inbox_, record, raw)) {
      {
        std::lock_guard lock(shared_->log->mutex);
        shared_->log->calls.push_back(raw);
      }
      Call call;
      if (!Decode(record, call)) return false;
      if (!Answer(call, now)) return false;
    }
    return true;
  }

  bool Answer(const Call& call, Clock::time_point now) {
    const std::string_view a = call.args;
    std::string results;
    switch (call.procedure) {
      case 10:  // create_link
        link_ = shared_->nextLink++;
        for (std::uint32_t w :
             {0u, link_, std::uint32_t(shared_->abortPort), shared_->options.maxRecvSize})
          Put(results, w);
        break;
      case 11: {  // device_write
        const std::uint32_t flags = Word(a, 12);
        const std::uint32_t size = Word(a, 16);
        const std::string_view data = a.substr(std::min<std::size_t>(20, a.size()), size);
        // A new message interrupts a reply nobody read: the counter drops it, as an IEEE 488.2
        // device does.
        queue_.Clear();
        script_.Receive(data, flags & 8, partial_, queue_);
        Put(results, 0);
        Put(results, static_cast<std::uint32_t>(data.size()));
        break;
      }
      case 12:  // device_read
        reading_ = true;
        readXid_ = call.xid;
        requestSize_ = Word(a, 4);
        readDeadline_ = now + Milliseconds(Word(a, 8));
        termChar_ = (Word(a, 16) & 128) ? int(Word(a, 20) & 0xFF) : -1;
        shared_->abortRequested = false;
        return AnswerRead(now);
      case 13:  // device_readstb
        Put(results, 0);
        Put(results, script_.PollStatusByte(shared_->options.statusByte));
        break;
      case 14:  // device_trigger
      {
        std::lock_guard lock(shared_->log->mutex);
        ++shared_->log->triggers;
      }
        Put(results, 0);
        break;
      case 15:  // device_clear
        queue_.Clear();
        partial_.clear();
        {
          std::lock_guard lock(shared_->log->mutex);
          ++shared_->log->clears;
        }
        Put(results, 0);
        break;
      case 18: {  // device_lock
        std::lock_guard lock(shared_->log->mutex);
        std::uint32_t& holder = shared_->log->lockHolder;
        const bool free = holder == 0 || holder == link_;
        if (free) holder = link_;
        Put(results, free ? 0 : 11);
        break;
      }
      case 19: {  // device_unlock
        std::lock_guard lock(shared_->log->mutex);
        std::uint32_t& holder = shared_->log->lockHolder;
        const bool held = holder == link_;
        if (held) holder = 0;
        Put(results, held ? 0 : 12);
        break;
      }
      case 20:  // device_enable_srq: {lid, enable, handle<40>}
        serviceRequestsEnabled_ = Word(a, 4) != 0;
        serviceRequestHandle_ =
            std::string(a.substr(std::min<std::size_t>(12, a.size()), std::min(Word(a, 8), 40u)));
        Put(results, 0);
        break;
      case 23:  // destroy_link
        Put(results, 0);
        break;
      case 25:  // create_intr_chan: {hostAddr, hostPort, progNum, progVers, progFamily}
        Put(results, CreateInterruptChannel(a));
        break;
      case 26:  // destroy_intr_chan
        if (!interrupt_->connection) {
          Put(results, 6);
          break;
        }
        interrupt_->connection->CloseWhenSent();
        interrupt_->connection = nullptr;
        {
          std::lock_guard lock(shared_->log->mutex);
          shared_->log->interruptChannelOpen = false;
        }
        Put(results, 0);
        break;
      default:
        Put(results, 8);
    }
    SendReply(*this, call.xid, results);
    return true;
  }

  std::uint32_t CreateInterruptChannel(std::string_view a) {
    if (interrupt_->connection) return 29;  // channel already established
    if (Word(a, 8) != kInterruptProgram || Word(a, 12) != 1 || Word(a, 16) != 0) return 5;
    auto channel = std::make_unique<InterruptConnection>(interrupt_, shared_->log);
    Connection* opened = channel.get();
    if (!shared_->loop->Connect(Word(a, 0), static_cast<std::uint16_t>(Word(a, 4)),
                                std::move(channel)))
      return 9;  // out of resources: the client cannot be reached
    interrupt_->connection = opened;
    std::lock_guard lock(shared_->log->mutex);
    shared_->log->interruptChannelOpen = true;
    return 0;
  }

  // Service requests at the front of the output that fell due go out on the interrupt channel
  // when the link enabled them, as device_intr_srq calls with the link's handle.
  void SendDueServiceRequests(Clock::time_point now) {
    for (; queue_.Due(now) && queue_.Front().serviceRequest; queue_.Pop()) {
      if (!serviceRequestsEnabled_ || !interrupt_->connection) continue;
      std::string call;
      for (std::uint32_t w :
           {++interrupt_->xid, 0u, 2u, kInterruptProgram, 1u, kDeviceIntrSrq, 0u, 0u, 0u, 0u})
        Put(call, w);
      PutOpaque(call, serviceRequestHandle_);
      std::string& out = interrupt_->connection->Outbox();
      Put(out, 0x80000000u | static_cast<std::uint32_t>(call.size()));
      out += call;
      std::lock_guard lock(shared_->log->mutex);
      ++shared_->log->serviceRequestsSent;
    }
  }

  // Answers the waiting device_read from the output that is due, or with error 15 when its
  // io_timeout passed, or 23 when the abort channel asked.
  bool AnswerRead(Clock::time_point now) {
    std::string results;
    SendDueServiceRequests(now);
    if (queue_.Due(now)) {
      Output& piece = queue_.Front();
      if (piece.Disconnects()) {
        CloseWhenSent();
        queue_.Clear();
        reading_ = false;
        return true;
      }
      std::string_view text = piece.Text().substr(0, requestSize_);
      std::uint32_t reason = 0;
      if (termChar_ >= 0) {
        const std::size_t found = text.find(char(termChar_));
        if (found != std::string_view::npos) {
          text = text.substr(0, found + 1);
          reason |= 2;
        }
      }
      piece.offset += text.size();
      const bool done = piece.offset == piece.end;
      if (done && piece.endsReply) reason |= 4;
      if (reason == 0 && text.size() == requestSize_) reason = 1;
      Put(results, 0);
      Put(results, reason);
      reading_ = false;
      SendReply(*this, readXid_, results, &text);
      if (done) queue_.Pop();  // text points into the piece until here
      return true;
    } else if (shared_->abortRequested || now >= readDeadline_) {
      Put(results, shared_->abortRequested ? 23 : 15);
      Put(results, 0);
      PutOpaque(results, {});
    } else {
      return true;
    }
    reading_ = false;
    SendReply(*this, readXid_, results);
    return true;
  }

  Script& script_;
  std::shared_ptr<Shared> shared_;
  std::string inbox_;
  std::string partial_;
  OutputQueue queue_;
  std::uint32_t link_ = 0;
  bool reading_ = false;
  std::uint32_t readXid_ = 0;
  std::uint32_t requestSize_ = 0;
  int termChar_ = -1;
  Clock::time_point readDeadline_{};
  std::shared_ptr<InterruptSlot> interrupt_ = std::make_shared<InterruptSlot>();
  bool serviceRequestsEnabled_ = false;
  std::string serviceRequestHandle_;
};

}  // namespace

bool SetUpVxi11Wire(Loop& loop, std::string& resource, const Vxi11Options& options,
                    std::shared_ptr<Vxi11Log>& log) {
  auto shared = std::make_shared<Shared>();
  shared->loop = &loop;
  shared->options = options;
  shared->log = log = std::make_shared<Vxi11Log>();
  Script& script = loop.GetScript();
  shared->corePort =
      loop.Listen([&script, shared] { return std::make_unique<CoreConnection>(script, shared); });
  shared->abortPort = loop.Listen([shared] {
    return std::make_unique<OneWordConnection>([shared](const Call&) {
      shared->abortRequested = true;
      return 0u;
    });
  });
  // GETPORT of the core program over TCP gives the core channel's port.
  const auto getPort = [shared](const Call& call) -> std::uint32_t {
    const bool core = call.procedure == 3 && Word(call.args, 0) == 0x0607AF &&
                      Word(call.args, 4) == 1 && Word(call.args, 8) == 6;
    return core ? shared->corePort : 0;
  };
  const auto portmapper = [getPort] { return std::make_unique<OneWordConnection>(getPort); };
  // The same question over UDP, where a search for instruments asks it, on the same port number.
  const auto datagrams = [getPort](std::string_view datagram) {
    Call call;
    if (!Decode(datagram, call)) return std::string();
    std::string results;
    Put(results, getPort(call));
    return ReplyMessage(call.xid, results);
  };
  const std::uint16_t mapperPort = loop.Listen(portmapper, options.portmapperPort);
  if (shared->corePort == 0 || shared->abortPort == 0 || mapperPort == 0) return false;
  loop.ListenForDatagrams(datagrams, mapperPort);
  if (options.portmapperOn111) {
    log->portmapperOn111 = loop.Listen(portmapper, 111) != 0;
    loop.ListenForDatagrams(datagrams, 111);
  }
  setenv("TEVRA_PORTMAPPER_PORT", std::to_string(mapperPort).c_str(), 1);
  resource = "TCPIP::" + loop.HostText() + "::inst0::INSTR";
  return true;
}

bool SetUpVxi11Wire(Loop& loop, std::string& resource, std::uint16_t port) {
  std::shared_ptr<Vxi11Log> log;
  return SetUpVxi11Wire(loop, resource, Vxi11Options{.portmapperPort = port}, log);
}

}  // namespace tevra::emulator
