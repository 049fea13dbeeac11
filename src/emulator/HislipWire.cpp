#include "emulator/HislipWire.h"

#include <deque>
#include <map>

namespace tevra::emulator {

namespace {
constexpr std::uint8_t kInitialize = 0, kInitializeResponse = 1, kFatalError = 2, kAsyncLock = 4,
                       kAsyncLockResponse = 5, kData = 6, kDataEnd = 7, kDeviceClearComplete = 8,
                       kDeviceClearAcknowledge = 9, kAsyncMaximumMessageSize = 15,
                       kAsyncMaximumMessageSizeResponse = 16, kAsyncInitialize = 17,
                       kAsyncInitializeResponse = 18, kAsyncDeviceClear = 19,
                       kAsyncStatusQuery = 21, kAsyncStatusResponse = 22, kAsyncServiceRequest = 20,
                       kAsyncDeviceClearAcknowledge = 23;
// The status byte an AsyncServiceRequest carries in its control code: RQS set.
constexpr std::uint8_t kRequestingService = 0x40;

void AppendFrame(std::string& out, std::uint8_t type, std::uint8_t control, std::uint32_t parameter,
                 std::string_view payload) {
  out += "HS";
  out += static_cast<char>(type);
  out += static_cast<char>(control);
  for (int i = 0; i < 4; ++i) out += static_cast<char>(parameter >> (24 - 8 * i));
  const std::uint64_t length = payload.size();
  for (int i = 0; i < 8; ++i) out += static_cast<char>(length >> (56 - 8 * i));
  out += payload;
}

void AppendServiceRequest(std::string& out) {
  AppendFrame(out, kAsyncServiceRequest, kRequestingService, 0, {});
}

class HislipConnection;

struct Session {
  std::uint16_t id = 0;
  HislipConnection* sync = nullptr;
  HislipConnection* async = nullptr;
  std::string partial;
  OutputQueue scriptQueue;
  struct Pending {
    Output piece;
    std::uint32_t messageId;
  };
  std::deque<Pending> pending;
};

}  // namespace

struct HislipServer::State {
  Script* script = nullptr;
  Options options;
  mutable std::mutex mutex;
  std::vector<HislipFrame> frames;
  std::map<std::uint16_t, std::shared_ptr<Session>> sessions;
  std::uint16_t nextSessionId = 1;
  std::uint16_t lockHolder = 0;
};

namespace {

class HislipConnection final : public Connection {
 public:
  explicit HislipConnection(std::shared_ptr<HislipServer::State> state)
      : state_(std::move(state)) {}
  ~HislipConnection() override {
    if (!session_) return;
    (session_->sync == this ? session_->sync : session_->async) = nullptr;
    if (state_->lockHolder == session_->id) state_->lockHolder = 0;
  }

  bool OnReceive(std::string_view bytes) override {
    input_.append(bytes);
    while (input_.size() >= 16) {
      if (input_[0] != 'H' || input_[1] != 'S') return false;
      std::uint64_t length = 0;
      for (int i = 8; i < 16; ++i) length = (length << 8) | static_cast<std::uint8_t>(input_[i]);
      if (input_.size() < 16 + length) break;
      HislipFrame frame;
      frame.type = static_cast<std::uint8_t>(input_[2]);
      frame.control = static_cast<std::uint8_t>(input_[3]);
      for (int i = 4; i < 8; ++i) {
        frame.parameter = (frame.parameter << 8) | static_cast<std::uint8_t>(input_[i]);
      }
      frame.payload = input_.substr(16, length);
      input_.erase(0, 16 + length);
      frame.async = async_ || frame.type == kAsyncInitialize;
      {
        std::lock_guard guard(state_->mutex);
        state_->frames.push_back(frame);
      }
      if (!Handle(frame)) return false;
    }
    return true;
  }

  bool OnTime(Clock::time_point now) override {
    if (!session_ || session_->sync != this) return true;
    auto& pending = session_->pending;
    while (!pending.empty() && pending.front().piece.due <= now) {
      const auto& next = pending.front();
      if (next.piece.serviceRequest) {
        if (session_->async) AppendServiceRequest(session_->async->Outbox());
        pending.pop_front();
        continue;
      }
      if (next.piece.Disconnects()) {
        CloseWhenSent();
        if (session_->async) session_->async->CloseWhenSent();
        pending.clear();
        break;
      }
      AppendFrame(Outbox(), next.piece.endsReply ? kDataEnd : kData, 0, next.messageId,
                  next.piece.Text());
      pending.pop_front();
    }
    return true;
  }
  Clock::time_point WakeAt() const override {
    if (!session_ || session_->sync != this || session_->pending.empty()) {
      return Clock::time_point::max();
    }
    return session_->pending.front().piece.due;
  }

