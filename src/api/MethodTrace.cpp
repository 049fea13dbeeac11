#include "api/MethodTrace.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>

#include "platform/Bstr.h"
#include "platform/ErrorInfo.h"

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

void AppendEscaped(std::string& out, std::string_view value) {
  for (const char c : value) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
}

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

std::size_t ElementSize(ValueType type) {
  switch (type) {
    case ValueType::Bool:
    case ValueType::Int16:
      return sizeof(std::int16_t);
    case ValueType::UInt8:
      return sizeof(std::uint8_t);
    case ValueType::Int32:
      return sizeof(std::int32_t);
    case ValueType::Int64:
      return sizeof(std::int64_t);
    case ValueType::Float:
      return sizeof(float);
    case ValueType::Double:
      return sizeof(double);
    case ValueType::String:
      return sizeof(BSTR);
    case ValueType::Interface:
      return sizeof(void*);
  }
  return 0;
}

// Where a scalar argument's value is: in the record for inputs, behind the caller's pointer for
// outputs (read at the time of writing).
const void* ValueAddress(const Param& p) {
  if (p.dir != Dir::In) return p.ptr;
  switch (p.type) {
    case ValueType::Bool:
      return &p.b;
    case ValueType::UInt8:
      return &p.u8;
    case ValueType::Int16:
      return &p.i16;
    case ValueType::Int32:
      return &p.i32;
    case ValueType::Int64:
      return &p.i64;
    case ValueType::Float:
      return &p.f;
    case ValueType::Double:
      return &p.d;
    case ValueType::String:
      return &p.str;
    case ValueType::Interface:
      return &p.ptr;
  }
  return nullptr;
}

// Local time of day as hour:minute:second:millisecond, without leading zeros.
std::string TimeOfDayText() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) %
                  std::chrono::seconds(1);
  std::tm local{};
  localtime_r(&seconds, &local);
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

void TraceDocument::Put(std::string_view text, bool buffered) {
  if (file_) std::fwrite(text.data(), 1, text.size(), file_);
  if (buffered && buffering_) record_ += text;
}

void TraceDocument::WriteText(std::string_view text, bool buffered) { Put(text, buffered); }

void TraceDocument::StartElement(std::string_view name, bool buffered) {
  if (startTagOpen_) {
    Put(">\r\n", buffered);
    open_.back().hasChildren = true;
  }
  std::string text(open_.size(), '\t');
  text += '<';
  text += name;
  Put(text, buffered);
  open_.push_back({name, false});
  startTagOpen_ = true;
  tagBuffered_ = buffered;
}

void TraceDocument::AddAttribute(std::string_view name, std::string_view value) {
  if (!startTagOpen_) return;
  std::string text;
  text.reserve(name.size() + value.size() + 4);
  text += ' ';
  text += name;
  text += "=\"";
  AppendEscaped(text, value);
  text += '"';
  Put(text, tagBuffered_);
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
  std::string text(open_.size(), '\t');
  text += "</";
  text += element.name;
  text += ">\r\n";
  Put(text, buffered);
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
  switch (type) {
    case ValueType::Bool:
      return *static_cast<const VARIANT_BOOL*>(value) ? "true" : "false";
    case ValueType::UInt8:
      return Format("%d", static_cast<int>(*static_cast<const std::uint8_t*>(value)));
    case ValueType::Int16:
      return Format("%d", static_cast<int>(*static_cast<const std::int16_t*>(value)));
    case ValueType::Int32:
      return Format("%d", static_cast<int>(*static_cast<const std::int32_t*>(value)));
    case ValueType::Int64:  // the low 32 bits, as a 32-bit integer
      return Format("%d", static_cast<int>(static_cast<std::uint32_t>(
                              *static_cast<const std::int64_t*>(value) & 0xFFFFFFFF)));
    case ValueType::Float:
      return Format("%.15g", static_cast<double>(*static_cast<const float*>(value)));
    case ValueType::Double:
      return Format("%.15g", *static_cast<const double*>(value));
    case ValueType::String:
      return platform::BstrToUtf8(*static_cast<const OLECHAR* const*>(value));
    case ValueType::Interface:
      return "(interface)";
  }
  return "(unknown)";
}

