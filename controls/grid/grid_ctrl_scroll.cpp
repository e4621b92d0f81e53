// Scroll bars, scroll requests, the wheel and the drawing switch.
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "controls/grid/grid_ctrl.h"

namespace {

// Line scrolling moves the view by one shown entry: forward so that the first shown entry from
// the top-left one on goes out of view (never the last entry), back so that the nearest shown
// entry before the top-left one comes into view (never a fixed one). The position lands on
// that entry's edge, so every step moves the view, whatever position a thumb or page step
// left. Each step is a lookup in the running sums, however many hidden entries lie between.
int LineStep(const GridGeometry::Axis& axis, int pos, int range, bool forward) {
    const GridSizes& sizes = axis.sizes;
    const int count = sizes.GetCount();
    const int topLeft = axis.TopLeft();
    if (topLeft < 0) return pos;
    const std::int64_t fixedExtent = axis.FixedExtent();
    if (forward) {
        if (pos >= range) return pos;
        const int shown = sizes.NextShown(topLeft - 1);
        if (shown < 0 || shown > count - 2) return pos;
        return ClampToInt(std::min<std::int64_t>(sizes.Position(shown + 1) - fixedExtent, range));
    }
    if (pos <= 0 || topLeft <= axis.fixed) return pos;
    const int shown = sizes.PreviousShown(topLeft);
    if (shown < axis.fixed) return pos;
    return ClampToInt(std::max<std::int64_t>(sizes.Position(shown) - fixedExtent, 0));
}

// Where the line steps of EnsureVisible end, worked out at once. The k-th forward step lands
// on the edge after the k-th shown entry from the top-left one (never the last entry, never
// past the range), the k-th back step on the edge before the k-th shown entry before it, so
// each phase is a few lookups in the running sums and the shown counts.
struct AxisSteps {
    const GridGeometry::Axis& axis;
    int range;

    GridGeometry::Axis At(int pos) const { return {axis.sizes, axis.fixed, axis.clientExtent, pos}; }
    std::int64_t Edge(int i) const { return axis.sizes.Position(i) - axis.FixedExtent(); }
    std::int64_t Room() const { return axis.clientExtent - axis.FixedExtent(); }
    // Forward until the step past the `target`-th shown entry.
    int Forward(int pos, int target) const {
        const GridSizes& sizes = axis.sizes;
        target = std::min(target, sizes.ShownBefore(sizes.GetCount() - 1));
        if (pos >= range || target <= sizes.ShownBefore(At(pos).TopLeft())) return pos;
        return ClampToInt(std::min<std::int64_t>(Edge(sizes.NthShown(target) + 1), range));
    }
    // One step for each shown entry between the visible ones and `index`.
    int PhaseOne(int index, int pos) const {
        const GridSizes& sizes = axis.sizes;
        if (index < axis.fixed || index >= sizes.GetCount() || Room() <= 0) return pos;
        int first = -1, last = -1;
        At(pos).Visible(&first, &last, nullptr);
        if (first >= 0 && index < first) {
            const int steps = sizes.ShownBefore(first) - sizes.ShownBefore(index);
            if (steps <= 0 || pos <= 0) return pos;
            const int ordinal = sizes.ShownBefore(At(pos).TopLeft()) - steps + 1;
            return ordinal <= sizes.ShownBefore(axis.fixed) ? 0 : ClampToInt(Edge(sizes.NthShown(ordinal)));
        }
        if (last >= 0 && index > last) {
            const int steps = sizes.ShownBefore(index + 1) - sizes.ShownBefore(last + 1);
            if (steps > 0) return Forward(pos, sizes.ShownBefore(At(pos).TopLeft()) + steps);
        }
        return pos;
    }
    // Forward while the block first..last sticks out beyond the client edge and starts past
    // the fixed entries (the view starts at the top-left entry's edge, whatever part of it the
    // position passed).
    int PhaseTwo(int first, int last, int pos) const {
        const GridSizes& sizes = axis.sizes;
        if (first < axis.fixed || last >= sizes.GetCount() || Room() <= 0) return pos;
        const std::int64_t need = std::min(Edge(last + 1) - Room(), Edge(first));
        const int top = At(pos).TopLeft();
        if (Edge(top) >= need) return pos;
        const int reach = sizes.FirstAtOrAfter(need + axis.FixedExtent());  // entry reach - 1 is shown
        const int target = reach < 0 ? sizes.GetCount() : sizes.ShownBefore(reach);
        return Forward(pos, std::max(target, sizes.ShownBefore(top) + 1));
    }
    // The block's first entry has an origin: it is fixed or not scrolled out before the view.
    bool HasOrigin(int first, int pos) const { return first < axis.fixed || first >= At(pos).TopLeft(); }
};

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
            return LineStep(axis, pos, range, code == SB_LINEDOWN);
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

void CGridCtrl::EnsureVisible(int row, int col) {
    if (!IsValid(row, col)) return;
    GridCellRange block(row, col, row, col);
    merged_.FindRange(row, col, &block);
    const GridGeometry geometry = GetGeometry();
    const AxisSteps rows{geometry.Rows(), vRange_}, cols{geometry.Columns(), hRange_};
    int v = rows.PhaseOne(row, verticalScrollBar()->value());
    int h = cols.PhaseOne(col, horizontalScrollBar()->value());
    // The block's rectangle needs both origins: a block scrolled out to the left is not moved
    // down, nor one scrolled out to the top moved right.
    if (cols.HasOrigin(block.minCol, h)) v = rows.PhaseTwo(block.minRow, block.maxRow, v);
    if (rows.HasOrigin(block.minRow, v)) h = cols.PhaseTwo(block.minCol, block.maxCol, h);
    if (v != verticalScrollBar()->value()) verticalScrollBar()->setValue(v);
    if (h != horizontalScrollBar()->value()) horizontalScrollBar()->setValue(h);
}
