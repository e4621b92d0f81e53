// The painting canvas puts pixels where the Windows drawing rules put them: fills stop
// before right and bottom, lines leave out their end point, clipping and the origin hold
// until restored, and turned text goes upward from its reference point.
#include "platform/gui/qpainter_canvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "platform/gui/qt_convert.h"
#include "platform/gui/system_metrics.h"
#include "tests/support/gui/screenshot.h"

using namespace gui;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

QImage White(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

COLORREF At(const QImage& image, int x, int y) { return FromQColor(image.pixelColor(x, y)); }

// The bounding box of every pixel that is not white.
Rect Painted(const QImage& image) {
    Rect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (At(image, x, y) != kWhite) box = Union(box, Rect(x, y, x + 1, y + 1));
    return box;
}

}  // namespace

TEST(QPainterCanvasTest, FillsStopBeforeRightAndBottom) {
    QImage image = White(20, 20);
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter);
        canvas.FillRect(Rect(2, 3, 7, 9), kRed);
        canvas.FillRect(Rect(15, 15, 15, 19), kBlue);  // empty: nothing
    }
    EXPECT_EQ(Painted(image), Rect(2, 3, 7, 9));
}

TEST(QPainterCanvasTest, LinesLeaveOutTheirEndPoint) {
    struct Case {
        Point from, to;
        Rect painted;
    } cases[] = {
        {{2, 5}, {10, 5}, {2, 5, 10, 6}},  // rightward: x 2..9
        {{10, 5}, {2, 5}, {3, 5, 11, 6}},  // leftward: x 10..3
        {{4, 1}, {4, 8}, {4, 1, 5, 8}},    // downward
        {{4, 8}, {4, 1}, {4, 2, 5, 9}},    // upward
        {{1, 1}, {6, 6}, {1, 1, 6, 6}},    // diagonal: (1,1)..(5,5)
    };
    for (const Case& c : cases) {
        QImage image = White(16, 16);
        {
            QPainter painter(&image);
            QPainterCanvas canvas(painter);
            canvas.SetPen({PS_SOLID, 1, kBlue});
            canvas.MoveTo(c.from);
            canvas.LineTo(c.to);
        }
        EXPECT_EQ(Painted(image), c.painted) << c.from.x << "," << c.from.y << " -> " << c.to.x << "," << c.to.y;
        EXPECT_EQ(At(image, c.to.x, c.to.y), kWhite);
    }
}

TEST(QPainterCanvasTest, FramesAndThreeDimensionalRectangles) {
    QImage image = White(20, 20);
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter);
        canvas.FrameRect(Rect(0, 0, 10, 10), kRed);
        canvas.Draw3dRect(Rect(10, 10, 20, 20), kRed, kBlue);
    }
    EXPECT_EQ(At(image, 0, 0), kRed);
    EXPECT_EQ(At(image, 9, 9), kRed);
    EXPECT_EQ(At(image, 1, 1), kWhite);
    EXPECT_EQ(At(image, 10, 10), kRed);
    EXPECT_EQ(At(image, 19, 10), kBlue);  // the top-right corner belongs to the bottom-right colour
    EXPECT_EQ(At(image, 10, 19), kBlue);
    EXPECT_EQ(At(image, 11, 11), kWhite);
}

