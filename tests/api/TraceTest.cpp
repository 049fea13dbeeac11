// The method trace: the XML file a traced session writes, its name and stylesheet, the size limit
// and save interval, the TraceEnabled switch, and the trace event.
#include "api/TraceLog.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "core/Driver.h"
#include "counter/Tevra.h"
#include "io/VisaComSession.h"
#include "platform/Bstr.h"
#include "platform/SafeArray.h"
#include "support/DriverHandle.h"
#include "support/FakeInstrument.h"
#include "support/ScriptedIoSession.h"
#include "support/UnconnectedSession.h"

namespace tevra::testing {
namespace {

namespace fs = std::filesystem;
using core::TraceState;

// A driver object whose trace log writes the trace file; the test keeps a view of the log.
struct TracedDriver {
  explicit TracedDriver(api::CTraceLog::CalendarClock clock = nullptr,
                        std::unique_ptr<core::IIoSession> io = nullptr) {
    auto owned = std::make_unique<api::CTraceLog>(clock);
    log = owned.get();
    if (!io) io = std::make_unique<UnconnectedSession>();
    EXPECT_EQ(counter::Tevra::Create(std::move(io), std::move(owned), IID_ITevra, (void**)&driver),
              S_OK);
    driver->QueryInterface(IID_IIviDriverOperation, (void**)&operation);
    driver->QueryInterface(IID_IIviDriverIdentity, (void**)&identity);
  }
  ~TracedDriver() {
    identity->Release();
    operation->Release();
    driver->Release();
  }
  HRESULT Initialize(std::string_view options, bool idQuery = false,
                     std::string_view resourceName = "") {
    platform::Bstr resource(resourceName);
    platform::Bstr optionString(options);
    return driver->Initialize(resource.get(), idQuery ? VARIANT_TRUE : VARIANT_FALSE, VARIANT_FALSE,
                              optionString.get());
  }
  HRESULT Identifier() {
    BSTR text = nullptr;
    const HRESULT hr = identity->get_Identifier(&text);
    SysFreeString(text);
    return hr;
  }

