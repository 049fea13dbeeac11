// The driver's codes 1..53 (no 46) and their statuses and texts on both faces, expanded from
// ErrorCodes.def so that nothing is kept in step by hand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "tevra/TevraTypes.h"

namespace tevra::core {

enum class Code : int {
#define TEVRA_ERROR(code, symbol, message, comStatus, cStatus, cMessage, hasHelp) symbol = code,
#include "core/ErrorCodes.def"
#undef TEVRA_ERROR
};

struct CodeInfo {
  int code;
  const char* symbol;
  const char* message;   // after the prefix "Tevra: ", with %1..%3 placeholders
  HRESULT comStatus;     // object interface
  std::int32_t cStatus;  // C interface
  const char* cMessage;  // C interface text for cStatus
  bool hasHelp;          // help file "Tevra.chm", context 3
};

inline constexpr const char* kHelpFile = "Tevra.chm";
inline constexpr std::uint32_t kHelpContext = 3;
inline constexpr const char* kMessagePrefix = "Tevra: ";

// Null for a number that is not a driver code.
const CodeInfo* FindCode(int code);
// The COM status of a code; E_UNEXPECTED for a number outside the table.
HRESULT ComStatusOf(int code);

// The message of a code with the prefix, %1..%3 replaced in order by args (a placeholder without
// an argument becomes empty), trimmed of white space at both ends. Empty for an unknown code.
std::string FormatCodeMessage(int code, std::initializer_list<std::string_view> args = {});

// Text from outside (an instrument's reply, a caller's option value) as a message shows it: a
// NUL byte as "\0", so that no reader of the message stops there, and at most limit bytes of it,
// then "...".
inline constexpr std::size_t kQuoteLimit = 256;
void AppendExcerpt(std::string& to, std::string_view text, std::size_t limit = kQuoteLimit);
std::string Excerpt(std::string_view text, std::size_t limit = kQuoteLimit);

// COM status -> C status: 0 stays 0, a status of the table gives its C status, anything else
// 0x80000000.
std::int32_t ToCStatus(HRESULT status);
// The C message of a C status: the table's, the C layer's five own entries, "Success." for 0;
// null for any other status.
const char* CMessageOf(std::int32_t cStatus);

// C statuses that have no driver code; the C attribute and session layers return them directly.
inline constexpr std::int32_t kCStatusAttributeNotSupported = static_cast<std::int32_t>(0xBFFA000C);
inline constexpr std::int32_t kCStatusInvalidType = static_cast<std::int32_t>(0xBFFA0015);
inline constexpr std::int32_t kCStatusAttributeNotWritable = static_cast<std::int32_t>(0xBFFA000D);
inline constexpr std::int32_t kCStatusAttributeNotReadable = static_cast<std::int32_t>(0xBFFA000E);
inline constexpr std::int32_t kCStatusInvalidSession = static_cast<std::int32_t>(0xBFFA1190);

}  // namespace tevra::core
