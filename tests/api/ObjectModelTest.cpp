// The driver and channel objects as an object-model client sees them: the declared interface
// list on QueryInterface with its identity rules, error-information support, the class's type
// information, aggregation inside an outer object, and the trace event.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "counter/DriverInterfaces.h"
#include "platform/Bstr.h"
#include "platform/ComPtr.h"
#include "platform/ErrorInfo.h"
#include "support/DriverHandle.h"
#include "support/ScratchFolder.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::testing {
namespace {

using platform::ComPtr;

// The driver class has 69 interfaces besides IUnknown.
static_assert(counter::kDriverInterfaceCount == 69);

constexpr IID kUnrelated = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};

ComPtr<IClassFactory> Factory(REFCLSID clsid) {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(DllGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.put())),
            S_OK);
  return factory;
}

template <class Itf = IUnknown>
ComPtr<Itf> Query(IUnknown* object, REFIID riid) {
  ComPtr<Itf> itf;
  EXPECT_EQ(object->QueryInterface(riid, reinterpret_cast<void**>(itf.put())), S_OK);
  return itf;
}

TEST(ObjectModel, DriverAnswersExactlyItsDeclaredInterfacesWithOneIdentity) {
  {
    ComPtr<IUnknown> driver;
    ASSERT_EQ(Factory(CLSID_Tevra)
                  ->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(driver.put())),
              S_OK);
    std::vector<ComPtr<IUnknown>> itfs;
    for (const IID* iid : counter::kDriverInterfaceIds) itfs.push_back(Query(driver.get(), *iid));
    const auto support = Query<ISupportErrorInfo>(driver.get(), IID_ISupportErrorInfo);
    for (int i = 0; i < counter::kDriverInterfaceCount; ++i) {
      SCOPED_TRACE(counter::kDriverInterfaceNames[i]);
      EXPECT_EQ(Query(itfs[i].get(), IID_IUnknown).get(), driver.get()) << "one identity";
      EXPECT_EQ(support->InterfaceSupportsErrorInfo(*counter::kDriverInterfaceIds[i]), S_OK);
      // From every interface to every other: the same pointer as from the identity.
      for (int j = 0; j < counter::kDriverInterfaceCount; ++j)
        EXPECT_EQ(Query(itfs[i].get(), *counter::kDriverInterfaceIds[j]).get(), itfs[j].get());
    }
    for (const IID& other :
         {kUnrelated, IID_IProvideClassInfo, IID_IClassFactory, IID_ITevraChannel}) {
      void* p = &p;
      EXPECT_EQ(itfs.back()->QueryInterface(other, &p), E_NOINTERFACE);
      EXPECT_EQ(p, nullptr);
      EXPECT_EQ(support->InterfaceSupportsErrorInfo(other), S_FALSE);
    }
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IUnknown), S_FALSE);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  }
  EXPECT_EQ(DllCanUnloadNow(), S_OK) << "every reference was given back";
}

TEST(ObjectModel, ClassInformationListsTheDeclaredInterfaces) {
  ComPtr<IProvideClassInfo2> info;
  ASSERT_EQ(TevraCreateDriver(IID_IProvideClassInfo2, reinterpret_cast<void**>(info.put())), S_OK);
  GUID source{};
  EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
  EXPECT_TRUE(source == IID_ITevraTraceEvents);
  EXPECT_EQ(info->GetGUID(0, &source), E_INVALIDARG);

  ComPtr<ITypeInfo> type;
  ASSERT_EQ(info->GetClassInfo(type.put()), S_OK);
  const auto describe = [](ITypeInfo* t, GUID& guid, std::string& name) {
    TYPEATTR* attr = nullptr;
    EXPECT_EQ(t->GetTypeAttr(&attr), S_OK);
    guid = attr->guid;
    const int implTypes = attr->cImplTypes;
    t->ReleaseTypeAttr(attr);
    platform::Bstr text;
    EXPECT_EQ(t->GetDocumentation(MEMBERID_NIL, text.out(), nullptr, nullptr, nullptr), S_OK);
    name = text.utf8();
    return implTypes;
  };
  GUID guid{};
  std::string name;
  ASSERT_EQ(describe(type.get(), guid, name), counter::kDriverInterfaceCount);
  EXPECT_TRUE(guid == CLSID_Tevra);
  EXPECT_EQ(name, "Tevra");
  platform::Bstr doc;
  EXPECT_EQ(type->GetDocumentation(MEMBERID_NIL, nullptr, doc.out(), nullptr, nullptr), S_OK);
  EXPECT_EQ(doc.utf8(), "Tevra Class");
  for (int i = 0; i < counter::kDriverInterfaceCount; ++i) {
    HREFTYPE ref = 0;
    ASSERT_EQ(type->GetRefTypeOfImplType(i, &ref), S_OK);
    ComPtr<ITypeInfo> itf;
    ASSERT_EQ(type->GetRefTypeInfo(ref, itf.put()), S_OK);
    EXPECT_EQ(describe(itf.get(), guid, name), 0);
    EXPECT_TRUE(guid == *counter::kDriverInterfaceIds[i]);
    EXPECT_EQ(name, counter::kDriverInterfaceNames[i]);
  }
  HREFTYPE ref = 0;
  EXPECT_EQ(type->GetRefTypeOfImplType(counter::kDriverInterfaceCount, &ref), E_INVALIDARG);
  EXPECT_EQ(type->GetRefTypeInfo(0, nullptr), E_POINTER);
}

