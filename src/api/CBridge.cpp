#include "api/CBridge.h"

#include <new>
#include <string>

#include "core/ErrorCodes.h"
#include "platform/Bstr.h"
#include "platform/CSessions.h"
#include "platform/ErrorInfo.h"
#include "platform/ObjectTable.h"

namespace tevra::api {

// There is no per-thread object system to start on this platform: the object table is
// process-wide and usable from any thread as it is.
ViStatus GetDriver(ViSession vi, DriverHold& hold) {
  // A failure before the object's own entry path runs must not pick up an older description.
  platform::ClearThreadError();
  if (const ViStatus status = platform::HoldSession(vi, hold.session)) return status;
  hold.driver =
      platform::PeekRegisteredObject(static_cast<platform::ObjectCookie>(hold.session.Data()));
  if (hold.driver) return 0;
  return SetSessionError(
      vi, kCStatusFailure,
      "Could not retrieve pointer to IVI-COM driver from global interface table.");
}

ViStatus ConvertResult(ViSession vi, HRESULT result) {
  if (result == 0) return 0;
  const ViStatus status = core::ToCStatus(result);
  platform::ErrorRecord error;
  if (platform::TakeThreadError(error)) platform::SetSessionError(vi, status, error.description);
  return status;
}

ViStatus SetSessionError(ViSession vi, ViStatus status, std::string_view text) {
  platform::SetSessionError(vi, status, text);
  return status;
}

ViStatus NullParameter(ViSession vi, const char* name) {
  try {
    return SetSessionError(vi, kCStatusNullPointer,
                           std::string("Parameter ").append(name).append(" is VI_NULL."));
  } catch (const std::bad_alloc&) {
    return kCStatusNullPointer;
  }
}

ViStatus OutOfMemory(ViSession vi) {
  return SetSessionError(vi, kCStatusOutOfMemory, core::CMessageOf(kCStatusOutOfMemory));
}

ViInt32 CopyText(BSTR text, ViInt32 size, ViChar* buffer) {
  if (!text) return platform::CopyString(static_cast<const char*>(nullptr), size, buffer);
  return platform::CopyString(platform::BstrToUtf8(text), size, buffer);
}

}  // namespace tevra::api
