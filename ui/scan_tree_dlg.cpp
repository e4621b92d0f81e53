#include "ui/scan_tree_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "controls/msgbox/answer_memo.h"
#include "controls/text_progress_ctrl.h"
#include "engine/log/captions.h"
#include "engine/log/logger.h"
#include "engine/log/message_type.h"
#include "engine/path_helpers.h"
#include "engine/sync_database.h"
#include "app/network_share.h"
#include "platform/gui/animation_control.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/resource_images.h"
#include "resources/string_table.h"
#include "ui/message_box.h"

namespace {

constexpr int kIdAnimation = 1005;
constexpr int kIdText = 1006;
constexpr int kIdBatchLine = 1053;
constexpr int kIdBar = 1054;
constexpr std::uint32_t kScanAnimation = 134;
constexpr std::uint32_t kCleanAnimation = 137;
constexpr int kCleanFrame = 4;
constexpr std::uint32_t kErrorBoxType = 0x5800002;  // abort/retry/ignore with "for all" buttons

}  // namespace

CScanTreeDlg::CScanTreeDlg(gui::Window* parent, CSyncDataBase& database, Proxy* selection, bool binaryComparison,
                           const CString& documentTitle, const BatchPosition* batch)
    : ProgressDialog<gui::Dialog>(parent, IDD),
      database_(database),
      selection_(selection),
      documentTitle_(documentTitle),
      batch_(batch),
      binary_(binaryComparison),
      titleId_(binaryComparison ? 1046 : 1000) {}

CLogger* CScanTreeDlg::Logger() const { return database_.GetLogger(); }

bool CScanTreeDlg::OnInitDialog() {
    bar_ = dynamic_cast<CTextProgressCtrl*>(GetDlgItem(kIdBar));
    text_ = qobject_cast<QLabel*>(GetDlgItem(kIdText));
    batchLine_ = qobject_cast<QLabel*>(GetDlgItem(kIdBatchLine));
    cancel_ = qobject_cast<QPushButton*>(GetDlgItem(gui::IDCANCEL));
    animation_ = dynamic_cast<gui::AnimationControl*>(GetDlgItem(kIdAnimation));

    setWindowIcon(gui::LoadResourceIcon(178));
    const CString caption = JoinCaptionIdText(titleId_, documentTitle_);
    setWindowTitle(gui::ToQString(caption));
    RegisterTrayTip(caption);

    if (bar_) bar_->SetRange32(0, 65535);
    if (text_) text_->setText(gui::ToQString(LoadString(1202)));
    if (animation_ && animation_->Open(kScanAnimation)) animation_->Play(0, -1, -1);
    if (batchLine_) batchLine_->setText(gui::ToQString(BatchLineText(batch_)));

    // Roots the test does not find are left to the scan, which reports them; only a
    // connection attempt the user cancelled ends the dialog before it scans.
    for (const CString* root : {&database_.leftRoot, &database_.rightRoot}) {
        ErrorInfo error;
        if (IsExistingDirectory(database_.GetFileSystem(), *root, &error)) continue;
        if (!ConnectNetworkShare(error, *root) && error.category == ERROR_CATEGORY_CANCELLED) {
            if (CLogger* logger = Logger()) logger->LogRecord(error);
            result_ = RUN_CANCELLED;
            EndDialog(gui::IDCANCEL);
            return true;
        }
    }
    StartWorker();
    return true;
}

RunResult CScanTreeDlg::RunWorker() {
    CAnswerMemoScope scope(binary_);
    return static_cast<RunResult>(database_.Scan(selection_, &watcher_, binary_));
}

void CScanTreeDlg::ShowAnimation(bool show) {
    if (bar_) bar_->setVisible(!show);
    if (!animation_) return;
    animation_->setVisible(show);
    if (show) {
        animation_->Open(kScanAnimation);
        animation_->Play(0, -1, -1);
    } else {
        animation_->Stop();
    }
}

void CScanTreeDlg::OnProgress(std::uint32_t event, std::uintptr_t) {
    switch (event) {
        case WATCHER_EVENT_BEGIN:
            if (++begins_ == 3) {
                comparing_ = true;
                if (text_) text_->setText(gui::ToQString(LoadString(1221)));
                if (bar_) bar_->SetPos(0);
                ShowAnimation(false);
            }
            break;
        case WATCHER_EVENT_END:
            if (begins_ == 3 && comparing_) {
                comparing_ = false;
                ShowAnimation(true);
            }
            break;
        case WATCHER_EVENT_TICK:
            if (comparing_ && bar_) {
                WatcherProgress progress;
                watcher_.GetProgress().Snapshot(progress);
                bar_->SetPos(BarPosition(progress.overallDone, progress.overallTotal));
            }
            break;
        default: break;
    }
}

void CScanTreeDlg::ShowCleaning() {
    if (text_) text_->setText(gui::ToQString(LoadString(1203)));
    if (cancel_) cancel_->setVisible(false);
    if (bar_) bar_->setVisible(false);
    comparing_ = false;
    if (animation_) {
        animation_->setVisible(true);
        if (animation_->Open(kCleanAnimation)) animation_->Play(kCleanFrame, kCleanFrame, 1);
    }
}

int CScanTreeDlg::OnQuestion(const ErrorInfo& question) {
    // The animation stands still while a box is open and starts again from its first frame.
    const bool animated = !comparing_ && animation_ && animation_->IsPlaying();
    if (animated) animation_->Stop();
    int answer = WATCHER_ANSWER_NONE;
    bool cleaning = false;
    if (question.category == ERROR_CATEGORY_CANCELLED) {
        const int id = ShowMessageById(this, 1100, MB_YESNO | MB_ICONEXCLAMATION, titleId_, documentTitle_.c_str());
        if (id == gui::IDYES) {
            answer = WATCHER_ANSWER_YES;
            cleaning = true;
        }
    } else if (GetApp().IsAutoSyncRunning() && GetApp().AutoSyncOnError() == 1) {
        answer = WATCHER_ANSWER_IGNORE;
    } else {
        switch (ShowErrorMessage(this, question, kErrorBoxType, 1044, documentTitle_.c_str())) {
            case gui::IDABORT:
                answer = WATCHER_ANSWER_ABORT;
                cleaning = true;
                break;
            case gui::IDRETRY: answer = WATCHER_ANSWER_RETRY; break;
            case gui::IDIGNORE: answer = WATCHER_ANSWER_IGNORE; break;
            default: break;
        }
    }
    if (cleaning) {
        ShowCleaning();
    } else if (animated) {
        animation_->Play(0, -1, -1);
    }
    return answer;
}
