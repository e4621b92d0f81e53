#include "controls/tree/tree_ctrl_color_ex.h"

#include <QStyleOptionViewItem>

#include "controls/tree/tree_view.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/system_metrics.h"

namespace tree {

CTreeCtrlColorEx::CTreeCtrlColorEx(QWidget* parent, std::uint32_t style) : CTreeCtrlEx(parent, style) {}

void CTreeCtrlColorEx::SetItemColor(HTREEITEM item, gui::COLORREF color) {
    if (!item || item == TVI_ROOT || item == TVI_LAST) return;
    item->setData(0, kColorRole, QVariant::fromValue<unsigned>(color));
    View()->viewport()->update();
}

gui::COLORREF CTreeCtrlColorEx::GetItemColor(HTREEITEM item) const {
    if (!item || item == TVI_ROOT || item == TVI_LAST) return kNoColor;
    QVariant v = item->data(0, kColorRole);
    return v.isValid() ? static_cast<gui::COLORREF>(v.toUInt()) : kNoColor;
}

void CTreeCtrlColorEx::SetItemFont(HTREEITEM item, const gui::LogFont& font) {
    if (!item || item == TVI_ROOT || item == TVI_LAST) return;
    item->setData(0, kFontRole, QVariant::fromValue(font));
    View()->viewport()->update();
}

bool CTreeCtrlColorEx::GetItemFont(HTREEITEM item, gui::LogFont* font) const {
    if (!item || item == TVI_ROOT || item == TVI_LAST) return false;
    QVariant v = item->data(0, kFontRole);
    if (!v.isValid()) return false;
    gui::LogFont f = v.value<gui::LogFont>();
    if (f.faceName.empty()) return false;
    if (font) *font = f;
    return true;
}

void CTreeCtrlColorEx::SetItemBold(HTREEITEM item, bool bold) {
    SetItemState(item, bold ? TVIS_BOLD : 0, TVIS_BOLD);
    View()->viewport()->update();
}

bool CTreeCtrlColorEx::IsItemBold(HTREEITEM item) const { return GetItemState(item, TVIS_BOLD) != 0; }

QFont CTreeCtrlColorEx::ItemFont(HTREEITEM item) const {
    gui::LogFont font;
    QFont result = GetItemFont(item, &font) ? gui::ToQFont(font) : View()->font();
    if (IsItemBold(item)) result.setWeight(QFont::Bold);
    return result;
}

void CTreeCtrlColorEx::StyleItem(HTREEITEM item, QStyleOptionViewItem& option) const {
    option.font = ItemFont(item);
    gui::COLORREF color = GetItemColor(item);
    gui::LogFont font;
    bool hasEntry = color != kNoColor || GetItemFont(item, &font);
    if (!hasEntry) return;
    bool highlighted = (GetItemState(item, TVIS_SELECTED | TVIS_DROPHILITED) != 0) && View()->hasFocus();
    if (highlighted) return;
    gui::COLORREF text = color != kNoColor ? color : gui::GetSysColor(gui::COLOR_WINDOWTEXT);
    option.palette.setColor(QPalette::Text, gui::ToQColor(text));
    option.palette.setColor(QPalette::HighlightedText, gui::ToQColor(text));
    option.backgroundBrush = QBrush(gui::ToQColor(gui::GetSysColor(gui::COLOR_WINDOW)));
    option.state &= ~QStyle::State_Selected;
}

}  // namespace tree
