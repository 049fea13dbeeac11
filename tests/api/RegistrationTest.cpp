// Registration in the key store: exactly the expected keys and values, unregistration that
// leaves the parents and other classes, the per-user switch of DllInstall, stores that cannot be
// written or read, and processes editing the store at once. (The install check runs the listing.)
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <vector>

#include "platform/ComPtr.h"
#include "platform/ErrorInfo.h"
#include "platform/KeyStore.h"
#include "support/DriverHandle.h"
#include "support/ScratchFolder.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::platform {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;

const std::string kRoot = "Software\\Classes\\";
const std::string kAppId = "{CF977E92-D396-41A1-8C52-AB547860436D}";
const std::string kLibId = "{28B1D153-4F10-426F-89D4-70F705067219}";
const std::string kDriverClass = "CLSID\\{9C7FE7C1-2B42-4C73-9B3A-516E00000001}";
const std::string kOtherClass = "CLSID\\{00000000-1111-2222-3333-444444444444}";

// Every value the module registers, below the classes root.
KeyTree Registered() {
  const fs::path module = fs::read_symlink("/proc/self/exe");
  const std::string lib = "TypeLib\\" + kLibId + "\\1.0";
  std::vector<std::vector<std::string>> rows = {
      {"AppID\\" + kAppId, "", "TevraLib"}, {"AppID\\Tevra.dll", "AppID", kAppId},
      {lib, "", "Tevra 1.0 Type Library"},  {lib + "\\0\\linux64", "", module.string()},
      {lib + "\\FLAGS", "", "0"},           {lib + "\\HELPDIR", "", module.parent_path().string()},
  };
  for (const std::string name : {"Tevra", "TevraChannel"}) {
    const std::string clsid =
        name == "Tevra" ? kDriverClass.substr(6) : "{9C7FE7C1-2B42-4C73-9B3A-516E00000002}";
    const std::string id = name + "." + name, key = "CLSID\\" + clsid, title = name + " Class";
    rows.insert(rows.end(), {{id + ".1", "", title},
                             {id + ".1\\CLSID", "", clsid},
                             {id, "", title},
                             {id + "\\CLSID", "", clsid},
                             {id + "\\CurVer", "", id + ".1"},
                             {key, "", title},
                             {key, "AppID", kAppId},
                             {key + "\\ProgID", "", id + ".1"},
                             {key + "\\VersionIndependentProgID", "", id},
                             {key + "\\InprocServer32", "", module.string()},
                             {key + "\\InprocServer32", "ThreadingModel", "Both"},
                             {key + "\\TypeLib", "", kLibId}});
  }
  KeyTree tree;
  for (const auto& row : rows) tree.SetValue(kRoot + row[0], row[1], row[2]);
  return tree;
}

class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TEVRA_USER_KEYSTORE", user_.c_str(), 1);
    setenv("TEVRA_MACHINE_KEYSTORE", machine_.c_str(), 1);
    fs::create_directories(machine_.parent_path());
  }
  void TearDown() override {
    unsetenv("TEVRA_USER_KEYSTORE");
    unsetenv("TEVRA_MACHINE_KEYSTORE");
  }
  static std::string Text(const fs::path& store) {
    KeyTree tree;
    const StoreStatus status = ReadKeyStore(store, tree);
    return status.ok() ? FormatKeyStore(tree) : status.message;
  }
  static bool HasDriverClass(const fs::path& store) {
    KeyTree tree;
    return ReadKeyStore(store, tree).ok() && tree.Find(kRoot + kDriverClass);
  }
  void Write(const std::string& text) const { std::ofstream(machine_, std::ios::binary) << text; }

  testing::ScratchFolder scratch_;
  const fs::path user_ = scratch_.path() / "user" / "keystore";
  const fs::path machine_ = scratch_.path() / "machine" / "keystore";
};

