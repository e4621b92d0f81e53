#include "controls/sizing_bar/sizing_control_bar_g.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/gui/qpainter_canvas.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/system_metrics.h"

namespace sizing_bar {

QWidget* CSizingControlBarG::MakeTitleBar() { return new GripperTitleBar(*this, IsHorzDocked()); }

GripperTitleBar::GripperTitleBar(CSizingControlBarG& bar, bool vertical) : bar_(bar), vertical_(vertical) {
    setMouseTracking(true);
}

QSize GripperTitleBar::sizeHint() const {
    // QDockWidget takes the width of a vertical title bar and the height of a horizontal one.
    return {CSizingControlBarG::kGripperSize, CSizingControlBarG::kGripperSize};
}

gui::Rect GripperTitleBar::CloseButtonRect() const {
    constexpr int size = CSizingControlBarG::kCloseButtonSize;
    // Vertical band (docked at top or bottom): the button at its top; horizontal band: at its
    // right end.
    if (vertical_) return gui::Rect(gui::Point(0, 1), gui::Size(size, size));
    return gui::Rect(gui::Point(width() - size - 1, 0), gui::Size(size, size));
}

void GripperTitleBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    gui::QPainterCanvas canvas(painter);
    const gui::COLORREF face = gui::GetSysColor(gui::COLOR_BTNFACE);
    const gui::COLORREF light = gui::GetSysColor(gui::COLOR_BTNHIGHLIGHT);
    const gui::COLORREF shadow = gui::GetSysColor(gui::COLOR_BTNSHADOW);
    gui::Rect client(0, 0, width(), height());
    canvas.FillRect(client, face);
    client.Deflate(1, 1);
    gui::Rect button = CloseButtonRect();

    // Two raised lines, 3 pixels thick and 3 apart, from 3 pixels after the button to the end.
    constexpr int thickness = 3, gap = 3;
    for (int i = 0; i < 2; ++i) {
        int at = 1 + i * (thickness + gap);
        gui::Rect line = vertical_ ? gui::Rect(at, button.bottom + 3, at + thickness, client.bottom)
                                   : gui::Rect(client.left, at, button.left - 3, at + thickness);
        if (!line.IsEmpty()) canvas.Draw3dRect(line, light, shadow);
    }

    if (pushed_) {
        canvas.Draw3dRect(button, shadow, light);
    } else if (hover_) {
        canvas.Draw3dRect(button, light, shadow);
    }
    // The close glyph: a cross of two 2-pixel diagonals, 7 x 7, at the button's origin + (2, 2).
    const gui::COLORREF ink = gui::GetSysColor(gui::COLOR_BTNTEXT);
    gui::Point origin = button.TopLeft() + gui::Point(2, 2);
    if (pushed_) origin = origin + gui::Point(1, 1);
    for (int i = 0; i < 7; ++i) {
        canvas.FillRect(gui::Rect(origin.x + i, origin.y + i, origin.x + std::min(i + 2, 7), origin.y + i + 1), ink);
        canvas.FillRect(gui::Rect(origin.x + std::max(5 - i, 0), origin.y + i, origin.x + 7 - i, origin.y + i + 1), ink);
    }
}

void GripperTitleBar::SetStates(bool pushed, bool hover) {
    if (pushed == pushed_ && hover == hover_) return;
    pushed_ = pushed;
    hover_ = hover;
    update();
}

void GripperTitleBar::mousePressEvent(QMouseEvent* event) {
    bool onButton = CloseButtonRect().Contains(gui::FromQPoint(event->position().toPoint()));
    if (event->button() == Qt::LeftButton && onButton) {
        pressedOnButton_ = true;
        SetStates(true, false);
        event->accept();
        return;
    }
    // Elsewhere the dock widget moves or floats the bar.
    event->ignore();
}

void GripperTitleBar::mouseMoveEvent(QMouseEvent* event) {
    bool onButton = CloseButtonRect().Contains(gui::FromQPoint(event->position().toPoint()));
    bool down = (event->buttons() & Qt::LeftButton) != 0;
    SetStates(onButton && down && pressedOnButton_, onButton && !down);
    if (pressedOnButton_) {
        event->accept();
    } else {
        event->ignore();
    }
}

void GripperTitleBar::mouseReleaseEvent(QMouseEvent* event) {
    bool onButton = CloseButtonRect().Contains(gui::FromQPoint(event->position().toPoint()));
    bool wasPressed = pressedOnButton_;
    pressedOnButton_ = false;
    SetStates(false, onButton);
    if (!wasPressed) {
        event->ignore();
        return;
    }
    event->accept();
    if (onButton && event->button() == Qt::LeftButton) bar_.hide();
}

void GripperTitleBar::mouseDoubleClickEvent(QMouseEvent* event) {
    if (CloseButtonRect().Contains(gui::FromQPoint(event->position().toPoint()))) {
        event->accept();
        return;
    }
    event->ignore();
}

void GripperTitleBar::leaveEvent(QEvent*) { SetStates(false, false); }

}  // namespace sizing_bar
