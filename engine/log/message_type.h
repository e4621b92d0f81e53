#pragma once
// The type word of the program's message boxes: the low 22 bits are the Win32 MB_
// flags (bits 0-3 choose the standard buttons), the high bits the front end's own:
// remembering answers and the for-all buttons.
#include <cstdint>
#include <vector>

// The standard flags of the low part: the button set, the icon, the default button.
constexpr std::uint32_t MB_OK = 0x0;
constexpr std::uint32_t MB_OKCANCEL = 0x1;
constexpr std::uint32_t MB_ABORTRETRYIGNORE = 0x2;
constexpr std::uint32_t MB_YESNOCANCEL = 0x3;
constexpr std::uint32_t MB_YESNO = 0x4;
constexpr std::uint32_t MB_RETRYCANCEL = 0x5;
constexpr std::uint32_t MB_ICONHAND = 0x10;
constexpr std::uint32_t MB_ICONQUESTION = 0x20;
constexpr std::uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr std::uint32_t MB_ICONASTERISK = 0x40;
constexpr std::uint32_t MB_ICON_MASK = 0xF0;
constexpr std::uint32_t MB_DEFBUTTON1 = 0x000;
constexpr std::uint32_t MB_DEFBUTTON2 = 0x100;
constexpr std::uint32_t MB_DEFBUTTON3 = 0x200;
constexpr std::uint32_t MB_DEFBUTTON4 = 0x300;
constexpr std::uint32_t MB_DEFBUTTON_MASK = 0xF00;

constexpr std::uint32_t MB_TYPE_MASK = 0x003FFFFF;          // the MB_ flags given to the box
constexpr std::uint32_t MB_BUTTON_SET_MASK = 0x0000000F;    // MB_OK, MB_OKCANCEL, ...
constexpr std::uint32_t MB_REMEMBER_BY_TEXT_ID = 0x00400000;  // answers are remembered under the text id
constexpr std::uint32_t MB_ANSWER_FOR_ALL = 0x00800000;     // a remembered answer stands for the box
constexpr std::uint32_t MB_FORALL_MASK = 0x0F000000;
constexpr std::uint32_t MB_FORALL_ALL = 0x01000000;          // 4097 "a&ll"
constexpr std::uint32_t MB_FORALL_YES = 0x02000000;          // 4102 "Yes to &all"
constexpr std::uint32_t MB_FORALL_YES_NO = 0x03000000;       // 4102 "Yes to &all", 4103 "N&o to all"
constexpr std::uint32_t MB_FORALL_SAVE_DISCARD = 0x04000000; // 4102 "&Save all", 4103 "&Discard all"
constexpr std::uint32_t MB_FORALL_IGNORE = 0x05000000;       // 4101 "I&gnore all"

// A for-all button answers with its plain counterpart plus this.
constexpr std::uint32_t kForAllAnswerOffset = 4096;
// The extra button of an operating-system error box that shows the system's message.
constexpr std::uint32_t kMoreButtonId = 4095;

struct ForAllButton {
    std::uint32_t id;      // the answer: standard id + 4096
    std::uint32_t textId;  // caption string
};
// The for-all buttons that bits 24-27 of the type word add, in order (none for 0 and
// for values without buttons).
std::vector<ForAllButton> ForAllButtons(std::uint32_t type);
// The key answers are remembered under: the text id with MB_REMEMBER_BY_TEXT_ID, else 0.
inline std::uint32_t RememberKey(std::uint32_t type, std::uint32_t textId) {
    return (type & MB_REMEMBER_BY_TEXT_ID) ? textId : 0;
}
