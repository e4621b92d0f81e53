#pragma once
// A progress bar that paints itself: the filled part in the bar colour, the rest in the
// background colour, and a text (or, without one, the percentage) centred over the whole bar
// and drawn in inverse colours on the two parts. It answers the progress bar's messages
// (PBM_*) and the window text's through SendMessage exactly as a system progress bar does,
// plus WM_USER+100 (text colour) and WM_USER+101 (text on or off); each also as a method.
//
// Unlike a bare progress bar, the position always lies within a valid range (lower < upper):
// setting, moving or stepping it beyond a limit stops at that limit, and a new range clamps
// the position it finds. With lower >= upper the bar paints nothing and keeps the position as
// given. The bar repaints at once when the filled length in pixels or the shown text changes,
// and only then.
//
// Threads: user-interface thread only, like every window (workers post messages).
#include <cstdint>
#include <string_view>

#include "platform/core/cstring.h"
#include "platform/gui/canvas.h"
#include "platform/gui/color.h"
#include "platform/gui/window.h"

namespace gui {

inline constexpr UINT WM_SETTEXT = 0x000C;
inline constexpr UINT WM_GETTEXT = 0x000D;
inline constexpr UINT PBM_SETRANGE = WM_USER + 1;
inline constexpr UINT PBM_SETPOS = WM_USER + 2;
inline constexpr UINT PBM_DELTAPOS = WM_USER + 3;
inline constexpr UINT PBM_SETSTEP = WM_USER + 4;
inline constexpr UINT PBM_STEPIT = WM_USER + 5;
inline constexpr UINT PBM_SETRANGE32 = WM_USER + 6;
inline constexpr UINT PBM_GETRANGE = WM_USER + 7;
inline constexpr UINT PBM_GETPOS = WM_USER + 8;
inline constexpr UINT PBM_SETBARCOLOR = WM_USER + 9;
inline constexpr UINT PBM_SETBKCOLOR = 0x2001;  // CCM_SETBKCOLOR
inline constexpr UINT PBM_SETTEXTCOLOR = WM_USER + 100;
inline constexpr UINT PBM_SHOWTEXT = WM_USER + 101;

inline constexpr std::uint32_t PBS_VERTICAL = 0x04;

struct PBRANGE {
    int iLow = 0;
    int iHigh = 0;
};

}  // namespace gui

class CTextProgressCtrl : public gui::Window {
public:
    // style: PBS_VERTICAL for a bar that fills from the bottom (and shows no text).
    explicit CTextProgressCtrl(QWidget* parent = nullptr, std::uint32_t style = 0);

    // Both return the previous range as (upper << 16) | lower, each cut to 16 bits.
    gui::LRESULT SetRange(short lower, short upper) { return SetRange32(lower, upper); }
    gui::LRESULT SetRange32(int lower, int upper);
    // The lower limit when wantLower, else the upper; fills range when it is not null.
    int GetRange(bool wantLower, gui::PBRANGE* range) const;
    void GetRange(int& lower, int& upper) const {
        lower = lower_;
        upper = upper_;
    }
    // Each returns the previous position.
    int SetPos(int position);
    int GetPos() const { return position_; }
    int DeltaPos(int increment) { return SetPos(Add(position_, increment)); }
    int StepIt() { return SetPos(Add(position_, step_)); }
    int SetStep(int step);  // the previous step
    // Each repaints and returns the previous colour; CLR_DEFAULT: the system's highlight
    // (bar), window (background) colour, or for the text the colour of the other part.
    gui::COLORREF SetBarColor(gui::COLORREF color);
    gui::COLORREF SetBkColor(gui::COLORREF color);
    gui::COLORREF SetTextColor(gui::COLORREF color);
    void SetShowText(bool show);
    bool GetShowText() const { return showText_; }
    // The text shown in place of the percentage; empty brings the percentage back.
    void SetWindowText(std::u16string_view text);
    CString GetWindowText() const { return text_; }
    // Copies at most count - 1 characters and a NUL into buffer; returns the number copied.
    int GetWindowText(char16_t* buffer, int count) const;

    // The text the bar shows now (empty when none).
    CString ShownText() const;
    // Paints the bar on canvas over the client rectangle (paintEvent calls it).
    void Paint(gui::Canvas& canvas) const;

protected:
    gui::LRESULT OnMessage(gui::UINT msg, gui::WPARAM w, gui::LPARAM l) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    static int Add(int a, int b);
    bool HasRange() const { return lower_ < upper_; }
    int Clamp(int position) const;
    // Pixels of the filled part along the bar's length for a bar `length` pixels long.
    int FilledLength(int length) const;
    // Repaints at once when the filled length or the shown text differs from the last paint.
    void RefreshIfChanged();

    bool vertical_;
    int position_ = 0;
    int step_ = 1;
    int upper_ = 100;
    int lower_ = 0;
    bool showText_ = true;
    CString text_;
    gui::COLORREF barColor_ = gui::CLR_DEFAULT;
    gui::COLORREF bkColor_ = gui::CLR_DEFAULT;
    gui::COLORREF textColor_ = gui::CLR_DEFAULT;
    int lastBarLength_ = -1;  // at the last repaint; -1 after a resize
    CString lastText_;
};

// Registers the dialog templates' control class "textprogress" (the dialog builder makes a
// horizontal CTextProgressCtrl for it). The application calls it once before building
// dialogs; calling it again changes nothing.
void RegisterTextProgressControlClass();
