#include "emulator/Script.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace tevra::emulator {

Rule& Rule::Reply(std::string bytes) {
  action_ = Action::Reply;
  reply_ = std::make_shared<const std::string>(std::move(bytes));
  return *this;
}

Rule& Rule::NoReply() {
  action_ = Action::NoReply;
  return *this;
}

Rule& Rule::Disconnect() {
  action_ = Action::Disconnect;
  return *this;
}

Rule& Rule::Garbage(std::size_t size) {
  action_ = Action::Garbage;
  garbageSize_ = size;
  return *this;
}

Rule& Rule::After(Milliseconds delay) {
  delay_ = delay;
  return *this;
}

Rule& Rule::InChunks(std::size_t maxChunk, Microseconds gap) {
  maxChunk_ = maxChunk;
  chunkGap_ = gap;
  return *this;
}

Rule& Rule::Times(int uses) {
  usesLeft_ = uses;
  return *this;
}

Rule& Rule::Then(std::string bytes, Milliseconds after) {
  parts_.push_back({std::make_shared<const std::string>(std::move(bytes)), after});
  return *this;
}

Rule& Rule::ThenDisconnect(Milliseconds after) {
  parts_.push_back({nullptr, after});
  return *this;
}

Rule& Rule::RequestService() {
  requestsService_ = true;
  return *this;
}

bool Rule::Matches(std::string_view command) const {
  if (usesLeft_ == 0) return false;
  return match_ == Match::Exact ? command == pattern_ : command.starts_with(pattern_);
}

Rule& Script::On(std::string command) {
  std::lock_guard guard(mutex_);
  return rules_.emplace_back(std::move(command), Rule::Match::Exact);
}

Rule& Script::OnPrefix(std::string prefix) {
  std::lock_guard guard(mutex_);
  return rules_.emplace_back(std::move(prefix), Rule::Match::Prefix);
}

void Script::SetRecording(bool on) {
  std::lock_guard guard(mutex_);
  recording_ = on;
}

std::string Script::Transcript() const {
  std::lock_guard guard(mutex_);
  return transcript_;
}

std::vector<std::string> Script::Commands() const {
  std::lock_guard guard(mutex_);
  return commands_;
}

std::vector<std::string> Script::Unmatched() const {
  std::lock_guard guard(mutex_);
  return unmatched_;
}

bool Script::WaitForTranscript(std::size_t size, Milliseconds timeout) const {
  std::unique_lock guard(mutex_);
  return changed_.wait_for(guard, timeout, [&] { return transcript_.size() >= size; });
}

bool Script::WaitForClosedConnections(int count, Milliseconds timeout) const {
  std::unique_lock guard(mutex_);
  return changed_.wait_for(guard, timeout, [&] { return closedConnectionCount_ >= count; });
}

void Script::SetResponder(std::shared_ptr<Responder> responder) {
  std::lock_guard guard(mutex_);
  responder_ = std::move(responder);
}

void Script::NoteClosedConnection() {
  std::lock_guard guard(mutex_);
  ++closedConnectionCount_;
  changed_.notify_all();
}

std::uint8_t Script::PollStatusByte(std::uint8_t fallback) {
  std::lock_guard guard(mutex_);
  ++statusPolls_;
  changed_.notify_all();
  constexpr std::string_view kQuery = "*STB?";
  std::string answer;
  const auto rule = std::find_if(rules_.begin(), rules_.end(),
                                 [&](const Rule& candidate) { return candidate.Matches(kQuery); });
  if (rule != rules_.end()) {
    if (rule->usesLeft_ > 0) --rule->usesLeft_;
    if (rule->action_ == Rule::Action::Reply) answer = *rule->reply_;
  } else if (responder_) {
    answer = responder_->Answer(kQuery);
  }
  std::string_view text = answer;
  if (text.starts_with('+')) text.remove_prefix(1);
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data() || value > 255) return fallback;
  return static_cast<std::uint8_t>(value);
}

int Script::StatusPolls() const {
  std::lock_guard guard(mutex_);
  return statusPolls_;
}

void Script::Receive(std::string_view bytes, bool end, std::string& partial, OutputQueue& queue) {
  {
    std::lock_guard guard(mutex_);
    if (recording_) {
      transcript_.append(bytes);
      // A message end shows as the line feed that ends a message on the raw socket, so that one
      // transcript reads the same over every wire.
      if (end && (bytes.empty() || bytes.back() != '\n')) transcript_.push_back('\n');
    }
    changed_.notify_all();
  }
  for (std::size_t lineFeed; (lineFeed = bytes.find('\n')) != std::string_view::npos;) {
    partial.append(bytes.substr(0, lineFeed));
    Answer(std::exchange(partial, {}), queue);
    bytes.remove_prefix(lineFeed + 1);
  }
  partial.append(bytes);
  if (end && !partial.empty()) Answer(std::exchange(partial, {}), queue);
}

