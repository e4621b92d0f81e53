#pragma once
// Colours as the Windows design stores them: a COLORREF is 0x00BBGGRR. The high byte marks
// special values: CLR_DEFAULT (0xFF000000) means "the control's own default colour" and
// CLR_NONE (0xFFFFFFFF) "no colour"; both are resolved by the code that draws, never turned
// into a Qt colour here. Conversions to QColor are in qt_convert.h.
#include <cstdint>

namespace gui {

using COLORREF = std::uint32_t;

inline constexpr COLORREF CLR_DEFAULT = 0xFF000000u;
inline constexpr COLORREF CLR_NONE = 0xFFFFFFFFu;

constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}
constexpr unsigned GetRValue(COLORREF c) { return c & 0xFFu; }
constexpr unsigned GetGValue(COLORREF c) { return (c >> 8) & 0xFFu; }
constexpr unsigned GetBValue(COLORREF c) { return (c >> 16) & 0xFFu; }
// True for a plain RGB value (no special high byte).
constexpr bool IsPlainColor(COLORREF c) { return (c & 0xFF000000u) == 0; }

}  // namespace gui
