#include "controls/grid/title_tip.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include "controls/grid/grid_ctrl.h"
#include "tests/controls/grid/grid_test_support.h"
#include "tests/support/gui/screenshot.h"

namespace {

// Records the mouse presses that reach a widget, in its coordinates.
struct PressRecorder : QObject {
    struct Press {
        QEvent::Type type;
        QPoint at;
    };
    std::vector<Press> presses;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            presses.push_back({event->type(), static_cast<QMouseEvent*>(event)->position().toPoint()});
        return false;
    }
};

struct TipFixture : testing::Test {
    RecordingOwner owner;
    CGridCtrl* grid = new CGridCtrl(5, 4, 1, 1, &owner);
    PressRecorder recorder;
    gui::Rect cell;  // the rectangle of cell (2, 2), right and bottom outside

    void SetUp() override {
        owner.setWindowTitle("Title tip");
        owner.resize(480, 160);
        grid->setGeometry(0, 0, 480, 160);
        for (int r = 1; r < 5; ++r)
            for (int c = 1; c < 4; ++c) grid->SetItemText(r, c, u"short");
        grid->SetItemText(2, 2, u"a text far too long for its cell");
        owner.show();
        owner.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));
        gui::Rect inclusive;
        ASSERT_TRUE(grid->GetCellRect(2, 2, &inclusive));
        cell = gui::Rect(inclusive.left, inclusive.top, inclusive.right + 1, inclusive.bottom + 1);
        grid->viewport()->installEventFilter(&recorder);
    }
    CTitleTip& Tip() { return grid->GetTitleTip(); }
    void ShowTip(int row, int col) {
        gui::Rect r;
        ASSERT_TRUE(grid->GetCellRect(row, col, &r));
        Tip().Show(gui::Rect(r.left, r.top, r.right + 1, r.bottom + 1), CString(grid->GetItemText(row, col)));
    }
    // A mouse event at a point of the tip, as the tip's own input.
    void SendToTip(QEvent::Type type, QPoint at) {
        const QPoint global = Tip().mapToGlobal(at);
        QMouseEvent event(type, at, global, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Tip(), &event);
        QApplication::processEvents();
    }
};

TEST_F(TipFixture, ShownOnlyForTextThatDoesNotFit) {
    ShowTip(2, 1);
    EXPECT_FALSE(Tip().isVisible());
    ShowTip(2, 2);
    ASSERT_TRUE(Tip().isVisible());
    EXPECT_EQ(Tip().GetText(), u" a text far too long for its cell ");
    const QPoint corner = grid->viewport()->mapToGlobal(QPoint(cell.left, cell.top));
    EXPECT_EQ(Tip().geometry().topLeft(), corner);
    EXPECT_EQ(Tip().height(), cell.Height());
    EXPECT_GT(Tip().width(), cell.Width());
    EXPECT_FALSE(Tip().hasFocus());
    EXPECT_EQ(QApplication::focusWidget(), grid);

    // The picture: the grid with the tip where it lies over the cell.
    QImage picture = owner.grab().toImage();
    QPainter painter(&picture);
    painter.drawImage(owner.mapFromGlobal(Tip().mapToGlobal(QPoint(0, 0))), Tip().grab().toImage());
    painter.end();
    EXPECT_TRUE(SaveScreenshot(picture, "grid_title_tip"));
    Tip().Hide();
    EXPECT_FALSE(Tip().isVisible());
}

TEST_F(TipFixture, LeavingTheCellHidesTheTip) {
    ShowTip(2, 2);
    ASSERT_TRUE(Tip().isVisible());
    SendToTip(QEvent::MouseMove, QPoint(5, cell.Height() / 2));  // still over the cell
    EXPECT_TRUE(Tip().isVisible());
    SendToTip(QEvent::MouseMove, QPoint(cell.Width() + 20, cell.Height() / 2));
    EXPECT_FALSE(Tip().isVisible());
}

TEST_F(TipFixture, ClickAndDoubleClickOnTheTipReachTheCell) {
    ShowTip(2, 2);
    ASSERT_TRUE(Tip().isVisible());
    SendToTip(QEvent::MouseButtonPress, QPoint(10, 5));
    EXPECT_FALSE(Tip().isVisible());
    ASSERT_EQ(recorder.presses.size(), 1u);
    EXPECT_EQ(recorder.presses[0].type, QEvent::MouseButtonPress);
    const QPoint at = recorder.presses[0].at;
    EXPECT_EQ(grid->GetCellFromPt(gui::Point(at.x(), at.y())), GridCellId(2, 2));

    // A second press within the double-click time reaches it as a double click.
    ShowTip(2, 2);
    SendToTip(QEvent::MouseButtonPress, QPoint(10, 5));
    ASSERT_EQ(recorder.presses.size(), 2u);
    EXPECT_EQ(recorder.presses[1].type, QEvent::MouseButtonDblClick);
    const QPoint again = recorder.presses[1].at;
    EXPECT_EQ(grid->GetCellFromPt(gui::Point(again.x(), again.y())), GridCellId(2, 2));
}

TEST_F(TipFixture, KeysGoOnToTheGrid) {
    struct KeyRecorder : QObject {
        int keys = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::KeyPress) ++keys;
            return false;
        }
    } keys;
    grid->installEventFilter(&keys);
    ShowTip(2, 2);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&Tip(), &key);
    QApplication::processEvents();
    EXPECT_FALSE(Tip().isVisible());
    EXPECT_EQ(keys.keys, 1);
    grid->removeEventFilter(&keys);
}

TEST_F(TipFixture, EmptyTitleRectangleShowsNothing) {
    Tip().Show(gui::Rect(10, 10, 10, 30), CString(u"a text far too long for its cell"));
    EXPECT_FALSE(Tip().isVisible());
}

}  // namespace
