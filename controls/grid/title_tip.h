#pragma once
// CTitleTip: a frameless pop-up that shows the whole text of a cell whose text is cut off. It
// never takes the focus; while shown it holds the mouse, hides when the mouse leaves the hover
// area, and passes clicks, double clicks and keys on to the window under the pointer (the
// grid when the pointer is over the tip), so a click on the tip is a click on the cell.
// User-interface thread only.
#include <QElapsedTimer>
#include <QWidget>

#include "platform/core/cstring.h"
#include "platform/gui/color.h"
#include "platform/gui/geometry.h"
#include "platform/gui/log_font.h"

class CTitleTip : public QWidget {
    Q_OBJECT

public:
    CTitleTip();
    ~CTitleTip() override;

    // Makes the tip the pop-up of `parent` (the grid); true when it exists already.
    bool Create(QWidget* parent);
    // Shows the text over the title rectangle (parent client coordinates) when it does not fit
    // there; stays while the mouse is in the hover rectangle (the title rectangle when null).
    // Null font: the parent's. CLR_DEFAULT colours: the system's tip colours.
    void Show(gui::Rect titleRect, const CString& text, int xOffset = 0, const gui::Rect* hoverRect = nullptr,
              const gui::LogFont* font = nullptr, gui::COLORREF textColour = gui::CLR_DEFAULT,
              gui::COLORREF backColour = gui::CLR_DEFAULT);
    // Releases the mouse and hides.
    void Hide();
    bool IsCreated() const { return created_; }
    const CString& GetText() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The widget under a global point, the tip itself counting as its parent.
    QWidget* TargetAt(QPoint global) const;
    void PassPress(QMouseEvent* event, bool doubleClick);

    QWidget* parent_ = nullptr;
    gui::Rect textRect_;   // where the text lies, in tip coordinates
    gui::Rect hoverRect_;  // where the tip stays, in tip coordinates
    QElapsedTimer lastClick_;
    int doubleClickTime_ = 400;
    bool created_ = false;
    CString text_;
    gui::LogFont font_;
    bool ownFont_ = false;
    gui::COLORREF textColour_ = gui::CLR_DEFAULT;
    gui::COLORREF backColour_ = gui::CLR_DEFAULT;
};
