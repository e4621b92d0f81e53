#pragma once
// Cell positions and rectangular blocks of cells, as every part of the grid and its users
// pass them around. Rows and columns are 0-based; -1 stands for "none". Plain values.
#include <algorithm>
#include <cstdint>

struct GridCellId {
    int row = -1;
    int col = -1;

    constexpr GridCellId() = default;
    constexpr GridCellId(int row_, int col_) : row(row_), col(col_) {}
    // Both members non-negative; says nothing about a particular grid's size.
    constexpr bool IsValid() const { return row >= 0 && col >= 0; }
    friend constexpr bool operator==(const GridCellId&, const GridCellId&) = default;
};

// minRow..maxRow x minCol..maxCol, bounds included; all -1 is the empty range.
struct GridCellRange {
    int minRow = -1;
    int minCol = -1;
    int maxRow = -1;
    int maxCol = -1;

    constexpr GridCellRange() = default;
    constexpr GridCellRange(int minRow_, int minCol_, int maxRow_, int maxCol_)
        : minRow(minRow_), minCol(minCol_), maxRow(maxRow_), maxCol(maxCol_) {}

    // Every bound non-negative and each minimum at most its maximum.
    constexpr bool IsValid() const {
        return minRow >= 0 && minCol >= 0 && maxRow >= 0 && maxCol >= 0 && minRow <= maxRow && minCol <= maxCol;
    }
    constexpr bool Contains(int row, int col) const {
        return minRow <= row && row <= maxRow && minCol <= col && col <= maxCol;
    }
    constexpr bool Contains(GridCellId cell) const { return Contains(cell.row, cell.col); }
    constexpr GridCellId TopLeft() const { return {minRow, minCol}; }
    constexpr int RowSpan() const { return IsValid() ? maxRow - minRow + 1 : 0; }
    constexpr int ColSpan() const { return IsValid() ? maxCol - minCol + 1 : 0; }
    // Cells in the block; 0 for an invalid one.
    constexpr std::int64_t CellCount() const { return std::int64_t{RowSpan()} * ColSpan(); }
    // The common part: largest minimum and smallest maximum (invalid when they do not meet).
    constexpr GridCellRange Intersect(const GridCellRange& o) const {
        return {std::max(minRow, o.minRow), std::max(minCol, o.minCol), std::min(maxRow, o.maxRow),
                std::min(maxCol, o.maxCol)};
    }
    constexpr bool Overlaps(const GridCellRange& o) const { return IsValid() && o.IsValid() && Intersect(o).IsValid(); }
    friend constexpr bool operator==(const GridCellRange&, const GridCellRange&) = default;
};
