#pragma once
// A window's placement as the settings keep it ("WindowPos"): ten numbers separated by
// commas, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d": flags, show command, minimised position x and
// y, maximised position x and y, normal rectangle left, top, right and bottom. Only the
// text is made and read here; the windowing layer applies a placement to a window.
//
// Pure functions; thread-safe.
#include <cstdint>

#include "platform/core/cstring.h"

struct WindowPlacement {
    std::uint32_t length = 0;  // the size of the record, set by ParseWindowPlacement
    std::uint32_t flags = 0;
    std::uint32_t showCommand = 0;
    std::int32_t minX = 0, minY = 0;
    std::int32_t maxX = 0, maxY = 0;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// True when text holds exactly ten numbers of the form above (blanks around a number
// allowed), each in its range (the first two unsigned 32-bit, the others signed
// 32-bit); then placement is filled. An empty text, fewer or more numbers, other text
// or a number out of its range give false and leave placement alone.
bool ParseWindowPlacement(std::u16string_view text, WindowPlacement& placement);
CString FormatWindowPlacement(const WindowPlacement& placement);
