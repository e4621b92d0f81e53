// The message box as a window on the offscreen screen: what ends it (buttons, Escape, Enter,
// closing) and what does not, a hidden box that stays modal, the help key, the sound and the
// bring-to-front hook, and the text laid out as the layout rules say.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <functional>

#include "controls/msgbox/ecx_msg_box.h"
#include "platform/gui/system_metrics.h"
#include "platform/gui/testing/scripted_prompt_runner.h"
#include "tests/support/gui/screenshot.h"

namespace {

const char16_t kLongText[] =
    u"The file could not be copied to the other side because the target directory is write protected. "
    u"Abort stops the synchronization, Retry tries this file again and Ignore goes on with the next "
    u"entry of the plan, leaving this one as it is.";

// Runs the box, handing it to `act` inside its modal loop.
int RunWith(CEcxMsgBox& box, const std::function<void(CEcxMsgBox&)>& act) {
    gui::ScriptedPromptRunner prompts;
    prompts.Inspect([&](const gui::PromptRequest&, gui::PromptHost& host) {
        act(*static_cast<CEcxMsgBox*>(host.Widget()));
    });
    return box.DoModal();
}

// Lines the text control shows its text in.
int ShownLines(QTextEdit* text) {
    int lines = 0;
    for (QTextBlock b = text->document()->begin(); b.isValid(); b = b.next()) lines += b.layout()->lineCount();
    return lines;
}

}  // namespace

TEST(MsgBoxWindowTest, ButtonsEscapeEnterAndClosingEndTheBoxByItsButtonSet) {
    struct Case {
        const char* what;
        std::uint32_t type;
        std::function<void(CEcxMsgBox&)> act;
        int result;
    } cases[] = {
        {"a click", 0x2, [](CEcxMsgBox& b) { QTest::mouseClick(b.ButtonControl(4), Qt::LeftButton); }, 4},
        {"Escape with an escape button", 0x1, [](CEcxMsgBox& b) { QTest::keyClick(&b, Qt::Key_Escape); }, 2},
        {"closing with an escape button", 0x3, [](CEcxMsgBox& b) { b.close(); }, 2},
        {"Enter on the default button", 0x3, [](CEcxMsgBox& b) { QTest::keyClick(&b, Qt::Key_Return); }, 6},
        {"Enter on a focused button",
         0x3,
         [](CEcxMsgBox& b) {
             b.ButtonControl(7)->setFocus();
             QTest::keyClick(b.ButtonControl(7), Qt::Key_Return);
         },
         7},
        {"Enter on a focused button that is not the default, keypad",
         0x2,
         [](CEcxMsgBox& b) {
             b.ButtonControl(5)->setFocus();
             QTest::keyClick(b.ButtonControl(5), Qt::Key_Enter, Qt::KeypadModifier);
         },
         5},
    };
    for (const Case& c : cases) {
        CEcxMsgBox box(nullptr);
        box.SetBeep(false);
        box.SetMsgButtons(c.type);
        box.SetMsgText(u"Question?");
        EXPECT_EQ(RunWith(box, c.act), c.result) << c.what;
    }
}

TEST(MsgBoxWindowTest, WithoutAnEscapeButtonThereIsNoCloseButtonAndEscapeAndClosingDoNothing) {
    for (std::uint32_t type : {0x2u, 0x4u}) {
        CEcxMsgBox box(nullptr);
        box.SetBeep(false);
        box.SetMsgButtons(type);
        box.SetMsgText(u"Question?");
        bool closeButton = true, runningAfterEscape = false, runningAfterClose = false;
        int result = RunWith(box, [&](CEcxMsgBox& b) {
            closeButton = b.windowFlags().testFlag(Qt::WindowCloseButtonHint);
            QTest::keyClick(&b, Qt::Key_Escape);
            runningAfterEscape = b.IsModalRunning();
            b.close();
            QApplication::processEvents();
            runningAfterClose = b.IsModalRunning() && b.isVisible();
            QTest::mouseClick(b.ButtonControl(type == 0x2 ? 5 : 7), Qt::LeftButton);
        });
        EXPECT_FALSE(closeButton) << type;
        EXPECT_TRUE(runningAfterEscape) << type;
        EXPECT_TRUE(runningAfterClose) << type;
        EXPECT_EQ(result, type == 0x2 ? 5 : 7);
    }
    CEcxMsgBox withEscape(nullptr);
    withEscape.SetBeep(false);
    withEscape.SetMsgButtons(0x1);
    bool closeButton = false;
    RunWith(withEscape, [&](CEcxMsgBox& b) {
        closeButton = b.windowFlags().testFlag(Qt::WindowCloseButtonHint);
        b.EndDialog(1);
    });
    EXPECT_TRUE(closeButton);
}

TEST(MsgBoxWindowTest, AHiddenBoxStaysModalAndKeepsItsResult) {
    CEcxMsgBox box(nullptr);
    box.SetBeep(false);
    box.SetMsgButtons(0x4);
    bool running = false;
    int result = RunWith(box, [&](CEcxMsgBox& b) {
        b.hide();
        QApplication::processEvents();
        running = b.IsModalRunning();
        b.EndDialog(7);
    });
    EXPECT_TRUE(running);
    EXPECT_EQ(result, 7);
}