TEST_F(Registration, WritesExactlyItsKeysAndRemovesThemLeavingTheParentsAndOtherClasses) {
  KeyTree store;
  store.SetValue(kRoot + kDriverClass + "\\Stale", "", "an older registration");
  store.SetValue(kRoot + kOtherClass, "", "Other Class");
  Write(FormatKeyStore(store));

  ASSERT_EQ(DllRegisterServer(), S_OK) << PeekThreadErrorDescription();
  KeyTree expected = Registered();
  expected.SetValue(kRoot + kOtherClass, "", "Other Class");
  EXPECT_EQ(Text(machine_), FormatKeyStore(expected));
  const std::string once = ReadFile(machine_);
  ASSERT_EQ(DllRegisterServer(), S_OK);
  EXPECT_EQ(ReadFile(machine_), once);

  ASSERT_EQ(DllUnregisterServer(), S_OK);
  KeyTree after;
  for (const char* key : {"AppID", "TypeLib"}) after.CreateKey(kRoot + key);
  after.SetValue(kRoot + kOtherClass, "", "Other Class");
  EXPECT_EQ(Text(machine_), FormatKeyStore(after));
  EXPECT_EQ(DllUnregisterServer(), S_OK);
}

TEST_F(Registration, InstallsPerUserOnlyForTheWordUserAndOnlyForThatCall) {
  const std::pair<const OLECHAR*, bool> cases[] = {{u"user", true},   {u"USER", true},
                                                   {nullptr, false},  {u"User", true},
                                                   {u"users", false}, {u"", false}};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto [commandLine, perUser] = cases[i];
    ASSERT_EQ(DllInstall(1, commandLine), S_OK) << PeekThreadErrorDescription();
    EXPECT_EQ(HasDriverClass(user_), perUser) << "case " << i;
    EXPECT_EQ(HasDriverClass(machine_), !perUser) << "case " << i;
    ASSERT_EQ(DllInstall(0, commandLine), S_OK);
    EXPECT_FALSE(HasDriverClass(user_) || HasDriverClass(machine_)) << "case " << i;
  }
}

void DropRoot() {
  if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
}
void CapFileSize() {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{64, 64};
  setrlimit(RLIMIT_FSIZE, &limit);
}

TEST_F(Registration, AStoreThatCannotBeWrittenOrReadFailsAndStaysAsItWas) {
  const std::string old = "Tevra key store 1\n\n[Other]\n@=\"kept\"\n";
  struct Case {
    std::string old;    // the store's text before
    const char* store;  // the store the call uses, beside the old one or below it (a file)
    void (*limit)();    // run in the child first
    HRESULT (*call)();
    HRESULT status;
    std::string reason;
  };
  const Case cases[] = {
      {old, "keystore", DropRoot, DllRegisterServer, E_ACCESSDENIED, ": Permission denied"},
      {old, "keystore/keystore", nullptr, DllRegisterServer, E_FAIL, ": Not a directory"},
      {old, "keystore", CapFileSize, [] { return DllInstall(1, nullptr); }, E_FAIL,
       "cannot write the temp"},
      {"Tevra key store 1\n@=\"x\"\n", "keystore", nullptr, DllRegisterServer, E_FAIL,
       " is malformed: line 2: a value before the first key"},
  };
  const fs::path folder = machine_.parent_path();
  for (const Case& c : cases) {
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
    Write(c.old);
    if (c.limit == DropRoot) {  // a folder its user can only read, also when root drops to nobody
      fs::permissions(scratch_.path(), fs::perms::others_exec, fs::perm_options::add);
      fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write,
                      fs::perm_options::remove);
    }
    const std::string store = (folder / c.store).string();
    const int exit = testing::WaitChild(testing::StartChild([&] {
      setenv("TEVRA_MACHINE_KEYSTORE", store.c_str(), 1);
      if (c.limit) c.limit();
      const HRESULT status = c.call();
      const std::string text = PeekThreadErrorDescription();
      const bool as = status == c.status && text.starts_with("key store " + store) &&
                      text.find(c.reason) != std::string::npos;
      if (!as) std::fprintf(stderr, "0x%08X %s\n", static_cast<unsigned>(status), text.c_str());
      return as ? 0 : 1;
    }));
    EXPECT_EQ(exit, 0) << c.reason;
    EXPECT_EQ(ReadFile(machine_), c.old) << c.reason;
    for (const auto& entry : fs::directory_iterator(folder))  // no temporary file left
      EXPECT_TRUE(entry.path().filename().string().starts_with("keystore")) << entry.path();
  }
}

