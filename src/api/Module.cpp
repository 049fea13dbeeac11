// The module entry points: the class factory of the driver class and the unload check.
#include "counter/Tevra.h"
#include "platform/ModuleCount.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::api {
namespace {

class DriverClassFactory final : public IClassFactory {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *ppv = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  // The factory is static: its references do not keep the module loaded, LockServer does.
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (ppv) *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return counter::Tevra::Create(riid, ppv);
  }
  HRESULT LockServer(int lock) override {
    if (lock)
      platform::ServerLocked();
    else
      platform::ServerUnlocked();
    return S_OK;
  }
};

DriverClassFactory g_driverFactory;

}  // namespace
}  // namespace tevra::api

extern "C" {

TEVRA_API HRESULT TevraCreateDriver(REFIID riid, void** ppv) {
  return tevra::counter::Tevra::Create(riid, ppv);
}

TEVRA_API HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (clsid == CLSID_Tevra) return tevra::api::g_driverFactory.QueryInterface(riid, ppv);
  return CLASS_E_CLASSNOTAVAILABLE;
}

TEVRA_API HRESULT DllCanUnloadNow() { return tevra::platform::ModuleInUse() ? S_FALSE : S_OK; }
}
