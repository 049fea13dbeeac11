// Creating a registered class by its identifier or program identifier: the key store gives the
// class's module, the module its class factory, the factory the object. The module this code
// runs in answers from its own class factories, so a registration of this very library (or of
// a program it is linked into) needs no second copy of it.
#include <dlfcn.h>
#include <sys/stat.h>

#include <new>
#include <optional>
#include <string>

#include "platform/ComPtr.h"
#include "platform/ErrorInfo.h"
#include "platform/GuidText.h"
#include "platform/KeyStore.h"
#include "platform/OwnModule.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::api {
namespace {

using GetClassObject = HRESULT (*)(REFCLSID, REFIID, void**);

// The default value of a key below the classes root, the user's store before the machine's.
std::optional<std::string> ClassesValue(const std::string& key) {
  for (const platform::StoreScope scope :
       {platform::StoreScope::User, platform::StoreScope::Machine}) {
    std::string path;
    platform::KeyTree tree;
    if (!platform::KeyStorePath(scope, path).ok() || !platform::ReadKeyStore(path, tree).ok())
      continue;
    const platform::StoreKey* found = tree.Find(std::string(platform::kClassesRoot) + key);
    if (found && found->defaultValue) return found->defaultValue;
  }
  return std::nullopt;
}

HRESULT Fail(HRESULT hr, const std::string& description) {
  platform::SetThreadError(description, "Tevra");
  return hr;
}

// The file this code was loaded from.
std::string OwnModule() { return platform::OwnModuleFile().string(); }

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

HRESULT FindClassObject(const std::string& module, GetClassObject& get) {
  if (SameFile(module, OwnModule())) {
    get = &DllGetClassObject;
    return S_OK;
  }
  void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    return Fail(CO_E_DLLNOTFOUND, "The class's module " + module + " could not be loaded: " +
                                      (why ? why : "unknown reason") + ".");
  }
  get = reinterpret_cast<GetClassObject>(dlsym(handle, "DllGetClassObject"));
  if (!get) return Fail(CO_E_ERRORINDLL, "The module " + module + " has no DllGetClassObject.");
  return S_OK;
}

}  // namespace
}  // namespace tevra::api

extern "C" {

TEVRA_API HRESULT TevraCLSIDFromProgID(const char* progId, CLSID* clsid) {
  if (!progId || !clsid) return E_INVALIDARG;
  *clsid = GUID_NULL;
  try {
    tevra::platform::ClearThreadError();
    const auto text = tevra::api::ClassesValue(std::string(progId) + "\\CLSID");
    if (!text || !tevra::platform::ParseRegistryForm(*text, *clsid))
      return tevra::api::Fail(CO_E_CLASSSTRING,
                              std::string("No class is registered as ") + progId + ".");
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

TEVRA_API HRESULT TevraCreateInstance(REFCLSID clsid, IUnknown* outer, REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  try {
    tevra::platform::ClearThreadError();
    const std::string id = tevra::platform::RegistryForm(clsid);
    const auto module = tevra::api::ClassesValue("CLSID\\" + id + "\\InprocServer32");
    if (!module)
      return tevra::api::Fail(REGDB_E_CLASSNOTREG, "The class " + id + " is not registered.");
    tevra::api::GetClassObject get = nullptr;
    if (const HRESULT hr = tevra::api::FindClassObject(*module, get); FAILED(hr)) return hr;
    tevra::platform::ComPtr<IClassFactory> factory;
    if (const HRESULT hr = get(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.put()));
        FAILED(hr))
      return hr;
    return factory->CreateInstance(outer, riid, ppv);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}
}
