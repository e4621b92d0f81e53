#include "app/preference_bounds.h"

#include <algorithm>
#include <limits>

std::uint32_t LogFileLimitBytes(std::int32_t kilobytes) {
    if (kilobytes <= 0) return 0;
    const std::uint64_t bytes = std::uint64_t(kilobytes) * 1024;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, std::numeric_limits<std::uint32_t>::max()));
}

std::size_t LogWindowLineLimit(std::int32_t lines) { return lines <= 0 ? 0 : static_cast<std::size_t>(lines); }

std::uint32_t BalloonTipSeconds(std::int32_t seconds) {
    if (seconds <= 0) return 0;
    return std::min(static_cast<std::uint32_t>(seconds), kBalloonTipSecondsMax);
}
