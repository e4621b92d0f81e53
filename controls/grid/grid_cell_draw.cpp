// Drawing, printing and measuring of cells.
#include <algorithm>
#include <cmath>

#include "controls/grid/grid_cell.h"
#include "controls/grid/grid_ctrl.h"
#include "controls/grid/grid_image_list.h"
#include "platform/gui/canvas.h"
#include "platform/gui/draw_flags.h"
#include "platform/gui/system_metrics.h"
#include "platform/gui/text_layout.h"

namespace {

bool IsVertical(const gui::LogFont* font) { return font && font->escapement == 900; }

// The image's width and height when the grid has an image list that holds the cell's image.
bool ImageSize(const CGridCellBase& cell, int* w, int* h) {
    const CGridCtrl* grid = cell.GetGrid();
    const GridImageList* list = grid ? grid->GetImageList() : nullptr;
    gui::Rect info;
    if (!list || cell.GetImage() < 0 || !list->GetImageInfo(cell.GetImage(), &info)) return false;
    *w = info.Width();
    *h = info.Height();
    return true;
}

// The raised frame of a fixed cell: light along the top and left, dark along the right and
// bottom, inside the inclusive rectangle.
void DrawRaisedFrame(gui::Canvas& dc, const gui::Rect& r) {
    dc.SetPen(gui::Pen{gui::PS_SOLID, 1, gui::GetSysColor(gui::COLOR_3DHIGHLIGHT)});
    dc.MoveTo({r.right, r.top});
    dc.LineTo({r.left, r.top});
    dc.LineTo({r.left, r.bottom + 1});
    dc.SetPen(gui::Pen{gui::PS_SOLID, 1, gui::GetSysColor(gui::COLOR_3DDKSHADOW)});
    dc.MoveTo({r.right, r.top});
    dc.LineTo({r.right, r.bottom});
    dc.LineTo({r.left - 1, r.bottom});
}

// Draws the image at the top-left of the text rectangle placed by the format, when it fits;
// then, drawn or not, moves the text past it.
void DrawImage(CGridCellBase& cell, gui::Canvas& dc, gui::Rect& rect, std::uint32_t format, std::uint32_t margin) {
    int w = 0, h = 0;
    if (!ImageSize(cell, &w, &h)) return;
    const int m = static_cast<int>(margin);
    if (rect.left + w <= rect.right && rect.top + h <= rect.bottom + 2 * m) {
        gui::Point at = rect.TopLeft();
        if (format & gui::DT_VCENTER)
            at.y += (rect.Height() - h) / 2;
        else if (format & gui::DT_BOTTOM)
            at.y += rect.Height() - h;
        const char16_t* text = cell.GetText();
        if ((!text || !*text) && (format & gui::DT_CENTER)) at.x += (rect.Width() - w) / 2;
        cell.GetGrid()->GetImageList()->Draw(dc, cell.GetImage(), at);
    }
    rect.left += w + m;
}

// Cuts a text written upwards to fit `room` pixels: the longest start of it that fits with
// "..." appended, else as many of the dots as fit (none at all in the end).
std::u16string FitVertical(gui::Canvas& dc, const std::u16string& text, int room) {
    auto fits = [&](std::size_t n) { return dc.GetTextExtent(text.substr(0, n) + u"...").cx <= room; };
    if (fits(0)) return text.substr(0, gui::LongestFitting(text.size(), fits)) + u"...";
    std::u16string dots = u"..";
    while (!dots.empty() && dc.GetTextExtent(dots).cx > room) dots.pop_back();
    return dots;
}

}  // namespace

