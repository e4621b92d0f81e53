#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QTest>
#include <numeric>
#include <random>

#include "app/registry_profile.h"
#include "controls/sizing_bar/sizing_bar_sizes.h"
#include "controls/sizing_bar/sizing_control_bar_g.h"
#include "controls/tree/tree_ctrl_color_ex.h"
#include "platform/core/settings_store.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/system_metrics.h"
#include "tests/support/gui/screenshot.h"

namespace sizing_bar {
namespace {

TEST(SizingBarSizes, StoredDimensionsAreBoundedByTheMinimumAndTheScreen) {
    struct Case {
        int stored, minimum, limit, expected;
    };
    const Case cases[] = {
        {150, 33, 1024, 150}, {10, 33, 1024, 33},     {-5, 33, 1024, 33},       {-2147483647 - 1, 32, 768, 32},
        {5000, 33, 1024, 1024}, {2147483647, 32, 768, 768}, {100, 37, 20, 37},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BoundDimension(c.stored, c.minimum, c.limit), c.expected) << c.stored << " " << c.minimum;
}

TEST(SizingBarSizes, RowLengthsFillTheRowAndNeverGoBelowAMinimum) {
    struct Case {
        int rowLength;
        std::vector<RowBar> bars;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {300, {{200, 32}}, {300}},                      // a single bar takes the whole row
        {300, {{100, 32}, {100, 32}}, {100, 200}},      // space left over goes to the last bar
        {300, {{200, 32}, {200, 32}}, {200, 100}},      // space missing comes from the last bar first
        {300, {{280, 32}, {200, 32}}, {268, 32}},       // ... and then from the one before
        {50, {{200, 32}, {200, 32}}, {32, 32}},         // a row shorter than its minimums
        {0, {{-7, 32}, {10, 40}, {0, 33}}, {32, 40, 33}},
        {100, {{-50, 10}, {-50, 10}}, {10, 90}},
    };
    for (const Case& c : cases) EXPECT_EQ(FitRowLengths(c.rowLength, c.bars), c.expected) << c.rowLength;
}

TEST(SizingBarSizes, RandomRowsEndAndRespectTheMinimums) {
    std::mt19937 random(20261211);
    std::uniform_int_distribution<int> count(0, 7), wanted(-1000, 5000), minimum(0, 300), row(-100, 3000);
    for (int round = 0; round < 20000; ++round) {
        std::vector<RowBar> bars(count(random));
        for (RowBar& bar : bars) bar = {round % 97 == 0 ? 2147483647 : wanted(random), minimum(random)};
        int rowLength = row(random);
        std::vector<int> lengths = FitRowLengths(rowLength, bars);
        ASSERT_EQ(lengths.size(), bars.size());
        long long sum = 0, minimums = 0;
        for (std::size_t i = 0; i < bars.size(); ++i) {
            ASSERT_GE(lengths[i], bars[i].minimum);
            sum += lengths[i];
            minimums += bars[i].minimum;
        }
        if (!bars.empty() && minimums < rowLength) {
            ASSERT_EQ(sum, rowLength) << "round " << round;
        }
    }
}

TEST(SizingBarState, LoadKeepsMissingValuesAndRaisesSmallOnesToTheMinimum) {
    auto store = plat::SettingsStore::OpenInMemory();
    RegistryProfile profile(*store);
    QMainWindow frame;
    CSizingControlBarG bar;
    ASSERT_TRUE(bar.CreateSized(u"Log", &frame, gui::Size(180, 90), false, 59500, 0));
    EXPECT_EQ(bar.StateSection(u"BarState"), CString(u"BarState-SCBar-59500"));
    const CString section = bar.StateSection(u"BarState");
    profile.WriteProfileInt(section, u"sizeHorzCX", 10);       // below the minimum 33
    profile.WriteProfileInt(section, u"sizeHorzCY", 150);
    profile.WriteProfileInt(section, u"sizeVertCX", -40);      // negative
    profile.WriteProfileInt(section, u"sizeFloatCX", 20);      // below the minimum 37
    profile.WriteProfileInt(section, u"sizeFloatCY", 1 << 30);  // absurd
    // sizeVertCY is missing.
    bar.LoadState(profile, u"BarState");
    EXPECT_EQ(bar.GetHorzSize(), gui::Size(33, 150));
    EXPECT_EQ(bar.GetVertSize(), gui::Size(33, 90));
    EXPECT_EQ(bar.GetFloatSize(), gui::Size(37, gui::GetSystemMetrics(gui::SM_CYSCREEN)));

    bar.SetVertSize(gui::Size(140, 300));
    ASSERT_TRUE(bar.SaveState(profile, u"Other"));
    const char16_t* names[] = {u"sizeHorzCX", u"sizeHorzCY", u"sizeVertCX",
                               u"sizeVertCY", u"sizeFloatCX", u"sizeFloatCY"};
    std::vector<int> saved;
    for (const char16_t* name : names) saved.push_back(profile.GetProfileInt(u"Other-SCBar-59500", name, -1));
    EXPECT_EQ(saved, (std::vector<int>{33, 150, 140, 300, 37, gui::GetSystemMetrics(gui::SM_CYSCREEN)}));
}

// A main window with a central label and two gripper bars: "Log" at the bottom, "Project" at
// the left.
class SizingBarWindow : public testing::Test {
protected:
    void SetUp() override {
        frame.setWindowTitle("Sizing bars");
        frame.setCentralWidget(new QLabel("views"));
        frame.resize(640, 480);
        ASSERT_TRUE(log.Create(u"Log", &frame, 59422, CBRS_ALIGN_ANY | WS_VISIBLE));
        ASSERT_TRUE(project.Create(u"Project", &frame, 59423, CBRS_ALIGN_ANY | WS_VISIBLE));
        log.SetSCBStyle(SCBS_SIZECHILD);
        project.SetSCBStyle(SCBS_SIZECHILD);
        log.SetHorzSize(gui::Size(600, 110));
        project.SetVertSize(gui::Size(170, 400));
        auto* tree = new tree::CTreeCtrlColorEx;
        HTREEITEM_ root = tree->InsertItem(u"Project 1");
        tree->InsertItem(u"alpha.kem", root);
        tree->SetItemBold(tree->InsertItem(u"beta.kem", root), true);
        tree->Expand(root, tree::TVE_EXPAND);
        project.SetChild(tree);
        log.SetChild(new QLabel("12:00:01 Scan directories"));
        frame.addDockWidget(Qt::BottomDockWidgetArea, &log);
        frame.addDockWidget(Qt::LeftDockWidgetArea, &project);
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        Settle();
    }

