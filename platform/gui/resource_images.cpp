#include "platform/gui/resource_images.h"

#include <QPixmap>

#include "resources/resource_set.h"

namespace gui {

QImage DecodePng(const PngImage& png) {
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(png.bytes.data()), int(png.bytes.size()), "PNG")) {
        return QImage();
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

std::vector<QImage> CutStrip(const QImage& strip, int imageWidth) {
    std::vector<QImage> images;
    if (strip.isNull() || imageWidth < 1) return images;
    for (int x = 0; x + imageWidth <= strip.width(); x += imageWidth) {
        images.push_back(strip.copy(x, 0, imageWidth, strip.height()));
    }
    return images;
}

QImage MaskToAlpha(const QImage& image, COLORREF mask) {
    // Work unpremultiplied, so the colour compared is the colour drawn.
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(int(GetRValue(mask)), int(GetGValue(mask)), int(GetBValue(mask)));
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == (key & 0x00FFFFFF)) line[x] = 0;
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

std::vector<QImage> BitmapImages(const Bitmap& bitmap, std::optional<COLORREF> mask) {
    QImage strip = DecodePng(bitmap.strip);
    if (mask && !strip.isNull()) strip = MaskToAlpha(strip, *mask);
    return CutStrip(strip, bitmap.imageWidth);
}

std::vector<QImage> AnimationFrames(const Animation& animation) {
    return CutStrip(DecodePng(animation.strip), animation.frameWidth);
}

std::vector<QImage> ToolbarImages(const Toolbar& toolbar) {
    std::vector<QImage> images = CutStrip(DecodePng(toolbar.strip), toolbar.buttonWidth);
    std::size_t buttons = 0;
    for (std::uint32_t command : toolbar.commands) buttons += command != Toolbar::kSeparator;
    if (images.size() > buttons) images.resize(buttons);
    return images;
}

QImage IconImage(const Icon& icon, int size) {
    const PngImage* png = icon.Nearest(size);
    if (!png) return QImage();
    QImage image = DecodePng(*png);
    if (image.isNull() || (image.width() == size && image.height() == size)) return image;
    return image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QIcon MakeIcon(const Icon& icon) {
    QIcon result;
    for (const PngImage& png : icon.sizes) {
        const QImage image = DecodePng(png);
        if (!image.isNull()) result.addPixmap(QPixmap::fromImage(image));
    }
    return result;
}

std::vector<QImage> LoadResourceBitmapImages(std::uint32_t id, std::optional<COLORREF> mask) {
    const auto bitmap = FindResource<Bitmap>(id);
    return bitmap ? BitmapImages(*bitmap, mask) : std::vector<QImage>();
}

QImage LoadResourceIconImage(std::uint32_t id, int size) {
    const auto icon = FindResource<Icon>(id);
    return icon ? IconImage(*icon, size) : QImage();
}

QIcon LoadResourceIcon(std::uint32_t id) {
    const auto icon = FindResource<Icon>(id);
    return icon ? MakeIcon(*icon) : QIcon();
}

}  // namespace gui
