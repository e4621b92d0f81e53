#pragma once
// CGridCtrl: a scrolling table of rows x columns of cells with fixed (header) rows at the top
// and fixed columns at the left, per-row heights and per-column widths, a selection, a focus
// cell, in-place editing, merged blocks, a title tip for clipped text and a virtual mode in
// which no cells are stored and the owner fills each cell on demand.
//
// Shape: the widget owns the data model (cells, counts, default cells, settings), the sizes
// with their running sums (GridSizes) and the selection (CGridSelector); the layout is
// computed by GridGeometry from them on demand. Its public and virtual operations are those a
// subclass (the plan grid) overrides.
//
// Notifications go synchronously as WM_NOTIFY to the owner window (SetOwner), else to the
// nearest gui::Window among the parents; the record's hwndFrom is 0 (the grid is no Window) and
// its idFrom the grid's control id. A handler may destroy the grid, which then touches nothing
// more (each operation that notifies checks). Rows and columns are 0-based; a bad one is refused with
// false, -1, 0, null or "" and changes nothing. User-interface thread only.
#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <vector>

#include "controls/grid/grid_cell.h"
#include "controls/grid/grid_geometry.h"
#include "controls/grid/grid_merged_cells.h"
#include "controls/grid/grid_records.h"
#include "controls/grid/grid_selector.h"
#include "controls/grid/grid_sizes.h"
#include "controls/grid/title_tip.h"
#include "platform/gui/canvas.h"
#include "platform/gui/window.h"

class GridImageList;

// The control id of the in-place editor a cell opens.
inline constexpr int IDC_INPLACE_CONTROL = 8;

// Scroll bars and scroll requests, with the numbers of the Windows design.
inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;
inline constexpr int SB_LINEUP = 0;  // also left
inline constexpr int SB_LINELEFT = 0;
inline constexpr int SB_LINEDOWN = 1;  // also right
inline constexpr int SB_LINERIGHT = 1;
inline constexpr int SB_PAGEUP = 2;
inline constexpr int SB_PAGELEFT = 2;
inline constexpr int SB_PAGEDOWN = 3;
inline constexpr int SB_PAGERIGHT = 3;
inline constexpr int SB_THUMBPOSITION = 4;
inline constexpr int SB_THUMBTRACK = 5;
inline constexpr int SB_TOP = 6;
inline constexpr int SB_LEFT = 6;
inline constexpr int SB_BOTTOM = 7;
inline constexpr int SB_RIGHT = 7;
// Mouse modes.
inline constexpr int MOUSE_NOTHING = 0;
inline constexpr int MOUSE_SELECT_ALL = 1;
inline constexpr int MOUSE_SELECT_COL = 2;
inline constexpr int MOUSE_SELECT_ROW = 3;
inline constexpr int MOUSE_SELECT_CELLS = 4;
inline constexpr int MOUSE_OVER_ROW_DIVIDE = 6;
inline constexpr int MOUSE_SIZING_ROW = 7;
inline constexpr int MOUSE_OVER_COL_DIVIDE = 8;
inline constexpr int MOUSE_SIZING_COL = 9;
inline constexpr int MOUSE_PREPARE_EDIT = 10;
// The scroll-bar state bits: which bars are shown.
inline constexpr int GVSB_HORZ = 1;
inline constexpr int GVSB_VERT = 2;

class CGridCtrl : public QAbstractScrollArea, private GridSelectorHost {
    Q_OBJECT

public:
    explicit CGridCtrl(int rows = 0, int cols = 0, int fixedRows = 0, int fixedCols = 0, QWidget* parent = nullptr);
    ~CGridCtrl() override;

    // Places the grid in `parent` at `rect` with the control id, refills the sizes with the
    // default height and width and resets the scroll bars.
    bool Create(const gui::Rect& rect, QWidget* parent, int id);
    int GetDlgCtrlID() const { return controlId_; }
    void SetDlgCtrlID(int id) { controlId_ = id; }
    // The window that hears the notifications; null: the nearest Window among the parents.
    void SetOwner(gui::Window* owner) { owner_ = owner; }
    gui::Window* GetOwner() const;

