#pragma once
// GridGeometry: where a grid's cells lie in its client area, as pure functions of the row
// heights, column widths, fixed counts, client size and scroll positions. The grid window
// builds one for its current state whenever it asks; nothing is cached, since each answer
// costs O(log n) through the running sums of GridSizes.
//
// Coordinates are client pixels. The fixed rows and columns always start at 0; the other
// rows start below the fixed rows at the top-left non-fixed cell, which the scroll position
// chooses. A cell rectangle is inclusive, as the grid computes with it: right = left +
// width - 1, bottom = top + height - 1 (fill it grown by one pixel). Positions beyond the int
// range are clamped to it. Holds references to the sizes: keep them alive and unchanged while
// it is used. No thread rules beyond those of GridSizes.
#include <cstdint>

#include "controls/grid/grid_cell_range.h"
#include "controls/grid/grid_sizes.h"
#include "platform/gui/geometry.h"

struct GridViewport {
    int clientWidth = 0;
    int clientHeight = 0;
    int scrollX = 0;  // horizontal scroll position: pixels of non-fixed columns scrolled out
    int scrollY = 0;  // vertical, of non-fixed rows
};

class GridGeometry {
public:
    GridGeometry(const GridSizes& rowHeights, const GridSizes& columnWidths, int fixedRows, int fixedColumns,
                 GridViewport view);

    int GetRowCount() const { return rows_.sizes.GetCount(); }
    int GetColumnCount() const { return cols_.sizes.GetCount(); }
    int GetFixedRowCount() const { return rows_.fixed; }
    int GetFixedColumnCount() const { return cols_.fixed; }
    const GridViewport& GetViewport() const { return view_; }
    std::int64_t GetFixedRowHeight() const { return rows_.FixedExtent(); }
    std::int64_t GetFixedColumnWidth() const { return cols_.FixedExtent(); }

    // The first non-fixed row whose non-fixed rows above add up to at least the vertical
    // scroll position (never past the last row), and the column likewise; -1 in a dimension
    // without entries.
    GridCellId GetTopleftNonFixedCell() const;
    // From the top-left cell to the last row and column that start inside the client area.
    // Empty (all -1) when there are no non-fixed rows or no non-fixed columns. With `rect`:
    // (0, 0, right, bottom), right and bottom being the client edges where the cells reach
    // them, else the end of the last column or row.
    GridCellRange GetVisibleNonFixedCellRange(gui::Rect* rect = nullptr) const;
    // The visible non-fixed rows (columns) alone, so that headers can be laid out over a grid
    // without data rows; first > last (both -1) when there are none.
    void GetVisibleRows(int* first, int* last) const { rows_.Visible(first, last, nullptr); }
    void GetVisibleColumns(int* first, int* last) const { cols_.Visible(first, last, nullptr); }

    // Client position of the cell's top-left corner; false for a bad cell or a non-fixed row or
    // column scrolled out to the top or left.
    bool GetCellOrigin(int row, int col, gui::Point* origin) const;
    // The cell's own rectangle (not that of a merged block; GridMergedCells adds those).
    bool GetCellRect(int row, int col, gui::Rect* rect) const;
    // Inclusive rectangle over rows firstRow..lastRow and columns firstCol..lastCol, starting at
    // the first one's origin; false when that origin is not on the screen.
    bool GetBlockRect(int firstRow, int firstCol, int lastRow, int lastCol, gui::Rect* rect) const;
    bool IsCellVisible(int row, int col) const;
    bool IsCellVisible(GridCellId cell) const { return IsCellVisible(cell.row, cell.col); }
    // The cell under a client point; (-1, -1) outside the client area. A point over the fixed
    // columns (rows) gives a fixed column (row) only with allowFixed, else -1 for it; a point
    // beyond the last column or row gives -1 for that member.
    GridCellId GetCellFromPt(gui::Point point, bool allowFixed = true) const;

    // The same rules along one dimension, for the grid's own layout code.
    struct Axis {
        const GridSizes& sizes;
        int fixed;
        int clientExtent;
        int scroll;

        std::int64_t FixedExtent() const { return sizes.Position(fixed); }
        // -1 without entries.
        int TopLeft() const;
        void Visible(int* first, int* last, std::int64_t* end) const;
        // False for a bad index or one scrolled out before the top-left.
        bool Origin(int index, std::int64_t* pos) const;
        bool IsVisible(int index) const;
        int IndexAtPoint(int p, bool allowFixed) const;
    };
    const Axis& Rows() const { return rows_; }
    const Axis& Columns() const { return cols_; }

private:
    Axis rows_;
    Axis cols_;
    GridViewport view_;
};

// Clamps a 64-bit pixel position into the int range.
int ClampToInt(std::int64_t value);
