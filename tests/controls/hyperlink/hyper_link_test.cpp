#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

#include "controls/hyperlink/hyper_link.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/testing/recording_launcher.h"
#include "platform/gui/testing/scripted_prompt_runner.h"

namespace hyperlink {
namespace {

TEST(HyperLinkColor, PicksHoverFocusVisitedAndLinkInThatOrder) {
    struct Case {
        bool hovering, focused, visited;
        std::uint32_t style;
        gui::COLORREF expected;
    };
    const Case cases[] = {
        {false, false, false, kDefaultStyle, kLinkColor},
        {false, false, true, kDefaultStyle, kVisitedColor},
        {true, false, false, kDefaultStyle, kLinkColor},  // hovering without 0x02 changes nothing
        {true, false, true, kDefaultStyle, kVisitedColor},
        {true, false, false, kDefaultStyle | kUseHover, kHoverColor},
        {true, true, true, kDefaultStyle | kUseHover, kHoverColor},
        {false, true, false, kDefaultStyle, kFocusColor},
        {false, true, true, kDefaultStyle, kFocusColor},
        {false, true, false, kDefaultStyle | kNoFocusColor, kLinkColor},
        {false, true, true, kDefaultStyle | kNoFocusColor, kVisitedColor},
        {true, true, false, kDefaultStyle, kFocusColor},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LinkColor(c.hovering, c.focused, c.visited, c.style), c.expected)
            << c.hovering << c.focused << c.visited << " style " << c.style;
}

TEST(HyperLinkFit, KeepsTheEdgeOrCentreOfItsAlignment) {
    const gui::Rect window(100, 50, 300, 70);  // 200 x 20
    const gui::Size text(60, 14);
    struct Case {
        std::uint32_t alignment;
        gui::Rect expected;
    };
    const Case cases[] = {
        {SS_LEFT, {100, 50, 160, 64}},
        {SS_RIGHT, {240, 50, 300, 64}},
        {SS_CENTER, {170, 50, 230, 64}},
        {SS_LEFT | SS_CENTERIMAGE, {100, 53, 160, 67}},
        {SS_RIGHT | SS_CENTERIMAGE, {240, 53, 300, 67}},
    };
    for (const Case& c : cases) EXPECT_EQ(FitToText(window, text, c.alignment), c.expected) << c.alignment;
}

TEST(HyperLinkFailure, EachLauncherResultHasItsText) {
    struct Case {
        int result;
        const char16_t* text;
    };
    const Case cases[] = {
        {0, u"Can't open link:\n\nThe operating system is out\nof memory or resources."},
        {2, u"Can't open link:\n\nThe specified file was not found."},
        {26, u"Can't open link:\n\nA sharing violation occurred. "},
        {31, u"Can't open link:\n\nThere is no application associated\nwith the given filename extension."},
        {32, u"Can't open link:\n\nThe specified dynamic-link library was not found."},
        {1, u"Can't open link:\n\nUnknown Error (1) occurred."},
        {-7, u"Can't open link:\n\nUnknown Error (-7) occurred."},
    };
    for (const Case& c : cases) EXPECT_EQ(OpenFailureText(c.result), CString(c.text)) << c.result;
}

// A dialog-like parent with one label turned into a link.
class HyperLinkTest : public testing::Test {
protected:
    void SetUp() override {
        parent.resize(300, 80);
        label = new QLabel("Home page", &parent);
        label->setGeometry(20, 20, 200, 20);
        gui::SetControlId(label, 1059);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
        // Focus goes only to a control of the active window (Xvfb has no window manager).
        parent.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    }

    CHyperLink* Make(const CString& link, std::uint32_t style = kDefaultStyle) {
        link_ = CHyperLink::Subclass(label, link, style);
        label = nullptr;
        return link_;
    }

    // A mouse move without a button, delivered at once on every platform.
    void Move(QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, link_->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(link_, &move);
    }

