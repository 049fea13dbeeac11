// The driver session in simulation: Initialize and Close with their failures, the session flags,
// the utilities and the refused operations, all without an instrument. Every method's refusal
// before Initialize and of null outputs is swept in tests/counter/MisuseTest.cpp.
#include <gtest/gtest.h>

#include <functional>

#include "support/DriverHandle.h"
#include "support/ScriptedIoSession.h"

namespace tevra::testing {
namespace {

constexpr HRESULT kNotInitialized = static_cast<HRESULT>(0x8004701D);
constexpr HRESULT kNullPointer = static_cast<HRESULT>(0x80047058);
constexpr HRESULT kUnknownOptionValue = static_cast<HRESULT>(0x8004704C);
constexpr HRESULT kEnumNotSupported = static_cast<HRESULT>(0x80047013);
constexpr HRESULT kMethodNotSupported = static_cast<HRESULT>(0x80047011);
const std::string kFeature = "Tevra: Does not support this class-compliant feature: ";
std::string EnumRefused(const char* method) {
  return kFeature + "Enumeration value 'VARIANT_TRUE' passed as the value for parameter 'val' " +
         "in method '" + method + "'.";
}

class SimulatedSession : public ::testing::Test {
 protected:
  SimulatedSession() : handle(std::make_unique<ScriptedIoSession>(script)) {}
  void TearDown() override {
    EXPECT_EQ(script.opens, 0) << "simulation never opens the I/O session";
    EXPECT_TRUE(script.sent.empty());
  }
  bool Flag(HRESULT (IIviDriverOperation::*getter)(VARIANT_BOOL*)) {
    VARIANT_BOOL v = 0;
    EXPECT_EQ((handle.operation->*getter)(&v), S_OK);
    return v != 0;
  }
  std::string Model() {
    return GetText([&](BSTR* v) { return handle.identity->get_InstrumentModel(v); });
  }
  // Each call with its status and the description it leaves.
  void ExpectRefusals(
      const std::vector<std::tuple<std::function<HRESULT()>, HRESULT, std::string>>& refusals) {
    for (const auto& [call, status, description] : refusals) {
      EXPECT_EQ(call(), status) << description;
      EXPECT_EQ(TakeErrorDescription(), description);
    }
  }
  using Op = IIviDriverOperation;
  ScriptedIoSession::Script script;
  DriverHandle handle;
};

TEST_F(SimulatedSession, InitializeCloseAndInitializeAgain) {
  // The initialised check comes before the null-pointer check.
  EXPECT_EQ(handle.identity->get_GroupCapabilities(nullptr), kNotInitialized);
  EXPECT_EQ(handle.Close(), kNotInitialized);
  ASSERT_EQ(handle.Initialize("GPIB0::7::INSTR", "Simulate=true,RangeCheck=false", true), S_OK);
  EXPECT_EQ(Model(), "QX1300");
  EXPECT_EQ(GetText([&](BSTR* v) { return handle.operation->get_IoResourceDescriptor(v); }),
            "GPIB0::7::INSTR");
  EXPECT_TRUE(Flag(&Op::get_Simulate) && Flag(&Op::get_Cache));
  EXPECT_FALSE(Flag(&Op::get_RangeCheck) || Flag(&Op::get_QueryInstrumentStatus));
  // A second Initialize fails and the first session stays.
  EXPECT_EQ(handle.Initialize("SIM", "Simulate=true,DriverSetup=Model=QX1100"),
            static_cast<HRESULT>(0x80047061));
  EXPECT_EQ(TakeErrorDescription(), "Tevra: The driver is already initialized.");
  EXPECT_EQ(Model(), "QX1300");
  EXPECT_EQ(handle.Close(), S_OK);
  EXPECT_EQ(handle.Close(), kNotInitialized);
  // Each Initialize starts the flags from their defaults again.
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true"), S_OK);
  EXPECT_TRUE(Flag(&Op::get_RangeCheck));
}

TEST_F(SimulatedSession, DriverSetupChoosesTheModelAndTheIdQueryChecksIt) {
  EXPECT_EQ(handle.Initialize("SIM", "Simulate=true,DriverSetup=Model=QX9999", true),
            static_cast<HRESULT>(0x8004705E));
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Instrument ID query failed.\r\nUnrecognized model: QX9999.");
  EXPECT_FALSE(handle.Initialized());
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true,DriverSetup=Model=QX9999", false), S_OK);
  EXPECT_EQ(Model(), "QX9999");  // without the ID query the model is taken as it is
  EXPECT_EQ(handle.Close(), S_OK);
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true, DriverSetup=Model=QX1100, Trace=false", true),
            S_OK);
  EXPECT_EQ(Model(), "QX1100");
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
      // A NUL in the value is shown, so no reader of the message stops there.
      {init(std::string("Simulate=y\0es", 13)), kUnknownOptionValue,
       "Tevra: The 'y\\0es' value in the option string is unknown."},
  });
  EXPECT_FALSE(handle.Initialized());
}

