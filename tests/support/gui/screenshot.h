#pragma once
// Screenshots of the GUI tests, for a reviewer to look at: each is written to
// <build>/screenshots/<suite>/<name>.png (WK_SCREENSHOT_DIR replaces <build>/screenshots;
// scripts/gui-screenshots.sh points it at screenshots-xvfb). Use in an assertion:
//   EXPECT_TRUE(SaveScreenshot(dialog, "message_box_three_buttons"));
// The result fails when the picture is empty or of one colour (nothing was painted) or when
// the file cannot be written.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

class QImage;
class QWidget;

// The folder of this executable's screenshots.
std::string ScreenshotFolder();

// The widget as it paints itself. A top-level window gets a plain title strip above it with
// its window title, and an "x" when it has a close button, since the offscreen platform draws
// no window frame.
testing::AssertionResult SaveScreenshot(QWidget& widget, std::string_view name);
testing::AssertionResult SaveScreenshot(const QImage& image, std::string_view name);
