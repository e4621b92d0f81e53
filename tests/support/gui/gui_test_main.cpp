// The main function of the GUI test executables: the project's test environment, then one
// QApplication for every test, then GoogleTest. The application runs on Qt's offscreen
// platform unless QT_QPA_PLATFORM names another (scripts/gui-screenshots.sh runs the same
// tests on Xvfb), ignores the desktop's settings, and uses the Fusion style and DejaVu Sans
// at 9 points, so sizes and pictures are the same on every machine.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <QStyle>
#include <QStyleFactory>
#include <cstdio>
#include <cstdlib>

#include "tests/support/gui/screenshot.h"

// Qt and fontconfig keep caches for the life of the process and their own threads touch
// them; the committed suppression files name exactly those (and nothing of ours), so a
// sanitizer build of a GUI test reports only the project's own faults.
extern "C" const char* __lsan_default_options() { return "suppressions=" WK_SANITIZER_DIR "/lsan.supp"; }
extern "C" const char* __tsan_default_options() { return "suppressions=" WK_SANITIZER_DIR "/tsan.supp"; }

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
#ifdef WK_TEST_DATA_DIR
    setenv("WK_TEST_DATA", WK_TEST_DATA_DIR, 0);
#endif
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (ctest's discovery at build time) needs no display: no application
    // is made, so a build without a display, or with QT_QPA_PLATFORM naming one, still lists.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    QApplication::setDesktopSettingsAware(false);
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setPalette(QApplication::style()->standardPalette());
    QFont font("DejaVu Sans", 9);
    QApplication::setFont(font);
    if (QFontInfo(font).family() != "DejaVu Sans") {
        std::fprintf(stderr, "warning: the font DejaVu Sans is missing (fonts-dejavu-core); pictures will differ\n");
    }
    std::printf("Screenshots of this run: %s\n", ScreenshotFolder().c_str());
    return RUN_ALL_TESTS();
}
