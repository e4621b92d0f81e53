#include "controls/grid/grid_merged_cells.h"

#include <algorithm>

#include "controls/grid/grid_geometry.h"

namespace {

// True when the block lies on both sides of the fixed border of one dimension.
bool CrossesBorder(int min, int max, int fixed) { return min < fixed && max >= fixed; }

// The block cut into the grid with the filler column left out; invalid when it no longer
// keeps the invariants.
GridCellRange Fit(GridCellRange r, const GridShape& shape) {
    r.maxRow = std::min(r.maxRow, shape.rows - 1);
    r.maxCol = std::min(r.maxCol, shape.cols - 1);
    if (shape.filler && r.maxCol == shape.cols - 1 && r.maxCol > r.minCol) --r.maxCol;
    if (!r.IsValid() || r.CellCount() < 2 || (shape.filler && r.maxCol == shape.cols - 1) ||
        CrossesBorder(r.minRow, r.maxRow, shape.fixedRows) || CrossesBorder(r.minCol, r.maxCol, shape.fixedCols))
        return GridCellRange();
    return r;
}

}  // namespace

bool GridMergedCells::Add(GridCellRange range, const GridShape& shape) {
    if (!range.IsValid()) return false;
    range.maxRow = std::min(range.maxRow, shape.rows - 1);
    range.maxCol = std::min(range.maxCol, shape.cols - 1);
    // The first cell's area decides where the block is cut: a block that starts in the fixed
    // rows (columns) ends at the last fixed row (column).
    if (range.minRow < shape.fixedRows) range.maxRow = std::min(range.maxRow, shape.fixedRows - 1);
    if (range.minCol < shape.fixedCols) range.maxCol = std::min(range.maxCol, shape.fixedCols - 1);
    if (shape.filler && range.maxCol == shape.cols - 1 && range.maxCol > range.minCol) --range.maxCol;
    // The common part with every block it overlaps is worked out before anything changes, so
    // that a result of fewer than two cells leaves the list as it was.
    GridCellRange merged = range;
    for (const GridCellRange& old : blocks_)
        if (old.Overlaps(range)) merged = merged.Intersect(old);
    if (!merged.IsValid() || merged.CellCount() < 2 || (shape.filler && merged.maxCol == shape.cols - 1))
        return false;
    std::erase_if(blocks_, [&](const GridCellRange& old) { return old.Overlaps(range); });
    blocks_.push_back(merged);
    return true;
}

bool GridMergedCells::FindRange(int row, int col, GridCellRange* range) const {
    for (const GridCellRange& block : blocks_) {
        if (block.Contains(row, col)) {
            if (range) *range = block;
            return true;
        }
    }
    return false;
}

bool GridMergedCells::GetCellRect(int row, int col, const GridGeometry& geometry, gui::Rect* rect) const {
    GridCellRange block;
    if (!FindRange(row, col, &block)) return geometry.GetCellRect(row, col, rect);
    // In a scrolled dimension the block starts at the top-left visible entry at the earliest
    // and ends at the last visible one at the latest.
    int first = 0, last = 0;
    if (block.minRow >= geometry.GetFixedRowCount()) {
        geometry.GetVisibleRows(&first, &last);
        if (first < 0) return false;
        block.minRow = std::max(block.minRow, first);
        block.maxRow = std::min(block.maxRow, last);
    }
    if (block.minCol >= geometry.GetFixedColumnCount()) {
        geometry.GetVisibleColumns(&first, &last);
        if (first < 0) return false;
        block.minCol = std::max(block.minCol, first);
        block.maxCol = std::min(block.maxCol, last);
    }
    if (!block.IsValid()) return false;
    return geometry.GetBlockRect(block.minRow, block.minCol, block.maxRow, block.maxCol, rect);
}

void GridMergedCells::OnRowInserted(int row, const GridShape& after) {
    for (GridCellRange& b : blocks_) {
        if (b.minRow >= row) {
            ++b.minRow;
            ++b.maxRow;
        } else if (b.maxRow >= row) {
            ++b.maxRow;  // inserted inside the block: the block takes it in
        }
    }
    OnShapeChanged(after);
}

void GridMergedCells::OnRowDeleted(int row, const GridShape& after) {
    for (GridCellRange& b : blocks_) {
        if (b.minRow > row) {
            --b.minRow;
            --b.maxRow;
        } else if (b.maxRow >= row) {
            --b.maxRow;
        }
    }
    OnShapeChanged(after);
}

void GridMergedCells::OnColumnInserted(int col, const GridShape& after) {
    for (GridCellRange& b : blocks_) {
        if (b.minCol >= col) {
            ++b.minCol;
            ++b.maxCol;
        } else if (b.maxCol >= col) {
            ++b.maxCol;
        }
    }
    OnShapeChanged(after);
}

void GridMergedCells::OnShapeChanged(const GridShape& after) {
    for (GridCellRange& b : blocks_) b = Fit(b, after);
    std::erase_if(blocks_, [](const GridCellRange& b) { return !b.IsValid(); });
}

void GridMergedCells::DropRowsFrom(int row) {
    std::erase_if(blocks_, [&](const GridCellRange& block) { return block.maxRow >= row; });
}
