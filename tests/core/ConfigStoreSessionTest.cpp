// Session setup from the configuration store: what Initialize takes from a store (address, flags,
// DriverSetup, initial settings, virtual names), and what it does without one.
#include <string>

#include "ConfigStoreFixture.h"

namespace tevra::testing {
namespace {

constexpr HRESULT kUnrecoverable = static_cast<HRESULT>(0x80047000);
constexpr HRESULT kUnknownResource = static_cast<HRESULT>(0x80047060);

using ConfigStoreSession = ConfigStoreFixture;

TEST_F(ConfigStoreSession, WithoutAUsableStoreTheResourceNameIsTheAddress) {
  // No file, a malformed file and an unreadable one are all "no store".
  for (const char* store : {"", "<IviConfigStore version=\"1\">", "<IviConfigStore/>"}) {
    SCOPED_TRACE(store);
    if (*store) Write(store);
    DriverHandle h;
    ASSERT_EQ(h.Initialize("GPIB0::7::INSTR", "Simulate=true"), S_OK);
    EXPECT_EQ(Text(h, &IIviDriverOperation::get_LogicalName), "");
    EXPECT_EQ(Text(h, &IIviDriverOperation::get_IoResourceDescriptor), "GPIB0::7::INSTR");
  }
}

TEST_F(ConfigStoreSession, ALogicalNameBringsTheSessionsAddressFlagsAndDriverSetup) {
  Write(kBench);
  struct Case {
    const char* resource;
    const char* options;
    HRESULT status;
    const char* descriptor;
    bool simulate;
    const char* model;
  };
  const Case cases[] = {
      {"MyCounter", "", S_OK, "USB::0x0957::0x1796::MY123::INSTR", true, "QX1200"},
      {"benchsession", "DriverSetup=Model=QX1100", S_OK, "USB::0x0957::0x1796::MY123::INSTR", true,
       "QX1100"},
      // The option string overrides the store: no simulation, so the address is opened, and the
      // session this driver ships with has no transport for it.
      {"MyCounter", "Simulate=false", kUnknownResource, "USB::0x0957::0x1796::MY123::INSTR", false,
       ""},
      {"Floating", "", S_OK, "", true, "QX1300"},
      // Without simulation an empty address does not open.
      {"Floating", "Simulate=false", kUnknownResource, "", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.resource) + " / " + c.options);
    DriverHandle h;
    EXPECT_EQ(h.Initialize(c.resource, c.options), c.status);
    if (FAILED(c.status)) {
      EXPECT_EQ(
          TakeErrorDescription(),
          std::string("Tevra: Unknown resource.\r\nResource descriptor = ") + c.descriptor + ".");
      EXPECT_FALSE(h.Initialized());
      continue;
    }
    EXPECT_EQ(Text(h, &IIviDriverOperation::get_LogicalName), c.resource);
    EXPECT_EQ(Text(h, &IIviDriverOperation::get_IoResourceDescriptor), c.descriptor);
    VARIANT_BOOL flag = 0;
    EXPECT_EQ(h.operation->get_Simulate(&flag), S_OK);
    EXPECT_EQ(flag != 0, c.simulate);
    EXPECT_EQ(h.operation->get_RangeCheck(&flag), S_OK);
    EXPECT_EQ(flag != 0, std::string(c.resource) == "Floating") << "the store's RangeCheck";
    EXPECT_EQ(h.operation->get_Cache(&flag), S_OK);
    EXPECT_TRUE(flag) << "a flag the store leaves out keeps its default";
    EXPECT_EQ(GetText([&](BSTR* v) { return h.identity->get_InstrumentModel(v); }), c.model);
  }
}

TEST_F(ConfigStoreSession, AnAddressNeedsTheSoftwareModule) {
  Write(Store("<HardwareAsset name=\"a\" resourceDescriptor=\"x\"/>"));
  DriverHandle h;
  EXPECT_EQ(h.Initialize("GPIB0::7::INSTR", "Simulate=true"), kUnrecoverable);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Unrecoverable failure.\r\nSoftware module could not be loaded from the IVI "
            "Configuration Store.");
  EXPECT_FALSE(h.Initialized());

  // With the module, an address takes the module's initial settings and no session's.
  Write(kBench);
  TestDriver d;
  ASSERT_EQ(Init(d, "GPIB0::7::INSTR", "Simulate=true"), S_OK);
  EXPECT_EQ(d.ResourceDescriptor(), "GPIB0::7::INSTR");
  EXPECT_EQ(d.ConfigurableInitialSettings().FindInt32("FromModule"), 5);
  EXPECT_EQ(d.ConfigurableInitialSettings().Find("Label"), std::nullopt);
  EXPECT_TRUE(d.VirtualNameMap().empty());
}

