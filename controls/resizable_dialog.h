#pragma once
// A dialog the user can resize: its controls follow anchors (resizable_layout.h), a size grip
// sits in the lower-right corner (hidden while maximised), it cannot be made smaller than its
// initial size (SetMinTrackSize / SetMaxTrackSize change the limits), and its place and size
// can be kept in a section of the application's settings as "WindowPlacement" =
// "left,top,right,bottom,show command,flags" (the client area's rectangle in screen pixels).
//
// Use: a derived dialog's OnInitDialog calls CResizableDialog::OnInitDialog first, then
// AddAnchor for its controls and EnableSaveRestore last. A saved placement is applied only
// when sound: a rectangle of positive size, grown to the minimum size, shrunk to the screen
// and moved onto it; any show command but normal and maximised shows it normal. The
// placement is written when the dialog is hidden at its end (and when it goes while shown).
// A compositor may refuse to place windows (Wayland); sizes still apply.
//
// Ownership: the settings passed to EnableSaveRestore are not owned and must outlive the
// dialog. User-interface thread only.
#include <QPointer>
#include <QSizeGrip>
#include <cstdint>

#include "controls/resizable_layout.h"
#include "platform/core/cstring.h"
#include "platform/gui/dialog.h"

class RegistryProfile;

// The size grip in the lower-right corner of the resizable window.
class CResizableGrip {
public:
    virtual ~CResizableGrip() = default;

protected:
    // Makes the grip (once); false when it cannot be made.
    bool CreateSizeGrip();
    // Puts it at the client's lower-right corner, on top; hidden while the window is maximised.
    void UpdateSizeGrip();
    QSizeGrip* SizeGrip() const { return grip_; }
    virtual QWidget* GetResizableWnd() = 0;

private:
    QPointer<QSizeGrip> grip_;
};

// The limits of the window's size (of its client area).
class CResizableMinMax {
public:
    virtual ~CResizableMinMax() = default;
    void SetMinTrackSize(gui::Size size);
    void SetMaxTrackSize(gui::Size size);
    bool HasMinTrackSize() const { return useMin_; }
    gui::Size MinTrackSize() const { return min_; }

protected:
    virtual QWidget* GetResizableWnd() = 0;

private:
    bool useMin_ = false;
    bool useMax_ = false;
    gui::Size min_;
    gui::Size max_;
};

// The window's placement kept in the settings.
class CResizableState {
public:
    virtual ~CResizableState() = default;

    // "WindowPlacement" of the section as six numbers: left, top, right, bottom, show command,
    // flags. False (values untouched) for any other text: fewer or more numbers, letters,
    // numbers beyond int.
    static bool ParsePlacement(std::u16string_view text, gui::Rect& rect, int& showCommand, int& flags);

protected:
    // Reads the section's placement and applies it; false when there is none fit to apply.
    bool LoadWindowRect(const RegistryProfile& settings, std::u16string_view section, bool rectOnly);
    // Writes the window's present placement; false when the settings refuse.
    bool SaveWindowRect(RegistryProfile& settings, std::u16string_view section, bool rectOnly);
    virtual QWidget* GetResizableWnd() = 0;
    // The smallest size a restored placement may have (the minimum tracking size).
    virtual gui::Size MinimumRestoreSize() { return gui::Size(); }
};

class CResizableDialog : public gui::Dialog,
                         public CResizableLayout,
                         public CResizableGrip,
                         public CResizableMinMax,
                         public CResizableState {
public:
    explicit CResizableDialog(gui::Window* owner = nullptr, std::uint32_t templateId = 0);
    ~CResizableDialog() override;

    // Keeps the placement in settings' section (rectOnly: the rectangle alone, always shown
    // normal) and applies the saved one at once. Call it last in OnInitDialog.
    void EnableSaveRestore(RegistryProfile& settings, std::u16string_view section, bool rectOnly = false);

protected:
    // Makes the window resizable, takes its present size as the minimum and as the size its
    // controls were made for, and places the grip.
    bool OnInitDialog() override;
    QWidget* GetResizableWnd() override { return this; }
    gui::Size MinimumRestoreSize() override { return HasMinTrackSize() ? MinTrackSize() : gui::Size(); }
    // The size it has: the dialog base's fitting to its children would otherwise count the
    // grip in and grow the dialog.
    QSize sizeHint() const override { return size(); }

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void SaveIfEnabled();

    RegistryProfile* settings_ = nullptr;
    CString section_;
    bool rectOnly_ = false;
    bool layoutReady_ = false;
};
