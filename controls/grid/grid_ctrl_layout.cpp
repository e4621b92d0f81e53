// Sizes, the layout of the current scroll state, and painting of the visible cells.
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "controls/grid/grid_ctrl.h"
#include "controls/grid/mem_dc.h"
#include "platform/gui/qpainter_canvas.h"

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

// The scroll ranges cover what the non-fixed rows and columns do not show at once. The
// two-pass decision of both bars and the line steps come with the scrolling code.
void CGridCtrl::ResetScrollBars() {
    const QSize client = viewport()->size();
    const std::int64_t width =
        colWidths_.Total() - (filler_ && colCount_ > 0 ? colWidths_.Get(colCount_ - 1) : 0) - GetFixedColumnWidth();
    const std::int64_t height = rowHeights_.Total() - GetFixedRowHeight();
    const std::int64_t visibleWidth = client.width() - GetFixedColumnWidth();
    const std::int64_t visibleHeight = client.height() - GetFixedRowHeight();
    auto range = [](std::int64_t total, std::int64_t visible) {
        return static_cast<int>(std::clamp<std::int64_t>(total - std::max<std::int64_t>(visible, 0), 0, INT32_MAX));
    };
    horizontalScrollBar()->setRange(0, range(width, visibleWidth));
    horizontalScrollBar()->setPageStep(static_cast<int>(std::max<std::int64_t>(visibleWidth, 1)));
    verticalScrollBar()->setRange(0, range(height, visibleHeight));
    verticalScrollBar()->setPageStep(static_cast<int>(std::max<std::int64_t>(visibleHeight, 1)));
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

bool CGridCtrl::RedrawCell(int row, int col, gui::Canvas* dc) {
    if (!allowDraw_ || !IsCellVisible(row, col)) return false;
    gui::Rect rect;
    if (!GetCellRect(row, col, &rect)) return false;
    if (dc) {
        CGridCellBase* cell = GetCell(row, col);
        return cell && cell->Draw(dc, row, col, rect, true);
    }
    viewport()->update(rect.left, rect.top, rect.Width() + 1, rect.Height() + 1);
    return true;
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

void CGridCtrl::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    gui::QPainterCanvas canvas(painter);
    canvas.IntersectClipRect(gui::Rect(event->rect().x(), event->rect().y(), event->rect().x() + event->rect().width(),
                                       event->rect().y() + event->rect().height()));
    if (doubleBuffer_) {
        CMemDC mem(canvas);
        OnDraw(mem);
    } else {
        OnDraw(canvas);
    }
}

// The background, then every visible cell by its own Draw: the fixed corner, the fixed rows
// over the visible columns, the fixed columns beside the visible rows, the body. Merged
// blocks, grid lines and the cache hint come with the full painting code.
void CGridCtrl::OnDraw(gui::Canvas& dc) {
    if (!allowDraw_) return;
    const GridGeometry geometry = GetGeometry();
    const gui::Rect clip = dc.GetClipBox();
    dc.FillRect(clip, gridBkColour_);
    int firstRow = -1, lastRow = -1, firstCol = -1, lastCol = -1;
    geometry.GetVisibleRows(&firstRow, &lastRow);
    geometry.GetVisibleColumns(&firstCol, &lastCol);
    auto drawCell = [&](int row, int col) {
        if (rowHeights_.Get(row) <= 0 || colWidths_.Get(col) <= 0) return true;
        gui::Rect rect;
        if (!geometry.GetCellRect(row, col, &rect)) return true;
        const std::weak_ptr<int> alive = alive_;
        CGridCellBase* cell = GetCell(row, col);
        if (alive.expired()) return false;
        if (cell) cell->Draw(&dc, row, col, rect, true);
        return true;
    };
    auto rowsOf = [&](bool fixed, auto&& each) {
        if (fixed) {
            for (int r = 0; r < fixedRows_; ++r)
                if (!each(r)) return false;
        } else if (firstRow >= 0) {
            for (int r = firstRow; r <= lastRow; ++r)
                if (!each(r)) return false;
        }
        return true;
    };
    auto colsOf = [&](bool fixed, int row) {
        if (fixed) {
            for (int c = 0; c < fixedCols_; ++c)
                if (!drawCell(row, c)) return false;
        } else if (firstCol >= 0) {
            for (int c = firstCol; c <= lastCol; ++c)
                if (!drawCell(row, c)) return false;
        }
        return true;
    };
    for (bool fixedRow : {true, false})
        for (bool fixedCol : {true, false})
            if (!rowsOf(fixedRow, [&](int r) { return colsOf(fixedCol, r); })) return;
}
