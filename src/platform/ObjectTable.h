// The process-wide table of object references that lets any thread reach an object registered
// by another: a registration holds one reference under a cookie, a lookup gives a new reference,
// and revoking the cookie releases the table's. Cookies are never issued twice. A lookup takes no
// lock; at most 4096 objects are registered at once.
#pragma once

#include <cstdint>

#include "tevra/TevraTypes.h"

namespace tevra::platform {

using ObjectCookie = std::uint32_t;

// E_INVALIDARG for a null object or cookie output.
HRESULT RegisterObject(IUnknown* object, ObjectCookie* cookie);
// E_INVALIDARG for a cookie that is not registered (never, or no longer).
HRESULT GetRegisteredObject(ObjectCookie cookie, IUnknown** object);
// The object registered under the cookie without a new reference, or null: valid only while the
// caller keeps the cookie from being revoked (a C call holds its session, and only a session's
// close revokes its cookie, under that hold).
IUnknown* PeekRegisteredObject(ObjectCookie cookie);
HRESULT RevokeObject(ObjectCookie cookie);

}  // namespace tevra::platform
