#include "counter/Memory.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/TextUtil.h"
#include "counter/PartsGroup.h"
#include "counter/Property.h"
#include "platform/SafeArray.h"

namespace tevra::counter {
namespace {

using core::In;
using core::Out;

// A folder's listing comes slowly: the session timeout is raised to at least this for its query
// and put back afterwards, also when the query fails.
constexpr std::int32_t kCatalogTimeoutFloor = 10000;
// What a simulated instrument lists for every folder.
constexpr std::string_view kSimulatedCatalog = "0,4.0E9,\"Filename,Type,0\"";
// The most of a learn string read: the rest of a longer one is dropped with the reply.
constexpr std::size_t kLearnStringLimit = 50000;

// A number of the listing, blanks around it allowed.
bool ParseNumber(std::string_view field, double& value) {
  field = core::Trim(field);
  if (field.starts_with('+')) field.remove_prefix(1);
  if (field.empty()) return false;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  return error == std::errc() && end == field.data() + field.size();
}

struct Listing {
  double used = 0;
  double free = 0;
  std::vector<std::string_view> entries;  // inside the reply, without their quotes
};

// "<used>,<free>" then, after a comma, every file as "\"name,type,size\"", the files separated by
// commas. False for anything else.
bool ParseListing(std::string_view reply, Listing& listing) {
  reply = core::Trim(reply);
  std::size_t comma = reply.find(',');
  if (comma == std::string_view::npos || !ParseNumber(reply.substr(0, comma), listing.used))
    return false;
  std::string_view rest = reply.substr(comma + 1);
  comma = rest.find(',');
  if (!ParseNumber(rest.substr(0, comma), listing.free)) return false;
  if (comma == std::string_view::npos) return true;
  rest = core::Trim(rest.substr(comma + 1));
  while (!rest.empty()) {
    if (rest.front() != '"') return false;
    const std::size_t close = rest.find('"', 1);
    if (close == std::string_view::npos) return false;
    listing.entries.push_back(rest.substr(1, close - 1));
    rest = core::Trim(rest.substr(close + 1));
    if (rest.empty()) break;
    if (rest.front() != ',') return false;
    rest = core::Trim(rest.substr(1));
    if (rest.empty()) return false;  // a comma with no file after it
  }
  return true;
}

// A new array of the listing's entries as strings.
HRESULT NewFileList(Tevra& driver, const Listing& listing, SAFEARRAY** list) {
  platform::SafeArrayPtr array(
      TevraSafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(listing.entries.size())));
  if (!array.get()) return driver.Reporter().Report(Code::OutOfMemory);
  BSTR* names = static_cast<BSTR*>(array.get()->pvData);
  for (std::size_t i = 0; i < listing.entries.size(); ++i) {
    names[i] = platform::AllocBstr(listing.entries[i]);
    if (!names[i]) return driver.Reporter().Report(Code::OutOfMemory);
  }
  *list = array.release();
  return S_OK;
}

// The reply shown in a message, cut to a readable length.
std::string Excerpt(std::string_view reply) {
  constexpr std::size_t kShown = 80;
  return reply.size() <= kShown ? std::string(reply) : std::string(reply.substr(0, kShown)) + "...";
}

// Switches the session's termination-character detection off for its life, when it was on, and
// back on at its end, whatever happened in between.
class TerminationCharacterOff {
 public:
  explicit TerminationCharacterOff(core::IIoSession& io) : io_(io) {
    bool enabled = false;
    status_ = io_.GetTerminationCharacterEnabled(enabled);
    if (SUCCEEDED(status_) && enabled) {
      status_ = io_.SetTerminationCharacterEnabled(false);
      restore_ = SUCCEEDED(status_);
    }
  }
  ~TerminationCharacterOff() {
    if (restore_) io_.SetTerminationCharacterEnabled(true);
  }
  TerminationCharacterOff(const TerminationCharacterOff&) = delete;
  TerminationCharacterOff& operator=(const TerminationCharacterOff&) = delete;
  HRESULT Status() const { return status_; }

