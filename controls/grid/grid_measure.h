#pragma once
// Where grid cells measure text outside painting: a canvas over a small off-screen image with
// the program's fonts, standing in for the screen's device context. Null while no
// QGuiApplication runs (cells then take fixed sizes). Tests may put in a canvas of fixed
// metrics. User-interface thread only.
#include <functional>
#include <memory>

namespace gui {
class Canvas;
}

std::unique_ptr<gui::Canvas> CreateScreenMeasureCanvas();
// Replaces what CreateScreenMeasureCanvas makes; an empty function restores the default.
void SetScreenMeasureCanvasFactory(std::function<std::unique_ptr<gui::Canvas>()> factory);
