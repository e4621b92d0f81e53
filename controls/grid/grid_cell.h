#pragma once
// The cells of a grid: the abstract CGridCellBase, the stored cell CGridCell and the default
// cell CGridDefaultCell that holds one kind of cell's grid-wide defaults (format, colours,
// font, margin, default row height and column width).
//
// Cell classes are named by a GridCellClass descriptor (its name, the class it derives from
// and how to create one), which stands in for run-time classes: a grid creates its cells from
// a descriptor and refuses one that does not derive from CGridCellBase. A subclass declares
// its own descriptor and returns it from GetRuntimeClass.
//
// Fonts are values: a cell with its own font holds a copy of it, one without takes its
// default cell's. Cells belong to their grid (which deletes them) and to its thread.
#include <QPointer>
#include <cstdint>
#include <memory>

#include "controls/grid/grid_codes.h"
#include "controls/grid/in_place_edit.h"
#include "platform/core/cstring.h"
#include "platform/gui/color.h"
#include "platform/gui/geometry.h"
#include "platform/gui/log_font.h"

namespace gui {
class Canvas;
}
class CGridCtrl;
class CGridCellBase;
class CGridDefaultCell;

struct GridCellClass {
    const char* name;
    const GridCellClass* base;   // null for the root
    CGridCellBase* (*create)();  // null for an abstract class
    // True when this class is `other` or derives from it.
    bool DerivesFrom(const GridCellClass& other) const;
};

class CGridCellBase {
public:
    static const GridCellClass kClass;

    CGridCellBase() = default;
    virtual ~CGridCellBase() = default;
    CGridCellBase(const CGridCellBase&) = delete;
    // Copies through the other cell's getters and this cell's setters, in this order: grid,
    // text, image, data, state, format, text colour, back colour, font (none when the other
    // takes the default font), margin.
    CGridCellBase& operator=(const CGridCellBase& other);

    virtual const GridCellClass& GetRuntimeClass() const { return kClass; }

    virtual void SetText(const char16_t* /*text*/) {}
    virtual void SetImage(int /*image*/) {}
    virtual void SetData(std::intptr_t /*data*/) {}
    virtual void SetState(GridItemState state) { state_ = state; }
    virtual void SetFormat(std::uint32_t /*format*/) {}
    virtual void SetTextClr(gui::COLORREF /*colour*/) {}
    virtual void SetBackClr(gui::COLORREF /*colour*/) {}
    virtual void SetFont(const gui::LogFont* /*font*/) {}
    virtual void SetMargin(std::uint32_t /*margin*/) {}
    virtual void SetGrid(CGridCtrl* /*grid*/) {}
    virtual void SetCoords(int /*row*/, int /*col*/) {}

    // Null for a cell without text.
    virtual const char16_t* GetText() const { return nullptr; }
    virtual const char16_t* GetTipText() const { return GetText(); }
    virtual int GetImage() const { return -1; }
    virtual std::intptr_t GetData() const { return 0; }
    virtual GridItemState GetState() const { return state_; }
    virtual std::uint32_t GetFormat() const = 0;
    virtual gui::COLORREF GetTextClr() const = 0;
    virtual gui::COLORREF GetBackClr() const = 0;
    // The cell's own font, else its default cell's; null without either.
    virtual const gui::LogFont* GetFont() const = 0;
    // The font the cell draws with (the same value as GetFont here: fonts are values).
    virtual const gui::LogFont* GetFontObject() const = 0;
    virtual CGridCtrl* GetGrid() const = 0;
    virtual std::uint32_t GetMargin() const = 0;
    // The grid's default cell for this cell's kind (fixed row, fixed column, both, neither);
    // null without a grid.
    virtual CGridDefaultCell* GetDefaultCell() const;
    virtual bool IsDefaultFont() const = 0;
    virtual bool IsEditing() const = 0;

    bool IsFocused() const { return GetState() & GVIS_FOCUSED; }
    bool IsFixed() const { return GetState() & GVIS_FIXED; }
    bool IsFixedCol() const { return GetState() & GVIS_FIXEDCOL; }
    bool IsFixedRow() const { return GetState() & GVIS_FIXEDROW; }
    bool IsSelected() const { return GetState() & GVIS_SELECTED; }
    bool IsReadOnly() const { return GetState() & GVIS_READONLY; }
    bool IsModified() const { return GetState() & GVIS_MODIFIED; }
    bool IsDropHighlighted() const { return GetState() & GVIS_DROPHILITED; }

    virtual void Reset() { state_ = 0; }

    // Draws the cell into its inclusive rectangle (right = left + width - 1); false, drawing
    // nothing, without grid, canvas, default cell, width or height.
    virtual bool Draw(gui::Canvas* dc, int row, int col, gui::Rect rect, bool eraseBkgnd = true);
    // Moves the left edge of the rectangle past the image, if the cell shows one. Always true.
    virtual bool GetTextRect(gui::Rect* rect);
    virtual bool GetTipTextRect(gui::Rect* rect) { return GetTextRect(rect); }
    // The size the text needs with the cell's font and margins; measured on `dc`, else on the
    // grid's measuring canvas; the default cell's size for a null text.
    virtual gui::Size GetTextExtent(const char16_t* text, gui::Canvas* dc = nullptr);
    // The text extent with the image added.
    virtual gui::Size GetCellExtent(gui::Canvas* dc);
    // Opens an in-place editor; the base cell cannot be edited (false).
    virtual bool Edit(int /*row*/, int /*col*/, gui::Rect /*rect*/, gui::Point /*point*/, int /*id*/,
                      std::uint32_t /*nChar*/) {
        return false;
    }
    virtual void EndEdit() {}
    // Prints the cell on a page; false without grid, canvas, width or height.
    virtual bool PrintCell(gui::Canvas* dc, int row, int col, gui::Rect rect);
    virtual void OnEndEdit() {}

