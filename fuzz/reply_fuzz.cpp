// Feeds arbitrary instrument replies, served in small chunks, to the scanner with the response
// formats the driver uses (numbers, lists, strings, error-query replies, enumerations and a
// definite-length block). Checks that only the documented statuses come back, that counts
// stored back never exceed what was asked for, and that a list of readings reads the same in
// chunks as in one piece.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/CallContext.h"
#include "core/ErrorReporter.h"
#include "io/FormattedInput.h"
#include "io/InstrBuffer.h"
#include "platform/SafeArray.h"

#include "MemoryLowLevelIo.h"
#include "Require.h"

using tevra::fuzz::Require;

namespace {

using namespace tevra;

class Formatter final : public core::IEnumFormatter {
 public:
  HRESULT Parse(std::string_view, std::string_view word, std::int32_t& value) override {
    if (word == "AC") return value = 1, S_OK;
    if (word == "DC") return value = 2, S_OK;
    return static_cast<HRESULT>(0x80047059);
  }
};

bool Documented(HRESULT hr) {
  return hr == S_OK || hr == E_UNEXPECTED || hr == E_INVALIDARG ||
         hr == io::testing::kReadTimeout || hr == static_cast<HRESULT>(0x80047059) ||
         hr == static_cast<HRESULT>(0x80047056);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  core::CallContextStack calls;
  core::CErrorReporter reporter("Tevra.Tevra.1", calls);
  Formatter enums;
  io::testing::MemoryLowLevelIo io;  // serves the reply in chunks
  io.chunk = 1 + data[0] % 64;
  io.stopAtLineFeed = data[1] & 1;
  const std::string reply(reinterpret_cast<const char*>(data) + 2, size - 2);
  auto buffer = io::CInstrBuffer::Create(io, reporter);
  buffer->SetByteSwap(data[1] & 2);

  const auto serve = [&] {
    io.responses.clear();
    if (!reply.empty()) io.responses.push_back(reply);  // none: the read times out
  };
  auto run = [&](std::string_view format, auto&&... args) {
    buffer->DiscardRead();
    serve();
    const HRESULT hr = io::Scan(*buffer, reporter, &enums, format, args...);
    Require(Documented(hr), "only the documented statuses");
    return hr;
  };

  std::int32_t i32 = 0;
  std::int16_t i16 = 0;
  double d = 0;
  float f = 0;
  std::string text;
  run("%d", &i32);
  run("%hd,%lf", &i16, &d);
  // A real reads as strtod reads it, bit for bit, whatever the chunks (strtod's hexadecimal and
  // "nan(...)" forms are not instrument replies and are left out).
  if (run("%le", &d) == S_OK) {
    const std::string text(reply.c_str());
    char* end = nullptr;
    const double expected = std::strtod(text.c_str(), &end);
    const std::string_view taken(text.c_str(), static_cast<std::size_t>(end - text.c_str()));
    if (taken.find_first_of("xX(") == std::string_view::npos && !std::isnan(expected))
      Require(std::memcmp(&d, &expected, sizeof d) == 0, "a real reads as strtod reads it");
  }
  run("%f", &f);
  run("%@Hd", &i32);
  run("%d,%$Ct", &i32, &text);
  run("%$Cs %$CT", &text, &text);
  run("%[^,],%*d", std::span<char>(reinterpret_cast<char*>(&d), sizeof d));
  run("%{Coupling}s", &i32);

  double values[16];
  std::int32_t count = 16;
  run("%,#lf", &count, std::span<double>(values));
  Require(count >= 0 && count <= 16, "a list count stays within what was asked");
  std::vector<double> list;
  run("%(,;)lf", &list);
  // A list of readings parsed as its chunks arrive reads as the whole reply read in one piece.
  SAFEARRAY* chunked = nullptr;
  const HRESULT chunkedStatus = run("%,$Slg", &chunked);
  const std::size_t chunk = io.chunk;
  io.chunk = reply.size();
  SAFEARRAY* whole = nullptr;
  const HRESULT wholeStatus = run("%,$Slg", &whole);
  io.chunk = chunk;
  Require(chunkedStatus == wholeStatus, "a list's status does not depend on its chunks");
  Require(!chunked == !whole, "a list's array does not depend on its chunks");
  if (chunked && whole) {
    Require(chunked->rgsabound[0].cElements == whole->rgsabound[0].cElements &&
                std::memcmp(chunked->pvData, whole->pvData,
                            chunked->rgsabound[0].cElements * sizeof(double)) == 0,
            "a list's readings do not depend on its chunks");
  }
  TevraSafeArrayDestroy(chunked);
  TevraSafeArrayDestroy(whole);
  std::vector<std::string> words;
  run("%,$Cqs", &words);
  count = 16;
  run("%#Zb", &count, std::span<double>(values));
  Require(count >= 0 && count <= 16, "a block count stays within the destination");
  std::size_t read = 0;
  buffer->DiscardRead();
  serve();
  const HRESULT hr = io::ReadDefiniteBlock(
      *buffer, reporter,
      std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(values), sizeof values), 8,
      {.skipToHeader = true, .discardRest = true}, read);
  Require(Documented(hr), "only the documented statuses of a typed block read");
  Require(read <= 16, "a typed block read stays within the destination");
  return 0;
}
