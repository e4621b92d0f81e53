#include "platform/core/system_info.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/core/win_error.h"

namespace plat {

CString GetExecutablePath() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) {
            SetLastError(Win32FromErrno(errno));
            return {};
        }
        if (static_cast<std::size_t>(n) < buffer.size()) return CString::FromUtf8(std::string_view(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

bool GetOsVersion(OsVersion& out) {
    out = OsVersion();
    struct utsname u;
    if (::uname(&u) != 0) {
        SetLastError(Win32FromErrno(errno));
        return false;
    }
    // The leading numbers of the release, as far as they go.
    int* fields[] = {&out.major, &out.minor, &out.build};
    const char* p = u.release;
    for (int* field : fields) {
        char* end = nullptr;
        const long v = std::strtol(p, &end, 10);
        if (end == p) break;
        *field = static_cast<int>(v);
        if (*end != '.') break;
        p = end + 1;
    }
    out.name = CString::FromUtf8(std::string(u.sysname) + " " + u.release + " " + u.version);
    return true;
}

}  // namespace plat
