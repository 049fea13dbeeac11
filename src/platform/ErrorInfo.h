// The thread's error information: one record per thread, set by every reported failure and
// cleared by every entry point.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tevra/TevraTypes.h"

namespace tevra::platform {

struct ErrorRecord {
  std::string description;
  std::string source;
  GUID iid = GUID_NULL;
  std::string helpFile;
  std::uint32_t helpContext = 0;
};

// Replaces the thread's error information with a new object holding the record. Returns false
// (and leaves the thread without error information) when memory runs out.
bool SetThreadError(const ErrorRecord& record) noexcept;
// The same with only a description and a source, for failures outside a driver call.
bool SetThreadError(std::string_view description, std::string_view source) noexcept;
void ClearThreadError() noexcept;
bool HasThreadError() noexcept;
// The description of the thread's error information, empty when there is none; the
// information stays on the thread.
std::string PeekThreadErrorDescription();
// Takes the thread's error information off the thread, as TevraGetErrorInfo does. False when there
// was none.
bool TakeThreadError(ErrorRecord& out);

}  // namespace tevra::platform