 private:
  bool Handle(const HislipFrame& frame) {
    HislipServer::State& state = *state_;
    if (!session_) {
      if (frame.type == kInitialize) {
        session_ = std::make_shared<Session>();
        session_->id = state.nextSessionId++;
        session_->sync = this;
        state.sessions[session_->id] = session_;
        AppendFrame(Outbox(), kInitializeResponse, 0, (0x0100u << 16) | session_->id, {});
        return true;
      }
      if (frame.type == kAsyncInitialize) {
        const auto found = state.sessions.find(static_cast<std::uint16_t>(frame.parameter));
        if (found == state.sessions.end()) return false;
        session_ = found->second;
        session_->async = this;
        async_ = true;
        AppendFrame(Outbox(), kAsyncInitializeResponse, 0, ('F' << 8) | 'K', {});
        return true;
      }
      return false;
    }
    Session& session = *session_;
    switch (frame.type) {
      case kData:
      case kDataEnd:
        if (!state.options.fatalErrorOn.empty() && frame.payload == state.options.fatalErrorOn) {
          AppendFrame(Outbox(), kFatalError, 0, 0, "told to fail");
          CloseWhenSent();
          return true;
        }
        state.script->Receive(frame.payload, frame.type == kDataEnd, session.partial,
                              session.scriptQueue);
        for (; !session.scriptQueue.Empty(); session.scriptQueue.Pop()) {
          session.pending.push_back({session.scriptQueue.Front(), frame.parameter});
        }
        return true;
      case kDeviceClearComplete:
        session.pending.clear();
        session.scriptQueue = OutputQueue();
        session.partial.clear();
        AppendFrame(Outbox(), kDeviceClearAcknowledge, frame.control, 0, {});
        return true;
      case kAsyncMaximumMessageSize: {
        std::string size;
        for (int i = 0; i < 8; ++i) {
          size += static_cast<char>(state.options.maximumMessageSize >> (56 - 8 * i));
        }
        AppendFrame(Outbox(), kAsyncMaximumMessageSizeResponse, 0, 0, size);
        return true;
      }
      case kAsyncDeviceClear:
        session.pending.clear();
        AppendFrame(Outbox(), kAsyncDeviceClearAcknowledge, 0, 0, {});
        return true;
      case kAsyncStatusQuery:
        if (state.options.serviceRequestBeforeStatus) AppendServiceRequest(Outbox());
        AppendFrame(Outbox(), kAsyncStatusResponse,
                    state.script->PollStatusByte(state.options.statusByte), 0, {});
        return true;
      case kAsyncLock:
        if (frame.control == 1) {
          // Another session's lock is refused at once rather than waited for.
          const bool free = state.lockHolder == 0 || state.lockHolder == session.id;
          if (free) state.lockHolder = session.id;
          AppendFrame(Outbox(), kAsyncLockResponse, free ? 1 : 0, 0, {});
        } else {
          const bool held = state.lockHolder == session.id;
          if (held) state.lockHolder = 0;
          AppendFrame(Outbox(), kAsyncLockResponse, held ? 1 : 3, 0, {});
        }
        return true;
      default:  // Trigger and the rest: recorded only
        return true;
    }
  }

  std::shared_ptr<HislipServer::State> state_;
  std::shared_ptr<Session> session_;
  bool async_ = false;
  std::string input_;
};

}  // namespace

bool HislipServer::SetUp(Loop& loop, std::string& resource, Options options) {
  state_ = std::make_shared<State>();
  state_->script = &loop.GetScript();
  state_->options = std::move(options);
  auto state = state_;
  const std::uint16_t port = loop.Listen(
      [state] { return std::make_unique<HislipConnection>(state); }, state->options.port);
  if (port == 0) return false;
  resource = "TCPIP::" + loop.HostText() + "::hislip0," + std::to_string(port) + "::INSTR";
  return true;
}

std::vector<HislipFrame> HislipServer::Frames() const {
  std::lock_guard guard(state_->mutex);
  return state_->frames;
}

bool SetUpHislipWire(Loop& loop, std::string& resource, std::uint16_t port) {
  HislipServer server;
  return server.SetUp(loop, resource, HislipServer::Options{.fatalErrorOn = {}, .port = port});
}

}  // namespace tevra::emulator
