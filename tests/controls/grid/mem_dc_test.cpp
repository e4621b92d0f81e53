#include "controls/grid/mem_dc.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "platform/gui/draw_flags.h"
#include "platform/gui/qpainter_canvas.h"
#include "platform/gui/system_metrics.h"
#include "platform/gui/testing/recording_canvas.h"

namespace {

// Fills, frames, edges, lines and text, some of them reaching beyond the clip box.
void DrawScene(gui::Canvas& dc) {
    dc.FillRect(gui::Rect(0, 0, 200, 100), gui::RGB(250, 240, 200));
    dc.FrameRect(gui::Rect(15, 5, 120, 60), gui::RGB(200, 0, 0));
    gui::Rect edge(130, 20, 190, 70);
    dc.DrawEdge(edge, gui::BDR_SUNKENINNER, gui::BF_RECT);
    dc.SetPen(gui::Pen{gui::PS_SOLID, 1, gui::RGB(0, 0, 160)});
    dc.MoveTo({0, 95});
    dc.LineTo({200, 30});
    dc.SetBkMode(gui::TRANSPARENT);
    dc.SetTextColor(gui::RGB(0, 90, 0));
    gui::Rect text(25, 30, 180, 80);
    dc.DrawText(u"Off-screen and direct", text, gui::DT_SINGLELINE | gui::DT_VCENTER);
}

QImage Paint(bool offScreen) {
    QImage image(200, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    gui::QPainterCanvas canvas(painter);
    canvas.IntersectClipRect(gui::Rect(20, 10, 170, 90));
    if (offScreen) {
        CMemDC mem(canvas);
        EXPECT_TRUE(mem.IsOffScreen());
        EXPECT_EQ(mem.GetRect(), gui::Rect(20, 10, 170, 90));
        DrawScene(mem);
    } else {
        DrawScene(canvas);
    }
    painter.end();
    return image;
}

TEST(MemDcTest, OffScreenDrawingGivesTheSamePixelsAsDrawingDirectly) {
    const QImage direct = Paint(false), buffered = Paint(true);
    ASSERT_EQ(direct.size(), buffered.size());
    int differing = 0;
    for (int y = 0; y < direct.height(); ++y)
        for (int x = 0; x < direct.width(); ++x) differing += direct.pixel(x, y) != buffered.pixel(x, y) ? 1 : 0;
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(buffered.pixel(5, 5), QColor(Qt::white).rgb());  // outside the clip box: untouched
}

TEST(MemDcTest, CopiesItsPictureOnceAtTheClipBoxWhenItGoes) {
    gui::RecordingCanvas target;
    target.IntersectClipRect(gui::Rect(30, 40, 90, 70));
    target.Clear();
    {
        CMemDC mem(target);
        mem.FillRect(gui::Rect(0, 0, 500, 500), gui::RGB(1, 2, 3));
        EXPECT_TRUE(target.Calls().empty());
    }
    ASSERT_EQ(target.Calls().size(), 1u) << target.Describe();
    const gui::CanvasCall& copy = target.Calls()[0];
    EXPECT_EQ(copy.op, gui::CanvasOp::DrawImage);
    EXPECT_EQ(copy.points.at(0), gui::Point(30, 40));
    EXPECT_EQ(copy.image.size(), QSize(60, 30));
    EXPECT_EQ(copy.image.pixel(10, 10), QColor(1, 2, 3).rgb());
}

TEST(MemDcTest, PrinterTargetIsDrawnStraightThrough) {
    gui::RecordingCanvas printer;
    {
        CMemDC mem(printer, /*targetIsPrinter=*/true);
        EXPECT_FALSE(mem.IsOffScreen());
        mem.FillRect(gui::Rect(0, 0, 10, 10), gui::RGB(1, 2, 3));
        ASSERT_EQ(printer.Calls().size(), 1u);
        EXPECT_EQ(printer.Calls()[0].op, gui::CanvasOp::FillRect);
    }
    EXPECT_EQ(printer.Calls().size(), 1u);  // no picture copied
}

}  // namespace
