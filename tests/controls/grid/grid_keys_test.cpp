// The keyboard: keys move the focus cell over shown cells, scroll, delete and start editing.
#include <gtest/gtest.h>

#include <QTest>

#include "controls/grid/grid_ctrl.h"
#include "controls/grid/in_place_edit.h"
#include "tests/controls/grid/grid_test_support.h"

namespace {

// 30 rows x 6 columns (one fixed row and column), rows 20 high, columns 40 wide; row 5 and
// column 3 hidden; a shown 300 x 200 grid, so a page holds some eight rows.
struct KeyFixture : testing::Test {
    FixedMeasure measure;
    RecordingOwner owner;
    CGridCtrl* grid = new CGridCtrl(30, 6, 1, 1, &owner);
    void SetUp() override {
        owner.resize(300, 200);
        grid->setGeometry(0, 0, 300, 200);
        for (int r = 0; r < 30; ++r) grid->SetRowHeight(r, 20);
        for (int c = 0; c < 6; ++c) grid->SetColumnWidth(c, 40);
        grid->SetRowHeight(5, 0);
        grid->SetColumnWidth(3, 0);
        for (int r = 1; r < 30; ++r)
            for (int c = 1; c < 6; ++c) grid->SetItemTextFmt(r, c, u"%d,%d", r, c);
        owner.show();
        owner.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
        grid->setFocus();
    }
};

TEST_F(KeyFixture, KeysMoveTheFocusOverShownCells) {
    struct Case {
        const char* what;
        GridCellId from;
        std::uint32_t vk;
        bool ctrl, shift;
        GridCellId want;
    } const cases[] = {
        {"down skips a hidden row", {4, 2}, VK_DOWN, false, false, {6, 2}},
        {"up skips it too", {6, 2}, VK_UP, false, false, {4, 2}},
        {"up stays in the first data row", {1, 2}, VK_UP, false, false, {1, 2}},
        {"down stays in the last row", {29, 2}, VK_DOWN, false, false, {29, 2}},
        {"right skips a hidden column", {2, 2}, VK_RIGHT, false, false, {2, 4}},
        {"right stays at the row's end", {2, 5}, VK_RIGHT, false, false, {2, 5}},
        {"left skips it", {2, 4}, VK_LEFT, false, false, {2, 2}},
        {"Tab wraps to the next shown row", {4, 5}, VK_TAB, false, false, {6, 1}},
        {"Shift+Tab wraps back to the last column", {6, 1}, VK_TAB, false, true, {4, 5}},
        {"Home goes to the first column", {7, 4}, VK_HOME, false, false, {7, 1}},
        {"End goes to the last column", {7, 1}, VK_END, false, false, {7, 5}},
        {"Ctrl+Home goes to the first data cell", {17, 4}, VK_HOME, true, false, {1, 1}},
        {"Ctrl+End goes to the last cell", {2, 2}, VK_END, true, false, {29, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        grid->SetFocusCell(c.from);
        grid->EnsureVisible(c.from.row, c.from.col);
        grid->OnKeyDown(c.vk, c.ctrl, c.shift);
        EXPECT_EQ(grid->GetFocusCell(), c.want) << grid->GetFocusCell().row << "," << grid->GetFocusCell().col;
        if (!(c.want == c.from)) {
            EXPECT_TRUE(grid->IsCellSelected(c.want.row, c.want.col));
        }
        EXPECT_TRUE(grid->IsCellVisible(c.want.row, c.want.col));
    }
}

TEST_F(KeyFixture, MergedBlockIsCrossedInOneStep) {
    ASSERT_TRUE(grid->MergeCells(GridCellRange(2, 1, 3, 2)));
    grid->SetFocusCell(2, 1);
    grid->OnKeyDown(VK_DOWN, false, false);
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(4, 1));  // from the block's last row
    grid->SetFocusCell(2, 1);
    grid->OnKeyDown(VK_RIGHT, false, false);
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(2, 4));  // from its last column
}

TEST_F(KeyFixture, PagesMoveTheFocusAsFarAsTheView) {
    grid->SetFocusCell(2, 2);
    const int topBefore = grid->GetTopleftNonFixedCell().row;
    grid->OnKeyDown(VK_NEXT, false, false);
    const int topAfter = grid->GetTopleftNonFixedCell().row;
    ASSERT_GT(topAfter, topBefore);
    // As many shown rows as the top row moved.
    auto shownBetween = [&](int from, int to) {
        int n = 0;
        for (int r = from; r < to; ++r) n += grid->GetRowHeight(r) > 0 ? 1 : 0;
        return n;
    };
    EXPECT_EQ(shownBetween(2, grid->GetFocusCell().row), shownBetween(topBefore, topAfter));
    EXPECT_GT(grid->GetFocusCell().row, 5);  // across the hidden row
    grid->OnKeyDown(VK_END, true, false);
    grid->SetFocusCell(27, 2);
    grid->OnKeyDown(VK_NEXT, false, false);  // the view cannot move: the last row
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(29, 2));
    grid->OnKeyDown(VK_HOME, true, false);
    grid->SetFocusCell(3, 2);
    grid->OnKeyDown(VK_PRIOR, false, false);
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(1, 2));
}