TEST_F(SimulatedSession, FlagSettersAndResetWithDefaults) {
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true,RangeCheck=false"), S_OK);
  Op* op = handle.operation;
  ExpectRefusals({
      {[&] { return op->put_Simulate(VARIANT_FALSE); }, static_cast<HRESULT>(0x80047062),
       "Tevra: The simulation state cannot be changed."},
      {[&] { return op->put_RecordCoercions(VARIANT_TRUE); }, kEnumNotSupported,
       EnumRefused("put_RecordCoercions")},
  });
  EXPECT_EQ(op->put_RecordCoercions(VARIANT_FALSE), S_OK);
  // Any non-zero value counts as true, and reads back as VARIANT_TRUE.
  EXPECT_EQ(op->put_RangeCheck(1), S_OK);
  VARIANT_BOOL v = 0;
  EXPECT_EQ(op->get_RangeCheck(&v), S_OK);
  EXPECT_EQ(v, VARIANT_TRUE);
  EXPECT_EQ(op->put_QueryInstrumentStatus(VARIANT_TRUE), S_OK);  // writes nothing in simulation
  ASSERT_EQ(op->put_Cache(VARIANT_FALSE), S_OK);
  EXPECT_EQ(handle.utility->ResetWithDefaults(), S_OK);
  EXPECT_FALSE(Flag(&Op::get_RangeCheck));
  EXPECT_TRUE(Flag(&Op::get_Cache));
  EXPECT_EQ(handle.Close(), S_OK);

  // The coercion flag cannot be restored; the setters before it ran.
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true,RecordCoercions=true,Cache=false"), S_OK);
  ASSERT_EQ(op->put_Cache(VARIANT_TRUE), S_OK);
  EXPECT_EQ(handle.utility->ResetWithDefaults(), kEnumNotSupported);
  EXPECT_EQ(TakeErrorDescription(), EnumRefused("put_RecordCoercions"));
  EXPECT_FALSE(Flag(&Op::get_Cache));
}

// The interfaces and their one identity are in tests/api/ObjectModelTest.cpp.
TEST_F(SimulatedSession, UnsupportedOperationsAndTheUtilities) {
  ASSERT_EQ(handle.Initialize("SIM", "Simulate=true"), S_OK);
  Op* op = handle.operation;
  IIviDriverUtility* u = handle.utility;
  EXPECT_EQ(op->ResetInterchangeCheck(), kMethodNotSupported);
  EXPECT_EQ(TakeErrorDescription(), kFeature + "method 'ResetInterchangeCheck'.");
  BSTR warning = reinterpret_cast<BSTR>(0x1);  // garbage the driver must overwrite
  EXPECT_EQ(op->GetNextInterchangeWarning(&warning), kMethodNotSupported);
  EXPECT_EQ(warning, nullptr);
  EXPECT_EQ(GetText([&](BSTR* r) { return op->GetNextCoercionRecord(r); }), "");
  LONG result = -1;
  EXPECT_EQ(GetText([&](BSTR* m) { return u->ErrorQuery(&result, m); }), "No error.");
  EXPECT_EQ(u->Reset(), S_OK);
}

}  // namespace
}  // namespace tevra::testing
