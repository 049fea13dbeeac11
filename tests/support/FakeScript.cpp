#include "support/FakeScript.h"

#include <algorithm>
#include <utility>

namespace tevra::testing {

FakeRule& FakeRule::Reply(std::string bytes) {
  action_ = Action::Reply;
  reply_ = std::make_shared<const std::string>(std::move(bytes));
  return *this;
}

FakeRule& FakeRule::NoReply() {
  action_ = Action::NoReply;
  return *this;
}

FakeRule& FakeRule::Disconnect() {
  action_ = Action::Disconnect;
  return *this;
}

FakeRule& FakeRule::Garbage(std::size_t size) {
  action_ = Action::Garbage;
  garbageSize_ = size;
  return *this;
}

FakeRule& FakeRule::After(Milliseconds delay) {
  delay_ = delay;
  return *this;
}

FakeRule& FakeRule::InChunks(std::size_t maxChunk, Microseconds gap) {
  maxChunk_ = maxChunk;
  chunkGap_ = gap;
  return *this;
}

FakeRule& FakeRule::Times(int uses) {
  usesLeft_ = uses;
  return *this;
}

FakeRule& FakeRule::Then(std::string bytes, Milliseconds after) {
  parts_.push_back({std::make_shared<const std::string>(std::move(bytes)), after});
  return *this;
}

FakeRule& FakeRule::ThenDisconnect(Milliseconds after) {
  parts_.push_back({nullptr, after});
  return *this;
}

bool FakeRule::Matches(std::string_view command) const {
  if (usesLeft_ == 0) return false;
  return match_ == Match::Exact ? command == pattern_ : command.starts_with(pattern_);
}

FakeRule& FakeScript::On(std::string command) {
  std::lock_guard guard(mutex_);
  return rules_.emplace_back(std::move(command), FakeRule::Match::Exact);
}

FakeRule& FakeScript::OnPrefix(std::string prefix) {
  std::lock_guard guard(mutex_);
  return rules_.emplace_back(std::move(prefix), FakeRule::Match::Prefix);
}

void FakeScript::SetRecording(bool on) {
  std::lock_guard guard(mutex_);
  recording_ = on;
}

std::string FakeScript::Transcript() const {
  std::lock_guard guard(mutex_);
  return transcript_;
}

std::vector<std::string> FakeScript::Commands() const {
  std::lock_guard guard(mutex_);
  return commands_;
}

std::vector<std::string> FakeScript::Unmatched() const {
  std::lock_guard guard(mutex_);
  return unmatched_;
}

bool FakeScript::WaitForTranscript(std::size_t size, Milliseconds timeout) const {
  std::unique_lock guard(mutex_);
  return changed_.wait_for(guard, timeout, [&] { return transcript_.size() >= size; });
}

bool FakeScript::WaitForClosedConnections(int count, Milliseconds timeout) const {
  std::unique_lock guard(mutex_);
  return changed_.wait_for(guard, timeout, [&] { return closedConnectionCount_ >= count; });
}

void FakeScript::NoteClosedConnection() {
  std::lock_guard guard(mutex_);
  ++closedConnectionCount_;
  changed_.notify_all();
}

void FakeScript::Receive(std::string_view bytes, bool end, std::string& partial,
                         FakeOutputQueue& queue) {
  {
    std::lock_guard guard(mutex_);
    if (recording_) transcript_.append(bytes);
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

void FakeScript::Answer(const std::string& command, FakeOutputQueue& queue) {
  FakeRule::Action action = FakeRule::Action::NoReply;
  std::shared_ptr<const std::string> reply;
  Milliseconds delay{0};
  Microseconds chunkGap{0};
  std::size_t maxChunk = 0;
  std::vector<FakeRule::Part> parts;
  {
    std::lock_guard guard(mutex_);
    if (recording_) commands_.push_back(command);
    const auto rule = std::find_if(rules_.begin(), rules_.end(), [&](const FakeRule& candidate) {
      return candidate.Matches(command);
    });
    if (rule == rules_.end()) {
      unmatched_.push_back(command);
    } else {
      if (rule->usesLeft_ > 0) --rule->usesLeft_;
      action = rule->action_;
      reply = rule->reply_;
      delay = rule->delay_;
      maxChunk = rule->maxChunk_;
      chunkGap = rule->chunkGap_;
      parts = rule->parts_;
      if (action == FakeRule::Action::Garbage) {
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
  if (action == FakeRule::Action::NoReply) return;

  // Replies leave in command order: never before the one queued ahead.
  const FakeClock::time_point due = std::max(FakeClock::now() + delay, queue.lastDue_);
  if (action == FakeRule::Action::Disconnect) {
    queue.Push({due, nullptr, 0, 0, true});
    return;
  }
  QueueReply(queue, reply, due, maxChunk, chunkGap);
  for (const FakeRule::Part& part : parts) {
    const FakeClock::time_point partDue = queue.lastDue_ + part.after;
    queue.Push({partDue, part.bytes, 0, part.bytes ? part.bytes->size() : 0, true});
  }
}

void FakeScript::QueueReply(FakeOutputQueue& queue, std::shared_ptr<const std::string> reply,
                            FakeClock::time_point due, std::size_t maxChunk,
                            Microseconds chunkGap) {
  if (maxChunk == 0 || reply->size() <= 1) {
    queue.Push({due, reply, 0, reply->size(), true});
    return;
  }
  std::uniform_int_distribution<std::size_t> chunkSize(1, maxChunk);
  FakeClock::time_point chunkDue = due;
  for (std::size_t offset = 0; offset < reply->size();) {
    std::size_t size;
    {
      std::lock_guard guard(mutex_);
      size = std::min(chunkSize(random_), reply->size() - offset);
    }
    offset += size;
    queue.Push({chunkDue, reply, offset - size, offset, offset == reply->size()});
    chunkDue += chunkGap;
  }
}

}  // namespace tevra::testing
