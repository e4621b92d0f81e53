// The tree column: setup of the tree cells, expanding, collapsing, outlining and the child
// query the cells draw and hit-test with.
#include "controls/grid/tree_column.h"

#include "controls/grid/grid_ctrl.h"
#include "controls/grid/in_place_edit.h"
#include "platform/gui/system_metrics.h"

CTreeColumn::CTreeColumn() : lineClr_(gui::GetSysColor(gui::COLOR_BTNSHADOW)) {}

CTreeColumn::~CTreeColumn() {
    if (!gridAlive_) return;
    for (int row = firstRow_; row < endRow_; ++row)
        if (CGridTreeCellBase* cell = TreeCell(row); cell && cell->GetTreeColumn() == this) cell->SetTreeColumn(nullptr);
}

void CTreeColumn::SetTreeFont(const gui::LogFont* font) {
    if (!font) {
        font_.reset();
        return;
    }
    font_ = std::make_unique<gui::LogFont>(*font);
}

const gui::LogFont* CTreeColumn::GetTreeFont() const {
    if (font_) return font_.get();
    const CGridDefaultCell* def = grid_ ? grid_->GetDefaultCell(false, false) : nullptr;
    return def ? def->GetFont() : nullptr;
}

void CTreeColumn::SetTreeEditor(CInPlaceEdit* editor) { editor_ = editor; }
CInPlaceEdit* CTreeColumn::GetTreeEditor() const { return editor_; }

CGridTreeCellBase* CTreeColumn::TreeCell(int row) const {
    if (!grid_ || column_ < 0 || row < firstRow_ || row >= endRow_) return nullptr;
    CGridCellBase* cell = grid_->GetCell(row, column_);
    if (!cell || !cell->GetRuntimeClass().DerivesFrom(CGridTreeCellBase::kClass)) return nullptr;
    return static_cast<CGridTreeCellBase*>(cell);
}

bool CTreeColumn::TreeSetup(CGridCtrl* grid, int col, int n, int firstRow, const std::uint8_t* levels,
                            std::size_t levelCount, bool treeLines, bool imageMode, const std::uint8_t* childStates,
                            std::size_t childCount, CTreeColumn* linked, const GridCellClass& cellClass) {
    if (!cellClass.create || !cellClass.DerivesFrom(CGridTreeCellBase::kClass) || !grid) return false;
    if (n < 0) n = 0;
    const auto count = static_cast<std::size_t>(n);
    if (n > 0 && (!levels || levelCount < count)) return false;
    if (childStates && childCount < count) return false;

    linked_ = linked;
    endRow_ = firstRow + n;
    SetGrid(grid);
    column_ = col;
    firstRow_ = firstRow;
    ready_ = false;
    // The grid's counts go first, so that the rows exist before their cells are replaced.
    grid->SetRowCount(endRow_);
    grid->SetFixedRowCount(firstRow_);
    grid->SetRowCount(endRow_);
    if (n < 1) {
        ready_ = true;
        grid->Refresh();
        return true;
    }

    // The tree column takes the shared settings of the cell now at the first row, through a
    // template cell whose setters delegate to it.
    if (CGridCellBase* first = grid->GetCell(firstRow, col)) {
        CGridTreeCellBase templ;
        templ.SetTreeColumn(this);
        templ = *first;
    }
    bool ok = true;
    for (int i = 0; i < n; ++i) {
        const int row = firstRow + i;
        if (!grid->SetCellType(row, col, cellClass)) {
            ok = false;
            break;
        }
        auto* cell = static_cast<CGridTreeCellBase*>(grid->GetCell(row, col));
        cell->SetTreeColumn(this);
        cell->SetLevelAndHide(levels[i]);
        if (childStates) cell->SetChildState(childStates[i]);
    }
    imageMode_ = imageMode;
    if (imageMode_)
        for (int row = firstRow; row < endRow_; ++row)
            if (CGridTreeCellBase* cell = TreeCell(row)) cell->SetImage(0);
    treeLines_ = treeLines;
    ready_ = true;
    grid->Refresh();
    return ok;
}

