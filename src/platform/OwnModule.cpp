#include "platform/OwnModule.h"

#include <dlfcn.h>

namespace tevra::platform {

std::filesystem::path OwnModuleFile() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<const void*>(&OwnModuleFile), &info) || !info.dli_fname) return {};
  return info.dli_fname;
}

}  // namespace tevra::platform
