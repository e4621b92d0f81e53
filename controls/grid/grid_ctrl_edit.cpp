// Notifications to the owner and in-place editing.
#include "controls/grid/grid_ctrl.h"
#include "controls/grid/in_place_edit.h"

// A handler may destroy the grid: every sender keeps a weak copy of the grid's life token and
// reports whether the grid survived, so that the caller returns without touching it.

gui::Window* CGridCtrl::GetOwner() const {
    if (!alive_) return nullptr;  // being destroyed: nobody hears it any more
    if (owner_) return owner_;
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* window = qobject_cast<gui::Window*>(w)) return window;
    return nullptr;
}

namespace {

// Sends the record to the window; false when the grid did not survive the handler.
bool Deliver(gui::Window* owner, gui::NMHDR& record, const std::weak_ptr<int>& alive, gui::LRESULT* result) {
    const gui::LRESULT answer =
        owner->SendMessage(gui::WM_NOTIFY, record.idFrom, reinterpret_cast<gui::LPARAM>(&record));
    if (alive.expired()) return false;
    if (result) *result = answer;
    return true;
}

}  // namespace

bool CGridCtrl::SendMessageToParent(int row, int col, int code, std::intptr_t* result) {
    if (result) *result = 0;
    gui::Window* owner = GetOwner();
    if (!owner) return true;
    GridNotify notify;
    notify.idFrom = static_cast<std::uintptr_t>(controlId_);
    notify.code = code;
    notify.row = row;
    notify.col = col;
    return Deliver(owner, notify, alive_, result);
}

bool CGridCtrl::SendDisplayRequestToParent(GridDispInfo* info) const {
    const std::weak_ptr<int> alive = alive_;
    if (callback_) {
        callback_(info, callbackParam_);
        return !alive.expired();
    }
    gui::Window* owner = GetOwner();
    return !owner || Deliver(owner, *info, alive, nullptr);
}

bool CGridCtrl::SendCacheHintToParent(const GridCellRange& range) {
    gui::Window* owner = GetOwner();
    if (!owner) return true;
    GridCacheHint hint;
    hint.idFrom = static_cast<std::uintptr_t>(controlId_);
    hint.code = GVN_ODCACHEHINT;
    hint.range = range;
    return Deliver(owner, hint, alive_, nullptr);
}

bool CGridCtrl::SendEditEndToParent(const GridDispInfo& info) {
    gui::Window* owner = GetOwner();
    if (!owner) return true;
    GridDispInfo record = info;
    record.hwndFrom = 0;
    record.idFrom = static_cast<std::uintptr_t>(controlId_);
    record.code = GVN_ENDLABELEDIT;
    return Deliver(owner, record, alive_, nullptr);
}

void CGridCtrl::PostCommandToParent() {
    if (gui::Window* owner = GetOwner()) owner->PostMessage(gui::WM_COMMAND, gui::MAKEWPARAM(controlId_, 0), 0);
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

bool CGridCtrl::OnNotify(int id, gui::NMHDR& header, gui::LRESULT& result) {
    result = 0;
    if (header.code != GVN_ENDLABELEDIT || id != IDC_INPLACE_CONTROL) return false;
    const GridDispInfo& info = static_cast<const GridDispInfo&>(header);
    const int row = info.item.row, col = info.item.col;
    editCell_ = GridCellId();
    CGridCellBase* cell = virtualMode_ ? &virtualCell_ : GetCell(row, col);
    if (cell) cell->OnEndEdit();
    // Escape restored the text in the editor; nothing is stored and nothing marked modified.
    if (static_cast<std::uint32_t>(info.item.data) != VK_ESCAPE && IsValid(row, col))
        OnEndEditCell(row, col, info.item.text);
    if (!SendEditEndToParent(info)) return true;
    RedrawCell(row, col);
    MoveOnAfterEdit(static_cast<std::uint32_t>(info.item.data));
    return true;
}
