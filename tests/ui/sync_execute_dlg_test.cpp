// The synchronisation's progress dialog over real runs of the engine on two temporary roots:
// the lines and bars per item kind, what reaches the parent view, the questions and their
// answers (by the user or by the preferences), placement, Background and the worker's life.
#include "ui/sync_execute_dlg.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "app/preference_keys.h"
#include "app/preferences.h"
#include "app/registry_profile.h"
#include "controls/msgbox/answer_memo.h"
#include "controls/text_progress_ctrl.h"
#include "engine/core_preferences.h"
#include "platform/core/settings_store.h"
#include "tests/support/gui/screenshot.h"
#include "tests/ui/support/progress_fixture.h"

using namespace progress_test;

namespace {

constexpr int kIgnoreAll = 4101;

// The engine's own copy, which writes through the file system in blocks, so a gate can
// hold a copy halfway.
class OwnCopyPreferences : public Core::Preferences {
public:
    bool GetCopyTraditional() const override { return true; }
    int GetCopyBufferSize() const override { return 65536; }
};

class SyncExecuteDlgTest : public testing::Test {
protected:
    void SetUp() override { PrepareDialogs(); }
    void TearDown() override {
        GetApp().SetAutoSyncRunning(false);
        GetApp().SetAutoSyncOnError(0);
    }

    static QString Line(QWidget& dialog, int id) {
        return static_cast<QLabel*>(static_cast<gui::Window&>(dialog).GetDlgItem(id))->text();
    }
    static CTextProgressCtrl* Bar(QWidget& dialog, int id) {
        return dynamic_cast<CTextProgressCtrl*>(static_cast<gui::Window&>(dialog).GetDlgItem(id));
    }
    // Runs the dialog over the plan of profile.proxy with the boxes answered in turn.
    RunResult Run(const std::vector<int>& answers, const std::function<void(QWidget&)>& during = {}) {
        SyncExecuteDlg dialog(tray.view, profile.db, profile.proxy, preferences, u"docs.kem", nullptr);
        EXPECT_EQ(RunDialog(prompts, dialog, answers, during), gui::IDOK);
        EXPECT_FALSE(dialog.HasWorker());
        return dialog.GetRunResult();
    }
    std::size_t Boxes() const { return prompts.Requests().size() - 1; }  // less the dialog

