#pragma once
// The synchronisation's progress dialog (template 141, resizable): the engine's execution
// of a selection on a worker thread (ProgressDialog), the current action with its "from" and
// "to" paths, a bar for the current item and one for the whole run, the transfer rate and
// the batch line. Item starts of copies and deletes, item ends, the begin and the end are
// handed on to the parent window (the profile view) as WM_WORKER_PROGRESS with the item's
// Proxy index, so that it can follow the current entry.
//
// Errors are asked with abort/retry/ignore and its "for all" buttons (remembered for the
// run), or answered ignore without a box: in an unattended run with "AutoSyncOnError" 1, and
// outside one with the profile's "SyncIgnoreErrors".
//
// The placement is kept in "Appearance\SyncExecuteDlg" of the application's settings.
// Ownership: the database, the selection, the preferences and the batch position are not
// owned and must outlive the dialog. User-interface thread only.
#include <array>
#include <cstdint>

#include "controls/resizable_dialog.h"
#include "platform/core/cstring.h"
#include "ui/progress_dialog.h"

class CSyncDataBase;
class Proxy;
class CPreferences;
class CTextProgressCtrl;
class QLabel;

class SyncExecuteDlg : public ProgressDialog<CResizableDialog> {
public:
    static constexpr std::uint32_t IDD = 141;

    // batch may be null.
    SyncExecuteDlg(gui::Window* parent, CSyncDataBase& database, Proxy& selection, const CPreferences& preferences,
                   const CString& documentTitle, const BatchPosition* batch);

protected:
    bool OnInitDialog() override;
    RunResult RunWorker() override;
    int OnQuestion(const ErrorInfo& question) override;
    void OnProgress(std::uint32_t event, std::uintptr_t value) override;
    CLogger* Logger() const override;

private:
    void SetLine(QLabel* line, CString& shown, const CString& prefix, const CString& path);
    void SetBars(const WatcherProgress& progress);
    void ShowRate(std::uint32_t rate);
    void PassToParent(std::uint32_t event, std::uintptr_t value);

    QLabel* rate_ = nullptr;
    QLabel* batchLine_ = nullptr;
    QLabel* action_ = nullptr;
    QLabel* from_ = nullptr;
    QLabel* to_ = nullptr;
    CTextProgressCtrl* itemBar_ = nullptr;
    CTextProgressCtrl* runBar_ = nullptr;
    CSyncDataBase& database_;
    Proxy& selection_;
    CString documentTitle_;
    const BatchPosition* batch_;
    const CPreferences& preferences_;
    CString rateFormat_, copyText_, deleteText_, updateText_, skipText_, fromPrefix_, toPrefix_;
    CString shownAction_, shownFrom_, shownTo_;
    std::array<int, 2> shownBars_{-1, -1};
    std::uint32_t shownRate_ = 0;
};
