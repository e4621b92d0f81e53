// The message box's layout with a fixed text measure: the text's width from the bisection,
// the caption rule with its cap, and the places of icon, text and buttons.
#include <gtest/gtest.h>

#include <QFont>

#include "controls/msgbox/msg_box_layout.h"
#include "platform/core/cstring.h"
#include "tests/controls/support/fixed_text_measure.h"

using gui::Rect;
using gui::Size;

TEST(MsgBoxLayoutTest, AOneLineTextStaysOnOneLine) {
    // The last try of the bisection can be a narrower, taller one; the text gets the
    // narrowest width that kept one line.
    FixedTextMeasure measure(8, 16);
    for (std::u16string text : {u"Finished.", u"Procedure was cancelled.", u"Save profile changes to a.kem?", u"x"}) {
        Size size = NarrowestTextSize(measure, text, QFont(), 1000);
        EXPECT_EQ(size.cy, 16) << CString(text).ToUtf8();
        EXPECT_EQ(measure.Lines(text, size.cx), 1);
        // The narrowest one-line width is 8 pixels a character; the bisection's last step
        // may leave one pixel more untried.
        const int exact = 8 * static_cast<int>(text.size());
        EXPECT_GE(size.cx, exact);
        EXPECT_LE(size.cx, exact + 1);
    }
}

TEST(MsgBoxLayoutTest, ALongTextIsNoTallerThanAtHalfTheScreenWidth) {
    FixedTextMeasure measure(8, 16);
    std::u16string text;
    for (int i = 0; i < 60; ++i) text += u"word" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u" ";
    const int full = 1000;
    const int atHalf = measure.Lines(text, full / 2) * 16;
    Size size = NarrowestTextSize(measure, text, QFont(), full);
    EXPECT_LE(size.cy, atHalf);
    EXPECT_LE(size.cx, full / 2);
    EXPECT_GT(measure.Lines(text, size.cx - 2) * 16, atHalf) << "a narrower width would be taller";
    // Line feeds count as the text has them.
    Size lines = NarrowestTextSize(measure, u"one\ntwo\nthree", QFont(), full);
    EXPECT_EQ(lines.cy, 48);
    EXPECT_GE(lines.cx, 40);
    EXPECT_LE(lines.cx, 41);
}

namespace {

// 1000 dialog units are 1500 by 2000 pixels: 10 units are 15 pixels across, 20 down.
MsgBoxMetrics Metrics() {
    MsgBoxMetrics m;
    m.pixelsPer1000X = 1500;
    m.pixelsPer1000Y = 2000;
    m.text = {200, 32};
    m.icon = {32, 32};
    m.captionSizes = {{20, 14}, {50, 14}, {30, 14}};
    m.fullScreenWidth = 1000;
    return m;
}

}  // namespace

TEST(MsgBoxLayoutTest, IconTextAndButtonsArePlacedByTheLayoutValues) {
    MsgBoxLayoutValues v;  // 10, 10, 10, 7; gaps 10, 7; button margins 7, 4; gap 7; minimum 40; flags 6
    MsgBoxMetrics m = Metrics();
    MsgBoxPlacement p = LayoutMsgBox(v, m);
    // Buttons: max(60 minimum, widest caption 50) + 2 x 10 = 80 wide, 14 + 2 x 8 = 30 high.
    EXPECT_EQ(p.button, Size(80, 30));
    // Content: text 200 + icon 32 + gap 15 = 247; button row 3 x 80 + 2 x 10 = 260 is wider.
    EXPECT_EQ(p.client.cx, 15 + 260 + 15);
    EXPECT_EQ(p.client.cy, 20 + 32 + 14 + 30 + 14);
    EXPECT_EQ(p.icon, Rect(15, 20, 47, 52));
    // Centred text: (client width - text width - right margin + text left) / 2.
    EXPECT_EQ(p.text, Rect((290 - 200 - 15 + 62) / 2, 20, (290 - 200 - 15 + 62) / 2 + 202, 52));
    ASSERT_EQ(p.buttons.size(), 3u);
    EXPECT_EQ(p.buttons[0], Rect(15, 110 - 14 - 30, 95, 110 - 14));
    EXPECT_EQ(p.buttons[2].left, 15 + 2 * 90);

    // Flags 0 put the text right of the icon; a gap of 4 between buttons narrows the row.
    v.flags = 0;
    v.buttonGap = 4;
    MsgBoxPlacement q = LayoutMsgBox(v, m);
    EXPECT_EQ(q.text.left, 15 + 32 + 15);
    EXPECT_EQ(q.client.cx, 15 + 3 * 80 + 2 * 6 + 15);
    EXPECT_EQ(q.buttons[1].left - q.buttons[0].right, 6);
    // Without an icon the text starts at the margin and sets the height alone.
    m.icon = {};
    m.text = {400, 16};
    MsgBoxPlacement r = LayoutMsgBox(v, m);
    EXPECT_TRUE(r.icon.IsEmpty());
    EXPECT_EQ(r.text.left, 15);
    EXPECT_EQ(r.client, Size(15 + 400 + 15, 20 + 16 + 14 + 30 + 14));
}

TEST(MsgBoxLayoutTest, ALongTitleWidensTheBoxUpToTheCap) {
    MsgBoxLayoutValues v;
    MsgBoxMetrics m = Metrics();
    m.captionRule = true;
    m.borderWidth = 4;
    m.captionButtonWidth = 20;
    struct Case {
        int title;
        bool escape;
        int content;
    } cases[] = {
        {100, false, 260},          // the button row is wider
        {400, false, 408},          // title + 2 borders
        {400, true, 428},           // + the close button with an escape id
        {2000, true, 625},          // capped at 62.5 % of 1000
    };
    for (const Case& c : cases) {
        m.titleWidth = c.title;
        m.hasEscape = c.escape;
        EXPECT_EQ(LayoutMsgBox(v, m).client.cx, 15 + c.content + 15) << c.title;
    }
    // Without the message font there is no caption rule.
    m.captionRule = false;
    EXPECT_EQ(LayoutMsgBox(v, m).client.cx, 15 + 260 + 15);
}
