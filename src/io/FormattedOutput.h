// The command formatter: a printf-like writer with the instrument extensions of VISA formatted
// I/O (IEEE 488.2 numeric formats, lists, definite and indefinite blocks, raw binary) and the
// driver's own forms (enumeration words, counted wide and growable strings).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "core/CommandText.h"
#include "core/IIoSession.h"
#include "io/ArgNames.h"
#include "io/FormatTokens.h"
#include "io/IoBuffer.h"

namespace tevra::io {

// Formats into buffer. The whole format is checked first: a position no specifier form matches,
// a list or block without a count, fail with E_UNEXPECTED, a bad list separator with
// E_INVALIDARG, before anything is written. Then tokens are processed in order; the first
// failure stops the call and what was written stays in the buffer. A literal line feed is
// written with END. The formatter's own statuses (E_UNEXPECTED, E_INVALIDARG, E_POINTER) are
// returned without a report; failures of the buffer and of enums were reported where they
// happened.
// With FormatCheck::AlreadyDone each token is checked as it comes instead, so the format is
// tokenized once; only a format that was checked before may be given so.
HRESULT FormatOutput(IIoBuffer& buffer, core::IEnumFormatter* enums, std::string_view format,
                     std::span<const FormatArg> args, FormatCheck check = FormatCheck::First);
// The static check of a command format, as FormatOutput makes it before writing.
HRESULT CheckOutputFormat(std::string_view format);

// Appends the formatted text to target (through a writer over it), reading the
// format once.
HRESULT FormatToString(std::string& target, core::IEnumFormatter* enums, std::string_view format,
                       std::span<const FormatArg> args);

// The same into a command's text, which holds a command of usual length without the heap.
HRESULT FormatToString(core::CommandText& target, core::IEnumFormatter* enums,
                       std::string_view format, std::span<const FormatArg> args);

template <class... Args>
requires(!(std::is_convertible_v<const Args&, std::span<const FormatArg>> || ...)) HRESULT
    FormatToString(std::string& target, core::IEnumFormatter* enums, std::string_view format,
                   const Args&... args) {
  if constexpr (sizeof...(Args) == 0) {
    return FormatToString(target, enums, format, std::span<const FormatArg>{});
  } else {
    const FormatArg list[] = {FormatArg(args)...};
    return FormatToString(target, enums, format, std::span<const FormatArg>(list));
  }
}

}  // namespace tevra::io
