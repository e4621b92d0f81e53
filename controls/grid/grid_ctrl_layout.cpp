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
