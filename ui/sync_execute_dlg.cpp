#include "ui/sync_execute_dlg.h"

#include <QFontMetrics>
#include <QLabel>

#include "app/preference_keys.h"
#include "app/preferences.h"
#include "controls/msgbox/answer_memo.h"
#include "controls/text_progress_ctrl.h"
#include "engine/log/captions.h"
#include "engine/log/message_type.h"
#include "engine/sync_database.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/resource_images.h"
#include "resources/checked_format.h"
#include "resources/string_table.h"
#include "ui/message_box.h"

namespace {

constexpr int kIdItemBar = 1008;
constexpr int kIdRunBar = 1010;
constexpr int kIdAction = 1011;
constexpr int kIdFrom = 1012;
constexpr int kIdTo = 1013;
constexpr int kIdRate = 1015;
constexpr int kIdBatchLine = 1053;
constexpr std::uint32_t kErrorBoxType = 0x5800002;  // abort/retry/ignore with "for all" buttons
constexpr std::u16string_view kPlacementSection = u"Appearance\\SyncExecuteDlg";

}  // namespace

SyncExecuteDlg::SyncExecuteDlg(gui::Window* parent, CSyncDataBase& database, Proxy& selection,
                               const CPreferences& preferences, const CString& documentTitle,
                               const BatchPosition* batch)
    : ProgressDialog<CResizableDialog>(parent, IDD),
      database_(database),
      selection_(selection),
      documentTitle_(documentTitle),
      batch_(batch),
      preferences_(preferences),
      rateFormat_(LoadTemplate(139)),
      copyText_(LoadString(140)),
      deleteText_(LoadString(141)),
      updateText_(LoadString(142)),
      skipText_(LoadString(145)),
      fromPrefix_(LoadString(143)),
      toPrefix_(LoadString(144)) {}

CLogger* SyncExecuteDlg::Logger() const { return database_.GetLogger(); }

bool SyncExecuteDlg::OnInitDialog() {
    CResizableDialog::OnInitDialog();
    rate_ = qobject_cast<QLabel*>(GetDlgItem(kIdRate));
    batchLine_ = qobject_cast<QLabel*>(GetDlgItem(kIdBatchLine));
    action_ = qobject_cast<QLabel*>(GetDlgItem(kIdAction));
    from_ = qobject_cast<QLabel*>(GetDlgItem(kIdFrom));
    to_ = qobject_cast<QLabel*>(GetDlgItem(kIdTo));
    itemBar_ = dynamic_cast<CTextProgressCtrl*>(GetDlgItem(kIdItemBar));
    runBar_ = dynamic_cast<CTextProgressCtrl*>(GetDlgItem(kIdRunBar));

    setWindowIcon(gui::LoadResourceIcon(178));
    const CString caption = JoinCaptionIdText(1001, documentTitle_);
    setWindowTitle(gui::ToQString(caption));
    RegisterTrayTip(caption);

    // Anchored first, restored last: a stored size then lays the controls out as a resize does.
    for (int id : {kIdAction, kIdFrom, kIdTo, kIdItemBar, kIdRunBar}) {
        if (QWidget* control = GetDlgItem(id)) AddAnchor(control, {0, 0}, {100, 0});
    }
    for (int id : {kIdRate, kIdBatchLine}) {
        if (QWidget* control = GetDlgItem(id)) AddAnchor(control, {0, 100}, {100, 100});
    }
    for (int id : {3, gui::IDCANCEL}) {
        if (QWidget* control = GetDlgItem(id)) AddAnchor(control, {100, 100}, {100, 100});
    }
    for (QLabel* line : {rate_, action_, from_, to_, batchLine_}) {
        if (line) {
            line->setTextFormat(Qt::PlainText);  // paths are shown as they are, never as markup
            line->clear();
        }
    }
    if (itemBar_) itemBar_->SetRange32(0, 65535);
    if (runBar_) runBar_->SetRange32(0, 65535);
    if (batchLine_) batchLine_->setText(gui::ToQString(BatchLineText(batch_)));
    if (RegistryProfile* settings = GetApp().Settings()) EnableSaveRestore(*settings, kPlacementSection);
    StartWorker();
    return true;
}

RunResult SyncExecuteDlg::RunWorker() {
    CAnswerMemoScope scope(true);
    return database_.Execute(selection_, watcher_);
}

