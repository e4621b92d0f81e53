#pragma once
// The canvas that paints through a QPainter (a widget's paint event, an image, a printer).
// The painter is not owned and must outlive the canvas; antialiasing is switched off so that
// pixels land where the Windows drawing rules put them. The canvas leaves the painter's own
// state as it found it when it goes (every Save it made is restored).
#include <QFont>
#include <vector>

#include "platform/gui/canvas.h"

class QPainter;

namespace gui {

class QPainterCanvas final : public Canvas {
public:
    explicit QPainterCanvas(QPainter& painter);
    ~QPainterCanvas() override;
    QPainterCanvas(const QPainterCanvas&) = delete;
    QPainterCanvas& operator=(const QPainterCanvas&) = delete;

    void Save() override;
    void Restore() override;
    void SetFont(const LogFont& font) override;
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
    void MoveTo(Point p) override { state_.position = p; }
    void LineTo(Point p) override;
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
        QFont qfont;
    };

    QPainter& painter_;
    State state_;
    std::vector<State> saved_;
};

}  // namespace gui