bool CGridCellBase::Draw(gui::Canvas* dc, int row, int col, gui::Rect rect, bool eraseBkgnd) {
    CGridCtrl* grid = GetGrid();
    if (!grid || !dc || rect.Width() <= 0 || rect.Height() <= 0) return false;
    const CGridDefaultCell* def = GetDefaultCell();
    if (!def) return false;
    dc->Save();
    dc->SetBkMode(gui::TRANSPARENT);

    gui::COLORREF textClr = GetTextClr() == gui::CLR_DEFAULT ? def->GetTextClr() : GetTextClr();
    gui::COLORREF backClr = def->GetBackClr();
    if (GetBackClr() != gui::CLR_DEFAULT) {
        backClr = GetBackClr();
        eraseBkgnd = true;
    }
    const bool gridLines = grid->GetGridLines() != GVL_NONE;
    if (IsFocused() || IsDropHighlighted()) {
        if (IsSelected()) {
            backClr = gui::GetSysColor(gui::COLOR_HIGHLIGHT);
            textClr = gui::GetSysColor(gui::COLOR_HIGHLIGHTTEXT);
            eraseBkgnd = true;
        }
        rect.right++, rect.bottom++;
        if (eraseBkgnd) dc->FillRect(rect, backClr);
        if (gridLines) rect.right--, rect.bottom--;
        if (grid->GetFrameFocusCell()) dc->FrameRect(rect, textClr);
        dc->SetTextColor(textClr);
        if (!gridLines) rect.right--, rect.bottom--;
    } else if (IsSelected()) {
        dc->FillRect(gui::Rect(rect.left, rect.top, rect.right + 1, rect.bottom + 1),
                     gui::GetSysColor(gui::COLOR_HIGHLIGHT));
        dc->SetTextColor(gui::GetSysColor(gui::COLOR_HIGHLIGHTTEXT));
    } else {
        if (eraseBkgnd) dc->FillRect(gui::Rect(rect.left, rect.top, rect.right + 1, rect.bottom + 1), backClr);
        dc->SetTextColor(textClr);
    }

    if (IsFixed() && gridLines) {
        const GridCellId focus = grid->GetFocusCell();
        const bool highlighted = grid->GetTrackFocusCell() && grid->IsValid(focus) &&
                                 (focus.row == row || focus.col == col) && (!grid->GetListMode() || col == 0);
        if (highlighted) {
            gui::Rect edge(rect.left, rect.top, rect.right + 1, rect.bottom + 1);
            dc->DrawEdge(edge, gui::BDR_SUNKENINNER, gui::BF_RECT);
        } else {
            DrawRaisedFrame(*dc, rect);
        }
        rect.Deflate(1, 1);
    }

    const gui::LogFont* font = GetFontObject();
    if (font) dc->SetFont(*font);
    const std::uint32_t margin = GetMargin();
    const int m = static_cast<int>(margin);
    rect.left += m;
    rect.right -= m;
    const std::uint32_t format = GetFormat();
    DrawImage(*this, *dc, rect, format, margin);

    if (row == 0 && col == grid->GetSortColumn()) {
        int s = dc->GetTextExtent(u"M").cy - 4;
        if (s >= rect.Height()) s = rect.Height() - 4;
        const bool vertical = IsVertical(font);
        if (s > 0 && rect.left + s < rect.right + 2 * m) {
            const int base = rect.bottom - s - 2;
            const int left = vertical ? (rect.left + rect.right - s) / 2 : rect.right - s;
            gui::Point p[4];
            if (grid->GetSortAscending())
                p[0] = {left, base + s}, p[1] = {left + s / 2, base}, p[2] = {left + s, base + s};
            else
                p[0] = {left, base}, p[1] = {left + s / 2, base + s}, p[2] = {left + s, base};
            p[3] = p[0];
            gui::Point light[4];
            for (int i = 0; i < 4; ++i) light[i] = {p[i].x + 1, p[i].y + 1};
            dc->SetPen(gui::Pen{gui::PS_SOLID, 0, gui::GetSysColor(gui::COLOR_3DHILIGHT)});
            dc->Polyline(light);
            dc->SetPen(gui::Pen{gui::PS_SOLID, 0, gui::GetSysColor(gui::COLOR_3DSHADOW)});
            dc->Polyline(p);
            if (vertical)
                rect.bottom -= s + m;
            else
                rect.right -= s;
        }
    }

    const char16_t* text = GetText();
    const std::u16string_view shown = text ? std::u16string_view(text) : std::u16string_view();
    if (!IsVertical(font)) {
        dc->DrawText(shown, rect, format | gui::DT_NOPREFIX);
    } else if (!shown.empty()) {
        std::u16string line(shown);
        gui::Size size = dc->GetTextExtent(line);
        if (size.cx > rect.Height() && (format & (gui::DT_END_ELLIPSIS | gui::DT_PATH_ELLIPSIS))) {
            line = FitVertical(*dc, line, rect.Height());
            size = dc->GetTextExtent(line);
        }
        int x = rect.left;
        if (format & gui::DT_CENTER)
            x = rect.left + (rect.Width() - size.cy) / 2;
        else if (format & gui::DT_RIGHT)
            x = rect.right - size.cy;
        int y = rect.top + size.cx;
        if (format & gui::DT_BOTTOM)
            y = rect.bottom;
        else if (format & gui::DT_VCENTER)
            y = rect.bottom - (rect.Height() - size.cx) / 2;
        dc->ExtTextOut(x, y, gui::ETO_CLIPPED, &rect, line);
    }
    dc->Restore();
    return true;
}

