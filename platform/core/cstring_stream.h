#pragma once
// Writes a CString to a byte stream as UTF-8 (lossless: escaped bytes come out as the
// bytes they stand for), for diagnostics and test failure messages.
#include <ostream>

#include "platform/core/cstring.h"

inline std::ostream& operator<<(std::ostream& os, const CString& s) { return os << s.ToUtf8(); }
