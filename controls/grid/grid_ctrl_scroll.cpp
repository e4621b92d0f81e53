// Scroll bars, scroll requests, the wheel and the drawing switch.
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "controls/grid/grid_ctrl.h"

namespace {

// One step of line scrolling along an axis, as a new scroll position. Forward: by the first
// shown entry from the top-left one on (never from the last entry); back: by the nearest shown
// entry before the top-left one, not going into the fixed ones. Positions stay in 0..range.
// Each step is a lookup in the running sums, whatever number of hidden entries lies between.
int LineStep(const GridSizes& sizes, int fixed, int topLeft, int pos, int range, bool forward) {
    const int count = sizes.GetCount();
    if (topLeft < 0) return pos;
    if (forward) {
        if (pos >= range) return pos;
        const int shown = sizes.NextShown(topLeft - 1);
        if (shown < 0 || shown > count - 2) return pos;
        return static_cast<int>(std::min<std::int64_t>(std::int64_t{pos} + sizes.Get(shown), range));
    }
    if (pos <= 0 || topLeft <= fixed) return pos;
    const int shown = sizes.PreviousShown(topLeft);
    if (shown < fixed) return pos;
    return std::max(pos - sizes.Get(shown), 0);
}

}  // namespace

std::int64_t CGridCtrl::GetVirtualHeight() const { return rowHeights_.Total(); }

std::int64_t CGridCtrl::GetVirtualWidth() const {
    return colWidths_.Total() - (filler_ && colCount_ > 0 ? colWidths_.Get(colCount_ - 1) : 0);
}

