// The per-node store of simulated settings: one typed entry per property, keyed by the
// property's registry row. In simulation a property setter records its value here and the getter
// answers from here; a live session never touches it.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <unordered_map>

#include "tevra/TevraTypes.h"

namespace tevra::core {

// The value types an entry holds, each with its own kind, so a lookup checks the type it asks for
// with one compare instead of a dynamic_cast.
template <class T>
constexpr std::uint8_t CacheKindOf() {
  if constexpr (std::is_same_v<T, double>)
    return 1;
  else if constexpr (std::is_same_v<T, std::int32_t>)
    return 2;
  else if constexpr (std::is_same_v<T, std::int16_t>)
    return 3;
  else if constexpr (std::is_same_v<T, BSTR>)
    return 4;
  else
    static_assert(sizeof(T) == 0, "no cache kind for this type: add one");
}

class CCacheEntryBase {
 public:
  explicit CCacheEntryBase(std::uint8_t kind) : kind_(kind) {}
  virtual ~CCacheEntryBase() = default;
  std::uint8_t Kind() const { return kind_; }
  // Releases a held value and marks the entry empty.
  virtual void Invalidate() = 0;
  void Validate() { valid_ = true; }
  bool IsValid() const { return valid_; }

 protected:
  bool valid_ = false;

 private:
  std::uint8_t kind_;
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
  CCacheEntry() : CCacheEntryBase(CacheKindOf<T>()) {}
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
    CCacheEntryBase* entry = it->second.get();
    return entry->Kind() == CacheKindOf<T>() ? static_cast<CCacheEntry<T>*>(entry) : nullptr;
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
