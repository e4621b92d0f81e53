// Auto-sizing of columns and rows to their cells' extents.
#include <QScrollBar>
#include <algorithm>

#include "controls/grid/grid_ctrl.h"

// A cell of a block that spans two or more columns (rows) says nothing about one column's
// (row's) width (height); it is measured only when it is the last one and nothing else was.
bool CGridCtrl::AutoSizeColumn(int col, int style, bool resetScroll) {
    if (col < 0 || col >= colCount_ || colWidths_.Get(col) == 0) return false;
    if (style == GVS_DEFAULT) style = autoSizeStyle_;
    const int first = (style & GVS_HEADER) ? 0 : fixedRows_;
    const int last = (style & GVS_DATA) ? rowCount_ - 1 : fixedRows_ - 1;
    if (first > last) return false;
    if (virtualMode_ && !SendCacheHintToParent(GridCellRange(first, col, last, col))) return false;
    const std::weak_ptr<int> alive = alive_;
    std::unique_ptr<gui::Canvas> dc = CreateMeasureCanvas();
    int width = -1;
    for (int r = first; r <= last; ++r) {
        GridCellRange block;
        if (merged_.FindRange(r, col, &block) && block.ColSpan() >= 2 && !(r == last && width < 0)) continue;
        CGridCellBase* cell = GetCell(r, col);
        if (alive.expired()) return false;
        if (cell) width = std::max(width, cell->GetCellExtent(dc.get()).cx);
    }
    if (virtualMode_ && !SendCacheHintToParent(GridCellRange())) return false;
    if (width < 0) return false;
    colWidths_.Set(col, width);
    if (resetScroll) ResetScrollBars();
    return true;
}

bool CGridCtrl::AutoSizeRow(int row, bool resetScroll) {
    if (row < 0 || row >= rowCount_ || rowHeights_.Get(row) == 0 || colCount_ == 0) return false;
    if (virtualMode_ && !SendCacheHintToParent(GridCellRange(row, 0, row, colCount_ - 1))) return false;
    const std::weak_ptr<int> alive = alive_;
    std::unique_ptr<gui::Canvas> dc = CreateMeasureCanvas();
    int height = -1;
    const int last = colCount_ - 1;
    for (int c = 0; c <= last; ++c) {
        GridCellRange block;
        if (merged_.FindRange(row, c, &block) && block.RowSpan() >= 2 && !(c == last && height < 0)) continue;
        CGridCellBase* cell = GetCell(row, c);
        if (alive.expired()) return false;
        if (cell) height = std::max(height, cell->GetCellExtent(dc.get()).cy);
    }
    if (virtualMode_ && !SendCacheHintToParent(GridCellRange())) return false;
    if (height < 0) return false;
    rowHeights_.Set(row, height);
    if (resetScroll) ResetScrollBars();
    return true;
}

void CGridCtrl::AutoSizeColumns(int style) {
    const std::weak_ptr<int> alive = alive_;
    for (int c = 0; c < colCount_; ++c) {
        if (colWidths_.Get(c) > 0) AutoSizeColumn(c, style, false);
        if (alive.expired()) return;
    }
    ResetScrollBars();
}

void CGridCtrl::ExpandLastColumn() {
    if (colCount_ == 0) return;
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const std::int64_t free = viewport()->width() - colWidths_.Total();
    if (free > 0) colWidths_.Set(colCount_ - 1, ClampToInt(colWidths_.Get(colCount_ - 1) + free));
    ResetScrollBars();
}
