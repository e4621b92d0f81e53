#pragma once
// A canvas for tests: it paints nothing and records every drawing call with the state it was
// made in, and measures text with fixed metrics (every character the same width), so a
// control's painting can be checked call by call and its text layout is the same on every
// machine. DrawText lays the text out by the same rules as the painting canvas
// (text_layout.h) and records the lines as drawn. Composite operations (FrameRect,
// Draw3dRect, DrawEdge, Polyline) are recorded as one call each.
#include <QImage>
#include <string>
#include <vector>

#include "platform/gui/canvas.h"
#include "platform/gui/text_layout.h"

namespace gui {

enum class CanvasOp {
    FillRect,
    FrameRect,
    Draw3dRect,
    DrawEdge,
    Line,
    Polyline,
    Polygon,
    DrawText,
    ExtTextOut,
    DrawImage,
    IntersectClipRect,
};

struct CanvasCall {
    CanvasOp op{};
    Rect rect;                    // the rectangle given (DrawText: before DT_CALCRECT changed it)
    std::vector<Point> points;    // Line: from and to; Polyline, Polygon: the points; ExtTextOut,
                                  // DrawImage: the reference point
    COLORREF color = 0;           // fill, frame, top-left colour
    COLORREF color2 = 0;          // Draw3dRect: bottom-right colour
    std::uint32_t flags = 0;      // DrawText format, ExtTextOut options, DrawEdge flags
    std::uint32_t edge = 0;       // DrawEdge kind
    std::u16string text;          // as given
    std::vector<TextLine> lines;  // DrawText: the lines as laid out
    Pen pen;                      // the pen of lines and polygons
    COLORREF brush = 0;
    LogFont font;  // the font of text calls
    COLORREF textColor = 0;
    COLORREF bkColor = 0;
    int bkMode = 0;
    Point origin;
    Rect clip;     // the clip box when the call was made
    QImage image;  // DrawImage: the part drawn

    // One line such as "FillRect 0,0,10,10 #0000ff" for messages of failing tests.
    std::string Describe() const;
};

class RecordingCanvas final : public Canvas {
public:
    // The area everything may be painted in (the clip box without clipping).
    explicit RecordingCanvas(Rect area = Rect(0, 0, 1000, 1000));

    // Fixed metrics: every character `charWidth` wide, a line `lineHeight` high of which
    // `ascent` above the base line. Defaults: 7, 16, 13.
    void SetMetrics(int charWidth, int lineHeight, int ascent);

    const std::vector<CanvasCall>& Calls() const { return calls_; }
    void Clear() { calls_.clear(); }
    // Every call's Describe(), one a line.
    std::string Describe() const;

    void Save() override;
    void Restore() override;
    void SetFont(const LogFont& font) override { state_.font = font; }
    LogFont GetFont() const override { return state_.font; }
    void SetPen(const Pen& pen) override { state_.pen = pen; }
    void SetBrush(COLORREF color) override { state_.brush = color; }
    COLORREF SetTextColor(COLORREF color) override;
    COLORREF SetBkColor(COLORREF color) override;
    int SetBkMode(int mode) override;
    void SetOrigin(Point origin) override;
    Point GetOrigin() const override { return state_.origin; }
    void IntersectClipRect(const Rect& r) override;
    Rect GetClipBox() const override;

    void FillRect(const Rect& r, COLORREF color) override;
    void FrameRect(const Rect& r, COLORREF color) override;
    void Draw3dRect(const Rect& r, COLORREF topLeft, COLORREF bottomRight) override;
    void DrawEdge(Rect& r, std::uint32_t edge, std::uint32_t flags) override;
    void MoveTo(Point p) override { state_.position = p; }
    void LineTo(Point p) override;
    void Polyline(std::span<const Point> points) override;
    void Polygon(std::span<const Point> points) override;
    int DrawText(std::u16string_view text, Rect& r, std::uint32_t format) override;
    void ExtTextOut(int x, int y, std::uint32_t options, const Rect* r, std::u16string_view text) override;
    Size GetTextExtent(std::u16string_view text) override;
    TextMetrics GetTextMetrics() override;
    void DrawImage(const QImage& image, const Rect& source, Point dest) override;

private:
    struct State {
        LogFont font;
        Pen pen;
        COLORREF brush = 0xFFFFFF;
        COLORREF text = 0;
        COLORREF background = 0xFFFFFF;
        int bkMode = OPAQUE;
        Point origin;
        Point position;
        Rect clip;  // in device units
    };
    CanvasCall& Record(CanvasOp op);

    int charWidth_ = 7;
    int lineHeight_ = 16;
    int ascent_ = 13;
    State state_;
    std::vector<State> saved_;
    std::vector<CanvasCall> calls_;
};

}  // namespace gui
