#include "io/CommandFormat.h"

#include <vector>

#include "io/FormattedOutput.h"

namespace tevra::io {
namespace {

// Methods have few arguments; more than this go through the heap.
constexpr std::size_t kInlineArguments = 12;

bool ToFormatArg(const core::Param& p, FormatArg& arg) {
  switch (p.type) {
    case core::ValueType::Bool:
      arg = FormatArg(static_cast<std::int32_t>(p.b));
      return true;
    case core::ValueType::UInt8:
      arg = FormatArg(p.u8);
      return true;
    case core::ValueType::Int16:
      arg = FormatArg(p.i16);
      return true;
    case core::ValueType::Int32:
      arg = FormatArg(p.i32);
      return true;
    case core::ValueType::Int64:
      arg = FormatArg(p.i64);
      return true;
    case core::ValueType::Float:
      arg = FormatArg(p.f);
      return true;
    case core::ValueType::Double:
      arg = FormatArg(p.d);
      return true;
    case core::ValueType::String:
      arg = FormatArg(p.str);
      return true;
    case core::ValueType::Interface:
    case core::ValueType::Array:
      return false;
  }
  return false;
}

}  // namespace

HRESULT FormatCommand(const char* commandTemplate, std::span<const core::Param> inputs,
                      std::string& command, core::IErrorReporter& reporter,
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
