// The option string: pairs, the DriverSetup section, option words, and what each failure reports.
#include "core/Options.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "core/CallContext.h"
#include "core/ErrorReporter.h"
#include "core/ITraceLog.h"
#include "platform/ErrorInfo.h"

namespace tevra::core {
namespace {

// The pair rule itself is checked against a brute-force reading of it by the option fuzz target,
// over its corpus; these rows pin the white space it trims.
TEST(OptionScan, PairsSectionsAndWords) {
  const std::pair<const char*, PairMap> pairs[] = {
      {" Name = Two Words ,x=y", {{"Name", "Two Words"}, {"x", "y"}}},
      {"\ta\n=\vb\f", {{"a", "b"}}},
  };
  for (const auto& [text, expected] : pairs) {
    PairMap found;
    ScanPairs(text, found);
    EXPECT_EQ(found, expected) << text;
  }
  // The text, the option part, the section ("-": none).
  const char* const splits[][3] = {
      {"Simulate=true, DriverSetup=Model=Q, Trace=0", "Simulate=true, ", "Model=Q, Trace=0"},
      {"DriverSetup \t = Model=X", "", " Model=X"},
      {"Cache=1,DRIVERSETUP   ", "Cache=1,", ""},
      {"Cache=1,DRIVERSETUP", "Cache=1,DRIVERSETUP", "-"},
      {"DriverSetupX=1", "DriverSetupX=1", "-"},
      {"MyDriverSetup=Model=Q", "My", "Model=Q"},  // the keyword need not stand alone
      {"DriverSetup x, DriverSetup =b", "DriverSetup x, DriverSetup =b", "-"},
  };
  for (const auto& [text, optionPart, section] : splits) {
    const OptionSplit split = SplitDriverSetup(text);
    EXPECT_EQ(split.optionPart, optionPart) << text;
    EXPECT_EQ(split.hasDriverSetup, std::string_view(section) != "-") << text;
    if (split.hasDriverSetup) {
      EXPECT_EQ(split.driverSetup, section) << text;
    }
  }
  for (const auto& [word, expected] :
       {std::pair{" VI_TRUE ", true}, {"vi_True", true}, {"1", true}, {"\t0\n", false}}) {
    bool value = !expected;
    EXPECT_TRUE(ParseBoolWord(word, value) && value == expected) << word;
  }
  for (const char* word : {"", "01", "truex", "VI TRUE"}) {
    bool value = false;
    EXPECT_FALSE(ParseBoolWord(word, value)) << word;
  }
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max(), kMin = -kMax - 1;
  const std::pair<const char*, std::int32_t> ints[] = {{"\t\n 42abc", 42},
                                                       {"abc", 0},
                                                       {"- 5", 0},
                                                       {"2147483648", kMax},
                                                       {"-99999999999999999999", kMin}};
  for (const auto& [text, expected] : ints) EXPECT_EQ(ParseDecimalInt(text), expected) << text;
}

// Records the switch requests and answers with a scripted status.
class ScriptedTraceLog final : public ITraceLog {
 public:
  TraceSettings& Settings() override { return settings; }
  bool Enabled() const override { return false; }
  TraceState State() const override { return TraceState::Off; }
  HRESULT PutTraceEnabled(bool) override { return S_OK; }
  HRESULT ApplyTraceSwitch(bool on) override { return switches.push_back(on), E_UNEXPECTED; }
  HRESULT Prepare(std::string_view) override { return S_OK; }
  void SessionEnding() override {}
  bool BeginRecord(const MethodRecord&, std::span<const Param>) override { return false; }
  void EndRecord(const MethodRecord&, std::span<const Param>, HRESULT) override {}
  TraceSettings settings;
  std::vector<bool> switches;
};

class OptionStringTest : public ::testing::Test {
 protected:
  OptionStringTest() { platform::ClearThreadError(); }
  HRESULT Process(std::string_view options, ITraceLog* log = nullptr) {
    OptionTarget target{flags, optionMap,          driverSetupMap, driverSetupText,
                        model, log ? *log : trace, reporter,       connection};
    return ProcessOptionString(options, target);
  }
  SessionFlags flags;
  PairMap optionMap, driverSetupMap;
  std::string driverSetupText, model = "QX1300";
  visa::OpenOptions connection;
  NullTraceLog trace;
  CallContextStack calls;
  CTevraErrorReporter reporter{"Tevra.Counter", calls};
};

// Each flag's name and value, and a map cleared of what it held, are checked by the option fuzz
// target over its corpus.
TEST_F(OptionStringTest, FlagsPairsAndTheDriverSetupSection) {
  ASSERT_EQ(Process("Simulate=true, RANGECHECK = VI_FALSE, Cache, Foo = Bar Baz "), S_OK);
  EXPECT_EQ(optionMap,
            (PairMap{{"simulate", "true"}, {"rangecheck", "VI_FALSE"}, {"foo", "Bar Baz"}}));

  // The section is the rest of the string; a Simulate inside it is no option.
  flags = {};
  const char* options =
      "driversetup = model = QX1100 ,TraceName= My Trace,TraceSizeMax=5000x,TraceArray=VI_TRUE,"
      "TraceArraySizeMax= -3,TraceSaveInterval=abc,TraceTransform=t.xsl,Trace=false,"
      "Custom=Keep Me, Simulate=true";
  ASSERT_EQ(Process(options), S_OK);
  EXPECT_FALSE(flags.simulate);
  EXPECT_TRUE(optionMap.empty());
  EXPECT_EQ(model, "QX1100");
  EXPECT_FALSE(trace.Enabled());
  const TraceSettings& s = trace.Settings();
  EXPECT_TRUE(s.name == "My Trace" && s.sizeMax == 5000 && s.array && s.arraySizeMax == -3 &&
              s.saveInterval == 0 && s.transform == "t.xsl");
  EXPECT_EQ(driverSetupText, std::string_view(options).substr(13));
  EXPECT_EQ(driverSetupMap.at("custom"), "Keep Me");
  EXPECT_EQ(driverSetupMap.size(), 10u);
  ASSERT_EQ(Process("DriverSetup=Trace=VI_TRUE"), S_OK);
  EXPECT_TRUE(trace.Enabled());
  EXPECT_EQ(driverSetupMap, (PairMap{{"trace", "VI_TRUE"}}));
}

TEST_F(OptionStringTest, FailuresReportAndStopProcessing) {
  const std::pair<const char*, const char*> cases[] = {
      {"Cache= Maybe So ", "Tevra: The 'Maybe So' value in the option string is unknown."},
      {"DriverSetup=TraceArray=2", "Tevra: The '2' value in the option string is unknown."},
      {"  =  ",  // the name is checked first
       "Tevra: Null pointer passed for method 'ProcessInitOption', parameter 'strNameIn'."},
      {"x= \t",
       "Tevra: Null pointer passed for method 'ProcessInitOption', parameter 'strValueIn'."},
  };
  for (const auto& [options, description] : cases) {
    EXPECT_EQ(Process(options), ComStatusOf(description[7] == 'N' ? 22 : 19)) << options;
    EXPECT_EQ(platform::PeekThreadErrorDescription(), description);
    platform::ClearThreadError();
  }
  // Pairs apply in name order: Cache before Simulate.
  EXPECT_EQ(Process("Cache=false,Simulate=bad,Unknown=1"), ComStatusOf(19));
  EXPECT_EQ(optionMap, (PairMap{{"cache", "false"}}));
  flags = {};
  EXPECT_EQ(Process("Simulate=true,DriverSetup=Model=QX1200,Trace=bad,TraceName=n"),
            ComStatusOf(19));
  EXPECT_FALSE(flags.simulate);
  EXPECT_EQ(driverSetupMap, (PairMap{{"model", "QX1200"}, {"trace", "bad"}}));
  EXPECT_EQ(trace.Settings().name, "");
  // A refused trace switch returns its status with no message, keeps the pair and stops.
  platform::ClearThreadError();
  ScriptedTraceLog scripted;
  EXPECT_EQ(Process("Simulate=true,DriverSetup=Trace=false,TraceName=n", &scripted), E_UNEXPECTED);
  EXPECT_EQ(scripted.switches, std::vector<bool>{false});
  EXPECT_FALSE(platform::HasThreadError());
  EXPECT_EQ(scripted.settings.name, "");
}

}  // namespace
}  // namespace tevra::core