TEST(MsgBoxWindowTest, HelpKeySoundAndBringToFrontHooks) {
    std::vector<std::uint32_t> help, sounds;
    bool visibleAtFront = false;
    int fronts = 0;
    gui::Dialog::SetHelpHook([&](std::uint32_t id) { help.push_back(id); });
    CEcxMsgBox::SetBeepHook([&](std::uint32_t sound) { sounds.push_back(sound); });
    CEcxMsgBox* shown = nullptr;  // the box being run
    CEcxMsgBox::SetBringToFrontHook([&] {
        ++fronts;
        if (shown && shown->isVisible()) visibleAtFront = true;
    });
    {
        CEcxMsgBox box(nullptr);
        shown = &box;
        box.SetMsgButtons(0x30);
        box.FormatMsg(1104, CString(u"a.kem"));
        RunWith(box, [](CEcxMsgBox& b) {
            QTest::keyClick(&b, Qt::Key_F1);
            b.EndDialog(1);
        });
        EXPECT_EQ(box.GetHelpID(), 0x10000u + 1104);
    }
    {
        CEcxMsgBox quiet(nullptr);  // no help id: F1 asks nothing; sound off
        shown = &quiet;
        quiet.SetMsgButtons(0x10);
        quiet.SetBeep(false);
        RunWith(quiet, [](CEcxMsgBox& b) {
            QTest::keyClick(&b, Qt::Key_F1);
            b.EndDialog(1);
        });
    }
    shown = nullptr;
    CEcxMsgBox::SetBringToFrontHook(nullptr);
    CEcxMsgBox::SetBeepHook(nullptr);
    gui::Dialog::SetHelpHook(nullptr);
    EXPECT_EQ(help, (std::vector<std::uint32_t>{0x10000 + 1104}));
    EXPECT_EQ(sounds, (std::vector<std::uint32_t>{0x30}));
    EXPECT_EQ(fronts, 2);
    EXPECT_FALSE(visibleAtFront) << "the main window comes to the front before the box shows";
}

TEST(MsgBoxWindowTest, TextIsLaidOutNarrowOnOneLineOrWithinHalfTheScreen) {
    const int full = gui::GetSystemMetrics(gui::SM_CXFULLSCREEN);
    CEcxMsgBox shortBox(nullptr);
    shortBox.SetBeep(false);
    shortBox.SetMsgButtons(0x0);
    shortBox.SetMsgText(u"Nothing to process.");
    RunWith(shortBox, [&](CEcxMsgBox& b) {
        EXPECT_EQ(ShownLines(b.TextControl()), 1);
        EXPECT_LE(b.TextControl()->document()->size().height(), b.TextControl()->height());
        EXPECT_TRUE(SaveScreenshot(b, "msgbox_ok_one_line"));
        b.EndDialog(1);
    });

    CEcxMsgBox longBox(nullptr);
    longBox.SetBeep(false);
    longBox.SetMsgButtons(0x2 | 0x30);
    longBox.SetTitle(u"Wendelkast - Synchronize - Profile");
    longBox.SetMsgText(kLongText);
    RunWith(longBox, [&](CEcxMsgBox& b) {
        QTextEdit* text = b.TextControl();
        EXPECT_GT(ShownLines(text), 1);
        EXPECT_LE(text->width(), full / 2 + 2);
        EXPECT_LE(text->document()->size().height(), text->height()) << "the whole text is shown";
        ASSERT_NE(b.IconControl(), nullptr);
        EXPECT_LE(b.IconControl()->geometry().right(), text->geometry().left());
        // The buttons sit in one row below the text.
        for (std::uint32_t id : {3u, 4u, 5u}) EXPECT_GT(b.ButtonControl(id)->y(), text->geometry().bottom());
        EXPECT_TRUE(SaveScreenshot(b, "msgbox_three_buttons_icon_long_text"));
        b.EndDialog(3);
    });
}

TEST(MsgBoxWindowTest, ALongTitleWidensTheBoxNoFurtherThanTheCap) {
    const int full = gui::GetSystemMetrics(gui::SM_CXFULLSCREEN);
    CEcxMsgBox box(nullptr);
    box.SetBeep(false);
    box.SetMsgButtons(0x0);
    box.SetMsgText(u"Done.");
    box.SetTitle(CString(std::u16string(400, u'W')));
    int width = 0, margins = 0;
    RunWith(box, [&](CEcxMsgBox& b) {
        width = b.width();
        gui::Rect r(0, 0, 20, 0);  // left and right margin
        b.MapDialogRect(r);
        margins = r.Width();
        b.EndDialog(1);
    });
    EXPECT_GT(width, full / 2) << "the title widens the box";
    EXPECT_LE(width, gui::MulDiv(full, 625, 1000) + margins);
}
