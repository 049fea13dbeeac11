// The typed arguments of formatted I/O under the names the I/O code uses. They are declared with
// the session interface in the core (core/FormatArgs.h), which passes them through.
#pragma once

#include "core/FormatArgs.h"

namespace tevra::io {

using core::ArrayElement;
using core::ElemSize;
using core::ElemType;
using core::ElemTypeOf;
using core::FormatArg;
using core::NumericElement;
using core::ScanArg;

}  // namespace tevra::io
