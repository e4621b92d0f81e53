// The scan's progress dialog over a real scan of two temporary roots: the animation and the
// content comparison's bar, Cancel with its confirmation and the cleaning display, the close
// box, errors answered, the caption and the tray tip.
#include "ui/scan_tree_dlg.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "controls/text_progress_ctrl.h"
#include "platform/gui/animation_control.h"
#include "tests/support/gui/screenshot.h"
#include "tests/ui/support/progress_fixture.h"

using namespace progress_test;

namespace {

// Counts how often a widget is shown.
class ShowCounter : public QObject {
public:
    explicit ShowCounter(QWidget* widget) { widget->installEventFilter(this); }
    int shows = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) ++shows;
        return false;
    }
};

class ScanTreeDlgTest : public testing::Test {
protected:
    void SetUp() override { PrepareDialogs(); }

    static QString Text(QWidget& dialog) { return static_cast<QLabel*>(Item(dialog, 1006))->text(); }
    static QWidget* Item(QWidget& dialog, int id) { return static_cast<gui::Window&>(dialog).GetDlgItem(id); }
    static gui::AnimationControl* Animation(QWidget& dialog) {
        return dynamic_cast<gui::AnimationControl*>(Item(dialog, 1005));
    }

    Profile profile;
    gui::ScriptedPromptRunner prompts;
};

TEST_F(ScanTreeDlgTest, APlainScanRunsTheAnimationNeverShowsTheBarAndBuildsThePlan) {
    profile.Write("left", "a.txt", "left");
    profile.Write("right", "b/c.txt", "right");
    BatchPosition batch{1, 3};
    CScanTreeDlg dialog(nullptr, profile.db, &profile.proxy, false, u"docs.kem", &batch);
    std::unique_ptr<ShowCounter> barShows;
    profile.gate.Arm(plat::FsOp::ListDirectory, u"/right/b");
    EXPECT_EQ(RunDialog(prompts, dialog, {}, [&](QWidget& window) {
                  barShows = std::make_unique<ShowCounter>(Item(window, 1054));
                  ASSERT_TRUE(profile.gate.WaitReached());
                  EXPECT_TRUE(Animation(window)->IsPlaying());
                  EXPECT_EQ(Text(window), "Scanning directories. Press Cancel to stop.");
                  EXPECT_EQ(static_cast<QLabel*>(Item(window, 1053))->text(), "Batch: 2/3");
                  EXPECT_TRUE(window.windowTitle().endsWith("Scan directories - docs.kem")) << window.windowTitle().toStdString();
                  EXPECT_TRUE(SaveScreenshot(window, "scan_dialog_running"));
                  profile.gate.Release();
              }),
              gui::IDOK);
    EXPECT_EQ(dialog.GetRunResult(), RUN_FINISHED);
    EXPECT_EQ(barShows->shows, 0);
    EXPECT_FALSE(dialog.HasWorker());
    EXPECT_EQ(profile.proxy.GetCount(), 3u);  // a.txt, b, b/c.txt
}

TEST_F(ScanTreeDlgTest, ABinaryScanShowsTheBarForTheComparisonAndTheAnimationAgainAfterIt) {
    profile.Write("left", "same.txt", "hello");
    profile.Write("right", "same.txt", "world");
    CScanTreeDlg dialog(nullptr, profile.db, &profile.proxy, true, u"docs.kem", nullptr);
    std::unique_ptr<ShowCounter> barShows;
    profile.gate.Arm(plat::FsOp::OpenRead, u"/right/same.txt");
    EXPECT_EQ(RunDialog(prompts, dialog, {}, [&](QWidget& window) {
                  barShows = std::make_unique<ShowCounter>(Item(window, 1054));
                  ASSERT_TRUE(profile.gate.WaitReached());
                  ASSERT_TRUE(WaitUntil([&] { return dialog.IsComparingContents(); }));
                  EXPECT_EQ(Text(window), "Binary file comparison is running. Press Cancel to stop.");
                  EXPECT_TRUE(Item(window, 1054)->isVisible());
                  EXPECT_FALSE(Animation(window)->isVisible());
                  EXPECT_TRUE(window.windowTitle().endsWith("Binary Scan Directories - docs.kem"));
                  EXPECT_TRUE(SaveScreenshot(window, "scan_dialog_comparing"));
                  profile.gate.Release();
              }),
              gui::IDOK);
    EXPECT_EQ(dialog.GetRunResult(), RUN_FINISHED);
    EXPECT_EQ(barShows->shows, 1);
    EXPECT_FALSE(dialog.IsComparingContents());
    EXPECT_FALSE(Item(dialog, 1054)->isVisibleTo(&dialog));
    EXPECT_TRUE(Animation(dialog)->isVisibleTo(&dialog));
    EXPECT_TRUE(Animation(dialog)->IsPlaying());
}

