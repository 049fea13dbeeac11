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

struct ScanCase {
  const char* text;
  PairMap expected;
};

TEST(ScanPairsTest, CollectsLeftmostLongestRuns) {
  const std::vector<ScanCase> cases = {
      {"", {}},
      {"a=b", {{"a", "b"}}},
      {" Name = Two Words ,x=y", {{"Name", "Two Words"}, {"x", "y"}}},
      {"\ta\n=\vb\f", {{"a", "b"}}},
      {"a==b", {}},
      {"a=b=c", {{"a", "b"}}},
      {"a=,b=c", {{"b", "c"}}},
      {"Cache, Simulate=true", {{"Simulate", "true"}}},
      {",,=x,=,y=1,", {{"y", "1"}}},
      {"a=1,a=2", {{"a", "2"}}},
      {"A=1,a=2", {{"A", "1"}, {"a", "2"}}},
      {"  =x, y=  ", {{"", "x"}, {"y", ""}}},
  };
  for (const ScanCase& c : cases) {
    PairMap pairs;
    ScanPairs(c.text, pairs);
    EXPECT_EQ(pairs, c.expected) << "text: \"" << c.text << '"';
  }
}

struct SplitCase {
  const char* text;
  const char* optionPart;
  bool hasDriverSetup;
  const char* driverSetup;
};

TEST(SplitDriverSetupTest, FindsTheSection) {
  const std::vector<SplitCase> cases = {
      {"Simulate=true", "Simulate=true", false, ""},
      {"Simulate=true, DriverSetup=Model=QX1200, Trace=false", "Simulate=true, ", true,
       "Model=QX1200, Trace=false"},
      {"DriverSetup=", "", true, ""},
      {"driversetup =Model=QX1100", "", true, "Model=QX1100"},
      {"DriverSetup \t = Model=X", "", true, " Model=X"},
      {"Cache=1,DRIVERSETUP   ", "Cache=1,", true, ""},
      {"Cache=1,DRIVERSETUP", "Cache=1,DRIVERSETUP", false, ""},
      {"DriverSetup Model=QX1100", "DriverSetup Model=QX1100", false, ""},
      {"DriverSetupX=1", "DriverSetupX=1", false, ""},
      // The keyword is not required to stand alone.
      {"MyDriverSetup=Model=QX1100", "My", true, "Model=QX1100"},
      // "DRIVERSETUP=" wins over an earlier keyword followed by blanks.
      {"DriverSetup =a, DriverSetup=b", "DriverSetup =a, ", true, "b"},
      // Only the first keyword followed by a blank is considered.
      {"DriverSetup x, DriverSetup =b", "DriverSetup x, DriverSetup =b", false, ""},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(std::string("text: \"") + c.text + '"');
    const OptionSplit split = SplitDriverSetup(c.text);
    EXPECT_EQ(split.optionPart, c.optionPart);
    EXPECT_EQ(split.hasDriverSetup, c.hasDriverSetup);
    EXPECT_EQ(split.driverSetup, c.driverSetup);
  }
}

