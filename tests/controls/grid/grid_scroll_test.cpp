// Scroll bars, scroll requests and the wheel of a shown grid.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <random>

#include "controls/grid/grid_ctrl.h"
#include "tests/controls/grid/grid_test_support.h"

namespace {

struct ScrollFixture : testing::Test {
    FixedMeasure measure;
    RecordingOwner owner;
    CGridCtrl* grid = new CGridCtrl(0, 0, 0, 0, &owner);

    void SetUp() override {
        owner.resize(300, 200);
        grid->setGeometry(0, 0, 300, 200);
        owner.show();
    }
    // Rows and columns of the given sizes, with fixed counts.
    void Shape(std::vector<int> heights, std::vector<int> widths, int fixedRows, int fixedCols) {
        grid->SetRowCount(static_cast<int>(heights.size()));
        grid->SetColumnCount(static_cast<int>(widths.size()));
        grid->SetFixedRowCount(fixedRows);
        grid->SetFixedColumnCount(fixedCols);
        for (std::size_t i = 0; i < heights.size(); ++i) grid->SetRowHeight(static_cast<int>(i), heights[i]);
        for (std::size_t i = 0; i < widths.size(); ++i) grid->SetColumnWidth(static_cast<int>(i), widths[i]);
    }
    int Pos(int bar) const { return grid->GetScrollPos32(bar); }
    // The inclusive rectangle of a cell lies wholly in the viewport.
    bool FullyShown(int row, int col) const {
        gui::Rect r;
        if (!grid->GetCellRect(row, col, &r)) return false;
        return r.right < grid->viewport()->width() && r.bottom < grid->viewport()->height();
    }
};

TEST_F(ScrollFixture, BarsAreDecidedTogetherSoTheLastRowAndColumnCanBeReached) {
    const int barW = grid->verticalScrollBar()->sizeHint().width();
    const int barH = grid->horizontalScrollBar()->sizeHint().height();
    const QSize area = grid->viewport()->size();  // no bars yet
    ASSERT_GT(barW, 5);
    ASSERT_GT(barH, 5);
    struct Case {
        const char* what;
        int rowsHeight;  // of the non-fixed rows together (20 a row)
        int colsWidth;   // of the non-fixed columns (50 a column)
        int state;
    } const cases[] = {
        {"everything fits", area.height() - 20 - 20, area.width() - 50 - 50, 0},
        {"only too wide", area.height() - 20 - barH - 10, area.width() + 50, GVSB_HORZ},
        {"only too high", area.height() + 40, area.width() - 50 - barW - 10, GVSB_VERT},
        // The rows fit the area, not what the horizontal bar leaves of it; and the columns fit
        // only without the vertical bar: each bar makes the other necessary.
        {"the horizontal bar calls for the vertical one", area.height() - 20 - barH / 2, area.width() + 50,
         GVSB_HORZ | GVSB_VERT},
        {"the vertical bar calls for the horizontal one", area.height() + 40, area.width() - 50 - barW / 2,
         GVSB_HORZ | GVSB_VERT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int> heights(1, 20), widths(1, 50);
        for (int h = 0; h < c.rowsHeight; h += 20) heights.push_back(std::min(20, c.rowsHeight - h));
        for (int w = 0; w < c.colsWidth; w += 50) widths.push_back(std::min(50, c.colsWidth - w));
        Shape(heights, widths, 1, 1);
        EXPECT_EQ(grid->GetScrollBarState(), c.state);
        QApplication::processEvents();
        grid->OnVScroll(SB_BOTTOM);
        grid->OnHScroll(SB_RIGHT);
        const int lastRow = grid->GetRowCount() - 1, lastCol = grid->GetColumnCount() - 1;
        EXPECT_TRUE(FullyShown(lastRow, lastCol)) << grid->viewport()->width() << "x" << grid->viewport()->height();
        grid->OnVScroll(SB_TOP);
        grid->OnHScroll(SB_LEFT);
        EXPECT_EQ(Pos(SB_VERT), 0);
        EXPECT_EQ(Pos(SB_HORZ), 0);
    }
}

TEST_F(ScrollFixture, GridOfOnlyFixedRowsOrAnEmptyClientHasNoBars) {
    Shape({20, 20, 20}, {50, 50}, 3, 0);
    EXPECT_EQ(grid->GetScrollBarState(), 0);
    grid->resize(0, 0);
    Shape(std::vector<int>(50, 20), std::vector<int>(20, 50), 1, 1);
    EXPECT_EQ(grid->GetScrollBarState(), 0);
    grid->OnVScroll(SB_LINEDOWN);
    grid->OnVScroll(SB_PAGEDOWN);
    grid->OnHScroll(SB_RIGHT);
    EXPECT_EQ(Pos(SB_VERT), 0);
    grid->DeleteAllItems();
    grid->OnVScroll(SB_LINEDOWN);
    EXPECT_EQ(grid->GetScrollBarState(), 0);
}

// The line steps of a plain model: forward to the edge after the first shown row from the
// top-left row on (not from the last row), back to the edge before the nearest shown row above
// it.
struct PlainRows {
    std::vector<int> heights;
    int fixed;
    long long Above(int row) const {  // pixels of the non-fixed rows before `row`
        long long sum = 0;
        for (int r = fixed; r < row; ++r) sum += heights[r];
        return sum;
    }
    int TopLeft(int pos) const {
        for (int r = fixed; r < static_cast<int>(heights.size()); ++r)
            if (Above(r) >= pos) return r;
        return static_cast<int>(heights.size()) - 1;
    }
    int Down(int pos, int range) const {
        if (pos >= range) return pos;
        for (int r = TopLeft(pos); r <= static_cast<int>(heights.size()) - 2; ++r)
            if (heights[r] > 0) return static_cast<int>(std::min<long long>(Above(r + 1), range));
        return pos;
    }
    int Up(int pos) const {
        const int top = TopLeft(pos);
        if (pos <= 0 || top <= fixed) return pos;
        for (int r = top - 1; r >= fixed; --r)
            if (heights[r] > 0) return static_cast<int>(Above(r));
        return pos;
    }
};

TEST_F(ScrollFixture, LineStepsSkipHiddenRowsAsAPlainModelDoes) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        PlainRows plain{{}, 1 + round % 2};
        const int count = 10 + static_cast<int>(random() % 60);
        for (int r = 0; r < count; ++r)
            plain.heights.push_back(random() % 3 == 0 ? 0 : 5 + static_cast<int>(random() % 40));
        Shape(plain.heights, {50, 50}, plain.fixed, 0);
        const int range = grid->verticalScrollBar()->maximum();
        // From a position a thumb left between two rows' edges.
        int pos = std::min(range, 7 + static_cast<int>(random() % 30)), steps = 0;
        grid->OnVScroll(SB_THUMBPOSITION, pos);
        for (; steps < 2 * count; ++steps) {
            const int want = plain.Down(pos, range);
            grid->OnVScroll(SB_LINEDOWN);
            ASSERT_EQ(Pos(SB_VERT), want) << "down " << steps;
            if (want == pos) break;
            pos = want;
        }
        EXPECT_LT(steps, 2 * count);  // the end is reached and the steps stop there
        for (steps = 0; steps < 2 * count && pos > 0; ++steps) {
            const int want = plain.Up(pos);
            grid->OnVScroll(SB_LINEUP);
            ASSERT_EQ(Pos(SB_VERT), want) << "up " << steps;
            if (want == pos) break;
            pos = want;
        }
    }
}

