#include "api/MethodTrace.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>

#include "platform/Bstr.h"
#include "platform/ErrorInfo.h"
#include "platform/SafeArray.h"
#include "platform/ThreadId.h"

namespace tevra::api {
namespace {

using core::Dir;
using core::Param;
using core::ValueType;

template <class... A>
std::string Format(const char* format, A... args) {
  char text[64];
  const int n = std::snprintf(text, sizeof text, format, args...);
  return std::string(text, n < 0 ? 0 : std::min<std::size_t>(n, sizeof text - 1));
}

// The entity of a character an attribute value cannot hold as it is; empty for any other.
std::string_view EntityOf(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    case '\'':
      return "&apos;";
    default:
      return {};
  }
}

// One tab per enclosing element; deeper documents write the rest in pieces.
constexpr std::string_view kTabs = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";

std::string_view DirectionText(Dir dir) {
  switch (dir) {
    case Dir::In:
      return "In";
    case Dir::Out:
      return "Out";
    case Dir::InOut:
      return "InOut";
  }
  return {};
}

// Local time of day as hour:minute:second:millisecond, without leading zeros. The conversion to
// local time (which takes the C library's time-zone lock) runs once a second per thread.
std::string TimeOfDayText() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) %
                  std::chrono::seconds(1);
  thread_local std::time_t convertedSecond = -1;
  thread_local std::tm local{};
  if (seconds != convertedSecond) {
    localtime_r(&seconds, &local);
    convertedSecond = seconds;
  }
  return Format("%d:%d:%d:%d", local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(ms.count()));
}

}  // namespace

// --- TraceDocument --------------------------------------------------------------------------

TraceDocument::~TraceDocument() { Close(); }

HRESULT TraceDocument::Create(const std::string& path) {
  Close();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    // The operating-system error as a status, in the form of a converted system error code.
    return static_cast<HRESULT>(0x80070000u | (static_cast<unsigned>(errno) & 0xFFFFu));
  }
  // Records go out at save time, not whenever a small stdio buffer fills.
  std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
  file_ = file;
  open_.clear();
  startTagOpen_ = false;
  record_.clear();
  return S_OK;
}

void TraceDocument::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  open_.clear();
  startTagOpen_ = false;
}

// The log's lock serialises every use of the document, so the stream's own lock is not taken.
void TraceDocument::Put(std::string_view text, bool buffered) {
  if (file_) fwrite_unlocked(text.data(), 1, text.size(), file_);
  if (buffered && buffering_) record_ += text;
}

void TraceDocument::PutIndent(std::size_t depth, bool buffered) {
  for (; depth > kTabs.size(); depth -= kTabs.size()) Put(kTabs, buffered);
  Put(kTabs.substr(0, depth), buffered);
}

void TraceDocument::WriteText(std::string_view text, bool buffered) { Put(text, buffered); }

void TraceDocument::StartElement(std::string_view name, bool buffered) {
  if (startTagOpen_) {
    Put(">\r\n", buffered);
    open_.back().hasChildren = true;
  }
  PutIndent(open_.size(), buffered);
  Put("<", buffered);
  Put(name, buffered);
  open_.push_back({name, false});
  startTagOpen_ = true;
  tagBuffered_ = buffered;
}

void TraceDocument::AddAttribute(std::string_view name, std::string_view value) {
  if (!startTagOpen_) return;
  Put(" ", tagBuffered_);
  Put(name, tagBuffered_);
  Put("=\"", tagBuffered_);
  // Runs of plain characters go out whole, each character that needs it as its entity.
  std::size_t run = 0;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const std::string_view entity = EntityOf(value[i]);
    if (entity.empty()) continue;
    Put(value.substr(run, i - run), tagBuffered_);
    Put(entity, tagBuffered_);
    run = i + 1;
  }
  Put(value.substr(run), tagBuffered_);
  Put("\"", tagBuffered_);
}

