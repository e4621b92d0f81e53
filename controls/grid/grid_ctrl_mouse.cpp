// The mouse: presses, drag selection with auto-scroll, divider sizing, releases, double
// clicks, right clicks, cursors and title tips.
#include <QMouseEvent>
#include <QTimerEvent>
#include <algorithm>

#include "controls/grid/grid_ctrl.h"

namespace {
constexpr int kAutoScrollInterval = 25;  // milliseconds
constexpr int kCaptureRange = 3;         // pixels either side of a divider that grab it

gui::Point ClientPoint(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return {p.x(), p.y()};
}
}  // namespace

// The column a press at the point sizes when it lies on a divider of the fixed rows: the
// cell's own column near its right edge, the one before near its left edge, and a last column
// narrower than the capture range near its right edge. -1 elsewhere.
int CGridCtrl::ColumnDividerAt(gui::Point point) const {
    if (!colResize_ || colCount_ == 0 || point.y < 0 || point.y >= GetFixedRowHeight()) return -1;
    const GridGeometry geometry = GetGeometry();
    gui::Point origin;
    const int last = colCount_ - 1;
    if (GetColumnWidth(last) < kCaptureRange && geometry.GetCellOrigin(0, last, &origin)) {
        const int right = origin.x + GetColumnWidth(last);
        if (point.x >= right - kCaptureRange && point.x < right + kCaptureRange) return last;
    }
    const GridCellId cell = geometry.GetCellFromPt(point, true);
    if (!IsValid(cell) || !geometry.GetCellOrigin(cell.row, cell.col, &origin)) return -1;
    if (cell.col > 0 && point.x < origin.x + kCaptureRange) return cell.col - 1;
    if (point.x >= origin.x + GetColumnWidth(cell.col) - kCaptureRange) return cell.col;
    return -1;
}

int CGridCtrl::RowDividerAt(gui::Point point) const {
    if (!rowResize_ || rowCount_ == 0 || point.x < 0 || point.x >= GetFixedColumnWidth()) return -1;
    const GridGeometry geometry = GetGeometry();
    gui::Point origin;
    const int last = rowCount_ - 1;
    if (GetRowHeight(last) < kCaptureRange && geometry.GetCellOrigin(last, 0, &origin)) {
        const int bottom = origin.y + GetRowHeight(last);
        if (point.y >= bottom - kCaptureRange && point.y < bottom + kCaptureRange) return last;
    }
    const GridCellId cell = geometry.GetCellFromPt(point, true);
    if (!IsValid(cell) || !geometry.GetCellOrigin(cell.row, cell.col, &origin)) return -1;
    if (cell.row > 0 && point.y < origin.y + kCaptureRange) return cell.row - 1;
    if (point.y >= origin.y + GetRowHeight(cell.row) - kCaptureRange) return cell.row;
    return -1;
}

// Mode 8 with the sizing cursor over a column divider, 6 over a row divider; true when one
// of them was taken. A hover mode left from an earlier point is dropped first: a press or a
// double click may come without a move before it.
bool CGridCtrl::UpdateDividerMode(gui::Point point) {
    if (mouseMode_ == MOUSE_OVER_COL_DIVIDE || mouseMode_ == MOUSE_OVER_ROW_DIVIDE) mouseMode_ = MOUSE_NOTHING;
    if (ColumnDividerAt(point) >= 0) {
        viewport()->setCursor(Qt::SizeHorCursor);
        mouseMode_ = MOUSE_OVER_COL_DIVIDE;
        return true;
    }
    if (RowDividerAt(point) >= 0) {
        viewport()->setCursor(Qt::SizeVerCursor);
        mouseMode_ = MOUSE_OVER_ROW_DIVIDE;
        return true;
    }
    return false;
}

