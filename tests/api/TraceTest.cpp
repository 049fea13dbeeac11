// The method trace: the XML file a traced session writes, its name and stylesheet, the size limit
// and save interval, the TraceEnabled switch and array parameters. (The trace event, which carries
// each record as the file holds it, is in ObjectModelTest.cpp.)
#include "api/TraceLog.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "core/Driver.h"
#include "counter/Tevra.h"
#include "io/VisaComSession.h"
#include "platform/Bstr.h"
#include "platform/SafeArray.h"
#include "support/FakeInstrument.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedIoSession.h"
#include "support/TracedDriver.h"

namespace tevra::testing {
namespace {

namespace fs = std::filesystem;
using core::TraceState;

constexpr HRESULT kNotSupported = static_cast<HRESULT>(0x80047013);

// The attribute values that differ from run to run become "#".
std::string MaskTimes(const std::string& text) {
  static const std::regex times(R"re((StartTime|Thread|Timestamp|ExecutionTime)="[^"]*")re");
  return std::regex_replace(text, times, "$1=\"#\"");
}

// One record as the file holds it, the time-dependent values masked.
std::string Record(std::string_view method, std::string_view interface, std::string_view body) {
  return "\t<Method Name=\"" + std::string(method) + "\" Interface=\"" + std::string(interface) +
         "\" StartTime=\"#\" Thread=\"#\" Timestamp=\"#\">\r\n" + std::string(body) +
         "\t\t<Execution ExecutionTime=\"#\"/>\r\n\t</Method>\r\n";
}
std::string Val(std::string_view direction, std::string_view value, std::string_view type) {
  return "\t\t<Parameter Name=\"val\" Direction=\"" + std::string(direction) + "\" Value=\"" +
         std::string(value) + "\" DataType=\"" + std::string(type) + "\"/>\r\n";
}
constexpr char kOk[] = "\t\t<HRESULT Value=\"0x00000000\"/>\r\n";

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("IVIROOTDIR", dir_.c_str(), 1);  // no stylesheet unless a test puts one there
  }
  void TearDown() override { unsetenv("IVIROOTDIR"); }
  // The DriverSetup that traces into `name` in the test's directory, then `more`.
  std::string Traced(std::string_view name, std::string_view more = "") const {
    return "Trace=true, TraceName=" + (dir_ / name).string() + std::string(more);
  }

  // What an input array parameter comes out as, alone in a file.
  std::string ParameterText(const SAFEARRAY* array, const core::TraceSettings& settings) {
    const fs::path file = dir_ / "parameter.xml";
    api::TraceDocument doc;
    EXPECT_EQ(doc.Create(file.string()), S_OK);
    EXPECT_EQ(api::WriteArrayParameter(doc, "a", core::Dir::In, array, settings), S_OK);
    doc.Close();
    return ReadFile(file);
  }

