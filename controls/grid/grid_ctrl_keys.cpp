// The keyboard: moving the focus cell, scrolling keys, Delete, F2 and typed characters, and
// moving on after an edit that ended with Tab or a navigation key.
#include <QKeyEvent>
#include <QScrollBar>

#include "controls/grid/grid_ctrl.h"
#include "controls/grid/in_place_edit.h"

// The first shown non-fixed column (row), -1 when none is shown.
int CGridCtrl::FirstShownColumn() const {
    const int c = colWidths_.NextShown(fixedCols_ - 1);
    return c >= 0 && c <= LastReachableColumn() ? c : -1;
}

int CGridCtrl::LastShownColumn() const {
    const int c = colWidths_.PreviousShown(LastReachableColumn() + 1);
    return c >= fixedCols_ ? c : -1;
}

bool CGridCtrl::OnKeyDown(std::uint32_t vk, bool ctrl, bool shift) {
    if (!IsValid(focusCell_)) return false;
    const GridCellId focus = focusCell_;
    const bool hBar = scrollBarState_ & GVSB_HORZ, vBar = scrollBarState_ & GVSB_VERT;
    if (vk == VK_SPACE && !ctrl && !shift) {
        SendMessageToParent(focus.row, focus.col, GVN_CLICK);
        return true;
    }
    if (vk == VK_A && ctrl) {
        SelectAllCells();
        return true;
    }
    if (ctrl) {
        switch (vk) {
            case VK_RIGHT:
            case VK_LEFT:
                if (!hBar) break;
                OnHScroll(vk == VK_RIGHT ? SB_LINERIGHT : SB_LINELEFT);
                return true;
            case VK_UP:
            case VK_DOWN:
                if (!vBar) break;
                OnVScroll(vk == VK_DOWN ? SB_LINEDOWN : SB_LINEUP);
                return true;
            case VK_PRIOR:
                if (!vBar) break;
                OnVScroll(SB_PAGEUP);
                return true;
            case VK_NEXT:
                if (!vBar) break;
                OnVScroll(SB_PAGEDOWN);
                return true;
            default:
                break;
        }
    }
    if (vk == VK_DELETE) {
        if (!IsCellEditable(focus.row, focus.col)) return true;
        if (!SendMessageToParent(focus.row, focus.col, GVN_BEGINLABELEDIT)) return true;
        SetItemText(focus.row, focus.col, u"");
        SetModified(true, focus.row, focus.col);
        GridDispInfo info;
        info.item.mask = GVIF_TEXT | GVIF_PARAM;
        info.item.row = focus.row;
        info.item.col = focus.col;
        if (!SendEditEndToParent(info)) return true;
        RedrawCell(focus.row, focus.col);
        return true;
    }
    if (vk == VK_F2) {
        OnEditCell(focus.row, focus.col, gui::Point(-1, -1), VK_LBUTTON);
        return true;
    }

    GridCellId next = focus;
    GridCellRange block(focus.row, focus.col, focus.row, focus.col);
    merged_.FindRange(focus.row, focus.col, &block);
    const int firstDataRow = rowHeights_.NextShown(fixedRows_ - 1);
    const int lastDataRow = rowHeights_.PreviousShown(rowCount_);
    switch (vk) {
        case VK_DOWN: {
            const int r = rowHeights_.NextShown(block.maxRow);
            if (r >= 0) next.row = r;
            if (listMode_ && FirstShownColumn() >= 0) next.col = FirstShownColumn();
            break;
        }
        case VK_UP: {
            const int r = rowHeights_.PreviousShown(block.minRow);
            if (r >= fixedRows_) next.row = r;
            if (listMode_ && FirstShownColumn() >= 0) next.col = FirstShownColumn();
            break;
        }
        case VK_RIGHT:
        case VK_TAB:
            if (listMode_) return false;
            next = (vk == VK_TAB && shift) ? FindPrevCell(focus.row, focus.col, true)
                                           : FindNextCell(focus.row, focus.col, vk == VK_TAB);
            break;
        case VK_LEFT:
            if (listMode_) return false;
            next = FindPrevCell(focus.row, focus.col, false);
            break;
        case VK_NEXT:
        case VK_PRIOR: {
            const int topBefore = GetTopleftNonFixedCell().row;
            OnVScroll(vk == VK_NEXT ? SB_PAGEDOWN : SB_PAGEUP);
            const int topAfter = GetTopleftNonFixedCell().row;
            if (topAfter != topBefore) {
                // As many shown rows as the top row moved.
                const int moved = rowHeights_.ShownBefore(topAfter) - rowHeights_.ShownBefore(topBefore);
                const int ordinal =
                    std::clamp(rowHeights_.ShownBefore(focus.row) + 1 + moved, rowHeights_.ShownBefore(fixedRows_) + 1,
                               rowHeights_.ShownBefore(rowCount_));
                const int r = rowHeights_.NthShown(ordinal);
                if (r >= fixedRows_) next.row = r;
            } else {
                const int r = vk == VK_NEXT ? lastDataRow : firstDataRow;
                if (r >= fixedRows_) next.row = r;
            }
            break;
        }
        case VK_HOME:
        case VK_END: {
            const bool home = vk == VK_HOME;
            if (ctrl) {
                OnVScroll(home ? SB_TOP : SB_BOTTOM);
                const int r = home ? firstDataRow : lastDataRow;
                if (r >= fixedRows_) next.row = r;
            }
            OnHScroll(home ? SB_LEFT : SB_RIGHT);
            const int c = home ? FirstShownColumn() : LastShownColumn();
            if (c >= 0) next.col = c;
            break;
        }
        default:
            return false;
    }
    if (next == focus || !IsValid(next)) return true;
    if (mouseMode_ == MOUSE_NOTHING) {
        if (!shift || vk == VK_TAB) selectionStart_ = next;
        mouseMode_ = listMode_ ? MOUSE_SELECT_ROW : MOUSE_SELECT_CELLS;
        OnSelecting(next);
        mouseMode_ = MOUSE_NOTHING;
    }
    const std::weak_ptr<int> alive = alive_;
    SetFocusCell(next);
    if (alive.expired()) return true;
    EnsureVisible(next.row, next.col);
    Refresh();
    return true;
}

