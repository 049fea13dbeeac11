#include "platform/ErrorInfo.h"

#include <atomic>
#include <new>

#include "platform/Bstr.h"
#include "platform/ComPtr.h"

namespace tevra::platform {
namespace {

class CErrorInfo final : public IErrorInfo {
 public:
  explicit CErrorInfo(const ErrorRecord& r) : record_(r) {}

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IErrorInfo) {
      *ppv = static_cast<IErrorInfo*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT GetGUID(GUID* g) override {
    if (!g) return E_POINTER;
    *g = record_.iid;
    return S_OK;
  }
  HRESULT GetSource(BSTR* s) override { return Out(record_.source, s); }
  HRESULT GetDescription(BSTR* s) override { return Out(record_.description, s); }
  HRESULT GetHelpFile(BSTR* s) override { return Out(record_.helpFile, s); }
  HRESULT GetHelpContext(ULONG* c) override {
    if (!c) return E_POINTER;
    *c = record_.helpContext;
    return S_OK;
  }
  const ErrorRecord& record() const { return record_; }

 private:
  static HRESULT Out(const std::string& text, BSTR* s) {
    if (!s) return E_POINTER;
    *s = AllocBstr(text);
    return *s || text.empty() ? S_OK : E_OUTOFMEMORY;
  }
  ErrorRecord record_;
  std::atomic<ULONG> refs_{1};
};

// The thread's current error information; owns one reference.
thread_local IErrorInfo* t_current = nullptr;
// Set when t_current is one of ours, so readers need not go through the interface.
thread_local CErrorInfo* t_ours = nullptr;

// Releases what a thread still holds when it ends.
struct ThreadExit {
  ~ThreadExit() {
    if (t_current) t_current->Release();
    t_current = nullptr;
    t_ours = nullptr;
  }
};
thread_local ThreadExit t_exit;

void Replace(IErrorInfo* info, CErrorInfo* ours) noexcept {
  (void)&t_exit;  // constructs the thread's exit guard before it holds anything
  IErrorInfo* old = t_current;
  t_current = info;
  t_ours = ours;
  if (old) old->Release();
}

}  // namespace

bool SetThreadError(const ErrorRecord& record) noexcept {
  CErrorInfo* info = nullptr;
  try {
    info = new CErrorInfo(record);
  } catch (...) {
    Replace(nullptr, nullptr);
    return false;
  }
  Replace(info, info);
  return true;
}

bool SetThreadError(std::string_view description, std::string_view source) noexcept {
  try {
    ErrorRecord record;
    record.description = description;
    record.source = source;
    return SetThreadError(record);
  } catch (const std::bad_alloc&) {
    ClearThreadError();
    return false;
  }
}

void ClearThreadError() noexcept {
  if (t_current) Replace(nullptr, nullptr);
}

bool HasThreadError() noexcept { return t_current != nullptr; }

std::string PeekThreadErrorDescription() {
  if (t_ours) return t_ours->record().description;
  if (!t_current) return {};
  Bstr d;
  if (FAILED(t_current->GetDescription(d.out()))) return {};
  return d.utf8();
}

bool TakeThreadError(ErrorRecord& out) {
  if (!t_current) return false;
  if (t_ours) {
    out = t_ours->record();
  } else {
    out = ErrorRecord{};
    Bstr text;
    if (SUCCEEDED(t_current->GetDescription(text.out()))) out.description = text.utf8();
    if (SUCCEEDED(t_current->GetSource(text.out()))) out.source = text.utf8();
    if (SUCCEEDED(t_current->GetHelpFile(text.out()))) out.helpFile = text.utf8();
    t_current->GetGUID(&out.iid);
    ULONG ctx = 0;
    if (SUCCEEDED(t_current->GetHelpContext(&ctx))) out.helpContext = ctx;
  }
  Replace(nullptr, nullptr);
  return true;
}

}  // namespace tevra::platform

extern "C" {

TEVRA_API HRESULT TevraGetErrorInfo(ULONG, IErrorInfo** info) {
  using namespace tevra::platform;
  if (!info) return E_POINTER;
  *info = t_current;  // the caller takes over the thread's reference
  t_current = nullptr;
  t_ours = nullptr;
  return *info ? S_OK : S_FALSE;
}

TEVRA_API HRESULT TevraSetErrorInfo(ULONG, IErrorInfo* info) {
  using namespace tevra::platform;
  if (info) info->AddRef();
  Replace(info, nullptr);
  return S_OK;
}
}