    MainWindowTray tray;
    Profile profile;
    CProfilePreferences preferences;
    gui::ScriptedPromptRunner prompts;
};

TEST_F(SyncExecuteDlgTest, MidCopyItShowsActionPathsBarsAndRateAndHandsCopiesAndDeletesToTheView) {
    OwnCopyPreferences own;
    profile.db.SetPreferences(&own);
    profile.Write("left", "gone.txt", "old");
    profile.ScanNow();
    {
        Watcher watcher;
        ASSERT_EQ(profile.db.Execute(profile.proxy, watcher), RUN_FINISHED);
    }
    std::filesystem::remove(profile.dir.Path("left/gone.txt"));
    profile.Write("left", "big.bin", std::string(1 << 20, 'x'));
    profile.ScanNow();
    BatchPosition batch{0, 2};
    SyncExecuteDlg dialog(tray.view, profile.db, profile.proxy, preferences, u"docs.kem", &batch);
    profile.gate.Arm(plat::FsOp::FileWrite, u"", 4);
    EXPECT_EQ(RunDialog(prompts, dialog, {}, [&](QWidget& window) {
                  ASSERT_TRUE(profile.gate.WaitReached());
                  // The engine gives a rate once a transfer has run a second.
                  ProcessEventsFor(1100);
                  profile.gate.ReleaseAndArm(plat::FsOp::FileWrite, u"", 2);
                  ASSERT_TRUE(profile.gate.WaitReached());
                  ASSERT_TRUE(WaitUntil([&] { return !Line(window, 1015).isEmpty(); }));  // a tick came
                  EXPECT_EQ(Line(window, 1011), "Copy ...");
                  EXPECT_TRUE(Line(window, 1012).startsWith("from ")) << Line(window, 1012).toStdString();
                  EXPECT_TRUE(Line(window, 1012).endsWith("left/big.bin")) << Line(window, 1012).toStdString();
                  EXPECT_TRUE(Line(window, 1013).startsWith("to "));
                  EXPECT_TRUE(Line(window, 1013).endsWith("right/big.bin"));
                  EXPECT_TRUE(Line(window, 1015).endsWith(" KByte/s"));
                  EXPECT_EQ(Line(window, 1053), "Batch: 1/2");
                  EXPECT_GT(Bar(window, 1008)->GetPos(), 0);
                  EXPECT_LT(Bar(window, 1008)->GetPos(), 65535);
                  EXPECT_GT(Bar(window, 1010)->GetPos(), 0);
                  EXPECT_TRUE(window.windowTitle().endsWith("Synchronize - docs.kem"));
                  EXPECT_EQ(tray.tip, window.windowTitle().toStdU16String());
                  EXPECT_TRUE(SaveScreenshot(window, "sync_dialog_copying"));
                  profile.gate.Release();
              }),
              gui::IDOK);
    EXPECT_EQ(dialog.GetRunResult(), RUN_FINISHED);
    EXPECT_EQ(profile.Read("right", "big.bin").size(), std::size_t(1) << 20);
    EXPECT_FALSE(profile.Exists("right", "gone.txt"));
    // Begin, then per copy or delete its start and its end, then the end; item values are
    // the entries' Proxy indexes.
    std::vector<std::uint32_t> kinds;
    for (const auto& [event, value] : tray.view->events) kinds.push_back(event);
    EXPECT_EQ(kinds, (std::vector<std::uint32_t>{4, 0, 1, 0, 1, 5}));
    for (const auto& [event, value] : tray.view->events) {
        if (event == 0 || event == 1) {
            EXPECT_LT(value, profile.proxy.GetCount());
        }
    }
    EXPECT_EQ(Line(dialog, 1011), "Copy ...");  // the last item
}

TEST_F(SyncExecuteDlgTest, ADeleteShowsItsPathWithoutPrefixAndSkippedEntriesLeaveBothLinesEmpty) {
    profile.Write("left", "gone.txt", "old");
    profile.Write("left", "keep.txt", "kept");
    profile.ScanNow();
    {
        Watcher watcher;
        ASSERT_EQ(profile.db.Execute(profile.proxy, watcher), RUN_FINISHED);
    }
    std::filesystem::remove(profile.dir.Path("left/gone.txt"));
    profile.ScanNow();
    SyncExecuteDlg dialog(tray.view, profile.db, profile.proxy, preferences, u"docs.kem", nullptr);
    profile.gate.Arm(plat::FsOp::DeleteFile, u"gone.txt");
    EXPECT_EQ(RunDialog(prompts, dialog, {}, [&](QWidget& window) {
                  ASSERT_TRUE(profile.gate.WaitReached());
                  ASSERT_TRUE(WaitUntil([&] { return Line(window, 1011) == "Delete ..."; }));
                  EXPECT_TRUE(Line(window, 1012).endsWith("right/gone.txt"));
                  EXPECT_FALSE(Line(window, 1012).startsWith("from "));
                  EXPECT_TRUE(Line(window, 1013).isEmpty());
                  EXPECT_TRUE(Line(window, 1053).isEmpty());
                  profile.gate.Release();
              }),
              gui::IDOK);
    EXPECT_FALSE(profile.Exists("right", "gone.txt"));
    EXPECT_EQ(Line(dialog, 1011), "Skip entries ...");  // keep.txt, equal on both sides
    EXPECT_TRUE(Line(dialog, 1012).isEmpty());
    EXPECT_TRUE(Line(dialog, 1013).isEmpty());
    EXPECT_EQ(Bar(dialog, 1010)->GetPos(), 65535);
}

TEST_F(SyncExecuteDlgTest, AnEmptyPlanEndsWithBothBarsAtZero) {
    profile.ScanNow();
    EXPECT_EQ(Run({}), RUN_FINISHED);
    std::vector<std::uint32_t> kinds;
    for (const auto& [event, value] : tray.view->events) kinds.push_back(event);
    EXPECT_EQ(kinds, (std::vector<std::uint32_t>{4, 5}));
}

// Each error answer against one copy that fails once (and copies on a retry).
TEST_F(SyncExecuteDlgTest, AbortRetryAndIgnoreGiveTheirResults) {
    struct Case {
        int answer;
        RunResult result;
        bool copied;
    };
    for (const Case& c : {Case{gui::IDABORT, RUN_CANCELLED, false}, Case{gui::IDRETRY, RUN_FINISHED, true},
                          Case{gui::IDIGNORE, RUN_FINISHED_WITH_ERRORS, false}}) {
        SCOPED_TRACE(c.answer);
        Profile fresh;
        fresh.Write("left", "a.txt", "a");
        fresh.ScanNow();
        fresh.fs.FailOn(plat::FsOp::CopyFile, fresh.dir.Root() + u"left/a.txt", 5, plat::PathMatch::Exact);
        gui::ScriptedPromptRunner runner;
        SyncExecuteDlg dialog(tray.view, fresh.db, fresh.proxy, preferences, u"docs.kem", nullptr);
        EXPECT_EQ(RunDialog(runner, dialog, {c.answer}), gui::IDOK);
        EXPECT_EQ(dialog.GetRunResult(), c.result);
        EXPECT_EQ(fresh.Exists("right", "a.txt"), c.copied);
        ASSERT_EQ(runner.Requests().size(), 2u);
        const gui::PromptRequest& box = runner.Requests()[1];
        EXPECT_NE(box.title.find(u"Synchronize - docs.kem"), std::u16string::npos);
        std::vector<int> ids;
        for (const auto& b : box.buttons) ids.push_back(b.id);
        EXPECT_EQ(ids, (std::vector<int>{3, 4, 5, 4101, 4095}));  // with "I&gnore all" and "&More..."
    }
}

TEST_F(SyncExecuteDlgTest, IgnoreAllAnswersTheRestOfTheRunAndIsForgottenAfterIt) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) profile.Write("left", name, name);
    profile.ScanNow();
    profile.fs.FailOn(plat::FsOp::CopyFile, profile.dir.Root() + u"left/", 5, plat::PathMatch::Prefix,
                      plat::Repeat::Always);
    EXPECT_EQ(Run({kIgnoreAll}), RUN_FINISHED_WITH_ERRORS);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_FALSE(AnswerMemo::IsRemembering());
    // The next run asks again.
    profile.ScanNow();
    EXPECT_EQ(Run({kIgnoreAll}), RUN_FINISHED_WITH_ERRORS);
    EXPECT_EQ(prompts.Requests().size(), 4u);
}