TEST(QPainterCanvasTest, EdgesUseTheSystemColours) {
    QImage image = White(20, 20);
    Rect r(0, 0, 20, 20);
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter);
        canvas.DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_MIDDLE);
    }
    EXPECT_EQ(r, Rect(2, 2, 18, 18));
    EXPECT_EQ(At(image, 0, 5), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(At(image, 19, 5), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(At(image, 1, 5), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(At(image, 18, 5), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(At(image, 10, 10), GetSysColor(COLOR_BTNFACE));
}

TEST(QPainterCanvasTest, ClipAndOriginHoldUntilRestored) {
    QImage image = White(40, 40);
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter);
        canvas.Save();
        canvas.SetOrigin({10, 10});
        canvas.IntersectClipRect(Rect(0, 0, 5, 5));
        EXPECT_EQ(canvas.GetClipBox(), Rect(0, 0, 5, 5));
        canvas.FillRect(Rect(-10, -10, 30, 30), kRed);
        canvas.Restore();
        canvas.FillRect(Rect(30, 30, 32, 32), kBlue);
        EXPECT_EQ(canvas.GetClipBox(), Rect(0, 0, 40, 40));
    }
    EXPECT_EQ(At(image, 10, 10), kRed);
    EXPECT_EQ(At(image, 14, 14), kRed);
    EXPECT_EQ(At(image, 15, 15), kWhite);
    EXPECT_EQ(At(image, 9, 9), kWhite);
    EXPECT_EQ(At(image, 31, 31), kBlue);
}

TEST(QPainterCanvasTest, TextStaysInsideItsRectangleAndTurnsUpward) {
    QImage image = White(200, 120);
    Rect clipped(10, 10, 40, 30);
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter);
        canvas.SetBkMode(TRANSPARENT);
        canvas.DrawText(u"A text far wider than its cell", clipped, DT_SINGLELINE | DT_VCENTER);
        LogFont up = canvas.GetFont();
        up.escapement = 900;
        canvas.SetFont(up);
        canvas.TextOut(100, 110, u"Upward");
    }
    Rect left = Painted(image.copy(0, 0, 60, 120));
    EXPECT_FALSE(left.IsEmpty());
    EXPECT_GE(left.left, 10);
    EXPECT_LE(left.right, 40);
    EXPECT_GE(left.top, 10);
    EXPECT_LE(left.bottom, 30);
    // Turned text: taller than wide, above and right of its reference point.
    Rect upward = Painted(image.copy(60, 0, 140, 120));
    upward.Offset(60, 0);
    EXPECT_GT(upward.Height(), upward.Width());
    EXPECT_LE(upward.bottom, 111);
    EXPECT_GE(upward.left, 100);
}

TEST(QPainterCanvasTest, MeasuresWithTheFontItDrawsWith) {
    QImage image = White(10, 10);
    QPainter painter(&image);
    QPainterCanvas canvas(painter);
    Size small = canvas.GetTextExtent(u"Wendelkast");
    LogFont big = canvas.GetFont();
    big.height = big.height * 2;
    canvas.SetFont(big);
    Size large = canvas.GetTextExtent(u"Wendelkast");
    EXPECT_GT(large.cx, small.cx * 3 / 2);
    EXPECT_GT(large.cy, small.cy * 3 / 2);
    TextMetrics tm = canvas.GetTextMetrics();
    EXPECT_EQ(tm.height, tm.ascent + tm.descent);
    Rect r(0, 0, 1000, 0);
    EXPECT_EQ(canvas.DrawText(u"Wendelkast", r, DT_SINGLELINE | DT_CALCRECT), large.cy);
    EXPECT_EQ(r.Width(), large.cx);
}

TEST(QPainterCanvasTest, SampleOfEveryOperation) {
    QImage image = White(240, 110);
    {
        QPainter painter(&image);
        QPainterCanvas canvas(painter);
        canvas.FillRect(Rect(0, 0, 240, 110), GetSysColor(COLOR_BTNFACE));
        Rect edge(5, 5, 75, 35);
        canvas.DrawEdge(edge, EDGE_RAISED, BF_RECT | BF_ADJUST);
        canvas.SetBkMode(TRANSPARENT);
        canvas.DrawText(u"&Raised", edge, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        Rect sunken(80, 5, 150, 35);
        canvas.DrawEdge(sunken, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_MIDDLE);
        canvas.DrawText(u"Sunken text that is cut", sunken, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
        canvas.Draw3dRect(Rect(155, 5, 235, 35), GetSysColor(COLOR_3DHIGHLIGHT), GetSysColor(COLOR_3DDKSHADOW));
        canvas.SetPen({PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)});
        canvas.SetBrush(GetSysColor(COLOR_HIGHLIGHT));
        Point triangle[] = {{10, 100}, {30, 60}, {50, 100}};
        canvas.Polygon(triangle);
        Point zigzag[] = {{60, 100}, {80, 60}, {100, 100}, {120, 60}};
        canvas.Polyline(zigzag);
        LogFont up = canvas.GetFont();
        up.escapement = 900;
        canvas.SetFont(up);
        canvas.TextOut(135, 105, u"Upward");
        LogFont bold = up;
        bold.escapement = 0;
        bold.weight = FW_BOLD;
        canvas.SetFont(bold);
        canvas.TextOut(160, 50, u"Bold");
    }
    EXPECT_TRUE(SaveScreenshot(image, "canvas_sample"));
}
