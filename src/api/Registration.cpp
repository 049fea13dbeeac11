// The module's registration in the key store: its application identifier, the two creatable
// classes with their program identifiers, and its type library, under the classes root of the
// user's or the machine's store. Each entry point is one locked read-modify-write of the store,
// saved once, so it changes everything or nothing.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iterator>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "core/Identity.h"
#include "platform/ErrorInfo.h"
#include "platform/GuidText.h"
#include "platform/KeyStore.h"
#include "platform/OwnModule.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::api {
namespace {

using platform::RegistryForm;
using platform::StoreScope;
using platform::StoreStatus;

using platform::kClassesRoot;

struct CreatableClass {
  const CLSID& clsid;
  std::string_view progId;  // version independent; the versioned one adds ".1"
  std::string_view description;
};
constexpr CreatableClass kClasses[] = {
    {CLSID_Tevra, "Tevra.Tevra", "Tevra Class"},
    {CLSID_TevraChannel, "TevraChannel.TevraChannel", "TevraChannel Class"},
};

std::string ClassKey(const CreatableClass& c) { return "CLSID\\" + RegistryForm(c.clsid); }

// The trees the module owns, below the classes root: unregistration removes them whole, and
// nothing else (the AppID, CLSID and TypeLib parents stay).
std::vector<std::string> OwnedTrees() {
  std::vector<std::string> trees = {"AppID\\" + RegistryForm(APPID_Tevra), "AppID\\Tevra.dll"};
  for (const CreatableClass& c : kClasses) {
    trees.push_back(std::string(c.progId) + ".1");
    trees.emplace_back(c.progId);
    trees.push_back(ClassKey(c));
  }
  trees.push_back("TypeLib\\" + RegistryForm(LIBID_Tevra));
  return trees;
}

// One value the module writes: a key below the classes root, a value name (empty for the
// key's default value) and the text.
struct Entry {
  std::string key, name, value;
};

std::vector<Entry> Entries(const std::filesystem::path& module) {
  const std::string appId = RegistryForm(APPID_Tevra), libId = RegistryForm(LIBID_Tevra);
  std::vector<Entry> entries = {
      {"AppID\\" + appId, "", "TevraLib"},
      {"AppID\\Tevra.dll", "AppID", appId},
  };
  for (const CreatableClass& c : kClasses) {
    const std::string progId(c.progId), versioned = progId + ".1", description(c.description);
    const std::string clsid = RegistryForm(c.clsid), key = ClassKey(c);
    const Entry classEntries[] = {
        {versioned, "", description},
        {versioned + "\\CLSID", "", clsid},
        {progId, "", description},
        {progId + "\\CLSID", "", clsid},
        {progId + "\\CurVer", "", versioned},
        {key, "", description},
        {key, "AppID", appId},
        {key + "\\ProgID", "", versioned},
        {key + "\\VersionIndependentProgID", "", progId},
        {key + "\\InprocServer32", "", module.string()},
        {key + "\\InprocServer32", "ThreadingModel", "Both"},
        {key + "\\TypeLib", "", libId},
    };
    entries.insert(entries.end(), std::begin(classEntries), std::end(classEntries));
  }
  const std::string version = "TypeLib\\" + libId + "\\1.0";
  const Entry typeLibEntries[] = {
      {version, "", "Tevra 1.0 Type Library"},
      {version + "\\0\\linux64", "", module.string()},
      {version + "\\FLAGS", "", "0"},
      {version + "\\HELPDIR", "", module.parent_path().string()},
  };
  entries.insert(entries.end(), std::begin(typeLibEntries), std::end(typeLibEntries));
  return entries;
}

// The full path of the file this code was loaded from: the shared library, or the executable it
// is linked into (whose name the loader may know only relatively).
bool FindModule(std::filesystem::path& module) {
  module = platform::OwnModuleFile();
  if (module.empty()) return false;
  std::error_code error;
  if (!module.is_absolute()) module = std::filesystem::read_symlink("/proc/self/exe", error);
  module = module.lexically_normal();
  return !error;
}

// How a call ends: its status and, for a failure, the thread's error description.
struct Outcome {
  HRESULT status = S_OK;
  std::string message;
};

Outcome FromStore(const StoreStatus& s) {
  switch (s.kind) {
    case StoreStatus::Kind::Ok:
      return {};
    case StoreStatus::Kind::AccessDenied:
      return {E_ACCESSDENIED, s.message};
    default:
      return {E_FAIL, s.message};
  }
}

enum class Action { Register, Unregister };

Outcome Apply(StoreScope scope, Action action) {
  std::string path;
  if (StoreStatus s = platform::KeyStorePath(scope, path); !s.ok()) return FromStore(s);
  std::error_code error;
  if (action == Action::Unregister && !std::filesystem::exists(path, error))
    return {};  // nothing is registered, and no folder or lock file needs to appear
  std::filesystem::path module;
  if (action == Action::Register && !FindModule(module))
    return {E_FAIL, "cannot register in the key store " + path + ": the module's path is unknown"};
  platform::KeyStoreEdit edit;
  if (StoreStatus s = edit.Open(path); !s.ok()) return FromStore(s);
  platform::KeyTree& tree = edit.tree();
  const platform::KeyTree before = tree;
  const std::string root(kClassesRoot);
  if (action == Action::Register) {
    // The class keys are rewritten from scratch, so nothing of an older registration stays.
    for (const CreatableClass& c : kClasses) tree.DeleteTree(root + ClassKey(c));
    for (const Entry& e : Entries(module)) tree.SetValue(root + e.key, e.name, e.value);
  } else {
    for (const std::string& owned : OwnedTrees()) tree.DeleteTree(root + owned);
  }
  if (tree == before) return {};
  return FromStore(edit.Save());
}

Outcome Run(StoreScope scope, Action action) noexcept {
  try {
    return Apply(scope, action);
  } catch (const std::bad_alloc&) {
    return {E_OUTOFMEMORY, "out of memory"};
  } catch (const std::exception& e) {
    return {E_FAIL, e.what()};
  }
}

HRESULT Finish(const Outcome& outcome) noexcept {
  platform::ClearThreadError();
  if (SUCCEEDED(outcome.status)) return outcome.status;
  platform::SetThreadError(outcome.message, core::identity::kProgId);
  return outcome.status;
}

// "user" in any case; anything else, a null command line included, is machine-wide.
StoreScope InstallScope(const OLECHAR* commandLine) {
  constexpr std::u16string_view kUser = u"user";
  if (!commandLine) return StoreScope::Machine;
  for (std::size_t i = 0; i <= kUser.size(); ++i) {
    OLECHAR c = commandLine[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<OLECHAR>(c - u'A' + u'a');
    if (i == kUser.size() ? c != 0 : c != kUser[i]) return StoreScope::Machine;
  }
  return StoreScope::User;
}

Outcome List(StoreScope scope, void (*line)(const char*, void*), void* context) {
  std::string path;
  platform::KeyTree tree;
  if (StoreStatus s = platform::KeyStorePath(scope, path); !s.ok()) return FromStore(s);
  if (StoreStatus s = platform::ReadKeyStore(path, tree); !s.ok()) return FromStore(s);
  const std::string root(kClassesRoot);
  std::string text;
  for (const std::string& owned : OwnedTrees()) {
    for (const auto& [key, values] : tree.Tree(root + owned)) {
      if (!text.empty()) text += '\n';  // a blank line between keys, as in the store
      platform::AppendKeyText(text, key, values);
    }
  }
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    text[end] = '\0';
    line(text.data() + at, context);
    at = end + 1;
  }
  return {};
}

}  // namespace
}  // namespace tevra::api

extern "C" {

TEVRA_API HRESULT DllRegisterServer() {
  using namespace tevra::api;
  return Finish(Run(StoreScope::Machine, Action::Register));
}

TEVRA_API HRESULT DllUnregisterServer() {
  using namespace tevra::api;
  return Finish(Run(StoreScope::Machine, Action::Unregister));
}

TEVRA_API HRESULT DllInstall(int install, const OLECHAR* commandLine) {
  using namespace tevra::api;
  const StoreScope scope = InstallScope(commandLine);
  if (!install) return Finish(Run(scope, Action::Unregister));
  const Outcome registered = Run(scope, Action::Register);
  if (FAILED(registered.status)) Run(scope, Action::Unregister);
  return Finish(registered);
}

TEVRA_API HRESULT TevraListRegistration(int perUser, void (*line)(const char*, void*),
                                        void* context) {
  using namespace tevra::api;
  try {
    if (!line) return Finish({E_POINTER, "TevraListRegistration: the line function is null"});
    return Finish(List(perUser ? StoreScope::User : StoreScope::Machine, line, context));
  } catch (const std::bad_alloc&) {
    return Finish({E_OUTOFMEMORY, "out of memory"});
  }
}
}