    // Counts (grid_ctrl_rows.cpp).
    int GetRowCount() const override { return rowCount_; }
    int GetColumnCount() const override { return colCount_; }
    int GetFixedRowCount() const override { return fixedRows_; }
    int GetFixedColumnCount() const override { return fixedCols_; }
    bool SetRowCount(int rows);
    bool SetColumnCount(int cols);
    bool SetFixedRowCount(int fixedRows);
    bool SetFixedColumnCount(int fixedCols);
    // Inserts before `row` (a non-fixed row) or appends (-1); the heading goes into column 0.
    // The new index, or -1.
    int InsertRow(const char16_t* heading, int row = -1);
    // Inserts before `col` or appends (-1); the heading goes into row 0, the format into every
    // cell of the column. The new index, or -1.
    int InsertColumn(const char16_t* heading, std::uint32_t format = 0x25, int col = -1);
    bool DeleteRow(int row);
    bool DeleteNonFixedRows();
    bool DeleteAllItems();

    // Cells (grid_ctrl_cells.cpp).
    // The stored cell; in virtual mode this grid's one cell filled for the position by the
    // owner (valid until the next call). Null for a bad position or when the owner's handler
    // destroyed the grid.
    virtual CGridCellBase* GetCell(int row, int col) const;
    // Stores the cell (after SetCoords) and deletes the old one; false in virtual mode or for
    // a bad position (the cell is then deleted).
    bool SetCell(int row, int col, std::unique_ptr<CGridCellBase> cell);
    // A new cell of the cell class, set up for the position; null when the class is not a
    // creatable cell class.
    virtual std::unique_ptr<CGridCellBase> CreateCell(int row, int col);
    virtual void DestroyCell(int row, int col);
    bool SetCellType(int row, int col, const GridCellClass& cellClass);
    // The class of new cells; false (unchanged) for a class that is not a creatable cell class.
    bool SetDefaultCellType(const GridCellClass& cellClass);
    const GridCellClass* GetDefaultCellType() const { return cellClass_; }

    CString GetItemText(int row, int col) const;
    std::intptr_t GetItemData(int row, int col) const;
    int GetItemImage(int row, int col) const;
    GridItemState GetItemState(int row, int col) const;
    std::uint32_t GetItemFormat(int row, int col) const;
    gui::COLORREF GetItemBkColour(int row, int col) const;
    gui::COLORREF GetItemFgColour(int row, int col) const;
    const gui::LogFont* GetItemFont(int row, int col) const;
    // Through the cell's setter, then SetModified(true, row, col); false in virtual mode.
    bool SetItemText(int row, int col, const char16_t* text);
    template <typename... Args>
    bool SetItemTextFmt(int row, int col, std::u16string_view format, const Args&... args) {
        return SetItemText(row, col, CString::Format(format, args...).c_str());
    }
    bool SetItemData(int row, int col, std::intptr_t data);
    bool SetItemImage(int row, int col, int image);
    // Keeps the selection model in step with the selected bit, then stores the state.
    bool SetItemState(int row, int col, GridItemState state);
    bool SetItemFormat(int row, int col, std::uint32_t format);
    bool SetItemBkColour(int row, int col, gui::COLORREF colour = gui::CLR_DEFAULT);
    bool SetItemFgColour(int row, int col, gui::COLORREF colour = gui::CLR_DEFAULT);
    bool SetItemFont(int row, int col, const gui::LogFont* font);
    bool IsCellEditable(int row, int col) const;
    bool IsCellSelected(int row, int col) const;
    bool IsValid(int row, int col) const { return row >= 0 && row < rowCount_ && col >= 0 && col < colCount_; }
    bool IsValid(GridCellId cell) const { return IsValid(cell.row, cell.col); }
    void SetModified(bool modified = true, int row = -1, int col = -1);
    bool GetModified() const { return modified_; }

