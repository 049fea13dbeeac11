// The rows of the counter's member files as constants: rows::ITevraChannel_Coupling is the
// Coupling property of ITevraChannel, rows::ITevraChannel_Interface its interface.
#pragma once

#include "core/ErrorCodes.h"
#include "core/Registry.h"
#include "state/CommandWords.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter {

using core::ChannelRule;
using core::Code;
using core::Interface;
using core::Method;
using core::MethodKind;
using core::Property;
using core::PropertyKind;
using core::Rule;

namespace rows {

using core::kAsksBurstOption;
using core::kDropsQuotes;
using core::kKeepsOutputs;
using core::kNoInitCheck;
using core::kNoModels;
using core::kQX1100;
using core::kQX1200;
using core::kQX1300;
namespace words = state::words;
// The time-stamp and burst functions exist on the QX1300 only.
inline constexpr std::uint8_t kQX1300Only = kQX1100 | kQX1200;

#define TEVRA_ROWS_LIST "counter/members/Interfaces.inc"
#include "core/RowConstants.inc"

}  // namespace rows
}  // namespace tevra::counter
