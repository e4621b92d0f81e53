#include "controls/text_progress_ctrl.h"

#include <QPainter>

#include <algorithm>
#include <climits>
#include <utility>

#include "platform/gui/dialog_builder.h"
#include "platform/gui/qpainter_canvas.h"
#include "platform/gui/qt_convert.h"
#include "platform/gui/system_metrics.h"

using namespace gui;

namespace {

LRESULT PackRange(int lower, int upper) {
    return static_cast<LRESULT>((static_cast<std::uint32_t>(upper & 0xFFFF) << 16) |
                                static_cast<std::uint32_t>(lower & 0xFFFF));
}

COLORREF Resolve(COLORREF color, int systemColor) { return color == CLR_DEFAULT ? GetSysColor(systemColor) : color; }

}  // namespace

CTextProgressCtrl::CTextProgressCtrl(QWidget* parent, std::uint32_t style)
    : Window(parent), vertical_((style & PBS_VERTICAL) != 0) {
    // The control paints every pixel itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int CTextProgressCtrl::Add(int a, int b) {
    const long long sum = static_cast<long long>(a) + b;
    return static_cast<int>(std::clamp<long long>(sum, INT_MIN, INT_MAX));
}

int CTextProgressCtrl::Clamp(int position) const {
    return HasRange() ? std::clamp(position, lower_, upper_) : position;
}

LRESULT CTextProgressCtrl::SetRange32(int lower, int upper) {
    const LRESULT previous = PackRange(lower_, upper_);
    lower_ = lower;
    upper_ = upper;
    position_ = Clamp(position_);
    lastBarLength_ = -1;
    update();
    return previous;
}

int CTextProgressCtrl::GetRange(bool wantLower, PBRANGE* range) const {
    if (range) {
        range->iLow = lower_;
        range->iHigh = upper_;
    }
    return wantLower ? lower_ : upper_;
}

int CTextProgressCtrl::SetPos(int position) {
    const int previous = position_;
    position_ = Clamp(position);
    RefreshIfChanged();
    return previous;
}

int CTextProgressCtrl::SetStep(int step) { return std::exchange(step_, step); }

COLORREF CTextProgressCtrl::SetBarColor(COLORREF color) {
    update();
    return std::exchange(barColor_, color);
}

COLORREF CTextProgressCtrl::SetBkColor(COLORREF color) {
    update();
    return std::exchange(bkColor_, color);
}

COLORREF CTextProgressCtrl::SetTextColor(COLORREF color) {
    update();
    return std::exchange(textColor_, color);
}

void CTextProgressCtrl::SetShowText(bool show) {
    if (show == showText_) return;
    showText_ = show;
    update();
}

void CTextProgressCtrl::SetWindowText(std::u16string_view text) {
    if (text_ == CString(text)) return;
    text_ = CString(text);
    update();
}

int CTextProgressCtrl::GetWindowText(char16_t* buffer, int count) const {
    if (!buffer || count <= 0) return 0;
    const int n = std::min(count - 1, static_cast<int>(text_.GetLength()));
    std::copy_n(text_.c_str(), n, buffer);
    buffer[n] = u'\0';
    return n;
}

int CTextProgressCtrl::FilledLength(int length) const {
    if (!HasRange()) return 0;
    const double fraction = (static_cast<double>(position_) - lower_) / (static_cast<double>(upper_) - lower_);
    return static_cast<int>(fraction * length);
}

CString CTextProgressCtrl::ShownText() const {
    if (!showText_ || vertical_ || !HasRange()) return {};
    if (!text_.IsEmpty()) return text_;
    const double fraction = (static_cast<double>(position_) - lower_) / (static_cast<double>(upper_) - lower_);
    return CString::Format(u"%d%%", static_cast<int>(fraction * 100.0));
}

