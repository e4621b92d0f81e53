#pragma once
// The bounds of the preferences that the key table gives no maximum but a file, the
// settings or a preference page can still set to anything: each place that uses one of
// these values takes it through its function here, so every use bounds it the same way.
// (The engine bounds its own: the copy buffer and the retry delay where the executor takes
// them, the test tree's size where the scan makes it.)
//
// Pure functions; thread-safe.
#include <cstddef>
#include <cstdint>

// "LogFileLimit" (kilobytes) as the log file's size limit in bytes: 0 (no limit) for 0 or
// less; the kilobytes multiplied in 64 bits and capped at the largest limit the log file
// takes.
std::uint32_t LogFileLimitBytes(std::int32_t kilobytes);
// "LogWindowLimit" (lines of the log window): 0 (no limit) for 0 or less.
std::size_t LogWindowLineLimit(std::int32_t lines);
// "BalloonTrayTipsTimeout" (seconds): 0 (no balloon) for 0 or less, at most 600.
std::uint32_t BalloonTipSeconds(std::int32_t seconds);
constexpr std::uint32_t kBalloonTipSecondsMax = 600;
