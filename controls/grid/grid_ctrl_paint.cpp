// Painting: the background areas, the cells in their order, merged blocks and grid lines.
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "controls/grid/grid_ctrl.h"
#include "controls/grid/mem_dc.h"
#include "platform/gui/qpainter_canvas.h"

void CGridCtrl::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    gui::QPainterCanvas canvas(painter);
    const QRect r = event->rect();
    canvas.IntersectClipRect(gui::Rect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height()));
    if (doubleBuffer_) {
        CMemDC mem(canvas);
        OnDraw(mem);
    } else {
        OnDraw(canvas);
    }
    // The sizing line of a divider drag lies over the cells, two pixels wide.
    if (const int line = GetSizingLine(); line >= 0) {
        const bool cols = mouseMode_ == MOUSE_SIZING_COL;
        const int w = viewport()->width(), h = viewport()->height();
        canvas.FillRect(cols ? gui::Rect(line - 1, 0, line + 1, h) : gui::Rect(0, line - 1, w, line + 1),
                        windowText_);
    }
}

// The filler column takes what the visible columns leave of the client width.
void CGridCtrl::FitFillerColumn() {
    if (!filler_ || colCount_ == 0 || rowCount_ == 0) return;
    int first = -1, last = -1;
    GetGeometry().GetVisibleColumns(&first, &last);
    const int filler = colCount_ - 1;
    const std::int64_t shown = first >= 0 ? colWidths_.Sum(first, filler) : colWidths_.Get(filler);
    const std::int64_t width =
        std::max<std::int64_t>(colWidths_.Get(filler) - shown + viewport()->width() - GetFixedColumnWidth(), 0);
    if (width != colWidths_.Get(filler)) colWidths_.Set(filler, ClampToInt(width));
}

void CGridCtrl::OnDraw(gui::Canvas& dc) {
    FitFillerColumn();
    const gui::Rect clip = dc.GetClipBox();
    if (!allowDraw_ || clip.IsEmpty()) return;
    const GridGeometry geometry = GetGeometry();
    const int clientWidth = viewport()->width(), clientHeight = viewport()->height();
    int firstRow = -1, lastRow = -1, firstCol = -1, lastCol = -1;
    std::int64_t rowsEnd = 0, colsEnd = 0;
    geometry.Rows().Visible(&firstRow, &lastRow, &rowsEnd);
    geometry.Columns().Visible(&firstCol, &lastCol, &colsEnd);
    const int fixedWidth = ClampToInt(std::min<std::int64_t>(GetFixedColumnWidth(), clientWidth));
    const int fixedHeight = ClampToInt(std::min<std::int64_t>(GetFixedRowHeight(), clientHeight));
    const int right = ClampToInt(std::min<std::int64_t>(colsEnd, clientWidth));
    const int bottom = ClampToInt(std::min<std::int64_t>(rowsEnd, clientHeight));

    // The four areas in their default cells' back colours, the rest in the grid's background.
    dc.FillRect(gui::Rect(0, 0, clientWidth, clientHeight), gridBkColour_);
    dc.FillRect(gui::Rect(0, 0, fixedWidth, fixedHeight), defaults_[3]->GetBackClr());
    dc.FillRect(gui::Rect(fixedWidth, 0, right, fixedHeight), defaults_[2]->GetBackClr());
    dc.FillRect(gui::Rect(0, fixedHeight, fixedWidth, bottom), defaults_[1]->GetBackClr());
    dc.FillRect(gui::Rect(fixedWidth, fixedHeight, right, bottom), defaults_[0]->GetBackClr());

    const std::weak_ptr<int> alive = alive_;
    if (virtualMode_ && !SendCacheHintToParent(GridCellRange(firstRow, firstCol, lastRow, lastCol))) return;

    std::vector<bool> mergedDrawn(merged_.GetRanges().size(), false);
    auto drawCell = [&](int row, int col) {
        if (rowHeights_.Get(row) <= 0 || colWidths_.Get(col) <= 0) return true;
        GridCellRange block;
        if (merged_.FindRange(row, col, &block)) {
            const auto& ranges = merged_.GetRanges();
            const std::size_t index =
                static_cast<std::size_t>(std::find(ranges.begin(), ranges.end(), block) - ranges.begin());
            if (mergedDrawn[index]) return true;
            mergedDrawn[index] = true;
            DrawMergedCell(block, row, col, &dc);
            return !alive.expired();
        }
        gui::Rect rect;
        if (!geometry.GetCellRect(row, col, &rect)) return true;
        CGridCellBase* cell = GetCell(row, col);
        if (alive.expired()) return false;
        if (cell) cell->Draw(&dc, row, col, rect, false);
        return true;
    };
    auto each = [&](int r0, int r1, int c0, int c1) {
        for (int r = r0; r <= r1 && r0 >= 0; ++r)
            for (int c = c0; c <= c1 && c0 >= 0; ++c)
                if (!drawCell(r, c)) return false;
        return true;
    };
    const int fr = fixedRows_ - 1, fc = fixedCols_ - 1;
    if (!each(0, fr, 0, fc) || !each(0, fr, firstCol, lastCol) || !each(firstRow, lastRow, 0, fc) ||
        !each(firstRow, lastRow, firstCol, lastCol))
        return;
    DrawGridLines(dc, geometry, firstRow, lastRow, firstCol, lastCol, fixedWidth, fixedHeight, right, bottom);
}