TEST_F(ScrollFixture, PagesThumbAndEndsStayInTheRange) {
    Shape(std::vector<int>(100, 20), {50, 50}, 1, 1);
    const int range = grid->verticalScrollBar()->maximum();
    const int page = grid->viewport()->height() - 20;
    ASSERT_GT(range, 2 * page);
    struct Step {
        int code, track, want;
    } const steps[] = {
        {SB_PAGEDOWN, 0, page},
        {SB_PAGEDOWN, 0, 2 * page},
        {SB_PAGEUP, 0, page},
        {SB_THUMBTRACK, 77, 77},
        {SB_THUMBPOSITION, range + 500, range},
        {SB_PAGEDOWN, 0, range},
        {SB_TOP, 0, 0},
        {SB_PAGEUP, 0, 0},
        {SB_THUMBPOSITION, -5, 0},
        {SB_BOTTOM, 0, range},
    };
    for (const Step& s : steps) {
        grid->OnVScroll(s.code, s.track);
        EXPECT_EQ(Pos(SB_VERT), s.want) << s.code;
    }
}

TEST_F(ScrollFixture, WheelTurnsAddUpToLines) {
    struct Case {
        const char* what;
        int lines;
        std::vector<int> deltas;
        int linesUp;  // negative: down
    } const cases[] = {
        {"a notch with 3 lines", 3, {120}, 3},
        {"a notch down", 3, {-120}, -3},
        {"half a notch with 1 line", 1, {60}, 0},
        {"two halves with 1 line", 1, {60, 60}, 1},
        {"four quarters with 3 lines", 3, {30, 30, 30, 30}, 3},
        {"a turn back drops the part kept", 1, {60, -60, 60}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QApplication::setWheelScrollLines(c.lines);
        delete grid;
        grid = new CGridCtrl(0, 0, 0, 0, &owner);
        grid->setGeometry(0, 0, 300, 200);
        grid->show();
        EXPECT_EQ(grid->GetMouseScrollLines(), c.lines);
        Shape(std::vector<int>(100, 20), {50, 50}, 1, 0);
        grid->OnVScroll(SB_THUMBPOSITION, 400);
        for (int d : c.deltas) grid->OnMouseWheel(d);
        EXPECT_EQ((400 - Pos(SB_VERT)) / 20, c.linesUp);
    }
    QApplication::setWheelScrollLines(3);
}

TEST_F(ScrollFixture, DrawingSwitchedOffLeavesBarsAndCellsAlone) {
    Shape(std::vector<int>(5, 20), {50, 50}, 1, 0);
    ASSERT_EQ(grid->GetScrollBarState(), 0);
    grid->SetRedraw(false);
    Shape(std::vector<int>(100, 20), {50, 50}, 1, 0);
    EXPECT_EQ(grid->GetScrollBarState(), 0);
    gui::RecordingCanvas dc;
    EXPECT_FALSE(grid->RedrawCell(1, 1, &dc));
    grid->SetRedraw(true, true);
    EXPECT_EQ(grid->GetScrollBarState(), GVSB_VERT);
    EXPECT_TRUE(grid->RedrawCell(1, 1, &dc));
}

TEST_F(ScrollFixture, VirtualSizeLeavesOutTheFillerColumn) {
    Shape({20, 30}, {50, 60, 70}, 1, 1);
    EXPECT_EQ(grid->GetVirtualHeight(), 50);
    EXPECT_EQ(grid->GetVirtualWidth(), 180);
    grid->SetLastColumnFiller(true);
    EXPECT_EQ(grid->GetVirtualWidth(), 110);
}

// EnsureVisible as line steps: one for each shown row (column) between the visible ones and
// the cell, then more while the cell (its whole merged block) sticks out at the bottom (right)
// and starts past the fixed rows (columns); a step that does not move ends it.
void EnsureVisibleByLineSteps(CGridCtrl& grid, int row, int col) {
    const GridCellRange visible = grid.GetVisibleNonFixedCellRange();
    auto phaseOne = [&](bool vertical, int index, int first, int last, int fixed) {
        if (index < fixed || first < 0) return;
        const int back = vertical ? SB_LINEUP : SB_LINELEFT, ahead = vertical ? SB_LINEDOWN : SB_LINERIGHT;
        auto shown = [&](int i) { return (vertical ? grid.GetRowHeight(i) : grid.GetColumnWidth(i)) > 0; };
        auto step = [&](int code) { vertical ? grid.OnVScroll(code) : grid.OnHScroll(code); };
        if (index < first) {
            for (int i = index; i < first; ++i)
                if (shown(i)) step(back);
        } else if (index > last) {
            for (int i = last + 1; i <= index; ++i)
                if (shown(i)) step(ahead);
        }
    };
    phaseOne(true, row, visible.minRow, visible.maxRow, grid.GetFixedRowCount());
    phaseOne(false, col, visible.minCol, visible.maxCol, grid.GetFixedColumnCount());
    const int fixedHeight = static_cast<int>(grid.GetFixedRowHeight());
    const int fixedWidth = static_cast<int>(grid.GetFixedColumnWidth());
    // The whole block of a merged cell (painting cuts it at the last visible row and column).
    GridCellRange block(row, col, row, col);
    grid.GetMergedCells().FindRange(row, col, &block);
    auto rect = [&](gui::Rect* r) {
        return grid.GetGeometry().GetBlockRect(block.minRow, block.minCol, block.maxRow, block.maxCol, r);
    };
    for (int guard = 0; guard < 100000; ++guard) {
        gui::Rect r;
        if (!rect(&r) || !(r.bottom > grid.viewport()->height() - 1 && r.top > fixedHeight)) break;
        const int before = grid.GetScrollPos32(SB_VERT);
        grid.OnVScroll(SB_LINEDOWN);
        if (grid.GetScrollPos32(SB_VERT) == before) break;
    }
    for (int guard = 0; guard < 100000; ++guard) {
        gui::Rect r;
        if (!rect(&r) || !(r.right > grid.viewport()->width() - 1 && r.left > fixedWidth)) break;
        const int before = grid.GetScrollPos32(SB_HORZ);
        grid.OnHScroll(SB_LINERIGHT);
        if (grid.GetScrollPos32(SB_HORZ) == before) break;
    }
}

TEST_F(ScrollFixture, EnsureVisibleEndsWhereTheLineStepsEnd) {
    std::mt19937 random(11);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        std::vector<int> heights, widths;
        const int rows = 3 + static_cast<int>(random() % 40), cols = 3 + static_cast<int>(random() % 15);
        for (int r = 0; r < rows; ++r) heights.push_back(random() % 4 == 0 ? 0 : 4 + static_cast<int>(random() % 60));
        // Now and then a column wider than the client.
        for (int c = 0; c < cols; ++c)
            widths.push_back(random() % 4 == 0 ? 0 : random() % 9 == 0 ? 500 : 10 + static_cast<int>(random() % 90));
        const int fixedRows = static_cast<int>(random() % 2), fixedCols = static_cast<int>(random() % 2);
        Shape(heights, widths, fixedRows, fixedCols);
        if (round % 5 == 0) grid->MergeCells(GridCellRange(rows / 2, cols / 2, rows / 2 + 1, cols / 2 + 1));
        for (int probe = 0; probe < 8; ++probe) {
            const int v = static_cast<int>(random() % (grid->verticalScrollBar()->maximum() + 1));
            const int h = static_cast<int>(random() % (grid->horizontalScrollBar()->maximum() + 1));
            const int row = static_cast<int>(random() % rows), col = static_cast<int>(random() % cols);
            grid->OnVScroll(SB_THUMBPOSITION, v);
            grid->OnHScroll(SB_THUMBPOSITION, h);
            EnsureVisibleByLineSteps(*grid, row, col);
            const int wantV = Pos(SB_VERT), wantH = Pos(SB_HORZ);
            grid->OnVScroll(SB_THUMBPOSITION, v);
            grid->OnHScroll(SB_THUMBPOSITION, h);
            grid->EnsureVisible(row, col);
            ASSERT_EQ(std::pair(Pos(SB_VERT), Pos(SB_HORZ)), std::pair(wantV, wantH))
                << "cell " << row << "," << col << " from " << v << "," << h << " widths "
                << testing::PrintToString(widths) << " heights " << testing::PrintToString(heights) << " fixed rows "
                << fixedRows << " blocks " << grid->GetMergedCells().GetRanges().size() << " client h "
                << grid->viewport()->height() << " fixed " << fixedCols << " client " << grid->viewport()->width()
                << " range " << grid->horizontalScrollBar()->maximum();
        }
    }
}

}  // namespace
