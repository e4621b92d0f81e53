#include "controls/grid/grid_geometry.h"

#include <algorithm>
#include <climits>

// Every answer is a lookup in the running sums: the top-left entry is the first whose start
// reaches the fixed extent plus the scroll position, the last visible one the first whose end
// reaches the client edge, the entry under a point the one whose span holds it. Rows and
// columns follow the same rules, so they share one Axis.

int ClampToInt(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

GridGeometry::GridGeometry(const GridSizes& rowHeights, const GridSizes& columnWidths, int fixedRows,
                           int fixedColumns, GridViewport view)
    : rows_{rowHeights, std::clamp(fixedRows, 0, rowHeights.GetCount()), std::max(view.clientHeight, 0),
            std::max(view.scrollY, 0)},
      cols_{columnWidths, std::clamp(fixedColumns, 0, columnWidths.GetCount()), std::max(view.clientWidth, 0),
            std::max(view.scrollX, 0)},
      view_(view) {}

int GridGeometry::Axis::TopLeft() const {
    const int count = sizes.GetCount();
    if (count == 0) return -1;
    int index = sizes.FirstAtOrAfter(FixedExtent() + scroll);
    if (index < 0) index = count - 1;
    return std::clamp(index, fixed, count - 1);
}

void GridGeometry::Axis::Visible(int* first, int* last, std::int64_t* end) const {
    const int count = sizes.GetCount();
    const std::int64_t fixedExtent = FixedExtent();
    if (count <= fixed) {
        *first = *last = -1;
        if (end) *end = fixedExtent;
        return;
    }
    const int top = TopLeft();
    const std::int64_t start = sizes.Position(top);
    // Entries top.. are added below the fixed ones until the client edge is reached; the one
    // that reaches it is the last visible one.
    const int reached = sizes.FirstAtOrAfter(start + clientExtent - fixedExtent);
    *first = top;
    if (reached < 0) {
        *last = count - 1;
        if (end) *end = fixedExtent + sizes.Total() - start;
    } else {
        *last = std::clamp(reached - 1, top, count - 1);
        if (end) *end = clientExtent;
    }
}

bool GridGeometry::Axis::Origin(int index, std::int64_t* pos) const {
    if (index < 0 || index >= sizes.GetCount()) return false;
    if (index < fixed) {
        *pos = sizes.Position(index);
        return true;
    }
    const int top = TopLeft();
    if (index < top) return false;
    *pos = FixedExtent() + sizes.Position(index) - sizes.Position(top);
    return true;
}

bool GridGeometry::Axis::IsVisible(int index) const {
    std::int64_t pos = 0;
    return Origin(index, &pos) && pos < clientExtent;
}

int GridGeometry::Axis::IndexAtPoint(int p, bool allowFixed) const {
    if (p < 0 || p >= clientExtent) return -1;
    const std::int64_t fixedExtent = FixedExtent();
    if (p < fixedExtent) return allowFixed ? sizes.IndexAt(p) : -1;
    if (sizes.GetCount() <= fixed) return -1;
    return sizes.IndexAt(sizes.Position(TopLeft()) + (p - fixedExtent));
}

GridCellId GridGeometry::GetTopleftNonFixedCell() const { return {rows_.TopLeft(), cols_.TopLeft()}; }

GridCellRange GridGeometry::GetVisibleNonFixedCellRange(gui::Rect* rect) const {
    GridCellRange range;
    std::int64_t right = 0, bottom = 0;
    rows_.Visible(&range.minRow, &range.maxRow, &bottom);
    cols_.Visible(&range.minCol, &range.maxCol, &right);
    if (range.minRow < 0 || range.minCol < 0) range = GridCellRange();
    if (rect) *rect = gui::Rect{0, 0, ClampToInt(right), ClampToInt(bottom)};
    return range;
}

bool GridGeometry::GetCellOrigin(int row, int col, gui::Point* origin) const {
    std::int64_t x = 0, y = 0;
    if (!rows_.Origin(row, &y) || !cols_.Origin(col, &x)) return false;
    *origin = gui::Point{ClampToInt(x), ClampToInt(y)};
    return true;
}

bool GridGeometry::GetBlockRect(int firstRow, int firstCol, int lastRow, int lastCol, gui::Rect* rect) const {
    std::int64_t x = 0, y = 0;
    if (!rows_.Origin(firstRow, &y) || !cols_.Origin(firstCol, &x)) return false;
    const std::int64_t w = cols_.sizes.Sum(firstCol, lastCol);
    const std::int64_t h = rows_.sizes.Sum(firstRow, lastRow);
    *rect = gui::Rect{ClampToInt(x), ClampToInt(y), ClampToInt(x + w - 1), ClampToInt(y + h - 1)};
    return true;
}

bool GridGeometry::GetCellRect(int row, int col, gui::Rect* rect) const {
    return GetBlockRect(row, col, row, col, rect);
}

bool GridGeometry::IsCellVisible(int row, int col) const { return rows_.IsVisible(row) && cols_.IsVisible(col); }

GridCellId GridGeometry::GetCellFromPt(gui::Point point, bool allowFixed) const {
    if (point.x < 0 || point.y < 0 || point.x >= cols_.clientExtent || point.y >= rows_.clientExtent) return {};
    return {rows_.IndexAtPoint(point.y, allowFixed), cols_.IndexAtPoint(point.x, allowFixed)};
}
