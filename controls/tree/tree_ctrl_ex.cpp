#include "controls/tree/tree_ctrl_ex.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QVBoxLayout>
#include <cstdlib>

#include "controls/tree/tree_view.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/system_metrics.h"

namespace tree {

namespace {

gui::Point PointOf(const QMouseEvent* event) { return gui::FromQPoint(event->position().toPoint()); }

bool IsRealItem(HTREEITEM item) { return item && item != TVI_ROOT && item != TVI_LAST; }

}  // namespace

CTreeCtrlEx::CTreeCtrlEx(QWidget* parent, std::uint32_t style) : gui::Window(parent), style_(style) {
    view_ = new TreeView(*this, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    setFocusProxy(view_);
    SetStyle(style);
    // However a branch collapses (Expand, a click on its button, the Left key), the items
    // that disappear lose their selection, so no hidden item stays selected.
    connect(view_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) { DeselectBelow(item); });
}

CTreeCtrlEx::~CTreeCtrlEx() = default;

QTreeWidget* CTreeCtrlEx::View() const { return view_; }

void CTreeCtrlEx::SetStyle(std::uint32_t style) {
    style_ = style;
    view_->setRootIsDecorated((style & TVS_LINESATROOT) != 0);
    view_->setItemsExpandable(true);
    view_->setExpandsOnDoubleClick(true);
}

HTREEITEM CTreeCtrlEx::InsertItem(const CString& text, HTREEITEM parent, HTREEITEM after) {
    auto* item = new QTreeWidgetItem(QStringList{gui::ToQString(text)});
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    if (parent == TVI_ROOT || !parent) {
        int at = view_->topLevelItemCount();
        if (IsRealItem(after) && !after->parent()) at = view_->indexOfTopLevelItem(after) + 1;
        view_->insertTopLevelItem(at, item);
    } else {
        if (parent->treeWidget() != view_) {
            delete item;
            return nullptr;
        }
        int at = parent->childCount();
        if (IsRealItem(after) && after->parent() == parent) at = parent->indexOfChild(after) + 1;
        parent->insertChild(at, item);
    }
    return item;
}

CString CTreeCtrlEx::GetItemText(HTREEITEM item) const {
    return IsRealItem(item) ? gui::FromQString(item->text(0)) : CString();
}

void CTreeCtrlEx::SetItemData(HTREEITEM item, gui::LPARAM data) {
    if (IsRealItem(item)) item->setData(0, kItemDataRole, QVariant::fromValue<qlonglong>(data));
}

gui::LPARAM CTreeCtrlEx::GetItemData(HTREEITEM item) const {
    if (!IsRealItem(item)) return 0;
    return static_cast<gui::LPARAM>(item->data(0, kItemDataRole).toLongLong());
}

std::uint32_t CTreeCtrlEx::GetItemState(HTREEITEM item, std::uint32_t mask) const {
    if (!IsRealItem(item)) return 0;
    std::uint32_t state = 0;
    if (item->isSelected()) state |= TVIS_SELECTED;
    if (item->isExpanded()) state |= TVIS_EXPANDED;
    if (item->data(0, kBoldRole).toBool()) state |= TVIS_BOLD;
    if (item->data(0, kDropHilitedRole).toBool()) state |= TVIS_DROPHILITED;
    return state & mask;
}

void CTreeCtrlEx::SetItemState(HTREEITEM item, std::uint32_t state, std::uint32_t mask) {
    if (!IsRealItem(item)) return;
    if (mask & TVIS_SELECTED) item->setSelected((state & TVIS_SELECTED) != 0);
    if (mask & TVIS_EXPANDED) Expand(item, (state & TVIS_EXPANDED) ? TVE_EXPAND : TVE_COLLAPSE);
    if (mask & TVIS_BOLD) item->setData(0, kBoldRole, (state & TVIS_BOLD) != 0);
    if (mask & TVIS_DROPHILITED) item->setData(0, kDropHilitedRole, (state & TVIS_DROPHILITED) != 0);
}

bool CTreeCtrlEx::ItemHasChildren(HTREEITEM item) const { return IsRealItem(item) && item->childCount() > 0; }

bool CTreeCtrlEx::Expand(HTREEITEM item, unsigned code) {
    if (!IsRealItem(item)) return false;
    bool expand = code == TVE_EXPAND || (code == TVE_TOGGLE && !item->isExpanded());
    if (!expand && code != TVE_COLLAPSE && code != TVE_TOGGLE) return false;
    if (!expand) DeselectBelow(item);
    item->setExpanded(expand);
    return true;
}

bool CTreeCtrlEx::DeleteItem(HTREEITEM item) {
    if (item == TVI_ROOT) return DeleteAllItems();
    if (!IsRealItem(item) || item->treeWidget() != view_) return false;
    // The item's own data (colours, fonts) goes with it; remembered items are held by
    // persistent index and forget themselves.
    delete item;
    return true;
}

bool CTreeCtrlEx::DeleteAllItems() {
    view_->clear();
    return true;
}

gui::Rect CTreeCtrlEx::GetItemRect(HTREEITEM item) const {
    if (!IsRealItem(item)) return {};
    QRect r = view_->visualItemRect(item);
    if (!r.isValid()) return {};
    return gui::Rect(0, r.top(), view_->viewport()->width(), r.top() + r.height());
}

gui::Rect CTreeCtrlEx::GetLabelRect(HTREEITEM item) const {
    if (!IsRealItem(item)) return {};
    QRect r = view_->visualItemRect(item);
    if (!r.isValid()) return {};
    int margin = view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1;
    int left = r.left();
    if (!item->icon(0).isNull()) left += view_->iconSize().width() + 2 * margin;
    int width = QFontMetrics(ItemFont(item)).horizontalAdvance(item->text(0)) + 2 * margin;
    return gui::Rect(left, r.top(), left + width, r.top() + r.height());
}

HTREEITEM CTreeCtrlEx::HitTest(gui::Point point, unsigned* flags) const {
    unsigned hit = TVHT_NOWHERE;
    QTreeWidgetItem* item = view_->itemAt(gui::ToQPoint(point));
    if (item) {
        QRect r = view_->visualItemRect(item);
        gui::Rect label = GetLabelRect(item);
        if (point.x < r.left()) {
            bool button = item->childCount() > 0 && point.x >= r.left() - view_->indentation() &&
                          ((style_ & TVS_HASBUTTONS) != 0);
            hit = button ? TVHT_ONITEMBUTTON : TVHT_ONITEMINDENT;
        } else if (point.x < label.left) {
            hit = TVHT_ONITEMICON;
        } else if (point.x < label.right) {
            hit = TVHT_ONITEMLABEL;
        } else {
            hit = TVHT_ONITEMRIGHT;
        }
    }
    if (flags) *flags = hit;
    return item;
}

void CTreeCtrlEx::EditLabel(HTREEITEM item) {
    if (!IsRealItem(item)) return;
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    view_->editItem(item, 0);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
}

bool CTreeCtrlEx::IsEditingLabel() const { return view_->Editing(); }

HTREEITEM CTreeCtrlEx::GetCaretItem() const { return view_->currentItem(); }

void CTreeCtrlEx::SetCaretItem(HTREEITEM item) {
    // The view's selection mode is NoSelection, so moving the current item selects nothing.
    view_->setCurrentItem(IsRealItem(item) ? item : nullptr);
}

HTREEITEM CTreeCtrlEx::GetAnchorItem() const { return Remembered(anchor_); }

QModelIndex CTreeCtrlEx::IndexOf(HTREEITEM item) const {
    return IsRealItem(item) ? view_->IndexOf(item) : QModelIndex();
}

HTREEITEM CTreeCtrlEx::ItemOf(const QModelIndex& index) const { return view_->ItemOf(index); }

HTREEITEM CTreeCtrlEx::Remembered(const QPersistentModelIndex& index) const {
    return index.isValid() ? view_->ItemOf(index) : nullptr;
}

int CTreeCtrlEx::GetSelectedCount() const {
    int count = 0;
    for (HTREEITEM item = GetFirstSelectedItem(); item; item = GetNextSelectedItem(item)) ++count;
    return count;
}

HTREEITEM CTreeCtrlEx::GetFirstSelectedItem() const {
    for (HTREEITEM item = GetNextItem(nullptr, TVGN_ROOT); item; item = view_->itemBelow(item))
        if (item->isSelected()) return item;
    return nullptr;
}

HTREEITEM CTreeCtrlEx::GetNextSelectedItem(HTREEITEM item) const {
    if (!IsRealItem(item)) return nullptr;
    for (item = view_->itemBelow(item); item; item = view_->itemBelow(item))
        if (item->isSelected()) return item;
    return nullptr;
}

HTREEITEM CTreeCtrlEx::GetNextItem(HTREEITEM item, unsigned code) const {
    auto siblingAfter = [this](HTREEITEM i) -> HTREEITEM {
        if (QTreeWidgetItem* p = i->parent()) {
            int at = p->indexOfChild(i) + 1;
            return at < p->childCount() ? p->child(at) : nullptr;
        }
        int at = view_->indexOfTopLevelItem(i) + 1;
        return at < view_->topLevelItemCount() ? view_->topLevelItem(at) : nullptr;
    };
    switch (code) {
        case TVGN_ROOT: return view_->topLevelItemCount() > 0 ? view_->topLevelItem(0) : nullptr;
        case TVGN_CARET: return GetCaretItem();
        case TVGN_FIRSTVISIBLE: return view_->itemAt(0, 0);
        case TVGN_DROPHILITE:
            for (HTREEITEM i = GetNextItem(nullptr, TVGN_ROOT); i; i = GetNextItem(i, TreeNextDepthFirst))
                if (i->data(0, kDropHilitedRole).toBool()) return i;
            return nullptr;
        case TVGN_LASTVISIBLE: {
            HTREEITEM last = GetNextItem(nullptr, TVGN_ROOT);
            for (HTREEITEM i = last; i; i = view_->itemBelow(i)) last = i;
            return last;
        }
        default: break;
    }
    if (!IsRealItem(item)) return nullptr;
    switch (code) {
        case TVGN_NEXT: return siblingAfter(item);
        case TVGN_PREVIOUS: {
            QTreeWidgetItem* p = item->parent();
            int at = (p ? p->indexOfChild(item) : view_->indexOfTopLevelItem(item)) - 1;
            if (at < 0) return nullptr;
            return p ? p->child(at) : view_->topLevelItem(at);
        }
        case TVGN_PARENT: return item->parent();
        case TVGN_CHILD: return item->childCount() > 0 ? item->child(0) : nullptr;
        case TVGN_NEXTVISIBLE: return view_->itemBelow(item);
        case TVGN_PREVIOUSVISIBLE: return view_->itemAbove(item);
        case TreeNextDepthFirst: {
            if (item->childCount() > 0) return item->child(0);
            for (HTREEITEM i = item; i; i = i->parent())
                if (HTREEITEM next = siblingAfter(i)) return next;
            return nullptr;
        }
        default: return nullptr;
    }
}

HTREEITEM CTreeCtrlEx::FindItemByData(gui::LPARAM data, HTREEITEM start) const {
    HTREEITEM item = IsRealItem(start) ? start : GetNextItem(nullptr, TVGN_ROOT);
    for (; item; item = GetNextItem(item, TreeNextDepthFirst))
        if (GetItemData(item) == data) return item;
    return nullptr;
}

void CTreeCtrlEx::ClearSelection() {
    for (HTREEITEM item = GetNextItem(nullptr, TVGN_ROOT); item; item = view_->itemBelow(item))
        item->setSelected(false);
}

bool CTreeCtrlEx::SelectItems(HTREEITEM from, HTREEITEM to) {
    // One walk in visible order: the range starts at whichever of the two comes first.
    std::vector<HTREEITEM> visible;
    int fromAt = -1, toAt = -1;
    for (HTREEITEM item = GetNextItem(nullptr, TVGN_ROOT); item; item = view_->itemBelow(item)) {
        if (item == from) fromAt = static_cast<int>(visible.size());
        if (item == to) toAt = static_cast<int>(visible.size());
        visible.push_back(item);
    }
    if (fromAt < 0 && toAt < 0) return false;
    if (fromAt < 0) fromAt = toAt;
    if (toAt < 0) toAt = fromAt;
    int first = std::min(fromAt, toAt), last = std::max(fromAt, toAt);
    if (IsRealItem(to)) SetCaretItem(to);
    for (int i = 0; i < static_cast<int>(visible.size()); ++i) visible[i]->setSelected(i >= first && i <= last);
    return true;
}

void CTreeCtrlEx::DeselectBelow(HTREEITEM item) {
    if (!IsRealItem(item)) return;
    for (HTREEITEM i = item->childCount() > 0 ? item->child(0) : nullptr; i;) {
        i->setSelected(false);
        // The depth-first walk, kept inside item's subtree.
        if (i->childCount() > 0) {
            i = i->child(0);
            continue;
        }
        while (i && i != item) {
            QTreeWidgetItem* p = i->parent();
            int at = p->indexOfChild(i) + 1;
            if (at < p->childCount()) {
                i = p->child(at);
                break;
            }
            i = p;
        }
        if (i == item) break;
    }
}

QFont CTreeCtrlEx::ItemFont(HTREEITEM item) const {
    QFont font = view_->font();
    if (IsRealItem(item) && item->data(0, kBoldRole).toBool()) font.setWeight(QFont::Bold);
    return font;
}

void CTreeCtrlEx::StyleItem(HTREEITEM item, QStyleOptionViewItem& option) const { option.font = ItemFont(item); }

// ---- Selection rules -------------------------------------------------------------------

void CTreeCtrlEx::FillItem(TVITEM& record, HTREEITEM item) const {
    record.hItem = item;
    record.state = GetItemState(item, ~0u);
    record.lParam = GetItemData(item);
}

void CTreeCtrlEx::SendSelChange(int code, unsigned action, HTREEITEM oldItem, HTREEITEM newItem, gui::Point point) {
    NMTREEVIEW record;
    record.hdr.code = code;
    record.action = action;
    if (oldItem) FillItem(record.itemOld, oldItem);
    if (newItem) FillItem(record.itemNew, newItem);
    record.ptDrag = point;
    SendNotifyToOwner(record.hdr);
}

void CTreeCtrlEx::SendBeginDrag(HTREEITEM item, gui::Point point) {
    SendSelChange(TVN_BEGINDRAG, TVC_UNKNOWN, nullptr, item, point);
}

void CTreeCtrlEx::SendKeyDown(unsigned key) {
    NMTVKEYDOWN record;
    record.hdr.code = TVN_KEYDOWN;
    record.wVKey = key;
    SendNotifyToOwner(record.hdr);
}

void CTreeCtrlEx::ApplySelectionRules(HTREEITEM item, Qt::KeyboardModifiers modifiers, gui::Point point) {
    HTREEITEM oldCaret = GetCaretItem();
    QPersistentModelIndex oldGuard = IndexOf(oldCaret);
    if (modifiers & Qt::ShiftModifier) {
        // A deleted anchor is forgotten: the caret (or the item itself) takes its place.
        HTREEITEM anchor = GetAnchorItem();
        if (!anchor) anchor = oldCaret ? oldCaret : item;
        anchor_ = IndexOf(anchor);
        SelectItems(anchor, item);
    } else if (modifiers & Qt::ControlModifier) {
        // The owner may delete items when it hears of the change; a deleted item ends here.
        QPersistentModelIndex guard = IndexOf(item);
        SendSelChange(TVN_SELCHANGING, TVC_BYMOUSE, oldCaret, item, point);
        item = Remembered(guard);
        oldCaret = Remembered(oldGuard);
        if (!item) return;
        if (!item->isSelected()) {
            SetCaretItem(item);
            item->setSelected(true);
        } else {
            item->setSelected(false);
        }
        if (!GetAnchorItem()) anchor_ = IndexOf(item);
    } else {
        ClearSelection();
        SetCaretItem(item);
        item->setSelected(true);
        anchor_ = IndexOf(item);
    }
    SendSelChange(TVN_SELCHANGED, TVC_BYMOUSE, oldCaret, item, point);
}

void CTreeCtrlEx::MoveCaretSelecting(HTREEITEM item, unsigned action) {
    HTREEITEM oldCaret = GetCaretItem();
    if (oldCaret) oldCaret->setSelected(false);
    SetCaretItem(item);
    item->setSelected(true);
    anchor_ = IndexOf(item);
    SendSelChange(TVN_SELCHANGED, action, oldCaret, item, {});
}

// ---- Mouse ---------------------------------------------------------------------------------

void CTreeCtrlEx::OnLButtonDown(QMouseEvent* event) {
    gui::Point point = PointOf(event);
    unsigned flags = 0;
    HTREEITEM item = HitTest(point, &flags);
    Qt::KeyboardModifiers mods = event->modifiers();
    bool plain = !(mods & (Qt::ShiftModifier | Qt::ControlModifier));
    if (plain && (style_ & TVS_EDITLABELS) && (flags & TVHT_ONITEMLABEL) && item == GetCaretItem()) {
        // A second, slow click on the caret's label: edit it once the double-click time has
        // passed without a double click.
        ClearSelection();
        SetCaretItem(item);
        item->setSelected(true);
        anchor_ = IndexOf(item);
        editPending_ = true;
        SetTimer(kEditTimer, QApplication::doubleClickInterval());
        return;
    }
    editPending_ = false;
    if (!(flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON))) ClearSelection();
    if (!(flags & TVHT_ONITEM)) {
        // The view's own handling for the rest; a button opens or closes its branch.
        if ((flags & TVHT_ONITEMBUTTON) && item) Expand(item, TVE_TOGGLE);
        view_->setFocus(Qt::MouseFocusReason);
        return;
    }
    view_->setFocus(Qt::MouseFocusReason);
    clicked_ = IndexOf(item);
    clickPoint_ = point;
    if (!item->isSelected()) {
        selectPending_ = false;
        ApplySelectionRules(item, mods, point);
    } else {
        // Pressing a selected item may start a drag of the whole selection: the selection
        // changes only when the button comes up without a drag.
        selectPending_ = true;
    }
}

