// The driver's enumeration formatter: the words of the enumeration tables for the method that is
// running and the family of the identified model, with the reports of words and values the
// tables do not know. The instrument class lends these to the formatted I/O engine.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/CallContext.h"
#include "core/ErrorReporter.h"
#include "tevra/TevraTypes.h"

namespace tevra::state {

// What a lookup needs from the driver: the running method, the model family, the reporter.
struct EnumScope {
  const core::ICallContextProvider& calls;
  std::string_view family;
  core::CTevraErrorReporter& reporter;
};

HRESULT FormatEnum(const EnumScope& scope, std::string_view typeName, std::int32_t value,
                   std::string_view& word);
// The word is trimmed of white space first.
HRESULT ParseEnum(const EnumScope& scope, std::string_view typeName, std::string_view word,
                  std::int32_t& value);
// The value of a reply word (trimmed first) in the running method's table, without a report: false
// when there is no table or the word is not in it. For replies whose unknown words are not
// failures.
bool TryParseEnum(const EnumScope& scope, std::string_view typeName, std::string_view word,
                  std::int32_t& value);
// A boolean setting's reply, read with the boolean words of the running method; an unknown reply
// is reported as an unexpected response.
HRESULT ParseBooleanResponse(const EnumScope& scope, std::string_view reply, VARIANT_BOOL& value);

}  // namespace tevra::state
