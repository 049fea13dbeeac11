// The per-node store of simulated settings: one typed entry per property, keyed by the
// property's registry row. In simulation a property setter records its value here and the getter
// answers from here; a live session never touches it.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>

#include "tevra/TevraTypes.h"

namespace tevra::core {

class CCacheEntryBase {
 public:
  virtual ~CCacheEntryBase() = default;
  // Releases a held value and marks the entry empty.
  virtual void Invalidate() = 0;
  void Validate() { valid_ = true; }
  bool IsValid() const { return valid_; }

 protected:
  bool valid_ = false;
};

// How a value is copied into the entry, out to a caller, and released. Numbers and enumerations
// (stored as their 32-bit values) are plain copies.
template <class T>
struct CacheEntryTraits {
  static bool CopyIn(T& slot, const T& value) {
    slot = value;
    return true;
  }
  static bool CopyOut(const T& slot, T& out) {
    out = slot;
    return true;
  }
  static void Release(T&) {}
};

// Strings: the entry keeps its own copy and every read hands out a new one.
template <>
struct CacheEntryTraits<BSTR> {
  static bool CopyIn(BSTR& slot, const BSTR& value);
  static bool CopyOut(const BSTR& slot, BSTR& out);
  static void Release(BSTR& slot);
};

template <class T>
class CCacheEntry final : public CCacheEntryBase {
 public:
  ~CCacheEntry() override { Invalidate(); }
  void Invalidate() override {
    if (valid_) CacheEntryTraits<T>::Release(value_);
    value_ = T{};
    valid_ = false;
  }
  // False when a copy could not be made (out of memory); the entry is then empty.
  bool SetValue(const T& value) {
    Invalidate();
    if (!CacheEntryTraits<T>::CopyIn(value_, value)) return false;
    Validate();
    return true;
  }
  // False, and out untouched, while the entry is empty (or a string copy failed).
  bool GetValue(T& out) const { return valid_ && CacheEntryTraits<T>::CopyOut(value_, out); }

 private:
  T value_{};
};

class CCacheStore {
 public:
  // The entry for the key, created empty on first use. Null when the key already holds an entry
  // of another type, which means two settings share a key.
  template <class T>
  CCacheEntry<T>* GetCacheEntry(const void* key) {
    auto it = entries_.find(key);
    if (it == entries_.end()) it = entries_.emplace(key, std::make_unique<CCacheEntry<T>>()).first;
    return dynamic_cast<CCacheEntry<T>*>(it->second.get());
  }
  void InvalidateAll() {
    for (auto& [key, entry] : entries_) entry->Invalidate();
  }
  void Clear() { entries_.clear(); }
  std::size_t Size() const { return entries_.size(); }

 private:
  std::unordered_map<const void*, std::unique_ptr<CCacheEntryBase>> entries_;
};

}  // namespace tevra::core
