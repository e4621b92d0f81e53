// Storage, delegation, geometry, mouse and editing of the tree cells.
#include "controls/grid/grid_tree_cell.h"

#include "controls/grid/grid_ctrl.h"
#include "controls/grid/grid_measure.h"
#include "controls/grid/in_place_edit.h"
#include "controls/grid/tree_column.h"
#include "platform/gui/canvas.h"
#include "platform/gui/draw_flags.h"

const GridCellClass CGridTreeCellBase::kClass{"CGridTreeCellBase", &CGridCellBase::kClass, &CGridTreeCellBase::Create};
const GridCellClass CGridTreeCell::kClass{"CGridTreeCell", &CGridTreeCellBase::kClass, &CGridTreeCell::Create};

CGridTreeCellBase& CGridTreeCellBase::operator=(const CGridCellBase& other) {
    CGridCellBase::operator=(other);
    return *this;
}

void CGridTreeCellBase::SetFormat(std::uint32_t format) {
    if (column_) column_->SetTreeFormat(format);
}
std::uint32_t CGridTreeCellBase::GetFormat() const { return column_ ? column_->GetTreeFormat() : 0; }
void CGridTreeCellBase::SetTextClr(gui::COLORREF colour) {
    if (column_) column_->SetTreeTextClr(colour);
}
gui::COLORREF CGridTreeCellBase::GetTextClr() const { return column_ ? column_->GetTreeTextClr() : gui::CLR_DEFAULT; }
void CGridTreeCellBase::SetBackClr(gui::COLORREF colour) {
    if (column_) column_->SetTreeBackClr(colour);
}
gui::COLORREF CGridTreeCellBase::GetBackClr() const { return column_ ? column_->GetTreeBackClr() : gui::CLR_DEFAULT; }
void CGridTreeCellBase::SetData(std::intptr_t data) {
    if (column_) column_->SetTreeData(data);
}
std::intptr_t CGridTreeCellBase::GetData() const { return column_ ? column_->GetTreeData() : 0; }

void CGridTreeCellBase::SetFont(const gui::LogFont* font) {
    if (!column_) return;
    column_->SetTreeFont(font);
    // The indent follows the font's line height so the box grows with the text; dropping the
    // font (as a copy of a cell with the default font does) keeps the indent.
    std::unique_ptr<gui::Canvas> dc = font ? CreateScreenMeasureCanvas() : nullptr;
    if (!dc) return;
    dc->Save();
    dc->SetFont(*font);
    const gui::TextMetrics tm = dc->GetTextMetrics();
    dc->Restore();
    column_->SetIndentWidth(7 * (tm.height + tm.externalLeading) / 10);
}

const gui::LogFont* CGridTreeCellBase::GetFont() const { return column_ ? column_->GetTreeFont() : nullptr; }

// Fonts are values here, so the font object is the font itself; without one the default
// cell's.
const gui::LogFont* CGridTreeCellBase::GetFontObject() const {
    if (const gui::LogFont* font = GetFont()) return font;
    const CGridDefaultCell* def = GetDefaultCell();
    return def ? def->GetFontObject() : nullptr;
}

void CGridTreeCellBase::SetMargin(std::uint32_t margin) {
    if (CGridCtrl* grid = GetGrid()) grid->SetDefaultCellMargin(margin);
}

std::uint32_t CGridTreeCellBase::GetMargin() const {
    CGridCtrl* grid = GetGrid();
    const CGridDefaultCell* def = grid ? grid->GetDefaultCell(false, false) : nullptr;
    return def ? def->GetMargin() : 0;
}

bool CGridTreeCellBase::IsDefaultFont() const { return column_ ? column_->IsDefaultFont() : true; }
CGridCtrl* CGridTreeCellBase::GetGrid() const { return column_ ? column_->GetGrid() : nullptr; }

void CGridTreeCellBase::Reset() {
    CGridCellBase::Reset();
    row_ = col_ = -1;
    image_ = -1;
    editing_ = false;
    level_ = kTreeShown;
    childState_ = 0;
}

int CGridTreeCellBase::GetIndent() const {
    const int level = GetLevel();
    if (level == 0 || !column_) return 0;
    const int m = static_cast<int>(GetMargin());
    const int w = column_->GetIndentWidth();
    return w * (column_->GetTreeLines() ? level : level - 1) + 2 * m;
}

gui::Rect CGridTreeCellBase::GetExpanderRect() const {
    const int level = GetLevel();
    if (level == 0 || !column_) return gui::Rect();
    const int m = static_cast<int>(GetMargin());
    const int w = column_->GetIndentWidth();
    const int left = (level - 1) * w + m + 2;
    return gui::Rect(left, m, left + w - 2, w + m - 2);
}

bool CGridTreeCellBase::IsOnExpander(gui::Point p) const {
    if (!column_ || !column_->GetTreeLines() || GetLevel() == 0 || !column_->HasChildren(row_)) return false;
    const gui::Rect r = GetExpanderRect();
    return r.left <= p.x && p.x <= r.right + 2 && r.top - 2 <= p.y && p.y <= r.bottom;
}

bool CGridTreeCellBase::GetTextRect(gui::Rect* rect) {
    rect->left += GetIndent();
    return CGridCellBase::GetTextRect(rect);
}

gui::Size CGridTreeCellBase::GetCellExtent(gui::Canvas* dc) {
    gui::Size size = CGridCellBase::GetCellExtent(dc);
    size.cx += GetIndent();
    return size;
}

bool CGridTreeCellBase::OnClickDown(gui::Point point) {
    if (!IsOnExpander(point)) return true;
    column_->TreeToggle(row_);
    return false;
}

void CGridTreeCellBase::OnDblClick(gui::Point point) {
    CGridCtrl* grid = GetGrid();
    if (!grid || !column_) return;
    if (!IsReadOnly() && grid->IsEditable()) return;
    if (!IsOnExpander(point)) column_->TreeToggle(row_);
}

bool CGridTreeCell::Edit(int row, int col, gui::Rect rect, gui::Point /*point*/, int id, std::uint32_t nChar) {
    CGridCtrl* grid = GetGrid();
    if (!grid) return false;
    if (editing_ && GetTreeColumn()->GetTreeEditor()) return true;
    // One open editor a column: another cell's is ended first.
    if (CInPlaceEdit* open = GetTreeColumn()->GetTreeEditor()) open->EndEdit();
    GetTextRect(&rect);
    const std::uint32_t format = GetFormat();
    const std::uint32_t style = (format & gui::DT_RIGHT) ? ES_RIGHT : (format & gui::DT_CENTER) ? ES_CENTER : ES_LEFT;
    editing_ = true;
    auto* editor = new CInPlaceEdit(grid->viewport(), rect, style, id, row, col, CString(GetText()), nChar);
    GetTreeColumn()->SetTreeEditor(editor);
    grid->editCell_ = GridCellId(row, col);
    return true;
}

void CGridTreeCell::EndEdit() {
    CTreeColumn* column = GetTreeColumn();
    if (!column) return;
    if (CInPlaceEdit* editor = column->GetTreeEditor()) {
        column->SetTreeEditor(nullptr);
        editor->EndEdit();
    }
}

void CGridTreeCell::OnEndEdit() {
    CGridTreeCellBase::OnEndEdit();
    editing_ = false;
}
