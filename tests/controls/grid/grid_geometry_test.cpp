#include "controls/grid/grid_geometry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

// The layout rules computed the long way: every answer by adding sizes one entry at a time.
struct PlainAxis {
    std::vector<int> size;
    int fixed = 0;
    int client = 0;
    int scroll = 0;

    int Count() const { return static_cast<int>(size.size()); }
    std::int64_t FixedExtent() const {
        std::int64_t s = 0;
        for (int i = 0; i < fixed; ++i) s += size[static_cast<std::size_t>(i)];
        return s;
    }
    int TopLeft() const {
        if (Count() == 0) return -1;
        std::int64_t before = 0;
        int i = fixed;
        for (; i < Count(); ++i) {
            if (before >= scroll) break;
            before += size[static_cast<std::size_t>(i)];
        }
        return std::min(i, Count() - 1);
    }
    void Visible(int* first, int* last, std::int64_t* end) const {
        if (Count() <= fixed) {
            *first = *last = -1;
            *end = FixedExtent();
            return;
        }
        const int top = TopLeft();
        std::int64_t edge = FixedExtent();
        int i = top;
        for (; i < Count(); ++i) {
            edge += size[static_cast<std::size_t>(i)];
            if (edge >= client) {
                edge = client;
                break;
            }
        }
        *first = top;
        *last = std::min(i, Count() - 1);
        *end = edge;
    }
    bool Origin(int index, std::int64_t* pos) const {
        if (index < 0 || index >= Count()) return false;
        std::int64_t p = 0;
        if (index < fixed) {
            for (int i = 0; i < index; ++i) p += size[static_cast<std::size_t>(i)];
        } else {
            const int top = TopLeft();
            if (index < top) return false;
            p = FixedExtent();
            for (int i = top; i < index; ++i) p += size[static_cast<std::size_t>(i)];
        }
        *pos = p;
        return true;
    }
    int At(int p, bool allowFixed) const {
        if (p < 0 || p >= client) return -1;
        const std::int64_t fixedExtent = FixedExtent();
        std::int64_t edge = 0;
        if (p < fixedExtent) {
            if (!allowFixed) return -1;
            for (int i = 0; i < fixed; ++i)
                if (p < (edge += size[static_cast<std::size_t>(i)])) return i;
            return -1;
        }
        if (Count() <= fixed) return -1;
        edge = fixedExtent;
        for (int i = TopLeft(); i < Count(); ++i)
            if (p < (edge += size[static_cast<std::size_t>(i)])) return i;
        return -1;
    }
};

struct Fixture {
    PlainAxis rows, cols;
    GridSizes rowSizes, colSizes;

    void Load() {
        rowSizes.Resize(0, 0);
        rowSizes.Resize(rows.Count(), 0);
        for (int i = 0; i < rows.Count(); ++i) rowSizes.Set(i, rows.size[static_cast<std::size_t>(i)]);
        colSizes.Resize(0, 0);
        colSizes.Resize(cols.Count(), 0);
        for (int i = 0; i < cols.Count(); ++i) colSizes.Set(i, cols.size[static_cast<std::size_t>(i)]);
    }
    GridGeometry Geometry() const {
        return GridGeometry(rowSizes, colSizes, rows.fixed, cols.fixed,
                            GridViewport{cols.client, rows.client, cols.scroll, rows.scroll});
    }
    // Checks every query at this scroll position, at the probes given.
    void Check(std::mt19937& rng) const {
        const GridGeometry g = Geometry();
        ASSERT_EQ(g.GetTopleftNonFixedCell(), GridCellId(rows.TopLeft(), cols.TopLeft()));
        GridCellRange expected;
        std::int64_t right = 0, bottom = 0;
        rows.Visible(&expected.minRow, &expected.maxRow, &bottom);
        cols.Visible(&expected.minCol, &expected.maxCol, &right);
        if (expected.minRow < 0 || expected.minCol < 0) expected = GridCellRange();
        gui::Rect rect;
        ASSERT_EQ(g.GetVisibleNonFixedCellRange(&rect), expected);
        ASSERT_EQ(rect, (gui::Rect{0, 0, static_cast<int>(right), static_cast<int>(bottom)}));
        const GridCellId top = g.GetTopleftNonFixedCell();
        for (int probe = 0; probe < 40; ++probe) {
            // Cells around the top-left, in the fixed area and anywhere.
            int row, col;
            switch (probe % 3) {
                case 0:
                    row = top.row + static_cast<int>(rng() % 60) - 10;
                    col = top.col + static_cast<int>(rng() % 8) - 2;
                    break;
                case 1:
                    row = static_cast<int>(rng() % (rows.fixed + 1));
                    col = static_cast<int>(rng() % (cols.fixed + 1));
                    break;
                default:
                    row = static_cast<int>(rng() % (rows.Count() + 2)) - 1;
                    col = static_cast<int>(rng() % (cols.Count() + 2)) - 1;
            }
            std::int64_t x = 0, y = 0;
            const bool hasOrigin = rows.Origin(row, &y) && cols.Origin(col, &x);
            gui::Point origin;
            ASSERT_EQ(g.GetCellOrigin(row, col, &origin), hasOrigin) << row << "," << col;
            if (hasOrigin) {
                ASSERT_EQ(origin, (gui::Point{static_cast<int>(x), static_cast<int>(y)}));
                gui::Rect cell;
                ASSERT_TRUE(g.GetCellRect(row, col, &cell));
                ASSERT_EQ(cell.right, origin.x + cols.size[static_cast<std::size_t>(col)] - 1);
                ASSERT_EQ(cell.bottom, origin.y + rows.size[static_cast<std::size_t>(row)] - 1);
            }
            ASSERT_EQ(g.IsCellVisible(row, col), hasOrigin && x < cols.client && y < rows.client) << row << "," << col;
            const gui::Point p{static_cast<int>(rng() % (cols.client + 4)) - 2,
                               static_cast<int>(rng() % (rows.client + 4)) - 2};
            const bool allowFixed = probe % 2 == 0;
            const bool inside = p.x >= 0 && p.y >= 0 && p.x < cols.client && p.y < rows.client;
            const GridCellId want = inside ? GridCellId(rows.At(p.y, allowFixed), cols.At(p.x, allowFixed)) : GridCellId();
            ASSERT_EQ(g.GetCellFromPt(p, allowFixed), want) << p.x << "," << p.y;
        }
    }
};