void CGridCtrl::OnLButtonDown(gui::Point point, bool ctrl, bool shift) {
    const std::weak_ptr<int> alive = alive_;
    setFocus();
    downPoint_ = lastMousePoint_ = point;
    leftDown_ = true;
    downCell_ = GetCellFromPt(point);
    if (!IsValid(downCell_)) return;
    if (!shift)
        selectionStart_ = downCell_;
    else if (!IsValid(selectionStart_))
        selectionStart_ = focusCell_;
    EndEditing();
    if (alive.expired()) return;
    gui::Point origin;
    GetCellOrigin(downCell_.row, downCell_.col, &origin);
    CGridCellBase* cell = GetCell(downCell_.row, downCell_.col);
    if (alive.expired() || !cell || !cell->OnClickDown(point - origin) || alive.expired()) return;

    if (downCell_ == focusCell_) {
        if (IsCellEditable(downCell_.row, downCell_.col)) mouseMode_ = MOUSE_PREPARE_EDIT;
        return;
    }
    if (mouseMode_ == MOUSE_NOTHING || mouseMode_ == MOUSE_OVER_COL_DIVIDE || mouseMode_ == MOUSE_OVER_ROW_DIVIDE)
        UpdateDividerMode(point);
    if (IsCellSelected(downCell_.row, downCell_.col) && ctrl) {
        SetFocusCell(-1, -1);
        if (alive.expired()) return;
        if (listMode_)
            SetSelectedRange(downCell_.row, fixedCols_, downCell_.row, colCount_ - 1, false, false);
        else
            SetSelectedRange(downCell_.row, downCell_.col, downCell_.row, downCell_.col, false, false);
        return;
    }
    if (mouseMode_ != MOUSE_OVER_COL_DIVIDE && mouseMode_ != MOUSE_OVER_ROW_DIVIDE) {
        SetFocusCell(std::max(downCell_.row, fixedRows_), std::max(downCell_.col, fixedCols_));
        if (alive.expired()) return;
    }

    if (mouseMode_ == MOUSE_OVER_COL_DIVIDE || mouseMode_ == MOUSE_OVER_ROW_DIVIDE) {
        const bool cols = mouseMode_ == MOUSE_OVER_COL_DIVIDE;
        int index = cols ? ColumnDividerAt(point) : RowDividerAt(point);
        const GridSizes& sizes = cols ? colWidths_ : rowHeights_;
        if (!(cols ? hiddenColGrab_ : hiddenRowGrab_))
            while (index >= 0 && sizes.Get(index) == 0) --index;
        if (index < 0) {
            mouseMode_ = MOUSE_NOTHING;
            return;
        }
        sizingIndex_ = index;
        mouseMode_ = cols ? MOUSE_SIZING_COL : MOUSE_SIZING_ROW;
        sizingLine_ = cols ? point.x : point.y;
        viewport()->update();
        return;
    }

    selector_.SetAddMode(ctrl);
    if (downCell_.row < fixedRows_) {
        OnFixedRowClick(downCell_);
    } else if (downCell_.col >= fixedCols_) {
        mouseMode_ = listMode_ ? MOUSE_SELECT_ROW : MOUSE_SELECT_CELLS;
        OnSelecting(downCell_);
        if (alive.expired()) return;
        autoScrollTimer_.start(kAutoScrollInterval, this);
    } else {
        OnFixedColumnClick(downCell_);
    }
    if (alive.expired()) return;
    selector_.SetAddMode(false);
    lastMousePoint_ = point;
}

void CGridCtrl::OnMouseMove(gui::Point point, bool leftDown) {
    const std::weak_ptr<int> alive = alive_;
    if (leftDown && leftDown_ && mouseMode_ != MOUSE_NOTHING) {
        switch (mouseMode_) {
            case MOUSE_SELECT_COL:
            case MOUSE_SELECT_ROW:
            case MOUSE_SELECT_CELLS: {
                const GridCellId cell = GetCellFromPt(point);
                if (!IsValid(cell)) break;
                if (listMode_ ? cell.row == focusCell_.row : cell == focusCell_) break;
                OnSelecting(cell);
                if (alive.expired()) return;
                if ((cell.row >= fixedRows_ && cell.col >= fixedCols_) || mouseMode_ != MOUSE_SELECT_CELLS)
                    SetFocusCell(cell);
                if (alive.expired()) return;
                break;
            }
            case MOUSE_SIZING_COL:
            case MOUSE_SIZING_ROW:
                sizingLine_ = mouseMode_ == MOUSE_SIZING_COL ? point.x : point.y;
                viewport()->update();
                break;
            default:
                break;
        }
        lastMousePoint_ = point;
        return;
    }
    if (leftDown) return;
    if (!UpdateDividerMode(point) && mouseMode_ != MOUSE_NOTHING) {
        viewport()->setCursor(Qt::ArrowCursor);
        mouseMode_ = MOUSE_NOTHING;
    }
    if (mouseMode_ == MOUSE_NOTHING && !(virtualMode_ && !titleTips_)) ShowTitleTip(point);
    lastMousePoint_ = point;
}

