#pragma once
// Expands a strftime pattern ("%Y-%m-%d.log") over the local time of a moment, for
// file names that carry the date. Thread-safe.
#include "platform/core/cstring.h"
#include "platform/core/win_time.h"

// The pattern goes to strftime as UTF-8 (escaped bytes kept), the result of at most
// 512 bytes comes back as text; an empty pattern or a longer result gives empty text.
CString ExpandLocalTimePattern(const CString& pattern, FileTime moment);
