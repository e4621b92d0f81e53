#pragma once
// GridImageList: the images a grid's cells show by index, cut from one strip of equal-width
// images (the strip's height is every image's height). The grid does not own it.
#include <QImage>

#include "platform/gui/geometry.h"

namespace gui {
class Canvas;
}

class GridImageList {
public:
    GridImageList() = default;
    // A strip of `imageWidth`-wide images; a width <= 0 or an empty strip holds no image.
    GridImageList(QImage strip, int imageWidth);

    int GetImageCount() const;
    // The image's rectangle inside the strip (left..right exclusive); false for a bad index.
    bool GetImageInfo(int index, gui::Rect* rect) const;
    // Draws the image with its top-left corner at `at`; nothing for a bad index.
    void Draw(gui::Canvas& canvas, int index, gui::Point at) const;

private:
    QImage strip_;
    int width_ = 0;
};
