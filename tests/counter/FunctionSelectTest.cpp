// The function selector of the root interface (SetFunction per model, GetFunction, Configure)
// and the class-compliant readback of the selected function, with the voltage selection that
// takes its place.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

enum Offered { kAll, kQX1200Up, kQX1300, kBurstOption };

struct FunctionWord {
  TevraMeasurementFunctionEnum value;
  const char* command;
  Offered offered;
};

const FunctionWord kWords[] = {
    {TevraMeasurementFunctionFrequency1, "FUNC \"FREQ\"", kAll},
    {TevraMeasurementFunctionFrequency2, "FUNC \"FREQ 2\"", kAll},
    {TevraMeasurementFunctionFrequency3, "FUNC \"FREQ 3\"", kQX1200Up},
    {TevraMeasurementFunctionFrequencyRatio1and2, "FUNC \"FREQ:RAT 1,2\"", kAll},
    {TevraMeasurementFunctionFrequencyRatio2and1, "FUNC \"FREQ:RAT 2,1\"", kAll},
    {TevraMeasurementFunctionFrequencyRatio1and3, "FUNC \"FREQ:RAT 1,3\"", kQX1200Up},
    {TevraMeasurementFunctionFrequencyRatio2and3, "FUNC \"FREQ:RAT 2,3\"", kQX1200Up},
    {TevraMeasurementFunctionFrequencyRatio3and2, "FUNC \"FREQ:RAT 3,2\"", kQX1200Up},
    {TevraMeasurementFunctionFrequencyRatio3and1, "FUNC \"FREQ:RAT 3,1\"", kQX1200Up},
    {TevraMeasurementFunctionPeriod1, "FUNC \"PER 1\"", kAll},
    {TevraMeasurementFunctionPeriod2, "FUNC \"PER 2\"", kAll},
    {TevraMeasurementFunctionPeriod3, "FUNC \"PER 3\"", kQX1200Up},
    {TevraMeasurementFunctionTimeInterval1and2, "FUNC \"TINT 1,2\"", kQX1200Up},
    {TevraMeasurementFunctionTimeInterval2and1, "FUNC \"TINT 2,1\"", kQX1200Up},
    {TevraMeasurementFunctionTimeInterval1, "FUNC \"TINT 1\"", kQX1200Up},
    {TevraMeasurementFunctionTimeInterval2, "FUNC \"TINT 2\"", kQX1200Up},
    {TevraMeasurementFunctionPhase1and2, "FUNC \"PHAS 1,2\"", kQX1200Up},
    {TevraMeasurementFunctionPhase2and1, "FUNC \"PHAS 2,1\"", kQX1200Up},
    {TevraMeasurementFunctionTotalize1, "FUNC \"TOT 1\"", kQX1200Up},
    {TevraMeasurementFunctionTotalize2, "FUNC \"TOT 2\"", kQX1200Up},
    {TevraMeasurementFunctionFallTime1, "FUNC \"FTIM 1\"", kQX1200Up},
    {TevraMeasurementFunctionFallTime2, "FUNC \"FTIM 2\"", kQX1200Up},
    {TevraMeasurementFunctionRiseTime1, "FUNC \"RTIM 1\"", kQX1200Up},
    {TevraMeasurementFunctionRiseTime2, "FUNC \"RTIM 2\"", kQX1200Up},
    {TevraMeasurementFunctionNegativeDutyCycle1, "FUNC \"NDUT 1\"", kQX1200Up},
    {TevraMeasurementFunctionNegativeDutyCycle2, "FUNC \"NDUT 2\"", kQX1200Up},
    {TevraMeasurementFunctionPositiveDutyCycle1, "FUNC \"PDUT 1\"", kQX1200Up},
    {TevraMeasurementFunctionPositiveDutyCycle2, "FUNC \"PDUT 2\"", kQX1200Up},
    {TevraMeasurementFunctionNegativeWidth1, "FUNC \"NWID 1\"", kQX1200Up},
    {TevraMeasurementFunctionNegativeWidth2, "FUNC \"NWID 2\"", kQX1200Up},
    {TevraMeasurementFunctionPositiveWidth1, "FUNC \"PWID 1\"", kQX1200Up},
    {TevraMeasurementFunctionPositiveWidth2, "FUNC \"PWID 2\"", kQX1200Up},
    {TevraMeasurementFunctionSinglePeriod1, "FUNC \"SPER 1\"", kQX1200Up},
    {TevraMeasurementFunctionSinglePeriod2, "FUNC \"SPER 2\"", kQX1200Up},
    {TevraMeasurementFunctionTimeStamp1, "FUNC \"TST 1\"", kQX1300},
    {TevraMeasurementFunctionTimeStamp2, "FUNC \"TST 2\"", kQX1300},
    {TevraMeasurementFunctionTimeStamp3, "FUNC \"TST 3\"", kQX1300},
    {TevraMeasurementFunctionBurst, "FUNC \"FREQ:BURS\"", kBurstOption},
    {TevraMeasurementFunctionPRF, "FUNC \"FREQ:PRF\"", kBurstOption},
    {TevraMeasurementFunctionPRI, "FUNC \"FREQ:PRI\"", kBurstOption},
    {TevraMeasurementFunctionNegativeBurstWidth, "FUNC \"NWID:BURS\"", kBurstOption},
    {TevraMeasurementFunctionPositiveBurstWidth, "FUNC \"PWID:BURS\"", kBurstOption},
};

