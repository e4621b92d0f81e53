#pragma once
// The dialog base: a top-level Window with its own modal loop, run through the prompt runner
// (prompt_runner.h), built at run time in OnInitDialog or from a dialog template by the
// template builder that the resource side of the windowing layer installs.
//
// Running: `DoModal` describes the dialog (DescribePrompt) and hands it to the prompt
// runner, which usually calls `RunModal`: the window is made (template controls, then
// OnInitDialog) on the first run, centred on its owner unless placed, shown, and a modal
// loop of its own runs until `EndDialog`. Meanwhile the owner's window is disabled (and
// enabled again afterwards when it was enabled before). The loop does not depend on the
// window being visible: a modal dialog that hides itself stays modal and keeps the result
// it is ended with (QDialog::exec would end the loop and lose it). EndDialog during
// OnInitDialog ends the dialog before its loop starts.
//
// Keys and closing, as the dialog manager of the Windows design does it: Escape sends
// WM_COMMAND IDCANCEL; Enter sends the id of the focused push button, else the default
// button's (SetDefID, IDOK unless set); closing the window (the close button, Alt+F4) calls
// OnClose, which sends IDCANCEL; F1 calls the help hook with the dialog's help id when it
// has one. IDOK and IDCANCEL reach OnOK and OnCancel, which end the dialog with that id.
//
// Dialog units: MapDialogRect converts with the dialog font (horizontal: the average width
// of the letters a-z and A-Z, rounded up by half, per 4 units; vertical: the line height per
// 8 units). User-interface thread only.
#include <QFont>
#include <QPointer>
#include <cstdint>
#include <functional>

#include "platform/gui/geometry.h"
#include "platform/gui/prompt_runner.h"
#include "platform/gui/window.h"

class QEventLoop;

namespace gui {

class Dialog : public Window, public PromptHost {
    Q_OBJECT

public:
    // `owner` may be null; `templateId` 0 means the dialog makes its controls itself.
    explicit Dialog(Window* owner = nullptr, std::uint32_t templateId = 0);
    ~Dialog() override;

    // The id the dialog ended with; -1 when it could not be built.
    int DoModal();
    // Ends the modal loop (or the dialog still being set up) with this result; the first
    // call counts.
    void EndDialog(int result);

    // Makes the window once: the template's controls, then OnInitDialog. False when the
    // template cannot be built. RunModal calls it; a modeless dialog calls it itself.
    bool CreateDialogWindow();

    std::uint32_t TemplateId() const { return templateId_; }
    Window* DialogOwner() const { return owner_; }

    void SetDefID(int id);
    int GetDefID() const { return defId_; }
    void SetHelpID(std::uint32_t id) { helpId_ = id; }
    std::uint32_t GetHelpID() const { return helpId_; }

    void SetDialogFont(const QFont& font);
    QFont DialogFont() const { return font_; }
    // Dialog units to pixels, each edge on its own.
    void MapDialogRect(Rect& r) const;

    // Gives a control its id; a button then sends WM_COMMAND (id, BN_CLICKED) when clicked.
    void BindControl(QWidget* control, int id);
    // Centres the window on its owner's window, or on the screen without one.
    void CenterWindow();
    // Puts the window's top-left corner there (screen pixels); RunModal then leaves it.
    void PlaceWindow(Point topLeft);

    // Builds a template's controls into the dialog; false when the template does not exist
    // or cannot be built. None installed: every dialog with a template fails to build.
    using TemplateBuilder = std::function<bool(Dialog& dialog, std::uint32_t templateId)>;
    static void SetTemplateBuilder(TemplateBuilder builder);
    // Called with the help id when F1 is pressed in a dialog that has one.
    using HelpHook = std::function<void(std::uint32_t helpId)>;
    static void SetHelpHook(HelpHook hook);

    // PromptHost.
    int RunModal() override;
    void EndModal(int id) override { EndDialog(id); }
    bool IsModalRunning() const override { return running_ && !ending_; }
    QWidget* Widget() override { return running_ ? this : nullptr; }

protected:
    // True: the focus goes to the first control that takes it; false: the dialog set it.
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void OnClose();
    // What the prompt runner is told: a dialog with its title and template id, Escape
    // answering IDCANCEL; subclasses add what a test should see.
    virtual PromptRequest DescribePrompt();

    bool OnCommand(int id, int code, HWND from) override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::uint32_t templateId_;
    QPointer<Window> owner_;
    QFont font_;
    int defId_ = IDOK;
    std::uint32_t helpId_ = 0;
    bool created_ = false;
    bool running_ = false;
    bool ending_ = false;
    bool placed_ = false;
    int result_ = -1;
    QEventLoop* loop_ = nullptr;
};

}  // namespace gui