    // Mouse hooks; points are relative to the cell's top-left corner.
    virtual void OnMouseEnter() {}
    virtual void OnMouseOver() {}
    virtual void OnMouseLeave() {}
    virtual void OnClick(gui::Point /*point*/) {}
    virtual bool OnClickDown(gui::Point /*point*/) { return true; }
    virtual void OnRClick(gui::Point /*point*/) {}
    virtual void OnDblClick(gui::Point /*point*/) {}
    // Sets the standard arrow cursor over the cell; true.
    virtual bool OnSetCursor();

private:
    GridItemState state_ = 0;
};

class CGridCell : public CGridCellBase {
public:
    static const GridCellClass kClass;
    static CGridCellBase* Create() { return new CGridCell; }

    CGridCell() = default;
    ~CGridCell() override = default;
    using CGridCellBase::operator=;
    const GridCellClass& GetRuntimeClass() const override { return kClass; }

    void SetText(const char16_t* text) override { text_ = CString(text); }
    void SetImage(int image) override { image_ = image; }
    void SetData(std::intptr_t data) override { data_ = data; }
    void SetFormat(std::uint32_t format) override { format_ = format; }
    void SetTextClr(gui::COLORREF colour) override { textClr_ = colour; }
    void SetBackClr(gui::COLORREF colour) override { backClr_ = colour; }
    // Null drops the own font.
    void SetFont(const gui::LogFont* font) override;
    void SetMargin(std::uint32_t margin) override { margin_ = margin; }
    void SetGrid(CGridCtrl* grid) override { grid_ = grid; }

    const char16_t* GetText() const override { return text_.c_str(); }
    int GetImage() const override { return image_; }
    std::intptr_t GetData() const override { return data_; }
    // The own format, or the default cell's when it is -1.
    std::uint32_t GetFormat() const override;
    gui::COLORREF GetTextClr() const override { return textClr_; }
    gui::COLORREF GetBackClr() const override { return backClr_; }
    const gui::LogFont* GetFont() const override;
    const gui::LogFont* GetFontObject() const override { return GetFont(); }
    CGridCtrl* GetGrid() const override { return grid_; }
    std::uint32_t GetMargin() const override;
    bool IsDefaultFont() const override { return font_ == nullptr; }
    bool IsEditing() const override { return editing_; }

    // Every member but the item data back to its value at construction.
    void Reset() override;
    // Opens the in-place editor over the rectangle (alignment from the format); true.
    bool Edit(int row, int col, gui::Rect rect, gui::Point point, int id, std::uint32_t nChar) override;
    void EndEdit() override;
    void OnEndEdit() override;

    CInPlaceEdit* GetEditWnd() const { return editor_; }

private:
    CString text_;
    std::intptr_t data_ = 0;
    int image_ = -1;
    std::uint32_t format_ = 0xFFFFFFFFu;  // -1: the default cell's
    gui::COLORREF textClr_ = gui::CLR_DEFAULT;
    gui::COLORREF backClr_ = gui::CLR_DEFAULT;
    std::unique_ptr<gui::LogFont> font_;
    std::uint32_t margin_ = 0xFFFFFFFFu;  // -1: the default cell's
    bool editing_ = false;
    CGridCtrl* grid_ = nullptr;
    // The open editor; it deletes itself, and one deleted otherwise (with its grid) is null here.
    QPointer<CInPlaceEdit> editor_;
};

class CGridDefaultCell : public CGridCell {
public:
    static const GridCellClass kClass;
    static CGridCellBase* Create() { return new CGridDefaultCell; }

    // Format DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER, default colours, the
    // font of message boxes (its sizes measured as SetFont does).
    CGridDefaultCell();
    const GridCellClass& GetRuntimeClass() const override { return kClass; }

    std::uint32_t GetStyleWord() const { return style_; }
    void SetStyleWord(std::uint32_t style) { style_ = style; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    void SetWidth(int width) { width_ = width; }
    void SetHeight(int height) { height_ = height; }

    // Stores the font and measures with it on the screen: margin = width of " ", default width
    // = width of " XXXXXXXXXXXX ", default height = 4/3 of its height; without a screen to
    // measure on 3, 40 and 16. Null is ignored.
    void SetFont(const gui::LogFont* font) override;
    // Always read-only.
    GridItemState GetState() const override { return CGridCell::GetState() | GVIS_READONLY; }
    const gui::LogFont* GetFont() const override { return &font_; }
    const gui::LogFont* GetFontObject() const override { return &font_; }
    std::uint32_t GetFormat() const override { return ownFormat_; }
    void SetFormat(std::uint32_t format) override { ownFormat_ = format; }
    std::uint32_t GetMargin() const override { return ownMargin_; }
    void SetMargin(std::uint32_t margin) override { ownMargin_ = margin; }
    bool IsDefaultFont() const override { return false; }

private:
    int width_ = 30;
    int height_ = 10;
    gui::LogFont font_;
    std::uint32_t style_ = 0;
    std::uint32_t ownFormat_ = 0x8824;
    std::uint32_t ownMargin_ = 3;
};
