#pragma once
// Small text operations of the application's displays. Pure functions; thread-safe.
#include <cstddef>

#include "platform/core/cstring.h"

// Inserts '.' between groups of three digits counted from the right ("1234567" ->
// "1.234.567"); a leading sign stays in front. Three digits or fewer, and a text that
// is not a sign and digits, stay as they are.
void GroupDigits(CString& text);
// Inserts c into text before position (clamped to the text: a negative position inserts
// in front, one past the end appends).
void InsertChar(CString& text, long position, char16_t c);
