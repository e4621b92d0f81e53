#include "platform/gui/testing/recording_canvas.h"

#include <cstdio>
#include <utility>

#include "platform/core/cstring.h"

namespace gui {

namespace {

class FixedMeasure final : public TextMeasure {
public:
    FixedMeasure(int charWidth, int lineHeight) : charWidth_(charWidth), lineHeight_(lineHeight) {}
    int Width(std::u16string_view text) const override { return charWidth_ * static_cast<int>(text.size()); }
    int LineHeight() const override { return lineHeight_; }

private:
    int charWidth_, lineHeight_;
};

const char* OpName(CanvasOp op) {
    switch (op) {
        case CanvasOp::FillRect:
            return "FillRect";
        case CanvasOp::FrameRect:
            return "FrameRect";
        case CanvasOp::Draw3dRect:
            return "Draw3dRect";
        case CanvasOp::DrawEdge:
            return "DrawEdge";
        case CanvasOp::Line:
            return "Line";
        case CanvasOp::Polyline:
            return "Polyline";
        case CanvasOp::Polygon:
            return "Polygon";
        case CanvasOp::DrawText:
            return "DrawText";
        case CanvasOp::ExtTextOut:
            return "ExtTextOut";
        case CanvasOp::DrawImage:
            return "DrawImage";
        case CanvasOp::IntersectClipRect:
            return "IntersectClipRect";
    }
    return "?";
}

std::string Hex(COLORREF c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%06x", static_cast<unsigned>(c & 0xFFFFFFu));
    return buf;
}

std::string RectText(const Rect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

}  // namespace

std::string CanvasCall::Describe() const {
    std::string s = OpName(op);
    switch (op) {
        case CanvasOp::FillRect:
        case CanvasOp::FrameRect:
            s += " " + RectText(rect) + " " + Hex(color);
            break;
        case CanvasOp::Draw3dRect:
            s += " " + RectText(rect) + " " + Hex(color) + " " + Hex(color2);
            break;
        case CanvasOp::DrawEdge:
            s += " " + RectText(rect) + " edge=" + std::to_string(edge) + " flags=" + std::to_string(flags);
            break;
        case CanvasOp::IntersectClipRect:
            s += " " + RectText(rect);
            break;
        case CanvasOp::DrawText:
        case CanvasOp::ExtTextOut:
            s += " \"" + CString(text).ToUtf8() + "\" " + RectText(rect) + " flags=" + std::to_string(flags);
            break;
        default:
            for (const Point& p : points) s += " " + std::to_string(p.x) + "," + std::to_string(p.y);
            if (op != CanvasOp::DrawImage) s += " " + Hex(pen.color);
            break;
    }
    return s;
}

RecordingCanvas::RecordingCanvas(Rect area) { state_.clip = area; }

void RecordingCanvas::SetMetrics(int charWidth, int lineHeight, int ascent) {
    charWidth_ = charWidth;
    lineHeight_ = lineHeight;
    ascent_ = ascent;
}

std::string RecordingCanvas::Describe() const {
    std::string s;
    for (const CanvasCall& c : calls_) s += c.Describe() + "\n";
    return s;
}

void RecordingCanvas::Save() { saved_.push_back(state_); }

void RecordingCanvas::Restore() {
    if (saved_.empty()) return;
    state_ = saved_.back();
    saved_.pop_back();
}

COLORREF RecordingCanvas::SetTextColor(COLORREF color) { return std::exchange(state_.text, color); }
COLORREF RecordingCanvas::SetBkColor(COLORREF color) { return std::exchange(state_.background, color); }
int RecordingCanvas::SetBkMode(int mode) { return std::exchange(state_.bkMode, mode); }
void RecordingCanvas::SetOrigin(Point origin) { state_.origin = origin; }

void RecordingCanvas::IntersectClipRect(const Rect& r) {
    Record(CanvasOp::IntersectClipRect).rect = r;
    Rect device = r;
    device.Offset(state_.origin);
    state_.clip = Intersect(state_.clip, device);
}

Rect RecordingCanvas::GetClipBox() const {
    Rect r = state_.clip;
    r.Offset(-state_.origin.x, -state_.origin.y);
    return r;
}

CanvasCall& RecordingCanvas::Record(CanvasOp op) {
    CanvasCall call;
    call.op = op;
    call.pen = state_.pen;
    call.brush = state_.brush;
    call.font = state_.font;
    call.textColor = state_.text;
    call.bkColor = state_.background;
    call.bkMode = state_.bkMode;
    call.origin = state_.origin;
    call.clip = GetClipBox();
    calls_.push_back(std::move(call));
    return calls_.back();
}

void RecordingCanvas::FillRect(const Rect& r, COLORREF color) {
    CanvasCall& c = Record(CanvasOp::FillRect);
    c.rect = r;
    c.color = color;
}

void RecordingCanvas::FrameRect(const Rect& r, COLORREF color) {
    CanvasCall& c = Record(CanvasOp::FrameRect);
    c.rect = r;
    c.color = color;
}

void RecordingCanvas::Draw3dRect(const Rect& r, COLORREF topLeft, COLORREF bottomRight) {
    CanvasCall& c = Record(CanvasOp::Draw3dRect);
    c.rect = r;
    c.color = topLeft;
    c.color2 = bottomRight;
}

void RecordingCanvas::DrawEdge(Rect& r, std::uint32_t edge, std::uint32_t flags) {
    CanvasCall& c = Record(CanvasOp::DrawEdge);
    c.rect = r;
    c.edge = edge;
    c.flags = flags;
    if (flags & BF_ADJUST) {
        // The same shrinking as the painting canvas: one pixel per band on each side drawn.
        int bands = ((edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) ? 1 : 0) +
                    ((edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) ? 1 : 0);
        r.Deflate((flags & BF_LEFT) ? bands : 0, (flags & BF_TOP) ? bands : 0, (flags & BF_RIGHT) ? bands : 0,
                  (flags & BF_BOTTOM) ? bands : 0);
    }
}

void RecordingCanvas::LineTo(Point p) {
    CanvasCall& c = Record(CanvasOp::Line);
    c.points = {state_.position, p};
    state_.position = p;
}

void RecordingCanvas::Polyline(std::span<const Point> points) {
    Record(CanvasOp::Polyline).points.assign(points.begin(), points.end());
}

void RecordingCanvas::Polygon(std::span<const Point> points) {
    Record(CanvasOp::Polygon).points.assign(points.begin(), points.end());
}

int RecordingCanvas::DrawText(std::u16string_view text, Rect& r, std::uint32_t format) {
    FixedMeasure measure(charWidth_, lineHeight_);
    TextLayout layout = LayoutText(text, r, format, measure);
    CanvasCall& c = Record(CanvasOp::DrawText);
    c.text = std::u16string(text);
    c.rect = r;
    c.flags = format;
    c.lines = layout.lines;
    if (format & DT_CALCRECT) {
        r.right = layout.bounds.right;
        r.bottom = layout.bounds.bottom;
    }
    return layout.result;
}

void RecordingCanvas::ExtTextOut(int x, int y, std::uint32_t options, const Rect* r, std::u16string_view text) {
    CanvasCall& c = Record(CanvasOp::ExtTextOut);
    c.points = {Point(x, y)};
    c.flags = options;
    if (r) c.rect = *r;
    c.text = std::u16string(text);
}

Size RecordingCanvas::GetTextExtent(std::u16string_view text) {
    return {charWidth_ * static_cast<int>(text.size()), lineHeight_};
}

TextMetrics RecordingCanvas::GetTextMetrics() {
    TextMetrics tm;
    tm.height = lineHeight_;
    tm.ascent = ascent_;
    tm.descent = lineHeight_ - ascent_;
    tm.aveCharWidth = charWidth_;
    tm.maxCharWidth = charWidth_;
    return tm;
}

void RecordingCanvas::DrawImage(const QImage& image, const Rect& source, Point dest) {
    CanvasCall& c = Record(CanvasOp::DrawImage);
    c.rect = source;
    c.points = {dest};
    c.image = image.copy(source.left, source.top, source.Width(), source.Height());
}

}  // namespace gui
