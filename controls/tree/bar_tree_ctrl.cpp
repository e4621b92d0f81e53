#include "controls/tree/bar_tree_ctrl.h"

#include <QPainter>

#include "platform/gui/qpainter_canvas.h"
#include "platform/gui/qt_convert.h"

namespace tree {

CBarTreeCtrl::CBarTreeCtrl(QWidget* parent, std::uint32_t style) : CTreeCtrlColorEx(parent, style) {}

bool CBarTreeCtrl::SetDropLineItem(HTREEITEM item) {
    if (item == GetDropLineItem()) return false;
    if (HTREEITEM old = GetDropLineItem()) RedrawBand(old);
    dropLine_ = IndexOf(item);
    if (item) RedrawBand(item);
    return true;
}

gui::Rect CBarTreeCtrl::DropBandRect(HTREEITEM item) const {
    gui::Rect row = GetItemRect(item);
    if (row.IsEmpty()) return {};
    int top = row.bottom - kDropBandHeight / 2;
    return gui::Rect(row.left, top, row.right, top + kDropBandHeight);
}

gui::COLORREF CBarTreeCtrl::BackgroundColor() const { return gui::FromQColor(View()->palette().color(QPalette::Base)); }

void CBarTreeCtrl::RedrawBand(HTREEITEM item) {
    gui::Rect band = DropBandRect(item);
    if (!band.IsEmpty()) View()->viewport()->repaint(gui::ToQRect(band));
}

void CBarTreeCtrl::PaintOverlay(QPainter& painter) {
    HTREEITEM item = GetDropLineItem();
    gui::Rect band = DropBandRect(item);
    if (band.IsEmpty()) return;
    gui::COLORREF ink = ~BackgroundColor() & 0x00FFFFFFu;
    gui::QPainterCanvas canvas(painter);
    int half = kDropBandHeight / 2;
    int middle = band.top + half;
    // The line across the middle, then the two triangles: one pixel wider per row toward the
    // line, pointing inward from both ends.
    canvas.FillRect(gui::Rect(band.left, middle, band.right, middle + kDropLineWidth), ink);
    for (int row = 0; row < kDropBandHeight; ++row) {
        int width = half + 1 - std::abs(row - half);
        int y = band.top + row;
        canvas.FillRect(gui::Rect(band.left, y, band.left + width, y + 1), ink);
        canvas.FillRect(gui::Rect(band.right - width, y, band.right, y + 1), ink);
    }
}

}  // namespace tree
