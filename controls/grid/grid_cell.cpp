#include "controls/grid/grid_cell.h"

#include "controls/grid/grid_ctrl.h"
#include "controls/grid/grid_measure.h"
#include "controls/grid/in_place_edit.h"
#include "platform/gui/canvas.h"
#include "platform/gui/draw_flags.h"
#include "platform/gui/system_metrics.h"

const GridCellClass CGridCellBase::kClass{"CGridCellBase", nullptr, nullptr};
const GridCellClass CGridCell::kClass{"CGridCell", &CGridCellBase::kClass, &CGridCell::Create};
const GridCellClass CGridDefaultCell::kClass{"CGridDefaultCell", &CGridCell::kClass, &CGridDefaultCell::Create};

bool GridCellClass::DerivesFrom(const GridCellClass& other) const {
    for (const GridCellClass* c = this; c; c = c->base)
        if (c == &other) return true;
    return false;
}

CGridCellBase& CGridCellBase::operator=(const CGridCellBase& other) {
    if (this == &other) return *this;
    SetGrid(other.GetGrid());
    SetText(other.GetText());
    SetImage(other.GetImage());
    SetData(other.GetData());
    SetState(other.GetState());
    SetFormat(other.GetFormat());
    SetTextClr(other.GetTextClr());
    SetBackClr(other.GetBackClr());
    SetFont(other.IsDefaultFont() ? nullptr : other.GetFont());
    SetMargin(other.GetMargin());
    return *this;
}

CGridDefaultCell* CGridCellBase::GetDefaultCell() const {
    CGridCtrl* grid = GetGrid();
    if (!grid) return nullptr;
    return grid->GetDefaultCell(IsFixedRow(), IsFixedCol());
}

bool CGridCellBase::OnSetCursor() {
    if (CGridCtrl* grid = GetGrid()) grid->viewport()->setCursor(Qt::ArrowCursor);
    return true;
}

void CGridCell::SetFont(const gui::LogFont* font) {
    if (!font) {
        font_.reset();
        return;
    }
    if (!font_) font_ = std::make_unique<gui::LogFont>();
    *font_ = *font;
}

std::uint32_t CGridCell::GetFormat() const {
    if (format_ != 0xFFFFFFFFu) return format_;
    const CGridDefaultCell* def = GetDefaultCell();
    return def ? def->GetFormat() : 0;
}

const gui::LogFont* CGridCell::GetFont() const {
    if (font_) return font_.get();
    const CGridDefaultCell* def = GetDefaultCell();
    return def ? def->GetFont() : nullptr;
}

std::uint32_t CGridCell::GetMargin() const {
    if (margin_ != 0xFFFFFFFFu) return margin_;
    const CGridDefaultCell* def = GetDefaultCell();
    return def ? def->GetMargin() : 0;
}

void CGridCell::Reset() {
    CGridCellBase::Reset();
    text_ = CString();
    image_ = -1;
    format_ = 0xFFFFFFFFu;
    textClr_ = gui::CLR_DEFAULT;
    backClr_ = gui::CLR_DEFAULT;
    font_.reset();
    margin_ = 0xFFFFFFFFu;
    editing_ = false;
    grid_ = nullptr;
    editor_ = nullptr;
}

bool CGridCell::Edit(int row, int col, gui::Rect rect, gui::Point /*point*/, int id, std::uint32_t nChar) {
    if (editing_ && editor_) return true;
    CGridCtrl* grid = GetGrid();
    if (!grid) return false;
    const std::uint32_t format = GetFormat();
    const std::uint32_t style = (format & gui::DT_RIGHT) ? ES_RIGHT : (format & gui::DT_CENTER) ? ES_CENTER : ES_LEFT;
    editing_ = true;
    editor_ = new CInPlaceEdit(grid->viewport(), rect, style, id, row, col, CString(GetText()), nChar);
    grid->editCell_ = GridCellId(row, col);
    return true;
}

void CGridCell::EndEdit() {
    if (editor_) editor_->EndEdit();
}

void CGridCell::OnEndEdit() {
    editing_ = false;
    editor_ = nullptr;
}

CGridDefaultCell::CGridDefaultCell() {
    SetTextClr(gui::CLR_DEFAULT);
    SetBackClr(gui::CLR_DEFAULT);
    gui::NonClientMetrics metrics;
    gui::GetNonClientMetrics(metrics);
    SetFont(&metrics.messageFont);
}

void CGridDefaultCell::SetFont(const gui::LogFont* font) {
    if (!font) return;
    font_ = *font;
    std::unique_ptr<gui::Canvas> dc = CreateScreenMeasureCanvas();
    if (!dc) {
        SetMargin(3);
        width_ = 40;
        height_ = 16;
        return;
    }
    dc->Save();
    dc->SetFont(font_);
    SetMargin(static_cast<std::uint32_t>(dc->GetTextExtent(u" ").cx));
    const gui::Size size = dc->GetTextExtent(u" XXXXXXXXXXXX ");
    width_ = size.cx;
    height_ = 4 * size.cy / 3;
    dc->Restore();
}
