#include "io/CommandFormat.h"

#include <vector>

#include "io/FormattedOutput.h"

namespace tevra::io {
namespace {

// Methods have few arguments; more than this go through the heap.
constexpr std::size_t kInlineArguments = 12;

bool ToFormatArg(const core::Param& p, FormatArg& arg) {
  return core::VisitValue(p.type, p.ValueAddress(), [&arg](auto tag, const auto& v) {
    constexpr core::ValueType t = decltype(tag)::value;
    if constexpr (t == core::ValueType::Interface || t == core::ValueType::Array)
      return false;
    else if constexpr (t == core::ValueType::Bool)
      arg = FormatArg(static_cast<std::int32_t>(v));
    else
      arg = FormatArg(v);
    return true;
  });
}

}  // namespace

HRESULT FormatCommand(const char* commandTemplate, std::span<const core::Param> inputs,
                      core::CommandText& command, core::IErrorReporter& reporter,
                      core::IEnumFormatter* enums) {
  (void)reporter;  // failures are reported where they are detected: by the buffer and enums
  command.clear();
  if (!commandTemplate) return E_POINTER;
  FormatArg inline_[kInlineArguments] = {FormatArg(0), FormatArg(0), FormatArg(0), FormatArg(0),
                                         FormatArg(0), FormatArg(0), FormatArg(0), FormatArg(0),
                                         FormatArg(0), FormatArg(0), FormatArg(0), FormatArg(0)};
  std::vector<FormatArg> heap;
  FormatArg* args = inline_;
  if (inputs.size() > kInlineArguments) {
    heap.assign(inputs.size(), FormatArg(0));
    args = heap.data();
  }
  std::size_t count = 0;
  for (const core::Param& p : inputs)
    if (p.dir == core::Dir::In && ToFormatArg(p, args[count])) ++count;
  return FormatToString(command, enums, commandTemplate, std::span<const FormatArg>(args, count));
}

}  // namespace tevra::io
