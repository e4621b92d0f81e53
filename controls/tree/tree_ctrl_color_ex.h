#pragma once
// CTreeCtrlColorEx: a CTreeCtrlEx whose items can each have a text colour, a font and bold.
// Colour and font are kept in the item's own data, so they go with the item (and its subtree)
// when it is deleted and never reappear on a later item. An item with a colour or a font
// paints with them and on the window background, except while it is selected or
// drop-highlighted and the tree has the focus (the selection colours then show); bold
// (TVIS_BOLD) applies always. User-interface thread only.
#include <QMetaType>

#include "controls/tree/tree_ctrl_ex.h"
#include "platform/gui/color.h"
#include "platform/gui/log_font.h"

Q_DECLARE_METATYPE(gui::LogFont)

namespace tree {

class CTreeCtrlColorEx : public CTreeCtrlEx {
    Q_OBJECT

public:
    // The colour of an item without one.
    static constexpr gui::COLORREF kNoColor = static_cast<gui::COLORREF>(-1);

    explicit CTreeCtrlColorEx(QWidget* parent = nullptr,
                              std::uint32_t style = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);

    void SetItemColor(HTREEITEM item, gui::COLORREF color);
    // kNoColor when the item has none.
    gui::COLORREF GetItemColor(HTREEITEM item) const;
    // A font with an empty face name is no font.
    void SetItemFont(HTREEITEM item, const gui::LogFont& font);
    // False when the item has no font (none set, or one without a face name).
    bool GetItemFont(HTREEITEM item, gui::LogFont* font) const;
    void SetItemBold(HTREEITEM item, bool bold);
    bool IsItemBold(HTREEITEM item) const;

protected:
    QFont ItemFont(HTREEITEM item) const override;
    void StyleItem(HTREEITEM item, QStyleOptionViewItem& option) const override;
};

}  // namespace tree
