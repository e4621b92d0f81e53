#pragma once
// CGridSelector: which cells of a grid are selected, one bit a cell, independent of the cell
// objects, so that a virtual grid (which stores no cells) has a selection too. Keeps the
// number of selected cells, so a count of selected rows is cheap.
//
// Invariant: the count equals the number of set bits, and no bit beyond rows x columns is
// set. Rows inserted or deleted in the grid are inserted into or taken out of the bits
// (InsertRow, DeleteRow), so the other rows keep their selection; Resize to another size
// clears it.
//
// The selector reaches its grid only through GridSelectorHost: the fixed counts, virtual mode,
// the visible range and sizes (to repaint changed cells) and the cells' selected bits. It
// belongs to the grid's thread; nothing throws (a failed allocation leaves an empty model).
#include <cstdint>
#include <vector>

namespace gui {
class Canvas;
}

// What the selector needs of its grid. Implemented by the grid; tests put in a plain one.
class GridSelectorHost {
public:
    virtual ~GridSelectorHost() = default;
    virtual int GetRowCount() const = 0;
    virtual int GetColumnCount() const = 0;
    virtual int GetFixedRowCount() const = 0;
    virtual int GetFixedColumnCount() const = 0;
    virtual bool GetVirtualMode() const = 0;
    // The visible non-fixed range; false (nothing visible) while the grid has no window.
    virtual bool GetVisibleRange(int* minRow, int* minCol, int* maxRow, int* maxCol) const = 0;
    virtual int GetRowHeight(int row) const = 0;
    virtual int GetColumnWidth(int col) const = 0;
    // Outside virtual mode: sets or clears the selected bit of the stored cell and answers the
    // bit it had, or -1 when there is no cell object at the position.
    virtual int SetCellSelectedBit(int row, int col, bool selected) = 0;
    // Repaints one visible cell: on the canvas when one is given, else by invalidating it.
    virtual void RedrawSelectedCell(int row, int col, gui::Canvas* canvas) = 0;
};

class CGridSelector {
public:
    CGridSelector() = default;
    virtual ~CGridSelector() = default;
    CGridSelector(const CGridSelector&) = delete;
    CGridSelector& operator=(const CGridSelector&) = delete;

    // Stores the grid (not owned) and, when there is one, resizes to its counts.
    virtual void SetGrid(GridSelectorHost* grid);
    // Nothing while resizing is disabled, for a negative size or an unchanged one (the bits are
    // kept); otherwise every bit is cleared and the new size taken.
    virtual void Resize(int rows, int cols);
    virtual int GetSelectedCount() const { return selectedCount_; }
    virtual void SetAddMode(bool add) { addMode_ = add; }
    virtual bool GetAddMode() const { return addMode_; }
    // The grid's selection primitive: with bSelectCells and add mode off the selection becomes
    // the block; with bSelectCells off the block is deselected. Bounds inside the fixed rows
    // (columns) move to the first non-fixed one. Changed cells that are visible are repainted.
    virtual void SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, gui::Canvas* canvas,
                                  bool bSelectCells);
    // Inverts every cell of the block (clamped as above); repaints nothing.
    virtual void ToggleRange(int minRow, int minCol, int maxRow, int maxCol);
    virtual bool IsSelected(int row, int col) const;
    // Set or clear one bit; positions outside the matrix are ignored. The cell objects are
    // not touched.
    virtual void Select(int row, int col);
    virtual void Deselect(int row, int col);
    virtual void EnableResize(bool enable) { resizeEnabled_ = enable; }

    // A row inserted before `row` (0 <= row <= rows): the rows from there move down with their
    // bits and the new row is unselected. A row deleted: its bits go, the rows below move up.
    // Both work whether resizing is enabled or not; false for a bad row.
    bool InsertRow(int row);
    bool DeleteRow(int row);

    int GetRowCount() const { return rows_; }
    int GetColumnCount() const { return cols_; }

private:
    bool InMatrix(int row, int col) const { return row >= 0 && row < rows_ && col >= 0 && col < cols_; }
    std::uint64_t Index(int row, int col) const {
        return static_cast<std::uint64_t>(row) * static_cast<std::uint64_t>(cols_) + static_cast<std::uint64_t>(col);
    }
    bool Bit(std::uint64_t index) const { return (bits_[index / 32] >> (index % 32)) & 1u; }
    // Clamps the bounds into the non-fixed area; false when the block is not inside the matrix.
    bool ClampBlock(int& minRow, int& minCol, int& maxRow, int& maxCol) const;
    void Recount();
    void RedrawIfVisible(int row, int col, gui::Canvas* canvas, bool haveRange, int vMinRow, int vMinCol,
                         int vMaxRow, int vMaxCol);
    bool Allocate(int rows, int cols);

    std::vector<std::uint32_t> bits_;  // row-major: index = row x cols + col
    GridSelectorHost* grid_ = nullptr;
    int rows_ = 0;
    int cols_ = 0;
    bool addMode_ = false;
    int selectedCount_ = 0;
    bool resizeEnabled_ = true;
};
