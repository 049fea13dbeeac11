#include "core/CacheStore.h"

namespace tevra::core {

bool CacheEntryTraits<BSTR>::CopyIn(BSTR& slot, const BSTR& value) {
  slot = TevraSysAllocStringLen(value, TevraSysStringLen(value));
  return slot != nullptr;
}

bool CacheEntryTraits<BSTR>::CopyOut(const BSTR& slot, BSTR& out) {
  BSTR copy = TevraSysAllocStringLen(slot, TevraSysStringLen(slot));
  if (!copy) return false;
  out = copy;
  return true;
}

void CacheEntryTraits<BSTR>::Release(BSTR& slot) {
  TevraSysFreeString(slot);
  slot = nullptr;
}

}  // namespace tevra::core
