// Shared by the configuration store's suites: a scratch store file that TEVRA_CONFIG_STORE names
// for the length of a test, and a bench store with every kind of entry.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "core/ConfigStore.h"
#include "support/DriverHandle.h"
#include "support/ScratchFolder.h"
#include "support/TestDriver.h"
#include "tevra/Tevra.h"

namespace tevra::testing {

using core::ConfigStore;

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string Store(const std::string& body) {
  return "<?xml version=\"1.0\"?>\n<IviConfigStore version=\"1\">\n" + body + "</IviConfigStore>\n";
}

// A store with the software module, a simulated session reached by a logical name, and a
// session without a hardware asset.
inline const std::string kBench = Store(R"(<SoftwareModule name="Tevra">
  <PhysicalName name="Channel1" repCap="TevraChannel"/>
  <PhysicalName name="Channel2" repCap="TevraChannel"/>
  <PhysicalName name="Channel3" repCap="TevraChannel"/>
  <DataComponent name="Configurable Initial Settings" type="Structure">
    <DataComponent name="FromModule" type="Integer" value="5"/>
  </DataComponent>
</SoftwareModule>
<HardwareAsset name="Bench3" resourceDescriptor="USB::0x0957::0x1796::MY123::INSTR"/>
<DriverSession name="BenchSession" hardwareAsset="Bench3" softwareModule="Tevra"
    simulate="true" rangeCheck="false" driverSetup="Model=QX1200">
  <DataComponent name="Configurable Initial Settings" type="Structure">
    <DataComponent name="Label" type="String" value="probe A"/>
    <DataComponent name="Count" type="Integer" value="-12"/>
    <DataComponent name="Gate.Time" type="real" value="2.5e-3"/>
    <DataComponent name="Fast" type="BOOLEAN" value="1"/>
    <DataComponent name="Nested" type="Structure">
      <DataComponent name="Inner" type="String" value="hidden"/>
    </DataComponent>
    <DataComponent name="Peer" type="APIReference" value="Other.Driver"/>
    <DataComponent name="Odd" type="Blob" value="xyz"/>
  </DataComponent>
  <VirtualName name="in" mapTo="Channel"><Range min="1" max="2"/></VirtualName>
  <VirtualName name="Reference" mapTo="TevraChannel!!Channel3"/>
</DriverSession>
<DriverSession name="Floating" softwareModule="Tevra" simulate="true"/>
<LogicalName name="MyCounter" session="BenchSession"/>
)");

// Points TEVRA_CONFIG_STORE at a file in a scratch folder for the test, and restores it and the
// variables the store's location depends on.
class ConfigStoreFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kVariables)
      if (const char* value = std::getenv(name)) saved_[name] = value;
    setenv("TEVRA_CONFIG_STORE", path.c_str(), 1);
  }
  void TearDown() override {
    for (const char* name : kVariables)
      if (saved_.count(name))
        setenv(name, saved_[name].c_str(), 1);
      else
        unsetenv(name);
  }
  void Write(const std::string& text) { WriteText(path, text); }
  std::string Parse(const std::string& text) {
    ConfigStore store;
    std::string error;
    EXPECT_FALSE(core::ParseConfigStore(text, "store.xml", store, error)) << text;
    EXPECT_EQ(store, ConfigStore{}) << "a refused store is left empty";
    return error;
  }
  HRESULT Init(TestDriver& d, const char* resource, const char* options) {
    platform::Bstr name(resource), opts(options);
    return d.ApiInitialize(name.get(), 0, 0, opts.get());
  }
  std::string Text(DriverHandle& h, HRESULT (IIviDriverOperation::*getter)(BSTR*)) {
    return GetText([&](BSTR* v) { return (h.operation->*getter)(v); });
  }

  ScratchFolder folder;
  std::string path = (folder.path() / "config-store.xml").string();

 private:
  static constexpr const char* kVariables[] = {"TEVRA_CONFIG_STORE", "XDG_CONFIG_HOME", "HOME"};
  std::map<std::string, std::string> saved_;
};

}  // namespace tevra::testing
