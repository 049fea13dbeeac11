// The rows of the IVI driver interfaces' member files as constants: rows::IIviDriver_Initialize
// is the Initialize method of IIviDriver.
#pragma once

#include "core/Registry.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::core::rows {

#define TEVRA_ROWS_LIST "core/members/Interfaces.inc"
#include "core/RowConstants.inc"

}  // namespace tevra::core::rows
