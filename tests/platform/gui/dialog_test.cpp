// The dialog base's own modal loop: the owner is disabled meanwhile, a hidden dialog stays
// modal and keeps its result, keys and closing end it as the dialog manager does, templates
// are built through the builder hook, and dialog units follow the dialog font.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QPushButton>
#include <QTest>

#include "platform/gui/dialog.h"
#include "platform/gui/testing/scripted_prompt_runner.h"
#include "tests/support/gui/screenshot.h"

using namespace gui;

namespace {

constexpr int kOther = 1234;

class Sample : public Dialog {
public:
    using Dialog::Dialog;
    bool endInInit = false;
    int initCalls = 0;

protected:
    bool OnInitDialog() override {
        ++initCalls;
        setWindowTitle("Sample");
        auto* ok = new QPushButton("OK", this);
        auto* other = new QPushButton("&Other", this);
        ok->setGeometry(10, 10, 80, 25);
        other->setGeometry(100, 10, 80, 25);
        BindControl(ok, IDOK);
        BindControl(other, kOther);
        resize(190, 45);
        if (endInInit) EndDialog(55);
        return true;
    }
    bool OnCommand(int id, int code, HWND from) override {
        if (id == kOther) {
            EndDialog(kOther);
            return true;
        }
        return Dialog::OnCommand(id, code, from);
    }
};

// Runs `dialog` with a callback that acts on it inside its loop.
int RunWith(Dialog& dialog, std::function<void(Dialog&)> act) {
    ScriptedPromptRunner prompts;
    prompts.Inspect([&](const PromptRequest&, PromptHost& host) { act(*static_cast<Dialog*>(host.Widget())); });
    return dialog.DoModal();
}

}  // namespace

TEST(DialogTest, TheOwnerIsDisabledWhileTheDialogRuns) {
    Window owner;
    owner.show();
    Sample dialog(&owner);
    bool ownerEnabledInside = true;
    EXPECT_EQ(RunWith(dialog,
                      [&](Dialog& d) {
                          ownerEnabledInside = owner.isEnabled();
                          EXPECT_TRUE(d.isVisible());
                          EXPECT_TRUE(SaveScreenshot(d, "dialog_sample"));
                          d.EndDialog(IDOK);
                      }),
              IDOK);
    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_TRUE(owner.isEnabled());
    // An owner that was disabled before stays disabled.
    owner.setEnabled(false);
    Sample again(&owner);
    RunWith(again, [](Dialog& d) { d.EndDialog(IDCANCEL); });
    EXPECT_FALSE(owner.isEnabled());
}

TEST(DialogTest, AHiddenModalDialogKeepsItsLoopAndResult) {
    Sample dialog;
    bool stillRunning = false;
    int result = RunWith(dialog, [&](Dialog& d) {
        d.hide();
        QApplication::processEvents();
        stillRunning = d.IsModalRunning();
        d.show();
        d.hide();
        d.EndDialog(4242);
    });
    EXPECT_TRUE(stillRunning);
    EXPECT_EQ(result, 4242);
}

TEST(DialogTest, KeysAndClosingEndTheDialog) {
    struct Case {
        const char* what;
        std::function<void(Dialog&)> act;
        int result;
    } cases[] = {
        {"Escape", [](Dialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, IDCANCEL},
        {"Enter goes to the default button", [](Dialog& d) { QTest::keyClick(&d, Qt::Key_Return); }, IDOK},
        {"Enter on a focused button",
         [](Dialog& d) {
             d.GetDlgItem(kOther)->setFocus();
             QTest::keyClick(d.GetDlgItem(kOther), Qt::Key_Return);
         },
         kOther},
        {"closing the window", [](Dialog& d) { d.close(); }, IDCANCEL},
        {"a click", [](Dialog& d) { QTest::mouseClick(d.GetDlgItem(kOther), Qt::LeftButton); }, kOther},
    };
    for (const Case& c : cases) {
        Sample dialog;
        EXPECT_EQ(RunWith(dialog, c.act), c.result) << c.what;
    }
}

TEST(DialogTest, EndingInItsSetUpSkipsTheLoop) {
    Sample dialog;
    dialog.endInInit = true;
    EXPECT_EQ(dialog.RunModal(), 55);
    EXPECT_FALSE(dialog.isVisible());
    // Run once more: the window exists already and is not made again.
    dialog.endInInit = false;
    EXPECT_EQ(RunWith(dialog, [](Dialog& d) { d.EndDialog(IDCANCEL); }), IDCANCEL);
    EXPECT_EQ(dialog.initCalls, 1);
}

TEST(DialogTest, TemplatesAreBuiltThroughTheBuilderHook) {
    std::vector<std::uint32_t> asked;
    Dialog::SetTemplateBuilder([&](Dialog& d, std::uint32_t id) {
        asked.push_back(id);
        if (id != 300) return false;
        auto* ok = new QPushButton("OK", &d);
        d.BindControl(ok, IDOK);
        return true;
    });
    {
        ScriptedPromptRunner prompts;
        prompts.Inspect([](const PromptRequest& request, PromptHost& host) {
            EXPECT_EQ(request.dialogId, 300u);
            static_cast<Dialog*>(host.Widget())->GetDlgItem(IDOK)->setFocus();
            QTest::keyClick(host.Widget(), Qt::Key_Return);
        });
        Dialog built(nullptr, 300);
        EXPECT_EQ(built.DoModal(), IDOK);
        // A template that cannot be built gives -1 and shows nothing.
        Dialog missing(nullptr, 301);
        EXPECT_EQ(missing.RunModal(), -1);
        EXPECT_FALSE(missing.isVisible());
    }
    Dialog::SetTemplateBuilder(nullptr);
    EXPECT_EQ(asked, (std::vector<std::uint32_t>{300, 301}));
}

TEST(DialogTest, DialogUnitsFollowTheDialogFont) {
    Dialog dialog;
    QFont font("DejaVu Sans");
    font.setPixelSize(13);
    dialog.SetDialogFont(font);
    QFontMetrics m(font);
    int baseX = (m.horizontalAdvance("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") / 26 + 1) / 2;
    Rect r(0, 0, 1000, 1000);
    dialog.MapDialogRect(r);
    EXPECT_EQ(r.right, MulDiv(1000, baseX, 4));
    EXPECT_EQ(r.bottom, MulDiv(1000, m.height(), 8));
    font.setPixelSize(26);
    dialog.SetDialogFont(font);
    Rect big(0, 0, 1000, 1000);
    dialog.MapDialogRect(big);
    EXPECT_GT(big.right, r.right * 3 / 2);
}

TEST(DialogTest, HelpKeyCallsTheHookWithTheHelpId) {
    std::vector<std::uint32_t> help;
    Dialog::SetHelpHook([&](std::uint32_t id) { help.push_back(id); });
    Sample dialog;
    dialog.SetHelpID(0x10123);
    RunWith(dialog, [](Dialog& d) {
        QTest::keyClick(&d, Qt::Key_F1);
        d.EndDialog(IDOK);
    });
    Sample none;
    RunWith(none, [](Dialog& d) {
        QTest::keyClick(&d, Qt::Key_F1);
        d.EndDialog(IDOK);
    });
    Dialog::SetHelpHook(nullptr);
    EXPECT_EQ(help, (std::vector<std::uint32_t>{0x10123}));
}
