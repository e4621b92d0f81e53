// Notifications to the owner and in-place editing.
#include <QMetaObject>

#include "controls/grid/grid_ctrl.h"
#include "controls/grid/in_place_edit.h"

// A handler may destroy the grid; every sender keeps a weak copy of the grid's life token and
// reports whether the grid survived, so that the caller returns without touching it.

GridNotifyTarget* CGridCtrl::Target() const {
    if (!alive_) return nullptr;  // being destroyed: nobody hears it any more
    if (owner_) return owner_;
    return dynamic_cast<GridNotifyTarget*>(parentWidget());
}

bool CGridCtrl::SendMessageToParent(int row, int col, int code, std::intptr_t* result) {
    GridNotifyTarget* target = Target();
    if (result) *result = 0;
    if (!target) return true;
    GridNotify notify;
    notify.grid = this;
    notify.controlId = controlId_;
    notify.code = code;
    notify.row = row;
    notify.col = col;
    const std::weak_ptr<int> alive = alive_;
    const std::intptr_t answer = target->OnGridNotify(notify);
    if (alive.expired()) return false;
    if (result) *result = answer;
    return true;
}

bool CGridCtrl::SendDisplayRequestToParent(GridDispInfo* info) const {
    const std::weak_ptr<int> alive = alive_;
    if (callback_) {
        callback_(info, callbackParam_);
    } else if (GridNotifyTarget* target = Target()) {
        target->OnGridNotify(*info);
    }
    return !alive.expired();
}

bool CGridCtrl::SendCacheHintToParent(const GridCellRange& range) {
    GridNotifyTarget* target = Target();
    if (!target) return true;
    GridCacheHint hint;
    hint.grid = this;
    hint.controlId = controlId_;
    hint.code = GVN_ODCACHEHINT;
    hint.range = range;
    const std::weak_ptr<int> alive = alive_;
    target->OnGridNotify(hint);
    return !alive.expired();
}

bool CGridCtrl::SendEditEndToParent(const GridDispInfo& info) {
    GridNotifyTarget* target = Target();
    if (!target) return true;
    GridDispInfo record = info;
    record.grid = this;
    record.controlId = controlId_;
    record.code = GVN_ENDLABELEDIT;
    const std::weak_ptr<int> alive = alive_;
    target->OnGridNotify(record);
    return !alive.expired();
}

void CGridCtrl::PostCommandToParent() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (GridNotifyTarget* target = Target()) target->OnGridCommand(controlId_, this);
        },
        Qt::QueuedConnection);
}

void CGridCtrl::OnEditCell(int row, int col, gui::Point point, std::uint32_t nChar) {
    if (!IsCellEditable(row, col)) return;
    EnsureVisible(row, col);
    gui::Rect rect;
    if (!GetCellRect(row, col, &rect)) return;
    if (!SendMessageToParent(row, col, GVN_BEGINLABELEDIT)) return;
    // The owner may have changed the grid in its answer: ask for the cell again.
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return;
    cell->Edit(row, col, rect, point, IDC_INPLACE_CONTROL, nChar);
}

void CGridCtrl::EndEditing() {
    const GridCellId cell = IsValid(editCell_) ? editCell_ : focusCell_;
    if (CGridCellBase* c = virtualMode_ ? &virtualCell_ : GetCell(cell.row, cell.col)) c->EndEdit();
}

void CGridCtrl::OnEndEditCell(int row, int col, const CString& text) { SetItemText(row, col, text.c_str()); }

std::intptr_t CGridCtrl::OnGridNotify(const GridNotifyHeader& header) {
    if (header.code != GVN_ENDLABELEDIT || header.controlId != IDC_INPLACE_CONTROL) return 0;
    const GridDispInfo& info = static_cast<const GridDispInfo&>(header);
    const int row = info.item.row, col = info.item.col;
    editCell_ = GridCellId();
    CGridCellBase* cell = virtualMode_ ? &virtualCell_ : GetCell(row, col);
    if (cell) cell->OnEndEdit();
    // Escape restored the text in the editor; nothing is stored and nothing marked modified.
    if (static_cast<std::uint32_t>(info.item.data) != VK_ESCAPE && IsValid(row, col)) OnEndEditCell(row, col, info.item.text);
    const std::weak_ptr<int> alive = alive_;
    SendEditEndToParent(info);
    if (alive.expired()) return 0;
    RedrawCell(row, col);
    return 0;
}
