#include "platform/gui/system_metrics.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QStyle>
#include <array>

#include "platform/gui/qt_convert.h"

namespace gui {

namespace {

// Where each system colour comes from: a role of the application's palette in a group.
struct ColorSource {
    int index;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

constexpr std::array kColors{
    ColorSource{COLOR_SCROLLBAR, QPalette::Active, QPalette::Mid},
    ColorSource{COLOR_BACKGROUND, QPalette::Active, QPalette::Dark},
    ColorSource{COLOR_ACTIVECAPTION, QPalette::Active, QPalette::Highlight},
    ColorSource{COLOR_INACTIVECAPTION, QPalette::Inactive, QPalette::Mid},
    ColorSource{COLOR_MENU, QPalette::Active, QPalette::Window},
    ColorSource{COLOR_WINDOW, QPalette::Active, QPalette::Base},
    ColorSource{COLOR_WINDOWFRAME, QPalette::Active, QPalette::Shadow},
    ColorSource{COLOR_MENUTEXT, QPalette::Active, QPalette::WindowText},
    ColorSource{COLOR_WINDOWTEXT, QPalette::Active, QPalette::Text},
    ColorSource{COLOR_CAPTIONTEXT, QPalette::Active, QPalette::HighlightedText},
    ColorSource{COLOR_ACTIVEBORDER, QPalette::Active, QPalette::Button},
    ColorSource{COLOR_INACTIVEBORDER, QPalette::Inactive, QPalette::Button},
    ColorSource{COLOR_APPWORKSPACE, QPalette::Active, QPalette::Mid},
    ColorSource{COLOR_HIGHLIGHT, QPalette::Active, QPalette::Highlight},
    ColorSource{COLOR_HIGHLIGHTTEXT, QPalette::Active, QPalette::HighlightedText},
    ColorSource{COLOR_BTNFACE, QPalette::Active, QPalette::Button},
    ColorSource{COLOR_BTNSHADOW, QPalette::Active, QPalette::Dark},
    ColorSource{COLOR_GRAYTEXT, QPalette::Disabled, QPalette::Text},
    ColorSource{COLOR_BTNTEXT, QPalette::Active, QPalette::ButtonText},
    ColorSource{COLOR_INACTIVECAPTIONTEXT, QPalette::Inactive, QPalette::WindowText},
    ColorSource{COLOR_BTNHIGHLIGHT, QPalette::Active, QPalette::Light},
    ColorSource{COLOR_3DDKSHADOW, QPalette::Active, QPalette::Shadow},
    ColorSource{COLOR_3DLIGHT, QPalette::Active, QPalette::Midlight},
    ColorSource{COLOR_INFOTEXT, QPalette::Active, QPalette::ToolTipText},
    ColorSource{COLOR_INFOBK, QPalette::Active, QPalette::ToolTipBase},
    ColorSource{COLOR_HOTLIGHT, QPalette::Active, QPalette::Link},
    ColorSource{COLOR_GRADIENTACTIVECAPTION, QPalette::Active, QPalette::Highlight},
    ColorSource{COLOR_GRADIENTINACTIVECAPTION, QPalette::Inactive, QPalette::Mid},
};

QStyle* Style() { return qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::style() : nullptr; }

int StyleMetric(QStyle::PixelMetric metric, int fallback) {
    QStyle* style = Style();
    return style ? style->pixelMetric(metric) : fallback;
}

QRect ScreenRect(bool available) {
    QScreen* screen =
        qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
    if (!screen) return QRect(0, 0, 800, 600);
    return available ? screen->availableGeometry() : screen->geometry();
}

}  // namespace

COLORREF GetSysColor(int index) {
    for (const ColorSource& c : kColors) {
        if (c.index == index) {
            QPalette palette =
                qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::palette() : QPalette();
            return FromQColor(palette.color(c.group, c.role));
        }
    }
    return 0;
}

int GetSystemMetrics(int index) {
    // The table of metrics: screen sizes from the primary screen, scroll bars, caption and
    // icons from the style, borders and edges fixed at the sizes the controls draw.
    switch (index) {
        case SM_CXSCREEN:
            return ScreenRect(false).width();
        case SM_CYSCREEN:
            return ScreenRect(false).height();
        case SM_CXFULLSCREEN:
            return ScreenRect(true).width();
        case SM_CYFULLSCREEN:
            return ScreenRect(true).height() - StyleMetric(QStyle::PM_TitleBarHeight, 20);
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
        case SM_CYVSCROLL:
        case SM_CXHSCROLL:
            return StyleMetric(QStyle::PM_ScrollBarExtent, 16);
        case SM_CYCAPTION:
            return StyleMetric(QStyle::PM_TitleBarHeight, 20);
        case SM_CXSIZE:
        case SM_CYSIZE:
            return StyleMetric(QStyle::PM_TitleBarButtonSize, 16);
        case SM_CXBORDER:
        case SM_CYBORDER:
            return 1;
        case SM_CXEDGE:
        case SM_CYEDGE:
            return 2;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME:
            return 3;
        case SM_CXFRAME:
        case SM_CYFRAME:
            return 4;
        case SM_CXICON:
        case SM_CYICON:
            return StyleMetric(QStyle::PM_LargeIconSize, 32);
        case SM_CXSMICON:
        case SM_CYSMICON:
            return StyleMetric(QStyle::PM_SmallIconSize, 16);
        case SM_CXDRAG:
        case SM_CYDRAG:
            return qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::startDragDistance() : 4;
        default:
            return 0;
    }
}

bool GetNonClientMetrics(NonClientMetrics& out) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
    out.borderWidth = GetSystemMetrics(SM_CXFRAME);
    out.captionWidth = GetSystemMetrics(SM_CXSIZE);
    out.captionHeight = GetSystemMetrics(SM_CYCAPTION);
    QFont caption = QApplication::font("QMdiSubWindowTitleBar");
    caption.setBold(true);
    out.captionFont = FromQFont(caption);
    out.messageFont = FromQFont(QApplication::font("QMessageBox"));
    return true;
}

int GetWheelScrollLines() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::wheelScrollLines() : 3;
}

}  // namespace gui
