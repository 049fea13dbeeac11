#include "platform/ObjectTable.h"

#include <mutex>
#include <unordered_map>

namespace tevra::platform {
namespace {

struct Table {
  std::mutex mutex;
  std::unordered_map<ObjectCookie, IUnknown*> objects;
  ObjectCookie next = 1;
};

Table& Objects() {
  static Table table;
  return table;
}

}  // namespace

HRESULT RegisterObject(IUnknown* object, ObjectCookie* cookie) {
  if (!object || !cookie) return E_INVALIDARG;
  Table& table = Objects();
  std::lock_guard guard(table.mutex);
  if (table.next == 0) return E_OUTOFMEMORY;  // every cookie was issued once
  object->AddRef();
  *cookie = table.next++;
  table.objects.emplace(*cookie, object);
  return S_OK;
}

HRESULT GetRegisteredObject(ObjectCookie cookie, IUnknown** object) {
  if (!object) return E_INVALIDARG;
  *object = nullptr;
  Table& table = Objects();
  std::lock_guard guard(table.mutex);
  const auto found = table.objects.find(cookie);
  if (found == table.objects.end()) return E_INVALIDARG;
  found->second->AddRef();
  *object = found->second;
  return S_OK;
}

HRESULT RevokeObject(ObjectCookie cookie) {
  IUnknown* object = nullptr;
  {
    Table& table = Objects();
    std::lock_guard guard(table.mutex);
    const auto found = table.objects.find(cookie);
    if (found == table.objects.end()) return E_INVALIDARG;
    object = found->second;
    table.objects.erase(found);
  }
  object->Release();  // outside the lock: the last release may run a destructor that registers
  return S_OK;
}

}  // namespace tevra::platform