 private:
  core::IIoSession& io_;
  HRESULT status_ = S_OK;
  bool restore_ = false;
};

// Reads up to bytes' end from at on; count grows by what was read.
HRESULT ReadFrom(core::IIoSession& io, std::vector<std::uint8_t>& bytes, std::size_t at,
                 std::size_t& count) {
  std::size_t got = 0;
  const HRESULT hr =
      io.LowLevelReadNoPoll(std::span(bytes).subspan(at), got, core::kDefaultTimeout);
  count += got;
  return hr;
}

// The length of a learn string sent as a definite-length block ("#<n><length><bytes>"), read
// from its header; 0 when the first bytes are no such header.
std::size_t BlockLength(std::span<const std::uint8_t> header) {
  if (header.size() < 2 || header[0] != '#' || header[1] < '1' || header[1] > '9') return 0;
  const std::size_t digits = header[1] - '0';
  if (header.size() < 2 + digits) return 0;
  std::size_t length = 0;
  const auto* first = reinterpret_cast<const char*>(header.data()) + 2;
  const auto [end, error] = std::from_chars(first, first + digits, length);
  return error == std::errc() && end == first + digits ? 2 + digits + length : 0;
}

// Sends the learn query and reads its reply as it comes, bytes that equal the termination
// character included: the read ends with the message (END), at the end of a definite-length block
// (the only end a transport without an end-of-message marker shows) or at the limit.
HRESULT ReadLearnString(core::IIoSession& io, std::string_view command,
                        std::vector<std::uint8_t>& bytes) {
  if (HRESULT hr = io.DiscardRead(core::kDefaultTimeout); FAILED(hr)) return hr;
  if (HRESULT hr = io.LowLevelWriteStringNoPoll(command, core::kDefaultTimeout); FAILED(hr))
    return hr;
  const TerminationCharacterOff detectionOff(io);
  if (FAILED(detectionOff.Status())) return detectionOff.Status();
  std::size_t count = 0;
  bytes.resize(2);
  HRESULT hr = ReadFrom(io, bytes, 0, count);
  if (hr == core::kResultMoreData && count == 2 && bytes[0] == '#' && bytes[1] > '0' &&
      bytes[1] <= '9') {
    bytes.resize(2 + static_cast<std::size_t>(bytes[1] - '0'));
    hr = ReadFrom(io, bytes, count, count);
    const std::size_t block = count == bytes.size() ? BlockLength(bytes) : 0;
    if (hr == core::kResultMoreData && block > count) {
      bytes.resize(std::min(block, kLearnStringLimit));
      hr = ReadFrom(io, bytes, count, count);
    }
  } else if (hr == core::kResultMoreData && count == 2) {
    bytes.resize(kLearnStringLimit);
    hr = ReadFrom(io, bytes, count, count);
  }
  if (FAILED(hr)) return hr;
  bytes.resize(count);
  return S_OK;
}

// The bytes of a learn string handed back, or the text the refusal of anything else shows.
bool LearnStringBytes(const SAFEARRAY* data, std::string_view& bytes, std::string& refused) {
  constexpr VARTYPE kBytes[] = {VT_UI1};
  void* first = nullptr;
  std::size_t count = 0;
  if (!data) {
    refused = "no array";
  } else if (!platform::ViewVector(data, kBytes, first, count)) {
    refused = "an array that is not a vector of bytes";
  } else if (count == 0) {
    refused = "an empty array";
  } else {
    bytes = std::string_view(static_cast<const char*>(first), count);
    return true;
  }
  return false;
}

}  // namespace

#define TEVRA_ROWS "counter/members/ITevraMemory.def"
#define TEVRA_CLASS MemoryInterface
#define TEVRA_NODE d_
#include "counter/DefineAccessors.inc"

