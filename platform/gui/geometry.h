#pragma once
// Points, sizes and rectangles in device pixels, with the arithmetic the windows and controls
// compute with.
//
// A `Rect` is (left, top, right, bottom) as the Windows design keeps it: filling or clipping
// covers the pixels left <= x < right and top <= y < bottom, so Width() is right - left and a
// rectangle with right <= left or bottom <= top is empty. Code that holds an inclusive
// rectangle (a grid cell is left .. left + width - 1) grows it by one pixel to the right and
// bottom before it fills it; nothing here guesses which kind a caller holds.
// Conversions to Qt's types are in qt_convert.h. All values are plain data; no thread rules.
#include <algorithm>

namespace gui {

struct Point {
    int x = 0;
    int y = 0;

    constexpr Point() = default;
    constexpr Point(int x_, int y_) : x(x_), y(y_) {}
    constexpr Point operator+(Point o) const { return {x + o.x, y + o.y}; }
    constexpr Point operator-(Point o) const { return {x - o.x, y - o.y}; }
    constexpr bool operator==(const Point&) const = default;
};

struct Size {
    int cx = 0;
    int cy = 0;

    constexpr Size() = default;
    constexpr Size(int cx_, int cy_) : cx(cx_), cy(cy_) {}
    constexpr bool operator==(const Size&) const = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr Rect() = default;
    constexpr Rect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
    constexpr Rect(Point topLeft, Size size)
        : left(topLeft.x), top(topLeft.y), right(topLeft.x + size.cx), bottom(topLeft.y + size.cy) {}
    constexpr bool operator==(const Rect&) const = default;

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr Size GetSize() const { return {Width(), Height()}; }
    constexpr Point TopLeft() const { return {left, top}; }
    constexpr Point BottomRight() const { return {right, bottom}; }
    // Rounds toward zero, as the integer division of the Windows design does.
    constexpr Point CenterPoint() const { return {(left + right) / 2, (top + bottom) / 2}; }

    // No pixel inside: right <= left or bottom <= top.
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    // All four values zero.
    constexpr bool IsNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    // left <= x < right and top <= y < bottom.
    constexpr bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    constexpr void Offset(int dx, int dy) { left += dx, right += dx, top += dy, bottom += dy; }
    constexpr void Offset(Point d) { Offset(d.x, d.y); }
    // Moves every edge outward by the amounts (inward for negative ones).
    constexpr void Inflate(int dx, int dy) { left -= dx, right += dx, top -= dy, bottom += dy; }
    constexpr void Inflate(int l, int t, int r, int b) { left -= l, top -= t, right += r, bottom += b; }
    constexpr void Deflate(int dx, int dy) { Inflate(-dx, -dy); }
    constexpr void Deflate(int l, int t, int r, int b) { Inflate(-l, -t, -r, -b); }
    // Swaps left/right and top/bottom where they are the wrong way round.
    constexpr void Normalize() {
        if (left > right) std::swap(left, right);
        if (top > bottom) std::swap(top, bottom);
    }
    constexpr void SetEmpty() { *this = Rect(); }
};

// The common part of two rectangles; an empty result is all zeros, as IntersectRect gives it.
constexpr Rect Intersect(const Rect& a, const Rect& b) {
    Rect r(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom));
    return r.IsEmpty() ? Rect() : r;
}
// The smallest rectangle holding both; an empty one adds nothing.
constexpr Rect Union(const Rect& a, const Rect& b) {
    if (a.IsEmpty()) return b.IsEmpty() ? Rect() : b;
    if (b.IsEmpty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

// a * b / c rounded to the nearest integer (halves away from zero), in 64 bits; -1 when c is 0.
constexpr int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    long long p = static_cast<long long>(a) * b;
    bool negative = (p < 0) != (c < 0);
    long long ap = p < 0 ? -p : p, ac = c < 0 ? -static_cast<long long>(c) : c;
    long long q = (ap + ac / 2) / ac;
    return static_cast<int>(negative ? -q : q);
}

}  // namespace gui
