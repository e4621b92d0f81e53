#include "ui/folder_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

#include "controls/msgbox/ecx_msg_box.h"
#include "engine/log/message_type.h"
#include "platform/gui/qt_convert.h"

// The shown dialog: a directory picker whose OK refuses a folder that does not exist through
// the owner's OnValidateFailed (the stock dialog would show a message box of its own).
class FolderBrowser final : public QFileDialog {
public:
    FolderBrowser(CFolderDialog& owner, QWidget* parent) : QFileDialog(parent), owner_(owner) {
        setOption(QFileDialog::DontUseNativeDialog);
        setOption(QFileDialog::ShowDirsOnly);
        setFileMode(QFileDialog::Directory);
        if (owner.GetFlags() & BIF_NONEWFOLDERBUTTON) setOption(QFileDialog::ReadOnly);
        connect(this, &QFileDialog::currentChanged, this,
                [this](const QString& path) { owner_.OnSelChanged(gui::FromQString(path)); });
    }

    // The folder OK would choose: the typed text (relative to the shown folder), else the
    // shown folder.
    QString ChosenFolder() const {
        auto* edit = findChild<QLineEdit*>();
        QString typed = edit ? edit->text().trimmed() : QString();
        if (typed.isEmpty()) return directory().absolutePath();
        QFileInfo info(typed);
        return info.isAbsolute() ? info.absoluteFilePath() : directory().absoluteFilePath(typed);
    }

    void accept() override {
        QString chosen = ChosenFolder();
        if (!QFileInfo(chosen).isDir()) {
            if (owner_.OnValidateFailed(gui::FromQString(chosen)) != 0) return;
        }
        owner_.shownResult_ = gui::FromQString(chosen);
        done(QDialog::Accepted);
    }

private:
    CFolderDialog& owner_;
};

CFolderDialog::CFolderDialog(const CString& caption, const CString& title, const CString& initialFolder,
                             gui::Window* owner, std::uint32_t flags)
    : caption_(caption), title_(title), initialFolder_(initialFolder), owner_(owner), flags_(flags) {}

CFolderDialog::~CFolderDialog() = default;

int CFolderDialog::DoModal() {
    result_ = CString();
    shownResult_ = CString();
    gui::PromptRequest request;
    request.kind = gui::PromptKind::Folder;
    request.title = std::u16string(caption_.view());
    request.text = std::u16string(title_.view());
    request.initialFolder = std::u16string(initialFolder_.view());
    request.flags = flags_;
    request.buttons = {{gui::IDOK, u"OK"}, {gui::IDCANCEL, u"Cancel"}};
    request.defaultId = gui::IDOK;
    request.escapeId = gui::IDCANCEL;
    gui::PromptAnswer answer = gui::RunPrompt(request, *this);
    if (answer.id != gui::IDOK) return gui::IDCANCEL;
    QString path = gui::ToQString(answer.text);
    if (path.isEmpty() || !QFileInfo(path).isAbsolute()) return -1;
    result_ = gui::FromQString(QFileInfo(path).absoluteFilePath());
    return gui::IDOK;
}

int CFolderDialog::RunModal() {
    FolderBrowser browser(*this, owner_ ? owner_->window() : nullptr);
    browser_ = &browser;
    OnInitialized();
    int result = browser.exec() == QDialog::Accepted ? gui::IDOK : gui::IDCANCEL;
    browser_ = nullptr;
    if (result != gui::IDOK) shownResult_ = CString();
    return result;
}

void CFolderDialog::EndModal(int id) {
    if (!browser_ || !browser_->isVisible()) return;
    if (id == gui::IDOK) {
        browser_->accept();
    } else {
        browser_->reject();
    }
}

bool CFolderDialog::IsModalRunning() const { return browser_ && browser_->isVisible(); }

QWidget* CFolderDialog::Widget() { return browser_.data(); }

QFileDialog* CFolderDialog::Browser() const { return browser_.data(); }

void CFolderDialog::OnInitialized() {
    if (!browser_) return;
    if (!caption_.IsEmpty()) browser_->setWindowTitle(gui::ToQString(caption_));
    // The title stands where the dialog names the folder it shows.
    if (!title_.IsEmpty()) browser_->setLabelText(QFileDialog::LookIn, gui::ToQString(title_));
    QFileInfo initial(gui::ToQString(initialFolder_));
    if (!initialFolder_.IsEmpty() && initial.isAbsolute() && initial.isDir()) {
        browser_->setDirectory(initial.absoluteFilePath());
    }
}

void CFolderDialog::OnSelChanged(const CString&) {}

int CFolderDialog::OnValidateFailed(const CString&) {
    CEcxMsgBox::MessageBeep(MB_ICONHAND);
    return 1;
}
