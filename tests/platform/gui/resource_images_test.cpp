#include "platform/gui/resource_images.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>
#include <QTest>

#include "platform/gui/animation_control.h"
#include "resources/resource_set.h"
#include "tests/support/gui/screenshot.h"

using namespace gui;

namespace {

// A PNG of the image, as the resource reader would hold it.
PngImage Png(const QImage& image, const char* name = "test.png") {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    PngImage png;
    png.file = name;
    png.bytes.assign(bytes.constData(), std::size_t(bytes.size()));
    png.width = image.width();
    png.height = image.height();
    return png;
}

// A strip of solid images 16 x 8, one colour each, and a few pixels left over.
QImage Strip(const std::vector<QColor>& colours, int extra = 0) {
    QImage strip(int(colours.size()) * 16 + extra, 8, QImage::Format_ARGB32);
    strip.fill(Qt::black);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 16; ++x) strip.setPixelColor(int(i) * 16 + x, y, colours[i]);
        }
    }
    return strip;
}

TEST(ResourceImages, TheProgramsIconsDecodeWithTransparency) {
    for (std::uint32_t id : {178u, 191u, 32513u, 32514u, 32515u, 32516u}) {
        for (int size : {16, 32, 48}) {
            const QImage image = LoadResourceIconImage(id, size);
            ASSERT_FALSE(image.isNull()) << id;
            EXPECT_EQ(image.size(), QSize(size, size)) << id;
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << id << " corner";
            EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2 + size / 8)), 255) << id << " inside";
        }
        EXPECT_EQ(LoadResourceIcon(id).availableSizes().size(), 3) << id;
    }
    EXPECT_TRUE(LoadResourceIconImage(4711, 32).isNull());
    EXPECT_TRUE(LoadResourceIcon(4711).isNull());
}

TEST(ResourceImages, ScreenshotOfTheProgramsIcons) {
    const std::uint32_t ids[] = {178, 191, 32513, 32514, 32515, 32516};
    QImage sheet(8 + 6 * 56, 8 + 3 * 56, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0xE0, 0xE0, 0xE0));
    QPainter painter(&sheet);
    for (int row = 0; row < 3; ++row) {
        const int size = 16 << row > 32 ? 48 : 16 << row;
        for (int col = 0; col < 6; ++col) {
            painter.drawImage(8 + col * 56, 8 + row * 56, LoadResourceIconImage(ids[col], size));
        }
    }
    painter.end();
    EXPECT_TRUE(SaveScreenshot(sheet, "program_icons"));
}

TEST(ResourceImages, AnIconWithoutThatSizeIsScaledFromTheNearest) {
    Icon icon;
    icon.sizes.push_back(Png(Strip({Qt::red}).copy(0, 0, 16, 8).scaled(16, 16)));
    icon.sizes.push_back(Png(Strip({Qt::blue, Qt::blue}).scaled(32, 32)));
    const QImage image = IconImage(icon, 28);
    EXPECT_EQ(image.size(), QSize(28, 28));
    EXPECT_EQ(image.pixelColor(14, 14), QColor(Qt::blue));
    EXPECT_EQ(IconImage(icon, 16).pixelColor(8, 8), QColor(Qt::red));
}

TEST(ResourceImages, AStripIsCutByTheImageWidth) {
    const std::vector<QImage> images = CutStrip(Strip({Qt::red, Qt::green, Qt::blue}, 5), 16);
    ASSERT_EQ(images.size(), 3u);  // the five pixels left over make no image
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(images[i].size(), QSize(16, 8));
        EXPECT_EQ(images[i].pixelColor(0, 0), colours[i]);
        EXPECT_EQ(images[i].pixelColor(15, 7), colours[i]);
    }
    EXPECT_TRUE(CutStrip(Strip({Qt::red}), 0).empty());
    EXPECT_TRUE(CutStrip(QImage(), 16).empty());
    EXPECT_TRUE(CutStrip(Strip({Qt::red}), 17).empty());
}

