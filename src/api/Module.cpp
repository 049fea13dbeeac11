// The module entry points: the class factories of the driver and channel classes and the
// unload check.
#include <memory>
#include <new>

#include "api/TraceLog.h"
#include "core/ErrorCodes.h"
#include "counter/Tevra.h"
#include "io/VisaComSession.h"
#include "platform/ErrorInfo.h"
#include "platform/ModuleCount.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::api {
namespace {

// A driver object as applications get it: no transport until Initialize opens one, and a trace
// log that writes the trace file.
HRESULT CreateDriver(IUnknown* outer, REFIID riid, void** ppv) noexcept {
  try {
    return counter::Tevra::Create(std::make_unique<io::CVisaComSession>(),
                                  std::make_unique<CTraceLog>(), outer, riid, ppv);
  } catch (const std::bad_alloc&) {
    if (ppv) *ppv = nullptr;
    return E_OUTOFMEMORY;
  }
}

// A channel object works through the session of the driver object that made it, so only a
// driver object creates channels (its Channels collection gives them out).
HRESULT CreateChannel(IUnknown*, REFIID, void** ppv) noexcept {
  if (ppv) *ppv = nullptr;
  platform::SetThreadError(
      "A TevraChannel object is created by its driver object: use the driver's Channels "
      "collection.",
      "TevraChannel");
  return E_FAIL;
}

using Creator = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv) noexcept;

class ClassFactory final : public IClassFactory {
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
  explicit constexpr ClassFactory(Creator create) : create_(create) {}
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    return create_(outer, riid, ppv);
  }
  HRESULT LockServer(int lock) override {
    if (lock)
      platform::ServerLocked();
    else
      platform::ServerUnlocked();
    return S_OK;
  }

 private:
  Creator create_;
};

ClassFactory g_driverFactory(CreateDriver);
ClassFactory g_channelFactory(CreateChannel);

}  // namespace
}  // namespace tevra::api

extern "C" {

TEVRA_API HRESULT TevraCreateDriver(REFIID riid, void** ppv) {
  return tevra::api::CreateDriver(nullptr, riid, ppv);
}

TEVRA_API HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (clsid == CLSID_Tevra) return tevra::api::g_driverFactory.QueryInterface(riid, ppv);
  if (clsid == CLSID_TevraChannel) return tevra::api::g_channelFactory.QueryInterface(riid, ppv);
  return CLASS_E_CLASSNOTAVAILABLE;
}

TEVRA_API HRESULT DllCanUnloadNow() { return tevra::platform::ModuleInUse() ? S_FALSE : S_OK; }
}