  api::CTraceLog* log = nullptr;
  ITevra* driver = nullptr;
  IIviDriverOperation* operation = nullptr;
  IIviDriverIdentity* identity = nullptr;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int Count(const std::string& text, std::string_view what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The attribute values that differ from run to run become "#".
std::string MaskTimes(const std::string& text) {
  static const std::regex times(R"re((StartTime|Thread|Timestamp|ExecutionTime)="[^"]*")re");
  return std::regex_replace(text, times, "$1=\"#\"");
}

bool XmlLintAccepts(const fs::path& file) {
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0)
    throw std::runtime_error("xmllint is missing: run tools/install-deps");
  const std::string command = "xmllint --noout '" + file.string() + "'";
  return std::system(command.c_str()) == 0;
}

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tevra-trace-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    // No stylesheet unless a test puts one there.
    setenv("IVIROOTDIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("IVIROOTDIR");
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Options(std::string_view driverSetup) const {
    return "Simulate=true, DriverSetup=" + std::string(driverSetup);
  }
  // What an input array parameter comes out as, alone in a file.
  std::string ArrayParameterText(const SAFEARRAY* array, const core::TraceSettings& settings) {
    const fs::path file = dir_ / "parameter.xml";
    api::TraceDocument doc;
    EXPECT_EQ(doc.Create(file.string()), S_OK);
    EXPECT_EQ(api::WriteArrayParameter(doc, "a", core::Dir::In, array, settings), S_OK);
    doc.Close();
    return ReadFile(file);
  }

  fs::path dir_;
};

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

TEST_F(TraceTest, SessionWritesOneWellFormedRecordPerCall) {
  const fs::path file = dir_ / "session.xml";
  TracedDriver d;
  ASSERT_EQ(
      d.Initialize(Options("Model=Q\"<X&'>, Trace=true, TraceName=" + (dir_ / "session").string())),
      S_OK);
  EXPECT_EQ(d.log->FilePath(), file.string());

  EXPECT_EQ(GetText([&](BSTR* v) { return d.identity->get_InstrumentModel(v); }), "Q\"<X&'>");
  EXPECT_EQ(d.operation->put_RecordCoercions(VARIANT_TRUE), static_cast<HRESULT>(0x80047013));
  EXPECT_EQ(TakeErrorDescription(), "") << "the record took the error information";
  LONG major = 0;
  EXPECT_EQ(d.identity->get_SpecificationMajorVersion(&major), S_OK);
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
          Record("get_SpecificationMajorVersion", "IIviDriverIdentity",
                 Val("Out", "2", "Int32") + kOk) +
          Record("put_Cache", "IIviDriverOperation", Val("In", "false", "Boolean") + kOk) +
          Record("Close", "IIviDriver", kOk) + "</TraceRecords>\r\n");
  EXPECT_TRUE(XmlLintAccepts(file));

  // The time-dependent values have their formats.
  const std::regex stamps(
      "<Method [^>]* StartTime=\"\\d{1,2}:\\d{1,2}:\\d{1,2}:\\d{1,3}\" "
      "Thread=\"" +
      std::to_string(gettid()) + "\" Timestamp=\"\\d+\">");
  const std::regex elapsed("ExecutionTime=\"\\d\\.\\d{6}e[-+]\\d{2}\"");
  EXPECT_EQ(std::distance(std::sregex_iterator(text.begin(), text.end(), stamps), {}), 5);
  EXPECT_EQ(std::distance(std::sregex_iterator(text.begin(), text.end(), elapsed), {}), 5);
}

// Calls refused by the entry path (not initialised, null output) never open a record.
TEST_F(TraceTest, RefusedCallsWriteNoRecord) {
  const fs::path file = dir_ / "refused.xml";
  TracedDriver d;
  // The ID query fails after the trace started: the driver stays uninitialised, the trace runs.
  EXPECT_EQ(d.Initialize(Options("Model=QX9999, Trace=true, TraceName=" + file.string()), true),
            static_cast<HRESULT>(0x8004705E));  // 27
  ASSERT_EQ(d.log->State(), TraceState::Recording);
  BSTR model = nullptr;
  EXPECT_EQ(d.identity->get_InstrumentModel(&model), static_cast<HRESULT>(0x8004701D));  // 12
  EXPECT_EQ(d.Identifier(), S_OK);  // callable before Initialize: recorded

  // Recorded too, since the trace is running; it goes on in the same file.
  ASSERT_EQ(d.Initialize(Options("Trace=true")), S_OK);
  EXPECT_EQ(d.identity->get_InstrumentModel(nullptr), static_cast<HRESULT>(0x80047058));  // 22
  EXPECT_EQ(d.Identifier(), S_OK);
  EXPECT_EQ(d.driver->Close(), S_OK);

  const std::string text = ReadFile(file);
  EXPECT_EQ(Count(text, "<Method "), 4) << text;
  EXPECT_EQ(Count(text, "Name=\"get_Identifier\""), 2);
  EXPECT_EQ(Count(text, "<Method Name=\"Initialize\""), 1);
  EXPECT_NE(text.find("<Parameter Name=\"OptionString\" Direction=\"In\" "
                      "Value=\"Simulate=true, DriverSetup=Trace=true\" DataType=\"String\"/>"),
            std::string::npos);
  EXPECT_EQ(Count(text, "get_InstrumentModel"), 0);
  EXPECT_TRUE(XmlLintAccepts(file));
}

// Runs the test in another current directory.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const fs::path& dir) : previous_(fs::current_path()) {
    fs::current_path(dir);
  }
  ~CurrentDirectory() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};

TEST_F(TraceTest, FileNames) {
  CurrentDirectory cwd(dir_);
  struct Case {
    std::string traceName;
    fs::path expected;
  } cases[] = {
      {"run1", dir_ / "run1.xml"},
      {"sub/run2.Xml", dir_ / "sub" / "run2.Xml"},
      {(dir_ / "ABS.XML").string(), dir_ / "ABS.XML"},
      {(dir_ / "run3.xslt").string(), dir_ / "run3.xslt.xml"},
  };
  fs::create_directory(dir_ / "sub");
  for (const Case& c : cases) {
    TracedDriver d;
    ASSERT_EQ(d.Initialize(Options("Trace=true, TraceName=" + c.traceName)), S_OK);
    EXPECT_EQ(d.log->FilePath(), c.expected.string()) << c.traceName;
    EXPECT_EQ(d.driver->Close(), S_OK);
    EXPECT_TRUE(fs::exists(c.expected)) << c.traceName;
  }

  // Without a name: the driver's identifier and the local start time, in the current directory.
  static constexpr std::time_t kStart = 1700000000;
  TracedDriver d([] { return kStart; });
  ASSERT_EQ(d.Initialize(Options("Trace=true")), S_OK);
  std::tm local{};
  localtime_r(&kStart, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
  EXPECT_EQ(d.log->FilePath(), (dir_ / ("Tevra_" + std::string(stamp) + ".xml")).string());
  EXPECT_EQ(d.driver->Close(), S_OK);

  // A file that cannot be created leaves the session untraced but working.
  TracedDriver bad;
  EXPECT_EQ(bad.Initialize(Options("Trace=true, TraceName=" + (dir_ / "none/x").string())), S_OK);
  EXPECT_EQ(bad.log->State(), TraceState::Off);
  EXPECT_EQ(bad.Identifier(), S_OK);
  EXPECT_EQ(bad.driver->Close(), S_OK);
}

TEST_F(TraceTest, StylesheetLineOnlyWhenTheTransformExists) {
  fs::create_directories(dir_ / "Components");
  std::ofstream(dir_ / "Components" / "trace.xslt") << "x";
  std::ofstream(dir_ / "Components" / "mine.XSLT") << "x";
  const fs::path own = dir_ / "own.xsl";
  std::ofstream(own) << "x";
  struct Case {
    std::string transform;
    std::string stylesheet;  // empty: no line
  } cases[] = {
      {"", (dir_ / "Components" / "trace.xslt").string()},
      {"mine.XSLT", (dir_ / "Components" / "mine.XSLT").string()},
      {"absent", ""},
      {own.string(), own.string()},
      {(dir_ / "Components").string() + "/mine", ""},  // a path is used unchanged
  };
  for (const Case& c : cases) {
    const fs::path file = dir_ / "styled.xml";
    {
      TracedDriver d;
      std::string setup = "Trace=true, TraceName=" + file.string();
      if (!c.transform.empty()) setup += ", TraceTransform=" + c.transform;
      ASSERT_EQ(d.Initialize(Options(setup)), S_OK);
      EXPECT_EQ(d.driver->Close(), S_OK);
    }
    std::string expected = "<?xml version=\"1.0\"?>\r\n";
    if (!c.stylesheet.empty())
      expected += "<?xml-stylesheet type=\"text/xsl\" href=\"file:\\\\" + c.stylesheet + "\"?>\r\n";
    EXPECT_EQ(ReadFile(file).substr(0, expected.size()), expected) << c.transform;
  }
}

// The size is tested when the file is saved; a save interval of 0 saves after every record.
TEST_F(TraceTest, SizeLimitStopsTheTraceForGood) {
  const fs::path file = dir_ / "limited.xml";
  TracedDriver d;
  ASSERT_EQ(d.Initialize(Options("Trace=true, TraceSizeMax=700, TraceSaveInterval=0, TraceName=" +
                                 file.string())),
            S_OK);
  int recorded = 0;
  while (d.log->State() == TraceState::Recording && recorded < 20) {
    ASSERT_EQ(d.Identifier(), S_OK);
    ++recorded;
  }
  ASSERT_EQ(d.log->State(), TraceState::Stopped);
  EXPECT_GT(fs::file_size(file), 700u);
  EXPECT_GE(recorded, 2);

  EXPECT_FALSE(d.log->GetTraceEnabled());
  EXPECT_EQ(d.log->PutTraceEnabled(true), S_OK);
  EXPECT_EQ(d.log->State(), TraceState::Stopped) << "the size limit is final";
  EXPECT_EQ(d.Identifier(), S_OK);
  EXPECT_EQ(d.driver->Close(), S_OK);

  const std::string text = ReadFile(file);
  EXPECT_EQ(Count(text, "<Method "), recorded);
  EXPECT_TRUE(XmlLintAccepts(file));
}

TEST_F(TraceTest, TraceEnabledPausesAndResumesTheSameFile) {
  const fs::path file = dir_ / "switched.xml";
  TracedDriver d;
  ASSERT_EQ(d.Initialize(Options("Trace=true, TraceName=" + file.string())), S_OK);
  EXPECT_TRUE(d.log->GetTraceEnabled());
  ASSERT_EQ(d.Identifier(), S_OK);  // 1

  EXPECT_EQ(d.log->PutTraceEnabled(false), S_OK);
  EXPECT_FALSE(d.log->GetTraceEnabled());
  EXPECT_EQ(d.log->State(), TraceState::Off);
  ASSERT_EQ(d.Identifier(), S_OK);  // paused: no record

  EXPECT_EQ(d.log->PutTraceEnabled(true), S_OK);
  EXPECT_TRUE(d.log->GetTraceEnabled());
  EXPECT_EQ(d.log->FilePath(), file.string());
  ASSERT_EQ(d.Identifier(), S_OK);  // 2
  EXPECT_EQ(d.driver->Close(), S_OK);
  EXPECT_EQ(Count(ReadFile(file), "<Method "), 3);  // and Close

  // Tracing not enabled at Initialize: TraceEnabled true opens a new file.
  const fs::path late = dir_ / "late.xml";
  TracedDriver e;
  ASSERT_EQ(e.Initialize(Options("TraceName=" + late.string())), S_OK);
  EXPECT_FALSE(fs::exists(late));
  EXPECT_FALSE(e.log->GetTraceEnabled());
  EXPECT_EQ(e.log->PutTraceEnabled(true), S_OK);
  EXPECT_TRUE(e.log->Enabled());
  ASSERT_EQ(e.Identifier(), S_OK);
  EXPECT_EQ(e.driver->Close(), S_OK);
  EXPECT_EQ(Count(ReadFile(late), "<Method "), 2);
  EXPECT_TRUE(XmlLintAccepts(late));
}

// The property of the system interface: the log on a live session, a stored setting in
// simulation.
TEST_F(TraceTest, TraceEnabledPropertyOfTheSystemInterface) {
  VARIANT_BOOL on = VARIANT_FALSE;
  const auto toggle = [&](TracedDriver& d, VARIANT_BOOL value) {
    ITevraSystem* system = nullptr;
    EXPECT_EQ(d.driver->QueryInterface(IID_ITevraSystem, (void**)&system), S_OK);
    EXPECT_EQ(system->put_TraceEnabled(value), S_OK);
    EXPECT_EQ(system->get_TraceEnabled(&on), S_OK);
    system->Release();
  };
  TracedDriver simulated;
  ASSERT_EQ(simulated.Initialize(Options("TraceName=" + (dir_ / "sim.xml").string())), S_OK);
  toggle(simulated, VARIANT_TRUE);
  EXPECT_EQ(on, VARIANT_TRUE);
  EXPECT_FALSE(simulated.log->Enabled());

  const fs::path file = dir_ / "live.xml";
  ScriptedIoSession::Script script;
  script.Expect("*IDN?", "Orvane Technologies,QX1300,SN0042,2.0.1");
  script.Expect("*OPT?", "431");
  TracedDriver live(nullptr, std::make_unique<ScriptedIoSession>(script));
  ASSERT_EQ(live.Initialize("DriverSetup=Trace=true, TraceName=" + file.string(), false,
                            "TCPIP::h::5025::SOCKET"),
            S_OK);
  toggle(live, VARIANT_FALSE);  // the put is recorded before the pause, the get is not
  EXPECT_EQ(on, VARIANT_FALSE);
  EXPECT_EQ(live.log->State(), TraceState::Off);
  EXPECT_EQ(live.driver->Close(), S_OK);
  const std::string text = ReadFile(file);
  EXPECT_EQ(Count(text, "Name=\"put_TraceEnabled\""), 1);
  EXPECT_EQ(Count(text, "Name=\"get_TraceEnabled\""), 0);
}

// The DriverSetup "Trace" pair against each state of the log.
TEST_F(TraceTest, TraceSwitchOfTheDriverSetup) {
  api::CTraceLog log;
  log.Settings().name = (dir_ / "switch").string();
  EXPECT_EQ(log.ApplyTraceSwitch(false), S_OK);  // off stays off
  EXPECT_FALSE(log.Enabled());

  EXPECT_EQ(log.ApplyTraceSwitch(true), S_OK);
  EXPECT_TRUE(log.Enabled());
  EXPECT_EQ(log.ApplyTraceSwitch(false), S_OK);  // enabled, not started
  EXPECT_FALSE(log.Enabled());
  EXPECT_EQ(log.State(), TraceState::Off);

  EXPECT_EQ(log.ApplyTraceSwitch(true), S_OK);
  EXPECT_EQ(log.Prepare("Tevra"), S_OK);
  ASSERT_EQ(log.State(), TraceState::Recording);
  EXPECT_EQ(log.StartTrace(), E_UNEXPECTED);
  EXPECT_EQ(log.ApplyTraceSwitch(false), S_OK);  // recording: stopped, tracing off
  EXPECT_EQ(log.State(), TraceState::Stopped);
  EXPECT_FALSE(log.Enabled());

  EXPECT_EQ(log.ApplyTraceSwitch(true), S_OK);
  EXPECT_EQ(log.ApplyTraceSwitch(false), E_UNEXPECTED);  // already stopped
  EXPECT_TRUE(log.Enabled());
  EXPECT_EQ(log.State(), TraceState::Stopped);
}

// Only the minutes of the time since the last save count.
std::atomic<std::time_t> g_now{0};

TEST_F(TraceTest, SaveIntervalFlushesOnMinutesSinceLastSave) {
  const fs::path file = dir_ / "saved.xml";
  const std::time_t start = 1700000000;  // 13 minutes past the hour since the epoch
  g_now = start;
  TracedDriver d([] { return g_now.load(); });
  ASSERT_EQ(d.Initialize(Options("Trace=true, TraceSaveInterval=5, TraceName=" + file.string())),
            S_OK);
  ASSERT_EQ(d.Identifier(), S_OK);
  const auto afterFirst = fs::file_size(file);
  EXPECT_EQ(Count(ReadFile(file), "</Method>"), 1) << "saved";

  g_now = start + 4 * 60;
  ASSERT_EQ(d.Identifier(), S_OK);
  EXPECT_EQ(fs::file_size(file), afterFirst) << "4 minutes: not saved";

  g_now = start + 6 * 60;
  ASSERT_EQ(d.Identifier(), S_OK);
  const auto afterThird = fs::file_size(file);
  EXPECT_EQ(Count(ReadFile(file), "</Method>"), 3) << "6 minutes: saved";

  g_now = start + 6 * 60 + 61 * 60;
  ASSERT_EQ(d.Identifier(), S_OK);
  EXPECT_EQ(fs::file_size(file), afterThird) << "61 minutes: not saved";
  EXPECT_EQ(d.driver->Close(), S_OK);
  EXPECT_EQ(Count(ReadFile(file), "</Method>"), 5);
}

// Keeps each record; checks what comes with it; fails when told to.
class RecordingSink final : public api::ITraceSink {
 public:
  void OnTraceEvent(std::string_view record, std::int32_t kind, std::string_view logName,
                    std::uint32_t processId) override {
    records.emplace_back(record);
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(logName, "Tevra");
    EXPECT_EQ(processId, static_cast<std::uint32_t>(getpid()));
    if (fail) throw std::runtime_error("sink failure");
  }
  std::vector<std::string> records;
  bool fail = false;
};

TEST_F(TraceTest, SinksReceiveEachCompletedRecord) {
  const fs::path file = dir_ / "events.xml";
  TracedDriver d;
  auto sink = std::make_shared<RecordingSink>();
  auto failing = std::make_shared<RecordingSink>();
  failing->fail = true;
  const std::uint32_t cookie = d.log->RegisterSink(sink);
  const std::uint32_t failingCookie = d.log->RegisterSink(failing);
  EXPECT_NE(cookie, 0u);
  EXPECT_NE(cookie, failingCookie);
  EXPECT_EQ(d.log->RegisterSink(nullptr), 0u);

  ASSERT_EQ(d.Initialize(Options("Trace=true, TraceName=" + file.string())), S_OK);
  ASSERT_EQ(d.Identifier(), S_OK);
  EXPECT_EQ(d.operation->put_RecordCoercions(VARIANT_TRUE), static_cast<HRESULT>(0x80047013));
  EXPECT_TRUE(d.log->UnregisterSink(failingCookie));
  EXPECT_FALSE(d.log->UnregisterSink(failingCookie));
  ASSERT_EQ(d.Identifier(), S_OK);
  EXPECT_TRUE(d.log->UnregisterSink(cookie));
  ASSERT_EQ(d.Identifier(), S_OK);
  EXPECT_EQ(d.driver->Close(), S_OK);

  EXPECT_EQ(failing->records.size(), 2u);
  ASSERT_EQ(sink->records.size(), 3u);
  const std::string text = ReadFile(file);
  for (const std::string& record : sink->records) {
    EXPECT_TRUE(record.starts_with("<Method Name=") && record.ends_with("</Method>\r\n"));
    EXPECT_NE(text.find("\t" + record), std::string::npos) << "the file holds the same text";
  }
  EXPECT_NE(sink->records[1].find("Message=\"Tevra: Does not support"), std::string::npos);
}

// A driver whose methods take and hand out arrays, traced into a file like any session.
class ArrayDriver final : public core::IObjectRoot, public core::CDriver {
 public:
  ArrayDriver()
      : CDriver(*this, std::make_unique<UnconnectedSession>(), std::make_unique<api::CTraceLog>()) {
  }
  HRESULT QueryObject(REFIID riid, void** ppv) override { return QueryInherent(riid, ppv); }
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
  // Hands `result` (null: none) to the caller and returns `status`; records whether the output
  // was already null when the body started.
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
      SafeArrayCreate(VT_R8, static_cast<std::uint32_t>(bounds.size()), bounds.data()));
  auto* data = static_cast<double*>(array.get()->pvData);
  for (std::size_t i = 0; i < count; ++i) data[i] = static_cast<double>(i) + 0.25;
  return array;
}

// The "Parameter" element of an array in a record: the attributes after "Direction" up to the
// type, and one "Element" child per value.
// In a record the parameter is indented by two tabs; alone in a file, by none.
std::string ArrayVal(std::string_view name, std::string_view direction, std::string_view shape,
                     std::string_view type, const std::vector<std::string>& elements,
                     const std::string& indent = "\t\t") {
  std::string text = indent + "<Parameter Name=\"" + std::string(name) + "\" Direction=\"" +
                     std::string(direction) + "\" " + std::string(shape) + " DataType=\"" +
                     std::string(type) + "[]\"";
  if (elements.empty()) return text + "/>\r\n";
  text += ">\r\n";
  for (const std::string& e : elements)
    text += indent + "\t<Element Value=\"" + e + "\" DataType=\"" + std::string(type) + "\"/>\r\n";
  return text + indent + "</Parameter>\r\n";
}
std::vector<std::string> Quarters(int n) {
  std::vector<std::string> texts;
  for (int i = 0; i < n; ++i) texts.push_back(std::to_string(i) + ".25");
  return texts;
}

// The shape always; the first TraceArraySizeMax elements of a one-dimensional array when arrays
// are traced.
TEST_F(TraceTest, InputArraysByTheArraySettings) {
  struct Case {
    bool array;
    std::int32_t sizeMax;
    std::vector<ULONG> dims;  // empty: a null array
    int elements;
  } cases[] = {{true, 3, {100}, 3},      {true, 0, {100}, 0}, {true, -3, {100}, 0},
               {true, 50, {4}, 4},       {true, 10, {0}, 0},  {false, 5, {100}, 0},
               {true, 10, {3, 4, 5}, 0}, {true, 10, {}, 0}};
  for (const Case& c : cases) {
    std::string sizes;
    for (ULONG n : c.dims) sizes += (sizes.empty() ? "" : ",") + std::to_string(n);
    const std::string shape =
        "NumDims=\"" + std::to_string(c.dims.size()) + "\" DimSizes=\"" + sizes + "\"";
    SCOPED_TRACE(shape + " max " + std::to_string(c.sizeMax));
    platform::SafeArrayPtr values = Doubles(c.dims);
    core::TraceSettings settings;
    settings.array = c.array;
    settings.arraySizeMax = c.sizeMax;
    EXPECT_EQ(ArrayParameterText(values.get(), settings),
              ArrayVal("a", "In", shape, c.dims.empty() ? "(unknown)" : "Double",
                       Quarters(c.elements), ""));
  }
}

// An input array in the record's start (TraceArray and TraceArraySizeMax from the DriverSetup);
// outputs at its end, as the caller received them: an array handed out, or the null the entry
// path left in place of the caller's old value.
TEST_F(TraceTest, OutputArraysAsTheCallerReceivesThem) {
  const fs::path file = dir_ / "out.xml";
  ArrayDriver d;
  ASSERT_EQ(d.Init(Options("Trace=true, TraceArray=true, TraceArraySizeMax=3, TraceName=" +
                           file.string())),
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

  EXPECT_EQ(d.Fetch(nullptr, nullptr, S_OK), static_cast<HRESULT>(0x80047058));  // 22
  EXPECT_EQ(d.ApiClose(), S_OK);

  const std::string text = MaskTimes(ReadFile(file));
  const std::string shape = R"(NumDims="1" DimSizes="100")";
  EXPECT_NE(text.find(Record("Load", "ITestArrays",
                             ArrayVal("Values", "In", shape, "Double", Quarters(3)) + kOk)),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(Record("Fetch", "ITestArrays",
                             ArrayVal("val", "Out", shape, "Double", Quarters(3)) + kOk)),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(Record("Fetch", "ITestArrays",
                             ArrayVal("val", "Out", R"(NumDims="0" DimSizes="")", "(unknown)", {}) +
                                 "\t\t<HRESULT Value=\"0x80004005\"/>\r\n")),
            std::string::npos)
      << text;
  EXPECT_EQ(Count(text, "<Method Name=\"Fetch\""), 2) << "a null output pointer writes no record";
  EXPECT_TRUE(XmlLintAccepts(file));
}

// An element's text is that of a scalar of its type: the low half of a 64-bit integer, a float
// widened to 15 digits, an escaped or null string, an unsigned 32-bit value as signed; an element
// type the trace does not know is "(unknown)".
TEST_F(TraceTest, ArrayElementTexts) {
  struct Case {
    VARTYPE vt;
    std::function<void(void*)> fill;  // the single element
    std::string value;
    std::string type;
  } cases[] = {
      {VT_I8, [](void* p) { *static_cast<std::int64_t*>(p) = 0x100000005; }, "5", "Int64"},
      {VT_R4, [](void* p) { *static_cast<float*>(p) = 0.1f; }, "0.100000001490116", "Single"},
      {VT_R8, [](void* p) { *static_cast<double*>(p) = 1.0 / 3; }, "0.333333333333333", "Double"},
      {VT_BOOL, [](void* p) { *static_cast<VARIANT_BOOL*>(p) = VARIANT_TRUE; }, "true", "Boolean"},
      {VT_BSTR, [](void* p) { *static_cast<BSTR*>(p) = SysAllocString(u"a<b&\"c'"); },
       "a&lt;b&amp;&quot;c&apos;", "String"},
      {VT_BSTR, [](void*) {}, "", "String"},
      {VT_I1, [](void* p) { *static_cast<std::int8_t*>(p) = -3; }, "-3", "Char"},
      {VT_UI4, [](void* p) { *static_cast<std::uint32_t*>(p) = 0xFFFFFFFF; }, "-1", "UInt32"},
      {VT_INT, [](void* p) { *static_cast<std::int32_t*>(p) = 12; }, "12", "(unknown)"},
  };
  for (const Case& c : cases) {
    platform::SafeArrayPtr array(SafeArrayCreateVector(c.vt, 0, 1));
    ASSERT_NE(array.get(), nullptr);
    c.fill(array.get()->pvData);
    core::TraceSettings settings;
    settings.array = true;
    EXPECT_EQ(ArrayParameterText(array.get(), settings),
              "<Parameter Name=\"a\" Direction=\"In\" NumDims=\"1\" DimSizes=\"1\" DataType=\"" +
                  c.type + "[]\">\r\n\t<Element Value=\"" + c.value + "\" DataType=\"" + c.type +
                  "\"/>\r\n</Parameter>\r\n")
        << c.vt;
  }
  const BSTR none = nullptr;
  EXPECT_EQ(api::ValueText(core::ValueType::Interface, &none), "(interface)");
}

// Input the session drops to keep replies matched to queries is in the record of the call that
// dropped it: a line the instrument sent unasked, and what came before the identity query's
// answer after a query went unanswered.
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
  const fs::path file = dir_ / "dropped.xml";
  {
    TracedDriver d(nullptr, std::move(owned));
    ASSERT_EQ(d.Initialize("DriverSetup=Trace=true, TraceName=" + file.string(), false,
                           fake.ResourceName()),
              S_OK);
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
  const std::string text = ReadFile(file);
  const auto dropped = [&](const std::string& element) {
    return std::regex_search(text, std::regex("Name=\"ReadingCount\"[^\n]*\n[^<]*" + element));
  };
  EXPECT_TRUE(dropped("<DroppedInput Reason=\"unsolicited\" Bytes=\"2\" Data=\"1")) << text;
  EXPECT_TRUE(dropped("<DroppedInput Reason=\"resynchronised\"")) << text;
}

}  // namespace
}  // namespace tevra::testing
