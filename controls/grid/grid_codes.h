#pragma once
// The numbers the grid shares with its cells, its owner and stored settings: the state bits
// of a cell, the grid-line and auto-size settings and the notification codes.
#include <cstdint>

#include "platform/gui/window_messages.h"

// A cell's state word.
using GridItemState = std::uint32_t;
inline constexpr GridItemState GVIS_FOCUSED = 0x01;
inline constexpr GridItemState GVIS_SELECTED = 0x02;
inline constexpr GridItemState GVIS_DROPHILITED = 0x04;
inline constexpr GridItemState GVIS_READONLY = 0x08;
inline constexpr GridItemState GVIS_FIXED = 0x10;
inline constexpr GridItemState GVIS_FIXEDROW = 0x20;
inline constexpr GridItemState GVIS_FIXEDCOL = 0x40;
inline constexpr GridItemState GVIS_MODIFIED = 0x80;
// What every cell of a fixed row, and of a fixed column, carries.
inline constexpr GridItemState GVIS_FIXED_ROW_BITS = GVIS_FIXED | GVIS_FIXEDROW;  // 0x30
inline constexpr GridItemState GVIS_FIXED_COL_BITS = GVIS_FIXED | GVIS_FIXEDCOL;  // 0x50

enum GridLines : int {
    GVL_NONE = 0,
    GVL_HORZ = 1,
    GVL_VERT = 2,
    GVL_BOTH = 3,
};

// Which rows auto-sizing measures; 0 in an argument means the grid's own setting.
enum AutoSizeStyle : int {
    GVS_DEFAULT = 0,
    GVS_HEADER = 1,  // the fixed rows
    GVS_DATA = 2,    // the other rows
    GVS_BOTH = 3,
};

// Notification codes the grid sends to its owner.
enum GridNotifyCode : int {
    GVN_CLICK = gui::NM_CLICK,    // -2: left button released on a cell (the cell where it went down)
    GVN_DBLCLK = gui::NM_DBLCLK,  // -3: double click on a cell
    GVN_RCLICK = gui::NM_RCLICK,  // -5: right click; -1/-1 outside the cells
    GVN_SELCHANGING = -100,       // the focus cell is about to change
    GVN_SELCHANGED = -101,        // the focus cell changed
    GVN_ODCACHEHINT = -113,       // virtual mode: the cells about to be asked for
    GVN_BEGINLABELEDIT = -175,    // editing of a cell starts
    GVN_ENDLABELEDIT = -176,      // editing ended (from the editor to the grid, then to the owner)
    GVN_GETDISPINFO = -177,       // virtual mode: the owner fills a cell
    GVN_SELECTROWS = -199,        // rows selected through a row header
    GVN_COLUMNRESIZED = -327,     // a column was sized by its divider
};
