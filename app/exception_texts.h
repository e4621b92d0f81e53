#pragma once
// The texts of the unhandled-exception report: a short name and one explanatory
// sentence for each standard structured-exception code (the crash handler gives the code
// of the signal that stopped the program). Pure functions; thread-safe.
#include <cstdint>

#include "platform/core/cstring.h"

// The short name ("Access Violation", ...); any other code as eight hexadecimal digits.
CString ExceptionCodeName(std::uint32_t code);
// One sentence about the code; "Unknown Exception" for any other code.
CString ExceptionCodeDescription(std::uint32_t code);
