// Row and column counts: setting them, inserting and deleting rows and columns. Every change
// keeps the sizes, the selection model and the merged blocks in step with the cells.
#include <new>

#include "controls/grid/grid_ctrl.h"

std::unique_ptr<CGridCellBase> CGridCtrl::NewCell(int row, int col) {
    std::unique_ptr<CGridCellBase> cell = CreateCell(row, col);
    if (!cell) cell = std::make_unique<CGridCell>();  // a refused class never leaves a hole
    return cell;
}

void CGridCtrl::AfterShapeChange() {
    merged_.OnShapeChanged(GetShape());
    if (!IsValid(focusCell_)) focusCell_ = GridCellId();
    ResetScrollBars();
    Refresh();
}

bool CGridCtrl::SetRowCount(int rows) {
    if (rows < 0) return false;
    if (rows == rowCount_) return true;
    EndEditing();
    try {
        if (!virtualMode_) {
            for (int r = rowCount_ - 1; r >= rows; --r)
                for (int c = 0; c < colCount_; ++c) DestroyCell(r, c);
            rows_.resize(static_cast<std::size_t>(rows));
            for (int r = rowCount_; r < rows; ++r) {
                Row& row = rows_[static_cast<std::size_t>(r)];
                row.reserve(static_cast<std::size_t>(colCount_));
                for (int c = 0; c < colCount_; ++c) row.push_back(NewCell(r, c));
            }
        }
        rowHeights_.Resize(rows, DefaultRowHeight());
    } catch (const std::bad_alloc&) {
        rows_.resize(std::min<std::size_t>(rows_.size(), static_cast<std::size_t>(rowCount_)));
        return false;
    }
    rowCount_ = rows;
    fixedRows_ = std::min(fixedRows_, rowCount_);
    selector_.Resize(rowCount_, colCount_);
    ResetSelectedRange();
    AfterShapeChange();
    return true;
}

bool CGridCtrl::SetColumnCount(int cols) {
    if (cols < 0) return false;
    if (cols == colCount_) return true;
    EndEditing();
    try {
        if (!virtualMode_) {
            for (int r = 0; r < rowCount_; ++r) {
                for (int c = colCount_ - 1; c >= cols; --c) DestroyCell(r, c);
                Row& row = rows_[static_cast<std::size_t>(r)];
                row.resize(std::min<std::size_t>(row.size(), static_cast<std::size_t>(cols)));
                for (int c = colCount_; c < cols; ++c) row.push_back(NewCell(r, c));
            }
        }
        colWidths_.Resize(cols, DefaultColumnWidth());
    } catch (const std::bad_alloc&) {
        return false;
    }
    colCount_ = cols;
    fixedCols_ = std::min(fixedCols_, colCount_);
    selector_.Resize(rowCount_, colCount_);
    ResetSelectedRange();
    AfterShapeChange();
    return true;
}

void CGridCtrl::SetFixedBits(int row, int col) {
    CGridCellBase* cell = virtualMode_ ? nullptr : GetCell(row, col);
    if (!cell) return;
    GridItemState state = cell->GetState() & ~(GVIS_FIXED | GVIS_FIXEDROW | GVIS_FIXEDCOL);
    if (row < fixedRows_) state |= GVIS_FIXED_ROW_BITS;
    if (col < fixedCols_) state |= GVIS_FIXED_COL_BITS;
    cell->SetState(state);
}

bool CGridCtrl::SetFixedRowCount(int fixedRows) {
    if (fixedRows < 0) return false;
    if (fixedRows > rowCount_ && !SetRowCount(fixedRows)) return false;
    const int from = std::min(fixedRows, fixedRows_), to = std::max(fixedRows, fixedRows_);
    fixedRows_ = fixedRows;
    for (int r = from; r < to; ++r)
        for (int c = 0; c < colCount_; ++c) SetFixedBits(r, c);
    AfterShapeChange();
    return true;
}

