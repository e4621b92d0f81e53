#pragma once
// CEcxMsgBox: the message box with the standard button sets of the MB_ type values, the
// matching icon and sound, the program's icon on the window, and a hook that brings the main
// window to the front before the box shows.
//
// SetMsgButtons(type) removes every button, applies the icon bits (type & 0xF0, only when
// non-zero) and adds the button set of type & 0xF, captions from string 157:
//   0 OK: OK (1), default OK, escape OK;         1 OK/Cancel: OK, Cancel (2), default OK, escape Cancel;
//   2 Abort (3), Retry (4), Ignore (5): default Abort, no escape;
//   3 Yes (6), No (7), Cancel: default Yes, escape Cancel;    4 Yes, No: default Yes, no escape;
//   5 Retry, Cancel: default Retry, escape Cancel;            any other: as 0.
// Icon bits: 0x10 error (32513), 0x20 question (32514), 0x30 warning (32515), 0x40
// information (32516), each with that value as its sound; 0x50 the program's notice icon
// 191 and 0x60 the program's icon 178, both with sound 0x40; 0x70 to 0xF0 no icon, the bits
// themselves as sound.
// Shown, the box beeps its sound (unless switched off) and adds 0x10000 to a non-zero help
// id, the id F1 asks help for. User-interface thread only, as the hooks are.
#include <functional>

#include "controls/msgbox/tcx_msg_box.h"

class CEcxMsgBox : public CTcxMsgBox {
    Q_OBJECT

public:
    explicit CEcxMsgBox(gui::Window* parent);

    void SetMsgButtons(std::uint32_t type);

    void SetBeep(bool on) { beepOn_ = on; }
    void SetBeepSound(std::uint32_t sound) { beepSound_ = sound; }
    std::uint32_t GetBeepSound() const { return beepSound_; }
    bool IsBeepOn() const { return beepOn_; }

    // The application's "restore from the notification area and activate" step, called before
    // a box shows. None: nothing happens.
    static void SetBringToFrontHook(std::function<void()> hook);
    // Plays a message sound (the type's sound value); none: the desktop's beep.
    static void SetBeepHook(std::function<void(std::uint32_t sound)> hook);
    // Plays a message sound through that hook (the boxes' own sound, and controls that beep
    // without a box).
    static void MessageBeep(std::uint32_t sound);

    // PromptHost: the main window comes to the front before the box is shown.
    int RunModal() override;

protected:
    bool OnInitDialog() override;

private:
    std::uint32_t beepSound_ = 0;
    bool beepOn_ = true;
};