// The cell under the mouse hears it; with title tips a cell not being edited shows its tip
// text over its tip rectangle (the tip appears only when the text is clipped there).
void CGridCtrl::ShowTitleTip(gui::Point point) {
    const GridCellId id = GetCellFromPt(point);
    if (!IsValid(id)) return;
    CGridCellBase* cell = GetCell(id.row, id.col);
    if (!cell) return;
    cell->OnMouseOver();
    if (!titleTips_ || cell->IsEditing()) return;
    const char16_t* tip = cell->GetTipText();
    gui::Rect textRect, cellRect;
    if (!tip || !*tip || !cell->GetTipTextRect(&textRect) || !GetCellRect(id.row, id.col, &cellRect)) return;
    titleTip_.Show(textRect, CString(tip), 0, &cellRect, cell->GetFont(), tipTextColour_, tipBackColour_);
}

void CGridCtrl::OnLButtonUp(gui::Point point) {
    const std::weak_ptr<int> alive = alive_;
    leftDown_ = false;
    autoScrollTimer_.stop();
    switch (mouseMode_) {
        case MOUSE_PREPARE_EDIT: {
            gui::Point origin;
            GetCellOrigin(focusCell_.row, focusCell_.col, &origin);
            OnEditCell(focusCell_.row, focusCell_.col, point - origin, VK_LBUTTON);
            break;
        }
        case MOUSE_SIZING_COL:
        case MOUSE_SIZING_ROW: {
            const bool cols = mouseMode_ == MOUSE_SIZING_COL;
            sizingLine_ = -1;
            viewport()->update();
            gui::Point origin;
            if (point == downPoint_ || point == gui::Point(0, 0) || !IsValid(cols ? 0 : sizingIndex_, cols ? sizingIndex_ : 0))
                break;
            // The left (top) edge of a scrolled-out column lies left of the client area.
            GetCellOrigin(cols ? 0 : sizingIndex_, cols ? sizingIndex_ : 0, &origin);
            const int least = (cols ? colHiding_ : rowHiding_) ? 0 : 1;
            const int size = std::max(cols ? point.x - origin.x : point.y - origin.y, least);
            if (cols)
                SetColumnWidth(sizingIndex_, size);
            else
                SetRowHeight(sizingIndex_, size);
            ResetScrollBars();
            Refresh();
            if (cols && !SendMessageToParent(0, sizingIndex_, GVN_COLUMNRESIZED)) return;
            break;
        }
        default: {
            if (!SendMessageToParent(focusCell_.row, focusCell_.col, GVN_SELCHANGED)) return;
            // The owner may have deleted rows or rebuilt the grid meanwhile: the button-down
            // cell must still exist, and is fetched anew (a virtual cell is refilled).
            if (!IsValid(downCell_)) {
                downCell_ = GridCellId();
                break;
            }
            gui::Point origin;
            GetCellOrigin(downCell_.row, downCell_.col, &origin);
            if (CGridCellBase* cell = GetCell(downCell_.row, downCell_.col)) cell->OnClick(point - origin);
            if (alive.expired()) return;
            if (!SendMessageToParent(downCell_.row, downCell_.col, GVN_CLICK)) return;
            break;
        }
    }
    if (alive.expired()) return;
    mouseMode_ = MOUSE_NOTHING;
    viewport()->setCursor(Qt::ArrowCursor);
    if (IsValid(downCell_)) PostCommandToParent();
}

