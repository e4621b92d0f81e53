#pragma once
// The text of an error record, by category:
//   1 operating-system error: our text of the Win32 code (win_error.h), id 0;
//   2 program error: the code's own text (ErrorCodeStringId), that id;
//   3 cancelled: 1200 "Procedure was cancelled bei user request.";
//   0: 1201 "Successful finished.";
//   any other category, and a category-2 code without a text: an explicit
//   "Unknown error (category %u, code %u)." (1416), never a success text.
// When the record has a non-empty argument text (a path, a file name) the result is
// that text, "\n\n" and the message.
//
// Pure functions over the string table; thread-safe.
#include <cstdint>

#include "engine/error_info.h"
#include "platform/core/cstring.h"

// The string id of a category-2 code's text; 0 for a code without one.
std::uint32_t ErrorCodeStringId(std::uint32_t code);

// The record's text; the string id used goes to *usedId when given (0 for category 1).
CString FormatErrorText(const ErrorInfo& record, std::uint32_t* usedId = nullptr);

// The detailed text of an operating-system error, shown on request:
// 1219 "%s\n\nOperating System Message (%i):\n%s" with the record's text
// (FormatErrorText: the argument text and the message), the code and the system's
// message for that code.
CString FormatSystemErrorDetails(const ErrorInfo& record);
