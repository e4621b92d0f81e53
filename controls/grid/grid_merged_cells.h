#pragma once
// GridMergedCells: the grid's blocks of cells that are drawn as one cell, in the order they
// were added.
//
// Invariants, kept by Add and by every adjustment: blocks never overlap; each holds at least
// two cells; none crosses the border between fixed and non-fixed rows or columns; with a
// filler column none covers the last column; all lie inside the grid. When rows or columns
// are inserted or deleted, or the counts change, the grid calls the matching adjustment with
// its shape after the change: blocks move and shrink (or grow by an inserted row inside
// them) with their cells, and a block that breaks an invariant is dropped.
// Plain value; no thread rules.
#include <vector>

#include "controls/grid/grid_cell_range.h"
#include "platform/gui/geometry.h"

class GridGeometry;

// What the blocks must fit.
struct GridShape {
    int rows = 0;
    int cols = 0;
    int fixedRows = 0;
    int fixedCols = 0;
    bool filler = false;  // the last column is the filler column
};

class GridMergedCells {
public:
    // Adds a block: clamped into the grid, cut at the fixed border by its first cell, the
    // filler column left out, then narrowed to its common part with every block it overlaps,
    // which it replaces. False, the list unchanged, for an invalid range or when fewer than two
    // cells remain.
    bool Add(GridCellRange range, const GridShape& shape);
    // The block that holds the cell.
    bool FindRange(int row, int col, GridCellRange* range) const;
    // For a cell in a block, the visible part of the block: its rows and columns scrolled out of
    // view are left out; false when nothing of it is visible. Otherwise the cell's own rectangle
    // (false when its origin is not on the screen). Inclusive, as GridGeometry's.
    bool GetCellRect(int row, int col, const GridGeometry& geometry, gui::Rect* rect) const;
    const std::vector<GridCellRange>& GetRanges() const { return blocks_; }
    bool IsEmpty() const { return blocks_.empty(); }
    void Clear() { blocks_.clear(); }

    // Adjustments; `after` is the grid's shape once the change is made.
    void OnRowInserted(int row, const GridShape& after);
    void OnRowDeleted(int row, const GridShape& after);
    void OnColumnInserted(int col, const GridShape& after);
    // Counts, fixed counts or the filler changed: blocks are cut to the grid and those that
    // break an invariant dropped.
    void OnShapeChanged(const GridShape& after);
    // Rows from `row` on were reordered: their blocks would join other cells and go.
    void DropRowsFrom(int row);

private:
    std::vector<GridCellRange> blocks_;
};
