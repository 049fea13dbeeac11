// The trace file as a tree of XML elements, and the layout of one method record in it: the
// "Method" element with its "Parameter", "HRESULT" and "Execution" children.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/CallContext.h"
#include "core/ITraceLog.h"
#include "core/Param.h"

namespace tevra::api {

// The open trace file. Elements are written as they start and end, one per line, indented with
// one tab per enclosing element; a start tag stays open (without its ">") until a child starts
// or the element ends, so childless elements end in "/>". Every piece written with the buffered
// flag also goes into the record buffer while record buffering is on. Not thread-safe: the
// trace log serialises its use. A failed write is ignored; the document goes on.
class TraceDocument {
 public:
  TraceDocument() = default;
  ~TraceDocument();
  TraceDocument(const TraceDocument&) = delete;
  TraceDocument& operator=(const TraceDocument&) = delete;

  // Creates the file, replacing an existing one, with no element open. Returns the
  // operating-system error as a status when the file cannot be created.
  HRESULT Create(const std::string& path);
  bool IsOpen() const { return file_ != nullptr; }
  // Closes the file as it stands; open elements are not ended.
  void Close();

  void WriteText(std::string_view text, bool buffered);
  // Element names are static text: the document keeps a view of them until the element ends.
  void StartElement(std::string_view name, bool buffered);
  // Only while a start tag is open. The value is escaped, so the file stays well-formed XML
  // whatever the value holds.
  void AddAttribute(std::string_view name, std::string_view value);
  void EndElement(bool buffered);
  std::size_t Depth() const { return open_.size(); }

  // Flushes the file; false (with errno set) when that fails.
  bool Flush();
  // Bytes written to the file so far.
  long long Size() const;

  void SetRecordBuffering(bool on) { buffering_ = on; }
  bool RecordBuffering() const { return buffering_; }
  // The buffered text from its first "<" to the end; the buffer is emptied.
  std::string TakeRecord();

 private:
  struct OpenElement {
    std::string_view name;
    bool hasChildren;
  };
  void Put(std::string_view text, bool buffered);
  void PutIndent(std::size_t depth, bool buffered);

  std::FILE* file_ = nullptr;
  std::vector<OpenElement> open_;
  bool startTagOpen_ = false;
  bool tagBuffered_ = false;
  bool buffering_ = false;
  std::string record_;
};

// The start of a record: the open "Method" element with its attributes and the "Parameter"
// elements of the In and InOut arguments.
void WriteRecordStart(TraceDocument& doc, const core::MethodRecord& method,
                      std::span<const core::Param> params, std::uint64_t startTicks,
                      const core::TraceSettings& settings);
// The end of a record: the Out and InOut arguments (read now, through the caller's pointers),
// the "HRESULT" and "Execution" elements. The caller ends the "Method" element. On a failure
// status the thread's error information is taken off the thread for the "Message" attribute.
void WriteRecordEnd(TraceDocument& doc, std::span<const core::Param> params, HRESULT result,
                    double elapsedSeconds, const core::TraceSettings& settings);

// One "Parameter" element for an argument, scalar or array; E_UNEXPECTED for an unknown
// direction. Output values are read through the caller's pointer now.
HRESULT WriteParameter(TraceDocument& doc, const core::Param& param,
                       const core::TraceSettings& settings);
// One "Parameter" element for an array argument: its shape and element type ("NumDims" 0 for an
// absent array), and "Element" children for the first elements of a one-dimensional array when
// TraceArray is on.
HRESULT WriteArrayParameter(TraceDocument& doc, std::string_view name, core::Dir dir,
                            const SAFEARRAY* array, const core::TraceSettings& settings);

// The value and type texts of the trace file: of a scalar by its value type, of an array
// element by the array's variant type.
std::string ValueText(core::ValueType type, const void* value);
std::string_view DataTypeText(core::ValueType type);
std::string ElementText(VARTYPE vt, const void* value);
std::string_view ElementTypeText(VARTYPE vt);

}  // namespace tevra::api
