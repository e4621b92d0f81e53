#include "controls/grid/grid_merged_cells.h"

#include <gtest/gtest.h>

#include <vector>

#include "controls/grid/grid_geometry.h"

namespace {

using Ranges = std::vector<GridCellRange>;

const GridShape kShape{10, 8, 2, 1, false};  // 10 x 8, two fixed rows, one fixed column

TEST(GridMergedCellsTest, AddFitsTheBlockIntoTheGridOrRefusesIt) {
    struct Case {
        const char* what;
        GridCellRange range;
        GridShape shape;
        bool added;
        GridCellRange stored;
    } const cases[] = {
        {"inside the body", {3, 2, 4, 5}, kShape, true, {3, 2, 4, 5}},
        {"clamped to the last row and column", {8, 6, 20, 20}, kShape, true, {8, 6, 9, 7}},
        {"crossing the fixed rows ends at the last fixed row", {1, 3, 5, 4}, kShape, true, {1, 3, 1, 4}},
        {"in the corner cut at both borders", {0, 0, 4, 4}, kShape, true, {0, 0, 1, 0}},
        {"starting in the fixed column it ends there", {4, 0, 5, 3}, kShape, true, {4, 0, 5, 0}},
        {"one cell", {3, 3, 3, 3}, kShape, false, {}},
        {"one cell after the cut at the fixed border", {1, 3, 6, 3}, kShape, false, {}},
        {"negative bound", {-1, 2, 3, 3}, kShape, false, {}},
        {"minimum above maximum", {5, 2, 4, 3}, kShape, false, {}},
        {"beyond the grid", {12, 2, 14, 3}, kShape, false, {}},
        {"the filler column is left out", {3, 5, 3, 7}, {10, 8, 2, 1, true}, true, {3, 5, 3, 6}},
        {"two cells beside the filler leave one", {3, 6, 3, 7}, {10, 8, 2, 1, true}, false, {}},
        {"the filler column alone", {3, 7, 5, 7}, {10, 8, 2, 1, true}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GridMergedCells merged;
        EXPECT_EQ(merged.Add(c.range, c.shape), c.added);
        EXPECT_EQ(merged.GetRanges(), c.added ? Ranges{c.stored} : Ranges{});
    }
}

TEST(GridMergedCellsTest, OverlappingBlockLeavesTheirCommonPartOrIsRefused) {
    GridMergedCells merged;
    ASSERT_TRUE(merged.Add({3, 1, 5, 4}, kShape));
    ASSERT_TRUE(merged.Add({8, 1, 9, 2}, kShape));
    // Common part with the first block: rows 4-5, columns 3-4.
    EXPECT_TRUE(merged.Add({4, 3, 6, 6}, kShape));
    EXPECT_EQ(merged.GetRanges(), (Ranges{{8, 1, 9, 2}, {4, 3, 5, 4}}));
    // A common part of one cell is refused and nothing changes.
    EXPECT_FALSE(merged.Add({5, 4, 7, 7}, kShape));
    // So is one that overlaps two blocks (their common part is empty).
    EXPECT_FALSE(merged.Add({2, 2, 9, 3}, kShape));
    EXPECT_EQ(merged.GetRanges(), (Ranges{{8, 1, 9, 2}, {4, 3, 5, 4}}));
    GridCellRange found;
    EXPECT_TRUE(merged.FindRange(5, 3, &found));
    EXPECT_EQ(found, (GridCellRange{4, 3, 5, 4}));
    EXPECT_FALSE(merged.FindRange(3, 1, &found));
}

TEST(GridMergedCellsTest, BlocksFollowInsertedAndDeletedRowsAndColumns) {
    auto make = [] {
        GridMergedCells m;
        m.Add({3, 2, 4, 3}, kShape);  // body, two rows
        m.Add({6, 1, 6, 4}, kShape);  // body, one row
        m.Add({0, 2, 1, 2}, kShape);  // fixed rows
        return m;
    };
    GridShape oneMore = kShape, oneLess = kShape;
    oneMore.rows = 11;
    oneLess.rows = 9;
    {
        GridMergedCells m = make();
        m.OnRowInserted(4, oneMore);  // inside the first block: it takes the row in
        EXPECT_EQ(m.GetRanges(), (Ranges{{3, 2, 5, 3}, {7, 1, 7, 4}, {0, 2, 1, 2}}));
    }
    {
        GridMergedCells m = make();
        m.OnRowDeleted(3, oneLess);  // the first block keeps two cells, the next moves up
        EXPECT_EQ(m.GetRanges(), (Ranges{{3, 2, 3, 3}, {5, 1, 5, 4}, {0, 2, 1, 2}}));
        m.OnRowDeleted(5, GridShape{8, 8, 2, 1, false});  // the one-row block's row goes
        EXPECT_EQ(m.GetRanges(), (Ranges{{3, 2, 3, 3}, {0, 2, 1, 2}}));
    }
    {
        GridMergedCells m = make();
        GridShape fixedGone = oneLess;
        fixedGone.fixedRows = 1;
        m.OnRowDeleted(0, fixedGone);  // a fixed row deleted: the header block shrinks to one cell
        EXPECT_EQ(m.GetRanges(), (Ranges{{2, 2, 3, 3}, {5, 1, 5, 4}}));
    }
    {
        GridMergedCells m = make();
        GridShape moreFixed = kShape;
        moreFixed.fixedRows = 4;  // the first block now crosses the border
        m.OnShapeChanged(moreFixed);
        EXPECT_EQ(m.GetRanges(), (Ranges{{6, 1, 6, 4}, {0, 2, 1, 2}}));
    }
    {
        GridMergedCells m = make();
        m.OnShapeChanged(GridShape{7, 4, 2, 1, true});  // fewer rows and columns, filler on
        EXPECT_EQ(m.GetRanges(), (Ranges{{3, 2, 4, 2}, {6, 1, 6, 2}, {0, 2, 1, 2}}));
    }
    {
        GridMergedCells m = make();
        m.OnColumnInserted(2, GridShape{10, 9, 2, 1, false});
        EXPECT_EQ(m.GetRanges(), (Ranges{{3, 3, 4, 4}, {6, 1, 6, 5}, {0, 3, 1, 3}}));
    }
}

TEST(GridMergedCellsTest, RectangleCoversTheVisiblePartOfTheBlock) {
    GridSizes rows, cols;
    rows.Resize(20, 10);
    cols.Resize(6, 30);
    cols.Set(3, 0);
    const GridShape shape{20, 6, 1, 1, false};
    GridMergedCells merged;
    ASSERT_TRUE(merged.Add({2, 1, 6, 4}, shape));
    ASSERT_TRUE(merged.Add({0, 2, 0, 4}, shape));
    // Scrolled down by three rows: rows 4.. are at the top, the block shows rows 4-6.
    const GridGeometry scrolled(rows, cols, 1, 1, GridViewport{200, 60, 0, 30});
    gui::Rect r;
    ASSERT_TRUE(merged.GetCellRect(2, 2, scrolled, &r));
    EXPECT_EQ(r, (gui::Rect{30, 10, 30 + 90 - 1, 10 + 30 - 1}));
    // Cut at the last visible row (row 8 ends the 60-pixel client).
    const GridGeometry low(rows, cols, 1, 1, GridViewport{200, 60, 0, 0});
    ASSERT_TRUE(merged.GetCellRect(6, 4, low, &r));
    EXPECT_EQ(r, (gui::Rect{30, 20, 119, 59}));
    // Scrolled past the block: nothing of it is visible.
    const GridGeometry past(rows, cols, 1, 1, GridViewport{200, 60, 0, 80});
    EXPECT_FALSE(merged.GetCellRect(3, 3, past, &r));
    // The header block scrolls sideways with its columns, not with the rows.
    ASSERT_TRUE(merged.GetCellRect(0, 3, past, &r));
    EXPECT_EQ(r, (gui::Rect{60, 0, 119, 9}));
    // A cell outside every block has its own rectangle.
    ASSERT_TRUE(merged.GetCellRect(10, 5, past, &r));
    EXPECT_EQ(r, (gui::Rect{120, 20, 149, 29}));
}

}  // namespace
