#pragma once
// The QTreeWidget inside a CTreeCtrlEx (tree_ctrl_ex.h): it hands its mouse and key input
// and the end of its painting to the control, and gives the control the model indexes Qt
// keeps protected. Private to the tree controls.
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace tree {

class CTreeCtrlEx;

// Item data roles of the tree controls; each item carries its own, so they go with it.
enum TreeRole : int {
    kItemDataRole = Qt::UserRole,
    kBoldRole,
    kDropHilitedRole,
    kColorRole,  // COLORREF as unsigned; absent = none
    kFontRole,   // gui::LogFont; absent = none
};

class TreeView final : public QTreeWidget {
public:
    TreeView(CTreeCtrlEx& control, QWidget* parent);

    QModelIndex IndexOf(QTreeWidgetItem* item) const { return indexFromItem(item); }
    QTreeWidgetItem* ItemOf(const QModelIndex& index) const { return itemFromIndex(index); }
    bool Editing() const { return state() == QAbstractItemView::EditingState; }

    // The view's own key handling, for the keys the control leaves to it.
    void DefaultKeyPress(QKeyEvent* event) { QTreeWidget::keyPressEvent(event); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CTreeCtrlEx& control_;
};

// Paints each item with what the control says about it (bold, colour, font).
class TreeItemDelegate final : public QStyledItemDelegate {
public:
    TreeItemDelegate(CTreeCtrlEx& control, QObject* parent) : QStyledItemDelegate(parent), control_(control) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    CTreeCtrlEx& control_;
};

}  // namespace tree
