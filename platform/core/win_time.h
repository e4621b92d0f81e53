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
FileTime FileTimeFromUnix(std::int64_t seconds, std::uint32_t nanoseconds);
// Seconds and nanoseconds since 1970 (negative seconds before 1970).
void FileTimeToUnix(FileTime t, std::int64_t& seconds, std::uint32_t& nanoseconds);