    // Defaults and settings (grid_ctrl.cpp).
    CGridDefaultCell* GetDefaultCell(bool fixedRow, bool fixedCol) const;
    void SetDefaultCellMargin(std::uint32_t margin);
    // The font of all four default cells (their sizes follow it); repaints.
    void SetFont(const gui::LogFont& font);
    const gui::LogFont& GetFont() const;
    // Re-reads the system colours; defaults that still had the old ones take the new ones.
    void OnSysColorChange();
    void SetGridLines(int lines);
    int GetGridLines() const { return gridLines_; }
    // Deletes all items; on also switches off editing, header sort, fixed-row and fixed-column
    // selection and single-row selection and sets the auto-size style to the fixed rows.
    void SetVirtualMode(bool on);
    bool GetVirtualMode() const override { return virtualMode_; }
    void SetLastColumnFiller(bool on);
    bool GetLastColumnFiller() const { return filler_; }
    // Whole-row selection; clears the selection, the sort column and single-row selection.
    void SetListMode(bool on);
    bool GetListMode() const { return listMode_; }
    void SetCallbackFunc(GridCallback callback, std::intptr_t param) { callback_ = callback, callbackParam_ = param; }
    void SetImageList(const GridImageList* list) { imageList_ = list; }
    const GridImageList* GetImageList() const { return imageList_; }
    void SetEditable(bool on) { editable_ = on; }
    bool IsEditable() const { return editable_; }
    void EnableSelection(bool on) { selectionEnabled_ = on; }
    bool IsSelectable() const { return selectionEnabled_; }
    void SetHeaderSort(bool on) { headerSort_ = on; }
    bool GetHeaderSort() const { return headerSort_; }
    void SetFixedRowSelection(bool on) { fixedRowSelection_ = on; }
    bool GetFixedRowSelection() const { return fixedRowSelection_; }
    void SetFixedColumnSelection(bool on) { fixedColSelection_ = on; }
    bool GetFixedColumnSelection() const { return fixedColSelection_; }
    void SetSingleRowSelection(bool on) { singleRowSelection_ = on; }
    bool GetSingleRowSelection() const { return singleRowSelection_; }
    void SetSingleColSelection(bool on) { singleColSelection_ = on; }
    bool GetSingleColSelection() const { return singleColSelection_; }
    void SetTrackFocusCell(bool on) { trackFocus_ = on; }
    bool GetTrackFocusCell() const { return trackFocus_; }
    void SetFrameFocusCell(bool on) { frameFocus_ = on; }
    bool GetFrameFocusCell() const { return frameFocus_; }
    void SetAutoSizeStyle(int style) { autoSizeStyle_ = style; }
    int GetAutoSizeStyle() const { return autoSizeStyle_; }
    void SetSortColumn(int col) { sortColumn_ = col; }
    int GetSortColumn() const { return sortColumn_; }
    void SetSortAscending(bool on) { sortAscending_ = on; }
    bool GetSortAscending() const { return sortAscending_; }
    void SetRowResize(bool on) { rowResize_ = on; }
    bool GetRowResize() const { return rowResize_; }
    void SetColumnResize(bool on) { colResize_ = on; }
    bool GetColumnResize() const { return colResize_; }
    void SetWantsTab(bool on) { wantsTab_ = on; }
    bool GetWantsTab() const { return wantsTab_; }
    void SetDoubleBuffering(bool on) { doubleBuffer_ = on; }
    bool GetDoubleBuffering() const { return doubleBuffer_; }
    void EnableTitleTips(bool on) { titleTips_ = on; }
    bool GetTitleTips() const { return titleTips_; }
    void SetShadedPrintOut(bool on) { shadedPrintOut_ = on; }
    bool GetShadedPrintOut() const { return shadedPrintOut_; }
    // The page being printed goes to a printer of two colours (cells print grey text then).
    void SetPrintingTwoColour(bool on) { printTwoColour_ = on; }
    bool IsPrintingTwoColour() const { return printTwoColour_; }
    void SetPrintOption(bool on) { printOption_ = on; }
    bool GetPrintOption() const { return printOption_; }
    void SetGridLineColor(gui::COLORREF c) { gridLineColour_ = c; }
    gui::COLORREF GetGridLineColor() const { return gridLineColour_; }
    void SetGridBkColor(gui::COLORREF c) { gridBkColour_ = c; }
    gui::COLORREF GetGridBkColor() const { return gridBkColour_; }
    void SetTitleTipBackClr(gui::COLORREF c) { tipBackColour_ = c; }
    gui::COLORREF GetTitleTipBackClr() const { return tipBackColour_; }
    void SetTitleTipTextClr(gui::COLORREF c) { tipTextColour_ = c; }
    gui::COLORREF GetTitleTipTextClr() const { return tipTextColour_; }
    int GetMouseScrollLines() const { return wheelLines_; }
    CGridSelector& GetSelector() { return selector_; }
    const CGridSelector& GetSelector() const { return selector_; }
    CTitleTip& GetTitleTip() { return titleTip_; }

