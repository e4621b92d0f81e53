#pragma once
// The size arithmetic of the sizing control bars (sizing_control_bar.h), as plain functions:
// bounding a stored size and fitting the lengths of the bars of one dock row to the row.
// Every function ends in one pass over its input, whatever the input is. No Qt; no thread
// rules.
#include <vector>

#include "platform/gui/geometry.h"

namespace sizing_bar {

// A stored dimension as a bar takes it: below the minimum (negative ones included) the
// minimum, above the limit (the screen's size) the limit; a limit below the minimum gives the
// minimum.
int BoundDimension(int stored, int minimum, int limit);

struct RowBar {
    int wanted = 0;   // the length the bar keeps for itself
    int minimum = 0;  // it never gets less
};

// The lengths of the bars of one row, in row order, for a row of rowLength pixels: each bar
// gets at least its minimum (a row shorter than the minimums gives every bar its minimum and
// overflows); otherwise the wanted lengths (raised to the minimums) fill the row exactly:
// space missing is taken from the last bars first, each down to its minimum, and space left
// over goes to the last bar.
std::vector<int> FitRowLengths(int rowLength, const std::vector<RowBar>& bars);

}  // namespace sizing_bar
