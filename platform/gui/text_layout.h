#pragma once
// The layout of DrawText: where each line of a text goes in a rectangle under the DT_* format
// flags, over a measure of the current font. Both canvases use it, so a recording canvas with
// fixed character widths lays text out by exactly the rules the painting one uses.
//
// Rules: '&' marks the next character as the access key ("&&" is one '&') unless
// DT_NOPREFIX; DT_EXPANDTABS turns tabs into spaces up to the next multiple of eight
// characters; DT_SINGLELINE keeps one line (line breaks become spaces) and places it with
// DT_VCENTER or DT_BOTTOM; otherwise the text breaks at line feeds and, with DT_WORDBREAK,
// between words where a line would pass the right edge (a word wider than the rectangle
// keeps a line of its own); DT_END_ELLIPSIS and DT_WORD_ELLIPSIS cut a line that is too
// wide at its end and append "...", DT_PATH_ELLIPSIS keeps the last path component and
// puts "..." before it; DT_CALCRECT measures without cutting. Lines are placed left,
// centred (DT_CENTER) or right (DT_RIGHT).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gui/geometry.h"

namespace gui {

class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual int Width(std::u16string_view text) const = 0;
    virtual int LineHeight() const = 0;  // with the external leading when it is asked for
};

struct TextLine {
    std::u16string text;  // as drawn: prefixes removed, ellipsis applied
    int x = 0;            // left of the line
    int y = 0;            // top of the line
    int width = 0;
    int accessKey = -1;  // index in text of the underlined character, -1 = none
};

struct TextLayout {
    std::vector<TextLine> lines;
    Rect bounds;     // around every line; for DT_CALCRECT the rectangle the call returns
    int result = 0;  // DrawText's return value
};

TextLayout LayoutText(std::u16string_view text, const Rect& r, std::uint32_t format, const TextMeasure& measure);

// The largest count in 0..n for which `fits` holds, where `fits` holds up to some count and
// not beyond it; 0 when none does. Found by halving, so cutting a text of 100,000 characters
// to a width takes some seventeen measurements, not one a character.
std::size_t LongestFitting(std::size_t n, const std::function<bool(std::size_t)>& fits);

}  // namespace gui
