// What every C function uses to reach the driver object of its session and to turn the object's
// result into a C status: the session's driver lookup, the result conversion with the session
// error, the null-output text, and the text conversions (the caller's text is UTF-8).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/CSessions.h"
#include "platform/ComPtr.h"
#include "tevra/Tevra.h"
#include "tevra/TevraTypes.h"

namespace tevra::api {

inline constexpr ViStatus kCStatusFailure = static_cast<ViStatus>(0xBFFA0000u);
inline constexpr ViStatus kCStatusNullPointer = static_cast<ViStatus>(0xBFFA0058u);
inline constexpr ViStatus kCStatusOutOfMemory = static_cast<ViStatus>(0xBFFA0056u);
inline constexpr ViStatus kCStatusUnknownResult = static_cast<ViStatus>(0x80000000u);

// A C call's driver object: the session held (locked) for the whole call, and the driver object
// registered for it, borrowed without a reference of its own: while the hold lives, the session
// cannot be closed by another thread, so the registration's reference keeps the driver alive.
struct DriverHold {
  platform::SessionHold session;
  IUnknown* driver = nullptr;
};

// Holds the session and finds its driver object; an unknown handle gives the session table's
// status.
ViStatus GetDriver(ViSession vi, DriverHold& hold);

// 0 stays 0; any other result becomes its C status, and the thread's error description (when
// there is one) becomes the session's error with that status.
ViStatus ConvertResult(ViSession vi, HRESULT result);
ViStatus SetSessionError(ViSession vi, ViStatus status, std::string_view text);
// 0xBFFA0058 with "Parameter <name> is VI_NULL." as the session's error.
ViStatus NullParameter(ViSession vi, const char* name);
// The C status of running out of memory, with its message as the session's error.
ViStatus OutOfMemory(ViSession vi);

// The string-buffer rule on a UTF-16 text.
ViInt32 CopyText(BSTR text, ViInt32 size, ViChar* buffer);

// The string-buffer rule's count when a call's own status is 0.
inline ViStatus StatusOrCount(ViStatus status, ViInt32 count) {
  return status != 0 ? status : count;
}

}  // namespace tevra::api
