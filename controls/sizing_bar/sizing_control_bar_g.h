#pragma once
// CSizingControlBarG: a sizing control bar (sizing_control_bar.h) whose docked title bar is a
// gripper: a band 12 pixels wide (at the left when docked at top or bottom, at the top when
// docked left or right) with two raised lines along it and an 11 x 11 close button at its
// start (top or right end); the button shows pushed while pressed and raised while the mouse
// is over it, and a click hides the bar. Pressing elsewhere on the gripper moves the bar and a
// double click floats it, as QDockWidget does with its title. A floating bar shows neither
// (the floating window has its own title). User-interface thread only.
#include <QWidget>

#include "controls/sizing_bar/sizing_control_bar.h"

namespace sizing_bar {

class CSizingControlBarG : public CSizingControlBar {
    Q_OBJECT

public:
    static constexpr int kGripperSize = 12;
    static constexpr int kCloseButtonSize = 11;

    bool HasGripper() const override { return !IsFloating(); }

protected:
    QWidget* MakeTitleBar() override;
};

// The gripper band (public for tests and for painting checks).
class GripperTitleBar final : public QWidget {
    Q_OBJECT

public:
    GripperTitleBar(CSizingControlBarG& bar, bool vertical);

    bool IsVerticalBand() const { return vertical_; }
    // In the band's coordinates.
    gui::Rect CloseButtonRect() const;
    bool IsPushed() const { return pushed_; }
    bool IsHover() const { return hover_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void SetStates(bool pushed, bool hover);

    CSizingControlBarG& bar_;
    bool vertical_;
    bool pushed_ = false;
    bool hover_ = false;
    bool pressedOnButton_ = false;
};

}  // namespace sizing_bar
