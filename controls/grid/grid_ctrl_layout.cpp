// Sizes and the layout of the current scroll state.
#include <QScrollBar>
#include <algorithm>

#include "controls/grid/grid_ctrl.h"

bool CGridCtrl::SetRowHeight(int row, int height) {
    if (!rowHeights_.Set(row, height)) return false;
    ResetScrollBars();
    return true;
}

bool CGridCtrl::SetColumnWidth(int col, int width) {
    if (!colWidths_.Set(col, width)) return false;
    ResetScrollBars();
    return true;
}

GridGeometry CGridCtrl::GetGeometry() const {
    const QSize client = viewport()->size();
    return GridGeometry(
        rowHeights_, colWidths_, fixedRows_, fixedCols_,
        GridViewport{client.width(), client.height(), horizontalScrollBar()->value(), verticalScrollBar()->value()});
}

bool CGridCtrl::GetCellOrigin(int row, int col, gui::Point* origin) const {
    return GetGeometry().GetCellOrigin(row, col, origin);
}

bool CGridCtrl::GetCellRect(int row, int col, gui::Rect* rect) const {
    return merged_.GetCellRect(row, col, GetGeometry(), rect);
}

GridCellId CGridCtrl::GetTopleftNonFixedCell() const { return GetGeometry().GetTopleftNonFixedCell(); }

GridCellRange CGridCtrl::GetVisibleNonFixedCellRange(gui::Rect* rect) const {
    return GetGeometry().GetVisibleNonFixedCellRange(rect);
}

bool CGridCtrl::IsCellVisible(int row, int col) const { return GetGeometry().IsCellVisible(row, col); }

GridCellId CGridCtrl::GetCellFromPt(gui::Point point, bool allowFixed) const {
    return GetGeometry().GetCellFromPt(point, allowFixed);
}

void CGridCtrl::EnsureVisible(int row, int col) {
    if (!IsValid(row, col)) return;
    const QSize client = viewport()->size();
    if (row >= fixedRows_) {
        const std::int64_t top = rowHeights_.Position(row) - GetFixedRowHeight();
        const std::int64_t bottom = top + rowHeights_.Get(row);
        const std::int64_t room = client.height() - GetFixedRowHeight();
        QScrollBar* bar = verticalScrollBar();
        if (top < bar->value())
            bar->setValue(static_cast<int>(top));
        else if (bottom > bar->value() + room)
            bar->setValue(static_cast<int>(std::min(top, bottom - room)));
    }
    if (col >= fixedCols_) {
        const std::int64_t left = colWidths_.Position(col) - GetFixedColumnWidth();
        const std::int64_t right = left + colWidths_.Get(col);
        const std::int64_t room = client.width() - GetFixedColumnWidth();
        QScrollBar* bar = horizontalScrollBar();
        if (left < bar->value())
            bar->setValue(static_cast<int>(left));
        else if (right > bar->value() + room)
            bar->setValue(static_cast<int>(std::min(left, right - room)));
    }
}

void CGridCtrl::Refresh() {
    if (allowDraw_) viewport()->update();
}

void CGridCtrl::resizeEvent(QResizeEvent* event) {
    EndEditing();
    QAbstractScrollArea::resizeEvent(event);
    ResetScrollBars();
}

void CGridCtrl::scrollContentsBy(int, int) {
    titleTip_.Hide();
    viewport()->update();
}
