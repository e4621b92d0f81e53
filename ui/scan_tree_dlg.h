#pragma once
// The scan's progress dialog (template 135): the engine's scan of one database on a worker
// thread (ProgressDialog), an animation while it walks and decides, and the content
// comparison's progress bar in place of the animation during a binary scan's third phase.
// Cancel and the close box request a cancel; the worker then asks for confirmation, and a
// confirmed cancel shows that the database is being cleaned.
//
// Ownership: the database, the selection and the batch position are not owned and must
// outlive the dialog; the worker uses the database and the selection until it has posted its
// end, and the user-interface thread leaves them alone meanwhile. User-interface thread only.
#include <cstdint>

#include "platform/core/cstring.h"
#include "platform/gui/dialog.h"
#include "ui/progress_dialog.h"

class CSyncDataBase;
class Proxy;
class CTextProgressCtrl;
class QLabel;
class QPushButton;

namespace gui {
class AnimationControl;
}

class CScanTreeDlg : public ProgressDialog<gui::Dialog> {
public:
    static constexpr std::uint32_t IDD = 135;

    // selection and batch may be null.
    CScanTreeDlg(gui::Window* parent, CSyncDataBase& database, Proxy* selection, bool binaryComparison,
                 const CString& documentTitle, const BatchPosition* batch);

    // Whether the content comparison's phase runs (its bar is shown).
    bool IsComparingContents() const { return comparing_; }

protected:
    bool OnInitDialog() override;
    RunResult RunWorker() override;
    int OnQuestion(const ErrorInfo& question) override;
    void OnProgress(std::uint32_t event, std::uintptr_t value) override;
    CLogger* Logger() const override;

private:
    void ShowCleaning();
    void ShowAnimation(bool show);

    CTextProgressCtrl* bar_ = nullptr;
    QLabel* text_ = nullptr;
    QLabel* batchLine_ = nullptr;
    QPushButton* cancel_ = nullptr;
    gui::AnimationControl* animation_ = nullptr;
    CSyncDataBase& database_;
    Proxy* selection_;
    CString documentTitle_;
    const BatchPosition* batch_;
    bool comparing_ = false;
    std::uint32_t begins_ = 0;
    bool binary_;
    std::uint32_t titleId_;
};