TEST_F(ScanTreeDlgTest, CancelAnsweredNoGoesOnTheNextCancelAsksAgainAndYesCleansTheDatabase) {
    profile.Write("left", "a/x.txt", "1");
    profile.Write("right", "a/y.txt", "2");
    CScanTreeDlg dialog(nullptr, profile.db, &profile.proxy, false, u"docs.kem", nullptr);
    profile.gate.Arm(plat::FsOp::ListDirectory, u"/left/a");
    EXPECT_EQ(RunDialog(prompts, dialog, {gui::IDNO, gui::IDYES}, [&](QWidget& window) {
                  auto* cancel = static_cast<QPushButton*>(Item(window, gui::IDCANCEL));
                  ASSERT_TRUE(profile.gate.WaitReached());
                  cancel->click();
                  EXPECT_TRUE(dialog.HasWorker());  // Cancel only asks the worker
                  profile.gate.ReleaseAndArm(plat::FsOp::ListDirectory, u"/right/a");
                  ASSERT_TRUE(profile.gate.WaitReached());
                  EXPECT_EQ(prompts.Requests().size(), 2u);  // the dialog and the first question
                  EXPECT_EQ(Text(window), "Scanning directories. Press Cancel to stop.");
                  cancel->click();
                  profile.gate.Release();
                  ASSERT_TRUE(WaitUntil([&] { return prompts.Requests().size() == 3; }));
                  ASSERT_TRUE(WaitUntil([&] { return Text(window) == "Abort in process. Cleaning database."; }));
                  EXPECT_FALSE(cancel->isVisible());
                  EXPECT_EQ(Animation(window)->CurrentFrame(), 4);
                  EXPECT_TRUE(SaveScreenshot(window, "scan_dialog_cleaning"));
              }),
              gui::IDOK);
    EXPECT_EQ(dialog.GetRunResult(), RUN_CANCELLED);
    ASSERT_EQ(prompts.Requests().size(), 3u);
    for (int i : {1, 2}) {
        const gui::PromptRequest& box = prompts.Requests()[i];
        EXPECT_EQ(box.text, u"Process is still running.\nCancel?");
        EXPECT_EQ(box.icon, 32515);  // exclamation
        EXPECT_NE(box.title.find(u"Scan directories - docs.kem"), std::u16string::npos);
    }
    EXPECT_EQ(profile.proxy.GetCount(), 0u);
}

TEST_F(ScanTreeDlgTest, TheCloseBoxActsAsCancel) {
    profile.Write("left", "a/x.txt", "1");
    CScanTreeDlg dialog(nullptr, profile.db, &profile.proxy, false, u"docs.kem", nullptr);
    profile.gate.Arm(plat::FsOp::ListDirectory, u"/left/a");
    EXPECT_EQ(RunDialog(prompts, dialog, {gui::IDYES}, [&](QWidget& window) {
                  ASSERT_TRUE(profile.gate.WaitReached());
                  window.close();
                  EXPECT_TRUE(dialog.IsModalRunning());
                  profile.gate.Release();
              }),
              gui::IDOK);
    EXPECT_EQ(dialog.GetRunResult(), RUN_CANCELLED);
    EXPECT_EQ(prompts.Requests().size(), 2u);
}

TEST_F(ScanTreeDlgTest, AMissingRootIsTheScansOwnErrorAskedAndLoggedAndAbortCleans) {
    std::filesystem::remove_all(profile.dir.Path("right"));
    CScanTreeDlg dialog(nullptr, profile.db, &profile.proxy, false, u"docs.kem", nullptr);
    EXPECT_EQ(RunDialog(prompts, dialog, {gui::IDABORT}), gui::IDOK);
    EXPECT_EQ(dialog.GetRunResult(), RUN_CANCELLED);
    ASSERT_EQ(prompts.Requests().size(), 2u);
    EXPECT_EQ(prompts.Requests()[1].title.find(u"Binary File Comparison - docs.kem") == std::u16string::npos, false);
    EXPECT_NE(prompts.Requests()[1].text.find(u"/right/"), std::u16string::npos);
    EXPECT_EQ(static_cast<QLabel*>(Item(dialog, 1006))->text(), "Abort in process. Cleaning database.");
    bool named = false;
    for (const ErrorInfo& e : profile.log.Entries()) {
        if (e.GetText() && std::u16string_view(e.GetText()).find(u"/right") != std::u16string_view::npos) named = true;
    }
    EXPECT_TRUE(named);
}

}  // namespace
