#include "state/EnumFormatter.h"

#include <optional>
#include <string>

#include "core/Options.h"
#include "state/EnumMaps.h"

namespace tevra::state {
namespace {

const core::MethodRecord* Running(const core::ICallContextProvider& calls) {
  const core::CallFrame* top = calls.TopCallContext();
  return top ? top->method : nullptr;
}

// A reply word may be as long as the reply: the message quotes an excerpt of it.
std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  core::AppendExcerpt(quoted, text);
  quoted += '\'';
  return quoted;
}

std::string UnrecognizedEnumName(std::string_view typeName) {
  return "Unrecognized enum name " + Quoted(typeName) + ".";
}

}  // namespace

HRESULT FormatEnum(const EnumScope& scope, std::string_view typeName, std::int32_t value,
                   std::string_view& word) {
  const std::optional<CEnumCommandConverter> converter =
      FindEnumConverter(typeName, Running(scope.calls));
  if (!converter)
    return scope.reporter.ReportElaborated(core::Code::UnrecoverableFailure,
                                           UnrecognizedEnumName(typeName));
  if (!converter->ToCommand(scope.family, value, word))
    return scope.reporter.ReportInvalidValueIntHere("nVal", value, "%d");
  return S_OK;
}

HRESULT ParseEnum(const EnumScope& scope, std::string_view typeName, std::string_view word,
                  std::int32_t& value) {
  const std::optional<CEnumCommandConverter> converter =
      FindEnumConverter(typeName, Running(scope.calls));
  if (!converter)
    return scope.reporter.ReportElaborated(core::Code::UnrecoverableFailure,
                                           UnrecognizedEnumName(typeName));
  const std::string_view trimmed = core::Trim(word);
  if (!converter->FromCommand(scope.family, trimmed, value)) {
    return scope.reporter.ReportElaborated(
        core::Code::UnexpectedResponse,
        "Unexpected value " + Quoted(trimmed) + " for enum " + Quoted(typeName) + ".");
  }
  return S_OK;
}

bool TryParseEnum(const EnumScope& scope, std::string_view typeName, std::string_view word,
                  std::int32_t& value) {
  const std::optional<CEnumCommandConverter> converter =
      FindEnumConverter(typeName, Running(scope.calls));
  return converter && converter->FromCommand(scope.family, core::Trim(word), value);
}

HRESULT ParseBooleanResponse(const EnumScope& scope, std::string_view reply, VARIANT_BOOL& value) {
  // Only the message terminator is dropped: the leading blank of " ON" is part of the word.
  while (!reply.empty() && (reply.back() == '\n' || reply.back() == '\r')) reply.remove_suffix(1);

  const core::MethodRecord* running = Running(scope.calls);
  const std::optional<CEnumCommandConverter> converter =
      FindEnumConverter(kBooleanTypeName, running);
  std::int32_t parsed = 0;
  if (converter && converter->FromCommand(scope.family, reply, parsed)) {
    value = parsed != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  // The member as "Interface.Member", its accessors' "get_" and "put_" left out.
  std::string contextName;
  if (running) {
    std::string_view member = running->methodName ? running->methodName : "";
    if (member.starts_with("get_") || member.starts_with("put_")) member.remove_prefix(4);
    contextName = running->interfaceName ? running->interfaceName : "";
    if (!member.empty()) (contextName += '.') += member;
  }
  return scope.reporter.ReportElaborated(
      core::Code::UnexpectedResponse,
      "Method " + contextName + " received unrecognized string " + Quoted(reply) + ".");
}

}  // namespace tevra::state
