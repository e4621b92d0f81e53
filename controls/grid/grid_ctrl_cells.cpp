// Cells: the stored and the virtual cell, the item getters and setters, modification marks,
// the focus cell and the selection's link to the cells.
#include "controls/grid/grid_ctrl.h"

CGridCellBase* CGridCtrl::GetCell(int row, int col) const {
    if (!IsValid(row, col)) return nullptr;
    if (!virtualMode_) return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)].get();
    // One record and one cell per grid, refilled for every request.
    const bool fixedRow = row < fixedRows_, fixedCol = col < fixedCols_;
    const CGridDefaultCell* def = GetDefaultCell(fixedRow, fixedCol);
    GridDispInfo& info = dispInfo_;
    info = GridDispInfo();
    info.idFrom = static_cast<std::uintptr_t>(controlId_);
    info.code = GVN_GETDISPINFO;
    GridItemInfo& item = info.item;
    item.row = row;
    item.col = col;
    item.mask = GVIF_ALL;
    item.format = def->GetFormat();
    item.image = def->GetImage();
    item.backColour = def->GetBackClr();
    item.textColour = def->GetTextClr();
    item.data = def->GetData();
    item.font = *def->GetFont();
    item.margin = def->GetMargin();
    item.state = (selector_.IsSelected(row, col) ? GVIS_SELECTED : 0) | (fixedRow ? GVIS_FIXED_ROW_BITS : 0) |
                 (fixedCol ? GVIS_FIXED_COL_BITS : 0) | (focusCell_ == GridCellId(row, col) ? GVIS_FOCUSED : 0);
    if (!SendDisplayRequestToParent(&info)) return nullptr;
    CGridCell& cell = virtualCell_;
    cell.SetGrid(const_cast<CGridCtrl*>(this));
    cell.SetCoords(row, col);
    cell.SetState(item.state);
    cell.SetImage(item.image);
    cell.SetFormat(item.format);
    cell.SetData(item.data);
    cell.SetTextClr(item.textColour);
    cell.SetBackClr(item.backColour);
    cell.SetFont(&item.font);
    cell.SetMargin(item.margin);
    cell.SetText(item.text.c_str());
    return &cell;
}

bool CGridCtrl::SetCell(int row, int col, std::unique_ptr<CGridCellBase> cell) {
    if (virtualMode_ || !IsValid(row, col) || !cell) return false;
    cell->SetCoords(row, col);
    rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = std::move(cell);
    return true;
}

std::unique_ptr<CGridCellBase> CGridCtrl::CreateCell(int row, int col) {
    if (!cellClass_ || !cellClass_->create || !cellClass_->DerivesFrom(CGridCellBase::kClass)) return nullptr;
    std::unique_ptr<CGridCellBase> cell(cellClass_->create());
    if (!cell) return nullptr;
    cell->SetGrid(this);
    cell->SetCoords(row, col);
    GridItemState state = cell->GetState();
    if (col >= 0 && col < fixedCols_) state |= GVIS_FIXED_COL_BITS;
    if (row >= 0 && row < fixedRows_) state |= GVIS_FIXED_ROW_BITS;
    cell->SetState(state);
    cell->SetFormat(cell->GetDefaultCell()->GetFormat());
    return cell;
}

void CGridCtrl::DestroyCell(int row, int col) {
    if (!IsValid(row, col)) return;
    selector_.Deselect(row, col);
    if (virtualMode_) return;
    std::unique_ptr<CGridCellBase>& cell = rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    if (cell) cell->SetState(0);
    cell.reset();
}

bool CGridCtrl::SetCellType(int row, int col, const GridCellClass& cellClass) {
    if (virtualMode_ || !IsValid(row, col)) return false;
    if (!cellClass.create || !cellClass.DerivesFrom(CGridCellBase::kClass)) return false;
    std::unique_ptr<CGridCellBase> cell(cellClass.create());
    if (!cell) return false;
    *cell = *GetCell(row, col);
    return SetCell(row, col, std::move(cell));
}

