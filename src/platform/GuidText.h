// The registry form of a GUID, "{9C7FE7C1-2B42-4C73-9B3A-516E00000001}", both ways.
#pragma once

#include <string>
#include <string_view>

#include "tevra/TevraTypes.h"

namespace tevra::platform {

std::string RegistryForm(const GUID& guid);
// Reads the form above (hex digits in either case); false and guid unchanged for anything else.
bool ParseRegistryForm(std::string_view text, GUID& guid);

}  // namespace tevra::platform