TEST_F(SyncExecuteDlgTest, ThePreferencesAnswerErrorsWithoutABox) {
    struct Case {
        const char* what;
        bool unattended;
        int onError;
        bool ignoreErrors;
        bool asks;
    };
    for (const Case& c : {Case{"SyncIgnoreErrors", false, 0, true, false},
                          Case{"unattended with AutoSyncOnError 1", true, 1, false, false},
                          Case{"unattended without it asks even with SyncIgnoreErrors", true, 0, true, true}}) {
        SCOPED_TRACE(c.what);
        Profile fresh;
        fresh.Write("left", "a.txt", "a");
        fresh.Write("left", "b.txt", "b");
        fresh.ScanNow();
        fresh.fs.FailOn(plat::FsOp::CopyFile, fresh.dir.Root() + u"left/", 5, plat::PathMatch::Prefix,
                        plat::Repeat::Always);
        GetApp().SetAutoSyncRunning(c.unattended);
        GetApp().SetAutoSyncOnError(c.onError);
        preferences.SetBool(PREF_SYNC_IGNORE_ERRORS, c.ignoreErrors);
        gui::ScriptedPromptRunner runner;
        SyncExecuteDlg dialog(tray.view, fresh.db, fresh.proxy, preferences, u"docs.kem", nullptr);
        std::vector<int> answers;
        if (c.asks) answers = {gui::IDIGNORE, gui::IDIGNORE};
        EXPECT_EQ(RunDialog(runner, dialog, answers), gui::IDOK);
        EXPECT_EQ(dialog.GetRunResult(), RUN_FINISHED_WITH_ERRORS);
        EXPECT_EQ(runner.Requests().size(), c.asks ? 3u : 1u);
        int errors = 0;
        for (const ErrorInfo& e : fresh.log.Entries()) errors += e.category == ERROR_CATEGORY_SYSTEM ? 1 : 0;
        EXPECT_GE(errors, 2);  // each failure is logged
    }
}

TEST_F(SyncExecuteDlgTest, CancelAsksWithAQuestionAndYesCancelsTheRest) {
    for (const char* name : {"a.txt", "b.txt"}) profile.Write("left", name, name);
    profile.ScanNow();
    profile.gate.Arm(plat::FsOp::CopyFile, u"a.txt");
    EXPECT_EQ(Run({gui::IDYES}, [&](QWidget& window) {
                  ASSERT_TRUE(profile.gate.WaitReached());
                  static_cast<QPushButton*>(static_cast<gui::Window&>(window).GetDlgItem(gui::IDCANCEL))->click();
                  profile.gate.Release();
              }),
              RUN_CANCELLED);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(prompts.Requests()[1].text, u"Process is still running.\nCancel?");
    EXPECT_EQ(prompts.Requests()[1].icon, 32514);  // question
    EXPECT_FALSE(profile.Exists("right", "b.txt"));
}

