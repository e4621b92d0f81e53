#include "tests/support/gui/screenshot.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <cstdlib>

namespace {

// A title strip like a window frame's, so the screenshot shows what the user reads there.
QImage WithTitleStrip(const QWidget& widget, const QImage& body) {
    const int strip = 22;
    QImage out(body.width(), body.height() + strip, QImage::Format_ARGB32);
    out.fill(QColor(0x3c, 0x5a, 0x8c));
    QPainter p(&out);
    p.drawImage(0, strip, body);
    p.setPen(Qt::white);
    QFont font = widget.font();
    font.setBold(true);
    p.setFont(font);
    int closeWidth = (widget.windowFlags() & Qt::WindowCloseButtonHint) ? strip : 0;
    p.drawText(QRect(6, 0, out.width() - 12 - closeWidth, strip), Qt::AlignVCenter | Qt::AlignLeft,
               widget.windowTitle());
    if (closeWidth) p.drawText(QRect(out.width() - closeWidth, 0, closeWidth, strip), Qt::AlignCenter, "x");
    return out;
}

// Fails for an empty picture or one of a single colour: nothing was painted.
testing::AssertionResult Painted(const QImage& image, std::string_view name) {
    if (image.isNull() || image.width() == 0 || image.height() == 0)
        return testing::AssertionFailure() << "screenshot " << name << " is empty";
    QImage rgb = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb first = rgb.pixel(0, 0);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            if (rgb.pixel(x, y) != first) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "screenshot " << name << " is of one colour";
}

testing::AssertionResult Write(const QImage& image, std::string_view name) {
    QString folder = QString::fromStdString(ScreenshotFolder());
    if (!QDir().mkpath(folder)) return testing::AssertionFailure() << "cannot make " << folder.toStdString();
    QString path = folder + "/" + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) + ".png";
    if (!image.save(path, "PNG")) return testing::AssertionFailure() << "cannot write " << path.toStdString();
    return testing::AssertionSuccess() << path.toStdString();
}

}  // namespace

std::string ScreenshotFolder() {
    const char* base = std::getenv("WK_SCREENSHOT_DIR");
    std::string folder = (base && *base) ? base : WK_SCREENSHOT_DIR;
    return folder + "/" + WK_SCREENSHOT_SUITE;
}

testing::AssertionResult SaveScreenshot(const QImage& image, std::string_view name) {
    testing::AssertionResult painted = Painted(image, name);
    if (!painted) return painted;
    return Write(image.convertToFormat(QImage::Format_ARGB32), name);
}

testing::AssertionResult SaveScreenshot(QWidget& widget, std::string_view name) {
    QImage body = widget.grab().toImage();
    testing::AssertionResult painted = Painted(body, name);
    if (!painted) return painted;
    return Write(widget.isWindow() ? WithTitleStrip(widget, body) : body, name);
}
