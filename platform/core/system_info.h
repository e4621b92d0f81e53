#pragma once
// What the program learns about its own process and the operating system: the path of
// its executable and the kernel's version. Thread-safe; nothing throws except
// std::bad_alloc.
#include <cstdint>

#include "platform/core/cstring.h"

namespace plat {

// The absolute path of the running executable (/proc/self/exe); empty when unknown.
CString GetExecutablePath();

struct OsVersion {
    int major = 0;  // the first three numbers of the kernel release ("6.1.0-18-amd64": 6, 1, 0)
    int minor = 0;
    int build = 0;
    CString name;  // the kernel's name, release and version as uname gives them, blank-separated
};
// False (the record zeroed) when uname fails.
bool GetOsVersion(OsVersion& out);

}  // namespace plat
