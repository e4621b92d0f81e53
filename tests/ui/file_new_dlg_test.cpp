#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "platform/gui/dialog_builder.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/testing/scripted_prompt_runner.h"
#include "tests/support/gui/screenshot.h"
#include "tests/support/temp_dir.h"
#include "ui/file_new_dlg.h"

namespace {

// left/ with left/inner/, right/, a file, and a link to right/.
class FileNewDlgTest : public testing::Test {
protected:
    void SetUp() override {
        gui::InstallDialogTemplateBuilder();
        std::filesystem::create_directories(dir.Path("left/inner"));
        std::filesystem::create_directories(dir.Path("right"));
        std::ofstream(dir.Path("file.txt")) << "x";
        std::filesystem::create_directory_symlink(dir.Path("right"), dir.Path("link"));
    }

    std::u16string P(const char* name) const {
        return std::u16string(CString::FromUtf8(dir.Path(name).string()).view());
    }

    static QLineEdit* Edit(QWidget* box, int id) { return box->findChildren<QLineEdit*>().value(id == 1002 ? 0 : 1); }

    // Runs the dialog with the two texts typed and OK pressed, answering the error box OK;
    // returns which edit had the focus afterwards while the dialog stayed open (0 when it
    // closed).
    int TypeAndPressOk(FileNewDlg& dialog, const std::u16string& left, const std::u16string& right) {
        int focused = 0;
        prompts.Inspect([&](const gui::PromptRequest&, gui::PromptHost& host) {
            auto* box = qobject_cast<FileNewDlg*>(host.Widget());
            ASSERT_NE(box, nullptr);
            qobject_cast<QLineEdit*>(box->GetDlgItem(FileNewDlg::kLeftEdit))->setText(gui::ToQString(left));
            qobject_cast<QLineEdit*>(box->GetDlgItem(FileNewDlg::kRightEdit))->setText(gui::ToQString(right));
            qobject_cast<QPushButton*>(box->GetDlgItem(gui::IDOK))->click();
            if (!host.IsModalRunning()) return;
            QWidget* at = box->focusWidget();
            focused = at == box->GetDlgItem(FileNewDlg::kLeftEdit)    ? FileNewDlg::kLeftEdit
                      : at == box->GetDlgItem(FileNewDlg::kRightEdit) ? FileNewDlg::kRightEdit
                                                                      : -1;
            host.EndModal(gui::IDCANCEL);
        });
        prompts.Answer(gui::IDOK);  // the error box, asked for while the dialog runs
        dialog.DoModal();
        return focused;
    }

