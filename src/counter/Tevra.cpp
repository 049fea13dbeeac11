#include "counter/Tevra.h"

#include <new>

#include "io/UnconnectedSession.h"
#include "platform/ModuleCount.h"

namespace tevra::counter {

Tevra::Tevra(std::unique_ptr<core::IIoSession> io, std::unique_ptr<core::ITraceLog> trace)
    : CDriver(*this, std::move(io), std::move(trace)), root_(*this, *this) {
  platform::ObjectCreated();
}

Tevra::~Tevra() { platform::ObjectDestroyed(); }

HRESULT Tevra::Create(REFIID riid, void** ppv) {
  return Create(std::make_unique<io::UnconnectedSession>(), riid, ppv);
}

HRESULT Tevra::Create(std::unique_ptr<core::IIoSession> io, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  Tevra* driver = new (std::nothrow) Tevra(std::move(io), std::make_unique<core::NullTraceLog>());
  if (!driver) return E_OUTOFMEMORY;
  const HRESULT hr = driver->QueryObject(riid, ppv);
  driver->ReleaseObject();  // the creation reference; the caller now holds its own
  return hr;
}

HRESULT Tevra::QueryObject(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_ITevra || riid == IID_IIviDriver)
    return core::GiveInterface<ITevra>(&root_, ppv);
  return QueryInherent(riid, ppv);
}

ULONG Tevra::AddRefObject() { return ++refs_; }

ULONG Tevra::ReleaseObject() {
  const ULONG n = --refs_;
  if (n == 0) delete this;
  return n;
}

HRESULT Tevra::PostInitialize() {
  if (Simulating()) {
    SetInstalledOptions("431");
    return S_OK;
  }
  std::string options;
  const HRESULT hr = Io().QueryString("*OPT?", options, core::kDefaultTimeout);
  if (SUCCEEDED(hr)) SetInstalledOptions(std::move(options));
  return hr;
}

void Tevra::ResetState() { currentFunction_ = "FREQ"; }

}  // namespace tevra::counter
