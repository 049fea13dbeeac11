// The entry path's command formatting: a method's command template filled from its input
// arguments, in order.
#pragma once

#include <span>
#include <string>

#include "core/CommandText.h"
#include "core/ErrorReporter.h"
#include "core/IIoSession.h"
#include "core/Param.h"

namespace tevra::io {

// Formats commandTemplate into command (replacing its content) with the In params in order:
// VARIANT_BOOL and the integers as integers, float and double as doubles, BSTR as counted wide
// strings; interface pointers take no specifier. The formatter's own statuses (E_UNEXPECTED for a
// template that does not parse or asks for more arguments than there are, E_INVALIDARG for an
// argument that does not fit its specifier) are returned as they are; enumeration failures were
// reported by enums.
HRESULT FormatCommand(const char* commandTemplate, std::span<const core::Param> inputs,
                      core::CommandText& command, core::IErrorReporter& reporter,
                      core::IEnumFormatter* enums);

}  // namespace tevra::io
