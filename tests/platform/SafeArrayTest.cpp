// Safe arrays hand out zeroed data, also when a thread's next large array reuses the memory of
// the last one it destroyed; a vector that grows into that memory keeps what it held.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/SafeArray.h"
#include "tevra/TevraTypes.h"

namespace {

TEST(SafeArray, EveryArrayStartsZeroedWhateverItsThreadDestroyedBefore) {
  // 2 MB, 2 MB again (the first one's memory), a smaller one that fits it, then one that does not
  for (const ULONG count : {ULONG{1} << 18, ULONG{1} << 18, (ULONG{1} << 17) + 1, ULONG{1} << 19}) {
    SCOPED_TRACE(count);
    SAFEARRAY* array = TevraSafeArrayCreateVector(VT_R8, 0, count);
    ASSERT_NE(array, nullptr);
    double* data = nullptr;
    ASSERT_EQ(TevraSafeArrayAccessData(array, reinterpret_cast<void**>(&data)), S_OK);
    EXPECT_EQ(std::count(data, data + count, 0.0), static_cast<long>(count));
    std::fill(data, data + count, 1.5);
    TevraSafeArrayUnaccessData(array);
    ASSERT_EQ(TevraSafeArrayDestroy(array), S_OK);
  }
}

TEST(SafeArray, AVectorGrowsIntoTheSpareMemoryWithItsElements) {
  constexpr ULONG kSpare = ULONG{1} << 18;  // 2 MB of doubles
  ASSERT_EQ(TevraSafeArrayDestroy(TevraSafeArrayCreateVector(VT_R8, 0, kSpare)), S_OK);
  for (const ULONG wanted : {kSpare / 2, kSpare * 2}) {  // into the spare block, then past it
    SCOPED_TRACE(wanted);
    SAFEARRAY* array = TevraSafeArrayCreateVector(VT_R8, 0, 1000);
    ASSERT_NE(array, nullptr);
    for (int i = 0; i < 1000; ++i) static_cast<double*>(array->pvData)[i] = i;
    const ULONG now = tevra::platform::GrowVector(array, wanted);
    ASSERT_GE(now, wanted);
    EXPECT_EQ(array->rgsabound[0].cElements, now);
    const double* data = static_cast<const double*>(array->pvData);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(data[i], i);
    ASSERT_EQ(TevraSafeArrayDestroy(array), S_OK);
  }
}

}  // namespace
