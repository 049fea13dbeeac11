#include "platform/UserFolders.h"

#include <cstdlib>

namespace tevra::platform {

std::string UserBaseFolder(const char* variable, const char* belowHome) {
  const char* base = std::getenv(variable);
  if (base && base[0] == '/') return base;
  const char* home = std::getenv("HOME");
  if (home && home[0] != '\0') return std::string(home) + "/" + belowHome;
  return {};
}

}  // namespace tevra::platform
