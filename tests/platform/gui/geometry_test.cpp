// Rectangles follow the Windows rules the controls compute with: right and bottom lie just
// outside, an empty intersection is all zeros, MulDiv rounds half away from zero.
#include "platform/gui/geometry.h"

#include <gtest/gtest.h>

#include "platform/gui/qt_convert.h"

using namespace gui;

TEST(GeometryTest, RectangleEdgesAndContainment) {
    Rect r(10, 20, 30, 50);
    EXPECT_EQ(r.Width(), 20);
    EXPECT_EQ(r.Height(), 30);
    EXPECT_TRUE(r.Contains({10, 20}));
    EXPECT_TRUE(r.Contains({29, 49}));
    EXPECT_FALSE(r.Contains({30, 49}));
    EXPECT_FALSE(r.Contains({29, 50}));
    EXPECT_TRUE(Rect(5, 5, 5, 9).IsEmpty());
    EXPECT_TRUE(Rect(5, 9, 8, 2).IsEmpty());
    EXPECT_EQ(Rect(-3, -3, 4, 4).CenterPoint(), Point(0, 0));
    EXPECT_EQ(Rect(0, 0, 5, 5).CenterPoint(), Point(2, 2));
}

TEST(GeometryTest, IntersectionAndUnion) {
    struct Case {
        Rect a, b, common, both;
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5, 15, 15}, {5, 5, 10, 10}, {0, 0, 15, 15}},
        // Touching edges share no pixel.
        {{0, 0, 10, 10}, {10, 0, 20, 10}, {}, {0, 0, 20, 10}},
        {{0, 0, 10, 10}, {20, 20, 30, 30}, {}, {0, 0, 30, 30}},
        // An empty rectangle adds nothing to a union.
        {{0, 0, 10, 10}, {50, 50, 50, 60}, {}, {0, 0, 10, 10}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Intersect(c.a, c.b), c.common);
        EXPECT_EQ(Union(c.a, c.b), c.both);
    }
}

TEST(GeometryTest, InflateDeflateOffsetNormalize) {
    Rect r(10, 10, 20, 20);
    r.Inflate(1, 2);
    EXPECT_EQ(r, Rect(9, 8, 21, 22));
    r.Deflate(1, 2, 3, 4);
    EXPECT_EQ(r, Rect(10, 10, 18, 18));
    r.Offset(-10, 5);
    EXPECT_EQ(r, Rect(0, 15, 8, 23));
    Rect n(8, 9, 2, 3);
    n.Normalize();
    EXPECT_EQ(n, Rect(2, 3, 8, 9));
}

TEST(GeometryTest, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(MulDiv(800, 625, 1000), 500);
    EXPECT_EQ(MulDiv(1, 1, 2), 1);
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(1, 1, 3), 0);
    EXPECT_EQ(MulDiv(5, 3, -2), -8);
    EXPECT_EQ(MulDiv(7, 7, 0), -1);
}

TEST(GeometryTest, QtRectanglesKeepTheSamePixels) {
    Rect r(3, 4, 13, 24);
    QRect q = ToQRect(r);
    EXPECT_EQ(q.left(), 3);
    EXPECT_EQ(q.right(), 12);  // Qt's right is the last pixel inside
    EXPECT_EQ(q.height(), 20);
    EXPECT_EQ(FromQRect(q), r);
}

TEST(GeometryTest, ColorsAreBlueGreenRed) {
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x563412u);
    QColor c = ToQColor(RGB(255, 0, 0));
    EXPECT_EQ(c.red(), 255);
    EXPECT_EQ(c.blue(), 0);
    EXPECT_EQ(FromQColor(QColor(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_FALSE(IsPlainColor(CLR_DEFAULT));
    EXPECT_TRUE(IsPlainColor(RGB(255, 255, 255)));
}