void CTreeCtrlEx::OnLButtonUp(QMouseEvent* event) {
    HTREEITEM item = Remembered(clicked_);
    if (selectPending_ && item) ApplySelectionRules(item, event->modifiers(), PointOf(event));
    selectPending_ = false;
    clicked_ = QPersistentModelIndex();
}

void CTreeCtrlEx::OnMouseMove(QMouseEvent* event) {
    HTREEITEM item = Remembered(clicked_);
    if (!item) return;
    gui::Point point = PointOf(event);
    if (std::abs(point.x - clickPoint_.x) <= gui::GetSystemMetrics(gui::SM_CXDRAG) &&
        std::abs(point.y - clickPoint_.y) <= gui::GetSystemMetrics(gui::SM_CYDRAG))
        return;
    selectPending_ = false;
    clicked_ = QPersistentModelIndex();
    if (!(style_ & TVS_DISABLEDRAGDROP)) SendBeginDrag(item, point);
}

void CTreeCtrlEx::OnLButtonDblClk(QMouseEvent* event) {
    editPending_ = false;
    // A double click on an item opens or closes its branch, as in a plain tree. (The view's own
    // handler would replay it as a press here.)
    unsigned flags = 0;
    HTREEITEM item = HitTest(PointOf(event), &flags);
    if (item && (flags & TVHT_ONITEM) && item->childCount() > 0) Expand(item, TVE_TOGGLE);
}

