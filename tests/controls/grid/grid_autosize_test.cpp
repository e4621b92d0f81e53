// Auto-sizing of columns and rows, measured with fixed metrics: 7 pixels a character, lines
// 16 high, margins of 7 (four of them across, two down).
#include <gtest/gtest.h>

#include "controls/grid/grid_ctrl.h"
#include "tests/controls/grid/grid_test_support.h"

namespace {

int WidthOf(int chars) { return 7 * chars + 4 * 7; }

struct AutoSizeFixture : testing::Test {
    FixedMeasure measure;
    RecordingOwner owner;
    CGridCtrl* grid = new CGridCtrl(4, 4, 1, 1, &owner);
    void SetUp() override {
        grid->SetItemText(0, 1, u"header text");  // 11
        grid->SetItemText(1, 1, u"abc");
        grid->SetItemText(2, 1, u"abcdef");  // 6
        grid->SetItemText(3, 1, u"ab");
    }
};

TEST_F(AutoSizeFixture, ColumnTakesTheWidestCellOfTheRowsItsStyleNames) {
    struct Case {
        int style;
        int width;
    } const cases[] = {{GVS_HEADER, WidthOf(11)}, {GVS_DATA, WidthOf(6)}, {GVS_BOTH, WidthOf(11)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        ASSERT_TRUE(grid->AutoSizeColumn(1, c.style));
        EXPECT_EQ(grid->GetColumnWidth(1), c.width);
    }
    grid->SetAutoSizeStyle(GVS_DATA);
    ASSERT_TRUE(grid->AutoSizeColumn(1));
    EXPECT_EQ(grid->GetColumnWidth(1), WidthOf(6));
}

TEST_F(AutoSizeFixture, BlocksAcrossColumnsAndHiddenColumnsAreLeftOut) {
    grid->SetItemText(2, 2, u"a very long text of the block");
    ASSERT_TRUE(grid->MergeCells(GridCellRange(2, 2, 2, 3)));
    ASSERT_TRUE(grid->AutoSizeColumn(2, GVS_DATA));
    EXPECT_EQ(grid->GetColumnWidth(2), WidthOf(0));  // rows 1 and 3 are empty
    grid->SetColumnWidth(1, 0);
    EXPECT_FALSE(grid->AutoSizeColumn(1, GVS_BOTH));
    EXPECT_EQ(grid->GetColumnWidth(1), 0);
    grid->AutoSizeColumns(GVS_BOTH);
    EXPECT_EQ(grid->GetColumnWidth(1), 0);  // hidden columns stay hidden
    EXPECT_FALSE(grid->AutoSizeColumn(9));
}

TEST_F(AutoSizeFixture, RowTakesTheTallestCell) {
    grid->SetItemFormat(2, 2, gui::DT_WORDBREAK);
    grid->SetItemText(2, 2, u"one\ntwo\nthree");
    ASSERT_TRUE(grid->AutoSizeRow(2));
    EXPECT_EQ(grid->GetRowHeight(2), 3 * 16 + 2 * 7);
    ASSERT_TRUE(grid->AutoSizeRow(1));
    EXPECT_EQ(grid->GetRowHeight(1), 16 + 2 * 7);
    grid->SetRowHeight(3, 0);
    EXPECT_FALSE(grid->AutoSizeRow(3));
    EXPECT_EQ(grid->GetRowHeight(3), 0);
}

TEST_F(AutoSizeFixture, VirtualGridHintsTheMeasuredCellsThenNothing) {
    grid->SetVirtualMode(true);
    grid->SetRowCount(50);
    grid->SetColumnCount(3);
    grid->SetFixedRowCount(1);
    owner.fill = [](GridDispInfo& info) { info.item.text = CString(std::u16string(info.item.row % 7, u'x')); };
    owner.heard.clear();
    ASSERT_TRUE(grid->AutoSizeColumn(2, GVS_DATA));
    EXPECT_EQ(grid->GetColumnWidth(2), WidthOf(6));
    ASSERT_GE(owner.heard.size(), 2u);
    EXPECT_EQ(owner.heard.front().code, GVN_ODCACHEHINT);
    EXPECT_EQ(std::pair(owner.heard.front().row, owner.heard.front().col), std::pair(1, 2));
    EXPECT_EQ(owner.heard.back().code, GVN_ODCACHEHINT);
    EXPECT_EQ(std::pair(owner.heard.back().row, owner.heard.back().col), std::pair(-1, -1));
    EXPECT_EQ(owner.Count(GVN_GETDISPINFO), 49);
}

TEST_F(AutoSizeFixture, LastColumnTakesTheFreeWidth) {
    owner.resize(600, 200);
    grid->setGeometry(0, 0, 600, 200);
    owner.show();
    for (int c = 0; c < 4; ++c) grid->SetColumnWidth(c, 50);
    grid->ExpandLastColumn();
    EXPECT_EQ(grid->GetColumnWidth(3), grid->viewport()->width() - 150);
}

}  // namespace
