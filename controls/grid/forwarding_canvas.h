#pragma once
// A canvas that hands every call to another one (Target), for canvases that own or switch
// what they draw on: the measuring canvas and CMemDC. Composite calls (FrameRect, Draw3dRect,
// DrawEdge, Polyline) are forwarded whole, so a recording target still sees them as one call.
#include "platform/gui/canvas.h"

class ForwardingCanvas : public gui::Canvas {
public:
    void Save() override { Target().Save(); }
    void Restore() override { Target().Restore(); }
    void SetFont(const gui::LogFont& font) override { Target().SetFont(font); }
    gui::LogFont GetFont() const override { return Target().GetFont(); }
    void SetPen(const gui::Pen& pen) override { Target().SetPen(pen); }
    void SetBrush(gui::COLORREF color) override { Target().SetBrush(color); }
    gui::COLORREF SetTextColor(gui::COLORREF color) override { return Target().SetTextColor(color); }
    gui::COLORREF SetBkColor(gui::COLORREF color) override { return Target().SetBkColor(color); }
    int SetBkMode(int mode) override { return Target().SetBkMode(mode); }
    void SetOrigin(gui::Point origin) override { Target().SetOrigin(origin); }
    gui::Point GetOrigin() const override { return Target().GetOrigin(); }
    void IntersectClipRect(const gui::Rect& r) override { Target().IntersectClipRect(r); }
    gui::Rect GetClipBox() const override { return Target().GetClipBox(); }
    void FillRect(const gui::Rect& r, gui::COLORREF color) override { Target().FillRect(r, color); }
    void FrameRect(const gui::Rect& r, gui::COLORREF color) override { Target().FrameRect(r, color); }
    void Draw3dRect(const gui::Rect& r, gui::COLORREF topLeft, gui::COLORREF bottomRight) override {
        Target().Draw3dRect(r, topLeft, bottomRight);
    }
    void DrawEdge(gui::Rect& r, std::uint32_t edge, std::uint32_t flags) override { Target().DrawEdge(r, edge, flags); }
    void MoveTo(gui::Point p) override { Target().MoveTo(p); }
    void LineTo(gui::Point p) override { Target().LineTo(p); }
    void Polyline(std::span<const gui::Point> points) override { Target().Polyline(points); }
    void Polygon(std::span<const gui::Point> points) override { Target().Polygon(points); }
    int DrawText(std::u16string_view text, gui::Rect& r, std::uint32_t format) override {
        return Target().DrawText(text, r, format);
    }
    void ExtTextOut(int x, int y, std::uint32_t options, const gui::Rect* r, std::u16string_view text) override {
        Target().ExtTextOut(x, y, options, r, text);
    }
    gui::Size GetTextExtent(std::u16string_view text) override { return Target().GetTextExtent(text); }
    gui::TextMetrics GetTextMetrics() override { return Target().GetTextMetrics(); }
    void DrawImage(const QImage& image, const gui::Rect& source, gui::Point dest) override {
        Target().DrawImage(image, source, dest);
    }

protected:
    virtual gui::Canvas& Target() = 0;
    const gui::Canvas& Target() const { return const_cast<ForwardingCanvas*>(this)->Target(); }
};