bool CGridCtrl::SetDefaultCellType(const GridCellClass& cellClass) {
    if (!cellClass.create || !cellClass.DerivesFrom(CGridCellBase::kClass)) return false;
    cellClass_ = &cellClass;
    return true;
}

CString CGridCtrl::GetItemText(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell && cell->GetText() ? CString(cell->GetText()) : CString();
}

std::intptr_t CGridCtrl::GetItemData(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetData() : 0;
}

int CGridCtrl::GetItemImage(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetImage() : -1;
}

GridItemState CGridCtrl::GetItemState(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetState() : 0;
}

std::uint32_t CGridCtrl::GetItemFormat(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetFormat() : 0;
}

gui::COLORREF CGridCtrl::GetItemBkColour(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetBackClr() : gui::CLR_DEFAULT;
}

gui::COLORREF CGridCtrl::GetItemFgColour(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetTextClr() : gui::CLR_DEFAULT;
}

const gui::LogFont* CGridCtrl::GetItemFont(int row, int col) const {
    const CGridCellBase* cell = GetCell(row, col);
    return cell ? cell->GetFont() : nullptr;
}

namespace {

// The stored cell for a setter: none in virtual mode, where nothing is stored.
template <typename Fn>
bool Store(CGridCtrl& grid, int row, int col, Fn fn) {
    if (grid.GetVirtualMode()) return false;
    CGridCellBase* cell = grid.GetCell(row, col);
    if (!cell) return false;
    fn(*cell);
    return true;
}

}  // namespace

bool CGridCtrl::SetItemText(int row, int col, const char16_t* text) {
    if (!Store(*this, row, col, [&](CGridCellBase& c) { c.SetText(text); })) return false;
    SetModified(true, row, col);
    return true;
}

bool CGridCtrl::SetItemData(int row, int col, std::intptr_t data) {
    if (!Store(*this, row, col, [&](CGridCellBase& c) { c.SetData(data); })) return false;
    SetModified(true, row, col);
    return true;
}

bool CGridCtrl::SetItemImage(int row, int col, int image) {
    if (!Store(*this, row, col, [&](CGridCellBase& c) { c.SetImage(image); })) return false;
    SetModified(true, row, col);
    return true;
}

bool CGridCtrl::SetItemState(int row, int col, GridItemState state) {
    return Store(*this, row, col, [&](CGridCellBase& c) {
        const bool was = c.IsSelected(), now = state & GVIS_SELECTED;
        if (was && !now) selector_.Deselect(row, col);
        if (!was && now) selector_.Select(row, col);
        c.SetState(state);
    });
}

bool CGridCtrl::SetItemFormat(int row, int col, std::uint32_t format) {
    return Store(*this, row, col, [&](CGridCellBase& c) { c.SetFormat(format); });
}

bool CGridCtrl::SetItemBkColour(int row, int col, gui::COLORREF colour) {
    return Store(*this, row, col, [&](CGridCellBase& c) { c.SetBackClr(colour); });
}

bool CGridCtrl::SetItemFgColour(int row, int col, gui::COLORREF colour) {
    return Store(*this, row, col, [&](CGridCellBase& c) { c.SetTextClr(colour); });
}

bool CGridCtrl::SetItemFont(int row, int col, const gui::LogFont* font) {
    return Store(*this, row, col, [&](CGridCellBase& c) { c.SetFont(font); });
}

bool CGridCtrl::IsCellEditable(int row, int col) const {
    if (!editable_) return false;
    const CGridCellBase* cell = GetCell(row, col);
    return cell && !cell->IsReadOnly();
}

bool CGridCtrl::IsCellSelected(int row, int col) const {
    if (!selectionEnabled_) return false;
    if (virtualMode_) return selector_.IsSelected(row, col);
    const CGridCellBase* cell = GetCell(row, col);
    return cell && cell->IsSelected();
}

