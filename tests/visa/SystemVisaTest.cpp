// Sessions through a system VISA library: the test library (tests/support/fakevisa) stands in for
// a vendor's, over the fake instrument.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/FakeInstrument.h"
#include "support/SessionReads.h"
#include "visa/ResourceManager.h"

namespace tevra::visa {
namespace {

using testing::FakeInstrument;
namespace FakeWire = testing::FakeWire;

TEST(SystemVisa, ASessionRunsThroughTheLibraryAndItsMissingFunctionsAreNotSupported) {
  FakeInstrument fake({.wire = FakeWire::Visa});
  ASSERT_TRUE(fake.Start());

  ResourceManager manager;
  std::unique_ptr<VisaSession> session;
  ASSERT_EQ(manager.Open(fake.ResourceName(), AccessMode::NoLock, 2000, session), kViSuccess)
      << manager.LastErrorDescription();
  EXPECT_EQ(session->ResourceName(), fake.ResourceName());
  EXPECT_TRUE(session->ClearResetsInstrument());  // a GPIB device clear
  ASSERT_EQ(session->SetAttribute(kViAttrTmoValue, std::uint32_t{150}), kViSuccess);

  // The library's own error text travels with its status (queries, status byte and timeouts
  // through it are the contract run's).
  EXPECT_EQ(testing::ReadUpTo(*session, 64).status, kViErrorTmo);
  EXPECT_NE(session->LastErrorDescription().find("fake VISA status 0xBFFF0015"), std::string::npos)
      << session->LastErrorDescription();

  EXPECT_EQ(session->AssertTrigger(kViTrigProtDefault), kViErrorNsupOper);
  EXPECT_NE(session->LastErrorDescription().find("has no viAssertTrigger"), std::string::npos)
      << session->LastErrorDescription();
  std::string key;
  EXPECT_EQ(session->Lock(AccessMode::ExclusiveLock, 100, {}, key), kViErrorNsupOper);
  EXPECT_EQ(fake.Transcript(), "");
}

TEST(SystemVisa, OpenFailuresNameWhatWasLookedFor) {
  struct Case {
    const char* resource;
    const char* library;      // DriverSetup VisaLibrary
    const char* environment;  // TEVRA_VISA_LIBRARY
    ViStatus status;
    const char* says;
  };
  const Case cases[] = {
      {"GPIB0::3::INSTR", "None", "", kViErrorRsrcNfound,
       "no transport serves GPIB INSTR resources)"},
      {"GPIB0::3::INSTR", "", "/nonexistent/libvisa.so", kViErrorRsrcNfound,
       "no transport serves GPIB INSTR resources; /nonexistent/libvisa.so: cannot open"},
      {"TCPIP::127.0.0.1::1::SOCKET", "/nonexistent/libvisa.so", "", kViErrorLibraryNfound,
       "/nonexistent/libvisa.so: cannot open"},
      {"TCPIP::127.0.0.1::1::SOCKET", "libm.so.6", "", kViErrorLibraryNfound,
       "libm.so.6 is not a VISA library: it has no viOpenDefaultRM"},
  };
  const char* saved = std::getenv("TEVRA_VISA_LIBRARY");
  const std::string restore = saved ? saved : "";
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.resource) + " " + c.library + " " + c.environment);
    setenv("TEVRA_VISA_LIBRARY", c.environment, 1);
    OpenOptions options;
    options.visaLibrary = c.library;
    ResourceManager manager;
    std::unique_ptr<VisaSession> session;
    EXPECT_EQ(manager.Open(c.resource, AccessMode::NoLock, 500, session, options), c.status);
    EXPECT_NE(manager.LastErrorDescription().find(c.says), std::string::npos)
        << manager.LastErrorDescription();
    EXPECT_FALSE(session);
  }
  setenv("TEVRA_VISA_LIBRARY", restore.c_str(), 1);
}

}  // namespace
}  // namespace tevra::visa