    gui::Window parent;
    QLabel* label = nullptr;
    CHyperLink* link_ = nullptr;
    gui::RecordingLauncher launcher;
    gui::ScriptedPromptRunner prompts;
};

TEST_F(HyperLinkTest, SubclassingTakesTheLabelsPlaceAndFitsToTheText) {
    CHyperLink* link = Make(u"https://wendelkast.example.org/");
    EXPECT_EQ(parent.GetDlgItem(1059), link);
    EXPECT_EQ(link->GetLinkText(), CString(u"Home page"));
    EXPECT_EQ(link->toolTip(), "https://wendelkast.example.org/");
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    QFont underlined = link->font();
    underlined.setUnderline(true);
    EXPECT_EQ(link->width(), QFontMetrics(underlined).horizontalAdvance("Home page"));
    EXPECT_EQ(link->x(), 20);

    link->SetLinkText(u"The project's home page");
    EXPECT_EQ(link->width(), QFontMetrics(underlined).horizontalAdvance("The project's home page"));
    EXPECT_TRUE(link->isVisible());
    EXPECT_EQ(link->GetLink(), CString(u"https://wendelkast.example.org/")) << "the link stays";
}

TEST_F(HyperLinkTest, AnEmptyLinkOpensTheTextAndAnEmptyTextShowsTheLink) {
    CHyperLink* link = Make({}, kDefaultStyle | kStandardCursor);
    EXPECT_EQ(link->GetLink(), CString(u"Home page"));
    EXPECT_EQ(link->cursor().shape(), Qt::ArrowCursor);

    auto* empty = new QLabel(&parent);
    CHyperLink* other = CHyperLink::Subclass(empty, u"mailto:wendelkast@example.org");
    EXPECT_EQ(other->GetLinkText(), CString(u"mailto:wendelkast@example.org"));

    auto* nothing = new QLabel(&parent);
    nothing->setGeometry(0, 50, 50, 20);
    CHyperLink* none = CHyperLink::Subclass(nothing, {}, kDefaultStyle & ~kFitToText);
    QTest::mouseClick(none, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(launcher.Opened().empty()) << "with link and text both empty a click does nothing";
}

TEST_F(HyperLinkTest, ButtonUpOpensUnlessStyleOpensOnButtonDown) {
    CHyperLink* link = Make(u"https://wendelkast.example.org/");
    QPoint inside(3, 3);
    QTest::mousePress(link, Qt::LeftButton, {}, inside);
    EXPECT_TRUE(launcher.Opened().empty());
    EXPECT_TRUE(link->hasFocus()) << "style 0x10 takes the focus";
    QTest::mouseRelease(link, Qt::LeftButton, {}, inside);
    ASSERT_EQ(launcher.Opened().size(), 1u);
    EXPECT_TRUE(link->IsVisited());

    link->SetLinkStyle(kDefaultStyle | kOpenOnButtonDown);
    QTest::mousePress(link, Qt::LeftButton, {}, inside);
    EXPECT_EQ(launcher.Opened().size(), 2u);
    QTest::mouseRelease(link, Qt::LeftButton, {}, inside);
    EXPECT_EQ(launcher.Opened().size(), 2u);

    QTest::keyClick(link, Qt::Key_Space);
    EXPECT_EQ(launcher.Opened().size(), 3u);
    QTest::keyClick(link, Qt::Key_A);
    EXPECT_EQ(launcher.Opened().size(), 3u);
}

TEST_F(HyperLinkTest, ColoursFollowHoverFocusAndVisited) {
    CHyperLink* link = Make(u"https://wendelkast.example.org/", kDefaultStyle | kUseHover);
    EXPECT_EQ(link->CurrentColor(), kLinkColor);
    Move(QPoint(3, 3));
    EXPECT_TRUE(link->IsHovering());
    EXPECT_EQ(link->CurrentColor(), kHoverColor);
    Move(QPoint(link->width() + 5, 3));
    EXPECT_FALSE(link->IsHovering()) << "leaving restores the colour";
    EXPECT_EQ(link->CurrentColor(), kLinkColor);
    link->setFocus();
    EXPECT_EQ(link->CurrentColor(), kFocusColor);
    link->clearFocus();
    EXPECT_EQ(link->CurrentColor(), kLinkColor);
    EXPECT_TRUE(link->OpenLink());
    EXPECT_EQ(link->CurrentColor(), kVisitedColor);

    // The painted text has the colour.
    QImage image = link->grab().toImage();
    bool purple = false;
    for (int y = 0; y < image.height() && !purple; ++y)
        for (int x = 0; x < image.width() && !purple; ++x) purple = image.pixelColor(x, y) == QColor(128, 0, 128);
    EXPECT_TRUE(purple);
}

TEST_F(HyperLinkTest, AFailureShowsTheResultsTextAndLeavesTheLinkUnvisited) {
    const CString odd = u"https://wendelkast.example.org/a b\"c\nd";
    CHyperLink* link = Make(odd);
    launcher.Result(31);
    prompts.Answer(gui::IDOK);
    EXPECT_FALSE(link->OpenLink());
    ASSERT_EQ(launcher.Opened().size(), 1u);
    EXPECT_EQ(launcher.Opened()[0], odd) << "the link goes whole to the launcher";
    ASSERT_EQ(prompts.Requests().size(), 1u);
    const gui::PromptRequest& box = prompts.Requests()[0];
    EXPECT_EQ(box.kind, gui::PromptKind::MessageBox);
    EXPECT_EQ(CString(box.text), OpenFailureText(31));
    EXPECT_EQ(box.icon, 32515) << "the exclamation icon";
    EXPECT_FALSE(link->IsVisited());
}

}  // namespace
}  // namespace hyperlink
