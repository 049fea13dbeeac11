// Helpers over the safe-array functions: element sizes by variant type, a one-dimensional view
// for readers that check shape and type, and an owning pointer.
#pragma once

#include <cstddef>
#include <span>
#include <utility>

#include "tevra/TevraTypes.h"

namespace tevra::platform {

// Bytes per element of a supported variant type; 0 for any other type.
std::size_t ElementSizeOf(VARTYPE vt);

// The data and length of a one-dimensional array with lower bound 0 whose element type is one of
// the accepted types; false for anything else (null, other shape, other type).
bool ViewVector(const SAFEARRAY* array, std::span<const VARTYPE> accepted, void*& data,
                std::size_t& count);

// Changes the length of a one-dimensional array of numbers in place, keeping its first elements;
// elements past the old length are not initialised. False (nothing changed) when the array is
// not such an array or memory runs out.
bool ResizeVector(SAFEARRAY* array, ULONG elements);
// Grows a vector to at least elements, all at once into this thread's spare block (the memory
// of the last large array it destroyed) when that holds them, else by ResizeVector. The elements
// it has afterwards (at least the ones asked for), 0 when it could not grow.
ULONG GrowVector(SAFEARRAY* array, ULONG elements);

class SafeArrayPtr {
 public:
  SafeArrayPtr() = default;
  explicit SafeArrayPtr(SAFEARRAY* array) : p_(array) {}
  SafeArrayPtr(const SafeArrayPtr&) = delete;
  SafeArrayPtr& operator=(const SafeArrayPtr&) = delete;
  SafeArrayPtr(SafeArrayPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  SafeArrayPtr& operator=(SafeArrayPtr&& other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~SafeArrayPtr() {
    if (p_) TevraSafeArrayDestroy(p_);
  }
  SAFEARRAY* get() const { return p_; }
  SAFEARRAY* release() { return std::exchange(p_, nullptr); }

 private:
  SAFEARRAY* p_ = nullptr;
};

}  // namespace tevra::platform
