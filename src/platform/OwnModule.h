// The file the driver's code was loaded from: the shared library, or the program it is linked
// into.
#pragma once

#include <filesystem>

namespace tevra::platform {

// As the loader names it (relative when a program linked with the driver was started by a
// relative path); empty when the loader does not say.
std::filesystem::path OwnModuleFile();

}  // namespace tevra::platform