// Which bars are needed depends on each other: a horizontal bar takes height from the rows,
// which may call for a vertical bar, which takes width from the columns. Both are decided
// again until neither changes (at most a second pass), so the last row and column can always
// be scrolled fully into view.
void CGridCtrl::ResetScrollBars() {
    if (!allowDraw_ || resettingBars_) return;
    const QScopedValueRollback guard(resettingBars_, true);
    const int barWidth = verticalScrollBar()->sizeHint().width();
    const int barHeight = horizontalScrollBar()->sizeHint().height();
    // The whole area, the room of bars shown now included.
    QSize area = maximumViewportSize();
    if (verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn) area.rwidth() += barWidth;
    if (horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn) area.rheight() += barHeight;
    const std::int64_t fixedWidth = GetFixedColumnWidth(), fixedHeight = GetFixedRowHeight();
    bool horz = false, vert = false;
    std::int64_t visibleWidth = 0, visibleHeight = 0;
    if (area.width() - fixedWidth > 0 && area.height() - fixedHeight > 0) {
        const std::int64_t scrollHeight = GetVirtualHeight() - fixedHeight;
        const std::int64_t scrollWidth = GetVirtualWidth() - fixedWidth;
        for (int pass = 0; pass < 3; ++pass) {
            const bool v = scrollHeight > area.height() - (horz ? barHeight : 0) - fixedHeight;
            const bool h = scrollWidth > area.width() - (v ? barWidth : 0) - fixedWidth;
            if (v == vert && h == horz) break;
            vert = v, horz = h;
        }
        visibleWidth = std::max<std::int64_t>(area.width() - (vert ? barWidth : 0) - fixedWidth, 0);
        visibleHeight = std::max<std::int64_t>(area.height() - (horz ? barHeight : 0) - fixedHeight, 0);
        hRange_ = horz ? ClampToInt(std::max<std::int64_t>(scrollWidth - visibleWidth, 0)) : 0;
        vRange_ = vert ? ClampToInt(std::max<std::int64_t>(scrollHeight - visibleHeight, 0)) : 0;
    } else {
        hRange_ = vRange_ = 0;
    }
    scrollBarState_ = (horz ? GVSB_HORZ : 0) | (vert ? GVSB_VERT : 0);
    setHorizontalScrollBarPolicy(horz ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(vert ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    horizontalScrollBar()->setRange(0, hRange_);
    horizontalScrollBar()->setPageStep(hRange_ > 0 ? ClampToInt(visibleWidth) : 0);
    verticalScrollBar()->setRange(0, vRange_);
    verticalScrollBar()->setPageStep(vRange_ > 0 ? ClampToInt(visibleHeight) : 0);
}

int CGridCtrl::GetScrollPos32(int bar, bool trackPos) const {
    const QScrollBar* b = bar == SB_VERT ? verticalScrollBar() : horizontalScrollBar();
    return trackPos ? b->sliderPosition() : b->value();
}

bool CGridCtrl::SetScrollPos32(int bar, int pos, bool redraw) {
    QScrollBar* b = bar == SB_VERT ? verticalScrollBar() : horizontalScrollBar();
    const int old = b->value();
    b->setValue(pos);
    if (redraw) Refresh();
    return old != b->value();
}

int CGridCtrl::ScrollTarget(bool vertical, int code, int trackPos) const {
    const QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    const int pos = bar->value();
    const int range = vertical ? vRange_ : hRange_;
    const GridGeometry geometry = GetGeometry();
    const GridGeometry::Axis& axis = vertical ? geometry.Rows() : geometry.Columns();
    const int page = std::max(ClampToInt(axis.clientExtent - axis.FixedExtent()), 0);
    switch (code) {
        case SB_LINEUP:
        case SB_LINEDOWN:
            return LineStep(axis.sizes, axis.fixed, axis.TopLeft(), pos, range, code == SB_LINEDOWN);
        case SB_PAGEUP:
            return std::max(pos - page, 0);
        case SB_PAGEDOWN:
            return static_cast<int>(std::min<std::int64_t>(std::int64_t{pos} + page, range));
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            return std::clamp(trackPos, 0, range);
        case SB_TOP:
            return 0;
        case SB_BOTTOM:
            return range;
        default:
            return pos;
    }
}

void CGridCtrl::OnScroll(bool vertical, int code, int trackPos) {
    EndEditing();
    titleTip_.Hide();
    QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    const int target = ScrollTarget(vertical, code, trackPos);
    if (target != bar->value()) bar->setValue(target);  // repaints through scrollContentsBy
    if (code == SB_TOP || code == SB_BOTTOM) Refresh();
}

void CGridCtrl::OnHScroll(int code, int trackPos) { OnScroll(false, code, trackPos); }
void CGridCtrl::OnVScroll(int code, int trackPos) { OnScroll(true, code, trackPos); }

// The bars' own arrows and page areas step as the scroll requests do: by a shown column or
// row, not by pixels.
void CGridCtrl::OnBarAction(bool vertical, int action) {
    int code = -1;
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            code = SB_LINEDOWN;
            break;
        case QAbstractSlider::SliderSingleStepSub:
            code = SB_LINEUP;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = SB_PAGEDOWN;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = SB_PAGEUP;
            break;
        case QAbstractSlider::SliderToMinimum:
            code = SB_TOP;
            break;
        case QAbstractSlider::SliderToMaximum:
            code = SB_BOTTOM;
            break;
        default:
            return;  // dragging the thumb: its position is the scroll position
    }
    EndEditing();
    titleTip_.Hide();
    QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    bar->setSliderPosition(ScrollTarget(vertical, code, 0));
}

void CGridCtrl::SetRedraw(bool allowDraw, bool resetScrollBars) {
    const bool wasOff = !allowDraw_;
    allowDraw_ = allowDraw;
    if (allowDraw && wasOff) Refresh();
    if (allowDraw && resetScrollBars) ResetScrollBars();
}

// Wheel deltas are kept per grid in units of 1/120 line, so small steps of a touchpad add up
// to lines instead of being lost; a turn the other way drops what was kept.
void CGridCtrl::OnMouseWheel(int delta) {
    if (delta == 0) return;
    if ((delta > 0) != (wheelRemainder_ > 0) && wheelRemainder_ != 0) wheelRemainder_ = 0;
    wheelRemainder_ += std::int64_t{delta} * wheelLines_;
    const std::int64_t lines = wheelRemainder_ / 120;
    wheelRemainder_ -= lines * 120;
    for (std::int64_t i = 0; i < std::abs(lines); ++i) OnVScroll(lines > 0 ? SB_LINEUP : SB_LINEDOWN);
}

void CGridCtrl::wheelEvent(QWheelEvent* event) {
    OnMouseWheel(event->angleDelta().y());
    event->accept();
}
