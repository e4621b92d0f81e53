#include "platform/core/win_time.h"

#include <algorithm>
#include <ctime>
#include <sys/time.h>

namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian), and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

constexpr std::int64_t kDaysFrom1601To1970 = 134774;

}  // namespace

FileTime FileTimeFromUnix(const UnixTime& t) {
    // Whole seconds first, so that no product can overflow: the range's ends are checked
    // before the multiplication.
    constexpr std::int64_t kEpochSeconds = static_cast<std::int64_t>(kUnixEpochAsFileTime / kFileTimeUnitsPerSecond);
    constexpr std::int64_t kLastSecond =
        static_cast<std::int64_t>(kMaxFileTime / kFileTimeUnitsPerSecond) - kEpochSeconds;
    if (t.seconds < -kEpochSeconds) return 0;
    if (t.seconds > kLastSecond) return kMaxFileTime;
    const FileTime units = static_cast<FileTime>(t.seconds + kEpochSeconds) * kFileTimeUnitsPerSecond +
                           std::min<std::uint32_t>(t.nanoseconds, 999999999u) / 100;
    return std::min(units, kMaxFileTime);
}

UnixTime FileTimeToUnix(FileTime t) {
    t = std::min(t, kMaxFileTime);
    constexpr std::int64_t kEpochSeconds = static_cast<std::int64_t>(kUnixEpochAsFileTime / kFileTimeUnitsPerSecond);
    UnixTime out;
    out.seconds = static_cast<std::int64_t>(t / kFileTimeUnitsPerSecond) - kEpochSeconds;
    out.nanoseconds = static_cast<std::uint32_t>(t % kFileTimeUnitsPerSecond) * 100;
    return out;
}

bool FileTimeToSystemTime(FileTime t, SystemTime& out) {
    if (t >= 0x8000000000000000ULL) return false;
    const std::uint64_t ms = t / 10000;
    const std::uint64_t days = ms / 86400000ULL;
    const std::uint64_t msOfDay = ms % 86400000ULL;
    std::int64_t y;
    unsigned m, d;
    CivilFromDays(static_cast<std::int64_t>(days) - kDaysFrom1601To1970, y, m, d);
    if (y > 30827) return false;
    out.year = static_cast<std::uint16_t>(y);
    out.month = static_cast<std::uint16_t>(m);
    out.day = static_cast<std::uint16_t>(d);
    out.dayOfWeek = static_cast<std::uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday
    out.hour = static_cast<std::uint16_t>(msOfDay / 3600000);
    out.minute = static_cast<std::uint16_t>(msOfDay / 60000 % 60);
    out.second = static_cast<std::uint16_t>(msOfDay / 1000 % 60);
    out.milliseconds = static_cast<std::uint16_t>(msOfDay % 1000);
    return true;
}

bool SystemTimeToFileTime(const SystemTime& st, FileTime& out) {
    if (st.year < 1601 || st.year > 30827 || st.month < 1 || st.month > 12 || st.day < 1 || st.day > 31 ||
        st.hour > 23 || st.minute > 59 || st.second > 59 || st.milliseconds > 999)
        return false;
    const std::int64_t days = DaysFromCivil(st.year, st.month, st.day) + kDaysFrom1601To1970;
    const std::uint64_t ms = static_cast<std::uint64_t>(days) * 86400000ULL + st.hour * 3600000ULL +
                             st.minute * 60000ULL + st.second * 1000ULL + st.milliseconds;
    out = ms * 10000;
    return true;
}

FileTime GetSystemTimeAsFileTime() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return FileTimeFromUnix({ts.tv_sec, static_cast<std::uint32_t>(ts.tv_nsec)});
}

SystemTime GetSystemTimeUtc() {
    SystemTime st;
    FileTimeToSystemTime(GetSystemTimeAsFileTime(), st);
    return st;
}

SystemTime UtcToLocal(const SystemTime& utc) {
    FileTime ft;
    if (!SystemTimeToFileTime(utc, ft)) return utc;
    time_t t = static_cast<time_t>(FileTimeToUnix(ft).seconds);
    tm lt{};
    if (!localtime_r(&t, &lt)) return utc;
    SystemTime r;
    r.year = static_cast<std::uint16_t>(lt.tm_year + 1900);
    r.month = static_cast<std::uint16_t>(lt.tm_mon + 1);
    r.day = static_cast<std::uint16_t>(lt.tm_mday);
    r.dayOfWeek = static_cast<std::uint16_t>(lt.tm_wday);
    r.hour = static_cast<std::uint16_t>(lt.tm_hour);
    r.minute = static_cast<std::uint16_t>(lt.tm_min);
    r.second = static_cast<std::uint16_t>(lt.tm_sec);
    r.milliseconds = utc.milliseconds;
    return r;
}
