// The per-user base folders of the XDG base-directory rules.
#pragma once

#include <string>

namespace tevra::platform {

// $variable when it is an absolute path (the rules ignore a relative one), else
// $HOME/<belowHome>; empty when neither is set.
std::string UserBaseFolder(const char* variable, const char* belowHome);

}  // namespace tevra::platform
