#pragma once
// What the progress dialogs' tests share: a profile over two real temporary roots behind the
// fault injector, its log, a gate that holds the worker at a chosen file-system call, a
// recording parent view and a tray host over a plain main window, and running a dialog
// modally through the scripted prompt runner until it ends by itself.
#include <gtest/gtest.h>

#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/application.h"
#include "engine/error_info.h"
#include "engine/log/logger.h"
#include "engine/proxy.h"
#include "engine/sync_database.h"
#include "platform/core/posix_file_system.h"
#include "platform/core/testing/fault_file_system.h"
#include "platform/gui/dialog.h"
#include "platform/gui/testing/scripted_prompt_runner.h"
#include "platform/gui/window.h"
#include "tests/support/temp_dir.h"

namespace progress_test {

// Template builder and the "textprogress" class, once.
void PrepareDialogs();

// Every entry the profile's logger dispatches (from any thread).
class LogRecorder : public CLogView {
public:
    void Receive(CLogger*, const ErrorInfo& entry) override;
    void SetUTC(bool) override {}
    std::vector<ErrorInfo> Entries() const;

private:
    mutable std::mutex mutex_;
    std::vector<ErrorInfo> entries_;
};

// Holds the worker at the n-th call of one kind of file-system operation (on a path
// containing `part`) until the test releases it.
class Gate {
public:
    void Arm(plat::FsOp op, std::u16string part, int nth = 1);
    // The fault injector's hook: blocks while armed and reached.
    void OnCall(plat::FsOp op, const CString& path);
    // User-interface thread: processes events until the worker waits at the gate (false
    // after 20 s).
    bool WaitReached();
    void Release();
    // Releases the waiting worker and arms the gate again in one step, so the worker cannot
    // pass the next point before it is armed.
    void ReleaseAndArm(plat::FsOp op, std::u16string part, int nth = 1);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    plat::FsOp op_ = plat::FsOp::Count;
    std::u16string part_;
    int left_ = 0;
    bool reached_ = false;
    std::uint64_t releases_ = 0;  // a waiting worker goes on once this grows
};

// One profile: roots <tmp>/left/ and <tmp>/right/ on the real file system behind the fault
// injector, the log recorded.
class Profile {
public:
    Profile();
    ~Profile();
    void Write(const std::string& side, const std::string& relative, const std::string& content);
    std::string Read(const std::string& side, const std::string& relative) const;
    bool Exists(const std::string& side, const std::string& relative) const;
    // A scan without dialog; the plan ends in proxy.
    void ScanNow(bool binary = false);

    TempDir dir;
    plat::FaultFileSystem fs{plat::PosixFs()};
    Gate gate;
    LogRecorder log;
    CLogger logger;
    CSyncDataBase db{&logger};
    Proxy proxy;
};

// The parent view: records every WM_WORKER_PROGRESS it is handed.
class RecordingView : public gui::Window {
public:
    std::vector<std::pair<std::uint32_t, std::uintptr_t>> events;

protected:
    gui::LRESULT OnMessage(gui::UINT msg, gui::WPARAM w, gui::LPARAM l) override;
};

// A main window with the view inside, and the tray host that hides and shows it.
class MainWindowTray : public CTrayHost {
public:
    MainWindowTray();
    ~MainWindowTray() override;
    void HideToTray() override;
    bool IsInTray() const override { return inTray_; }
    void RestoreFromTray() override;
    void ShowTrayTip(const CString& text) override { tip = text; }

    QWidget main;
    RecordingView* view;
    CString tip;

private:
    bool inTray_ = false;
};

// Runs the dialog through the scripted runner, the boxes it asks answered in turn by
// `answers`: `during` is called inside the modal loop
// (it may wait at gates, press buttons, take screenshots); afterwards events are processed
// until the dialog ends by itself (failing after 30 s). Returns the id it ended with.
int RunDialog(gui::ScriptedPromptRunner& prompts, gui::Dialog& dialog, const std::vector<int>& answers = {},
              const std::function<void(QWidget& window)>& during = {});

// Processes events for a while (a tick of the Watcher is 500 ms).
void ProcessEventsFor(int milliseconds);
// Whether pred becomes true within 20 s of processing events.
bool WaitUntil(const std::function<bool()>& pred);

}  // namespace progress_test
