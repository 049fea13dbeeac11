#include "counter/ClassInfo.h"

#include <new>

#include "counter/DriverInterfaces.h"
#include "platform/Bstr.h"

namespace tevra::counter {
namespace {

// A type description that lives as long as the module: its references count nothing.
class StaticTypeInfo final : public ITypeInfo {
 public:
  StaticTypeInfo() = default;
  StaticTypeInfo(const GUID& guid, TYPEKIND kind, const char* name, const char* doc)
      : guid_(&guid), kind_(kind), name_(name), doc_(doc) {}
  void SetImplTypes(const StaticTypeInfo* types, std::uint16_t count) {
    implTypes_ = types;
    implCount_ = count;
  }

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = riid == IID_IUnknown || riid == IID_ITypeInfo ? static_cast<ITypeInfo*>(this) : nullptr;
    return *ppv ? S_OK : E_NOINTERFACE;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }

  HRESULT GetTypeAttr(TYPEATTR** attr) override {
    if (!attr) return E_POINTER;
    *attr = new (std::nothrow) TYPEATTR{*guid_, kind_, implCount_};
    return *attr ? S_OK : E_OUTOFMEMORY;
  }
  void ReleaseTypeAttr(TYPEATTR* attr) override { delete attr; }
  HRESULT GetDocumentation(MEMBERID memid, BSTR* name, BSTR* docString, ULONG* helpContext,
                           BSTR* helpFile) override {
    if (memid != MEMBERID_NIL) return E_INVALIDARG;
    try {
      platform::Bstr n(name_), d(doc_);
      if (!n.get() || !d.get()) return E_OUTOFMEMORY;
      if (name) *name = n.release();
      if (docString) *docString = d.release();
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    if (helpContext) *helpContext = 0;
    if (helpFile) *helpFile = nullptr;
    return S_OK;
  }
  HRESULT GetRefTypeOfImplType(std::uint32_t index, HREFTYPE* ref) override {
    if (!ref) return E_POINTER;
    if (index >= implCount_) return E_INVALIDARG;
    *ref = index + 1;  // 0 is no reference
    return S_OK;
  }
  HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) override {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (ref == 0 || ref > implCount_) return E_INVALIDARG;
    *info = const_cast<StaticTypeInfo*>(&implTypes_[ref - 1]);
    return S_OK;
  }

 private:
  const GUID* guid_ = &GUID_NULL;
  TYPEKIND kind_ = TKIND_INTERFACE;
  const char* name_ = "";
  const char* doc_ = "";
  const StaticTypeInfo* implTypes_ = nullptr;
  std::uint16_t implCount_ = 0;
};

struct DriverTypes {
  StaticTypeInfo interfaces[kDriverInterfaceCount];
  StaticTypeInfo driverClass{CLSID_Tevra, TKIND_COCLASS, "Tevra", "Tevra Class"};
  DriverTypes() {
    for (int i = 0; i < kDriverInterfaceCount; ++i)
      interfaces[i] =
          StaticTypeInfo(*kDriverInterfaceIds[i], TKIND_INTERFACE, kDriverInterfaceNames[i], "");
    driverClass.SetImplTypes(interfaces, kDriverInterfaceCount);
  }
};

}  // namespace

ITypeInfo& DriverClassTypeInfo() {
  static DriverTypes types;
  return types.driverClass;
}

HRESULT DriverClassInfo::GetClassInfo(ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = &DriverClassTypeInfo();
  return S_OK;
}

HRESULT DriverClassInfo::GetGUID(std::uint32_t guidKind, GUID* guid) {
  if (!guid) return E_POINTER;
  *guid = GUID_NULL;
  if (guidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
  *guid = IID_ITevraTraceEvents;
  return S_OK;
}

}  // namespace tevra::counter