TEST_F(KeyFixture, FillerColumnNeverTakesTheFocus) {
    grid->SetLastColumnFiller(true);
    grid->SetFocusCell(2, 4);
    grid->OnKeyDown(VK_RIGHT, false, false);
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(2, 4));
    grid->OnKeyDown(VK_END, false, false);
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(2, 4));
    grid->OnKeyDown(VK_TAB, false, false);
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(3, 1));
    grid->OnKeyDown(VK_TAB, false, true);
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(2, 4));
}

TEST_F(KeyFixture, ShiftExtendsTheSelectionFromItsStart) {
    grid->SetFocusCell(2, 1);
    grid->SetSelectionStartCell({2, 1});
    grid->OnKeyDown(VK_DOWN, false, true);
    grid->OnKeyDown(VK_RIGHT, false, true);
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(3, 2));
    EXPECT_EQ(grid->GetSelector().GetSelectedCount(), 4);
    grid->OnKeyDown(VK_DOWN, false, false);  // without Shift the selection starts again
    EXPECT_EQ(grid->GetSelector().GetSelectedCount(), 1);
}

TEST_F(KeyFixture, SpaceDeleteF2AndCtrlA) {
    grid->SetFocusCell(2, 2);
    owner.heard.clear();
    grid->OnKeyDown(VK_SPACE, false, false);
    ASSERT_EQ(owner.heard.size(), 1u);
    EXPECT_EQ(owner.heard[0].code, GVN_CLICK);
    grid->OnKeyDown(VK_DELETE, false, false);
    EXPECT_EQ(grid->GetItemText(2, 2), u"");
    EXPECT_TRUE(grid->GetCell(2, 2)->IsModified());
    ASSERT_EQ(owner.heard.size(), 3u);
    EXPECT_EQ(owner.heard[1].code, GVN_BEGINLABELEDIT);
    EXPECT_EQ(owner.heard[2].code, GVN_ENDLABELEDIT);
    EXPECT_EQ(std::pair(owner.heard[2].row, owner.heard[2].col), std::pair(2, 2));
    grid->SetItemState(2, 4, grid->GetItemState(2, 4) | GVIS_READONLY);
    grid->SetFocusCell(2, 4);
    grid->OnKeyDown(VK_DELETE, false, false);
    EXPECT_EQ(grid->GetItemText(2, 4), u"2,4");  // read-only: kept
    grid->SetFocusCell(3, 4);
    grid->OnKeyDown(VK_F2, false, false);
    CInPlaceEdit* editor = grid->findChild<CInPlaceEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "3,4");
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    grid->OnKeyDown(VK_A, true, false);
    EXPECT_EQ(grid->GetSelector().GetSelectedCount(), 29 * 5);
}

TEST_F(KeyFixture, TypingEditsAndTabAtTheEndOfAnEditEditsTheNextCell) {
    grid->SetFocusCell(2, 2);
    QTest::keyClick(grid, Qt::Key_X);
    CInPlaceEdit* editor = grid->findChild<CInPlaceEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "x");
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(grid->GetItemText(2, 2), u"x");
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(2, 4));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    editor = grid->findChild<CInPlaceEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(std::pair(editor->GetRow(), editor->GetCol()), std::pair(2, 4));
    EXPECT_EQ(editor->selectedText(), "2,4");  // opened by the key: the text selected
    QTest::keyClick(editor, Qt::Key_Down);     // an arrow: the cell below is edited next
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    editor = grid->findChild<CInPlaceEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(std::pair(editor->GetRow(), editor->GetCol()), std::pair(3, 4));
    QTest::keyClick(editor, Qt::Key_Escape);  // Escape: nothing more
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(grid->findChild<CInPlaceEdit*>(), nullptr);
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(3, 4));
}

TEST_F(KeyFixture, TabStaysInTheGridWhileItWantsTab) {
    grid->SetFocusCell(2, 1);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(2, 2));
    EXPECT_TRUE(grid->hasFocus());
}

}  // namespace
