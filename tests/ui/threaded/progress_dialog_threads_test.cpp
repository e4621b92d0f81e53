// The progress dialogs' hand-overs between the worker, the Watcher's ticker and the
// user-interface thread, run again under the thread sanitizer: the callback's posts and
// blocking questions, many events and answered errors through a real Watcher, and Cancel or
// Background racing the end of real runs.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <thread>

#include "app/preferences.h"
#include "platform/gui/prompt_runner.h"
#include "tests/ui/support/progress_fixture.h"
#include "ui/progress_dialog.h"
#include "ui/sync_execute_dlg.h"

using namespace progress_test;

namespace {

// Records every worker message; answers a question with its error's code.
class Recorder : public gui::Window {
public:
    std::vector<std::pair<gui::WPARAM, std::uint32_t>> received;  // event, value (a question: its code)

protected:
    gui::LRESULT OnMessage(gui::UINT msg, gui::WPARAM w, gui::LPARAM l) override {
        if (msg != WM_WORKER_PROGRESS) return 0;
        if (w == WATCHER_EVENT_QUESTION) {
            const auto* question = reinterpret_cast<const ErrorInfo*>(l);
            received.emplace_back(w, question->code);
            return static_cast<gui::LRESULT>(question->code);
        }
        received.emplace_back(w, static_cast<std::uint32_t>(l));
        return 0;
    }
};

TEST(ProgressCallbackThreads, PostsEventsInOrderIgnoresUnknownOnesAndBlocksTheWorkerOnAQuestion) {
    Recorder window;
    const gui::HWND hwnd = window.Handle();
    std::atomic<bool> asked{false};
    std::atomic<bool> answered{false};
    std::vector<int> results;  // the worker's, read after join
    std::thread worker([&] {
        for (std::uint32_t event : {4u, 0u, 6u, 2u, 1u, 99u}) results.push_back(ProgressCallbackToWindow(event, 7, hwnd));
        ErrorInfo question;
        question.Set(ERROR_CATEGORY_PROGRAM, WATCHER_ANSWER_RETRY, 0, nullptr);
        asked = true;
        results.push_back(ProgressCallbackToWindow(WATCHER_EVENT_QUESTION, reinterpret_cast<std::uintptr_t>(&question),
                                                   hwnd));
        answered = true;
        results.push_back(ProgressCallbackToWindow(WATCHER_EVENT_END, 8, hwnd));
    });
    while (!asked) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(answered);  // nobody on this thread has answered yet
    ASSERT_TRUE(WaitUntil([&] { return window.received.size() == 6; }));
    worker.join();
    EXPECT_EQ(results, (std::vector<int>{0, 0, 0, 0, 0, 0, WATCHER_ANSWER_RETRY, 0}));
    using R = std::vector<std::pair<gui::WPARAM, std::uint32_t>>;
    EXPECT_EQ(window.received, (R{{4, 7}, {0, 7}, {2, 7}, {1, 7}, {3, WATCHER_ANSWER_RETRY}, {5, 8}}));
}

TEST(ProgressCallbackThreads, ManyEventsAndAThousandAnsweredErrorsArriveInOrder) {
    Recorder window;
    Watcher watcher(std::chrono::milliseconds(1));
    watcher.SetCallback(&ProgressCallbackToWindow, window.Handle());
    constexpr std::uint32_t kItems = 3000;
    std::vector<int> answers;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        watcher.Begin(kItems);
        for (std::uint32_t i = 0; i < kItems; ++i) {
            watcher.ItemStart(i, WATCHER_ITEM_COPY, u"/t", u"/s", 0);
            if (i % 3 == 0) {
                ErrorInfo error;
                error.Set(ERROR_CATEGORY_PROGRAM, i % 2 ? WATCHER_ANSWER_IGNORE : WATCHER_ANSWER_RETRY, 0, nullptr);
                answers.push_back(watcher.Ask(&error));
            }
            watcher.ItemDone();
        }
        watcher.End();
        done = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return done.load(); }));
    worker.join();
    gui::MessageQueue::Instance().Drain();
    ASSERT_EQ(answers.size(), 1000u);
    for (std::size_t i = 0; i < answers.size(); ++i) {
        EXPECT_EQ(answers[i], (i * 3) % 2 ? WATCHER_ANSWER_IGNORE : WATCHER_ANSWER_RETRY);
    }
    // Begin, per item start (question) done, end; no tick (no item has a size).
    ASSERT_EQ(window.received.size(), 2 + 2 * kItems + 1000);
    EXPECT_EQ(window.received.front().first, 4u);
    EXPECT_EQ(window.received.back().first, 5u);
    std::uint32_t expectItem = 0;
    for (std::size_t i = 1; i + 1 < window.received.size(); ++i) {
        const auto& [event, value] = window.received[i];
        if (event == 0) {
            EXPECT_EQ(value, expectItem);
        }
        if (event == 1) ++expectItem;
    }
    EXPECT_EQ(expectItem, kItems);
}

// Runs every dialog with `during` called once its loop runs; answers every box Yes.
class YesRunner : public gui::PromptRunner {
public:
    explicit YesRunner(std::function<void(gui::PromptHost&)> during) : during_(std::move(during)), installed_(*this) {}
    gui::PromptAnswer Run(const gui::PromptRequest& request, gui::PromptHost& host) override {
        if (request.kind != gui::PromptKind::Dialog) return {gui::IDYES, {}};
        QTimer::singleShot(0, [&] { during_(host); });
        return {host.RunModal(), {}};
    }

private:
    std::function<void(gui::PromptHost&)> during_;
    gui::ScopedPromptRunner installed_;
};

TEST(ProgressDialogThreads, CancelOrBackgroundRacingTheEndOfARunAlwaysEndsTheDialog) {
    PrepareDialogs();
    CProfilePreferences preferences;
    MainWindowTray tray;
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(round);
        Profile profile;
        for (int i = 0; i < 20; ++i) profile.Write("left", "f" + std::to_string(i) + ".txt", std::string(100 * i, 'x'));
        profile.ScanNow();
        SyncExecuteDlg dialog(tray.view, profile.db, profile.proxy, preferences, u"docs.kem", nullptr);
        const int button = round % 3 == 2 ? 3 : gui::IDCANCEL;  // Background every third round
        YesRunner runner([&](gui::PromptHost&) {
            std::this_thread::sleep_for(std::chrono::microseconds(300 * round));
            QCoreApplication::processEvents();
            static_cast<QPushButton*>(dialog.GetDlgItem(button))->click();
        });
        // Cancel after the worker's end closes the dialog at once (IDCANCEL), the result kept.
        const int id = dialog.DoModal();
        EXPECT_TRUE(id == gui::IDOK || (button == gui::IDCANCEL && id == gui::IDCANCEL)) << id;
        EXPECT_FALSE(dialog.HasWorker());
        const RunResult result = dialog.GetRunResult();
        EXPECT_TRUE(result == RUN_FINISHED || (button == gui::IDCANCEL && result == RUN_CANCELLED)) << result;
        if (tray.IsInTray()) tray.RestoreFromTray();
    }
}

}  // namespace
