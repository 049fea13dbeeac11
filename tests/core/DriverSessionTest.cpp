// The driver session in simulation: Initialize and Close with their failures, the session
// properties, identity and the utilities, all without an instrument. Every method's refusal
// before Initialize and of null outputs is swept in tests/counter/MisuseTest.cpp.
#include <gtest/gtest.h>

#include <functional>

#include "support/DriverHandle.h"
#include "support/ScriptedIoSession.h"

namespace tevra::testing {
namespace {

constexpr HRESULT kNotInitialized = static_cast<HRESULT>(0x8004701D);
constexpr HRESULT kNullPointer = static_cast<HRESULT>(0x80047058);
constexpr HRESULT kAlreadyInitialized = static_cast<HRESULT>(0x80047061);
constexpr HRESULT kUnknownOptionValue = static_cast<HRESULT>(0x8004704C);
constexpr HRESULT kIdQueryFailed = static_cast<HRESULT>(0x8004705E);
constexpr HRESULT kSimulationLocked = static_cast<HRESULT>(0x80047062);
constexpr HRESULT kEnumNotSupported = static_cast<HRESULT>(0x80047013);
constexpr HRESULT kMethodNotSupported = static_cast<HRESULT>(0x80047011);
constexpr const char* kRecordCoercionsRefused =
    "Tevra: Does not support this class-compliant feature: Enumeration value 'VARIANT_TRUE' "
    "passed as the value for parameter 'val' in method 'put_RecordCoercions'.";

struct Refusal {
  std::function<HRESULT()> call;
  HRESULT status;
  std::string description;
};

class SimulatedSession : public ::testing::Test {
 protected:
  SimulatedSession() : handle(std::make_unique<ScriptedIoSession>(script)) {}
  void TearDown() override {
    // Simulation never opens or uses the I/O session.
    EXPECT_EQ(script.opens, 0);
    EXPECT_TRUE(script.sent.empty());
  }
  bool Flag(HRESULT (IIviDriverOperation::*getter)(VARIANT_BOOL*)) {
    VARIANT_BOOL v = 0;
    EXPECT_EQ((handle.operation->*getter)(&v), S_OK);
    return v != 0;
  }
  std::string Text(HRESULT (IIviDriverIdentity::*getter)(BSTR*)) {
    return GetText([&](BSTR* v) { return (handle.identity->*getter)(v); });
  }
  void ExpectRefusals(const std::vector<Refusal>& refusals) {
    for (const Refusal& r : refusals) {
      SCOPED_TRACE(r.description);
      EXPECT_EQ(r.call(), r.status);
      EXPECT_EQ(TakeErrorDescription(), r.description);
    }
  }

