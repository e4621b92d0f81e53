#pragma once
// Times as the system keeps them: FILETIME values (100 ns units since 1601-01-01 UTC)
// and SYSTEMTIME calendar records. Pure functions, thread-safe.
#include <cstdint>

using FileTime = std::uint64_t;

struct SystemTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;       // 1-12
    std::uint16_t dayOfWeek = 0;   // 0 = Sunday
    std::uint16_t day = 0;         // 1-31
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;
    friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// 100 ns units between 1601-01-01 and 1970-01-01.
constexpr FileTime kUnixEpochAsFileTime = 116444736000000000ULL;
// The latest FILETIME, 30828-09-14 02:48:05.4775807 UTC: the end of the range that the
// calendar conversions, the stamps and the profile files hold (a larger value reads as
// negative there).
constexpr FileTime kMaxFileTime = 0x7FFFFFFFFFFFFFFFULL;

// A time as a POSIX file system keeps it: seconds since 1970 (negative before) and
// nanoseconds (0 to 999,999,999). Finer than a FILETIME and wider: a file system can
// hold times before 1601 and after 30828.
struct UnixTime {
    std::int64_t seconds = 0;
    std::uint32_t nanoseconds = 0;
    friend bool operator==(const UnixTime&, const UnixTime&) = default;
};
constexpr FileTime kFileTimeUnitsPerSecond = 10000000ULL;
constexpr FileTime kOneHour = 36000000000ULL;

// The current time in UTC with milliseconds.
SystemTime GetSystemTimeUtc();
FileTime GetSystemTimeAsFileTime();
// Calendar conversion of a FILETIME in UTC; false for a value beyond year 30827.
bool FileTimeToSystemTime(FileTime t, SystemTime& out);
bool SystemTimeToFileTime(const SystemTime& st, FileTime& out);
// UTC record to local time by the time-zone rules in force at that date (localtime_r).
SystemTime UtcToLocal(const SystemTime& utc);
// Saturates at the range's ends: a time before 1601 gives 0, one after kMaxFileTime gives
// kMaxFileTime, never a wrapped value; nanoseconds are cut to 100 ns units.
FileTime FileTimeFromUnix(const UnixTime& t);
// A FILETIME beyond kMaxFileTime is taken as kMaxFileTime.
UnixTime FileTimeToUnix(FileTime t);
