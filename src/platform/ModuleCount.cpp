#include "platform/ModuleCount.h"

#include <atomic>

namespace tevra::platform {
namespace {
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
}  // namespace

void ObjectCreated() { ++g_objects; }
void ObjectDestroyed() { --g_objects; }
void ServerLocked() { ++g_locks; }
void ServerUnlocked() { --g_locks; }
bool ModuleInUse() { return g_objects.load() != 0 || g_locks.load() != 0; }

}  // namespace tevra::platform
