#include "platform/gui/canvas.h"

#include "platform/gui/system_metrics.h"

namespace gui {

void Canvas::FrameRect(const Rect& r, COLORREF color) {
    if (r.IsEmpty()) return;
    FillRect({r.left, r.top, r.right, r.top + 1}, color);
    FillRect({r.left, r.bottom - 1, r.right, r.bottom}, color);
    FillRect({r.left, r.top + 1, r.left + 1, r.bottom - 1}, color);
    FillRect({r.right - 1, r.top + 1, r.right, r.bottom - 1}, color);
}

void Canvas::Draw3dRect(const Rect& r, COLORREF topLeft, COLORREF bottomRight) {
    if (r.IsEmpty()) return;
    FillRect({r.left, r.top, r.right - 1, r.top + 1}, topLeft);
    FillRect({r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
    FillRect({r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    FillRect({r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

namespace {

// One band of an edge: its top-left and bottom-right colours.
struct BandColors {
    int topLeft;
    int bottomRight;
};

}  // namespace

void Canvas::DrawEdge(Rect& r, std::uint32_t edge, std::uint32_t flags) {
    // The outer band first, then the inner one a pixel further in, each on the sides asked.
    const bool flat = (flags & BF_FLAT) != 0, mono = (flags & BF_MONO) != 0;
    BandColors outer{}, inner{};
    bool hasOuter = (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) != 0;
    bool hasInner = (edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) != 0;
    if (mono) {
        outer = {COLOR_WINDOWFRAME, COLOR_WINDOWFRAME};
        inner = {COLOR_WINDOW, COLOR_WINDOW};
    } else if (flat) {
        outer = {COLOR_BTNSHADOW, COLOR_BTNSHADOW};
        inner = {COLOR_BTNFACE, COLOR_BTNFACE};
    } else {
        outer = (edge & BDR_RAISEDOUTER) ? BandColors{COLOR_3DLIGHT, COLOR_3DDKSHADOW}
                                         : BandColors{COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
        inner = (edge & BDR_RAISEDINNER) ? BandColors{COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW}
                                         : BandColors{COLOR_3DDKSHADOW, COLOR_3DLIGHT};
    }
    Rect area = r;
    auto band = [&](BandColors c) {
        if (area.IsEmpty()) return;
        COLORREF tl = GetSysColor(c.topLeft), br = GetSysColor(c.bottomRight);
        if (flags & BF_TOP) FillRect({area.left, area.top, area.right - 1, area.top + 1}, tl);
        if (flags & BF_LEFT) FillRect({area.left, area.top, area.left + 1, area.bottom - 1}, tl);
        if (flags & BF_RIGHT) FillRect({area.right - 1, area.top, area.right, area.bottom}, br);
        if (flags & BF_BOTTOM) FillRect({area.left, area.bottom - 1, area.right, area.bottom}, br);
        area.Deflate((flags & BF_LEFT) ? 1 : 0, (flags & BF_TOP) ? 1 : 0, (flags & BF_RIGHT) ? 1 : 0,
                     (flags & BF_BOTTOM) ? 1 : 0);
    };
    if (hasOuter) band(outer);
    if (hasInner) band(inner);
    if ((flags & BF_MIDDLE) && !area.IsEmpty()) FillRect(area, GetSysColor(mono ? COLOR_WINDOW : COLOR_BTNFACE));
    if (flags & BF_ADJUST) r = area;
}

void Canvas::Polyline(std::span<const Point> points) {
    if (points.size() < 2) return;
    Save();
    MoveTo(points[0]);
    for (std::size_t i = 1; i < points.size(); ++i) LineTo(points[i]);
    Restore();
}

}  // namespace gui
