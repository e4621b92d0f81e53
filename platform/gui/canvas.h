#pragma once
// The drawing surface the controls paint on, with the operations and rules of the Windows
// drawing calls they were designed for:
// - rectangles cover left <= x < right, top <= y < bottom (geometry.h);
// - a line from A to B leaves out B, so a polyline does not paint a corner twice;
// - text is laid out by the DrawText formats (draw_flags.h): alignment, single line with
//   vertical placement, word breaks, '&' prefixes, end and path ellipsis, DT_CALCRECT;
// - ExtTextOut writes at a reference point (the top-left of the text) and turns the text by the
//   font's escapement (900 = upward);
// - state (font, pen, brush, text and background colours and mode, origin, clipping, the
//   current position) is kept until changed and saved and restored as a whole.
// Colours are plain COLORREF values: CLR_DEFAULT and CLR_NONE are resolved by the caller
// (a brush of CLR_NONE is hollow).
//
// Implementations: QPainterCanvas (qpainter_canvas.h) paints, RecordingCanvas
// (testing/recording_canvas.h) records each call for tests. The composite operations
// (FrameRect, Draw3dRect, DrawEdge) have one implementation here over FillRect; a recording
// canvas keeps them as one call each. A canvas belongs to the thread that paints.
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/gui/color.h"
#include "platform/gui/draw_flags.h"
#include "platform/gui/geometry.h"
#include "platform/gui/log_font.h"

class QImage;

namespace gui {

struct Pen {
    int style = PS_SOLID;
    int width = 1;  // 0 and 1 both paint one pixel
    COLORREF color = 0;
    bool operator==(const Pen&) const = default;
};

struct TextMetrics {
    int height = 0;  // ascent + descent
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
    int overhang = 0;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    // State. Defaults: the program's font, a black one-pixel solid pen, a white brush, black
    // text on a white, opaque background, origin (0, 0), no clipping.
    virtual void Save() = 0;
    // Restores the state of the matching Save; without one it does nothing.
    virtual void Restore() = 0;
    virtual void SetFont(const LogFont& font) = 0;
    virtual LogFont GetFont() const = 0;
    virtual void SetPen(const Pen& pen) = 0;
    virtual void SetBrush(COLORREF color) = 0;
    virtual COLORREF SetTextColor(COLORREF color) = 0;  // returns the previous colour
    virtual COLORREF SetBkColor(COLORREF color) = 0;    // returns the previous colour
    virtual int SetBkMode(int mode) = 0;                // TRANSPARENT or OPAQUE; returns the previous mode
    // Logical (0, 0) lands at this device point; everything below is in logical units.
    virtual void SetOrigin(Point origin) = 0;
    virtual Point GetOrigin() const = 0;

    // Clipping: the clip area becomes its intersection with the rectangle.
    virtual void IntersectClipRect(const Rect& r) = 0;
    // The smallest rectangle around what may still be painted.
    virtual Rect GetClipBox() const = 0;

    // Filling and frames.
    virtual void FillRect(const Rect& r, COLORREF color) = 0;
    // A one-pixel border just inside the rectangle.
    virtual void FrameRect(const Rect& r, COLORREF color);
    // One-pixel lines: top and left in topLeft, right and bottom in bottomRight; the top-right
    // and bottom-left corner pixels belong to the bottom-right colour.
    virtual void Draw3dRect(const Rect& r, COLORREF topLeft, COLORREF bottomRight);
    // The 3-D edges of the BDR_/EDGE_ kinds on the BF_ sides, in the system colours; with
    // BF_ADJUST the rectangle shrinks by the edges drawn, with BF_MIDDLE the inside is filled.
    virtual void DrawEdge(Rect& r, std::uint32_t edge, std::uint32_t flags);

    // Lines in the current pen.
    virtual void MoveTo(Point p) = 0;
    // A line from the current position to p without p itself; p becomes the current position.
    virtual void LineTo(Point p) = 0;
    // Joined lines through the points (the last point left out); the current position stays.
    virtual void Polyline(std::span<const Point> points);
    // The closed outline in the pen, the inside filled with the brush.
    virtual void Polygon(std::span<const Point> points) = 0;

    // Text. DrawText returns the height of the text (with DT_VCENTER or DT_BOTTOM the offset
    // from r.top to the bottom of the text) and, with DT_CALCRECT, sets r.right and r.bottom
    // to the text's extent and paints nothing.
    virtual int DrawText(std::u16string_view text, Rect& r, std::uint32_t format) = 0;
    // No prefix handling; ETO_OPAQUE fills *r with the background colour, ETO_CLIPPED clips to *r.
    virtual void ExtTextOut(int x, int y, std::uint32_t options, const Rect* r, std::u16string_view text) = 0;
    void TextOut(int x, int y, std::u16string_view text) { ExtTextOut(x, y, 0, nullptr, text); }
    // Width and line height of the text in the current font (one line; no prefix handling).
    virtual Size GetTextExtent(std::u16string_view text) = 0;
    virtual TextMetrics GetTextMetrics() = 0;

    // The part `source` of the image (alpha respected) with its top-left at `dest`.
    virtual void DrawImage(const QImage& image, const Rect& source, Point dest) = 0;
};

}  // namespace gui
