// The entry path runs on every call: a simple property call must not touch the heap.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "support/DriverHandle.h"

namespace {
std::atomic<long> g_allocations{0};
}

// Counts every allocation of this test program. Every form is replaced, so that allocation and
// release always pair up (sanitizers check that they do).
void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  ++g_allocations;
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace tevra::testing {
namespace {

TEST(EntryAllocation, PropertyCallsDoNotAllocate) {
  DriverHandle handle;
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true"), S_OK);
  VARIANT_BOOL value = 0;
  LONG version = 0;
  ASSERT_EQ(handle.operation->get_Cache(&value), S_OK);  // warm up
  const long before = g_allocations.load();
  for (int i = 0; i < 100; ++i) {
    handle.operation->get_Cache(&value);
    handle.operation->put_RangeCheck(VARIANT_TRUE);
    handle.identity->get_SpecificationMajorVersion(&version);
    handle.utility->Reset();
  }
  EXPECT_EQ(g_allocations.load() - before, 0);
}

}  // namespace
}  // namespace tevra::testing