void SyncExecuteDlg::SetLine(QLabel* line, CString& shown, const CString& prefix, const CString& path) {
    CString text;
    if (line && !path.IsEmpty()) {
        const QFontMetrics metrics(line->font());
        const auto width = [&](std::u16string_view s) { return metrics.horizontalAdvance(gui::ToQString(s)); };
        const int room = line->contentsRect().width() - width(prefix);
        text = prefix + FitPathToWidth(path, room, width);
    }
    if (text == shown) return;
    shown = text;
    if (line) line->setText(gui::ToQString(text));
}

void SyncExecuteDlg::SetBars(const WatcherProgress& progress) {
    const std::array<int, 2> bars{BarPosition(progress.itemBytesDone, progress.itemSizePlusOne),
                                  BarPosition(progress.overallDone, progress.overallTotal)};
    if (bars[0] != shownBars_[0] && itemBar_) itemBar_->SetPos(bars[0]);
    if (bars[1] != shownBars_[1] && runBar_) runBar_->SetPos(bars[1]);
    shownBars_ = bars;
}

void SyncExecuteDlg::ShowRate(std::uint32_t rate) {
    if (rate == 0 || rate == shownRate_) return;
    shownRate_ = rate;
    if (rate_) rate_->setText(gui::ToQString(CString::Format(rateFormat_.view(), static_cast<int>(rate))));
}

void SyncExecuteDlg::PassToParent(std::uint32_t event, std::uintptr_t value) {
    if (gui::Window* parent = DialogOwner()) {
        parent->SendMessage(WM_WORKER_PROGRESS, event, static_cast<gui::LPARAM>(value));
    }
}

void SyncExecuteDlg::OnProgress(std::uint32_t event, std::uintptr_t value) {
    WatcherProgress progress;
    watcher_.GetProgress().Snapshot(progress);
    switch (event) {
        case WATCHER_EVENT_ITEM_START: {
            CString action, from, to, fromPrefix, toPrefix;
            switch (progress.itemKind) {
                case WATCHER_ITEM_UPDATE_DATABASE: action = updateText_; break;
                case WATCHER_ITEM_NOTHING_TO_DO: action = skipText_; break;
                case WATCHER_ITEM_COPY:
                    action = copyText_;
                    from = CString(progress.sourcePath);
                    to = CString(progress.targetPath);
                    fromPrefix = fromPrefix_;
                    toPrefix = toPrefix_;
                    break;
                case WATCHER_ITEM_DELETE:
                    action = deleteText_;
                    from = CString(progress.targetPath);
                    break;
                default: break;
            }
            shownRate_ = 0;
            if (action != shownAction_) {
                shownAction_ = action;
                if (action_) action_->setText(gui::ToQString(action));
            }
            SetLine(from_, shownFrom_, fromPrefix, from);
            SetLine(to_, shownTo_, toPrefix, to);
            SetBars(progress);
            if (progress.itemKind == WATCHER_ITEM_COPY || progress.itemKind == WATCHER_ITEM_DELETE) {
                PassToParent(event, value);
            }
            break;
        }
        case WATCHER_EVENT_ITEM_DONE:
        case WATCHER_EVENT_TICK:
            SetBars(progress);
            ShowRate(progress.rate);
            if (event == WATCHER_EVENT_ITEM_DONE) PassToParent(event, value);
            break;
        case WATCHER_EVENT_BEGIN:
        case WATCHER_EVENT_END: PassToParent(event, value); break;
        default: break;
    }
}

int SyncExecuteDlg::OnQuestion(const ErrorInfo& question) {
    if (question.category == ERROR_CATEGORY_CANCELLED) {
        const int id = ShowMessageById(this, 1101, MB_YESNO | MB_ICONQUESTION, 1001, documentTitle_.c_str());
        return id == gui::IDYES ? WATCHER_ANSWER_YES : WATCHER_ANSWER_NONE;
    }
    const bool unattended = GetApp().IsAutoSyncRunning();
    if (unattended && GetApp().AutoSyncOnError() == 1) return WATCHER_ANSWER_IGNORE;
    if (!unattended && preferences_.GetBool(PREF_SYNC_IGNORE_ERRORS)) return WATCHER_ANSWER_IGNORE;
    switch (ShowErrorMessage(this, question, kErrorBoxType, 1001, documentTitle_.c_str())) {
        case gui::IDABORT: return WATCHER_ANSWER_ABORT;
        case gui::IDRETRY: return WATCHER_ANSWER_RETRY;
        case gui::IDIGNORE: return WATCHER_ANSWER_IGNORE;
        default: return WATCHER_ANSWER_NONE;
    }
}
