#include "controls/sizing_bar/sizing_bar_sizes.h"

#include <algorithm>
#include <cstdint>

namespace sizing_bar {

int BoundDimension(int stored, int minimum, int limit) {
    if (stored < minimum) return minimum;
    return std::max(minimum, std::min(stored, limit));
}

std::vector<int> FitRowLengths(int rowLength, const std::vector<RowBar>& bars) {
    std::vector<int> lengths;
    lengths.reserve(bars.size());
    std::int64_t minimums = 0, total = 0;
    for (const RowBar& bar : bars) {
        int minimum = std::max(bar.minimum, 0);
        lengths.push_back(std::max(bar.wanted, minimum));
        minimums += minimum;
        total += lengths.back();
    }
    if (bars.empty()) return lengths;
    if (minimums >= rowLength) {
        for (std::size_t i = 0; i < bars.size(); ++i) lengths[i] = std::max(bars[i].minimum, 0);
        return lengths;
    }
    std::int64_t excess = total - rowLength;
    // Too long: the last bars give up space first, each down to its minimum; the minimums fit,
    // so one pass from the end uses the excess up.
    for (std::size_t i = bars.size(); i-- > 0 && excess > 0;) {
        std::int64_t give = std::min<std::int64_t>(excess, lengths[i] - std::max(bars[i].minimum, 0));
        lengths[i] -= static_cast<int>(give);
        excess -= give;
    }
    // Too short: the last bar takes the rest.
    if (excess < 0) lengths.back() += static_cast<int>(-excess);
    return lengths;
}

}  // namespace sizing_bar