bool CGridCtrl::SetFixedColumnCount(int fixedCols) {
    if (fixedCols < 0) return false;
    if (fixedCols > colCount_ && !SetColumnCount(fixedCols)) return false;
    const int from = std::min(fixedCols, fixedCols_), to = std::max(fixedCols, fixedCols_);
    fixedCols_ = fixedCols;
    for (int r = 0; r < rowCount_; ++r)
        for (int c = from; c < to; ++c) SetFixedBits(r, c);
    AfterShapeChange();
    return true;
}

int CGridCtrl::InsertRow(const char16_t* heading, int row) {
    if (row != -1 && (row < fixedRows_ || row >= rowCount_)) return -1;
    if (row == -1) row = rowCount_;
    EndEditing();
    if (colCount_ < 1 && !SetColumnCount(1)) return -1;
    try {
        if (!virtualMode_) {
            Row cells;
            cells.reserve(static_cast<std::size_t>(colCount_));
            for (int c = 0; c < colCount_; ++c) cells.push_back(NewCell(row, c));
            rows_.insert(rows_.begin() + row, std::move(cells));
        }
        rowHeights_.Insert(row, DefaultRowHeight());
    } catch (const std::bad_alloc&) {
        return -1;
    }
    ++rowCount_;
    if (!selector_.InsertRow(row)) selector_.Resize(rowCount_, colCount_);
    if (focusCell_.row >= row) ++focusCell_.row;
    merged_.OnRowInserted(row, GetShape());
    if (heading && !virtualMode_) GetCell(row, 0)->SetText(heading);
    ResetScrollBars();
    Refresh();
    return row;
}

int CGridCtrl::InsertColumn(const char16_t* heading, std::uint32_t format, int col) {
    if (col != -1 && (col < fixedCols_ || col >= colCount_)) return -1;
    if (col == -1) col = colCount_;
    EndEditing();
    if (rowCount_ < 1 && !SetRowCount(1)) return -1;
    try {
        if (!virtualMode_) {
            for (int r = 0; r < rowCount_; ++r) {
                std::unique_ptr<CGridCellBase> cell = NewCell(r, col);
                cell->SetFormat(format);
                Row& cells = rows_[static_cast<std::size_t>(r)];
                cells.insert(cells.begin() + col, std::move(cell));
            }
        }
        colWidths_.Insert(col, DefaultColumnWidth());
    } catch (const std::bad_alloc&) {
        return -1;
    }
    ++colCount_;
    selector_.Resize(rowCount_, colCount_);
    ResetSelectedRange();
    merged_.OnColumnInserted(col, GetShape());
    if (heading && !virtualMode_) GetCell(0, col)->SetText(heading);
    ResetScrollBars();
    Refresh();
    return col;
}

bool CGridCtrl::DeleteRow(int row) {
    if (row < 0 || row >= rowCount_) return false;
    EndEditing();
    for (int c = 0; c < colCount_; ++c) DestroyCell(row, c);
    if (!virtualMode_) rows_.erase(rows_.begin() + row);
    rowHeights_.Erase(row);
    --rowCount_;
    if (row < fixedRows_) --fixedRows_;
    if (!selector_.DeleteRow(row)) selector_.Resize(rowCount_, colCount_);
    if (focusCell_.row == row)
        focusCell_ = GridCellId();
    else if (focusCell_.row > row)
        --focusCell_.row;
    merged_.OnRowDeleted(row, GetShape());
    ResetScrollBars();
    Refresh();
    return true;
}

bool CGridCtrl::DeleteNonFixedRows() { return SetRowCount(fixedRows_); }

bool CGridCtrl::DeleteAllItems() {
    EndEditing();
    ResetSelectedRange();
    for (int r = rowCount_ - 1; r >= 0 && !virtualMode_; --r)
        for (int c = 0; c < colCount_; ++c) DestroyCell(r, c);
    rows_.clear();
    rowHeights_.Clear();
    colWidths_.Clear();
    rowCount_ = colCount_ = fixedRows_ = fixedCols_ = 0;
    selector_.Resize(0, 0);
    merged_.Clear();
    focusCell_ = editCell_ = GridCellId();
    ResetScrollBars();
    Refresh();
    return true;
}
