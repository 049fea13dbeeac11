// The process-wide object table: a registration holds a reference, a lookup gives one from any
// thread, a revoked or never-issued cookie gives nothing, and the table's reference goes with the
// revocation.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/ObjectTable.h"

namespace tevra::platform {
namespace {

class Counted final : public IUnknown {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override {
    if (slowAddRef) std::this_thread::yield();  // widens the window a revocation could race into
    if (refs.load() == 0) ++revived;            // a reference taken from an object already gone
    return ++refs;
  }
  ULONG Release() override { return --refs; }
  std::atomic<ULONG> refs = 1;
  std::atomic<int> revived = 0;
  bool slowAddRef = false;
};

TEST(ObjectTable, ReferencesFollowRegistrationLookupAndRevocation) {
  Counted object;
  ObjectCookie cookie = 0;
  ASSERT_EQ(RegisterObject(&object, &cookie), S_OK);
  EXPECT_EQ(object.refs, 2u);
  std::thread([&] {
    IUnknown* found = nullptr;
    ASSERT_EQ(GetRegisteredObject(cookie, &found), S_OK);
    EXPECT_EQ(found, &object);
    EXPECT_EQ(object.refs, 3u);
    found->Release();
  }).join();
  ASSERT_EQ(RevokeObject(cookie), S_OK);
  EXPECT_EQ(object.refs, 1u);

  ObjectCookie again = 0;
  ASSERT_EQ(RegisterObject(&object, &again), S_OK);
  EXPECT_NE(again, cookie);  // a revoked cookie does not come back
  IUnknown* found = &object;
  EXPECT_EQ(GetRegisteredObject(cookie, &found), E_INVALIDARG);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(RevokeObject(cookie), E_INVALIDARG);
  EXPECT_EQ(RegisterObject(nullptr, &again), E_INVALIDARG);
  ASSERT_EQ(RevokeObject(again), S_OK);
  EXPECT_EQ(object.refs, 1u);
}

// Lookups on other threads race the revocation that drops the last reference: none may take a
// reference once the table's is gone.
TEST(ObjectTable, ARevocationWaitsForTheLookupsInFlight) {
  for (int round = 0; round < 100; ++round) {
    Counted object;
    object.slowAddRef = true;
    ObjectCookie cookie = 0;
    ASSERT_EQ(RegisterObject(&object, &cookie), S_OK);
    object.Release();  // the table holds the only reference
    std::atomic<int> found = 0;
    std::vector<std::thread> lookups;
    for (int t = 0; t < 3; ++t)
      lookups.emplace_back([&] {
        IUnknown* object = nullptr;
        while (GetRegisteredObject(cookie, &object) == S_OK) {  // until the revocation
          ++found;
          object->Release();
        }
      });
    while (found < 30) std::this_thread::yield();
    EXPECT_EQ(RevokeObject(cookie), S_OK);
    for (std::thread& t : lookups) t.join();
    EXPECT_EQ(object.revived, 0);
    EXPECT_EQ(object.refs, 0u);
  }
}

}  // namespace
}  // namespace tevra::platform
