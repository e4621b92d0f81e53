// The mouse on a shown grid: presses, drag selection with auto-scroll, divider sizing, double
// clicks, right clicks, header sorting, cursors, and owners that change or destroy the grid
// in their handlers. Events go to the viewport as Qt mouse events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "controls/grid/grid_ctrl.h"
#include "controls/grid/in_place_edit.h"
#include "tests/controls/grid/grid_test_support.h"
#include "tests/support/gui/screenshot.h"

namespace {

// 30 rows x 6 columns (one fixed row and column), rows 20 high, columns 40 wide, so cell
// (r, c) covers x 40c..40c+39 and y 20r..20r+19 while unscrolled; a shown 300 x 200 grid.
struct MouseFixture : testing::Test {
    FixedMeasure measure;
    RecordingOwner owner;
    CGridCtrl* grid = new CGridCtrl(30, 6, 1, 1, &owner);
    void SetUp() override {
        owner.resize(300, 200);
        grid->setGeometry(0, 0, 300, 200);
        for (int r = 0; r < 30; ++r) grid->SetRowHeight(r, 20);
        for (int c = 0; c < 6; ++c) grid->SetColumnWidth(c, 40);
        for (int r = 1; r < 30; ++r)
            for (int c = 1; c < 6; ++c) grid->SetItemTextFmt(r, c, u"%d,%d", r, c);
        for (int c = 1; c < 6; ++c) grid->SetItemTextFmt(0, c, u"H%d", c);
        owner.show();
        owner.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
    }
    void Send(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::KeyboardModifiers mods = {}) {
        Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(button);
        if (type == QEvent::MouseMove) buttons = held, button = Qt::NoButton;
        QWidget* port = grid->viewport();
        QMouseEvent event(type, QPointF(p), QPointF(port->mapToGlobal(p)), button, buttons, mods);
        QApplication::sendEvent(port, &event);
    }
    void Press(QPoint p, Qt::KeyboardModifiers mods = {}) {
        held = Qt::LeftButton;
        Send(QEvent::MouseButtonPress, p, Qt::LeftButton, mods);
    }
    void Move(QPoint p) { Send(QEvent::MouseMove, p, Qt::NoButton); }
    void Release(QPoint p) {
        held = {};
        Send(QEvent::MouseButtonRelease, p, Qt::LeftButton);
    }
    void Click(QPoint p, Qt::KeyboardModifiers mods = {}) {
        Press(p, mods);
        Release(p);
    }
    Qt::MouseButtons held;
};

TEST_F(MouseFixture, APressOnTheFocusCellKeepsTheSelectionAndEditsOnRelease) {
    Click({100, 50});  // cell (2, 2)
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(2, 2));
    EXPECT_TRUE(grid->IsCellSelected(2, 2));
    EXPECT_EQ(owner.Count(GVN_CLICK), 1);
    QCoreApplication::processEvents();  // the click's command is posted
    EXPECT_EQ(owner.commands.size(), 1u);
    EXPECT_EQ(grid->findChild<CInPlaceEdit*>(), nullptr);
    Press({100, 50});
    EXPECT_EQ(grid->GetMouseMode(), MOUSE_PREPARE_EDIT);
    EXPECT_TRUE(grid->IsCellSelected(2, 2));
    Release({100, 50});
    CInPlaceEdit* editor = grid->findChild<CInPlaceEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(std::pair(editor->GetRow(), editor->GetCol()), std::pair(2, 2));
    EXPECT_EQ(grid->GetMouseMode(), MOUSE_NOTHING);
}

TEST_F(MouseFixture, ShiftExtendsCtrlDeselectsAndAListModeRowGoesWhole) {
    Click({60, 30});                          // (1, 1)
    Click({140, 90}, Qt::ShiftModifier);      // (4, 3): the block from (1, 1)
    EXPECT_EQ(grid->GetSelector().GetSelectedCount(), 4 * 3);
    Click({100, 50}, Qt::ControlModifier);    // (2, 2), selected: deselected, no focus
    EXPECT_FALSE(grid->IsCellSelected(2, 2));
    EXPECT_FALSE(grid->IsValid(grid->GetFocusCell()));
    EXPECT_EQ(grid->GetSelector().GetSelectedCount(), 4 * 3 - 1);

    grid->SetListMode(true);
    Click({100, 70});                         // row 3 whole
    EXPECT_EQ(grid->GetSelector().GetSelectedCount(), 5);
    Click({180, 70}, Qt::ControlModifier);    // another cell of the selected row
    EXPECT_EQ(grid->GetSelector().GetSelectedCount(), 0);
    EXPECT_FALSE(grid->IsValid(grid->GetFocusCell()));
}

