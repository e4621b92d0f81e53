#pragma once
// CHyperLink: a static text of a dialog turned into a clickable link: its text in link
// colours and (by default) underlined, a pointing-hand cursor, the link as tooltip, opened
// through the launcher's "open with the desktop" (platform/gui/launcher.h) when clicked or
// when Space is pressed.
//
// Colours (shared by all links): link RGB(0,0,255), focus RGB(0,128,128), visited
// RGB(128,0,128), hover RGB(255,0,0); `LinkColor` picks one: hover while hovering with
// style 0x02, else focus while focused without 0x40, else visited once opened, else link.
//
// Opening: the link (the text when the link is empty; nothing when both are) goes whole to
// the launcher. Success marks the link visited; a failure beeps and shows "Can't open
// link:\n\n" with the text of the launcher's result (`OpenFailureText`) in a message box with
// the exclamation icon, run through the prompt runner.
//
// Subclassing a static: `Subclass` puts a link in place of a dialog's label, with its id,
// geometry, font, alignment and text: the link defaults to the text and the text to the
// link when either is empty; with style 0x04 the window is fitted to the text.
//
// User-interface thread only.
#include <QPointer>
#include <cstdint>

#include "platform/core/cstring.h"
#include "platform/gui/color.h"
#include "platform/gui/geometry.h"
#include "platform/gui/window.h"

class QLabel;

namespace hyperlink {

// Link style bits.
inline constexpr std::uint32_t kUnderline = 0x01;
inline constexpr std::uint32_t kUseHover = 0x02;
inline constexpr std::uint32_t kFitToText = 0x04;
inline constexpr std::uint32_t kOpenOnButtonDown = 0x08;
inline constexpr std::uint32_t kFocusOnClick = 0x10;
inline constexpr std::uint32_t kStandardCursor = 0x20;
inline constexpr std::uint32_t kNoFocusColor = 0x40;
inline constexpr std::uint32_t kDefaultStyle = kUnderline | kFitToText | kFocusOnClick;

// Static alignment bits, as the fitting reads them.
inline constexpr std::uint32_t SS_LEFT = 0x0;
inline constexpr std::uint32_t SS_CENTER = 0x1;
inline constexpr std::uint32_t SS_RIGHT = 0x2;
inline constexpr std::uint32_t SS_CENTERIMAGE = 0x200;

inline constexpr gui::COLORREF kLinkColor = gui::RGB(0, 0, 255);
inline constexpr gui::COLORREF kFocusColor = gui::RGB(0, 128, 128);
inline constexpr gui::COLORREF kVisitedColor = gui::RGB(128, 0, 128);
inline constexpr gui::COLORREF kHoverColor = gui::RGB(255, 0, 0);

gui::COLORREF LinkColor(bool hovering, bool focused, bool visited, std::uint32_t style);
// "Can't open link:\n\n" and the text of a launcher result ("Unknown Error (%d) occurred."
// for one without a text of its own).
CString OpenFailureText(int result);
// The window rectangle fitted to a text of the given size: the left edge kept (SS_LEFT), the
// right edge (SS_RIGHT) or the centre (SS_CENTER); vertically the centre with
// SS_CENTERIMAGE, else the top.
gui::Rect FitToText(const gui::Rect& window, gui::Size text, std::uint32_t alignment);

class CHyperLink : public gui::Window {
    Q_OBJECT

public:
    explicit CHyperLink(QWidget* parent = nullptr);
    ~CHyperLink() override;

    // Puts a link in place of the label (which is deleted) and returns it; the link and style
    // set before take effect. Null for no label.
    static CHyperLink* Subclass(QLabel* label, const CString& link = {}, std::uint32_t style = kDefaultStyle);

    void SetLink(const CString& link);
    const CString& GetLink() const { return link_; }
    void SetLinkStyle(std::uint32_t style) { style_ = style; }
    std::uint32_t GetLinkStyle() const { return style_; }
    void SetAlignment(std::uint32_t alignment) { alignment_ = alignment; }
    // The window text: hidden, changed, fitted to the text (with 0x04) and shown again.
    void SetLinkText(const CString& text);
    CString GetLinkText() const { return text_; }

    bool IsHovering() const { return hovering_; }
    bool IsFocused() const { return focused_; }
    bool IsVisited() const { return visited_; }
    gui::COLORREF CurrentColor() const { return LinkColor(hovering_, focused_, visited_, style_); }

    // Opens the link as a click does; true when it opened.
    bool OpenLink();
    // Fits the window to its text in the link font (style 0x04).
    void FitWindow();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void ApplyLinkSettings();
    QFont LinkFont() const;

    CString link_;
    CString text_;
    std::uint32_t style_ = kDefaultStyle;
    std::uint32_t alignment_ = SS_LEFT;
    bool hovering_ = false;
    bool focused_ = false;
    bool visited_ = false;
};

}  // namespace hyperlink
