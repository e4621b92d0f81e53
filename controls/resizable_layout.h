#pragma once
// Anchors of the controls of a resizable window: each control keeps its corners at fixed
// percentages of the client size plus fixed offsets, so that a control anchored (0,0)-(100,100)
// keeps its margins to all four sides and one anchored (100,100)-(100,100) keeps its size and
// its distance to the lower-right corner.
//
// The offsets of a control are taken against the client size its present place was made for:
// the window's size when its controls were made (SetLayoutBaseSize), or the client size at
// the control's first anchor when none was set. AddAnchor arranges the control for the present
// size at once, so a window that is resized before its controls are anchored (a restored
// placement) lays them out exactly as one resized afterwards.
//
// User-interface thread only.
#include <QPointer>
#include <QWidget>
#include <vector>

#include "platform/gui/geometry.h"

// One anchored control.
struct LayoutInfo {
    QPointer<QWidget> control;
    gui::Size topLeftAnchor;  // percent (0..100) of the client width and height
    gui::Size topLeftOffset;  // pixels
    gui::Size bottomRightAnchor;
    gui::Size bottomRightOffset;
};

class CResizableLayout {
public:
    virtual ~CResizableLayout() = default;

    // Anchors a control (a child of the resizable window): the anchors are percentages of the
    // client size (0,0 top-left; 100,100 bottom-right; 50,0 top-centre).
    void AddAnchor(QWidget* control, gui::Size topLeft, gui::Size bottomRight);
    // Puts every anchored control where its anchors say for the present client size; controls
    // already there are left alone. Returns how many were moved or sized.
    int ArrangeLayout();
    // The client size the controls' present places were made for (see above).
    void SetLayoutBaseSize(gui::Size size) { baseSize_ = size; }
    void RemoveAllAnchors() { layout_.clear(); }
    const std::vector<LayoutInfo>& Layout() const { return layout_; }

protected:
    // The client rectangle of the laid-out window.
    virtual gui::Rect GetTotalClientRect();
    virtual QWidget* GetResizableWnd() = 0;

private:
    // Where the entry puts its control in a client area of this size.
    static gui::Rect PlaceFor(const LayoutInfo& entry, gui::Size client);

    std::vector<LayoutInfo> layout_;
    gui::Size baseSize_{-1, -1};  // -1: not known yet
};
