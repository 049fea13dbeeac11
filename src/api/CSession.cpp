// The C interface's session functions: a session is a handle of the session table whose data
// value is the cookie under which the driver object is registered in the process-wide object
// table.
#include <mutex>
#include <new>

#include "api/CBridge.h"
#include "core/ErrorCodes.h"
#include "counter/Tevra.h"
#include "platform/Bstr.h"
#include "platform/CSessions.h"
#include "platform/ObjectTable.h"
#include "tevra/Tevra.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::api {
namespace {

// A handle created before a registration failure is still given out. The driver takes the
// session's lock as its own before any other thread can reach it, so a call, which holds the
// session, takes the driver's lock again without a locked instruction.
ViStatus RegisterSession(IUnknown* driver, ViSession* vi) {
  *vi = 0;
  std::recursive_mutex* lock = nullptr;
  if (const ViStatus status = platform::NewSession(vi, &lock)) return status;
  counter::Tevra::FromOwnUnknown(driver).ShareSessionLock(*lock);
  platform::ObjectCookie cookie = 0;
  if (FAILED(platform::RegisterObject(driver, &cookie)))
    return SetSessionError(*vi, kCStatusFailure,
                           "Could not register IVI-COM driver pointer in global interface table.");
  return platform::SetSessionData(*vi, cookie);
}

// Under the close's hold on the session, so no call of another thread is using the driver.
ViStatus UnregisterSession(ViSession vi, const DriverHold& hold) {
  ViStatus status = 0;
  if (FAILED(platform::RevokeObject(static_cast<platform::ObjectCookie>(hold.session.Data()))))
    status =
        SetSessionError(vi, kCStatusFailure,
                        "Could not remove IVI-COM driver pointer from global interface table.");
  platform::DisposeSession(vi);
  return status;
}

ViStatus InitWithOptions(ViRsrc resourceName, ViBoolean idQuery, ViBoolean reset,
                         ViConstString optionString, ViSession* vi) {
  if (!vi) return kCStatusNullPointer;
  *vi = 0;
  // The session keeps the driver's own IUnknown: the functions find its interfaces from it.
  platform::ComPtr<IUnknown> object;
  if (FAILED(TevraCreateDriver(IID_IUnknown, reinterpret_cast<void**>(object.put()))) || !object)
    return kCStatusUnknownResult;
  platform::ComPtr<IIviDriver> driver;
  if (FAILED(object->QueryInterface(IID_IIviDriver, reinterpret_cast<void**>(driver.put()))))
    return kCStatusUnknownResult;
  const platform::Bstr resource(resourceName ? resourceName : "");
  const platform::Bstr options(optionString ? optionString : "");
  if (!resource.get() || !options.get()) return OutOfMemory(0);
  const HRESULT result = driver->Initialize(resource.get(), idQuery ? VARIANT_TRUE : VARIANT_FALSE,
                                            reset ? VARIANT_TRUE : VARIANT_FALSE, options.get());
  if (FAILED(result)) return ConvertResult(0, result);
  if (const ViStatus status = RegisterSession(object.get(), vi)) return status;
  return ConvertResult(*vi, result);
}

ViStatus Close(ViSession vi) {
  DriverHold hold;
  if (const ViStatus status = GetDriver(vi, hold)) return status;
  platform::ComPtr<IIviDriver> driver;
  HRESULT result =
      hold.driver->QueryInterface(IID_IIviDriver, reinterpret_cast<void**>(driver.put()));
  if (SUCCEEDED(result)) result = driver->Close();
  const ViStatus closed = ConvertResult(vi, result);
  const ViStatus unregistered = UnregisterSession(vi, hold);
  return closed != 0 ? closed : unregistered;
}

}  // namespace
}  // namespace tevra::api

using tevra::api::OutOfMemory;

extern "C" {

ViStatus Tevra_init(ViRsrc ResourceName, ViBoolean IdQuery, ViBoolean Reset, ViSession* Vi) {
  return Tevra_InitWithOptions(ResourceName, IdQuery, Reset, "", Vi);
}

ViStatus Tevra_InitWithOptions(ViRsrc ResourceName, ViBoolean IdQuery, ViBoolean Reset,
                               ViConstString OptionString, ViSession* Vi) {
  try {
    return tevra::api::InitWithOptions(ResourceName, IdQuery, Reset, OptionString, Vi);
  } catch (const std::bad_alloc&) {
    return OutOfMemory(0);
  }
}

ViStatus Tevra_close(ViSession Vi) {
  try {
    return tevra::api::Close(Vi);
  } catch (const std::bad_alloc&) {
    return OutOfMemory(Vi);
  }
}

ViStatus Tevra_GetError(ViSession Vi, ViStatus* ErrorCode, ViInt32 BufferSize,
                        ViChar Description[]) {
  return tevra::platform::GetSessionError(Vi, BufferSize, ErrorCode, Description);
}

ViStatus Tevra_ClearError(ViSession Vi) { return tevra::platform::ClearSessionError(Vi); }

// ViBoolean and the session table's flag are both 16 bits wide; only 0 and non-zero matter.
ViStatus Tevra_LockSession(ViSession Vi, ViBoolean* CallerHasLock) {
  return tevra::platform::LockSession(Vi, reinterpret_cast<std::int16_t*>(CallerHasLock));
}

ViStatus Tevra_UnlockSession(ViSession Vi, ViBoolean* CallerHasLock) {
  return tevra::platform::UnlockSession(Vi, reinterpret_cast<std::int16_t*>(CallerHasLock));
}

ViStatus Tevra_error_message(ViSession, ViStatus ErrorCode, ViChar ErrorMessage[256]) {
  if (!ErrorMessage) return tevra::api::kCStatusNullPointer;
  const char* message = tevra::core::CMessageOf(ErrorCode);
  tevra::platform::CopyString(message ? message : "", 256, ErrorMessage);
  return 0;
}
}
