#pragma once
// The prompt runner: every message box, file dialog, folder dialog and modal dialog of the
// program is run through it, never shown directly. The program's runner shows the window and
// runs its modal loop; tests install a scripted runner (testing/scripted_prompt_runner.h)
// that answers from a queue or hands the shown window to a test callback; unattended runs
// install a policy that answers without a window. So no test and no unattended run can
// block on a window.
//
// How a window uses it: it describes itself in a `PromptRequest` and hands itself over as a
// `PromptHost`, then takes the answer:
//
//     gui::PromptRequest request;
//     request.kind = gui::PromptKind::MessageBox;
//     request.title = ...; request.text = ...;
//     request.buttons = {{6, u"&Yes"}, {7, u"&No"}};
//     request.defaultId = 6;
//     gui::PromptAnswer answer = gui::RunPrompt(request, *this);  // *this: a PromptHost
//     return answer.id;
//
// A runner may answer without showing the window at all (the host's RunModal is then never
// called), so a window must not rely on its own set-up having run when the answer comes.
// A file or folder dialog's chosen path comes back in `answer.text`.
//
// Threads: prompts run on the user-interface thread only. Called from another thread,
// RunPrompt shows nothing and answers `NoWindowAnswer(request)`: a worker asks the user
// through a message sent to a window (window.h), never by a prompt of its own.
#include <cstdint>
#include <string>
#include <vector>

class QWidget;

namespace gui {

enum class PromptKind {
    MessageBox,
    OpenFile,
    SaveFile,
    Folder,
    Dialog,  // any other modal dialog
};

struct PromptButton {
    int id = 0;
    std::u16string caption;  // with its '&' access-key prefix
    bool operator==(const PromptButton&) const = default;
};

struct PromptRequest {
    PromptKind kind = PromptKind::MessageBox;
    std::u16string title;
    std::u16string text;  // a message; a file dialog's initial file name; a folder dialog's instruction
    std::vector<PromptButton> buttons;
    int defaultId = -1;  // -1 = none
    int escapeId = -1;   // the answer of Escape and of closing the window; -1 = they do nothing
    int icon = 0;        // the icon's resource id (32513 to 32516 the system's), 0 = none
    std::uint32_t helpId = 0;
    std::uint32_t dialogId = 0;  // a modal dialog's template id, 0 for one built at run time
    // File and folder dialogs.
    std::u16string initialFolder;
    std::u16string filter;  // "Text (*.txt)|*.txt|All files|*||" as the program writes filters
    std::u16string defaultExtension;
    std::uint32_t flags = 0;
};

struct PromptAnswer {
    int id = 0;           // the id that ended the window (a button's id; 1 OK or 2 Cancel for dialogs)
    std::u16string text;  // the path a file or folder dialog gave; empty otherwise
    bool operator==(const PromptAnswer&) const = default;
};

// The answer when no window can be shown: the escape id, or 0 (no answer) without one.
int NoWindowAnswer(const PromptRequest& request);

// The window being run, as the runner sees it.
class PromptHost {
public:
    virtual ~PromptHost() = default;
    // Shows the window and runs its modal loop until it ends; returns the id it ended with.
    virtual int RunModal() = 0;
    // Ends a running modal loop with this id; does nothing when none runs or it already ends.
    virtual void EndModal(int id) = 0;
    // True while the modal loop runs and nobody has ended it yet.
    virtual bool IsModalRunning() const = 0;
    // The window while RunModal runs, else null (for a test callback to look at and press).
    virtual QWidget* Widget() = 0;
    // A file or folder dialog's chosen path after RunModal; empty for other windows.
    virtual std::u16string ResultText() { return {}; }
};

class PromptRunner {
public:
    virtual ~PromptRunner() = default;
    virtual PromptAnswer Run(const PromptRequest& request, PromptHost& host) = 0;
};

// The program's runner: shows the window (host.RunModal) and returns what it ended with.
class InteractivePromptRunner final : public PromptRunner {
public:
    PromptAnswer Run(const PromptRequest& request, PromptHost& host) override;
};

// Runs one prompt through the installed runner (see the thread rule above).
PromptAnswer RunPrompt(const PromptRequest& request, PromptHost& host);

// The installed runner; the interactive one until another is installed.
PromptRunner& CurrentPromptRunner();

// Installs a runner for the scope's life and puts the previous one back afterwards. The
// runner is not owned and must outlive the scope. User-interface thread only.
class ScopedPromptRunner {
public:
    explicit ScopedPromptRunner(PromptRunner& runner);
    ~ScopedPromptRunner();
    ScopedPromptRunner(const ScopedPromptRunner&) = delete;
    ScopedPromptRunner& operator=(const ScopedPromptRunner&) = delete;

private:
    PromptRunner* previous_;
};

}  // namespace gui
