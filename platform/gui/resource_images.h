#pragma once
// The image resources (resources/image_resources.h) as Qt images: PNG bytes decoded,
// strips cut into their images by the resource's image width, icons as QIcon with every
// size the resource has.
//
// A masked strip: the program's PNGs carry their transparency as alpha already; a caller
// that names a mask colour (as image lists are made with one) also gets every pixel of
// exactly that colour made transparent, so a strip drawn on a mask colour shows the same.
//
// Threads: QImage work only, safe on any thread (no QPixmap); QIcon functions on the GUI
// thread. Decoding failures give null images, never an exception.
#include <QIcon>
#include <QImage>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/gui/color.h"
#include "resources/image_resources.h"

namespace gui {

// The PNG decoded as ARGB32 (premultiplied); a null image when the bytes do not decode.
QImage DecodePng(const PngImage& png);
// The strip cut into pieces imageWidth wide, left to right, each as high as the strip; a
// narrower last piece is left out. Empty for a null strip or a width below 1.
std::vector<QImage> CutStrip(const QImage& strip, int imageWidth);
// A copy in which every pixel of the mask colour (alpha ignored) is fully transparent.
QImage MaskToAlpha(const QImage& image, COLORREF mask);

// A bitmap resource's images; with a mask colour, that colour made transparent.
std::vector<QImage> BitmapImages(const Bitmap& bitmap, std::optional<COLORREF> mask = std::nullopt);
// An animation's frames in order.
std::vector<QImage> AnimationFrames(const Animation& animation);
// A toolbar's button images, one per button in order (separators have none).
std::vector<QImage> ToolbarImages(const Toolbar& toolbar);
// The icon's picture nearest to size, scaled to size x size when it has no picture of
// exactly that width; a null image for an icon without pictures.
QImage IconImage(const Icon& icon, int size);
// Every size of the icon in one QIcon.
QIcon MakeIcon(const Icon& icon);

// The same by resource id through FindResource (a language's resource first); empty or
// null when there is no such resource.
std::vector<QImage> LoadResourceBitmapImages(std::uint32_t id, std::optional<COLORREF> mask = std::nullopt);
QImage LoadResourceIconImage(std::uint32_t id, int size);
QIcon LoadResourceIcon(std::uint32_t id);

}  // namespace gui