std::string_view DataTypeText(ValueType type) {
  switch (type) {
    case ValueType::Bool:
      return "Boolean";
    case ValueType::UInt8:
      return "Byte";
    case ValueType::Int16:
      return "Int16";
    case ValueType::Int32:
      return "Int32";
    case ValueType::Int64:
      return "Int64";
    case ValueType::Float:
      return "Single";
    case ValueType::Double:
      return "Double";
    case ValueType::String:
      return "String";
    case ValueType::Interface:
      return "IUnknown";
  }
  return "(unknown)";
}

// --- Records --------------------------------------------------------------------------------

HRESULT WriteParameter(TraceDocument& doc, const Param& param) {
  const std::string_view direction = DirectionText(param.dir);
  doc.StartElement("Parameter", true);
  doc.AddAttribute("Name", param.name ? param.name : "");
  if (direction.empty()) {
    doc.EndElement(true);
    return E_UNEXPECTED;
  }
  doc.AddAttribute("Direction", direction);
  doc.AddAttribute("Value", ValueText(param.type, ValueAddress(param)));
  doc.AddAttribute("DataType", DataTypeText(param.type));
  doc.EndElement(true);
  return S_OK;
}

HRESULT WriteArrayParameter(TraceDocument& doc, std::string_view name, Dir dir,
                            const TraceArrayView& array, const core::TraceSettings& settings) {
  const std::string_view direction = DirectionText(dir);
  doc.StartElement("Parameter", true);
  doc.AddAttribute("Name", name);
  if (direction.empty()) {
    doc.EndElement(true);
    return E_UNEXPECTED;
  }
  doc.AddAttribute("Direction", direction);
  doc.AddAttribute("NumDims", Format("%d", static_cast<int>(array.dimSizes.size())));
  std::string sizes;
  for (std::size_t i = 0; i < array.dimSizes.size(); ++i) {
    if (i) sizes += ',';
    sizes += Format("%d", static_cast<int>(array.dimSizes[i]));
  }
  doc.AddAttribute("DimSizes", sizes);
  const std::string_view elementType = DataTypeText(array.elementType);
  doc.AddAttribute("DataType", std::string(elementType) + "[]");

  if (settings.array && array.dimSizes.size() == 1 && array.data) {
    const std::int32_t count =
        std::max(0, std::min(array.dimSizes[0], std::max(0, settings.arraySizeMax)));
    const auto* bytes = static_cast<const unsigned char*>(array.data);
    const std::size_t stride = ElementSize(array.elementType);
    for (std::int32_t i = 0; i < count; ++i) {
      doc.StartElement("Element", true);
      doc.AddAttribute("Value", ValueText(array.elementType, bytes + i * stride));
      doc.AddAttribute("DataType", elementType);
      doc.EndElement(true);
    }
  }
  doc.EndElement(true);
  return S_OK;
}

void WriteRecordStart(TraceDocument& doc, const core::MethodRecord& method,
                      std::span<const Param> params, std::uint64_t startTicks,
                      const core::TraceSettings&) {
  doc.StartElement("Method", true);
  doc.AddAttribute("Name", method.methodName);
  doc.AddAttribute("Interface", method.interfaceName);
  doc.AddAttribute("StartTime", TimeOfDayText());
  doc.AddAttribute("Thread", Format("%d", static_cast<int>(gettid())));
  doc.AddAttribute("Timestamp", Format("%llu", static_cast<unsigned long long>(startTicks)));
  for (const Param& p : params)
    if (p.dir != Dir::Out) WriteParameter(doc, p);
}

void WriteRecordEnd(TraceDocument& doc, std::span<const Param> params, HRESULT result,
                    double elapsedSeconds, const core::TraceSettings&) {
  for (const Param& p : params)
    if (p.dir != Dir::In) WriteParameter(doc, p);

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