void TraceDocument::EndElement(bool buffered) {
  if (open_.empty()) return;
  const OpenElement element = open_.back();
  open_.pop_back();
  startTagOpen_ = false;
  if (!element.hasChildren) {
    Put("/>\r\n", buffered);
    return;
  }
  PutIndent(open_.size(), buffered);
  Put("</", buffered);
  Put(element.name, buffered);
  Put(">\r\n", buffered);
}

bool TraceDocument::Flush() { return file_ && std::fflush(file_) == 0; }

long long TraceDocument::Size() const { return file_ ? ftello(file_) : 0; }

std::string TraceDocument::TakeRecord() {
  std::string text;
  const std::size_t first = record_.find('<');
  if (first != std::string::npos) text.assign(record_, first);
  record_.clear();
  return text;
}

// --- Value texts ----------------------------------------------------------------------------

std::string ValueText(ValueType type, const void* value) {
  if (!value) return "(null)";
  return core::VisitValue(type, value, [](auto tag, const auto& v) -> std::string {
    constexpr ValueType t = decltype(tag)::value;
    if constexpr (t == ValueType::Bool)
      return v ? "true" : "false";
    else if constexpr (t == ValueType::Int64)  // the low 32 bits, as a 32-bit integer
      return Format("%d", static_cast<int>(static_cast<std::uint32_t>(v & 0xFFFFFFFF)));
    else if constexpr (t == ValueType::Float || t == ValueType::Double)
      return Format("%.15g", static_cast<double>(v));
    else if constexpr (t == ValueType::String)
      return platform::BstrToUtf8(v);
    else if constexpr (t == ValueType::Interface)
      return "(interface)";
    else if constexpr (t == ValueType::Array)  // written by its shape and elements
      return "(unknown)";
    else
      return Format("%d", static_cast<int>(v));
  });
}

std::string_view DataTypeText(ValueType type) {
  const char* name = FactsOf(type).traceName;
  return name ? name : "(unknown)";
}

// Integers of every width are written with "%d"; unsigned 32-bit values above INT32_MAX come out
// negative, and 64-bit values as their low 32 bits, as for the scalars.
std::string ElementText(VARTYPE vt, const void* value) {
  if (!value) return "(null)";
  ValueType scalar;
  if (core::ScalarTypeOf(vt, scalar)) return ValueText(scalar, value);
  switch (vt) {
    case VT_I1:
      return Format("%d", static_cast<int>(*static_cast<const std::int8_t*>(value)));
    case VT_UI2:
      return Format("%d", static_cast<int>(*static_cast<const std::uint16_t*>(value)));
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
      return Format("%d", static_cast<int>(*static_cast<const std::uint32_t*>(value)));
    case VT_UI8:
      return Format("%d", static_cast<int>(static_cast<std::uint32_t>(
                              *static_cast<const std::uint64_t*>(value) & 0xFFFFFFFF)));
    default:
      return "(unknown)";
  }
}

// VT_INT and VT_UINT have no name of their own in the trace.
std::string_view ElementTypeText(VARTYPE vt) {
  ValueType scalar;
  if (core::ScalarTypeOf(vt, scalar)) return DataTypeText(scalar);
  switch (vt) {
    case VT_I1:
      return "Char";
    case VT_UI2:
      return "UInt16";
    case VT_UI4:
      return "UInt32";
    case VT_UI8:
      return "UInt64";
    default:
      return "(unknown)";
  }
}

// --- Records --------------------------------------------------------------------------------

namespace {
// Opens a parameter element with its name and direction; an unknown direction closes it again.
bool StartParameter(TraceDocument& doc, std::string_view name, Dir dir) {
  const std::string_view direction = DirectionText(dir);
  doc.StartElement("Parameter", true);
  doc.AddAttribute("Name", name);
  if (direction.empty()) {
    doc.EndElement(true);
    return false;
  }
  doc.AddAttribute("Direction", direction);
  return true;
}
}  // namespace

