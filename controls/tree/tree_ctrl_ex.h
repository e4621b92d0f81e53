#pragma once
// CTreeCtrlEx: a tree control with multiple selection that behaves like a list: a click
// selects one item, Ctrl+click adds or removes one, Shift+click selects the visible range
// from the anchor; Shift with the arrow and page keys extends the range; pressing on one of
// several selected items and dragging starts one drag of them all; a slow second click on
// the caret's label starts label editing after the double-click time.
//
// The control is a Window (its notifications go to its owner as WM_NOTIFY with the records
// of tree_codes.h) holding a QTreeWidget, the view, which fills it. Items are the view's
// QTreeWidgetItems; callers make them with InsertItem (or the view's own API) and address
// them by handle. The selection is this class's own: the view's selection mode is
// NoSelection, so Qt never changes it; the caret is the view's current item.
//
// Notifications sent to the owner: TVN_SELCHANGING before a Ctrl+click changes an item
// (action TVC_BYMOUSE), TVN_SELCHANGED after every selection change this class makes (old
// caret, new item), TVN_BEGINDRAG when a drag starts (the pressed item, its state and data,
// the mouse point), TVN_KEYDOWN after a Shift+Up or Shift+Down.
//
// Items the class remembers (the anchor of a range, the item pressed last) are held by
// persistent index, so deleting an item or an ancestor of it forgets it: no later click or
// key touches a deleted item.
//
// User-interface thread only.
#include <QPersistentModelIndex>
#include <QTreeWidget>
#include <cstdint>

#include "controls/tree/tree_codes.h"
#include "platform/core/cstring.h"
#include "platform/gui/window.h"

class QMouseEvent;
class QKeyEvent;
class QPainter;
class QStyleOptionViewItem;

namespace tree {

class TreeView;
class TreeItemDelegate;

class CTreeCtrlEx : public gui::Window {
    Q_OBJECT

public:
    // The edit timer's id.
    static constexpr std::uintptr_t kEditTimer = 1;

    explicit CTreeCtrlEx(QWidget* parent = nullptr, std::uint32_t style = TVS_HASBUTTONS | TVS_HASLINES);
    ~CTreeCtrlEx() override;

    QTreeWidget* View() const;

    std::uint32_t GetStyle() const { return style_; }
    void SetStyle(std::uint32_t style);

    // Items. InsertItem adds a child of parent (TVI_ROOT: a top-level item) after `after`
    // (TVI_LAST: at the end); null when parent is not an item of this tree.
    HTREEITEM InsertItem(const CString& text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    CString GetItemText(HTREEITEM item) const;
    void SetItemData(HTREEITEM item, gui::LPARAM data);
    gui::LPARAM GetItemData(HTREEITEM item) const;
    // TVIS_SELECTED, TVIS_EXPANDED, TVIS_BOLD and TVIS_DROPHILITED under mask.
    std::uint32_t GetItemState(HTREEITEM item, std::uint32_t mask) const;
    void SetItemState(HTREEITEM item, std::uint32_t state, std::uint32_t mask);
    bool ItemHasChildren(HTREEITEM item) const;
    // Collapsing deselects every item below the branch first.
    bool Expand(HTREEITEM item, unsigned code);
    // Deletes the item with its subtree (TVI_ROOT: every item); false for no item.
    virtual bool DeleteItem(HTREEITEM item);
    virtual bool DeleteAllItems();
    // The item and the TVHT_ flags of a client point.
    HTREEITEM HitTest(gui::Point point, unsigned* flags = nullptr) const;
    // The rectangle of the item's label (its text with the margins) in client pixels; empty
    // for an item that is not shown.
    gui::Rect GetLabelRect(HTREEITEM item) const;
    // The whole row of the item in client pixels; empty for an item that is not shown.
    gui::Rect GetItemRect(HTREEITEM item) const;
    // Starts editing the item's label (the view's editor).
    void EditLabel(HTREEITEM item);
    // True while a label editor is open.
    bool IsEditingLabel() const;

    // The caret (focus item).
    HTREEITEM GetCaretItem() const;
    // Makes the item the caret without changing the selection.
    void SetCaretItem(HTREEITEM item);
    HTREEITEM GetAnchorItem() const;

    // Selection: counted and walked among the visible items (those whose ancestors are all
    // expanded), in visible order.
    int GetSelectedCount() const;
    HTREEITEM GetFirstSelectedItem() const;
    HTREEITEM GetNextSelectedItem(HTREEITEM item) const;
    // The TVGN_ codes and TreeNextDepthFirst; null at the end or for an unknown code.
    HTREEITEM GetNextItem(HTREEITEM item, unsigned code) const;
    // Depth-first from start (the first top-level item when null), start included.
    HTREEITEM FindItemByData(gui::LPARAM data, HTREEITEM start = nullptr) const;
    // Deselects every visible item.
    void ClearSelection();
    // Makes `to` the caret and selects exactly the visible items from one to the other (both
    // included, whichever comes first), deselecting every other visible item. When only one
    // of them is visible only that one is selected; false when neither is.
    bool SelectItems(HTREEITEM from, HTREEITEM to);

protected:
    // The view's input, in the order the view receives it; the default handling is the
    // view's own.
    virtual void OnLButtonDown(QMouseEvent* event);
    virtual void OnLButtonUp(QMouseEvent* event);
    virtual void OnLButtonDblClk(QMouseEvent* event);
    virtual void OnRButtonDown(QMouseEvent* event);
    virtual void OnMouseMove(QMouseEvent* event);
    virtual void OnKeyDown(QKeyEvent* event);
    // Paints what a subclass adds over the view's items (the view's viewport coordinates).
    virtual void PaintOverlay(QPainter&) {}
    // The font an item's label is painted and measured in: the view's, bold with TVIS_BOLD.
    virtual QFont ItemFont(HTREEITEM item) const;
    // How an item is painted (its option as the view's delegate prepared it): the item font.
    virtual void StyleItem(HTREEITEM item, QStyleOptionViewItem& option) const;

    void OnTimer(std::uintptr_t id) override;

    // The view's model index of an item and back (for subclasses that remember items).
    QModelIndex IndexOf(HTREEITEM item) const;
    HTREEITEM ItemOf(const QModelIndex& index) const;
    // The item as the controller last saw it; null once it was deleted.
    HTREEITEM Remembered(const QPersistentModelIndex& index) const;

private:
    friend class TreeView;
    friend class TreeItemDelegate;
class TreeItemDelegate;

    void ApplySelectionRules(HTREEITEM item, Qt::KeyboardModifiers modifiers, gui::Point point);
    // The caret moves to item as a plain tree moves it: the old caret is deselected, the new one
    // selected and made the anchor; TVN_SELCHANGED follows.
    void MoveCaretSelecting(HTREEITEM item, unsigned action);
    void DeselectBelow(HTREEITEM item);
    void SendSelChange(int code, unsigned action, HTREEITEM oldItem, HTREEITEM newItem, gui::Point point);
    void SendBeginDrag(HTREEITEM item, gui::Point point);
    void SendKeyDown(unsigned key);
    void FillItem(TVITEM& record, HTREEITEM item) const;
    HTREEITEM PageFrom(HTREEITEM item, bool down) const;

    TreeView* view_;
    std::uint32_t style_;
    bool selectPending_ = false;
    gui::Point clickPoint_;
    QPersistentModelIndex clicked_;
    QPersistentModelIndex anchor_;
    bool editPending_ = false;
};

}  // namespace tree
