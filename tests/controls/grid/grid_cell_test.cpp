#include "controls/grid/grid_cell.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "controls/grid/grid_ctrl.h"
#include "controls/grid/grid_image_list.h"
#include "platform/gui/draw_flags.h"
#include "platform/gui/qpainter_canvas.h"
#include "platform/gui/system_metrics.h"
#include "tests/controls/grid/grid_test_support.h"
#include "tests/support/gui/screenshot.h"

namespace {

using gui::CanvasCall;
using gui::CanvasOp;

std::vector<CanvasCall> CallsOf(const gui::RecordingCanvas& dc, CanvasOp op) {
    std::vector<CanvasCall> out;
    for (const CanvasCall& c : dc.Calls())
        if (c.op == op) out.push_back(c);
    return out;
}

struct CellFixture : testing::Test {
    FixedMeasure measure;
    CGridCtrl grid{4, 4, 1, 1};
    gui::RecordingCanvas dc;
    // Row 1, column 2: a body cell 60 x 20 at (50, 30).
    const gui::Rect rect{50, 30, 109, 49};

    CGridCellBase& Body() { return *grid.GetCell(1, 2); }
    const CanvasCall& OnlyText() {
        static CanvasCall none;
        for (const CanvasCall& c : dc.Calls())
            if (c.op == CanvasOp::DrawText || c.op == CanvasOp::ExtTextOut) return c;
        ADD_FAILURE() << "no text drawn:\n" << dc.Describe();
        return none;
    }
};

TEST_F(CellFixture, DefaultValuesComeFromTheDefaultCellAndFollowItsChanges) {
    grid.SetItemText(1, 2, u"abc");
    CGridDefaultCell* def = grid.GetDefaultCell(false, false);
    // Own values stay "default": the default cell's margin (a blank: 7), format and colours.
    ASSERT_TRUE(Body().Draw(&dc, 1, 2, rect, true));
    const CanvasCall text = OnlyText();
    EXPECT_EQ(text.flags, def->GetFormat() | gui::DT_NOPREFIX);
    EXPECT_EQ(text.textColor, def->GetTextClr());
    EXPECT_EQ(text.rect, (gui::Rect{57, 30, 102, 49}));
    ASSERT_FALSE(CallsOf(dc, CanvasOp::FillRect).empty());
    EXPECT_EQ(CallsOf(dc, CanvasOp::FillRect)[0].color, def->GetBackClr());

    // The grid gave the cell the default format when it made it; one put back to "default"
    // follows the default cell from then on.
    grid.SetItemFormat(1, 2, 0xFFFFFFFFu);
    def->SetFormat(gui::DT_RIGHT | gui::DT_SINGLELINE);
    def->SetTextClr(gui::RGB(1, 2, 3));
    def->SetBackClr(gui::RGB(4, 5, 6));
    def->SetMargin(2);
    gui::LogFont bold;
    bold.weight = gui::FW_BOLD;
    def->SetFont(&bold);
    dc.Clear();
    ASSERT_TRUE(Body().Draw(&dc, 1, 2, rect, true));
    const CanvasCall after = OnlyText();
    EXPECT_EQ(after.flags, gui::DT_RIGHT | gui::DT_SINGLELINE | gui::DT_NOPREFIX);
    EXPECT_EQ(after.textColor, gui::RGB(1, 2, 3));
    EXPECT_EQ(after.font.weight, gui::FW_BOLD);
    // SetFont measured the margin again (a blank), after which 2 was overwritten.
    EXPECT_EQ(after.rect.left, 50 + static_cast<int>(def->GetMargin()));
    EXPECT_EQ(CallsOf(dc, CanvasOp::FillRect)[0].color, gui::RGB(4, 5, 6));
}

TEST_F(CellFixture, EmptyRectangleOrNoCanvasDrawsNothing) {
    EXPECT_FALSE(Body().Draw(&dc, 1, 2, gui::Rect{50, 30, 50, 49}, true));
    EXPECT_FALSE(Body().Draw(&dc, 1, 2, gui::Rect{50, 30, 109, 30}, true));
    EXPECT_FALSE(Body().Draw(nullptr, 1, 2, rect, true));
    EXPECT_FALSE(Body().PrintCell(&dc, 1, 2, gui::Rect{50, 30, 50, 49}));
    EXPECT_TRUE(dc.Calls().empty()) << dc.Describe();
    CGridCell loose;  // no grid, no default cell
    EXPECT_FALSE(loose.Draw(&dc, 0, 0, rect, true));
    EXPECT_FALSE(loose.PrintCell(&dc, 0, 0, rect));
    EXPECT_EQ(loose.GetFont(), nullptr);
    EXPECT_EQ(loose.GetMargin(), 0u);
    EXPECT_EQ(loose.GetFormat(), 0u);
}

TEST_F(CellFixture, ImageWiderThanTheCellIsLeftOutButTheTextStillMoves) {
    QImage strip(80, 16, QImage::Format_ARGB32);
    strip.fill(Qt::red);
    GridImageList images(strip, 40);  // two images of 40 x 16
    grid.SetImageList(&images);
    grid.SetItemText(1, 2, u"x");
    grid.SetItemImage(1, 2, 1);
    const int m = static_cast<int>(Body().GetMargin());
    // A 40-pixel image fits the 46 pixels between the margins of the 60-pixel cell.
    ASSERT_TRUE(Body().Draw(&dc, 1, 2, rect, true));
    ASSERT_EQ(CallsOf(dc, CanvasOp::DrawImage).size(), 1u);
    EXPECT_EQ(OnlyText().rect.left, 50 + m + 40 + m);
    dc.Clear();
    const gui::Rect narrow{50, 30, 89, 49};  // 40 wide: 26 left inside the margins
    ASSERT_TRUE(Body().Draw(&dc, 1, 2, narrow, true));
    EXPECT_TRUE(CallsOf(dc, CanvasOp::DrawImage).empty()) << dc.Describe();
    EXPECT_EQ(OnlyText().rect.left, 50 + m + 40 + m);
    gui::Rect textRect = narrow;
    Body().GetTextRect(&textRect);
    EXPECT_EQ(textRect.left, 50 + 40 + 1 + m);
    // A negative or unknown image is no image.
    grid.SetItemImage(1, 2, 7);
    dc.Clear();
    ASSERT_TRUE(Body().Draw(&dc, 1, 2, rect, true));
    EXPECT_EQ(OnlyText().rect.left, 50 + m);
}

TEST_F(CellFixture, FocusedAndSelectedCellsTakeTheirColoursAndFrame) {
    const gui::COLORREF own = gui::RGB(200, 100, 50);
    grid.SetItemBkColour(1, 2, own);
    struct Case {
        const char* what;
        GridItemState state;
        bool frameFocus;
        gui::COLORREF fill;
        bool framed;
    } const cases[] = {
        {"focused and selected", GVIS_FOCUSED | GVIS_SELECTED, true, gui::GetSysColor(gui::COLOR_HIGHLIGHT), true},
        {"focused only keeps its colours", GVIS_FOCUSED, true, own, true},
        {"focused without focus frames", GVIS_FOCUSED, false, own, false},
        {"selected only", GVIS_SELECTED, true, gui::GetSysColor(gui::COLOR_HIGHLIGHT), false},
        {"plain", 0, true, own, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        grid.SetFrameFocusCell(c.frameFocus);
        Body().SetState(c.state);
        dc.Clear();
        ASSERT_TRUE(Body().Draw(&dc, 1, 2, rect, false));
        const auto fills = CallsOf(dc, CanvasOp::FillRect);
        ASSERT_EQ(fills.size(), 1u) << dc.Describe();
        EXPECT_EQ(fills[0].color, c.fill);
        EXPECT_EQ(fills[0].rect, (gui::Rect{50, 30, 110, 50}));  // grown over the grid lines
        EXPECT_EQ(CallsOf(dc, CanvasOp::FrameRect).size(), c.framed ? 1u : 0u);
    }
}

TEST_F(CellFixture, SortArrowOnlyInRowZeroOfTheSortColumnAndWhereItFits) {
    grid.SetItemText(0, 2, u"Name");
    grid.SetItemText(1, 2, u"body");
    grid.SetSortColumn(2);
    CGridCellBase& header = *grid.GetCell(0, 2);
    const gui::Rect headerRect{50, 0, 109, 19};
    ASSERT_TRUE(header.Draw(&dc, 0, 2, headerRect, true));
    // The size is the height of "M" less 4 (12); light and shadow outlines.
    ASSERT_EQ(CallsOf(dc, CanvasOp::Polyline).size(), 2u) << dc.Describe();
    const int textRightWithArrow = OnlyText().rect.right;
    dc.Clear();
    ASSERT_TRUE(Body().Draw(&dc, 1, 2, rect, true));
    EXPECT_TRUE(CallsOf(dc, CanvasOp::Polyline).empty());
    dc.Clear();
    grid.SetSortColumn(3);
    ASSERT_TRUE(header.Draw(&dc, 0, 2, headerRect, true));
    EXPECT_TRUE(CallsOf(dc, CanvasOp::Polyline).empty());
    EXPECT_EQ(OnlyText().rect.right, textRightWithArrow + 12);
    // Too narrow for the arrow: none, and the text keeps its width.
    grid.SetSortColumn(2);
    dc.Clear();
    const gui::Rect narrow{50, 0, 56, 19};
    ASSERT_TRUE(header.Draw(&dc, 0, 2, narrow, true));
    EXPECT_TRUE(CallsOf(dc, CanvasOp::Polyline).empty()) << dc.Describe();
}

TEST_F(CellFixture, LongVerticalHeaderEndsInDotsAndNeverOutgrowsTheCell) {
    gui::LogFont up;
    up.escapement = 900;
    CGridCellBase& header = *grid.GetCell(0, 2);
    header.SetFont(&up);
    for (const char16_t* text : {u"A rather long column title", u"ab"}) {
        header.SetText(text);
        for (int height : {60, 20, 5}) {
            SCOPED_TRACE(testing::Message() << height);
            dc.Clear();
            ASSERT_TRUE(header.Draw(&dc, 0, 2, gui::Rect{50, 0, 69, height - 1}, true));
            const auto out = CallsOf(dc, CanvasOp::ExtTextOut);
            const int room = height - 2;  // less the raised frame
            if (7 * std::u16string_view(text).size() <= static_cast<std::size_t>(room)) {
                ASSERT_EQ(out.size(), 1u);
                EXPECT_EQ(out[0].text, text);
                continue;
            }
            if (out.empty()) continue;  // nothing left to write
            EXPECT_LE(7 * static_cast<int>(out[0].text.size()), room);
            EXPECT_TRUE(out[0].text.ends_with(u"...") || out[0].text.find_first_not_of(u'.') == std::u16string::npos)
                << std::string(out[0].text.begin(), out[0].text.end());
        }
    }
    header.SetText(u"");
    dc.Clear();
    ASSERT_TRUE(header.Draw(&dc, 0, 2, gui::Rect{50, 0, 69, 59}, true));
    EXPECT_TRUE(CallsOf(dc, CanvasOp::ExtTextOut).empty());
}

TEST_F(CellFixture, TextExtentOfNoTextIsTheDefaultCellSize) {
    const CGridDefaultCell* def = grid.GetDefaultCell(false, false);
    EXPECT_EQ(Body().GetTextExtent(nullptr), (gui::Size{def->GetWidth(), def->GetHeight()}));
    EXPECT_EQ(Body().GetTextExtent(nullptr, &dc), (gui::Size{def->GetWidth(), def->GetHeight()}));
    // Measured: 3 x 7 + 4 margins of 7, 16 + 2 margins.
    EXPECT_EQ(Body().GetTextExtent(u"abc", &dc), (gui::Size{21 + 28, 16 + 14}));
    // The default sizes come from the font: a blank, fourteen characters, 4/3 of the height.
    EXPECT_EQ(def->GetMargin(), 7u);
    EXPECT_EQ(def->GetWidth(), 98);
    EXPECT_EQ(def->GetHeight(), 21);
    EXPECT_EQ(grid.GetRowHeight(2), 21);
    EXPECT_EQ(grid.GetColumnWidth(2), 98);
}

TEST(GridDefaultCellTest, WithoutAScreenToMeasureOnTheSizesAreFixed) {
    FixedMeasure none(true);
    CGridDefaultCell def;
    EXPECT_EQ(def.GetMargin(), 3u);
    EXPECT_EQ(def.GetWidth(), 40);
    EXPECT_EQ(def.GetHeight(), 16);
    EXPECT_EQ(def.GetFormat(), 0x8824u);
    EXPECT_TRUE(def.IsReadOnly());
}

TEST_F(CellFixture, PrintedColoursFollowTheShadingRules) {
    CGridDefaultCell* def = grid.GetDefaultCell(false, false);
    CGridDefaultCell* fixedDef = grid.GetDefaultCell(true, false);
    const gui::COLORREF red = gui::RGB(255, 0, 0), blue = gui::RGB(0, 0, 200);
    struct Case {
        const char* what;
        bool shaded;
        bool twoColour;
        bool fixedCell;
        gui::COLORREF ownBack, ownText;
        gui::COLORREF wantText;
        gui::COLORREF wantFill;  // CLR_NONE: no fill
    } const cases[] = {
        {"unshaded prints black without background", false, false, false, red, blue, 0, gui::CLR_NONE},
        {"default colours print black", true, false, false, gui::CLR_DEFAULT, gui::CLR_DEFAULT, 0, gui::CLR_NONE},
        {"own text colour", true, false, false, gui::CLR_DEFAULT, blue, blue, gui::CLR_NONE},
        {"own back colour with default text", true, false, false, red, gui::CLR_DEFAULT, def->GetTextClr(), red},
        {"back colour like the default's is none", true, false, false, def->GetBackClr(), gui::CLR_DEFAULT, 0,
         gui::CLR_NONE},
        {"fixed cell takes its default's back", true, false, true, gui::CLR_DEFAULT, blue, fixedDef->GetTextClr(),
         fixedDef->GetBackClr()},
        {"fixed cell with own back keeps own text", true, false, true, red, blue, blue, red},
        // Luminance of (0, 0, 200): 0.11 x 200 = 22 in all three channels.
        {"two colours print grey", true, true, false, gui::CLR_DEFAULT, blue, gui::RGB(22, 22, 22), gui::CLR_NONE},
        {"two colours with a back colour keep the text", true, true, false, red, blue, blue, red},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        grid.SetShadedPrintOut(c.shaded);
        grid.SetPrintingTwoColour(c.twoColour);
        const int row = c.fixedCell ? 0 : 1;
        CGridCellBase& cell = *grid.GetCell(row, 2);
        cell.SetText(u"t");
        cell.SetBackClr(c.ownBack);
        cell.SetTextClr(c.ownText);
        dc.Clear();
        ASSERT_TRUE(cell.PrintCell(&dc, row, 2, rect));
        const auto fills = CallsOf(dc, CanvasOp::FillRect);
        if (c.wantFill == gui::CLR_NONE) {
            EXPECT_TRUE(fills.empty()) << dc.Describe();
        } else {
            ASSERT_EQ(fills.size(), 1u);
            EXPECT_EQ(fills[0].color, c.wantFill);
        }
        EXPECT_EQ(OnlyText().textColor, c.wantText);
        EXPECT_TRUE(OnlyText().flags & gui::DT_NOCLIP);
    }
}

// The gallery: each kind of cell drawn by its own Draw with the program's fonts.
TEST(GridCellGalleryTest, GalleryOfCells) {
    RecordingOwner owner;
    CGridCtrl* grid = new CGridCtrl(4, 5, 1, 1, &owner);
    QImage strip(32, 16, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    {
        QPainter p(&strip);
        p.fillRect(2, 2, 12, 12, QColor(30, 120, 200));
        p.fillRect(18, 2, 12, 12, QColor(200, 60, 40));
    }
    GridImageList images(strip, 16);
    grid->SetImageList(&images);
    const int w = 120, h = grid->GetDefaultCell(false, false)->GetHeight();
    QImage picture(4 * w + 20, 4 * h + 110, QImage::Format_ARGB32);
    picture.fill(QColor(gui::GetSysColor(gui::COLOR_3DSHADOW) & 0xFF,
                        (gui::GetSysColor(gui::COLOR_3DSHADOW) >> 8) & 0xFF,
                        (gui::GetSysColor(gui::COLOR_3DSHADOW) >> 16) & 0xFF));
    QPainter painter(&picture);
    gui::QPainterCanvas dc(painter);
    auto at = [&](int x, int y, int width, int height) { return gui::Rect(x, y, x + width - 1, y + height - 1); };
    auto draw = [&](int row, int col, const char16_t* text, GridItemState extra, gui::Rect rect) {
        CGridCellBase& cell = *grid->GetCell(row, col);
        cell.SetText(text);
        cell.SetState((cell.GetState() & ~(GVIS_FOCUSED | GVIS_SELECTED)) | extra);
        EXPECT_TRUE(cell.Draw(&dc, row, col, rect, true)) << std::string(text, text + 3);
    };
    // First line: normal, selected, focused, focused and selected.
    draw(1, 1, u"Normal", 0, at(10, 10, w, h));
    draw(1, 2, u"Selected", GVIS_SELECTED, at(10 + w, 10, w, h));
    draw(1, 3, u"Focused", GVIS_FOCUSED, at(10 + 2 * w, 10, w, h));
    draw(1, 4, u"Focused, selected", GVIS_FOCUSED | GVIS_SELECTED, at(10 + 3 * w, 10, w, h));
    // Second line: fixed headers with either sort arrow, and a cell with an image.
    grid->SetSortColumn(2);
    grid->SetSortAscending(true);
    draw(0, 2, u"Ascending", 0, at(10, 20 + h, w, h));
    grid->SetSortAscending(false);
    draw(0, 2, u"Descending", 0, at(10 + w, 20 + h, w, h));
    grid->SetItemImage(2, 2, 0);
    draw(2, 2, u"Image", 0, at(10 + 2 * w, 20 + h, w, h));
    grid->SetItemImage(2, 3, 1);
    draw(2, 3, u"", 0, at(10 + 3 * w, 20 + h, w, h));
    grid->SetItemFormat(2, 3, gui::DT_CENTER | gui::DT_VCENTER | gui::DT_SINGLELINE);
    draw(2, 3, u"", 0, at(10 + 3 * w, 20 + h, w, h));
    // Third line: a vertical header too long for its cell, and a merged block of 2 x 2 cells
    // drawn as one.
    gui::LogFont up = *grid->GetDefaultCell(true, false)->GetFont();
    up.escapement = 900;
    grid->SetItemFont(0, 3, &up);
    grid->SetItemFont(0, 4, &up);
    grid->SetSortColumn(-1);
    draw(0, 3, u"Vertical header", 0, at(10, 30 + 2 * h, 28, 70));
    draw(0, 4, u"Long vertical header text", 0, at(50, 30 + 2 * h, 28, 110));
    grid->SetItemFont(0, 4, nullptr);
    ASSERT_TRUE(grid->MergeCells(GridCellRange(2, 1, 3, 2)));
    draw(2, 1, u"Merged block of four cells", 0, at(10 + w, 30 + 2 * h, 2 * w, 2 * h));
    painter.end();
    EXPECT_TRUE(SaveScreenshot(picture, "grid_cell_gallery"));
}

// The grid window itself: headers, a selection, the focus cell and the sort column.
TEST(GridCellGalleryTest, GridWindow) {
    RecordingOwner owner;
    owner.setWindowTitle("Grid");
    owner.resize(430, 170);
    CGridCtrl* grid = new CGridCtrl(7, 4, 1, 1, &owner);
    grid->setGeometry(0, 0, 430, 170);
    const char16_t* heads[] = {u"", u"Name", u"Size", u"Changed"};
    for (int c = 1; c < 4; ++c) grid->SetItemText(0, c, heads[c]);
    for (int r = 1; r < 7; ++r) {
        grid->SetItemTextFmt(r, 0, u"%d", r);
        grid->SetItemTextFmt(r, 1, u"file-%d.txt", r);
        grid->SetItemTextFmt(r, 2, u"%d KB", r * 17);
        grid->SetItemText(r, 3, u"2026-12-11 14:30");
    }
    grid->SetItemFormat(0, 2, gui::DT_RIGHT | gui::DT_VCENTER | gui::DT_SINGLELINE);
    for (int r = 1; r < 7; ++r) grid->SetItemFormat(r, 2, gui::DT_RIGHT | gui::DT_VCENTER | gui::DT_SINGLELINE);
    grid->SetItemBkColour(5, 1, gui::RGB(255, 240, 200));
    grid->SetSortColumn(1);
    grid->SetSelectedRange(2, 1, 3, 3);
    grid->SetFocusCell(3, 2);
    owner.show();
    EXPECT_TRUE(SaveScreenshot(owner, "grid_window"));
}

}  // namespace
