#pragma once
// CSizingControlBar: a bar that docks at any side of the main window or floats, whose docked
// thickness the user drags, over QDockWidget. Qt's main-window layout places the bars, moves
// the separators and shares a dock area among its bars; the bar keeps its own three sizes
// and hands them to the layout:
// - sizes: horizontal (docked at top or bottom: cx the length, cy the thickness), vertical
//   (docked left or right: cx the thickness, cy the length) and floating, each 200 x 200 at
//   first, never below their minimums (33 x 32, 33 x 32, 37 x 32), which are the dock's
//   minimum size, so no separator drag makes a bar (or a neighbour) smaller;
// - when the bar docks, changes side or is shown while docked, the bars of its row get its
//   side's thickness and their lengths fitted to the row (sizing_bar_sizes.h), through
//   QMainWindow::resizeDocks; floating, the bar gets its floating size;
// - when a drag of the main window's separators ends, each docked bar writes its size back
//   into its side's size; a floating bar's resize writes its floating size;
// - LoadState and SaveState keep the six values in the section "<profile>-SCBar-<id>"
//   ("sizeHorzCX", "sizeHorzCY", "sizeVertCX", "sizeVertCY", "sizeFloatCX", "sizeFloatCY"):
//   a missing value keeps the size, one below the minimum (negative ones included) loads as
//   the minimum, one beyond the screen as the screen's size.
// Docked, the bar shows a title bar of its own (`MakeTitleBar`; none here, a gripper with a
// close button in CSizingControlBarG); floating, the floating window's own.
//
// User-interface thread only.
#include <QDockWidget>
#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <string_view>

#include "platform/core/cstring.h"
#include "platform/gui/geometry.h"

class RegistryProfile;

namespace sizing_bar {

// The bar's own style bits.
inline constexpr std::uint32_t SCBS_EDGELEFT = 0x01;
inline constexpr std::uint32_t SCBS_EDGERIGHT = 0x02;
inline constexpr std::uint32_t SCBS_EDGETOP = 0x04;
inline constexpr std::uint32_t SCBS_EDGEBOTTOM = 0x08;
inline constexpr std::uint32_t SCBS_SHOWEDGES = 0x10;
// The first child is sized to the bar's client area.
inline constexpr std::uint32_t SCBS_SIZECHILD = 0x20;

// Control-bar style bits of Create: the sides the bar may dock at, and visibility.
inline constexpr std::uint32_t CBRS_ALIGN_LEFT = 0x1000;
inline constexpr std::uint32_t CBRS_ALIGN_TOP = 0x2000;
inline constexpr std::uint32_t CBRS_ALIGN_RIGHT = 0x4000;
inline constexpr std::uint32_t CBRS_ALIGN_BOTTOM = 0x8000;
inline constexpr std::uint32_t CBRS_ALIGN_ANY = 0xF000;
inline constexpr std::uint32_t CBRS_ALL = 0x0040FFFF;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000;

class CSizingControlBar : public QDockWidget {
    Q_OBJECT

public:
    static constexpr gui::Size kDefaultSize{200, 200};
    static constexpr gui::Size kMinHorz{33, 32};
    static constexpr gui::Size kMinVert{33, 32};
    static constexpr gui::Size kMinFloat{37, 32};

    CSizingControlBar();
    ~CSizingControlBar() override;

    // Makes the bar a dock of parent with the title and control id: the CBRS_ALIGN_ bits
    // choose the sides it may dock at (none: any), WS_VISIBLE shows it once docked; the bar
    // keeps style & CBRS_ALL. It is not docked yet (the main window docks it). False when it
    // was created already or parent is null.
    virtual bool Create(const CString& title, QMainWindow* parent, int id, std::uint32_t style);
    // All three sizes become size, then Create.
    virtual bool CreateSized(const CString& title, QMainWindow* parent, gui::Size size, bool dynamic, int id,
                             std::uint32_t style);
    virtual void LoadState(const RegistryProfile& profile, std::u16string_view name);
    virtual bool SaveState(RegistryProfile& profile, std::u16string_view name) const;

    // "<name>-SCBar-<id>".
    CString StateSection(std::u16string_view name) const;

    // Floating, or not docked in a main window.
    bool IsFloating() const;
    // Docked at top or bottom.
    bool IsHorzDocked() const;
    virtual bool HasGripper() const { return false; }

    int GetBarId() const { return id_; }
    std::uint32_t GetBarStyle() const { return barStyle_; }
    std::uint32_t GetSCBStyle() const { return scbStyle_; }
    void SetSCBStyle(std::uint32_t style) { scbStyle_ = style; }

    // The bar's client: with SCBS_SIZECHILD it fills the bar, else it keeps its own size.
    void SetChild(QWidget* child);

    gui::Size GetHorzSize() const { return horz_; }
    gui::Size GetVertSize() const { return vert_; }
    gui::Size GetFloatSize() const { return float_; }
    void SetHorzSize(gui::Size size) { horz_ = size; }
    void SetVertSize(gui::Size size) { vert_ = size; }
    void SetFloatSize(gui::Size size) { float_ = size; }

    // Gives the bars of this bar's row (visible, docked in the same area) this bar's
    // thickness and their lengths fitted to the row; nothing while floating or hidden.
    void ApplyDockedSize();

protected:
    // A new title bar for the docked bar; here an empty one (no title shows).
    virtual QWidget* MakeTitleBar();

    QMainWindow* MainWindow() const { return mainWindow_; }

    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnTopLevelChanged(bool floating);
    void OnLocationChanged();
    void UpdateMinimum();
    // Docked: a new title bar of MakeTitleBar's; floating: the floating window's own.
    void ReplaceTitleBar();
    // The current size written into the side's (or the floating) size.
    void WriteBackSize();

    QPointer<QMainWindow> mainWindow_;
    int id_ = 0;
    std::uint32_t barStyle_ = 0;
    std::uint32_t scbStyle_ = 0;
    gui::Size horz_ = kDefaultSize;
    gui::Size vert_ = kDefaultSize;
    gui::Size float_ = kDefaultSize;
    bool applying_ = false;
    bool separatorDrag_ = false;
};

}  // namespace sizing_bar
