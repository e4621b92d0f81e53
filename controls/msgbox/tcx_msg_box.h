#pragma once
// CTcxMsgBox: the program's own message box, a dialog made at run time with an icon, a
// read-only text and a row of push buttons of any number, ids and captions. Unlike a stock
// message box it returns any id a button has (4095 "&More...", 1000 "&Report...", the
// for-all ids 4097 and up).
//
// Use: build, fill (AddButton, SetMsgText or FormatMsg, SetIcon, SetTitle), DoModal once.
// DoModal runs through the prompt runner (platform/gui/prompt_runner.h): the request carries
// the title, text, buttons, default and escape ids, icon and help id.
//
// Layout (msg_box_layout.h): the text at the narrowest width that keeps it as low as at half
// the full-screen width, the icon left of it, the buttons centred below, the box at least as
// wide as its title (capped at 62.5 % of the full-screen width) and centred.
//
// Ending: a click on any button ends the box with that button's id; Escape ends it with the
// escape id and does nothing without one; Enter ends it with the focused button's id (that
// button becomes the default), else with the default id (nothing without one); closing the
// window ends it with the escape id and is ignored without one. Without an escape id the box
// has no close button. User-interface thread only.
#include <QIcon>
#include <cstdint>
#include <memory>
#include <vector>

#include "controls/msgbox/msg_box_layout.h"
#include "platform/core/cstring.h"
#include "platform/gui/dialog.h"
#include "resources/checked_format.h"

class QLabel;
class QPushButton;
class QTextEdit;

struct BTNDATA {
    std::uint32_t id;
    CString caption;
};

// The icon of a system icon id (32513 error, 32514 question, 32515 warning, 32516
// information) as SetIcon takes it.
struct SystemIcon {
    std::uint32_t id;
};

class CTcxMsgBox : public gui::Dialog {
    Q_OBJECT

public:
    // The control id of the text and icon controls, whose commands never end the box.
    static constexpr int kStaticId = 0xFFFF;
    // AddButton's "caption from the button's own id".
    static constexpr std::uint32_t kCaptionFromId = static_cast<std::uint32_t>(-1);

    explicit CTcxMsgBox(gui::Window* parent);
    ~CTcxMsgBox() override;

    // Appends a button whose caption is string textId (string id with kCaptionFromId; an id
    // without a string gives an empty caption). bDefault and bEscape make it the default or
    // the escape button; a later call overrides an earlier one.
    void AddButton(std::uint32_t id, bool bDefault, bool bEscape, std::uint32_t textId = kCaptionFromId);
    void AddButton(std::uint32_t id, bool bDefault, bool bEscape, const CString& caption);
    void RemoveAllButtons();

    // The message from the string table (a missing string leaves the text as it is) or as text.
    void SetMsgText(std::uint32_t stringId);
    void SetMsgText(const char16_t* text);
    // Formats string formatId with the arguments into the message and makes formatId the
    // help id; false, changing nothing, when the string does not exist.
    template <typename... Args>
    bool FormatMsg(std::uint32_t formatId, const Args&... args);

    void SetIcon(const QIcon& icon);
    // The program's icon resource.
    void SetIcon(std::uint32_t iconResourceId);
    void SetIcon(SystemIcon icon);

    void SetTitle(const CString& title) { title_ = title; }
    const CString& GetTitle() const { return title_; }
    const CString& GetMsgText() const { return text_; }
    const std::vector<BTNDATA>& GetButtons() const { return buttons_; }
    int GetDefaultButton() const { return defaultId_; }
    int GetEscapeButton() const { return escapeId_; }
    // The id of the icon resource set (0 for a QIcon given directly or none).
    std::uint32_t GetIconId() const { return iconId_; }

    void SetLayoutValues(const MsgBoxLayoutValues& values) { layout_ = values; }
    const MsgBoxLayoutValues& GetLayoutValues() const { return layout_; }

    // The measure every box lays its text out with; null puts the QTextDocument one back.
    // Not owned; tests put in a fixed one.
    static void SetTextMeasure(const MsgBoxTextMeasure* measure);

    // The controls while the box is shown (tests look at them).
    QTextEdit* TextControl() const { return textControl_; }
    QLabel* IconControl() const { return iconControl_; }
    QPushButton* ButtonControl(std::uint32_t id) const;

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, gui::HWND from) override;
    void OnClose() override;
    gui::PromptRequest DescribePrompt() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetFormattedText(std::uint32_t formatId, const CString& text);
    CString LoadedTemplate(std::uint32_t id, bool& exists) const;

    CString title_;
    CString text_;
    std::vector<BTNDATA> buttons_;
    int defaultId_ = -1;
    int escapeId_ = -1;
    QIcon icon_;
    gui::Size iconSize_;
    std::uint32_t iconId_ = 0;
    MsgBoxLayoutValues layout_;
    QTextEdit* textControl_ = nullptr;
    QLabel* iconControl_ = nullptr;
};

template <typename... Args>
bool CTcxMsgBox::FormatMsg(std::uint32_t formatId, const Args&... args) {
    bool exists = false;
    CString format = LoadedTemplate(formatId, exists);
    if (!exists) return false;
    SetFormattedText(formatId, CString::Format(format.view(), args...));
    return true;
}