    static void Settle() {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }

    using HTREEITEM_ = tree::HTREEITEM;
    QMainWindow frame;
    CSizingControlBarG log;
    CSizingControlBarG project;
};

TEST_F(SizingBarWindow, EachSideGetsTheThicknessOfItsStoredSize) {
    EXPECT_EQ(project.width(), 170);
    EXPECT_EQ(log.height(), 110);
    EXPECT_TRUE(project.HasGripper());
    EXPECT_FALSE(project.IsFloating());
    EXPECT_FALSE(project.IsHorzDocked());
    EXPECT_TRUE(log.IsHorzDocked());

    // Docked on another side the bar takes that side's thickness.
    project.SetHorzSize(gui::Size(300, 95));
    frame.addDockWidget(Qt::TopDockWidgetArea, &project);
    Settle();
    EXPECT_EQ(project.height(), 95);
    EXPECT_TRUE(project.IsHorzDocked());
    auto* band = qobject_cast<GripperTitleBar*>(project.titleBarWidget());
    ASSERT_NE(band, nullptr);
    EXPECT_TRUE(band->IsVerticalBand()) << "docked at the top the gripper runs down the left";

    // Shown again after being hidden it takes its size again.
    project.SetHorzSize(gui::Size(300, 70));
    project.hide();
    project.show();
    Settle();
    EXPECT_EQ(project.height(), 70);
}

TEST_F(SizingBarWindow, ASeparatorDragIsWrittenBackAndStopsAtTheMinimum) {
    QWidget* central = frame.centralWidget();
    int x = (project.geometry().right() + central->geometry().left()) / 2 + 1;
    QPoint start(x, central->geometry().center().y());
    QTest::mousePress(&frame, Qt::LeftButton, {}, start);
    QTest::mouseMove(&frame, start + QPoint(40, 0));
    Settle();  // the main window moves its separator on a timer
    QTest::mouseRelease(&frame, Qt::LeftButton, {}, start + QPoint(40, 0));
    Settle();
    EXPECT_EQ(project.width(), 210);
    EXPECT_EQ(project.GetVertSize().cx, 210);

    auto store = plat::SettingsStore::OpenInMemory();
    RegistryProfile profile(*store);
    ASSERT_TRUE(project.SaveState(profile, u"BarState"));
    EXPECT_EQ(profile.GetProfileInt(u"BarState-SCBar-59423", u"sizeVertCX", -1), 210);

    // Dragged far beyond the minimum the bar stops at it.
    start = QPoint((project.geometry().right() + central->geometry().left()) / 2 + 1, start.y());
    QTest::mousePress(&frame, Qt::LeftButton, {}, start);
    QTest::mouseMove(&frame, start - QPoint(1000, 0));
    Settle();
    QTest::mouseRelease(&frame, Qt::LeftButton, {}, start - QPoint(1000, 0));
    Settle();
    EXPECT_GE(project.width(), CSizingControlBar::kMinVert.cx);
    EXPECT_EQ(project.GetVertSize().cx, project.width());
}

TEST_F(SizingBarWindow, TwoBarsOfOneRowShareItsLengthAboveTheirMinimums) {
    CSizingControlBarG third;
    ASSERT_TRUE(third.Create(u"Third", &frame, 59424, CBRS_ALIGN_ANY | WS_VISIBLE));
    third.SetVertSize(gui::Size(170, 5000));
    frame.addDockWidget(Qt::LeftDockWidgetArea, &third);
    Settle();
    EXPECT_GE(project.height(), CSizingControlBar::kMinVert.cy);
    EXPECT_GE(third.height(), CSizingControlBar::kMinVert.cy);
    EXPECT_EQ(third.width(), project.width()) << "one row, one thickness";
}

TEST_F(SizingBarWindow, AFloatingBarHasItsFloatingSizeAndNoGripper) {
    project.SetFloatSize(gui::Size(260, 180));
    project.setFloating(true);
    Settle();
    EXPECT_TRUE(project.IsFloating());
    EXPECT_FALSE(project.HasGripper());
    EXPECT_EQ(project.titleBarWidget(), nullptr) << "the floating window's own title, no gripper or close button";
    EXPECT_EQ(project.size(), QSize(260, 180));

    project.resize(300, 200);
    EXPECT_EQ(project.GetFloatSize(), gui::Size(300, 200));
    project.setFloating(false);
    Settle();
    EXPECT_NE(qobject_cast<GripperTitleBar*>(project.titleBarWidget()), nullptr);
}

TEST_F(SizingBarWindow, TheCloseButtonShowsItsStatesAndHidesTheBar) {
    auto* band = qobject_cast<GripperTitleBar*>(log.titleBarWidget());
    ASSERT_NE(band, nullptr);
    gui::Rect button = band->CloseButtonRect();
    EXPECT_EQ(button.GetSize(), gui::Size(11, 11));
    QPoint center = gui::ToQPoint(button.CenterPoint());
    // A move without a button, delivered at once on every platform.
    QMouseEvent move(QEvent::MouseMove, center, band->mapToGlobal(center), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(band, &move);
    EXPECT_TRUE(band->IsHover());
    QTest::mousePress(band, Qt::LeftButton, {}, center);
    EXPECT_TRUE(band->IsPushed());
    EXPECT_FALSE(band->IsHover());
    // Released outside the button nothing happens.
    QTest::mouseRelease(band, Qt::LeftButton, {}, center + QPoint(40, 0));
    EXPECT_TRUE(log.isVisible());
    EXPECT_FALSE(band->IsPushed());
    QTest::mouseClick(band, Qt::LeftButton, {}, center);
    EXPECT_FALSE(log.isVisible());
}

TEST_F(SizingBarWindow, ScreenshotTwoDockedBarsWithGrippers) {
    QImage band = log.titleBarWidget()->grab().toImage();
    QColor shadow = gui::ToQColor(gui::GetSysColor(gui::COLOR_BTNSHADOW));
    QColor light = gui::ToQColor(gui::GetSysColor(gui::COLOR_BTNHIGHLIGHT));
    int shadows = 0, lights = 0;
    for (int y = 0; y < band.height(); ++y)
        for (int x = 0; x < band.width(); ++x) {
            shadows += band.pixelColor(x, y) == shadow;
            lights += band.pixelColor(x, y) == light;
        }
    EXPECT_GT(shadows, band.height()) << "two raised lines run along the gripper";
    EXPECT_GT(lights, band.height());
    EXPECT_TRUE(SaveScreenshot(frame, "sizing_bars_docked_with_grippers"));
}

}  // namespace
}  // namespace sizing_bar