void CGridCtrl::OnChar(char16_t ch, bool ctrl) {
    if (ctrl || mouseMode_ != MOUSE_NOTHING || ch == u'\x1b') return;
    if (ch == u'\t' && wantsTab_) return;
    if (IsValid(focusCell_)) OnEditCell(focusCell_.row, focusCell_.col, gui::Point(-1, -1), ch);
}

// After an edit that ended with Tab or a navigation key the grid moves on as the key does and
// edits the new focus cell at once.
void CGridCtrl::MoveOnAfterEdit(std::uint32_t lastKey) {
    if (lastKey != VK_TAB && (lastKey < VK_PRIOR || lastKey > VK_DOWN)) return;
    const GridCellId before = focusCell_;
    const std::weak_ptr<int> alive = alive_;
    OnKeyDown(lastKey, false, false);
    if (alive.expired() || focusCell_ == before || !IsValid(focusCell_)) return;
    OnEditCell(focusCell_.row, focusCell_.col, gui::Point(-1, -1), EditStartKey(lastKey));
}

// A key press is the key (OnKeyDown) and then, for a key that types a character, the character
// (OnChar): Space both clicks and starts editing with a blank, as the key and the character it
// types. Keys the grid does not take go on to the parent.
void CGridCtrl::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool shift = (event->modifiers() & Qt::ShiftModifier) || event->key() == Qt::Key_Backtab;
    const std::uint32_t vk = VirtualKeyOf(event->key());
    const std::weak_ptr<int> alive = alive_;
    bool handled = vk != 0 && OnKeyDown(vk, ctrl, shift);
    if (alive.expired()) return;
    const QString text = event->text();
    if (!text.isEmpty() && !(event->modifiers() & Qt::AltModifier) && text.at(0) != QChar(0x7F)) {
        OnChar(text.at(0).unicode(), ctrl);
        handled = true;
    }
    if (alive.expired()) return;
    if (handled)
        event->accept();
    else
        event->ignore();
}

bool CGridCtrl::focusNextPrevChild(bool next) {
    // Tab moves between cells while the grid wants it.
    if (wantsTab_) return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}
