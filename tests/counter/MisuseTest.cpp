// Every method of every interface, called wrongly: before Initialize and after Close it refuses
// with code 12 (only the interface getters and identity constants answer), with null outputs it
// names the method and a parameter with code 22, and with zeros or a bad channel name it returns
// a status, with a description whenever it fails. None of it may crash.
#include "CounterTestSupport.h"
#include "MisuseTable.h"

namespace tevra::testing {
namespace {

constexpr HRESULT kNotInitialized = static_cast<HRESULT>(0x8004701D);
constexpr HRESULT kNullPointer = static_cast<HRESULT>(0x80047058);

bool AnswersUninitialised(const MisuseRow& row) {
  const std::string_view method = row.method;
  // Interface getters answer; an item of a collection is no sub-interface, and there are no
  // channels before Initialize; the formatted I/O object is the session's.
  if ((row.givesInterface && method != "get_Item" && method != "get_DirectIO") ||
      method == "get_Initialized")
    return true;
  static constexpr std::string_view kIdentityConstants[] = {"get_Identifier",
                                                            "get_SupportedInstrumentModels",
                                                            "get_SpecificationMajorVersion",
                                                            "get_SpecificationMinorVersion",
                                                            "get_Description",
                                                            "get_Revision",
                                                            "get_Vendor"};
  const std::string_view itf = row.interfaceName;
  if (itf != "IIviDriverIdentity" && itf != "IIviComponentIdentity") return false;
  for (std::string_view constant : kIdentityConstants)
    if (method == constant) return true;
  return false;
}

// Methods that would end the session the loop runs on.
bool EndsTheSession(const MisuseRow& row) {
  const std::string_view method = row.method;
  return method == "Close" || method == "Initialize";
}

// The interface of a row on the driver, or on the channel object when the driver has none.
void* InterfaceOf(IUnknown* driver, IUnknown* channel, const MisuseRow& row) {
  void* itf = nullptr;
  if (SUCCEEDED(driver->QueryInterface(*row.iid, &itf))) return itf;
  if (channel && SUCCEEDED(channel->QueryInterface(*row.iid, &itf))) return itf;
  return nullptr;
}

class Misuse : public ::testing::Test {
 protected:
  // Calls each row that the driver's objects answer and hands the status to check; returns how
  // many ran.
  template <class Check>
  static int ForEachRow(CounterDriver& driver, IUnknown* channel, BSTR text, bool nullOutputs,
                        Check check) {
    int ran = 0;
    for (const MisuseRow& row : MisuseRows()) {
      if (EndsTheSession(row) || (nullOutputs && row.outputs.empty())) continue;
      void* itf = InterfaceOf(driver.handle.driver, channel, row);
      if (!itf) continue;
      SCOPED_TRACE(std::string(row.interfaceName) + "." + row.method);
      const HRESULT hr = row.call(itf, text, nullOutputs);
      check(row, hr, TakeErrorDescription());
      static_cast<IUnknown*>(itf)->Release();
      ++ran;
    }
    return ran;
  }

  void ExpectRefusedUninitialised(IUnknown* channel) {
    platform::Bstr text("Channel1");
    const int ran = ForEachRow(
        d, channel, text.get(), false, [](const MisuseRow& row, HRESULT hr, auto message) {
          if (AnswersUninitialised(row)) {
            EXPECT_EQ(hr, S_OK) << message;
          } else {
            EXPECT_EQ(hr, kNotInitialized);
            EXPECT_EQ(message, "Tevra: A connection to the instrument has not been established.");
          }
        });
    EXPECT_GT(ran, 150);
  }

  CounterDriver d;
};

TEST_F(Misuse, BeforeInitializeAndAfterClose) {
  ExpectRefusedUninitialised(nullptr);
  d.Simulate("QX1300");
  ITevraChannel* channel = d.Channel("Channel1");
  ASSERT_EQ(d.handle.Close(), S_OK);
  // The channel object outlives the session it belonged to and refuses the same way.
  ExpectRefusedUninitialised(channel);
}

TEST_F(Misuse, NullOutputsNameTheMethodAndAParameter) {
  d.Simulate("QX1300");
  platform::Bstr text("Channel1");
  const int ran = ForEachRow(
      d, d.Channel("Channel1"), text.get(), true,
      [](const MisuseRow& row, HRESULT hr, auto message) {
        EXPECT_EQ(hr, kNullPointer) << message;
        bool named = false;
        for (const char* output : row.outputs)
          named = named || message == std::string("Tevra: Null pointer passed for method '") +
                                          row.method + "', parameter '" + output + "'.";
        EXPECT_TRUE(named) << message;
      });
  EXPECT_GT(ran, 150);
}

// Zeros for every number and enumeration, an empty or unknown name for every string.
TEST_F(Misuse, ZerosAndBadNamesGiveAStatusWithADescription) {
  for (const char* name : {"", "Channel9", "bogus!name"}) {
    SCOPED_TRACE(name);
    CounterDriver fresh;
    fresh.Simulate("QX1300");
    platform::Bstr text(name);
    const int ran = ForEachRow(fresh, fresh.Channel("Channel1"), text.get(), false,
                               [](const MisuseRow&, HRESULT hr, const std::string& message) {
                                 if (FAILED(hr)) {
                                   EXPECT_FALSE(message.empty()) << std::hex << hr;
                                 }
                               });
    EXPECT_GT(ran, 300);
  }
}

}  // namespace
}  // namespace tevra::testing
