// Conversions between file-system times (seconds and nanoseconds since 1970) and FILETIME
// values: exact inside FILETIME's range, saturating at its ends (1601 and 30828) instead
// of wrapping.
#include "platform/core/win_time.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
// The last second FILETIME holds: 30828-09-14 02:48:05 UTC, up to .4775807.
constexpr std::int64_t kLastSecond = 910692730085;

TEST(TimeConversion, ToFileTimeSaturatesAtTheRangesEnds) {
    const struct {
        const char* what;
        UnixTime time;
        FileTime expected;
    } cases[] = {
        {"year 0", {-62167219200, 0}, 0},
        {"the most negative time", {std::numeric_limits<std::int64_t>::min(), 0}, 0},
        {"before 1601 by a second", {-kSecondsFrom1601To1970 - 1, 999999999}, 0},
        {"1601-01-01", {-kSecondsFrom1601To1970, 0}, 0},
        {"1601-01-01 and 100 ns", {-kSecondsFrom1601To1970, 100}, 1},
        {"a second before 1970", {-1, 0}, kUnixEpochAsFileTime - kFileTimeUnitsPerSecond},
        {"1970-01-01", {0, 0}, kUnixEpochAsFileTime},
        {"nanoseconds cut to 100 ns units", {0, 123456789}, kUnixEpochAsFileTime + 1234567},
        {"2038 (past 32 bits signed)", {2147483648, 0}, kUnixEpochAsFileTime + 2147483648ULL * kFileTimeUnitsPerSecond},
        {"2106 (past 32 bits unsigned)", {4294967296, 0}, kUnixEpochAsFileTime + 4294967296ULL * kFileTimeUnitsPerSecond},
        {"the last FILETIME", {kLastSecond, 477580700}, kMaxFileTime},
        {"30828 after the last FILETIME", {kLastSecond, 477580800}, kMaxFileTime},
        {"30828, a second later", {kLastSecond + 1, 0}, kMaxFileTime},
        {"60000-01-01", {1831249900800, 0}, kMaxFileTime},
        {"the largest time", {std::numeric_limits<std::int64_t>::max(), 999999999}, kMaxFileTime},
    };
    for (const auto& c : cases) EXPECT_EQ(FileTimeFromUnix(c.time), c.expected) << c.what;
}

TEST(TimeConversion, FromFileTimeSaturatesBeyondTheRange) {
    const struct {
        const char* what;
        FileTime time;
        UnixTime expected;
    } cases[] = {
        {"0, 1601-01-01", 0, {-kSecondsFrom1601To1970, 0}},
        {"100 ns after 1601", 1, {-kSecondsFrom1601To1970, 100}},
        {"a second before 1970", kUnixEpochAsFileTime - kFileTimeUnitsPerSecond, {-1, 0}},
        {"a tick before 1970", kUnixEpochAsFileTime - 1, {-1, 999999900}},
        {"1970-01-01", kUnixEpochAsFileTime, {0, 0}},
        {"2038", kUnixEpochAsFileTime + 2147483648ULL * kFileTimeUnitsPerSecond, {2147483648, 0}},
        {"2106", kUnixEpochAsFileTime + 4294967296ULL * kFileTimeUnitsPerSecond, {4294967296, 0}},
        {"the last FILETIME, 30828", kMaxFileTime, {kLastSecond, 477580700}},
        {"beyond it (negative as signed)", kMaxFileTime + 1, {kLastSecond, 477580700}},
        {"the largest value (year 60056 unsigned)", std::numeric_limits<FileTime>::max(), {kLastSecond, 477580700}},
    };
    for (const auto& c : cases) {
        const UnixTime got = FileTimeToUnix(c.time);
        EXPECT_EQ(got.seconds, c.expected.seconds) << c.what;
        EXPECT_EQ(got.nanoseconds, c.expected.nanoseconds) << c.what;
        // Inside the range the two conversions are each other's inverse.
        if (c.time <= kMaxFileTime) {
            EXPECT_EQ(FileTimeFromUnix(got), c.time) << c.what;
        }
    }
}

}  // namespace
