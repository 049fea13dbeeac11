// What the measurement functions' bodies share besides their rows (the counter/members/ files of
// the function interfaces: command template, unsupported models, the method name of invalid-value
// messages, the channel rule and the simulated reading). A method without a template builds its
// own text.
#pragma once

#include "counter/FunctionRunner.h"
#include "counter/Rows.h"
#include "tevra/TevraInterfaces.h"

namespace tevra::counter::functions {

using core::kNoModels;
using core::kQX1100;
// The time-stamp array query runs with at least this timeout.
inline constexpr std::int32_t kTimeStampTimeout = 50000;

}  // namespace tevra::counter::functions
