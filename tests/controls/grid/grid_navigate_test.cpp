// The next- and previous-cell searches of Tab, Shift+Tab and the arrows.
#include <gtest/gtest.h>

#include "controls/grid/grid_ctrl.h"
#include "tests/controls/grid/grid_test_support.h"

namespace {

// 6 rows x 6 columns, one fixed row and column; row 3 and column 3 hidden.
struct NavigateFixture : testing::Test {
    FixedMeasure measure;
    CGridCtrl grid{6, 6, 1, 1};
    void SetUp() override {
        grid.SetRowHeight(3, 0);
        grid.SetColumnWidth(3, 0);
    }
};

TEST_F(NavigateFixture, TabAndShiftTabWalkTheShownCellsAndRetraceEachOther) {
    struct Case {
        const char* what;
        bool filler;
        GridCellId from;
        bool next, wrap;
        GridCellId want;
        bool rowChanged;
    } const cases[] = {
        {"next skips a hidden column", false, {1, 2}, true, true, {1, 4}, false},
        {"next wraps to the next shown row", false, {2, 5}, true, true, {4, 1}, true},
        {"without wrap it stays", false, {2, 5}, true, false, {2, 5}, false},
        {"at the last cell it stays", false, {5, 5}, true, true, {5, 5}, false},
        {"previous skips a hidden column", false, {1, 4}, false, true, {1, 2}, false},
        {"previous wraps to the last column of the shown row above", false, {4, 1}, false, true, {2, 5}, true},
        {"previous never goes into the fixed rows", false, {1, 1}, false, true, {1, 1}, false},
        {"with a filler next never lands on it", true, {2, 4}, true, true, {4, 1}, true},
        {"with a filler previous wraps to the column before it", true, {4, 1}, false, true, {2, 4}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        grid.SetLastColumnFiller(c.filler);
        bool changed = !c.rowChanged;
        const GridCellId got = c.next ? grid.FindNextCell(c.from.row, c.from.col, c.wrap, &changed)
                                      : grid.FindPrevCell(c.from.row, c.from.col, c.wrap, &changed);
        EXPECT_EQ(got, c.want) << got.row << "," << got.col;
        EXPECT_EQ(changed, c.rowChanged);
    }
    // Walking every shown cell forward and back again visits the same cells.
    for (bool filler : {false, true}) {
        SCOPED_TRACE(filler);
        grid.SetLastColumnFiller(filler);
        std::vector<GridCellId> forward{{1, 1}};
        for (GridCellId at = forward.back();;) {
            const GridCellId next = grid.FindNextCell(at.row, at.col, true);
            if (next == at) break;
            forward.push_back(at = next);
        }
        EXPECT_EQ(forward.size(), filler ? 12u : 16u);  // 4 shown rows x 3 or 4 shown columns
        std::vector<GridCellId> back{forward.back()};
        for (GridCellId at = back.back();;) {
            const GridCellId prev = grid.FindPrevCell(at.row, at.col, true);
            if (prev == at) break;
            back.push_back(at = prev);
        }
        std::reverse(back.begin(), back.end());
        EXPECT_EQ(back, forward);
    }
}

TEST_F(NavigateFixture, ListModeAlwaysMovesToAnotherRow) {
    grid.SetListMode(true);
    EXPECT_EQ(grid.FindNextCell(1, 2, false), GridCellId(2, 1));
    EXPECT_EQ(grid.FindNextCell(2, 1, false), GridCellId(4, 1));
    EXPECT_EQ(grid.FindPrevCell(4, 5, false), GridCellId(2, 5));
}

TEST_F(NavigateFixture, MergedBlockIsOneStep) {
    ASSERT_TRUE(grid.MergeCells(GridCellRange(1, 1, 2, 2)));
    EXPECT_EQ(grid.FindNextCell(1, 1, true), GridCellId(1, 4));  // from the block's last column
    EXPECT_EQ(grid.FindPrevCell(1, 2, true), GridCellId(1, 1));  // nothing before: the block's first column
    EXPECT_EQ(grid.FindPrevCell(2, 4, true), GridCellId(2, 2));  // into the block
    EXPECT_EQ(grid.FindNextCell(-1, 0, true), GridCellId(-1, 0));
}

}  // namespace
