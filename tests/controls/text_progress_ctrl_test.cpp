// The text progress bar: the filled length and text for limits and positions (within the
// range always), the progress bar's messages with their results, when it repaints, the
// vertical bar, and the text drawn in the other part's colour on each part.
#include "controls/text_progress_ctrl.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QTest>
#include <QVBoxLayout>

#include "platform/gui/qt_convert.h"
#include "platform/gui/system_metrics.h"
#include "platform/gui/testing/recording_canvas.h"
#include "tests/support/gui/screenshot.h"

using namespace gui;

namespace {

constexpr COLORREF kBar = RGB(0, 0, 200);
constexpr COLORREF kBack = RGB(255, 255, 224);

// What one paint of the bar drew: the fills and the texts with their clip and colour.
struct Painted {
    std::vector<std::pair<Rect, COLORREF>> fills;
    std::vector<CanvasCall> texts;
};

Painted PaintOf(const CTextProgressCtrl& bar) {
    RecordingCanvas canvas(Rect(0, 0, bar.width(), bar.height()));
    bar.Paint(canvas);
    Painted p;
    for (const CanvasCall& c : canvas.Calls()) {
        if (c.op == CanvasOp::FillRect) p.fills.emplace_back(c.rect, c.color);
        if (c.op == CanvasOp::DrawText) p.texts.push_back(c);
    }
    return p;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& w) { w.installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++count;
        return false;
    }
};

TEST(TextProgressCtrlTest, FilledLengthAndTextFollowRangeAndPositionWithinTheRange) {
    struct Case {
        int lower, upper, position;
        int expectedPos;
        int filled;  // pixels of 200; -1: nothing painted at all
        const char16_t* text;
    };
    const Case cases[] = {
        {0, 100, 0, 0, 0, u"0%"},
        {0, 100, 37, 37, 74, u"37%"},
        {0, 100, 100, 100, 200, u"100%"},
        {-100, 100, 0, 0, 100, u"50%"},
        {0, 100, 150, 100, 200, u"100%"},  // beyond the upper limit: stops there
        {0, 100, -5, 0, 0, u"0%"},
        {0, 3, 1, 1, 66, u"33%"},
        {50, 50, 10, 10, -1, u""},  // equal limits: nothing painted, the position kept as given
        {60, 40, 99, 99, -1, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lower << ".." << c.upper << " at " << c.position);
        CTextProgressCtrl bar;
        bar.resize(200, 20);
        bar.SetBarColor(kBar);
        bar.SetBkColor(kBack);
        bar.SetRange32(c.lower, c.upper);
        bar.SetPos(c.position);
        EXPECT_EQ(bar.GetPos(), c.expectedPos);
        const Painted p = PaintOf(bar);
        EXPECT_EQ(bar.ShownText(), CString(c.text));
        if (c.filled < 0) {
            EXPECT_TRUE(p.fills.empty());
            EXPECT_TRUE(p.texts.empty());
            continue;
        }
        std::vector<std::pair<Rect, COLORREF>> expected;
        if (c.filled > 0) expected.emplace_back(Rect(0, 0, c.filled, 20), kBar);
        if (c.filled < 200) expected.emplace_back(Rect(c.filled, 0, 200, 20), kBack);
        EXPECT_EQ(p.fills, expected);
        ASSERT_FALSE(p.texts.empty());
        EXPECT_EQ(CString(p.texts[0].text), CString(c.text));
    }
}

TEST(TextProgressCtrlTest, ANewRangeKeepsThePositionInside) {
    CTextProgressCtrl bar;
    bar.SetPos(80);
    bar.SetRange32(0, 50);
    EXPECT_EQ(bar.GetPos(), 50);
    bar.SetRange32(60, 90);
    EXPECT_EQ(bar.GetPos(), 60);
    bar.SetRange32(5, 5);  // no valid range: the position stays
    EXPECT_EQ(bar.GetPos(), 60);
}

