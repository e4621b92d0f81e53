// Selecting by columns, rows and blocks, header clicks and sorting by a column's text.
#include <algorithm>
#include <numeric>

#include "controls/grid/grid_ctrl.h"

void CGridCtrl::SelectAllCells() {
    if (!selectionEnabled_) return;
    SetSelectedRange(fixedRows_, fixedCols_, rowCount_ - 1, colCount_ - 1);
}

void CGridCtrl::SelectColumns(GridCellId cell, bool forceRedraw, bool selectCells) {
    if (!selectionEnabled_ || !IsValid(cell) || cell.col < fixedCols_) return;
    const int from = singleColSelection_ || !IsValid(selectionStart_) ? cell.col : selectionStart_.col;
    SetSelectedRange(fixedRows_, std::min(from, cell.col), rowCount_ - 1, std::max(from, cell.col), forceRedraw,
                     selectCells);
}

void CGridCtrl::SelectRows(GridCellId cell, bool forceRedraw, bool selectCells) {
    if (!selectionEnabled_ || !IsValid(cell) || cell.row < fixedRows_) return;
    const int from = singleRowSelection_ || !IsValid(selectionStart_) ? cell.row : selectionStart_.row;
    SetSelectedRange(std::min(from, cell.row), fixedCols_, std::max(from, cell.row), colCount_ - 1, forceRedraw,
                     selectCells);
}

void CGridCtrl::SelectCells(GridCellId cell, bool forceRedraw, bool selectCells) {
    if (!selectionEnabled_ || !IsValid(cell) || !IsValid(selectionStart_)) return;
    if (cell.row < fixedRows_ || cell.col < fixedCols_) return;
    if (selectionStart_.row < fixedRows_ || selectionStart_.col < fixedCols_) return;
    SetSelectedRange(std::min(selectionStart_.row, cell.row), std::min(selectionStart_.col, cell.col),
                     std::max(selectionStart_.row, cell.row), std::max(selectionStart_.col, cell.col), forceRedraw,
                     selectCells);
}

void CGridCtrl::OnSelecting(GridCellId cell) {
    if (!selectionEnabled_) return;
    switch (mouseMode_) {
        case MOUSE_SELECT_ALL:
            SelectAllCells();
            break;
        case MOUSE_SELECT_COL:
            SelectColumns(cell, false);
            break;
        case MOUSE_SELECT_ROW:
            SelectRows(cell, false);
            SendMessageToParent(cell.row, cell.col, GVN_SELECTROWS);
            break;
        case MOUSE_SELECT_CELLS:
            SelectCells(cell, false);
            break;
        default:
            break;
    }
}

void CGridCtrl::OnFixedRowClick(GridCellId cell) {
    if (!IsValid(cell)) return;
    if (headerSort_) {
        const bool ascending = cell.col == sortColumn_ ? !sortAscending_ : true;
        SortTextItems(cell.col, ascending);
        Refresh();
    }
    if (fixedRowSelection_) {
        mouseMode_ = cell.col < fixedCols_ ? MOUSE_SELECT_ALL : MOUSE_SELECT_COL;
        OnSelecting(cell);
    }
}

void CGridCtrl::OnFixedColumnClick(GridCellId cell) {
    if (!IsValid(cell) || !fixedColSelection_) return;
    mouseMode_ = cell.row < fixedRows_ ? MOUSE_SELECT_ALL : MOUSE_SELECT_ROW;
    OnSelecting(cell);
}

// A stable sort, so rows of equal texts keep their order from one sort to the next, and each
// row takes its height along: a hidden row stays hidden whatever place it comes to. Texts are
// compared code unit by code unit. Merged blocks of the sorted rows would join other cells
// afterwards and are dropped; those of the fixed rows stay.
bool CGridCtrl::SortTextItems(int col, bool ascending) {
    if (virtualMode_ || col < 0 || col >= colCount_) return false;
    EndEditing();
    if (sortColumn_ >= 0 && sortColumn_ != col) RedrawCell(0, sortColumn_);
    sortColumn_ = col;
    sortAscending_ = ascending;
    RedrawCell(0, col);
    ResetSelectedRange();
    const int first = fixedRows_, count = rowCount_ - fixedRows_;
    if (count < 2) return true;
    std::vector<int> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), first);
    std::vector<std::u16string> texts(static_cast<std::size_t>(rowCount_));
    for (int r = first; r < rowCount_; ++r) {
        const CGridCellBase* cell = GetCell(r, col);
        texts[static_cast<std::size_t>(r)] =
            cell && cell->GetText() ? std::u16string(cell->GetText()) : std::u16string();
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const std::u16string& x = texts[static_cast<std::size_t>(a)];
        const std::u16string& y = texts[static_cast<std::size_t>(b)];
        return ascending ? x < y : y < x;
    });
    std::vector<Row> sorted;
    std::vector<int> heights;
    sorted.reserve(order.size());
    heights.reserve(order.size());
    for (int r : order) {
        sorted.push_back(std::move(rows_[static_cast<std::size_t>(r)]));
        heights.push_back(rowHeights_.Get(r));
    }
    for (int i = 0; i < count; ++i) {
        rows_[static_cast<std::size_t>(first + i)] = std::move(sorted[static_cast<std::size_t>(i)]);
        rowHeights_.Set(first + i, heights[static_cast<std::size_t>(i)]);
    }
    merged_.DropRowsFrom(first);
    Refresh();
    return true;
}
