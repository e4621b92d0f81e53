// The recording canvas keeps every call with the state it was made in, so controls' painting
// can be compared call by call.
#include "platform/gui/testing/recording_canvas.h"

#include <gtest/gtest.h>

using namespace gui;

TEST(RecordingCanvasTest, RecordsCallsWithTheirState) {
    RecordingCanvas canvas(Rect(0, 0, 200, 100));
    canvas.FillRect(Rect(0, 0, 10, 10), RGB(255, 0, 0));
    canvas.Save();
    canvas.SetOrigin({5, 5});
    canvas.IntersectClipRect(Rect(0, 0, 50, 50));
    canvas.SetTextColor(RGB(0, 0, 255));
    canvas.SetBkMode(TRANSPARENT);
    canvas.SetPen({PS_SOLID, 1, RGB(0, 255, 0)});
    canvas.MoveTo({1, 1});
    canvas.LineTo({9, 1});
    canvas.TextOut(2, 3, u"hi");
    canvas.Restore();
    canvas.LineTo({4, 4});

    const auto& calls = canvas.Calls();
    ASSERT_EQ(calls.size(), 5u) << canvas.Describe();
    EXPECT_EQ(calls[0].Describe(), "FillRect 0,0,10,10 #0000ff");
    EXPECT_EQ(calls[2].op, CanvasOp::Line);
    EXPECT_EQ(calls[2].points, (std::vector<Point>{{1, 1}, {9, 1}}));
    EXPECT_EQ(calls[2].pen.color, RGB(0, 255, 0));
    EXPECT_EQ(calls[3].text, u"hi");
    EXPECT_EQ(calls[3].textColor, RGB(0, 0, 255));
    EXPECT_EQ(calls[3].bkMode, TRANSPARENT);
    EXPECT_EQ(calls[3].clip, Rect(0, 0, 50, 50));
    // Restore brings back the position, pen, origin and clip of the Save.
    EXPECT_EQ(calls[4].points, (std::vector<Point>{{0, 0}, {4, 4}}));
    EXPECT_EQ(calls[4].pen.color, 0u);
    EXPECT_EQ(calls[4].clip, Rect(0, 0, 200, 100));
    EXPECT_EQ(canvas.GetOrigin(), Point(0, 0));
}

TEST(RecordingCanvasTest, EdgeAdjustShrinksByTheBandsDrawn) {
    RecordingCanvas canvas;
    Rect r(0, 0, 20, 20);
    canvas.DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    EXPECT_EQ(r, Rect(2, 2, 18, 18));
    canvas.DrawEdge(r, BDR_RAISEDINNER, BF_LEFT | BF_TOP | BF_ADJUST);
    EXPECT_EQ(r, Rect(3, 3, 18, 18));
    canvas.DrawEdge(r, EDGE_RAISED, BF_RECT);
    EXPECT_EQ(r, Rect(3, 3, 18, 18));
}
