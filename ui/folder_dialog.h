#pragma once
// CFolderDialog: the folder picker with which the new-profile dialog chooses a base
// directory: a directory-only, non-native QFileDialog, run through the prompt runner
// (platform/gui/prompt_runner.h: a folder dialog request with the caption as title, the
// title as text, the initial folder and the flags), so that tests answer it with a folder or
// a cancel.
//
// DoModal returns 1 (OK: GetFolderPath is the chosen folder), 2 (cancelled: the path stays
// empty) or -1 (the answer is no absolute path of the file system).
//
// While the window is shown: OnInitialized sets the caption and selects the initial folder
// when it exists (a missing one leaves the dialog's default); OnSelChanged hears each folder
// the user moves to; OK on a folder that does not exist calls OnValidateFailed, which beeps
// and returns 1: the dialog stays open. OnIUnknown exists for subclasses and is never called
// (the shell's interface message has no counterpart here).
//
// User-interface thread only.
#include <QPointer>
#include <cstdint>

#include "platform/core/cstring.h"
#include "platform/gui/prompt_runner.h"
#include "platform/gui/window.h"

class QFileDialog;
class FolderBrowser;

// Browse flags of the Windows design that the callers pass.
inline constexpr std::uint32_t BIF_RETURNONLYFSDIRS = 0x0001;
inline constexpr std::uint32_t BIF_STATUSTEXT = 0x0004;
inline constexpr std::uint32_t BIF_VALIDATE = 0x0020;
inline constexpr std::uint32_t BIF_NEWDIALOGSTYLE = 0x0040;
inline constexpr std::uint32_t BIF_NONEWFOLDERBUTTON = 0x0200;

class CFolderDialog : public gui::PromptHost {
public:
    CFolderDialog(const CString& caption, const CString& title, const CString& initialFolder, gui::Window* owner,
                  std::uint32_t flags);
    virtual ~CFolderDialog();

    int DoModal();
    const CString& GetFolderPath() const { return result_; }
    std::uint32_t GetFlags() const { return flags_; }

    // PromptHost.
    int RunModal() override;
    void EndModal(int id) override;
    bool IsModalRunning() const override;
    QWidget* Widget() override;
    std::u16string ResultText() override { return std::u16string(shownResult_.view()); }

protected:
    virtual void OnInitialized();
    virtual void OnSelChanged(const CString& path);
    // Returns non-zero to keep the dialog open.
    virtual int OnValidateFailed(const CString& text);
    virtual void OnIUnknown(void*) {}

    // The shown dialog while a callback runs, else null.
    QFileDialog* Browser() const;

private:
    friend class FolderBrowser;

    CString caption_;
    CString title_;
    CString initialFolder_;
    QPointer<gui::Window> owner_;
    std::uint32_t flags_;
    CString result_;
    CString shownResult_;
    QPointer<FolderBrowser> browser_;
};
