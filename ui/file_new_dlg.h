#pragma once
// FileNewDlg: the new-profile dialog (dialog 132), which asks for the two base directories of
// a profile; in "Change Directories" mode (a mode text given) it changes those of an existing
// profile. OK checks the left directory, then the right one (each must be an existing
// directory), then that the two, normalised as roots, are not one directory and do not lie
// inside each other (links and bind mounts seen through); the first failure is shown
// (ShowErrorMessage), the focus goes to the edit at fault and the dialog stays open. Each
// browse button picks a folder for its edit with CFolderDialog. The binary-comparison check
// box shows at the expert user level only.
//
// DoModal: IDOK with the directories (as typed) and the check box in the members, or
// IDCANCEL. User-interface thread only.
#include <QWidget>

#include "platform/core/cstring.h"
#include "platform/gui/dialog.h"

namespace plat {
class FileSystem;
}

class FileNewDlg : public gui::Dialog {
    Q_OBJECT

public:
    static constexpr std::uint32_t kDialogId = 132;
    static constexpr int kPrompt = 1006;
    static constexpr int kLeftEdit = 1002;
    static constexpr int kLeftBrowse = 1003;
    static constexpr int kRightEdit = 1004;
    static constexpr int kRightBrowse = 1005;
    static constexpr int kBinaryCheck = 1044;

    // Null texts give empty strings.
    FileNewDlg(gui::Window* parent, const char16_t* modeText, const char16_t* leftDirectory,
               const char16_t* rightDirectory);
    ~FileNewDlg() override;

    // The user level decides whether the check box shows (the application sets it).
    void SetExpertLevel(bool expert) { expertLevel_ = expert; }
    // The file system the directories are checked on (the real one unless set).
    void SetFileSystem(plat::FileSystem& fs) { fs_ = &fs; }

    CString m_leftDirectory;
    CString m_rightDirectory;
    bool m_binaryComparison = false;
    CString m_modeText;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, gui::HWND from) override;

private:
    QString EditText(int id) const;
    void Browse(int editId);
    // Shows the error (unless a cancellation) and puts the focus into the edit.
    void Refuse(const class ErrorInfo& error, int editId);

    plat::FileSystem* fs_;
    bool expertLevel_ = false;
};
