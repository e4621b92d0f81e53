// Drawing of the tree cells: the outline's lines and expander box in front of the text, or,
// in image mode, the expander state as the cell's image.
#include "controls/grid/grid_ctrl.h"
#include "controls/grid/grid_tree_cell.h"
#include "controls/grid/tree_column.h"
#include "platform/gui/canvas.h"
#include "platform/gui/system_metrics.h"

namespace {

// Image mode's images: 0 collapsed, 1 expanded, 2 a row without children.
constexpr int kImageCollapsed = 0;
constexpr int kImageExpanded = 1;
constexpr int kImageLeaf = 2;

// A later row at `level` follows before the first shallower row: the level's vertical line
// goes on below `row`.
bool HasLaterSibling(const CTreeColumn& column, int row, int level) {
    for (int r = row + 1; r < column.GetRowCount(); ++r) {
        const int l = column.GetTreeLevel(r);
        if (l < level) return false;
        if (l == level) return column.IsTreeRowShown(r);
    }
    return false;
}

void Line(gui::Canvas& dc, int x0, int y0, int x1, int y1) {
    dc.MoveTo({x0, y0});
    dc.LineTo({x1, y1});
}

}  // namespace

bool CGridTreeCellBase::Draw(gui::Canvas* dc, int row, int col, gui::Rect rect, bool eraseBkgnd) {
    CTreeColumn* column = GetTreeColumn();
    CGridCtrl* grid = GetGrid();
    if (!column || !column->IsTreeReady() || !grid || !dc) return false;
    if (column->GetFixedRowCount() != grid->GetFixedRowCount() || column->GetRowCount() > grid->GetRowCount())
        return false;
    if (rect.Width() <= 0 || rect.Height() <= 0) return false;

    const bool printing = printing_;
    dc->Save();
    if (col == column->GetColumnWithTree() && IsViewable()) {
        if (column->GetTreeLines()) {
            DrawTreeLines(*dc, rect, printing);
        } else if (column->GetImageMode()) {
            const int state = column->GetTreeChildState(row);
            SetImage(state & kTreeCollapsed ? kImageCollapsed : state & kTreeExpanded ? kImageExpanded : kImageLeaf);
        }
        rect.left += GetIndent();
    }
    dc->Restore();
    if (printing) return CGridCellBase::PrintCell(dc, row, col, rect);
    return CGridCellBase::Draw(dc, row, col, rect, eraseBkgnd);
}

bool CGridTreeCellBase::PrintCell(gui::Canvas* dc, int row, int col, gui::Rect rect) {
    printing_ = true;
    const bool drawn = Draw(dc, row, col, rect, true);
    printing_ = false;
    return drawn;
}

void CGridTreeCellBase::DrawTreeLines(gui::Canvas& dc, const gui::Rect& rect, bool printing) {
    CTreeColumn& column = *GetTreeColumn();
    const int level = GetLevel();
    const int w = column.GetIndentWidth();
    if (level == 0) {
        if (column.GetImageMode()) SetImage(kImageLeaf);
        return;
    }
    if (w < 6) return;

    gui::COLORREF pen = column.GetTreeLineColour();
    gui::COLORREF fill = GetBackClr();
    if (fill == gui::CLR_DEFAULT) {
        const CGridDefaultCell* def = GetDefaultCell();
        fill = def ? def->GetBackClr() : gui::GetSysColor(gui::COLOR_WINDOW);
    }
    if (IsSelected() && !printing) {
        pen = gui::GetSysColor(gui::COLOR_HIGHLIGHTTEXT);
        fill = gui::GetSysColor(gui::COLOR_HIGHLIGHT);
    }
    // The inclusive cell rectangle grown by one pixel.
    dc.IntersectClipRect(gui::Rect(rect.left - 1, rect.top - 1, rect.right + 2, rect.bottom + 2));
    dc.SetPen(gui::Pen{gui::PS_SOLID, 1, pen});

    const int m = static_cast<int>(GetMargin());
    const int row = GetRow();
    const int state = column.GetTreeChildState(row);
    const bool hasChildren = state & (kTreeCollapsed | kTreeExpanded);
    gui::Rect box = GetExpanderRect();
    box.Offset(rect.left, rect.top);
    const int midX = (box.left + box.right) / 2;
    const int midY = (box.top + box.bottom) / 2;
    const int textX = rect.left + GetIndent() - m;

    // Ancestor levels with a later sibling pass through the cell.
    for (int l = 1; l < level; ++l) {
        int ancestor = -1;
        for (int r = row - 1; r >= column.GetFixedRowCount(); --r)
            if (column.GetTreeLevel(r) <= l) {
                ancestor = column.GetTreeLevel(r) == l ? r : -1;
                break;
            }
        if (ancestor < 0 || !HasLaterSibling(column, ancestor, l)) continue;
        const int x = rect.left + (l - 1) * w + m + 2 + (w - 2) / 2;
        Line(dc, x, rect.top, x, rect.bottom + 1);
    }
    // Up to the row above at this level, down when a later sibling is shown.
    Line(dc, midX, rect.top, midX, hasChildren ? box.top : midY);
    if (!(state & kTreeLast)) Line(dc, midX, hasChildren ? box.bottom : midY, midX, rect.bottom + 1);
    Line(dc, hasChildren ? box.right : midX, midY, textX, midY);

    if (hasChildren) {
        dc.FillRect(gui::Rect(box.left + 1, box.top + 1, box.right - 1, box.bottom - 1), fill);
        dc.FrameRect(box, pen);
        const int arm = (box.Width() - 4) / 2;
        Line(dc, midX - arm, midY, midX + arm + 1, midY);
        if (state & kTreeCollapsed) Line(dc, midX, midY - arm, midX, midY + arm + 1);
    }
}