TEST(SetFunction, WritesTheWordOfEveryFunctionTheModelOffers) {
  struct Instrument {
    const char* model;
    const char* options;
    Offered best;  // the model offers this row kind and every kind before it
  };
  const Instrument instruments[] = {{"QX1100", "431", kAll},
                                    {"QX1200", "431", kQX1200Up},
                                    {"QX1300", "762", kQX1300},
                                    {"QX1300", "762,431", kBurstOption}};
  for (const Instrument& instrument : instruments) {
    CounterDriver driver;
    driver.Open(instrument.model, instrument.options);
    for (const FunctionWord& word : kWords) {
      SCOPED_TRACE(std::string(instrument.model) + " " + instrument.options + " " + word.command);
      if (word.offered <= instrument.best) {
        driver.script.Expect(word.command);
        EXPECT_EQ(driver.handle.driver->SetFunction(word.value), S_OK) << TakeErrorDescription();
      } else {
        EXPECT_EQ(driver.handle.driver->SetFunction(word.value), kInvalidValue);
        EXPECT_EQ(TakeErrorDescription(),
                  InvalidValue(std::to_string(word.value), "SetFunction", "MeasurementFunction"));
      }
      driver.ExpectScriptPlayed();
    }
    // Values without a function.
    EXPECT_EQ(driver.handle.driver->SetFunction(static_cast<TevraMeasurementFunctionEnum>(3)),
              kInvalidValue);
    EXPECT_TRUE(driver.script.unexpected.empty());
  }
}

TEST(SetFunction, SimulationRecordsTheMapWordThatGetFunctionReturns) {
  CounterDriver driver;
  driver.Simulate("QX1300");
  EXPECT_EQ(GetText([&](BSTR* v) { return driver.handle.driver->GetFunction(v); }), "FREQ");
  struct Row {
    TevraMeasurementFunctionEnum value;
    const char* word;
  };
  const Row rows[] = {{TevraMeasurementFunctionPeriod1, "PER1"},
                      {TevraMeasurementFunctionFrequencyRatio1and2, "FREQ:RAT1,2"},
                      {TevraMeasurementFunctionTimeStamp1, "TST1"},
                      {TevraMeasurementFunctionPositiveBurstWidth, "PWID:BURS"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.word);
    EXPECT_EQ(driver.handle.driver->SetFunction(row.value), S_OK) << TakeErrorDescription();
    EXPECT_EQ(GetText([&](BSTR* v) { return driver.handle.driver->GetFunction(v); }), row.word);
  }
  EXPECT_EQ(GetText([&](BSTR* v) { return driver.handle.driver->Configure(v); }),
            "FREQ +1.00000000000000E+007,+1.00000000000000E-003,(@2)");

  // A simulated model still refuses what it lacks, and keeps the last word.
  CounterDriver qx1200;
  qx1200.Simulate("QX1200");
  EXPECT_EQ(qx1200.handle.driver->SetFunction(TevraMeasurementFunctionTimeStamp1), kInvalidValue);
  EXPECT_EQ(TakeErrorDescription(), InvalidValue("13", "SetFunction", "MeasurementFunction"));
  EXPECT_EQ(GetText([&](BSTR* v) { return qx1200.handle.driver->GetFunction(v); }), "FREQ");
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

TEST_F(FunctionReadback, TheFirstWordFoundInTheReplyDecides) {
  struct Row {
    const char* reply;
    int function;
  };
  const Row rows[] = {
      {"\"FREQ:RAT 1,2\"", 8}, {"  \"FREQ 2\" ", 1}, {"\"PER 1\"", 3},     {"\"PWID 1\"", 5},
      {"\"NWID 2\"", 5},       {"\"PDUT 1\"", 6},    {"\"NDUT 1\"", 6},    {"\"FTIM 1\"", 7},
      {"\"RTIM 2\"", 7},       {"\"TINT 1,2\"", 9},  {"\"PHAS 2,1\"", 10}, {"\"TOT 2\"", 11},
      {"\"SPER 1\"", 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.reply);
    d.script.Expect("FUNC?", row.reply);
    EXPECT_EQ(Function(), row.function);
  }
  d.script.Expect("FUNC?", "\"TST 1\"");
  Function(kUnexpectedResponse);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Unexpected response from the instrument.\r\nget_Function");
  EXPECT_EQ(counter->put_Function(IviCounterMeasurementFunctionPeriod), kPropertyNotSupported);
  EXPECT_EQ(TakeErrorDescription(),
            "Tevra: Does not support this class-compliant feature: property 'put_Function - Use "
            "Configure method to change function'.");
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
