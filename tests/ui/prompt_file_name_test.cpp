// The program's file dialogs: what they ask the prompt runner for (title, filter, start
// folder, never several files), what they give back, and the folder they remember in the
// section "Settings" after OK and only then. The dialog itself is shown once for each kind.
#include "ui/prompt_file_name.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

#include <optional>

#include "app/registry_profile.h"
#include "platform/core/settings_store.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/testing/scripted_prompt_runner.h"
#include "platform/gui/window_messages.h"
#include "tests/support/gui/screenshot.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr std::uint32_t kLogTitle = 1042;  // "Log"
constexpr char16_t kProfiles[] = u"Profiles (*.kem)|*.kem|Text files|*.txt;*.log|All files|*.*||";

// Waits until the dialog's file list shows at least one entry (the dialog reads the folder in
// the background).
bool WaitForListing(QFileDialog& dialog) {
    return QTest::qWaitFor(
        [&] {
            auto* view = dialog.findChild<QAbstractItemView*>("treeView");
            return view && view->model() && view->model()->rowCount(view->rootIndex()) > 0;
        },
        5000);
}

class PromptFileNameTest : public testing::Test {
protected:
    std::optional<CString> Remembered(std::u16string_view name) const {
        plat::SettingsKey key;
        plat::SettingsValue value;
        CString text;
        if (!store_->OpenKey(store_->Root(), CString(kApplicationKey) + u"\\Settings", key) ||
            !store_->QueryValue(key, name, value) || !plat::ReadStringValue(value, text)) {
            return std::nullopt;
        }
        return text;
    }

    std::unique_ptr<plat::SettingsStore> store_ = plat::SettingsStore::OpenInMemory();
    RegistryProfile settings_{*store_};
};

TEST_F(PromptFileNameTest, TheRequestCarriesTitleFilterStartFolderAndNeverSeveralFiles) {
    ASSERT_TRUE(settings_.WriteProfileString(u"Settings", u"InitialOpenDir", u"/data/profiles"));
    gui::ScriptedPromptRunner prompts;
    prompts.Answer(gui::IDCANCEL).Answer(gui::IDCANCEL);
    CString result;
    PromptFileName(result, true, kLogTitle, u".kem", u"start.kem", OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST, kProfiles,
                   nullptr, &settings_, u"InitialOpenDir");
    PromptFileName(result, false, 0, u"txt", u"", OFN_OVERWRITEPROMPT, u"", nullptr, &settings_, u"");

    ASSERT_EQ(prompts.Requests().size(), 2u);
    const gui::PromptRequest& open = prompts.Requests()[0];
    EXPECT_EQ(open.kind, gui::PromptKind::OpenFile);
    EXPECT_EQ(CString(open.title), CString(u"Wendelkast 8.00 - Log"));
    EXPECT_EQ(CString(open.text), CString(u"start.kem"));
    EXPECT_EQ(CString(open.initialFolder), CString(u"/data/profiles"));
    EXPECT_EQ(CString(open.filter), CString(kProfiles));
    EXPECT_EQ(CString(open.defaultExtension), CString(u"kem"));  // without its dot
    EXPECT_EQ(open.flags, OFN_FILEMUSTEXIST);                     // several files are never asked for
    EXPECT_EQ(open.escapeId, gui::IDCANCEL);

    const gui::PromptRequest& save = prompts.Requests()[1];
    EXPECT_EQ(save.kind, gui::PromptKind::SaveFile);
    EXPECT_EQ(CString(save.title), CString(u"Wendelkast 8.00"));
    EXPECT_TRUE(save.initialFolder.empty());  // no value name: no folder read
    EXPECT_EQ(save.flags, OFN_OVERWRITEPROMPT);
}

