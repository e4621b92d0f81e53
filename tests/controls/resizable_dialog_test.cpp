// The resizable dialog: anchored controls at two sizes, the minimum size, the grip, and the
// placement kept in the settings, applied only where it can show the dialog, giving the same
// layout whether it is restored before or after the controls are anchored.
#include "controls/resizable_dialog.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <set>

#include "app/registry_profile.h"
#include "platform/core/settings_store.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/testing/scripted_prompt_runner.h"
#include "tests/support/gui/screenshot.h"

using gui::Rect;
using gui::Size;

namespace {

constexpr char16_t kSection[] = u"Appearance\\TestDlg";

// 300 x 200 with a label at the top centre, a list filling the rest and OK in the lower-right
// corner.
class AnchoredDialog : public CResizableDialog {
public:
    explicit AnchoredDialog(RegistryProfile* settings = nullptr, bool restoreFirst = false, bool rectOnly = false)
        : settings_(settings), restoreFirst_(restoreFirst), rectOnly_(rectOnly) {}

    QListWidget* list = nullptr;
    QPushButton* ok = nullptr;
    QLabel* label = nullptr;

    Rect At(QWidget* w) const { return gui::FromQRect(w->geometry()); }

protected:
    bool OnInitDialog() override {
        setWindowTitle("Resizable");
        list = new QListWidget(this);
        list->addItems({"one.kem", "two.kem", "three.kem"});
        list->setGeometry(10, 35, 280, 115);
        ok = new QPushButton("OK", this);
        ok->setGeometry(210, 165, 80, 25);
        BindControl(ok, gui::IDOK);
        label = new QLabel("Centre", this);
        label->setGeometry(125, 10, 50, 20);
        label->setAlignment(Qt::AlignCenter);
        resize(300, 200);
        CResizableDialog::OnInitDialog();
        if (settings_ && restoreFirst_) EnableSaveRestore(*settings_, kSection, rectOnly_);
        AddAnchor(list, Size(0, 0), Size(100, 100));
        AddAnchor(ok, Size(100, 100), Size(100, 100));
        AddAnchor(label, Size(50, 0), Size(50, 0));
        if (settings_ && !restoreFirst_) EnableSaveRestore(*settings_, kSection, rectOnly_);
        return true;
    }

private:
    RegistryProfile* settings_;
    bool restoreFirst_;
    bool rectOnly_;
};

class ResizableDialogTest : public testing::Test {
protected:
    void Show(AnchoredDialog& d) {
        ASSERT_TRUE(d.CreateDialogWindow());
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    }
    QRect Screen() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

    std::unique_ptr<plat::SettingsStore> store_ = plat::SettingsStore::OpenInMemory();
    RegistryProfile settings_{*store_};
};

TEST_F(ResizableDialogTest, AnchoredControlsFollowTheSizeAndTheDialogKeepsItsInitialSizeAsLeast) {
    AnchoredDialog d;
    Show(d);
    EXPECT_EQ(d.size(), QSize(300, 200));
    EXPECT_EQ(d.At(d.list), Rect(10, 35, 290, 150));
    EXPECT_EQ(d.At(d.ok), Rect(210, 165, 290, 190));
    EXPECT_EQ(d.At(d.label), Rect(125, 10, 175, 30));
    EXPECT_TRUE(SaveScreenshot(d, "resizable_dialog_initial"));

    d.resize(500, 350);
    QCoreApplication::processEvents();
    EXPECT_EQ(d.At(d.list), Rect(10, 35, 490, 300));    // margins to all four sides kept
    EXPECT_EQ(d.At(d.ok), Rect(410, 315, 490, 340));    // size and distance to the corner kept
    EXPECT_EQ(d.At(d.label), Rect(225, 10, 275, 30));  // stays centred at the top
    EXPECT_EQ(d.ArrangeLayout(), 0);                     // all in place: nothing is moved again
    d.ok->move(0, 0);
    EXPECT_EQ(d.ArrangeLayout(), 1);
    EXPECT_EQ(d.At(d.ok), Rect(410, 315, 490, 340));
    EXPECT_TRUE(SaveScreenshot(d, "resizable_dialog_enlarged"));

    d.resize(120, 80);  // smaller than it started
    QCoreApplication::processEvents();
    EXPECT_EQ(d.size(), QSize(300, 200));
}

TEST_F(ResizableDialogTest, TheGripSitsInTheCornerAndHidesWhileMaximised) {
    AnchoredDialog d;
    Show(d);
    auto* grip = d.findChild<QSizeGrip*>();
    ASSERT_NE(grip, nullptr);
    EXPECT_GT(grip->width(), 0);
    EXPECT_GT(grip->height(), 0);
    const QImage picture = grip->grab().toImage();  // it paints something: more than one colour
    std::set<QRgb> colours;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) colours.insert(picture.pixel(x, y));
    EXPECT_GT(colours.size(), 1u) << picture.width() << "x" << picture.height();
    EXPECT_TRUE(grip->isVisible());
    EXPECT_EQ(grip->geometry().bottomRight(), QPoint(299, 199));
    d.showMaximized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(d.isMaximized());
    EXPECT_FALSE(grip->isVisible());
    d.showNormal();
    QCoreApplication::processEvents();
    EXPECT_TRUE(grip->isVisible());
    EXPECT_EQ(grip->geometry().bottomRight(), QPoint(d.width() - 1, d.height() - 1));
}

