#include "app/window_placement.h"

#include <array>
#include <limits>

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

bool ParseWindowPlacement(std::u16string_view text, WindowPlacement& placement) {
    std::array<std::int64_t, 10> numbers{};
    std::size_t i = 0;
    for (std::size_t n = 0; n < numbers.size(); ++n) {
        if (n > 0) {
            if (i >= text.size() || text[i] != u',') return false;
            ++i;
        }
        while (i < text.size() && IsBlank(text[i])) ++i;
        bool negative = false;
        if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
        const std::size_t digits = i;
        std::int64_t value = 0;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
            value = value * 10 + (text[i] - u'0');
            if (value > std::int64_t(std::numeric_limits<std::uint32_t>::max())) return false;
        }
        if (i == digits) return false;
        if (negative) value = -value;
        const bool isUnsigned = n < 2;
        if (isUnsigned ? value < 0
                       : (value < std::numeric_limits<std::int32_t>::min() ||
                          value > std::numeric_limits<std::int32_t>::max())) {
            return false;
        }
        numbers[n] = value;
        while (i < text.size() && IsBlank(text[i])) ++i;
    }
    if (i != text.size()) return false;
    placement.length = sizeof(WindowPlacement);
    placement.flags = static_cast<std::uint32_t>(numbers[0]);
    placement.showCommand = static_cast<std::uint32_t>(numbers[1]);
    std::int32_t* fields[] = {&placement.minX, &placement.minY, &placement.maxX,  &placement.maxY,
                              &placement.left, &placement.top,  &placement.right, &placement.bottom};
    for (std::size_t n = 0; n < 8; ++n) *fields[n] = static_cast<std::int32_t>(numbers[n + 2]);
    return true;
}

CString FormatWindowPlacement(const WindowPlacement& p) {
    return CString::Format(u"%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showCommand, p.minX, p.minY, p.maxX, p.maxY,
                           p.left, p.top, p.right, p.bottom);
}
