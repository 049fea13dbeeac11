// Safe arrays hand out zeroed data, also when a thread's next large array reuses the memory of
// the last one it destroyed.
#include <gtest/gtest.h>

#include <algorithm>

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

}  // namespace
