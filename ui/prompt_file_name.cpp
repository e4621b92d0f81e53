#include "ui/prompt_file_name.h"

#include <QFileDialog>
#include <QStringList>

#include <memory>

#include "app/file_dialog_filter.h"
#include "app/file_paths.h"
#include "app/registry_profile.h"
#include "engine/log/captions.h"
#include "platform/gui/prompt_runner.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/window.h"

namespace {

constexpr char16_t kSettingsSection[] = u"Settings";

// The file dialog as the prompt runner shows it: Qt's own dialog (never the desktop's, which
// would run outside this layer and cannot be driven by tests), made when it is shown.
class FileDialogHost final : public gui::PromptHost {
public:
    FileDialogHost(const gui::PromptRequest& request, QWidget* parent) : request_(request), parent_(parent) {}

    int RunModal() override {
        dialog_ = std::make_unique<QFileDialog>(parent_, gui::ToQString(request_.title));
        SetUp(*dialog_);
        running_ = true;
        const int code = dialog_->exec();
        running_ = false;
        if (code == QDialog::Accepted) {
            const QStringList files = dialog_->selectedFiles();
            if (!files.isEmpty()) result_ = gui::FromQString(files.front());
        }
        dialog_.reset();
        return code == QDialog::Accepted && !result_.empty() ? gui::IDOK : gui::IDCANCEL;
    }
    void EndModal(int id) override {
        if (!IsModalRunning()) return;
        if (id == gui::IDOK) {
            static_cast<QDialog*>(dialog_.get())->accept();  // refused (the dialog stays open) when the name is not acceptable
        } else {
            dialog_->reject();
        }
    }
    bool IsModalRunning() const override { return running_ && dialog_ && dialog_->isVisible(); }
    QWidget* Widget() override { return running_ ? dialog_.get() : nullptr; }
    std::u16string ResultText() override { return result_; }

private:
    void SetUp(QFileDialog& dialog) const {
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        const bool open = request_.kind == gui::PromptKind::OpenFile;
        dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dialog.setFileMode(open && (request_.flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile
                                                                         : QFileDialog::AnyFile);
        if (!open && !(request_.flags & OFN_OVERWRITEPROMPT)) dialog.setOption(QFileDialog::DontConfirmOverwrite);
        QStringList names;
        for (const FileDialogFilter& f : ParseFileDialogFilter(request_.filter)) {
            names << gui::ToQString(FileDialogNameFilter(f));
        }
        if (!names.isEmpty()) dialog.setNameFilters(names);
        if (!request_.defaultExtension.empty()) dialog.setDefaultSuffix(gui::ToQString(request_.defaultExtension));
        if (!request_.initialFolder.empty()) dialog.setDirectory(gui::ToQString(request_.initialFolder));
        if (!request_.text.empty()) dialog.selectFile(gui::ToQString(request_.text));
    }

    const gui::PromptRequest& request_;
    QWidget* parent_;
    std::unique_ptr<QFileDialog> dialog_;
    bool running_ = false;
    std::u16string result_;
};

}  // namespace

bool PromptFileName(CString& result, bool open, std::uint32_t titleId, std::u16string_view defaultExtension,
                    std::u16string_view initialFileName, std::uint32_t flags, std::u16string_view filter,
                    gui::Window* parent, RegistryProfile* settings, std::u16string_view folderValueName) {
    const bool remember = settings && !folderValueName.empty();
    gui::PromptRequest request;
    request.kind = open ? gui::PromptKind::OpenFile : gui::PromptKind::SaveFile;
    request.title = CaptionFromId(titleId);
    request.text = initialFileName;
    request.defaultId = gui::IDOK;
    request.escapeId = gui::IDCANCEL;
    if (remember) request.initialFolder = settings->GetProfileString(kSettingsSection, folderValueName);
    request.filter = filter;
    if (!defaultExtension.empty() && defaultExtension.front() == u'.') defaultExtension.remove_prefix(1);
    request.defaultExtension = defaultExtension;
    request.flags = flags & ~OFN_ALLOWMULTISELECT;

    FileDialogHost host(request, parent ? parent->window() : nullptr);
    const gui::PromptAnswer answer = gui::RunPrompt(request, host);
    if (answer.id != gui::IDOK || answer.text.empty()) {
        result.Empty();
        return false;
    }
    result = CString(answer.text);
    if (remember) {
        const CString folder = ExtractFolder(result);
        if (!folder.IsEmpty()) settings->WriteProfileString(kSettingsSection, folderValueName, folder);
    }
    return true;
}
