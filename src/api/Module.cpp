// The module entry points: the class factory of the driver class and the unload check.
#include <memory>
#include <new>

#include "api/TraceLog.h"
#include "counter/Tevra.h"
#include "io/VisaComSession.h"
#include "platform/ModuleCount.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::api {
namespace {

// A driver object as applications get it: no transport until Initialize opens one, and a trace
// log that writes the trace file.
HRESULT CreateDriver(REFIID riid, void** ppv) noexcept {
  try {
    return counter::Tevra::Create(std::make_unique<io::CVisaComSession>(),
                                  std::make_unique<CTraceLog>(), riid, ppv);
  } catch (const std::bad_alloc&) {
    if (ppv) *ppv = nullptr;
    return E_OUTOFMEMORY;
  }
}

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
    return CreateDriver(riid, ppv);
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
  return tevra::api::CreateDriver(riid, ppv);
}

TEVRA_API HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (clsid == CLSID_Tevra) return tevra::api::g_driverFactory.QueryInterface(riid, ppv);
  return CLASS_E_CLASSNOTAVAILABLE;
}

TEVRA_API HRESULT DllCanUnloadNow() { return tevra::platform::ModuleInUse() ? S_FALSE : S_OK; }
}