// Two processes register and unregister while a third counts in the same store: both succeed,
// no count is lost (so each edit held the lock) and the store ends well formed.
TEST_F(Registration, ProcessesEditingTheStoreAtOnceAllSucceedAndLoseNothing) {
  const auto churn = [] {
    int failures = 0;
    for (int i = 0; i < 20; ++i)
      failures += FAILED(DllRegisterServer()) + FAILED(DllUnregisterServer());
    return failures + FAILED(DllRegisterServer());
  };
  const auto count = [this] {
    for (int i = 1; i <= 40; ++i) {
      KeyStoreEdit edit;
      if (!edit.Open(machine_).ok()) return 1;
      const StoreKey* counter = edit.tree().Find("Count");
      if ((counter ? counter->values.at("n") : "0") != std::to_string(i - 1)) return 1;
      if (!edit.tree().SetValue("Count", "n", std::to_string(i)) || !edit.Save().ok()) return 1;
    }
    return 0;
  };
  const pid_t children[] = {testing::StartChild(churn), testing::StartChild(churn),
                            testing::StartChild(count)};
  for (const pid_t child : children) EXPECT_EQ(testing::WaitChild(child), 0);
  KeyTree expected = Registered();
  expected.SetValue("Count", "n", "40");
  EXPECT_EQ(Text(machine_), FormatKeyStore(expected));
}

TEST_F(Registration, RegisteredClassesAreCreatedByIdentifierOrProgramIdentifier) {
  CLSID clsid{};
  void* object = &object;
  EXPECT_EQ(TevraCLSIDFromProgID("Tevra.Tevra", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(TevraCreateInstance(CLSID_Tevra, nullptr, IID_ITevra, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  EXPECT_NE(PeekThreadErrorDescription().find("is not registered"), std::string::npos);

  // Registered at this program's path: answered by the factories it is linked with.
  ASSERT_EQ(DllInstall(1, u"user"), S_OK);
  for (const char* progId : {"Tevra.Tevra", "Tevra.Tevra.1"}) {
    ASSERT_EQ(TevraCLSIDFromProgID(progId, &clsid), S_OK) << progId;
    EXPECT_TRUE(clsid == CLSID_Tevra);
  }
  ComPtr<ITevra> driver;
  ASSERT_EQ(TevraCreateInstance(clsid, nullptr, IID_ITevra, reinterpret_cast<void**>(driver.put())),
            S_OK);

  // Registered at another module: that module is loaded and makes the object.
  const auto registerModule = [&](const std::string& module) {
    KeyStoreEdit edit;
    ASSERT_TRUE(edit.Open(user_).ok());
    edit.tree().SetValue(kRoot + kDriverClass + "\\InprocServer32", "", module);
    ASSERT_TRUE(edit.Save().ok());
  };
  registerModule(TEVRA_LIBRARY_FILE);
  ComPtr<IIviDriverIdentity> loaded;
  ASSERT_EQ(TevraCreateInstance(clsid, nullptr, IID_IIviDriverIdentity,
                                reinterpret_cast<void**>(loaded.put())),
            S_OK)
      << PeekThreadErrorDescription();
  BSTR prefix = nullptr;
  EXPECT_EQ(loaded->get_Identifier(&prefix), S_OK);
  TevraSysFreeString(prefix);

  registerModule("/nonexistent/libtevra.so.1");
  EXPECT_EQ(TevraCreateInstance(clsid, nullptr, IID_ITevra, &object), CO_E_DLLNOTFOUND);
  EXPECT_NE(PeekThreadErrorDescription().find("/nonexistent/libtevra.so.1"), std::string::npos);
  ClearThreadError();
}

}  // namespace
}  // namespace tevra::platform
