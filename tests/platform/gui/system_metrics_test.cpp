// System colours come from the application's palette, metrics from its style and screen,
// fonts convert to Qt and back.
#include "platform/gui/system_metrics.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPalette>
#include <QScreen>
#include <QStyle>

#include "platform/gui/qt_convert.h"

using namespace gui;

TEST(SystemMetricsTest, ColoursFollowThePalette) {
    QPalette palette = QApplication::palette();
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), FromQColor(palette.color(QPalette::Active, QPalette::Base)));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), FromQColor(palette.color(QPalette::Active, QPalette::Highlight)));
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetSysColor(999), 0u);
    // The shades of a 3-D edge go from light to dark.
    auto grey = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); };
    EXPECT_GT(grey(GetSysColor(COLOR_BTNHIGHLIGHT)), grey(GetSysColor(COLOR_BTNFACE)));
    EXPECT_GT(grey(GetSysColor(COLOR_BTNFACE)), grey(GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_GT(grey(GetSysColor(COLOR_BTNSHADOW)), grey(GetSysColor(COLOR_3DDKSHADOW)));
}

TEST(SystemMetricsTest, MetricsFromScreenAndStyle) {
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), screen.width());
    EXPECT_EQ(GetSystemMetrics(SM_CXFULLSCREEN), QGuiApplication::primaryScreen()->availableGeometry().width());
    EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    EXPECT_EQ(GetSystemMetrics(SM_CXBORDER), 1);
    EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
    EXPECT_GT(GetSystemMetrics(SM_CXDRAG), 0);
    EXPECT_EQ(GetSystemMetrics(12345), 0);
    NonClientMetrics ncm;
    ASSERT_TRUE(GetNonClientMetrics(ncm));
    EXPECT_LT(ncm.messageFont.height, 0);
    EXPECT_EQ(ncm.captionFont.weight, FW_BOLD);
}

TEST(SystemMetricsTest, FontValuesRoundTrip) {
    LogFont lf;
    lf.height = -15;
    lf.weight = FW_BOLD;
    lf.italic = true;
    lf.faceName = u"DejaVu Sans";
    QFont f = ToQFont(lf);
    EXPECT_EQ(f.pixelSize(), 15);
    EXPECT_TRUE(f.bold());
    EXPECT_TRUE(f.italic());
    LogFont back = FromQFont(f);
    EXPECT_EQ(back.height, -15);
    EXPECT_EQ(back.weight, FW_BOLD);
    EXPECT_EQ(back.faceName, u"DejaVu Sans");
    // A positive height is the whole cell: the line is no taller than it.
    LogFont cell;
    cell.height = 20;
    EXPECT_LE(QFontMetrics(ToQFont(cell)).height(), 20);
    EXPECT_GE(QFontMetrics(ToQFont(cell)).height(), 16);
}
