#include "platform/gui/qpainter_canvas.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <cstdlib>
#include <utility>

#include "platform/gui/qt_convert.h"
#include "platform/gui/text_layout.h"

namespace gui {

namespace {

class FontMeasure final : public TextMeasure {
public:
    FontMeasure(const QFont& font, bool externalLeading) : metrics_(font), external_(externalLeading) {}
    int Width(std::u16string_view text) const override { return metrics_.horizontalAdvance(ToQString(text)); }
    int LineHeight() const override { return metrics_.height() + (external_ ? metrics_.leading() : 0); }

private:
    QFontMetrics metrics_;
    bool external_;
};

Qt::PenStyle QtPenStyle(int style) {
    switch (style) {
        case PS_DASH:
            return Qt::DashLine;
        case PS_DOT:
            return Qt::DotLine;
        case PS_NULL:
            return Qt::NoPen;
        default:
            return Qt::SolidLine;
    }
}

}  // namespace

QPainterCanvas::QPainterCanvas(QPainter& painter) : painter_(painter) {
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    state_.qfont = QGuiApplication::font();
    state_.font = FromQFont(state_.qfont);
}

QPainterCanvas::~QPainterCanvas() {
    for (std::size_t i = 0; i < saved_.size(); ++i) painter_.restore();
    painter_.restore();
}

void QPainterCanvas::Save() {
    saved_.push_back(state_);
    painter_.save();
}

void QPainterCanvas::Restore() {
    if (saved_.empty()) return;
    state_ = std::move(saved_.back());
    saved_.pop_back();
    painter_.restore();
}

void QPainterCanvas::SetFont(const LogFont& font) {
    state_.font = font;
    state_.qfont = ToQFont(font);
}

COLORREF QPainterCanvas::SetTextColor(COLORREF color) { return std::exchange(state_.text, color); }
COLORREF QPainterCanvas::SetBkColor(COLORREF color) { return std::exchange(state_.background, color); }
int QPainterCanvas::SetBkMode(int mode) { return std::exchange(state_.bkMode, mode); }

void QPainterCanvas::SetOrigin(Point origin) {
    // The translation applies to everything, the clip region set earlier included, so the
    // clip keeps its device position as the Windows design's does.
    Point delta = origin - state_.origin;
    state_.origin = origin;
    painter_.translate(delta.x, delta.y);
}

void QPainterCanvas::IntersectClipRect(const Rect& r) {
    if (painter_.hasClipping()) {
        painter_.setClipRect(ToQRect(r), Qt::IntersectClip);
    } else {
        painter_.setClipRect(ToQRect(r), Qt::ReplaceClip);
    }
}

Rect QPainterCanvas::GetClipBox() const {
    if (painter_.hasClipping()) return FromQRect(painter_.clipBoundingRect().toAlignedRect());
    QPaintDevice* device = painter_.device();
    Rect all(0, 0, device ? device->width() : 0, device ? device->height() : 0);
    all.Offset(-state_.origin.x, -state_.origin.y);
    return all;
}

void QPainterCanvas::FillRect(const Rect& r, COLORREF color) {
    if (r.IsEmpty()) return;
    painter_.fillRect(ToQRect(r), ToQColor(color));
}

void QPainterCanvas::LineTo(Point to) {
    Point from = state_.position;
    state_.position = to;
    const Pen& pen = state_.pen;
    if (pen.style == PS_NULL || from == to) return;
    QColor color = ToQColor(pen.color);
    if (pen.width <= 1 && pen.style == PS_SOLID) {
        // One-pixel solid lines: Bresenham's points from `from` up to, not including, `to`.
        int dx = std::abs(to.x - from.x), dy = -std::abs(to.y - from.y);
        int sx = from.x < to.x ? 1 : -1, sy = from.y < to.y ? 1 : -1;
        if (dy == 0) {
            painter_.fillRect(QRect(sx > 0 ? from.x : to.x + 1, from.y, dx, 1), color);
            return;
        }
        if (dx == 0) {
            painter_.fillRect(QRect(from.x, sy > 0 ? from.y : to.y + 1, 1, -dy), color);
            return;
        }
        painter_.save();
        painter_.setPen(QPen(color, 1));
        int err = dx + dy, x = from.x, y = from.y;
        while (x != to.x || y != to.y) {
            painter_.drawPoint(x, y);
            int e2 = 2 * err;
            if (e2 >= dy) err += dy, x += sx;
            if (e2 <= dx) err += dx, y += sy;
        }
        painter_.restore();
        return;
    }
    painter_.save();
    QPen qpen(color, std::max(pen.width, 1), QtPenStyle(pen.style), Qt::FlatCap, Qt::MiterJoin);
    painter_.setPen(qpen);
    painter_.drawLine(ToQPoint(from), ToQPoint(to));
    painter_.restore();
}

void QPainterCanvas::Polygon(std::span<const Point> points) {
    if (points.size() < 2) return;
    QPolygon polygon;
    for (Point p : points) polygon << ToQPoint(p);
    painter_.save();
    if (state_.brush == CLR_NONE) {
        painter_.setBrush(Qt::NoBrush);
    } else {
        painter_.setBrush(ToQColor(state_.brush));
    }
    if (state_.pen.style == PS_NULL) {
        painter_.setPen(Qt::NoPen);
    } else {
        painter_.setPen(QPen(ToQColor(state_.pen.color), std::max(state_.pen.width, 1) == 1 ? 0 : state_.pen.width,
                             QtPenStyle(state_.pen.style)));
    }
    painter_.drawPolygon(polygon);
    painter_.restore();
}

int QPainterCanvas::DrawText(std::u16string_view text, Rect& r, std::uint32_t format) {
    FontMeasure measure(state_.qfont, (format & DT_EXTERNALLEADING) != 0);
    TextLayout layout = LayoutText(text, r, format, measure);
    if (format & DT_CALCRECT) {
        r.right = layout.bounds.right;
        r.bottom = layout.bounds.bottom;
        return layout.result;
    }
    painter_.save();
    if (!(format & DT_NOCLIP)) IntersectClipRect(r);
    painter_.setFont(state_.qfont);
    QFontMetrics metrics(state_.qfont);
    const int lineHeight = measure.LineHeight();
    for (const TextLine& line : layout.lines) {
        if (state_.bkMode == OPAQUE)
            painter_.fillRect(QRect(line.x, line.y, line.width, lineHeight), ToQColor(state_.background));
        painter_.setPen(ToQColor(state_.text));
        QString qtext = ToQString(line.text);
        painter_.drawText(QPoint(line.x, line.y + metrics.ascent()), qtext);
        if (line.accessKey >= 0) {
            // The access key's underline, one pixel below the base line.
            int x0 = line.x + metrics.horizontalAdvance(qtext.left(line.accessKey));
            int w = metrics.horizontalAdvance(qtext.mid(line.accessKey, 1));
            painter_.fillRect(QRect(x0, line.y + metrics.ascent() + 1, w, 1), ToQColor(state_.text));
        }
    }
    painter_.restore();
    return layout.result;
}

void QPainterCanvas::ExtTextOut(int x, int y, std::uint32_t options, const Rect* r, std::u16string_view text) {
    painter_.save();
    if (r && (options & ETO_OPAQUE)) FillRect(*r, state_.background);
    if (r && (options & ETO_CLIPPED)) IntersectClipRect(*r);
    painter_.setFont(state_.qfont);
    QFontMetrics metrics(state_.qfont);
    QString qtext = ToQString(text);
    painter_.translate(x, y);
    if (state_.font.escapement != 0) painter_.rotate(-state_.font.escapement / 10.0);
    if (state_.bkMode == OPAQUE && !(r && (options & ETO_OPAQUE)))
        painter_.fillRect(QRect(0, 0, metrics.horizontalAdvance(qtext), metrics.height()), ToQColor(state_.background));
    painter_.setPen(ToQColor(state_.text));
    painter_.drawText(QPoint(0, metrics.ascent()), qtext);
    painter_.restore();
}

Size QPainterCanvas::GetTextExtent(std::u16string_view text) {
    QFontMetrics metrics(state_.qfont);
    return {metrics.horizontalAdvance(ToQString(text)), metrics.height()};
}

TextMetrics QPainterCanvas::GetTextMetrics() {
    QFontMetrics metrics(state_.qfont);
    TextMetrics tm;
    tm.height = metrics.height();
    tm.ascent = metrics.ascent();
    tm.descent = metrics.descent();
    tm.internalLeading = std::max(0, metrics.height() - QFontInfo(state_.qfont).pixelSize());
    tm.externalLeading = std::max(0, metrics.leading());
    tm.aveCharWidth = metrics.averageCharWidth();
    tm.maxCharWidth = metrics.maxWidth();
    return tm;
}

void QPainterCanvas::DrawImage(const QImage& image, const Rect& source, Point dest) {
    if (source.IsEmpty()) return;
    painter_.drawImage(ToQPoint(dest), image, ToQRect(source));
}

}  // namespace gui