    // Sizes and layout (grid_ctrl_layout.cpp).
    int GetRowHeight(int row) const override { return rowHeights_.Get(row); }
    int GetColumnWidth(int col) const override { return colWidths_.Get(col); }
    bool SetRowHeight(int row, int height);
    bool SetColumnWidth(int col, int width);
    std::int64_t GetFixedRowHeight() const { return rowHeights_.Position(fixedRows_); }
    std::int64_t GetFixedColumnWidth() const { return colWidths_.Position(fixedCols_); }
    const GridSizes& GetRowHeights() const { return rowHeights_; }
    const GridSizes& GetColumnWidths() const { return colWidths_; }
    // The layout of the current sizes, client size and scroll positions.
    GridGeometry GetGeometry() const;
    GridShape GetShape() const { return {rowCount_, colCount_, fixedRows_, fixedCols_, filler_}; }
    bool GetCellOrigin(int row, int col, gui::Point* origin) const;
    // The cell's rectangle, that of its merged block for a merged cell (inclusive).
    bool GetCellRect(int row, int col, gui::Rect* rect) const;
    GridCellId GetTopleftNonFixedCell() const;
    GridCellRange GetVisibleNonFixedCellRange(gui::Rect* rect = nullptr) const;
    bool IsCellVisible(int row, int col) const;
    GridCellId GetCellFromPt(gui::Point point, bool allowFixed = true) const;
    // Brings the cell (its merged block) into view where line steps would: one step for each
    // shown row (column) between the visible ones and the cell, then more while it sticks out
    // at the bottom (right) and starts below (right of) the fixed ones; worked out at once.
    virtual void EnsureVisible(int row, int col);
    void Refresh();
    // With a canvas: draws the cell (a non-fixed one with its right and bottom grid lines, a
    // merged one as its block); without: invalidates it. False while drawing is off or for a
    // cell out of view.
    virtual bool RedrawCell(int row, int col, gui::Canvas* dc = nullptr);
    // Every cell of the row; true when all were redrawn.
    bool RedrawRow(int row);

    // Scrolling (grid_ctrl_scroll.cpp).
    // All rows; all columns but the filler column.
    std::int64_t GetVirtualHeight() const;
    std::int64_t GetVirtualWidth() const;
    // Decides both bars from the sizes and the area (nothing while drawing is off) and sets
    // their ranges: a position is the pixels of non-fixed rows (columns) scrolled out.
    virtual void ResetScrollBars();
    // GVSB_HORZ | GVSB_VERT: the bars shown.
    int GetScrollBarState() const { return scrollBarState_; }
    int GetScrollPos32(int bar, bool trackPos = false) const;
    // True when the position changed.
    bool SetScrollPos32(int bar, int pos, bool redraw = true);
    // A scroll request (SB_LINEUP ... SB_BOTTOM) of the horizontal or vertical bar: editing
    // ends and the title tip hides first. Lines step by the next shown column (row).
    void OnHScroll(int code, int trackPos = 0);
    void OnVScroll(int code, int trackPos = 0);
    // A wheel turn (120 a notch): the wheel lines a notch, parts of a line kept for the next.
    void OnMouseWheel(int delta);
    // Switching drawing on while it was off repaints; then the bars are reset when asked.
    void SetRedraw(bool allowDraw, bool resetScrollBars = false);
    bool GetRedraw() const { return allowDraw_; }

    // Auto-sizing (grid_ctrl_autosize.cpp). A column takes the widest extent of its cells in
    // the rows the style names (GVS_HEADER the fixed rows, GVS_DATA the others; GVS_DEFAULT the
    // grid's style), a row the tallest of all its cells; cells of blocks spanning two or more
    // columns (rows) are left out. A virtual grid hints the cells before and an empty range
    // after. False for a bad or hidden column (row) or when nothing was measured.
    virtual bool AutoSizeColumn(int col, int style = GVS_DEFAULT, bool resetScroll = true);
    bool AutoSizeRow(int row, bool resetScroll = true);
    // Every shown column.
    void AutoSizeColumns(int style = GVS_DEFAULT);
    // Widens the last column by what the columns leave free of the client width.
    void ExpandLastColumn();