HRESULT WriteParameter(TraceDocument& doc, const Param& param,
                       const core::TraceSettings& settings) {
  const char* name = param.name ? param.name : "";
  if (param.type == ValueType::Array) {
    const SAFEARRAY* array =
        param.dir == Dir::In ? param.array : *static_cast<SAFEARRAY* const*>(param.ptr);
    return WriteArrayParameter(doc, name, param.dir, array, settings);
  }
  if (!StartParameter(doc, name, param.dir)) return E_UNEXPECTED;
  doc.AddAttribute("Value", ValueText(param.type, param.ValueAddress()));
  doc.AddAttribute("DataType", DataTypeText(param.type));
  doc.EndElement(true);
  return S_OK;
}

// An absent array has no dimensions and no element type to read: "NumDims" 0, an empty
// "DimSizes" and "(unknown)[]".
HRESULT WriteArrayParameter(TraceDocument& doc, std::string_view name, Dir dir,
                            const SAFEARRAY* array, const core::TraceSettings& settings) {
  if (!StartParameter(doc, name, dir)) return E_UNEXPECTED;
  const int dims = array ? array->cDims : 0;
  doc.AddAttribute("NumDims", Format("%d", dims));
  std::string sizes;
  for (int d = 0; d < dims; ++d) {
    if (d) sizes += ',';
    sizes += Format("%d", static_cast<int>(array->rgsabound[d].cElements));
  }
  doc.AddAttribute("DimSizes", sizes);
  VARTYPE vt = VT_EMPTY;
  if (array) TevraSafeArrayGetVartype(const_cast<SAFEARRAY*>(array), &vt);
  const std::string_view elementType = ElementTypeText(vt);
  doc.AddAttribute("DataType", std::string(elementType) + "[]");

  if (settings.array && dims == 1) {
    const std::size_t count = std::min<std::size_t>(
        array->rgsabound[0].cElements, std::max<std::int32_t>(0, settings.arraySizeMax));
    // A type without a known size is written as "(unknown)" without reading the data.
    const std::size_t stride = platform::ElementSizeOf(vt);
    const auto* bytes = static_cast<const unsigned char*>(array->pvData);
    for (std::size_t i = 0; i < count; ++i) {
      doc.StartElement("Element", true);
      doc.AddAttribute("Value", stride == 0
                                    ? std::string("(unknown)")
                                    : ElementText(vt, bytes ? bytes + i * stride : nullptr));
      doc.AddAttribute("DataType", elementType);
      doc.EndElement(true);
    }
  }
  doc.EndElement(true);
  return S_OK;
}

void WriteRecordStart(TraceDocument& doc, const core::MethodRecord& method,
                      std::span<const Param> params, std::uint64_t startTicks,
                      const core::TraceSettings& settings) {
  doc.StartElement("Method", true);
  doc.AddAttribute("Name", method.methodName);
  doc.AddAttribute("Interface", method.interfaceName);
  doc.AddAttribute("StartTime", TimeOfDayText());
  doc.AddAttribute("Thread", Format("%d", static_cast<int>(platform::ThisThreadId())));
  doc.AddAttribute("Timestamp", Format("%llu", static_cast<unsigned long long>(startTicks)));
  for (const Param& p : params)
    if (p.dir != Dir::Out) WriteParameter(doc, p, settings);
}

void WriteRecordEnd(TraceDocument& doc, std::span<const Param> params, HRESULT result,
                    double elapsedSeconds, const core::TraceSettings& settings) {
  for (const Param& p : params)
    if (p.dir != Dir::In) WriteParameter(doc, p, settings);

  doc.StartElement("HRESULT", true);
  doc.AddAttribute("Value", Format("0x%08X", static_cast<unsigned>(result)));
  if (FAILED(result)) {
    // Taken off the thread for the record and not put back: after a traced failure the caller
    // finds no error information on the thread.
    platform::ErrorRecord error;
    if (platform::TakeThreadError(error)) doc.AddAttribute("Message", error.description);
  }
  doc.EndElement(true);

  doc.StartElement("Execution", true);
  doc.AddAttribute("ExecutionTime", Format("%e", elapsedSeconds));
  doc.EndElement(true);
}

}  // namespace tevra::api