TEST(GridGeometryTest, MillionRowsEverySecondHiddenAnswerAsPlainSums) {
    std::mt19937 rng(1000000);
    Fixture f;
    f.rows.size.resize(1000000);
    for (std::size_t i = 0; i < f.rows.size.size(); ++i) f.rows.size[i] = i % 2 ? 0 : 1 + static_cast<int>(rng() % 30);
    f.cols.size = {40, 0, 25, 80, 0, 0, 120, 60, 15, 90, 0, 200, 33, 71};
    f.rows.fixed = 1;
    f.cols.fixed = 2;
    f.rows.client = 600;
    f.cols.client = 500;
    f.Load();
    const std::int64_t height = f.rowSizes.Total() - f.rowSizes.Position(1);
    const std::int64_t width = f.colSizes.Total() - f.colSizes.Position(2);
    for (int round = 0; round < 60; ++round) {
        // Positions at a row's start, inside a row, near both ends and past the end.
        switch (round % 4) {
            case 0: f.rows.scroll = static_cast<int>(f.rowSizes.Position(static_cast<int>(rng() % 1000000)) - f.rowSizes.Position(1)); break;
            case 1: f.rows.scroll = static_cast<int>(rng() % height); break;
            case 2: f.rows.scroll = static_cast<int>(height - rng() % 700); break;
            default: f.rows.scroll = static_cast<int>(rng() % 50);
        }
        f.rows.scroll = std::max(f.rows.scroll, 0);
        f.cols.scroll = static_cast<int>(rng() % (width + 50));
        SCOPED_TRACE(testing::Message() << "scroll " << f.cols.scroll << "," << f.rows.scroll);
        f.Check(rng);
    }
}

TEST(GridGeometryTest, SmallGridsAgreeWithPlainSums) {
    // Only fixed rows or columns, hidden fixed entries, empty grids, zero-size clients.
    std::mt19937 rng(7);
    for (int round = 0; round < 400; ++round) {
        Fixture f;
        f.rows.size.resize(rng() % 8);
        f.cols.size.resize(rng() % 6);
        for (int& h : f.rows.size) h = rng() % 3 == 0 ? 0 : static_cast<int>(rng() % 50);
        for (int& w : f.cols.size) w = rng() % 3 == 0 ? 0 : static_cast<int>(rng() % 70);
        f.rows.fixed = f.rows.Count() ? static_cast<int>(rng() % (f.rows.Count() + 1)) : 0;
        f.cols.fixed = f.cols.Count() ? static_cast<int>(rng() % (f.cols.Count() + 1)) : 0;
        f.rows.client = static_cast<int>(rng() % 200);
        f.cols.client = static_cast<int>(rng() % 200);
        f.rows.scroll = static_cast<int>(rng() % 150);
        f.cols.scroll = static_cast<int>(rng() % 150);
        f.Load();
        SCOPED_TRACE(testing::Message() << "round " << round);
        f.Check(rng);
    }
}

TEST(GridGeometryTest, GridWithOnlyFixedRowsHasAnEmptyVisibleRangeButItsColumns) {
    GridSizes rows, cols;
    rows.Resize(2, 20);
    cols.Resize(5, 50);
    const GridGeometry g(rows, cols, 2, 1, GridViewport{180, 300, 0, 0});
    EXPECT_EQ(g.GetVisibleNonFixedCellRange(), GridCellRange());
    int first = 0, last = 0;
    g.GetVisibleColumns(&first, &last);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 3);  // 50 + 3 x 50 reaches 180 in column 3
    g.GetVisibleRows(&first, &last);
    EXPECT_EQ(first, -1);
    EXPECT_EQ(last, -1);
    EXPECT_EQ(g.GetCellFromPt({60, 30}), GridCellId(1, 1));
    EXPECT_EQ(g.GetCellFromPt({60, 30}, false), GridCellId(-1, 1));
    EXPECT_EQ(g.GetCellFromPt({60, 250}), GridCellId(-1, 1));
}

TEST(GridGeometryTest, PositionsBeyondTheIntRangeAreClamped) {
    GridSizes rows, cols;
    rows.Resize(4, 2000000000);
    cols.Resize(1, 10);
    const GridGeometry g(rows, cols, 0, 0, GridViewport{10, 100, 0, 0});
    gui::Point origin;
    ASSERT_TRUE(g.GetCellOrigin(3, 0, &origin));
    EXPECT_EQ(origin.y, 2147483647);
    EXPECT_FALSE(g.IsCellVisible(3, 0));
    EXPECT_TRUE(g.IsCellVisible(0, 0));
}

}  // namespace