TEST_F(ResizableDialogTest, ThePlacementIsSavedAtTheEndAndRestoredNextTime) {
    {
        AnchoredDialog d(&settings_);
        gui::ScriptedPromptRunner prompts;
        prompts.Inspect([&](const gui::PromptRequest&, gui::PromptHost& host) {
            ASSERT_TRUE(QTest::qWaitForWindowExposed(host.Widget()));
            d.setGeometry(50, 60, 400, 260);
            QCoreApplication::processEvents();
            QTest::mouseClick(d.ok, Qt::LeftButton);
        });
        EXPECT_EQ(d.DoModal(), gui::IDOK);
    }
    EXPECT_EQ(settings_.GetProfileString(kSection, u"WindowPlacement"), CString(u"50,60,450,320,1,0"));

    AnchoredDialog again(&settings_);
    Show(again);
    EXPECT_EQ(again.geometry(), QRect(50, 60, 400, 260));
    EXPECT_EQ(again.At(again.ok), Rect(310, 225, 390, 250));

    again.showMaximized();
    QCoreApplication::processEvents();
    again.hide();
    EXPECT_EQ(settings_.GetProfileString(kSection, u"WindowPlacement"), CString(u"50,60,450,320,3,0"));

    // The rectangle alone: always shown normal.
    AnchoredDialog rectOnly(&settings_, false, true);
    Show(rectOnly);
    EXPECT_FALSE(rectOnly.isMaximized());
    rectOnly.hide();
    EXPECT_EQ(settings_.GetProfileString(kSection, u"WindowPlacement").Right(4), CString(u",1,0"));
}

TEST_F(ResizableDialogTest, RestoringBeforeOrAfterAnchoringGivesTheSameLayout) {
    ASSERT_TRUE(settings_.WriteProfileString(kSection, u"WindowPlacement", u"40,40,540,390,1,0"));
    AnchoredDialog anchorFirst(&settings_, false);
    AnchoredDialog restoreFirst(&settings_, true);
    Show(anchorFirst);
    Show(restoreFirst);
    for (AnchoredDialog* d : {&anchorFirst, &restoreFirst}) {
        EXPECT_EQ(d->geometry(), QRect(40, 40, 500, 350));
        EXPECT_EQ(d->At(d->list), Rect(10, 35, 490, 300));
        EXPECT_EQ(d->At(d->ok), Rect(410, 315, 490, 340));
        EXPECT_EQ(d->At(d->label), Rect(225, 10, 275, 30));
    }
}

TEST_F(ResizableDialogTest, OnlyAPlacementThatCanShowTheDialogIsApplied) {
    const QRect screen = Screen();
    AnchoredDialog plain;  // where a dialog without a placement shows: centred
    Show(plain);
    const QRect centred = plain.geometry();
    struct Case {
        const char16_t* text;
        QRect expected;
        bool maximized;
    };
    const Case cases[] = {
        {u"10,20,410,320,1,0", QRect(10, 20, 400, 300), false},
        {u"10,20,410,320,1", centred, false},                 // five numbers
        {u"10,20,410,320,1,0,7", centred, false},             // seven
        {u"10,20,abc,320,1,0", centred, false},               // letters
        {u"10,20,410,320,1,0 x", centred, false},             // trailing text
        {u"10,\n20,410,320,1,0", centred, false},             // a line break in a number
        {u"10,20,410,320,1,99999999999", centred, false},     // beyond int
        {u"10,20,10,320,1,0", centred, false},                // no width
        {u"410,320,10,20,1,0", centred, false},               // negative size
        {u"10,20,110,70,1,0", QRect(10, 20, 300, 200), false},  // grown to the least size
        {u"50000,50000,50400,50300,1,0", QRect(screen.right() + 1 - 400, screen.bottom() + 1 - 300, 400, 300),
         false},  // a monitor that is gone: moved onto the screen
        {u"10,20,410,320,0,0", QRect(10, 20, 400, 300), false},  // hidden: shown normal
        {u"10,20,410,320,2,0", QRect(10, 20, 400, 300), false},  // minimised: shown normal
        {u"10,20,410,320,3,0", QRect(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CString(c.text).ToUtf8());
        ASSERT_TRUE(settings_.WriteProfileString(kSection, u"WindowPlacement", c.text));
        AnchoredDialog d(&settings_);
        Show(d);
        QCoreApplication::processEvents();
        EXPECT_TRUE(d.isVisible());
        EXPECT_FALSE(d.isMinimized());
        EXPECT_EQ(d.isMaximized(), c.maximized);
        if (!c.maximized) {
            EXPECT_EQ(d.geometry(), c.expected);
        }
    }

    // Larger than the screen: shrunk to it and shown on it.
    ASSERT_TRUE(settings_.WriteProfileString(kSection, u"WindowPlacement", u"-50,0,20000,20000,1,0"));
    AnchoredDialog large(&settings_);
    Show(large);
    EXPECT_EQ(large.size(), screen.size());
    EXPECT_TRUE(screen.intersects(large.geometry()));
}

}  // namespace
