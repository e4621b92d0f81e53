#include "controls/resizable_layout.h"

#include "platform/gui/qt_convert.h"

using gui::Rect;
using gui::Size;

Rect CResizableLayout::GetTotalClientRect() {
    QWidget* window = GetResizableWnd();
    return window ? Rect(0, 0, window->width(), window->height()) : Rect();
}

Rect CResizableLayout::PlaceFor(const LayoutInfo& e, Size client) {
    // Integer arithmetic, the quotient truncated toward zero.
    return Rect(client.cx * e.topLeftAnchor.cx / 100 + e.topLeftOffset.cx,
                client.cy * e.topLeftAnchor.cy / 100 + e.topLeftOffset.cy,
                client.cx * e.bottomRightAnchor.cx / 100 + e.bottomRightOffset.cx,
                client.cy * e.bottomRightAnchor.cy / 100 + e.bottomRightOffset.cy);
}

void CResizableLayout::AddAnchor(QWidget* control, Size topLeft, Size bottomRight) {
    if (!control) return;
    const Size client = GetTotalClientRect().GetSize();
    if (baseSize_.cx < 0) baseSize_ = client;
    const Rect present = gui::FromQRect(control->geometry());
    LayoutInfo entry;
    entry.control = control;
    entry.topLeftAnchor = topLeft;
    entry.bottomRightAnchor = bottomRight;
    entry.topLeftOffset = Size(present.left - baseSize_.cx * topLeft.cx / 100, present.top - baseSize_.cy * topLeft.cy / 100);
    entry.bottomRightOffset =
        Size(present.right - baseSize_.cx * bottomRight.cx / 100, present.bottom - baseSize_.cy * bottomRight.cy / 100);
    layout_.push_back(entry);
    const Rect place = PlaceFor(entry, client);
    if (place != present) control->setGeometry(gui::ToQRect(place));
}

int CResizableLayout::ArrangeLayout() {
    const Size client = GetTotalClientRect().GetSize();
    int moved = 0;
    for (const LayoutInfo& entry : layout_) {
        if (!entry.control) continue;
        const Rect place = PlaceFor(entry, client);
        if (place == gui::FromQRect(entry.control->geometry())) continue;
        entry.control->setGeometry(gui::ToQRect(place));
        ++moved;
    }
    return moved;
}
