#include "platform/CSessions.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace tevra::platform {
namespace {

struct LastError {
  CStatus code = 0;
  std::string text;
};

// A slot lives as long as the process, so a thread waiting for its lock never waits on freed
// memory; a disposed slot is taken again with the next generation. The handle and data are
// atomics, so that a call finds its session without the table's mutex: the mutex serialises the
// changes of the table (new, dispose, data, error), not the calls.
struct Slot {
  std::uint16_t generation = 1;     // under the table's mutex
  std::atomic<CSession> handle{0};  // the live handle of the slot; 0 while disposed
  std::atomic<std::uintptr_t> data{0};
  LastError error;  // under the table's mutex
  std::recursive_mutex lock;
  // The levels of lock taken by LockSession, and the thread that took them; changed only by
  // that thread while it holds lock.
  std::atomic<std::thread::id> owner{};
  int levels = 0;
};

// Handles: generation in the high 16 bits, slot number + 1 in the low 16. Slots are made in
// chunks that are never moved or freed, reached through a fixed array of chunk pointers.
constexpr std::uint32_t kMaxSlots = 0xFFFF;
constexpr std::uint32_t kChunkSlots = 256;
constexpr std::uint32_t kChunks = (kMaxSlots + kChunkSlots - 1) / kChunkSlots;

class Table {
 public:
  static Table& Instance() {
    static Table table;
    return table;
  }

  CStatus New(CSession* session, std::recursive_mutex** lock) {
    if (!session) return kInvalidSession;
    std::lock_guard guard(mutex_);
    std::uint32_t index = 0;
    while (index < made_ && At(index).handle.load(std::memory_order_relaxed) != 0) ++index;
    if (index == made_) {
      if (index >= kMaxSlots) return kInvalidSession;
      if (index % kChunkSlots == 0)
        chunks_[index / kChunkSlots].store(new Slot[kChunkSlots], std::memory_order_release);
      ++made_;
    }
    Slot& slot = At(index);
    slot.data.store(0, std::memory_order_relaxed);
    slot.error = {};
    *session = (std::uint32_t{slot.generation} << 16) | (index + 1);
    if (lock) *lock = &slot.lock;
    slot.handle.store(*session, std::memory_order_release);
    return 0;
  }

  // By the closing thread, which holds the slot's lock: the levels it took with LockSession go
  // with the session, or the slot's next session would find its lock held for ever.
  CStatus Dispose(CSession session) {
    std::lock_guard guard(mutex_);
    Slot* slot = Find(session);
    if (!slot) return kInvalidSession;
    if (slot->owner.load(std::memory_order_relaxed) == std::this_thread::get_id()) {
      slot->owner.store({}, std::memory_order_relaxed);
      for (; slot->levels > 0; --slot->levels) slot->lock.unlock();
    }
    slot->handle.store(0, std::memory_order_release);
    slot->error = {};
    if (++slot->generation == 0) slot->generation = 1;
    return 0;
  }

  // Runs f on the live slot of the handle under the table's mutex.
  template <class F>
  CStatus With(CSession session, F f) {
    std::lock_guard guard(mutex_);
    Slot* slot = Find(session);
    if (!slot) return kInvalidSession;
    return f(*slot);
  }

  CStatus Lock(CSession session, std::int16_t* callerHasLock) {
    Slot* slot = Find(session);
    if (!slot) return kInvalidSession;
    if (callerHasLock && *callerHasLock) return 0;
    slot->lock.lock();            // the owner may hold it for long
    if (Find(session) != slot) {  // disposed while this thread waited
      slot->lock.unlock();
      return kInvalidSession;
    }
    ++slot->levels;
    slot->owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
    if (callerHasLock) *callerHasLock = 1;
    return 0;
  }

  // The call path: the session's own lock, no lock of the table's.
  CStatus Hold(CSession session, std::recursive_mutex*& lock, std::uintptr_t& data) {
    Slot* slot = Find(session);
    if (!slot) return kInvalidSession;
    slot->lock.lock();
    if (Find(session) != slot) {  // disposed while this thread waited
      slot->lock.unlock();
      return kInvalidSession;
    }
    lock = &slot->lock;
    data = slot->data.load(std::memory_order_acquire);
    return 0;
  }

