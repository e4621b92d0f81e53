#include "ui/file_new_dlg.h"

#include <QCheckBox>
#include <QLineEdit>

#include "engine/error_info.h"
#include "engine/log/captions.h"
#include "engine/log/message_type.h"
#include "engine/path_helpers.h"
#include "platform/core/file_system.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/resource_images.h"
#include "resources/string_ids.h"
#include "resources/string_table.h"
#include "ui/folder_dialog.h"
#include "ui/message_box.h"

namespace {

constexpr std::uint32_t kProgramIcon = 178;

}  // namespace

FileNewDlg::FileNewDlg(gui::Window* parent, const char16_t* modeText, const char16_t* leftDirectory,
                       const char16_t* rightDirectory)
    : gui::Dialog(parent, kDialogId),
      m_leftDirectory(leftDirectory ? leftDirectory : u""),
      m_rightDirectory(rightDirectory ? rightDirectory : u""),
      m_modeText(modeText ? modeText : u""),
      fs_(&plat::PosixFs()) {}

FileNewDlg::~FileNewDlg() = default;

QString FileNewDlg::EditText(int id) const {
    auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id));
    return edit ? edit->text() : QString();
}

bool FileNewDlg::OnInitDialog() {
    setWindowIcon(gui::LoadResourceIcon(kProgramIcon));
    if (auto* left = qobject_cast<QLineEdit*>(GetDlgItem(kLeftEdit))) left->setText(gui::ToQString(m_leftDirectory));
    if (auto* right = qobject_cast<QLineEdit*>(GetDlgItem(kRightEdit)))
        right->setText(gui::ToQString(m_rightDirectory));
    setWindowTitle(gui::ToQString(m_modeText.IsEmpty() ? CaptionFromId(IDS_NEW_PROFILE)
                                                       : JoinCaptionIdText(IDS_CHANGE_DIRECTORIES, m_modeText)));
    if (auto* check = qobject_cast<QCheckBox*>(GetDlgItem(kBinaryCheck))) {
        check->setChecked(m_binaryComparison);
        check->setVisible(expertLevel_);
    }
    return true;
}

bool FileNewDlg::OnCommand(int id, int code, gui::HWND from) {
    if (code == gui::BN_CLICKED && (id == kLeftBrowse || id == kRightBrowse)) {
        Browse(id == kLeftBrowse ? kLeftEdit : kRightEdit);
        return true;
    }
    return gui::Dialog::OnCommand(id, code, from);
}

void FileNewDlg::Browse(int editId) {
    auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(editId));
    if (!edit) return;
    CFolderDialog folder(CString(), LoadString(IDS_SELECT_DIRECTORY), gui::FromQString(edit->text()), this,
                         BIF_RETURNONLYFSDIRS | BIF_VALIDATE | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON);
    if (folder.DoModal() == gui::IDOK) edit->setText(gui::ToQString(folder.GetFolderPath()));
}

void FileNewDlg::Refuse(const ErrorInfo& error, int editId) {
    if (error.category != ERROR_CATEGORY_CANCELLED) ShowErrorMessage(this, error, MB_OK | MB_ICONEXCLAMATION);
    if (QWidget* edit = GetDlgItem(editId)) edit->setFocus(Qt::OtherFocusReason);
}

void FileNewDlg::OnOK() {
    const CString left = gui::FromQString(EditText(kLeftEdit));
    const CString right = gui::FromQString(EditText(kRightEdit));
    ErrorInfo error;
    // Left first, then right; each must be an existing directory (NormaliseRoot checks that
    // on the path with a link at its end resolved, so a link to a directory is a root as the
    // engine takes it) of a root's length. Network shares never need connecting here.
    CString leftRoot, rightRoot;
    if (!NormaliseRoot(*fs_, left, leftRoot, error)) return Refuse(error, kLeftEdit);
    if (!NormaliseRoot(*fs_, right, rightRoot, error)) return Refuse(error, kRightEdit);
    // Two roots that are one directory or nested would copy a side into itself: the engine
    // refuses them later, so the dialog refuses them now, while they can still be changed.
    if (RootsOverlap(*fs_, leftRoot, rightRoot)) {
        error.Set(ERROR_CATEGORY_PROGRAM, ERRCODE_NESTED_ROOTS, 0, right);
        return Refuse(error, kRightEdit);
    }
    m_leftDirectory = left;
    m_rightDirectory = right;
    if (auto* check = qobject_cast<QCheckBox*>(GetDlgItem(kBinaryCheck))) m_binaryComparison = check->isChecked();
    EndDialog(gui::IDOK);
}