TEST_F(PromptFileNameTest, OnlyOkGivesAPathAndRemembersItsFolder) {
    struct Case {
        const char* what;
        int answer;
        std::u16string text;
        bool withSettings;
        std::u16string_view valueName;
        bool ok;
        const char16_t* result;
        std::optional<CString> remembered;  // the value afterwards
    };
    const Case cases[] = {
        {"ok remembers the folder", gui::IDOK, u"/home/u/sync/a.kem", true, u"InitialSaveDir", true,
         u"/home/u/sync/a.kem", CString(u"/home/u/sync")},
        {"a file in the root folder", gui::IDOK, u"/a.kem", true, u"InitialSaveDir", true, u"/a.kem", CString(u"/")},
        {"cancel empties and writes nothing", gui::IDCANCEL, u"", true, u"InitialSaveDir", false, u"",
         CString(u"/before")},
        {"cancel with a path still writes nothing", gui::IDCANCEL, u"/x/y.kem", true, u"InitialSaveDir", false, u"",
         CString(u"/before")},
        {"ok without a path is a cancel", gui::IDOK, u"", true, u"InitialSaveDir", false, u"", CString(u"/before")},
        {"no value name remembers nothing", gui::IDOK, u"/home/u/b.kem", true, u"", true, u"/home/u/b.kem",
         CString(u"/before")},
        {"no settings remember nothing", gui::IDOK, u"/home/u/c.kem", false, u"InitialSaveDir", true,
         u"/home/u/c.kem", CString(u"/before")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(settings_.WriteProfileString(u"Settings", u"InitialSaveDir", u"/before"));
        gui::ScriptedPromptRunner prompts;
        prompts.Answer(c.answer, c.text);
        CString result = u"left from before";
        EXPECT_EQ(PromptFileName(result, false, kLogTitle, u"kem", u"", 0, kProfiles, nullptr,
                                 c.withSettings ? &settings_ : nullptr, c.valueName),
                  c.ok);
        EXPECT_EQ(result, CString(c.result));
        EXPECT_EQ(Remembered(u"InitialSaveDir"), c.remembered);
    }
}

TEST_F(PromptFileNameTest, TheShownDialogListsTheFiltersStartsInTheRememberedFolderAndReturnsTheChoice) {
    TempDir dir;
    dir.WriteFile("profiles/one.kem", "x");
    dir.WriteFile("profiles/notes.txt", "x");
    const CString folder = dir.CPath("profiles");
    ASSERT_TRUE(settings_.WriteProfileString(u"Settings", u"InitialOpenDir", folder));

    gui::ScriptedPromptRunner prompts;
    prompts.Inspect([&](const gui::PromptRequest&, gui::PromptHost& host) {
        auto* dialog = qobject_cast<QFileDialog*>(host.Widget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QString("Wendelkast 8.00 - Log"));
        EXPECT_EQ(dialog->nameFilters().join(" | ").toStdString(),
                  "Profiles (*.kem) | Text files (*.txt *.log) | All files (*)");
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);  // one file, never several
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(gui::FromQString(dialog->directory().absolutePath()), folder);
        EXPECT_TRUE(WaitForListing(*dialog));
        EXPECT_TRUE(SaveScreenshot(*dialog, "file_dialog_open"));
        // Type the name as a user would: selectFile() leaves the name field alone while the
        // field has the focus, which on a busy machine it sometimes already has.
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText("one.kem");
        host.EndModal(gui::IDOK);
        EXPECT_FALSE(host.IsModalRunning()) << "still open with " << dialog->selectedFiles().join(", ").toStdString();
    });
    prompts.Inspect([&](const gui::PromptRequest&, gui::PromptHost& host) {
        auto* dialog = qobject_cast<QFileDialog*>(host.Widget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog->defaultSuffix(), QString("kem"));
        EXPECT_TRUE(WaitForListing(*dialog));
        EXPECT_TRUE(SaveScreenshot(*dialog, "file_dialog_save"));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });

    CString result;
    EXPECT_TRUE(PromptFileName(result, true, kLogTitle, u"kem", u"", OFN_FILEMUSTEXIST | OFN_ALLOWMULTISELECT,
                               kProfiles, nullptr, &settings_, u"InitialOpenDir"));
    EXPECT_EQ(result, folder + u"/one.kem");
    EXPECT_EQ(Remembered(u"InitialOpenDir"), folder);

    EXPECT_FALSE(PromptFileName(result, false, kLogTitle, u"kem", u"new.kem", OFN_OVERWRITEPROMPT, kProfiles, nullptr,
                                &settings_, u"InitialSaveDir"));
    EXPECT_TRUE(result.IsEmpty());
    EXPECT_EQ(Remembered(u"InitialSaveDir"), std::nullopt);
}

}  // namespace