// Lines along the right edge of every visible column and the bottom edge of every visible row
// of the non-fixed area, left out where both sides of a segment belong to one merged block.
void CGridCtrl::DrawGridLines(gui::Canvas& dc, const GridGeometry& geometry, int firstRow, int lastRow, int firstCol,
                              int lastCol, int fixedWidth, int fixedHeight, int right, int bottom) {
    if (gridLines_ == GVL_NONE || firstRow < 0 || firstCol < 0) return;
    dc.SetPen(gui::Pen{gui::PS_SOLID, 1, gridLineColour_});
    auto sameBlock = [&](int r1, int c1, int r2, int c2) {
        GridCellRange block;
        return merged_.FindRange(r1, c1, &block) && block.Contains(r2, c2);
    };
    auto rowSpan = [&](int row, int* top, int* end) {
        gui::Point origin;
        if (!geometry.GetCellOrigin(row, firstCol, &origin)) return false;
        *top = origin.y;
        *end = origin.y + rowHeights_.Get(row);
        return true;
    };
    auto colSpan = [&](int col, int* left, int* end) {
        gui::Point origin;
        if (!geometry.GetCellOrigin(firstRow, col, &origin)) return false;
        *left = origin.x;
        *end = origin.x + colWidths_.Get(col);
        return true;
    };
    if (gridLines_ & GVL_VERT) {
        for (int c = firstCol; c <= lastCol; ++c) {
            int left = 0, end = 0;
            if (colWidths_.Get(c) <= 0 || !colSpan(c, &left, &end)) continue;
            const int x = end - 1;
            if (merged_.IsEmpty()) {
                dc.MoveTo({x, fixedHeight});
                dc.LineTo({x, bottom});
                continue;
            }
            for (int r = firstRow; r <= lastRow; ++r) {
                int top = 0, rowEnd = 0;
                if (rowHeights_.Get(r) <= 0 || !rowSpan(r, &top, &rowEnd) || sameBlock(r, c, r, c + 1)) continue;
                dc.MoveTo({x, top});
                dc.LineTo({x, rowEnd});
            }
        }
    }
    if (gridLines_ & GVL_HORZ) {
        for (int r = firstRow; r <= lastRow; ++r) {
            int top = 0, end = 0;
            if (rowHeights_.Get(r) <= 0 || !rowSpan(r, &top, &end)) continue;
            const int y = end - 1;
            if (merged_.IsEmpty()) {
                dc.MoveTo({fixedWidth, y});
                dc.LineTo({right, y});
                continue;
            }
            for (int c = firstCol; c <= lastCol; ++c) {
                int left = 0, colEnd = 0;
                if (colWidths_.Get(c) <= 0 || !colSpan(c, &left, &colEnd) || sameBlock(r, c, r + 1, c)) continue;
                dc.MoveTo({left, y});
                dc.LineTo({colEnd, y});
            }
        }
    }
}

bool CGridCtrl::DrawMergedCell(const GridCellRange& range, int /*row*/, int /*col*/, gui::Canvas* dc) {
    gui::Rect rect;
    if (!dc || !merged_.GetCellRect(range.minRow, range.minCol, GetGeometry(), &rect)) return false;
    CGridCellBase* cell = GetCell(range.minRow, range.minCol);
    if (!cell) return false;
    cell->Draw(dc, range.minRow, range.minCol, rect, true);
    if (range.minRow >= fixedRows_ && range.minCol >= fixedCols_) DrawCellEdges(*dc, rect);
    return true;
}

// The right and bottom grid lines of one non-fixed cell (or block), inclusive rectangle.
void CGridCtrl::DrawCellEdges(gui::Canvas& dc, const gui::Rect& rect) {
    dc.SetPen(gui::Pen{gui::PS_SOLID, 1, gridLineColour_});
    if (gridLines_ & GVL_VERT) {
        dc.MoveTo({rect.right, rect.top});
        dc.LineTo({rect.right, rect.bottom + 1});
    }
    if (gridLines_ & GVL_HORZ) {
        dc.MoveTo({rect.left, rect.bottom});
        dc.LineTo({rect.right + 1, rect.bottom});
    }
}

bool CGridCtrl::RedrawCell(int row, int col, gui::Canvas* dc) {
    if (!allowDraw_ || !IsCellVisible(row, col)) return false;
    gui::Rect rect;
    if (!GetCellRect(row, col, &rect)) return false;
    if (!dc) {
        viewport()->update(rect.left, rect.top, rect.Width() + 1, rect.Height() + 1);
        return true;
    }
    GridCellRange block;
    if (merged_.FindRange(row, col, &block)) return DrawMergedCell(block, row, col, dc);
    CGridCellBase* cell = GetCell(row, col);
    if (!cell || !cell->Draw(dc, row, col, rect, true)) return false;
    if (row >= fixedRows_ && col >= fixedCols_) DrawCellEdges(*dc, rect);
    return true;
}

bool CGridCtrl::RedrawRow(int row) {
    if (row < 0 || row >= rowCount_) return false;
    bool all = true;
    for (int c = 0; c < colCount_; ++c) all = RedrawCell(row, c) && all;
    return all;
}
