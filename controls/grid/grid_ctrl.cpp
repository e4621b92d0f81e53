// Construction, destruction, default cells and settings of the grid.
#include "controls/grid/grid_ctrl.h"

#include <QEvent>
#include <QScrollBar>
#include <new>

#include "controls/grid/grid_measure.h"
#include "controls/grid/in_place_edit.h"
#include "platform/gui/system_metrics.h"

CGridCtrl::CGridCtrl(int rows, int cols, int fixedRows, int fixedCols, QWidget* parent) : QAbstractScrollArea(parent) {
    windowText_ = gui::GetSysColor(gui::COLOR_WINDOWTEXT);
    window_ = gui::GetSysColor(gui::COLOR_WINDOW);
    face_ = gui::GetSysColor(gui::COLOR_3DFACE);
    shadow_ = gui::GetSysColor(gui::COLOR_3DSHADOW);
    gridLineColour_ = gui::RGB(192, 192, 192);
    gridBkColour_ = shadow_;
    wheelLines_ = gui::GetWheelScrollLines();
    for (auto& def : defaults_) {
        def = std::make_unique<CGridDefaultCell>();
        def->SetGrid(this);
        def->SetTextClr(windowText_);
        def->SetBackClr(face_);
    }
    defaults_[0]->SetBackClr(window_);
    selector_.SetGrid(this);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    viewport()->setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    titleTip_.Create(viewport());
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this, [this](int a) { OnBarAction(false, a); });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int a) { OnBarAction(true, a); });
    SetRowCount(rows);
    SetColumnCount(cols);
    SetFixedRowCount(fixedRows);
    SetFixedColumnCount(fixedCols);
}

CGridCtrl::~CGridCtrl() {
    alive_.reset();
    // An open editor goes first and quietly: it must not report to a grid being destroyed.
    for (CInPlaceEdit* editor : findChildren<CInPlaceEdit*>()) {
        editor->Abandon();
        delete editor;
    }
    owner_ = nullptr;
    DeleteAllItems();
}

bool CGridCtrl::Create(const gui::Rect& rect, QWidget* parent, int id) {
    if (attaching_) return false;
    attaching_ = true;
    setParent(parent);
    setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    controlId_ = id;
    titleTip_.Create(viewport());
    bool sized = true;
    try {
        rowHeights_.Resize(0, 0);
        rowHeights_.Resize(rowCount_, DefaultRowHeight());
        colWidths_.Resize(0, 0);
        colWidths_.Resize(colCount_, DefaultColumnWidth());
    } catch (const std::bad_alloc&) {
        sized = false;
    }
    if (sized) ResetScrollBars();
    attaching_ = false;
    return sized;
}

CGridDefaultCell* CGridCtrl::GetDefaultCell(bool fixedRow, bool fixedCol) const {
    if (fixedRow && fixedCol) return defaults_[3].get();
    if (fixedRow) return defaults_[2].get();
    if (fixedCol) return defaults_[1].get();
    return defaults_[0].get();
}

int CGridCtrl::DefaultRowHeight() const { return defaults_[0]->GetHeight(); }
int CGridCtrl::DefaultColumnWidth() const { return defaults_[0]->GetWidth(); }

void CGridCtrl::SetDefaultCellMargin(std::uint32_t margin) {
    for (auto& def : defaults_) def->SetMargin(margin);
}

void CGridCtrl::SetFont(const gui::LogFont& font) {
    for (auto& def : defaults_) def->SetFont(&font);
    if (allowDraw_) Refresh();
}

const gui::LogFont& CGridCtrl::GetFont() const { return *defaults_[0]->GetFont(); }

void CGridCtrl::OnSysColorChange() {
    const gui::COLORREF text = gui::GetSysColor(gui::COLOR_WINDOWTEXT);
    const gui::COLORREF window = gui::GetSysColor(gui::COLOR_WINDOW);
    const gui::COLORREF shadow = gui::GetSysColor(gui::COLOR_3DSHADOW);
    for (auto& def : defaults_) {
        if (def->GetTextClr() == windowText_) def->SetTextClr(text);
        if (def->GetBackClr() == window_) def->SetBackClr(window);
    }
    if (gridLineColour_ == shadow_) gridLineColour_ = shadow;
    windowText_ = text;
    window_ = window;
    face_ = gui::GetSysColor(gui::COLOR_3DFACE);
    shadow_ = shadow;
}

// The system colours are the application's palette; a change of it reaches the grid as a
// palette change.
void CGridCtrl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) OnSysColorChange();
    QAbstractScrollArea::changeEvent(event);
}

void CGridCtrl::SetGridLines(int lines) {
    gridLines_ = lines;
    Refresh();
}

void CGridCtrl::SetVirtualMode(bool on) {
    DeleteAllItems();
    virtualMode_ = on;
    if (on) {
        editable_ = false;
        headerSort_ = false;
        fixedRowSelection_ = false;
        fixedColSelection_ = false;
        singleRowSelection_ = false;
        autoSizeStyle_ = GVS_HEADER;
    }
}

void CGridCtrl::SetLastColumnFiller(bool on) {
    filler_ = on;
    merged_.OnShapeChanged(GetShape());
    if (filler_ && focusCell_.col == colCount_ - 1 && colCount_ > 0) SetFocusCell(focusCell_.row, 0);
    ResetScrollBars();
    Refresh();
}

void CGridCtrl::SetListMode(bool on) {
    ResetSelectedRange();
    sortColumn_ = -1;
    singleRowSelection_ = false;
    listMode_ = on;
    Refresh();
}

std::unique_ptr<gui::Canvas> CGridCtrl::CreateMeasureCanvas() const { return CreateScreenMeasureCanvas(); }

bool CGridCtrl::MergeCells(GridCellRange range) {
    if (!merged_.Add(range, GetShape())) return false;
    SetModified(true, -1, -1);
    ResetScrollBars();
    if (allowDraw_) Refresh();
    return true;
}
