// The grid's painting on the recording canvas: areas, cell order, merged blocks, grid lines,
// the filler column and the cache hint.
#include <gtest/gtest.h>

#include <QPainter>

#include "controls/grid/grid_ctrl.h"
#include "platform/gui/qpainter_canvas.h"
#include "tests/controls/grid/grid_test_support.h"
#include "tests/support/gui/screenshot.h"

namespace {

using gui::CanvasCall;
using gui::CanvasOp;

// A grid of 6 rows x 5 columns (1 fixed row, 1 fixed column), rows 20 high and columns 50
// wide, every cell's text naming it: "r,c".
struct PaintFixture : testing::Test {
    FixedMeasure measure;
    RecordingOwner owner;
    CGridCtrl* grid = new CGridCtrl(6, 5, 1, 1, &owner);
    gui::RecordingCanvas dc{gui::Rect(0, 0, 2000, 2000)};

    void SetUp() override {
        owner.resize(400, 300);
        grid->setGeometry(0, 0, 400, 300);
        owner.show();
        for (int r = 0; r < 6; ++r) grid->SetRowHeight(r, 20);
        for (int c = 0; c < 5; ++c) grid->SetColumnWidth(c, 50);
        for (int r = 0; r < 6; ++r)
            for (int c = 0; c < 5; ++c) grid->SetItemTextFmt(r, c, u"%d,%d", r, c);
    }
    std::vector<std::u16string> Texts() const {
        std::vector<std::u16string> out;
        for (const CanvasCall& c : dc.Calls())
            if (c.op == CanvasOp::DrawText) out.push_back(c.text);
        return out;
    }
    // The grid lines (the fixed cells' frames are lines in other colours).
    std::vector<CanvasCall> Lines() const {
        std::vector<CanvasCall> out;
        for (const CanvasCall& c : dc.Calls())
            if (c.op == CanvasOp::Line && c.pen.color == grid->GetGridLineColor()) out.push_back(c);
        return out;
    }
};

TEST_F(PaintFixture, CellsComeInTheirOrderAndHiddenOnesAreLeftOut) {
    grid->SetRowHeight(3, 0);
    grid->SetColumnWidth(2, 0);
    grid->OnDraw(dc);
    const std::vector<std::u16string> want = {
        u"0,0",                                          // the fixed corner
        u"0,1", u"0,3", u"0,4",                          // the fixed row
        u"1,0", u"2,0", u"4,0", u"5,0",                  // the fixed column
        u"1,1", u"1,3", u"1,4", u"2,1", u"2,3", u"2,4",  // the body
        u"4,1", u"4,3", u"4,4", u"5,1", u"5,3", u"5,4",
    };
    EXPECT_EQ(Texts(), want);
}

TEST_F(PaintFixture, AreasTakeTheirDefaultCellsBackColours) {
    grid->GetDefaultCell(false, false)->SetBackClr(gui::RGB(1, 1, 1));
    grid->GetDefaultCell(false, true)->SetBackClr(gui::RGB(2, 2, 2));
    grid->GetDefaultCell(true, false)->SetBackClr(gui::RGB(3, 3, 3));
    grid->GetDefaultCell(true, true)->SetBackClr(gui::RGB(4, 4, 4));
    grid->SetGridBkColor(gui::RGB(5, 5, 5));
    grid->OnDraw(dc);
    const int w = grid->viewport()->width(), h = grid->viewport()->height();
    std::vector<std::pair<gui::Rect, gui::COLORREF>> fills;
    for (const CanvasCall& c : dc.Calls())
        if (c.op == CanvasOp::FillRect && fills.size() < 5) fills.push_back({c.rect, c.color});
    const std::vector<std::pair<gui::Rect, gui::COLORREF>> want = {
        {{0, 0, w, h}, gui::RGB(5, 5, 5)},       {{0, 0, 50, 20}, gui::RGB(4, 4, 4)},
        {{50, 0, 250, 20}, gui::RGB(3, 3, 3)},   {{0, 20, 50, 120}, gui::RGB(2, 2, 2)},
        {{50, 20, 250, 120}, gui::RGB(1, 1, 1)},
    };
    EXPECT_EQ(fills, want);
}

TEST_F(PaintFixture, GridLinesFollowTheSetting) {
    struct Case {
        int lines;
        std::size_t vertical, horizontal;
    } const cases[] = {{GVL_NONE, 0, 0}, {GVL_HORZ, 0, 5}, {GVL_VERT, 4, 0}, {GVL_BOTH, 4, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        grid->SetGridLines(c.lines);
        dc.Clear();
        grid->OnDraw(dc);
        std::size_t vertical = 0, horizontal = 0;
        for (const CanvasCall& line : Lines()) {
            const gui::Point a = line.points[0], b = line.points[1];
            if (a.x == b.x) {
                ++vertical;
                EXPECT_EQ((a.x + 1) % 50, 0) << a.x;  // the last pixel of a column
                EXPECT_EQ(std::pair(a.y, b.y), std::pair(20, 120));
            } else {
                ++horizontal;
                EXPECT_EQ((a.y + 1) % 20, 0) << a.y;
                EXPECT_EQ(std::pair(a.x, b.x), std::pair(50, 250));
            }
        }
        EXPECT_EQ(vertical, c.vertical);
        EXPECT_EQ(horizontal, c.horizontal);
    }
}

TEST_F(PaintFixture, MergedBlockIsDrawnOnceWithoutInnerLines) {
    ASSERT_TRUE(grid->MergeCells(GridCellRange(2, 2, 3, 3)));
    grid->OnDraw(dc);
    const std::vector<std::u16string> texts = Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), u"2,2"), 1);
    for (const char16_t* inner : {u"2,3", u"3,2", u"3,3"})
        EXPECT_EQ(std::count(texts.begin(), texts.end(), inner), 0) << std::string(inner, inner + 3);
    for (const CanvasCall& c : dc.Calls()) {
        if (c.op == CanvasOp::DrawText && c.text == u"2,2") {
            EXPECT_EQ(c.rect.left, 100 + 7);                // one margin in
            EXPECT_EQ(c.rect.right, 100 + 2 * 50 - 1 - 7);  // the block's last pixel less a margin
        }
    }
    // The block covers x 100..199 and y 40..79: no segment runs through its inside.
    for (const CanvasCall& line : Lines()) {
        const gui::Point a = line.points[0], b = line.points[1];
        if (a.x == b.x && a.x == 149) {
            EXPECT_TRUE(b.y <= 40 || a.y >= 80) << a.y << ".." << b.y;
        }
        if (a.y == b.y && a.y == 59) {
            EXPECT_TRUE(b.x <= 100 || a.x >= 200) << a.x << ".." << b.x;
        }
    }
}