void CGridCtrl::SetModified(bool modified, int row, int col) {
    if (col < 0 || col == sortColumn_) {
        if (sortColumn_ >= 0) RedrawCell(0, sortColumn_);
        sortColumn_ = -1;
    }
    if (row < 1 || col < 1 || virtualMode_) {
        modified_ = modified;
    } else if (CGridCellBase* cell = GetCell(row, col)) {
        if (modified) {
            cell->SetState(cell->GetState() | GVIS_MODIFIED);
            modified_ = true;
        } else {
            cell->SetState(cell->GetState() & ~GVIS_MODIFIED);
        }
    }
    if (!modified_ && !virtualMode_) {
        for (Row& cells : rows_)
            for (auto& cell : cells)
                if (cell) cell->SetState(cell->GetState() & ~GVIS_MODIFIED);
    }
}

GridCellId CGridCtrl::SetFocusCell(int row, int col) {
    if (filler_ && col == colCount_ - 1 && col >= 0) col = 0;
    const GridCellId previous = focusCell_;
    if (GridCellId(row, col) == focusCell_) return previous;
    if (row != -1 && row < fixedRows_) row = fixedRows_;
    if (col != -1 && col < fixedCols_) col = fixedCols_;
    auto redrawHeaders = [&](GridCellId cell, GridCellId other) {
        if (!trackFocus_) return;
        if (cell.col != other.col)
            for (int r = 0; r < fixedRows_; ++r) RedrawCell(r, cell.col);
        if (cell.row != other.row)
            for (int c = 0; c < fixedCols_; ++c) RedrawCell(cell.row, c);
    };
    const GridCellId next(row, col);
    if (IsValid(previous)) {
        if (!SendMessageToParent(previous.row, previous.col, GVN_SELCHANGING)) return previous;
        if (CGridCellBase* cell = virtualMode_ ? nullptr : GetCell(previous.row, previous.col))
            cell->SetState(cell->GetState() & ~GVIS_FOCUSED);
        focusCell_ = GridCellId();
        RedrawCell(previous.row, previous.col);
        redrawHeaders(previous, next);
    }
    focusCell_ = IsValid(next) ? next : GridCellId();
    if (IsValid(next)) {
        if (CGridCellBase* cell = virtualMode_ ? nullptr : GetCell(next.row, next.col))
            cell->SetState(cell->GetState() | GVIS_FOCUSED);
        RedrawCell(next.row, next.col);
        redrawHeaders(next, previous);
        SendMessageToParent(next.row, next.col, GVN_SELCHANGED);
    }
    return previous;
}

void CGridCtrl::ResetSelectedRange() {
    selector_.SetAddMode(false);
    selector_.SetSelectedRange(-1, -1, -1, -1, nullptr, true);
    SetFocusCell(-1, -1);
}

void CGridCtrl::SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool /*forceRepaint*/,
                                 bool selectCells) {
    if (!selectionEnabled_) return;
    selector_.SetSelectedRange(minRow, minCol, maxRow, maxCol, nullptr, selectCells);
}

bool CGridCtrl::GetVisibleRange(int* minRow, int* minCol, int* maxRow, int* maxCol) const {
    const GridCellRange r = GetVisibleNonFixedCellRange();
    *minRow = r.minRow, *minCol = r.minCol, *maxRow = r.maxRow, *maxCol = r.maxCol;
    return r.IsValid();
}

int CGridCtrl::SetCellSelectedBit(int row, int col, bool selected) {
    CGridCellBase* cell = GetCell(row, col);
    if (!cell) return -1;
    const int was = cell->IsSelected() ? 1 : 0;
    cell->SetState(selected ? cell->GetState() | GVIS_SELECTED : cell->GetState() & ~GVIS_SELECTED);
    return was;
}

void CGridCtrl::RedrawSelectedCell(int row, int col, gui::Canvas* canvas) { RedrawCell(row, col, canvas); }
