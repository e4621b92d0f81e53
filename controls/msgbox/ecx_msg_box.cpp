#include "controls/msgbox/ecx_msg_box.h"

#include <QApplication>

#include "platform/gui/resource_images.h"
#include "resources/string_ids.h"

namespace {

std::function<void()>& BringToFront() {
    static std::function<void()> hook;
    return hook;
}

std::function<void(std::uint32_t)>& Beep() {
    static std::function<void(std::uint32_t)> hook;
    return hook;
}

constexpr std::uint32_t kProgramIcon = 178;
constexpr std::uint32_t kNoticeIcon = 191;

// The caption of a standard button: the piece of string 157 at the button's id.
CString StandardCaption(std::uint32_t id) {
    CString all = LoadString(IDS_MSGBOX_BUTTONS);
    std::size_t start = 0;
    for (std::uint32_t i = 0; i < id; ++i) {
        std::size_t lf = all.Find(u'\n', start);
        if (lf == CString::npos) return CString();
        start = lf + 1;
    }
    std::size_t end = all.Find(u'\n', start);
    return all.Mid(start, end == CString::npos ? CString::npos : end - start);
}

}  // namespace

void CEcxMsgBox::SetBringToFrontHook(std::function<void()> hook) { BringToFront() = std::move(hook); }

void CEcxMsgBox::SetBeepHook(std::function<void(std::uint32_t)> hook) { Beep() = std::move(hook); }

void CEcxMsgBox::MessageBeep(std::uint32_t sound) {
    if (Beep()) {
        Beep()(sound);
    } else {
        QApplication::beep();
    }
}

CEcxMsgBox::CEcxMsgBox(gui::Window* parent) : CTcxMsgBox(parent) {}

void CEcxMsgBox::SetMsgButtons(std::uint32_t type) {
    RemoveAllButtons();
    const std::uint32_t icon = type & 0xF0;
    if (icon != 0) {
        switch (icon) {
            case 0x10: SetIcon(SystemIcon{32513}); beepSound_ = icon; break;
            case 0x20: SetIcon(SystemIcon{32514}); beepSound_ = icon; break;
            case 0x30: SetIcon(SystemIcon{32515}); beepSound_ = icon; break;
            case 0x40: SetIcon(SystemIcon{32516}); beepSound_ = icon; break;
            case 0x50: SetIcon(kNoticeIcon); beepSound_ = 0x40; break;
            case 0x60: SetIcon(kProgramIcon); beepSound_ = 0x40; break;
            default: SetIcon(QIcon()); beepSound_ = icon; break;
        }
    }
    auto add = [&](std::uint32_t id, bool isDefault, bool isEscape) {
        AddButton(id, isDefault, isEscape, StandardCaption(id));
    };
    switch (type & 0x0F) {
        case 1: add(1, true, false), add(2, false, true); break;
        case 2: add(3, true, false), add(4, false, false), add(5, false, false); break;
        case 3: add(6, true, false), add(7, false, false), add(2, false, true); break;
        case 4: add(6, true, false), add(7, false, false); break;
        case 5: add(4, true, false), add(2, false, true); break;
        default: add(1, true, true); break;
    }
}

int CEcxMsgBox::RunModal() {
    if (BringToFront()) BringToFront()();
    return CTcxMsgBox::RunModal();
}

bool CEcxMsgBox::OnInitDialog() {
    if (beepOn_) MessageBeep(beepSound_);
    if (GetHelpID() != 0) SetHelpID(GetHelpID() + 0x10000);
    bool result = CTcxMsgBox::OnInitDialog();
    setWindowIcon(gui::LoadResourceIcon(kProgramIcon));
    return result;
}