TEST_F(PaintFixture, FillerColumnTakesTheRestOfTheWidth) {
    grid->SetLastColumnFiller(true);
    grid->OnDraw(dc);
    const int w = grid->viewport()->width();
    EXPECT_EQ(grid->GetColumnWidth(4), w - 4 * 50);
    grid->SetColumnWidth(1, w);  // the others fill the client: nothing left
    grid->OnDraw(dc);
    EXPECT_EQ(grid->GetColumnWidth(4), 0);
}

TEST_F(PaintFixture, VirtualGridHintsTheVisibleRangeBeforeAskingForCells) {
    grid->SetVirtualMode(true);
    grid->SetRowCount(1000);
    grid->SetColumnCount(5);
    grid->SetFixedRowCount(1);
    grid->SetFixedColumnCount(1);
    grid->OnVScroll(SB_THUMBPOSITION, 21 * 10);
    owner.heard.clear();
    grid->OnDraw(dc);
    ASSERT_FALSE(owner.heard.empty());
    EXPECT_EQ(owner.heard[0].code, GVN_ODCACHEHINT);
    const GridCellRange visible = grid->GetVisibleNonFixedCellRange();
    EXPECT_EQ(std::pair(owner.heard[0].row, owner.heard[0].col), std::pair(visible.minRow, visible.minCol));
    EXPECT_EQ(visible.minRow, 11);
    EXPECT_EQ(owner.Count(GVN_ODCACHEHINT), 1);
    EXPECT_GT(owner.Count(GVN_GETDISPINFO), 10);
}

TEST_F(PaintFixture, RedrawCellDrawsABodyCellWithItsEdges) {
    grid->RedrawCell(2, 2, &dc);
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].points, (std::vector<gui::Point>{{149, 40}, {149, 60}}));
    EXPECT_EQ(lines[1].points, (std::vector<gui::Point>{{100, 59}, {150, 59}}));
    dc.Clear();
    grid->RedrawCell(0, 2, &dc);  // a fixed cell: no grid lines
    EXPECT_TRUE(Lines().empty());
}

// A grid shaped like the plan: virtual, 14 columns, one fixed row, two fixed columns,
// horizontal lines only, whole-row selection, a filler column and hidden rows.
TEST(GridPaintPicture, PlanLikeVirtualGrid) {
    RecordingOwner owner;
    owner.setWindowTitle("Plan-like grid");
    owner.resize(640, 260);
    CGridCtrl* grid = new CGridCtrl(0, 0, 0, 0, &owner);
    grid->setGeometry(0, 0, 640, 260);
    grid->SetVirtualMode(true);
    grid->SetListMode(true);
    grid->SetGridLines(GVL_HORZ);
    grid->SetRowCount(200);
    grid->SetColumnCount(14);
    grid->SetFixedRowCount(1);
    grid->SetFixedColumnCount(2);
    grid->SetColumnWidth(0, 36);
    grid->SetColumnWidth(1, 24);
    for (int c = 2; c < 13; ++c) grid->SetColumnWidth(c, 44);
    for (int r = 3; r < 200; r += 4) grid->SetRowHeight(r, 0);
    grid->SetLastColumnFiller(true);
    owner.fill = [](GridDispInfo& info) {
        const int r = info.item.row, c = info.item.col;
        if (r == 0)
            info.item.text = c < 2 ? CString() : CString::Format(u"C%d", c);
        else if (c < 2)
            info.item.text = CString::Format(u"%d", c == 0 ? r : r % 3);
        else
            info.item.text = CString::Format(u"%d.%d", r, c);
    };
    grid->GetSelector().SetSelectedRange(4, 2, 5, 12, nullptr, true);
    owner.show();
    EXPECT_TRUE(SaveScreenshot(owner, "grid_plan_like_virtual"));
}

}  // namespace
