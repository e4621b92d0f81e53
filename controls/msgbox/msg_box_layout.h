#pragma once
// The layout of the message box, as pure functions over measured sizes so that it can be
// checked with a fixed text measure:
// - the text's size: the narrowest width (found by bisection between 0 and the full-screen
//   width) at which the text is no taller than at the first try, about half the full-screen
//   width; so a one-line text stays on one line and a long one wraps into a block;
// - the box: margins, icon, text, one row of equally wide buttons, and the caption rule
//   (the box is at least as wide as its title, at most 62.5 % of the full-screen width for
//   that rule).
// Layout values are in dialog units and become pixels with the box's pixels per 1000 dialog
// units, divided as signed integers (truncated toward zero).
#include <QFont>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/gui/geometry.h"

// Margins and gaps in dialog units, and the flags: with bit 0x2 or 0x4 the text is centred
// horizontally, else it starts right of the icon.
struct MsgBoxLayoutValues {
    int leftMargin = 10;
    int rightMargin = 10;
    int topMargin = 10;
    int bottomMargin = 7;
    int iconToText = 10;
    int textToButtons = 7;
    int buttonMarginX = 7;  // inside a button, each side
    int buttonMarginY = 4;
    int buttonGap = 7;
    int minButtonWidth = 40;
    std::uint32_t flags = 6;

    bool CentresText() const { return (flags & 0x6) != 0; }
};

// The size a text wants when it is laid out (word-wrapped) in a given width; the width it
// reports is that width, or the widest line where a single character does not fit. The
// box's text control shows the text by the same rules.
class MsgBoxTextMeasure {
public:
    virtual ~MsgBoxTextMeasure() = default;
    virtual gui::Size WantedSize(std::u16string_view text, const QFont& font, int width) const = 0;
};

// The measure of the box's text control: a QTextDocument without margin that wraps at word
// boundaries, or anywhere inside a word that is wider than the line.
class DocumentTextMeasure final : public MsgBoxTextMeasure {
public:
    gui::Size WantedSize(std::u16string_view text, const QFont& font, int width) const override;
};

// The narrowest width in 0 .. fullScreenWidth whose height is no greater than the first
// try's (at fullScreenWidth / 2), with that height.
gui::Size NarrowestTextSize(const MsgBoxTextMeasure& measure, std::u16string_view text, const QFont& font,
                            int fullScreenWidth);

// What the layout is computed from, in pixels.
struct MsgBoxMetrics {
    int pixelsPer1000X = 0;  // dialog units: MapDialogRect of 1000 x 1000
    int pixelsPer1000Y = 0;
    gui::Size text;                      // NarrowestTextSize
    gui::Size icon;                      // 0 x 0 without an icon
    std::vector<gui::Size> captionSizes;  // each button's caption in the message font
    // The caption rule applies only when the message font could be made.
    bool captionRule = false;
    int titleWidth = 0;  // the title in the caption font
    int borderWidth = 0;
    int captionButtonWidth = 0;
    bool hasEscape = false;  // the close button's width counts only with an escape id
    int fullScreenWidth = 0;
};

struct MsgBoxPlacement {
    gui::Size client;
    gui::Rect icon;  // empty without an icon
    gui::Rect text;
    gui::Size button;
    std::vector<gui::Rect> buttons;
};

MsgBoxPlacement LayoutMsgBox(const MsgBoxLayoutValues& values, const MsgBoxMetrics& metrics);