TEST_F(ConfigStoreSession, InitialSettingsKeepTheFourValueTypesAndSkipTheRest) {
  Write(kBench);
  TestDriver d;
  ASSERT_EQ(Init(d, "MyCounter", ""), S_OK);
  const core::InitialSettings& s = d.ConfigurableInitialSettings();
  EXPECT_EQ(s.Find("label"), core::SettingValue(std::string("probe A")));
  EXPECT_EQ(s.Find("COUNT"), core::SettingValue(std::int32_t{-12}));
  EXPECT_EQ(s.Find("gate.time"), core::SettingValue(2.5e-3));
  EXPECT_EQ(s.Find("fast"), core::SettingValue(true));
  for (const char* skipped : {"Nested", "Inner", "Peer", "Odd", "FromModule"})
    EXPECT_EQ(s.Find(skipped), std::nullopt) << skipped;
  EXPECT_EQ(d.LookupDriverSetup("model"), "QX1200");
}

TEST_F(ConfigStoreSession, VirtualNamesReachChannelsThroughBothFaces) {
  Write(kBench);
  TestDriver d;
  ASSERT_EQ(Init(d, "MyCounter", ""), S_OK);
  const core::PairMap virtualNames = {
      {"in1", "Channel1"}, {"in2", "Channel2"}, {"reference", "TevraChannel!!Channel3"}};
  EXPECT_EQ(d.VirtualNameMap(), virtualNames);
  const core::PairMap physicalToVirtual = {{"TevraChannel!!Channel1", "in1"},
                                           {"TevraChannel!!Channel2", "in2"},
                                           {"TevraChannel!!Channel3", "Reference"}};
  EXPECT_EQ(d.PhysicalToVirtualMap(), physicalToVirtual);

  // The object face: Item finds a channel by its virtual name, Name gives it back.
  DriverHandle h;
  ASSERT_EQ(h.Initialize("MyCounter", ""), S_OK);
  ITevraChannels* channels = nullptr;
  ASSERT_EQ(h.driver->get_Channels(&channels), S_OK);
  for (const auto& [name, index] :
       {std::pair{"IN2", 2}, {"reference", 3}, {"Channel1", 1}, {" in1 ", 1}}) {
    platform::Bstr text(name);
    ITevraChannel* byName = nullptr;
    ASSERT_EQ(channels->get_Item(text.get(), &byName), S_OK) << name;
    platform::Bstr physical(std::string("Channel") + std::to_string(index));
    ITevraChannel* byPhysical = nullptr;
    ASSERT_EQ(channels->get_Item(physical.get(), &byPhysical), S_OK);
    EXPECT_EQ(byName, byPhysical) << name;
    byName->Release();
    byPhysical->Release();
  }
  EXPECT_EQ(GetText([&](BSTR* v) { return channels->get_Name(2, v); }), "in2");
  EXPECT_EQ(GetText([&](BSTR* v) { return channels->get_Name(3, v); }), "Reference");
  channels->Release();

  // The C face: a selector range over virtual names.
  ViSession vi = 0;
  char resource[] = "MyCounter";
  ASSERT_EQ(Tevra_InitWithOptions(resource, VI_FALSE, VI_FALSE, "", &vi), VI_SUCCESS);
  ASSERT_EQ(
      Tevra_SetAttributeViInt32(vi, "in1-in2", TEVRA_ATTR_CHANNEL_COUPLING, TEVRA_VAL_COUPLING_AC),
      VI_SUCCESS);
  for (const char* channel : {"Channel1", "Channel2"}) {
    ViInt32 coupling = 0;
    EXPECT_EQ(Tevra_GetAttributeViInt32(vi, channel, TEVRA_ATTR_CHANNEL_COUPLING, &coupling),
              VI_SUCCESS);
    EXPECT_EQ(coupling, TEVRA_VAL_COUPLING_AC) << channel;
  }
  EXPECT_EQ(
      Tevra_SetAttributeViInt32(vi, "in1-in3", TEVRA_ATTR_CHANNEL_COUPLING, TEVRA_VAL_COUPLING_AC),
      static_cast<ViStatus>(0xBFFA0067))
      << "in3 is not a virtual name";
  Tevra_close(vi);
}

}  // namespace
}  // namespace tevra::testing