// The three listings differ only in their query.
HRESULT MemoryInterface::Catalog(const Method& row, BSTR Folder, double* MemoryUsed,
                                 double* MemoryFree, SAFEARRAY** FileList, double* FileCount) {
  return d_.Enter(
      row.record,
      [&](core::CallFrame& frame) -> HRESULT {
        std::string reply(kSimulatedCatalog);
        if (!d_.Simulating()) {
          core::IIoSession& io = d_.Io();
          std::int32_t timeout = core::kDefaultTimeout;
          if (HRESULT hr = TimeoutAtLeast(io, kCatalogTimeoutFloor, timeout); FAILED(hr)) return hr;
          reply.clear();
          if (HRESULT hr = io.QueryString(frame.command, reply, timeout); FAILED(hr)) return hr;
        }
        Listing listing;
        if (!ParseListing(reply, listing))
          return d_.Reporter().ReportElaborated(
              Code::UnexpectedResponse,
              "The listing '" + Excerpt(reply) +
                  "' is not the memory used, the memory free and a quoted entry per file.");
        if (HRESULT hr = NewFileList(d_, listing, FileList); FAILED(hr)) return hr;
        *MemoryUsed = listing.used;
        *MemoryFree = listing.free;
        *FileCount = static_cast<double>(listing.entries.size());
        return S_OK;
      },
      In("Folder", Folder), Out("MemoryUsed", MemoryUsed), Out("MemoryFree", MemoryFree),
      Out("FileList", FileList), Out("FileCount", FileCount));
}

HRESULT MemoryInterface::GetCatalog(BSTR Folder, double* MemoryUsed, double* MemoryFree,
                                    SAFEARRAY** FileList, double* FileCount) {
  return Catalog(rows::ITevraMemory_GetCatalog, Folder, MemoryUsed, MemoryFree, FileList,
                 FileCount);
}

HRESULT MemoryInterface::DataCatalog(BSTR Folder, double* MemoryUsed, double* MemoryFree,
                                     SAFEARRAY** FileList, double* FileCount) {
  return Catalog(rows::ITevraMemory_DataCatalog, Folder, MemoryUsed, MemoryFree, FileList,
                 FileCount);
}

HRESULT MemoryInterface::CatalogState(BSTR Folder, double* MemoryUsed, double* MemoryFree,
                                      SAFEARRAY** FileList, double* FileCount) {
  return Catalog(rows::ITevraMemory_CatalogState, Folder, MemoryUsed, MemoryFree, FileList,
                 FileCount);
}

// A simulated instrument has no learn string: Data stays without an array.
HRESULT MemoryInterface::GetState(SAFEARRAY** Data) {
  return d_.Enter(
      rows::ITevraMemory_GetState.record,
      [&](core::CallFrame& frame) -> HRESULT {
        if (d_.Simulating()) return S_OK;
        core::IIoSession& io = d_.Io();
        std::vector<std::uint8_t> bytes;
        if (HRESULT hr = ReadLearnString(io, frame.command, bytes); FAILED(hr)) return hr;
        if (HRESULT hr = io.PollInstrumentErrors(); FAILED(hr)) return hr;
        return GiveBytes(d_, bytes, Data);
      },
      Out("Data", Data));
}

// The learn string is itself the program message that restores the settings: its bytes go back
// as they are, as one message.
HRESULT MemoryInterface::PutState(SAFEARRAY* Data) {
  return d_.Enter(
      rows::ITevraMemory_PutState.record,
      [&]() -> HRESULT {
        std::string_view bytes;
        std::string refused;
        if (!LearnStringBytes(Data, bytes, refused))
          return d_.Reporter().ReportInvalidValueText(
              "PutState", "Data", refused, "The learn string is a non-empty vector of bytes.");
        if (d_.Simulating()) return S_OK;
        return d_.Io().WriteString(bytes, true, core::kDefaultTimeout);
      },
      In("Data", Data));
}

std::unique_ptr<InterfaceGroup> CreateMemoryGroup(Tevra& driver) {
  return std::make_unique<PartsGroup<MemoryInterface>>(driver);
}

}  // namespace tevra::counter
