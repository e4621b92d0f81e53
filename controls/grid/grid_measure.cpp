#include "controls/grid/grid_measure.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "controls/grid/forwarding_canvas.h"
#include "platform/gui/qpainter_canvas.h"

namespace {

// The canvas owns the image and painter it measures on.
class ImageMeasureCanvas {
public:
    ImageMeasureCanvas() : image_(1, 1, QImage::Format_ARGB32_Premultiplied), painter_(&image_), canvas_(painter_) {}
    gui::Canvas& Canvas() { return canvas_; }

private:
    QImage image_;
    QPainter painter_;
    gui::QPainterCanvas canvas_;
};

// The measuring canvas with the image and painter it draws on.
class OwningCanvas final : public ForwardingCanvas {
public:
    OwningCanvas() : owner_(std::make_unique<ImageMeasureCanvas>()) {}

protected:
    gui::Canvas& Target() override { return owner_->Canvas(); }

private:
    std::unique_ptr<ImageMeasureCanvas> owner_;
};

std::function<std::unique_ptr<gui::Canvas>()>& Factory() {
    static std::function<std::unique_ptr<gui::Canvas>()> factory;
    return factory;
}

}  // namespace

std::unique_ptr<gui::Canvas> CreateScreenMeasureCanvas() {
    if (Factory()) return Factory()();
    if (!QGuiApplication::instance()) return nullptr;
    return std::make_unique<OwningCanvas>();
}

void SetScreenMeasureCanvasFactory(std::function<std::unique_ptr<gui::Canvas>()> factory) {
    Factory() = std::move(factory);
}
