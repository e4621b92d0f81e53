#pragma once
// The records the grid sends to its owner window as WM_NOTIFY (platform/gui/window.h). Every
// record starts with the NMHDR (sender, control id, code), so an owner's OnNotify reads the
// header first and then the record its code carries:
//   NM_CLICK, NM_DBLCLK, NM_RCLICK, GVN_SELCHANGING, GVN_SELCHANGED, GVN_BEGINLABELEDIT,
//   GVN_SELECTROWS, GVN_COLUMNRESIZED: GridNotify;
//   GVN_GETDISPINFO, GVN_ENDLABELEDIT: GridDispInfo;  GVN_ODCACHEHINT: GridCacheHint.
// Records are sent synchronously on the user-interface thread and are valid only during the
// call.
#include <cstdint>

#include "controls/grid/grid_cell_range.h"
#include "controls/grid/grid_codes.h"
#include "platform/core/cstring.h"
#include "platform/gui/color.h"
#include "platform/gui/log_font.h"
#include "platform/gui/window_messages.h"

struct GridNotify : gui::NMHDR {
    int row = -1;
    int col = -1;
};

// The mask bits of GridItemInfo: which members the record carries.
inline constexpr std::uint32_t GVIF_TEXT = 0x01;
inline constexpr std::uint32_t GVIF_IMAGE = 0x02;
inline constexpr std::uint32_t GVIF_PARAM = 0x04;
inline constexpr std::uint32_t GVIF_STATE = 0x08;
inline constexpr std::uint32_t GVIF_BKCLR = 0x10;
inline constexpr std::uint32_t GVIF_FGCLR = 0x20;
inline constexpr std::uint32_t GVIF_FORMAT = 0x40;
inline constexpr std::uint32_t GVIF_FONT = 0x80;
inline constexpr std::uint32_t GVIF_MARGIN = 0x100;
inline constexpr std::uint32_t GVIF_ALL = 0xFFFFFFFFu;

// One cell's display data, as a virtual grid asks its owner for it.
struct GridItemInfo {
    int row = -1;
    int col = -1;
    std::uint32_t mask = GVIF_ALL;
    GridItemState state = 0;
    std::uint32_t format = 0;  // DT_* flags
    int image = -1;
    gui::COLORREF backColour = gui::CLR_DEFAULT;
    gui::COLORREF textColour = gui::CLR_DEFAULT;
    std::intptr_t data = 0;  // the item data; the editor's end record carries the last key here
    gui::LogFont font;
    std::uint32_t margin = 0;
    CString text;
};

struct GridDispInfo : gui::NMHDR {
    GridItemInfo item;
};

struct GridCacheHint : gui::NMHDR {
    GridCellRange range;
};

// Fills a virtual grid's cell in place of the GVN_GETDISPINFO notification; the answer is
// ignored, as the notification's is.
using GridCallback = bool (*)(GridDispInfo* info, std::intptr_t param);
