#pragma once
// What the scan and the synchronisation progress dialogs share: the worker's messages, the
// Watcher callback that turns events into them, the bar arithmetic, the fitting of a path
// into its line, and `ProgressDialog`, the part of both dialogs that owns the Watcher and the
// worker thread.
//
// The run: OnInitDialog of a dialog sets its controls up and calls StartWorker, which
// registers the callback and starts the worker once the modal loop runs (a zero timer), so
// nothing the worker posts can arrive before the loop. The worker runs RunWorker (the engine
// run inside its answer-memory scope), stores the result after that scope has closed, then
// posts WM_WORKER_FINISHED; the dialog joins the thread completely (it has nothing left to
// do but return) and ends 10 ms later once no window of it holds the mouse capture.
//
// Threads: the worker and the Watcher's ticker reach the dialog only through
// ProgressCallbackToWindow (posts, and for a question a blocking send); everything else is
// the user-interface thread's. The dialog outlives its worker: a dialog destroyed while its
// worker runs requests a cancel, answers whatever the worker still asks with 1 (confirm the
// cancel, abort) without a box, and joins it before the Watcher goes.
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>
#include <thread>

#include "app/application.h"
#include "engine/error_info.h"
#include "engine/run_result.h"
#include "engine/watcher.h"
#include "platform/core/cstring.h"
#include "platform/gui/message_queue.h"
#include "platform/gui/window.h"

class CSyncDataBase;
class CLogger;

// Posted by the worker at its end; the result is stored in the dialog before.
inline constexpr gui::UINT WM_WORKER_FINISHED = gui::WM_USER + 101;
// WPARAM the Watcher event (0-5), LPARAM its value (a question: the ErrorInfo pointer).
inline constexpr gui::UINT WM_WORKER_PROGRESS = gui::WM_USER + 102;

// A run's place within a batch of runs (index from 0).
struct BatchPosition {
    std::uint32_t index = 0;
    std::uint32_t count = 0;
};

// The Watcher callback of both dialogs, with the dialog's HWND as user word: events above 5
// give 0; a question (3) is sent and the window's answer returned (0 when the window is
// gone); every other event is posted, and a post that fails (a full queue) is tried again
// every 10 ms while the window lives.
int ProgressCallbackToWindow(std::uint32_t event, std::uintptr_t value, std::uintptr_t window);

// done x 65535 / total in 64 bits: 0 for a total of 0, 65535 for done at or beyond the total.
int BarPosition(std::uint64_t done, std::uint64_t total);

// The text batch line: "Batch: i/n" with index + 1, empty without a position or a count.
CString BatchLineText(const BatchPosition* batch);

// Fits path into room pixels as measured by width: as it stands when it fits; empty when the
// room is below zero; else "..." followed by what is left after dropping leading components
// up to and including a '/' until it fits, and a path without one cut to its last
// (characters x room / width) - 2 characters (nothing when that is below 1). Control
// characters are shown as U+FFFD, so a path can never break its line; a cut never splits a
// surrogate pair.
CString FitPathToWidth(const CString& path, int room, const std::function<int(std::u16string_view)>& width);

// Tests only: makes every later worker start fail as if the system had no thread to give,
// with this errno value (0: starts work again).
void SetWorkerStartFailureForTesting(int errnoValue);

namespace progress_detail {
// Starts worker on a new thread; false with the Win32 code of the failure otherwise.
bool StartThread(std::thread& thread, std::function<void()> worker, std::uint32_t& win32Code);
// Logs the failed start (category 1, the code) to logger, which may be null.
void LogStartFailure(CLogger* logger, std::uint32_t win32Code);
}  // namespace progress_detail

// Base is gui::Dialog or a dialog derived from it.
template <class Base>
class ProgressDialog : public Base {
public:
    template <class... Args>
    explicit ProgressDialog(Args&&... args) : Base(std::forward<Args>(args)...) {}