    // Navigation (grid_ctrl_navigate.cpp): the next (previous) shown cell after (before) the
    // given one in its row, else with `wrap` (or in list mode) in the next (previous) shown
    // row; the given cell when there is none. `rowChanged` tells whether the row differs.
    GridCellId FindNextCell(int row, int col, bool wrap, bool* rowChanged = nullptr) const;
    GridCellId FindPrevCell(int row, int col, bool wrap, bool* rowChanged = nullptr) const;

    // Focus (grid_ctrl_cells.cpp).
    GridCellId GetFocusCell() const { return focusCell_; }
    // Moves the focus cell (raised into the non-fixed area; never onto the filler column),
    // notifying GVN_SELCHANGING for the old one and GVN_SELCHANGED for the new one. The
    // previous focus cell.
    GridCellId SetFocusCell(int row, int col);
    GridCellId SetFocusCell(GridCellId cell) { return SetFocusCell(cell.row, cell.col); }
    // Clears the selection and the focus cell.
    void ResetSelectedRange();
    // Hands the range to the selection model (nothing while selection is disabled).
    void SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool forceRepaint = false,
                          bool selectCells = true);

    // Selecting (grid_ctrl_select.cpp); nothing while selection is disabled. All non-fixed
    // cells; the columns (rows) from the selection start cell's to the cell's (only the cell's
    // with single-column or single-row selection) over all non-fixed rows (columns); the block
    // between the selection start cell and the cell.
    virtual void SelectAllCells();
    void SelectColumns(GridCellId cell, bool forceRedraw = false, bool selectCells = true);
    void SelectRows(GridCellId cell, bool forceRedraw = false, bool selectCells = true);
    void SelectCells(GridCellId cell, bool forceRedraw = false, bool selectCells = true);
    // The selection step of the mouse mode for the cell under the mouse (rows also notify
    // GVN_SELECTROWS).
    void OnSelecting(GridCellId cell);
    int GetMouseMode() const { return mouseMode_; }
    void SetMouseMode(int mode) { mouseMode_ = mode; }
    GridCellId GetSelectionStartCell() const { return selectionStart_; }
    void SetSelectionStartCell(GridCellId cell) { selectionStart_ = cell; }
    // A click on a fixed-row cell: with header sort the column is sorted (the other way when
    // it is the sort column already); with fixed-row selection its column (all cells for a
    // fixed column) is selected. A click on a fixed-column cell selects its row (or all).
    virtual void OnFixedRowClick(GridCellId cell);
    virtual void OnFixedColumnClick(GridCellId cell);
    // Sorts the non-fixed rows by the column's text, stably, each row with its height; clears
    // the selection and the focus cell. False (nothing done) in virtual mode or for a bad column.
    virtual bool SortTextItems(int col, bool ascending);

    // The keyboard (grid_ctrl_keys.cpp), keys as Windows key numbers. With a focus cell:
    // Space notifies NM_CLICK; Ctrl+A selects all; Ctrl with an arrow or Page Up/Down scrolls;
    // Delete empties an editable focus cell (GVN_BEGINLABELEDIT, then GVN_ENDLABELEDIT); F2
    // edits it; the arrows, Tab (Shift+Tab), Page Up/Down, Home and End move the focus cell to
    // the next shown cell, select it (Shift extends from the selection start) and bring it
    // into view. False when the key is not the grid's.
    virtual bool OnKeyDown(std::uint32_t vk, bool ctrl, bool shift);
    // A typed character edits the focus cell with it (Tab passes while the grid wants Tab;
    // Escape and Ctrl characters do nothing).
    void OnChar(char16_t ch, bool ctrl);

    // The mouse (grid_ctrl_mouse.cpp), points in client coordinates. A press selects, starts a
    // drag selection with the auto-scroll timer, clicks a header or grabs a divider of the fixed
    // rows (columns); moves extend the selection, move the sizing line or, with no button,
    // pick the divider cursor and show title tips; the release edits, sizes or clicks; a double
    // click auto-sizes at a divider or edits the cell. Each returns at once when an owner's
    // handler destroyed the grid.
    virtual void OnLButtonDown(gui::Point point, bool ctrl, bool shift);
    virtual void OnMouseMove(gui::Point point, bool leftDown);
    virtual void OnLButtonUp(gui::Point point);
    virtual void OnLButtonDblClk(gui::Point point);
    virtual void OnRButtonUp(gui::Point point);
    // One tick of the auto-scroll timer: with the mouse above, below, left or right of the
    // cells the grid steps that way and selects up to the edge.
    void OnAutoScrollTimer();
    bool IsAutoScrolling() const { return autoScrollTimer_.isActive(); }
    // The client x (for a column) or y (for a row) of the sizing line while a divider is
    // dragged, else -1.
    int GetSizingLine() const { return mouseMode_ == MOUSE_SIZING_COL || mouseMode_ == MOUSE_SIZING_ROW ? sizingLine_ : -1; }
    // Whether a divider press may pick a hidden column (row), and whether a sizing drag may
    // end at width (height) 0.
    void SetHiddenColumnGrab(bool on) { hiddenColGrab_ = on; }
    void SetHiddenRowGrab(bool on) { hiddenRowGrab_ = on; }
    void SetColumnHiding(bool on) { colHiding_ = on; }
    void SetRowHiding(bool on) { rowHiding_ = on; }

    // Merged blocks.
    bool MergeCells(GridCellRange range);
    const GridMergedCells& GetMergedCells() const { return merged_; }

    // Editing (grid_ctrl_edit.cpp).
    // Opens the cell's editor: refused for a cell that is not editable; makes it visible,
    // notifies GVN_BEGINLABELEDIT and calls the cell's Edit with control id 8.
    virtual void OnEditCell(int row, int col, gui::Point point, std::uint32_t nChar);
    // Ends the open editor, if any.
    virtual void EndEditing();
    // Stores the edited text (the editor ended with another key than Escape).
    virtual void OnEndEditCell(int row, int col, const CString& text);
    // Notifications to the grid itself: the editor's end record (GVN_ENDLABELEDIT from control
    // 8). True when handled.
    bool OnNotify(int id, gui::NMHDR& header, gui::LRESULT& result);

    // Notifications (grid_ctrl_edit.cpp). Each answers false when the grid was destroyed
    // by the handler; the caller must then return at once.
    bool SendMessageToParent(int row, int col, int code, std::intptr_t* result = nullptr);
    bool SendDisplayRequestToParent(GridDispInfo* info) const;
    bool SendCacheHintToParent(const GridCellRange& range);
    bool SendEditEndToParent(const GridDispInfo& info);
    // Posts the click's command (WM_COMMAND with the control id) to the owner.
    void PostCommandToParent();

    // Painting (grid_ctrl_paint.cpp): the filler column fitted, the background areas, in
    // virtual mode the cache hint, the visible cells (fixed corner, fixed rows, fixed columns,
    // body; a merged block once), then the grid lines of the non-fixed area.
    virtual void OnDraw(gui::Canvas& dc);
    // The block's top-left cell over the block's visible rectangle, with its right and bottom
    // grid lines for a non-fixed block.
    virtual bool DrawMergedCell(const GridCellRange& range, int row, int col, gui::Canvas* dc);
    // A canvas on which text is measured with the grid's fonts outside painting.
    virtual std::unique_ptr<gui::Canvas> CreateMeasureCanvas() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    friend class CGridCell;
    friend class CGridTreeCell;
    using Row = std::vector<std::unique_ptr<CGridCellBase>>;

    // GridSelectorHost.
    bool GetVisibleRange(int* minRow, int* minCol, int* maxRow, int* maxCol) const override;
    int SetCellSelectedBit(int row, int col, bool selected) override;
    void RedrawSelectedCell(int row, int col, gui::Canvas* canvas) override;

    int ScrollTarget(bool vertical, int code, int trackPos) const;
    void OnScroll(bool vertical, int code, int trackPos);
    void OnBarAction(bool vertical, int action);
    void FitFillerColumn();
    void DrawGridLines(gui::Canvas& dc, const GridGeometry& geometry, int firstRow, int lastRow, int firstCol,
                       int lastCol, int fixedWidth, int fixedHeight, int right, int bottom);
    void DrawCellEdges(gui::Canvas& dc, const gui::Rect& rect);
    int LastReachableColumn() const;
    int FirstShownColumn() const;
    int LastShownColumn() const;
    void MoveOnAfterEdit(std::uint32_t lastKey);
    int ColumnDividerAt(gui::Point point) const;
    int RowDividerAt(gui::Point point) const;
    bool UpdateDividerMode(gui::Point point);
    void ShowTitleTip(gui::Point point);
    int DefaultRowHeight() const;
    int DefaultColumnWidth() const;
    void SetFixedBits(int row, int col);
    std::unique_ptr<CGridCellBase> NewCell(int row, int col);
    void AfterShapeChange();

    // The grid-line colour, grid background, stored system colours, title-tip colours.
    gui::COLORREF gridLineColour_ = 0;
    gui::COLORREF gridBkColour_ = 0;
    gui::COLORREF windowText_ = 0, window_ = 0, face_ = 0, shadow_ = 0;
    gui::COLORREF tipBackColour_ = gui::CLR_DEFAULT;
    gui::COLORREF tipTextColour_ = gui::CLR_DEFAULT;
    bool virtualMode_ = false;
    std::intptr_t callbackParam_ = 0;
    GridCallback callback_ = nullptr;
    int gridLines_ = GVL_BOTH;
    bool editable_ = true;
    bool modified_ = false;
    bool listMode_ = false;
    bool singleRowSelection_ = false, singleColSelection_ = false;
    bool allowDraw_ = true;
    bool selectionEnabled_ = true;
    bool fixedRowSelection_ = true, fixedColSelection_ = true;
    bool headerSort_ = false;
    bool wantsTab_ = true;
    bool doubleBuffer_ = true;
    bool titleTips_ = true;
    bool printOption_ = false;
    bool printTwoColour_ = false;
    bool trackFocus_ = true, frameFocus_ = true;
    int autoSizeStyle_ = GVS_BOTH;
    bool rowResize_ = true, colResize_ = true;
    int rowCount_ = 0, fixedRows_ = 0, colCount_ = 0, fixedCols_ = 0;
    GridSizes rowHeights_, colWidths_;
    bool filler_ = false;
    const GridCellClass* cellClass_ = &CGridCell::kClass;
    std::unique_ptr<CGridDefaultCell> defaults_[4];  // normal, fixed column, fixed row, both
    const GridImageList* imageList_ = nullptr;
    GridMergedCells merged_;
    CGridSelector selector_;
    std::vector<Row> rows_;  // empty in virtual mode
    GridCellId focusCell_;
    GridCellId editCell_;  // the cell whose editor is open
    int wheelLines_ = 3;
    CTitleTip titleTip_;
    bool sortAscending_ = true;
    int sortColumn_ = -1;
    bool shadedPrintOut_ = true;
    int controlId_ = 0;
    QPointer<gui::Window> owner_;
    bool attaching_ = false;  // guards Create against re-entry
    int mouseMode_ = MOUSE_NOTHING;
    GridCellId selectionStart_;
    bool leftDown_ = false;
    gui::Point downPoint_, lastMousePoint_;
    GridCellId downCell_;     // the cell under the left press
    int sizingIndex_ = -1;    // the column (row) a divider drag sizes
    int sizingLine_ = -1;
    QBasicTimer autoScrollTimer_;  // the design's timer 513
    bool hiddenColGrab_ = true, hiddenRowGrab_ = true, colHiding_ = true, rowHiding_ = true;
    bool resettingBars_ = false;
    int hRange_ = 0, vRange_ = 0;  // the last scroll positions
    int scrollBarState_ = 0;
    std::int64_t wheelRemainder_ = 0;  // wheel turn not yet scrolled, in 1/120 lines
    // The one cell and record of this grid's virtual mode, refilled by every GetCell.
    mutable CGridCell virtualCell_;
    mutable GridDispInfo dispInfo_;
    // Dropped by the destructor: a notification checks it to learn whether the grid survived.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};
