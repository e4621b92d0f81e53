#include "platform/gui/qt_convert.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <algorithm>

namespace gui {

QFont ToQFont(const LogFont& f) {
    QFont font = QGuiApplication::font();
    if (!f.faceName.empty()) font.setFamilies({ToQString(f.faceName)});
    if (f.height < 0) {
        font.setPixelSize(-f.height);
    } else if (f.height > 0) {
        // A cell height includes the internal leading: find the pixel size whose line height
        // (ascent + descent) comes closest to it from below.
        font.setPixelSize(f.height);
        int size = f.height;
        while (size > 1 && QFontMetrics(font).height() > f.height) font.setPixelSize(--size);
    }
    if (f.weight != FW_DONTCARE) {
        // Qt's weights are the same 1..1000 scale as the Windows design's.
        font.setWeight(static_cast<QFont::Weight>(std::clamp(f.weight, 1, 1000)));
    }
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    if (f.width > 0) {
        int natural = QFontMetrics(font).averageCharWidth();
        if (natural > 0) font.setStretch(std::clamp(f.width * 100 / natural, 1, 4000));
    }
    return font;
}

LogFont FromQFont(const QFont& f) {
    LogFont lf;
    int pixels = f.pixelSize() > 0 ? f.pixelSize() : QFontInfo(f).pixelSize();
    lf.height = -std::max(pixels, 1);
    lf.weight = f.weight();
    lf.italic = f.italic();
    lf.underline = f.underline();
    lf.strikeOut = f.strikeOut();
    lf.faceName = FromQString(f.family()).str();
    if (lf.faceName.size() > 31) lf.faceName.resize(31);
    return lf;
}

}  // namespace gui