bool CGridCellBase::PrintCell(gui::Canvas* dc, int /*row*/, int /*col*/, gui::Rect rect) {
    CGridCtrl* grid = GetGrid();
    if (!grid || !dc || rect.Width() <= 0 || rect.Height() <= 0) return false;
    const CGridDefaultCell* def = nullptr;
    gui::COLORREF textClr = 0;
    gui::COLORREF backClr = gui::CLR_NONE;
    if (grid->GetShadedPrintOut()) {
        def = GetDefaultCell();
        if (!def) return false;
        const gui::COLORREF ownBack = GetBackClr(), ownText = GetTextClr();
        if (IsFixed()) {
            backClr = ownBack != gui::CLR_DEFAULT ? ownBack : def->GetBackClr();
            textClr = ownBack != gui::CLR_DEFAULT && ownText != gui::CLR_DEFAULT ? ownText : def->GetTextClr();
        } else {
            if (ownBack != gui::CLR_DEFAULT && ownBack != def->GetBackClr()) backClr = ownBack;
            if (ownText != gui::CLR_DEFAULT && (backClr != gui::CLR_NONE || ownText != def->GetTextClr()))
                textClr = ownText;
            else if (backClr != gui::CLR_NONE)
                textClr = def->GetTextClr();
        }
    }
    dc->Save();
    dc->SetBkMode(gui::TRANSPARENT);
    if (backClr == gui::CLR_NONE && grid->IsPrintingTwoColour()) {
        // Grey for a printer of two colours: the text's luminance in every channel.
        const unsigned l = static_cast<unsigned>(std::lround(
            0.30 * gui::GetRValue(textClr) + 0.59 * gui::GetGValue(textClr) + 0.11 * gui::GetBValue(textClr)));
        textClr = gui::RGB(l, l, l);
    }
    if (backClr != gui::CLR_NONE)
        dc->FillRect(gui::Rect(rect.left, rect.top, rect.right + 1, rect.bottom + 1), backClr);
    dc->SetTextColor(textClr);
    if (const gui::LogFont* font = GetFontObject()) dc->SetFont(*font);
    if (IsFixed() && grid->GetGridLines() != GVL_NONE) {
        DrawRaisedFrame(*dc, rect);
        rect.Deflate(1, 1);
    }
    const std::uint32_t margin = GetMargin();
    rect.left += static_cast<int>(margin);
    rect.right -= static_cast<int>(margin);
    const std::uint32_t format = GetFormat();
    DrawImage(*this, *dc, rect, format, margin);
    const char16_t* text = GetText();
    dc->DrawText(text ? std::u16string_view(text) : std::u16string_view(), rect,
                 format | gui::DT_NOPREFIX | gui::DT_NOCLIP);
    dc->Restore();
    return true;
}

bool CGridCellBase::GetTextRect(gui::Rect* rect) {
    int w = 0, h = 0;
    if (ImageSize(*this, &w, &h)) rect->left += w + 1 + static_cast<int>(GetMargin());
    return true;
}

gui::Size CGridCellBase::GetTextExtent(const char16_t* text, gui::Canvas* dc) {
    const CGridDefaultCell* def = GetDefaultCell();
    const gui::Size defaultSize = def ? gui::Size(def->GetWidth(), def->GetHeight()) : gui::Size();
    if (!text) return defaultSize;
    std::unique_ptr<gui::Canvas> own;
    if (!dc) {
        CGridCtrl* grid = GetGrid();
        if (grid) own = grid->CreateMeasureCanvas();
        if (!own) return defaultSize;
        dc = own.get();
    }
    dc->Save();
    const gui::LogFont* font = GetFontObject();
    if (font) dc->SetFont(*font);
    const std::uint32_t format = GetFormat();
    gui::Size size;
    const std::u16string_view all(text);
    if ((format & gui::DT_WORDBREAK) && !(format & gui::DT_SINGLELINE)) {
        int longest = 0;
        for (std::size_t start = 0; start <= all.size();) {
            std::size_t end = all.find(u'\n', start);
            if (end == std::u16string_view::npos) end = all.size();
            longest = std::max(longest, dc->GetTextExtent(all.substr(start, end - start)).cx);
            start = end + 1;
        }
        gui::Rect r(0, 0, longest + 1, 0);
        dc->DrawText(all, r, format | gui::DT_CALCRECT);
        size = r.GetSize();
    } else {
        size = dc->GetTextExtent(all);
    }
    const gui::TextMetrics tm = dc->GetTextMetrics();
    size.cx += tm.overhang;
    dc->Restore();
    const int m = static_cast<int>(GetMargin());
    size.cx += 4 * m;
    size.cy += 2 * m;
    if (font && (font->escapement == 900 || font->escapement == -900)) size = gui::Size(size.cy + tm.descent, size.cx);
    return size;
}

gui::Size CGridCellBase::GetCellExtent(gui::Canvas* dc) {
    gui::Size size = GetTextExtent(GetText(), dc);
    int w = 0, h = 0;
    if (ImageSize(*this, &w, &h)) {
        size.cx += w + 1;
        size.cy = std::max(size.cy, h + 1);
    }
    return size;
}
