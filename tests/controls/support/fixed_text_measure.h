#pragma once
// A message-box text measure with fixed metrics for tests: every character `charWidth`
// pixels wide, every line `lineHeight` high; lines break at line feeds, between words where
// a line would pass the width, and inside a word wider than the width, as the box's text
// control does. It counts its calls, so a test can see the bisection's tries.
#include <algorithm>
#include <string_view>

#include "controls/msgbox/msg_box_layout.h"

class FixedTextMeasure final : public MsgBoxTextMeasure {
public:
    FixedTextMeasure(int charWidth = 8, int lineHeight = 16) : charWidth_(charWidth), lineHeight_(lineHeight) {}

    gui::Size WantedSize(std::u16string_view text, const QFont&, int width) const override {
        ++calls;
        // A line holds at least one character, however narrow the width.
        return {std::max(width, text.empty() ? 0 : charWidth_), Lines(text, width) * lineHeight_};
    }

    int Lines(std::u16string_view text, int width) const {
        const int perLine = std::max(width / charWidth_, 1);
        int lines = 0;
        std::size_t start = 0;
        for (;;) {
            std::size_t lf = text.find(u'\n', start);
            std::u16string_view para = text.substr(start, lf == std::u16string_view::npos ? std::u16string_view::npos
                                                                                         : lf - start);
            lines += ParagraphLines(para, perLine);
            if (lf == std::u16string_view::npos) break;
            start = lf + 1;
        }
        return lines;
    }

    mutable int calls = 0;

private:
    static int ParagraphLines(std::u16string_view para, int perLine) {
        int lines = 1, used = 0;
        std::size_t i = 0;
        while (i < para.size()) {
            std::size_t end = para.find(u' ', i);
            if (end == std::u16string_view::npos) end = para.size();
            int word = static_cast<int>(end - i);
            if (used > 0 && used + 1 + word > perLine) {
                ++lines;
                used = 0;
            }
            used += (used > 0 ? 1 : 0) + word;
            while (used > perLine) {  // a word wider than the line breaks inside
                ++lines;
                used -= perLine;
            }
            i = end + 1;
        }
        return lines;
    }

    int charWidth_;
    int lineHeight_;
};
