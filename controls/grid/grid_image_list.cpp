#include "controls/grid/grid_image_list.h"

#include "platform/gui/canvas.h"

GridImageList::GridImageList(QImage strip, int imageWidth) : strip_(std::move(strip)), width_(imageWidth) {}

int GridImageList::GetImageCount() const {
    if (width_ <= 0 || strip_.isNull()) return 0;
    return strip_.width() / width_;
}

bool GridImageList::GetImageInfo(int index, gui::Rect* rect) const {
    if (index < 0 || index >= GetImageCount()) return false;
    *rect = gui::Rect(index * width_, 0, (index + 1) * width_, strip_.height());
    return true;
}

void GridImageList::Draw(gui::Canvas& canvas, int index, gui::Point at) const {
    gui::Rect source;
    if (GetImageInfo(index, &source)) canvas.DrawImage(strip_, source, at);
}
