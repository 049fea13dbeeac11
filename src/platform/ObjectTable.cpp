#include "platform/ObjectTable.h"

#include <array>
#include <atomic>
#include <mutex>
#include <thread>

namespace tevra::platform {
namespace {

// A cookie lives in the slot cookie % kSlots, so a lookup finds its slot without a search and
// without the table's mutex: every C call looks its driver up, and calls on different sessions
// must not meet on a process-wide lock. The mutex serialises registration and revocation only.
constexpr std::uint32_t kSlots = 4096;  // registered objects at once

struct Slot {
  std::atomic<ObjectCookie> cookie{0};  // 0: free
  std::atomic<IUnknown*> object{nullptr};
  std::atomic<std::uint32_t> readers{0};  // lookups between their cookie check and their AddRef
};

struct Table {
  std::mutex mutex;
  std::array<Slot, kSlots> slots;
  ObjectCookie next = 1;  // cookies only grow: none is issued twice
};

Table& Objects() {
  static Table table;
  return table;
}

Slot& SlotOf(Table& table, ObjectCookie cookie) { return table.slots[cookie % kSlots]; }

}  // namespace

HRESULT RegisterObject(IUnknown* object, ObjectCookie* cookie) {
  if (!object || !cookie) return E_INVALIDARG;
  Table& table = Objects();
  std::lock_guard guard(table.mutex);
  // The next cookie whose slot is free; cookies whose slot is taken are skipped for good.
  for (std::uint32_t tried = 0; tried < kSlots; ++tried) {
    if (table.next == 0) return E_OUTOFMEMORY;  // every cookie was issued once
    const ObjectCookie candidate = table.next++;
    Slot& slot = SlotOf(table, candidate);
    if (slot.cookie.load() != 0) continue;
    object->AddRef();
    slot.object.store(object);
    slot.cookie.store(candidate);  // published last: a lookup that matches sees the object
    *cookie = candidate;
    return S_OK;
  }
  return E_OUTOFMEMORY;  // every slot holds an object
}

HRESULT GetRegisteredObject(ObjectCookie cookie, IUnknown** object) {
  if (!object) return E_INVALIDARG;
  *object = nullptr;
  if (cookie == 0) return E_INVALIDARG;
  Slot& slot = SlotOf(Objects(), cookie);
  // Counted as a reader before the check, so a revocation that clears the cookie waits for this
  // lookup's AddRef before it releases the table's reference.
  slot.readers.fetch_add(1);
  if (slot.cookie.load() == cookie) {
    IUnknown* found = slot.object.load();
    found->AddRef();
    *object = found;
  }
  slot.readers.fetch_sub(1);
  return *object ? S_OK : E_INVALIDARG;
}

IUnknown* PeekRegisteredObject(ObjectCookie cookie) {
  if (cookie == 0) return nullptr;
  const Slot& slot = SlotOf(Objects(), cookie);
  return slot.cookie.load(std::memory_order_acquire) == cookie
             ? slot.object.load(std::memory_order_acquire)
             : nullptr;
}

HRESULT RevokeObject(ObjectCookie cookie) {
  IUnknown* object = nullptr;
  {
    Table& table = Objects();
    std::lock_guard guard(table.mutex);
    if (cookie == 0) return E_INVALIDARG;
    Slot& slot = SlotOf(table, cookie);
    if (slot.cookie.load() != cookie) return E_INVALIDARG;
    slot.cookie.store(0);
    while (slot.readers.load() != 0) std::this_thread::yield();  // a lookup finishing its AddRef
    object = slot.object.exchange(nullptr);
  }
  object->Release();  // outside the lock: the last release may run a destructor that registers
  return S_OK;
}

}  // namespace tevra::platform
