// The memory members that say more than one command, against the fake instrument: files crossing
// the wire byte for byte in both directions, local files that cannot be read or written, the
// learn string read with termination-character detection off and written back, and the folder
// listings with their raised timeout.
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "CounterTestSupport.h"
#include "support/ScratchFolder.h"

namespace tevra::testing {
namespace {

constexpr HRESULT kInvalidValue = static_cast<HRESULT>(0x80047010);
constexpr HRESULT kCannotOpenFile = static_cast<HRESULT>(0x80047002);
constexpr HRESULT kErrorWritingFile = static_cast<HRESULT>(0x80047004);
constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x8004705B);

// Bytes of every value, line feeds among them.
std::string RandomBytes(std::size_t size) {
  std::mt19937 random(7);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string Block(const std::string& bytes) {
  const std::string length = std::to_string(bytes.size());
  return "#" + std::to_string(length.size()) + length + bytes;
}

class Memory : public ::testing::Test {
 protected:
  void SetUp() override {
    d.Open("QX1300", "785,431");
    memory = d.Get<ITevraMemory>(IID_ITevraMemory);
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  // The names in the folder, sorted.
  static std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  bool TerminationCharacterEnabled() {
    bool enabled = false;
    EXPECT_EQ(d.session->GetTerminationCharacterEnabled(enabled), S_OK);
    return enabled;
  }

  ScratchFolder scratch_;
  const std::string dir_ = scratch_.path().string();
  SocketDriver d;
  ITevraMemory* memory = nullptr;
};

TEST_F(Memory, AFileCrossesTheWireByteExactInBothDirectionsAndReplacesTheOldOne) {
  const std::string bytes = RandomBytes(1 << 20);
  std::ofstream(Path("out.bin"), std::ios::binary) << bytes;
  EXPECT_EQ(memory->DownloadFile(platform::Bstr(Path("out.bin")).get(),
                                 platform::Bstr("INT:\\out.bin").get()),
            S_OK)
      << TakeErrorDescription();
  d.ExpectWire("MMEMory:DOWNload:FNAMe \"INT:\\out.bin\"\nMMEMory:DOWNload:DATA " + Block(bytes) +
               "\n");

  std::ofstream(Path("in.bin")) << "older contents";
  d.fake.On("MMEM:UPL? \"INT:\\out.bin\"").Reply(Block(bytes) + "\n");
  EXPECT_EQ(memory->UploadFile(platform::Bstr("INT:\\out.bin").get(),
                               platform::Bstr(Path("in.bin")).get()),
            S_OK)
      << TakeErrorDescription();
  EXPECT_TRUE(ReadFile(Path("in.bin")) == bytes);
  EXPECT_EQ(Listing(dir_), (std::vector<std::string>{"in.bin", "out.bin"}));
}

TEST_F(Memory, LocalFilesThatCannotBeReadOrWrittenFailClearlyAndLeaveNothingBehind) {
  ASSERT_EQ(mkdir(Path("folder").c_str(), 0700), 0);
  const std::string missing = Path("missing.bin");
  EXPECT_EQ(memory->DownloadFile(platform::Bstr(missing).get(), platform::Bstr("INT:\\x").get()),
            kFileNotFound);
  EXPECT_EQ(TakeErrorDescription(), "Tevra: File not found.\r\nDownloadFile, parameter Source: '" +
                                        missing + "': No such file or directory");
  d.ExpectWire("");

  struct Case {
    std::string destination;
    const char* reply;  // null: refused before the query
    HRESULT status;
    std::string description;
  };
  const Case cases[] = {
      {Path("none/in.bin"), nullptr, kCannotOpenFile,
       "Tevra: Cannot open file.\r\nUploadFile, parameter DestinationFile: '" +
           Path("none/in.bin") + "': No such file or directory"},
      // A folder in the way: the file arrives, but cannot take the folder's place.
      {Path("folder"), "#13abc\n", kErrorWritingFile,
       "Tevra: Error writing file.\r\n'" + Path("folder") + "': Is a directory"},
      {Path("in.bin"), "no block\n", kUnexpectedResponse,
       "Tevra: Unexpected response from the instrument.\r\nBinary block header not found."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.destination);
    if (c.reply) d.fake.On("MMEM:UPL? \"INT:\\x\"").Reply(c.reply).Times(1);
    EXPECT_EQ(
        memory->UploadFile(platform::Bstr("INT:\\x").get(), platform::Bstr(c.destination).get()),
        c.status);
    EXPECT_EQ(TakeErrorDescription(), c.description);
    d.ExpectWire(c.reply ? "MMEM:UPL? \"INT:\\x\"\n" : "");
    EXPECT_EQ(Listing(dir_), std::vector<std::string>{"folder"});
    EXPECT_TRUE(Listing(Path("folder")).empty());
  }
}

// A learn string holds line feeds: only a read with termination-character detection off takes
// it whole. Detection is as it was afterwards, also when the read times out.
TEST_F(Memory, TheLearnStringIsReadWholeAndWrittenBackUnchanged) {
  const bool detecting = TerminationCharacterEnabled();
  const std::string state = RandomBytes(50000);
  d.fake.On("*LRN?").Reply(state + "\n").Times(1);
  SAFEARRAY* data = nullptr;
  ASSERT_EQ(memory->GetState(&data), S_OK) << TakeErrorDescription();
  const platform::SafeArrayPtr owned(data);
  ASSERT_EQ(data->rgsabound[0].cElements, state.size());
  EXPECT_TRUE(std::string(static_cast<const char*>(data->pvData), state.size()) == state);
  EXPECT_EQ(TerminationCharacterEnabled(), detecting);
  EXPECT_EQ(memory->PutState(data), S_OK) << TakeErrorDescription();
  d.ExpectWire("*LRN?\n" + state + "\n");

  // A block ends where its header says, well before the timeout of a transport without END.
  d.SetTimeout(300);
  d.fake.On("*LRN?").Reply("#15\nA\nB\n\n").Times(1);
  ASSERT_EQ(memory->GetState(&data), S_OK) << TakeErrorDescription();
  const platform::SafeArrayPtr block(data);
  EXPECT_EQ(std::string(static_cast<const char*>(data->pvData), data->rgsabound[0].cElements),
            "#15\nA\nB\n");
  d.ExpectWire("*LRN?\n");

  d.fake.On("*LRN?").NoReply();
  SAFEARRAY* none = nullptr;
  EXPECT_EQ(memory->GetState(&none), kIoTimeout);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(TerminationCharacterEnabled(), detecting);
  d.ExpectWire("*LRN?\n");
}

TEST_F(Memory, PutStateRefusesAnythingButBytesBeforeAnyIo) {
  const platform::SafeArrayPtr empty(TevraSafeArrayCreateVector(VT_UI1, 0, 0));
  const platform::SafeArrayPtr doubles(TevraSafeArrayCreateVector(VT_R8, 0, 3));
  const std::pair<SAFEARRAY*, const char*> cases[] = {
      {nullptr, "no array"},
      {empty.get(), "an empty array"},
      {doubles.get(), "an array that is not a vector of bytes"}};
  for (const auto& [data, shown] : cases) {
    EXPECT_EQ(memory->PutState(data), kInvalidValue);
    EXPECT_EQ(TakeErrorDescription(),
              std::string("Tevra: Invalid value '") + shown +
                  "' for method 'PutState', parameter 'Data'.\r\nThe learn string is a non-empty "
                  "vector of bytes.");
  }
  d.ExpectWire("");
}

using Catalog = HRESULT (ITevraMemory::*)(BSTR, double*, double*, SAFEARRAY**, double*);

struct Listed {
  HRESULT status;
  double used = 0, free = 0, count = 0;
  std::vector<std::string> files;
};

Listed List(ITevraMemory* memory, Catalog catalog) {
  Listed l;
  SAFEARRAY* files = nullptr;
  l.status = (memory->*catalog)(platform::Bstr("INT:\\").get(), &l.used, &l.free, &files, &l.count);
  const platform::SafeArrayPtr owned(files);
  if (files)
    for (ULONG i = 0; i < files->rgsabound[0].cElements; ++i)
      l.files.push_back(platform::BstrToUtf8(static_cast<BSTR*>(files->pvData)[i]));
  return l;
}

TEST_F(Memory, ListingsAreParsedIntoUsedFreeAndOneEntryPerFile) {
  struct Case {
    Catalog catalog;
    const char* query;
    const char* reply;
    Listed expected;
  };
  const Case cases[] = {
      {&ITevraMemory::GetCatalog,
       "MMEM:CAT? \"INT:\\\"",
       "+1024,+4.0E+09,\"A.STA,STAT,512\", \"B.CSV,ASC,512\"\n",
       {S_OK, 1024, 4e9, 2, {"A.STA,STAT,512", "B.CSV,ASC,512"}}},
      {&ITevraMemory::DataCatalog,
       "MMEM:CAT:DATA? \"INT:\\\"",
       "+0,+4000\n",
       {S_OK, 0, 4000, 0, {}}},
      {&ITevraMemory::CatalogState,
       "MMEM:CAT:STAT? \"INT:\\\"",
       "+0,+1,\"A,B,1\"junk\n",
       {kUnexpectedResponse, 0, 0, 0, {}}},
      {&ITevraMemory::GetCatalog,
       "MMEM:CAT? \"INT:\\\"",
       "+0,lots\n",
       {kUnexpectedResponse, 0, 0, 0, {}}},
      {&ITevraMemory::GetCatalog,
       "MMEM:CAT? \"INT:\\\"",
       "+0,+1,\"A,B,1\n",
       {kUnexpectedResponse, 0, 0, 0, {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    d.fake.On(c.query).Reply(c.reply).Times(1);
    const Listed l = List(memory, c.catalog);
    EXPECT_EQ(l.status, c.expected.status) << TakeErrorDescription();
    EXPECT_EQ(l.used, c.expected.used);
    EXPECT_EQ(l.free, c.expected.free);
    EXPECT_EQ(l.count, c.expected.count);
    EXPECT_EQ(l.files, c.expected.files);
    d.ExpectWire(std::string(c.query) + "\n");
  }

  CounterDriver s;
  s.Simulate("QX1300");
  const Listed simulated = List(s.Get<ITevraMemory>(IID_ITevraMemory), &ITevraMemory::GetCatalog);
  EXPECT_EQ(simulated.status, S_OK);
  EXPECT_EQ(simulated.used, 0);
  EXPECT_EQ(simulated.free, 4.0e9);
  EXPECT_EQ(simulated.count, 1);
  EXPECT_EQ(simulated.files, std::vector<std::string>{"Filename,Type,0"});
}

// A reply slower than the session's timeout still arrives; the session's timeout is its own again
// after the listing, also after one that failed.
TEST_F(Memory, AListingWaitsAtLeastTenSecondsAndPutsTheTimeoutBack) {
  d.SetTimeout(300);
  d.fake.On("MMEM:CAT? \"INT:\\\"").Reply("+0,+1\n").After(Milliseconds(700)).Times(1);
  EXPECT_EQ(List(memory, &ITevraMemory::GetCatalog).status, S_OK) << TakeErrorDescription();
  std::int32_t timeout = 0;
  EXPECT_EQ(d.session->GetTimeout(timeout), S_OK);
  EXPECT_EQ(timeout, 300);
  d.fake.On("MMEM:CAT? \"INT:\\\"").Disconnect();
  EXPECT_TRUE(FAILED(List(memory, &ITevraMemory::GetCatalog).status));
  EXPECT_EQ(d.session->GetTimeout(timeout), S_OK);
  EXPECT_EQ(timeout, 300);
}

}  // namespace
}  // namespace tevra::testing