TEST(OptionWordsTest, BooleanWordsAndDecimalIntegers) {
  const std::vector<std::pair<const char*, bool>> valid = {
      {"true", true},   {" VI_TRUE ", true}, {"vi_True", true}, {"1", true},
      {"FALSE", false}, {"vi_false", false}, {"\t0\n", false},
  };
  for (const auto& [text, expected] : valid) {
    bool value = !expected;
    EXPECT_TRUE(ParseBoolWord(text, value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
  for (const char* text : {"", "yes", "01", "truex", "VI TRUE"}) {
    bool value = false;
    EXPECT_FALSE(ParseBoolWord(text, value)) << text;
  }
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const std::vector<std::pair<const char*, std::int32_t>> cases = {
      {"\t\n 42abc", 42},
      {"abc", 0},
      {"-7", -7},
      {"+5", 5},
      {"- 5", 0},
      {"2147483647", kMax},
      {"2147483648", kMax},
      {"-2147483648", kMin},
      {"-99999999999999999999", kMin},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseDecimalInt(text), expected) << text;
}

// Reports the switch requests and answers with a scripted status.
class ScriptedTraceLog final : public ITraceLog {
 public:
  TraceSettings& Settings() override { return settings; }
  bool Enabled() const override { return false; }
  TraceState State() const override { return TraceState::Off; }
  HRESULT PutTraceEnabled(bool) override { return S_OK; }
  HRESULT ApplyTraceSwitch(bool on) override {
    switches.push_back(on);
    return switchStatus;
  }
  HRESULT Prepare(std::string_view) override { return S_OK; }
  void SessionEnding() override {}
  bool BeginRecord(const MethodRecord&, std::span<const Param>) override { return false; }
  void EndRecord(const MethodRecord&, std::span<const Param>, HRESULT) override {}

  TraceSettings settings;
  std::vector<bool> switches;
  HRESULT switchStatus = S_OK;
};

class OptionStringTest : public ::testing::Test {
 protected:
  OptionStringTest() { platform::ClearThreadError(); }

  HRESULT Process(std::string_view options, ITraceLog& traceLog) {
    OptionTarget target{flags, optionMap, driverSetupMap, driverSetupText,
                        model, traceLog,  reporter};
    return ProcessOptionString(options, target);
  }
  HRESULT Process(std::string_view options) { return Process(options, trace); }

  static std::string TakeDescription() {
    platform::ErrorRecord record;
    return platform::TakeThreadError(record) ? record.description : std::string("<none>");
  }

  SessionFlags flags;
  PairMap optionMap;
  PairMap driverSetupMap;
  std::string driverSetupText;
  std::string model = "QX1300";
  NullTraceLog trace;
  CallContextStack calls;
  CTevraErrorReporter reporter{"Tevra.Counter", calls};
};

TEST_F(OptionStringTest, SetsFlagsAndKeepsEveryPair) {
  optionMap["stale"] = "x";
  ASSERT_EQ(Process("Simulate=true, RANGECHECK = VI_FALSE, Cache, Foo = Bar Baz "), S_OK);
  EXPECT_TRUE(flags.simulate);
  EXPECT_FALSE(flags.rangeCheck);
  EXPECT_TRUE(flags.cache);
  EXPECT_FALSE(flags.interchangeCheck);
  EXPECT_FALSE(flags.queryInstrumentStatus);
  EXPECT_FALSE(flags.recordCoercions);
  EXPECT_EQ(optionMap,
            (PairMap{{"simulate", "true"}, {"rangecheck", "VI_FALSE"}, {"foo", "Bar Baz"}}));

  ASSERT_EQ(Process("InterchangeCheck=1,QueryInstrStatus=true,RecordCoercions=1,Cache=0"), S_OK);
  EXPECT_TRUE(flags.interchangeCheck && flags.queryInstrumentStatus && flags.recordCoercions);
  EXPECT_FALSE(flags.cache);

  ASSERT_EQ(Process(""), S_OK);
  EXPECT_TRUE(optionMap.empty());
}

TEST_F(OptionStringTest, DriverSetupSectionIsLastAndAppliedFirst) {
  ASSERT_EQ(Process("Simulate=true, DriverSetup=Model=QX1200, Trace=false"), S_OK);
  EXPECT_TRUE(flags.simulate);
  EXPECT_EQ(model, "QX1200");
  EXPECT_FALSE(trace.Enabled());
  EXPECT_EQ(driverSetupText, "Model=QX1200, Trace=false");
  EXPECT_EQ(driverSetupMap, (PairMap{{"model", "QX1200"}, {"trace", "false"}}));
  EXPECT_EQ(optionMap, (PairMap{{"simulate", "true"}}));

  flags = {};  // session setup restores the defaults before each Initialize
  ASSERT_EQ(Process("DriverSetup=Model=QX1100, Simulate=true"), S_OK);
  EXPECT_FALSE(flags.simulate);
  EXPECT_TRUE(optionMap.empty());
  EXPECT_EQ(driverSetupMap, (PairMap{{"model", "QX1100"}, {"simulate", "true"}}));
}

TEST_F(OptionStringTest, DriverSetupSettings) {
  const char* options =
      "driversetup = model = QX1100 ,TraceName= My Trace,TraceSizeMax=5000x,TraceArray=VI_TRUE,"
      "TraceArraySizeMax= -3,TraceSaveInterval=abc,TraceTransform=t.xsl,NumPhases:3,numphases:4,"
      "Custom=Keep Me";
  ASSERT_EQ(Process(options), S_OK);
  EXPECT_EQ(model, "QX1100");
  const TraceSettings& settings = trace.Settings();
  EXPECT_EQ(settings.name, "My Trace");
  EXPECT_EQ(settings.sizeMax, 5000);
  EXPECT_TRUE(settings.array);
  EXPECT_EQ(settings.arraySizeMax, -3);
  EXPECT_EQ(settings.saveInterval, 0);
  EXPECT_EQ(settings.transform, "t.xsl");
  EXPECT_EQ(driverSetupText, std::string_view(options).substr(13));
  EXPECT_EQ(driverSetupMap.at("numphases"), "3");
  EXPECT_EQ(driverSetupMap.at("custom"), "Keep Me");
  EXPECT_EQ(driverSetupMap.size(), 9u);

  ASSERT_EQ(Process("DriverSetup=Other=1"), S_OK);
  EXPECT_EQ(driverSetupMap, (PairMap{{"other", "1"}}));
}

struct FailureCase {
  const char* options;
  int code;
  const char* description;
};

TEST_F(OptionStringTest, FailuresReportTheirCode) {
  const std::vector<FailureCase> cases = {
      {"Cache= Maybe So ", 19, "Tevra: The 'Maybe So' value in the option string is unknown."},
      {"DriverSetup=Trace=maybe", 19, "Tevra: The 'maybe' value in the option string is unknown."},
      {"DriverSetup=TraceArray=2", 19, "Tevra: The '2' value in the option string is unknown."},
      // The name is checked first.
      {"  =  ", 22,
       "Tevra: Null pointer passed for method 'ProcessInitOption', parameter 'strNameIn'."},
      {"x= \t", 22,
       "Tevra: Null pointer passed for method 'ProcessInitOption', parameter 'strValueIn'."},
  };
  for (const FailureCase& c : cases) {
    EXPECT_EQ(Process(c.options), ComStatusOf(c.code)) << c.options;
    EXPECT_EQ(TakeDescription(), c.description) << c.options;
  }
}

TEST_F(OptionStringTest, FailureStopsProcessing) {
  // Pairs apply in name order: Cache before Simulate.
  EXPECT_EQ(Process("Cache=false,Simulate=bad,Unknown=1"), ComStatusOf(19));
  EXPECT_FALSE(flags.cache);
  EXPECT_EQ(optionMap, (PairMap{{"cache", "false"}}));

  flags = {};
  EXPECT_EQ(Process("Simulate=true,DriverSetup=Model=QX1200,Trace=bad,TraceName=n"),
            ComStatusOf(19));
  EXPECT_FALSE(flags.simulate);
  EXPECT_TRUE(optionMap.empty());
  EXPECT_EQ(driverSetupMap, (PairMap{{"model", "QX1200"}, {"trace", "bad"}}));
  EXPECT_EQ(trace.Settings().name, "");
}

TEST_F(OptionStringTest, TraceSwitch) {
  ASSERT_EQ(Process("DriverSetup=Trace=VI_TRUE"), S_OK);
  EXPECT_TRUE(trace.Enabled());
  ASSERT_EQ(Process("DriverSetup=Trace=0"), S_OK);
  EXPECT_FALSE(trace.Enabled());

  // A refused switch returns its status with no message, keeps the pair and stops.
  ScriptedTraceLog scripted;
  scripted.switchStatus = E_UNEXPECTED;
  EXPECT_EQ(Process("Simulate=true,DriverSetup=Trace=false,TraceName=n", scripted), E_UNEXPECTED);
  EXPECT_EQ(scripted.switches, std::vector<bool>{false});
  EXPECT_FALSE(platform::HasThreadError());
  EXPECT_EQ(driverSetupMap, (PairMap{{"trace", "false"}}));
  EXPECT_EQ(scripted.settings.name, "");
  EXPECT_FALSE(flags.simulate);
}

}  // namespace
}  // namespace tevra::core
