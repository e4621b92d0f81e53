#pragma once
// The message and notification numbers the windows and controls exchange (window.h), with
// the values of the Windows design where its code names them, and the standard answer ids.
#include <cstdint>

namespace gui {

using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
// A window's number: given once at creation, never reused, valid on every thread (a window
// that is gone simply answers nothing). 0 = no window.
using HWND = std::uintptr_t;

inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_NOTIFY = 0x004E;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_USER = 0x0400;
inline constexpr UINT WM_APP = 0x8000;

// The standard answers of message boxes and dialogs.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int IDCLOSE = 8;
inline constexpr int IDHELP = 9;

// Command codes (the high word of a WM_COMMAND's WPARAM).
inline constexpr int BN_CLICKED = 0;

// The header of every notification record (WM_NOTIFY's LPARAM points to it); a control's own
// record begins with it.
struct NMHDR {
    HWND hwndFrom = 0;
    std::uintptr_t idFrom = 0;
    int code = 0;
};

// Common notification codes.
inline constexpr int NM_CLICK = -2;
inline constexpr int NM_DBLCLK = -3;
inline constexpr int NM_RETURN = -4;
inline constexpr int NM_RCLICK = -5;
inline constexpr int NM_RDBLCLK = -6;
inline constexpr int NM_SETFOCUS = -7;
inline constexpr int NM_KILLFOCUS = -8;

constexpr WPARAM MAKEWPARAM(unsigned low, unsigned high) { return (low & 0xFFFFu) | ((high & 0xFFFFu) << 16); }
constexpr unsigned LOWORD(std::uintptr_t v) { return static_cast<unsigned>(v & 0xFFFFu); }
constexpr unsigned HIWORD(std::uintptr_t v) { return static_cast<unsigned>((v >> 16) & 0xFFFFu); }

}  // namespace gui