  ScratchFolder scratch_;
  const fs::path dir_ = scratch_.path();
};

TEST_F(TraceTest, SessionWritesOneWellFormedEscapedRecordPerCall) {
  const fs::path file = dir_ / "session.xml";
  TracedDriver d;
  ASSERT_EQ(d.Start("Model=Q\"<X&'>, Trace=true, TraceName=" + (dir_ / "session").string()), S_OK);
  EXPECT_EQ(d.log->FilePath(), file.string());
  EXPECT_EQ(GetText([&](BSTR* v) { return d.identity->get_InstrumentModel(v); }), "Q\"<X&'>");
  EXPECT_EQ(d.operation->put_RecordCoercions(VARIANT_TRUE), kNotSupported);
  EXPECT_EQ(TakeErrorDescription(), "") << "the record took the error information";
  EXPECT_EQ(d.operation->put_Cache(VARIANT_FALSE), S_OK);
  EXPECT_EQ(d.driver->Close(), S_OK);
  EXPECT_EQ(d.log->State(), TraceState::Off);

  const std::string text = ReadFile(file);
  EXPECT_EQ(
      MaskTimes(text),
      "<?xml version=\"1.0\"?>\r\n<TraceRecords>\r\n" +
          Record("get_InstrumentModel", "IIviDriverIdentity",
                 Val("Out", "Q&quot;&lt;X&amp;&apos;&gt;", "String") + kOk) +
          Record("put_RecordCoercions", "IIviDriverOperation",
                 Val("In", "true", "Boolean") +
                     "\t\t<HRESULT Value=\"0x80047013\" Message=\"Tevra: Does not support "
                     "this class-compliant feature: Enumeration value &apos;VARIANT_TRUE&apos; "
                     "passed as the value for parameter &apos;val&apos; in method "
                     "&apos;put_RecordCoercions&apos;.\"/>\r\n") +
          Record("put_Cache", "IIviDriverOperation", Val("In", "false", "Boolean") + kOk) +
          Record("Close", "IIviDriver", kOk) + "</TraceRecords>\r\n");
  EXPECT_TRUE(XmlLintAccepts(file));
  const std::regex stamps(
      "<Method [^>]* StartTime=\"\\d{1,2}:\\d{1,2}:\\d{1,2}:\\d{1,3}\" Thread=\"" +
      std::to_string(gettid()) + "\" Timestamp=\"\\d+\">");
  const std::regex elapsed("ExecutionTime=\"\\d\\.\\d{6}e[-+]\\d{2}\"");
  EXPECT_EQ(std::distance(std::sregex_iterator(text.begin(), text.end(), stamps), {}), 4);
  EXPECT_EQ(std::distance(std::sregex_iterator(text.begin(), text.end(), elapsed), {}), 4);
}

// Many records run through the file's buffer many times over; the file is whole XML with every
// record in it once the session is closed, and once the driver goes without a Close.
TEST_F(TraceTest, ManyRecordsLeaveWholeXmlWithNothingLost) {
  constexpr int kCalls = 20000;
  for (const bool close : {true, false}) {
    SCOPED_TRACE(close ? "closed" : "released without Close");
    const std::string name = close ? "many-closed.xml" : "many-released.xml";
    {
      TracedDriver d;
      ASSERT_EQ(d.Start(Traced(name, ", TraceSizeMax=100000000")), S_OK);
      VARIANT_BOOL value = 0;
      for (int i = 0; i < kCalls; ++i) ASSERT_EQ(d.operation->get_Cache(&value), S_OK);
      if (close) {
        EXPECT_EQ(d.driver->Close(), S_OK);
      }
    }
    const std::string text = ReadFile(dir_ / name);
    EXPECT_EQ(Count(text, "<Method "), kCalls + (close ? 1 : 0));
    EXPECT_TRUE(text.ends_with("\t</Method>\r\n</TraceRecords>\r\n"));
    EXPECT_TRUE(XmlLintAccepts(dir_ / name));
  }
}

// A trace started by an Initialize that then fails runs on: the calls after it, a second
// Initialize among them, go into the same file. That refused calls open no record is shown
// by tests/core/EntryPathTest.cpp.
TEST_F(TraceTest, ATraceOutlivesAFailedInitialize) {
  const fs::path file = dir_ / "refused.xml";
  TracedDriver d;
  EXPECT_EQ(d.Start("Model=QX9999, " + Traced("refused.xml"), true),
            static_cast<HRESULT>(0x8004705E));
  ASSERT_EQ(d.log->State(), TraceState::Recording);
  EXPECT_EQ(d.Identifier(), S_OK);         // callable before Initialize: recorded
  ASSERT_EQ(d.Start("Trace=true"), S_OK);  // recorded, in the same file
  EXPECT_EQ(d.driver->Close(), S_OK);

  const std::string text = ReadFile(file);
  EXPECT_EQ(Count(text, "<Method "), 3) << text;
  EXPECT_NE(text.find("<Parameter Name=\"OptionString\" Direction=\"In\" "
                      "Value=\"Simulate=true, DriverSetup=Trace=true\" DataType=\"String\"/>"),
            std::string::npos);
}

TEST_F(TraceTest, FileNames) {
  const fs::path previous = fs::current_path();
  fs::current_path(dir_);
  fs::create_directory(dir_ / "sub");
  // Relative to the current directory; ".xml" in any case is kept, another extension gets it.
  for (const auto& [name, expected] :
       {std::pair{std::string("sub/run2.Xml"), dir_ / "sub/run2.Xml"},
        {(dir_ / "run3.xslt").string(), dir_ / "run3.xslt.xml"}}) {
    TracedDriver d;
    ASSERT_EQ(d.Start("Trace=true, TraceName=" + name), S_OK);
    EXPECT_EQ(d.log->FilePath(), expected.string()) << name;
  }
  // Without a name: the driver's identifier and the local start time, in the current directory.
  static constexpr std::time_t kStart = 1700000000;
  TracedDriver d([] { return kStart; });
  ASSERT_EQ(d.Start("Trace=true"), S_OK);
  std::tm local{};
  localtime_r(&kStart, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
  EXPECT_EQ(d.log->FilePath(), (dir_ / ("Tevra_" + std::string(stamp) + ".xml")).string());
  EXPECT_EQ(d.driver->Close(), S_OK);
  // A file that cannot be created leaves the session untraced but working.
  TracedDriver bad;
  EXPECT_EQ(bad.Start(Traced("none/x")), S_OK);
  EXPECT_EQ(bad.log->State(), TraceState::Off);
  EXPECT_EQ(bad.Identifier(), S_OK);
  EXPECT_EQ(bad.driver->Close(), S_OK);
  fs::current_path(previous);
}

TEST_F(TraceTest, StylesheetLineOnlyWhenTheTransformExists) {
  fs::create_directories(dir_ / "Components");
  std::ofstream(dir_ / "Components" / "trace.xslt") << "x";
  std::ofstream(dir_ / "Components" / "mine.XSLT") << "x";
  const std::pair<std::string, std::string> cases[] = {
      {"", (dir_ / "Components" / "trace.xslt").string()},
      {", TraceTransform=mine.XSLT", (dir_ / "Components" / "mine.XSLT").string()},
      {", TraceTransform=" + (dir_ / "Components").string() + "/mine", ""},  // a path: unchanged
  };
  for (const auto& [transform, stylesheet] : cases) {
    {
      TracedDriver d;
      ASSERT_EQ(d.Start(Traced("styled.xml", transform)), S_OK);
      EXPECT_EQ(d.driver->Close(), S_OK);
    }
    std::string expected = "<?xml version=\"1.0\"?>\r\n";
    if (!stylesheet.empty())
      expected += "<?xml-stylesheet type=\"text/xsl\" href=\"file:\\\\" + stylesheet + "\"?>\r\n";
    EXPECT_EQ(ReadFile(dir_ / "styled.xml").substr(0, expected.size()), expected) << transform;
  }
}

// The size is tested when the file is saved; a save interval of 0 saves after every record.
TEST_F(TraceTest, SizeLimitStopsTheTraceForGood) {
  TracedDriver d;
  ASSERT_EQ(d.Start(Traced("limited.xml", ", TraceSizeMax=700, TraceSaveInterval=0")), S_OK);
  int recorded = 0;
  for (; d.log->State() == TraceState::Recording && recorded < 20; ++recorded)
    ASSERT_EQ(d.Identifier(), S_OK);
  ASSERT_EQ(d.log->State(), TraceState::Stopped);
  EXPECT_GT(fs::file_size(dir_ / "limited.xml"), 700u);
  EXPECT_GE(recorded, 2);
  EXPECT_FALSE(d.log->GetTraceEnabled());
  EXPECT_EQ(d.log->PutTraceEnabled(true), S_OK);
  EXPECT_EQ(d.log->State(), TraceState::Stopped) << "the size limit is final";
  EXPECT_EQ(d.Identifier(), S_OK);
  EXPECT_EQ(d.driver->Close(), S_OK);
  EXPECT_EQ(Count(ReadFile(dir_ / "limited.xml"), "<Method "), recorded);
  EXPECT_TRUE(XmlLintAccepts(dir_ / "limited.xml"));
}

// TraceEnabled pauses and resumes the same file; not enabled at Initialize, it opens a new one.
// The property of the system interface is the log on a live session, a stored setting in
// simulation.
TEST_F(TraceTest, TraceEnabledPausesAndResumesTheSameFile) {
  TracedDriver d;
  ASSERT_EQ(d.Start(Traced("switched.xml")), S_OK);
  ASSERT_EQ(d.Identifier(), S_OK);  // 1
  EXPECT_EQ(d.log->PutTraceEnabled(false), S_OK);
  EXPECT_EQ(d.log->State(), TraceState::Off);
  ASSERT_EQ(d.Identifier(), S_OK);  // paused: no record
  EXPECT_EQ(d.log->PutTraceEnabled(true), S_OK);
  ASSERT_EQ(d.Identifier(), S_OK);  // 2
  EXPECT_EQ(d.driver->Close(), S_OK);
  EXPECT_EQ(Count(ReadFile(dir_ / "switched.xml"), "<Method "), 3);  // and Close

  VARIANT_BOOL on = VARIANT_FALSE;
  const auto toggle = [&](TracedDriver& d, VARIANT_BOOL value) {
    ITevraSystem* system = nullptr;
    EXPECT_EQ(d.driver->QueryInterface(IID_ITevraSystem, (void**)&system), S_OK);
    EXPECT_EQ(system->put_TraceEnabled(value), S_OK);
    EXPECT_EQ(system->get_TraceEnabled(&on), S_OK);
    system->Release();
  };
  TracedDriver simulated;
  ASSERT_EQ(simulated.Start("TraceName=" + (dir_ / "late.xml").string()), S_OK);
  toggle(simulated, VARIANT_TRUE);
  EXPECT_TRUE(on == VARIANT_TRUE && !simulated.log->Enabled());
  EXPECT_FALSE(fs::exists(dir_ / "late.xml"));
  EXPECT_EQ(simulated.log->PutTraceEnabled(true), S_OK);
  ASSERT_EQ(simulated.Identifier(), S_OK);
  EXPECT_EQ(simulated.driver->Close(), S_OK);
  EXPECT_EQ(Count(ReadFile(dir_ / "late.xml"), "<Method "), 2);

  ScriptedIoSession::Script script;
  script.Expect("*IDN?", "Orvane Technologies,QX1300,SN0042,2.0.1");
  script.Expect("*OPT?", "431");
  TracedDriver live(nullptr, std::make_unique<ScriptedIoSession>(script));
  ASSERT_EQ(live.Start(Traced("live.xml"), false, "TCPIP::h::5025::SOCKET"), S_OK);
  toggle(live, VARIANT_FALSE);  // the put is recorded before the pause, the get is not
  EXPECT_TRUE(on == VARIANT_FALSE && live.log->State() == TraceState::Off);
  EXPECT_EQ(live.driver->Close(), S_OK);
  const std::string text = ReadFile(dir_ / "live.xml");
  EXPECT_EQ(Count(text, "Name=\"put_TraceEnabled\""), 1);
  EXPECT_EQ(Count(text, "Name=\"get_TraceEnabled\""), 0);
}

// The DriverSetup "Trace" pair against each state of the log.
TEST_F(TraceTest, TraceSwitchOfTheDriverSetup) {
  api::CTraceLog log;
  log.Settings().name = (dir_ / "switch").string();
  EXPECT_EQ(log.ApplyTraceSwitch(true), S_OK);
  EXPECT_EQ(log.ApplyTraceSwitch(false), S_OK);  // enabled, not started
  EXPECT_FALSE(log.Enabled());
  EXPECT_EQ(log.ApplyTraceSwitch(true), S_OK);
  EXPECT_EQ(log.Prepare("Tevra"), S_OK);
  ASSERT_EQ(log.State(), TraceState::Recording);
  EXPECT_EQ(log.StartTrace(), E_UNEXPECTED);
  EXPECT_EQ(log.ApplyTraceSwitch(false), S_OK);  // recording: stopped, tracing off
  EXPECT_EQ(log.State(), TraceState::Stopped);
  EXPECT_FALSE(log.Enabled());
  EXPECT_EQ(log.ApplyTraceSwitch(true), S_OK);
  EXPECT_EQ(log.ApplyTraceSwitch(false), E_UNEXPECTED);  // already stopped
  EXPECT_EQ(log.State(), TraceState::Stopped);
}

// Only the minutes of the time since the last save count.
std::atomic<std::time_t> g_now{0};

TEST_F(TraceTest, SaveIntervalFlushesOnMinutesSinceLastSave) {
  const fs::path file = dir_ / "saved.xml";
  const std::time_t start = 1700000000;  // 13 minutes past the hour since the epoch
  g_now = start;
  TracedDriver d([] { return g_now.load(); });
  ASSERT_EQ(d.Start(Traced("saved.xml", ", TraceSaveInterval=5")), S_OK);
  // {seconds after the start, records in the file after the call}
  const std::pair<int, int> steps[] = {{0, 1}, {4 * 60, 1}, {6 * 60, 3}, {67 * 60, 3}};
  for (const auto& [seconds, saved] : steps) {
    g_now = start + seconds;
    ASSERT_EQ(d.Identifier(), S_OK);
    EXPECT_EQ(Count(ReadFile(file), "</Method>"), saved) << seconds << " s";
  }
  EXPECT_EQ(d.driver->Close(), S_OK);
  EXPECT_EQ(Count(ReadFile(file), "</Method>"), 5);
}

// A driver whose methods take and hand out arrays, traced into a file like any session.
class ArrayDriver final : public core::IObjectRoot, public core::CDriver {
 public:
  ArrayDriver()
      : CDriver(*this, std::make_unique<UnconnectedSession>(), std::make_unique<api::CTraceLog>()) {
  }
  HRESULT QueryObject(REFIID riid, void** ppv) override {
    return core::GiveFound(FindInherent(riid), ppv);
  }
  ULONG AddRefObject() override { return 1; }
  ULONG ReleaseObject() override { return 1; }

  HRESULT Init(std::string_view options) {
    platform::Bstr resource(""), optionString(options);
    return ApiInitialize(resource.get(), VARIANT_FALSE, VARIANT_FALSE, optionString.get());
  }
  HRESULT Load(const SAFEARRAY* values) {
    static constexpr core::MethodRecord kLoad{&GUID_NULL, "ITestArrays", "Load"};
    return Enter(
        kLoad, [] { return S_OK; }, core::In("Values", values));
  }
  // Hands `result` (null: none) to the caller and returns `status`.
  HRESULT Fetch(SAFEARRAY** val, SAFEARRAY* result, HRESULT status) {
    static constexpr core::MethodRecord kFetch{&GUID_NULL, "ITestArrays", "Fetch"};
    return Enter(
        kFetch,
        [&] {
          outputZeroed = *val == nullptr;
          *val = result;
          return status;
        },
        core::Out("val", val));
  }
  bool outputZeroed = false;
};

// Doubles i + 0.25 in element i, in storage order; no dimensions: no array.
platform::SafeArrayPtr Doubles(std::vector<ULONG> dims) {
  if (dims.empty()) return {};
  std::vector<SAFEARRAYBOUND> bounds;
  std::size_t count = 1;
  for (ULONG n : dims) {
    bounds.push_back({n, 0});
    count *= n;
  }
  platform::SafeArrayPtr array(
      TevraSafeArrayCreate(VT_R8, static_cast<std::uint32_t>(bounds.size()), bounds.data()));
  auto* data = static_cast<double*>(array.get()->pvData);
  for (std::size_t i = 0; i < count; ++i) data[i] = static_cast<double>(i) + 0.25;
  return array;
}

// The "Parameter" element of an array: its shape and type, and one "Element" child per value. In
// a record it is indented by two tabs; alone in a file, by none.
std::string ArrayVal(std::string_view name, std::string_view direction, std::string_view shape,
                     std::string_view type, const std::vector<std::string>& values,
                     const std::string& indent = "\t\t") {
  std::string text = indent + "<Parameter Name=\"" + std::string(name) + "\" Direction=\"" +
                     std::string(direction) + "\" " + std::string(shape) + " DataType=\"" +
                     std::string(type) + "[]\"";
  if (values.empty()) return text + "/>\r\n";
  text += ">\r\n";
  for (const std::string& value : values)
    text +=
        indent + "\t<Element Value=\"" + value + "\" DataType=\"" + std::string(type) + "\"/>\r\n";
  return text + indent + "</Parameter>\r\n";
}
std::vector<std::string> Quarters(int n) {
  std::vector<std::string> texts;
  for (int i = 0; i < n; ++i) texts.push_back(std::to_string(i) + ".25");
  return texts;
}
std::string InputArray(std::string_view shape, std::string_view type,
                       const std::vector<std::string>& values) {
  return ArrayVal("a", "In", shape, type, values, "");
}

// One element of type T in a one-dimensional array of `vt`.
template <class T>
platform::SafeArrayPtr One(VARTYPE vt, T value) {
  platform::SafeArrayPtr array(TevraSafeArrayCreateVector(vt, 0, 1));
  *static_cast<T*>(array.get()->pvData) = value;
  return array;
}

// The shape always; the first TraceArraySizeMax elements of a one-dimensional array when arrays
// are traced. An element's text is that of a scalar of its type: the low half of a 64-bit
// integer, a float widened to 15 digits, an escaped string, an unsigned 32-bit value as signed;
// an element type the trace does not know is "(unknown)".
TEST_F(TraceTest, InputArraysByTheArraySettings) {
  const char* hundred = R"(NumDims="1" DimSizes="100")";
  const char* one = R"(NumDims="1" DimSizes="1")";
  struct Case {
    platform::SafeArrayPtr array;
    bool traced;
    std::int32_t sizeMax;
    std::string expected;
  } cases[] = {
      {Doubles({100}), true, 3, InputArray(hundred, "Double", Quarters(3))},
      {Doubles({4}), true, 50, InputArray(R"(NumDims="1" DimSizes="4")", "Double", Quarters(4))},
      {Doubles({100}), false, 5, InputArray(hundred, "Double", {})},
      {Doubles({3, 4, 5}), true, 10, InputArray(R"(NumDims="3" DimSizes="3,4,5")", "Double", {})},
      {Doubles({}), true, 10, InputArray(R"(NumDims="0" DimSizes="")", "(unknown)", {})},
      {One(VT_I8, std::int64_t{0x100000005}), true, 1, InputArray(one, "Int64", {"5"})},
      {One(VT_R4, 0.1f), true, 1, InputArray(one, "Single", {"0.100000001490116"})},
      {One(VT_BSTR, TevraSysAllocString(u"a<b&\"c'")), true, 1,
       InputArray(one, "String", {"a&lt;b&amp;&quot;c&apos;"})},
      {One(VT_UI4, 0xFFFFFFFFu), true, 1, InputArray(one, "UInt32", {"-1"})},
      {One(VT_INT, 12), true, 1, InputArray(one, "(unknown)", {"12"})},
  };
  for (const Case& c : cases) {
    core::TraceSettings settings;
    settings.array = c.traced;
    settings.arraySizeMax = c.sizeMax;
    EXPECT_EQ(ParameterText(c.array.get(), settings), c.expected);
  }
  const BSTR none = nullptr;
  EXPECT_EQ(api::ValueText(core::ValueType::Interface, &none), "(interface)");
}

// An input array in the record's start (the array settings from the DriverSetup); outputs at its
// end, as the caller received them: an array handed out, or the null the entry path left in
// place of the caller's old value.
TEST_F(TraceTest, OutputArraysAsTheCallerReceivesThem) {
  ArrayDriver d;
  ASSERT_EQ(d.Init("Simulate=true, DriverSetup=" +
                   Traced("out.xml", ", TraceArray=true, TraceArraySizeMax=3")),
            S_OK);
  EXPECT_EQ(d.Load(Doubles({100}).get()), S_OK);
  platform::SafeArrayPtr previous = Doubles({2});
  SAFEARRAY* val = previous.get();
  EXPECT_EQ(d.Fetch(&val, Doubles({100}).release(), S_OK), S_OK);
  EXPECT_TRUE(d.outputZeroed);
  platform::SafeArrayPtr received(val);
  val = previous.get();
  EXPECT_EQ(d.Fetch(&val, nullptr, E_FAIL), E_FAIL);
  EXPECT_EQ(val, nullptr) << "a failed call leaves the output null";
  EXPECT_EQ(d.ApiClose(), S_OK);

  const std::string text = MaskTimes(ReadFile(dir_ / "out.xml"));
  const std::string shape = R"(NumDims="1" DimSizes="100")";
  for (const std::string& record :
       {Record("Load", "ITestArrays", ArrayVal("Values", "In", shape, "Double", Quarters(3)) + kOk),
        Record("Fetch", "ITestArrays", ArrayVal("val", "Out", shape, "Double", Quarters(3)) + kOk),
        Record("Fetch", "ITestArrays",
               ArrayVal("val", "Out", R"(NumDims="0" DimSizes="")", "(unknown)", {}) +
                   "\t\t<HRESULT Value=\"0x80004005\"/>\r\n")})
    EXPECT_NE(text.find(record), std::string::npos) << record << "\nin\n" << text;
  EXPECT_TRUE(XmlLintAccepts(dir_ / "out.xml"));
}

// Input the session drops to keep replies matched to queries is in the record of the call that
// dropped it: a line the instrument sent unasked, and what came before the answer after a query
// went unanswered.
TEST_F(TraceTest, DroppedInputIsRecordedInTheCall) {
  FakeInstrument fake;
  fake.On("*IDN?").Reply("Orvane Technologies,QX1300,SN0042,2.0.1\n");
  fake.On("*OPT?").Reply("431\n");
  fake.On("INIT").Reply("1\n");
  fake.On("DATA:POIN?").NoReply().Times(1);
  fake.On("DATA:POIN?").Reply("42\n").After(Milliseconds(5));
  ASSERT_TRUE(fake.Start());
  auto owned = std::make_unique<io::CVisaComSession>();
  io::CVisaComSession* session = owned.get();
  {
    TracedDriver d(nullptr, std::move(owned));
    ASSERT_EQ(d.Start(Traced("dropped.xml"), false, fake.ResourceName()), S_OK);
    ASSERT_EQ(session->SetTimeout(150), S_OK);
    ITevraMeasurement* measurement = nullptr;
    ASSERT_EQ(d.driver->QueryInterface(IID_ITevraMeasurement, (void**)&measurement), S_OK);
    EXPECT_EQ(measurement->Initiate(), S_OK);
    std::this_thread::sleep_for(Milliseconds(50));
    LONG count = 0;
    EXPECT_NE(measurement->ReadingCount(&count), S_OK);  // the line goes, no answer comes
    EXPECT_EQ(measurement->ReadingCount(&count), S_OK);
    EXPECT_EQ(count, 42);
    measurement->Release();
    EXPECT_EQ(d.driver->Close(), S_OK);
  }
  const std::string text = ReadFile(dir_ / "dropped.xml");
  const auto dropped = [&](const std::string& element) {
    return std::regex_search(text, std::regex("Name=\"ReadingCount\"[^\n]*\n[^<]*" + element));
  };
  EXPECT_TRUE(dropped("<DroppedInput Reason=\"unsolicited\" Bytes=\"2\" Data=\"1")) << text;
  EXPECT_TRUE(dropped("<DroppedInput Reason=\"resynchronised\"")) << text;
}

}  // namespace
}  // namespace tevra::testing
