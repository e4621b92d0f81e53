// DrawText's layout by the format flags, measured with fixed widths (7 pixels a character,
// 16 a line) through the recording canvas, which lays text out by the painting canvas's rules.
#include <gtest/gtest.h>

#include "platform/core/cstring.h"
#include "platform/gui/testing/recording_canvas.h"

using namespace gui;

namespace {

struct Drawn {
    std::vector<std::u16string> texts;
    std::vector<Point> positions;
    int result = 0;
    Rect rect;
    int accessKey = -1;
};

Drawn Draw(std::u16string_view text, Rect r, std::uint32_t format) {
    RecordingCanvas canvas;
    Drawn d;
    d.result = canvas.DrawText(text, r, format);
    d.rect = r;
    for (const TextLine& l : canvas.Calls().back().lines) {
        d.texts.push_back(l.text);
        d.positions.push_back({l.x, l.y});
        if (l.accessKey >= 0) d.accessKey = l.accessKey;
    }
    return d;
}

}  // namespace

TEST(TextLayoutTest, SingleLinePlacement) {
    struct Case {
        std::uint32_t format;
        Point at;
        int result;
    } cases[] = {
        // "abcd" is 28 wide and 16 high in a 100 x 40 rectangle at (10, 20).
        {DT_SINGLELINE, {10, 20}, 16},
        {DT_SINGLELINE | DT_CENTER, {10 + 36, 20}, 16},
        {DT_SINGLELINE | DT_RIGHT, {110 - 28, 20}, 16},
        {DT_SINGLELINE | DT_VCENTER, {10, 20 + 12}, 12 + 16},
        {DT_SINGLELINE | DT_BOTTOM | DT_RIGHT, {82, 60 - 16}, 40},
        // Vertical placement needs a single line.
        {DT_VCENTER, {10, 20}, 16},
    };
    for (const Case& c : cases) {
        Drawn d = Draw(u"abcd", Rect(10, 20, 110, 60), c.format);
        ASSERT_EQ(d.texts.size(), 1u) << c.format;
        EXPECT_EQ(d.positions[0], c.at) << c.format;
        EXPECT_EQ(d.result, c.result) << c.format;
    }
}

TEST(TextLayoutTest, LineFeedsAndWordBreaks) {
    Drawn lines = Draw(u"one\r\ntwo\nthree", Rect(0, 0, 200, 100), DT_LEFT);
    EXPECT_EQ(lines.texts, (std::vector<std::u16string>{u"one", u"two", u"three"}));
    EXPECT_EQ(lines.positions[2], Point(0, 32));
    EXPECT_EQ(lines.result, 48);

    // 10 characters fit in 70 pixels.
    Drawn wrapped = Draw(u"alpha beta gamma delta", Rect(0, 0, 70, 100), DT_WORDBREAK);
    EXPECT_EQ(wrapped.texts, (std::vector<std::u16string>{u"alpha beta", u"gamma", u"delta"}));
    // A word wider than the rectangle keeps a line of its own rather than being cut.
    Drawn wide = Draw(u"a abcdefghijklmno b", Rect(0, 0, 70, 100), DT_WORDBREAK);
    EXPECT_EQ(wide.texts, (std::vector<std::u16string>{u"a", u"abcdefghijklmno", u"b"}));
    // A single line joins the lines.
    Drawn single = Draw(u"a\nb", Rect(0, 0, 70, 100), DT_SINGLELINE);
    EXPECT_EQ(single.texts, (std::vector<std::u16string>{u"a b"}));
}

TEST(TextLayoutTest, CalcRectMeasuresWithoutCutting) {
    Drawn one = Draw(u"abcdefghij", Rect(5, 5, 20, 10), DT_SINGLELINE | DT_CALCRECT | DT_END_ELLIPSIS);
    EXPECT_EQ(one.rect, Rect(5, 5, 5 + 70, 5 + 16));
    Drawn wrapped = Draw(u"alpha beta gamma", Rect(0, 0, 70, 0), DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(wrapped.rect, Rect(0, 0, 70, 32));
    EXPECT_EQ(wrapped.result, 32);
    Drawn empty = Draw(u"", Rect(0, 0, 70, 0), DT_CALCRECT);
    EXPECT_EQ(empty.rect, Rect(0, 0, 0, 0));
}

TEST(TextLayoutTest, Ellipses) {
    // 49 pixels hold 7 characters: four of the text and the three dots.
    Drawn end = Draw(u"abcdefghij", Rect(0, 0, 49, 16), DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(end.texts[0], u"abcd...");
    Drawn fits = Draw(u"abcdefg", Rect(0, 0, 49, 16), DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(fits.texts[0], u"abcdefg");
    Drawn tiny = Draw(u"abcdefghij", Rect(0, 0, 10, 16), DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(tiny.texts[0], u"...");
    Drawn path = Draw(u"/home/user/projects/file.txt", Rect(0, 0, 140, 16), DT_SINGLELINE | DT_PATH_ELLIPSIS);
    EXPECT_EQ(path.texts[0], u"/home/us.../file.txt");
    Drawn noFlag = Draw(u"abcdefghij", Rect(0, 0, 49, 16), DT_SINGLELINE);
    EXPECT_EQ(noFlag.texts[0], u"abcdefghij");
}

TEST(TextLayoutTest, Prefixes) {
    Drawn key = Draw(u"&Yes to &all", Rect(0, 0, 200, 16), DT_SINGLELINE);
    EXPECT_EQ(key.texts[0], u"Yes to all");
    EXPECT_EQ(key.accessKey, 0);
    Drawn amp = Draw(u"Save && E&xit", Rect(0, 0, 200, 16), DT_SINGLELINE);
    EXPECT_EQ(amp.texts[0], u"Save & Exit");
    EXPECT_EQ(amp.accessKey, 8);
    Drawn none = Draw(u"a&b", Rect(0, 0, 200, 16), DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(none.texts[0], u"a&b");
    EXPECT_EQ(none.accessKey, -1);
    Drawn hidden = Draw(u"a&b", Rect(0, 0, 200, 16), DT_SINGLELINE | DT_HIDEPREFIX);
    EXPECT_EQ(hidden.texts[0], u"ab");
    EXPECT_EQ(hidden.accessKey, -1);
    Drawn tabs = Draw(u"a\tb", Rect(0, 0, 200, 16), DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_EQ(tabs.texts[0], u"a       b");
}

TEST(TextLayoutTest, VeryLongTextIsCutWithFewMeasurements) {
    // Counts its measurements; 7 pixels a character.
    struct Counting : TextMeasure {
        mutable int calls = 0;
        int Width(std::u16string_view text) const override {
            ++calls;
            return 7 * static_cast<int>(text.size());
        }
        int LineHeight() const override { return 16; }
    } measure;
    const std::u16string text(100000, u'W');
    TextLayout end = LayoutText(text, Rect(0, 0, 70, 16), DT_SINGLELINE | DT_END_ELLIPSIS, measure);
    ASSERT_EQ(end.lines.size(), 1u);
    EXPECT_EQ(end.lines[0].text, u"WWWWWWW...");
    const std::u16string path = u"/a/" + text + u"/name.txt";
    TextLayout cut = LayoutText(path, Rect(0, 0, 140, 16), DT_SINGLELINE | DT_PATH_ELLIPSIS, measure);
    ASSERT_EQ(cut.lines.size(), 1u);
    EXPECT_EQ(cut.lines[0].text, u"/a/WWWWW.../name.txt");  // 20 characters in 140 pixels
    // A handful each, not one a character.
    EXPECT_LT(measure.calls, 100);
}
