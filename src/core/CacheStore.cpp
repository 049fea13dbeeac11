#include "core/CacheStore.h"

namespace tevra::core {

bool CacheEntryTraits<BSTR>::CopyIn(BSTR& slot, const BSTR& value) {
  slot = SysAllocStringLen(value, SysStringLen(value));
  return slot != nullptr;
}

bool CacheEntryTraits<BSTR>::CopyOut(const BSTR& slot, BSTR& out) {
  BSTR copy = SysAllocStringLen(slot, SysStringLen(slot));
  if (!copy) return false;
  out = copy;
  return true;
}

void CacheEntryTraits<BSTR>::Release(BSTR& slot) {
  SysFreeString(slot);
  slot = nullptr;
}

}  // namespace tevra::core