TEST_F(SyncExecuteDlgTest, AWorkerThatCannotStartEndsTheDialogWithErrorsLogged) {
    profile.Write("left", "a.txt", "a");
    profile.ScanNow();
    SetWorkerStartFailureForTesting(11);  // EAGAIN
    const RunResult result = Run({});
    SetWorkerStartFailureForTesting(0);
    EXPECT_EQ(result, RUN_FINISHED_WITH_ERRORS);
    EXPECT_FALSE(profile.Exists("right", "a.txt"));
    const auto entries = profile.log.Entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().category, ERROR_CATEGORY_SYSTEM);
    EXPECT_NE(entries.back().code, 0u);
}

TEST_F(SyncExecuteDlgTest, ADialogDestroyedWhileItsWorkerRunsCancelsAndJoinsIt) {
    for (const char* name : {"a.txt", "b.txt"}) profile.Write("left", name, name);
    profile.ScanNow();
    auto dialog = std::make_unique<SyncExecuteDlg>(tray.view, profile.db, profile.proxy, preferences, u"docs.kem",
                                                   nullptr);
    profile.gate.Arm(plat::FsOp::CopyFile, u"a.txt");
    prompts.Inspect([&](const gui::PromptRequest&, gui::PromptHost& host) {
        ASSERT_TRUE(profile.gate.WaitReached());
        host.EndModal(gui::IDCANCEL);
    });
    EXPECT_EQ(dialog->DoModal(), gui::IDCANCEL);
    EXPECT_TRUE(dialog->HasWorker());
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        profile.gate.Release();
    });
    dialog.reset();  // requests the cancel, answers its confirmation, joins
    release.join();
    EXPECT_FALSE(profile.Exists("right", "b.txt"));
    EXPECT_EQ(prompts.Requests().size(), 1u);  // no box from a dialog that goes
}

TEST_F(SyncExecuteDlgTest, BackgroundHidesTheMainWindowAndTheDialogWhichStaysModalAndComesBack) {
    for (const char* name : {"a.txt", "b.txt"}) profile.Write("left", name, name);
    profile.ScanNow();
    SyncExecuteDlg dialog(tray.view, profile.db, profile.proxy, preferences, u"docs.kem", nullptr);
    profile.gate.Arm(plat::FsOp::CopyFile, u"a.txt");
    EXPECT_EQ(RunDialog(prompts, dialog, {}, [&](QWidget& window) {
                  ASSERT_TRUE(profile.gate.WaitReached());
                  static_cast<QPushButton*>(dialog.GetDlgItem(3))->click();
                  EXPECT_TRUE(tray.IsInTray());
                  EXPECT_FALSE(tray.main.isVisible());
                  EXPECT_FALSE(window.isVisible());
                  EXPECT_FALSE(dialog.IsShownFlag());
                  EXPECT_TRUE(dialog.IsModalRunning());
                  window.show();  // kept hidden while the application is in the tray
                  EXPECT_FALSE(window.isVisible());
                  tray.RestoreFromTray();
                  EXPECT_TRUE(window.isVisible());
                  EXPECT_TRUE(dialog.IsShownFlag());
                  static_cast<QPushButton*>(dialog.GetDlgItem(3))->click();
                  profile.gate.Release();  // the run ends while hidden
              }),
              gui::IDOK);
    EXPECT_EQ(dialog.GetRunResult(), RUN_FINISHED);
    EXPECT_TRUE(profile.Exists("right", "b.txt"));
    EXPECT_FALSE(tray.main.isVisible());
}

TEST_F(SyncExecuteDlgTest, ALargerStoredPlacementLaysTheControlsOutForItsSize) {
    auto store = plat::SettingsStore::OpenInMemory();
    ASSERT_TRUE(store);
    RegistryProfile settings(*store);
    GetApp().SetSettings(&settings);
    profile.ScanNow();
    int firstWidth = 0;
    int cancelMargin = 0;  // from the Cancel button's right edge to the dialog's
    {
        SyncExecuteDlg dialog(tray.view, profile.db, profile.proxy, preferences, u"docs.kem", nullptr);
        EXPECT_EQ(RunDialog(prompts, dialog, {}, [&](QWidget& window) {
                      firstWidth = Bar(window, 1010)->width();
                      cancelMargin = window.width() - dialog.GetDlgItem(gui::IDCANCEL)->geometry().right();
                      window.resize(window.width() + 120, window.height() + 40);
                  }),
                  gui::IDOK);
    }
    SyncExecuteDlg again(tray.view, profile.db, profile.proxy, preferences, u"docs.kem", nullptr);
    EXPECT_EQ(RunDialog(prompts, again, {}, [&](QWidget& window) {
                  EXPECT_EQ(Bar(window, 1010)->width(), firstWidth + 120);
                  EXPECT_EQ(window.width() - again.GetDlgItem(gui::IDCANCEL)->geometry().right(), cancelMargin);
              }),
              gui::IDOK);
    GetApp().SetSettings(nullptr);
}

}  // namespace
