// The response scanner: a scanf-like reader with the reading forms of VISA formatted I/O
// (assignment suppression, counts taken from arguments, whole-message and up-to-terminator reads,
// character sets, lists with several accepted separators, IEEE 488.2 definite-length blocks).
// It reads the buffer's bytes in place and refills only when it reaches their end.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <type_traits>

#include "core/ErrorReporter.h"
#include "core/IIoSession.h"
#include "io/ArgNames.h"
#include "io/FormatTokens.h"
#include "io/IoBuffer.h"

namespace tevra::io {

// Reads from buffer as format says into args. A format position no specifier form matches, or a
// bad list separator, fails before anything is read (E_UNEXPECTED, E_INVALIDARG). Input that does
// not match a literal or has no number where one is due fails with E_UNEXPECTED; destinations
// that do not fit their specifier, and null "#" counts, with E_INVALIDARG. Values stored before a
// failure stay stored. Library failures are returned unchanged.
// With FormatCheck::AlreadyDone the format is only cut into tokens as it runs; a position no form
// matches still fails with E_UNEXPECTED, but after the tokens before it were processed.
HRESULT ScanInput(IIoBuffer& buffer, core::IErrorReporter& reporter, core::IEnumFormatter* enums,
                  std::string_view format, std::span<const ScanArg> args,
                  FormatCheck check = FormatCheck::First);
// The static check of a response format, as ScanInput makes it before reading.
HRESULT CheckInputFormat(std::string_view format);

template <class... Args>
requires(!(std::is_convertible_v<Args&&, std::span<const ScanArg>> || ...)) HRESULT
    Scan(IIoBuffer& buffer, core::IErrorReporter& reporter, core::IEnumFormatter* enums,
         std::string_view format, Args&&... args) {
  if constexpr (sizeof...(Args) == 0) {
    return ScanInput(buffer, reporter, enums, format, std::span<const ScanArg>{});
  } else {
    const ScanArg list[] = {ScanArg(args)...};
    return ScanInput(buffer, reporter, enums, format, std::span<const ScanArg>(list));
  }
}

// How a typed block read treats the bytes around the block.
struct BlockReadMode {
  bool skipToHeader = false;  // drop everything before "#"
  bool discardRest = false;   // drop the data beyond the destination and the byte after the block
};

// Reads an IEEE 488.2 definite-length block of elements of elementSize bytes into into (at most
// into.size() bytes), swapping each element when the buffer's byte-swap flag is set. A malformed
// header reports "Unexpected response from the instrument." with "Binary block header not
// found.".
HRESULT ReadDefiniteBlock(IIoBuffer& buffer, core::IErrorReporter& reporter,
                          std::span<std::uint8_t> into, std::size_t elementSize, BlockReadMode mode,
                          std::size_t& elementsRead);

}  // namespace tevra::io
