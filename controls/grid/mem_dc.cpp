#include "controls/grid/mem_dc.h"

// The off-screen canvas's logical (clip left, clip top) lands on the image's (0, 0), so the
// caller draws in the target's coordinates; the image is copied back at the clip box's corner.

CMemDC::CMemDC(gui::Canvas& target, bool targetIsPrinter)
    : target_(target), rect_(target.GetClipBox()), offScreen_(!targetIsPrinter && !rect_.IsEmpty()) {
    if (!offScreen_) return;
    image_ = QImage(rect_.Width(), rect_.Height(), QImage::Format_ARGB32_Premultiplied);
    const gui::COLORREF background = target_.SetBkColor(0);
    target_.SetBkColor(background);
    painter_ = std::make_unique<QPainter>(&image_);
    canvas_ = std::make_unique<gui::QPainterCanvas>(*painter_);
    canvas_->SetFont(target_.GetFont());
    canvas_->SetOrigin(gui::Point(-rect_.left, -rect_.top));
    canvas_->FillRect(rect_, background);
}

CMemDC::~CMemDC() {
    if (!offScreen_) return;
    canvas_.reset();
    painter_->end();
    target_.DrawImage(image_, gui::Rect(0, 0, rect_.Width(), rect_.Height()), rect_.TopLeft());
}
