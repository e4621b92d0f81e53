#include "platform/core/time_pattern.h"

#include <ctime>

CString ExpandLocalTimePattern(const CString& pattern, FileTime moment) {
    if (pattern.IsEmpty()) return CString();
    const time_t t = static_cast<time_t>(FileTimeToUnix(moment).seconds);
    tm local{};
    if (!localtime_r(&t, &local)) return CString();
    char buffer[513];
    const std::size_t n = std::strftime(buffer, sizeof buffer, pattern.ToUtf8().c_str(), &local);
    return CString::FromUtf8(std::string_view(buffer, n));
}
