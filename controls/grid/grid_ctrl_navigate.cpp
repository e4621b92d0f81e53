// The next and previous cell for Tab, Shift+Tab and the arrow keys.
#include "controls/grid/grid_ctrl.h"

// Rows are found through the running sums (the next shown row is one lookup however many
// hidden rows lie between), columns by walking them. The previous-cell search from a row's
// first cell goes to the last column the next-cell search reaches (the last shown one, the
// filler excepted), so Shift+Tab retraces Tab.

int CGridCtrl::LastReachableColumn() const { return filler_ ? colCount_ - 2 : colCount_ - 1; }

GridCellId CGridCtrl::FindNextCell(int row, int col, bool wrap, bool* rowChanged) const {
    if (rowChanged) *rowChanged = false;
    if (!IsValid(row, col)) return GridCellId(row, col);
    const GridCellId start(row, col);
    GridCellRange block;
    const bool merged = merged_.FindRange(row, col, &block);
    if (merged) col = block.maxCol;
    const int last = LastReachableColumn();
    auto firstShown = [&](int from) {
        for (int c = std::max(from, fixedCols_); c <= last; ++c)
            if (colWidths_.Get(c) > 0) return c;
        return -1;
    };
    GridCellId found;
    if (rowHeights_.Get(row) > 0) {
        const int c = firstShown(listMode_ ? colCount_ : col + 1);
        if (c >= 0) found = GridCellId(row, c);
    }
    if (!found.IsValid() && (wrap || listMode_)) {
        const int c = firstShown(fixedCols_);
        const int next = rowHeights_.NextShown(row);
        if (c >= 0 && next >= 0) found = GridCellId(next, c);
    }
    if (!found.IsValid()) return GridCellId(row, col);
    if (merged && block.Contains(found.row, found.col)) return start;
    if (rowChanged) *rowChanged = found.row != row;
    return found;
}

GridCellId CGridCtrl::FindPrevCell(int row, int col, bool wrap, bool* rowChanged) const {
    if (rowChanged) *rowChanged = false;
    if (!IsValid(row, col)) return GridCellId(row, col);
    const GridCellId start(row, col);
    GridCellRange block;
    const bool merged = merged_.FindRange(row, col, &block);
    if (merged) col = block.minCol;
    auto lastShown = [&](int from) {
        for (int c = std::min(from, LastReachableColumn()); c >= fixedCols_; --c)
            if (colWidths_.Get(c) > 0) return c;
        return -1;
    };
    GridCellId found;
    // In list mode the search always moves to another row.
    if (rowHeights_.Get(row) > 0 && !listMode_) {
        const int c = lastShown(col - 1);
        if (c >= 0) found = GridCellId(row, c);
    }
    if (!found.IsValid() && (wrap || listMode_)) {
        const int c = lastShown(LastReachableColumn());
        const int previous = rowHeights_.PreviousShown(row);
        if (c >= 0 && previous >= fixedRows_) found = GridCellId(previous, c);
    }
    if (!found.IsValid()) return GridCellId(row, col);
    if (merged && block.Contains(found.row, found.col)) return start;
    if (rowChanged) *rowChanged = found.row != row;
    return found;
}