    ~ProgressDialog() override {
        if (worker_.joinable()) {
            destroying_ = true;
            watcher_.RequestCancel();
            // Whatever the worker still posts or asks is delivered here (and answered by
            // WindowProc without a box), so it cannot wait on this thread for ever.
            while (!workerReturned_.load()) {
                gui::MessageQueue::Instance().Drain();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            // Its end, delivered above, may have joined it already.
            if (worker_.joinable()) worker_.join();
        }
        if (ownerWindow_) ownerWindow_->removeEventFilter(this);
        GetApp().SetTrayTipText(this->Handle(), CString());
    }

    // The result of the run, for the caller after the modal run.
    RunResult GetRunResult() const { return result_; }
    Watcher& GetWatcher() { return watcher_; }
    // Whether a worker thread exists (started and not yet joined).
    bool HasWorker() const { return worker_.joinable(); }
    // False while the application keeps the dialog hidden in the notification area.
    bool IsShownFlag() const { return shown_; }

protected:
    // The engine run on the worker thread, inside its answer-memory scope; returns the result.
    virtual RunResult RunWorker() = 0;
    // The answer to a question of the worker (user-interface thread).
    virtual int OnQuestion(const ErrorInfo& question) = 0;
    // A progress event other than a question.
    virtual void OnProgress(std::uint32_t event, std::uintptr_t value) = 0;
    // The logger the failed start of the worker is logged to.
    virtual CLogger* Logger() const = 0;

    // The caption as the application's tray tip while the dialog lives.
    void RegisterTrayTip(const CString& caption) { GetApp().SetTrayTipText(this->Handle(), caption); }

    // Registers the callback and starts the worker once the modal loop runs. Call it last in
    // OnInitDialog.
    void StartWorker() {
        watcher_.SetCallback(&ProgressCallbackToWindow, this->Handle());
        if (auto* owner = this->DialogOwner()) {
            ownerWindow_ = owner->window();
            ownerWindow_->installEventFilter(this);
        }
        QTimer::singleShot(0, this, [this] { LaunchWorker(); });
    }

    void OnCancel() override {
        if (worker_.joinable()) {
            watcher_.RequestCancel();
            return;
        }
        this->KillTimer(kFinishTimer);
        this->EndDialog(gui::IDCANCEL);
    }

    bool OnCommand(int id, int code, gui::HWND from) override {
        if (id == kBackgroundButton) {
            GetApp().HideToTray();
            this->setVisible(false);
            return true;
        }
        return Base::OnCommand(id, code, from);
    }

    gui::LRESULT WindowProc(gui::UINT msg, gui::WPARAM w, gui::LPARAM l) override {
        if (msg == WM_WORKER_PROGRESS) {
            if (w == WATCHER_EVENT_QUESTION) {
                const auto* question = reinterpret_cast<const ErrorInfo*>(l);
                if (destroying_ || !question) return WATCHER_ANSWER_ABORT;
                return OnQuestion(*question);
            }
            if (!destroying_) OnProgress(static_cast<std::uint32_t>(w), static_cast<std::uintptr_t>(l));
            return 0;
        }
        if (msg == WM_WORKER_FINISHED) {
            if (worker_.joinable()) worker_.join();
            this->SetTimer(kFinishTimer, 10);
            return 0;
        }
        return Base::WindowProc(msg, w, l);
    }

    void OnTimer(std::uintptr_t id) override {
        if (id != kFinishTimer) return Base::OnTimer(id);
        gui::Window* capture = gui::Window::GetCapture();
        if (capture && (capture == this || this->isAncestorOf(capture))) return;
        this->KillTimer(kFinishTimer);
        this->EndDialog(gui::IDOK);
    }

    // While the application is in the notification area the dialog keeps itself hidden;
    // the main window coming back shows it again.
    void setVisible(bool visible) override {
        if (visible && GetApp().IsInTray()) visible = false;
        shown_ = visible;
        Base::setVisible(visible);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == ownerWindow_ && event->type() == QEvent::Show && !shown_ && this->IsModalRunning() &&
            !GetApp().IsInTray()) {
            setVisible(true);
            this->raise();
            this->activateWindow();
            this->SetFocus();
        }
        return Base::eventFilter(watched, event);
    }

    Watcher watcher_;
    RunResult result_ = RUN_FINISHED;

private:
    static constexpr std::uintptr_t kFinishTimer = 1;
    static constexpr int kBackgroundButton = 3;

    void LaunchWorker() {
        if (!this->IsModalRunning() || worker_.joinable()) return;  // ended before its loop ran
        std::uint32_t code = 0;
        const bool started = progress_detail::StartThread(
            worker_,
            [this] {
                const RunResult result = RunWorker();  // its answer-memory scope is closed here
                result_ = result;
                while (!gui::PostMessage(this->Handle(), WM_WORKER_FINISHED) && gui::IsWindow(this->Handle()))
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                workerReturned_.store(true);
            },
            code);
        if (!started) {
            progress_detail::LogStartFailure(Logger(), code);
            result_ = RUN_FINISHED_WITH_ERRORS;
            this->EndDialog(gui::IDOK);
        }
    }

    std::thread worker_;
    std::atomic<bool> workerReturned_{false};
    bool destroying_ = false;
    bool shown_ = true;
    QPointer<QWidget> ownerWindow_;
};