  ScriptedIoSession::Script script;
  DriverHandle handle;
};

TEST_F(SimulatedSession, DriverConstantsAreReadableBeforeInitialize) {
  using I = IIviDriverIdentity;
  EXPECT_EQ(Text(&I::get_Description),
            "IVI Driver for Orvane QX1xxx family of Counters. [Compiled for 64-bit.]");
  EXPECT_EQ(Text(&I::get_Revision), "1.2.2.0");
  EXPECT_EQ(Text(&I::get_Vendor), "Orvane Technologies");
  EXPECT_EQ(Text(&I::get_Identifier), "Tevra");
  EXPECT_EQ(Text(&I::get_SupportedInstrumentModels), "QX1300,QX1200,QX1100");
  LONG major = -1, minor = -1;
  EXPECT_EQ(handle.identity->get_SpecificationMajorVersion(&major), S_OK);
  EXPECT_EQ(handle.identity->get_SpecificationMinorVersion(&minor), S_OK);
  EXPECT_EQ(major, 2);
  EXPECT_EQ(minor, 0);
  // The initialised check comes before the null-pointer check.
  EXPECT_EQ(handle.identity->get_GroupCapabilities(nullptr), kNotInitialized);
  EXPECT_EQ(handle.Close(), kNotInitialized);
}

TEST_F(SimulatedSession, InitializeReportsTheSimulatedInstrument) {
  ASSERT_EQ(handle.Initialize("GPIB0::7::INSTR", "Simulate=true", /*idQuery=*/true), S_OK);
  EXPECT_TRUE(handle.Initialized());
  using I = IIviDriverIdentity;
  EXPECT_EQ(Text(&I::get_InstrumentModel), "QX1300");
  EXPECT_EQ(Text(&I::get_InstrumentManufacturer), "Orvane Technologies");
  EXPECT_EQ(Text(&I::get_InstrumentFirmwareRevision), "Sim1.2.2.0");
  EXPECT_EQ(Text(&I::get_GroupCapabilities),
            "IviCounterBase,IviCounterFilter,IviCounterStopHoldoff,"
            "IviCounterVoltageMeasurement,IviCounterEdgeTimeReferenceLevels");
  EXPECT_EQ(GetText([&](BSTR* v) { return handle.operation->get_IoResourceDescriptor(v); }),
            "GPIB0::7::INSTR");
  EXPECT_EQ(GetText([&](BSTR* v) { return handle.operation->get_LogicalName(v); }), "");
  EXPECT_TRUE(Flag(&IIviDriverOperation::get_Simulate));
  EXPECT_TRUE(Flag(&IIviDriverOperation::get_Cache));
  EXPECT_TRUE(Flag(&IIviDriverOperation::get_RangeCheck));
  EXPECT_FALSE(Flag(&IIviDriverOperation::get_QueryInstrumentStatus));
}

TEST_F(SimulatedSession, DriverSetupChoosesTheModelAndTheIdQueryChecksIt) {
  EXPECT_EQ(handle.Initialize("SIM", "Simulate=true,DriverSetup=Model=QX9999", true),
            kIdQueryFailed);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Instrument ID query failed.\r\nUnrecognized model: QX9999.");
  EXPECT_FALSE(handle.Initialized());
  // Without the ID query the model is taken as it is.
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true,DriverSetup=Model=QX9999", false), S_OK);
  EXPECT_EQ(Text(&IIviDriverIdentity::get_InstrumentModel), "QX9999");
  EXPECT_EQ(handle.Close(), S_OK);

  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true, DriverSetup=Model=QX1100, Trace=false", true),
            S_OK);
  EXPECT_EQ(Text(&IIviDriverIdentity::get_InstrumentModel), "QX1100");
  EXPECT_EQ(GetText([&](BSTR* v) { return handle.operation->get_DriverSetup(v); }),
            "Model=QX1100, Trace=false");
}

TEST_F(SimulatedSession, InitializeFailuresLeaveTheDriverUninitialised) {
  const auto init = [&](std::string options) {
    return [&, options] { return handle.Initialize("SIM", options); };
  };
  ExpectRefusals({
      {[&] { return handle.driver->Initialize(nullptr, 0, 0, nullptr); }, kNullPointer,
       "Tevra: Null pointer passed for method 'Initialize', parameter 'ResourceName'."},
      {init("Simulate=true,InterchangeCheck=true"), kUnknownOptionValue,
       "Tevra: The 'True' value in the option string is unknown.\r\n"
       "Interchange checking is not supported by the driver."},
      {init("Simulate=yes"), kUnknownOptionValue,
       "Tevra: The 'yes' value in the option string is unknown."},
      // A NUL in the value is shown, so no reader of the message stops there.
      {init(std::string("Simulate=y\0es", 13)), kUnknownOptionValue,
       "Tevra: The 'y\\0es' value in the option string is unknown."},
  });
  EXPECT_FALSE(handle.Initialized());
}

TEST_F(SimulatedSession, SecondInitializeFailsAndTheFirstSessionStays) {
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true,DriverSetup=Model=QX1200"), S_OK);
  EXPECT_EQ(handle.Initialize("SIM", "Simulate=true,DriverSetup=Model=QX1100"),
            kAlreadyInitialized);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: The driver is already initialized.");
  EXPECT_TRUE(handle.Initialized());
  EXPECT_EQ(Text(&IIviDriverIdentity::get_InstrumentModel), "QX1200");
}

TEST_F(SimulatedSession, CloseTwiceThenInitializeAgainWithTheDefaults) {
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true,RangeCheck=false"), S_OK);
  EXPECT_FALSE(Flag(&IIviDriverOperation::get_RangeCheck));
  EXPECT_EQ(handle.Close(), S_OK);
  EXPECT_FALSE(handle.Initialized());
  EXPECT_EQ(handle.Close(), kNotInitialized);
  // Each Initialize starts the flags from their defaults again.
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true"), S_OK);
  EXPECT_TRUE(Flag(&IIviDriverOperation::get_RangeCheck));
}

TEST_F(SimulatedSession, SessionPropertySetters) {
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true"), S_OK);
  IIviDriverOperation* op = handle.operation;
  ExpectRefusals({
      {[&] { return op->put_Simulate(VARIANT_FALSE); }, kSimulationLocked,
       "Tevra: The simulation state cannot be changed."},
      {[&] { return op->put_RecordCoercions(VARIANT_TRUE); }, kEnumNotSupported,
       kRecordCoercionsRefused},
      {[&] { return op->put_InterchangeCheck(VARIANT_TRUE); }, kEnumNotSupported,
       "Tevra: Does not support this class-compliant feature: Enumeration value 'VARIANT_TRUE' "
       "passed as the value for parameter 'val' in method 'put_InterchangeCheck'."},
  });
  EXPECT_TRUE(Flag(&IIviDriverOperation::get_Simulate));
  EXPECT_FALSE(Flag(&IIviDriverOperation::get_InterchangeCheck));
  EXPECT_EQ(op->put_RecordCoercions(VARIANT_FALSE), S_OK);
  EXPECT_EQ(op->put_InterchangeCheck(VARIANT_FALSE), S_OK);

  // Any non-zero value counts as true, and reads back as VARIANT_TRUE.
  EXPECT_EQ(op->put_RangeCheck(VARIANT_FALSE), S_OK);
  EXPECT_FALSE(Flag(&IIviDriverOperation::get_RangeCheck));
  EXPECT_EQ(op->put_RangeCheck(1), S_OK);
  VARIANT_BOOL v = 0;
  EXPECT_EQ(op->get_RangeCheck(&v), S_OK);
  EXPECT_EQ(v, VARIANT_TRUE);
  // In simulation switching status checking on writes nothing.
  EXPECT_EQ(op->put_QueryInstrumentStatus(VARIANT_TRUE), S_OK);
  EXPECT_TRUE(Flag(&IIviDriverOperation::get_QueryInstrumentStatus));
}

TEST_F(SimulatedSession, UnsupportedOperationsAndTheUtilities) {
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true"), S_OK);
  IIviDriverOperation* op = handle.operation;
  IIviDriverUtility* u = handle.utility;
  const std::string kFeature = "Tevra: Does not support this class-compliant feature: method '";
  ExpectRefusals({
      {[&] { return op->ClearInterchangeWarnings(); }, kMethodNotSupported,
       kFeature + "ClearInterchangeWarnings'."},
      {[&] { return op->ResetInterchangeCheck(); }, kMethodNotSupported,
       kFeature + "ResetInterchangeCheck'."},
      {[&] { return op->GetNextInterchangeWarning(nullptr); }, kNullPointer,
       "Tevra: Null pointer passed for method 'GetNextInterchangeWarning', parameter "
       "'pbstrWarning'."},
      {[&] { return u->LockObject(); }, kMethodNotSupported, kFeature + "LockObject'."},
      {[&] { return u->UnlockObject(); }, kMethodNotSupported, kFeature + "UnlockObject'."},
  });
  BSTR warning = reinterpret_cast<BSTR>(0x1);  // garbage the driver must overwrite
  EXPECT_EQ(op->GetNextInterchangeWarning(&warning), kMethodNotSupported);
  EXPECT_EQ(warning, nullptr);
  EXPECT_EQ(GetText([&](BSTR* r) { return op->GetNextCoercionRecord(r); }), "");
  EXPECT_EQ(op->InvalidateAllAttributes(), S_OK);

  LONG result = -1;
  EXPECT_EQ(GetText([&](BSTR* m) { return u->SelfTest(&result, m); }), "Selftest passed");
  EXPECT_EQ(result, 0);
  LONG code = -1;
  EXPECT_EQ(GetText([&](BSTR* m) { return u->ErrorQuery(&code, m); }), "No error.");
  EXPECT_EQ(code, 0);
  EXPECT_EQ(u->Reset(), S_OK);
  EXPECT_EQ(u->Disable(), S_OK);
}

TEST_F(SimulatedSession, ResetWithDefaultsRestoresTheFlagsOfInitialize) {
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true,RangeCheck=false"), S_OK);
  ASSERT_EQ(handle.operation->put_RangeCheck(VARIANT_TRUE), S_OK);
  ASSERT_EQ(handle.operation->put_Cache(VARIANT_FALSE), S_OK);
  EXPECT_EQ(handle.utility->ResetWithDefaults(), S_OK);
  EXPECT_FALSE(Flag(&IIviDriverOperation::get_RangeCheck));
  EXPECT_TRUE(Flag(&IIviDriverOperation::get_Cache));
  EXPECT_EQ(handle.Close(), S_OK);

  // The coercion flag cannot be restored; the setters before it ran.
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true,RecordCoercions=true,Cache=false"), S_OK);
  ASSERT_EQ(handle.operation->put_Cache(VARIANT_TRUE), S_OK);
  EXPECT_EQ(handle.utility->ResetWithDefaults(), kEnumNotSupported);
  EXPECT_EQ(TakeErrorDescription(), kRecordCoercionsRefused);
  EXPECT_FALSE(Flag(&IIviDriverOperation::get_Cache));
}

TEST_F(SimulatedSession, InterfacesShareOneIdentity) {
  IUnknown* a = nullptr;
  IUnknown* b = nullptr;
  ASSERT_EQ(handle.utility->QueryInterface(IID_IUnknown, (void**)&a), S_OK);
  ASSERT_EQ(handle.operation->QueryInterface(IID_IUnknown, (void**)&b), S_OK);
  EXPECT_EQ(a, b);
  a->Release();
  b->Release();
  IIviDriverOperation* op = nullptr;
  ASSERT_EQ(handle.driver->get_DriverOperation(&op), S_OK);  // no Initialize needed
  EXPECT_EQ(op, handle.operation);
  op->Release();
  void* none = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(handle.driver->QueryInterface(CLSID_TevraChannel, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
}

}  // namespace
}  // namespace tevra::testing