int CTreeColumn::GetTreeLevel(int row) const {
    const CGridTreeCellBase* cell = TreeCell(row);
    return cell ? cell->GetLevel() : 0;
}

bool CTreeColumn::IsTreeRowShown(int row) const {
    const CGridTreeCellBase* cell = TreeCell(row);
    return cell && cell->IsViewable();
}

void CTreeColumn::TreeExpandOneLevel(int row) {
    CGridTreeCellBase* cell = TreeCell(row);
    if (!cell || cell->GetLevel() == 0) return;
    const int level = cell->GetLevel();
    cell->SetViewable(true);
    for (int r = row + 1; r < endRow_; ++r) {
        CGridTreeCellBase* next = TreeCell(r);
        if (!next || next->GetLevel() <= level) break;
        next->SetViewable(next->GetLevel() == level + 1);
    }
}

// A level-0 row lies outside the outline: "every following deeper row" would be the whole
// tree after it, so it collapses nothing.
void CTreeColumn::TreeCollapse(int row) {
    CGridTreeCellBase* cell = TreeCell(row);
    if (!cell || cell->GetLevel() == 0) return;
    const int level = cell->GetLevel();
    cell->SetViewable(true);
    for (int r = row + 1; r < endRow_; ++r) {
        CGridTreeCellBase* next = TreeCell(r);
        if (!next || next->GetLevel() <= level) break;
        next->SetViewable(false);
    }
}

void CTreeColumn::TreeToggle(int row) {
    if (column_ < 0 || row + 1 >= endRow_ || GetTreeLevel(row) == 0) return;
    if (IsTreeRowShown(row + 1)) {
        TreeCollapse(row);
        if (linked_) linked_->TreeCollapse(row);
    } else {
        TreeExpandOneLevel(row);
        if (linked_) linked_->TreeExpandOneLevel(row);
    }
    TreeRefreshRows();
}

void CTreeColumn::TreeDisplayOutline(int level) {
    if (column_ < 0) return;
    for (int row = firstRow_; row < endRow_; ++row)
        if (CGridTreeCellBase* cell = TreeCell(row)) cell->SetViewable(level >= 128 || cell->GetLevel() <= level);
    TreeRefreshRows();
}

void CTreeColumn::TreeRefreshRows() {
    if (!grid_) return;
    const CGridDefaultCell* def = grid_->GetDefaultCell(false, false);
    const int height = def ? def->GetHeight() : 0;
    for (int row = firstRow_; row < endRow_; ++row) {
        const CGridTreeCellBase* cell = TreeCell(row);
        if (!cell) continue;
        const int now = grid_->GetRowHeight(row);
        if (cell->IsViewable() && now < height)
            grid_->SetRowHeight(row, height);
        else if (!cell->IsViewable() && now > 0)
            grid_->SetRowHeight(row, 0);
    }
    if (ready_) grid_->Refresh();
}

// Child state 0 works the answer out from the levels of the following rows. A row whose
// child-state byte is 1 is a leaf: it never has children, whatever rows follow it; one of
// another non-zero state has children even when none follow (collapsed then).
int CTreeColumn::GetTreeChildState(int row) const {
    const CGridTreeCellBase* cell = TreeCell(row);
    if (!cell || cell->GetLevel() == 0) return 0;
    const int level = cell->GetLevel();
    bool descendants = false, hiddenChild = false;
    int r = row + 1;
    for (; r < endRow_; ++r) {
        const CGridTreeCellBase* next = TreeCell(r);
        if (!next || next->GetLevel() <= level) break;
        descendants = true;
        if (next->GetLevel() == level + 1 && !next->IsViewable()) hiddenChild = true;
    }
    int state = 0;
    if (cell->GetChildState() > 1 && !descendants)
        state |= kTreeCollapsed;  // said to have children that are not in the grid
    else if (cell->GetChildState() != 1 && descendants)
        state |= hiddenChild ? kTreeCollapsed : kTreeExpanded;
    const CGridTreeCellBase* after = r < endRow_ ? TreeCell(r) : nullptr;
    if (!after || !after->IsViewable() || after->GetLevel() < level) state |= kTreeLast;
    return state;
}