  CStatus Unlock(CSession session, std::int16_t* callerHasLock) {
    Slot* slot = Find(session);
    if (!slot) return kInvalidSession;
    if (callerHasLock && !*callerHasLock) return 0;
    // A thread that took no level with LockSession has none to give back.
    if (slot->owner.load(std::memory_order_relaxed) == std::this_thread::get_id() &&
        slot->levels > 0) {
      if (--slot->levels == 0) slot->owner.store({}, std::memory_order_relaxed);
      slot->lock.unlock();
    }
    if (callerHasLock) *callerHasLock = 0;
    return 0;
  }

 private:
  Slot& At(std::uint32_t index) {
    return chunks_[index / kChunkSlots].load(std::memory_order_relaxed)[index % kChunkSlots];
  }

  // The live slot of the handle, or null; safe without the mutex.
  Slot* Find(CSession session) {
    const std::uint32_t index = session & 0xFFFF;
    if (index == 0) return nullptr;
    Slot* chunk = chunks_[(index - 1) / kChunkSlots].load(std::memory_order_acquire);
    if (!chunk) return nullptr;
    Slot& slot = chunk[(index - 1) % kChunkSlots];
    return slot.handle.load(std::memory_order_acquire) == session ? &slot : nullptr;
  }

  std::mutex mutex_;
  std::atomic<Slot*> chunks_[kChunks] = {};
  std::uint32_t made_ = 0;  // under the mutex
};

thread_local LastError threadError;

}  // namespace

std::int32_t CopyString(const char* text, std::int32_t size, char* buffer) {
  if (!text) {
    if (buffer && size != 0) {
      buffer[0] = '\0';
      return 0;
    }
    return 1;
  }
  return CopyString(std::string_view(text), size, buffer);
}

std::int32_t CopyString(std::string_view text, std::int32_t size, char* buffer) {
  const auto needed = static_cast<std::int32_t>(std::min<std::size_t>(text.size() + 1, INT32_MAX));
  if (!buffer || size == 0) return needed;
  if (size < 0 || size >= needed) {
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return 0;
  }
  std::memcpy(buffer, text.data(), static_cast<std::size_t>(size - 1));
  buffer[size - 1] = '\0';
  return needed;
}

CStatus NewSession(CSession* session, std::recursive_mutex** lock) {
  return Table::Instance().New(session, lock);
}
CStatus DisposeSession(CSession session) { return Table::Instance().Dispose(session); }

CStatus SetSessionData(CSession session, std::uintptr_t value) {
  return Table::Instance().With(session, [&](Slot& slot) {
    slot.data.store(value, std::memory_order_release);
    return 0;
  });
}

SessionHold::~SessionHold() {
  if (lock_) lock_->unlock();
}

CStatus HoldSession(CSession session, SessionHold& hold) {
  if (hold.lock_) std::exchange(hold.lock_, nullptr)->unlock();
  return Table::Instance().Hold(session, hold.lock_, hold.data_);
}

CStatus LockSession(CSession session, std::int16_t* callerHasLock) {
  return Table::Instance().Lock(session, callerHasLock);
}
CStatus UnlockSession(CSession session, std::int16_t* callerHasLock) {
  return Table::Instance().Unlock(session, callerHasLock);
}

CStatus SetSessionError(CSession session, CStatus code, std::string_view text) {
  if (session == 0) {
    threadError = {code, std::string(text)};
    return 0;
  }
  return Table::Instance().With(session, [&](Slot& slot) {
    slot.error = {code, std::string(text)};
    return 0;
  });
}

CStatus GetSessionError(CSession session, std::int32_t bufferSize, CStatus* code, char* buffer) {
  const auto give = [&](const LastError& error) {
    if (code) *code = error.code;
    return CopyString(error.text, bufferSize, buffer);
  };
  if (session == 0) return give(threadError);
  return Table::Instance().With(session, [&](Slot& slot) { return give(slot.error); });
}

CStatus ClearSessionError(CSession session) { return SetSessionError(session, 0, {}); }

}  // namespace tevra::platform
