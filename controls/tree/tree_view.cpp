#include "controls/tree/tree_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "controls/tree/tree_ctrl_ex.h"

namespace tree {

TreeView::TreeView(CTreeCtrlEx& control, QWidget* parent) : QTreeWidget(parent), control_(control) {
    setColumnCount(1);
    setHeaderHidden(true);
    // The control keeps the selection itself; Qt only moves the current item (the caret).
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setItemDelegate(new TreeItemDelegate(control, this));
    // A press on a scroll bar focuses the tree before the bar reacts.
    verticalScrollBar()->installEventFilter(this);
    horizontalScrollBar()->installEventFilter(this);
}

void TreeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        control_.OnLButtonDown(event);
    } else if (event->button() == Qt::RightButton) {
        control_.OnRButtonDown(event);
    } else {
        event->accept();
    }
}

void TreeView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) control_.OnLButtonUp(event);
    event->accept();
}

void TreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) control_.OnLButtonDblClk(event);
    event->accept();
}

void TreeView::mouseMoveEvent(QMouseEvent* event) {
    control_.OnMouseMove(event);
    event->accept();
}

void TreeView::keyPressEvent(QKeyEvent* event) { control_.OnKeyDown(event); }

// Selected items look different with and without the focus: the whole tree is repainted.
void TreeView::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    viewport()->update();
}

void TreeView::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    viewport()->update();
}

void TreeView::paintEvent(QPaintEvent* event) {
    QTreeWidget::paintEvent(event);
    QPainter painter(viewport());
    control_.PaintOverlay(painter);
}

bool TreeView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) setFocus(Qt::MouseFocusReason);
    return QTreeWidget::eventFilter(watched, event);
}

void TreeItemDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (QTreeWidgetItem* item = control_.ItemOf(index)) control_.StyleItem(item, *option);
}

}  // namespace tree