void Script::Answer(const std::string& command, OutputQueue& queue) {
  Rule::Action action = Rule::Action::NoReply;
  std::shared_ptr<const std::string> reply;
  Milliseconds delay{0};
  Microseconds chunkGap{0};
  std::size_t maxChunk = 0;
  std::vector<Rule::Part> parts;
  bool requestsService = false;
  {
    std::lock_guard guard(mutex_);
    if (recording_) commands_.push_back(command);
    const auto rule = std::find_if(rules_.begin(), rules_.end(), [&](const Rule& candidate) {
      return candidate.Matches(command);
    });
    std::string answer;
    if (rule == rules_.end() && responder_) {
      answer = responder_->Answer(command);
      requestsService = responder_->TakeServiceRequest();
    }
    if (!answer.empty()) {
      action = Rule::Action::Reply;
      reply = std::make_shared<const std::string>(std::move(answer));
    } else if (rule == rules_.end()) {
      if (!responder_) unmatched_.push_back(command);
    } else {
      if (rule->usesLeft_ > 0) --rule->usesLeft_;
      action = rule->action_;
      reply = rule->reply_;
      delay = rule->delay_;
      maxChunk = rule->maxChunk_;
      chunkGap = rule->chunkGap_;
      parts = rule->parts_;
      requestsService = rule->requestsService_;
      if (action == Rule::Action::Garbage) {
        std::string garbage(rule->garbageSize_, '\0');
        std::uniform_int_distribution<int> byte(0, 254);
        for (char& c : garbage) {
          const int value = byte(random_);
          c = static_cast<char>(value >= '\n' ? value + 1 : value);  // anything but a line feed
        }
        garbage.push_back('\n');
        reply = std::make_shared<const std::string>(std::move(garbage));
      }
    }
    changed_.notify_all();
  }
  // Replies leave in command order: never before the one queued ahead.
  const Clock::time_point due = std::max(Clock::now() + delay, queue.lastDue_);
  if (action == Rule::Action::Disconnect) {
    queue.Push({due, nullptr, 0, 0, true});
    return;
  }
  if (action != Rule::Action::NoReply)
    QueueReplyParts(queue, reply, due, maxChunk, chunkGap, parts);
  if (requestsService) {
    queue.Push({std::max(due, queue.lastDue_), nullptr, 0, 0, false, true});
  }
}

void Script::QueueReplyParts(OutputQueue& queue, const std::shared_ptr<const std::string>& reply,
                             Clock::time_point due, std::size_t maxChunk, Microseconds chunkGap,
                             const std::vector<Rule::Part>& parts) {
  // A piece ends a message (END, on wires that mark it) when it ends in a line feed or is the
  // last: a reply that stalls in its middle stays one message.
  const auto endsMessage = [](const std::string& bytes, bool last) {
    return last || (!bytes.empty() && bytes.back() == '\n');
  };
  QueueReply(queue, reply, due, maxChunk, chunkGap, endsMessage(*reply, parts.empty()));
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const Rule::Part& part = parts[i];
    const Clock::time_point partDue = queue.lastDue_ + part.after;
    const bool ends = !part.bytes || endsMessage(*part.bytes, i + 1 == parts.size());
    queue.Push({partDue, part.bytes, 0, part.bytes ? part.bytes->size() : 0, ends});
  }
}

void Script::QueueReply(OutputQueue& queue, std::shared_ptr<const std::string> reply,
                        Clock::time_point due, std::size_t maxChunk, Microseconds chunkGap,
                        bool endsMessage) {
  if (maxChunk == 0 || reply->size() <= 1) {
    queue.Push({due, reply, 0, reply->size(), endsMessage});
    return;
  }
  std::uniform_int_distribution<std::size_t> chunkSize(1, maxChunk);
  Clock::time_point chunkDue = due;
  for (std::size_t offset = 0; offset < reply->size();) {
    std::size_t size;
    {
      std::lock_guard guard(mutex_);
      size = std::min(chunkSize(random_), reply->size() - offset);
    }
    offset += size;
    queue.Push({chunkDue, reply, offset - size, offset, endsMessage && offset == reply->size()});
    chunkDue += chunkGap;
  }
}

}  // namespace tevra::emulator
