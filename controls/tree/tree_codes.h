#pragma once
// The numbers and records the tree controls (tree_ctrl_ex.h) share with their owners: item
// handles, states, the next-item codes, hit-test flags, styles and the notification records
// sent as WM_NOTIFY, with the values of the Windows design where its code names them.
#include <cstdint>

#include "platform/gui/geometry.h"
#include "platform/gui/window_messages.h"

class QTreeWidgetItem;

namespace tree {

// An item of a tree control; null = none. Valid until the item is deleted.
using HTREEITEM = QTreeWidgetItem*;

// The tree's invisible root (DeleteItem(TVI_ROOT) empties the tree; InsertItem under it makes
// a top-level item) and the end of a parent's children as an insertion place. Never items.
inline const HTREEITEM TVI_ROOT = reinterpret_cast<HTREEITEM>(static_cast<std::uintptr_t>(-0x10000));
inline const HTREEITEM TVI_LAST = reinterpret_cast<HTREEITEM>(static_cast<std::uintptr_t>(-0x0FFFE));

// Item states.
inline constexpr std::uint32_t TVIS_SELECTED = 0x0002;
inline constexpr std::uint32_t TVIS_DROPHILITED = 0x0008;
inline constexpr std::uint32_t TVIS_BOLD = 0x0010;
inline constexpr std::uint32_t TVIS_EXPANDED = 0x0020;

// GetNextItem codes.
inline constexpr unsigned TVGN_ROOT = 0x0;
inline constexpr unsigned TVGN_NEXT = 0x1;
inline constexpr unsigned TVGN_PREVIOUS = 0x2;
inline constexpr unsigned TVGN_PARENT = 0x3;
inline constexpr unsigned TVGN_CHILD = 0x4;
inline constexpr unsigned TVGN_FIRSTVISIBLE = 0x5;
inline constexpr unsigned TVGN_NEXTVISIBLE = 0x6;
inline constexpr unsigned TVGN_PREVIOUSVISIBLE = 0x7;
inline constexpr unsigned TVGN_DROPHILITE = 0x8;
inline constexpr unsigned TVGN_CARET = 0x9;
inline constexpr unsigned TVGN_LASTVISIBLE = 0xA;
// The first child, else the next sibling, else the next sibling of the nearest ancestor
// that has one: a depth-first walk.
inline constexpr unsigned TreeNextDepthFirst = 0xF;

// Expand codes.
inline constexpr unsigned TVE_COLLAPSE = 0x1;
inline constexpr unsigned TVE_EXPAND = 0x2;
inline constexpr unsigned TVE_TOGGLE = 0x3;

// Hit-test flags.
inline constexpr unsigned TVHT_NOWHERE = 0x0001;
inline constexpr unsigned TVHT_ONITEMICON = 0x0002;
inline constexpr unsigned TVHT_ONITEMLABEL = 0x0004;
inline constexpr unsigned TVHT_ONITEMINDENT = 0x0008;
inline constexpr unsigned TVHT_ONITEMBUTTON = 0x0010;
inline constexpr unsigned TVHT_ONITEMRIGHT = 0x0020;
inline constexpr unsigned TVHT_ONITEMSTATEICON = 0x0040;
inline constexpr unsigned TVHT_ONITEM = TVHT_ONITEMICON | TVHT_ONITEMLABEL | TVHT_ONITEMSTATEICON;

// Tree styles.
inline constexpr std::uint32_t TVS_HASBUTTONS = 0x0001;
inline constexpr std::uint32_t TVS_HASLINES = 0x0002;
inline constexpr std::uint32_t TVS_LINESATROOT = 0x0004;
inline constexpr std::uint32_t TVS_EDITLABELS = 0x0008;
inline constexpr std::uint32_t TVS_DISABLEDRAGDROP = 0x0010;
inline constexpr std::uint32_t TVS_SHOWSELALWAYS = 0x0020;

// Notification codes (the wide forms) and the actions of a selection change.
inline constexpr int TVN_SELCHANGING = -450;
inline constexpr int TVN_SELCHANGED = -451;
inline constexpr int TVN_ITEMEXPANDING = -454;
inline constexpr int TVN_BEGINDRAG = -456;
inline constexpr int TVN_KEYDOWN = -412;
inline constexpr unsigned TVC_UNKNOWN = 0x0;
inline constexpr unsigned TVC_BYMOUSE = 0x1;
inline constexpr unsigned TVC_BYKEYBOARD = 0x2;

// Virtual keys the trees handle.
inline constexpr unsigned VK_SPACE = 0x20;
inline constexpr unsigned VK_PRIOR = 0x21;
inline constexpr unsigned VK_NEXT = 0x22;
inline constexpr unsigned VK_UP = 0x26;
inline constexpr unsigned VK_DOWN = 0x28;

struct TVITEM {
    HTREEITEM hItem = nullptr;
    std::uint32_t state = 0;
    gui::LPARAM lParam = 0;  // the item's data
};

// TVN_SELCHANGING, TVN_SELCHANGED and TVN_BEGINDRAG.
struct NMTREEVIEW {
    gui::NMHDR hdr;
    unsigned action = TVC_UNKNOWN;
    TVITEM itemOld;
    TVITEM itemNew;
    gui::Point ptDrag;  // client point of the mouse
};

// TVN_KEYDOWN.
struct NMTVKEYDOWN {
    gui::NMHDR hdr;
    unsigned wVKey = 0;
    unsigned flags = 0;
};

}  // namespace tree