// An object that aggregates the driver: its own identity, the driver's interfaces for the rest.
class Outer final : public IUnknown {
 public:
  HRESULT Create() {
    return Factory(CLSID_Tevra)
        ->CreateInstance(this, IID_IUnknown, reinterpret_cast<void**>(inner_.put()));
  }
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (riid != IID_IUnknown) return inner_->QueryInterface(riid, ppv);
    *ppv = this;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override {
    if (--refs == 0) inner_ = {};  // the inner object goes with the outer one
    return refs;
  }
  ULONG refs = 1;

 private:
  ComPtr<IUnknown> inner_;
};

TEST(ObjectModel, AggregatedDriverForwardsItsIdentityToTheOuterObject) {
  void* p = &p;
  EXPECT_EQ(Factory(CLSID_Tevra)->CreateInstance(reinterpret_cast<IUnknown*>(&p), IID_ITevra, &p),
            CLASS_E_NOAGGREGATION)
      << "an outer object asks for IUnknown";
  EXPECT_EQ(p, nullptr);
  {
    Outer outer;
    ASSERT_EQ(outer.Create(), S_OK);
    EXPECT_EQ(outer.refs, 1u) << "the inner object holds no reference to the outer one";
    {
      auto math = Query<ITevraMath>(&outer, IID_ITevraMath);
      EXPECT_EQ(outer.refs, 2u);
      EXPECT_EQ(Query(math.get(), IID_IUnknown).get(), &outer);
      auto driver = Query<IIviDriver>(math.get(), IID_IIviDriver);
      EXPECT_EQ(outer.refs, 3u);
      // Through the driver's own methods too: a sub-interface getter counts on the outer object.
      ComPtr<IIviDriverOperation> operation;
      EXPECT_EQ(driver->get_DriverOperation(operation.put()), S_OK);
      EXPECT_EQ(outer.refs, 4u);
    }
    EXPECT_EQ(outer.refs, 1u);
    EXPECT_EQ(outer.Release(), 0u);
  }
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST(ObjectModel, ChannelObjectAnswersItsThreeInterfaces) {
  ComPtr<ITevra> driver;
  ASSERT_EQ(TevraCreateDriver(IID_ITevra, reinterpret_cast<void**>(driver.put())), S_OK);
  platform::Bstr options("Simulate=true");
  ASSERT_EQ(Query<IIviDriver>(driver.get(), IID_IIviDriver)
                ->Initialize(platform::Bstr("").get(), VARIANT_FALSE, VARIANT_FALSE, options.get()),
            S_OK);
  ComPtr<ITevraChannels> channels;
  ASSERT_EQ(driver->get_Channels(channels.put()), S_OK);
  ComPtr<ITevraChannel> channel;
  ASSERT_EQ(channels->get_Item(platform::Bstr("Channel1").get(), channel.put()), S_OK);
  const IID answered[] = {IID_ITevraChannel, IID_IIviCounterChannel, IID_ISupportErrorInfo};
  const auto support = Query<ISupportErrorInfo>(channel.get(), IID_ISupportErrorInfo);
  for (const IID& iid : answered) {
    EXPECT_EQ(Query(Query(channel.get(), iid).get(), IID_IUnknown).get(),
              Query(channel.get(), IID_IUnknown).get());
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(iid), S_OK);
  }
  void* p = nullptr;
  EXPECT_EQ(channel->QueryInterface(IID_ITevra, &p), E_NOINTERFACE);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_ITevra), S_FALSE);

  EXPECT_EQ(Factory(CLSID_TevraChannel)->CreateInstance(nullptr, IID_IUnknown, &p), E_FAIL);
  EXPECT_EQ(p, nullptr);
  EXPECT_NE(platform::PeekThreadErrorDescription().find("Channels collection"), std::string::npos);
  platform::ClearThreadError();
}

