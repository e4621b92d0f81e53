#pragma once
// CTreeColumn: turns one column of a CGridCtrl into an outline over a contiguous block of rows
// [first row, end row). It installs tree cells with their levels, keeps the settings all of
// its tree cells share (format, colours, item data, font, indent width, lines), and expands,
// collapses and outlines the rows by switching the cells' shown bits and the rows' heights:
// a hidden row stays in the grid with height 0. A linked second tree column is toggled
// together with this one.
//
// The column does not own the grid; the grid must outlive the column's use of it and the
// column must outlive its tree cells' use (the cells point back to it); a column destroyed
// before its grid detaches its cells, which then act as cells without a column. User-interface thread.
#include <QPointer>
#include <cstdint>
#include <memory>

#include "controls/grid/grid_tree_cell.h"
#include "platform/gui/color.h"
#include "platform/gui/log_font.h"

class CGridCtrl;
class CInPlaceEdit;

// What GetTreeChildState answers: a combination of these bits.
inline constexpr int kTreeCollapsed = 0x1;  // some direct child hidden
inline constexpr int kTreeExpanded = 0x2;   // children present, no direct one hidden
inline constexpr int kTreeLast = 0x4;       // no later sibling

class CTreeColumn {
public:
    CTreeColumn();
    virtual ~CTreeColumn();
    CTreeColumn(const CTreeColumn&) = delete;
    CTreeColumn& operator=(const CTreeColumn&) = delete;

    virtual void SetTreeFormat(std::uint32_t format) { format_ = format; }
    virtual std::uint32_t GetTreeFormat() const { return format_; }
    virtual void SetTreeBackClr(gui::COLORREF c) { backClr_ = c; }
    virtual gui::COLORREF GetTreeBackClr() const { return backClr_; }
    virtual void SetTreeTextClr(gui::COLORREF c) { textClr_ = c; }
    virtual gui::COLORREF GetTreeTextClr() const { return textClr_; }
    virtual void SetTreeData(std::intptr_t data) { data_ = data; }
    virtual std::intptr_t GetTreeData() const { return data_; }
    // Keeps a copy; null drops it.
    virtual void SetTreeFont(const gui::LogFont* font);
    // The copy, else the grid's normal default cell's font; null without either.
    virtual const gui::LogFont* GetTreeFont() const;
    virtual void SetTreeReady(bool ready) { ready_ = ready; }
    virtual bool IsTreeReady() const { return ready_; }
    virtual void SetTreeEditor(CInPlaceEdit* editor);
    virtual CInPlaceEdit* GetTreeEditor() const;
    virtual void SetGrid(CGridCtrl* grid) { grid_ = grid, gridAlive_ = grid; }
    virtual CGridCtrl* GetGrid() const { return grid_; }
    virtual void SetColumnWithTree(int col) { column_ = col; }
    virtual int GetColumnWithTree() const { return column_; }
    virtual void SetIndentWidth(int width) { indent_ = width; }
    virtual int GetIndentWidth() const { return indent_; }
    virtual void SetFixedRowCount(int firstRow) { firstRow_ = firstRow; }
    virtual int GetFixedRowCount() const { return firstRow_; }
    virtual void SetRowCount(int endRow) { endRow_ = endRow; }
    virtual int GetRowCount() const { return endRow_; }
    virtual bool IsDefaultFont() const { return font_ == nullptr; }

    bool GetTreeLines() const { return treeLines_; }
    bool GetImageMode() const { return imageMode_; }
    gui::COLORREF GetTreeLineColour() const { return lineClr_; }
    void SetTreeLineColour(gui::COLORREF c) { lineClr_ = c; }
    CTreeColumn* GetLinkedColumn() const { return linked_; }

    // Makes `n` rows from `firstRow` on an outline in column `col`: the grid's fixed-row count
    // becomes `firstRow` and its row count `firstRow + n`; each row gets a cell of `cellClass`
    // (copying the cell there) with its level byte from `levels` and, when given, its child
    // state. False, nothing changed, for a class that is not a tree cell class or for arrays
    // shorter than n (`levelCount`, `childCount`); a negative n counts as 0 and only sets the
    // row counts. False when a cell could not be installed.
    bool TreeSetup(CGridCtrl* grid, int col, int n, int firstRow, const std::uint8_t* levels, std::size_t levelCount,
                   bool treeLines = true, bool imageMode = false, const std::uint8_t* childStates = nullptr,
                   std::size_t childCount = 0, CTreeColumn* linked = nullptr,
                   const GridCellClass& cellClass = CGridTreeCell::kClass);

    // The row's level (0 without a tree cell) and shown bit.
    int GetTreeLevel(int row) const;
    bool IsTreeRowShown(int row) const;
    // A row of level L > 0 becomes shown, its children shown and deeper rows hidden.
    void TreeExpandOneLevel(int row);
    // A row of level L > 0 becomes shown and every following deeper row hidden.
    void TreeCollapse(int row);
    // Collapses the row when the next row is shown, else expands it one level, here and on
    // the linked column; then refreshes the rows. Nothing for a level-0 row or the last row.
    void TreeToggle(int row);
    // Rows of at most `level` shown, the others hidden (128 and above: all shown); refreshes.
    void TreeDisplayOutline(int level);
    // Shown rows lower than the default row height get it, hidden ones height 0; repaints.
    void TreeRefreshRows();
    // kTreeCollapsed / kTreeExpanded / kTreeLast bits for the row; 0 for level 0.
    int GetTreeChildState(int row) const;
    bool HasChildren(int row) const { return GetTreeChildState(row) & (kTreeCollapsed | kTreeExpanded); }

    // The tree cell at the row of this column, null when there is none.
    CGridTreeCellBase* TreeCell(int row) const;

private:
    std::uint32_t format_ = 0x8024;
    gui::COLORREF backClr_ = gui::CLR_DEFAULT;
    gui::COLORREF textClr_ = gui::CLR_DEFAULT;
    std::intptr_t data_ = 0;
    std::unique_ptr<gui::LogFont> font_;
    bool ready_ = false;
    QPointer<CInPlaceEdit> editor_;
    CGridCtrl* grid_ = nullptr;
    QPointer<CGridCtrl> gridAlive_;  // null once the grid is destroyed
    int column_ = -1;
    int indent_ = 10;
    bool treeLines_ = true;
    bool imageMode_ = false;
    gui::COLORREF lineClr_ = 0;
    int firstRow_ = -1;
    int endRow_ = -1;
    CTreeColumn* linked_ = nullptr;
};
