// The process-wide object table: a registration holds a reference, a lookup gives one from any
// thread, a revoked or never-issued cookie gives nothing, and the table's reference goes with the
// revocation.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/ObjectTable.h"

namespace tevra::platform {
namespace {

class Counted final : public IUnknown {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  std::atomic<ULONG> refs = 1;
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

}  // namespace
}  // namespace tevra::platform
