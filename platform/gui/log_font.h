#pragma once
// A font described by value, as the Windows design keeps fonts in cells, tree items and
// preferences (a LOGFONT): the drawing code turns it into a Qt font only when it draws
// (qt_convert.h). Plain data; no thread rules.
#include <cstdint>
#include <string>

namespace gui {

inline constexpr int FW_DONTCARE = 0;
inline constexpr int FW_NORMAL = 400;
inline constexpr int FW_BOLD = 700;

struct LogFont {
    // Negative: the character height in pixels (without internal leading); positive: the
    // cell height in pixels; 0: the default size of the program's font.
    int height = 0;
    int width = 0;  // average character width; 0 = the font's own
    // Direction of the base line in tenths of a degree, counter-clockwise (900 = upward).
    int escapement = 0;
    int orientation = 0;
    int weight = FW_DONTCARE;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::uint8_t charSet = 1;  // DEFAULT_CHARSET; kept for stored values, not used to pick a font
    // At most 31 characters in a stored value; empty = the program's default family.
    std::u16string faceName;

    bool operator==(const LogFont&) const = default;
};

}  // namespace gui