TEST_F(MouseFixture, ADragSelectsAndTheTimerScrollsOnWhileTheMouseIsBelow) {
    Press({60, 30});  // (1, 1)
    EXPECT_TRUE(grid->IsAutoScrolling());
    Move({140, 110});  // (5, 3)
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(5, 3));
    EXPECT_EQ(grid->GetSelector().GetSelectedCount(), 5 * 3);
    Move({140, 260});  // below the client area
    const int before = grid->GetFocusCell().row;
    QTest::qWait(200);  // the timer ticks every 25 ms
    EXPECT_GT(grid->GetScrollPos32(SB_VERT), 0);
    EXPECT_GT(grid->GetFocusCell().row, before);
    const int last = grid->GetFocusCell().row;
    EXPECT_TRUE(grid->IsCellSelected(last, 3));
    EXPECT_TRUE(grid->IsCellSelected(1, 1));
    Release({140, 260});
    EXPECT_FALSE(grid->IsAutoScrolling());
    QTest::qWait(60);
    EXPECT_EQ(grid->GetFocusCell().row, last);  // no more steps after the release
}

TEST_F(MouseFixture, DividerDragsSizeColumnsAndRows) {
    struct Case {
        const char* what;
        bool column;
        QPoint press, release;
        bool hiding;
        int want;
        int resized;  // column-resized notifications
    } const cases[] = {
        {"right edge of column 2 dragged right", true, {118, 10}, {150, 10}, true, 70, 1},
        {"left edge of column 3 sizes column 2", true, {121, 10}, {100, 10}, true, 20, 1},
        {"past the left edge: hidden", true, {118, 10}, {50, 10}, true, 0, 1},
        {"past the left edge without hiding: 1", true, {118, 10}, {50, 10}, false, 1, 1},
        {"not moved: unchanged", true, {118, 10}, {118, 10}, true, 40, 0},
        {"bottom edge of row 2 dragged down", false, {20, 58}, {20, 90}, true, 50, 0},
        {"past the top edge without hiding: 1", false, {20, 58}, {20, 5}, false, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        grid->SetColumnWidth(2, 40);
        grid->SetRowHeight(2, 20);
        grid->SetColumnHiding(c.hiding);
        grid->SetRowHiding(c.hiding);
        owner.heard.clear();
        Move(c.press);
        EXPECT_EQ(grid->GetMouseMode(), c.column ? MOUSE_OVER_COL_DIVIDE : MOUSE_OVER_ROW_DIVIDE);
        EXPECT_EQ(grid->viewport()->cursor().shape(), c.column ? Qt::SizeHorCursor : Qt::SizeVerCursor);
        const GridCellId focus = grid->GetFocusCell();
        Press(c.press);
        EXPECT_EQ(grid->GetMouseMode(), c.column ? MOUSE_SIZING_COL : MOUSE_SIZING_ROW);
        Move(c.release);
        EXPECT_EQ(grid->GetSizingLine(), c.column ? c.release.x() : c.release.y());
        Release(c.release);
        EXPECT_EQ(c.column ? grid->GetColumnWidth(2) : grid->GetRowHeight(2), c.want);
        EXPECT_EQ(owner.Count(GVN_COLUMNRESIZED), c.resized);
        EXPECT_EQ(owner.Count(GVN_CLICK), 0);
        EXPECT_EQ(grid->GetFocusCell(), focus);  // a divider press moves no focus
        EXPECT_EQ(grid->GetSizingLine(), -1);
        Move({150, 100});  // off the dividers: the arrow again
        EXPECT_EQ(grid->GetMouseMode(), MOUSE_NOTHING);
        EXPECT_EQ(grid->viewport()->cursor().shape(), Qt::ArrowCursor);
    }
}

TEST_F(MouseFixture, AHiddenColumnIsGrabbedOnlyWithHiddenGrabbing) {
    grid->SetColumnWidth(2, 0);  // column 3 now starts at x 80
    Press({81, 10});             // the left edge of column 3: the hidden column 2 before it
    Release({110, 10});
    EXPECT_EQ(grid->GetColumnWidth(2), 30);
    grid->SetColumnWidth(2, 0);
    grid->SetHiddenColumnGrab(false);
    Press({81, 10});  // passes over the hidden column to column 1
    Release({110, 10});
    EXPECT_EQ(grid->GetColumnWidth(2), 0);
    EXPECT_EQ(grid->GetColumnWidth(1), 70);
}

TEST_F(MouseFixture, ADoubleClickOnADividerAutoSizesAndOnACellEdits) {
    grid->SetItemText(3, 2, u"a much longer text");
    grid->OnLButtonDblClk({118, 10});
    EXPECT_GT(grid->GetColumnWidth(2), 7 * 18);
    EXPECT_EQ(owner.Count(GVN_COLUMNRESIZED), 1);
    grid->OnLButtonDblClk({20, 58});  // a row divider: sized, no notification
    EXPECT_NE(grid->GetRowHeight(2), 20);
    EXPECT_EQ(owner.Count(GVN_COLUMNRESIZED), 1);

    grid->SetColumnWidth(2, 40);
    grid->SetRowHeight(2, 20);
    Click({140, 70});  // (3, 3)
    grid->OnLButtonDblClk({140, 70});
    CInPlaceEdit* editor = grid->findChild<CInPlaceEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(std::pair(editor->GetRow(), editor->GetCol()), std::pair(3, 3));
    EXPECT_EQ(owner.Count(GVN_DBLCLK), 1);
}

TEST_F(MouseFixture, HeaderClicksSortTwiceReversedAndHiddenRowsStayHidden) {
    grid->SetHeaderSort(true);
    for (int r = 1; r < 30; ++r) grid->SetItemTextFmt(r, 2, u"%02d", (r * 7) % 29);
    grid->SetItemText(9, 1, u"hidden");
    grid->SetRowHeight(9, 0);
    const CString hiddenKey = grid->GetItemText(9, 2);
    Click({100, 10});
    for (int r = 2; r < 30; ++r) EXPECT_LE(grid->GetItemText(r - 1, 2), grid->GetItemText(r, 2));
    Click({100, 10});
    EXPECT_FALSE(grid->GetSortAscending());
    for (int r = 2; r < 30; ++r) EXPECT_GE(grid->GetItemText(r - 1, 2), grid->GetItemText(r, 2));
    for (int r = 1; r < 30; ++r)
        EXPECT_EQ(grid->GetRowHeight(r) == 0, grid->GetItemText(r, 1) == u"hidden") << r;
    for (int r = 1; r < 30; ++r)
        if (grid->GetItemText(r, 1) == u"hidden") {
            EXPECT_EQ(grid->GetItemText(r, 2), hiddenKey);
        }
}

TEST_F(MouseFixture, RightReleaseMovesTheFocusAndNotifies) {
    Send(QEvent::MouseButtonRelease, {140, 90}, Qt::RightButton);
    EXPECT_EQ(grid->GetFocusCell(), GridCellId(4, 3));
    ASSERT_FALSE(owner.heard.empty());
    EXPECT_EQ(std::tuple(owner.heard.back().code, owner.heard.back().row, owner.heard.back().col),
              std::tuple(int(GVN_RCLICK), 4, 3));
    Send(QEvent::MouseButtonRelease, {290, 190}, Qt::RightButton);  // beyond the cells
    EXPECT_EQ(std::tuple(owner.heard.back().code, owner.heard.back().row, owner.heard.back().col),
              std::tuple(int(GVN_RCLICK), -1, -1));
}

TEST_F(MouseFixture, AnOwnerDeletingRowsWhenTheFocusChangedGetsNoClick) {
    Press({140, 190});  // (9, 3)
    owner.onCode = [&](int code) {
        if (code == GVN_SELCHANGED) grid->DeleteNonFixedRows();
    };
    Release({140, 190});
    owner.onCode = {};
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.Count(GVN_CLICK), 0);
    EXPECT_TRUE(owner.commands.empty());
    EXPECT_EQ(grid->GetRowCount(), 1);
}

TEST_F(MouseFixture, AnOwnerDestroyingTheGridOnADoubleClickEndsIt) {
    QPointer<CGridCtrl> alive = grid;
    owner.onCode = [&](int code) {
        if (code == GVN_DBLCLK) delete grid;
    };
    Click({100, 50});
    QWidget* port = grid->viewport();
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(100, 50), QPointF(port->mapToGlobal(QPoint(100, 50))),
                    Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(port, &dbl);
    EXPECT_TRUE(alive.isNull());
    EXPECT_EQ(owner.Count(GVN_DBLCLK), 1);
}

TEST_F(MouseFixture, ScreenshotOfADividerDrag) {
    grid->SetHeaderSort(true);
    Click({100, 10});                       // sorted by column 2, arrow in its header
    Click({60, 50});                        // (2, 1)
    Click({140, 110}, Qt::ShiftModifier);   // block to (5, 3)
    Move({158, 10});
    Press({158, 10});                       // the right edge of column 3
    Move({220, 10});
    EXPECT_TRUE(SaveScreenshot(owner, "grid_divider_drag"));
    Release({220, 10});
    EXPECT_EQ(grid->GetColumnWidth(3), 100);
}

}  // namespace