void CTextProgressCtrl::RefreshIfChanged() {
    const int length = FilledLength(vertical_ ? height() : width());
    const CString text = ShownText();
    // The text can change while the length stays (a bar narrower than 100 pixels).
    if (length == lastBarLength_ && text == lastText_) return;
    lastBarLength_ = length;
    lastText_ = text;
    repaint();
}

void CTextProgressCtrl::Paint(Canvas& canvas) const {
    if (!HasRange()) return;
    const Rect client(0, 0, width(), height());
    const COLORREF bar = Resolve(barColor_, COLOR_HIGHLIGHT);
    const COLORREF background = Resolve(bkColor_, COLOR_WINDOW);
    Rect filled = client;
    Rect rest = client;
    if (vertical_) {
        filled.top = client.bottom - FilledLength(client.Height());
        rest.bottom = filled.top;
    } else {
        filled.right = client.left + FilledLength(client.Width());
        rest.left = filled.right;
    }
    if (!filled.IsEmpty()) canvas.FillRect(filled, bar);
    if (!rest.IsEmpty()) canvas.FillRect(rest, background);

    const CString text = ShownText();
    if (text.IsEmpty()) return;
    if (const QWidget* parent = parentWidget()) canvas.SetFont(FromQFont(parent->font()));
    canvas.SetBkMode(TRANSPARENT);
    const struct {
        Rect clip;
        COLORREF color;
    } halves[] = {
        {filled, textColor_ == CLR_DEFAULT ? background : textColor_},
        {rest, textColor_ == CLR_DEFAULT ? bar : textColor_},
    };
    for (const auto& half : halves) {
        if (half.clip.IsEmpty()) continue;
        canvas.Save();
        canvas.IntersectClipRect(half.clip);
        canvas.SetTextColor(half.color);
        Rect r = client;
        canvas.DrawText(text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        canvas.Restore();
    }
}

LRESULT CTextProgressCtrl::OnMessage(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case PBM_SETRANGE: return SetRange32(static_cast<int>(l & 0xFFFF), static_cast<int>((l >> 16) & 0xFFFF));
        case PBM_SETRANGE32: return SetRange32(static_cast<int>(w), static_cast<int>(l));
        case PBM_GETRANGE: return GetRange(w != 0, reinterpret_cast<PBRANGE*>(l));
        case PBM_SETPOS: return SetPos(static_cast<int>(w));
        case PBM_GETPOS: return GetPos();
        case PBM_DELTAPOS: return DeltaPos(static_cast<int>(w));
        case PBM_STEPIT: return StepIt();
        case PBM_SETSTEP: return SetStep(static_cast<int>(w));
        case PBM_SETBARCOLOR: return static_cast<LRESULT>(SetBarColor(static_cast<COLORREF>(l)));
        case PBM_SETBKCOLOR: return static_cast<LRESULT>(SetBkColor(static_cast<COLORREF>(l)));
        case PBM_SETTEXTCOLOR: return static_cast<LRESULT>(SetTextColor(static_cast<COLORREF>(l)));
        case PBM_SHOWTEXT: SetShowText(w != 0); return 0;
        case WM_SETTEXT: {
            const auto* text = reinterpret_cast<const char16_t*>(l);
            SetWindowText(text ? std::u16string_view(text) : std::u16string_view());
            return 1;
        }
        case WM_GETTEXT: return GetWindowText(reinterpret_cast<char16_t*>(l), static_cast<int>(w));
        default: return Window::OnMessage(msg, w, l);
    }
}

void CTextProgressCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QPainterCanvas canvas(painter);
    Paint(canvas);
    lastBarLength_ = FilledLength(vertical_ ? height() : width());
    lastText_ = ShownText();
}

void CTextProgressCtrl::resizeEvent(QResizeEvent* event) {
    Window::resizeEvent(event);
    lastBarLength_ = -1;
}

void RegisterTextProgressControlClass() {
    gui::RegisterControlClass("textprogress",
                              [](const DialogControl&, QWidget* parent) -> QWidget* { return new CTextProgressCtrl(parent); });
}
