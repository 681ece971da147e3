// For catch-all handlers that must not let a failure through (destructors, clean-ups,
// fallbacks): the failure they swallow still leaves a line on standard error.
#pragma once

#include <string>

namespace qrp {

// The text of the exception being handled: its what(), or "unknown exception"; empty
// outside a handler.
std::string CurrentExceptionText();

// Writes "qrp: <where>: <text of the exception being handled> (ignored)" to standard error.
// Call it inside a catch block; never throws.
void LogSwallowed(const char* where) noexcept;

}  // namespace qrp