TEST(ResourceImages, ACOLORREFBecomesTransparent) {
    // Green is the mask; a green one step off stays as it is.
    const QImage strip = Strip({QColor(0, 255, 0), QColor(0, 254, 0), Qt::white});
    Bitmap bitmap;
    bitmap.strip = Png(strip);
    bitmap.imageWidth = 16;
    const std::vector<QImage> masked = BitmapImages(bitmap, COLORREF(0x0000FF00));
    ASSERT_EQ(masked.size(), 3u);
    EXPECT_EQ(qAlpha(masked[0].pixel(3, 3)), 0);
    EXPECT_EQ(masked[1].pixelColor(3, 3), QColor(0, 254, 0));
    EXPECT_EQ(masked[2].pixelColor(3, 3), QColor(Qt::white));
    // Without a mask every pixel stays.
    EXPECT_EQ(BitmapImages(bitmap)[0].pixelColor(3, 3), QColor(0, 255, 0));
    // White as the mask (0x00FFFFFF), as other image lists ask.
    EXPECT_EQ(qAlpha(BitmapImages(bitmap, COLORREF(0x00FFFFFF))[2].pixel(0, 0)), 0);
    // The mask is 0x00BBGGRR: red given as 0x000000FF.
    const std::vector<QImage> red = CutStrip(MaskToAlpha(Strip({Qt::red, Qt::blue}), 0x000000FF), 16);
    EXPECT_EQ(qAlpha(red[0].pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(red[1].pixel(0, 0)), 255);
}

TEST(ResourceImages, BytesThatDoNotDecodeGiveNothing) {
    PngImage broken = Png(Strip({Qt::red}));
    broken.bytes.resize(40);  // the header survives, the pixels do not
    EXPECT_TRUE(DecodePng(broken).isNull());
    Bitmap bitmap;
    bitmap.strip = broken;
    bitmap.imageWidth = 16;
    EXPECT_TRUE(BitmapImages(bitmap, COLORREF(0)).empty());
}

TEST(ResourceImages, AnimationFramesAndToolbarImagesFollowTheirResource) {
    Animation animation;
    animation.strip = Png(Strip({Qt::red, Qt::green, Qt::blue, Qt::yellow}));
    animation.frameWidth = 16;
    animation.framesPerSecond = 10;
    const std::vector<QImage> frames = AnimationFrames(animation);
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[3].pixelColor(0, 0), QColor(Qt::yellow));

    Toolbar toolbar;
    toolbar.strip = animation.strip;
    toolbar.buttonWidth = 16;
    toolbar.commands = {100, Toolbar::kSeparator, 101};
    const std::vector<QImage> buttons = ToolbarImages(toolbar);
    ASSERT_EQ(buttons.size(), 2u);  // one image per button; separators have none
    EXPECT_EQ(buttons[1].pixelColor(0, 0), QColor(Qt::green));
}

class Animated : public ::testing::Test {
protected:
    Animated() {
        std::vector<QImage> frames;
        for (QColor c : {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan}) frames.push_back(Strip({c}));
        control.SetFrames(std::move(frames), 100);
    }
    AnimationControl control;
};

TEST_F(Animated, PlaysARangeTheGivenNumberOfTimesAndStopsOnItsLastFrame) {
    EXPECT_EQ(control.CurrentFrame(), 0);
    ASSERT_TRUE(control.Play(1, 3, 2));
    EXPECT_EQ(control.CurrentFrame(), 1);
    EXPECT_TRUE(control.IsPlaying());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !control.IsPlaying(); }, 5000));
    EXPECT_EQ(control.CurrentFrame(), 3);
}

TEST_F(Animated, OneFrameOnceIsShownWithoutPlaying) {
    ASSERT_TRUE(control.Play(4, 4, 1));
    EXPECT_EQ(control.CurrentFrame(), 4);
    EXPECT_FALSE(control.IsPlaying());
}

TEST_F(Animated, PlaysOnUntilStoppedAndSeeksFrames) {
    ASSERT_TRUE(control.Play(0, -1, -1));
    QTest::qWait(120);  // about a dozen frames: more than one pass
    EXPECT_TRUE(control.IsPlaying());
    control.Stop();
    EXPECT_FALSE(control.IsPlaying());
    EXPECT_TRUE(control.Seek(0));
    EXPECT_EQ(control.CurrentFrame(), 0);
    EXPECT_FALSE(control.Seek(5));
    EXPECT_FALSE(control.Play(3, 2, 1));
    EXPECT_FALSE(control.Play(0, 5, 1));
}

TEST(AnimationControlOpen, AnUnknownResourceOpensNothing) {
    AnimationControl control;
    EXPECT_FALSE(control.Open(4711));
    EXPECT_EQ(control.FrameCount(), 0);
    EXPECT_FALSE(control.Play(0, -1, 1));
}

}  // namespace
