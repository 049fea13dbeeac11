// Feeds arbitrary format strings to the tokenizer (both directions) and to the command formatter
// with a fixed set of arguments of every kind, into a string and into an instrument buffer. Checks
// that tokens tile the format exactly, that only the documented statuses come back, and that a
// format the check refuses writes nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/CallContext.h"
#include "core/ErrorReporter.h"
#include "io/FormatTokens.h"
#include "io/FormattedOutput.h"
#include "io/InstrBuffer.h"
#include "platform/Bstr.h"
#include "platform/SafeArray.h"

#include "MemoryLowLevelIo.h"
#include "Require.h"

using tevra::fuzz::Require;

namespace {

using namespace tevra;

class WordFormatter final : public core::IEnumFormatter {
 public:
  HRESULT Format(std::string_view, std::int32_t value, std::string_view& word) override {
    if (value < 0) return static_cast<HRESULT>(0x80047010);
    word = value % 2 ? "ODD" : "EVEN";
    return S_OK;
  }
};

void CheckTokens(io::Direction direction, std::string_view format) {
  std::size_t pos = 0;
  io::FormatToken token;
  while (pos < format.size()) {
    const std::size_t before = pos;
    if (!io::NextFormatToken(direction, format, pos, token)) return;
    Require(pos > before && pos <= format.size(), "a token moves forward inside the format");
    Require(token.text == format.substr(before, pos - before), "a token's text is what it covers");
    Require(token.IsLiteral() || token.text.front() == '%', "a specifier starts with %");
  }
}

bool Documented(HRESULT hr) {
  return hr == S_OK || hr == E_UNEXPECTED || hr == E_INVALIDARG || hr == E_POINTER ||
         hr == static_cast<HRESULT>(0x80047010);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view format(reinterpret_cast<const char*>(data), size);
  CheckTokens(io::Direction::Output, format);
  CheckTokens(io::Direction::Input, format);

  static const std::int32_t ints[] = {1, -2, 3, 40000};
  static const double doubles[] = {1.5, -2.5e-300, 1e300, 0};
  static const char* const words[] = {"a", "b c"};
  static const platform::Bstr wide("w\xC3\xA9");
  static platform::SafeArrayPtr safe(TevraSafeArrayCreateVector(VT_I4, 0, 2));
  // Each argument kind twice, so that formats of several specifiers find something to format;
  // counts stay small so that no output grows without bound. The arrays go with their lengths:
  // a bare pointer leaves the count to the format, as the caller's promise, which a fuzzed
  // format does not keep.
  const io::FormatArg args[] = {3,
                                2.5,
                                "text",
                                static_cast<const OLECHAR*>(wide.get()),
                                std::span(ints),
                                std::span(doubles),
                                std::span<const char* const>(words),
                                safe.get(),
                                -7,
                                1e-3,
                                2,
                                1,
                                std::span(ints),
                                std::span(doubles)};

  WordFormatter enums;
  std::string out;
  const HRESULT hr = io::FormatToString(out, &enums, format, args);
  Require(Documented(hr), "only the documented statuses");
  if (hr == E_UNEXPECTED && out.empty()) return 0;

  core::CallContextStack calls;
  core::CErrorReporter reporter("Tevra.Tevra.1", calls);
  io::testing::MemoryLowLevelIo io;  // takes every write
  auto buffer = io::CInstrBuffer::Create(io, reporter);
  const HRESULT sent = io::FormatOutput(*buffer, &enums, format, args);
  Require(Documented(sent), "only the documented statuses through the buffer");
  buffer->FlushWrite(true);
  return 0;
}