TEST(ObjectModel, DriverHasNoCSessionToAttachOrGive) {
  ComPtr<IUnknown> driver;
  ASSERT_EQ(TevraCreateDriver(IID_IUnknown, reinterpret_cast<void**>(driver.put())), S_OK);
  std::uint32_t handle = 7;
  const std::pair<HRESULT, const char*> expected[] = {
      {TevraAttachToExistingCSession(driver.get(), 1),
       "Does not support this class-compliant feature: method 'AttachToExistingCSession'."},
      {TevraGetNativeCHandle(driver.get(), &handle),
       "Does not support this class-compliant feature: property 'NativeCHandle'."}};
  EXPECT_EQ(expected[0].first, static_cast<HRESULT>(0x80047011u));
  EXPECT_EQ(expected[1].first, static_cast<HRESULT>(0x80047012u));
  EXPECT_EQ(handle, 0u);
  platform::ErrorRecord error;
  ASSERT_TRUE(platform::TakeThreadError(error));
  EXPECT_NE(error.description.find(expected[1].second), std::string::npos) << error.description;
  EXPECT_EQ(TevraAttachToExistingCSession(driver.get(), 1), expected[0].first);
  ASSERT_TRUE(platform::TakeThreadError(error));
  EXPECT_NE(error.description.find(expected[0].second), std::string::npos) << error.description;
}

// Keeps each event's record; when told to fail, throws out of the event.
class Sink final : public ITevraTraceEvents {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  HRESULT OnTraceEvent(BSTR record, LONG kind, BSTR logName, ULONG processId) override {
    records.push_back(platform::BstrToUtf8(record));
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(platform::BstrToUtf8(logName), "Tevra");
    EXPECT_EQ(processId, static_cast<ULONG>(getpid()));
    if (fail) throw std::runtime_error("sink failure");
    return S_OK;
  }
  std::vector<std::string> records;
  bool fail = false;
  ULONG refs = 1;
};

TEST(ObjectModel, TraceEventsReachSubscribedSinksInCallOrder) {
  ScratchFolder scratch;
  const std::string dir = scratch.path().string();
  setenv("IVIROOTDIR", dir.c_str(), 1);
  Sink sink, failing;
  failing.fail = true;
  {
    Outer outer;  // subscribing through an aggregating object reaches the inner driver
    ASSERT_EQ(outer.Create(), S_OK);
    auto driver = Query<IIviDriver>(&outer, IID_IIviDriver);
    auto identity = Query<IIviDriverIdentity>(&outer, IID_IIviDriverIdentity);
    ULONG cookie = 0, failingCookie = 0;
    ASSERT_EQ(TevraAdviseTrace(&outer, &failing, &failingCookie), S_OK);  // the first to hear
    ASSERT_EQ(TevraAdviseTrace(identity.get(), &sink, &cookie), S_OK);
    EXPECT_EQ(sink.refs, 2u) << "the driver holds the sink";

    const platform::Bstr options("Simulate=true, DriverSetup=Trace=true, TraceName=" + dir +
                                 "/events");
    ASSERT_EQ(
        driver->Initialize(platform::Bstr("").get(), VARIANT_FALSE, VARIANT_FALSE, options.get()),
        S_OK);
    platform::Bstr text;
    EXPECT_EQ(identity->get_Identifier(text.out()), S_OK) << "a failing sink changes nothing";
    EXPECT_EQ(TevraUnadviseTrace(&outer, failingCookie), S_OK);
    EXPECT_EQ(TevraUnadviseTrace(&outer, failingCookie), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(failing.refs, 1u);
    EXPECT_EQ(identity->get_Revision(text.out()), S_OK);
    EXPECT_EQ(driver->Close(), S_OK);
    outer.Release();
  }
  EXPECT_EQ(sink.refs, 1u) << "the destroyed driver let the sink go";
  // Recording starts inside Initialize, so its own record is not the first event. Each event is
  // the record as the file holds it.
  ASSERT_EQ(sink.records.size(), 3u);
  const std::string file = ReadFile(dir + "/events.xml");
  const char* const methods[] = {"get_Identifier", "get_Revision", "Close"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(sink.records[i].starts_with(std::string("<Method Name=\"") + methods[i]) &&
                sink.records[i].ends_with("</Method>\r\n"))
        << sink.records[i];
    EXPECT_NE(file.find("\t" + sink.records[i]), std::string::npos) << "the file holds the same";
  }
  EXPECT_EQ(failing.records.size(), 1u);

  ULONG cookie = 7;
  EXPECT_EQ(TevraAdviseTrace(&sink, &sink, &cookie), E_INVALIDARG) << "not a driver object";
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(TevraAdviseTrace(nullptr, &sink, nullptr), E_POINTER);
  unsetenv("IVIROOTDIR");
}

}  // namespace
}  // namespace tevra::testing
