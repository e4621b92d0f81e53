#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <filesystem>

#include "controls/msgbox/ecx_msg_box.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/testing/scripted_prompt_runner.h"
#include "tests/support/temp_dir.h"
#include "ui/folder_dialog.h"

namespace {

constexpr std::uint32_t kFlags = BIF_RETURNONLYFSDIRS | BIF_VALIDATE | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;

class FolderDialogTest : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.Path("left"));
        CEcxMsgBox::SetBeepHook([this](std::uint32_t sound) { beeps.push_back(sound); });
    }
    void TearDown() override { CEcxMsgBox::SetBeepHook({}); }

    CString Path(const char* name) const { return CString::FromUtf8(dir.Path(name).string()); }

    TempDir dir;
    std::vector<std::uint32_t> beeps;
    gui::ScriptedPromptRunner prompts;
};

TEST_F(FolderDialogTest, AnswersGiveTheFolderACancelOrNoPath) {
    struct Case {
        int answerId;
        std::u16string answerText;
        int expected;
        CString path;
    };
    const Case cases[] = {
        {gui::IDOK, u"/srv/data", gui::IDOK, u"/srv/data"},
        {gui::IDCANCEL, u"/srv/data", gui::IDCANCEL, u""},
        {gui::IDOK, u"relative/folder", -1, u""},
        {gui::IDOK, u"", -1, u""},
    };
    for (const Case& c : cases) {
        CFolderDialog dialog(u"Browse", u"Select Directory", u"/srv", nullptr, kFlags);
        prompts.Answer(c.answerId, c.answerText);
        EXPECT_EQ(dialog.DoModal(), c.expected) << CString(c.answerText).ToUtf8();
        EXPECT_EQ(dialog.GetFolderPath(), c.path);
    }
    const gui::PromptRequest& request = prompts.Requests().at(0);
    EXPECT_EQ(request.kind, gui::PromptKind::Folder);
    EXPECT_EQ(request.title, u"Browse");
    EXPECT_EQ(request.text, u"Select Directory");
    EXPECT_EQ(request.initialFolder, u"/srv");
    EXPECT_EQ(request.flags, kFlags);
    EXPECT_EQ(request.escapeId, gui::IDCANCEL);
}

TEST_F(FolderDialogTest, ShownItStartsAtAnExistingInitialFolderAndIgnoresAMissingOne) {
    QString shownAt, shownMissing, title;
    prompts.Inspect([&](const gui::PromptRequest&, gui::PromptHost& host) {
        auto* browser = qobject_cast<QFileDialog*>(host.Widget());
        ASSERT_NE(browser, nullptr);
        shownAt = browser->directory().absolutePath();
        title = browser->windowTitle();
        host.EndModal(gui::IDOK);
    });
    CFolderDialog existing(u"Browse", u"Select Directory", Path("left"), nullptr, kFlags);
    EXPECT_EQ(existing.DoModal(), gui::IDOK);
    EXPECT_EQ(shownAt, gui::ToQString(Path("left")));
    EXPECT_EQ(title, "Browse");
    EXPECT_EQ(existing.GetFolderPath(), Path("left"));

    QString defaultFolder;
    prompts.Inspect([&](const gui::PromptRequest&, gui::PromptHost& host) {
        auto* browser = qobject_cast<QFileDialog*>(host.Widget());
        ASSERT_NE(browser, nullptr);
        shownMissing = browser->directory().absolutePath();
        host.EndModal(gui::IDCANCEL);
    });
    CFolderDialog missing(u"Browse", u"Select Directory", Path("gone"), nullptr, kFlags);
    EXPECT_EQ(missing.DoModal(), gui::IDCANCEL);
    EXPECT_NE(shownMissing, gui::ToQString(Path("gone")));
    EXPECT_EQ(shownMissing, QFileDialog().directory().absolutePath()) << "the dialog's default folder";
    EXPECT_TRUE(missing.GetFolderPath().IsEmpty());
}

TEST_F(FolderDialogTest, ATypedMissingFolderBeepsAndKeepsTheDialogOpen) {
    bool stayedOpen = false;
    prompts.Inspect([&](const gui::PromptRequest&, gui::PromptHost& host) {
        auto* browser = qobject_cast<QFileDialog*>(host.Widget());
        ASSERT_NE(browser, nullptr);
        auto* edit = browser->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->setText(gui::ToQString(Path("no-such-folder")));
        host.EndModal(gui::IDOK);
        stayedOpen = host.IsModalRunning();
        edit->setText(gui::ToQString(Path("left")));
        host.EndModal(gui::IDOK);
    });
    CFolderDialog dialog(u"Browse", u"Select Directory", CString::FromUtf8(dir.Path().string()), nullptr, kFlags);
    EXPECT_EQ(dialog.DoModal(), gui::IDOK);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(beeps, (std::vector<std::uint32_t>{0x10}));
    EXPECT_EQ(dialog.GetFolderPath(), Path("left"));
}

}  // namespace
