#pragma once
// The flag values of the Windows drawing calls that the controls pass around and store
// (DrawText formats live in cell formats and preferences, so their numbers are kept).
#include <cstdint>

namespace gui {

// DrawText formats.
inline constexpr std::uint32_t DT_TOP = 0x0;
inline constexpr std::uint32_t DT_LEFT = 0x0;
inline constexpr std::uint32_t DT_CENTER = 0x1;
inline constexpr std::uint32_t DT_RIGHT = 0x2;
inline constexpr std::uint32_t DT_VCENTER = 0x4;  // with DT_SINGLELINE only
inline constexpr std::uint32_t DT_BOTTOM = 0x8;   // with DT_SINGLELINE only
inline constexpr std::uint32_t DT_WORDBREAK = 0x10;
inline constexpr std::uint32_t DT_SINGLELINE = 0x20;
inline constexpr std::uint32_t DT_EXPANDTABS = 0x40;
inline constexpr std::uint32_t DT_TABSTOP = 0x80;
inline constexpr std::uint32_t DT_NOCLIP = 0x100;
inline constexpr std::uint32_t DT_EXTERNALLEADING = 0x200;
inline constexpr std::uint32_t DT_CALCRECT = 0x400;
inline constexpr std::uint32_t DT_NOPREFIX = 0x800;
inline constexpr std::uint32_t DT_INTERNAL = 0x1000;
inline constexpr std::uint32_t DT_EDITCONTROL = 0x2000;
inline constexpr std::uint32_t DT_PATH_ELLIPSIS = 0x4000;
inline constexpr std::uint32_t DT_END_ELLIPSIS = 0x8000;
inline constexpr std::uint32_t DT_MODIFYSTRING = 0x10000;
inline constexpr std::uint32_t DT_RTLREADING = 0x20000;
inline constexpr std::uint32_t DT_WORD_ELLIPSIS = 0x40000;
inline constexpr std::uint32_t DT_HIDEPREFIX = 0x100000;

// ExtTextOut options.
inline constexpr std::uint32_t ETO_OPAQUE = 0x2;
inline constexpr std::uint32_t ETO_CLIPPED = 0x4;

// Background modes of text.
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;

// DrawEdge: the edge kinds and the sides.
inline constexpr std::uint32_t BDR_RAISEDOUTER = 0x1;
inline constexpr std::uint32_t BDR_SUNKENOUTER = 0x2;
inline constexpr std::uint32_t BDR_RAISEDINNER = 0x4;
inline constexpr std::uint32_t BDR_SUNKENINNER = 0x8;
inline constexpr std::uint32_t EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr std::uint32_t EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr std::uint32_t EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
inline constexpr std::uint32_t EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
inline constexpr std::uint32_t BF_LEFT = 0x1;
inline constexpr std::uint32_t BF_TOP = 0x2;
inline constexpr std::uint32_t BF_RIGHT = 0x4;
inline constexpr std::uint32_t BF_BOTTOM = 0x8;
inline constexpr std::uint32_t BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
inline constexpr std::uint32_t BF_MIDDLE = 0x800;   // fill the inside with COLOR_BTNFACE
inline constexpr std::uint32_t BF_ADJUST = 0x2000;  // the rectangle shrinks by the edges drawn
inline constexpr std::uint32_t BF_FLAT = 0x4000;
inline constexpr std::uint32_t BF_MONO = 0x8000;

// Pen styles.
inline constexpr int PS_SOLID = 0;
inline constexpr int PS_DASH = 1;
inline constexpr int PS_DOT = 2;
inline constexpr int PS_NULL = 5;

}  // namespace gui
