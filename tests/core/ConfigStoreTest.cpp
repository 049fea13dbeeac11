// The configuration store's file: what the reader refuses and how it says so, files that cannot
// be read, and where the file is looked for. The writer's round trip is the store fuzz target's
// invariant over its corpus; its refusals and atomic replacement are checked through
// tevra-config (tests/tools/tevra-config-test).
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "ConfigStoreFixture.h"

namespace tevra::testing {
namespace {

using ConfigStoreTest = ConfigStoreFixture;

// --- The reader ---

TEST_F(ConfigStoreTest, RefusalsNameTheFileTheLineAndTheElement) {
  struct Case {
    const char* what;
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {"truncated", "<?xml version=\"1.0\"?>\n<IviConfigStore version=\"1\">\n<Driver",
       "store.xml:3: "},
      {"empty", "", "store.xml:1: the file is empty"},
      {"not XML", "MyCounter=GPIB0::7::INSTR", "store.xml:1: Start tag expected"},
      {"root", "<Store version=\"1\"/>", "store.xml:1: <Store>: the root element must be"},
      {"version", "<IviConfigStore version=\"2\"/>",
       "store.xml:1: <IviConfigStore>: unsupported version \"2\""},
      {"unknown element", Store("<Sessions/>\n"),
       "store.xml:3: <Sessions>: unknown element inside <IviConfigStore>"},
      {"unknown attribute", Store("<HardwareAsset name=\"a\" resourceDescriptor=\"x\" ip=\"1\"/>"),
       "store.xml:3: <HardwareAsset>: unknown attribute \"ip\""},
      {"missing attribute", Store("<HardwareAsset name=\"a\"/>"),
       "store.xml:3: <HardwareAsset>: missing attribute \"resourceDescriptor\""},
      {"empty name", Store("<SoftwareModule name=\" \"/>"),
       "store.xml:3: <SoftwareModule>: attribute \"name\" is empty"},
      {"text", Store("<SoftwareModule name=\"m\">oops</SoftwareModule>"),
       "store.xml:3: <SoftwareModule>: unexpected text \"oops\""},
      {"logical name to a missing session",
       Store("\n<LogicalName name=\"MyCounter\" session=\"Nope\"/>"),
       "store.xml:4: <LogicalName>: refers to the driver session \"Nope\", which the store does "
       "not have"},
      {"session to a missing asset", Store("<DriverSession name=\"s\" hardwareAsset=\"a\"/>"),
       "store.xml:3: <DriverSession>: names the hardware asset \"a\", which the store does not "
       "have"},
      {"session to a missing module", Store("<DriverSession name=\"s\" softwareModule=\"Tevra\"/>"),
       "store.xml:3: <DriverSession>: names the software module \"Tevra\""},
      {"duplicate asset",
       Store("<HardwareAsset name=\"a\" resourceDescriptor=\"x\"/>\n"
             "<HardwareAsset name=\"A\" resourceDescriptor=\"y\"/>"),
       "store.xml:4: <HardwareAsset>: duplicate hardware asset name \"A\" (first at line 3)"},
      {"logical name shadowing a session",
       Store("<DriverSession name=\"s\"/>\n"
             "<LogicalName name=\"s\" session=\"s\"/>"),
       "store.xml:4: <LogicalName>: duplicate driver session or logical name \"s\""},
      {"duplicate setting",
       Store("<DriverSession name=\"s\"><DataComponent name=\"c\" type=\"Structure\">\n"
             "<DataComponent name=\"x\" type=\"String\"/><DataComponent name=\"X\" "
             "type=\"String\"/></DataComponent></DriverSession>"),
       "store.xml:4: <DataComponent>: duplicate data component name \"X\""},
      {"virtual names overlapping through a range",
       Store("<DriverSession name=\"s\"><VirtualName name=\"in\" mapTo=\"Channel\">"
             "<Range min=\"1\" max=\"3\"/></VirtualName>\n<VirtualName name=\"IN2\" "
             "mapTo=\"Channel1\"/></DriverSession>"),
       "store.xml:4: <VirtualName>: duplicate virtual name \"IN2\""},
      {"bad boolean", Store("<DriverSession name=\"s\" simulate=\"yes\"/>"),
       "store.xml:3: <DriverSession>: attribute \"simulate\" is not a boolean (true, false, 1 or "
       "0): \"yes\""},
      {"bad integer",
       Store("<SoftwareModule name=\"m\"><DataComponent name=\"n\" "
             "type=\"Integer\" value=\"2147483648\"/></SoftwareModule>"),
       "store.xml:3: <DataComponent>: value \"2147483648\" is not a 32-bit integer"},
      {"bad real",
       Store("<SoftwareModule name=\"m\"><DataComponent name=\"n\" type=\"Real\" "
             "value=\"1.5V\"/></SoftwareModule>"),
       "store.xml:3: <DataComponent>: value \"1.5V\" is not a finite real number"},
      {"typed without value",
       Store("<SoftwareModule name=\"m\"><DataComponent name=\"n\" "
             "type=\"Boolean\"/></SoftwareModule>"),
       "store.xml:3: <DataComponent>: a data component of type Boolean needs a \"value\""},
      {"reversed range",
       Store("<DriverSession name=\"s\"><VirtualName name=\"v\" mapTo=\"C\">"
             "<Range min=\"3\" max=\"1\"/></VirtualName></DriverSession>"),
       "store.xml:3: <Range>: \"max\" is less than \"min\""},
      {"range too large",
       Store("<DriverSession name=\"s\"><VirtualName name=\"v\" mapTo=\"C\">"
             "<Range min=\"0\" max=\"2147483647\"/></VirtualName>"
             "</DriverSession>"),
       "store.xml:3: <Range>: the ranges of one session expand to more than 10000 names"},
      {"document type",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE s [<!ENTITY a \"aaaa\">]>\n"
       "<IviConfigStore version=\"1\"/>",
       "store.xml:2: a document type declaration (<!DOCTYPE>) is not allowed"},
      {"undeclared entity", Store("<HardwareAsset name=\"&a;\" resourceDescriptor=\"x\"/>"),
       "store.xml:3: Entity 'a' not defined"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string error = Parse(c.text);
    EXPECT_EQ(error.substr(0, c.message.size()), c.message) << error;
  }
}

TEST_F(ConfigStoreTest, FilesThatCannotBeReadSayWhy) {
  ConfigStore store;
  std::string error;
  const struct {
    const char* what;
    std::function<std::string()> make;  // returns the path to read
    std::string message;                // after the path
  } cases[] = {
      {"missing", [&] { return path; }, ": cannot open the file: No such file or directory"},
      {"a folder", [&] { return folder.path().string(); }, ": not a regular file"},
      {"oversize",
       [&] {
         Write(Store("<!--" + std::string(core::kMaxConfigStoreSize, ' ') + "-->"));
         return path;
       },
       ": the file is larger than 8388608 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string file = c.make();
    EXPECT_FALSE(core::ReadConfigStore(file, store, error));
    EXPECT_EQ(error, file + c.message);
  }
  // Root reads any file, so only another user sees an unreadable one refused.
  if (geteuid() != 0) {
    Write(kBench);
    chmod(path.c_str(), 0);
    EXPECT_FALSE(core::ReadConfigStore(path, store, error));
    EXPECT_EQ(error, path + ": cannot open the file: Permission denied");
    chmod(path.c_str(), 0644);
  }
  // Just at the limit is still read.
  const std::string base = Store("");
  Write(base.substr(0, base.size() - 18) +
        std::string(core::kMaxConfigStoreSize - base.size(), ' ') + base.substr(base.size() - 18));
  EXPECT_TRUE(core::ReadConfigStore(path, store, error)) << error;
}

TEST_F(ConfigStoreTest, LocationsInOrder) {
  const std::string user = (folder.path() / "ivi" / "config-store.xml").string();
  setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);

  EXPECT_EQ(core::ConfigStoreLocation(), "") << "a named store that does not exist is no store";
  std::filesystem::create_directories(folder.path() / "ivi");
  WriteText(user, kBench);
  EXPECT_EQ(core::ConfigStoreLocation(), "") << "the named store hides the user's";
  Write(kBench);
  EXPECT_EQ(core::ConfigStoreLocation(), path);
  unsetenv("TEVRA_CONFIG_STORE");
  EXPECT_EQ(core::ConfigStoreLocation(), user);
  EXPECT_EQ(core::UserConfigStoreLocation(), user);
  setenv("XDG_CONFIG_HOME", "relative/dir", 1);  // ignored: the home folder's .config is used
  setenv("HOME", folder.path().c_str(), 1);
  EXPECT_EQ(core::UserConfigStoreLocation(),
            (folder.path() / ".config" / "ivi" / "config-store.xml").string());
}

}  // namespace
}  // namespace tevra::testing
