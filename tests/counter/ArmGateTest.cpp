// ITevraArm: the gate keyword chosen per measurement family and model, the source words, the
// "*cls" after a source change, and the combinations refused before anything is sent.
#include "CounterTestSupport.h"

namespace tevra::testing {
namespace {

class ArmGate : public ScriptedCounter {
 protected:
  void Open(const char* model) {
    d.Open(model);
    arm = COUNTER_ITF(Arm);
  }
  ITevraArm* arm = nullptr;
};

constexpr auto kFrequency = TevraArmMeasurementTypeFrequency;
constexpr auto kTimeInterval = TevraArmMeasurementTypeTimeInterval;
constexpr auto kTotalize = TevraArmMeasurementTypeTotalize;

TEST_F(ArmGate, SetSourceWritesTheFamilysSourceThenClearsStatus) {
  Open("QX1200");
  struct Row {
    TevraArmMeasurementTypeEnum type;
    TevraArmSourceEnum source;
    const char* command;
  };
  const Row rows[] = {
      {kFrequency, TevraArmSourceChannel1, "FREQ:GATE:SOUR INP "},
      {kFrequency, TevraArmSourceChannel2, "FREQ:GATE:SOUR INP2 "},
      {kFrequency, TevraArmSourceExternal, "FREQ:GATE:SOUR EXT "},
      {kFrequency, TevraArmSourceAdvanced, "FREQ:GATE:SOUR ADV "},
      {kFrequency, TevraArmSourceTime, "FREQ:GATE:SOUR TIME "},
      {kTimeInterval, TevraArmSourceImmediate, "TINT:GATE:SOUR IMM "},
      {kTimeInterval, TevraArmSourceExternal, "TINT:GATE:SOUR EXT "},
      {kTotalize, TevraArmSourceTime, "TOT:GATE:SOUR TIME "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    d.script.Expect(row.command);
    d.script.Expect("*cls");
    EXPECT_EQ(arm->SetSource(row.type, row.source), S_OK) << TakeErrorDescription();
  }
}

TEST_F(ArmGate, GetsReadTheFirstFieldAndSetsWriteTheirWords) {
  Open("QX1300");
  TevraArmSourceEnum source{};
  d.script.Expect("TOT:GATE:SOUR? ", "ADV,extra");
  EXPECT_EQ(arm->GetSource(kTotalize, &source), S_OK) << TakeErrorDescription();
  EXPECT_EQ(source, TevraArmSourceAdvanced);
  d.script.Expect("FREQ:GATE:SOUR? ", "WHAT");
  EXPECT_EQ(arm->GetSource(kFrequency, &source), S_OK);
  EXPECT_EQ(source, TevraArmSourceChannel1);  // an unknown word leaves the cleared output

  TevraPolarityEnum polarity{};
  d.script.Expect("TINT:GATE:POL? ", "NEG");
  EXPECT_EQ(arm->GetPolarity(kTimeInterval, &polarity), S_OK) << TakeErrorDescription();
  EXPECT_EQ(polarity, TevraPolarityNegative);
  d.script.Expect("FREQ:GATE:POL NEG");
  EXPECT_EQ(arm->SetPolarity(kFrequency, TevraPolarityNegative), S_OK);
  d.script.Expect("TOT:GATE:POL POS");
  EXPECT_EQ(arm->SetPolarity(kTotalize, TevraPolarityPositive), S_OK);

  d.script.Expect("FREQ:GATE:TIME 1.000000e-01");
  EXPECT_EQ(arm->SetTime(kFrequency, 0.1), S_OK);
  d.script.Expect("TOT:GATE:TIME 2.500000e+00");
  EXPECT_EQ(arm->SetTime(kTotalize, 2.5), S_OK);
  double time = 0;
  d.script.Expect("FREQ:GATE:TIME?", "+1.00000000E-002");
  EXPECT_EQ(arm->GetTime(kFrequency, &time), S_OK) << TakeErrorDescription();
  EXPECT_EQ(time, 0.01);
}

TEST_F(ArmGate, RefusesCombinationsBeforeAnyIo) {
  Open("QX1200");
  TevraArmSourceEnum source{};
  TevraPolarityEnum polarity{};
  double time = 0;
  const auto undefined = static_cast<TevraArmMeasurementTypeEnum>(7);
  const std::vector<Refusal> rows = {
      {"Invalid value 'TevraArmSourceImmediate' for method 'SetSource', parameter 'ArmSource'.",
       [&] { return arm->SetSource(kFrequency, TevraArmSourceImmediate); }},
      {"Invalid value 'ArmSourceChannel1' for method 'SetSource', parameter 'ArmSource'.",
       [&] { return arm->SetSource(kTimeInterval, TevraArmSourceChannel1); }},
      {"Invalid value 'ArmSourceChannel2' for method 'SetSource', parameter 'ArmSource'.",
       [&] { return arm->SetSource(kTimeInterval, TevraArmSourceChannel2); }},
      {"Invalid value 'ArmSourceTime' for method 'SetSource', parameter 'ArmSource'.",
       [&] { return arm->SetSource(kTimeInterval, TevraArmSourceTime); }},
      {"Invalid value '9' for method 'SetSource', parameter 'ArmSource'.",
       [&] { return arm->SetSource(kFrequency, static_cast<TevraArmSourceEnum>(9)); }},
      {"Invalid value 'TevraArmMeasurementTypeTimeInterval' for method 'SetTime', parameter "
       "'TevraArmMeasurementTypeTimeInterval'.",
       [&] { return arm->SetTime(kTimeInterval, 1.0); }},
      {"Invalid value 'TevraArmMeasurementTypeTimeInterval' for method 'GetTime', parameter "
       "'TevraArmMeasurementTypeTimeInterval'.",
       [&] { return arm->GetTime(kTimeInterval, &time); }},
      {"Invalid value '7' for method 'Arm_SetSource', parameter 'ArmMeasurementType'.",
       [&] { return arm->SetSource(undefined, TevraArmSourceExternal); }},
      {"Invalid value '7' for method 'Arm_GetSource', parameter 'ArmMeasurementType'.",
       [&] { return arm->GetSource(undefined, &source); }},
      {"Invalid value '7' for method 'Arm_SetPolarity', parameter 'ArmMeasurementType'.",
       [&] { return arm->SetPolarity(undefined, TevraPolarityPositive); }},
      {"Invalid value '7' for method 'Arm_GetPolarity', parameter 'ArmMeasurementType'.",
       [&] { return arm->GetPolarity(undefined, &polarity); }},
      {"Invalid value '7' for method 'Arm_SetTime', parameter 'ArmMeasurementType'.",
       [&] { return arm->SetTime(undefined, 1.0); }},
      {"Invalid value '7' for method 'Arm_GetTime', parameter 'ArmMeasurementType'.",
       [&] { return arm->GetTime(undefined, &time); }},
  };
  ExpectRefusals(d.script, rows);
}

TEST_F(ArmGate, SimulatedGatesAnswerFixedValuesAndStillCheck) {
  d.Simulate("QX1100");
  arm = COUNTER_ITF(Arm);
  double time = 0;
  EXPECT_EQ(arm->GetTime(kFrequency, &time), S_OK);
  EXPECT_EQ(time, 0.1);
  TevraArmSourceEnum source = TevraArmSourceTime;
  EXPECT_EQ(arm->GetSource(kFrequency, &source), S_OK);
  EXPECT_EQ(source, TevraArmSourceChannel1);
  EXPECT_EQ(arm->SetSource(kFrequency, TevraArmSourceExternal), S_OK);
  EXPECT_EQ(arm->SetTime(kTimeInterval, 1.0), kInvalidValue);
  // The QX1100 gates frequency measurements only.
  EXPECT_EQ(arm->SetTime(kTotalize, 1.0), kModelNotSupported);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: Instrument model does not support this feature: .");
  EXPECT_EQ(arm->SetSource(kTimeInterval, TevraArmSourceImmediate), kModelNotSupported);
}

}  // namespace
}  // namespace tevra::testing
