// The module's count of live objects and server locks: the module may be unloaded only when
// both are zero.
#pragma once

namespace tevra::platform {

void ObjectCreated();
void ObjectDestroyed();
void ServerLocked();
void ServerUnlocked();
bool ModuleInUse();

}  // namespace tevra::platform
