// The entry protocol that every interface method runs: the order of its checks, the call
// context, the trace record, model gating, the command template, and exceptions.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "core/Driver.h"
#include "platform/ErrorInfo.h"
#include "support/DriverHandle.h"
#include "support/TestDriver.h"

namespace tevra::testing {
namespace {

using core::CallFrame;
using core::MethodRecord;

constexpr IID kTestIid = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};

class EntryPath : public ::testing::Test {
 protected:
  TestDriver driver;
  RecordingTraceLog* trace = &driver.TraceRecords();
};

constexpr MethodRecord kGetValue{&kTestIid, "ITest", "get_Value"};
constexpr MethodRecord kQX1100Only{&kTestIid, "ITest", "Configure", core::kMethodNone,
                                   core::kQX1200 | core::kQX1300};
constexpr MethodRecord kWithCommand{&kTestIid,       "ITest", "Abort", core::kMethodNone,
                                    core::kNoModels, "ABOR",  "%lf"};
constexpr MethodRecord kWithSpecifier{&kTestIid,         "ITest",         "Configure",
                                      core::kMethodNone, core::kNoModels, "CONF:FREQ (@%d)"};

TEST_F(EntryPath, NotInitialisedComesFirstAndIsNotTraced) {
  bool ran = false;
  const HRESULT hr = driver.Enter(
      kGetValue, [&] { return ran = true, S_OK; }, core::Out<std::int32_t>("val", nullptr));
  EXPECT_EQ(hr, static_cast<HRESULT>(0x8004701D));
  EXPECT_FALSE(ran);
  EXPECT_TRUE(trace->open.empty());
  EXPECT_EQ(driver.Calls().TopCallContext(), nullptr);  // popped again
}

TEST_F(EntryPath, NullOutputsAreRefusedBeforeTheTraceAndOthersZeroed) {
  ASSERT_EQ(driver.Init("Simulate=true"), S_OK);
  trace->open.clear();
  trace->records.clear();
  std::int32_t number = 42;
  double real = 1.5;
  BSTR text = reinterpret_cast<BSTR>(0x1);
  const HRESULT hr = driver.Enter(
      kGetValue, [&] { return S_OK; }, core::Out("first", &number), core::Out("second", &real),
      core::Out<BSTR>("third", nullptr), core::Out("fourth", &text));
  EXPECT_EQ(hr, static_cast<HRESULT>(0x80047058));
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Null pointer passed for method 'get_Value', parameter 'third'.");
  EXPECT_TRUE(trace->open.empty());

  EXPECT_EQ(driver.Enter(
                kGetValue, [&] { return S_OK; }, core::Out("first", &number),
                core::Out("second", &real), core::Out("fourth", &text)),
            S_OK);
  EXPECT_TRUE(number == 0 && real == 0.0 && text == nullptr);
  ASSERT_EQ(trace->records.size(), 1u);
  EXPECT_EQ(trace->records[0].params, 3u);
}

TEST_F(EntryPath, TheBodyRunsInsideItsCallContext) {
  ASSERT_EQ(driver.Init("Simulate=true"), S_OK);
  platform::SetThreadError({"stale", "", GUID_NULL, "", 0});
  const HRESULT hr = driver.Enter(kWithCommand, [&](CallFrame& outer) {
    EXPECT_FALSE(platform::HasThreadError());  // cleared at entry
    EXPECT_EQ(outer.command.view(), "ABOR");
    EXPECT_STREQ(outer.method->responseFormat, "%lf");
    driver.Enter(kGetValue, [&](CallFrame& inner) {
      EXPECT_EQ(inner.below, &outer);
      EXPECT_EQ(driver.Calls().TopCallContext(), &inner);
      return S_OK;
    });
    EXPECT_EQ(driver.Calls().TopCallContext(), &outer);
    return driver.Reporter().ReportInvalidValueIntHere("Channel", 9, "%d");
  });
  EXPECT_EQ(hr, static_cast<HRESULT>(0x80047010));
  platform::ErrorRecord error;
  ASSERT_TRUE(platform::TakeThreadError(error));
  EXPECT_EQ(error.description, "Tevra: Invalid value '9' for method 'Abort', parameter 'Channel'.");
  EXPECT_EQ(error.iid, kTestIid);
  // Initialize, then the nested call and the outer one with its result.
  ASSERT_EQ(trace->records.size(), 3u);
  EXPECT_EQ(trace->records[2].method, "Abort");
  EXPECT_EQ(trace->records[2].result, hr);
  EXPECT_EQ(driver.Calls().TopCallContext(), nullptr);
}

TEST_F(EntryPath, UnsupportedModelsAreRefusedBeforeTheBody) {
  ASSERT_EQ(driver.Init("Simulate=true,DriverSetup=Model=QX1200"), S_OK);
  bool ran = false;
  EXPECT_EQ(driver.Enter(kQX1100Only, [&] { return ran = true, S_OK; }),
            static_cast<HRESULT>(0x80044216));
  EXPECT_FALSE(ran);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Instrument model does not support this feature: Configure.");
  // The refusal is traced.
  EXPECT_EQ(trace->records.back().result, static_cast<HRESULT>(0x80044216));
}

TEST_F(EntryPath, ATemplateWithSpecifiersNeedsTheFormatter) {
  ASSERT_EQ(driver.Init("Simulate=true"), S_OK);
  bool ran = false;
  EXPECT_EQ(
      driver.Enter(
          kWithSpecifier, [&] { return ran = true, S_OK; }, core::In("Channel", std::int32_t{1})),
      E_NOTIMPL);
  EXPECT_FALSE(ran);
}

TEST_F(EntryPath, ExceptionsFromTheBodyBecomeStatuses) {
  ASSERT_EQ(driver.Init("Simulate=true"), S_OK);
  EXPECT_EQ(driver.Enter(kGetValue, []() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
  EXPECT_EQ(TakeErrorDescription(), "Could not allocate necessary memory.");
  EXPECT_EQ(driver.Enter(kGetValue, []() -> HRESULT { throw std::out_of_range("index 7"); }),
            E_FAIL);
  EXPECT_EQ(TakeErrorDescription(), "index 7");
  EXPECT_EQ(driver.Enter(kGetValue, []() -> HRESULT { throw 3; }), E_UNEXPECTED);
  // The record was still closed and the context popped.
  EXPECT_EQ(trace->records.back().result, E_UNEXPECTED);
  EXPECT_EQ(driver.Calls().TopCallContext(), nullptr);
}

}  // namespace
}  // namespace tevra::testing