    TempDir dir;
    gui::ScriptedPromptRunner prompts;
};

TEST_F(FileNewDlgTest, OkRefusesBadDirectoriesLeftFirstAndOverlappingRoots) {
    const std::u16string overlap = u"The base directories must not be the same or lie inside each other.";
    struct Case {
        const char* what;
        std::u16string left, right;
        int focus;
        std::u16string textPart;
    };
    const Case cases[] = {
        {"a missing left directory, the right one not checked yet", P("gone"), P("also-gone"), FileNewDlg::kLeftEdit,
         P("gone")},
        {"an empty left directory", u"", P("right"), FileNewDlg::kLeftEdit, u""},
        {"a missing right directory", P("left"), P("gone"), FileNewDlg::kRightEdit, P("gone")},
        {"a file for a directory", P("file.txt"), P("right"), FileNewDlg::kLeftEdit, u"Can't find directory."},
        {"a Windows-style path", u"C:\\Data", P("right"), FileNewDlg::kLeftEdit, u""},
        {"identical roots", P("left"), P("left"), FileNewDlg::kRightEdit, overlap},
        {"the right root inside the left", P("left"), P("left/inner"), FileNewDlg::kRightEdit, overlap},
        {"the left root inside the right", P("left/inner"), P("left"), FileNewDlg::kRightEdit, overlap},
        {"a link to the other root", P("link"), P("right"), FileNewDlg::kRightEdit, overlap},
        {"the same root spelt with a trailing slash", P("left"), P("left") + u"/", FileNewDlg::kRightEdit, overlap},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileNewDlg dialog(nullptr, nullptr, nullptr, nullptr);
        std::size_t before = prompts.Requests().size();
        int focus = TypeAndPressOk(dialog, c.left, c.right);
        EXPECT_EQ(focus, c.focus);
        ASSERT_EQ(prompts.Requests().size(), before + 2) << "one error box";
        const gui::PromptRequest& box = prompts.Requests()[before + 1];
        EXPECT_EQ(box.kind, gui::PromptKind::MessageBox);
        EXPECT_NE(box.text.find(c.textPart), std::u16string::npos) << CString(box.text).ToUtf8();
        EXPECT_TRUE(dialog.m_leftDirectory.IsEmpty()) << "nothing is taken over";
    }
}

TEST_F(FileNewDlgTest, TwoGoodRootsCloseWithOkAndTheMembers) {
    FileNewDlg dialog(nullptr, nullptr, P("left").c_str(), nullptr);
    dialog.SetExpertLevel(true);
    prompts.Inspect([&](const gui::PromptRequest&, gui::PromptHost& host) {
        auto* box = qobject_cast<FileNewDlg*>(host.Widget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(qobject_cast<QLineEdit*>(box->GetDlgItem(FileNewDlg::kLeftEdit))->text(),
                  gui::ToQString(P("left")));
        qobject_cast<QLineEdit*>(box->GetDlgItem(FileNewDlg::kRightEdit))->setText(gui::ToQString(P("right")));
        qobject_cast<QCheckBox*>(box->GetDlgItem(FileNewDlg::kBinaryCheck))->setChecked(true);
        qobject_cast<QPushButton*>(box->GetDlgItem(gui::IDOK))->click();
    });
    EXPECT_EQ(dialog.DoModal(), gui::IDOK);
    EXPECT_EQ(dialog.m_leftDirectory, CString(P("left")));
    EXPECT_EQ(dialog.m_rightDirectory, CString(P("right")));
    EXPECT_TRUE(dialog.m_binaryComparison);
}

TEST_F(FileNewDlgTest, CaptionsByModeAndTheCheckBoxAtTheExpertLevelOnly) {
    struct Case {
        const char16_t* mode;
        bool expert;
        QString caption;
    };
    const Case cases[] = {
        {nullptr, false, "Wendelkast 8.00 - New Profile"},
        {u"beta.kem", true, "Change Directories - beta.kem"},
    };
    for (const Case& c : cases) {
        FileNewDlg dialog(nullptr, c.mode, nullptr, nullptr);
        dialog.m_binaryComparison = true;
        dialog.SetExpertLevel(c.expert);
        prompts.Inspect([&](const gui::PromptRequest& request, gui::PromptHost& host) {
            EXPECT_EQ(request.dialogId, 132u);
            auto* box = qobject_cast<FileNewDlg*>(host.Widget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), c.caption);
            EXPECT_EQ(box->GetDlgItem(FileNewDlg::kBinaryCheck)->isVisible(), c.expert);
            qobject_cast<QLineEdit*>(box->GetDlgItem(FileNewDlg::kLeftEdit))->setText(gui::ToQString(P("left")));
            qobject_cast<QLineEdit*>(box->GetDlgItem(FileNewDlg::kRightEdit))->setText(gui::ToQString(P("right")));
            qobject_cast<QPushButton*>(box->GetDlgItem(gui::IDOK))->click();
        });
        EXPECT_EQ(dialog.DoModal(), gui::IDOK);
        EXPECT_TRUE(dialog.m_binaryComparison) << "a hidden check box keeps its initial value";
    }
}

TEST_F(FileNewDlgTest, BrowseButtonsFillTheirEditFromTheFolderDialog) {
    FileNewDlg dialog(nullptr, nullptr, P("left").c_str(), nullptr);
    prompts.Inspect([&](const gui::PromptRequest&, gui::PromptHost& host) {
        auto* box = qobject_cast<FileNewDlg*>(host.Widget());
        ASSERT_NE(box, nullptr);
        prompts.Answer(gui::IDOK, P("right"));
        qobject_cast<QPushButton*>(box->GetDlgItem(FileNewDlg::kRightBrowse))->click();
        EXPECT_EQ(qobject_cast<QLineEdit*>(box->GetDlgItem(FileNewDlg::kRightEdit))->text(),
                  gui::ToQString(P("right")));
        prompts.Answer(gui::IDCANCEL);
        qobject_cast<QPushButton*>(box->GetDlgItem(FileNewDlg::kLeftBrowse))->click();
        EXPECT_EQ(qobject_cast<QLineEdit*>(box->GetDlgItem(FileNewDlg::kLeftEdit))->text(), gui::ToQString(P("left")));
        host.EndModal(gui::IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), gui::IDCANCEL);
    const gui::PromptRequest& browse = prompts.Requests().at(1);
    EXPECT_EQ(browse.kind, gui::PromptKind::Folder);
    EXPECT_EQ(browse.text, u"Select Directory");
    EXPECT_EQ(prompts.Requests().at(2).initialFolder, P("left"));
}

TEST_F(FileNewDlgTest, ScreenshotTheDialogWithAnOverlapError) {
    FileNewDlg dialog(nullptr, nullptr, nullptr, nullptr);
    dialog.SetExpertLevel(true);
    prompts.Inspect([&](const gui::PromptRequest&, gui::PromptHost& host) {
        auto* box = qobject_cast<FileNewDlg*>(host.Widget());
        ASSERT_NE(box, nullptr);
        qobject_cast<QLineEdit*>(box->GetDlgItem(FileNewDlg::kLeftEdit))->setText(gui::ToQString(P("left")));
        qobject_cast<QLineEdit*>(box->GetDlgItem(FileNewDlg::kRightEdit))->setText(gui::ToQString(P("left/inner")));
        EXPECT_TRUE(SaveScreenshot(*box, "new_profile_dialog"));
        prompts.Inspect([&](const gui::PromptRequest& request, gui::PromptHost& error) {
            EXPECT_NE(request.text.find(u"The base directories must not be the same or lie inside each other."),
                      std::u16string::npos);
            ASSERT_NE(error.Widget(), nullptr);
            EXPECT_TRUE(SaveScreenshot(*error.Widget(), "new_profile_overlap_error"));
            error.EndModal(gui::IDOK);
        });
        qobject_cast<QPushButton*>(box->GetDlgItem(gui::IDOK))->click();
        EXPECT_TRUE(host.IsModalRunning());
        host.EndModal(gui::IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), gui::IDCANCEL);
}

}  // namespace
