// Selecting by columns, rows and blocks, header clicks and sorting.
#include <gtest/gtest.h>

#include "controls/grid/grid_ctrl.h"
#include "tests/controls/grid/grid_test_support.h"

namespace {

// 6 rows x 5 columns, one fixed row and column.
struct SelectFixture : testing::Test {
    FixedMeasure measure;
    RecordingOwner owner;
    CGridCtrl* grid = new CGridCtrl(6, 5, 1, 1, &owner);

    std::vector<GridCellId> Selected() const {
        std::vector<GridCellId> out;
        for (int r = 0; r < grid->GetRowCount(); ++r)
            for (int c = 0; c < grid->GetColumnCount(); ++c)
                if (grid->IsCellSelected(r, c)) out.push_back({r, c});
        return out;
    }
    static std::vector<GridCellId> Block(int r0, int c0, int r1, int c1) {
        std::vector<GridCellId> out;
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c) out.push_back({r, c});
        return out;
    }
};

TEST_F(SelectFixture, ColumnsRowsAndBlocksFromTheSelectionStart) {
    struct Case {
        const char* what;
        int mode;
        GridCellId start, cell;
        bool single;
        std::vector<GridCellId> want;
    } const cases[] = {
        {"columns from the start's", MOUSE_SELECT_COL, {2, 3}, {4, 1}, false, Block(1, 1, 5, 3)},
        {"one column with single-column selection", MOUSE_SELECT_COL, {2, 3}, {4, 1}, true, Block(1, 1, 5, 1)},
        {"rows from the start's", MOUSE_SELECT_ROW, {2, 3}, {4, 1}, false, Block(2, 1, 4, 4)},
        {"one row with single-row selection", MOUSE_SELECT_ROW, {2, 3}, {4, 1}, true, Block(4, 1, 4, 4)},
        {"the block between", MOUSE_SELECT_CELLS, {2, 3}, {4, 1}, false, Block(2, 1, 4, 3)},
        {"all cells", MOUSE_SELECT_ALL, {2, 3}, {4, 1}, false, Block(1, 1, 5, 4)},
        {"a fixed column selects nothing", MOUSE_SELECT_COL, {2, 3}, {4, 0}, false, {}},
        {"a block from a fixed cell selects nothing", MOUSE_SELECT_CELLS, {0, 3}, {4, 1}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        grid->ResetSelectedRange();
        grid->SetSingleColSelection(c.single);
        grid->SetSingleRowSelection(c.single);
        grid->SetSelectionStartCell(c.start);
        grid->SetMouseMode(c.mode);
        grid->OnSelecting(c.cell);
        EXPECT_EQ(Selected(), c.want);
        EXPECT_EQ(grid->GetSelector().GetSelectedCount(), static_cast<int>(c.want.size()));
    }
    grid->EnableSelection(false);
    grid->ResetSelectedRange();
    grid->SelectAllCells();
    EXPECT_EQ(grid->GetSelector().GetSelectedCount(), 0);
}

TEST_F(SelectFixture, HeaderClicksSelectColumnsAndRowsAndNotifyRows) {
    grid->SetSelectionStartCell({3, 2});
    grid->OnFixedRowClick({0, 2});
    EXPECT_EQ(Selected(), Block(1, 2, 5, 2));
    grid->SetSelectionStartCell({3, 2});
    grid->OnFixedColumnClick({3, 0});
    EXPECT_EQ(Selected(), Block(3, 1, 3, 4));
    EXPECT_EQ(owner.heard.back().code, GVN_SELECTROWS);
    EXPECT_EQ(std::pair(owner.heard.back().row, owner.heard.back().col), std::pair(3, 0));
    grid->OnFixedRowClick({0, 0});  // the corner: everything
    EXPECT_EQ(Selected(), Block(1, 1, 5, 4));
}

TEST_F(SelectFixture, HeaderSortTwiceReversesKeepsHiddenRowsHiddenAndEqualTextsInOrder) {
    grid->SetHeaderSort(true);
    grid->SetFixedRowSelection(false);
    const char16_t* texts[] = {u"b", u"a", u"c", u"a", u"B"};
    for (int r = 1; r < 6; ++r) {
        grid->SetItemText(r, 2, texts[r - 1]);
        grid->SetItemData(r, 2, r);
    }
    const int h = grid->GetRowHeight(1);  // the others' height
    grid->SetRowHeight(3, 0);             // "c"
    grid->SetRowHeight(4, 33);            // the second "a"
    grid->SetFocusCell(2, 2);
    grid->OnFixedRowClick({0, 2});
    EXPECT_EQ(grid->GetSortColumn(), 2);
    EXPECT_TRUE(grid->GetSortAscending());
    EXPECT_EQ(grid->GetFocusCell(), GridCellId());
    auto order = [&] {
        std::vector<std::pair<std::intptr_t, int>> out;  // (original row, height)
        for (int r = 1; r < 6; ++r) out.push_back({grid->GetItemData(r, 2), grid->GetRowHeight(r)});
        return out;
    };
    // Ordinal: "B" < "a" < "b" < "c"; the two "a" in their old order.
    using P = std::pair<std::intptr_t, int>;
    EXPECT_EQ(order(), (std::vector<P>{{5, h}, {2, h}, {4, 33}, {1, h}, {3, 0}}));
    grid->OnFixedRowClick({0, 2});
    EXPECT_FALSE(grid->GetSortAscending());
    EXPECT_EQ(order(), (std::vector<P>{{3, 0}, {1, h}, {2, h}, {4, 33}, {5, h}}));
}

TEST_F(SelectFixture, VirtualGridIsNotSorted) {
    grid->SetVirtualMode(true);
    grid->SetRowCount(10);
    grid->SetColumnCount(3);
    EXPECT_FALSE(grid->SortTextItems(1, true));
    EXPECT_FALSE(grid->SortTextItems(7, true));
}

}  // namespace
