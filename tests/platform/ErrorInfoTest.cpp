// The thread's error information: set, taken, and released when the thread ends (the leak
// checker of the sanitizer build catches a thread that leaves its record behind).
#include <gtest/gtest.h>

#include <string_view>
#include <thread>

#include "platform/ErrorInfo.h"

namespace tevra::platform {
namespace {

TEST(ThreadErrorInfo, EachThreadHasItsOwnAndReleasesItAtExit) {
  ASSERT_TRUE(SetThreadError({"here", "src", GUID_NULL, "", 0}));
  std::thread other([] {
    EXPECT_FALSE(HasThreadError());
    EXPECT_TRUE(SetThreadError({"there", "src", GUID_NULL, "", 0}));
  });
  other.join();
  ErrorRecord record;
  ASSERT_TRUE(TakeThreadError(record));
  EXPECT_EQ(record.description, "here");
  EXPECT_FALSE(HasThreadError());

  IErrorInfo* info = nullptr;
  ASSERT_TRUE(SetThreadError({"public", "Tevra.Tevra.1", GUID_NULL, "Tevra.chm", 3}));
  ASSERT_EQ(TevraGetErrorInfo(0, &info), S_OK);
  BSTR text = nullptr;
  ASSERT_EQ(info->GetDescription(&text), S_OK);
  EXPECT_EQ(std::u16string_view(text, TevraSysStringLen(text)), u"public");
  TevraSysFreeString(text);
  ULONG context = 0;
  EXPECT_EQ(info->GetHelpContext(&context), S_OK);
  EXPECT_EQ(context, 3u);
  info->Release();
  EXPECT_EQ(TevraGetErrorInfo(0, &info), S_FALSE);
  EXPECT_EQ(info, nullptr);
}

}  // namespace
}  // namespace tevra::platform
