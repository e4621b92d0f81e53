#pragma once
// CMemDC: a canvas that draws into an off-screen image covering the target's clip box and
// copies the image onto the target when it goes, so a paint shows no half-drawn state; for a
// printer target it draws straight through. The image starts filled with the target's
// background colour. The target must outlive it. The thread that paints.
#include <QImage>
#include <QPainter>
#include <memory>

#include "controls/grid/forwarding_canvas.h"
#include "platform/gui/qpainter_canvas.h"

class CMemDC final : public ForwardingCanvas {
public:
    explicit CMemDC(gui::Canvas& target, bool targetIsPrinter = false);
    ~CMemDC() override;
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    bool IsOffScreen() const { return offScreen_; }
    // The area drawn: the target's clip box.
    const gui::Rect& GetRect() const { return rect_; }

protected:
    gui::Canvas& Target() override { return offScreen_ ? *canvas_ : target_; }

private:
    gui::Canvas& target_;
    gui::Rect rect_;
    bool offScreen_;
    QImage image_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<gui::QPainterCanvas> canvas_;
};
