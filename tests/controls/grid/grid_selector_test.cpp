#include "controls/grid/grid_selector.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

// A grid as the selector sees it: cell objects with a selected bit (outside virtual mode), a
// visible range, sizes, and a log of the cells it was asked to repaint.
class FakeGrid : public GridSelectorHost {
public:
    int rows = 0, cols = 0, fixedRows = 0, fixedCols = 0;
    bool virtualMode = false;
    bool hasWindow = true;
    int visMinRow = 0, visMinCol = 0, visMaxRow = -1, visMaxCol = -1;
    std::vector<std::vector<int>> cellBits;  // -1: no cell object
    std::vector<int> heights, widths;
    std::set<std::pair<int, int>> redrawn;

    void Shape(int r, int c) {
        rows = r;
        cols = c;
        cellBits.assign(static_cast<std::size_t>(r), std::vector<int>(static_cast<std::size_t>(c), 0));
        heights.assign(static_cast<std::size_t>(r), 20);
        widths.assign(static_cast<std::size_t>(c), 50);
    }
    int GetRowCount() const override { return rows; }
    int GetColumnCount() const override { return cols; }
    int GetFixedRowCount() const override { return fixedRows; }
    int GetFixedColumnCount() const override { return fixedCols; }
    bool GetVirtualMode() const override { return virtualMode; }
    bool GetVisibleRange(int* a, int* b, int* c, int* d) const override {
        *a = visMinRow, *b = visMinCol, *c = visMaxRow, *d = visMaxCol;
        return hasWindow;
    }
    int GetRowHeight(int row) const override { return heights[static_cast<std::size_t>(row)]; }
    int GetColumnWidth(int col) const override { return widths[static_cast<std::size_t>(col)]; }
    int SetCellSelectedBit(int row, int col, bool selected) override {
        EXPECT_FALSE(virtualMode) << "cells touched in virtual mode";
        int& bit = cellBits[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
        const int was = bit;
        if (bit >= 0) bit = selected ? 1 : 0;
        return was;
    }
    void RedrawSelectedCell(int row, int col, gui::Canvas*) override { redrawn.insert({row, col}); }
};

using Cells = std::set<std::pair<int, int>>;

Cells SelectedCells(const CGridSelector& s) {
    Cells out;
    for (int r = 0; r < s.GetRowCount(); ++r)
        for (int c = 0; c < s.GetColumnCount(); ++c)
            if (s.IsSelected(r, c)) out.insert({r, c});
    return out;
}

struct SelectorFixture : testing::Test {
    FakeGrid grid;
    CGridSelector selector;
    void Make(int rows, int cols, int fixedRows, int fixedCols) {
        grid.Shape(rows, cols);
        grid.fixedRows = fixedRows;
        grid.fixedCols = fixedCols;
        grid.visMinRow = fixedRows;
        grid.visMinCol = fixedCols;
        grid.visMaxRow = rows - 1;
        grid.visMaxCol = cols - 1;
        selector.SetGrid(&grid);
    }
};

TEST_F(SelectorFixture, NewRangeReplacesTheSelectionAndRepaintsWhatChanged) {
    Make(6, 5, 1, 1);
    grid.visMaxRow = 3;  // rows 4 and 5 scrolled out of view
    selector.SetSelectedRange(1, 1, 1, 4, nullptr, true);
    selector.SetAddMode(true);
    selector.SetSelectedRange(5, 1, 5, 1, nullptr, true);
    selector.SetAddMode(false);
    grid.redrawn.clear();
    selector.SetSelectedRange(2, 2, 3, 3, nullptr, true);
    EXPECT_EQ(SelectedCells(selector), (Cells{{2, 2}, {2, 3}, {3, 2}, {3, 3}}));
    EXPECT_EQ(selector.GetSelectedCount(), 4);
    // The row-1 cells went and the new block came; the cell in row 5 went unseen.
    EXPECT_EQ(grid.redrawn, (Cells{{1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 2}, {2, 3}, {3, 2}, {3, 3}}));
    EXPECT_EQ(grid.cellBits[1][1], 0);
    EXPECT_EQ(grid.cellBits[3][3], 1);
}

TEST_F(SelectorFixture, AddModeKeepsTheFirstRangeAndDeselectingLeavesOthersAlone) {
    Make(6, 5, 1, 1);
    selector.SetSelectedRange(1, 1, 2, 2, nullptr, true);
    selector.SetAddMode(true);
    selector.SetSelectedRange(4, 3, 4, 4, nullptr, true);
    EXPECT_EQ(selector.GetSelectedCount(), 6);
    selector.SetAddMode(false);
    selector.SetSelectedRange(1, 1, 1, 4, nullptr, false);
    EXPECT_EQ(SelectedCells(selector), (Cells{{2, 1}, {2, 2}, {4, 3}, {4, 4}}));
    EXPECT_EQ(selector.GetSelectedCount(), 4);
}

TEST_F(SelectorFixture, RangeStartingInTheFixedAreaMovesToTheFirstNonFixedCell) {
    Make(5, 5, 2, 1);
    selector.SetSelectedRange(0, 0, 2, 1, nullptr, true);
    EXPECT_EQ(SelectedCells(selector), (Cells{{2, 1}}));
    // An empty range clears everything.
    selector.SetSelectedRange(-1, -1, -1, -1, nullptr, true);
    EXPECT_EQ(selector.GetSelectedCount(), 0);
}

TEST_F(SelectorFixture, CountFollowsOnlyRealChanges) {
    Make(4, 4, 0, 0);
    selector.Select(1, 1);
    selector.Select(1, 1);
    selector.Select(9, 9);
    selector.Deselect(2, 2);
    EXPECT_EQ(selector.GetSelectedCount(), 1);
    selector.ToggleRange(0, 0, 3, 3);
    selector.ToggleRange(0, 0, 3, 3);
    EXPECT_EQ(SelectedCells(selector), (Cells{{1, 1}}));
    selector.ToggleRange(0, 0, 4, 3);  // beyond the matrix: nothing
    EXPECT_EQ(selector.GetSelectedCount(), 1);
    selector.Resize(4, 4);
    EXPECT_TRUE(selector.IsSelected(1, 1));
    selector.Resize(4, 5);
    EXPECT_EQ(selector.GetSelectedCount(), 0);
    EXPECT_FALSE(selector.IsSelected(1, 1));
    selector.EnableResize(false);
    selector.Select(0, 0);
    selector.Resize(2, 2);
    EXPECT_EQ(selector.GetColumnCount(), 5);
    EXPECT_TRUE(selector.IsSelected(0, 0));
}

TEST_F(SelectorFixture, DeletingARowKeepsTheSelectionOfTheOthers) {
    Make(5, 3, 1, 0);
    selector.SetSelectedRange(1, 0, 1, 2, nullptr, true);
    selector.SetAddMode(true);
    selector.SetSelectedRange(3, 1, 4, 1, nullptr, true);
    selector.EnableResize(false);  // as while many rows are deleted one by one
    ASSERT_TRUE(selector.DeleteRow(1));
    EXPECT_EQ(SelectedCells(selector), (Cells{{2, 1}, {3, 1}}));
    EXPECT_EQ(selector.GetSelectedCount(), 2);
    ASSERT_TRUE(selector.InsertRow(0));
    EXPECT_EQ(SelectedCells(selector), (Cells{{3, 1}, {4, 1}}));
    EXPECT_EQ(selector.GetRowCount(), 5);
    EXPECT_FALSE(selector.DeleteRow(5));
    EXPECT_FALSE(selector.InsertRow(6));
}

// Random operations against a plain set of cells: after each one the bits, the count and,
// outside virtual mode, the cells' own bits agree with the set.
void RunRandomOperations(bool virtualMode, unsigned seed) {
    std::mt19937 rng(seed);
    FakeGrid grid;
    grid.virtualMode = virtualMode;
    grid.Shape(7 + static_cast<int>(rng() % 5), 3 + static_cast<int>(rng() % 36));
    grid.fixedRows = 1;
    grid.fixedCols = 1;
    CGridSelector selector;
    selector.SetGrid(&grid);
    Cells model;
    auto rnd = [&](int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1)); };
    for (int step = 0; step < 1500; ++step) {
        const int rows = grid.rows, cols = grid.cols;
        grid.visMinRow = rnd(0, rows);
        grid.visMaxRow = grid.visMinRow + rnd(0, 2);  // a few rows on screen, the rest take the fast way
        grid.visMinCol = 0;
        grid.visMaxCol = cols - 1;
        int r0 = rnd(-1, rows), c0 = rnd(-1, cols), r1 = rnd(-1, rows), c1 = rnd(-1, cols);
        const int op = rnd(0, 8);
        const bool inMatrix = r0 >= 0 && r0 < rows && c0 >= 0 && c0 < cols;
        if (op <= 1) {
            // As the grid does when a cell's state is set: the cell's bit and the model's.
            if (op == 0) {
                selector.Select(r0, c0);
                if (inMatrix) model.insert({r0, c0});
            } else {
                selector.Deselect(r0, c0);
                model.erase({r0, c0});
            }
            if (inMatrix && !virtualMode) grid.SetCellSelectedBit(r0, c0, op == 0);
        } else if (op <= 4) {
            const bool add = rng() % 2, select = rng() % 4 != 0;
            selector.SetAddMode(add);
            selector.SetSelectedRange(r0, c0, r1, c1, nullptr, select);
            auto raise = [](int& v, int fixed) {
                if (v >= 0 && v < fixed) v = fixed;
            };
            raise(r0, 1), raise(r1, 1), raise(c0, 1), raise(c1, 1);
            const bool valid = r0 >= 0 && c0 >= 0 && r1 < rows && c1 < cols && r0 <= r1 && c0 <= c1;
            auto inBlock = [&](int r, int c) { return valid && r >= r0 && r <= r1 && c >= c0 && c <= c1; };
            if (!add && select) std::erase_if(model, [&](const auto& cell) { return !inBlock(cell.first, cell.second); });
            for (int r = r0; valid && r <= r1; ++r)
                for (int c = c0; c <= c1; ++c) select ? (void)model.insert({r, c}) : (void)model.erase({r, c});
        } else if (op == 5) {
            selector.ToggleRange(r0, c0, r1, c1);
            auto raise = [](int& v) {
                if (v == 0) v = 1;
            };
            raise(r0), raise(r1), raise(c0), raise(c1);
            if (r0 >= 0 && c0 >= 0 && r1 < rows && c1 < cols && r0 <= r1 && c0 <= c1)
                for (int r = r0; r <= r1; ++r)
                    for (int c = c0; c <= c1; ++c)
                        if (!model.erase({r, c})) model.insert({r, c});
        } else if (op == 6) {
            const int at = rnd(0, rows);
            ASSERT_TRUE(selector.InsertRow(at));
            grid.rows++;
            grid.cellBits.insert(grid.cellBits.begin() + at, std::vector<int>(static_cast<std::size_t>(cols), 0));
            grid.heights.insert(grid.heights.begin() + at, 20);
            Cells moved;
            for (auto [r, c] : model) moved.insert({r >= at ? r + 1 : r, c});
            model = moved;
        } else if (op == 7 && rows > 2) {
            const int at = rnd(0, rows - 1);
            ASSERT_TRUE(selector.DeleteRow(at));
            grid.rows--;
            grid.cellBits.erase(grid.cellBits.begin() + at);
            grid.heights.erase(grid.heights.begin() + at);
            Cells moved;
            for (auto [r, c] : model)
                if (r != at) moved.insert({r > at ? r - 1 : r, c});
            model = moved;
        } else if (op == 8) {
            const int newCols = rng() % 3 == 0 ? cols + 1 : cols;
            selector.Resize(rows, newCols);
            if (newCols != cols) {
                grid.Shape(rows, newCols);
                model.clear();
            }
        }
        ASSERT_EQ(SelectedCells(selector), model) << "step " << step << " op " << op;
        ASSERT_EQ(selector.GetSelectedCount(), static_cast<int>(model.size())) << "step " << step;
        if (virtualMode) continue;
        for (int r = 0; r < grid.rows; ++r) {
            for (int c = 0; c < grid.cols; ++c) {
                ASSERT_EQ(grid.cellBits[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] == 1,
                          model.count({r, c}) == 1)
                    << "cell " << r << "," << c << " at step " << step;
            }
        }
    }
}