TEST(TextProgressCtrlTest, MessagesGiveTheProgressBarsResults) {
    CTextProgressCtrl bar;
    // The previous range packed into 16-bit halves.
    EXPECT_EQ(bar.SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(-5), 70000), (100 << 16) | 0);
    EXPECT_EQ(bar.SendMessage(PBM_SETRANGE, 0, (200 << 16) | 10), ((70000 & 0xFFFF) << 16) | 0xFFFB);
    PBRANGE range;
    EXPECT_EQ(bar.SendMessage(PBM_GETRANGE, 1, reinterpret_cast<LPARAM>(&range)), 10);
    EXPECT_EQ(range.iLow, 10);
    EXPECT_EQ(range.iHigh, 200);
    EXPECT_EQ(bar.SendMessage(PBM_GETRANGE, 0, 0), 200);

    EXPECT_EQ(bar.SendMessage(PBM_SETPOS, 50), 10);  // the previous position (clamped into the range)
    EXPECT_EQ(bar.SendMessage(PBM_DELTAPOS, 25), 50);
    EXPECT_EQ(bar.SendMessage(PBM_SETSTEP, 30), 1);
    EXPECT_EQ(bar.SendMessage(PBM_STEPIT), 75);
    EXPECT_EQ(bar.SendMessage(PBM_GETPOS), 105);
    bar.SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(1000));
    EXPECT_EQ(bar.GetPos(), 200);
    bar.SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(-1000));
    EXPECT_EQ(bar.GetPos(), 10);

    EXPECT_EQ(static_cast<COLORREF>(bar.SendMessage(PBM_SETBARCOLOR, 0, kBar)), CLR_DEFAULT);
    EXPECT_EQ(static_cast<COLORREF>(bar.SendMessage(PBM_SETBARCOLOR, 0, kBack)), kBar);
    EXPECT_EQ(static_cast<COLORREF>(bar.SendMessage(PBM_SETBKCOLOR, 0, kBack)), CLR_DEFAULT);
    EXPECT_EQ(static_cast<COLORREF>(bar.SendMessage(PBM_SETTEXTCOLOR, 0, RGB(1, 2, 3))), CLR_DEFAULT);
    EXPECT_EQ(static_cast<COLORREF>(bar.SendMessage(PBM_SETTEXTCOLOR, 0, CLR_DEFAULT)), RGB(1, 2, 3));
    EXPECT_EQ(bar.SendMessage(PBM_SHOWTEXT, 0), 0);
    EXPECT_FALSE(bar.GetShowText());
    bar.SendMessage(PBM_SHOWTEXT, 1);
    EXPECT_TRUE(bar.GetShowText());

    EXPECT_EQ(bar.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"Copying")), 1);
    EXPECT_EQ(bar.ShownText(), CString(u"Copying"));
    char16_t buffer[8] = {u'x', u'x', u'x', u'x', u'x', u'x', u'x', u'x'};
    EXPECT_EQ(bar.SendMessage(WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buffer)), 3);
    EXPECT_EQ(std::u16string(buffer), u"Cop");  // cut and terminated within the count
    EXPECT_EQ(buffer[4], u'x');                 // nothing written past it
    EXPECT_EQ(bar.SendMessage(WM_GETTEXT, 8, reinterpret_cast<LPARAM>(buffer)), 7);
    EXPECT_EQ(bar.SendMessage(WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
    bar.SendMessage(WM_SETTEXT, 0, 0);  // null: no text, the percentage again
    EXPECT_EQ(bar.ShownText(), CString(u"0%"));
}

TEST(TextProgressCtrlTest, RepaintsOnlyWhenTheFilledLengthOrTheShownTextChanges) {
    CTextProgressCtrl bar;
    bar.resize(50, 16);  // narrower than 100 pixels: the text changes before the length does
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    PaintCounter paints(bar);
    auto paintsAfter = [&](auto change) {
        QCoreApplication::processEvents();
        paints.count = 0;
        change();
        QCoreApplication::processEvents();
        return paints.count;
    };
    EXPECT_EQ(paintsAfter([&] { bar.SetPos(10); }), 1);  // length 5
    EXPECT_EQ(paintsAfter([&] { bar.SetPos(10); }), 0);  // nothing changed
    EXPECT_EQ(paintsAfter([&] { bar.SetPos(11); }), 1);  // same length, text "11%"
    bar.SetWindowText(u"Copying");
    EXPECT_EQ(paintsAfter([&] { bar.SetPos(10); }), 0);  // same length and the same text
    EXPECT_EQ(paintsAfter([&] { bar.SetPos(14); }), 1);  // length 7
    EXPECT_EQ(paintsAfter([&] { bar.SetWindowText(u"Copying"); }), 0);
    EXPECT_EQ(paintsAfter([&] { bar.SetWindowText(u""); }), 1);  // the percentage again
}

TEST(TextProgressCtrlTest, AVerticalBarFillsFromTheBottomWithoutText) {
    CTextProgressCtrl bar(nullptr, PBS_VERTICAL);
    bar.resize(20, 100);
    bar.SetBarColor(kBar);
    bar.SetBkColor(kBack);
    bar.SetPos(30);
    const Painted p = PaintOf(bar);
    const std::vector<std::pair<Rect, COLORREF>> expected = {{Rect(0, 70, 20, 100), kBar}, {Rect(0, 0, 20, 70), kBack}};
    EXPECT_EQ(p.fills, expected);
    EXPECT_TRUE(p.texts.empty());
    EXPECT_TRUE(bar.ShownText().IsEmpty());
}

TEST(TextProgressCtrlTest, TheTextIsDrawnInTheOtherPartsColourOnEachPart) {
    QWidget parent;
    CTextProgressCtrl bar(&parent);
    bar.resize(240, 24);
    bar.SetBarColor(kBar);
    bar.SetBkColor(kBack);
    bar.SetWindowText(u"MMMMMMMMMMMMMMMM");
    bar.SetPos(50);
    const Painted p = PaintOf(bar);
    ASSERT_EQ(p.texts.size(), 2u);
    EXPECT_EQ(p.texts[0].clip, Rect(0, 0, 120, 24));
    EXPECT_EQ(p.texts[0].textColor, kBack);
    EXPECT_EQ(p.texts[1].clip, Rect(120, 0, 240, 24));
    EXPECT_EQ(p.texts[1].textColor, kBar);
    EXPECT_EQ(p.texts[0].font, FromQFont(parent.font()));  // the parent's font

    // On the screen: text pixels of the background colour on the bar, of the bar colour on
    // the background.
    const QImage image = bar.grab().toImage();
    const QColor bar_ = ToQColor(kBar), back = ToQColor(kBack);
    int backOnBar = 0, barOnBack = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (x < 120 && c == back) ++backOnBar;
            if (x >= 120 && c == bar_) ++barOnBack;
        }
    }
    EXPECT_GT(backOnBar, 10);
    EXPECT_GT(barOnBack, 10);

    bar.SetTextColor(RGB(255, 0, 0));  // one colour on both parts
    const Painted red = PaintOf(bar);
    ASSERT_EQ(red.texts.size(), 2u);
    EXPECT_EQ(red.texts[0].textColor, RGB(255, 0, 0));
    EXPECT_EQ(red.texts[1].textColor, RGB(255, 0, 0));
}

TEST(TextProgressCtrlTest, Pictures) {
    QWidget panel;
    auto* layout = new QVBoxLayout(&panel);
    const int positions[] = {0, 37, 100};
    for (bool custom : {false, true}) {
        for (int position : positions) {
            auto* bar = new CTextProgressCtrl(&panel);
            bar->setFixedSize(260, 20);
            if (custom) {
                bar->SetBarColor(RGB(0, 128, 0));
                bar->SetBkColor(RGB(255, 255, 224));
                if (position == 37) bar->SetWindowText(u"Copying report.txt");
            }
            bar->SetPos(position);
            layout->addWidget(bar);
        }
    }
    auto* vertical = new CTextProgressCtrl(&panel, PBS_VERTICAL);
    vertical->setFixedSize(20, 60);
    vertical->SetPos(37);
    layout->addWidget(vertical);
    panel.setWindowTitle("Text progress");
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_TRUE(SaveScreenshot(panel, "text_progress_bars"));
}

}  // namespace
