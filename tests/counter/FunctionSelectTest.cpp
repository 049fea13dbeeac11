// The function selector of the root interface (GetFunction, Configure) and the voltage selection
// that takes the place of the class-compliant readback of the selected function.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

// The command word of every function on every model, and the word simulation records, are in
// the row walk.
TEST(SetFunction, SimulatedConfigureReturnsTheDefaultConfiguration) {
  CounterDriver driver;
  driver.Simulate("QX1300");
  EXPECT_EQ(GetText([&](BSTR* v) { return driver.handle.driver->Configure(v); }),
            "FREQ +1.00000000000000E+007,+1.00000000000000E-003,(@2)");
}

class FunctionReadback : public ScriptedCounter {
 protected:
  void SetUp() override {
    d.Open("QX1300", "785,431");
    counter = d.Get<IIviCounter>(IID_IIviCounter);
  }
  IviCounterMeasurementFunctionEnum Function(HRESULT expected = S_OK) {
    IviCounterMeasurementFunctionEnum function{};
    EXPECT_EQ(counter->get_Function(&function), expected) << TakeErrorDescription();
    return function;
  }

  IIviCounter* counter = nullptr;
};

TEST_F(FunctionReadback, GetFunctionAndConfigureReturnTheRepliesWithoutQuotes) {
  d.script.Expect("FUNC?", "\"PER 1\"");
  EXPECT_EQ(GetText([&](BSTR* v) { return d.handle.driver->GetFunction(v); }), "PER 1");
  d.script.Expect("CONF?", "\"FREQ +1.0E+7,+1.0E-3,(@1)\"");
  EXPECT_EQ(GetText([&](BSTR* v) { return d.handle.driver->Configure(v); }),
            "FREQ +1.0E+7,+1.0E-3,(@1)");
}

// A voltage selection answers without asking the instrument until another configure clears it;
// the time stamps and SetFunction leave it in place.
TEST_F(FunctionReadback, TheVoltageSelectionStandsUntilAnotherConfigure) {
  auto* voltage = d.Get<ITevraVoltage>(IID_ITevraVoltage);
  struct Row {
    TevraVoltageFunctionEnum function;
    int classFunction;
  };
  const Row rows[] = {{TevraVoltageFunctionDC, 14},
                      {TevraVoltageFunctionMaximum, 15},
                      {TevraVoltageFunctionMinimum, 16},
                      {TevraVoltageFunctionPeakToPeak, 18}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.classFunction);
    EXPECT_EQ(voltage->Configure(1, row.function), S_OK);
    EXPECT_EQ(Function(), row.classFunction);
  }
  EXPECT_TRUE(d.script.sent.empty());

  d.script.Expect("CONF:ARR:TST (5),(@1)");
  EXPECT_EQ(d.Get<ITevraTimeStamp>(IID_ITevraTimeStamp)->Configure(5, 1), S_OK);
  d.script.Expect("FUNC \"PER 2\"");
  EXPECT_EQ(d.handle.driver->SetFunction(TevraMeasurementFunctionPeriod2), S_OK);
  EXPECT_EQ(Function(), 18);

  // A refused configure leaves it too.
  EXPECT_EQ(d.Get<ITevraPeriod>(IID_ITevraPeriod)->ConfigureAuto(4), kInvalidValue);
  EXPECT_EQ(Function(), 18);

  d.script.Expect("CONF:PER (@1)");
  EXPECT_EQ(d.Get<ITevraPeriod>(IID_ITevraPeriod)->ConfigureAuto(1), S_OK);
  d.script.Expect("FUNC?", "\"PER 1\"");
  EXPECT_EQ(Function(), 3);
}

}  // namespace
}  // namespace tevra::testing
