#pragma once
// Conversions between the layer's own values and Qt's, used where the layer hands something
// to Qt or reads it back. Text: CString and QString are both UTF-16, so the conversion copies
// code units unchanged (lone surrogates included).
#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include "platform/core/cstring.h"
#include "platform/gui/color.h"
#include "platform/gui/geometry.h"
#include "platform/gui/log_font.h"

namespace gui {

inline QString ToQString(std::u16string_view s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}
inline CString FromQString(const QString& s) {
    return CString(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<CString::size_type>(s.size()));
}

inline QPoint ToQPoint(Point p) { return {p.x, p.y}; }
inline Point FromQPoint(QPoint p) { return {p.x(), p.y()}; }
inline QSize ToQSize(Size s) { return {s.cx, s.cy}; }
inline Size FromQSize(QSize s) { return {s.width(), s.height()}; }
// QRect's right() and bottom() are the last pixel inside; ours are the first outside.
inline QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }
inline Rect FromQRect(const QRect& r) { return Rect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height()); }

// A plain RGB value; special values (CLR_DEFAULT, CLR_NONE) must be resolved by the caller
// first and give black here.
inline QColor ToQColor(COLORREF c) {
    if (!IsPlainColor(c)) return QColor(0, 0, 0);
    return QColor(static_cast<int>(GetRValue(c)), static_cast<int>(GetGValue(c)), static_cast<int>(GetBValue(c)));
}
inline COLORREF FromQColor(const QColor& c) {
    QColor rgb = c.toRgb();
    return RGB(static_cast<unsigned>(rgb.red()), static_cast<unsigned>(rgb.green()), static_cast<unsigned>(rgb.blue()));
}

// The Qt font for a font value: the program's default font changed by what the value sets.
// The escapement is not part of a QFont; the canvas rotates text itself.
QFont ToQFont(const LogFont& f);
// The font value of a Qt font: height as a negative character height in pixels.
LogFont FromQFont(const QFont& f);

}  // namespace gui
