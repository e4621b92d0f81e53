#pragma once
// The cells of an outline column: CGridTreeCellBase carries a tree level, a shown bit, a
// child-state hint and an image, is indented by its level, draws the connecting lines and an
// expander box (or shows the expander state as its image) in front of its text, and toggles
// its subtree when the expander is pressed. Format, colours, item data and font are not
// stored per cell but shared through the cell's CTreeColumn; without one the shared getters
// return their defaults and the setters do nothing. CGridTreeCell adds the text and in-place
// editing (one open editor a tree column).
//
// Cells are created by CTreeColumn::TreeSetup through the grid's SetCellType, belong to the
// grid (which deletes them) and to its thread. The tree column must outlive its cells' use.
#include <cstdint>

#include "controls/grid/grid_cell.h"

class CTreeColumn;

// The shown bit of a level byte; its low 7 bits are the level (0: not part of the outline).
inline constexpr std::uint8_t kTreeShown = 0x80;
inline constexpr std::uint8_t kTreeLevelMask = 0x7F;

class CGridTreeCellBase : public CGridCellBase {
public:
    static const GridCellClass kClass;
    static CGridCellBase* Create() { return new CGridTreeCellBase; }

    CGridTreeCellBase() = default;
    ~CGridTreeCellBase() override = default;
    // The grid cell copy (through getters and setters); the tree part stays as it is.
    CGridTreeCellBase& operator=(const CGridCellBase& other);
    const GridCellClass& GetRuntimeClass() const override { return kClass; }

    // Delegated to the tree column.
    void SetFormat(std::uint32_t format) override;
    std::uint32_t GetFormat() const override;
    void SetTextClr(gui::COLORREF colour) override;
    gui::COLORREF GetTextClr() const override;
    void SetBackClr(gui::COLORREF colour) override;
    gui::COLORREF GetBackClr() const override;
    void SetData(std::intptr_t data) override;
    std::intptr_t GetData() const override;
    // The column's font; the indent width of the whole column becomes 7/10 of the font's
    // line height (height + external leading) measured on the screen.
    void SetFont(const gui::LogFont* font) override;
    const gui::LogFont* GetFont() const override;
    const gui::LogFont* GetFontObject() const override;
    // The grid's default cell margin (every default cell); the normal default cell's margin.
    void SetMargin(std::uint32_t margin) override;
    std::uint32_t GetMargin() const override;
    bool IsDefaultFont() const override;
    CGridCtrl* GetGrid() const override;

    void SetImage(int image) override { image_ = static_cast<std::int16_t>(image); }
    int GetImage() const override { return image_; }
    void SetCoords(int row, int col) override { row_ = row, col_ = col; }
    int GetRow() const { return row_; }
    int GetCol() const { return col_; }
    bool IsEditing() const override { return editing_; }
    // Position -1, -1, state 0, image -1, not editing, level byte 0x80, child state 0.
    void Reset() override;

    void SetTreeColumn(CTreeColumn* column) { column_ = column; }
    CTreeColumn* GetTreeColumn() const { return column_; }
    void SetLevelAndHide(std::uint8_t levelByte) { level_ = levelByte; }
    std::uint8_t GetLevelAndHide() const { return level_; }
    int GetLevel() const { return level_ & kTreeLevelMask; }
    bool IsViewable() const { return level_ & kTreeShown; }
    void SetViewable(bool shown) { level_ = shown ? (level_ | kTreeShown) : (level_ & kTreeLevelMask); }
    void SetChildState(std::uint8_t state) { childState_ = state; }
    std::uint8_t GetChildState() const { return childState_; }

    // Geometry relative to the cell's top-left corner: the room in front of the text (0 for
    // level 0), the expander box (empty for level 0).
    int GetIndent() const;
    gui::Rect GetExpanderRect() const;
    // A point (relative to the cell) on the expander of a row with children, tree lines on.
    bool IsOnExpander(gui::Point point) const;

    bool GetTextRect(gui::Rect* rect) override;
    gui::Size GetCellExtent(gui::Canvas* dc) override;
    // On the expander: toggles the subtree and answers false (no selection for this press).
    bool OnClickDown(gui::Point point) override;
    // An editable cell leaves the double click to editing; otherwise off the expander it
    // toggles (a press on the expander has toggled already).
    void OnDblClick(gui::Point point) override;
    // Nothing (false) until the tree column is set up over the grid's current row counts;
    // then the lines and expander (or image mode's image) and the base drawing beside them.
    bool Draw(gui::Canvas* dc, int row, int col, gui::Rect rect, bool eraseBkgnd = true) override;
    // Draw for the printer (no highlight colours), with erase.
    bool PrintCell(gui::Canvas* dc, int row, int col, gui::Rect rect) override;

protected:
    bool editing_ = false;

private:
    void DrawTreeLines(gui::Canvas& dc, const gui::Rect& rect, bool printing);

    std::uint8_t level_ = kTreeShown;
    std::uint8_t childState_ = 0;
    std::int16_t image_ = -1;
    int row_ = -1, col_ = -1;
    CTreeColumn* column_ = nullptr;
    bool printing_ = false;  // Draw called from PrintCell
};

class CGridTreeCell : public CGridTreeCellBase {
public:
    static const GridCellClass kClass;
    static CGridCellBase* Create() { return new CGridTreeCell; }

    using CGridTreeCellBase::operator=;
    const GridCellClass& GetRuntimeClass() const override { return kClass; }

    void SetText(const char16_t* text) override { text_ = CString(text); }
    const char16_t* GetText() const override { return text_.c_str(); }
    // The text emptied; the tree part stays.
    void Reset() override { text_ = CString(); }
    // Opens the in-place editor over the rectangle (alignment from the format) and hands it to
    // the tree column, which holds one open editor; true.
    bool Edit(int row, int col, gui::Rect rect, gui::Point point, int id, std::uint32_t nChar) override;
    // Ends and forgets the tree column's open editor.
    void EndEdit() override;
    void OnEndEdit() override;

private:
    CString text_;
};