void CGridCtrl::OnLButtonDblClk(gui::Point point) {
    const std::weak_ptr<int> alive = alive_;
    const GridCellId id = GetCellFromPt(point);
    if (!IsValid(id)) return;
    if (mouseMode_ == MOUSE_NOTHING || mouseMode_ == MOUSE_OVER_COL_DIVIDE || mouseMode_ == MOUSE_OVER_ROW_DIVIDE)
        UpdateDividerMode(point);
    if (mouseMode_ == MOUSE_OVER_COL_DIVIDE || mouseMode_ == MOUSE_OVER_ROW_DIVIDE) {
        const bool cols = mouseMode_ == MOUSE_OVER_COL_DIVIDE;
        int index = cols ? ColumnDividerAt(point) : RowDividerAt(point);
        const GridSizes& sizes = cols ? colWidths_ : rowHeights_;
        while (index >= 0 && sizes.Get(index) == 0) --index;
        if (index < 0) return;
        if (cols) {
            AutoSizeColumn(index, autoSizeStyle_);
            if (!SendMessageToParent(0, index, GVN_COLUMNRESIZED)) return;
        } else {
            AutoSizeRow(index);
        }
        Refresh();
        return;
    }
    if (mouseMode_ != MOUSE_NOTHING) return;
    gui::Point origin;
    GetCellOrigin(id.row, id.col, &origin);
    const bool nonFixed = id.row >= fixedRows_ && id.col >= fixedCols_;
    const bool listHeader = listMode_ && id.row >= fixedRows_ && id.col < fixedCols_;
    if (IsValid(downCell_) && (nonFixed || listHeader)) {
        OnEditCell(id.row, id.col, point - origin, VK_LBUTTON);
        if (alive.expired() || !IsValid(id)) return;
    }
    if (CGridCellBase* cell = GetCell(id.row, id.col)) cell->OnDblClick(point - origin);
    if (alive.expired()) return;
    SendMessageToParent(id.row, id.col, GVN_DBLCLK);
}

void CGridCtrl::OnRButtonUp(gui::Point point) {
    const std::weak_ptr<int> alive = alive_;
    EndEditing();
    if (alive.expired()) return;
    const GridCellId id = GetCellFromPt(point);
    if (!IsValid(id)) {
        SendMessageToParent(-1, -1, GVN_RCLICK);
        return;
    }
    SetFocusCell(std::max(id.row, fixedRows_), std::max(id.col, fixedCols_));
    if (alive.expired() || !IsValid(focusCell_)) return;
    gui::Point origin;
    GetCellOrigin(focusCell_.row, focusCell_.col, &origin);
    if (CGridCellBase* cell = GetCell(focusCell_.row, focusCell_.col)) cell->OnRClick(point - origin);
    if (alive.expired()) return;
    SendMessageToParent(focusCell_.row, focusCell_.col, GVN_RCLICK);
}

// The mouse is where it was last seen: while the button is down the grid has the mouse grab,
// so every move reaches it, also outside the client area.
void CGridCtrl::OnAutoScrollTimer() {
    const std::weak_ptr<int> alive = alive_;
    const int width = viewport()->width(), height = viewport()->height();
    const int fixedHeight = static_cast<int>(std::min<std::int64_t>(GetFixedRowHeight(), height));
    const int fixedWidth = static_cast<int>(std::min<std::int64_t>(GetFixedColumnWidth(), width));
    const gui::Point p = lastMousePoint_;
    const int x = std::clamp(p.x, 0, std::max(width - 1, 0)), y = std::clamp(p.y, 0, std::max(height - 1, 0));
    auto step = [&](std::uint32_t vk, gui::Point edge) {
        OnKeyDown(vk, false, false);
        if (alive.expired()) return false;
        OnSelecting(GetCellFromPt(edge));
        return !alive.expired();
    };
    if (p.y < fixedHeight) {
        if (!step(VK_UP, {x, fixedHeight + 1})) return;
    } else if (p.y > height) {
        if (!step(VK_DOWN, {x, height - 1})) return;
    }
    if (p.x < fixedWidth) {
        step(VK_LEFT, {fixedWidth + 1, y});
    } else if (p.x > width) {
        step(VK_RIGHT, {width - 1, y});
    }
}

void CGridCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const Qt::KeyboardModifiers m = event->modifiers();
        OnLButtonDown(ClientPoint(event), m & Qt::ControlModifier, m & Qt::ShiftModifier);
    }
    event->accept();
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* event) {
    OnMouseMove(ClientPoint(event), event->buttons() & Qt::LeftButton);
    event->accept();
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && leftDown_)
        OnLButtonUp(ClientPoint(event));
    else if (event->button() == Qt::RightButton)
        OnRButtonUp(ClientPoint(event));
    event->accept();
}

void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        // The second press of a double click counts as a press for the release that follows.
        leftDown_ = true;
        OnLButtonDblClk(ClientPoint(event));
    }
    event->accept();
}

void CGridCtrl::timerEvent(QTimerEvent* event) {
    if (event->timerId() == autoScrollTimer_.timerId())
        OnAutoScrollTimer();
    else
        QAbstractScrollArea::timerEvent(event);
}