TEST(GridSelectorRandomTest, BitsAndCountAgreeWithAPlainSetOfCells) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        RunRandomOperations(seed % 2 == 0, seed);
    }
}

TEST(GridSelectorRandomTest, WholeColumnsOfAMillionRowVirtualGrid) {
    FakeGrid grid;
    grid.virtualMode = true;
    grid.rows = 1000001;
    grid.cols = 14;
    grid.fixedRows = 1;
    grid.heights.assign(1000001, 20);
    grid.widths.assign(14, 50);
    grid.visMinRow = 1, grid.visMaxRow = 30, grid.visMinCol = 0, grid.visMaxCol = 13;
    CGridSelector selector;
    selector.SetGrid(&grid);
    selector.SetSelectedRange(1, 0, 1000000, 13, nullptr, true);
    EXPECT_EQ(selector.GetSelectedCount(), 14000000);
    EXPECT_EQ(grid.redrawn.size(), 30u * 14u);
    selector.ToggleRange(500000, 0, 500000, 13);
    EXPECT_EQ(selector.GetSelectedCount(), 14000000 - 14);
    selector.DeleteRow(500000);
    EXPECT_EQ(selector.GetSelectedCount(), 14000000 - 14);
    EXPECT_TRUE(selector.IsSelected(500000, 0));
    selector.SetSelectedRange(-1, -1, -1, -1, nullptr, true);
    EXPECT_EQ(selector.GetSelectedCount(), 0);
}

}  // namespace