void CTreeCtrlEx::OnRButtonDown(QMouseEvent* event) {
    unsigned flags = 0;
    HTREEITEM item = HitTest(PointOf(event), &flags);
    view_->setFocus(Qt::MouseFocusReason);
    if (item && (flags & TVHT_ONITEM) && GetSelectedCount() < 2 && item != GetCaretItem())
        MoveCaretSelecting(item, TVC_BYMOUSE);
}

void CTreeCtrlEx::OnTimer(std::uintptr_t id) {
    if (id != kEditTimer) return gui::Window::OnTimer(id);
    KillTimer(kEditTimer);
    if (editPending_) {
        if (HTREEITEM caret = GetCaretItem()) EditLabel(caret);
    }
    editPending_ = false;
}

// ---- Keys --------------------------------------------------------------------------------

HTREEITEM CTreeCtrlEx::PageFrom(HTREEITEM item, bool down) const {
    int row = std::max(1, view_->visualItemRect(item).height());
    int steps = std::max(1, view_->viewport()->height() / row - 1);
    HTREEITEM target = item;
    for (int i = 0; i < steps; ++i) {
        HTREEITEM next = down ? view_->itemBelow(target) : view_->itemAbove(target);
        if (!next) break;
        target = next;
    }
    return target;
}

void CTreeCtrlEx::OnKeyDown(QKeyEvent* event) {
    int key = event->key();
    bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    HTREEITEM caret = GetCaretItem();
    bool line = key == Qt::Key_Up || key == Qt::Key_Down;
    bool page = key == Qt::Key_PageUp || key == Qt::Key_PageDown;
    if ((line || page) && caret) {
        bool down = key == Qt::Key_Down || key == Qt::Key_PageDown;
        HTREEITEM target = line ? (down ? view_->itemBelow(caret) : view_->itemAbove(caret)) : PageFrom(caret, down);
        event->accept();
        if (!target || target == caret) return;
        if (!shift) {
            if (GetSelectedCount() > 1) ClearSelection();
            MoveCaretSelecting(target, TVC_BYKEYBOARD);
            return;
        }
        // The selection is always exactly the range from the anchor to the new caret, so a
        // Shift+Up after Shift+Downs shrinks it again.
        HTREEITEM anchor = GetAnchorItem();
        if (!anchor) {
            anchor = caret;
            anchor_ = IndexOf(anchor);
        }
        SelectItems(anchor, target);
        SendSelChange(TVN_SELCHANGED, TVC_BYKEYBOARD, caret, target, {});
        if (line) SendKeyDown(down ? VK_DOWN : VK_UP);
        return;
    }
    // Other keys: the view moves the caret (Home, End, Left, Right) and the selection follows
    // it as in a plain tree.
    view_->DefaultKeyPress(event);
    HTREEITEM moved = GetCaretItem();
    if (moved && moved != caret) {
        SetCaretItem(caret);
        MoveCaretSelecting(moved, TVC_BYKEYBOARD);
    }
}

}  // namespace tree
